// Hot exit and crash recovery through the real window: the unsaved game of
// an editor that exited comes back at the next start with its whole undo
// history; a killed editor's is offered and a running editor's never is; a
// saved game leaves no file; damaged files are set aside and an unusable
// folder only turns recovery off.

#include "TestSupport.h"

#include "app/Recovery.h"

#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace zq;
using namespace zq::test;

namespace {

QStringList recoveryFiles(const QString& folder)
{
    return QDir(folder).entryList({"*.zqr"}, QDir::Files);
}

RecoveryData readRecovery(const QString& name)
{
    const QByteArray bytes = readFile(name);
    DecodedRecovery decoded = decodeRecovery(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), std::size_t(bytes.size())));
    if (decoded.status != DecodedRecovery::Ok)
        qWarning("%s does not decode", qPrintable(name));
    return std::move(decoded.data);
}

// The lock file a process leaves when it is killed: one naming a process
// that no longer runs.
void leaveStaleLock(const QString& lockName)
{
    QTemporaryDir scratch;
    QLockFile own(scratch.filePath("own.lock"));
    if (!own.tryLock(0))
        qFatal("cannot take a lock");
    const QByteArray content = readFile(scratch.filePath("own.lock"));
    QProcess gone;
    gone.start("true", {});
    gone.waitForStarted();
    const qint64 pid = gone.processId();
    gone.waitForFinished();
    writeFile(lockName, QByteArray::number(pid) + content.mid(content.indexOf('\n')));
}

void write(GameDocument& document, std::size_t offset, std::uint8_t value)
{
    EditStep step(document, QStringLiteral("Test"));
    step.image().set(offset, value);
}

} // namespace

class RecoveryTest : public QObject {
    Q_OBJECT

private slots:
    void anExitedEditorsGameComesBackWithItsHistory()
    {
        QTemporaryDir folder;
        QTemporaryDir files;
        const QString game = files.filePath("level-pack.sna");
        QByteArray pack = imageBytes(Editor().form->document().image());
        pack[qsizetype(off::LevelRecords)] = char(0x5A);
        writeFile(game, pack);

        std::vector<GameImage> states;
        std::array<std::uint8_t, kScreenSize> importedScreen;
        {
            Editor e;
            e.form->startRecovery(folder.path());
            e.dialogs->fileNames = {game};
            e.form->Open1Click();
            states.push_back(e.form->document().image());
            e.gotoLevel(3);
            e.poke(off::LevelRecords + 100, 0x11);
            states.push_back(e.form->document().image());
            {
                EditStep step(e.form->document(), QStringLiteral("Import Screen"));
                importedScreen = step.loadingScreen().bytes();
                importedScreen[5] ^= 0xFF;
                step.loadingScreen().assign(importedScreen);
            }
            e.gotoLevel(9);
            e.poke(off::Title, 'Q');
            states.push_back(e.form->document().image());
            // The last edit undone can be redone after the restore too.
            e.form->Undo1Click();
            QVERIFY(e.form->document().image() == states[1]);
            // Exit: no question, the game stays for the next start.
        }
        QCOMPARE(recoveryFiles(folder.path()).size(), 1);

        Editor again;
        again.dialogs->answers = {true};
        again.form->startRecovery(folder.path());
        QCOMPARE(again.dialogs->calls.size(), 1);
        QVERIFY(again.dialogs->calls[0].startsWith("ask: Restore the unsaved game from "));
        QVERIFY(again.dialogs->calls[0].endsWith(" (2 edits)?"));
        GameDocument& d = again.form->document();
        QVERIFY(d.image() == states[1]);
        QCOMPARE(d.loadingScreen().bytes(), importedScreen);
        QCOMPARE(d.fileName(), QFileInfo(game).absoluteFilePath());
        QVERIFY(d.isModified());
        QCOMPARE(again.shownTitle(), QString("level-pack.sna* - Zelquor Editor V3"));
        // On the level of the last edit kept.
        QCOMPARE(again.upDown("UpDown1")->position(), 3);
        // Only this editor's own file is left, holding the same game.
        QCOMPARE(recoveryFiles(folder.path()), QStringList{QFileInfo(again.form->recovery()->fileName()).fileName()});

        again.form->Redo1Click();
        QVERIFY(d.image() == states[2]);
        again.form->Undo1Click();
        again.form->Undo1Click();
        QVERIFY(d.image() == states[1]);
        QVERIFY(d.loadingScreen().bytes() != importedScreen);
        again.form->Undo1Click();
        QVERIFY(d.image() == states[0]);
        QVERIFY(!d.isModified());
        QCOMPARE(again.shownTitle(), QString("level-pack.sna - Zelquor Editor V3"));
        // Back to the game before the file was opened.
        again.form->Undo1Click();
        QCOMPARE(imageBytes(d.image()), imageBytes(Editor().form->document().image()));
    }

