#include "entities/Enemies.h"
#include "render/Palette.h"
#include "tests/TestImages.h"

#include <gtest/gtest.h>

#include <vector>

namespace zq {
namespace {

using test::kMarker;

void setRecord(GameImage& image, int level, int slot, std::uint8_t b0, std::uint8_t b1)
{
    image.set(enemyRecordOffset(level, slot), b0);
    image.set(enemyRecordOffset(level, slot) + 1, b1);
}

std::pair<int, int> record(const GameImage& image, int level, int slot)
{
    return {image.get(enemyRecordOffset(level, slot)), image.get(enemyRecordOffset(level, slot) + 1)};
}

// An image whose enemy table holds distinct non-zero bytes everywhere, so any
// stray write shows.
GameImage busyImage()
{
    GameImage image;
    for (std::size_t i = 0; i < kLevelCount * kEnemyEntrySize; ++i)
        image.set(off::EnemyTable + i, std::uint8_t(0x40 + i % 0x90));
    return image;
}

bool maskBit(int type, int row, int column)
{
    return kEnemyMasks[std::size_t(type)][std::size_t(2 * row + column / 8)] & (0x80 >> (column % 8));
}

TEST(EnemyRecordTest, EntryOffsets)
{
    EXPECT_EQ(enemyEntryOffset(0), 13500u);
    EXPECT_EQ(enemyEntryOffset(78), 13500u + 16 * 78);
    EXPECT_EQ(enemyEntryOffset(78) + 15, imageOffset(0x7990));
    EXPECT_EQ(enemyRecordOffset(2, 6), 13500u + 32 + 12);
}

TEST(EnemyRecordTest, WorkedExampleDecodes)
{
    GameImage image;
    setRecord(image, 4, 2, 0x52, 0x31);
    const EnemySlot s = decodeEnemies(image, 4)[2];
    EXPECT_EQ(s.column, 10);
    EXPECT_EQ(s.kind, 2);
    EXPECT_EQ(s.row, 6);
    EXPECT_EQ(s.facing, 1);
    EXPECT_EQ(s.type, 5);
    EXPECT_EQ(enemyPictureName(s.type), "B5");
}

TEST(EnemyRecordTest, EmptyRecords)
{
    EXPECT_EQ(decodeEnemySlot(0, 0).type, kEmptyEnemyType);
    for (int b0 = 1; b0 < 8; ++b0)
        EXPECT_EQ(decodeEnemySlot(std::uint8_t(b0), 0x31).type, kEmptyEnemyType) << b0;
    EXPECT_EQ(decodeEnemySlot(8, 0).type, 0);
    EXPECT_EQ(enemyPictureName(kEmptyEnemyType), "B16");
}

TEST(EnemyRecordTest, EveryBytePairDecodesInRange)
{
    for (int b0 = 0; b0 < 256; ++b0)
        for (int b1 = 0; b1 < 256; ++b1) {
            const EnemySlot s = decodeEnemySlot(std::uint8_t(b0), std::uint8_t(b1));
            ASSERT_LE(s.row, 31);
            ASSERT_LE(s.column, 31);
            if (s.column == 0)
                ASSERT_EQ(s.type, kEmptyEnemyType);
            else
                ASSERT_EQ(s.type, 2 * (b0 & 7) + (b1 & 1));
        }
    // Bits 2-1 of byte 1 do not disturb row or facing.
    const EnemySlot s = decodeEnemySlot(0x52, 0x37);
    EXPECT_EQ(s.row, 6);
    EXPECT_EQ(s.type, 5);
}

TEST(EnemyRecordTest, EmptySlotBetweenOccupiedOnesStaysInPlace)
{
    GameImage image;
    setRecord(image, 0, 0, 0x18, 0x10);
    setRecord(image, 0, 3, 0x22, 0x41);
    const EnemySlotView view = decodeEnemies(image, 0);
    EXPECT_EQ(view[0].type, 0);
    EXPECT_EQ(view[1].type, kEmptyEnemyType);
    EXPECT_EQ(view[2].type, kEmptyEnemyType);
    EXPECT_EQ(view[3].type, 5);
    EXPECT_EQ(view[3].column, 4);
}

TEST(EnemyTypeStepTest, ThroughTheWrap)
{
    GameImage image;
    setRecord(image, 7, 1, 0x56, 0x30); // column 10, kind 6, row 6, facing 0: type 12
    stepEnemyType(image, 7, 1, 12, 15);
    EXPECT_EQ(record(image, 7, 1), std::make_pair(0x57, 0x31));

    stepEnemyType(image, 7, 1, 15, 16); // up from 15 clears
    EXPECT_EQ(record(image, 7, 1), std::make_pair(0, 0));

    stepEnemyType(image, 7, 1, 16, 0); // up from empty creates at column 3, row 0
    EXPECT_EQ(record(image, 7, 1), std::make_pair(0x18, 0x00));
    EXPECT_EQ(decodeEnemies(image, 7)[1].type, 0);

    stepEnemyType(image, 7, 1, 0, 16); // down from 0 clears
    stepEnemyType(image, 7, 1, 16, 15); // down from empty gives 15
    EXPECT_EQ(record(image, 7, 1), std::make_pair(0x1F, 0x01));
}

TEST(EnemyTypeStepTest, CreationKeepsTheRowOfByteOne)
{
    GameImage image;
    setRecord(image, 0, 4, 0x05, 0x36); // empty (column 0), row 6 with bits 2-1 set
    stepEnemyType(image, 0, 4, 16, 0);
    EXPECT_EQ(record(image, 0, 4), std::make_pair(0x18, 0x30));

    setRecord(image, 0, 5, 0x03, 0x48);
    stepEnemyType(image, 0, 5, 16, 15);
    EXPECT_EQ(record(image, 0, 5), std::make_pair(0x1F, 0x49));
    const EnemySlot s = decodeEnemies(image, 0)[5];
    EXPECT_EQ(s.column, 3);
    EXPECT_EQ(s.row, 9);
    EXPECT_EQ(s.type, 15);
}

TEST(EnemyTypeStepTest, TypeChangeRewritesOnlyTheLowBits)
{
    GameImage image;
    setRecord(image, 3, 6, 0x52, 0x37);
    stepEnemyType(image, 3, 6, 5, 8);
    EXPECT_EQ(record(image, 3, 6), std::make_pair(0x54, 0x30));
}

TEST(EnemyTypeStepTest, OneSlotNeverTouchesAnythingElse)
{
    for (int slot = 0; slot < kEnemySlotCount; ++slot)
        for (int newType : {0, 7, 15, 16}) {
            GameImage image = busyImage();
            const GameImage before = image;
            const int oldType = decodeEnemies(image, 20)[std::size_t(slot)].type;
            stepEnemyType(image, 20, slot, oldType, newType);
            const std::size_t p = enemyRecordOffset(20, slot);
            for (std::size_t i = 0; i < kImageSize; ++i) {
                if (i != p && i != p + 1) {
                    ASSERT_EQ(image.get(i), before.get(i)) << "slot " << slot << " byte " << i;
                }
            }
        }
}

TEST(EnemyTypeStepTest, InvalidArgumentsChangeNothing)
{
    GameImage image = busyImage();
    const GameImage before = image;
    stepEnemyType(image, 1, -1, 3, 4);
    stepEnemyType(image, 1, 7, 3, 4);
    stepEnemyType(image, 1, 0, 3, 17);
    stepEnemyType(image, 1, 0, 3, -1);
    EXPECT_TRUE(image == before);
}

TEST(EnemyEntryTest, PatternAndBurstTime)
{
    GameImage image = busyImage();
    GameImage expected = image;
    setBurstTime(image, 0, 200);
    expected.set(13515, 200);
    EXPECT_TRUE(image == expected);
    EXPECT_EQ(burstTime(image, 0), 200);

    setEnemiesPattern(image, 78, 7);
    expected.set(enemyEntryOffset(78) + 14, 7);
    EXPECT_TRUE(image == expected);
    EXPECT_EQ(enemiesPattern(image, 78), 7);
}

TEST(EnemyDragTest, SelectionByCoveredCells)
{
    EnemySlotView view;
    view[2] = decodeEnemySlot(0x52, 0x31); // column 10, row 6: view 160..191 x 96..127
    EXPECT_EQ(selectEnemy(view, 160, 96, 4), 2);
    EXPECT_EQ(selectEnemy(view, 191, 127, 4), 2);
    EXPECT_EQ(selectEnemy(view, 159, 100, 4), 4);
    EXPECT_EQ(selectEnemy(view, 192, 100, 4), 4);
    EXPECT_EQ(selectEnemy(view, 170, 95, 4), 4);
    EXPECT_EQ(selectEnemy(view, 170, 128, 4), 4);

    view[5] = decodeEnemySlot(0x5A, 0x38); // column 11, row 7: overlaps in cell (11, 7)
    EXPECT_EQ(selectEnemy(view, 11 * 16, 7 * 16, 0), 5);
    EXPECT_EQ(selectEnemy(view, 10 * 16, 6 * 16, 0), 2);
}

TEST(EnemyDragTest, EmptySlotsAreTestedToo)
{
    EnemySlotView view; // all empty: column 0, row 0
    EXPECT_EQ(selectEnemy(view, 0, 0, 3), 6);
    EXPECT_EQ(selectEnemy(view, 31, 31, 3), 6);
    EXPECT_EQ(selectEnemy(view, 32, 0, 3), 3);
    // Division truncates toward zero: a pointer just left of the view is column 0.
    EXPECT_EQ(selectEnemy(view, -15, -15, 3), 6);
}

TEST(EnemyDragTest, MoveBounds)
{
    GameImage image = busyImage();
    EnemySlotView view;
    view[1] = decodeEnemySlot(0x52, 0x37); // kind 2, facing 1, bits 2-1 set
    const GameImage before = image;
    EXPECT_FALSE(moveEnemy(image, 5, view, 1, 31, 100));
    EXPECT_FALSE(moveEnemy(image, 5, view, 1, 464, 100));
    EXPECT_FALSE(moveEnemy(image, 5, view, 1, 100, 352));
    EXPECT_FALSE(moveEnemy(image, 5, view, 1, 100, 0));
    EXPECT_FALSE(moveEnemy(image, 5, view, 7, 100, 100));
    EXPECT_TRUE(image == before);

    EXPECT_TRUE(moveEnemy(image, 5, view, 1, 463, 351)); // column 28, row 21
    EXPECT_EQ(record(image, 5, 1), std::make_pair(0xE0 + 2, 0xA8 + 1));
    EXPECT_TRUE(moveEnemy(image, 5, view, 1, 32, 1)); // column 2, row 0
    EXPECT_EQ(record(image, 5, 1), std::make_pair(0x12, 0x01));

    GameImage expected = before;
    expected.set(enemyRecordOffset(5, 1), 0x12);
    expected.set(enemyRecordOffset(5, 1) + 1, 0x01);
    EXPECT_TRUE(image == expected);
}

TEST(EnemyDragTest, MoveWritesTheWorkedExample)
{
    GameImage image;
    EnemySlotView view;
    view[0].kind = 2;
    view[0].facing = 1;
    EXPECT_TRUE(moveEnemy(image, 0, view, 0, 170, 100));
    EXPECT_EQ(record(image, 0, 0), std::make_pair(0x52, 0x31));
}

TEST(EnemyOverlayTest, WorkedExampleMark)
{
    TFastDIB picture;
    test::fillWithMarker(picture);
    EnemySlotView view;
    view[0] = decodeEnemySlot(0x52, 0x31);
    drawEnemyOverlay(picture, view, 4);
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x) {
            const bool inside = x >= 80 && x < 96 && y >= 48 && y < 64;
            if (!inside)
                ASSERT_EQ(picture.PixelAt(x, y), kMarker) << x << "," << y;
            else
                ASSERT_EQ(picture.PixelAt(x, y), maskBit(5, y - 48, x - 80) ? kPalette[4] : 0u) << x << "," << y;
        }
}

TEST(EnemyOverlayTest, EmptySlotsDrawNothingAndLaterSlotsWin)
{
    TFastDIB picture;
    test::fillWithMarker(picture);
    EnemySlotView view;
    view[0] = decodeEnemySlot(0x07, 0x31); // column 0: empty
    drawEnemyOverlay(picture, view, 7);
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x)
            ASSERT_EQ(picture.PixelAt(x, y), kMarker);

