// The sample game image the project carries, read back through the core
// library: a complete 48K snapshot of the game's format that exercises every
// region the editor touches.

#include "gfx/FastDIB.h"
#include "image/GameImage.h"
#include "image/LayoutGrid.h"
#include "image/LevelData.h"
#include "tools/Airflow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

namespace zq {
namespace {

class SampleImageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::ifstream in(ZELQUOR_SAMPLE_SNAPSHOT, std::ios::binary);
        bytes_ = std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
        image_.assign(bytes_);
    }

    static std::uint8_t at(std::uint16_t address) { return image_.get(imageOffset(address)); }
    static std::uint16_t word(std::size_t offset) { return std::uint16_t(image_.get(offset) | image_.get(offset + 1) << 8); }

    static std::vector<std::uint8_t> bytes_;
    static GameImage image_;
};

std::vector<std::uint8_t> SampleImageTest::bytes_;
GameImage SampleImageTest::image_;

TEST_F(SampleImageTest, IsTheCarriedDefaultAndAValid48KSnapshot)
{
    ASSERT_EQ(bytes_.size(), kImageSize);
    GameImage carried;
    ASSERT_TRUE(carried.loadDefault());
    EXPECT_EQ(carried, image_);
    EXPECT_EQ(image_.get(25), 1);           // interrupt mode 1
    EXPECT_NE(image_.get(19) & 0x04, 0);    // interrupts enabled
    const std::uint16_t sp = word(23);
    ASSERT_GE(sp, 0x4000);
    EXPECT_EQ(word(imageOffset(sp)), 0xF5BC); // resuming starts the program at 0xF5BC
    const std::uint8_t signature[10] = {0xF3, 0x31, 0x90, 0x61, 0xFD, 0x21, 0x3A, 0x5C, 0xED, 0x56};
    for (std::size_t i = 0; i < 10; ++i)
        EXPECT_EQ(image_.get(off::Signature + i), signature[i]);
    EXPECT_EQ(at(0x5B5C), 0x00);
    // A loading picture: the screen is not blank.
    const auto screen = image_.view(off::Screen, kScreenSize);
    EXPECT_GT(std::count_if(screen.begin(), screen.begin() + 6144, [](std::uint8_t b) { return b != 0; }), 500);
}

TEST_F(SampleImageTest, LevelsArePackedAndDistinct)
{
    const CellCodeTables codes;
    int fullWidth = 0;
    std::set<std::vector<bool>> layouts;
    std::size_t expected = off::LevelRecords;
    for (int level = 0; level < kLevelCount; ++level) {
        const LevelRecord rec = findLevelRecord(image_, level);
        EXPECT_EQ(rec.offset, expected);
        expected += rec.size();
        fullWidth += rec.mirrored ? 0 : 1;
        std::vector<bool> grid;
        int blocks = 0;
        for (int r = 0; r < kGridRows; ++r)
            for (int c = 0; c < kGridCols; ++c) {
                const int stored = rec.mirrored && c > 13 ? 27 - c : c;
                grid.push_back(readCell(image_, rec.offset, codes.code(rec.mirrored, r, stored)));
                blocks += grid.back();
            }
        EXPECT_GT(blocks, 40) << "level " << level + 1 << " is nearly empty";
        EXPECT_TRUE(layouts.insert(grid).second) << "level " << level + 1 << " repeats another";
        if (rec.mirrored) {
            EXPECT_EQ(image_.get(rec.offset + 38) & 0x0F, 0);
        }
    }
    EXPECT_LE(fullWidth, 46);
    EXPECT_GE(fullWidth, 10);
    EXPECT_LE(fullWidth, 79 - 10);
    EXPECT_LT(expected, off::EnemyTable);
}

TEST_F(SampleImageTest, ColoursAndPatternsAreWhatTheControlsOffer)
{
    int bigBorders = 0;
    for (int i = 0; i < kAttributeCount; ++i) {
        const std::uint8_t byte = image_.get(off::AttributeTable + std::size_t(i));
        const Attribute a = decodeAttribute(byte);
        EXPECT_TRUE(a.ink != 0 && a.ink != 2) << i;
        EXPECT_TRUE(a.paper != 0 && a.paper != 5) << i;
        EXPECT_NE(a.ink, a.paper);
        EXPECT_EQ(byte & 0x40, 0);
        bigBorders += a.bigBorder != 0;
    }
    EXPECT_GE(bigBorders, 2);
    EXPECT_LE(bigBorders, 13);
    std::set<std::vector<std::uint8_t>> patterns;
    for (int p = 0; p < kPatternCount; ++p) {
        const auto v = image_.view(off::PatternTable + 8 * std::size_t(p), 8);
        patterns.insert({v.begin(), v.end()});
    }
    EXPECT_EQ(patterns.size(), 5u);
}

TEST_F(SampleImageTest, EnemiesAreInPlace)
{
    int gapLevels = 0;
    std::set<int> burstTimes, kinds;
    for (int level = 0; level < kLevelCount; ++level) {
        const std::size_t entry = off::EnemyTable + kEnemyEntrySize * std::size_t(level);
        int count = 0;
        bool sawEmpty = false, gap = false;
        for (std::size_t slot = 0; slot < 7; ++slot) {
            const std::uint8_t b0 = image_.get(entry + 2 * slot), b1 = image_.get(entry + 2 * slot + 1);
            if (b0 < 8) {
                EXPECT_EQ(b0, 0);
                EXPECT_EQ(b1, 0);
                sawEmpty = true;
                continue;
            }
            gap = gap || sawEmpty;
            ++count;
            EXPECT_GE(b0 >> 3, 2);
            EXPECT_LE(b0 >> 3, 28);
            EXPECT_LE(b1 >> 3, 21);
            EXPECT_EQ(b1 & 0x06, 0);
            kinds.insert(b0 & 7);
        }
        EXPECT_GE(count, 1) << level;
        EXPECT_LE(image_.get(entry + 14), 7);
        burstTimes.insert(image_.get(entry + 15));
        gapLevels += gap;
    }
    EXPECT_GE(gapLevels, 1);
    EXPECT_EQ(kinds.size(), 8u);
    EXPECT_GE(burstTimes.size(), 10u);
}

