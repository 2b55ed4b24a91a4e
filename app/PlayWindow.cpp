#include "app/PlayWindow.h"

#include "app/Dialogs.h"
#include "app/GameDocument.h"
#include "app/RomSetting.h"
#include "app/MachineView.h"
#include "emu/Rom.h"
#include "files/Snapshot.h"

#include <QCloseEvent>
#include <QLabel>
#include <QStatusBar>

namespace zq {

namespace {

constexpr int kFrameMs = 20;
// Behind by more than this, the clock skips ahead instead of running on.
constexpr qint64 kMostFramesPerTick = 5;

} // namespace

PlayWindow::PlayWindow(const GameDocument& document, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent, Qt::Window)
    , document_(document)
    , dialogs_(dialogs)
{
    setObjectName("PlayWindow");
    setWindowTitle("Zelquor - Play");
    view_ = new MachineView(keyboard_, this);
    view_->setObjectName("MachineView");
    setCentralWidget(view_);
    status_ = new QLabel(this);
    status_->setObjectName("PlayStatus");
    statusBar()->addWidget(status_, 1);
    // Whole scales only: the picture stays crisp at any window size.
    setSizeIncrement(emu::kScreenWidth, emu::kScreenHeight);
    resize(view_->sizeHint() + QSize(0, statusBar()->sizeHint().height()));
    connect(view_, &MachineView::keysChanged, this, [this] { keyboard_.applyTo(machine_); });

    frameTimer_.setTimerType(Qt::PreciseTimer);
    frameTimer_.setInterval(kFrameMs);
    connect(&frameTimer_, &QTimer::timeout, this, &PlayWindow::tick);
    restartTimer_.setSingleShot(true);
    connect(&restartTimer_, &QTimer::timeout, this, &PlayWindow::playGame);
    picture_.SetSize(emu::kScreenWidth, emu::kScreenHeight, 32);
    beeper_.start();
}

PlayWindow::~PlayWindow() = default;

bool PlayWindow::loadRom()
{
    const RomChoice rom = currentRom();
    romError_.clear();
    const std::vector<std::uint8_t> bytes = readRom(rom, &romError_);
    romReady_ = !bytes.empty() && machine_.loadRom(bytes);
    romName_ = rom.name;
    view_->setMessage(romError_);
    return romReady_;
}

void PlayWindow::playGame()
{
    restartTimer_.stop();
    if (!isVisible() && parentWidget() && !placed_) {
        // First shown beside the editor.
        move(parentWidget()->frameGeometry().topRight() + QPoint(8, 0));
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
    if (loadRom()) {
        machine_.reset();
        machine_.loadSnapshot(document_.image().bytes());
        keyboard_.applyTo(machine_);
        ++starts_;
    }
    sinceStart_.start();
    startClock();
}

void PlayWindow::restartSoon()
{
    if (!isVisible() || restartTimer_.isActive())
        return;
    const qint64 since = sinceStart_.isValid() ? sinceStart_.elapsed() : kRestartInterval;
    restartTimer_.start(int(std::max<qint64>(0, kRestartInterval - since)));
}

void PlayWindow::resetSpectrum()
{
    if (loadRom())
        machine_.reset();
    startClock();
}

void PlayWindow::setPaused(bool paused)
{
    if (paused == paused_)
        return;
    paused_ = paused;
    if (!paused_)
        startClock();
    else
        frameTimer_.stop();
    updateStatus();
    emit pausedChanged(paused_);
}

void PlayWindow::chooseRom()
{
    const QString name = dialogs_.openFileName("Choose a 48K ROM", "ZX Spectrum 48K ROM (*.rom *.bin);;All files (*)", ".");
    if (name.isEmpty())
        return;
    if (emu::readRomFile(name.toStdString()).empty()) {
        view_->setMessage(QStringLiteral("%1 is not a 16384-byte 48K ROM: the ROM in use stays.").arg(name));
        return;
    }
    setOwnRom(name);
    playGame();
}

void PlayWindow::saveScreenshot()
{
    const QString chosen = dialogs_.saveFileName("Save Screenshot", "PNG Pictures (*.png)", ".");
    if (chosen.isEmpty())
        return;
    const QString name = QString::fromStdString(forceExtension(chosen.toStdString(), ".png"));
    if (!view_->shownPicture().save(name, "PNG"))
        dialogs_.error(QString::fromLatin1(kProgramTitle), QStringLiteral("Cannot write file \"%1\".").arg(name));
}

QString PlayWindow::statusText() const
{
    return status_->text();
}

void PlayWindow::startClock()
{
    clock_.start();
    framesRun_ = 0;
    if (!paused_ && romReady_)
        frameTimer_.start();
    else
        frameTimer_.stop();
    machine_.renderScreen(picture_);
    view_->showFrame(picture_);
    updateStatus();
}

void PlayWindow::tick()
{
    // Frames run against the clock, so a late timer catches up.
    const qint64 due = clock_.elapsed() / kFrameMs;
    if (due - framesRun_ > kMostFramesPerTick)
        framesRun_ = due - kMostFramesPerTick;
    if (due <= framesRun_)
        return;
    for (; framesRun_ < due; ++framesRun_) {
        machine_.runFrame();
        beeper_.play(machine_);
    }
    machine_.renderScreen(picture_);
    view_->showFrame(picture_);
}

void PlayWindow::updateStatus()
{
    if (!romReady_) {
        status_->setText(QStringLiteral("No ROM"));
        return;
    }
    status_->setText(QStringLiteral("%1 · ROM: %2%3")
                         .arg(paused_ ? QStringLiteral("Paused") : QStringLiteral("Running"), romName_,
                              beeper_.active() ? QString() : QStringLiteral(" · no sound")));
}

void PlayWindow::closeEvent(QCloseEvent* event)
{
    frameTimer_.stop();
    restartTimer_.stop();
    keyboard_.releaseAll();
    QMainWindow::closeEvent(event);
}

} // namespace zq
