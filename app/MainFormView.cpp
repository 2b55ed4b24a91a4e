// The View menu: all levels at a glance in their own window.

#include "app/MainForm.h"

#include "app/LevelsWindow.h"
#include "app/PlayMenu.h"
#include "app/UpDown.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace zq {

void TForm1::buildViewMenu()
{
    QMenu* view = menuBar()->addMenu("&View");
    buildLevelNavigation(view);
    AllLevels1 = view->addAction("All &Levels");
    AllLevels1->setObjectName("AllLevels1");
    AllLevels1->setShortcut(QKeySequence(Qt::Key_F2));
    connect(AllLevels1, &QAction::triggered, this, &TForm1::AllLevels1Click);
    view->addSeparator()->setObjectName("N6");
    CompareWith1 = view->addAction("Compare &With...", this, &TForm1::CompareWith1Click);
    CompareWith1->setObjectName("CompareWith1");
    ClearComparison1 = view->addAction("Clear &Comparison", this, &TForm1::ClearComparison1Click);
    ClearComparison1->setObjectName("ClearComparison1");
    ClearComparison1->setEnabled(false);
}

void TForm1::AllLevels1Click()
{
    if (!levelsWindow_) {
        levelsWindow_ = new LevelsWindow(document_, this);
        LevelThumbnails* thumbnails = levelsWindow_->thumbnails();
        thumbnails->setCurrentLevel(state_.level.levelIndex);
        connect(thumbnails, &LevelThumbnails::levelChosen, this, &TForm1::goToLevel);
        connect(&document_, &GameDocument::changed, thumbnails, [thumbnails] { thumbnails->documentChanged(); });
        levelsWindow_->addAction(AllLevels1);
        // First shown beside the editor.
        levelsWindow_->move(frameGeometry().topRight() + QPoint(8, 0));
    }
    levelsWindow_->show();
    levelsWindow_->raise();
    levelsWindow_->activateWindow();
}

PlayWindow* TForm1::playWindow() const
{
    return playMenu_ ? playMenu_->playWindow() : nullptr;
}

void TForm1::goToLevel(int index)
{
    // As the level number's up-down goes there.
    finishDrags();
    UpDown1->setPosition(index);
    UpDown1Click();
}

} // namespace zq
