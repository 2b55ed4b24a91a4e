// "Edit Airflow" and the area, direction and gap set controls, through the
// real window.

#include "TestSupport.h"

#include "render/Palette.h"
#include "tools/Airflow.h"

using namespace zq;
using namespace zq::test;

namespace {

// The first level, by index, whose own record has at least `areas` areas.
int levelWithAreas(const Editor& e, int areas)
{
    for (int i = 0; i < kLevelCount; ++i) {
        if (isSharedAirflowLevel(i + 1))
            continue;
        AirflowRecord rec;
        readAirflowRecord(e.form->document().image(), airflowRecordOffset(i), rec);
        if (rec.n + 1 >= areas)
            return i;
    }
    qFatal("the default image has no such level");
}

} // namespace

class AirflowControlsTest : public QObject {
    Q_OBJECT

private slots:
    void checkingEnablesTheControlsAndDisablesThePatternEditor()
    {
        Editor e;
        e.gotoLevel(levelWithAreas(e, 2));
        const bool ownsPattern = e.form->state().level.levelIndex < 5;
        e.check("AirflowCheck1")->click();
        QVERIFY(e.check("AirflowCheck1")->isChecked());
        QVERIFY(!e.image("FastIMG1")->isEnabled());
        for (const char* name : {"AreaUD", "DirUD", "GapUD"})
            QVERIFY(e.upDown(name)->isEnabled());
        for (const char* name : {"Label3", "Label4", "Label5"})
            QVERIFY(e.labelOf(name)->isEnabled());
        QCOMPARE(e.upDown("AreaUD")->maximum(), e.form->state().scene.airflow.n);
        QCOMPARE(e.labelOf("Label5")->text(),
                 QStringLiteral("Gap Type %1").arg(std::min(e.form->state().scene.airflow.gapSet, 11) + 1));

        e.check("AirflowCheck1")->click();
        for (const char* name : {"AreaUD", "DirUD", "GapUD"})
            QVERIFY(!e.upDown(name)->isEnabled());
        QCOMPARE(e.image("FastIMG1")->isEnabled(), ownsPattern);
    }

    void overlayShowsArrowsAndTheHighlight()
    {
        Editor e;
        const int level = levelWithAreas(e, 1);
        e.gotoLevel(level);
        const TFastDIB& pic = e.form->state().levelPicture;
        e.check("AirflowCheck1")->click();
        const AirflowRecord& rec = e.form->state().scene.airflow;
        // The top wall (row 0, column 0) is a paper cell with a down arrow.
        const CurrentLevel& l = e.form->state().level;
        QCOMPARE(pic.PixelAt(0, 0), kPalette[std::size_t(l.paper)]);
        QCOMPARE(pic.PixelAt(1, 2), kPalette[std::size_t(l.ink)]); // arrow down row 2: 0x42
        // Area 1 is highlighted in grey.
        const int x = rec.column[0] * 8, y = rec.row[0] * 8;
        QCOMPARE(pic.PixelAt(x, y), 0x808080u);
        // Level 2 shares level 1's record: overlay, but no highlight.
        e.gotoLevel(1);
        QVERIFY(e.form->state().scene.airflow.shared);
        QCOMPARE(e.form->state().scene.airflow.offset, airflowRecordOffset(0));
        for (int yy = 0; yy < 192; ++yy)
            for (int xx = 0; xx < 256; ++xx)
                QVERIFY(pic.PixelAt(xx, yy) != 0x808080u);
        for (const char* name : {"AreaUD", "DirUD", "GapUD"})
            QVERIFY(!e.upDown(name)->isEnabled());
        QVERIFY(e.check("AirflowCheck1")->isChecked());
        QVERIFY(!e.image("FastIMG1")->isEnabled());
    }

    void oneAreaRecordDisablesTheAreaSelector()
    {
        Editor e;
        int single = -1;
        for (int i = 0; i < kLevelCount && single < 0; ++i) {
            AirflowRecord rec;
            readAirflowRecord(e.form->document().image(), airflowRecordOffset(i), rec);
            if (rec.n == 0 && !isSharedAirflowLevel(i + 1))
                single = i;
        }
        QVERIFY(single >= 0);
        e.gotoLevel(single);
        e.check("AirflowCheck1")->click();
        QVERIFY(!e.upDown("AreaUD")->isEnabled());
        QVERIFY(!e.labelOf("Label3")->isEnabled());
        QVERIFY(e.upDown("DirUD")->isEnabled());
        QCOMPARE(e.labelOf("Label3")->text(), QString("Area 1"));
    }

