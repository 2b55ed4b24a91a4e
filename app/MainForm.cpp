#include "app/MainForm.h"

#include "app/AboutBox.h"
#include "app/FileIO.h"
#include "app/UpDown.h"
#include "entities/Bubbles.h"
#include "entities/Enemies.h"
#include "entities/Items.h"
#include "files/Clipboard.h"
#include "files/Screen.h"
#include "files/Snapshot.h"
#include "files/Tape.h"
#include "gfx/FastIMG.h"
#include "render/Renderer.h"
#include "tools/CanvasTools.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>

namespace zq {

namespace {

constexpr int kClientWidth = 665;
constexpr int kClientHeight = 525;
constexpr int kStatusHeight = 19;

// The colour boxes offer six inks and six papers; black and red ink, black
// and cyan paper have no item (-1 shows no selection).
int inkItem(int ink)
{
    switch (ink) {
    case 1: return 0;
    case 3: case 4: case 5: case 6: case 7: return ink - 2;
    default: return -1;
    }
}

int paperItem(int paper)
{
    switch (paper) {
    case 1: case 2: case 3: case 4: return paper - 1;
    case 6: case 7: return paper - 2;
    default: return -1;
    }
}

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

} // namespace

TForm1::TForm1(std::unique_ptr<Dialogs> dialogs, QWidget* parent)
    : QMainWindow(parent)
    , dialogs_(dialogs ? std::move(dialogs) : std::make_unique<QtDialogs>(this))
{
    setObjectName("Form1");
    setWindowTitle(QString::fromLatin1(kProgramTitle));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    QFont f = font();
    f.setPixelSize(10);
    setFont(f);

    buildControls();
    buildMenu();
    setTabOrder();
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());

    FormCreate();
}

TForm1::~TForm1() = default;

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
    AreaUD = upDown(client, "AreaUD", 528, 403, 0, 1, false);
    Label3 = label(client, "Label3", "Area", 552, 408, 38);
    DirUD = upDown(client, "DirUD", 592, 403, 0, 3, true);
    Label4 = label(client, "Label4", "Direction", 616, 408, 49);
    GapUD = upDown(client, "GapUD", 528, 435, 0, 11, false);
    GapUD->setPosition(1);
    Label5 = label(client, "Label5", "Gap Set", 552, 440, 105);

    for (int i = 0; i < 7; ++i) {
        const QByteArray imgName = "BadIMG" + QByteArray::number(i + 1);
        const QByteArray badName = "bad" + QByteArray::number(i + 1);
        BadIMG[i] = place(new TFastIMG(client), imgName.constData(), 8 + 40 * i, 400, 32, 32);
        BadIMG[i]->setDrawStyle(TDrawStyle::dsResize);
        bad[i] = upDown(client, badName.constData(), 16 + 40 * i, 435, 0, 16, true);
    }
    CheckBox2 = place(new QCheckBox("Edit Enemies", client), "CheckBox2", 304, 400, 89, 30);
    CheckBox3 = place(new QCheckBox("Edit Items", client), "CheckBox3", 304, 432, 89, 30);
    UpDown2 = upDown(client, "UpDown2", 408, 403, 0, 7, false);
    StaticText3 = label(client, "StaticText3", "Enemies Pattern", 432, 408, 92);
    UpDown3 = upDown(client, "UpDown3", 408, 435, 0, 255, false);
    StaticText4 = label(client, "StaticText4", "Burst Time", 432, 440, 92);

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
}

