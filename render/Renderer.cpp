#include "render/Renderer.h"

#include "render/Glyphs.h"
#include "render/Palette.h"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace zq {

namespace {

// The eight row bytes of the block pattern or of a glyph.
std::array<std::uint8_t, 8> patternRows(const GameImage& image, std::size_t patternOffset)
{
    std::array<std::uint8_t, 8> rows{};
    const auto bytes = image.view(patternOffset, 8);
    std::copy(bytes.begin(), bytes.end(), rows.begin()); // past the image: 0
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

// mask[b][i] is all ones where bit 7 - i of b is set.
using PixelMasks = std::array<std::array<std::uint32_t, 8>, 256>;
const PixelMasks& pixelMasks()
{
    static const PixelMasks masks = [] {
        PixelMasks m{};
        for (unsigned b = 0; b < 256; ++b)
            for (unsigned i = 0; i < 8; ++i)
                m[b][i] = (b & (0x80u >> i)) ? 0xFFFFFFFFu : 0u;
        return m;
    }();
    return masks;
}

// The eight lines of the cell at (x, y): the top one and the step to the
// line under it (the picture's rows are one block, stored bottom-up). Taken
// once, so that the pixel stores need not reload the picture's row table.
struct CellLines {
    std::uint32_t* top;
    std::ptrdiff_t down;
    std::uint32_t* operator[](int j) const { return top + j * down; }
};

CellLines cellLines(TFastDIB& picture, int x, int y)
{
    return {picture.Line(y) + x, picture.Line(y + 1) - picture.Line(y)};
}

// The eight pixels of one cell row at `to` from a ready row.
inline void copyCellRow(std::uint32_t* to, const std::uint32_t* from)
{
    std::memcpy(to, from, 8 * sizeof(std::uint32_t));
}

inline void fillCellRow(std::uint32_t* to, std::uint32_t colour)
{
#ifdef __SSE2__
    const __m128i c = _mm_set1_epi32(int(colour));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), c);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 4), c);
#else
    std::fill_n(to, 8, colour);
#endif
}

// Ink where `mask` is all ones; the pixels elsewhere stay.
inline void inkCellRow(std::uint32_t* to, const std::uint32_t* mask, std::uint32_t ink)
{
#ifdef __SSE2__
    const __m128i inks = _mm_set1_epi32(int(ink));
    for (int h = 0; h < 8; h += 4) {
        const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask + h));
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + h));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + h), _mm_or_si128(_mm_andnot_si128(m, p), _mm_and_si128(m, inks)));
    }
#else
    for (int i = 0; i < 8; ++i)
        to[i] = (to[i] & ~mask[i]) | (ink & mask[i]);
#endif
}

} // namespace

const LevelRenderer::RowTable::Rows& LevelRenderer::RowTable::build(std::uint32_t ink, std::uint32_t paper)
{
    // The other pair may be the one wanted; else the older pair makes room.
    last_ ^= 1;
    Table& t = tables_[last_];
    if (t.built && t.ink == ink && t.paper == paper)
        return t.rows;
    for (unsigned b = 0; b < 256; ++b)
        for (unsigned i = 0; i < 8; ++i)
            t.rows[b][i] = (b & (0x80u >> i)) ? ink : paper;
    t.ink = ink;
    t.paper = paper;
    t.built = true;
    return t.rows;
}

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
    if (!transparent) {
        const RowTable::Rows& table = rowTable.rows(ink, background);
        const CellLines lines = cellLines(t.picture, cursorX, cursorY);
        for (int j = 0; j < 8; ++j)
            copyCellRow(lines[j], table[rows[std::size_t(j)]].data());
        return;
    }
    // A glyph over the picture: only its set pixels.
    const PixelMasks& masks = pixelMasks();
    const CellLines lines = cellLines(t.picture, cursorX, cursorY);
    for (int j = 0; j < 8; ++j)
        if (rows[std::size_t(j)] != 0)
            inkCellRow(lines[j], masks[rows[std::size_t(j)]].data(), ink);
}

void LevelRenderer::clearCell(const RenderTarget& t)
{
    if (!cellInside(t.picture, cursorX, cursorY))
        return;
    const CellLines lines = cellLines(t.picture, cursorX, cursorY);
    for (int j = 0; j < 8; ++j)
        fillCellRow(lines[j], kPalette[colour::Black]);
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
    // One tile row of the doubled pattern, then copied into both walls.
    std::array<std::array<std::uint32_t, 16>, 8> doubled;
    for (int j = 0; j < 8; ++j) {
        const std::uint32_t* row = rowTable.row(ink, paper, rows[std::size_t(j)]);
        for (int k = 0; k < 8; ++k)
            doubled[std::size_t(j)][std::size_t(2 * k)] = doubled[std::size_t(j)][std::size_t(2 * k + 1)] = row[k];
    }
    for (int tile = 1; tile <= 11; ++tile)
        for (int j = 0; j < 8; ++j)
            for (int dy = 0; dy < 2; ++dy) {
                std::uint32_t* line = t.picture.Line(16 * tile + 2 * j + dy);
                std::memcpy(line, doubled[std::size_t(j)].data(), sizeof doubled[0]);
                std::memcpy(line + 240, doubled[std::size_t(j)].data(), sizeof doubled[0]);
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
    wallMap.rebuild(t.image, t.level.record);
    const bool mirrored = t.level.record.mirrored;
    const int columns = CellCodeTables::columns(mirrored);
    for (int r = 0; r < kGridRows; ++r)
        for (int c = 0; c < columns; ++c) {
            // The wall map just built holds every block of the left half
            // (or the whole width) at column c + 2.
            const bool block = wallMap.isWall(c + 2, r + 2);
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
