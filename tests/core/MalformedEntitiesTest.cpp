// Malformed bubble tables, enemy records and whole images of one byte or of
// noise: state comes from the image's own bytes, edits stay in their table,
// and every level still decodes and draws inside the picture.

#include "tests/core/MalformedSupport.h"
#include "tests/EdgeEnemies.h"

#include "entities/Bubbles.h"
#include "entities/Enemies.h"
#include "entities/Items.h"
#include "files/Clipboard.h"
#include "image/LevelData.h"
#include "render/LevelScene.h"
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

GameImage edgeEnemies()
{
    GameImage image = defaultImage();
    putEdgeEnemies(image);
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
    LevelScene pass;
    Picture picture;
    EnemySlotView enemies{};

    explicit Scene(const GameImage& i)
        : image(i)
    {
    }

    void show(int levelIndex)
    {
        level = decodeLevel(image, levelIndex);
        enemies = decodeEnemies(image, levelIndex);
        const RenderTarget target{image, level, codes, picture.dib};
        pass.draw(target, Overlays{true, true, true}, 0);
        for (int area = 0; area <= pass.airflow.n; ++area)
            drawAreaHighlight(pass.renderer, target, pass.airflow, area);
        const int q = itemPlacementState(image, levelIndex, level.record.mirrored);
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
            ASSERT_LE(scene.pass.airflow.n, 15);
            for (std::uint8_t cell : scene.pass.flow.cells)
                ASSERT_EQ(cell & 0x1F, 0);
            for (const EnemySlot& s : scene.enemies)
                ASSERT_LE(s.type, kEmptyEnemyType);
            const BubbleState bubble = bubbleState(image, level + 1);
            ASSERT_GE(bubble.spare, 0);
            ASSERT_LE(bubble.type, 5);
        }
        EXPECT_TRUE(image == before) << "drawing wrote into the image";
    }
}

} // namespace
} // namespace zq