    void aFileNamedOnTheCommandLineWaitsWhenAGameIsRestored()
    {
        QTemporaryDir folder;
        QTemporaryDir files;
        {
            Editor e;
            e.form->startRecovery(folder.path());
            e.poke(off::LevelRecords + 100, 0x11);
        }
        const QString name = files.filePath("named.sna");
        QByteArray named = imageBytes(Editor().form->document().image());
        named[qsizetype(off::LevelRecords)] = char(0x5A);
        writeFile(name, named);

        {
            Editor again;
            again.dialogs->answers = {true};
            again.form->startSession({"zelquor-editor", name}, folder.path());
            QVERIFY(again.dialogs->calls.value(0).startsWith("ask: Restore the unsaved game from "));
            // Opening it would mark the document saved and drop the restored
            // game's recovery file: it waits in Open Recent, and the restored
            // game still lives after another exit.
            QCOMPARE(again.form->document().image().get(off::LevelRecords + 100), std::uint8_t(0x11));
            QVERIFY(again.form->statusText().contains("named.sna is in Open Recent"));
        }
        Editor third;
        third.dialogs->answers = {true};
        third.form->startSession({"zelquor-editor", name}, folder.path());
        QCOMPARE(third.form->document().image().get(off::LevelRecords + 100), std::uint8_t(0x11));

        // Nothing to restore: the named file opens.
        QTemporaryDir none;
        Editor opens;
        opens.form->startSession({"zelquor-editor", name}, none.path());
        QVERIFY(opens.dialogs->calls.isEmpty());
        QCOMPARE(imageBytes(opens.form->document().image()), named);
        QCOMPARE(opens.form->document().fileName(), QFileInfo(name).absoluteFilePath());

        // No file named: the default game, nothing asked.
        QTemporaryDir empty;
        Editor plain;
        plain.form->startSession({"zelquor-editor"}, empty.path());
        QVERIFY(plain.dialogs->calls.isEmpty());
        QCOMPARE(imageBytes(plain.form->document().image()), imageBytes(Editor().form->document().image()));
    }