void TForm1::buildMenu()
{
    menuBar()->setObjectName("MainMenu1");
    fileMenu_ = menuBar()->addMenu("&File");
    New1 = fileMenu_->addAction("&New", this, &TForm1::New1Click);
    New1->setObjectName("New1");
    auto item = [this](QMenu* menu, QAction*& action, const char* name, const char* caption, QKeySequence key,
                       void (TForm1::*handler)()) {
        action = menu->addAction(QString::fromLatin1(caption), this, handler);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
    };
    item(fileMenu_, Open1, "Open1", "&Open .sna", QKeySequence(Qt::CTRL | Qt::Key_O), &TForm1::Open1Click);
    item(fileMenu_, SaveAs1, "SaveAs1", "&Save 48k .sna", QKeySequence(Qt::CTRL | Qt::Key_S), &TForm1::SaveAs1Click);
    item(fileMenu_, S1, "S1", "S&ave 128k .sna", QKeySequence(Qt::CTRL | Qt::Key_A), &TForm1::S1Click);
    item(fileMenu_, Importscr1, "Importscr1", "&Import .scr", QKeySequence(Qt::CTRL | Qt::Key_I),
         &TForm1::Importscr1Click);
    item(fileMenu_, Savetap1, "Savetap1", "Save .&tap", QKeySequence(Qt::CTRL | Qt::Key_T), &TForm1::Savetap1Click);
    fileMenu_->addSeparator()->setObjectName("N1");
    Exit1 = fileMenu_->addAction("E&xit", this, &TForm1::Exit1Click);
    Exit1->setObjectName("Exit1");
    Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));

    editMenu_ = menuBar()->addMenu("&Edit");
    item(editMenu_, CopyLevel1, "CopyLevel1", "&Copy Level", QKeySequence(Qt::CTRL | Qt::Key_C),
         &TForm1::CopyLevel1Click);
    item(editMenu_, PasteLevel1, "PasteLevel1", "&Paste Level", QKeySequence(Qt::CTRL | Qt::Key_V),
         &TForm1::PasteLevel1Click);
    item(editMenu_, CopyBaddies1, "CopyBaddies1", "Copy &Enemies", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C),
         &TForm1::CopyBaddies1Click);
    item(editMenu_, PasteBaddies1, "PasteBaddies1", "Paste E&nemies", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V),
         &TForm1::PasteBaddies1Click);
    PasteLevel1->setEnabled(false);
    PasteBaddies1->setEnabled(false);

    QMenu* about = menuBar()->addMenu("&About");
    About1 = about->addAction("&About...", this, &TForm1::About1Click);
    About1->setObjectName("About1");
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

void TForm1::FormCreate()
{
    EditorState& s = state_;
    s.image.loadDefault();
    s.loadingScreen = LoadingScreen::fromImage(s.image);
    s.levelPicture.SetSize(kLevelPictureWidth, kLevelPictureHeight, 32);
    s.patternPicture.SetSize(8, 8, 32);
    resetLevelState();
    s.levelClipboard = LevelClipboard{};
    s.enemyClipboard = EnemyClipboard{};
    s.codes = CellCodeTables{};
    LevDisp->Bmp().SetSize(LevDisp->width(), LevDisp->height(), 32);
    FastIMG1->Bmp().SetSize(FastIMG1->width(), FastIMG1->height(), 32);
    for (QWidget* w : std::initializer_list<QWidget*>{AreaUD, DirUD, Label3, Label4, GapUD, Label5})
        w->setEnabled(false);
    fillCreditBoxes();
    Refresh();
}

void TForm1::resetLevelState()
{
    EditorState& s = state_;
    s.level = CurrentLevel{};
    s.level.levelIndex = 0;
    s.level.record = LevelRecord{off::LevelRecords, false};
    s.level.attribute = 0;
    s.level.patternOffset = 0;
    s.spareCount = 0;
}

void TForm1::fillCreditBoxes()
{
    // Each fill that changes a box's text runs its change handler, which
    // writes the text back into the image.
    LabeledEdit1->setText(QString::fromStdU32String(readCreditText(state_.image, CreditField::Title)));
    LabeledEdit2->setText(QString::fromStdU32String(readCreditText(state_.image, CreditField::Author)));
    LabeledEdit3->setText(QString::fromStdU32String(readCreditText(state_.image, CreditField::Company)));
}

