// Drawing blocks on the level view and pixels in the block pattern editor
// with the mouse, through the real window.

#include "TestSupport.h"

#include "render/Palette.h"

using namespace zq;
using namespace zq::test;

namespace {

bool cellOf(const Editor& e, int r, int c)
{
    const EditorState& s = e.form->state();
    return readCell(e.form->document().image(), s.level.record.offset, s.codes.code(s.level.record.mirrored, r, c));
}

// The first level of the wanted kind.
int levelOfKind(const Editor& e, bool mirrored)
{
    for (int i = 0; i < kLevelCount; ++i)
        if (isMirroredLevel(e.form->document().image(), i) == mirrored)
            return i;
    qFatal("the default image has no level of that kind");
}

// View point of grid cell (r, c): its centre.
QPoint cellPoint(int r, int c)
{
    return QPoint(16 * (c + 2) + 8, 16 * (r + 2) + 8);
}

} // namespace

class CanvasTest : public QObject {
    Q_OBJECT

private slots:
    void pressAndDragPaintEveryCrossedCell()
    {
        Editor e;
        e.show();
        e.gotoLevel(levelOfKind(e, false));
        TFastIMG* view = e.image("LevDisp");
        const bool first = cellOf(e, 10, 3);
        e.press(view, cellPoint(10, 3));
        QCOMPARE(cellOf(e, 10, 3), !first);
        for (int c = 4; c <= 20; ++c)
            e.move(view, cellPoint(10, c));
        e.release(view, cellPoint(10, 20));
        for (int c = 3; c <= 20; ++c)
            QCOMPARE(cellOf(e, 10, c), !first);

        // And the view shows it at once: cell (10, 3) drawn or cleared.
        const TFastDIB& bmp = view->Bmp();
        const std::uint32_t px = bmp.PixelAt(16 * 5 + 2, 16 * 12 + 2);
        QCOMPARE(px == 0u, first);
    }

    void pressesOutsideTheGridActOnTheNearestCell()
    {
        Editor e;
        e.show();
        e.gotoLevel(levelOfKind(e, false));
        TFastIMG* view = e.image("LevDisp");
        const bool wall = cellOf(e, 5, 0);
        e.drag(view, {QPoint(10, 16 * 7 + 4)}); // side wall
        QCOMPARE(cellOf(e, 5, 0), !wall);
        const bool top = cellOf(e, 0, 6);
        e.drag(view, {QPoint(16 * 8 + 3, 5)}); // the top band
        QCOMPARE(cellOf(e, 0, 6), !top);
        const bool right = cellOf(e, 21, 27);
        e.drag(view, {QPoint(505, 380)});
        QCOMPARE(cellOf(e, 21, 27), !right);
    }

    void dragsLeavingTheViewKeepPaintingAndReleaseOutsideEndsThem()
    {
        Editor e;
        e.show();
        e.gotoLevel(levelOfKind(e, false));
        TFastIMG* view = e.image("LevDisp");
        // Make row 21 clear, then draw from its first cell to far outside.
        const EditorState& s = e.form->state();
        e.edit([&](GameImage& image) {
            for (int c = 0; c < 28; ++c)
                setCell(image, s.level.record.offset, s.codes.code(false, 21, c), false);
        });
        e.form->Refresh();
        e.press(view, cellPoint(21, 0));
        e.move(view, QPoint(-200, 900));
        QVERIFY(cellOf(e, 21, 0));
        e.move(view, QPoint(2000, 900)); // beyond the right edge: column 27
        QVERIFY(cellOf(e, 21, 27));
        e.release(view, QPoint(2000, 900));
        QCOMPARE(e.form->state().canvasDrag, 0);
        QCOMPARE(e.form->statusText(), QString(13, QLatin1Char(' ')));

        // Moves without a button change nothing and redraw nothing.
        const GameImage before = e.form->document().image();
        e.form->state().levelPicture.Line(100)[100] = 0x123456;
        for (int x = 0; x < 512; x += 16)
            e.move(view, QPoint(x, 200));
        QCOMPARE(e.form->document().image(), before);
        QCOMPARE(e.form->state().levelPicture.Line(100)[100], 0x123456u);
    }

