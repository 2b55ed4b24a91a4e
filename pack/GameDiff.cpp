#include "pack/GameDiff.h"

#include "image/GameData.h"
#include "pack/LevelPack.h"
#include "pack/PackCodec.h"
#include "pack/PackNames.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace zq {

namespace {

using Lines = std::vector<std::string>;

template <typename... Args>
std::string format(const char* pattern, Args... args)
{
    char text[256];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

std::string enemyText(const PackEnemy& e)
{
    return e.type == kEmptyEnemyType ? "empty" : format("type %d at column %d, row %d", e.type, e.column, e.row);
}

std::string areaText(const PackArea& a)
{
    return format("(%d, %d) %d x %d %s", a.column, a.row, a.width, a.height, directionName(a.direction));
}

std::string itemText(const PackItem& item)
{
    return format("0x%02X at (%d, %d)", unsigned(item.byte), item.x.value_or(0), item.y.value_or(0));
}

void layoutLines(const PackLevel& a, const PackLevel& b, const std::string& at, Lines& out)
{
    if (*a.mirrored != *b.mirrored) {
        out.push_back(at + "kind " + kindName(*a.mirrored) + " -> " + kindName(*b.mirrored));
        return;
    }
    for (std::size_t r = 0; r < a.layout->size(); ++r)
        if ((*a.layout)[r] != (*b.layout)[r])
            out.push_back(at + "layout row " + std::to_string(r + 1));
    if (a.layoutLastByte != b.layoutLastByte)
        out.push_back(at + "layout spare bits");
}

void enemyLines(const PackEnemies& a, const PackEnemies& b, const std::string& at, Lines& out)
{
    const std::size_t before = out.size();
    for (std::size_t s = 0; s < a.slot.size(); ++s) {
        const PackEnemy &x = a.slot[s], &y = b.slot[s];
        const std::string slot = at + "enemy " + std::to_string(s + 1) + " ";
        if (x == y)
            continue;
        if (x.type == kEmptyEnemyType || y.type == kEmptyEnemyType) {
            out.push_back(slot + enemyText(x) + " -> " + enemyText(y));
            continue;
        }
        for (const auto& [name, u, v] : {std::tuple{"type", x.type, y.type}, std::tuple{"column", x.column, y.column},
                                         std::tuple{"row", x.row, y.row}})
            if (u != v)
                out.push_back(slot + format("%s %d -> %d", name, u, v));
    }
    if (a.pattern != b.pattern)
        out.push_back(at + format("enemies pattern %d -> %d", a.pattern, b.pattern));
    if (a.burstTime != b.burstTime)
        out.push_back(at + format("burst time %d -> %d", a.burstTime, b.burstTime));
    if (out.size() == before && encodeEnemyEntry(a) != encodeEnemyEntry(b))
        out.push_back(at + "enemy table bits " + hexString(encodeEnemyEntry(a)) + " -> " + hexString(encodeEnemyEntry(b)));
}

void airflowLines(const PackAirflow& a, const PackAirflow& b, const std::string& at, Lines& out)
{
    if (a.gapSet != b.gapSet)
        out.push_back(at + format("air-flow gap set %d -> %d", a.gapSet, b.gapSet));
    if (a.areas.size() != b.areas.size()) {
        out.push_back(at + format("air-flow areas %d -> %d", int(a.areas.size()), int(b.areas.size())));
        return;
    }
    for (std::size_t k = 0; k < a.areas.size(); ++k)
        if (a.areas[k] != b.areas[k])
            out.push_back(at + format("air-flow area %d ", int(k + 1)) + areaText(a.areas[k]) + " -> " +
                          areaText(b.areas[k]));
    if (a.raw != b.raw)
        out.push_back(at + "air-flow spare bits");
}

void attributeLines(const PackAttribute& a, const PackAttribute& b, const std::string& at, Lines& out)
{
    if (a.ink != b.ink)
        out.push_back(at + "ink " + colourName(a.ink) + " -> " + colourName(b.ink));
    if (a.paper != b.paper)
        out.push_back(at + "paper " + colourName(a.paper) + " -> " + colourName(b.paper));
    if (a.bigBorder != b.bigBorder)
        out.push_back(at + "Big Border " + (a.bigBorder ? "on" : "off") + " -> " + (b.bigBorder ? "on" : "off"));
    if (encodePackAttribute(a) != encodePackAttribute(b) && a.raw != b.raw)
        out.push_back(at + "attribute bit 6");
}

void levelLines(const GameImage& ga, const GameImage& gb, int i, Lines& out)
{
    const PackLevel a = readPackLevel(ga, i), b = readPackLevel(gb, i);
    const std::string at = "level " + std::to_string(i + 1) + ": ";
    layoutLines(a, b, at, out);
    enemyLines(*a.enemies, *b.enemies, at, out);
    if (a.item->byte != b.item->byte || a.item->x != b.item->x || a.item->y != b.item->y)
        out.push_back(at + "item " + itemText(*a.item) + " -> " + itemText(*b.item));
    if (*a.bubble != *b.bubble)
        out.push_back(at + "bubble " + bubbleName(*a.bubble) + " -> " + bubbleName(*b.bubble));
    if (a.airflow)
        airflowLines(*a.airflow, *b.airflow, at, out);
    if (i < kAttributeCount)
        attributeLines(readPackAttribute(ga, i), readPackAttribute(gb, i), at, out);
    if (i < kPatternCount) {
        const auto x = readPatternRows(ga, i), y = readPatternRows(gb, i);
        for (std::size_t r = 0; r < x.size(); ++r)
            if (x[r] != y[r])
                out.push_back(at + "pattern row " + std::to_string(r + 1));
    }
}

std::string quotedCredit(const std::string& text)
{
    std::string out = "\"";
    for (char c : text)
        out += (c == '"' || c == '\\') ? std::string{'\\', c} : std::string{c};
    return out + "\"";
}

void tableLines(const GameImage& a, const GameImage& b, Lines& out)
{
    static const char* const names[kCreditFieldCount] = {"Title", "Company", "Author"};
    for (int f = 0; f < kCreditFieldCount; ++f) {
        const PackCredit x = readPackCredit(a, CreditField(f)), y = readPackCredit(b, CreditField(f));
        if (x.text != y.text)
            out.push_back(std::string("credits: ") + names[f] + " " + quotedCredit(x.text) + " -> " + quotedCredit(y.text));
        else if (x.raw != y.raw)
            out.push_back(std::string("credits: ") + names[f] + " bytes " + hexString(x.raw.value_or(std::vector<std::uint8_t>{})) +
                          " -> " + hexString(y.raw.value_or(std::vector<std::uint8_t>{})));
    }
    const auto region = [&](const char* what, std::size_t offset, std::size_t length) {
        const auto x = a.view(offset, length), y = b.view(offset, length);
        if (!std::equal(x.begin(), x.end(), y.begin(), y.end()))
            out.push_back(std::string(what) + ": " + hexString(x) + " -> " + hexString(y));
    };
    region("lower item list", off::LowerItemList, kLowerItemCount);
}

} // namespace

std::array<bool, kLevelCount> differingLevels(const GameImage& a, const GameImage& b)
{
    std::array<bool, kLevelCount> differ{};
    for (int i = 0; i < kLevelCount; ++i)
        differ[std::size_t(i)] = levelDataDiffers(a, b, i) ||
                                 (i < kAttributeCount && a.get(attributeOffset(i)) != b.get(attributeOffset(i))) ||
                                 (i < kPatternCount && readPatternRows(a, i) != readPatternRows(b, i));
    return differ;
}

bool sameGameData(const GameImage& a, const GameImage& b)
{
    const GameDataRegions x = gameDataRegions(a), y = gameDataRegions(b);
    for (std::size_t r = 0; r < x.size(); ++r) {
        const auto u = a.view(x[r].offset, x[r].length), v = b.view(y[r].offset, y[r].length);
        if (!std::equal(u.begin(), u.end(), v.begin(), v.end()))
            return false;
    }
    return true;
}

std::vector<std::string> describeDifferences(const GameImage& a, const GameImage& b)
{
    Lines out;
    bool sameKinds = true, sameBubbles = true;
    for (int i = 0; i < kLevelCount; ++i) {
        levelLines(a, b, i, out);
        sameKinds = sameKinds && isMirroredLevel(a, i) == isMirroredLevel(b, i);
        sameBubbles = sameBubbles && packBubble(a, i) == packBubble(b, i);
    }
    tableLines(a, b, out);
    // The mirror bitmap's 80th bit belongs to no level.
    if (sameKinds && a.get(off::MirrorBitmap + kMirrorBitmapSize - 1) != b.get(off::MirrorBitmap + kMirrorBitmapSize - 1))
        out.push_back("mirror bitmap: the bit after level 79");
    // The order of the bubble table and its spare bytes, when no level's
    // bubble tells the difference.
    const auto ta = a.view(off::BubbleTable, kBubbleTableSize), tb = b.view(off::BubbleTable, kBubbleTableSize);
    if (sameBubbles && !std::equal(ta.begin(), ta.end(), tb.begin()))
        out.push_back("special bubble table: " + hexString(ta) + " -> " + hexString(tb));
    // Bytes no level or table holds (with the same kinds they lie alike).
    if (sameKinds)
        for (const auto& [offset, length] : unusedRanges(a)) {
            const auto x = a.view(offset, length), y = b.view(offset, length);
            if (!std::equal(x.begin(), x.end(), y.begin(), y.end()))
                out.push_back(format("unused bytes at 0x%04X..0x%04X", unsigned(spectrumAddress(offset)),
                                     unsigned(spectrumAddress(offset + length - 1))));
        }
    if (out.empty() && !sameGameData(a, b))
        out.push_back("game data bytes");
    return out;
}

} // namespace zq
