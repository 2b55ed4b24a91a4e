#include "pack/LevelPack.h"

#include "entities/Bubbles.h"
#include "entities/Items.h"
#include "image/GameData.h"
#include "pack/PackCodec.h"
#include "tools/Airflow.h"

#include <algorithm>

namespace zq {

namespace {

std::array<std::uint8_t, kEnemyEntrySize> enemyEntry(const GameImage& image, int levelIndex)
{
    std::array<std::uint8_t, kEnemyEntrySize> bytes{};
    const auto view = image.view(enemyEntryOffset(levelIndex), kEnemyEntrySize);
    std::copy(view.begin(), view.end(), bytes.begin());
    return bytes;
}

template <std::size_t N>
std::array<std::uint8_t, N> tableBytes(const GameImage& image, std::size_t offset)
{
    std::array<std::uint8_t, N> bytes{};
    const auto view = image.view(offset, N);
    std::copy(view.begin(), view.end(), bytes.begin());
    return bytes;
}

bool sameBytes(const GameImage& a, const GameImage& b, std::size_t offset, std::size_t length)
{
    const auto x = a.view(offset, length);
    const auto y = b.view(offset, length);
    return std::equal(x.begin(), x.end(), y.begin(), y.end());
}

// The length of the run of equal bytes at `at`, up to `end`.
std::size_t equalRun(const GameImage& game, std::size_t at, std::size_t end)
{
    std::size_t length = 1;
    while (at + length < end && game.get(at + length) == game.get(at))
        ++length;
    return length;
}

// The unused bytes as fills and chunks; with a base, only the entries that
// differ from it.
void addUnused(LevelPack& pack, const GameImage& game, const GameImage* base)
{
    for (const auto& [offset, length] : unusedRanges(game)) {
        const std::size_t end = offset + length;
        for (std::size_t at = offset; at < end;) {
            std::size_t size = equalRun(game, at, end);
            if (size < kUnusedFillRun) {
                size = 0;
                while (at + size < end && size < kUnusedChunk && equalRun(game, at + size, end) < kUnusedFillRun)
                    ++size;
            }
            if (!base || !sameBytes(game, *base, at, size)) {
                const auto bytes = game.view(at, size);
                pack.unused.push_back({spectrumAddress(at), {bytes.begin(), bytes.end()}});
            }
            at += size;
        }
    }
}

bool ownsAirflow(int levelIndex) { return airflowOwner(levelIndex) == levelIndex; }

} // namespace

Signature gameSignature(const GameImage& image)
{
    return tableBytes<kSignatureSize>(image, off::Signature);
}

int packBubble(const GameImage& image, int levelIndex)
{
    const int type = bubbleType(image, levelIndex + 1);
    return type >= 0 && type <= kBubbleGroupCount ? type : 0;
}

int airflowOwner(int levelIndex)
{
    const std::uint16_t address = kAirflowRecordAddresses[std::size_t(std::clamp(levelIndex, 0, kLevelCount - 1))];
    const auto first = std::find(kAirflowRecordAddresses.begin(), kAirflowRecordAddresses.end(), address);
    return int(first - kAirflowRecordAddresses.begin());
}

std::vector<std::pair<std::size_t, std::size_t>> unusedRanges(const GameImage& image)
{
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    const LevelRecord last = findLevelRecord(image, kLevelCount - 1);
    if (last.offset + last.size() < kLevelRecordsEnd)
        ranges.emplace_back(last.offset + last.size(), kLevelRecordsEnd - (last.offset + last.size()));

    // The air-flow region runs from the first record to the end of the last.
    const GameDataRegion airflow = airflowRegion(image);
    std::vector<bool> used(airflow.length, false);
    for (std::uint16_t address : kAirflowRecordAddresses) {
        const std::size_t offset = imageOffset(address);
        const std::size_t end = std::min(offset + airflowRecordLength(image.get(offset)), airflow.end());
        for (std::size_t at = offset; at < end; ++at)
            used[at - airflow.offset] = true;
    }
    for (std::size_t i = 0; i < used.size();) {
        if (used[i]) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < used.size() && !used[j])
            ++j;
        ranges.emplace_back(airflow.offset + i, j - i);
        i = j;
    }
    return ranges;
}

bool levelDataDiffers(const GameImage& game, const GameImage& base, int index)
{
    const LevelRecord a = findLevelRecord(game, index);
    const LevelRecord b = findLevelRecord(base, index);
    if (a.mirrored != b.mirrored)
        return true;
    const auto ra = game.view(a.offset, a.size());
    const auto rb = base.view(b.offset, b.size());
    if (!std::equal(ra.begin(), ra.end(), rb.begin(), rb.end()))
        return true;
    if (!sameBytes(game, base, enemyEntryOffset(index), kEnemyEntrySize) || itemByte(game, index) != itemByte(base, index) ||
        packBubble(game, index) != packBubble(base, index))
        return true;
    if (!ownsAirflow(index))
        return false;
    const std::size_t offset = airflowRecordOffset(index);
    const std::size_t length = airflowRecordLength(game.get(offset));
    return !sameBytes(game, base, offset, length) || airflowRecordLength(base.get(offset)) != length;
}

