// Start-up, the refresh cycle, and the handlers of the level number, the
// colours, the credit texts, New, Undo and Redo.

#include "app/MainForm.h"

#include "app/AboutBox.h"
#include "app/LevelsWindow.h"
#include "app/UpDown.h"
#include "entities/Bubbles.h"
#include "gfx/FastIMG.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace zq {

namespace {

// The colour boxes offer six inks and six papers; black and red ink, black
// and cyan paper have no item (-1 shows no selection).
int inkItem(int ink)
{
    switch (ink) {
    case 1: return 0;
    case 3: case 4: case 5: case 6: case 7: return ink - 2;
    default: return -1;
    }
}

int paperItem(int paper)
{
    switch (paper) {
    case 1: case 2: case 3: case 4: return paper - 1;
    case 6: case 7: return paper - 2;
    default: return -1;
    }
}

} // namespace

void TForm1::FormCreate()
{
    EditorState& s = state_;
    // The user's own copy of the game, if they chose one, is the default.
    defaultGame_.load();
    document_.reset(defaultGame_.image());
    UseSample1->setEnabled(defaultGame_.isUsers());
    s.levelPicture.SetSize(kLevelPictureWidth, kLevelPictureHeight, 32);
    s.patternPicture.SetSize(8, 8, 32);
    resetLevelState();
    s.levelClipboard = LevelClipboard{};
    s.enemyClipboard = EnemyClipboard{};
    s.codes = CellCodeTables{};
    LevDisp->Bmp().SetSize(LevDisp->width(), LevDisp->height(), 32);
    FastIMG1->Bmp().SetSize(FastIMG1->width(), FastIMG1->height(), 32);
    setAirflowControlsEnabled(false);
    fillCreditBoxes();
    Refresh();
    // The history begins with the window: start-up is nothing to undo.
    document_.clearHistory();
}

void TForm1::resetLevelState()
{
    EditorState& s = state_;
    s.level = CurrentLevel{};
    s.level.levelIndex = 0;
    s.level.record = LevelRecord{off::LevelRecords, false};
    s.level.attribute = 0;
    s.level.patternOffset = 0;
    s.spareCount = 0;
}

void TForm1::fillCreditBoxes()
{
    // Each fill that changes a box's text runs its change handler, which
    // writes the text back into the image.
    const GameImage& image = document_.image();
    LabeledEdit1->setText(QString::fromStdU32String(readCreditText(image, CreditField::Title)));
    LabeledEdit2->setText(QString::fromStdU32String(readCreditText(image, CreditField::Author)));
    LabeledEdit3->setText(QString::fromStdU32String(readCreditText(image, CreditField::Company)));
}

void TForm1::fillCreditBoxesQuietly()
{
    const QSignalBlocker b1(LabeledEdit1), b2(LabeledEdit2), b3(LabeledEdit3);
    fillCreditBoxes();
}

void TForm1::Refresh()
{
    ++refreshCount_;
    EditorState& s = state_;
    CurrentLevel& level = s.level;
    const GameImage& image = document_.image();

    s.scene.renderer.glyphMode.on = false;
    StaticText2->setText(QStringLiteral("Level %1").arg(level.levelIndex + 1));
    level.record = findLevelRecord(image, level.levelIndex);

    level.attributeOffset = attributeOffset(level.levelIndex);
    level.attribute = image.get(level.attributeOffset);
    const Attribute a = decodeAttribute(level.attribute);
    level.ink = a.ink;
    level.paper = a.paper;
    level.bigBorder = a.bigBorder;

    ComboBox1->setCurrentIndex(inkItem(level.ink));
    ComboBox2->setCurrentIndex(paperItem(level.paper));
    // A change of state runs CheckBox1Click, and with it a nested cycle.
    CheckBox1->setChecked(level.bigBorder == 128);

    level.patternOffset = patternOffset(level.levelIndex);

    bubbleStateUpdate();
    enemyPanelRefresh();
    itemPlacementUpdate();
    ComboBox3->setEnabled(bubbleChoiceEnabled(BubbleState{s.bubbleType, s.spareCount}));

    if (UpDown1->position() > 4)
        FastIMG1->setEnabled(false);
    else if (!AirflowCheck1->isChecked())
        FastIMG1->setEnabled(true);

    const bool ownsColours = level.levelIndex <= 14;
    ComboBox1->setEnabled(ownsColours);
    ComboBox2->setEnabled(ownsColours);
    CheckBox1->setEnabled(ownsColours);

    s.scene.renderer.drawBorder(levelTarget());
    composeLevel();
    LevelRenderer::drawPatternPicture(image, level, s.patternPicture);
    LevelRenderer::showLevel(s.levelPicture, LevDisp->Bmp());
    LevDisp->Repaint();
    LevelRenderer::showPattern(s.patternPicture, FastIMG1->Bmp(), FastIMG1->isEnabled());
    FastIMG1->Repaint();

    Label3->setText(QStringLiteral("Area %1").arg(AreaUD->position() + 1));
    if (levelsWindow_)
        levelsWindow_->thumbnails()->setCurrentLevel(level.levelIndex);
}