    void mirroredRightHalfWritesNothing()
    {
        Editor e;
        e.show();
        const int level = levelOfKind(e, true);
        e.gotoLevel(level);
        TFastIMG* view = e.image("LevDisp");
        const LevelRecord rec = e.form->state().level.record;
        QVERIFY(rec.mirrored);
        const std::uint8_t spare = e.byte(rec.offset + 38) & 0x0F;
        const GameImage before = e.form->document().image();
        e.press(view, QPoint(300, cellPoint(4, 0).y()));
        e.move(view, QPoint(400, cellPoint(4, 0).y()));
        QCOMPARE(e.form->document().image(), before);
        // Moving into the left half paints the inverse of column 13's value.
        const bool col13 = cellOf(e, 4, 13);
        e.move(view, cellPoint(4, 10));
        e.release(view, cellPoint(4, 10));
        QCOMPARE(cellOf(e, 4, 10), !col13);

        // Scribbling over the whole left half keeps the spare bits.
        e.press(view, QPoint(0, 0));
        for (int y = -32; y < 420; y += 8)
            for (int x = -32; x < 256; x += 16)
                e.move(view, QPoint(x, y));
        e.release(view, QPoint(0, 0));
        QCOMPARE(e.byte(rec.offset + 38) & 0x0F, spare);
        // And the level shows its mirror image.
        const TFastDIB& pic = e.form->state().levelPicture;
        for (int y = 16; y < 192; y += 5)
            for (int x = 16; x < 128; x += 3)
                QCOMPARE(pic.PixelAt(x, y), pic.PixelAt(248 - x + 2 * (x % 8), y));
    }

    void patternEditorPaintsPixels()
    {
        Editor e;
        e.show();
        TFastIMG* editor = e.image("FastIMG1");
        const std::size_t pattern = e.form->state().level.patternOffset;
        const std::uint8_t row7 = e.byte(pattern + 7);
        e.drag(editor, {QPoint(128, 128)});
        QCOMPARE(e.byte(pattern + 7), std::uint8_t(row7 ^ 0x01));

        // Press on a pixel and drag down the column: every crossed row follows.
        const bool first = (e.byte(pattern) & 0x40) != 0;
        e.press(editor, QPoint(16, 0));
        for (int y = 0; y < 300; y += 8)
            e.move(editor, QPoint(20, y));
        e.release(editor, QPoint(20, 300));
        for (std::size_t j = 0; j < 8; ++j)
            QCOMPARE((e.byte(pattern + j) & 0x40) != 0, !first);

        // The side walls show the new pattern at once (normal border style).
        if (!e.form->state().level.bigBorder) {
            const CurrentLevel& level = e.form->state().level;
            const std::uint8_t r0 = e.byte(pattern);
            for (int i = 0; i < 8; ++i)
                QCOMPARE(e.form->state().levelPicture.PixelAt(i, 16),
                         (r0 & (0x80 >> i)) ? kPalette[std::size_t(level.ink)] : kPalette[std::size_t(level.paper)]);
        }
    }

    void patternEditorIsDisabledAwayFromTheOwningLevels()
    {
        Editor e;
        e.show();
        TFastIMG* editor = e.image("FastIMG1");
        const std::size_t pattern0 = off::PatternTable;
        const std::uint8_t before = e.byte(pattern0);
        e.gotoLevel(5);
        QVERIFY(!editor->isEnabled());
        e.drag(editor, {QPoint(8, 8), QPoint(100, 8)});
        QCOMPARE(e.byte(pattern0), before);

        // An edit on level 1 shows on level 6 (same pattern), which is striped.
        e.gotoLevel(0);
        e.drag(editor, {QPoint(8, 8)});
        QCOMPARE(e.byte(pattern0), std::uint8_t(before ^ 0x80));
        e.gotoLevel(5);
        QCOMPARE(e.form->state().level.patternOffset, pattern0);
    }

    void editModesStopThePatternEditor()
    {
        Editor e;
        e.show();
        e.check("CheckBox2")->setChecked(true);
        const GameImage before = e.form->document().image();
        e.drag(e.image("FastIMG1"), {QPoint(8, 8), QPoint(100, 100)});
        QCOMPARE(e.form->document().image(), before);
        QCOMPARE(e.form->state().patternDrag, 0);
    }
};

QTEST_MAIN(CanvasTest)
#include "CanvasTest.moc"