PackLevel readPackLevel(const GameImage& image, int levelIndex)
{
    PackLevel level;
    level.level = levelIndex + 1;
    const LevelRecord record = findLevelRecord(image, levelIndex);
    level.mirrored = record.mirrored;
    level.layout = readLayoutRows(image, record);
    if (record.mirrored) {
        const std::uint8_t last = image.get(record.offset + kMirroredRecordSize - 1);
        if (last & 0x0F)
            level.layoutLastByte = last;
    }
    level.enemies = decodeEnemyEntry(enemyEntry(image, levelIndex));
    const std::uint8_t item = itemByte(image, levelIndex);
    const ItemPosition at = itemPosition(item, itemPlacementState(image, levelIndex, record.mirrored));
    level.item = PackItem{item, at.x, at.y};
    level.bubble = packBubble(image, levelIndex);
    if (ownsAirflow(levelIndex))
        level.airflow = readPackAirflow(image, airflowRecordOffset(levelIndex));
    return level;
}

PackAttribute readPackAttribute(const GameImage& image, int entry)
{
    PackAttribute attribute = decodePackAttribute(image.get(attributeOffset(entry)));
    attribute.level = entry + 1;
    return attribute;
}

PackPattern readPackPattern(const GameImage& image, int entry)
{
    return {entry + 1, readPatternRows(image, entry)};
}

PackCredit readPackCredit(const GameImage& image, CreditField field)
{
    const CreditFieldInfo info = creditFieldInfo(field);
    const auto bytes = image.view(info.offset, info.width);
    return decodeCredit({bytes.begin(), bytes.end()});
}

std::optional<std::array<std::uint8_t, kBubbleTableSize>> canonicalBubbleTable(const std::array<int, kLevelCount>& bubbles)
{
    std::array<std::uint8_t, kBubbleTableSize> table{};
    std::size_t at = 0;
    for (int group = 1; group <= kBubbleGroupCount; ++group) {
        for (int i = 0; i < kLevelCount; ++i)
            if (bubbles[std::size_t(i)] == group) {
                if (at >= kBubbleTableSize)
                    return std::nullopt;
                table[at++] = std::uint8_t(i + 1);
            }
        if (at >= kBubbleTableSize)
            return std::nullopt;
        table[at++] = 0;
    }
    return table;
}

LevelPack wholeGamePack(const GameImage& game)
{
    LevelPack pack;
    pack.game = gameSignature(game);
    std::array<int, kLevelCount> bubbles{};
    for (int i = 0; i < kLevelCount; ++i) {
        pack.levels.push_back(readPackLevel(game, i));
        bubbles[std::size_t(i)] = *pack.levels.back().bubble;
    }
    for (int i = 0; i < kAttributeCount; ++i)
        pack.attributes.push_back(readPackAttribute(game, i));
    for (int i = 0; i < kPatternCount; ++i)
        pack.patterns.push_back(readPackPattern(game, i));
    for (int f = 0; f < kCreditFieldCount; ++f)
        pack.credits[std::size_t(f)] = readPackCredit(game, CreditField(f));
    const auto table = tableBytes<kBubbleTableSize>(game, off::BubbleTable);
    if (canonicalBubbleTable(bubbles) != table)
        pack.bubbleTable = table;
    pack.lowerItemList = tableBytes<kLowerItemCount>(game, off::LowerItemList);
    addUnused(pack, game, nullptr);
    return pack;
}

LevelPack changesPack(const GameImage& game, const GameImage& base)
{
    LevelPack pack;
    pack.game = gameSignature(game);
    for (int i = 0; i < kLevelCount; ++i)
        if (levelDataDiffers(game, base, i))
            pack.levels.push_back(readPackLevel(game, i));
    for (int i = 0; i < kAttributeCount; ++i)
        if (game.get(attributeOffset(i)) != base.get(attributeOffset(i)))
            pack.attributes.push_back(readPackAttribute(game, i));
    for (int i = 0; i < kPatternCount; ++i)
        if (!sameBytes(game, base, patternOffset(i), kPatternSize))
            pack.patterns.push_back(readPackPattern(game, i));
    for (int f = 0; f < kCreditFieldCount; ++f) {
        const CreditFieldInfo info = creditFieldInfo(CreditField(f));
        if (!sameBytes(game, base, info.offset, info.width))
            pack.credits[std::size_t(f)] = readPackCredit(game, CreditField(f));
    }
    if (!sameBytes(game, base, off::BubbleTable, kBubbleTableSize))
        pack.bubbleTable = tableBytes<kBubbleTableSize>(game, off::BubbleTable);
    if (!sameBytes(game, base, off::LowerItemList, kLowerItemCount))
        pack.lowerItemList = tableBytes<kLowerItemCount>(game, off::LowerItemList);
    addUnused(pack, game, &base);
    return pack;
}

LevelPack singleLevelPack(const GameImage& game, int levelIndex)
{
    LevelPack pack;
    pack.game = gameSignature(game);
    pack.levels.push_back(readPackLevel(game, levelIndex));
    if (levelIndex < kAttributeCount)
        pack.attributes.push_back(readPackAttribute(game, levelIndex));
    if (levelIndex < kPatternCount)
        pack.patterns.push_back(readPackPattern(game, levelIndex));
    return pack;
}

} // namespace zq
