// Images that no release of the game holds: every decoder and every editing
// step of the core run over them. Whatever the bytes, a decoder reads only
// its own region (its answer does not change when every other byte does), an
// edit writes only inside its region, values stay in the ranges the controls
// take, and drawing stays inside the 256 x 192 picture (the sanitizer build
// turns any stray access into a failure).

#include "tests/core/MalformedSupport.h"

#include "entities/Bubbles.h"
#include "entities/Enemies.h"
#include "entities/Items.h"
#include "files/Clipboard.h"
#include "image/LevelData.h"
#include "render/Palette.h"
#include "tools/Airflow.h"
#include "tools/CanvasTools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <vector>

namespace zq {
namespace {

using namespace test;

// ---------------------------------------------------------------------------
// Level records

TEST(MalformedLevelRecordsTest, ExtremeMirrorBitmapsKeepEveryRecordInsideTheImage)
{
    const Range bitmap{off::MirrorBitmap, off::MirrorBitmap + kMirrorBitmapSize};
    for (std::uint8_t fill : {0x00, 0xFF, 0xAA, 0x01}) {
        SCOPED_TRACE(int(fill));
        GameImage image = defaultImage();
        for (std::size_t i = 0; i < kMirrorBitmapSize; ++i)
            image.set(bitmap.first + i, fill);
        const std::vector<GameImage> others = withOtherBytesChanged(image, {bitmap});
        std::size_t expected = off::LevelRecords;
        for (int level = 0; level < kLevelCount; ++level) {
            const LevelRecord rec = findLevelRecord(image, level);
            EXPECT_EQ(rec.offset, expected) << level;
            EXPECT_LE(rec.offset + rec.size(), off::LevelRecords + kLevelCount * kFullRecordSize);
            for (const GameImage& other : others) {
                const LevelRecord again = findLevelRecord(other, level);
                ASSERT_EQ(again.offset, rec.offset);
                ASSERT_EQ(again.mirrored, rec.mirrored);
            }
            expected += rec.size();
        }
        // The 80th bit belongs to no level.
        GameImage flipped = image;
        flipped.set(bitmap.last - 1, std::uint8_t(image.get(bitmap.last - 1) ^ 0x01));
        EXPECT_EQ(findLevelRecord(flipped, kLevelCount - 1).offset, findLevelRecord(image, kLevelCount - 1).offset);
        EXPECT_EQ(findLevelRecord(flipped, kLevelCount - 1).mirrored,
                  findLevelRecord(image, kLevelCount - 1).mirrored);
    }
}

TEST(MalformedLevelRecordsTest, EditingAndPastingOnAllFullWidthLevelsStaysInTheRecord)
{
    // 79 full-width records reach past the enemy table's start: the editor
    // relies on the image, yet each edit stays inside the record it shows.
    GameImage image = defaultImage();
    for (std::size_t i = 0; i < kMirrorBitmapSize; ++i)
        image.set(off::MirrorBitmap + i, 0x00);
    const CellCodeTables codes;
    LevelClipboard mirroredCopy;
    mirroredCopy.full = true;
    mirroredCopy.flag = kMirroredFlag;
    mirroredCopy.bytes.fill(0xFF);
    for (int level = 0; level < kLevelCount; ++level) {
        const LevelRecord rec = findLevelRecord(image, level);
        const Ranges own{{rec.offset, rec.offset + rec.size()}};
        GameImage edited = image;
        for (int x : {-50, 0, 255, 256, 511, 2000})
            for (int y : {-50, 0, 383, 2000}) {
                const int drag = BlockTool::press(edited, rec, codes, x, y);
                BlockTool::drag(edited, rec, codes, drag, -x, 383 - y);
            }
        ASSERT_TRUE(changedOnlyInside(image, edited, own)) << "level " << level;
        ASSERT_TRUE(pasteLevel(edited, rec, mirroredCopy, codes));
        ASSERT_TRUE(changedOnlyInside(image, edited, own)) << "level " << level;
    }
}

// ---------------------------------------------------------------------------
// Air-flow records

std::set<std::uint16_t> ownRecordAddresses()
{
    return {kAirflowRecordAddresses.begin(), kAirflowRecordAddresses.end()};
}

struct HostileRecord {
    const char* what;
    std::vector<std::uint8_t> bytes;
};

const std::vector<HostileRecord>& hostileRecords()
{
    static const std::vector<HostileRecord> records = {
        // Gap set 15, sixteen areas, every nibble 15: rows 31, all off the map.
        {"all ones", std::vector<std::uint8_t>(airflowRecordLength(15), 0xFF)},
        // Gap sets 13..15 with one area on the map.
        {"gap set 13", {0xD0, 0x50, 0x23, 0x1A}},
        {"gap set 14", {0xE0, 0x50, 0x23, 0x1A}},
        {"gap set 15", {0xF0, 0x50, 0x23, 0x1A}},
        // Direction nibbles 12..15: top rows 24..31.
        {"nibbles 12 to 15", {0x03, 0xCD, 0xEF, 0x44, 0x22, 0x44, 0x2F, 0xFF, 0x01, 0x00, 0x77}},
        // Areas 15 wide and 31 high, starting at column 15 and row 22 or 23.
        {"areas past the edges", {0x11, 0xBA, 0xFF, 0xFE, 0xF0, 0xFF}},
        // Sixteen areas, each a different shape.
        {"sixteen areas", [] {
             std::vector<std::uint8_t> b(airflowRecordLength(15));
             b[0] = 0x4F;
             for (std::size_t i = 1; i < b.size(); ++i)
                 b[i] = std::uint8_t(i * 37 + 11);
             return b;
         }()},
    };
    return records;
}

TEST(MalformedAirflowTest, HostileRecordsDecodeFromTheirOwnBytesAndEncodeBackExactly)
{
    const GameImage base = defaultImage();
    const WallMap walls = [&] {
        WallMap w;
        w.rebuild(base, findLevelRecord(base, 0));
        return w;
    }();
    for (const HostileRecord& hostile : hostileRecords()) {
        SCOPED_TRACE(hostile.what);
        for (std::uint16_t address : ownRecordAddresses()) {
            const std::size_t at = imageOffset(address);
            GameImage image = base;
            put(image, at, hostile.bytes);
            AirflowRecord rec;
            FlowMap flow;
            readAirflowRecord(image, at, rec);
            buildFlowMap(walls, rec, flow);
            const Range own{at, at + airflowRecordLength(rec.n)};

            // Where the record lies does not matter to its decoding: its
            // independence from other bytes is checked at three places.
            const bool probe = address == kAirflowRecordAddresses.front() || address == 0x7AEF
                               || address == kAirflowRecordAddresses.back();
            for (const GameImage& other : probe ? withOtherBytesChanged(image, {own}) : std::vector<GameImage>{}) {
                AirflowRecord again;
                FlowMap againFlow;
                readAirflowRecord(other, at, again);
                buildFlowMap(walls, again, againFlow);
                ASSERT_EQ(again.direction, rec.direction);
                ASSERT_EQ(again.row, rec.row);
                ASSERT_EQ(again.height, rec.height);
                ASSERT_EQ(againFlow.cells, flow.cells);
            }
            for (int y = 0; y < kScreenRows; ++y)
                for (int x = 0; x < kScreenCols; ++x) {
                    ASSERT_EQ(flow.at(x, y) & 0x3F, walls.isWall(x, y) ? FlowMap::kWallFlag : 0) << x << "," << y;
                }
            for (int k = 0; k <= rec.n; ++k) {
                ASSERT_GE(rec.direction[std::size_t(k)], 0);
                ASSERT_LE(rec.direction[std::size_t(k)], 3);
                ASSERT_LE(rec.row[std::size_t(k)], 31);
                ASSERT_LE(rec.height[std::size_t(k)], 31);
            }

            // Written back with its own gap set, the record is byte for byte
            // what was read; with the selector's last set (11) only the gap
            // nibble changes.
            GameImage encoded = image;
            encodeAirflow(encoded, rec, rec.gapSet);
            EXPECT_TRUE(encoded == image);
            encodeAirflow(encoded, rec, 11);
            EXPECT_TRUE(changedOnlyInside(image, encoded, {{at, at + 1}}));
            EXPECT_EQ(encoded.get(at), (0xB0 | rec.n));
        }
    }
}

TEST(MalformedAirflowTest, GapSetsThirteenToFifteenLeaveTheGapsAsTheyAre)
{
    const GameImage image = defaultImage();
    WallMap walls;
    walls.rebuild(image, findLevelRecord(image, 0));
    AirflowRecord plain;
    FlowMap plainFlow;
    buildFlowMap(walls, plain, plainFlow); // set 0: the default directions
    for (int set = 13; set <= 15; ++set) {
        AirflowRecord rec;
        rec.gapSet = set;
        FlowMap flow;
        buildFlowMap(walls, rec, flow);
        EXPECT_EQ(flow.cells, plainFlow.cells) << set;
    }
}

} // namespace
} // namespace zq
