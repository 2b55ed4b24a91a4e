// Enemies, items, the special bubble and the edit modes, through the real
// window.

#include "TestSupport.h"

#include "entities/Bubbles.h"
#include "entities/Enemies.h"
#include "entities/Items.h"
#include "tools/Airflow.h"

using namespace zq;
using namespace zq::test;

namespace {

const char* const kAirflowControls[] = {"AreaUD", "DirUD", "GapUD"};

bool airflowControlsEnabled(const Editor& e)
{
    bool any = false;
    for (const char* name : kAirflowControls)
        any = any || e.upDown(name)->isEnabled();
    return any;
}

// The first occupied slot of the current level.
int occupiedSlot(const Editor& e)
{
    for (int i = 0; i < 7; ++i)
        if (e.form->state().enemies[std::size_t(i)].type < 16)
            return i;
    qFatal("no enemy on this level");
}

int firstLevel(const Editor& e, bool (*wanted)(const GameImage&, int))
{
    for (int i = 0; i < kLevelCount; ++i)
        if (wanted(e.form->document().image(), i))
            return i;
    qFatal("no such level in the default image");
}

} // namespace

class EntitiesTest : public QObject {
    Q_OBJECT

private slots:
    void editModesAreExclusive()
    {
        Editor e;
        e.check("CheckBox2")->click();
        QVERIFY(e.check("CheckBox2")->isChecked());
        e.check("CheckBox3")->click();
        QVERIFY(!e.check("CheckBox2")->isChecked());
        QVERIFY(e.check("CheckBox3")->isChecked());

        e.check("AirflowCheck1")->click();
        QVERIFY(!e.check("CheckBox3")->isChecked());
        QVERIFY(e.check("AirflowCheck1")->isChecked());
        QVERIFY(airflowControlsEnabled(e));
        QVERIFY(!e.image("FastIMG1")->isEnabled());

        // Edit Items unchecks Edit Airflow, whose own handler disables its
        // controls and gives the pattern editor back on levels 1 to 5.
        e.check("CheckBox3")->click();
        QVERIFY(!e.check("AirflowCheck1")->isChecked());
        QVERIFY(!airflowControlsEnabled(e));
        QVERIFY(e.image("FastIMG1")->isEnabled());

        e.check("AirflowCheck1")->click();
        e.check("CheckBox2")->click();
        QVERIFY(!e.check("AirflowCheck1")->isChecked());
        QVERIFY(!e.check("CheckBox3")->isChecked());
        QVERIFY(!airflowControlsEnabled(e));
        // Enemy marks are drawn, item markers are not: against the plain
        // picture, every occupied slot's square changes and nothing else.
        const auto picture = [&e] { return pixelsOf(e.form->state().levelPicture); };
        const std::vector<std::uint32_t> marked = picture();
        e.check("CheckBox2")->click();
        QVERIFY(!e.check("CheckBox2")->isChecked());
        const std::vector<std::uint32_t> plain = picture();
        std::vector<bool> inSquare(plain.size(), false);
        int occupied = 0;
        for (const EnemySlot& slot : e.form->state().enemies) {
            if (slot.column == 0)
                continue;
            ++occupied;
            int changed = 0;
            for (int y = 8 * slot.row; y < std::min(8 * slot.row + 16, kLevelPictureHeight); ++y)
                for (int x = 8 * slot.column; x < std::min(8 * slot.column + 16, kLevelPictureWidth); ++x) {
                    const std::size_t i = std::size_t(y * kLevelPictureWidth + x);
                    inSquare[i] = true;
                    changed += marked[i] != plain[i];
                }
            QVERIFY(changed > 0);
        }
        QVERIFY(occupied > 0);
        for (std::size_t i = 0; i < plain.size(); ++i)
            if (!inSquare[i])
                QVERIFY2(marked[i] == plain[i], qPrintable(QString::number(i)));
    }

