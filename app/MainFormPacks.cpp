// File > Level Packs (the whole game, its changes, one level, Apply, POKE
// files), View > Compare With and Clear Comparison, and the level on the
// system clipboard. What a pack holds, applies or refuses is the core's
// (pack/); this is the wiring.

#include "app/MainForm.h"

#include "app/FileIO.h"
#include "app/GameFiles.h"
#include "app/LevelsWindow.h"
#include "app/UpDown.h"
#include "files/Snapshot.h"
#include "pack/GameDiff.h"
#include "pack/LevelPack.h"
#include "pack/PackApply.h"
#include "pack/PackClipboard.h"
#include "pack/PackJson.h"
#include "pack/PokeFile.h"

#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>

#include <algorithm>

namespace zq {

namespace {

constexpr const char* kPackFilter = "Zelquor Level Packs (*.zqpack)";
constexpr const char* kApplyTitle = "Apply Level Pack";

std::span<const std::uint8_t> textBytes(const std::string& text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

QString levelCount(std::size_t count)
{
    return count == 1 ? QStringLiteral("1 level") : QStringLiteral("%1 levels").arg(count);
}

} // namespace

void TForm1::buildPacksMenu(QMenu* file)
{
    LevelPacks1 = file->addMenu("Level Pac&ks");
    LevelPacks1->setObjectName("LevelPacks1");
    const auto item = [this](const char* name, const char* caption, void (TForm1::*handler)()) {
        QAction* action = LevelPacks1->addAction(QString::fromLatin1(caption), this, handler);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    ExportGamePack1 = item("ExportGamePack1", "Export &Whole Game...", &TForm1::ExportGamePack1Click);
    ExportChangesPack1 = item("ExportChangesPack1", "Export &Changes...", &TForm1::ExportChangesPack1Click);
    ExportLevelPack1 = item("ExportLevelPack1", "Export This &Level...", &TForm1::ExportLevelPack1Click);
    LevelPacks1->addSeparator();
    ApplyPack1 = item("ApplyPack1", "&Apply...", &TForm1::ApplyPack1Click);
    LevelPacks1->addSeparator();
    ExportPokes1 = item("ExportPokes1", "Export as &POKEs...", &TForm1::ExportPokes1Click);

    // The comparison follows every change of the document; Paste Level is
    // offered as soon as another editor puts a level on the system clipboard.
    connect(&document_, &GameDocument::changed, this, [this] {
        if (comparison_)
            updateComparison();
    });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        // Every copy anywhere comes here: only what names a level pack is
        // read.
        const QString text = QGuiApplication::clipboard()->text();
        const QLatin1String format(kPackFormatName.data(), qsizetype(kPackFormatName.size()));
        if (text.size() <= qsizetype(kMaxPackSize) && text.contains(format) && text != copiedLevelText_ &&
            levelFromClipboardText(text.toStdString(), document_.image()))
            PasteLevel1->setEnabled(true);
    });
}

bool TForm1::exportPack(const QString& title, const std::string& text)
{
    finishDrags();
    return !saveAs(title, kPackFilter, kPackExtension, textBytes(text)).isEmpty();
}

void TForm1::ExportGamePack1Click()
{
    exportPack("Export Whole Game", writePackJson(wholeGamePack(document_.image())));
}

void TForm1::ExportChangesPack1Click()
{
    // The game the packs of changes and the POKE files are made against.
    const GameImage& base = defaultGame().image();
    if (sameGameData(document_.image(), base)) {
        dialogs_->message("The game has no changes against the default game: there is nothing to export.");
        return;
    }
    exportPack("Export Changes", writePackJson(changesPack(document_.image(), base)));
}

void TForm1::ExportLevelPack1Click()
{
    exportPack(QStringLiteral("Export Level %1").arg(state_.level.levelIndex + 1),
               writePackJson(singleLevelPack(document_.image(), state_.level.levelIndex)));
}

void TForm1::ApplyPack1Click()
{
    finishDrags();
    const QString name = dialogs_->openFileName(kApplyTitle, kPackFilter, ".");
    if (name.isEmpty())
        return;
    const QString shown = QFileInfo(name).fileName();
    const FileRead read = readWholeFile(name, [](std::uint64_t size) { return size <= kMaxPackSize; });
    if (read.status == FileRead::Failed) {
        dialogs_->error(QString::fromLatin1(kProgramTitle), read.error);
        return;
    }
    const auto refuse = [&](const std::string& why) {
        dialogs_->error(kApplyTitle, QStringLiteral("%1 was not applied: %2.").arg(shown, QString::fromStdString(why)));
    };
    if (read.status == FileRead::WrongSize)
        return refuse("the level pack is larger than 4 MiB");
    const PackReadResult pack = readPackJson({read.bytes.constData(), std::size_t(read.bytes.size())});
    if (!pack.pack)
        return refuse(pack.error);
    GameImage staged = document_.image();
    const PackApplyResult result = applyPack(staged, *pack.pack);
    if (!result.applied)
        return refuse(result.error);
    {
        // One step, named after the file, that shows the first level it changed.
        EditStep step(document_, "Apply " + shown);
        step.image().assign(staged.bytes());
        if (!result.changedLevels.empty()) {
            UpDown1->setPosition(result.changedLevels.front());
            UpDown1Click();
        }
        if (result.creditsChanged)
            fillCreditBoxesQuietly();
        Refresh();
    }
    QString status = result.changedLevels.empty() && !result.creditsChanged
                         ? QStringLiteral("Applied %1: nothing changed").arg(shown)
                         : QStringLiteral("Applied %1: %2 changed").arg(shown, levelCount(result.changedLevels.size()));
    if (!pack.unknownKeys.empty())
        status += ". " + QString::fromStdString(unknownKeysWarning(pack.unknownKeys));
    setStatusText(status);
}

void TForm1::ExportPokes1Click()
{
    finishDrags();
    const std::vector<Poke> pokes = gameDataPokes(document_.image(), defaultGame().image());
    if (pokes.empty()) {
        dialogs_->message("The game has no changes against the default game: there are no POKEs to write.");
        return;
    }
    const QString chosen = dialogs_->saveFileName("Export as POKEs", "POKE Files (*.pok)", ".");
    if (chosen.isEmpty())
        return;
    const std::string name = trainerName(QFileInfo(chosen).completeBaseName().section('.', 0, 0).toStdString());
    saveTo(chosen, ".pok", textBytes(pokeFileText(name, pokes)));
}

void TForm1::CompareWith1Click()
{
    finishDrags();
    const QString name = dialogs_->openFileName("Compare With", kGameFileFilters, ".");
    if (name.isEmpty())
        return;
    const std::optional<std::vector<std::uint8_t>> bytes = readGameFileOf(name, document_.image(), *dialogs_);
    if (!bytes)
        return;
    comparison_ = std::make_unique<GameImage>();
    openSnapshot(*comparison_, *bytes);
    comparisonName_ = QFileInfo(name).fileName();
    ClearComparison1->setEnabled(true);
    AllLevels1Click();
    const std::array<bool, kLevelCount> marks = updateComparison();
    const std::size_t count = std::size_t(std::count(marks.begin(), marks.end(), true));
    QString status = QStringLiteral("%1 %2 from %3")
                         .arg(count ? levelCount(count) : QStringLiteral("No level"), count <= 1 ? "differs" : "differ")
                         .arg(comparisonName_);
    if (!sameGameData(document_.image(), *comparison_) && count == 0)
        status += QStringLiteral("; the credits or the game-wide tables do");
    setStatusText(status);
}

std::array<bool, kLevelCount> TForm1::updateComparison()
{
    const std::array<bool, kLevelCount> marks = differingLevels(document_.image(), *comparison_);
    if (levelsWindow_)
        levelsWindow_->showComparison(comparisonName_, marks);
    return marks;
}

void TForm1::ClearComparison1Click()
{
    comparison_.reset();
    comparisonName_.clear();
    ClearComparison1->setEnabled(false);
    if (levelsWindow_)
        levelsWindow_->showComparison({}, {});
    setStatusText({});
}

} // namespace zq

namespace zq {

void TForm1::putLevelOnSystemClipboard()
{
    copiedLevelText_ = QString::fromStdString(levelClipboardText(document_.image(), state_.level.levelIndex));
    QGuiApplication::clipboard()->setText(copiedLevelText_);
}

std::optional<LevelClipboard> TForm1::levelFromSystemClipboard() const
{
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty() || text == copiedLevelText_)
        return std::nullopt;
    return levelFromClipboardText(text.toStdString(), document_.image());
}

} // namespace zq
