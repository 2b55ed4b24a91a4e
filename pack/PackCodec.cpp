#include "pack/PackCodec.h"

#include "image/GameData.h"
#include "image/LayoutGrid.h"
#include "tools/Airflow.h"

namespace zq {

namespace {

const CellCodeTables kCodes;

// The two bytes of an enemy record as the editor writes them.
std::array<std::uint8_t, 2> encodeEnemy(const PackEnemy& enemy)
{
    if (enemy.type == kEmptyEnemyType)
        return {0, 0};
    return {std::uint8_t((enemy.column << 3) | (enemy.type >> 1)), std::uint8_t((enemy.row << 3) | (enemy.type & 1))};
}

PackEnemy decodeEnemy(std::uint8_t b0, std::uint8_t b1)
{
    const EnemySlot slot = decodeEnemySlot(b0, b1);
    if (slot.type == kEmptyEnemyType)
        return {};
    return {slot.type, slot.column, slot.row};
}

int shownPattern(std::uint8_t byte) { return (byte & 7) + 1; }

char creditChar(std::uint8_t byte) { return byte >= 32 && byte <= 126 ? char(byte) : '?'; }

} // namespace

std::string hexString(std::span<const std::uint8_t> bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(2 * bytes.size());
    for (std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::vector<std::string> readLayoutRows(const GameImage& image, const LevelRecord& record)
{
    const int columns = CellCodeTables::columns(record.mirrored);
    std::vector<std::string> rows(kGridRows, std::string(std::size_t(columns), kOpenChar));
    for (int r = 0; r < kGridRows; ++r)
        for (int c = 0; c < columns; ++c)
            if (readCell(image, record.offset, kCodes.code(record.mirrored, r, c)))
                rows[std::size_t(r)][std::size_t(c)] = kBlockChar;
    return rows;
}

void writeLayoutRows(GameImage& image, const LevelRecord& record, const std::vector<std::string>& rows,
                     std::optional<std::uint8_t> lastByte)
{
    const int columns = CellCodeTables::columns(record.mirrored);
    for (int r = 0; r < kGridRows && std::size_t(r) < rows.size(); ++r)
        for (int c = 0; c < columns && std::size_t(c) < rows[std::size_t(r)].size(); ++c)
            setCell(image, record.offset, kCodes.code(record.mirrored, r, c),
                    rows[std::size_t(r)][std::size_t(c)] == kBlockChar);
    if (record.mirrored) {
        const std::size_t last = record.offset + kMirroredRecordSize - 1;
        image.set(last, std::uint8_t((image.get(last) & 0xF0) | (lastByte.value_or(0) & 0x0F)));
    }
}

PackEnemies decodeEnemyEntry(const std::array<std::uint8_t, kEnemyEntrySize>& bytes)
{
    PackEnemies enemies;
    for (std::size_t i = 0; i < enemies.slot.size(); ++i)
        enemies.slot[i] = decodeEnemy(bytes[2 * i], bytes[2 * i + 1]);
    enemies.pattern = shownPattern(bytes[kEnemiesPatternByte]);
    enemies.burstTime = bytes[kBurstTimeByte];
    if (encodeEnemyEntry(enemies) != bytes)
        enemies.raw = bytes;
    return enemies;
}

std::array<std::uint8_t, kEnemyEntrySize> encodeEnemyEntry(const PackEnemies& enemies)
{
    std::array<std::uint8_t, kEnemyEntrySize> bytes = enemies.raw.value_or(std::array<std::uint8_t, kEnemyEntrySize>{});
    for (std::size_t i = 0; i < enemies.slot.size(); ++i) {
        if (enemies.raw && decodeEnemy(bytes[2 * i], bytes[2 * i + 1]) == enemies.slot[i])
            continue;
        const auto record = encodeEnemy(enemies.slot[i]);
        bytes[2 * i] = record[0];
        bytes[2 * i + 1] = record[1];
    }
    if (!enemies.raw || shownPattern(bytes[kEnemiesPatternByte]) != enemies.pattern)
        bytes[kEnemiesPatternByte] = std::uint8_t(enemies.pattern - 1);
    bytes[kBurstTimeByte] = std::uint8_t(enemies.burstTime);
    return bytes;
}

PackAttribute decodePackAttribute(std::uint8_t byte)
{
    const Attribute a = decodeAttribute(byte);
    PackAttribute attribute{0, a.ink, a.paper, a.bigBorder != 0, std::nullopt};
    if (encodePackAttribute(attribute) != byte)
        attribute.raw = byte;
    return attribute;
}

std::uint8_t encodePackAttribute(const PackAttribute& attribute)
{
    if (attribute.raw) {
        const PackAttribute held = decodePackAttribute(*attribute.raw);
        if (held.ink == attribute.ink && held.paper == attribute.paper && held.bigBorder == attribute.bigBorder)
            return *attribute.raw;
    }
    return encodeAttribute(attribute.paper, attribute.ink, attribute.bigBorder ? 128 : 0);
}

PackCredit decodeCredit(const std::vector<std::uint8_t>& field)
{
    PackCredit credit;
    for (std::uint8_t byte : field)
        credit.text.push_back(creditChar(byte));
    while (!credit.text.empty() && credit.text.back() == ' ')
        credit.text.pop_back();
    if (encodeCredit(credit, field.size()) != field)
        credit.raw = field;
    return credit;
}

std::vector<std::uint8_t> encodeCredit(const PackCredit& credit, std::size_t width)
{
    if (credit.raw && credit.raw->size() == width && decodeCredit(*credit.raw).text == credit.text)
        return *credit.raw;
    std::vector<std::uint8_t> field(width, std::uint8_t(' '));
    for (std::size_t i = 0; i < width && i < credit.text.size(); ++i)
        field[i] = std::uint8_t(credit.text[i]);
    return field;
}

std::array<std::string, kPatternSize> readPatternRows(const GameImage& image, int entry)
{
    std::array<std::string, kPatternSize> rows;
    for (std::size_t r = 0; r < kPatternSize; ++r) {
        const std::uint8_t byte = image.get(patternOffset(entry) + r);
        for (int bit = 7; bit >= 0; --bit)
            rows[r].push_back((byte >> bit) & 1 ? kBlockChar : kOpenChar);
    }
    return rows;
}

void writePatternRows(GameImage& image, int entry, const std::array<std::string, kPatternSize>& rows)
{
    for (std::size_t r = 0; r < kPatternSize; ++r) {
        std::uint8_t byte = 0;
        for (std::size_t c = 0; c < 8 && c < rows[r].size(); ++c)
            if (rows[r][c] == kBlockChar)
                byte |= std::uint8_t(0x80 >> c);
        image.set(patternOffset(entry) + r, byte);
    }
}

PackAirflow readPackAirflow(const GameImage& image, std::size_t offset)
{
    AirflowRecord record;
    readAirflowRecord(image, offset, record);
    PackAirflow airflow;
    airflow.gapSet = record.gapSet;
    for (std::size_t k = 0; k <= std::size_t(record.n); ++k)
        airflow.areas.push_back({record.column[k], record.row[k], record.width[k], record.height[k], record.direction[k]});
    // An odd area count leaves the low nibble of the last direction byte to
    // no area.
    if (record.n % 2 == 0 && (image.get(offset + 1 + std::size_t(record.n / 2)) & 0x0F) != 0) {
        const auto bytes = image.view(offset, airflowRecordLength(record.n));
        airflow.raw = std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    }
    return airflow;
}

void writePackAirflow(GameImage& image, std::size_t offset, const PackAirflow& airflow)
{
    AirflowRecord record;
    record.offset = offset;
    record.n = int(airflow.areas.size()) - 1;
    for (std::size_t k = 0; k < airflow.areas.size() && k < std::size_t(AirflowRecord::kMaxAreas); ++k) {
        const PackArea& a = airflow.areas[k];
        record.column[k] = a.column;
        record.row[k] = a.row;
        record.width[k] = a.width;
        record.height[k] = a.height;
        record.direction[k] = a.direction;
    }
    const std::size_t spare = offset + 1 + std::size_t(record.n / 2);
    if (airflow.raw)
        for (std::size_t i = 0; i < airflow.raw->size(); ++i)
            image.set(offset + i, (*airflow.raw)[i]);
    else if (record.n % 2 == 0)
        image.set(spare, std::uint8_t(image.get(spare) & 0xF0));
    encodeAirflow(image, record, airflow.gapSet);
}

} // namespace zq
