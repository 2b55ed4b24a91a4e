#include "render/Renderer.h"

#include "render/Glyphs.h"
#include "render/Palette.h"

namespace zq {

namespace {

// The eight row bytes of the block pattern or of a glyph.
std::array<std::uint8_t, 8> patternRows(const GameImage& image, std::size_t patternOffset)
{
    std::array<std::uint8_t, 8> rows{};
    for (std::size_t j = 0; j < 8; ++j)
        rows[j] = image.get(patternOffset + j);
    return rows;
}

bool cellInside(const TFastDIB& picture, int x, int y)
{
    return x >= 0 && y >= 0 && x + 8 <= picture.Width() && y + 8 <= picture.Height();
}

void fillRect(TFastDIB& picture, int x0, int y0, int w, int h, std::uint32_t colour)
{
    for (int y = y0; y < y0 + h; ++y) {
        std::uint32_t* line = picture.Line(y);
        for (int x = x0; x < x0 + w; ++x)
            line[x] = colour;
    }
}

} // namespace

void LevelRenderer::drawCell(const RenderTarget& t)
{
    const bool glyph = glyphMode.on;
    glyphMode.on = false;
    if (!cellInside(t.picture, cursorX, cursorY))
        return;
    const std::uint32_t ink = kPalette[std::size_t(t.level.ink & 7)];
    std::uint32_t background = kPalette[std::size_t(t.level.paper & 7)];
    bool transparent = false;
    std::array<std::uint8_t, 8> rows;
    if (glyph) {
        const int index = glyphMode.glyph;
        rows = (index >= 0 && index < int(kGlyphs.size())) ? kGlyphs[std::size_t(index)] : kGlyphs[glyph::Checker];
        if (glyphMode.background == 8)
            background = kPalette[colour::Grey];
        else if (glyphMode.background != 0)
            transparent = true;
    } else {
        rows = patternRows(t.image, t.level.patternOffset);
    }
    for (int j = 0; j < 8; ++j) {
        std::uint32_t* line = t.picture.Line(cursorY + j) + cursorX;
        const unsigned bits = rows[std::size_t(j)];
        for (int i = 0; i < 8; ++i) {
            if (bits & (0x80u >> i))
                line[i] = ink;
            else if (!transparent)
                line[i] = background;
        }
    }
}

void LevelRenderer::clearCell(const RenderTarget& t)
{
    if (cellInside(t.picture, cursorX, cursorY))
        fillRect(t.picture, cursorX, cursorY, 8, 8, kPalette[colour::Black]);
}

void LevelRenderer::drawNormalBorder(const RenderTarget& t)
{
    for (int x : {0, 8, 240, 248})
        for (int i = 0; i < 22; ++i) {
            cursorX = x;
            cursorY = 16 + 8 * i;
            drawCell(t);
        }
}

void LevelRenderer::drawBigBorder(const RenderTarget& t)
{
    if (t.picture.Width() < kLevelPictureWidth || t.picture.Height() < kLevelPictureHeight)
        return;
    const std::uint32_t ink = kPalette[std::size_t(t.level.ink & 7)];
    const std::uint32_t paper = kPalette[std::size_t(t.level.paper & 7)];
    const auto rows = patternRows(t.image, t.level.patternOffset);
    for (int tile = 1; tile <= 11; ++tile)
        for (int j = 0; j < 8; ++j)
            for (int dy = 0; dy < 2; ++dy) {
                std::uint32_t* line = t.picture.Line(16 * tile + 2 * j + dy);
                for (int k = 0; k < 8; ++k) {
                    const std::uint32_t c = (rows[std::size_t(j)] & (0x80u >> k)) ? ink : paper;
                    line[2 * k] = line[2 * k + 1] = c;
                    line[240 + 2 * k] = line[241 + 2 * k] = c;
                }
            }
}

void LevelRenderer::drawBorder(const RenderTarget& t)
{
    if (t.level.bigBorder)
        drawBigBorder(t);
    else
        drawNormalBorder(t);
}

void LevelRenderer::drawGrid(const RenderTarget& t)
{
    wallMap.rebuild(t.image, t.level.record, t.codes);
    const bool mirrored = t.level.record.mirrored;
    const int columns = CellCodeTables::columns(mirrored);
    for (int r = 0; r < kGridRows; ++r)
        for (int c = 0; c < columns; ++c) {
            const bool block = readCell(t.image, t.level.record.offset, t.codes.code(mirrored, r, c));
            cursorY = 16 + 8 * r;
            for (int pass = 0; pass < (mirrored ? 2 : 1); ++pass) {
                cursorX = pass == 0 ? 16 + 8 * c : 248 - (16 + 8 * c);
                if (block)
                    drawCell(t);
                else
                    clearCell(t);
            }
        }
}

void LevelRenderer::compose(const RenderTarget& t, const ComposeHooks& hooks)
{
    if (t.picture.Width() >= kLevelPictureWidth && t.picture.Height() >= 16)
        fillRect(t.picture, 0, 0, kLevelPictureWidth, 16, kPalette[colour::Black]);
    drawGrid(t);
    if (hooks.editEnemies && hooks.enemyOverlay)
        hooks.enemyOverlay();
    if (hooks.editItems && hooks.itemOverlay)
        hooks.itemOverlay();
    if (hooks.airflowDecode)
        hooks.airflowDecode();
    if (hooks.editAirflow && hooks.airflowOverlay)
        hooks.airflowOverlay();
}

void LevelRenderer::drawPatternPicture(const GameImage& image, const CurrentLevel& level, TFastDIB& patternPicture)
{
    if (patternPicture.Width() < 8 || patternPicture.Height() < 8)
        return;
    const std::uint32_t ink = kPalette[std::size_t(level.ink & 7)];
    const std::uint32_t paper = kPalette[std::size_t(level.paper & 7)];
    const auto rows = patternRows(image, level.patternOffset);
    for (int j = 0; j < 8; ++j) {
        std::uint32_t* line = patternPicture.Line(j);
        for (int i = 0; i < 8; ++i)
            line[i] = (rows[std::size_t(j)] & (0x80u >> i)) ? ink : paper;
    }
}

void LevelRenderer::showLevel(const TFastDIB& levelPicture, TFastDIB& view)
{
    if (view.Height() > 0)
        levelPicture.ScaleInto(view);
}

void LevelRenderer::showPattern(const TFastDIB& patternPicture, TFastDIB& view, bool enabled)
{
    if (view.Height() <= 0)
        return;
    patternPicture.ScaleInto(view);
    const std::uint32_t black = kPalette[colour::Black];
    if (enabled) {
        for (int y = 0; y <= 128; y += 16)
            DrawLine(view, 0, y, 129, y, black);
        for (int x = 0; x <= 128; x += 16)
            DrawLine(view, x, 0, x, 129, black);
    } else {
        for (int y = 0; y <= 128; y += 2)
            DrawLine(view, 0, y, 129, y, black);
    }
}

} // namespace zq
