// The Play menu: the play window with the embedded Spectrum, started from a
// copy of the document and, if the user wants, restarted after every edit.

#include "app/MainForm.h"

#include "app/PlayWindow.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>

namespace zq {

namespace {

const char* const kRestartSetting = "play/restartOnEveryEdit";

QAction* playItem(QMenu* menu, const char* name, const char* caption, QKeySequence key = {})
{
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    return action;
}

} // namespace

void TForm1::buildPlayMenu()
{
    QMenu* play = menuBar()->addMenu("&Play");
    PlayGame1 = playItem(play, "PlayGame1", "&Play Game", QKeySequence(Qt::Key_F5));
    Pause1 = playItem(play, "Pause1", "Pa&use", QKeySequence(Qt::Key_F6));
    Pause1->setCheckable(true);
    ResetSpectrum1 = playItem(play, "ResetSpectrum1", "&Reset Spectrum");
    RestartOnEdit1 = playItem(play, "RestartOnEdit1", "Restart on &Every Edit");
    RestartOnEdit1->setCheckable(true);
    RestartOnEdit1->setChecked(QSettings().value(kRestartSetting, false).toBool());
    play->addSeparator();
    ChooseRom1 = playItem(play, "ChooseRom1", "&Choose ROM...");
    SaveScreenshot1 = playItem(play, "SaveScreenshot1", "Save Screen&shot...");
    // What acts on a running machine waits for the window.
    for (QAction* a : {Pause1, ResetSpectrum1, SaveScreenshot1})
        a->setEnabled(false);

    connect(PlayGame1, &QAction::triggered, this, &TForm1::PlayGame1Click);
    connect(Pause1, &QAction::triggered, this, &TForm1::Pause1Click);
    connect(ResetSpectrum1, &QAction::triggered, this, &TForm1::ResetSpectrum1Click);
    connect(RestartOnEdit1, &QAction::triggered, this, &TForm1::RestartOnEdit1Click);
    connect(ChooseRom1, &QAction::triggered, this, &TForm1::ChooseRom1Click);
    connect(SaveScreenshot1, &QAction::triggered, this, &TForm1::SaveScreenshot1Click);
    connect(&document_, &GameDocument::changed, this, [this] {
        if (playWindow_ && RestartOnEdit1->isChecked())
            playWindow_->restartSoon();
    });
}

PlayWindow& TForm1::openPlayWindow()
{
    if (!playWindow_) {
        playWindow_ = new PlayWindow(document_, *dialogs_, this);
        // The menu's keys work in the play window too; the Spectrum's own
        // keys go to the game first.
        playWindow_->addActions({PlayGame1, Pause1, ResetSpectrum1, RestartOnEdit1, ChooseRom1, SaveScreenshot1});
        // The same items on a right click in the window.
        playWindow_->setContextMenuPolicy(Qt::ActionsContextMenu);
        connect(playWindow_, &PlayWindow::pausedChanged, Pause1, &QAction::setChecked);
        for (QAction* a : {Pause1, ResetSpectrum1, SaveScreenshot1})
            a->setEnabled(true);
    }
    return *playWindow_;
}

void TForm1::PlayGame1Click()
{
    finishDrags();
    openPlayWindow().playGame();
}

void TForm1::Pause1Click()
{
    PlayWindow& play = openPlayWindow();
    play.setPaused(!play.paused());
}

void TForm1::ResetSpectrum1Click()
{
    openPlayWindow().resetSpectrum();
}

void TForm1::RestartOnEdit1Click()
{
    QSettings().setValue(kRestartSetting, RestartOnEdit1->isChecked());
}

void TForm1::ChooseRom1Click()
{
    openPlayWindow().chooseRom();
}

void TForm1::SaveScreenshot1Click()
{
    openPlayWindow().saveScreenshot();
}

} // namespace zq
