#include "tools/CanvasTools.h"

#include <gtest/gtest.h>

namespace zq {
namespace {

struct Level {
    GameImage image;
    CellCodeTables codes;
    LevelRecord record;

    explicit Level(bool mirrored)
    {
        if (mirrored)
            image.set(off::MirrorBitmap, 0x80);
        record = findLevelRecord(image, 0);
    }
    bool cell(int r, int c) const { return readCell(image, record.offset, codes.code(record.mirrored, r, c)); }
};

TEST(BlockToolTest, CellOfAPointerIsBoundedToTheGrid)
{
    const LevelRecord full{off::LevelRecords, false};
    const LevelRecord mirrored{off::LevelRecords, true};
    auto at = [](const LevelRecord& rec, int x, int y) {
        const GridCell c = blockCell(rec, x, y);
        return std::pair{c.row, c.column};
    };
    EXPECT_EQ(at(full, 40, 40), std::pair(0, 0));
    EXPECT_EQ(at(full, 10, 100), std::pair(4, 0));  // side wall
    EXPECT_EQ(at(full, 500, 100), std::pair(4, 27));
    EXPECT_EQ(at(full, 100, 5), std::pair(0, 4));   // top band
    EXPECT_EQ(at(full, -15, -15), std::pair(0, 0)); // truncates toward zero
    EXPECT_EQ(at(full, 9999, 9999), std::pair(21, 27));
    EXPECT_EQ(at(mirrored, 300, 383), std::pair(21, 13));
    EXPECT_EQ(at(mirrored, 255, 40), std::pair(0, 13));
}

TEST(BlockToolTest, PressTogglesAndDragPaintsThePressValue)
{
    Level l(false);
    setCell(l.image, l.record.offset, l.codes.code(false, 3, 5), true);
    // Press on a clear cell: set it, drag sets every crossed cell.
    EXPECT_EQ(BlockTool::press(l.image, l.record, l.codes, 40, 40), DragSetting);
    EXPECT_TRUE(l.cell(0, 0));
    for (int x = 40; x < 400; x += 7)
        BlockTool::drag(l.image, l.record, l.codes, DragSetting, x, 16 * 5 + 3);
    for (int c = 0; c < 23; ++c)
        EXPECT_TRUE(l.cell(3, c)) << c;
    EXPECT_TRUE(l.cell(3, 5));

    // Press on a set cell: clear, and drag clears.
    EXPECT_EQ(BlockTool::press(l.image, l.record, l.codes, 40 + 16 * 2, 16 * 5), DragClearing);
    EXPECT_FALSE(l.cell(3, 2));
    for (int x = 0; x < 600; x += 5)
        BlockTool::drag(l.image, l.record, l.codes, DragClearing, x, 16 * 5);
    for (int c = 0; c < 28; ++c)
        EXPECT_FALSE(l.cell(3, c)) << c;

    // No button held: nothing changes.
    EXPECT_FALSE(BlockTool::drag(l.image, l.record, l.codes, DragNone, 40, 40));
    EXPECT_TRUE(l.cell(0, 0));
}

TEST(BlockToolTest, DragOutsideTheViewKeepsPaintingTheBoundedCell)
{
    Level l(false);
    BlockTool::press(l.image, l.record, l.codes, 60, 60);
    EXPECT_TRUE(BlockTool::drag(l.image, l.record, l.codes, DragSetting, -300, 2000));
    EXPECT_TRUE(l.cell(21, 0));
    EXPECT_TRUE(BlockTool::drag(l.image, l.record, l.codes, DragSetting, 5000, -20));
    EXPECT_TRUE(l.cell(0, 27));
    // Nothing outside the 77-byte record changed.
    for (std::size_t i = 0; i < kImageSize; ++i) {
        if (i < l.record.offset || i >= l.record.offset + 77) {
            ASSERT_EQ(l.image.get(i), 0) << i;
        }
    }
}

TEST(BlockToolTest, MirroredRightHalfChangesNoByte)
{
    Level l(true);
    l.image.set(l.record.offset + 38, 0x0A); // the four spare bits
    const GameImage before = l.image;
    // The right half chooses the state from the bounded cell (column 13).
    EXPECT_EQ(BlockTool::press(l.image, l.record, l.codes, 300, 40), DragSetting);
    EXPECT_EQ(l.image, before);
    EXPECT_FALSE(BlockTool::drag(l.image, l.record, l.codes, DragSetting, 400, 40));
    EXPECT_EQ(l.image, before);
    // Back in the left half the drag paints the chosen value.
    EXPECT_TRUE(BlockTool::drag(l.image, l.record, l.codes, DragSetting, 100, 40));
    EXPECT_TRUE(l.cell(0, 4));

    // Painting the whole left half never touches the spare bits of byte 38.
    int state = BlockTool::press(l.image, l.record, l.codes, 32, 32);
    for (int y = -50; y < 450; y += 8)
        for (int x = -50; x < 256; x += 8)
            BlockTool::drag(l.image, l.record, l.codes, state, x, y);
    EXPECT_EQ(l.image.get(l.record.offset + 38) & 0x0F, 0x0A);
    EXPECT_EQ(l.image.get(l.record.offset + 39), 0);
}

TEST(PatternToolTest, CellsAreBoundedToTheEditor)
{
    auto at = [](int x, int y) {
        const GridCell c = patternCell(x, y);
        return std::pair{c.row, c.column};
    };
    EXPECT_EQ(at(128, 128), std::pair(7, 7));
    EXPECT_EQ(at(16, 0), std::pair(0, 1));
    EXPECT_EQ(at(15, 0), std::pair(0, 0));
    EXPECT_EQ(at(-40, 900), std::pair(7, 0));
}

TEST(PatternToolTest, PressAndDragSetOrClearPixels)
{
    GameImage image;
    const std::size_t pattern = off::PatternTable + 16;
    EXPECT_EQ(PatternTool::press(image, pattern, 128, 128), DragSetting);
    EXPECT_EQ(image.get(pattern + 7), 0x01);
    for (int x = 0; x < 129; x += 4)
        PatternTool::drag(image, pattern, DragSetting, x, 120);
    EXPECT_EQ(image.get(pattern + 7), 0xFF);
    EXPECT_EQ(PatternTool::press(image, pattern, 20, 120), DragClearing);
    EXPECT_EQ(image.get(pattern + 7), 0xBF);
    for (int y = -10; y < 300; y += 3)
        PatternTool::drag(image, pattern, DragClearing, 20, y);
    for (std::size_t j = 0; j < 8; ++j)
        EXPECT_EQ(image.get(pattern + j) & 0x40, 0);
    EXPECT_FALSE(PatternTool::drag(image, pattern, DragNone, 0, 0));
    EXPECT_EQ(image.get(pattern - 1), 0);
    EXPECT_EQ(image.get(pattern + 8), 0);
}

} // namespace
} // namespace zq

