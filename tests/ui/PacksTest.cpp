// File > Level Packs, View > Compare With and the level on the system
// clipboard, through the window.

#include "TestSupport.h"

#include "app/LevelsWindow.h"
#include "files/Snapshot.h"
#include "image/LayoutGrid.h"
#include "pack/GameDiff.h"
#include "pack/LevelPack.h"
#include "pack/PackJson.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QTemporaryDir>

using namespace zq;
using namespace zq::test;

namespace {

// Flips one block of a level.
void toggleBlock(GameImage& image, int level, int row, int column)
{
    const CellCodeTables codes;
    const LevelRecord record = findLevelRecord(image, level);
    toggleCell(image, record.offset, codes.code(record.mirrored, row, column));
}

void trigger(const Editor& e, const char* action) { e.get<QAction>(action)->trigger(); }

} // namespace

class PacksTest : public QObject {
    Q_OBJECT

private slots:
    // Apply is one undo step named after the file that shows the first level
    // it changed; a pack that does not fit changes nothing and says why.
    void applyIsOneStepAndARefusalChangesNothing()
    {
        QTemporaryDir dir;
        GameImage mod;
        QVERIFY(mod.loadDefault());
        const GameImage original = mod;
        toggleBlock(mod, 11, 3, 4);
        toggleBlock(mod, 40, 7, 2);
        mod.set(attributeOffset(13), 0x16);
        const std::string text = writePackJson(changesPack(mod, original));
        writeFile(dir.filePath("mine.zqpack"), QByteArray::fromStdString(text));

        Editor e;
        e.dialogs->fileNames.push_back(dir.filePath("mine.zqpack"));
        trigger(e, "ApplyPack1");
        QVERIFY(sameGameData(e.form->document().image(), mod));
        QCOMPARE(e.upDown("UpDown1")->position(), 11);
        QCOMPARE(e.form->document().history().count(), 1);
        QCOMPARE(e.form->document().history().undoText(), QString("Apply mine.zqpack"));
        QVERIFY(e.form->statusText().startsWith("Applied mine.zqpack: 3 levels changed"));
        trigger(e, "Undo1");
        QVERIFY(e.form->document().image() == original);

        // Level 1's layout given as the other kind.
        std::string wrong = writePackJson(singleLevelPack(original, 0));
        const bool mirrored = isMirroredLevel(original, 0);
        wrong.replace(wrong.find(mirrored ? "\"mirrored\"" : "\"full\""), mirrored ? 10 : 6, mirrored ? "\"full\"" : "\"mirrored\"");
        writeFile(dir.filePath("wrong.zqpack"), QByteArray::fromStdString(wrong));
        e.dialogs->fileNames.push_back(dir.filePath("wrong.zqpack"));
        trigger(e, "ApplyPack1");
        QVERIFY(e.form->document().image() == original);
        QCOMPARE(e.dialogs->calls.last().left(45), QString("error: Apply Level Pack | wrong.zqpack was no"));
        // No step was added: the undone apply can still be redone.
        QVERIFY(!e.form->document().history().canUndo() && e.form->document().history().canRedo());
    }

    // Compare With marks the levels that differ from another game, counts
    // them in the Levels window's title and the status bar, and follows
    // edits; Clear Comparison removes the marks.
    void compareMarksTheLevelsThatDiffer()
    {
        QTemporaryDir dir;
        GameImage other;
        QVERIFY(other.loadDefault());
        toggleBlock(other, 4, 0, 0);
        other.set(attributeOffset(1), 0x05); // level 2's colours
        writeFile(dir.filePath("other.sna"), QByteArray(reinterpret_cast<const char*>(other.bytes().data()), int(kImageSize)));

        Editor e;
        e.dialogs->fileNames.push_back(dir.filePath("other.sna"));
        trigger(e, "CompareWith1");
        LevelsWindow* levels = e.form->levelsWindow();
        QVERIFY(levels && levels->isVisible());
        LevelThumbnails* thumbs = levels->thumbnails();
        for (int i = 0; i < kLevelCount; ++i)
            QCOMPARE(thumbs->marked(i), i == 1 || i == 4);
        QCOMPARE(levels->windowTitle(), QString("Levels - 2 differ from other.sna"));
        QCOMPARE(e.form->statusText(), QString("2 levels differ from other.sna"));

        e.edit([](GameImage& image) { toggleBlock(image, 4, 0, 0); });
        QVERIFY(!thumbs->marked(4));
        QCOMPARE(levels->windowTitle(), QString("Levels - 1 differs from other.sna"));

        trigger(e, "ClearComparison1");
        QVERIFY(!thumbs->marked(1));
        QCOMPARE(levels->windowTitle(), QString("Levels"));
        QVERIFY(!e.get<QAction>("ClearComparison1")->isEnabled());
    }

    // Copy Level in one editor, Paste Level in another: the level goes over
    // the system clipboard; once something else is copied there, the
    // editor's own copy is pasted again.
    void copyAndPasteBetweenTwoEditors()
    {
        Editor first, second;
        first.edit([](GameImage& image) { toggleBlock(image, 0, 2, 3); });
        trigger(first, "CopyLevel1");
        QVERIFY(second.get<QAction>("PasteLevel1")->isEnabled());

        second.gotoLevel(1);
        trigger(second, "PasteLevel1");
        const GameImage& a = first.form->document().image();
        const GameImage& b = second.form->document().image();
        const LevelRecord from = findLevelRecord(a, 0), to = findLevelRecord(b, 1);
        QCOMPARE(from.mirrored, to.mirrored);
        QVERIFY(std::equal(a.view(from.offset, from.size()).begin(), a.view(from.offset, from.size()).end(),
                           b.view(to.offset, to.size()).begin()));

        second.gotoLevel(3);
        trigger(second, "CopyLevel1");
        QGuiApplication::clipboard()->setText(QStringLiteral("a note copied from elsewhere"));
        second.gotoLevel(2);
        trigger(second, "PasteLevel1");
        const LevelRecord own = findLevelRecord(b, 3), pasted = findLevelRecord(b, 2);
        QCOMPARE(own.mirrored, pasted.mirrored);
        QVERIFY(std::equal(b.view(own.offset, own.size()).begin(), b.view(own.offset, own.size()).end(),
                           b.view(pasted.offset, pasted.size()).begin()));
    }
};

QTEST_MAIN(PacksTest)
#include "PacksTest.moc"
