#include "app/PlayMenu.h"

#include "app/GameDocument.h"
#include "app/PlayWindow.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>

namespace zq {

namespace {

const char* const kRestartSetting = "play/restartOnEveryEdit";
const char* const kLiveSetting = "play/liveEdits";

} // namespace

PlayMenu::PlayMenu(QMainWindow& window, GameDocument& document, Dialogs& dialogs, std::function<void()> beforeCommand)
    : QObject(&window)
    , window_(window)
    , document_(document)
    , dialogs_(dialogs)
    , beforeCommand_(std::move(beforeCommand))
{
    menu_ = window.menuBar()->addMenu("&Play");
    PlayGame1 = item("PlayGame1", "&Play Game", QKeySequence(Qt::Key_F5));
    Pause1 = item("Pause1", "Pa&use", QKeySequence(Qt::Key_F6));
    Pause1->setCheckable(true);
    ResetSpectrum1 = item("ResetSpectrum1", "&Reset Spectrum");
    RestartOnEdit1 = item("RestartOnEdit1", "Restart on &Every Edit");
    RestartOnEdit1->setCheckable(true);
    LiveEdits1 = item("LiveEdits1", "&Live Edits");
    LiveEdits1->setCheckable(true);
    const bool live = QSettings().value(kLiveSetting, false).toBool();
    LiveEdits1->setChecked(live);
    RestartOnEdit1->setChecked(!live && QSettings().value(kRestartSetting, false).toBool());
    menu_->addSeparator();
    TakeCheckpoint1 = item("TakeCheckpoint1", "Ta&ke Checkpoint", QKeySequence(Qt::Key_F7));
    checkpointMenu_ = menu_->addMenu("Play &from Checkpoint");
    checkpointMenu_->setObjectName("PlayFromCheckpoint1");
    Rewind1 = item("Rewind1", "Re&wind", QKeySequence(Qt::Key_F8));
    Rewind1->setAutoRepeat(true);
    SaveCheckpoint1 = item("SaveCheckpoint1", "Save Checkpoint &As...");
    OpenCheckpoint1 = item("OpenCheckpoint1", "&Open Checkpoint...");
    menu_->addSeparator();
    ChooseRom1 = item("ChooseRom1", "&Choose ROM...");
    SaveScreenshot1 = item("SaveScreenshot1", "Save Screen&shot...");
    // What acts on a running machine waits for the window.
    for (QAction* a : {Pause1, ResetSpectrum1, SaveScreenshot1, TakeCheckpoint1, Rewind1, SaveCheckpoint1})
        a->setEnabled(false);
    fillCheckpointMenu();

    // Commands that start the game or open a dialog end the editor's
    // strokes first; the others act on the machine as it stands.
    onTrigger(PlayGame1, &PlayWindow::playGame, true);
    connect(Pause1, &QAction::triggered, this, [this] {
        PlayWindow& play = openWindow();
        play.setPaused(!play.paused());
    });
    onTrigger(ResetSpectrum1, &PlayWindow::resetSpectrum, false);
    connect(RestartOnEdit1, &QAction::triggered, this, [this] { editModeChosen(RestartOnEdit1); });
    connect(LiveEdits1, &QAction::triggered, this, [this] { editModeChosen(LiveEdits1); });
    onTrigger(TakeCheckpoint1, &PlayWindow::takeCheckpoint, false);
    onTrigger(Rewind1, &PlayWindow::rewind, false);
    onTrigger(SaveCheckpoint1, &PlayWindow::saveCheckpointAs, true);
    onTrigger(OpenCheckpoint1, &PlayWindow::openCheckpoint, true);
    onTrigger(ChooseRom1, &PlayWindow::chooseRom, true);
    onTrigger(SaveScreenshot1, &PlayWindow::saveScreenshot, true);
    connect(&document_, &GameDocument::changed, this, [this] {
        if (playWindow_)
            playWindow_->documentChanged();
    });
}

PlayMenu::~PlayMenu()
{
    delete playWindow_;
}

PlayWindow* PlayMenu::playWindow() const
{
    return playWindow_;
}

void PlayMenu::onTrigger(QAction* action, void (PlayWindow::*command)(), bool endStrokes)
{
    connect(action, &QAction::triggered, this, [this, command, endStrokes] {
        if (endStrokes)
            beforeCommand_();
        (openWindow().*command)();
    });
}

QAction* PlayMenu::item(const char* name, const char* caption, QKeySequence key)
{
    QAction* action = menu_->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    return action;
}

emu::EditMode PlayMenu::editMode() const
{
    if (LiveEdits1->isChecked())
        return emu::EditMode::Live;
    return RestartOnEdit1->isChecked() ? emu::EditMode::Restart : emu::EditMode::Off;
}

// The two ways of taking edits exclude each other; both are remembered.
void PlayMenu::editModeChosen(QAction* chosen)
{
    QAction* other = chosen == LiveEdits1 ? RestartOnEdit1 : LiveEdits1;
    if (chosen->isChecked())
        other->setChecked(false);
    QSettings().setValue(kLiveSetting, LiveEdits1->isChecked());
    QSettings().setValue(kRestartSetting, RestartOnEdit1->isChecked());
    if (playWindow_)
        playWindow_->setEditMode(editMode());
}

PlayWindow& PlayMenu::openWindow()
{
    if (!playWindow_) {
        playWindow_ = new PlayWindow(document_, dialogs_, &window_);
        playWindow_->setEditMode(editMode());
        // The menu's keys work in the play window too; the Spectrum's own
        // keys go to the game first.
        playWindow_->addActions(menu_->actions());
        // The same items on a right click in the window.
        playWindow_->setContextMenuPolicy(Qt::ActionsContextMenu);
        connect(playWindow_, &PlayWindow::pausedChanged, Pause1, &QAction::setChecked);
        connect(playWindow_, &PlayWindow::checkpointsChanged, this, &PlayMenu::fillCheckpointMenu);
        for (QAction* a : {Pause1, ResetSpectrum1, SaveScreenshot1, TakeCheckpoint1, Rewind1, SaveCheckpoint1})
            a->setEnabled(true);
    }
    return *playWindow_;
}

// The kept checkpoints, newest first, on Ctrl+1 .. Ctrl+9.
void PlayMenu::fillCheckpointMenu()
{
    if (playWindow_)
        for (QAction* old : checkpointMenu_->actions())
            playWindow_->removeAction(old);
    checkpointMenu_->clear();
    const std::size_t count = playWindow_ ? playWindow_->session().checkpointCount() : 0;
    checkpointMenu_->setEnabled(count > 0);
    // Ctrl+1 .. Ctrl+9, one for each checkpoint kept.
    static_assert(emu::PlaySession::kMaxCheckpoints <= 9);
    for (std::size_t i = 0; i < count; ++i) {
        const int index = int(i);
        QAction* a = checkpointMenu_->addAction(QString::fromStdString(playWindow_->session().checkpoint(i).name));
        a->setObjectName(QStringLiteral("Checkpoint%1").arg(index + 1));
        a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + index)));
        connect(a, &QAction::triggered, this, [this, index] {
            beforeCommand_();
            openWindow().playFromCheckpoint(index);
        });
        // The keys work in the play window too.
        playWindow_->addAction(a);
    }
}

} // namespace zq
