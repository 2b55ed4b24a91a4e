// Every caption fits its control in the desktop's font at 8 point, the
// widest texts the window ever shows included ("Area 16", "Level 79", ...),
// and keeps clear of the other controls and of the window's edge.
// CTest runs this at the scale factors 1, 1.25, 1.5 and 2.

#include "TestSupport.h"

#include "app/AboutBox.h"

#include <QPushButton>

using namespace zq;
using namespace zq::test;

namespace {

QStringList overflowing(QWidget* window)
{
    QStringList bad;
    for (QLabel* l : window->findChildren<QLabel*>()) {
        if (l->objectName() == "StatusBar1Text" || l->text().isEmpty())
            continue;
        if (l->fontMetrics().horizontalAdvance(l->text()) > l->contentsRect().width())
            bad << l->objectName() + ": " + l->text();
    }
    for (QCheckBox* c : window->findChildren<QCheckBox*>())
        if (c->sizeHint().width() > c->width())
            bad << c->objectName() + ": " + c->text();
    for (QComboBox* c : window->findChildren<QComboBox*>())
        if (c->sizeHint().width() > c->width())
            bad << c->objectName();
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->fontMetrics().horizontalAdvance(b->text()) + 8 > b->width())
            bad << b->objectName();
    return bad;
}

// Where a caption's text is drawn, in its parent's coordinates.
QRect textRect(QWidget* w)
{
    if (auto* l = qobject_cast<QLabel*>(w)) {
        const QRect r = l->contentsRect().translated(l->pos());
        return QRect(r.topLeft(), QSize(l->fontMetrics().horizontalAdvance(l->text()), r.height()));
    }
    return QRect(w->pos(), QSize(w->sizeHint().width(), w->height()));
}

// Captions of the client area whose text comes within `gap` pixels of
// another control, or nearer the window's right edge than the layout's
// margin.
QStringList crowded(QWidget* client, int gap, int margin)
{
    QStringList bad;
    const QList<QWidget*> controls = client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* w : controls) {
        if (!qobject_cast<QLabel*>(w) && !qobject_cast<QCheckBox*>(w))
            continue;
        const QRect text = textRect(w);
        if (text.right() + margin >= client->width())
            bad << w->objectName() + " reaches the window's edge";
        for (QWidget* other : controls)
            if (other != w && text.adjusted(-gap, 0, gap, 0).intersects(other->geometry()))
                bad << w->objectName() + " touches " + other->objectName();
    }
    return bad;
}

} // namespace

class CaptionFitTest : public QObject {
    Q_OBJECT

private slots:
    void captionsFit()
    {
        Editor e;
        e.show();
        QCOMPARE(e.form->font().pointSize(), 8);
        const struct {
            const char* label;
            const char* text;
        } widest[] = {{"StaticText2", "Level 79"},  {"Label3", "Area 16"},
                      {"Label5", "Gap Type 12"},    {"StaticText3", "Enemies Pattern 8"},
                      {"StaticText4", "Burst Time 255"}};
        for (const auto& w : widest)
            e.labelOf(w.label)->setText(w.text);
        const QStringList bad = overflowing(e.form.get());
        QVERIFY2(bad.isEmpty(), qPrintable(bad.join(", ")));
        const QStringList near = crowded(e.get<QWidget>("client"), 3, 8);
        QVERIFY2(near.isEmpty(), qPrintable(near.join(", ")));

        TAboutBox about(e.form.get());
        QVERIFY2(overflowing(&about).isEmpty(), qPrintable(overflowing(&about).join(", ")));
    }
};

QTEST_MAIN(CaptionFitTest)
#include "CaptionFitTest.moc"
