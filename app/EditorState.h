#pragma once
// The program-wide editor state, owned by the main window for the whole run:
// the decoded current level, the level scene with its renderer and air-flow
// decode, the two free-standing pictures and the derived per-level values
// the refresh cycle keeps. The game image itself is the document's.

#include "entities/Enemies.h"
#include "files/Clipboard.h"
#include "gfx/FastDIB.h"
#include "image/LayoutGrid.h"
#include "image/LevelData.h"
#include "render/LevelScene.h"
#include "tools/CanvasTools.h"

namespace zq {

struct EditorState {
    CellCodeTables codes;
    CurrentLevel level;
    LevelScene scene;        // renderer, the current air-flow record and flow map
    TFastDIB levelPicture;   // 256 x 192
    TFastDIB patternPicture; // 8 x 8

    int bubbleType = 0;    // special bubble group of the current level, 0 = none
    int spareCount = 0;    // spare bytes of the special bubble table
    int itemPlacement = 0; // 0..3: how the current level's item byte maps to the screen

    EnemySlotView enemies{}; // the current level's enemy slots as last decoded
    int selectedEnemy = 0;   // slot 0..6 that enemy moving drags; survives level changes and Open
    AreaTool areaTool;       // anchor and size of the air-flow area being drawn

    LevelClipboard levelClipboard; // survive Open and New
    EnemyClipboard enemyClipboard;

    int canvasDrag = 0;  // level view: 0 no button, 1 held (clearing), 2 held (setting)
    int patternDrag = 0; // pattern editor: 0 no button, 1 clearing, 2 setting
};

} // namespace zq
