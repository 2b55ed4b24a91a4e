// The Levels window: a thumbnail shows its level's picture at half size, a
// click on it shows that level, and an edit redraws the thumbnails of
// exactly the levels it touched.

#include "TestSupport.h"

#include "app/LevelsWindow.h"
#include "render/LevelScene.h"

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

// The thumbnail shown for a level is its picture at half size, each pixel
// the mean of the 2 x 2 pixels it stands for.
bool showsLevel(LevelThumbnails* thumbs, const GameImage& image, int index)
{
    TFastDIB picture;
    drawLevelPicture(image, index, EditMode::Blocks, 1, picture);
    const QPoint corner = thumbs->cellRect(index).topLeft() + QPoint(6, 4);
    const QSize half(picture.Width() / 2, picture.Height() / 2);
    const QImage shown = thumbs->grab(QRect(corner, half)).toImage();
    if (shown.size() != half)
        return false;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            std::uint32_t mean = 0;
            for (int shift : {0, 8, 16}) {
                std::uint32_t sum = 0;
                for (int j = 0; j < 4; ++j)
                    sum += (picture.PixelAt(2 * x + j % 2, 2 * y + j / 2) >> shift) & 0xFF;
                mean |= sum / 4 << shift;
            }
            if ((shown.pixel(x, y) & 0xFFFFFF) != mean) {
                qWarning("level %d, thumbnail pixel %d,%d: %06x, not %06x", index + 1, x, y,
                         shown.pixel(x, y) & 0xFFFFFF, mean);
                return false;
            }
        }
    return true;
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
        const GameImage& image = e.form->document().image();
        QVERIFY(showsLevel(thumbs, image, 1));

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
        QVERIFY(showsLevel(thumbs, image, 1));
        QVERIFY(redrawsOnly(thumbs, [&] { e.form->findChild<QAction*>("Undo1")->trigger(); },
                            [](int i) { return i == 1; }));
    }
};

QTEST_MAIN(LevelsTest)
#include "LevelsTest.moc"
