// Renders the window in each edit mode to PNG files (in screens/ beside the
// test binary) so that they can be looked at, and checks that every mode
// draws its overlay.

#include "TestSupport.h"

#include <QDir>

using namespace zq;
using namespace zq::test;

class ScreenshotTest : public QObject {
    Q_OBJECT

    static void save(Editor& e, const QString& name)
    {
        QDir().mkpath("screens");
        QVERIFY(e.form->grab().save("screens/" + name + ".png"));
    }

    static int differingPixels(const QImage& a, const QImage& b)
    {
        int n = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                n += a.pixel(x, y) != b.pixel(x, y);
        return n;
    }

private slots:
    void everyModeDrawsItsOverlay()
    {
        Editor e;
        e.show();
        e.gotoLevel(2);
        save(e, "level3");
        const QImage plain = e.image("LevDisp")->toImage();
        int last = 0;
        for (const char* mode : {"CheckBox2", "CheckBox3", "AirflowCheck1"}) {
            e.check(mode)->click();
            save(e, QString("level3-") + mode);
            last = differingPixels(plain, e.image("LevDisp")->toImage());
            QVERIFY2(last > 100, mode);
        }
    }

    void everyColourSchemeWithOverlays()
    {
        Editor e;
        e.show();
        for (int level = 0; level < 15; ++level) {
            e.gotoLevel(level);
            const char* mode = level % 3 == 0 ? "CheckBox2" : level % 3 == 1 ? "CheckBox3" : "AirflowCheck1";
            e.check(mode)->setChecked(true);
            QDir().mkpath("screens");
            QVERIFY(e.image("LevDisp")->toImage().save(QStringLiteral("screens/scheme%1.png").arg(level + 1)));
            e.check(mode)->setChecked(false);
        }
    }
};

QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
