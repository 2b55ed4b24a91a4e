// The air-flow overlay and highlight in the level picture, and records at
// the limits: sixteen areas, areas off the map, direction nibbles that place
// rows off the map, and records at the end of the image.

#include "tools/Airflow.h"
#include "tests/core/AirflowSupport.h"
#include "tests/TestImages.h"

#include "render/Glyphs.h"
#include "render/Palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <set>
#include <vector>

namespace zq {
namespace {

using namespace test;

struct Picture {
    GameImage image;
    CellCodeTables codes;
    CurrentLevel level;
    TFastDIB picture;
    LevelRenderer renderer;

    Picture()
    {
        image.set(off::AttributeTable, 0x16); // paper 2 (red), ink 6 (yellow)
        level = decodeLevel(image, 0);
        fillWithMarker(picture);
    }
    RenderTarget target() { return RenderTarget{image, level, codes, picture}; }

    // True when cell (x, y) shows glyph g in ink over the given background.
    ::testing::AssertionResult cellShows(int x, int y, int g, std::uint32_t background) const
    {
        for (int j = 0; j < 8; ++j)
            for (int i = 0; i < 8; ++i) {
                const bool set = kGlyphs[std::size_t(g)][std::size_t(j)] & (0x80 >> i);
                const std::uint32_t want = set ? kPalette[6] : background;
                const std::uint32_t got = picture.PixelAt(8 * x + i, 8 * y + j);
                if (got != want)
                    return ::testing::AssertionFailure()
                           << "cell " << x << "," << y << " pixel " << i << "," << j << ": " << std::hex << got;
            }
        return ::testing::AssertionSuccess();
    }
};

TEST(AirflowTest, OverlayPaintsWallsInPaperAndKeepsOpenCells)
{
    Picture p;
    FlowMap flow;
    flow.cells.fill(0x00);
    flow.cells[0] = 0xA0;          // (0, 0): wall, down
    flow.cells[5 * 32 + 7] = 0x40; // (7, 5): open, right
    flow.cells[6 * 32 + 7] = 0xE0; // (7, 6): wall, left
    drawAirflowOverlay(p.renderer, p.target(), flow);
    EXPECT_TRUE(p.cellShows(0, 0, FlowDown, kPalette[2]));
    EXPECT_TRUE(p.cellShows(7, 5, FlowRight, kMarker));
    EXPECT_TRUE(p.cellShows(7, 6, FlowLeft, kPalette[2]));
    EXPECT_TRUE(p.cellShows(31, 23, FlowUp, kMarker));
    EXPECT_FALSE(p.renderer.glyphMode.on);
}

TEST(AirflowTest, HighlightCoversOnlyTheLeftRectangle)
{
    Picture p;
    AirflowRecord record = exampleArea();
    drawAreaHighlight(p.renderer, p.target(), record, 0);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x) {
            if (x >= 3 && x <= 4 && y >= 10 && y <= 12) {
                ASSERT_TRUE(p.cellShows(x, y, FlowRight, kPalette[colour::Grey]));
            } else {
                for (int j = 0; j < 8; ++j)
                    for (int i = 0; i < 8; ++i)
                        ASSERT_EQ(p.picture.PixelAt(8 * x + i, 8 * y + j), kMarker) << x << "," << y;
            }
        }

    // Areas outside 0..n draw nothing.
    Picture q;
    drawAreaHighlight(q.renderer, q.target(), record, 1);
    drawAreaHighlight(q.renderer, q.target(), record, -1);
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x)
            ASSERT_EQ(q.picture.PixelAt(x, y), kMarker);
}

TEST(AirflowTest, SixteenAreasAreHeldWhole)
{
    // n = 15: 8 direction bytes, 16 entries; area k at column k, row k + 2
    // (nibble bits 3-2 from the row), one cell, direction k mod 4.
    GameImage image;
    const std::size_t at = airflowRecordOffset(kOwnLevel);
    image.set(at, 0x2F);
    for (int k = 0; k < 16; ++k) {
        const int row = k + 2;
        const int nibble = (k % 4) + 4 * (row / 8);
        const std::size_t pair = at + 1 + std::size_t(k / 2);
        image.set(pair, std::uint8_t(k % 2 == 0 ? (image.get(pair) & 0x0F) | (nibble << 4)
                                                : (image.get(pair) & 0xF0) | nibble));
        image.set(at + 9 + 2 * std::size_t(k), std::uint8_t(0x10 | k));
        image.set(at + 10 + 2 * std::size_t(k), std::uint8_t(0x08 | (row % 8)));
    }
    AirflowRecord record;
    FlowMap flow;
    decodeAirflow(image, kOwnLevel, wallsOf(image), record, flow);
    ASSERT_EQ(record.n, 15);
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(record.column[std::size_t(k)], k);
        EXPECT_EQ(record.row[std::size_t(k)], k + 2);
        EXPECT_EQ(record.height[std::size_t(k)], 1);
        EXPECT_EQ(flow.direction(k, k + 2), k % 4) << k; // over the side walls too
    }
    EXPECT_EQ(flow.direction(31 - 15, 17), FlowRight); // mirror of area 15 (left)

    GameImage copy = image;
    encodeAirflow(copy, record, record.gapSet);
    EXPECT_TRUE(copy == image);
}

