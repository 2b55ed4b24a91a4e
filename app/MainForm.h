#pragma once
// TForm1: the editor's main window, as wiring: the layout of its controls
// and menu, the control signals, and calls into the game document (the only
// writer of the game image, with the undo history), the mouse tools and the
// file commands. Every control shows a value read from the document; every
// handler that edits makes one edit step, then runs the refresh cycle.
//
// The window's code is split by what it does: MainFormLayout.cpp (controls,
// menu, tab order), MainFormRefresh.cpp (start, refresh cycle, level,
// colours, credits, undo), MainFormFiles.cpp (file and clipboard commands),
// MainFormEntities.cpp (enemy, item and bubble panel), MainFormAirflow.cpp
// (air-flow controls), MainFormMouse.cpp (the two image controls' tools),
// MainFormView.cpp (the View menu and the Levels window), MainFormPacks.cpp
// (level packs, POKE files, the comparison with another game and the system
// clipboard), MainFormSession.cpp (the title, Open Recent, the recovery of an
// unsaved game, level navigation keys). The Play menu and its window are
// app/PlayMenu's.

#include "app/DefaultGame.h"
#include "app/Dialogs.h"
#include "app/EditorState.h"
#include "app/GameDocument.h"
#include "app/MouseTools.h"
#include "app/RecentFiles.h"

#include <QMainWindow>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>
#include <span>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;

namespace zq {

class LevelsWindow;
class PlayMenu;
class PlayWindow;
class Recovery;
class TAboutBox;
class TFastIMG;
class UpDown;

class TForm1 : public QMainWindow, private ToolHost {
    Q_OBJECT
public:
    // dialogs: where file dialogs and messages go; null uses the real ones.
    explicit TForm1(std::unique_ptr<Dialogs> dialogs = nullptr, QWidget* parent = nullptr);
    ~TForm1() override;

    GameDocument& document() { return document_; }
    const GameDocument& document() const { return document_; }
    EditorState& state() { return state_; }
    const EditorState& state() const { return state_; }

    void setAboutBox(TAboutBox* about) { aboutBox_ = about; }
    const DefaultGame& defaultGame() const { return defaultGame_; }

    // Starts keeping a recovery file of the unsaved game in `folder`, and
    // offers to restore the newest one left by an editor that no longer
    // runs; true when one was restored. Without it (tests) the editor keeps
    // none.
    bool startRecovery(const QString& folder);
    Recovery* recovery() const { return recovery_.get(); }
    // Once the window shows the default game: recovery in `recoveryFolder`,
    // then the file the command line names (arguments as main() has them),
    // as from a file manager (zelquor-editor game.z80); after a restore that
    // file is only put in Open Recent.
    void startSession(const QStringList& arguments, const QString& recoveryFolder);

    // The refresh cycle: decodes the current level and brings every control
    // and both views up to date. It may run nested (see CheckBox1Click).
    void Refresh();
    // How many refresh cycles have run, nested ones included.
    int refreshCount() const { return refreshCount_; }

    // Handlers, named after their controls.
    void UpDown1Click();
    void CheckBox1Click();
    void ComboBox1Select(int index);
    void ComboBox2Select(int index);
    void LabeledEdit1Change();
    void LabeledEdit2Change();
    void LabeledEdit3Change();
    void New1Click();
    void Open1Click();
    void SaveAs1Click();
    void S1Click();
    void Importscr1Click();
    void Savetap1Click();
    void SaveOther1Click();
    void UseDefault1Click();
    void UseSample1Click();
    void ExportPicture1Click();
    void ExportAll1Click();
    // File > Level Packs and View > Compare With (MainFormPacks.cpp).
    void ExportGamePack1Click();
    void ExportChangesPack1Click();
    void ExportLevelPack1Click();
    void ApplyPack1Click();
    void ExportPokes1Click();
    void CompareWith1Click();
    void ClearComparison1Click();
    // Opens a game file of any kind as Open does after its dialog.
    void openFile(const QString& name);
    void Exit1Click();
    void Undo1Click();
    void Redo1Click();
    void CopyLevel1Click();
    void PasteLevel1Click();
    void CopyBaddies1Click();
    void PasteBaddies1Click();
    void About1Click();

