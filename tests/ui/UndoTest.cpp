// Undo and redo through the real window: every kind of edit goes back to its
// bytes and forward to the same bytes again, on the level it was made on;
// the history stays within its memory bound; drags that lose their release
// end; a loaded gap set survives edits that do not touch it.

#include "TestSupport.h"

#include "entities/Bubbles.h"
#include "entities/Enemies.h"
#include "files/Snapshot.h"
#include "tools/Airflow.h"

#include <QAction>
#include <QMenu>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <malloc.h>
#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's count (its header does not come with g++).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

#include <functional>

using namespace zq;
using namespace zq::test;

namespace {

std::size_t heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

QByteArray content(const Editor& e)
{
    const auto& screen = e.form->document().loadingScreen().bytes();
    return imageBytes(e.form->document().image()) +
           QByteArray(reinterpret_cast<const char*>(screen.data()), qsizetype(screen.size()));
}

QAction* action(const Editor& e, const char* name)
{
    return e.form->findChild<QAction*>(QString::fromLatin1(name));
}

int firstLevel(const std::function<bool(int)>& wanted)
{
    for (int i = 0; i < kLevelCount; ++i)
        if (wanted(i))
            return i;
    qFatal("no such level in the default image");
}

QByteArray changedSnapshot(const GameImage& image, quint32 seed)
{
    // Everything but the header and the signature differs.
    QByteArray bytes = imageBytes(image);
    QRandomGenerator random(seed);
    for (qsizetype i = qsizetype(kHeaderSize); i < bytes.size(); ++i)
        if (i < qsizetype(off::Signature) || i >= qsizetype(off::Signature + kSignatureSize))
            bytes[i] = char(random.bounded(256));
    // Attributes without bit 6, which a level change would clear (a step
    // of its own).
    for (int i = 0; i < kAttributeCount; ++i)
        bytes[qsizetype(off::AttributeTable) + i] &= char(0xBF);
    return bytes;
}

} // namespace

class UndoTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    // Runs the edit, then undoes and redoes it through the Edit menu.
    bool undoesAndRedoes(Editor& e, const QString& name, const std::function<void()>& edit)
    {
        const QByteArray before = content(e);
        const int level = e.form->state().level.levelIndex;
        edit();
        const QByteArray after = content(e);
        const int levelAfter = e.form->state().level.levelIndex;
        bool ok = after != before && action(e, "Undo1")->text() == "&Undo " + name;
        e.gotoLevel((levelAfter + 40) % kLevelCount); // somewhere else
        action(e, "Undo1")->trigger();
        ok = ok && content(e) == before && e.form->state().level.levelIndex == level;
        ok = ok && action(e, "Redo1")->text() == "&Redo " + name && action(e, "Redo1")->isEnabled();
        action(e, "Redo1")->trigger();
        ok = ok && content(e) == after && e.form->state().level.levelIndex == levelAfter;
        ok = ok && !action(e, "Redo1")->isEnabled();
        if (!ok)
            qWarning("the step \"%s\" was not undone and redone: %s / %s, level %d", qPrintable(name),
                     qPrintable(action(e, "Undo1")->text()), qPrintable(action(e, "Redo1")->text()),
                     e.form->state().level.levelIndex);
        return ok;
    }