void TForm1::Refresh()
{
    ++refreshCount_;
    EditorState& s = state_;
    CurrentLevel& level = s.level;

    s.renderer.glyphMode.on = false;
    StaticText2->setText(QStringLiteral("Level %1").arg(level.levelIndex + 1));
    level.record = findLevelRecord(s.image, level.levelIndex);

    level.attributeOffset = attributeOffset(level.levelIndex);
    level.attribute = s.image.get(level.attributeOffset);
    const Attribute a = decodeAttribute(level.attribute);
    level.ink = a.ink;
    level.paper = a.paper;
    level.bigBorder = a.bigBorder;

    ComboBox1->setCurrentIndex(inkItem(level.ink));
    ComboBox2->setCurrentIndex(paperItem(level.paper));
    // A change of state runs CheckBox1Click, and with it a nested cycle.
    CheckBox1->setChecked(level.bigBorder == 128);

    level.patternOffset = patternOffset(level.levelIndex);

    bubbleStateUpdate();
    enemyPanelRefresh();
    itemPlacementUpdate();
    ComboBox3->setEnabled(bubbleChoiceEnabled(BubbleState{s.bubbleType, s.spareCount}));

    if (UpDown1->position() > 4)
        FastIMG1->setEnabled(false);
    else if (!AirflowCheck1->isChecked())
        FastIMG1->setEnabled(true);

    const bool ownsColours = level.levelIndex <= 14;
    ComboBox1->setEnabled(ownsColours);
    ComboBox2->setEnabled(ownsColours);
    CheckBox1->setEnabled(ownsColours);

    s.renderer.drawBorder(s.levelTarget());
    composeLevel();
    LevelRenderer::drawPatternPicture(s.image, level, s.patternPicture);
    LevelRenderer::showLevel(s.levelPicture, LevDisp->Bmp());
    LevDisp->Repaint();
    LevelRenderer::showPattern(s.patternPicture, FastIMG1->Bmp(), FastIMG1->isEnabled());
    FastIMG1->Repaint();

    Label3->setText(QStringLiteral("Area %1").arg(AreaUD->position() + 1));
}

void TForm1::setAirflowControlsEnabled(bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*>{AreaUD, DirUD, Label3, Label4, GapUD, Label5})
        w->setEnabled(enabled);
}

void TForm1::airflowDecodeStep()
{
    EditorState& s = state_;
    decodeAirflow(s.image, s.level.levelIndex, s.renderer.wallMap, s.airflow, s.flow);
    AreaUD->setMaximum(s.airflow.n);
    Label3->setText(QStringLiteral("Area %1").arg(AreaUD->position() + 1));
    // The selector ranges 0..11: a record's gap set 12 or above shows as 11.
    GapUD->setPosition(s.airflow.gapSet);
    Label5->setText(QStringLiteral("Gap Type %1").arg(GapUD->position() + 1));

    // The control states, in this order.
    const bool editing = AirflowCheck1->isChecked();
    if (editing) {
        FastIMG1->setEnabled(false);
        CheckBox2->setChecked(false);
        CheckBox3->setChecked(false);
        setAirflowControlsEnabled(true);
    } else {
        setAirflowControlsEnabled(false);
        if (s.level.levelIndex < 5)
            FastIMG1->setEnabled(true);
    }
    if (editing && s.airflow.shared) {
        setAirflowControlsEnabled(false);
        FastIMG1->setEnabled(false);
        CheckBox2->setChecked(false);
        CheckBox3->setChecked(false);
    }
    if (s.airflow.n == 0) {
        AreaUD->setEnabled(false);
        Label3->setEnabled(false);
    }
}

void TForm1::airflowOverlayStep()
{
    EditorState& s = state_;
    const RenderTarget target = s.levelTarget();
    drawAirflowOverlay(s.renderer, target, s.flow);
    if (!s.airflow.shared)
        drawAreaHighlight(s.renderer, target, s.airflow, AreaUD->position());
}

