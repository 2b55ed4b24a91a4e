// Images that no release of the game holds: every decoder and every editing
// step of the core run over them. Whatever the bytes, a decoder reads only
// its own region (its answer does not change when every other byte does), an
// edit writes only inside its region, values stay in the ranges the controls
// take, and drawing stays inside the 256 x 192 picture (the sanitizer build
// turns any stray access into a failure).

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

// Byte range [first, last) of the image.
struct Range {
    std::size_t first = 0;
    std::size_t last = 0;
    bool contains(std::size_t i) const { return i >= first && i < last; }
};

using Ranges = std::vector<Range>;

bool inside(const Ranges& ranges, std::size_t i)
{
    return std::any_of(ranges.begin(), ranges.end(), [i](const Range& r) { return r.contains(i); });
}

GameImage defaultImage()
{
    GameImage image;
    EXPECT_TRUE(image.loadDefault());
    return image;
}

void put(GameImage& image, std::size_t offset, const std::vector<std::uint8_t>& bytes)
{
    for (std::uint8_t b : bytes)
        image.set(offset++, b);
}

// Copies of the image whose bytes outside `kept` are all zero, all 0xFF,
// complemented, or noise. A decoder that reads only `kept` gives the same
// answer for all of them.
std::vector<GameImage> withOtherBytesChanged(const GameImage& image, const Ranges& kept)
{
    std::vector<GameImage> variants(4, image);
    std::mt19937 noise(7);
    for (std::size_t i = 0; i < kImageSize; ++i) {
        if (inside(kept, i))
            continue;
        variants[0].set(i, 0x00);
        variants[1].set(i, 0xFF);
        variants[2].set(i, std::uint8_t(~image.get(i)));
        variants[3].set(i, std::uint8_t(noise()));
    }
    return variants;
}

// Checks that the edit changed nothing outside `allowed`.
::testing::AssertionResult changedOnlyInside(const GameImage& before, const GameImage& after, Ranges allowed)
{
    std::sort(allowed.begin(), allowed.end(), [](const Range& x, const Range& y) { return x.first < y.first; });
    allowed.push_back({kImageSize, kImageSize});
    const std::uint8_t* a = before.bytes().data();
    const std::uint8_t* b = after.bytes().data();
    std::size_t from = 0;
    for (const Range& r : allowed) {
        // The gap [from, r.first) must be untouched.
        if (r.first > from && std::memcmp(a + from, b + from, r.first - from) != 0)
            for (std::size_t i = from; i < r.first; ++i)
                if (a[i] != b[i])
                    return ::testing::AssertionFailure()
                           << "byte " << i << " changed from " << int(a[i]) << " to " << int(b[i]);
        from = std::max(from, r.last);
    }
    return ::testing::AssertionSuccess();
}

constexpr std::uint32_t kMarker = 0x123456;

struct Picture {
    TFastDIB dib;
    Picture()
    {
        dib.SetSize(kLevelPictureWidth, kLevelPictureHeight, 32);
        for (int y = 0; y < kLevelPictureHeight; ++y)
            std::fill_n(dib.Line(y), kLevelPictureWidth, kMarker);
    }
    // Pixels that are no longer the marker.
    std::set<std::pair<int, int>> drawn() const
    {
        std::set<std::pair<int, int>> pixels;
        for (int y = 0; y < kLevelPictureHeight; ++y)
            for (int x = 0; x < kLevelPictureWidth; ++x)
                if (dib.PixelAt(x, y) != kMarker)
                    pixels.insert({x, y});
        return pixels;
    }
};

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
        w.rebuild(base, findLevelRecord(base, 0), CellCodeTables{});
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
    walls.rebuild(image, findLevelRecord(image, 0), CellCodeTables{});
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

// ---------------------------------------------------------------------------
// Special bubble table

constexpr Range kBubbleTable{off::BubbleTable, off::BubbleTable + kBubbleTableSize};

struct HostileTable {
    const char* what;
    std::vector<std::uint8_t> bytes; // 53
};

std::vector<HostileTable> hostileTables()
{
    const auto numbers = [](std::initializer_list<std::size_t> zeros) {
        std::vector<std::uint8_t> t(kBubbleTableSize);
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = std::uint8_t(i + 1);
        for (std::size_t z : zeros)
            t[z] = 0;
        return t;
    };
    return {
        {"no zero byte", numbers({})},
        {"one zero byte", numbers({20})},
        {"two zero bytes", numbers({5, 40})},
        {"three zero bytes", numbers({0, 1, 52})},
        {"one level number throughout", std::vector<std::uint8_t>(kBubbleTableSize, 7)},
        {"zeros and numbers among the spare bytes", numbers({0, 1, 2, 3, 10, 30})},
    };
}

