#include "cli/Report.h"

#include "entities/Bubbles.h"
#include "entities/Enemies.h"
#include "entities/Items.h"
#include "image/LevelData.h"
#include "pack/PackNames.h"
#include "tools/Airflow.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace zq::cli {

namespace {

// snprintf into a std::string (the tool builds with no std::format).
template <typename... Args>
std::string format(const char* pattern, Args... args)
{
    char buffer[256];
    const int n = std::snprintf(buffer, sizeof buffer, pattern, args...);
    return n < 0 ? std::string() : std::string(buffer, std::min(std::size_t(n), sizeof buffer - 1));
}

std::string levelLine(const GameImage& image, int index)
{
    const CurrentLevel level = decodeLevel(image, index);
    const EnemySlotView slots = decodeEnemies(image, index);
    const auto enemyCount = std::count_if(slots.begin(), slots.end(),
                                          [](const EnemySlot& s) { return s.type != kEmptyEnemyType; });
    const int q = itemPlacementState(image, index, level.record.mirrored);
    const std::uint8_t item = itemByte(image, index);
    const ItemPosition at = itemPosition(item, q);

    std::string line = format("Level %2d: %-11s record %zu (0x%04X), ", index + 1,
                              level.record.mirrored ? "mirrored," : "full-width,", level.record.offset,
                              unsigned(spectrumAddress(level.record.offset)));
    line += format("ink %s, paper %s, Big Border %s, ", colourName(level.ink), colourName(level.paper),
                   level.bigBorder ? "on" : "off");
    // The editor shows the enemies pattern as 1..8 (stored 0..7).
    line += format("enemies %d, enemies pattern %d, burst time %d, ", int(enemyCount),
                   enemiesPattern(image, index) + 1, burstTime(image, index));
    line += format("bubble %s, item 0x%02X at (%d, %d)%s", bubbleName(bubbleType(image, index + 1)), unsigned(item),
                   at.x, at.y, q == 1 || q == 3 ? " lower part" : "");
    return line;
}

void describeAirflow(const GameImage& image, std::string& out)
{
    // Record address -> level numbers that use it, in address order.
    std::map<std::uint16_t, std::vector<int>> users;
    for (int i = 0; i < kLevelCount; ++i)
        users[kAirflowRecordAddresses[std::size_t(i)]].push_back(i + 1);

    out += format("\nAir-flow records (%zu):\n", users.size());
    for (auto it = users.begin(); it != users.end(); ++it) {
        const std::uint16_t address = it->first;
        const std::size_t offset = imageOffset(address);
        const std::uint8_t first = image.get(offset);
        const int n = first & 0x0F;
        const std::size_t length = airflowRecordLength(n);
        std::string line = format("  0x%04X (offset %zu): n %2d (%2d area%s), %2zu bytes, gap set %2d; levels",
                                  address, offset, n, n + 1, n == 0 ? "" : "s", length, first >> 4);
        for (std::size_t k = 0; k < it->second.size(); ++k)
            line += format(k == 0 ? " %d" : ", %d", it->second[k]);
        const auto next = std::next(it);
        if (next != users.end() && address + length > next->first)
            line += format("; runs into the record at 0x%04X", next->first);
        out += line + "\n";
    }
}

} // namespace

std::string quotedText(const std::u32string& text)
{
    std::string out = "\"";
    for (const char32_t c : text) {
        if (c == U'"' || c == U'\\') {
            out += '\\';
            out += char(c);
        } else if (c >= 32 && c <= 126) {
            out += char(c);
        } else {
            out += format("\\x%02X", unsigned(c & 0xFF));
        }
    }
    return out + "\"";
}

std::string describeImage(const GameImage& image)
{
    std::string out = format("Levels (%d):\n", kLevelCount);
    for (int i = 0; i < kLevelCount; ++i)
        out += levelLine(image, i) + "\n";

    describeAirflow(image, out);

    out += format("\nSpecial bubble table: %d spare byte(s)\n", spareCount(image));

    out += "\nCredits:\n";
    out += "  Title:   " + quotedText(readCreditText(image, CreditField::Title)) + "\n";
    out += "  Company: " + quotedText(readCreditText(image, CreditField::Company)) + "\n";
    out += "  Author:  " + quotedText(readCreditText(image, CreditField::Author)) + "\n";
    return out;
}

} // namespace zq::cli