void TForm1::AirflowCheck1Click()
{
    if (AirflowCheck1->isChecked()) {
        FastIMG1->setEnabled(false);
        CheckBox2->setChecked(false);
        CheckBox3->setChecked(false);
        setAirflowControlsEnabled(true);
    } else {
        FastIMG1->setEnabled(true);
        setAirflowControlsEnabled(false);
    }
    Refresh();
}

void TForm1::AreaUDClick()
{
    const int area = AreaUD->position();
    DirUD->setPosition(state_.airflow.direction[std::size_t(area)]);
    Refresh();
}

void TForm1::DirUDClick()
{
    EditorState& s = state_;
    if (DirUD->isEnabled())
        s.airflow.direction[std::size_t(AreaUD->position())] = DirUD->position();
    encodeAirflow(s.image, s.airflow, GapUD->position());
    Refresh();
}

void TForm1::GapUDClick()
{
    Label5->setText(QStringLiteral("Gap Type %1").arg(GapUD->position() + 1));
    encodeAirflow(state_.image, state_.airflow, GapUD->position());
    Refresh();
}

void TForm1::composeLevel()
{
    EditorState& s = state_;
    const RenderTarget target = s.levelTarget();
    ComposeHooks hooks;
    hooks.editEnemies = CheckBox2->isChecked();
    hooks.editItems = CheckBox3->isChecked();
    hooks.editAirflow = AirflowCheck1->isChecked();
    hooks.enemyOverlay = [&s] { drawEnemyOverlay(s.levelPicture, s.enemies, s.level.ink); };
    hooks.itemOverlay = [&s] {
        drawItemOverlay(s.levelPicture, itemByte(s.image, s.level.levelIndex), s.itemPlacement);
    };
    hooks.airflowDecode = [this] { airflowDecodeStep(); };
    hooks.airflowOverlay = [this] { airflowOverlayStep(); };
    s.renderer.compose(target, hooks);
}

void TForm1::bubbleStateUpdate()
{
    EditorState& s = state_;
    const BubbleState bubble = bubbleState(s.image, s.level.levelIndex + 1);
    s.bubbleType = bubble.type;
    s.spareCount = bubble.spare;
    // A type outside 0..4 (a match among spare bytes) selects no item.
    ComboBox3->setCurrentIndex(bubble.type >= 0 && bubble.type <= kBubbleGroupCount ? bubble.type : -1);
}

void TForm1::enemyPanelRefresh()
{
    EditorState& s = state_;
    const int level = s.level.levelIndex;
    s.enemies = decodeEnemies(s.image, level);
    for (int i = 0; i < kEnemySlotCount; ++i) {
        const int type = s.enemies[std::size_t(i)].type;
        bad[i]->setPosition(type);
        BadIMG[i]->Bmp().LoadFromResource(enemyPictureName(type));
        BadIMG[i]->Repaint();
    }
    const int pattern = enemiesPattern(s.image, level);
    const int burst = burstTime(s.image, level);
    StaticText3->setText(QStringLiteral("Enemies Pattern %1").arg(pattern + 1));
    StaticText4->setText(QStringLiteral("Burst Time %1").arg(burst));
    UpDown2->setPosition(pattern);
    UpDown3->setPosition(burst);
    if (CheckBox2->isChecked()) {
        composeLevel();
        LevelRenderer::showLevel(s.levelPicture, LevDisp->Bmp());
        LevDisp->Repaint();
    }
}

void TForm1::itemPlacementUpdate()
{
    EditorState& s = state_;
    s.itemPlacement = itemPlacementState(s.image, s.level.levelIndex, s.level.record.mirrored);
}

void TForm1::badClick(int slot)
{
    EditorState& s = state_;
    stepEnemyType(s.image, s.level.levelIndex, slot, s.enemies[std::size_t(slot)].type, bad[slot]->position());
    enemyPanelRefresh();
}

