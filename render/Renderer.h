#pragma once
// Draws the current level as the game shows it into the 256 x 192 level
// picture, the block pattern into the 8 x 8 pattern picture, and scales both
// into the buffers of the two image controls. Drawing never changes the game
// image. Pixels go straight into the buffers' rows.

#include "gfx/FastDIB.h"
#include "image/GameImage.h"
#include "image/LayoutGrid.h"
#include "image/LevelData.h"

#include <array>
#include <cstdint>
#include <functional>

namespace zq {

inline constexpr int kLevelPictureWidth = 256;
inline constexpr int kLevelPictureHeight = 192;

// What a drawing pass reads: the game image, the decoded current level, the
// cell code tables, and the picture it draws into.
struct RenderTarget {
    const GameImage& image;
    const CurrentLevel& level;
    const CellCodeTables& codes;
    TFastDIB& picture;
};

// The overlay steps of Compose, filled by the editing tools. Each runs only
// under the condition Compose gives it.
struct ComposeHooks {
    bool editEnemies = false;
    bool editItems = false;
    bool editAirflow = false;
    std::function<void()> enemyOverlay;   // when editEnemies
    std::function<void()> itemOverlay;    // when editItems
    std::function<void()> airflowDecode;  // always, after the grid
    std::function<void()> airflowOverlay; // when editAirflow
};

class LevelRenderer {
public:
    // Glyph mode: what the next Draw cell draws instead of the block pattern.
    // Background 0 = paper, 8 = grey, anything else = transparent.
    struct GlyphMode {
        bool on = false;
        int glyph = 0;
        int background = 0;
    };

    // Draw cursor: top-left pixel of the cell Draw cell and Clear cell draw.
    int cursorX = 0;
    int cursorY = 0;
    GlyphMode glyphMode;

    // Rebuilt by every Draw grid.
    WallMap wallMap;

    // The eight pixels of a pattern byte in ink and paper, ready to copy:
    // row(b)[i] is ink where bit 7 - i of b is set, else paper.
    class RowTable {
    public:
        using Rows = std::array<std::array<std::uint32_t, 8>, 256>;
        const Rows& rows(std::uint32_t ink, std::uint32_t paper)
        {
            const Table& t = tables_[last_];
            return t.built && t.ink == ink && t.paper == paper ? t.rows : build(ink, paper);
        }
        const std::uint32_t* row(std::uint32_t ink, std::uint32_t paper, std::uint8_t bits)
        {
            return rows(ink, paper)[bits].data();
        }

    private:
        // Two colour pairs are kept: the level's ink and paper, and the
        // one an overlay draws with in between.
        struct Table {
            std::uint32_t ink = 0, paper = 0;
            bool built = false;
            Rows rows; // filled by build() before any read
        };
        const Rows& build(std::uint32_t ink, std::uint32_t paper);
        std::array<Table, 2> tables_;
        std::size_t last_ = 0; // the pair used last
    };
    RowTable rowTable;

    void drawCell(const RenderTarget& t);
    void clearCell(const RenderTarget& t);
    void drawNormalBorder(const RenderTarget& t);
    void drawBigBorder(const RenderTarget& t);
    // The side walls in the style the level's Big Border asks for.
    void drawBorder(const RenderTarget& t);
    void drawGrid(const RenderTarget& t);
    void compose(const RenderTarget& t, const ComposeHooks& hooks);

    // The block pattern in ink and paper, into the 8 x 8 pattern picture.
    static void drawPatternPicture(const GameImage& image, const CurrentLevel& level, TFastDIB& patternPicture);
    // The level picture doubled into the level view's buffer.
    static void showLevel(const TFastDIB& levelPicture, TFastDIB& view);
    // The pattern picture into the 129 x 129 editor buffer, with its grid
    // (enabled) or black stripes on every second row (disabled).
    static void showPattern(const TFastDIB& patternPicture, TFastDIB& view, bool enabled);
};

} // namespace zq