TEST(AirflowTest, AreasOffTheMapAreClipped)
{
    // Column 15, width 15, row 22 (nibble 2 x 4 + 6), height 31, down: only
    // rows 22..23 of columns 15..29 lie on the map; the mirror covers 2..16.
    GameImage image;
    const std::size_t at = airflowRecordOffset(kOwnLevel);
    writeBytes(image, at, {0x00, 0xA0, 0xFF, 0xFE, 0xEE});
    AirflowRecord record;
    FlowMap flow;
    decodeAirflow(image, kOwnLevel, wallsOf(image), record, flow);
    EXPECT_EQ(record.row[0], 22);
    EXPECT_EQ(record.height[0], 31);
    EXPECT_EQ(flow.direction(29, 23), FlowDown);
    EXPECT_EQ(flow.direction(2, 22), FlowDown);
    EXPECT_EQ(flow.direction(29, 21), FlowUp);
    GameImage copy = image;
    encodeAirflow(copy, record, 0);
    EXPECT_TRUE(copy == image);

    // Tables set from outside with values no record holds are clipped too.
    record.direction[0] = FlowRight;
    record.column[0] = -5;
    record.width[0] = std::numeric_limits<int>::max();
    record.row[0] = std::numeric_limits<int>::max();
    record.height[0] = 4;
    buildFlowMap(wallsOf(image), record, flow);
    record.row[0] = -3;
    buildFlowMap(wallsOf(image), record, flow);
    // Row 0 only, all 32 columns; where a cell is both painted and mirrored
    // the later column wins.
    EXPECT_EQ(flow.direction(0, 0), FlowLeft);
    EXPECT_EQ(flow.direction(15, 0), FlowLeft);
    EXPECT_EQ(flow.direction(16, 0), FlowRight);
    EXPECT_EQ(flow.direction(31, 0), FlowRight);
    EXPECT_EQ(flow.direction(5, 1), FlowDown);
    Picture p;
    drawAreaHighlight(p.renderer, p.target(), record, 0);
    EXPECT_TRUE(p.cellShows(0, 0, FlowRight, kPalette[colour::Grey]));
    EXPECT_TRUE(p.cellShows(31, 0, FlowRight, kPalette[colour::Grey]));
    EXPECT_EQ(p.picture.PixelAt(0, 8), kMarker); // row 1 not covered
}

TEST(AirflowTest, HighDirectionNibblesPlaceRowsOffTheMap)
{
    GameImage image;
    const std::size_t at = airflowRecordOffset(kOwnLevel);
    // Nibble 13: right, row 24 + 1; nibble 12 would be up, row 24.
    writeBytes(image, at, {0x00, 0xD0, 0x35, 0x21});
    AirflowRecord record;
    FlowMap flow;
    decodeAirflow(image, kOwnLevel, wallsOf(image), record, flow);
    EXPECT_EQ(record.direction[0], FlowRight);
    EXPECT_EQ(record.row[0], 25);
    EXPECT_EQ(record.height[0], 4);
    AirflowRecord empty;
    FlowMap untouched;
    buildFlowMap(wallsOf(image), empty, untouched);
    EXPECT_EQ(flow.cells, untouched.cells);

    GameImage copy = image;
    copy.set(at + 1, 0);
    encodeAirflow(copy, record, 0);
    EXPECT_EQ(copy.get(at + 1), 0xD0);
    EXPECT_TRUE(copy == image);
}

TEST(AirflowTest, RecordsAtTheImageEndStayInside)
{
    // A record whose areas run past the last byte: the bytes beyond read as
    // 0 and are never written.
    GameImage image;
    const std::size_t at = kImageSize - 3;
    writeBytes(image, at, {0x3F, 0xFF, 0x77});
    AirflowRecord record;
    readAirflowRecord(image, at, record);
    EXPECT_EQ(record.n, 15);
    EXPECT_EQ(record.direction[2], 7 & 3);
    EXPECT_EQ(record.width[0], 0);
    GameImage copy = image;
    encodeAirflow(copy, record, 3);
    EXPECT_TRUE(copy == image);
    for (std::size_t i = 0; i < at; ++i)
        ASSERT_EQ(copy.get(i), 0) << i;

    // An offset so large that offset + i would wrap round to the start.
    const std::size_t far = std::numeric_limits<std::size_t>::max() - 1;
    readAirflowRecord(image, far, record);
    EXPECT_EQ(record.n, 0);
    record.n = 15;
    record.width.fill(15);
    record.direction.fill(3);
    encodeAirflow(copy, record, 15);
    EXPECT_TRUE(copy == image);
}

} // namespace
} // namespace zq
