#include "tools/Airflow.h"
#include "tests/core/AirflowSupport.h"
#include "tests/TestImages.h"

#include "render/Glyphs.h"
#include "render/Palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <set>
#include <vector>

namespace zq {
namespace {

using namespace test;

// An empty full-width level 1 (side walls only) with the given blocks, so the
// wall map is what the grid drawing would leave.

TEST(AirflowTest, TablesAreConsistent)
{
    // The shared list is exactly the levels whose address a lower level has
    // already used, plus 80.
    std::set<int> expected{80};
    for (std::size_t i = 0; i < kAirflowRecordAddresses.size(); ++i)
        if (std::find(kAirflowRecordAddresses.begin(), kAirflowRecordAddresses.begin() + std::ptrdiff_t(i),
                      kAirflowRecordAddresses[i]) != kAirflowRecordAddresses.begin() + std::ptrdiff_t(i))
            expected.insert(int(i) + 1);
    EXPECT_EQ(std::set<int>(kSharedAirflowLevels.begin(), kSharedAirflowLevels.end()), expected);
    EXPECT_TRUE(isSharedAirflowLevel(2));
    EXPECT_FALSE(isSharedAirflowLevel(1));
    EXPECT_FALSE(isSharedAirflowLevel(79));

    EXPECT_EQ(airflowRecordOffset(0), 14798u);
    EXPECT_EQ(airflowRecordOffset(78), imageOffset(0x7C19));
    EXPECT_EQ(airflowRecordOffset(-1), airflowRecordOffset(0));
    EXPECT_EQ(airflowRecordOffset(200), airflowRecordOffset(78));
    EXPECT_EQ(airflowRecordLength(0), 4u);
    EXPECT_EQ(airflowRecordLength(1), 6u);
    EXPECT_EQ(airflowRecordLength(2), 9u);
    EXPECT_EQ(airflowRecordLength(15), 41u);

    EXPECT_EQ(mirrorDirection(FlowUp), FlowUp);
    EXPECT_EQ(mirrorDirection(FlowRight), FlowLeft);
    EXPECT_EQ(mirrorDirection(FlowDown), FlowDown);
    EXPECT_EQ(mirrorDirection(FlowLeft), FlowRight);
}

TEST(AirflowTest, EverySampleRecordRoundTrips)
{
    const GameImage original = defaultImage();
    const WallMap walls = wallsOf(original);
    std::set<std::uint16_t> addresses(kAirflowRecordAddresses.begin(), kAirflowRecordAddresses.end());
    for (int level = 0; level < kLevelCount; ++level) {
        AirflowRecord record;
        FlowMap flow;
        decodeAirflow(original, level, walls, record, flow);
        const std::size_t length = airflowRecordLength(record.n);

        // Encoding the decoded tables gives the image back unchanged...
        GameImage copy = original;
        encodeAirflow(copy, record, record.gapSet);
        ASSERT_TRUE(copy == original) << "level " << level + 1;

        // ...and rebuilds every byte of the record but the spare nibble.
        const bool spare = record.n % 2 == 0;
        const std::size_t spareByte = record.offset + 1 + std::size_t(record.n / 2);
        for (std::size_t i = 0; i < length; ++i)
            copy.set(record.offset + i, 0);
        if (spare)
            copy.set(spareByte, original.get(spareByte) & 0x0F);
        encodeAirflow(copy, record, record.gapSet);
        ASSERT_TRUE(copy == original) << "level " << level + 1;

        // The record ends before the next record starts.
        const auto next = addresses.upper_bound(kAirflowRecordAddresses[std::size_t(level)]);
        if (next != addresses.end()) {
            EXPECT_LE(record.offset + length, imageOffset(*next)) << "level " << level + 1;
        }
    }
}

TEST(AirflowTest, WorkedExampleEncodesAndPaintsWithMirror)
{
    GameImage image;
    const AirflowRecord area = exampleArea();
    encodeAirflow(image, area, 0);
    const std::size_t at = area.offset;
    EXPECT_EQ(image.get(at), 0x00);
    EXPECT_EQ(image.get(at + 1) >> 4, 0x5);
    EXPECT_EQ(image.get(at + 2), 0x23);
    EXPECT_EQ(image.get(at + 3), 0x1A);

    AirflowRecord record;
    FlowMap flow;
    decodeAirflow(image, kOwnLevel, wallsOf(image), record, flow);
    EXPECT_EQ(record.n, 0);
    EXPECT_FALSE(record.shared);
    EXPECT_EQ(record.direction[0], FlowRight);
    EXPECT_EQ(record.column[0], 3);
    EXPECT_EQ(record.width[0], 2);
    EXPECT_EQ(record.row[0], 10);
    EXPECT_EQ(record.height[0], 3);
    for (int y = 9; y <= 13; ++y)
        for (int x = 2; x <= 29; ++x) {
            const bool inside = y >= 10 && y <= 12;
            int want = FlowUp;
            if (inside && (x == 3 || x == 4))
                want = FlowRight;
            else if (inside && (x == 27 || x == 28))
                want = FlowLeft;
            ASSERT_EQ(flow.direction(x, y), want) << x << "," << y;
            ASSERT_FALSE(flow.wall(x, y));
        }
}

TEST(AirflowTest, RecordLayoutsKeepSpareNibble)
{
    // n = 0: one direction byte, entry at byte 2; its low nibble is spare.
    GameImage image;
    const std::size_t at = airflowRecordOffset(kOwnLevel);
    writeBytes(image, at, {0x30, 0x2B, 0x45, 0x66, 0xEE});
    AirflowRecord record;
    readAirflowRecord(image, at, record);
    EXPECT_EQ(record.n, 0);
    EXPECT_EQ(record.gapSet, 3);
    EXPECT_EQ(record.direction[0], FlowDown);
    EXPECT_EQ(record.width[0], 4);
    EXPECT_EQ(record.column[0], 5);
    EXPECT_EQ(record.height[0], 12);
    EXPECT_EQ(record.row[0], 6);
    record.direction[0] = FlowLeft;
    encodeAirflow(image, record, 3);
    EXPECT_EQ(image.get(at + 1), 0x3B);
    EXPECT_EQ(image.get(at + 4), 0xEE); // after the record

    // n = 2: two direction bytes, entries from byte 3; the low nibble of
    // byte 2 is spare.
    GameImage image2;
    writeBytes(image2, at, {0x12, 0x13, 0x27, 0x11, 0x12, 0x21, 0x22, 0x31, 0x32, 0xEE});
    readAirflowRecord(image2, at, record);
    EXPECT_EQ(record.n, 2);
    EXPECT_EQ(record.gapSet, 1);
    EXPECT_EQ(record.direction[0], FlowRight);
    EXPECT_EQ(record.direction[1], FlowLeft);
    EXPECT_EQ(record.direction[2], FlowDown);
    EXPECT_EQ(record.width[0], 1);
    EXPECT_EQ(record.column[2], 1);
    EXPECT_EQ(record.width[2], 3);
    EXPECT_EQ(record.height[2], 6);
    EXPECT_EQ(record.row[2], 2);
    EXPECT_EQ(record.width[3], 0); // beyond n: cleared
    record.direction[2] = FlowUp;
    encodeAirflow(image2, record, 7);
    EXPECT_EQ(image2.get(at), 0x72);
    EXPECT_EQ(image2.get(at + 2), 0x07);
    EXPECT_EQ(image2.get(at + 9), 0xEE);

    // Row 17: nibble bits 3-2 = 2, and back.
    AirflowRecord low = exampleArea();
    low.row[0] = 17;
    low.direction[0] = FlowLeft;
    GameImage image3;
    encodeAirflow(image3, low, 0);
    EXPECT_EQ(image3.get(at + 1) >> 4, 0xB);
    readAirflowRecord(image3, at, record);
    EXPECT_EQ(record.row[0], 17);
    EXPECT_EQ(record.direction[0], FlowLeft);
    EXPECT_EQ(record.height[0], 3);
}

TEST(AirflowTest, DefaultsWallsAndGapRules)
{
    GameImage image;
    const LevelRecord level = findLevelRecord(image, 0);
    CellCodeTables codes;
    setCell(image, level.offset, codes.code(false, 3, 3), true); // screen cell (5, 5)
    const WallMap walls = wallsOf(image);

    AirflowRecord record;
    FlowMap flow;
    writeBytes(image, airflowRecordOffset(0), {0x00, 0x00, 0x00, 0x00}); // one empty area
    decodeAirflow(image, 0, walls, record, flow);
    EXPECT_EQ(flow.at(0, 0), 0xA0);   // top wall: down
    EXPECT_EQ(flow.at(10, 1), 0x80);  // top gap: down
    EXPECT_EQ(flow.at(15, 2), 0x80);  // row 2 open: down
    EXPECT_EQ(flow.at(0, 2), 0x60);   // side wall: right
    EXPECT_EQ(flow.at(31, 22), 0xE0); // side wall: left
    EXPECT_EQ(flow.at(1, 23), 0x20);  // bottom row side: up
    EXPECT_EQ(flow.at(5, 5), 0x20);   // block: up, wall
    EXPECT_EQ(flow.at(6, 5), 0x00);
    EXPECT_EQ(flow.at(10, 23), 0x00); // bottom gap: up
    const FlowMap set0 = flow;

    // Sets 2, 4, 7, 8 and 13..15 leave the defaults.
    for (int set : {2, 4, 7, 8, 13, 14, 15}) {
        image.set(airflowRecordOffset(0), std::uint8_t(set << 4));
        decodeAirflow(image, 0, walls, record, flow);
        EXPECT_EQ(flow.cells, set0.cells) << "gap set " << set;
    }

    // Set 5: top-left up, top-right down, bottom-left up, bottom-right down.
    image.set(airflowRecordOffset(0), 0x50);
    decodeAirflow(image, 0, walls, record, flow);
    for (int x = 9; x <= 12; ++x) {
        for (int y = 0; y <= 2; ++y) {
            EXPECT_EQ(flow.direction(x, y), FlowUp);
            EXPECT_EQ(flow.direction(x + 10, y), FlowDown);
        }
        EXPECT_EQ(flow.direction(x, 23), FlowUp);
        EXPECT_EQ(flow.direction(x + 10, 23), FlowDown);
    }
    EXPECT_EQ(flow.direction(8, 0), FlowDown);

    // Set 12 with an area over part of the top-left gap: the area wins.
    // Area: column 9, width 2, row 0, height 1, left; its mirror covers
    // columns 21..22 of the top-right gap.
    writeBytes(image, airflowRecordOffset(0), {0xC0, 0x30, 0x29, 0x08});
    decodeAirflow(image, 0, walls, record, flow);
    EXPECT_EQ(flow.direction(9, 0), FlowLeft);
    EXPECT_EQ(flow.direction(10, 0), FlowLeft);
    EXPECT_EQ(flow.direction(11, 0), FlowUp);
    EXPECT_EQ(flow.direction(21, 0), FlowRight);
    EXPECT_EQ(flow.direction(20, 0), FlowUp);
    EXPECT_EQ(flow.direction(9, 23), FlowDown);
    EXPECT_EQ(flow.direction(19, 23), FlowUp);
    EXPECT_TRUE(flow.wall(8, 0));
    EXPECT_FALSE(flow.wall(9, 0));
}

TEST(AirflowTest, LaterAreasOverwriteEarlierOnes)
{
    GameImage image;
    // Two areas: column 4 width 4 rows 4..5 down, then column 6 width 4 rows
    // 5..6 right.
    writeBytes(image, airflowRecordOffset(kOwnLevel), {0x01, 0x21, 0x44, 0x14, 0x46, 0x15});
    AirflowRecord record;
    FlowMap flow;
    decodeAirflow(image, kOwnLevel, wallsOf(image), record, flow);
    EXPECT_EQ(flow.direction(5, 5), FlowDown);
    EXPECT_EQ(flow.direction(6, 5), FlowRight);
    EXPECT_EQ(flow.direction(7, 4), FlowDown);
    EXPECT_EQ(flow.direction(24, 5), FlowLeft);
    EXPECT_EQ(flow.direction(26, 5), FlowDown);
}

TEST(AirflowTest, SharedLevelsReadTheOwnersRecord)
{
    GameImage image;
    writeBytes(image, airflowRecordOffset(0), {0x91, 0x12, 0x35, 0x14, 0x22, 0x27});
    const WallMap walls = wallsOf(image);
    AirflowRecord owner, sharer;
    FlowMap ownerFlow, sharerFlow;
    decodeAirflow(image, 0, walls, owner, ownerFlow);
    decodeAirflow(image, 1, walls, sharer, sharerFlow);
    EXPECT_FALSE(owner.shared);
    EXPECT_TRUE(sharer.shared);
    EXPECT_EQ(sharer.offset, owner.offset);
    EXPECT_EQ(sharer.n, 1);
    EXPECT_EQ(sharer.gapSet, 9);
    EXPECT_EQ(sharer.row, owner.row);
    EXPECT_EQ(sharerFlow.cells, ownerFlow.cells);
    decodeAirflow(image, 35, walls, sharer, sharerFlow); // level 36
    EXPECT_TRUE(sharer.shared);
    EXPECT_EQ(sharerFlow.cells, ownerFlow.cells);
}

// A level picture with a marker colour that no drawing uses.

} // namespace
} // namespace zq