    view[1] = decodeEnemySlot(0x50, 0x30); // type 0
    view[4] = decodeEnemySlot(0x56, 0x31); // type 13, same place
    drawEnemyOverlay(picture, view, 7);
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 16; ++j)
            ASSERT_EQ(picture.PixelAt(80 + j, 48 + i), maskBit(13, i, j) ? kPalette[7] : 0u);
}

// The mask table follows from the carried pictures: a bit wherever the
// picture is not black, except for four pixels of row 12 of mask 6.
TEST(EnemyMaskTest, MasksFollowFromThePictures)
{
    for (int type = 0; type < kEnemyTypeCount; ++type) {
        TFastDIB picture;
        ASSERT_TRUE(picture.LoadFromResource(enemyPictureName(type))) << type;
        ASSERT_EQ(picture.Width(), 16);
        ASSERT_EQ(picture.Height(), 16);
        for (int r = 0; r < 16; ++r)
            for (int c = 0; c < 16; ++c) {
                const bool lit = (picture.PixelAt(c, r) & 0xFFFFFF) != 0;
                const bool cutOut = type == 6 && r == 12 && c >= 2 && c <= 5;
                if (cutOut)
                    EXPECT_TRUE(lit && !maskBit(type, r, c)) << "type 6 at " << c;
                else
                    EXPECT_EQ(maskBit(type, r, c), lit) << "type " << type << " at " << c << "," << r;
            }
    }
}

} // namespace
} // namespace zq
