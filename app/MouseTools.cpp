#include "app/MouseTools.h"

#include "entities/Enemies.h"
#include "entities/Items.h"
#include "tools/Airflow.h"
#include "tools/CanvasTools.h"

namespace zq {

namespace {

const QString kStatusCleared(13, QLatin1Char(' '));

QString enemyNumber(int slot)
{
    return QStringLiteral("Enemy Number %1").arg(slot + 1);
}

} // namespace

void BlockDrawTool::press(EditStep& step, int x, int y)
{
    EditorState& s = state();
    s.canvasDrag = BlockTool::press(step.image(), s.level.record, s.codes, x, y);
    host_.levelRedraw();
}

void BlockDrawTool::move(EditStep& step, int x, int y)
{
    EditorState& s = state();
    // A move that changes no cell leaves the picture as it is.
    if (BlockTool::drag(step.image(), s.level.record, s.codes, s.canvasDrag, x, y))
        host_.levelRedraw();
}

void EnemyMoveTool::press(EditStep&, int x, int y)
{
    EditorState& s = state();
    s.selectedEnemy = selectEnemy(s.enemies, x, y, s.selectedEnemy);
    host_.setStatusText(enemyNumber(s.selectedEnemy));
}

void EnemyMoveTool::move(EditStep& step, int x, int y)
{
    EditorState& s = state();
    if (s.canvasDrag != DragClearing)
        return;
    if (moveEnemy(step.image(), s.level.levelIndex, s.enemies, s.selectedEnemy, x, y)) {
        host_.setStatusText(kStatusCleared);
        host_.setStatusText(enemyNumber(s.selectedEnemy));
        host_.enemyPanelRefresh();
    }
}

void ItemMoveTool::move(EditStep& step, int x, int y)
{
    EditorState& s = state();
    if (s.canvasDrag != DragClearing)
        return;
    moveItem(step.image(), s.level.levelIndex, s.itemPlacement, x, y);
    host_.refreshCycle();
}

void AreaDrawTool::encode(EditStep& step)
{
    // The record keeps its own gap set: only the gap set control changes it.
    const AirflowRecord& record = state().scene.airflow;
    encodeAirflow(step.image(), record, record.gapSet);
    host_.refreshCycle();
}

void AreaDrawTool::press(EditStep& step, int x, int y)
{
    EditorState& s = state();
    if (s.scene.airflow.shared)
        return;
    s.areaTool.press(s.scene.airflow, host_.currentArea(), x, y);
    encode(step);
}

void AreaDrawTool::move(EditStep& step, int x, int y)
{
    EditorState& s = state();
    if (s.canvasDrag != DragClearing || s.scene.airflow.shared)
        return;
    s.areaTool.resize(s.scene.airflow, host_.currentArea(), x, y);
    encode(step);
}

void PatternDrawTool::press(EditStep& step, int x, int y)
{
    EditorState& s = state();
    s.patternDrag = PatternTool::press(step.image(), s.level.patternOffset, x, y);
    host_.patternRedraw();
}

void PatternDrawTool::move(EditStep& step, int x, int y)
{
    EditorState& s = state();
    if (PatternTool::drag(step.image(), s.level.patternOffset, s.patternDrag, x, y))
        host_.patternRedraw();
}

ToolStroke::ToolStroke(GameDocument& document, std::function<MouseTool*()> choose, std::function<void()> onPress,
                       std::function<void()> onRelease)
    : document_(document)
    , choose_(std::move(choose))
    , onPress_(std::move(onPress))
    , onRelease_(std::move(onRelease))
{
}

void ToolStroke::press(int x, int y)
{
    // A press with another button already held starts a new step.
    step_.reset();
    MouseTool* tool = choose_();
    if (onPress_)
        onPress_();
    step_.emplace(document_, tool ? tool->stepName() : QString());
    if (tool)
        tool->press(*step_, x, y);
}

void ToolStroke::move(int x, int y)
{
    // A move with no button held changes nothing.
    if (!held())
        return;
    if (MouseTool* tool = choose_())
        tool->move(*step_, x, y);
}

void ToolStroke::release()
{
    if (onRelease_)
        onRelease_();
    step_.reset();
}

} // namespace zq
