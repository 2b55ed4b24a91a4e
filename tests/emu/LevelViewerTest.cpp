// The sample image's level viewer (data/generator/boot.asm) run on the
// machine, its screen compared with the editor's level picture of the same
// level: two renderers of the same game data that must agree pixel for pixel
// below the top band.

#include "emu/Rom.h"
#include "emu/Machine48.h"

#include "EmuTestSupport.h"
#include "ViewerSupport.h"
#include "gfx/FastDIB.h"
#include "image/GameImage.h"
#include "image/LayoutGrid.h"
#include "image/LevelData.h"
#include "render/Renderer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace zq::emu {
namespace {

// Every level layout, colour and pattern changed, a few levels switched
// between full width and mirrored; Big Border alternates over the colours and
// two colour bytes carry the unused bit 6.
GameImage editedSample(const GameImage& sample)
{
    GameImage image = sample;
    std::mt19937 rng(20240611);
    auto below = [&](unsigned n) { return int(rng() % n); };
    for (int k : {3, 17, 40, 66}) {
        const std::size_t at = off::MirrorBitmap + std::size_t(k / 8);
        image.set(at, std::uint8_t(image.get(at) ^ (0x80 >> (k % 8))));
    }
    const CellCodeTables codes;
    for (int n = 0; n < kLevelCount; ++n) {
        const LevelRecord record = findLevelRecord(image, n);
        const int columns = CellCodeTables::columns(record.mirrored);
        for (int i = 0; i < 60; ++i)
            toggleCell(image, record.offset, codes.code(record.mirrored, below(kGridRows), below(unsigned(columns))));
        const int row = below(kGridRows);
        for (int c = 0; c < columns; ++c)
            setCell(image, record.offset, codes.code(record.mirrored, row, c), n % 2 == 0);
    }
    for (int a = 0; a < kAttributeCount; ++a) {
        const std::uint8_t byte = encodeAttribute(below(8), below(8), a % 2 ? 128 : 0);
        image.set(off::AttributeTable + std::size_t(a), std::uint8_t(byte | (a % 7 == 3 ? 0x40 : 0)));
    }
    for (std::size_t i = 0; i < kPatternCount * kPatternSize; ++i)
        image.set(off::PatternTable + i, std::uint8_t(rng()));
    return image;
}

TEST(LevelViewerTest, KeysStepThroughTheSampleLevels)
{
    if (!haveOpenSe())
        GTEST_SKIP() << kOpenSeRomPath << " missing (package opense-basic)";
    const GameImage sample = zq::test::defaultImage();
    Viewer viewer;
    ASSERT_TRUE(viewer.start(sample));

    // The title screen stays until its three seconds are up, then level 1.
    ASSERT_TRUE(viewer.nextPicture(kTitleFrames + 50));
    EXPECT_GE(viewer.machine().frameCount(), std::uint64_t(kTitleFrames));
    expectLevelShown(viewer, sample, 0);
    for (int n = 1; n < kLevelCount; ++n) {
        viewer.type({Key::N});
        ASSERT_TRUE(viewer.nextPicture()) << n;
        expectLevelShown(viewer, sample, n);
    }

    const struct {
        std::vector<Key> keys;
        int levelIndex;
    } steps[] = {
        {{Key::N}, 0},                   // 79 wraps to 1
        {{Key::P}, 78},                  // and back
        {{Key::P}, 77},
        {{Key::G, Key::N4, Key::N2}, 41},
        {{Key::G, Key::N0, Key::N7}, 6},
        {{Key::G, Key::N8, Key::N0, Key::G, Key::N7, Key::N9}, 78}, // no level 80: the entry starts again
    };
    for (const auto& step : steps) {
        viewer.type(step.keys);
        ASSERT_TRUE(viewer.nextPicture()) << step.levelIndex;
        expectLevelShown(viewer, sample, step.levelIndex);
    }
}

TEST(LevelViewerTest, EditedLevelsMatchTheEditorsPicture)
{
    if (!haveOpenSe())
        GTEST_SKIP() << kOpenSeRomPath << " missing (package opense-basic)";
    const GameImage sample = zq::test::defaultImage();
    const GameImage image = editedSample(sample);
    Viewer viewer;
    ASSERT_TRUE(viewer.start(image));

    // A key going down ends the title screen early.
    viewer.run(10);
    viewer.type({Key::Space});
    ASSERT_TRUE(viewer.nextPicture(50));
    EXPECT_LT(viewer.machine().frameCount(), std::uint64_t(kTitleFrames));
    expectLevelShown(viewer, image, 0);
    for (int i = 1; i <= kLevelCount; ++i) {
        const int n = (37 * i) % kLevelCount; // every level, in a scrambled order
        viewer.request(n);
        ASSERT_TRUE(viewer.nextPicture()) << n;
        expectLevelShown(viewer, image, n);
    }
}

} // namespace
} // namespace zq::emu