    void aKilledEditorsGameIsOfferedAndARunningEditorsIsNot()
    {
        QTemporaryDir folder;
        // Two editors at work in the same folder keep apart.
        GameDocument first, second;
        Recovery running1(first, folder.path()), running2(second, folder.path());
        QVERIFY(running1.start() && running2.start());
        write(first, off::LevelRecords, 0x01);
        write(second, off::LevelRecords, 0x02);
        running1.flush();
        running2.flush();
        QCOMPARE(recoveryFiles(folder.path()).size(), 2);
        QCOMPARE(readRecovery(running1.fileName()).image[off::LevelRecords], 0x01);
        QCOMPARE(readRecovery(running2.fileName()).image[off::LevelRecords], 0x02);

        // A third one was killed: its file and a lock naming a dead process.
        GameDocument killed;
        write(killed, off::LevelRecords, 0x03);
        const QString left = folder.filePath("killed.zqr");
        const std::vector<std::uint8_t> bytes = encodeRecovery(killed.recoveryData());
        writeFile(left, QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
        leaveStaleLock(left + ".lock");

        Editor e;
        e.dialogs->answers = {false};
        e.form->startRecovery(folder.path());
        QCOMPARE(e.dialogs->calls.size(), 1);
        QVERIFY(e.dialogs->calls[0].endsWith(" (1 edit)?"));
        // Declined: it is deleted; the running editors' files are untouched.
        QVERIFY(!QFile::exists(left));
        QVERIFY(!QFile::exists(left + ".lock"));
        QVERIFY(QFile::exists(running1.fileName()) && QFile::exists(running2.fileName()));
        QCOMPARE(e.form->document().image().get(off::LevelRecords), Editor().byte(off::LevelRecords));
        // Nothing else is offered while the other two run.
        Editor later;
        later.form->startRecovery(folder.path());
        QVERIFY(later.dialogs->calls.isEmpty());
    }

    void aSavedGameLeavesNoFile()
    {
        QTemporaryDir folder;
        QTemporaryDir files;
        {
            Editor e;
            e.form->startRecovery(folder.path());
            const QString own = e.form->recovery()->fileName();
            e.poke(off::LevelRecords, 0x44);
            QVERIFY(!QFile::exists(own)); // written a moment later, not on every edit
            QTRY_VERIFY(QFile::exists(own));
            e.dialogs->fileNames = {files.filePath("saved.sna")};
            e.form->SaveAs1Click();
            QVERIFY(!QFile::exists(own));
            QCOMPARE(e.shownTitle(), QString("saved.sna - Zelquor Editor V3"));
            e.poke(off::LevelRecords, 0x45);
            QCOMPARE(e.shownTitle(), QString("saved.sna* - Zelquor Editor V3"));
            QTRY_VERIFY(QFile::exists(own));
            // Undone back to the saved state, it is the file's again.
            e.form->Undo1Click();
            QVERIFY(!QFile::exists(own));
            QCOMPARE(e.shownTitle(), QString("saved.sna - Zelquor Editor V3"));
            e.form->Undo1Click();
            QCOMPARE(e.shownTitle(), QString("saved.sna* - Zelquor Editor V3"));
            e.form->Redo1Click();
        }
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void theEndOfASessionQuitsAsExitDoes()
    {
        // SIGTERM at logout: the editor leaves its event loop and closes
        // down (its lock goes with it) instead of ending on the spot.
        QTemporaryDir home;
        QProcess editor;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_DATA_HOME", home.filePath("data"));
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        editor.setProcessEnvironment(environment);
        editor.start(ZELQUOR_EDITOR, {});
        QVERIFY(editor.waitForStarted());
        const QString folder = home.filePath("data/Zelquor/Zelquor Editor V3/recovery");
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(folder).entryList({"*.lock"}, QDir::Files).isEmpty(), 20000);
        editor.terminate();
        QVERIFY(editor.waitForFinished(20000));
        QCOMPARE(editor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(editor.exitCode(), 0);
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList());
    }

    void damagedFilesAreSetAsideAndAnUnusableFolderOnlyTurnsRecoveryOff()
    {
        QTemporaryDir folder;
        writeFile(folder.filePath("damaged.zqr"), QByteArray("ZQRECOVR\x01\0\0\0 and then nothing", 28));
        Editor e;
        e.form->startRecovery(folder.path());
        QVERIFY(e.dialogs->calls.isEmpty());
        QVERIFY(e.form->statusText().startsWith("A damaged recovery file was set aside: "));
        QVERIFY(!QFile::exists(folder.filePath("damaged.zqr")));
        QVERIFY(QFile::exists(folder.filePath("damaged.zqr.set-aside")));

        // A regular file where the folder should be: the editor works on.
        writeFile(folder.filePath("plain"), "not a folder");
        Editor unusable;
        unusable.form->startRecovery(folder.filePath("plain/recovery"));
        QVERIFY(unusable.form->statusText().startsWith("Recovery is off: "));
        unusable.poke(off::LevelRecords, 0x46);
        unusable.form->recovery()->flush();
        QCOMPARE(unusable.byte(off::LevelRecords), std::uint8_t(0x46));
    }
};

QTEST_MAIN(RecoveryTest)
#include "RecoveryTest.moc"
