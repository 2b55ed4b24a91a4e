#pragma once
// The play window: an embedded Spectrum 48K running a copy of the game image
// beside the editor, at 50 frames per second. Nothing the game does reaches
// the document. The ROM is OpenSE BASIC unless the user chose their own
// (remembered between runs); a ROM that cannot be used is said in the window.

#include "app/BeeperOutput.h"
#include "emu/HostKeyboard.h"
#include "emu/Machine48.h"
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

    PlayWindow(const GameDocument& document, Dialogs& dialogs, QWidget* parent = nullptr);
    ~PlayWindow() override;

    // Shows the window and starts the game from a copy of the document's
    // image (again, if it runs already).
    void playGame();
    // A restart from the document's image now, or when the last start is
    // kRestartInterval ms old; several requests in that time make one.
    void restartSoon();
    // The ROM from address 0, RAM cleared.
    void resetSpectrum();
    void setPaused(bool paused);
    bool paused() const { return paused_; }
    void chooseRom();
    void saveScreenshot();

    const emu::Machine48& machine() const { return machine_; }
    QString statusText() const;
    MachineView* view() const { return view_; }
    // How many times the game was started from the document.
    int starts() const { return starts_; }

signals:
    void pausedChanged(bool paused);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool loadRom();
    void startClock();
    void tick();
    void updateStatus();

    const GameDocument& document_;
    Dialogs& dialogs_;
    emu::Machine48 machine_;
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