// How often each byte value occurs in the table.
std::array<int, 256> histogram(const GameImage& image)
{
    std::array<int, 256> counts{};
    for (std::size_t i = kBubbleTable.first; i < kBubbleTable.last; ++i)
        ++counts[image.get(i)];
    return counts;
}

TEST(MalformedBubbleTableTest, StateComesFromTheTableAloneAndTablesWithoutFourGroupEndsHaveNoRoom)
{
    for (const HostileTable& table : hostileTables()) {
        SCOPED_TRACE(table.what);
        GameImage image = defaultImage();
        put(image, kBubbleTable.first, table.bytes);
        const int zeros = int(std::count(table.bytes.begin(), table.bytes.end(), 0));
        const std::vector<GameImage> others = withOtherBytesChanged(image, {kBubbleTable});
        for (int number = 1; number <= kLevelCount; ++number) {
            const BubbleState state = bubbleState(image, number);
            for (const GameImage& other : others) {
                const BubbleState again = bubbleState(other, number);
                ASSERT_EQ(again.type, state.type);
                ASSERT_EQ(again.spare, state.spare);
            }
            EXPECT_GE(state.spare, 0);
            EXPECT_LE(state.spare, int(kBubbleTableSize) - 4);
            if (zeros < kBubbleGroupCount) {
                EXPECT_EQ(state.spare, 0);
            }
            EXPECT_LE(state.type, 5);
        }
    }
}

TEST(MalformedBubbleTableTest, EveryChoiceOnEveryLevelWritesOnlyTheTableAndKeepsOtherLevels)
{
    for (const HostileTable& table : hostileTables()) {
        for (std::uint8_t after : {0x00, 0x07, 0x99}) {
            SCOPED_TRACE(std::string(table.what) + ", byte after " + std::to_string(after));
            GameImage image = defaultImage();
            put(image, kBubbleTable.first, table.bytes);
            image.set(kBubbleTable.last, after);
            const std::array<int, 256> was = histogram(image);
            for (int number = 1; number <= kLevelCount; ++number)
                for (int choice = 0; choice <= kBubbleGroupCount; ++choice) {
                    GameImage edited = image;
                    const BubbleState last = bubbleState(image, number);
                    selectBubble(edited, number, choice, last);
                    ASSERT_TRUE(changedOnlyInside(image, edited, {kBubbleTable})) << number << "/" << choice;
                    if (last.spare == 0 && last.type == 0) {
                        ASSERT_TRUE(edited == image);
                    }
                    const std::array<int, 256> is = histogram(edited);
                    // A level that has a bubble keeps one when it moves.
                    if (last.type != 0 && choice != 0) {
                        ASSERT_GT(is[std::size_t(number)], 0) << number << "/" << choice;
                    }
                    // Without room nothing is inserted, so other levels'
                    // numbers and the group ends stay.
                    if (last.spare != 0)
                        continue;
                    for (std::size_t v = 0; v < is.size(); ++v) {
                        if (int(v) == number || v == after)
                            continue;
                        ASSERT_EQ(is[v], was[v]) << number << "/" << choice << " value " << v;
                    }
                }
        }
    }
}

// ---------------------------------------------------------------------------
// Enemies

// Records on every edge: column 31 row 22, column 30 row 31, column 31 row
// 31, an empty slot with kind and row bits, and records with bits 2-1 set.
const std::array<std::pair<std::uint8_t, std::uint8_t>, kEnemySlotCount> kEdgeRecords = {{
    {0xFF, 0xB7}, {0xF5, 0xFE}, {0xFF, 0xFF}, {0x07, 0xFF}, {0x52, 0x37}, {0x8B, 0x06}, {0x08, 0xF9},
}};

GameImage edgeEnemies()
{
    GameImage image = defaultImage();
    for (int level = 0; level < kLevelCount; ++level) {
        for (int slot = 0; slot < kEnemySlotCount; ++slot) {
            image.set(enemyRecordOffset(level, slot), kEdgeRecords[std::size_t(slot)].first);
            image.set(enemyRecordOffset(level, slot) + 1, kEdgeRecords[std::size_t(slot)].second);
        }
        image.set(enemyEntryOffset(level) + kEnemiesPatternByte, 0xFF);
        image.set(enemyEntryOffset(level) + kBurstTimeByte, 0xFF);
    }
    return image;
}

TEST(MalformedEnemiesTest, EdgeRecordsDecodeInRangeFromTheirEntryAlone)
{
    const GameImage image = edgeEnemies();
    for (int level : {0, 1, 40, 78}) {
        const Range entry{enemyEntryOffset(level), enemyEntryOffset(level) + kEnemyEntrySize};
        const EnemySlotView slots = decodeEnemies(image, level);
        for (const EnemySlot& s : slots) {
            EXPECT_LE(s.row, 31);
            EXPECT_LE(s.column, 31);
            EXPECT_EQ(s.type == kEmptyEnemyType, s.column == 0);
            EXPECT_LE(s.type, kEmptyEnemyType);
        }
        for (const GameImage& other : withOtherBytesChanged(image, {entry})) {
            const EnemySlotView again = decodeEnemies(other, level);
            for (int i = 0; i < kEnemySlotCount; ++i)
                ASSERT_EQ(again[std::size_t(i)].type, slots[std::size_t(i)].type);
        }
    }
    // Bits 2-1 do not change what a record is.
    EXPECT_EQ(decodeEnemySlot(0x52, 0x37).type, decodeEnemySlot(0x52, 0x31).type);
}

