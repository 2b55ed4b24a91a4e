#include "image/GameData.h"

#include "image/LevelData.h"

namespace zq {

namespace {

constexpr std::size_t kEnemyTableSize = kEnemyEntrySize * kLevelCount;

std::size_t lastAirflowRecordEnd(const GameImage& image)
{
    const std::size_t last = imageOffset(kLastAirflowRecord);
    return last + airflowRecordLength(image.get(last) & 15);
}

GameDataRegion creditRegion(std::string_view name, CreditField field)
{
    const CreditFieldInfo info = creditFieldInfo(field);
    return {name, info.offset, info.width};
}

} // namespace

std::size_t airflowRecordLength(int n)
{
    n &= 15;
    return std::size_t(4 + n / 2 + 2 * n);
}

GameDataRegion airflowRegion(const GameImage& image)
{
    return {"air-flow records", off::AirflowRecords, lastAirflowRecordEnd(image) - off::AirflowRecords};
}

GameDataRegions gameDataRegions(const GameImage& image)
{
    return {{
        {"level records", off::LevelRecords, off::EnemyTable - off::LevelRecords},
        {"enemy table", off::EnemyTable, kEnemyTableSize},
        airflowRegion(image),
        {"special bubble table", off::BubbleTable, kBubbleTableSize},
        {"mirror bitmap", off::MirrorBitmap, kMirrorBitmapSize},
        {"level attributes", off::AttributeTable, std::size_t(kAttributeCount)},
        {"lower item list", off::LowerItemList, kLowerItemCount},
        creditRegion("title", CreditField::Title),
        creditRegion("company", CreditField::Company),
        creditRegion("author", CreditField::Author),
        {"block patterns", off::PatternTable, kPatternCount * kPatternSize},
        {"item table", off::ItemTable, kItemTableSize},
    }};
}

bool isGameData(const GameDataRegions& regions, std::size_t offset)
{
    for (const GameDataRegion& region : regions)
        if (offset >= region.offset && offset < region.end())
            return true;
    return false;
}

std::size_t gameDataSize(const GameDataRegions& regions)
{
    std::size_t size = 0;
    for (const GameDataRegion& region : regions)
        size += region.length;
    return size;
}

} // namespace zq
