// The window's session: the title with the file open and its modified
// mark, File > Open Recent, the recovery of an unsaved game (hot exit and
// crash recovery), and the keys that step through the levels.

#include "app/MainForm.h"

#include "app/Recovery.h"
#include "app/UpDown.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>

namespace zq {

void TForm1::updateTitle()
{
    // "level-pack.sna* - Zelquor Editor V3"; the game of no file is the
    // program alone.
    const QString& file = document_.fileName();
    const QString program = QString::fromLatin1(kProgramTitle);
    setWindowFilePath(file);
    setWindowTitle(file.isEmpty() ? program + QStringLiteral("[*]")
                                  : QFileInfo(file).fileName() + QStringLiteral("[*] - ") + program);
    setWindowModified(document_.isModified());
}

void TForm1::buildRecentMenu(QMenu* file)
{
    OpenRecent1 = file->addMenu(QStringLiteral("Open &Recent"));
    OpenRecent1->setObjectName("OpenRecent1");
    OpenRecent1->menuAction()->setObjectName("OpenRecentItem1");
    // Filled as it opens: other editors of the user share the list.
    connect(OpenRecent1, &QMenu::aboutToShow, this, &TForm1::fillRecentMenu);
    fillRecentMenu();
}

void TForm1::fillRecentMenu()
{
    OpenRecent1->clear();
    const QStringList files = recentFiles_.files();
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString name = files.at(i);
        const QString caption = QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(name).fileName());
        QAction* item = OpenRecent1->addAction(caption, this, [this, name] { openRecent(name); });
        item->setStatusTip(QDir::toNativeSeparators(name));
        item->setToolTip(QDir::toNativeSeparators(name));
    }
    OpenRecent1->setToolTipsVisible(true);
    if (!files.isEmpty())
        OpenRecent1->addSeparator();
    ClearRecent1 = OpenRecent1->addAction(QStringLiteral("Clear Recent Files"), this, &TForm1::ClearRecent1Click);
    ClearRecent1->setObjectName("ClearRecent1");
    ClearRecent1->setEnabled(!files.isEmpty());
}

void TForm1::openRecent(const QString& name)
{
    finishDrags();
    if (!QFileInfo::exists(name)) {
        recentFiles_.remove(name);
        dialogs_->message(QStringLiteral("%1 no longer exists; it was removed from the recent files.")
                              .arg(QDir::toNativeSeparators(name)));
        return;
    }
    openFile(name);
}

void TForm1::ClearRecent1Click()
{
    recentFiles_.clear();
}

bool TForm1::startRecovery(const QString& folder)
{
    recovery_ = std::make_unique<Recovery>(document_, folder);
    connect(recovery_.get(), &Recovery::message, this, &TForm1::setStatusText);
    recovery_->start();
    return offerLeftover();
}

void TForm1::startSession(const QStringList& arguments, const QString& recoveryFolder)
{
    const bool restored = startRecovery(recoveryFolder);
    if (arguments.size() < 2)
        return;
    // Opening would mark the document saved, and the restored game, kept
    // only in the history then, would be lost at the next exit: the named
    // file waits in Open Recent instead.
    if (restored) {
        const QString name = QFileInfo(arguments.at(1)).absoluteFilePath();
        recentFiles_.add(name);
        setStatusText(QStringLiteral("The unsaved game was restored; %1 is in Open Recent").arg(QFileInfo(name).fileName()));
        return;
    }
    openFile(arguments.at(1));
}

bool TForm1::offerLeftover()
{
    std::optional<Recovery::Leftover> leftover = recovery_->takeLeftover();
    if (!leftover)
        return false;
    const int edits = leftover->data.unsavedEdits();
    const QString question = QStringLiteral("Restore the unsaved game from %1 (%2 %3)?")
                                 .arg(QLocale().toString(leftover->savedAt(), QLocale::ShortFormat))
                                 .arg(edits)
                                 .arg(edits == 1 ? QStringLiteral("edit") : QStringLiteral("edits"));
    finishDrags();
    const bool restored = dialogs_->ask(question);
    if (restored) {
        const int level = document_.restore(leftover->data);
        showRestored(GameDocument::Restored{level, true});
        // This editor's own file holds the game before the leftover goes.
        recovery_->flush();
    }
    recovery_->discard(*leftover);
    return restored;
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // Hot exit: an unsaved game is kept for the next start, without a question.
    if (recovery_)
        recovery_->flush();
    QMainWindow::closeEvent(event);
}

void TForm1::buildLevelNavigation(QMenu* menu)
{
    NextLevel1 = menu->addAction(QStringLiteral("&Next Level"), this, &TForm1::NextLevel1Click);
    NextLevel1->setObjectName("NextLevel1");
    NextLevel1->setShortcut(QKeySequence(Qt::Key_PageUp));
    PreviousLevel1 = menu->addAction(QStringLiteral("&Previous Level"), this, &TForm1::PreviousLevel1Click);
    PreviousLevel1->setObjectName("PreviousLevel1");
    PreviousLevel1->setShortcut(QKeySequence(Qt::Key_PageDown));
    GoToLevel1 = menu->addAction(QStringLiteral("&Go to Level..."), this, &TForm1::GoToLevel1Click);
    GoToLevel1->setObjectName("GoToLevel1");
    GoToLevel1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    menu->addSeparator();
}

void TForm1::NextLevel1Click()
{
    UpDown1->stepUp();
}

void TForm1::PreviousLevel1Click()
{
    UpDown1->stepDown();
}

void TForm1::GoToLevel1Click()
{
    finishDrags();
    const std::optional<int> number = dialogs_->number(QStringLiteral("Go to Level"), QStringLiteral("Level number:"),
                                                       state_.level.levelIndex + 1, 1, kLevelCount);
    if (number)
        goToLevel(*number - 1);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    // In a credit box Page Up and Page Down are the box's keys, not the
    // level's.
    if (event->type() == QEvent::ShortcutOverride && qobject_cast<QLineEdit*>(watched)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            event->accept();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace zq
