// The main window driven through its controls: start state, level stepping,
// the enabled rules, shared colours, the nested refresh, New, the credit
// boxes and the About box.

#include "TestSupport.h"

#include "app/AboutBox.h"
#include "render/Palette.h"

#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

using namespace zq;
using namespace zq::test;

namespace {

int attributeOf(const Editor& e, int levelIndex)
{
    return e.byte(attributeOffset(levelIndex));
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startState()
    {
        Editor e;
        QCOMPARE(e.shownTitle(), QString("Zelquor Editor V3"));
        QCOMPARE(e.labelOf("StaticText2")->text(), QString("Level 1"));
        QCOMPARE(e.upDown("UpDown1")->position(), 0);
        QVERIFY(e.image("FastIMG1")->isEnabled());
        for (const char* name : {"AreaUD", "DirUD", "GapUD"})
            QVERIFY(!e.upDown(name)->isEnabled());
        for (const char* name : {"Label3", "Label4", "Label5"})
            QVERIFY(!e.labelOf(name)->isEnabled());
        for (const char* name : {"CheckBox2", "CheckBox3", "AirflowCheck1"})
            QVERIFY(!e.check(name)->isChecked());
        QCOMPARE(e.labelOf("Label3")->text(), QString("Area 1"));
        QCOMPARE(e.form->centralWidget()->height() + e.form->statusBar()->height(), 525);
        QCOMPARE(e.form->width(), 665);

        // The colours of attribute entry 0 are shown and drawn.
        const Attribute a = decodeAttribute(std::uint8_t(attributeOf(e, 0)));
        QCOMPARE(e.combo("ComboBox1")->currentText(),
                 QStringList({"", "Blue", "", "Magenta", "Green", "Cyan", "Yellow", "White"})[a.ink]);
        QCOMPARE(e.check("CheckBox1")->isChecked(), a.bigBorder == 128);

        // The view holds the level picture doubled; the pattern editor its grid.
        const TFastDIB& view = e.image("LevDisp")->Bmp();
        QCOMPARE(view.Width(), 512);
        QCOMPARE(view.Height(), 384);
        const TFastDIB& picture = e.form->state().levelPicture;
        for (int y = 0; y < 384; y += 7)
            for (int x = 0; x < 512; x += 5)
                QCOMPARE(view.PixelAt(x, y), picture.PixelAt(x / 2, y / 2));
        const TFastDIB& pattern = e.image("FastIMG1")->Bmp();
        QCOMPARE(pattern.Width(), 129);
        QCOMPARE(pattern.PixelAt(64, 16), 0u);
        QCOMPARE(pattern.PixelAt(16, 70), 0u);
    }

    void levelSteppingWrapsAndResetsTheArea()
    {
        Editor e;
        e.clickDown("UpDown1");
        QCOMPARE(e.labelOf("StaticText2")->text(), QString("Level 79"));
        QCOMPARE(e.form->state().level.levelIndex, 78);
        e.upDown("AreaUD")->setPosition(1);
        e.clickUp("UpDown1");
        QCOMPARE(e.labelOf("StaticText2")->text(), QString("Level 1"));
        QCOMPARE(e.upDown("AreaUD")->position(), 0);
        QCOMPARE(e.labelOf("Label3")->text(), QString("Area 1"));

        // Every level decodes to its own record.
        std::size_t last = 0;
        for (int i = 1; i < kLevelCount; ++i) {
            e.clickUp("UpDown1");
            const LevelRecord rec = e.form->state().level.record;
            QVERIFY(rec.offset > last);
            QVERIFY(rec.offset + rec.size() <= off::EnemyTable);
            last = rec.offset;
        }
    }

    void enabledRulesFollowTheLevel()
    {
        Editor e;
        e.gotoLevel(4);
        QVERIFY(e.image("FastIMG1")->isEnabled());
        e.clickUp("UpDown1");
        QVERIFY(!e.image("FastIMG1")->isEnabled());
        // Disabled: every even row black, no grid.
        const TFastDIB& pattern = e.image("FastIMG1")->Bmp();
        const CurrentLevel& level = e.form->state().level;
        for (int y = 0; y <= 128; y += 2)
            for (int x = 0; x <= 128; x += 8)
                QCOMPARE(pattern.Pixels32(y)[x], 0u);
        // Row index 1 (the second line from the bottom) shows pattern row 7.
        const std::uint8_t row7 = e.byte(level.patternOffset + 7);
        QCOMPARE(pattern.Pixels32(1)[0], (row7 & 0x80) ? kPalette[std::size_t(level.ink)] : kPalette[std::size_t(level.paper)]);

        e.gotoLevel(14);
        for (const char* name : {"ComboBox1", "ComboBox2"})
            QVERIFY(e.combo(name)->isEnabled());
        QVERIFY(e.check("CheckBox1")->isEnabled());
        e.clickUp("UpDown1");
        for (const char* name : {"ComboBox1", "ComboBox2"})
            QVERIFY(!e.combo(name)->isEnabled());
        QVERIFY(!e.check("CheckBox1")->isEnabled());
    }

    void coloursAreSharedEveryFifteenLevels()
    {
        Editor e;
        e.choose("ComboBox2", 4); // paper Yellow
        QCOMPARE((attributeOf(e, 0) >> 3) & 7, 6);
        e.choose("ComboBox1", 0); // ink Blue
        QCOMPARE(attributeOf(e, 0) & 7, 1);
        e.choose("ComboBox1", 5); // ink White
        QCOMPARE(attributeOf(e, 0) & 7, 7);
        QCOMPARE(e.form->state().level.ink, 7);
        // The level view is drawn in the new colours at once.
        QCOMPARE(e.form->state().levelPicture.PixelAt(0, 16) == kPalette[7]
                     || e.form->state().levelPicture.PixelAt(0, 16) == kPalette[6],
                 true);

        e.gotoLevel(15);
        QCOMPARE(e.combo("ComboBox2")->currentText(), QString("Yellow"));
        QCOMPARE(e.combo("ComboBox1")->currentText(), QString("White"));
        QCOMPARE(e.form->state().level.attributeOffset, attributeOffset(0));
    }

    void unofferedColoursShowNoItemAndStayStored()
    {
        Editor e;
        // Red ink on cyan paper: neither is in the boxes.
        e.poke(attributeOffset(0), (5 << 3) | 2);
        e.form->Refresh();
        QCOMPARE(e.combo("ComboBox1")->currentIndex(), -1);
        QCOMPARE(e.combo("ComboBox2")->currentIndex(), -1);
        QCOMPARE(e.combo("ComboBox1")->count(), 6);
        e.check("CheckBox1")->click(); // Big Border on keeps both
        QCOMPARE(attributeOf(e, 0), 0x80 | (5 << 3) | 2);
        e.choose("ComboBox2", 0); // paper Blue keeps the red ink
        QCOMPARE(attributeOf(e, 0), 0x80 | (1 << 3) | 2);
    }

    void steppingBetweenBorderStylesRunsANestedCycle()
    {
        Editor e;
        int from = -1;
        for (int i = 0; i < 14; ++i)
            if ((attributeOf(e, i) & 0x80) != (attributeOf(e, i + 1) & 0x80)) {
                from = i;
                break;
            }
        QVERIFY2(from >= 0, "the default image has no neighbouring levels with different border styles");
        e.gotoLevel(from);
        // Bit 6 of the next level's attribute is dropped by the nested store.
        const std::size_t next = attributeOffset(from + 1);
        const std::uint8_t before = std::uint8_t(e.byte(next) | 0x40);
        e.poke(next, before);
        const int count = e.form->refreshCount();
        e.clickUp("UpDown1");
        QCOMPARE(e.form->refreshCount() - count, 2);
        QCOMPARE(e.byte(next), std::uint8_t(before & ~0x40));
        QCOMPARE(e.check("CheckBox1")->isChecked(), (before & 0x80) != 0);

        // Between two levels with the same style: one cycle, nothing written.
        int same = -1;
        for (int i = 0; i < 14; ++i)
            if ((attributeOf(e, i) & 0x80) == (attributeOf(e, i + 1) & 0x80)) {
                same = i;
                break;
            }
        QVERIFY(same >= 0);
        e.gotoLevel(same);
        const std::size_t sameNext = attributeOffset(same + 1);
        e.poke(sameNext, std::uint8_t(e.byte(sameNext) | 0x40));
        const std::uint8_t kept = e.byte(sameNext);
        const int count2 = e.form->refreshCount();
        e.clickUp("UpDown1");
        QCOMPARE(e.form->refreshCount() - count2, 1);
        QCOMPARE(e.byte(sameNext), kept);
    }

    void bigBorderClickStoresTheStyle()
    {
        Editor e;
        const bool was = e.check("CheckBox1")->isChecked();
        e.check("CheckBox1")->click();
        QCOMPARE((attributeOf(e, 0) & 0x80) != 0, !was);
        QCOMPARE(e.form->state().level.bigBorder, was ? 0 : 128);
    }

    void creditBoxesWriteTheirFields()
    {
        Editor e;
        QCOMPARE(e.edit("LabeledEdit1")->maxLength(), 24);
        QCOMPARE(e.edit("LabeledEdit3")->maxLength(), 21);
        QCOMPARE(e.edit("LabeledEdit2")->maxLength(), 20);
        // The boxes show the fields read from the image.
        QCOMPARE(e.edit("LabeledEdit1")->text(),
                 QString::fromStdU32String(readCreditText(e.form->document().image(), CreditField::Title)));

        const std::uint8_t after = e.byte(off::Title + 24);
        e.edit("LabeledEdit1")->setText("HELLO");
        for (std::size_t i = 0; i < 24; ++i)
            QCOMPARE(e.byte(off::Title + i), std::uint8_t(i < 5 ? "HELLO"[i] : ' '));
        QCOMPARE(e.byte(off::Title + 24), after);

        e.edit("LabeledEdit2")->setText(QString::fromUtf8("AB\u00e9D"));
        QCOMPARE(e.byte(off::Author + 0), std::uint8_t('A'));
        QCOMPARE(e.byte(off::Author + 3), std::uint8_t('D'));
        QVERIFY(e.byte(off::Author + 2) != 0xE9);

        QTest::keyClicks(e.edit("LabeledEdit3"), "X");
        const QString company = e.edit("LabeledEdit3")->text();
        QCOMPARE(e.byte(off::Company + std::size_t(company.size()) - 1), std::uint8_t('X'));
    }

    void newReloadsTheImageButKeepsTheBoxes()
    {
        Editor e;
        e.gotoLevel(7);
        e.edit("LabeledEdit1")->setText("MY OWN TITLE");
        e.poke(off::LevelRecords + 100, 0x5A);
        GameImage fresh;
        QVERIFY(fresh.loadDefault());
        e.form->New1Click();
        QCOMPARE(e.upDown("UpDown1")->position(), 0);
        QCOMPARE(e.labelOf("StaticText2")->text(), QString("Level 1"));
        QCOMPARE(e.form->document().image(), fresh);
        QCOMPARE(e.edit("LabeledEdit1")->text(), QString("MY OWN TITLE"));
        // The next change writes the whole box into the new image.
        e.edit("LabeledEdit1")->setText("MY OWN TITLE!");
        QCOMPARE(e.byte(off::Title + 12), std::uint8_t('!'));
        QCOMPARE(e.byte(off::Title), std::uint8_t('M'));
    }

    void menuHasItsCaptionsAndShortcuts()
    {
        Editor e;
        const QList<QAction*> menus = e.form->menuBar()->actions();
        QStringList titles;
        for (QAction* a : menus)
            titles << a->text();
        QCOMPARE(titles, QStringList({"&File", "&Edit", "&View", "&Play", "&About"}));
        auto* exit = e.form->findChild<QAction*>("Exit1");
        QVERIFY(exit);
        QCOMPARE(exit->text(), QString("E&xit"));
        QCOMPARE(exit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F4));
        QCOMPARE(e.form->findChild<QAction*>("New1")->text(), QString("&New"));
        QCOMPARE(e.form->findChild<QAction*>("About1")->text(), QString("&About..."));
    }

