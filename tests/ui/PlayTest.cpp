// The Play menu and its window through the real editor (offscreen): F5
// starts the game from a copy of the document, frames advance at their
// pace, pause stops them, an edit restarts the game when asked to, the
// player's keys reach the game, and nothing the game does reaches the
// document.

#include "TestSupport.h"

#include "app/PlayWindow.h"
#include "app/MachineView.h"
#include "emu/Rom.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace zq;
using namespace zq::test;

namespace {

QAction* action(const Editor& e, const char* name)
{
    return e.form->findChild<QAction*>(QString::fromLatin1(name));
}

// The sample's viewer keeps the level it shows here.
constexpr std::uint16_t kViewLevel = 0xF5C9;

} // namespace

class PlayTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings().clear();
        if (!QFile::exists(emu::kOpenSeRomPath))
            QSKIP("no OpenSE ROM (package opense-basic)");
    }

    void playRunsACopyPausesAndRestartsOnEdits()
    {
        Editor e;
        e.show();
        const GameImage before = e.form->document().image();
        QVERIFY(!action(e, "Pause1")->isEnabled());
        action(e, "PlayGame1")->trigger();
        PlayWindow* play = e.form->playWindow();
        QVERIFY(play && play->isVisible());
        QTRY_VERIFY(play->machine().frameCount() > 20);
        QVERIFY(play->statusText().startsWith("Running"));
        QVERIFY(play->statusText().contains("OpenSE BASIC"));

        // Pause holds the machine where it is.
        action(e, "Pause1")->trigger();
        QVERIFY(action(e, "Pause1")->isChecked());
        const std::uint64_t held = play->machine().frameCount();
        QTest::qWait(120);
        QCOMPARE(play->machine().frameCount(), held);
        QVERIFY(play->statusText().startsWith("Paused"));
        action(e, "Pause1")->trigger();
        QTRY_VERIFY(play->machine().frameCount() > held);

        // Edits restart the game from the new image, several at once.
        action(e, "RestartOnEdit1")->trigger();
        const int starts = play->starts();
        for (int i = 1; i <= 5; ++i)
            e.poke(off::LevelRecords, std::uint8_t(0x40 + i));
        QTRY_COMPARE(play->machine().peek(addr::LevelRecords), std::uint8_t(0x45));
        QTest::qWait(PlayWindow::kRestartInterval + 50);
        QCOMPARE(play->starts(), starts + 1);

        // The game never writes the document.
        GameImage edited = before;
        edited.set(off::LevelRecords, 0x45);
        QTest::qWait(100);
        QCOMPARE(e.form->document().image(), edited);
        action(e, "RestartOnEdit1")->trigger();
    }

    void liveEditsReachTheRunningGame()
    {
        Editor e;
        action(e, "PlayGame1")->trigger();
        PlayWindow* play = e.form->playWindow();
        QTRY_VERIFY(play->machine().frameCount() > 10);
        // An edit made before Live Edits is checked reaches the game with it.
        e.poke(off::LevelRecords, 0x5A);
        QVERIFY(play->machine().peek(addr::LevelRecords) != 0x5A);
        action(e, "LiveEdits1")->trigger();
        QCOMPARE(play->machine().peek(addr::LevelRecords), std::uint8_t(0x5A));
        const int starts = play->starts();
        {
            // A stroke still being drawn reaches it as it goes.
            EditStep stroke(e.form->document(), QStringLiteral("Draw Blocks"));
            stroke.image().set(off::LevelRecords + 1, 0xA5);
            QTRY_COMPARE(play->machine().peek(addr::LevelRecords + 1), std::uint8_t(0xA5));
        }
        // Undo too, without a restart.
        e.form->Undo1Click();
        QCOMPARE(play->machine().peek(addr::LevelRecords + 1), e.form->document().image().get(off::LevelRecords + 1));
        QCOMPARE(play->starts(), starts);
        action(e, "LiveEdits1")->trigger();
    }

    void theKeysReachTheGame()
    {
        Editor e;
        action(e, "PlayGame1")->trigger();
        PlayWindow* play = e.form->playWindow();
        MachineView* view = play->view();
        // Past the title, the viewer shows level 1; N goes to level 2.
        QTRY_VERIFY_WITH_TIMEOUT(play->machine().frameCount() > 170, 120000);
        QCOMPARE(play->machine().peek(kViewLevel), std::uint8_t(0));
        QTest::keyPress(view, Qt::Key_N);
        QTRY_COMPARE(play->machine().peek(kViewLevel), std::uint8_t(1));
        QTest::keyRelease(view, Qt::Key_N);
        // Menu shortcuts do not take the Spectrum's keys.
        QKeyEvent ctrlZ(QEvent::ShortcutOverride, Qt::Key_Z, Qt::ControlModifier);
        QApplication::sendEvent(view, &ctrlZ);
        QVERIFY(ctrlZ.isAccepted());
    }

    void aRestartAfterAnEditLeavesTheFocusWhereTheUserTypes()
    {
        Editor e;
        e.show();
        action(e, "PlayGame1")->trigger();
        PlayWindow* play = e.form->playWindow();
        QTRY_VERIFY(play->machine().frameCount() > 10);
        if (!action(e, "RestartOnEdit1")->isChecked())
            action(e, "RestartOnEdit1")->trigger();
        QLineEdit* title = e.edit("LabeledEdit1");
        e.form->activateWindow();
        title->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), title);
        title->selectAll();
        const int starts = play->starts();
        // Typed where the focus is, as a user types: a restart comes
        // between the two halves.
        QTest::keyClicks(nullptr, "PLAY");
        QTRY_VERIFY(play->starts() > starts);
        QTest::keyClicks(nullptr, "TEST");
        QCOMPARE(QApplication::focusWidget(), title);
        QCOMPARE(title->text(), QString("PLAYTEST"));
        QVERIFY(!play->isActiveWindow());
        action(e, "RestartOnEdit1")->trigger();
    }

    void aClosedPlayWindowStandsStill()
    {
        Editor e;
        action(e, "PlayGame1")->trigger();
        PlayWindow* play = e.form->playWindow();
        QTRY_VERIFY(play->machine().frameCount() > 10);
        play->close();
        action(e, "Pause1")->trigger();
        action(e, "Pause1")->trigger();
        action(e, "TakeCheckpoint1")->trigger();
        const std::uint64_t frames = play->machine().frameCount();
        QVERIFY(!play->running());
        QVERIFY(!play->isVisible());
        // Playing from the checkpoint is playing: the window comes back.
        e.form->findChild<QAction*>("Checkpoint1")->trigger();
        QVERIFY(play->isVisible() && play->running());
        QTRY_VERIFY(play->machine().frameCount() > frames);
        QVERIFY(play->statusText().contains("from Checkpoint 1"));
    }

    void lettersAndDigitsFollowWhereTheKeySits()
    {
        Editor e;
        action(e, "PlayGame1")->trigger();
        PlayWindow* play = e.form->playWindow();
        // The key of a US "Q" on an AZERTY keyboard types "a".
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 24, 0, 0, "a");
        QApplication::sendEvent(play->view(), &press);
        QVERIFY(play->machine().keyDown(emu::Key::Q));
        QVERIFY(!play->machine().keyDown(emu::Key::A));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, 24, 0, 0, "a");
        QApplication::sendEvent(play->view(), &release);
        QVERIFY(!play->machine().keyDown(emu::Key::Q));
        // Its "1" key types "&", a symbol: by its place it is the Spectrum's 1.
        QKeyEvent one(QEvent::KeyPress, Qt::Key_Ampersand, Qt::NoModifier, 10, 0, 0, "&");
        QApplication::sendEvent(play->view(), &one);
        QVERIFY(play->machine().keyDown(emu::Key::N1));
        QVERIFY(!play->machine().keyDown(emu::Key::SymbolShift));
    }

    void aScreenshotAsksBeforeItReplacesAFile()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("shot.png"), "old");
        Editor e;
        action(e, "PlayGame1")->trigger();
        e.dialogs->fileNames = {dir.filePath("shot"), dir.filePath("shot")};
        e.dialogs->answers = {false, true};
        action(e, "SaveScreenshot1")->trigger();
        QCOMPARE(readFile(dir.filePath("shot.png")), QByteArray("old"));
        action(e, "SaveScreenshot1")->trigger();
        QCOMPARE(e.dialogs->calls.filter("question:").size(), 2);
        QImage shot;
        QVERIFY(shot.load(dir.filePath("shot.png"), "PNG"));
        QCOMPARE(shot.size(), e.form->playWindow()->view()->shownPicture().size());
    }

    void theOtherKeysAreTheSpectrumsAndTheJoysticks()
    {
        Editor e;
        action(e, "PlayGame1")->trigger();
        PlayWindow* play = e.form->playWindow();
        const emu::Machine48& m = play->machine();
        using emu::Key;
        const struct {
            Qt::Key key;
            std::vector<Key> keys;
            std::uint8_t joystick;
        } map[] = {
            {Qt::Key_Backspace, {Key::CapsShift, Key::N0}, 0},
            {Qt::Key_Control, {Key::SymbolShift}, 0},
            {Qt::Key_Alt, {Key::SymbolShift}, 0},
            {Qt::Key_Tab, {}, emu::kempston::Fire},
            {Qt::Key_Insert, {}, emu::kempston::Fire},
            {Qt::Key_Left, {Key::CapsShift, Key::N5}, emu::kempston::Left},
            {Qt::Key_Down, {Key::CapsShift, Key::N6}, emu::kempston::Down},
            {Qt::Key_Up, {Key::CapsShift, Key::N7}, emu::kempston::Up},
            {Qt::Key_Right, {Key::CapsShift, Key::N8}, emu::kempston::Right},
        };
        for (const auto& k : map) {
            QTest::keyPress(play->view(), k.key);
            int down = 0;
            for (int i = 0; i < emu::kKeyCount; ++i)
                down += m.keyDown(Key(i));
            QCOMPARE(down, int(k.keys.size()));
            for (const Key want : k.keys)
                QVERIFY(m.keyDown(want));
            QCOMPARE(m.kempstonBits(), k.joystick);
            QTest::keyRelease(play->view(), k.key);
            QVERIFY(!m.keyDown(Key::CapsShift) && !m.keyDown(Key::SymbolShift) && m.kempstonBits() == 0);
        }
    }

    void resetStartsTheRomAgain()
    {
        Editor e;
        action(e, "PlayGame1")->trigger();
        PlayWindow* play = e.form->playWindow();
        QTRY_VERIFY(play->machine().frameCount() > 20);
        QCOMPARE(play->machine().peek(addr::Signature), e.form->document().image().get(off::Signature));
        action(e, "ResetSpectrum1")->trigger();
        // Power on: the game's program is gone from RAM and the ROM starts.
        QVERIFY(play->machine().frameCount() < 20);
        QCOMPARE(play->machine().peek(addr::Signature), std::uint8_t(0));
        QTRY_VERIFY(play->machine().frameCount() > 20);
        QVERIFY(play->statusText().startsWith("Running"));
    }

    void aWrongRomIsSaidInTheWindowAndTheChoiceIsRemembered()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("short.rom"), QByteArray(1000, 0));
        Editor e;
        action(e, "PlayGame1")->trigger();
        e.dialogs->fileNames = {dir.filePath("short.rom")};
        action(e, "ChooseRom1")->trigger();
        QVERIFY(e.form->playWindow()->statusText().startsWith("Running")); // the ROM in use stays
        QVERIFY(QSettings().value("play/rom").toString().isEmpty());

        QFile::copy(emu::kOpenSeRomPath, dir.filePath("mine.rom"));
        e.dialogs->fileNames = {dir.filePath("mine.rom")};
        action(e, "ChooseRom1")->trigger();
        QVERIFY(e.form->playWindow()->statusText().contains("mine.rom"));
        QFile::remove(dir.filePath("mine.rom"));
        Editor again;
        action(again, "PlayGame1")->trigger();
        QCOMPARE(again.form->playWindow()->statusText(), QString("No ROM"));
        QSettings().remove("play/rom");
    }
};

QTEST_MAIN(PlayTest)
#include "PlayTest.moc"
