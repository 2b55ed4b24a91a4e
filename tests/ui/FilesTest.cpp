// The File and Edit menus through the real window, with the dialogs
// answered by a script: open, the three saves, the screen import and the
// level and enemy clipboards.

#include "TestSupport.h"
#include "tests/RomSwapBytes.h"

#include "app/GameFiles.h"

#include "files/Snapshot.h"
#include "files/Tape.h"
#include "render/LevelScene.h"

#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QTemporaryDir>

using namespace zq;
using namespace zq::test;

namespace {

int levelOfKind(const GameImage& image, bool mirrored, int from = 0)
{
    for (int i = from; i < kLevelCount; ++i)
        if (isMirroredLevel(image, i) == mirrored)
            return i;
    qFatal("no level of that kind");
}

} // namespace

class FilesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void menusHaveTheirItems()
    {
        Editor e;
        struct Item {
            const char* name;
            const char* caption;
            QKeySequence key;
        };
        const Item items[] = {
            {"Open1", "&Open .sna", QKeySequence(Qt::CTRL | Qt::Key_O)},
            {"SaveAs1", "&Save 48k .sna", QKeySequence(Qt::CTRL | Qt::Key_S)},
            {"S1", "S&ave 128k .sna", QKeySequence(Qt::CTRL | Qt::Key_A)},
            {"Importscr1", "&Import .scr", QKeySequence(Qt::CTRL | Qt::Key_I)},
            {"Savetap1", "Save .&tap", QKeySequence(Qt::CTRL | Qt::Key_T)},
            {"CopyLevel1", "&Copy Level", QKeySequence(Qt::CTRL | Qt::Key_C)},
            {"PasteLevel1", "&Paste Level", QKeySequence(Qt::CTRL | Qt::Key_V)},
            {"CopyBaddies1", "Copy &Enemies", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C)},
            {"PasteBaddies1", "Paste E&nemies", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V)},
        };
        for (const Item& i : items) {
            auto* a = e.form->findChild<QAction*>(i.name);
            QVERIFY2(a, i.name);
            QCOMPARE(a->text(), QString(i.caption));
            QCOMPARE(a->shortcut(), i.key);
        }
        QVERIFY(!e.form->findChild<QAction*>("PasteLevel1")->isEnabled());
        QVERIFY(!e.form->findChild<QAction*>("PasteBaddies1")->isEnabled());
    }

    void saveAndOpenRoundTrip()
    {
        Editor e;
        e.dialogs->fileNames = {path("round.old.sna")};
        e.form->SaveAs1Click();
        QCOMPARE(e.dialogs->calls.first(), QString("save: Save 48k Snapshot | ZX 48k Snapshots (*.sna) | ."));
        const QByteArray saved = readFile(path("round.sna"));
        QCOMPARE(saved, imageBytes(e.form->document().image()));

        // Change the image and the title box, then open the saved file.
        e.gotoLevel(9);
        e.poke(off::LevelRecords, 0x33);
        e.edit("LabeledEdit1")->setText("CHANGED");
        e.dialogs->fileNames = {path("round.sna")};
        e.form->Open1Click();
        QCOMPARE(e.dialogs->calls.last(),
                 "open: Open ZX Spectrum 48k / 128k Snapshot | " + QString(kGameFileFilters) + " | .");
        QCOMPARE(imageBytes(e.form->document().image()), saved);
        QCOMPARE(e.upDown("UpDown1")->position(), 0);
        QCOMPARE(e.labelOf("StaticText2")->text(), QString("Level 1"));
        QCOMPARE(e.edit("LabeledEdit1")->text(),
                 QString::fromStdU32String(readCreditText(e.form->document().image(), CreditField::Title)));
    }

    void openRefusesWhatIsNotTheGame()
    {
        Editor e;
        e.gotoLevel(4);
        const GameImage before = e.form->document().image();
        QByteArray other = imageBytes(before);
        other[int(off::Signature) + 3] = char(other[int(off::Signature) + 3] ^ 0x55);
        writeFile(path("other.sna"), other);
        writeFile(path("long.sna"), imageBytes(before) + QByteArray(1, 0));
        writeFile(path("empty.sna"), QByteArray());
        QDir(dir_.path()).mkpath("folder.sna");

        e.dialogs->fileNames = {path("other.sna"), path("long.sna"), path("empty.sna"), path("folder.sna"),
                                path("missing.sna"), QString()};
        for (int i = 0; i < 6; ++i)
            e.form->Open1Click();
        QStringList shown;
        for (const QString& c : e.dialogs->calls)
            if (!c.startsWith("open: "))
                shown << c;
        QCOMPARE(shown.size(), 5);
        QCOMPARE(shown[0], QString("message: File selected is not a Zelquor snapshot"));
        QCOMPARE(shown[1], QString("message: File size incorrect"));
        QCOMPARE(shown[2], QString("message: File size incorrect"));
        QVERIFY(shown[3].startsWith("error: Zelquor Editor V3 | Cannot open file \""));
        QVERIFY(shown[3].endsWith("It is not a regular file."));
        QVERIFY(shown[4].startsWith("error: Zelquor Editor V3 | Cannot open file \""));
        QCOMPARE(e.form->document().image(), before);
        QCOMPARE(e.upDown("UpDown1")->position(), 4); // the level shown stays
    }

    void snapshot128OpensAndPatchesTheImageOnlyWhenWritten()
    {
        Editor e;
        const GameImage before = e.form->document().image();
        // A save that cannot happen (no such folder) leaves the image alone.
        e.dialogs->fileNames = {path("no/such/folder/x.sna")};
        e.form->S1Click();
        QVERIFY(e.dialogs->calls.last().contains("Cannot create file"));
        QCOMPARE(e.form->document().image(), before);

        e.dialogs->fileNames = {path("big")};
        e.form->S1Click();
        const QByteArray file = readFile(path("big.sna"));
        QCOMPARE(file.size(), qsizetype(kSnapshot128Size));
        for (std::size_t i = 0; i < kRomSwapSize; ++i)
            QCOMPARE(e.byte(off::RomSwap + i), kExpectedRomSwap[i]);
        QCOMPARE(file.left(qsizetype(kImageSize)), imageBytes(e.form->document().image()));
        // The routine went in as one step: Undo gives back the old bytes.
        e.form->Undo1Click();
        QCOMPARE(e.form->document().image(), before);
        e.form->Redo1Click();
        QCOMPARE(imageBytes(e.form->document().image()), file.left(qsizetype(kImageSize)));

        e.poke(off::LevelRecords, 0x77);
        e.dialogs->fileNames = {path("big.sna")};
        e.form->Open1Click();
        QCOMPARE(imageBytes(e.form->document().image()), file.left(qsizetype(kImageSize)));
    }

    void overwriteIsAskedAndCancelKeepsTheFile()
    {
        Editor e;
        writeFile(path("keep.sna"), "old bytes");
        e.dialogs->fileNames = {path("keep.sna")};
        e.dialogs->answers = {false};
        e.form->SaveAs1Click();
        QCOMPARE(e.dialogs->calls.last(), QString("question: Overwrite? | File already exists. Overwrite?"));
        QCOMPARE(readFile(path("keep.sna")), QByteArray("old bytes"));

        e.dialogs->fileNames = {path("keep")};
        e.dialogs->answers = {true};
        e.form->SaveAs1Click();
        QCOMPARE(readFile(path("keep.sna")), imageBytes(e.form->document().image()));

        // A folder in the way is not replaced.
        QDir(dir_.path()).mkpath("taken.sna");
        e.dialogs->fileNames = {path("taken.sna")};
        e.dialogs->answers = {true};
        e.form->SaveAs1Click();
        QCOMPARE(e.dialogs->calls.last(), QString("error: Error Saving Binary | Could not overwrite your file."));
        QVERIFY(QFileInfo(path("taken.sna")).isDir());
        // No temporary file is left behind.
        QCOMPARE(QDir(dir_.path()).entryList({"keep*"}, QDir::Files | QDir::Hidden).size(), 1);
    }

    void extensionIsForcedOnTheFileNameOnly()
    {
        Editor e;
        QDir(dir_.path()).mkpath("dir.v2");
        e.dialogs->fileNames = {path("dir.v2/stage"), path("stage.old.sna"), QString()};
        e.form->SaveAs1Click();
        e.form->SaveAs1Click();
        const int calls = int(e.dialogs->calls.size());
        e.form->SaveAs1Click(); // cancelled: nothing else happens
        QVERIFY(QFile::exists(path("dir.v2/stage.sna")));
        QVERIFY(QFile::exists(path("stage.sna")));
        QVERIFY(!QFile::exists(path("stage.old.sna")));
        QCOMPARE(int(e.dialogs->calls.size()), calls + 1);
    }

    void tapeCarriesTheImportedScreen()
    {
        Editor e;
        QByteArray screen(int(kScreenSize), 0);
        for (int i = 0; i < screen.size(); ++i)
            screen[i] = char(i * 7);
        writeFile(path("pic.scr"), screen);
        writeFile(path("bad.scr"), screen + "x");
        e.dialogs->fileNames = {path("bad.scr"), path("pic.scr")};
        e.form->Importscr1Click();
        QCOMPARE(e.dialogs->calls.last(), QString("message: File size incorrect"));
        e.form->Importscr1Click();
        QCOMPARE(e.dialogs->calls.last(),
                 QString("open: Import ZX Spectrum Screen$ File | ZX Spectrum Screen$ Files (*.scr) | ."));
        for (std::size_t i = 0; i < kScreenSize; i += 97)
            QCOMPARE(char(e.byte(off::Screen + i)), screen[int(i)]);

        // Opening a snapshot with another screen keeps the tape's screen.
        GameImage fresh;
        fresh.loadDefault();
        writeFile(path("fresh.sna"), imageBytes(fresh));
        e.dialogs->fileNames = {path("fresh.sna"), path("game")};
        e.form->Open1Click();
        e.form->Savetap1Click();
        QCOMPARE(e.dialogs->calls.last(),
                 QString("save: Save ZX Spectrum Tape File | ZX Spectrum Tape Files (*.tap) | ."));
        const QByteArray tape = readFile(path("game.tap"));
        QCOMPARE(tape.size(), qsizetype(kTapeSize));
        QCOMPARE(tape.mid(qsizetype(kLoaderBlockSize + 24), qsizetype(kScreenSize)), screen);
        // The code block is the image from 0x6194 on.
        QCOMPARE(tape.mid(qsizetype(kLoaderBlockSize + kScreenBlockSize + 24), qsizetype(kCodeLength)),
                 imageBytes(fresh).mid(qsizetype(off::TapeCodeStart)));
    }

    void levelClipboardConvertsBetweenKinds()
    {
        Editor e;
        const GameImage& image = e.form->document().image();
        const int mirrored = levelOfKind(image, true);
        const int full = levelOfKind(image, false);
        e.gotoLevel(mirrored);
        e.form->CopyLevel1Click();
        QVERIFY(e.form->findChild<QAction*>("PasteLevel1")->isEnabled());
        e.gotoLevel(full);
        const std::size_t nextRecord = findLevelRecord(image, full + 1).offset;
        e.form->PasteLevel1Click();
        const LevelRecord rec = e.form->state().level.record;
        const CellCodeTables& codes = e.form->state().codes;
        for (int r = 0; r < kGridRows; ++r)
            for (int c = 0; c < 14; ++c)
                QCOMPARE(readCell(image, rec.offset, codes.code(false, r, c)),
                         readCell(image, rec.offset, codes.code(false, r, 27 - c)));
        QCOMPARE(findLevelRecord(image, full + 1).offset, nextRecord);

        // Same level, same kind: byte for byte unchanged.
        e.form->CopyLevel1Click();
        const GameImage before = image;
        e.form->PasteLevel1Click();
        QCOMPARE(image, before);

        // The clipboard survives New: another level takes the layout and
        // shows it.
        const QByteArray copied = imageBytes(image).mid(qsizetype(rec.offset), qsizetype(kFullRecordSize));
        e.form->New1Click();
        const int other = levelOfKind(image, false, full + 1);
        e.gotoLevel(other);
        const std::vector<std::uint32_t> shownBefore = pixelsOf(e.form->state().levelPicture);
        e.form->PasteLevel1Click();
        const std::size_t target = findLevelRecord(image, other).offset;
        QCOMPARE(imageBytes(image).mid(qsizetype(target), qsizetype(kFullRecordSize)), copied);
        TFastDIB expected;
        QVERIFY(drawLevelPicture(image, other, EditMode::Blocks, 1, expected));
        QVERIFY(pixelsOf(e.form->state().levelPicture) != shownBefore);
        QVERIFY(pixelsOf(e.form->state().levelPicture) == pixelsOf(expected));
    }

    void enemyClipboardCopiesTheWholeEntry()
    {
        Editor e;
        e.form->PasteBaddies1Click(); // empty: nothing happens
        e.form->CopyBaddies1Click();
        QVERIFY(e.form->findChild<QAction*>("PasteBaddies1")->isEnabled());
        QByteArray first;
        for (std::size_t i = 0; i < 16; ++i)
            first += char(e.byte(13500 + i));
        e.gotoLevel(78);
        e.form->PasteBaddies1Click();
        for (std::size_t i = 0; i < 16; ++i)
            QCOMPARE(char(e.byte(14748 + i)), first[int(i)]);
        QCOMPARE(e.upDown("bad1")->position(), int(e.form->state().enemies[0].type));
    }
};

QTEST_MAIN(FilesTest)
#include "FilesTest.moc"
