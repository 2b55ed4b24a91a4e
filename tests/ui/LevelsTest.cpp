// The Levels window: a click on a thumbnail shows that level, and an edit
// redraws the thumbnails of exactly the levels it touched.

#include "TestSupport.h"

#include "app/LevelsWindow.h"

#include <QAction>

#include <array>
#include <functional>

using namespace zq;
using namespace zq::test;

namespace {

std::array<int, kLevelCount> drawsOf(const LevelThumbnails* t)
{
    std::array<int, kLevelCount> d{};
    for (int i = 0; i < kLevelCount; ++i)
        d[std::size_t(i)] = t->draws(i);
    return d;
}

} // namespace

class LevelsTest : public QObject {
    Q_OBJECT

    // The levels whose thumbnails `edit` redrew are those `shares` names.
    static bool redrawsOnly(const LevelThumbnails* t, const std::function<void()>& edit,
                            const std::function<bool(int)>& shares)
    {
        const auto before = drawsOf(t);
        edit();
        QTest::qWait(10);
        const auto after = drawsOf(t);
        for (int i = 0; i < kLevelCount; ++i)
            if ((after[std::size_t(i)] != before[std::size_t(i)]) != shares(i)) {
                qWarning("level %d", i + 1);
                return false;
            }
        return true;
    }

private slots:
    void clicksChooseAndEditsRedrawWhatTheyTouch()
    {
        Editor e;
        e.show();
        e.form->findChild<QAction*>("AllLevels1")->trigger();
        LevelThumbnails* thumbs = e.form->levelsWindow()->thumbnails();
        QVERIFY(e.form->levelsWindow()->isVisible());
        for (int i = 0; i < kLevelCount; ++i)
            QCOMPARE(thumbs->draws(i), 1);

        QTest::mouseClick(thumbs, Qt::LeftButton, {}, thumbs->cellRect(39).center());
        QCOMPARE(e.labelOf("StaticText2")->text(), QString("Level 40"));
        QCOMPARE(e.upDown("UpDown1")->position(), 39);
        QCOMPARE(thumbs->currentLevel(), 39);

        e.gotoLevel(1);
        QVERIFY(redrawsOnly(thumbs, [&] { e.choose("ComboBox1", (e.combo("ComboBox1")->currentIndex() + 1) % 6); },
                            [](int i) { return i % 15 == 1; }));
        QVERIFY(redrawsOnly(thumbs, [&] { e.drag(e.image("FastIMG1"), {QPoint(8, 8), QPoint(60, 8)}); },
                            [](int i) { return i % 5 == 1; }));
        QVERIFY(redrawsOnly(thumbs, [&] { e.drag(e.image("LevDisp"), {QPoint(100, 100), QPoint(140, 100)}); },
                            [](int i) { return i == 1; }));
        QVERIFY(redrawsOnly(thumbs, [&] { e.form->findChild<QAction*>("Undo1")->trigger(); },
                            [](int i) { return i == 1; }));
    }
};

QTEST_MAIN(LevelsTest)
#include "LevelsTest.moc"