void TForm1::composeLevel()
{
    state_.scene.compose(levelTarget(), editMode(), AreaUD->position());
    airflowControlsUpdate();
}

EditMode TForm1::editMode() const
{
    if (CheckBox2->isChecked())
        return EditMode::Enemies;
    if (CheckBox3->isChecked())
        return EditMode::Items;
    if (AirflowCheck1->isChecked())
        return EditMode::Airflow;
    return EditMode::Blocks;
}

void TForm1::UpDown1Click()
{
    // A stroke held on a view ends before the level changes under it.
    finishDrags();
    AreaUD->setPosition(0);
    state_.level.levelIndex = UpDown1->position();
    Refresh();
}

void TForm1::storeAttribute(EditStep& step)
{
    const CurrentLevel& level = state_.level;
    step.image().set(level.attributeOffset, encodeAttribute(level.paper, level.ink, level.bigBorder));
}

void TForm1::CheckBox1Click()
{
    EditStep step(document_, QStringLiteral("Big Border"));
    state_.level.bigBorder = CheckBox1->isChecked() ? 128 : 0;
    // Undo and redo bring the bytes back exactly: the box only follows them.
    if (!restoring_)
        storeAttribute(step);
    Refresh();
}

void TForm1::ComboBox1Select(int index)
{
    EditStep step(document_, QStringLiteral("Ink"));
    int ink = index + 1;
    if (ink > 1)
        ++ink;
    state_.level.ink = ink;
    storeAttribute(step);
    Refresh();
}

void TForm1::ComboBox2Select(int index)
{
    EditStep step(document_, QStringLiteral("Paper"));
    int paper = index + 1;
    if (paper > 4)
        ++paper;
    state_.level.paper = paper;
    storeAttribute(step);
    Refresh();
}

void TForm1::creditChange(CreditField field, QLineEdit* edit)
{
    static const char* const names[] = {"Title", "Company", "Author"};
    const int f = int(field);
    EditStep step(document_, QString::fromLatin1(names[f]), f + 3 * creditSession_);
    writeCreditText(step.image(), field, edit->text().toStdU32String());
    Refresh();
}

void TForm1::LabeledEdit1Change()
{
    creditChange(CreditField::Title, LabeledEdit1);
}

void TForm1::LabeledEdit2Change()
{
    creditChange(CreditField::Author, LabeledEdit2);
}

void TForm1::LabeledEdit3Change()
{
    creditChange(CreditField::Company, LabeledEdit3);
}

void TForm1::New1Click()
{
    finishDrags();
    {
        EditStep step(document_, QStringLiteral("New"));
        step.image() = defaultGame_.image();
        state_.level.levelIndex = 0;
        UpDown1->setPosition(0);
        Refresh();
    }
    document_.markUnnamed();
}

void TForm1::Undo1Click()
{
    finishDrags();
    if (const auto restored = document_.undo())
        showRestored(*restored);
}

void TForm1::Redo1Click()
{
    finishDrags();
    if (const auto restored = document_.redo())
        showRestored(*restored);
}

void TForm1::showRestored(const GameDocument::Restored& restored)
{
    // Back on the level the step was made on, as a level change would go.
    if (restored.level != state_.level.levelIndex) {
        AreaUD->setPosition(0);
        state_.level.levelIndex = restored.level;
        UpDown1->setPosition(restored.level);
    }
    if (restored.credits)
        fillCreditBoxesQuietly();
    restoring_ = true;
    Refresh();
    restoring_ = false;
}

void TForm1::Exit1Click()
{
    close();
}

void TForm1::setStatusText(const QString& text)
{
    statusText_->setText(text);
}

QString TForm1::statusText() const
{
    return statusText_->text();
}

void TForm1::About1Click()
{
    if (aboutBox_)
        aboutBox_->showOver(this);
}

} // namespace zq
