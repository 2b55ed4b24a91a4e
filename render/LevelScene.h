#pragma once
// The level picture with its overlays, as one scene: the compose step (black
// top band, block grid, the overlay of the edit mode, the air-flow decode and
// overlay) and the whole picture for one level. The editor window and the
// command-line tool draw levels through it, so both show the same pixels.

#include "gfx/FastDIB.h"
#include "image/GameImage.h"
#include "render/Renderer.h"
#include "tools/Airflow.h"

#include <cstdint>
#include <vector>

namespace zq {

// What the level view edits: blocks when no edit box is ticked, else the
// enemies, the item or the air-flow areas. It picks the overlay.
enum class EditMode { Blocks, Enemies, Items, Airflow };

// The overlays compose draws over the level: the editor shows the one of its
// edit mode; the fuzzer and the tests of hostile data draw any of them
// together.
struct Overlays {
    bool enemies = false;
    bool items = false;
    bool airflow = false;
};
Overlays overlaysOf(EditMode mode);

class LevelScene {
public:
    // The draw cursor, glyph mode and wall map of the drawing passes.
    LevelRenderer renderer;
    // The current level's air-flow record and flow map, as the last compose
    // decoded them.
    AirflowRecord airflow;
    FlowMap flow;

    // Compose: the top band, the grid, the enemy and item overlays asked
    // for, the air-flow decode, and with the air-flow overlay the flow arrows
    // with the highlight of area `area` (bounded to the record's areas; none
    // on a shared record). Enemies and item are read from the image.
    void compose(const RenderTarget& target, Overlays overlays, int area);
    void compose(const RenderTarget& target, EditMode mode, int area) { compose(target, overlaysOf(mode), area); }

    // The side walls in the level's style, then compose.
    void draw(const RenderTarget& target, Overlays overlays, int area);
    void draw(const RenderTarget& target, EditMode mode, int area) { draw(target, overlaysOf(mode), area); }
};

// Level index 0..78 of the image drawn whole into `picture` (sized here):
// the side walls, then compose with the overlay of `mode` and the highlight
// of air-flow area `area`, at 256 x 192 (scale 1) or doubled as the level
// view shows it (scale 2). Returns false (picture untouched) for a level
// index or scale out of range.
bool drawLevelPicture(const GameImage& image, int levelIndex, EditMode mode, int scale, TFastDIB& picture,
                      int area = 0);

// The same picture as a PNG file (drawn at 256 x 192 and stored at `scale`,
// which gives the pixels of drawLevelPicture at that scale); empty for a
// level index or scale out of range. The editor's picture exports and
// zelquor-cli render write these.
std::vector<std::uint8_t> levelPicturePng(const GameImage& image, int levelIndex, EditMode mode, int scale,
                                          int area = 0);

} // namespace zq