private slots:
    void editMenuStartsWithUndoAndRedo()
    {
        Editor e;
        QMenu* edit = nullptr;
        for (QMenu* m : e.form->findChildren<QMenu*>())
            if (m->title() == "&Edit")
                edit = m;
        QVERIFY(edit);
        const QList<QAction*> items = edit->actions();
        QCOMPARE(items.size(), 7);
        QCOMPARE(items[0]->objectName(), QString("Undo1"));
        QCOMPARE(items[1]->objectName(), QString("Redo1"));
        QVERIFY(items[2]->isSeparator());
        QCOMPARE(items[3]->objectName(), QString("CopyLevel1"));
        QCOMPARE(items[0]->text(), QString("&Undo"));
        QCOMPARE(items[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(items[1]->shortcuts(),
                 (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
        // Start-up and level changes record nothing.
        e.gotoLevel(20);
        QVERIFY(!items[0]->isEnabled());
        QVERIFY(!items[1]->isEnabled());
    }

    void everyKindOfEditIsUndoneAndRedone()
    {
        Editor e;
        e.show();
        TFastIMG* view = e.image("LevDisp");
        const QPoint a(16 * 6 + 8, 16 * 6 + 8), b(16 * 12 + 8, 16 * 6 + 8);

        e.gotoLevel(1);
        QVERIFY(undoesAndRedoes(e, "Draw Blocks", [&] { e.drag(view, {a, b}); }));
        QVERIFY(undoesAndRedoes(e, "Draw Pattern",
                                [&] { e.drag(e.image("FastIMG1"), {QPoint(8, 8), QPoint(100, 8)}); }));
        QVERIFY(undoesAndRedoes(e, "Ink", [&] { e.choose("ComboBox1", (e.combo("ComboBox1")->currentIndex() + 1) % 6); }));
        QVERIFY(undoesAndRedoes(e, "Paper", [&] { e.choose("ComboBox2", (e.combo("ComboBox2")->currentIndex() + 1) % 6); }));
        QVERIFY(undoesAndRedoes(e, "Big Border", [&] { e.check("CheckBox1")->click(); }));
        QVERIFY(undoesAndRedoes(e, "Enemy Type", [&] { e.clickUp("bad1"); }));
        QVERIFY(undoesAndRedoes(e, "Enemies Pattern", [&] { e.clickUp("UpDown2"); }));
        QVERIFY(undoesAndRedoes(e, "Burst Time", [&] { e.clickUp("UpDown3"); }));
        QVERIFY(undoesAndRedoes(e, "Title", [&] {
            e.edit("LabeledEdit1")->setFocus();
            QTest::keyClick(e.edit("LabeledEdit1"), Qt::Key_End);
            QTest::keyClick(e.edit("LabeledEdit1"), Qt::Key_Backspace);
            QTest::keyClick(e.edit("LabeledEdit1"), Qt::Key_Backspace);
            QTest::keyClicks(e.edit("LabeledEdit1"), "ZQ");
        }));
        QCOMPARE(e.edit("LabeledEdit1")->text().right(2), QString("ZQ"));

        e.check("CheckBox2")->click();
        const int slot = [&] {
            for (int i = 0; i < kEnemySlotCount; ++i)
                if (e.form->state().enemies[std::size_t(i)].type < kEmptyEnemyType)
                    return i;
            return -1;
        }();
        QVERIFY(slot >= 0);
        const EnemySlot enemy = e.form->state().enemies[std::size_t(slot)];
        QVERIFY(undoesAndRedoes(e, "Move Enemy", [&] {
            e.drag(view, {QPoint(16 * enemy.column + 20, 16 * enemy.row + 20), QPoint(100, 200), QPoint(120, 220)});
        }));
        e.check("CheckBox3")->click();
        const int q = e.form->state().itemPlacement;
        QVERIFY(undoesAndRedoes(e, "Move Item", [&] {
            e.drag(view, {QPoint(q >= 2 ? 300 : 100, q % 2 ? 280 : 100), QPoint(q >= 2 ? 420 : 200, q % 2 ? 320 : 200)});
        }));

        const int open = firstLevel([](int i) { return !isSharedAirflowLevel(i + 1); });
        e.gotoLevel(open);
        e.check("AirflowCheck1")->click();
        QVERIFY(undoesAndRedoes(e, "Draw Air Area", [&] { e.drag(view, {QPoint(90, 100), QPoint(200, 250)}); }));
        QVERIFY(undoesAndRedoes(e, "Direction", [&] { e.clickUp("DirUD"); }));
        QVERIFY(undoesAndRedoes(e, "Gap Set", [&] {
            e.upDown("GapUD")->position() < 11 ? e.clickUp("GapUD") : e.clickDown("GapUD");
        }));
        e.check("AirflowCheck1")->click();

        const int bubbles = firstLevel([&](int i) {
            return bubbleState(e.form->document().image(), i + 1).type != 0;
        });
        e.gotoLevel(bubbles);
        QVERIFY(undoesAndRedoes(e, "Bubble Type", [&] {
            e.choose("ComboBox3", (e.combo("ComboBox3")->currentIndex() + 1) % 5);
        }));

        e.gotoLevel(3);
        action(e, "CopyLevel1")->trigger();
        action(e, "CopyBaddies1")->trigger();
        e.gotoLevel(9);
        QVERIFY(undoesAndRedoes(e, "Paste Level", [&] { action(e, "PasteLevel1")->trigger(); }));
        QVERIFY(undoesAndRedoes(e, "Paste Enemies", [&] { action(e, "PasteBaddies1")->trigger(); }));

        QByteArray screen(qsizetype(kScreenSize), 0);
        for (qsizetype i = 0; i < screen.size(); ++i)
            screen[i] = char(i * 7 + 3);
        writeFile(dir_.filePath("shot.scr"), screen);
        e.dialogs->fileNames = {dir_.filePath("shot.scr")};
        QVERIFY(undoesAndRedoes(e, "Import Screen", [&] { e.form->Importscr1Click(); }));

        writeFile(dir_.filePath("other.sna"), changedSnapshot(e.form->document().image(), 7));
        e.gotoLevel(12);
        e.dialogs->fileNames = {dir_.filePath("other.sna")};
        QVERIFY(undoesAndRedoes(e, "Open", [&] { e.form->Open1Click(); }));
        QVERIFY(undoesAndRedoes(e, "New", [&] { action(e, "New1")->trigger(); }));

        // After an undo a new edit drops what could be redone.
        action(e, "Undo1")->trigger();
        QVERIFY(action(e, "Redo1")->isEnabled());
        e.drag(view, {a});
        QVERIFY(!action(e, "Redo1")->isEnabled());
    }

    void typingInOneBoxIsOneStepAndUndoFillsTheBox()
    {
        Editor e;
        e.show();
        QLineEdit* title = e.edit("LabeledEdit1");
        const QString shown = title->text();
        title->setFocus();
        QTest::keyClick(title, Qt::Key_End);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(title, Qt::Key_Backspace);
        QTest::keyClicks(title, "ABC");
        QCOMPARE(e.form->document().history().count(), 1);
        action(e, "Undo1")->trigger();
        QCOMPARE(title->text(), shown);
        QCOMPARE(QString::fromStdU32String(readCreditText(e.form->document().image(), CreditField::Title)), shown);
        QVERIFY(!action(e, "Undo1")->isEnabled());
    }

    void theHistoryStaysWithinItsBound()
    {
        Editor e;
        e.show();
        TFastIMG* view = e.image("LevDisp");
        GameDocument& doc = e.form->document();
        e.gotoLevel(2);

        // Drags hold their changed bytes, not copies of the image.
        const std::size_t start = heapInUse();
        for (int i = 0; i < 5000; ++i)
            e.drag(view, {QPoint(40 + 16 * (i % 20), 40 + 16 * (i % 7)), QPoint(60 + 16 * (i % 20), 300)});
        const std::size_t drags = heapInUse() - start;
        qInfo("5000 drags: %zu bytes measured, %zu counted by the history", drags, doc.historyBytes());
        QCOMPARE(doc.history().count(), 5000);
        QVERIFY(drags < GameDocument::kHistoryLimit);
        QVERIFY(doc.historyBytes() >= drags / 2);

        // Opens replace nearly every byte: the oldest steps go first.
        const QString names[] = {dir_.filePath("a.sna"), dir_.filePath("b.sna")};
        writeFile(names[0], changedSnapshot(doc.image(), 1));
        writeFile(names[1], changedSnapshot(doc.image(), 2));
        for (int i = 0; i < 400; ++i) {
            e.dialogs->fileNames = {names[i % 2]};
            e.form->Open1Click();
        }
        const std::size_t all = heapInUse() - start;
        qInfo("then 400 opens: %zu bytes measured, %zu counted, %d steps kept", all, doc.historyBytes(),
              doc.history().count());
        QVERIFY(doc.historyBytes() <= GameDocument::kHistoryLimit);
        QVERIFY(all < GameDocument::kHistoryLimit + (2u << 20));
        QVERIFY(doc.history().count() >= GameDocument::kKeptSteps);
        // The steps kept still undo to the right bytes.
        const QByteArray b = imageBytes(doc.image());
        for (int i = 0; i < GameDocument::kKeptSteps; ++i)
            action(e, "Undo1")->trigger();
        QCOMPARE(imageBytes(doc.image()), b); // an even number of opens back
    }

    void aDragThatLosesItsReleaseEnds()
    {
        Editor e;
        e.show();
        e.gotoLevel(2);
        TFastIMG* view = e.image("LevDisp");
        const QPoint a(16 * 6 + 8, 16 * 6 + 8), b(16 * 14 + 8, 16 * 9 + 8);
        const auto plainMove = [&](QPoint p) {
            QMouseEvent move(QEvent::MouseMove, p, view->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(view, &move);
        };

        // The release went elsewhere: the next plain move ends the drag.
        e.press(view, a);
        const GameImage pressed = e.form->document().image();
        plainMove(b);
        QCOMPARE(e.form->state().canvasDrag, 0);
        QCOMPARE(e.form->document().image(), pressed);
        QCOMPARE(e.form->document().history().count(), 1);

        // A dialog opened during a drag takes the mouse: the drag ends first.
        e.press(view, a);
        e.form->Open1Click(); // cancelled
        QCOMPARE(e.form->state().canvasDrag, 0);
        QCOMPARE(e.form->document().history().count(), 2);
        const GameImage afterDialog = e.form->document().image();
        plainMove(b);
        QCOMPARE(e.form->document().image(), afterDialog);

        // The same for the block pattern editor.
        e.gotoLevel(0);
        TFastIMG* pattern = e.image("FastIMG1");
        e.press(pattern, QPoint(8, 8));
        const GameImage patterned = e.form->document().image();
        QMouseEvent move(QEvent::MouseMove, QPointF(100, 100), pattern->mapToGlobal(QPointF(100, 100)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(pattern, &move);
        QCOMPARE(e.form->state().patternDrag, 0);
        QCOMPARE(e.form->document().image(), patterned);
        e.release(view, a);
    }

    void aStrokeEndsWhenItsControlIsDisabledHiddenOrTheLevelChanges()
    {
        Editor e;
        e.show();
        GameDocument& doc = e.form->document();
        TFastIMG* pattern = e.image("FastIMG1");
        // On level 5 the keyboard steps to level 6, whose pattern is not
        // edited there: the stroke is one step, and the next edit another.
        e.gotoLevel(4);
        const int before = doc.history().count();
        e.press(pattern, QPoint(8, 8));
        QVERIFY(doc.stepOpen());
        QTest::keyClick(e.upDown("UpDown1"), Qt::Key_Up);
        QVERIFY(!pattern->isEnabled());
        QVERIFY(!doc.stepOpen());
        QCOMPARE(doc.history().count(), before + 1);
        QCOMPARE(doc.history().undoText(), QString("Draw Pattern"));
        e.choose("ComboBox1", 3);
        QCOMPARE(doc.history().count(), before + 2);
        QCOMPARE(doc.history().undoText(), QString("Ink"));
        e.release(pattern, QPoint(8, 8));

        // The level view stays enabled, but its level goes.
        TFastIMG* view = e.image("LevDisp");
        e.press(view, QPoint(100, 100));
        QVERIFY(doc.stepOpen());
        QTest::keyClick(e.upDown("UpDown1"), Qt::Key_Up);
        QVERIFY(!doc.stepOpen());
        e.release(view, QPoint(100, 100));

        // Disabled or hidden under a held button, as a release would.
        e.gotoLevel(0);
        for (const bool hide : {false, true}) {
            e.press(pattern, QPoint(8, 8));
            QVERIFY(doc.stepOpen());
            hide ? pattern->hide() : pattern->setEnabled(false);
            QVERIFY(!doc.stepOpen());
            pattern->show();
            pattern->setEnabled(true);
            e.release(pattern, QPoint(8, 8));
        }
    }

    void aLoadedGapSetSurvivesOtherAirflowEdits()
    {
        Editor e;
        e.show();
        const int level = firstLevel([&](int i) {
            AirflowRecord rec;
            readAirflowRecord(e.form->document().image(), airflowRecordOffset(i), rec);
            return !isSharedAirflowLevel(i + 1) && rec.n >= 1;
        });
        const std::size_t at = airflowRecordOffset(level);
        e.poke(at, std::uint8_t(0xD0 | (e.byte(at) & 0x0F))); // gap set 13
        e.gotoLevel(level);
        e.check("AirflowCheck1")->click();
        QCOMPARE(e.upDown("GapUD")->position(), 11);
        e.clickUp("DirUD");
        QCOMPARE(e.byte(at) >> 4, 13);
        e.drag(e.image("LevDisp"), {QPoint(90, 100), QPoint(150, 180)});
        QCOMPARE(e.byte(at) >> 4, 13);
        // The gap set control still sets it.
        e.clickDown("GapUD");
        QCOMPARE(e.byte(at) >> 4, 10);
    }
};

QTEST_MAIN(UndoTest)
#include "UndoTest.moc"