    // The View menu.
    void AllLevels1Click();
    LevelsWindow* levelsWindow() const { return levelsWindow_; }
    // Shows a level as a click on the level number's up-down would.
    void goToLevel(int index);
    // Page Up / Page Down and Ctrl+G.
    void NextLevel1Click();
    void PreviousLevel1Click();
    void GoToLevel1Click();
    // File > Open Recent.
    void openRecent(const QString& name);
    void ClearRecent1Click();

    // The play window, once it has been opened from the Play menu.
    PlayWindow* playWindow() const;

    // Enemies, items and the special bubble.
    void badClick(int slot); // bad1Click..bad7Click for slots 0..6
    void UpDown2Click();
    void UpDown3Click();
    void CheckBox2Click();
    void CheckBox3Click();
    void ComboBox3Select(int index);

    // Air-flow controls.
    void AirflowCheck1Click();
    void AreaUDClick();
    void DirUDClick();
    void GapUDClick();

    // Level view and block pattern editor mouse handlers; (x, y) in control
    // pixels, possibly outside the control while a button is held.
    void LevDispMouseDown(int x, int y);
    void LevDispMouseMove(int x, int y);
    void LevDispMouseUp(int x, int y);
    void FastIMG1MouseDown(int x, int y);
    void FastIMG1MouseMove(int x, int y);
    void FastIMG1MouseUp(int x, int y);

    // The status bar's one simple text.
    void setStatusText(const QString& text) override;
    QString statusText() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // ToolHost
    EditorState& editorState() override { return state_; }
    int currentArea() const override;
    void levelRedraw() override;
    void patternRedraw() override;
    void refreshCycle() override { Refresh(); }
    void enemyPanelRefresh() override;

    EditMode editMode() const;
    MouseTool* levelTool();
    MouseTool* patternTool();
    // Ends a drag whose release will not come (a dialog took the mouse, the
    // window lost it), as the release would.
    void finishDrags();
    RenderTarget levelTarget() { return RenderTarget{document_.image(), state_.level, state_.codes, state_.levelPicture}; }

    // Compose with the overlays of the edit mode, then the air-flow controls
    // from the record it decoded.
    void composeLevel();
    void airflowControlsUpdate();
    void setAirflowControlsEnabled(bool enabled);

    void FormCreate();
    void buildControls();
    void connectControls();
    void buildMenu();
    void buildEditMenu();
    void buildViewMenu();
    void buildPacksMenu(QMenu* file);
    // The pack of the comparison's levels that differ, into the Levels
    // window's marks and title.
    // Marks the levels that differ from the comparison game (which must be
    // set), and returns the marks.
    std::array<bool, kLevelCount> updateComparison();
    bool exportPack(const QString& title, const std::string& text);
    // Copy Level's one-level pack on the system clipboard, and the level
    // another editor put there after it (nothing when none did).
    void putLevelOnSystemClipboard();
    std::optional<LevelClipboard> levelFromSystemClipboard() const;
    void buildLevelNavigation(QMenu* menu);
    void buildRecentMenu(QMenu* file);
    void fillRecentMenu();
    void updateTitle();
    // A file written by a save: the document is that file's now.
    void savedAs(const QString& name);
    bool offerLeftover();
    void setTabOrder();
    void creditChange(CreditField field, QLineEdit* edit);
    void storeAttribute(EditStep& step);
    void fillCreditBoxes();
    void fillCreditBoxesQuietly();
    void resetLevelState();
    void showRestored(const GameDocument::Restored& restored);
    // The open dialog, then the whole file when its size is accepted; a
    // wrong size or a system error is reported and gives nothing.
    std::optional<QByteArray> chooseAndRead(const QString& title, const QString& filter,
                                            bool (*acceptedSize)(std::uint64_t));
    // The save dialog, extension, overwrite question and atomic write shared
    // by the exports. Returns true when the file was written.
    // Both give the name of the file written, empty when nothing was.
    QString saveAs(const QString& title, const QString& filter, const char* extension,
                   std::span<const std::uint8_t> bytes);
    QString saveTo(const QString& chosen, const char* extension, std::span<const std::uint8_t> bytes);
    // The steps of an accepted open: the image, level 1, the credit boxes.
    void openImage(const QString& stepName, std::span<const std::uint8_t> bytes);