void TForm1::UpDown2Click()
{
    setEnemiesPattern(state_.image, state_.level.levelIndex, UpDown2->position());
    Refresh();
}

void TForm1::UpDown3Click()
{
    setBurstTime(state_.image, state_.level.levelIndex, UpDown3->position());
    Refresh();
}

void TForm1::CheckBox2Click()
{
    if (CheckBox2->isChecked()) {
        CheckBox3->setChecked(false);
        AirflowCheck1->setChecked(false);
    }
    Refresh();
}

void TForm1::CheckBox3Click()
{
    if (CheckBox3->isChecked()) {
        CheckBox2->setChecked(false);
        AirflowCheck1->setChecked(false);
    }
    Refresh();
}

void TForm1::ComboBox3Select(int index)
{
    EditorState& s = state_;
    selectBubble(s.image, s.level.levelIndex + 1, index, BubbleState{s.bubbleType, s.spareCount});
    Refresh();
}

void TForm1::UpDown1Click()
{
    AreaUD->setPosition(0);
    state_.level.levelIndex = UpDown1->position();
    Refresh();
}

void TForm1::storeAttribute()
{
    const CurrentLevel& level = state_.level;
    state_.image.set(level.attributeOffset, encodeAttribute(level.paper, level.ink, level.bigBorder));
}

void TForm1::CheckBox1Click()
{
    state_.level.bigBorder = CheckBox1->isChecked() ? 128 : 0;
    storeAttribute();
    Refresh();
}

void TForm1::ComboBox1Select(int index)
{
    int ink = index + 1;
    if (ink > 1)
        ++ink;
    state_.level.ink = ink;
    storeAttribute();
    Refresh();
}

void TForm1::ComboBox2Select(int index)
{
    int paper = index + 1;
    if (paper > 4)
        ++paper;
    state_.level.paper = paper;
    storeAttribute();
    Refresh();
}

void TForm1::creditChange(CreditField field, QLineEdit* edit)
{
    writeCreditText(state_.image, field, edit->text().toStdU32String());
    Refresh();
}

void TForm1::LabeledEdit1Change()
{
    creditChange(CreditField::Title, LabeledEdit1);
}

void TForm1::LabeledEdit2Change()
{
    creditChange(CreditField::Author, LabeledEdit2);
}

void TForm1::LabeledEdit3Change()
{
    creditChange(CreditField::Company, LabeledEdit3);
}

void TForm1::New1Click()
{
    state_.image.loadDefault();
    state_.level.levelIndex = 0;
    UpDown1->setPosition(0);
    Refresh();
}

std::optional<QByteArray> TForm1::chooseAndRead(const QString& title, const QString& filter,
                                                bool (*acceptedSize)(std::uint64_t))
{
    const QString name = dialogs_->openFileName(title, filter, ".");
    if (name.isEmpty())
        return std::nullopt;
    FileRead file = readWholeFile(name, acceptedSize);
    if (file.status == FileRead::WrongSize) {
        dialogs_->message("File size incorrect");
        return std::nullopt;
    }
    if (file.status == FileRead::Failed) {
        dialogs_->error(QString::fromLatin1(kProgramTitle), file.error);
        return std::nullopt;
    }
    return std::move(file.bytes);
}

namespace {

std::span<const std::uint8_t> byteSpan(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), std::size_t(bytes.size())};
}

} // namespace

void TForm1::Open1Click()
{
    const std::optional<QByteArray> file =
        chooseAndRead("Open ZX Spectrum 48k / 128k Snapshot", "ZX Spectrum 48k /128k Snapshots (*.sna)",
                      [](std::uint64_t size) { return acceptedSnapshotSize(size); });
    if (!file)
        return;
    const std::span<const std::uint8_t> bytes = byteSpan(*file);
    switch (checkSnapshot(std::uint64_t(bytes.size()), bytes, state_.image)) {
    case OpenCheck::WrongSize:
        dialogs_->message("File size incorrect");
        return;
    case OpenCheck::NotTheGame:
        dialogs_->message("File selected is not a Zelquor snapshot");
        return;
    case OpenCheck::Ok:
        break;
    }
    openSnapshot(state_.image, bytes);
    resetLevelState();
    UpDown1->setPosition(0);
    fillCreditBoxes();
    Refresh();
}