    void directionStepsFromTheSelectorsOwnPosition()
    {
        Editor e;
        const int level = levelWithAreas(e, 2);
        e.gotoLevel(level);
        e.check("AirflowCheck1")->click();
        const AirflowRecord& rec = e.form->state().scene.airflow;
        // Synchronise on area 2, then step its direction.
        e.clickUp("AreaUD");
        QCOMPARE(e.labelOf("Label3")->text(), QString("Area 2"));
        QCOMPARE(e.upDown("DirUD")->position(), rec.direction[1]);
        const int old = rec.direction[1];
        const std::uint8_t areaByte = e.byte(rec.offset + 1);
        e.clickUp("DirUD");
        QCOMPARE(e.form->state().scene.airflow.direction[1], (old + 1) % 4);
        // Area 2's nibble is the low half of byte 1; the high half stays.
        QCOMPARE(e.byte(rec.offset + 1) & 0xF0, areaByte & 0xF0);
        QCOMPARE(e.byte(rec.offset + 1) & 0x03, (old + 1) % 4);

        // After a level change DirUD keeps its position: the next click
        // steps from there, not from the new area's direction.
        // A level that edits its own record, whose first area points
        // elsewhere than the selector, tells the two apart.
        const int kept = e.upDown("DirUD")->position();
        int other = -1;
        for (int i = 0; i < kLevelCount && other < 0; ++i) {
            AirflowRecord r;
            readAirflowRecord(e.form->document().image(), airflowRecordOffset(i), r);
            if (i != level && !isSharedAirflowLevel(i + 1) && r.direction[0] != kept &&
                r.direction[0] != (kept + 1) % 4)
                other = i;
        }
        QVERIFY(other >= 0);
        e.gotoLevel(other);
        QVERIFY(!e.form->state().scene.airflow.shared);
        QCOMPARE(e.upDown("DirUD")->position(), kept);
        e.clickUp("DirUD");
        QCOMPARE(e.form->state().scene.airflow.direction[0], (kept + 1) % 4);
    }

    void gapSetUpStoresTheNextSet()
    {
        Editor e;
        int level = -1;
        for (int i = 0; i < kLevelCount && level < 0; ++i) {
            AirflowRecord rec;
            readAirflowRecord(e.form->document().image(), airflowRecordOffset(i), rec);
            if (rec.gapSet < 11 && !isSharedAirflowLevel(i + 1))
                level = i;
        }
        QVERIFY(level >= 0);
        e.gotoLevel(level);
        e.check("AirflowCheck1")->click();
        const AirflowRecord before = e.form->state().scene.airflow;
        const GameImage image = e.form->document().image();
        e.clickUp("GapUD");
        QCOMPARE(e.byte(before.offset) >> 4, before.gapSet + 1);
        QCOMPARE(e.byte(before.offset) & 0x0F, before.n);
        for (std::size_t i = 1; i < airflowRecordLength(before.n); ++i)
            QCOMPARE(e.byte(before.offset + i), image.get(before.offset + i));
        QCOMPARE(e.labelOf("Label5")->text(), QStringLiteral("Gap Type %1").arg(before.gapSet + 2));
    }

    void gapSetTwelveShowsAtTheSelectorsEnd()
    {
        Editor e;
        const int level = levelWithAreas(e, 1);
        const std::size_t rec = airflowRecordOffset(level);
        e.poke(rec, std::uint8_t(0xC0 | (e.byte(rec) & 0x0F)));
        e.gotoLevel(level);
        e.form->Refresh();
        QCOMPARE(e.form->state().scene.airflow.gapSet, 12);
        QCOMPARE(e.upDown("GapUD")->position(), 11);
        QCOMPARE(e.labelOf("Label5")->text(), QString("Gap Type 12"));
        // Set 12 turns the top gaps up (no area reaches rows 0 and 1).
        QCOMPARE(e.form->state().scene.flow.direction(10, 0), int(FlowUp));
        QCOMPARE(e.form->state().scene.flow.direction(20, 1), int(FlowUp));
    }

    void levelChangeResetsTheArea()
    {
        Editor e;
        const int level = levelWithAreas(e, 2);
        e.gotoLevel(level);
        e.check("AirflowCheck1")->click();
        e.clickUp("AreaUD");
        QCOMPARE(e.upDown("AreaUD")->position(), 1);
        e.clickUp("UpDown1");
        QCOMPARE(e.upDown("AreaUD")->position(), 0);
        QCOMPARE(e.labelOf("Label3")->text(), QString("Area 1"));
    }
};

QTEST_MAIN(AirflowControlsTest)
#include "AirflowControlsTest.moc"
