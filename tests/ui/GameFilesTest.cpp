// Every kind of game file through the real window: .z80, .szx and tapes
// open, "Save in Another Format" writes what opens again, refusals leave the
// document and the level as they were, and the user's own copy of the game
// becomes the default image of New and every later run.

#include "HostileFiles.h"

#include "app/GameFiles.h"
#include "app/RomSetting.h"
#include "files/SnapshotFormats.h"
#include "files/Tape.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

using namespace zq;
using namespace zq::test;

namespace {

QByteArray asBytes(const std::vector<std::uint8_t>& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
}

std::span<const std::uint8_t> asSpan(const QByteArray& b)
{
    return {reinterpret_cast<const std::uint8_t*>(b.data()), std::size_t(b.size())};
}

QByteArray withSignature(const GameImage& image, char mark)
{
    QByteArray bytes = imageBytes(image);
    bytes[qsizetype(off::Signature) + 9] = mark;
    return bytes;
}

} // namespace

class GameFilesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

    // Opens `name` on level 7 and expects it refused with the last call.
    bool refused(Editor& e, const QString& name, const QString& call)
    {
        e.gotoLevel(7);
        const GameImage before = e.form->document().image();
        e.dialogs->fileNames = {name};
        e.form->Open1Click();
        const bool ok = e.dialogs->calls.last().startsWith(call) && e.form->document().image() == before &&
                        e.form->state().level.levelIndex == 7;
        if (!ok)
            qWarning("%s: %s", qPrintable(name), qPrintable(e.dialogs->calls.last()));
        return ok;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings().clear();
    }

    void snapshotsOpenAndOtherFormatsSave()
    {
        Editor e;
        const QByteArray sample = imageBytes(e.form->document().image());
        writeFile(path("game.z80"), asBytes(encodeSnapshot(asSpan(sample), FileKind::Z80)));
        writeFile(path("game.szx"), asBytes(encodeSnapshot(asSpan(sample), FileKind::Szx)));
        for (const char* name : {"game.z80", "game.szx"}) {
            e.poke(off::LevelRecords, 0x11);
            e.dialogs->fileNames = {path(name)};
            e.form->Open1Click();
            QCOMPARE(imageBytes(e.form->document().image()), sample);
        }

        // The filter chosen decides the format; what is written opens again.
        e.poke(off::LevelRecords, 0x23);
        const GameImage before = e.form->document().image();
        for (const char* format : {"szx", "z80"}) {
            e.dialogs->filters = {QStringLiteral("ZX Spectrum .%1 Snapshot (*.%1)").arg(format)};
            e.dialogs->fileNames = {path("out")};
            action(e, "SaveOther1")->trigger();
            QCOMPARE(e.dialogs->calls.last(),
                     QString("save: Save in Another Format | ZX Spectrum .z80 Snapshot (*.z80);;ZX Spectrum .szx "
                             "Snapshot (*.szx);;ZX Spectrum TZX Tape (*.tzx) | ."));
            e.poke(off::LevelRecords, 0x24);
            e.dialogs->fileNames = {path("out.") + format};
            e.form->Open1Click();
            QCOMPARE(e.form->document().image(), before);
        }
        // A write that fails is reported and leaves no file.
        const QString full = path("full.z80");
        {
            const Devices filling({{}, [](const QString& n) { return std::make_unique<FillingSaveFile>(n, 1000); }});
            e.dialogs->fileNames = {full};
            action(e, "SaveOther1")->trigger();
        }
        CHECKED(expectError(e, QStringLiteral("Cannot write file \"%1\". No space left on device").arg(full)));
        QVERIFY(!QFile::exists(full));
        e.dialogs->filters = {"ZX Spectrum TZX Tape (*.tzx)"};
        e.dialogs->fileNames = {path("out")};
        action(e, "SaveOther1")->trigger();
        QCOMPARE(readFile(path("out.tzx")), asBytes(tapeAsTzx(buildTape(before, e.form->document().loadingScreen()))));
        // A typed extension that names a format decides; the filter only
        // where the name names none.
        e.dialogs->filters = {"ZX Spectrum .z80 Snapshot (*.z80)"};
        e.dialogs->fileNames = {path("typed.TZX")};
        action(e, "SaveOther1")->trigger();
        QCOMPARE(readFile(path("typed.tzx")), readFile(path("out.tzx")));
        QVERIFY(!QFile::exists(path("typed.z80")));
        e.dialogs->filters = {"ZX Spectrum TZX Tape (*.tzx)"};
        e.dialogs->fileNames = {path("named.sna")};
        action(e, "SaveOther1")->trigger();
        QCOMPARE(readFile(path("named.tzx")), readFile(path("out.tzx")));
    }

    void theGamesTapeLoadsInTheEmbeddedSpectrum()
    {
        if (!QFile::exists("/usr/share/spectrum-roms/opense.rom"))
            QSKIP("no OpenSE ROM (package opense-basic)");
        Editor e;
        const QByteArray sample = imageBytes(e.form->document().image());
        writeFile(path("game.tap"), asBytes(buildTape(e.form->document().image(), e.form->document().loadingScreen())));
        e.poke(off::LevelRecords, 0x22);
        e.dialogs->fileNames = {path("game.tap")};
        e.form->Open1Click();
        QVERIFY(e.dialogs->calls.last().startsWith("progress:"));
        const QByteArray loaded = imageBytes(e.form->document().image());
        QCOMPARE(loaded.mid(qsizetype(off::TapeCodeStart)), sample.mid(qsizetype(off::TapeCodeStart)));
        QCOMPARE(loaded.mid(qsizetype(off::Screen), qsizetype(kScreenSize)),
                 sample.mid(qsizetype(off::Screen), qsizetype(kScreenSize)));
        // Cancelled, it changes nothing.
        e.poke(off::LevelRecords, 0x23);
        const GameImage before = e.form->document().image();
        e.dialogs->cancelAfter = 1;
        e.dialogs->fileNames = {path("game.tap")};
        e.form->Open1Click();
        QCOMPARE(e.form->document().image(), before);
    }

    void refusalsLeaveTheDocumentAndTheLevel()
    {
        Editor e;
        const GameImage sample = e.form->document().image();
        const QByteArray z80 = asBytes(encodeSnapshot(sample.bytes(), FileKind::Z80));
        writeFile(path("half.z80"), z80.left(z80.size() / 2));
        writeFile(path("other.szx"), asBytes(encodeSnapshot(asSpan(withSignature(sample, 0x55)), FileKind::Szx)));
        writeFile(path("big.tzx"), QByteArray(5 << 20, 0x20));
        QDir(dir_.path()).mkpath("folder.z80");
        // A tape of something else: one block of bytes, no program.
        std::vector<std::uint8_t> other;
        const auto header = tapHeader(kTapTypeBytes, "data", 4, 32768, 32768);
        const std::uint8_t data[] = {0xFF, 1, 2, 3, 4, std::uint8_t(0xFF ^ 1 ^ 2 ^ 3 ^ 4)};
        for (std::size_t n : {header.size(), sizeof data}) {
            other.push_back(std::uint8_t(n));
            other.push_back(std::uint8_t(n >> 8));
            if (n == header.size())
                other.insert(other.end(), header.begin(), header.end());
            else
                other.insert(other.end(), std::begin(data), std::end(data));
        }
        writeFile(path("other.tap"), asBytes(other));

        QVERIFY(refused(e, path("half.z80"), "message: File is not a ZX Spectrum snapshot or tape"));
        QVERIFY(refused(e, path("other.szx"), "message: File selected is not a Zelquor snapshot"));
        QVERIFY(refused(e, path("big.tzx"), "message: File size incorrect"));
        QVERIFY(refused(e, path("folder.z80"), "error: "));
        if (QFile::exists("/usr/share/spectrum-roms/opense.rom"))
            QVERIFY(refused(e, path("other.tap"), "message: The tape did not start the game"));
        // No usable ROM to load a tape with: the ROM is named.
        writeFile(path("short.rom"), QByteArray(100, 0));
        setOwnRom(path("short.rom"));
        QVERIFY(refused(e, path("other.tap"),
                        "message: The ROM " + path("short.rom") + " is missing or is not a 16384-byte 48K ROM."));
        QSettings().clear();

        // Compressed files are refused before libspectrum sees them (it
        // never returned from a truncated bzip2 stream).
        for (const char* name : {"bz.tap", "bz.tzx", "bz.z80", "bz.szx", "bz"})
            writeFile(path(name), "BZh");
        writeFile(path("gz.tap"), QByteArray("\x1F\x8B\x08\x00", 4) + QByteArray(60, 0));
        for (const char* name : {"bz.tap", "bz.tzx", "bz.z80", "bz.szx", "bz", "gz.tap"})
            QVERIFY(refused(e, path(name), "message: File is not a ZX Spectrum snapshot or tape"));
        // Empty files, folders and files gone by the time they are read:
        // a message each, nothing changed.
        for (const char* name : {"empty.z80", "empty.szx", "empty.tap", "empty.tzx", "empty"})
            writeFile(path(name), QByteArray());
        for (const char* name : {"empty.z80", "empty.szx", "empty.tap", "empty.tzx", "empty"})
            QVERIFY(refused(e, path(name), "message: "));
        QDir(dir_.path()).mkpath("folder");
        for (const char* name : {"folder", "gone.tap", "gone"})
            QVERIFY(refused(e, path(name), "error: "));
    }

    void theUsersOwnGameBecomesTheDefaultWithoutTouchingTheGameOpen()
    {
        const QByteArray sample = [] {
            Editor e;
            return imageBytes(e.form->document().image());
        }();
        QByteArray own = sample;
        own[qsizetype(off::Signature) + 9] = 0x42;
        writeFile(path("own.sna"), own);
        // Every level full-width: the records would run into the enemy table.
        QByteArray overlong = own;
        overlong.replace(qsizetype(off::MirrorBitmap), qsizetype(kMirrorBitmapSize), QByteArray(kMirrorBitmapSize, 0));
        writeFile(path("overlong.sna"), overlong);
        {
            Editor e;
            e.dialogs->fileNames = {path("overlong.sna")};
            action(e, "UseDefault1")->trigger();
            QCOMPARE(e.dialogs->calls.last(), QString("message: File is not a Zelquor snapshot"));
            QVERIFY(!e.form->defaultGame().isUsers());

            // A setting, not an edit: the game open and its history stay.
            e.poke(off::LevelRecords, 0x11);
            const GameImage before = e.form->document().image();
            const int steps = e.form->document().history().count();
            e.dialogs->fileNames = {path("own.sna")};
            action(e, "UseDefault1")->trigger();
            QVERIFY(e.form->document().image() == before);
            QCOMPARE(e.form->document().history().count(), steps);
            // Open still compares with the game held, the sample.
            QVERIFY(refused(e, path("own.sna"), "message: File selected is not a Zelquor snapshot"));
            action(e, "New1")->trigger();
            QCOMPARE(imageBytes(e.form->document().image()), own);
            // Undo takes New back; New again is the user's game.
            action(e, "Undo1")->trigger();
            QVERIFY(e.form->document().image() == before);
            action(e, "New1")->trigger();
            QCOMPARE(imageBytes(e.form->document().image()), own);
        }
        // A later run starts with it, and opens snapshots of that game.
        Editor again;
        QCOMPARE(imageBytes(again.form->document().image()), own);
        QByteArray edited = own;
        edited[qsizetype(off::LevelRecords)] = char(edited[qsizetype(off::LevelRecords)] ^ 0x0F);
        writeFile(path("own-edited.sna"), edited);
        again.dialogs->fileNames = {path("own-edited.sna")};
        again.form->Open1Click();
        QCOMPARE(imageBytes(again.form->document().image()), edited);

        action(again, "UseSample1")->trigger();
        QCOMPARE(imageBytes(again.form->document().image()), edited);
        action(again, "Undo1")->trigger(); // takes back the Open
        QCOMPARE(imageBytes(again.form->document().image()), own);
        action(again, "New1")->trigger();
        QCOMPARE(imageBytes(again.form->document().image()), sample);
        Editor sampleAgain;
        QCOMPARE(imageBytes(sampleAgain.form->document().image()), sample);
    }

private:
    static QAction* action(const Editor& e, const char* name)
    {
        return e.form->findChild<QAction*>(QString::fromLatin1(name));
    }
};

QTEST_MAIN(GameFilesTest)
#include "GameFilesTest.moc"