namespace zq {
namespace {

TEST(AreaToolTest, PressAnchorsInsideTheLeftHalf)
{
    AirflowRecord rec;
    AreaTool tool;
    tool.press(rec, 1, 20 * 16 + 3, 5); // column 20, row 0
    EXPECT_EQ(rec.column[1], 15);
    EXPECT_EQ(rec.row[1], 2);
    EXPECT_EQ(rec.width[1], 1);
    EXPECT_EQ(rec.height[1], 1);
    tool.press(rec, 0, -100, 5000);
    EXPECT_EQ(rec.column[0], 2);
    EXPECT_EQ(rec.row[0], 23);
}

TEST(AreaToolTest, ResizeGrowsTowardsTheBottomRightOnly)
{
    AirflowRecord rec;
    AreaTool tool;
    tool.press(rec, 0, 5 * 16, 6 * 16);
    tool.resize(rec, 0, 9 * 16 + 15, 10 * 16);
    EXPECT_EQ(rec.width[0], 5);
    EXPECT_EQ(rec.height[0], 5);
    EXPECT_EQ(rec.column[0], 5);
    EXPECT_EQ(rec.row[0], 6);
    tool.resize(rec, 0, 16, 16); // left of and above the anchor
    EXPECT_EQ(rec.width[0], 1);
    EXPECT_EQ(rec.height[0], 1);
    tool.resize(rec, 0, -40, 9000);
    EXPECT_EQ(rec.width[0], 1);
    EXPECT_EQ(rec.height[0], 18);
    tool.resize(rec, 0, 9000, -40);
    EXPECT_EQ(rec.width[0], 11);
    // An area index beyond the tables is held to the last entry.
    tool.resize(rec, 99, 9000, 9000);
    EXPECT_EQ(rec.width[15], 11);
}

} // namespace
} // namespace zq
