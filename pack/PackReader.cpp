// Reading level packs: nlohmann-json parses the text, then every value is
// checked for its type and range before it goes into the pack. The first
// value that does not fit refuses the whole pack.

#include "pack/PackJson.h"

#include "image/GameData.h"
#include "image/LayoutGrid.h"
#include "pack/JsonChecks.h"
#include "pack/PackCodec.h"
#include "pack/PackNames.h"

#include <algorithm>

namespace zq {

namespace {

using Json = JsonChecks::Json;

// The checks, with the structure of a pack.
class Reader : public JsonChecks {
public:
    bool level(const Json& v, const std::string& path, PackLevel& level);
    bool enemies(const Json& object, const std::string& where, PackEnemies& enemies);
    bool enemy(const Json& v, const std::string& where, PackEnemy& enemy);
    bool item(const Json& v, const std::string& path, const std::string& where, PackItem& item);
    bool airflow(const Json& v, const std::string& path, const std::string& where, PackAirflow& airflow);
    bool attribute(const Json& v, const std::string& path, PackAttribute& attribute);
    bool pattern(const Json& v, const std::string& path, PackPattern& pattern);
    bool credits(const Json& v, LevelPack& pack);
    bool unused(const Json& v, const std::string& path, PackUnused& unused);
    bool pack(const Json& root, LevelPack& pack);

private:
    // The unused bytes read so far: no game has more than its memory, and a
    // short "fill" must not make a small file take gigabytes.
    bool countUnused(std::size_t count, const std::string& path);
    std::size_t unusedTotal_ = 0;

public:

    template <typename T, typename ReadOne>
    bool list(const Json& root, std::string_view key, std::vector<T>& out, ReadOne readOne)
    {
        const Json* v = member(root, key);
        if (!v)
            return true;
        if (!v->is_array())
            return fail("the pack", quoted(key) + " must be a list");
        for (std::size_t i = 0; i < v->size(); ++i) {
            T one{};
            if (!(this->*readOne)((*v)[i], std::string(key) + "[" + std::to_string(i) + "]", one))
                return false;
            out.push_back(std::move(one));
        }
        return true;
    }
};

bool Reader::enemy(const Json& v, const std::string& where, PackEnemy& enemy)
{
    if (v == "empty") {
        enemy = {};
        return true;
    }
    if (!v.is_array() || v.size() != 3)
        return fail(where, "an enemy slot must be \"empty\" or [type, column, row]");
    return number(v[0], "type", where, 0, kEnemyTypeCount - 1, enemy.type) &&
           number(v[1], "column", where, 1, 31, enemy.column) && number(v[2], "row", where, 0, 31, enemy.row);
}

bool Reader::enemies(const Json& object, const std::string& where, PackEnemies& enemies)
{
    const Json *slots = nullptr, *pattern = nullptr, *burst = nullptr;
    if (!required(object, "enemies", where, slots) || !required(object, "enemiesPattern", where, pattern) ||
        !required(object, "burstTime", where, burst))
        return false;
    if (!slots->is_array() || slots->size() != std::size_t(kEnemySlotCount))
        return fail(where, "\"enemies\" must be a list of 7 slots");
    for (std::size_t i = 0; i < enemies.slot.size(); ++i)
        if (!enemy((*slots)[i], where + ": enemy " + std::to_string(i + 1), enemies.slot[i]))
            return false;
    if (!number(*pattern, "enemiesPattern", where, 1, 8, enemies.pattern) ||
        !number(*burst, "burstTime", where, 0, 255, enemies.burstTime))
        return false;
    if (const Json* raw = member(object, "enemiesRaw")) {
        std::vector<std::uint8_t> bytes;
        if (!hex(*raw, "enemiesRaw", where, kEnemyEntrySize, 0, bytes))
            return false;
        enemies.raw.emplace();
        std::copy(bytes.begin(), bytes.end(), enemies.raw->begin());
    }
    return true;
}

bool Reader::item(const Json& v, const std::string& path, const std::string& where, PackItem& item)
{
    if (!v.is_object())
        return fail(where, "\"item\" must be {\"byte\", \"x\", \"y\"}");
    knownKeys(v, path, {"byte", "x", "y"});
    const Json* byte = nullptr;
    int read = 0;
    if (!required(v, "byte", where, byte) || !value(*byte, "byte", where, 255, read))
        return false;
    item.byte = std::uint8_t(read);
    return number(v, "x", where, -1000, 1000, item.x) && number(v, "y", where, -1000, 1000, item.y);
}

bool Reader::airflow(const Json& v, const std::string& path, const std::string& where, PackAirflow& airflow)
{
    if (!v.is_object())
        return fail(where, "\"airflow\" must be {\"gapSet\", \"areas\"}");
    knownKeys(v, path, {"gapSet", "areas", "raw"});
    const Json *gapSet = nullptr, *areas = nullptr;
    if (!required(v, "gapSet", where, gapSet) || !number(*gapSet, "gapSet", where, 0, 15, airflow.gapSet) ||
        !required(v, "areas", where, areas))
        return false;
    if (!areas->is_array() || areas->empty() || areas->size() > 16)
        return fail(where, "the air-flow \"areas\" must be a list of 1 to 16 areas");
    for (std::size_t k = 0; k < areas->size(); ++k) {
        const Json& a = (*areas)[k];
        const std::string at = where + ": air-flow area " + std::to_string(k + 1);
        if (!a.is_object())
            return fail(at, "must be {\"rect\": [column, row, width, height], \"direction\"}");
        knownKeys(a, path + ".areas[" + std::to_string(k) + "]", {"rect", "direction"});
        PackArea area;
        const Json *rect = nullptr, *direction = nullptr;
        if (!required(a, "rect", at, rect) || !required(a, "direction", at, direction))
            return false;
        if (!rect->is_array() || rect->size() != 4)
            return fail(at, "\"rect\" must be [column, row, width, height]");
        if (!number((*rect)[0], "column", at, 0, 15, area.column) || !number((*rect)[1], "row", at, 0, 31, area.row) ||
            !number((*rect)[2], "width", at, 0, 15, area.width) || !number((*rect)[3], "height", at, 0, 31, area.height) ||
            !name(*direction, "direction", at, directionNames(), area.direction))
            return false;
        airflow.areas.push_back(area);
    }
    if (const Json* raw = member(v, "raw")) {
        airflow.raw.emplace();
        if (!hex(*raw, "raw", where + ": air-flow", airflowRecordLength(int(areas->size()) - 1), 0, *airflow.raw))
            return false;
    }
    return true;
}

bool Reader::level(const Json& v, const std::string& path, PackLevel& level)
{
    if (!v.is_object())
        return fail(path, "a level must be an object");
    const Json* number_ = nullptr;
    if (!required(v, "level", path, number_) || !number(*number_, "level", path, 1, kLevelCount, level.level))
        return false;
    const std::string where = "level " + std::to_string(level.level);
    knownKeys(v, path, {"level", "kind", "layout", "layoutLastByte", "enemies", "enemiesPattern", "burstTime",
                        "enemiesRaw", "item", "bubble", "airflow"});
    if (const Json* kind = member(v, "kind")) {
        int mirrored = 0;
        static const char* const kinds[] = {"full", "mirrored"};
        if (!name(*kind, "kind", where, kinds, mirrored))
            return false;
        level.mirrored = mirrored != 0;
    }
    if (const Json* layout = member(v, "layout")) {
        std::vector<std::string> rows;
        const std::size_t width = level.mirrored ? std::size_t(*level.mirrored ? kMirroredCols : kGridCols) : 0;
        if (width ? !this->rows(*layout, "layout", where, kGridRows, {width}, rows)
                  : !this->rows(*layout, "layout", where, kGridRows, {std::size_t(kMirroredCols), std::size_t(kGridCols)}, rows))
            return false;
        level.mirrored = rows[0].size() == std::size_t(kMirroredCols);
        level.layout = std::move(rows);
    }
    if (const Json* last = member(v, "layoutLastByte")) {
        int byte = 0;
        if (!value(*last, "layoutLastByte", where, 255, byte))
            return false;
        if (!level.layout || !*level.mirrored)
            return fail(where, "\"layoutLastByte\" belongs to the layout of a mirrored level");
        level.layoutLastByte = std::uint8_t(byte);
    }
    if (member(v, "enemies") || member(v, "enemiesPattern") || member(v, "burstTime") || member(v, "enemiesRaw")) {
        level.enemies.emplace();
        if (!enemies(v, where, *level.enemies))
            return false;
    }
    if (const Json* item = member(v, "item")) {
        level.item.emplace();
        if (!this->item(*item, path + ".item", where, *level.item))
            return false;
    }
    if (const Json* bubble = member(v, "bubble")) {
        int type = 0;
        if (!name(*bubble, "bubble", where, bubbleNames(), type))
            return false;
        level.bubble = type;
    }
    if (const Json* airflow = member(v, "airflow")) {
        level.airflow.emplace();
        if (!this->airflow(*airflow, path + ".airflow", where, *level.airflow))
            return false;
    }
    return true;
}

bool Reader::attribute(const Json& v, const std::string& path, PackAttribute& a)
{
    if (!v.is_object())
        return fail(path, "an attribute must be {\"level\", \"ink\", \"paper\", \"bigBorder\"}");
    const Json *level = nullptr, *ink = nullptr, *paper = nullptr, *border = nullptr;
    if (!required(v, "level", path, level) || !number(*level, "level", path, 1, kAttributeCount, a.level))
        return false;
    const std::string where = "attribute of level " + std::to_string(a.level);
    knownKeys(v, path, {"level", "ink", "paper", "bigBorder", "raw"});
    if (!required(v, "ink", where, ink) || !name(*ink, "ink", where, colourNames(), a.ink) ||
        !required(v, "paper", where, paper) || !name(*paper, "paper", where, colourNames(), a.paper) ||
        !required(v, "bigBorder", where, border))
        return false;
    if (!border->is_boolean())
        return fail(where, "\"bigBorder\" must be true or false");
    a.bigBorder = border->get<bool>();
    if (const Json* raw = member(v, "raw")) {
        int byte = 0;
        if (!value(*raw, "raw", where, 255, byte))
            return false;
        a.raw = std::uint8_t(byte);
    }
    return true;
}

bool Reader::pattern(const Json& v, const std::string& path, PackPattern& p)
{
    if (!v.is_object())
        return fail(path, "a pattern must be {\"level\", \"rows\"}");
    const Json *level = nullptr, *rows = nullptr;
    if (!required(v, "level", path, level) || !number(*level, "level", path, 1, kPatternCount, p.level))
        return false;
    const std::string where = "pattern of level " + std::to_string(p.level);
    knownKeys(v, path, {"level", "rows"});
    std::vector<std::string> read;
    if (!required(v, "rows", where, rows) || !this->rows(*rows, "rows", where, kPatternSize, {8}, read))
        return false;
    std::copy(read.begin(), read.end(), p.rows.begin());
    return true;
}

bool Reader::credits(const Json& v, LevelPack& pack)
{
    static const char* const keys[kCreditFieldCount] = {"title", "company", "author"};
    if (!v.is_object())
        return fail("the pack", "\"credits\" must be an object");
    knownKeys(v, "credits", {"title", "titleRaw", "company", "companyRaw", "author", "authorRaw"});
    for (int f = 0; f < kCreditFieldCount; ++f) {
        const std::size_t width = creditFieldInfo(CreditField(f)).width;
        const Json* text = member(v, keys[f]);
        const std::string rawKey = std::string(keys[f]) + "Raw";
        const Json* raw = member(v, rawKey);
        if (!text && !raw)
            continue;
        PackCredit credit;
        if (raw) {
            credit.raw.emplace();
            if (!hex(*raw, rawKey, "credits", width, 0, *credit.raw))
                return false;
            credit.text = decodeCredit(*credit.raw).text;
        }
        if (text) {
            const bool ok = text->is_string() && text->get_ref<const std::string&>().size() <= width &&
                            std::all_of(text->get_ref<const std::string&>().begin(), text->get_ref<const std::string&>().end(),
                                        [](char c) { return c >= 32 && c <= 126; });
            if (!ok)
                return fail("credits", quoted(keys[f]) + " must be at most " + std::to_string(width) +
                                           " characters from space to '~'");
            credit.text = text->get<std::string>();
        }
        pack.credits[std::size_t(f)] = std::move(credit);
    }
    return true;
}

bool Reader::unused(const Json& v, const std::string& path, PackUnused& u)
{
    if (!v.is_object())
        return fail(path, "must be {\"address\", \"bytes\"} or {\"address\", \"fill\", \"length\"}");
    knownKeys(v, path, {"address", "bytes", "fill", "length"});
    const Json* address = nullptr;
    int at = 0;
    if (!required(v, "address", path, address) || !value(*address, "address", path, 0xFFFF, at))
        return false;
    u.address = std::uint16_t(at);
    if (const Json* bytes = member(v, "bytes"))
        return hex(*bytes, "bytes", path, 0, kMemorySize, u.bytes) && countUnused(u.bytes.size(), path);
    const Json *fill = nullptr, *length = nullptr;
    int byte = 0, count = 0;
    if (!required(v, "fill", path, fill) || !value(*fill, "fill", path, 255, byte) || !required(v, "length", path, length) ||
        !number(*length, "length", path, 1, int(kMemorySize), count) || !countUnused(std::size_t(count), path))
        return false;
    u.bytes.assign(std::size_t(count), std::uint8_t(byte));
    return true;
}

bool Reader::countUnused(std::size_t count, const std::string& path)
{
    unusedTotal_ += count;
    if (unusedTotal_ > kMemorySize)
        return fail(path, "more unused bytes in all than the " + std::to_string(kMemorySize) + " of the game's memory");
    return true;
}

bool Reader::pack(const Json& root, LevelPack& pack)
{
    const std::string where = "the pack";
    const Json* format = root.is_object() ? member(root, "format") : nullptr;
    if (!format || !format->is_string() || format->get_ref<const std::string&>() != kPackFormatName)
        return fail("", "the file is not a level pack (it has no \"format\": \"" + std::string(kPackFormatName) + "\")");
    const Json* version = member(root, "version");
    if (!version || !version->is_number_integer())
        return fail(where, "\"version\" must be a whole number");
    if (*version != kPackVersion)
        return fail(where, "its format version " + version->dump() + " is not one this program reads (version " +
                               std::to_string(kPackVersion) + ")");
    knownKeys(root, "", {"format", "version", "game", "levels", "attributes", "patterns", "credits", "bubbleTable",
                         "lowerItemList", "unused"});
    const Json* game = nullptr;
    std::vector<std::uint8_t> bytes;
    if (!required(root, "game", where, game) || !hex(*game, "game", where, kSignatureSize, 0, bytes))
        return false;
    std::copy(bytes.begin(), bytes.end(), pack.game.begin());
    if (!list(root, "levels", pack.levels, &Reader::level) || !list(root, "attributes", pack.attributes, &Reader::attribute) ||
        !list(root, "patterns", pack.patterns, &Reader::pattern) || !list(root, "unused", pack.unused, &Reader::unused))
        return false;
    if (const Json* credits = member(root, "credits"); credits && !this->credits(*credits, pack))
        return false;
    if (const Json* table = member(root, "bubbleTable")) {
        if (!hex(*table, "bubbleTable", where, kBubbleTableSize, 0, bytes))
            return false;
        pack.bubbleTable.emplace();
        std::copy(bytes.begin(), bytes.end(), pack.bubbleTable->begin());
    }
    if (const Json* list = member(root, "lowerItemList")) {
        if (!list->is_array() || list->size() != kLowerItemCount)
            return fail(where, "\"lowerItemList\" must be a list of 13 numbers");
        pack.lowerItemList.emplace();
        for (std::size_t i = 0; i < kLowerItemCount; ++i) {
            int value = 0;
            if (!number((*list)[i], "lowerItemList", where, 0, 255, value))
                return false;
            (*pack.lowerItemList)[i] = std::uint8_t(value);
        }
    }
    return true;
}

// Each level, attribute and pattern at most once; levels in level order.
template <typename T>
bool sortedOnce(std::vector<T>& items, Reader& reader, const char* what)
{
    std::stable_sort(items.begin(), items.end(), [](const T& a, const T& b) { return a.level < b.level; });
    for (std::size_t i = 1; i < items.size(); ++i)
        if (items[i].level == items[i - 1].level)
            return reader.fail(std::string(what) + " " + std::to_string(items[i].level), "it appears twice in the pack");
    return true;
}

} // namespace

PackReadResult readPackJson(std::string_view text)
{
    PackReadResult result;
    if (text.size() > kMaxPackSize) {
        result.error = "the level pack is larger than 4 MiB";
        return result;
    }
    Json root;
    try {
        root = Json::parse(text.begin(), text.end());
    } catch (const Json::parse_error& e) {
        // what() reads "[json.exception.parse_error.101] parse error at line 3, column 4: ..."
        std::string what = e.what();
        if (const auto at = what.find("] "); at != std::string::npos)
            what.erase(0, at + 2);
        result.error = "the level pack is not valid JSON: " + what;
        return result;
    }
    Reader reader;
    LevelPack pack;
    if (reader.pack(root, pack) && sortedOnce(pack.levels, reader, "level") &&
        sortedOnce(pack.attributes, reader, "attribute of level") && sortedOnce(pack.patterns, reader, "pattern of level"))
        result.pack = std::move(pack);
    result.error = reader.error;
    result.unknownKeys = std::move(reader.unknown);
    return result;
}

} // namespace zq
