#include "app/MainForm.h"

// The window's controls and menu: their places, sizes, names, captions,
// shortcuts and tab order, and the signals that run the handlers.

#include "app/LevelsWindow.h"
#include "app/EditorFont.h"
#include "app/PlayMenu.h"
#include "app/Recovery.h"
#include "app/UpDown.h"
#include "gfx/FastIMG.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QUndoStack>

namespace zq {

namespace {

constexpr int kClientWidth = 665;
constexpr int kClientHeight = 525;
constexpr int kStatusHeight = 19;

template <typename W>
W* place(W* widget, const char* name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

QLabel* label(QWidget* parent, const char* name, const char* text, int left, int top, int width)
{
    auto* l = place(new QLabel(QString::fromLatin1(text), parent), name, left, top, width, 15);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

UpDown* upDown(QWidget* parent, const char* name, int left, int top, int minimum, int maximum, bool wrap)
{
    auto* u = place(new UpDown(parent), name, left, top, 16, 24);
    u->setRange(minimum, maximum);
    u->setWrap(wrap);
    return u;
}

QAction* menuItem(QMenu* menu, TForm1* form, const char* name, const char* caption, QKeySequence key,
                  void (TForm1::*handler)())
{
    QAction* action = menu->addAction(QString::fromLatin1(caption), form, handler);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    return action;
}

} // namespace

TForm1::TForm1(std::unique_ptr<Dialogs> dialogs, QWidget* parent)
    : QMainWindow(parent)
    , dialogs_(dialogs ? std::move(dialogs) : std::make_unique<QtDialogs>(this))
{
    setObjectName("Form1");
    setWindowTitle(QString::fromLatin1(kProgramTitle));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(editorFont());
    // Menus and other windows of this one take the same font.
    setAttribute(Qt::WA_WindowPropagation);

    document_.setLevelProbe([this] { return int(state_.level.levelIndex); });
    levelStroke_ = std::make_unique<ToolStroke>(
        document_, [this] { return levelTool(); }, [this] { state_.canvasDrag = DragClearing; },
        [this] {
            state_.canvasDrag = DragNone;
            setStatusText(QString(13, QLatin1Char(' ')));
        });
    patternStroke_ = std::make_unique<ToolStroke>(
        document_, [this] { return patternTool(); }, nullptr, [this] { state_.patternDrag = DragNone; });

    buildControls();
    connectControls();
    buildMenu();
    setTabOrder();
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    connect(&document_, &GameDocument::savedStateChanged, this, &TForm1::updateTitle);

    FormCreate();
    updateTitle();
}

TForm1::~TForm1()
{
    // The controls outlive this object's members (the base class deletes
    // them): what they signal while they go (a credit box losing the focus)
    // must not reach the window any more.
    delete playMenu_;
    delete levelsWindow_;
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
    disconnect(&document_, nullptr, this, nullptr);
}

void TForm1::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName("client");
    client->setFixedSize(kClientWidth, kClientHeight - kStatusHeight);
    setCentralWidget(client);

    LevDisp = place(new TFastIMG(client), "LevDisp", 8, 8, 512, 384);
    LevDisp->setCursor(Qt::CrossCursor);

    UpDown1 = upDown(client, "UpDown1", 528, 11, 0, 78, true);
    StaticText2 = label(client, "StaticText2", "Level Number", 552, 16, 100);
    CheckBox1 = place(new QCheckBox("Big Border", client), "CheckBox1", 528, 48, 97, 17);
    Label1 = label(client, "Label1", "Ink", 528, 72, 60);
    ComboBox1 = place(new QComboBox(client), "ComboBox1", 528, 88, 129, 21);
    ComboBox1->addItems({"Blue", "Magenta", "Green", "Cyan", "Yellow", "White"});
    Label2 = label(client, "Label2", "Paper", 528, 120, 60);
    ComboBox2 = place(new QComboBox(client), "ComboBox2", 528, 136, 129, 21);
    ComboBox2->addItems({"Blue", "Red", "Magenta", "Green", "Yellow", "White"});
    StaticText1 = label(client, "StaticText1", "Bubble Type", 528, 168, 100);
    ComboBox3 = place(new QComboBox(client), "ComboBox3", 528, 184, 129, 21);
    ComboBox3->addItems({"None", "Water", "Lightning", "Fire", "Extend"});
    ComboBox3->setMaxVisibleItems(5);

    FastIMG1 = place(new TFastIMG(client), "FastIMG1", 528, 216, 129, 129);
    FastIMG1->setCursor(Qt::CrossCursor);

    AirflowCheck1 = place(new QCheckBox("Edit Airflow", client), "AirflowCheck1", 528, 368, 97, 17);
    // The rows below the level view are packed tighter than the design grid
    // so that their widest captions in the 8 point font ("Enemies Pattern
    // 8", "Area 16", "Direction") keep clear of the next control and of the
    // window's edge: a caption starts 3 pixels after its up-down, a control
    // at least 4 pixels after a caption.
    AreaUD = upDown(client, "AreaUD", 520, 403, 0, 1, false);
    Label3 = label(client, "Label3", "Area", 539, 408, 44);
    DirUD = upDown(client, "DirUD", 586, 403, 0, 3, true);
    Label4 = label(client, "Label4", "Direction", 605, 408, 52);
    GapUD = upDown(client, "GapUD", 520, 435, 0, 11, false);
    GapUD->setPosition(1);
    Label5 = label(client, "Label5", "Gap Set", 539, 440, 105);

    for (int i = 0; i < 7; ++i) {
        const QByteArray imgName = "BadIMG" + QByteArray::number(i + 1);
        const QByteArray badName = "bad" + QByteArray::number(i + 1);
        BadIMG[i] = place(new TFastIMG(client), imgName.constData(), 8 + 40 * i, 400, 32, 32);
        BadIMG[i]->setDrawStyle(TDrawStyle::dsResize);
        bad[i] = upDown(client, badName.constData(), 16 + 40 * i, 435, 0, 16, true);
    }
    CheckBox2 = place(new QCheckBox("Edit Enemies", client), "CheckBox2", 296, 400, 97, 30);
    CheckBox3 = place(new QCheckBox("Edit Items", client), "CheckBox3", 296, 432, 97, 30);
    UpDown2 = upDown(client, "UpDown2", 397, 403, 0, 7, false);
    StaticText3 = label(client, "StaticText3", "Enemies Pattern", 416, 408, 100);
    UpDown3 = upDown(client, "UpDown3", 397, 435, 0, 255, false);
    StaticText4 = label(client, "StaticText4", "Burst Time", 416, 440, 100);

    struct Credit {
        QLineEdit*& edit;
        const char* name;
        const char* caption;
        int left;
        int maxLength;
    };
    const Credit credits[] = {
        {LabeledEdit1, "LabeledEdit1", "Title", 8, 24},
        {LabeledEdit3, "LabeledEdit3", "Company", 232, 21},
        {LabeledEdit2, "LabeledEdit2", "Author", 456, 20},
    };
    for (const Credit& c : credits) {
        c.edit = place(new QLineEdit(client), c.name, c.left, 480, 201, 21);
        c.edit->setMaxLength(c.maxLength);
        const QByteArray labelName = QByteArray(c.name) + "Label";
        QLabel* l = label(client, labelName.constData(), c.caption, c.left, 464, 201);
        l->setBuddy(c.edit);
    }

    statusBar()->setObjectName("StatusBar1");
    statusBar()->setSizeGripEnabled(false);
    statusBar()->setFixedHeight(kStatusHeight);
    statusText_ = new QLabel(statusBar());
    statusText_->setObjectName("StatusBar1Text");
    statusBar()->addWidget(statusText_, 1);

}

void TForm1::connectControls()
{
    // Check boxes run their click handler on every change of state, from
    // code too; drop-downs only on a user's choice; edits on every change of
    // text; up-downs only on a user's click.
    LevDisp->OnMouseDown = [this](int x, int y) { LevDispMouseDown(x, y); };
    LevDisp->OnMouseMove = [this](int x, int y) { LevDispMouseMove(x, y); };
    LevDisp->OnMouseUp = [this](int x, int y) { LevDispMouseUp(x, y); };
    FastIMG1->OnMouseDown = [this](int x, int y) { FastIMG1MouseDown(x, y); };
    FastIMG1->OnMouseMove = [this](int x, int y) { FastIMG1MouseMove(x, y); };
    FastIMG1->OnMouseUp = [this](int x, int y) { FastIMG1MouseUp(x, y); };

    for (int i = 0; i < 7; ++i)
        connect(bad[i], &UpDown::clicked, this, [this, i] { badClick(i); });
    connect(UpDown2, &UpDown::clicked, this, [this] { UpDown2Click(); });
    connect(UpDown3, &UpDown::clicked, this, [this] { UpDown3Click(); });
    connect(CheckBox2, &QCheckBox::toggled, this, [this] { CheckBox2Click(); });
    connect(CheckBox3, &QCheckBox::toggled, this, [this] { CheckBox3Click(); });
    connect(ComboBox3, &QComboBox::activated, this, &TForm1::ComboBox3Select);
    connect(AirflowCheck1, &QCheckBox::toggled, this, [this] { AirflowCheck1Click(); });
    connect(AreaUD, &UpDown::clicked, this, [this] { AreaUDClick(); });
    connect(DirUD, &UpDown::clicked, this, [this] { DirUDClick(); });
    connect(GapUD, &UpDown::clicked, this, [this] { GapUDClick(); });
    connect(UpDown1, &UpDown::clicked, this, [this] { UpDown1Click(); });
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
    connect(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Select);
    connect(ComboBox2, &QComboBox::activated, this, &TForm1::ComboBox2Select);
    connect(LabeledEdit1, &QLineEdit::textChanged, this, [this] { LabeledEdit1Change(); });
    connect(LabeledEdit2, &QLineEdit::textChanged, this, [this] { LabeledEdit2Change(); });
    connect(LabeledEdit3, &QLineEdit::textChanged, this, [this] { LabeledEdit3Change(); });
    // Typing into a credit box is one step until the box loses focus.
    for (QLineEdit* edit : {LabeledEdit1, LabeledEdit2, LabeledEdit3}) {
        connect(edit, &QLineEdit::editingFinished, this, [this] { ++creditSession_; });
        // Page Up and Page Down stay with the text there.
        edit->installEventFilter(this);
    }
}

void TForm1::buildMenu()
{
    menuBar()->setObjectName("MainMenu1");
    // New and Open; the saves and exports of the game; the pictures; the
    // default game; Exit.
    QMenu* f = fileMenu_ = menuBar()->addMenu("&File");
    New1 = menuItem(f, this, "New1", "&New", {}, &TForm1::New1Click);
    Open1 = menuItem(f, this, "Open1", "&Open .sna", QKeySequence(Qt::CTRL | Qt::Key_O), &TForm1::Open1Click);
    buildRecentMenu(f);
    f->addSeparator()->setObjectName("N4");
    SaveAs1 = menuItem(f, this, "SaveAs1", "&Save 48k .sna", QKeySequence(Qt::CTRL | Qt::Key_S), &TForm1::SaveAs1Click);
    S1 = menuItem(f, this, "S1", "S&ave 128k .sna", QKeySequence(Qt::CTRL | Qt::Key_A), &TForm1::S1Click);
    Importscr1 = menuItem(f, this, "Importscr1", "&Import .scr", QKeySequence(Qt::CTRL | Qt::Key_I),
                          &TForm1::Importscr1Click);
    Savetap1 = menuItem(f, this, "Savetap1", "Save .&tap", QKeySequence(Qt::CTRL | Qt::Key_T), &TForm1::Savetap1Click);
    SaveOther1 = menuItem(f, this, "SaveOther1", "Save in Another &Format...", {}, &TForm1::SaveOther1Click);
    f->addSeparator()->setObjectName("N5");
    ExportPicture1 = menuItem(f, this, "ExportPicture1", "Export Level &Picture...", {}, &TForm1::ExportPicture1Click);
    ExportAll1 = menuItem(f, this, "ExportAll1", "Export All Le&vels...", {}, &TForm1::ExportAll1Click);
    buildPacksMenu(f);
    f->addSeparator()->setObjectName("N3");
    UseDefault1 = menuItem(f, this, "UseDefault1", "Use as &Default Game...", {}, &TForm1::UseDefault1Click);
    UseSample1 = menuItem(f, this, "UseSample1", "Use the Sa&mple Game", {}, &TForm1::UseSample1Click);
    f->addSeparator()->setObjectName("N1");
    Exit1 = menuItem(f, this, "Exit1", "E&xit", QKeySequence(Qt::CTRL | Qt::Key_F4), &TForm1::Exit1Click);

    buildEditMenu();
    buildViewMenu();
    playMenu_ = new PlayMenu(*this, document_, *dialogs_, [this] { finishDrags(); });

    QMenu* about = menuBar()->addMenu("&About");
    About1 = about->addAction("&About...", this, &TForm1::About1Click);
    About1->setObjectName("About1");
}

void TForm1::buildEditMenu()
{
    editMenu_ = menuBar()->addMenu("&Edit");
    Undo1 = menuItem(editMenu_, this, "Undo1", "&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z), &TForm1::Undo1Click);
    Redo1 = menuItem(editMenu_, this, "Redo1", "&Redo", QKeySequence(Qt::CTRL | Qt::Key_Y), &TForm1::Redo1Click);
    Redo1->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    editMenu_->addSeparator()->setObjectName("N2");
    // The items name the step they would undo or redo.
    QUndoStack& history = document_.history();
    Undo1->setEnabled(false);
    Redo1->setEnabled(false);
    connect(&history, &QUndoStack::canUndoChanged, Undo1, &QAction::setEnabled);
    connect(&history, &QUndoStack::canRedoChanged, Redo1, &QAction::setEnabled);
    connect(&history, &QUndoStack::undoTextChanged, Undo1,
            [this](const QString& text) { Undo1->setText(text.isEmpty() ? "&Undo" : "&Undo " + text); });
    connect(&history, &QUndoStack::redoTextChanged, Redo1,
            [this](const QString& text) { Redo1->setText(text.isEmpty() ? "&Redo" : "&Redo " + text); });

    CopyLevel1 = menuItem(editMenu_, this, "CopyLevel1", "&Copy Level", QKeySequence(Qt::CTRL | Qt::Key_C),
         &TForm1::CopyLevel1Click);
    PasteLevel1 = menuItem(editMenu_, this, "PasteLevel1", "&Paste Level", QKeySequence(Qt::CTRL | Qt::Key_V),
         &TForm1::PasteLevel1Click);
    CopyBaddies1 = menuItem(editMenu_, this, "CopyBaddies1", "Copy &Enemies", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C),
         &TForm1::CopyBaddies1Click);
    PasteBaddies1 = menuItem(editMenu_, this, "PasteBaddies1", "Paste E&nemies", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V),
         &TForm1::PasteBaddies1Click);
    PasteLevel1->setEnabled(false);
    PasteBaddies1->setEnabled(false);
}

void TForm1::setTabOrder()
{
    QWidget* order[] = {UpDown1, CheckBox1, ComboBox1, ComboBox2, ComboBox3, bad[0], bad[1], bad[2], bad[3],
                        bad[4], bad[5], bad[6], CheckBox2, CheckBox3, UpDown2, UpDown3, AirflowCheck1, AreaUD,
                        DirUD, GapUD, LabeledEdit1, LabeledEdit3, LabeledEdit2};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
    for (TFastIMG* img : {LevDisp, FastIMG1})
        img->setFocusPolicy(Qt::NoFocus);
}

bool TForm1::event(QEvent* e)
{
    // A modal dialog or another window took the mouse: the release of a held
    // button will not come here.
    if (e->type() == QEvent::WindowBlocked || e->type() == QEvent::WindowDeactivate)
        finishDrags();
    return QMainWindow::event(e);
}

} // namespace zq
