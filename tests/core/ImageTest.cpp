#include "image/GameImage.h"
#include "image/LayoutGrid.h"
#include "image/LevelData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace zq {
namespace {

void setMirrorBits(GameImage& image, std::initializer_list<int> levels)
{
    for (int k : levels)
        image.set(off::MirrorBitmap + std::size_t(k / 8), std::uint8_t(image.get(off::MirrorBitmap + std::size_t(k / 8)) | (0x80 >> (k % 8))));
}

TEST(GameImageTest, OffsetsOfTheMemoryMap)
{
    EXPECT_EQ(kImageSize, 49179u);
    EXPECT_EQ(imageOffset(0x4000), 27u);
    EXPECT_EQ(off::LevelRecords, 8643u);
    EXPECT_EQ(off::EnemyTable, 13500u);
    EXPECT_EQ(off::AirflowRecords, 14798u);
    EXPECT_EQ(off::BubbleTable, 15974u);
    EXPECT_EQ(off::MirrorBitmap, 17758u);
    EXPECT_EQ(off::AttributeTable, 17831u);
    EXPECT_EQ(off::LowerItemList, 17962u);
    EXPECT_EQ(off::Title, 23117u);
    EXPECT_EQ(off::Company, 23142u);
    EXPECT_EQ(off::Author, 23164u);
    EXPECT_EQ(off::PatternTable, 42651u);
    EXPECT_EQ(off::Signature, 46551u);
    EXPECT_EQ(off::ItemTable, 49067u);
    EXPECT_EQ(imageOffset(0xFFFF), kImageSize - 1);
}

TEST(GameImageTest, AccessOutsideTheImageIsBounded)
{
    GameImage image;
    image.set(kImageSize, 0x55);
    image.set(std::size_t(-1), 0x55);
    EXPECT_EQ(image.get(kImageSize), 0);
    EXPECT_EQ(image.get(std::size_t(-1)), 0);
    EXPECT_EQ(image.view(kImageSize - 4, 100).size(), 4u);
    EXPECT_TRUE(image.view(kImageSize + 5, 1).empty());
}

TEST(GameImageTest, AssignCopiesAtMostTheImage)
{
    GameImage image;
    std::vector<std::uint8_t> big(131103, 0xAB);
    image.assign(big);
    EXPECT_EQ(image.get(kImageSize - 1), 0xAB);
    std::vector<std::uint8_t> small(10, 0x11);
    image.assign(small);
    EXPECT_EQ(image.get(9), 0x11);
    EXPECT_EQ(image.get(10), 0xAB);
}

TEST(GameImageTest, DefaultImageIsCarried)
{
    GameImage image;
    ASSERT_TRUE(image.loadDefault());
    EXPECT_NE(image.get(off::Signature), 0);
}

TEST(LevelRecordTest, WalkFollowsTheMirrorBitmap)
{
    GameImage image;
    // Levels 1 and 3 mirrored, level 2 full-width.
    setMirrorBits(image, {0, 2});
    EXPECT_EQ(findLevelRecord(image, 0).offset, off::LevelRecords);
    EXPECT_TRUE(findLevelRecord(image, 0).mirrored);
    EXPECT_FALSE(findLevelRecord(image, 1).mirrored);
    EXPECT_EQ(findLevelRecord(image, 3).offset, off::LevelRecords + 39 + 77 + 39);
    EXPECT_FALSE(findLevelRecord(image, 3).mirrored);
}

TEST(LevelRecordTest, AnyBitmapStaysInsideTheImage)
{
    GameImage image;
    // All full-width: the largest offset the walk can give.
    EXPECT_EQ(findLevelRecord(image, 78).offset, off::LevelRecords + 78 * 77);
    for (std::size_t i = 0; i < kMirrorBitmapSize; ++i)
        image.set(off::MirrorBitmap + i, 0xFF);
    EXPECT_EQ(findLevelRecord(image, 78).offset, off::LevelRecords + 78 * 39);
    EXPECT_TRUE(findLevelRecord(image, 78).mirrored);
    // Out-of-range indices are clamped, never walked past level 79.
    EXPECT_EQ(findLevelRecord(image, 500).offset, findLevelRecord(image, 78).offset);
    EXPECT_EQ(findLevelRecord(image, -3).offset, off::LevelRecords);
}

TEST(LevelRecordTest, SharedAttributesAndPatterns)
{
    EXPECT_EQ(attributeOffset(78), off::AttributeTable + 3);
    EXPECT_EQ(patternOffset(78), off::PatternTable + 8 * 3);
    for (int level : {1, 16, 31, 46, 61, 76})
        EXPECT_EQ(attributeOffset(level), off::AttributeTable + 1);
    EXPECT_EQ(patternOffset(5), off::PatternTable);
}

TEST(AttributeTest, DecodeAndEncode)
{
    const Attribute a = decodeAttribute(0xF2); // 1 1 110 010
    EXPECT_EQ(a.ink, 2);
    EXPECT_EQ(a.paper, 6);
    EXPECT_EQ(a.bigBorder, 128);
    // Bit 6 is dropped when the byte is written back.
    EXPECT_EQ(encodeAttribute(a.paper, a.ink, a.bigBorder), 0xB2);
    EXPECT_EQ(encodeAttribute(6, 1, 0), 0x31);
}

TEST(CreditTextTest, ReadTrimsTrailingControlAndSpaceAndStopsAtZero)
{
    GameImage image;
    const char* title = "HELLO WORLD  \x01  ";
    for (std::size_t i = 0; i < 24; ++i)
        image.set(off::Title + i, i < std::strlen(title) ? std::uint8_t(title[i]) : 0);
    EXPECT_EQ(readCreditText(image, CreditField::Title), U"HELLO WORLD");

    // A zero byte in the middle ends the text; trimming happens first.
    const std::uint8_t company[21] = {'A', 'B', ' ', ' ', 0, 'C', 'D'};
    for (std::size_t i = 0; i < 21; ++i)
        image.set(off::Company + i, company[i]);
    EXPECT_EQ(readCreditText(image, CreditField::Company), U"AB  ");

    // Bytes above 127 are kept as characters.
    image.set(off::Author, 0xE9);
    EXPECT_EQ(readCreditText(image, CreditField::Author), std::u32string(1, char32_t(0xE9)));
}

TEST(CreditTextTest, WritePadsAndSkipsCharactersOutside32To127)
{
    GameImage image;
    for (std::size_t i = 0; i < 30; ++i)
        image.set(off::Title + i, 0xEE);
    writeCreditText(image, CreditField::Title, U"ABCDE");
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(image.get(off::Title + i), "ABCDE"[i]);
    for (std::size_t i = 5; i < 24; ++i)
        EXPECT_EQ(image.get(off::Title + i), ' ');
    EXPECT_EQ(image.get(off::Title + 24), 0xEE); // the byte after the field

    writeCreditText(image, CreditField::Title, U"A\u00E9C\u4E2D\tF");
    EXPECT_EQ(image.get(off::Title + 0), 'A');
    EXPECT_EQ(image.get(off::Title + 1), 'B'); // unchanged
    EXPECT_EQ(image.get(off::Title + 2), 'C');
    EXPECT_EQ(image.get(off::Title + 3), 'D'); // unchanged
    EXPECT_EQ(image.get(off::Title + 4), 'E'); // tab: unchanged
    EXPECT_EQ(image.get(off::Title + 5), 'F');

    // A text longer than the field never writes past it.
    writeCreditText(image, CreditField::Author, std::u32string(40, U'x'));
    EXPECT_EQ(image.get(off::Author + 19), 'x');
    EXPECT_EQ(image.get(off::Author + 20), 0);
}

TEST(CreditTextTest, LoadingIntoABoxTurnsTheTailIntoSpaces)
{
    GameImage image;
    const std::uint8_t bytes[20] = {'J', 'O', 0, 'X', 'Y'};
    for (std::size_t i = 0; i < 20; ++i)
        image.set(off::Author + i, bytes[i]);
    writeCreditText(image, CreditField::Author, readCreditText(image, CreditField::Author));
    EXPECT_EQ(image.get(off::Author + 1), 'O');
    for (std::size_t i = 2; i < 20; ++i)
        EXPECT_EQ(image.get(off::Author + i), ' ');
}

TEST(LayoutGridTest, CellCodes)
{
    const CellCodeTables codes;
    EXPECT_EQ(codes.code(false, 0, 0), 0u);
    EXPECT_EQ(codes.code(false, 0, 7), 7u);
    EXPECT_EQ(codes.code(false, 0, 8), 10u);
    EXPECT_EQ(codes.code(false, 0, 9), 11u);
    EXPECT_EQ(codes.code(false, 21, 27), 767u);
    EXPECT_EQ(codes.code(true, 21, 13), 383u); // k = 307: byte 38, shift 3
}

TEST(LayoutGridTest, CellBitsInTheRecord)
{
    GameImage image;
    const CellCodeTables codes;
    const std::size_t rec = off::LevelRecords;
    toggleCell(image, rec, codes.code(false, 0, 0));
    EXPECT_EQ(image.get(rec), 0x80);
    toggleCell(image, rec, codes.code(false, 0, 7));
    EXPECT_EQ(image.get(rec), 0x81);
    toggleCell(image, rec, codes.code(false, 0, 8));
    EXPECT_EQ(image.get(rec + 1), 0x80);
    toggleCell(image, rec, codes.code(false, 21, 27));
    EXPECT_EQ(image.get(rec + 76), 0x01);
    EXPECT_TRUE(readCell(image, rec, codes.code(false, 21, 27)));

    // Mirrored (21, 13) is bit 4 of byte 38; bits 3-0 stay.
    image.set(rec + 38, 0x0F);
    toggleCell(image, rec, codes.code(true, 21, 13));
    EXPECT_EQ(image.get(rec + 38), 0x1F);
    setCell(image, rec, codes.code(true, 21, 13), false);
    EXPECT_EQ(image.get(rec + 38), 0x0F);
    setCell(image, rec, codes.code(true, 21, 13), false);
    EXPECT_EQ(image.get(rec + 38), 0x0F);
}

TEST(LayoutGridTest, ToggleTwiceRestoresEveryByte)
{
    GameImage image;
    const CellCodeTables codes;
    for (std::size_t i = 0; i < 77; ++i)
        image.set(off::LevelRecords + i, std::uint8_t(i * 37 + 11));
    const GameImage before = image;
    for (int r = 0; r < kGridRows; ++r)
        for (int c = 0; c < kGridCols; ++c) {
            toggleCell(image, off::LevelRecords, codes.code(false, r, c));
            EXPECT_NE(image, before);
            toggleCell(image, off::LevelRecords, codes.code(false, r, c));
            EXPECT_EQ(image, before);
        }
}

TEST(WallMapTest, EmptyLayoutHasOnlySideWallsAndTheTopWall)
{
    GameImage image;
    WallMap map;
    map.rebuild(image, findLevelRecord(image, 0));
    for (int x = 0; x < 32; ++x) {
        const bool gap = (x >= 9 && x <= 12) || (x >= 19 && x <= 22);
        EXPECT_EQ(map.at(x, 0), gap ? 0x00 : 0xFF);
        EXPECT_EQ(map.at(x, 1), gap ? 0x00 : 0xFF);
    }
    for (int y = 2; y < 24; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool side = x < 2 || x > 29;
            EXPECT_EQ(map.at(x, y), side ? WallMap::kWall : WallMap::kOpen) << x << "," << y;
        }
}

TEST(WallMapTest, MirroredBlockAppearsOnBothSides)
{
    GameImage image;
    setMirrorBits(image, {0});
    const CellCodeTables codes;
    const LevelRecord rec = findLevelRecord(image, 0);
    toggleCell(image, rec.offset, codes.code(true, 5, 0));
    WallMap map;
    map.rebuild(image, rec);
    EXPECT_EQ(map.at(2, 7), WallMap::kWall);
    EXPECT_EQ(map.at(29, 7), WallMap::kWall);
    EXPECT_EQ(map.at(3, 7), WallMap::kOpen);
    EXPECT_TRUE(map.isWall(29, 7));
    EXPECT_FALSE(map.isWall(3, 7));

    // A later rebuild of another layout leaves nothing behind.
    toggleCell(image, rec.offset, codes.code(true, 5, 0));
    map.rebuild(image, rec);
    EXPECT_EQ(map.at(2, 7), WallMap::kOpen);
}

} // namespace
} // namespace zq
