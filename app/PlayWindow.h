#pragma once
// The play window: an embedded Spectrum 48K running a copy of the game image
// beside the editor, at 50 frames per second. Nothing the game does reaches
// the document. The ROM is OpenSE BASIC unless the user chose their own
// (remembered between runs); a ROM that cannot be used is said in the window.
//
// Where the game starts from, what an edit does to it, checkpoints and the
// rewind are the play session's (emu/PlaySession.h); the window keeps the
// clock, which runs only while the window is shown and not paused. Only the
// user's own commands (Play Game, Play from Checkpoint) show, raise or
// activate the window: a restart after an edit never takes the focus.

#include "app/BeeperOutput.h"
#include "emu/HostKeyboard.h"
#include "emu/Machine48.h"
#include "emu/PlaySession.h"
#include "gfx/FastDIB.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTimer>

class QLabel;

namespace zq {

class Dialogs;
class GameDocument;
class MachineView;

class PlayWindow : public QMainWindow {
    Q_OBJECT
public:
    // Restarts on every edit come at most this often.
    static constexpr int kRestartInterval = 200; // ms
    // Notices in the status line stay this long.
    static constexpr int kNoticeMs = 3000;

    PlayWindow(const GameDocument& document, Dialogs& dialogs, QWidget* parent = nullptr);
    ~PlayWindow() override;

    // Shows the window and starts the game from a copy of the document's
    // image (again, if it runs already).
    void playGame();
    // Shows the window and starts the game from checkpoint `index` (0 the
    // newest) with the document's game data written over it.
    void playFromCheckpoint(int index);
    // The document changed: as the edit mode says, nothing, a restart (now,
    // or when the last start is kRestartInterval ms old; several requests in
    // that time make one) or the changed bytes written into the game.
    void documentChanged();
    // Live, the edits made before reach the game at once.
    void setEditMode(emu::EditMode mode);

    // The ROM from address 0, RAM cleared.
    void resetSpectrum();
    void setPaused(bool paused);
    bool paused() const { return paused_; }
    void takeCheckpoint();
    // Back one second; the picture of then is shown.
    void rewind();
    // The newest checkpoint (one taken now if there is none) as a .szx file.
    void saveCheckpointAs();
    // A .szx file (or another snapshot) as the newest checkpoint.
    void openCheckpoint();
    void chooseRom();
    void saveScreenshot();

    const emu::Machine48& machine() const { return machine_; }
    const emu::PlaySession& session() const { return session_; }
    QString statusText() const;
    MachineView* view() const { return view_; }
    // How many times the game was started from the document.
    int starts() const { return starts_; }
    // Whether the frame clock runs (shown, not paused, a ROM loaded).
    bool running() const { return frameTimer_.isActive(); }

signals:
    void pausedChanged(bool paused);
    void checkpointsChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool loadRom();
    void showBesideEditor();
    void restartNow();
    void started();
    void startClock();
    void showMachine();
    void tick();
    void updateStatus();

    const GameDocument& document_;
    Dialogs& dialogs_;
    emu::Machine48 machine_;
    emu::PlaySession session_{machine_};
    emu::HostKeyboard keyboard_;
    TFastDIB picture_;
    BeeperOutput beeper_;
    MachineView* view_ = nullptr;
    QLabel* status_ = nullptr;

    QTimer frameTimer_;
    QElapsedTimer clock_;
    qint64 framesRun_ = 0;
    QTimer restartTimer_;
    QElapsedTimer sinceStart_;
    bool paused_ = false;
    bool romReady_ = false;
    QString romName_;
    QString romError_;
    int starts_ = 0;
    bool placed_ = false;
};

} // namespace zq