    void tabOrderFollowsTheControls()
    {
        Editor e;
        const char* order[] = {"UpDown1", "CheckBox1", "ComboBox1", "ComboBox2", "ComboBox3", "bad1", "bad2",
                               "bad3", "bad4", "bad5", "bad6", "bad7", "CheckBox2", "CheckBox3", "UpDown2",
                               "UpDown3", "AirflowCheck1", "AreaUD", "DirUD", "GapUD", "LabeledEdit1",
                               "LabeledEdit3", "LabeledEdit2"};
        for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
            QWidget* w = e.get<QWidget>(order[i]);
            QWidget* next = w->nextInFocusChain();
            // Skip the children of compound controls (the arrow buttons).
            while (next->parentWidget() == w || next->focusPolicy() == Qt::NoFocus)
                next = next->nextInFocusChain();
            QCOMPARE(next->objectName(), QString(order[i + 1]));
        }
    }

    void controlsKeepTheirPlaces()
    {
        Editor e;
        struct Place {
            const char* name;
            QRect rect;
        };
        const Place places[] = {
            {"LevDisp", {8, 8, 512, 384}},     {"UpDown1", {528, 11, 16, 24}},
            {"FastIMG1", {528, 216, 129, 129}}, {"BadIMG1", {8, 400, 32, 32}},
            {"BadIMG7", {248, 400, 32, 32}},   {"bad7", {256, 435, 16, 24}},
            {"CheckBox2", {296, 400, 97, 30}}, {"CheckBox3", {296, 432, 97, 30}},
            {"UpDown2", {397, 403, 16, 24}},   {"UpDown3", {397, 435, 16, 24}},
            {"AreaUD", {520, 403, 16, 24}},    {"DirUD", {586, 403, 16, 24}},
            {"GapUD", {520, 435, 16, 24}},
        };
        for (const Place& p : places)
            QCOMPARE(e.get<QWidget>(p.name)->geometry(), p.rect);
        for (const char* name : {"LabeledEdit1", "LabeledEdit3", "LabeledEdit2"})
            QCOMPARE(e.edit(name)->y(), 480);
        QCOMPARE(e.upDown("UpDown1")->maximum(), 78);
        QVERIFY(e.upDown("UpDown1")->wrap());
        QCOMPARE(e.upDown("GapUD")->maximum(), 11);
        QVERIFY(!e.upDown("GapUD")->wrap());
        QVERIFY(e.upDown("DirUD")->wrap());
        QCOMPARE(e.upDown("bad1")->maximum(), 16);
    }

    void aboutBoxIsModelessAndHiddenByOk()
    {
        Editor e;
        TAboutBox about(e.form.get());
        e.form->setAboutBox(&about);
        QVERIFY(!about.isVisible());
        e.form->show();
        e.form->About1Click();
        e.form->About1Click();
        QVERIFY(about.isVisible());
        QVERIFY(!about.isModal());
        QCOMPARE(e.form->findChildren<TAboutBox*>().size(), 1);
        QCOMPARE(about.windowTitle(), QString("About"));
        auto* memo = about.findChild<QWidget*>("Memo1");
        QVERIFY(memo);
        QVERIFY(!(about.windowFlags() & Qt::WindowCloseButtonHint));
        auto* picture = about.findChild<TFastIMG*>("FastIMG1");
        QCOMPARE(picture->Bmp().Width(), 256);
        QCOMPARE(picture->Bmp().Height(), 192);

        auto* ok = about.findChild<QPushButton*>("OKButton");
        QVERIFY(ok->isDefault());
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!about.isVisible());
        e.form->About1Click();
        QVERIFY(about.isVisible());
        QTest::keyClick(&about, Qt::Key_Return);
        QVERIFY(!about.isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