bool TForm1::saveAs(const QString& title, const QString& filter, const char* extension,
                    std::span<const std::uint8_t> bytes)
{
    const QString chosen = dialogs_->saveFileName(title, filter, ".");
    const QString name = QString::fromStdString(forceExtension(chosen.toStdString(), extension));
    if (name == QLatin1String(extension))
        return false;
    const QFileInfo target(name);
    if (target.exists() || target.isSymLink()) {
        if (!dialogs_->question("Overwrite?", "File already exists. Overwrite?"))
            return false;
        // A folder, a device, a write-protected file or a file in a folder
        // that may not be changed (so it could not be deleted) is not replaced.
        if (!target.isFile() || !target.isWritable() || !QFileInfo(target.absolutePath()).isWritable()) {
            dialogs_->error("Error Saving Binary", "Could not overwrite your file.");
            return false;
        }
    }
    const QString failure = writeWholeFile(name, bytes);
    if (!failure.isEmpty()) {
        dialogs_->error(QString::fromLatin1(kProgramTitle), failure);
        return false;
    }
    return true;
}

void TForm1::SaveAs1Click()
{
    const std::vector<std::uint8_t> bytes = save48(state_.image);
    saveAs("Save 48k Snapshot", "ZX 48k Snapshots (*.sna)", ".sna", bytes);
}

void TForm1::S1Click()
{
    // The ROM swap routine goes into the image with the file: only once the
    // file is written, so a failed export leaves the image as it was.
    GameImage patched = state_.image;
    writeRomSwapRoutine(patched);
    const std::vector<std::uint8_t> bytes = save128(patched);
    if (saveAs("Save 128k Snapshot", "ZX 128k Snapshots (*.sna)", ".sna", bytes))
        writeRomSwapRoutine(state_.image);
}

void TForm1::Savetap1Click()
{
    const std::vector<std::uint8_t> bytes = buildTape(state_.image, state_.loadingScreen);
    saveAs("Save ZX Spectrum Tape File", "ZX Spectrum Tape Files (*.tap)", ".tap", bytes);
}

void TForm1::Importscr1Click()
{
    const std::optional<QByteArray> file =
        chooseAndRead("Import ZX Spectrum Screen$ File", "ZX Spectrum Screen$ Files (*.scr)",
                      [](std::uint64_t size) { return acceptedScreenSize(size); });
    if (!file)
        return;
    importScreen(byteSpan(*file), state_.loadingScreen, state_.image);
    Refresh();
}

void TForm1::CopyLevel1Click()
{
    copyLevel(state_.image, state_.level.record, state_.levelClipboard);
    PasteLevel1->setEnabled(true);
}

void TForm1::PasteLevel1Click()
{
    pasteLevel(state_.image, state_.level.record, state_.levelClipboard, state_.codes);
    Refresh();
}

void TForm1::CopyBaddies1Click()
{
    copyEnemies(state_.image, state_.level.levelIndex, state_.enemyClipboard);
    PasteBaddies1->setEnabled(true);
}

void TForm1::PasteBaddies1Click()
{
    if (!state_.enemyClipboard.full)
        return;
    pasteEnemies(state_.image, state_.level.levelIndex, state_.enemyClipboard);
    Refresh();
}

void TForm1::Exit1Click()
{
    close();
}

void TForm1::setStatusText(const QString& text)
{
    statusText_->setText(text);
}

QString TForm1::statusText() const
{
    return statusText_->text();
}

bool TForm1::blockDrawingMode() const
{
    return !CheckBox2->isChecked() && !CheckBox3->isChecked() && !AirflowCheck1->isChecked();
}