    // Refresh cycle hooks kept current by the enemy, item and bubble tools.
    void bubbleStateUpdate();
    void itemPlacementUpdate();

    DefaultGame defaultGame_;
    GameDocument document_;
    EditorState state_;
    RecentFiles recentFiles_;
    std::unique_ptr<Recovery> recovery_;
    std::unique_ptr<Dialogs> dialogs_;
    TAboutBox* aboutBox_ = nullptr;
    PlayMenu* playMenu_ = nullptr;
    LevelsWindow* levelsWindow_ = nullptr;
    int refreshCount_ = 0;
    bool restoring_ = false; // the refresh after an undo or redo writes nothing
    int creditSession_ = 0;  // typing in one credit box merges until it loses focus
    // The game of View > Compare With, and its file name.
    std::unique_ptr<GameImage> comparison_;
    QString comparisonName_;
    // The text Copy Level last put on the system clipboard: any other level
    // pack there came from another editor after it.
    QString copiedLevelText_;

    BlockDrawTool blockTool_{*this};
    EnemyMoveTool enemyTool_{*this};
    ItemMoveTool itemTool_{*this};
    AreaDrawTool areaTool_{*this};
    PatternDrawTool patternTool_{*this};
    std::unique_ptr<ToolStroke> levelStroke_;
    std::unique_ptr<ToolStroke> patternStroke_;

    // Controls (object names as the window declares them).
    TFastIMG* LevDisp = nullptr;
    UpDown* UpDown1 = nullptr;
    QLabel* StaticText2 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QLabel* StaticText1 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    TFastIMG* FastIMG1 = nullptr;
    QCheckBox* AirflowCheck1 = nullptr;
    UpDown* AreaUD = nullptr;
    QLabel* Label3 = nullptr;
    UpDown* DirUD = nullptr;
    QLabel* Label4 = nullptr;
    UpDown* GapUD = nullptr;
    QLabel* Label5 = nullptr;
    TFastIMG* BadIMG[7] = {};
    int shownEnemyType_[7] = {-1, -1, -1, -1, -1, -1, -1};
    UpDown* bad[7] = {};
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    UpDown* UpDown2 = nullptr;
    QLabel* StaticText3 = nullptr;
    UpDown* UpDown3 = nullptr;
    QLabel* StaticText4 = nullptr;
    QLineEdit* LabeledEdit1 = nullptr;
    QLineEdit* LabeledEdit2 = nullptr;
    QLineEdit* LabeledEdit3 = nullptr;
    QLabel* statusText_ = nullptr;

    QMenu* fileMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QAction* New1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QAction* S1 = nullptr;
    QAction* Importscr1 = nullptr;
    QAction* Savetap1 = nullptr;
    QAction* SaveOther1 = nullptr;
    QAction* UseDefault1 = nullptr;
    QAction* UseSample1 = nullptr;
    QAction* ExportPicture1 = nullptr;
    QAction* ExportAll1 = nullptr;
    QMenu* LevelPacks1 = nullptr;
    QAction* ExportGamePack1 = nullptr;
    QAction* ExportChangesPack1 = nullptr;
    QAction* ExportLevelPack1 = nullptr;
    QAction* ApplyPack1 = nullptr;
    QAction* ExportPokes1 = nullptr;
    QAction* CompareWith1 = nullptr;
    QAction* ClearComparison1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* OpenRecent1 = nullptr;
    QAction* ClearRecent1 = nullptr;
    QAction* NextLevel1 = nullptr;
    QAction* PreviousLevel1 = nullptr;
    QAction* GoToLevel1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;
    QAction* CopyLevel1 = nullptr;
    QAction* PasteLevel1 = nullptr;
    QAction* CopyBaddies1 = nullptr;
    QAction* PasteBaddies1 = nullptr;
    QAction* About1 = nullptr;
    QAction* AllLevels1 = nullptr;
};

} // namespace zq
