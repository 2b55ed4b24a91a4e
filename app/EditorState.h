#pragma once
// The program-wide editor state, owned by the main window for the whole run:
// the game image, the decoded current level, the renderer with its draw
// cursor, glyph mode and wall map, the two free-standing pictures and the
// derived per-level values the refresh cycle keeps.

#include "gfx/FastDIB.h"
#include "image/GameImage.h"
#include "image/LayoutGrid.h"
#include "image/LevelData.h"
#include "render/Renderer.h"
#include "entities/Enemies.h"
#include "files/Clipboard.h"
#include "files/Tape.h"
#include "tools/Airflow.h"
#include "tools/CanvasTools.h"

namespace zq {

struct EditorState {
    GameImage image;
    CellCodeTables codes;
    CurrentLevel level;
    LevelRenderer renderer;
    TFastDIB levelPicture;   // 256 x 192
    TFastDIB patternPicture; // 8 x 8

    int bubbleType = 0;    // special bubble group of the current level, 0 = none
    int spareCount = 0;    // spare bytes of the special bubble table
    int itemPlacement = 0; // 0..3: how the current level's item byte maps to the screen

    AirflowRecord airflow; // the current level's air-flow record as last decoded
    FlowMap flow;          // built from the wall map and that record

    EnemySlotView enemies{}; // the current level's enemy slots as last decoded
    int selectedEnemy = 0;   // slot 0..6 that enemy moving drags; survives level changes and Open
    AreaTool areaTool;       // anchor and size of the air-flow area being drawn

    LevelClipboard levelClipboard; // survive Open and New
    EnemyClipboard enemyClipboard;
    LoadingScreen loadingScreen; // the tape's loading screen; only a screen import replaces it

    int canvasDrag = 0;  // level view: 0 no button, 1 held (clearing), 2 held (setting)
    int patternDrag = 0; // pattern editor: 0 no button, 1 clearing, 2 setting

    RenderTarget levelTarget() { return RenderTarget{image, level, codes, levelPicture}; }
};

} // namespace zq
