// The image control: what it paints for its buffer, and how it hands the
// mouse to its handlers, also while a button is held outside it.

#include "gfx/FastIMG.h"

#include <QTest>
#include <QWindow>

using namespace zq;

class FastIMGTest : public QObject {
    Q_OBJECT

private slots:
    void drawShowsTheBufferOneToOneAndOpaque()
    {
        TFastIMG img;
        img.resize(8, 4);
        img.Bmp().SetSize(8, 4, 32);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                img.Bmp().Line(y)[x] = std::uint32_t(0x010203 * (x + 8 * y));
        const QImage shot = img.grab().toImage();
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                QCOMPARE(shot.pixel(x, y), 0xFF000000u | std::uint32_t(0x010203 * (x + 8 * y)));
    }

    void resizeShowsSixteenPixelsAsTwoByTwoBlocks()
    {
        TFastIMG img;
        img.resize(32, 32);
        img.setDrawStyle(TDrawStyle::dsResize);
        img.setColor(Qt::red); // no border fill may show
        img.Bmp().SetSize(16, 16, 32);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                img.Bmp().Line(y)[x] = (x + y) % 2 ? 0x00FFFF : 0x000000;
        const QImage shot = img.grab().toImage();
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                QCOMPARE(shot.pixel(x, y) & 0xFFFFFF, ((x / 2 + y / 2) % 2) ? 0x00FFFFu : 0u);
    }

    void emptyBufferPaintsTheColour()
    {
        TFastIMG img;
        img.resize(10, 10);
        img.setColor(QColor(0x12, 0x34, 0x56));
        const QImage shot = img.grab().toImage();
        QCOMPARE(shot.pixel(5, 5) & 0xFFFFFF, 0x123456u);
    }

    void mouseArrivesWithControlCoordinatesDuringADrag()
    {
        QWidget window;
        window.resize(300, 300);
        auto* img = new TFastIMG(&window);
        img->setGeometry(50, 60, 100, 100);
        QList<QString> events;
        img->OnMouseDown = [&](int x, int y) { events << QStringLiteral("down %1,%2").arg(x).arg(y); };
        img->OnMouseMove = [&](int x, int y) { events << QStringLiteral("move %1,%2").arg(x).arg(y); };
        img->OnMouseUp = [&](int x, int y) { events << QStringLiteral("up %1,%2").arg(x).arg(y); };
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QWindow* w = window.windowHandle();
        QTest::mousePress(w, Qt::LeftButton, {}, QPoint(60, 70));
        QTest::mouseMove(w, QPoint(10, 20));    // outside the control
        QTest::mouseMove(w, QPoint(250, 280));  // outside on the other side
        QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(250, 280));
        // (The pointer may first move onto the press point without a button.)
        events = events.mid(events.indexOf("down 10,10"));
        QCOMPARE(events, QList<QString>({"down 10,10", "move -40,-40", "move 200,220", "up 200,220"}));
    }
};

QTEST_MAIN(FastIMGTest)
#include "FastIMGTest.moc"