TEST(MalformedEnemiesTest, MarksOffThePictureAreClipped)
{
    const GameImage image = edgeEnemies();
    const EnemySlotView slots = decodeEnemies(image, 0);
    for (int slot = 0; slot < kEnemySlotCount; ++slot) {
        EnemySlotView one;
        one[0] = slots[std::size_t(slot)];
        Picture p;
        drawEnemyOverlay(p.dib, one, 7);
        const EnemySlot& s = one[0];
        const int left = 8 * s.column;
        const int top = 8 * s.row;
        std::set<std::pair<int, int>> square;
        if (s.column != 0)
            for (int y = top; y < std::min(top + 16, kLevelPictureHeight); ++y)
                for (int x = left; x < std::min(left + 16, kLevelPictureWidth); ++x)
                    square.insert({x, y});
        // The whole clipped square is written (marks are opaque), nothing else.
        EXPECT_EQ(p.drawn(), square) << "slot " << slot;
    }
}

// ---------------------------------------------------------------------------
// Whole images

// What the refresh cycle decodes and draws for one level, with every overlay
// and every area highlighted in turn.
struct Scene {
    const GameImage& image;
    CellCodeTables codes;
    CurrentLevel level;
    LevelRenderer renderer;
    Picture picture;
    AirflowRecord airflow;
    FlowMap flow;
    EnemySlotView enemies{};

    explicit Scene(const GameImage& i)
        : image(i)
    {
    }

    void show(int levelIndex)
    {
        level = decodeLevel(image, levelIndex);
        enemies = decodeEnemies(image, levelIndex);
        const int q = itemPlacementState(image, levelIndex, level.record.mirrored);
        const RenderTarget target{image, level, codes, picture.dib};
        ComposeHooks hooks;
        hooks.editEnemies = hooks.editItems = hooks.editAirflow = true;
        hooks.enemyOverlay = [&] { drawEnemyOverlay(picture.dib, enemies, level.ink); };
        hooks.itemOverlay = [&] { drawItemOverlay(picture.dib, itemByte(image, levelIndex), q); };
        hooks.airflowDecode = [&] { decodeAirflow(image, levelIndex, renderer.wallMap, airflow, flow); };
        hooks.airflowOverlay = [&] {
            drawAirflowOverlay(renderer, target, flow);
            for (int area = 0; area <= airflow.n; ++area)
                drawAreaHighlight(renderer, target, airflow, area);
        };
        renderer.drawBorder(target);
        renderer.compose(target, hooks);
        EXPECT_GE(q, 0);
        EXPECT_LE(q, 3);
    }
};

TEST(MalformedWholeImageTest, ImagesOfOneByteOrOfNoiseDecodeAndDrawEveryLevel)
{
    std::vector<std::pair<std::string, GameImage>> images;
    for (std::uint8_t fill : {0x00, 0xFF, 0xAA, 0x55}) {
        GameImage image;
        for (std::size_t i = 0; i < kImageSize; ++i)
            image.set(i, fill);
        images.emplace_back("fill " + std::to_string(fill), image);
    }
    for (unsigned seed : {1u, 2u, 3u}) {
        std::mt19937 noise(seed);
        GameImage image;
        for (std::size_t i = 0; i < kImageSize; ++i)
            image.set(i, std::uint8_t(noise()));
        images.emplace_back("noise " + std::to_string(seed), image);
    }
    for (const auto& [what, image] : images) {
        SCOPED_TRACE(what);
        const GameImage before = image;
        Scene scene(image);
        for (int level = 0; level < kLevelCount; ++level) {
            scene.show(level);
            ASSERT_LE(scene.level.record.offset + scene.level.record.size(),
                      off::LevelRecords + kLevelCount * kFullRecordSize);
            ASSERT_LE(scene.airflow.n, 15);
            for (std::uint8_t cell : scene.flow.cells)
                ASSERT_EQ(cell & 0x1F, 0);
            for (const EnemySlot& s : scene.enemies)
                ASSERT_LE(s.type, kEmptyEnemyType);
            const BubbleState bubble = bubbleState(image, level + 1);
            ASSERT_GE(bubble.spare, 0);
            ASSERT_LE(bubble.type, 5);
        }
        // Decoding and drawing never write the image.
        EXPECT_TRUE(image == before);
    }
}

} // namespace
} // namespace zq