    void enemyPanelShowsTheSlots()
    {
        Editor e;
        const EditorState& s = e.form->state();
        for (int i = 0; i < 7; ++i) {
            const QByteArray name = "bad" + QByteArray::number(i + 1);
            QCOMPARE(e.upDown(name.constData())->position(), int(s.enemies[std::size_t(i)].type));
            const QByteArray img = "BadIMG" + QByteArray::number(i + 1);
            QCOMPARE(e.image(img.constData())->Bmp().Width(), 16);
        }
        const std::size_t entry = enemyEntryOffset(0);
        QCOMPARE(e.labelOf("StaticText3")->text(), QStringLiteral("Enemies Pattern %1").arg(e.byte(entry + 14) + 1));
        QCOMPARE(e.labelOf("StaticText4")->text(), QStringLiteral("Burst Time %1").arg(e.byte(entry + 15)));

        e.clickUp("UpDown3");
        QCOMPARE(e.labelOf("StaticText4")->text(), QStringLiteral("Burst Time %1").arg(e.byte(entry + 15)));
        e.clickDown("UpDown2");
        e.clickDown("UpDown2");
        QCOMPARE(e.upDown("UpDown2")->position(), int(e.byte(entry + 14)));
    }

    void enemyTypeStepsCreateAndClear()
    {
        Editor e;
        const int slot = occupiedSlot(e);
        const QByteArray name = "bad" + QByteArray::number(slot + 1);
        const std::size_t rec = enemyRecordOffset(0, slot);
        // Step up until the slot empties.
        while (e.upDown(name.constData())->position() != 16)
            e.clickUp(name.constData());
        QCOMPARE(e.byte(rec), 0);
        QCOMPARE(e.byte(rec + 1), 0);
        QCOMPARE(e.form->state().enemies[std::size_t(slot)].type, 16);
        // Up again: a new enemy of type 0 at column 3, row 0.
        e.clickUp(name.constData());
        QCOMPARE(e.byte(rec), 0x18);
        QCOMPARE(e.form->state().enemies[std::size_t(slot)].type, 0);
        // The slot's picture follows the type.
        TFastDIB expected;
        expected.LoadFromResource("B0");
        const TFastDIB& shown = e.image(("BadIMG" + QByteArray::number(slot + 1)).constData())->Bmp();
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                QCOMPARE(shown.PixelAt(x, y), expected.PixelAt(x, y));
    }

    void enemiesAreSelectedAndDraggedWithinBounds()
    {
        Editor e;
        e.show();
        e.check("CheckBox2")->click();
        TFastIMG* view = e.image("LevDisp");
        const int slot = occupiedSlot(e);
        const EnemySlot enemy = e.form->state().enemies[std::size_t(slot)];
        e.press(view, QPoint(16 * enemy.column + 20, 16 * enemy.row + 20));
        QCOMPARE(e.form->state().selectedEnemy >= slot, true);
        const int selected = e.form->state().selectedEnemy;
        QCOMPARE(e.form->statusText(), QStringLiteral("Enemy Number %1").arg(selected + 1));
        const EnemySlot chosen = e.form->state().enemies[std::size_t(selected)];
        const std::size_t rec = enemyRecordOffset(0, selected);

        e.move(view, QPoint(28 * 16 + 3, 21 * 16 + 3));
        QCOMPARE(e.byte(rec), std::uint8_t(0xE0 + chosen.kind));
        QCOMPARE(e.byte(rec + 1), std::uint8_t(0xA8 + chosen.facing));
        const std::uint8_t b0 = e.byte(rec), b1 = e.byte(rec + 1);
        for (QPoint out : {QPoint(31, 100), QPoint(464, 100), QPoint(200, 352), QPoint(200, 0), QPoint(-50, -50)}) {
            e.move(view, out);
            QCOMPARE(e.byte(rec), b0);
            QCOMPARE(e.byte(rec + 1), b1);
        }
        e.release(view, QPoint(-50, -50));
        QCOMPARE(e.form->statusText(), QString(13, QLatin1Char(' ')));

        // A press that hits nothing keeps the selection and names it.
        e.press(view, QPoint(2, 2));
        QCOMPARE(e.form->state().selectedEnemy, selected);
        QCOMPARE(e.form->statusText(), QStringLiteral("Enemy Number %1").arg(selected + 1));
        e.release(view, QPoint(2, 2));

        // The selection survives a change of level.
        e.clickUp("UpDown1");
        QCOMPARE(e.form->state().selectedEnemy, selected);
    }

