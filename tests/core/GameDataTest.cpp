#include "image/GameData.h"
#include "tools/Airflow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

namespace zq {
namespace {

// The regions are the editor's own: everything an edit can write lies in
// them, and nothing the game keeps elsewhere does.
TEST(GameDataTest, RegionsCoverTheEditedDataAndNothingElse)
{
    GameImage image;
    image.set(imageOffset(kLastAirflowRecord), 0x32); // gap set 3, three areas
    const GameDataRegions regions = gameDataRegions(image);

    for (std::size_t i = 1; i < regions.size(); ++i)
        EXPECT_GE(regions[i].offset, regions[i - 1].end()) << regions[i].name;
    EXPECT_EQ(regions[2].end(), imageOffset(kLastAirflowRecord) + 9);

    for (const std::size_t at : {off::LevelRecords, off::EnemyTable - 1, off::EnemyTable + 79 * 16 - 1,
                                 off::AirflowRecords, airflowRecordOffset(78) + 8, off::BubbleTable + 52,
                                 off::MirrorBitmap + 9, off::AttributeTable + 14, off::LowerItemList + 12,
                                 off::Title, off::Author + 19, off::PatternTable + 39, off::ItemTable + 78})
        EXPECT_TRUE(isGameData(regions, at)) << at;
    for (const std::size_t at : {std::size_t(0), off::Screen, off::Screen + kScreenSize - 1, off::RomSwap,
                                 off::LevelRecords - 1, airflowRecordOffset(78) + 9, off::Title + 24,
                                 off::Company + 21, off::Signature, off::Signature + 9, off::ItemTable - 1})
        EXPECT_FALSE(isGameData(regions, at)) << at;
}

} // namespace
} // namespace zq
