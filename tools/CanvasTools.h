#pragma once
// The two press-and-drag painting tools: blocks on the level view and pixels
// in the block pattern editor. Both work in cells: the press flips the cell
// under the pointer and returns the drag state that remembers the new value
// (1 = clearing, 2 = setting); every move with a button held gives the cell
// under the pointer that same value.

#include "image/GameImage.h"
#include "image/LayoutGrid.h"
#include "image/LevelData.h"

namespace zq {

enum DragState { DragNone = 0, DragClearing = 1, DragSetting = 2 };

struct GridCell {
    int row = 0;
    int column = 0;
};

// The grid cell for level view pixel (x, y), x and y in view pixels (2 per
// picture pixel), bounded to the stored grid in this order: column to 13
// (mirrored) or 27, row to 21, column to 0, row to 0. Pointer positions
// outside the view act on the nearest edge cell.
GridCell blockCell(const LevelRecord& record, int x, int y);

class BlockTool {
public:
    // On a mirrored level the right half of the view (x >= 256) shows the
    // mirror image: there the drag state is chosen but no bit changes.
    static int press(GameImage& image, const LevelRecord& record, const CellCodeTables& codes, int x, int y);
    // Returns true when a bit changed.
    static bool drag(GameImage& image, const LevelRecord& record, const CellCodeTables& codes, int dragState, int x,
                     int y);
};

// The pattern editor cell for pixel (x, y) of the 129 x 129 editor: column
// x / 16 and row y / 16, each bounded to 0..7 (128 belongs to cell 7).
GridCell patternCell(int x, int y);

class PatternTool {
public:
    static int press(GameImage& image, std::size_t patternOffset, int x, int y);
    static bool drag(GameImage& image, std::size_t patternOffset, int dragState, int x, int y);
};

} // namespace zq

#include "tools/Airflow.h"

namespace zq {

// Drawing an air-flow area on the level view: the press anchors the area's
// top-left cell (columns 2..15, rows 2..23) at size 1 x 1, and every move
// with the button held stretches it towards the bottom right; a pointer left
// of or above the anchor gives a width or height of 1. Only the left half is
// drawn: the right half takes the mirror image of every area.
class AreaTool {
public:
    int anchorColumn = 0;
    int anchorRow = 0;
    int width = 0;
    int height = 0;

    // Both change area `area` (0..15) of the record; the caller encodes.
    void press(AirflowRecord& record, int area, int x, int y);
    void resize(AirflowRecord& record, int area, int x, int y);
};

} // namespace zq
