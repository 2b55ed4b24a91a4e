#pragma once
// The Play menu and the play window it opens: the embedded Spectrum started
// from a copy of the document, restarted after every edit or patched live as
// the user wants (both choices remembered), checkpoints to play from, and
// the rewind. The window is made on first use and lives as long as the menu.

#include "emu/PlaySession.h"

#include <QKeySequence>
#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QMainWindow;
class QMenu;

namespace zq {

class Dialogs;
class GameDocument;
class PlayWindow;

class PlayMenu : public QObject {
    Q_OBJECT
public:
    // Adds the Play menu to `window`'s menu bar. `beforeCommand` runs before
    // a command that starts the game (it ends the editor's mouse strokes).
    PlayMenu(QMainWindow& window, GameDocument& document, Dialogs& dialogs, std::function<void()> beforeCommand);
    ~PlayMenu() override;

    PlayWindow* playWindow() const;
    emu::EditMode editMode() const;

private:
    QAction* item(const char* name, const char* caption, QKeySequence key = {});
    void onTrigger(QAction* action, void (PlayWindow::*command)(), bool endStrokes);
    PlayWindow& openWindow();
    void editModeChosen(QAction* chosen);
    void fillCheckpointMenu();

    QMainWindow& window_;
    GameDocument& document_;
    Dialogs& dialogs_;
    std::function<void()> beforeCommand_;
    QPointer<PlayWindow> playWindow_;
    QMenu* menu_ = nullptr;
    QMenu* checkpointMenu_ = nullptr;

    QAction* PlayGame1 = nullptr;
    QAction* Pause1 = nullptr;
    QAction* ResetSpectrum1 = nullptr;
    QAction* RestartOnEdit1 = nullptr;
    QAction* LiveEdits1 = nullptr;
    QAction* TakeCheckpoint1 = nullptr;
    QAction* Rewind1 = nullptr;
    QAction* SaveCheckpoint1 = nullptr;
    QAction* OpenCheckpoint1 = nullptr;
    QAction* ChooseRom1 = nullptr;
    QAction* SaveScreenshot1 = nullptr;
};

} // namespace zq
