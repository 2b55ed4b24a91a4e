// Every caption fits its control in the desktop's font at 8 point, the
// widest texts the window ever shows included ("Area 16", "Level 79", ...).
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

        TAboutBox about(e.form.get());
        QVERIFY2(overflowing(&about).isEmpty(), qPrintable(overflowing(&about).join(", ")));
    }
};

QTEST_MAIN(CaptionFitTest)
#include "CaptionFitTest.moc"
