// The image controls paint once per change: a level change (whose refresh
// asks for a repaint many times, nested cycles included) paints the level
// view and the pattern editor at most once each, and a drag move once.

#include "TestSupport.h"

using namespace zq;
using namespace zq::test;

namespace {

// Everything queued (repaint requests, the paints they lead to) handled.
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

} // namespace

class PaintCountTest : public QObject {
    Q_OBJECT

private slots:
    void oneChangeOnePaint()
    {
        Editor e;
        e.show();
        TFastIMG* view = e.image("LevDisp");
        TFastIMG* pattern = e.image("FastIMG1");
        QTRY_VERIFY(view->paintCount() > 0);
        settle();
        for (int step = 0; step < 16; ++step) { // Big Border and pattern changes on the way
            const int v = view->paintCount(), p = pattern->paintCount();
            const int cycles = e.form->refreshCount();
            e.clickUp("UpDown1");
            QTRY_VERIFY(view->paintCount() > v);
            settle();
            QVERIFY(e.form->refreshCount() > cycles);
            QVERIFY(view->paintCount() - v <= 1);
            QVERIFY(pattern->paintCount() - p <= 1);
        }
        QVERIFY(view->paintCount() > 0);

        // A row of clear cells: every move of the drag sets one.
        const EditorState& s = e.form->state();
        e.edit([&](GameImage& image) {
            for (int c = 0; c < 12; ++c)
                setCell(image, s.level.record.offset, s.codes.code(s.level.record.mirrored, 4, c), false);
        });
        e.form->Refresh();
        const QPoint a(16 * 2 + 8, 16 * 6 + 8);
        e.press(view, a);
        QTRY_VERIFY(view->paintCount() > 0);
        settle();
        for (int c = 3; c < 12; ++c) {
            const int v = view->paintCount();
            e.move(view, QPoint(16 * c + 8, a.y()));
            QTRY_VERIFY(view->paintCount() > v);
            settle();
            QCOMPARE(view->paintCount() - v, 1);
        }
        e.release(view, a);
    }
};

QTEST_MAIN(PaintCountTest)
#include "PaintCountTest.moc"