void TForm1::levelRedraw()
{
    EditorState& s = state_;
    const RenderTarget target = s.levelTarget();
    s.renderer.drawBorder(target);
    s.renderer.drawGrid(target);
    LevelRenderer::showLevel(s.levelPicture, LevDisp->Bmp());
    LevDisp->Repaint();
}

void TForm1::patternRedraw()
{
    EditorState& s = state_;
    const RenderTarget target = s.levelTarget();
    s.renderer.drawBorder(target);
    s.renderer.drawGrid(target);
    LevelRenderer::drawPatternPicture(s.image, s.level, s.patternPicture);
    LevelRenderer::showLevel(s.levelPicture, LevDisp->Bmp());
    LevDisp->Repaint();
    LevelRenderer::showPattern(s.patternPicture, FastIMG1->Bmp(), FastIMG1->isEnabled());
    FastIMG1->Repaint();
}

void TForm1::LevDispMouseDown(int x, int y)
{
    EditorState& s = state_;
    s.canvasDrag = DragClearing;
    if (blockDrawingMode()) {
        s.canvasDrag = BlockTool::press(s.image, s.level.record, s.codes, x, y);
        levelRedraw();
    }
    if (CheckBox2->isChecked()) {
        s.selectedEnemy = selectEnemy(s.enemies, x, y, s.selectedEnemy);
        setStatusText(QStringLiteral("Enemy Number %1").arg(s.selectedEnemy + 1));
    }
    if (AirflowCheck1->isChecked() && !s.airflow.shared) {
        s.areaTool.press(s.airflow, AreaUD->position(), x, y);
        encodeAirflow(s.image, s.airflow, GapUD->position());
        Refresh();
    }
}

void TForm1::LevDispMouseMove(int x, int y)
{
    EditorState& s = state_;
    if (blockDrawingMode()) {
        BlockTool::drag(s.image, s.level.record, s.codes, s.canvasDrag, x, y);
        if (s.canvasDrag != DragNone)
            levelRedraw();
    }
    if (CheckBox2->isChecked() && s.canvasDrag == DragClearing) {
        if (moveEnemy(s.image, s.level.levelIndex, s.enemies, s.selectedEnemy, x, y)) {
            setStatusText(QString(13, QLatin1Char(' ')));
            setStatusText(QStringLiteral("Enemy Number %1").arg(s.selectedEnemy + 1));
            enemyPanelRefresh();
        }
    }
    if (CheckBox3->isChecked() && s.canvasDrag == DragClearing) {
        moveItem(s.image, s.level.levelIndex, s.itemPlacement, x, y);
        Refresh();
    }
    if (AirflowCheck1->isChecked() && s.canvasDrag == DragClearing && !s.airflow.shared) {
        s.areaTool.resize(s.airflow, AreaUD->position(), x, y);
        encodeAirflow(s.image, s.airflow, GapUD->position());
        Refresh();
    }
}

void TForm1::LevDispMouseUp(int, int)
{
    state_.canvasDrag = DragNone;
    setStatusText(QString(13, QLatin1Char(' ')));
}

void TForm1::FastIMG1MouseDown(int x, int y)
{
    if (CheckBox2->isChecked() || CheckBox3->isChecked())
        return;
    EditorState& s = state_;
    s.patternDrag = PatternTool::press(s.image, s.level.patternOffset, x, y);
    patternRedraw();
}

void TForm1::FastIMG1MouseMove(int x, int y)
{
    EditorState& s = state_;
    PatternTool::drag(s.image, s.level.patternOffset, s.patternDrag, x, y);
    if (s.patternDrag != DragNone)
        patternRedraw();
}

void TForm1::FastIMG1MouseUp(int, int)
{
    state_.patternDrag = DragNone;
}

void TForm1::About1Click()
{
    if (aboutBox_)
        aboutBox_->showOver(this);
}

} // namespace zq