    void itemMovesOnlyInsideItsBox()
    {
        Editor e;
        e.show();
        e.check("CheckBox3")->click();
        TFastIMG* view = e.image("LevDisp");
        const int q = e.form->state().itemPlacement;
        const std::size_t at = itemOffset(0);
        const std::uint8_t before = e.byte(at);
        // Inside the box of this placement state: a point near its middle.
        const QPoint inside(q >= 2 ? 360 : 136, q % 2 ? 300 : 150);
        e.press(view, inside - QPoint(16, 16));
        QCOMPARE(e.byte(at), before); // a press alone changes nothing
        e.move(view, inside);
        const std::optional<std::uint8_t> expected = itemByteForPointer(q, inside.x(), inside.y());
        QVERIFY(expected.has_value());
        QCOMPARE(e.byte(at), *expected);
        const std::uint8_t placed = e.byte(at);
        e.move(view, QPoint(q >= 2 ? 100 : 400, inside.y())); // the other half
        QCOMPARE(e.byte(at), placed);
        e.release(view, inside);
    }

    void areasAreDrawnFromTheAnchor()
    {
        Editor e;
        e.show();
        int level = -1;
        for (int i = 0; i < kLevelCount && level < 0; ++i)
            if (!isSharedAirflowLevel(i + 1))
                level = i;
        e.gotoLevel(level);
        e.check("AirflowCheck1")->click();
        TFastIMG* view = e.image("LevDisp");
        e.press(view, QPoint(5 * 16 + 4, 6 * 16 + 4));
        e.move(view, QPoint(9 * 16 + 4, 10 * 16 + 4));
        const AirflowRecord& rec = e.form->state().scene.airflow;
        QCOMPARE(rec.column[0], 5);
        QCOMPARE(rec.row[0], 6);
        QCOMPARE(rec.width[0], 5);
        QCOMPARE(rec.height[0], 5);
        e.move(view, QPoint(3 * 16, 3 * 16));
        QCOMPARE(rec.width[0], 1);
        QCOMPARE(rec.height[0], 1);
        e.release(view, QPoint(3 * 16, 3 * 16));
        // The record holds it: a fresh decode reads the same area.
        AirflowRecord fresh;
        readAirflowRecord(e.form->document().image(), airflowRecordOffset(level), fresh);
        QCOMPARE(fresh.column[0], 5);
        QCOMPARE(fresh.width[0], 1);
    }

    void sharedAirflowLevelsIgnoreTheMouse()
    {
        Editor e;
        e.show();
        e.gotoLevel(1); // level 2 shares level 1's record
        e.check("AirflowCheck1")->click();
        const GameImage before = e.form->document().image();
        e.drag(e.image("LevDisp"), {QPoint(100, 100), QPoint(200, 200), QPoint(300, 300)});
        QCOMPARE(e.form->document().image(), before);
    }

    void bubbleBoxIsDisabledOnlyWithNoRoomAndNothingToRemove()
    {
        Editor e;
        const GameImage& image = e.form->document().image();
        QCOMPARE(spareCount(image), 0);
        const int none = firstLevel(e, [](const GameImage& im, int i) { return bubbleType(im, i + 1) == 0; });
        const int some = firstLevel(e, [](const GameImage& im, int i) {
            const int t = bubbleType(im, i + 1);
            return t >= 1 && t <= 4;
        });
        e.gotoLevel(none);
        QVERIFY(!e.combo("ComboBox3")->isEnabled());
        QCOMPARE(e.combo("ComboBox3")->currentText(), QString("None"));
        e.gotoLevel(some);
        QVERIFY(e.combo("ComboBox3")->isEnabled());
        const int type = bubbleType(image, some + 1);
        QCOMPARE(e.combo("ComboBox3")->currentIndex(), type);

        // Removing it makes room: every level can then choose.
        e.choose("ComboBox3", 0);
        QCOMPARE(bubbleType(image, some + 1), 0);
        QCOMPARE(spareCount(image), 1);
        e.gotoLevel(none);
        QVERIFY(e.combo("ComboBox3")->isEnabled());
        e.choose("ComboBox3", 1); // Water
        QCOMPARE(bubbleType(image, none + 1), 1);
        QCOMPARE(spareCount(image), 0);
        QCOMPARE(e.combo("ComboBox3")->currentText(), QString("Water"));
    }
};

QTEST_MAIN(EntitiesTest)
#include "EntitiesTest.moc"
