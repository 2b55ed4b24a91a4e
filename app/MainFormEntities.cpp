// The enemy panel, the item and the special bubble: their refresh-cycle
// hooks and the handlers of their controls.

#include "app/MainForm.h"

#include "app/UpDown.h"
#include "entities/Bubbles.h"
#include "entities/Enemies.h"
#include "entities/Items.h"
#include "gfx/FastIMG.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

namespace zq {

void TForm1::bubbleStateUpdate()
{
    EditorState& s = state_;
    const BubbleState bubble = bubbleState(document_.image(), s.level.levelIndex + 1);
    s.bubbleType = bubble.type;
    s.spareCount = bubble.spare;
    // A type outside 0..4 (a match among spare bytes) selects no item.
    ComboBox3->setCurrentIndex(bubble.type >= 0 && bubble.type <= kBubbleGroupCount ? bubble.type : -1);
}

void TForm1::enemyPanelRefresh()
{
    EditorState& s = state_;
    const GameImage& image = document_.image();
    const int level = s.level.levelIndex;
    s.enemies = decodeEnemies(image, level);
    for (int i = 0; i < kEnemySlotCount; ++i) {
        const int type = s.enemies[std::size_t(i)].type;
        bad[i]->setPosition(type);
        // The pictures are the program's own: read one only when the slot's
        // type changes.
        if (shownEnemyType_[i] != type) {
            BadIMG[i]->Bmp().LoadFromResource(enemyPictureName(type));
            BadIMG[i]->Repaint();
            shownEnemyType_[i] = type;
        }
    }
    const int pattern = enemiesPattern(image, level);
    const int burst = burstTime(image, level);
    StaticText3->setText(QStringLiteral("Enemies Pattern %1").arg(pattern + 1));
    StaticText4->setText(QStringLiteral("Burst Time %1").arg(burst));
    UpDown2->setPosition(pattern);
    UpDown3->setPosition(burst);
    if (CheckBox2->isChecked()) {
        composeLevel();
        LevelRenderer::showLevel(s.levelPicture, LevDisp->Bmp());
        LevDisp->Repaint();
    }
}

void TForm1::itemPlacementUpdate()
{
    EditorState& s = state_;
    s.itemPlacement = itemPlacementState(document_.image(), s.level.levelIndex, s.level.record.mirrored);
}

void TForm1::badClick(int slot)
{
    EditorState& s = state_;
    EditStep step(document_, QStringLiteral("Enemy Type"));
    stepEnemyType(step.image(), s.level.levelIndex, slot, s.enemies[std::size_t(slot)].type, bad[slot]->position());
    enemyPanelRefresh();
}

void TForm1::UpDown2Click()
{
    EditStep step(document_, QStringLiteral("Enemies Pattern"));
    setEnemiesPattern(step.image(), state_.level.levelIndex, UpDown2->position());
    Refresh();
}

void TForm1::UpDown3Click()
{
    EditStep step(document_, QStringLiteral("Burst Time"));
    setBurstTime(step.image(), state_.level.levelIndex, UpDown3->position());
    Refresh();
}

void TForm1::CheckBox2Click()
{
    if (CheckBox2->isChecked()) {
        CheckBox3->setChecked(false);
        AirflowCheck1->setChecked(false);
    }
    Refresh();
}

void TForm1::CheckBox3Click()
{
    if (CheckBox3->isChecked()) {
        CheckBox2->setChecked(false);
        AirflowCheck1->setChecked(false);
    }
    Refresh();
}

void TForm1::ComboBox3Select(int index)
{
    EditorState& s = state_;
    EditStep step(document_, QStringLiteral("Bubble Type"));
    selectBubble(step.image(), s.level.levelIndex + 1, index, BubbleState{s.bubbleType, s.spareCount});
    Refresh();
}

} // namespace zq
