#include "app/AboutBox.h"
#include "app/EditorFont.h"

#include "gfx/FastIMG.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>

namespace zq {

namespace {

// The credit lines: title, terms and author, a blank line, thanks, and who
// made the game image the editor carries.
const char* const kCredits[] = {
    "Zelquor Editor V3",
    "Freeware. Written by Orla Penwright, 2026",
    "",
    "Thanks to Tamsin Grue, Edo Marchetti and Pim Vassallo",
    "Sample game image by the Zelquor Editor project",
};

} // namespace

TAboutBox::TAboutBox(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName("AboutBox");
    setWindowTitle("About");
    setModal(false);
    setFixedSize(256, 333);
    setFont(editorFont());
    // Menus and other windows of this one take the same font.
    setAttribute(Qt::WA_WindowPropagation);

    FastIMG1 = new TFastIMG(this);
    FastIMG1->setObjectName("FastIMG1");
    FastIMG1->setGeometry(0, 0, 256, 192);
    FastIMG1->setColor(Qt::black);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setGeometry(0, 192, 256, 105);
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette p = Memo1->palette();
    p.setColor(QPalette::Base, palette().color(QPalette::Window));
    Memo1->setPalette(p);

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(91, 300, 74, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);

    FormCreate();
}

void TAboutBox::FormCreate()
{
    Memo1->clear();
    for (const char* line : kCredits)
        Memo1->appendPlainText(QString::fromLatin1(line));
    // Centre every line.
    QTextCursor cursor(Memo1->document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.mergeBlockFormat(centred);

    FastIMG1->Bmp().LoadFromResource("ABOUTSCREEN");
    FastIMG1->Repaint();
}

void TAboutBox::showOver(QWidget* window)
{
    if (!isVisible() && window) {
        const QRect frame = window->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    activateWindow();
    OKButton->setFocus();
}

} // namespace zq
