// The two image controls' mouse: the tool of the edit mode on the level
// view, the pattern tool on the block pattern editor, and the redraws that
// block and pattern changes make without the refresh cycle.

#include "app/MainForm.h"

#include "gfx/FastIMG.h"

namespace zq {

MouseTool* TForm1::levelTool()
{
    switch (editMode()) {
    case EditMode::Enemies: return &enemyTool_;
    case EditMode::Items: return &itemTool_;
    case EditMode::Airflow: return &areaTool_;
    case EditMode::Blocks: break;
    }
    return &blockTool_;
}

MouseTool* TForm1::patternTool()
{
    // The pattern stays as it is while enemies or the item are edited.
    const EditMode mode = editMode();
    return mode == EditMode::Enemies || mode == EditMode::Items ? nullptr : &patternTool_;
}

void TForm1::finishDrags()
{
    LevDisp->cancelPress();
    FastIMG1->cancelPress();
}

void TForm1::levelRedraw()
{
    EditorState& s = state_;
    const RenderTarget target = levelTarget();
    s.scene.renderer.drawBorder(target);
    s.scene.renderer.drawGrid(target);
    LevelRenderer::showLevel(s.levelPicture, LevDisp->Bmp());
    LevDisp->Repaint();
}

void TForm1::patternRedraw()
{
    EditorState& s = state_;
    levelRedraw();
    LevelRenderer::drawPatternPicture(document_.image(), s.level, s.patternPicture);
    LevelRenderer::showPattern(s.patternPicture, FastIMG1->Bmp(), FastIMG1->isEnabled());
    FastIMG1->Repaint();
}

void TForm1::LevDispMouseDown(int x, int y)
{
    levelStroke_->press(x, y);
}

void TForm1::LevDispMouseMove(int x, int y)
{
    levelStroke_->move(x, y);
}

void TForm1::LevDispMouseUp(int, int)
{
    levelStroke_->release();
}

void TForm1::FastIMG1MouseDown(int x, int y)
{
    patternStroke_->press(x, y);
}

void TForm1::FastIMG1MouseMove(int x, int y)
{
    patternStroke_->move(x, y);
}

void TForm1::FastIMG1MouseUp(int, int)
{
    patternStroke_->release();
}

} // namespace zq
