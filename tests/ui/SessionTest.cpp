// The usual desktop conventions of the main window: File > Open Recent
// keeps the last files opened or saved and drops one that is gone; Page Up
// and Page Down step the level from anywhere but the credit boxes, Ctrl+G
// asks for a level number.

#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>

using namespace zq;
using namespace zq::test;

namespace {

// The Open Recent menu as it opens: the captions of its items.
QStringList recentMenu(const Editor& e)
{
    QMenu* menu = e.get<QMenu>("OpenRecent1");
    emit menu->aboutToShow();
    QStringList items;
    for (QAction* a : menu->actions())
        items << (a->isSeparator() ? QString("-") : a->text() + (a->isEnabled() ? "" : " (disabled)"));
    return items;
}

void chooseRecent(const Editor& e, const QString& caption)
{
    recentMenu(e);
    for (QAction* a : e.get<QMenu>("OpenRecent1")->actions())
        if (a->text() == caption)
            return a->trigger();
    qFatal("no recent item %s", qPrintable(caption));
}

} // namespace

class SessionTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void openRecentKeepsTheFilesOpenedOrSaved()
    {
        Editor e;
        e.form->ClearRecent1Click();
        QCOMPARE(recentMenu(e), QStringList{"Clear Recent Files (disabled)"});
        writeFile(path("first.sna"), imageBytes(e.form->document().image()));
        e.dialogs->fileNames = {path("first.sna"), path("second.sna")};
        e.form->Open1Click();
        e.form->SaveAs1Click();
        QCOMPARE(recentMenu(e), (QStringList{"&1 second.sna", "&2 first.sna", "-", "Clear Recent Files"}));
        // Opened again, a file moves to the top, once.
        chooseRecent(e, "&2 first.sna");
        QCOMPARE(e.form->document().fileName(), path("first.sna"));
        QCOMPARE(recentMenu(e).first(), QString("&1 first.sna"));
        QCOMPARE(recentMenu(e).size(), 4);

        // A file that is gone: a message, and it leaves the list.
        QVERIFY(QFile::remove(path("second.sna")));
        e.poke(off::LevelRecords, 0x31);
        const GameImage before = e.form->document().image();
        chooseRecent(e, "&2 second.sna");
        QVERIFY(e.dialogs->calls.last().startsWith("message: "));
        QVERIFY(e.dialogs->calls.last().contains("second.sna no longer exists"));
        QVERIFY(e.form->document().image() == before);
        QCOMPARE(recentMenu(e), (QStringList{"&1 first.sna", "-", "Clear Recent Files"}));

        // Eight at most, the newest first.
        for (int i = 0; i < 10; ++i) {
            e.dialogs->fileNames = {path(QStringLiteral("save%1.sna").arg(i))};
            e.form->SaveAs1Click();
        }
        const QStringList eight = recentMenu(e);
        QCOMPARE(eight.size(), 8 + 2);
        QCOMPARE(eight.first(), QString("&1 save9.sna"));
        QCOMPARE(eight.at(7), QString("&8 save2.sna"));
        e.form->ClearRecent1Click();
        QCOMPARE(recentMenu(e), QStringList{"Clear Recent Files (disabled)"});
    }

    void pageKeysStepTheLevelAndCtrlGGoesToOne()
    {
        Editor e;
        e.show();
        e.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(e.form.get()));
        auto level = [&] { return e.upDown("UpDown1")->position(); };

        e.combo("ComboBox1")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
        QCOMPARE(level(), 1);
        QCOMPARE(e.labelOf("StaticText2")->text(), QString("Level 2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
        QCOMPARE(level(), 78); // wraps as the up-down does
        e.upDown("bad3")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
        QCOMPARE(level(), 0);

        // The credit boxes keep the keys.
        e.edit("LabeledEdit1")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
        QCOMPARE(level(), 0);

        e.dialogs->numbers = {40};
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(e.dialogs->calls.last(), QString("number: Go to Level | Level number: | 1 in 1..79"));
        QCOMPARE(level(), 39);
        QCOMPARE(e.labelOf("StaticText2")->text(), QString("Level 40"));
        e.form->GoToLevel1Click(); // cancelled
        QCOMPARE(level(), 39);
    }
};

QTEST_MAIN(SessionTest)
#include "SessionTest.moc"
