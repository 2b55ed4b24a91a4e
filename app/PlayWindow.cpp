#include "app/PlayWindow.h"

#include "app/GameDocument.h"
#include "app/RomSetting.h"
#include "app/MachineView.h"

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
    connect(&restartTimer_, &QTimer::timeout, this, &PlayWindow::restartNow);
    picture_.SetSize(emu::kScreenWidth, emu::kScreenHeight, 32);
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

void PlayWindow::showBesideEditor()
{
    if (!isVisible() && parentWidget() && !placed_) {
        // First shown beside the editor.
        move(parentWidget()->frameGeometry().topRight() + QPoint(8, 0));
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
}

void PlayWindow::playGame()
{
    restartTimer_.stop();
    showBesideEditor();
    if (loadRom()) {
        session_.startFromImage(document_.image());
        started();
    }
    startClock();
}

void PlayWindow::playFromCheckpoint(int index)
{
    if (index < 0 || std::size_t(index) >= session_.checkpointCount())
        return;
    restartTimer_.stop();
    showBesideEditor();
    if (loadRom()) {
        session_.startFromCheckpoint(std::size_t(index), document_.image());
        started();
    }
    startClock();
}

// A restart asked for by an edit: the window stays as it is, and so does
// the focus. The ROM the game was started with is still in the machine.
void PlayWindow::restartNow()
{
    restartTimer_.stop();
    if (!isVisible() || !romReady_)
        return;
    session_.restart(document_.image());
    started();
    startClock();
}

void PlayWindow::started()
{
    keyboard_.applyTo(machine_);
    ++starts_;
    sinceStart_.start();
}

void PlayWindow::documentChanged()
{
    if (!isVisible() || !romReady_)
        return;
    if (session_.documentChanged(document_.image()) != emu::PlaySession::EditResponse::RestartDue ||
        restartTimer_.isActive())
        return;
    const qint64 since = sinceStart_.isValid() ? sinceStart_.elapsed() : kRestartInterval;
    restartTimer_.start(int(std::max<qint64>(0, kRestartInterval - since)));
}

void PlayWindow::setEditMode(emu::EditMode mode)
{
    session_.setEditMode(mode);
    if (mode == emu::EditMode::Live)
        session_.documentChanged(document_.image());
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
    startClock();
    emit pausedChanged(paused_);
}

void PlayWindow::takeCheckpoint()
{
    if (!romReady_)
        return;
    const emu::Checkpoint& taken = session_.takeCheckpoint();
    statusBar()->showMessage(QStringLiteral("Took %1").arg(QString::fromStdString(taken.name)), kNoticeMs);
    emit checkpointsChanged();
}

void PlayWindow::rewind()
{
    if (!romReady_ || !session_.rewind())
        return;
    keyboard_.applyTo(machine_);
    // Play goes on from there, on the clock from now.
    startClock();
}

QString PlayWindow::statusText() const
{
    return status_->text();
}

// The clock runs while the window is shown and not paused; either way the
// machine's picture is brought up to date.
void PlayWindow::startClock()
{
    clock_.start();
    framesRun_ = 0;
    if (!paused_ && romReady_ && isVisible()) {
        frameTimer_.start();
        if (!beeper_.active())
            beeper_.start();
    } else {
        frameTimer_.stop();
    }
    showMachine();
    updateStatus();
}

void PlayWindow::showMachine()
{
    machine_.renderScreen(picture_);
    view_->showFrame(picture_);
}

void PlayWindow::tick()
{
    // Frames run against the clock, so a late timer catches up.
    const qint64 due = clock_.elapsed() / kFrameMs;
    if (due - framesRun_ > kMostFramesPerTick)
        framesRun_ = due - kMostFramesPerTick;
    if (due <= framesRun_)
        return;
    // Live, a stroke still being drawn reaches the game as it goes (a
    // finished step tells documentChanged).
    if (session_.editMode() == emu::EditMode::Live && document_.stepOpen())
        session_.documentChanged(document_.image());
    for (; framesRun_ < due; ++framesRun_) {
        session_.runFrame();
        beeper_.play(machine_);
    }
    showMachine();
}

void PlayWindow::updateStatus()
{
    if (!romReady_) {
        status_->setText(QStringLiteral("No ROM"));
        return;
    }
    const emu::Checkpoint* from = session_.startedFrom();
    status_->setText(QStringLiteral("%1 · ROM: %2%3%4")
                         .arg(paused_ ? QStringLiteral("Paused") : QStringLiteral("Running"), romName_,
                              beeper_.active() ? QString() : QStringLiteral(" · no sound"),
                              from ? QStringLiteral(" · from ") + QString::fromStdString(from->name) : QString()));
}

void PlayWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    startClock();
}

// A closed window does not run: no frames, no sound, until it is shown again.
void PlayWindow::closeEvent(QCloseEvent* event)
{
    frameTimer_.stop();
    restartTimer_.stop();
    beeper_.stop();
    keyboard_.releaseAll();
    keyboard_.applyTo(machine_);
    QMainWindow::closeEvent(event);
}

} // namespace zq