TEST_F(SampleImageTest, AirflowRecordsFitTheirRoomsAndUseEveryGapSet)
{
    std::set<std::uint16_t> addresses(kAirflowRecordAddresses.begin(), kAirflowRecordAddresses.end());
    std::set<int> gapSets;
    for (auto it = addresses.begin(); it != addresses.end(); ++it) {
        AirflowRecord rec;
        readAirflowRecord(image_, imageOffset(*it), rec);
        const auto next = std::next(it);
        if (next != addresses.end()) {
            EXPECT_LE(airflowRecordLength(rec.n), std::size_t(*next - *it)) << std::hex << *it;
        }
        EXPECT_LE(rec.n, 10);
        gapSets.insert(rec.gapSet);
        for (int k = 0; k <= rec.n; ++k) {
            EXPECT_GE(rec.column[std::size_t(k)], 2);
            EXPECT_GE(rec.width[std::size_t(k)], 1);
            EXPECT_LE(rec.column[std::size_t(k)] + rec.width[std::size_t(k)] - 1, 15);
            EXPECT_GE(rec.row[std::size_t(k)], 2);
            EXPECT_GE(rec.height[std::size_t(k)], 1);
            EXPECT_LE(rec.row[std::size_t(k)] + rec.height[std::size_t(k)] - 1, 23);
        }
    }
    for (int g = 0; g <= 12; ++g)
        EXPECT_TRUE(gapSets.count(g)) << "gap set " << g;
}

TEST_F(SampleImageTest, BubbleTableIsFullWithFourAscendingGroups)
{
    const auto table = image_.view(off::BubbleTable, kBubbleTableSize);
    int group = 0, numbers = 0, above = 0, previous = 0;
    std::set<int> seen;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i] == 0) {
            ++group;
            previous = 0;
            continue;
        }
        ASSERT_LT(group, 4) << "spare bytes after the fourth group";
        EXPECT_GT(table[i], previous);
        previous = table[i];
        EXPECT_TRUE(seen.insert(table[i]).second);
        ++numbers;
        above += table[i] > 79;
    }
    EXPECT_EQ(group, 4);
    EXPECT_EQ(table.back(), 0); // no spare byte
    EXPECT_EQ(numbers, 49);
    EXPECT_GE(above, 1);
    EXPECT_NE(image_.get(off::BubbleTable + kBubbleTableSize), 0);
}

TEST_F(SampleImageTest, ItemsLieInsideTheirBoxes)
{
    std::set<int> lower;
    for (std::size_t i = 0; i < kLowerItemCount; ++i) {
        const int n = image_.get(off::LowerItemList + i);
        EXPECT_GE(n, 1);
        EXPECT_LE(n, 79);
        lower.insert(n);
    }
    EXPECT_EQ(lower.size(), kLowerItemCount);
    for (int level = 0; level < kLevelCount; ++level) {
        const std::uint8_t item = image_.get(off::ItemTable + std::size_t(level));
        const int h = item >> 4, v = item & 15;
        EXPECT_GE(h, 2) << level;
        EXPECT_LE(h, 14) << level;
        if (lower.count(level + 1)) {
            EXPECT_LE(v, 5) << level;
        } else {
            EXPECT_GE(v, 3) << level;
        }
    }
}

TEST_F(SampleImageTest, CreditTextsArePaddedPrintableText)
{
    for (CreditField f : {CreditField::Title, CreditField::Company, CreditField::Author}) {
        const CreditFieldInfo info = creditFieldInfo(f);
        const std::u32string text = readCreditText(image_, f);
        EXPECT_GE(text.size(), 5u);
        for (std::size_t i = 0; i < info.width; ++i) {
            const std::uint8_t b = image_.get(info.offset + i);
            EXPECT_TRUE(b >= 32 && b < 127);
            if (i >= text.size()) {
                EXPECT_EQ(b, ' ');
            }
        }
    }
}

TEST_F(SampleImageTest, EnemyPicturesAreCyanCreaturesInMirroredPairs)
{
    for (int type = 0; type < 16; ++type) {
        TFastDIB picture;
        ASSERT_TRUE(picture.LoadFromResource("B" + std::to_string(type)));
        ASSERT_EQ(picture.Width(), 16);
        int cyan = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const std::uint32_t p = picture.PixelAt(x, y);
                EXPECT_TRUE(p == 0 || p == 0x00FFFF || p == 0xFFFFFF) << type;
                cyan += p == 0x00FFFF;
            }
        EXPECT_GT(cyan, 20);
        if (type % 2 == 1) {
            TFastDIB even;
            ASSERT_TRUE(even.LoadFromResource("B" + std::to_string(type - 1)));
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    EXPECT_EQ(picture.PixelAt(x, y), even.PixelAt(15 - x, y));
        }
    }
    TFastDIB empty;
    ASSERT_TRUE(empty.LoadFromResource("B16"));
    EXPECT_EQ(empty.Width(), 16);
    int white = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const std::uint32_t p = empty.PixelAt(x, y);
            EXPECT_TRUE(p == 0 || p == 0xFFFFFF);
            white += p != 0;
        }
    EXPECT_GT(white, 10);
}

} // namespace
} // namespace zq
