#include "render/Glyphs.h"
#include "render/Palette.h"
#include "render/Renderer.h"
#include "tests/TestImages.h"

#include <gtest/gtest.h>

namespace zq {
namespace {

// A blank game image with one level whose kind, colours and pattern a test
// chooses, drawn into a fresh 256 x 192 picture.
struct Fixture {
    GameImage image;
    CellCodeTables codes;
    CurrentLevel level;
    TFastDIB picture;
    LevelRenderer renderer;

    explicit Fixture(bool mirrored = false, std::uint8_t attribute = 0x17, std::uint8_t patternByte = 0xAA)
    {
        if (mirrored)
            image.set(off::MirrorBitmap, 0x80);
        image.set(off::AttributeTable, attribute);
        for (std::size_t j = 0; j < 8; ++j)
            image.set(off::PatternTable + j, patternByte);
        test::fillWithMarker(picture);
        decode();
    }

    void decode() { level = decodeLevel(image, 0); }
    RenderTarget target() { return RenderTarget{image, level, codes, picture}; }
    void refresh()
    {
        renderer.drawBorder(target());
        renderer.compose(target(), ComposeHooks{});
    }
    std::uint32_t at(int x, int y) const { return picture.PixelAt(x, y); }
    std::uint32_t ink() const { return kPalette[std::size_t(level.ink)]; }
    std::uint32_t paper() const { return kPalette[std::size_t(level.paper)]; }
    std::uint32_t cellColour(int x, int patternByte) const
    {
        return (patternByte & (0x80 >> (x % 8))) ? ink() : paper();
    }
};

TEST(RendererTest, EmptyLevelIsBlackInsideWithPatternWalls)
{
    Fixture f;
    f.refresh();
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x) {
            const bool wall = y >= 16 && (x < 16 || x >= 240);
            const std::uint32_t want = wall ? f.cellColour(x, 0xAA) : 0u;
            ASSERT_EQ(f.at(x, y), want) << x << "," << y;
        }
}

TEST(RendererTest, BigBorderTilesArePatternMagnifiedTwice)
{
    // Pattern rows differ so that orientation shows: row j = 0x80 >> j.
    Fixture f(false, 0x80 | 0x0F, 0);
    for (std::size_t j = 0; j < 8; ++j)
        f.image.set(off::PatternTable + j, std::uint8_t(0x80 >> j));
    f.decode();
    ASSERT_EQ(f.level.bigBorder, 128);
    f.refresh();
    for (int tile = 1; tile <= 11; ++tile)
        for (int dy = 0; dy < 16; ++dy)
            for (int dx = 0; dx < 16; ++dx) {
                const bool set = (dx / 2) == (dy / 2); // the diagonal of the pattern
                const std::uint32_t want = set ? f.ink() : f.paper();
                ASSERT_EQ(f.at(dx, 16 * tile + dy), want) << tile << " " << dx << "," << dy;
                ASSERT_EQ(f.at(240 + dx, 16 * tile + dy), want); // not mirrored
            }
    for (int x = 0; x < 256; ++x)
        EXPECT_EQ(f.at(x, 15), 0u); // the top band stays black
}

TEST(RendererTest, MirroredLevelRepeatsTheLeftHalf)
{
    Fixture f(true, 0x0F, 0xFF);
    toggleCell(f.image, f.level.record.offset, f.codes.code(true, 0, 0));
    f.refresh();
    for (int y = 16; y < 24; ++y) {
        EXPECT_EQ(f.at(16, y), f.ink());
        EXPECT_EQ(f.at(232, y), f.ink());
        EXPECT_EQ(f.at(239, y), f.ink());
        EXPECT_EQ(f.at(24, y), 0u);
        EXPECT_EQ(f.at(231, y), 0u);
    }
    EXPECT_TRUE(f.renderer.wallMap.isWall(2, 2));
    EXPECT_TRUE(f.renderer.wallMap.isWall(29, 2));
}

TEST(RendererTest, FullWidthBlockUsesInkAndPaper)
{
    Fixture f(false, (1 << 3) | 7, 0xF0);
    toggleCell(f.image, f.level.record.offset, f.codes.code(false, 21, 27));
    f.refresh();
    // Grid cell (21, 27) covers x 232..239, y 184..191.
    EXPECT_EQ(f.at(232, 184), 0xC5C7C5u); // normal white ink
    EXPECT_EQ(f.at(236, 191), kPalette[1]);
    EXPECT_EQ(f.at(231, 184), 0u);
}

TEST(RendererTest, AllOnesPatternWithWhiteInk)
{
    Fixture f(false, 0x07, 0xFF);
    f.refresh();
    EXPECT_EQ(f.at(0, 16), 0xC5C7C5u);
    EXPECT_EQ(f.at(255, 191), 0xC5C7C5u);
}

TEST(RendererTest, GlyphModes)
{
    Fixture f(false, (2 << 3) | 6, 0xFF);
    const RenderTarget t = f.target();
    auto glyphAt = [&](int x, int y, int background) {
        f.renderer.cursorX = x;
        f.renderer.cursorY = y;
        f.renderer.glyphMode = {true, 0, background};
        f.renderer.drawCell(t);
    };
    const auto& up = kGlyphs[0];
    glyphAt(0, 0, 3); // transparent
    glyphAt(8, 0, 0); // paper
    glyphAt(16, 0, 8); // grey
    for (int j = 0; j < 8; ++j)
        for (int i = 0; i < 8; ++i) {
            const bool set = up[std::size_t(j)] & (0x80 >> i);
            EXPECT_EQ(f.at(i, j), set ? f.ink() : test::kMarker);
            EXPECT_EQ(f.at(8 + i, j), set ? f.ink() : f.paper());
            EXPECT_EQ(f.at(16 + i, j), set ? f.ink() : 0x808080u);
        }
    // Glyph mode is off after each call: the next cell is the block pattern.
    EXPECT_FALSE(f.renderer.glyphMode.on);
    f.renderer.cursorX = 24;
    f.renderer.drawCell(t);
    EXPECT_EQ(f.at(24, 0), f.ink());
    EXPECT_EQ(f.at(31, 7), f.ink());
}

TEST(RendererTest, CellsOutsideThePictureAreNotDrawn)
{
    Fixture f;
    const RenderTarget t = f.target();
    for (auto [x, y] : {std::pair{-8, 0}, {252, 0}, {0, 188}, {1000, -1000}}) {
        f.renderer.cursorX = x;
        f.renderer.cursorY = y;
        f.renderer.drawCell(t);
        f.renderer.clearCell(t);
    }
    EXPECT_EQ(f.at(0, 0), test::kMarker);
    EXPECT_EQ(f.at(255, 191), test::kMarker);
}

TEST(RendererTest, PatternEditorGridAndStripes)
{
    Fixture f(false, (1 << 3) | 6, 0xFF);
    TFastDIB pattern, view;
    pattern.SetSize(8, 8, 32);
    view.SetSize(129, 129, 32);
    LevelRenderer::drawPatternPicture(f.image, f.level, pattern);
    EXPECT_EQ(pattern.PixelAt(3, 3), f.ink());

    LevelRenderer::showPattern(pattern, view, true);
    for (int i = 0; i < 129; ++i) {
        EXPECT_EQ(view.Pixels32(16)[i], 0u);
        EXPECT_EQ(view.Pixels32(i)[128], 0u);
        EXPECT_EQ(view.Pixels32(i)[0], 0u);
    }
    EXPECT_EQ(view.Pixels32(8)[8], f.ink()); // inside a grid cell

    LevelRenderer::showPattern(pattern, view, false);
    for (int y = 0; y <= 128; ++y)
        for (int x = 0; x <= 128; ++x)
            ASSERT_EQ(view.Pixels32(y)[x], y % 2 == 0 ? 0u : f.ink()) << x << "," << y;
}

TEST(RendererTest, ComposeRunsOverlaysInOrderUnderTheirConditions)
{
    Fixture f;
    std::string calls;
    ComposeHooks hooks;
    hooks.enemyOverlay = [&] { calls += 'E'; };
    hooks.itemOverlay = [&] { calls += 'I'; };
    hooks.airflowDecode = [&] { calls += 'D'; };
    hooks.airflowOverlay = [&] { calls += 'A'; };
    f.renderer.compose(f.target(), hooks);
    EXPECT_EQ(calls, "D");
    calls.clear();
    hooks.editEnemies = hooks.editItems = hooks.editAirflow = true;
    f.renderer.compose(f.target(), hooks);
    EXPECT_EQ(calls, "EIDA");
}

TEST(RendererTest, ShowLevelDoublesIntoTheView)
{
    Fixture f;
    f.refresh();
    TFastDIB view;
    LevelRenderer::showLevel(f.picture, view); // an empty view is left alone
    view.SetSize(512, 384, 32);
    LevelRenderer::showLevel(f.picture, view);
    EXPECT_EQ(view.PixelAt(0, 32), f.at(0, 16));
    EXPECT_EQ(view.PixelAt(511, 383), f.at(255, 191));
}

} // namespace
} // namespace zq
