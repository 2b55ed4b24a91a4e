// The file commands (open, the saves and exports, the screen import) and
// the level and enemy clipboards.

#include "app/MainForm.h"

#include "app/DefaultGame.h"
#include "app/FileIO.h"
#include "app/SaveChosenFile.h"
#include "app/GameFiles.h"
#include "app/UpDown.h"
#include "files/Clipboard.h"
#include "files/Screen.h"
#include "files/FileKind.h"
#include "files/Snapshot.h"
#include "files/SnapshotFormats.h"
#include "files/Tape.h"

#include <QAction>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace zq {

std::optional<QByteArray> TForm1::chooseAndRead(const QString& title, const QString& filter,
                                                bool (*acceptedSize)(std::uint64_t))
{
    const QString name = dialogs_->openFileName(title, filter, ".");
    if (name.isEmpty())
        return std::nullopt;
    return readShowingErrors(name, acceptedSize, *dialogs_);
}

namespace {

// The formats of "Save in Another Format", by their filters.
struct OtherFormat {
    const char* filter;
    FileKind kind;
};
constexpr OtherFormat kOtherFormats[] = {
    {"ZX Spectrum .z80 Snapshot (*.z80)", FileKind::Z80},
    {"ZX Spectrum .szx Snapshot (*.szx)", FileKind::Szx},
    {"ZX Spectrum TZX Tape (*.tzx)", FileKind::Tzx},
};

// The format of a name typed into "Save in Another Format": the one its
// extension names, else the one of the filter chosen.
FileKind otherFormatOf(const QString& name, qsizetype filterIndex)
{
    const FileKind named = kindFromName(name.toStdString());
    for (const OtherFormat& f : kOtherFormats)
        if (f.kind == named)
            return named;
    return kOtherFormats[std::clamp<qsizetype>(filterIndex, 0, std::size(kOtherFormats) - 1)].kind;
}

} // namespace

void TForm1::Open1Click()
{
    finishDrags();
    const QString name = dialogs_->openFileName("Open ZX Spectrum 48k / 128k Snapshot", kGameFileFilters, ".");
    if (!name.isEmpty())
        openFile(name);
}

void TForm1::openFile(const QString& name)
{
    finishDrags();
    // The signature is compared with the game held, as it always was: once
    // the user's own game is open, its snapshots open too.
    const std::optional<std::vector<std::uint8_t>> bytes = readGameFileOf(name, document_.image(), *dialogs_);
    if (!bytes)
        return;
    openImage(QStringLiteral("Open"), *bytes);
    document_.markSaved(QFileInfo(name).absoluteFilePath());
    recentFiles_.add(name);
}

void TForm1::openImage(const QString& stepName, std::span<const std::uint8_t> bytes)
{
    EditStep step(document_, stepName);
    openSnapshot(step.image(), bytes);
    resetLevelState();
    UpDown1->setPosition(0);
    fillCreditBoxes();
    Refresh();
}

void TForm1::UseDefault1Click()
{
    // A setting, not an edit: the game open stays as it is.
    finishDrags();
    const QString name = dialogs_->openFileName("Use as Default Game", kGameFileFilters, ".");
    if (name.isEmpty())
        return;
    const std::optional<std::vector<std::uint8_t>> bytes = readGameFile(name, *dialogs_);
    if (!bytes)
        return;
    // Any readable 48K image of the game will do, whatever its signature,
    // but its levels must fit before the enemy table.
    GameImage image;
    openSnapshot(image, *bytes);
    if (!levelRecordsFit(image)) {
        dialogs_->message("File is not a Zelquor snapshot");
        return;
    }
    defaultGame_.use(image.bytes());
    UseSample1->setEnabled(true);
    setStatusText(QStringLiteral("New and the next start use %1").arg(QFileInfo(name).fileName()));
}

void TForm1::UseSample1Click()
{
    finishDrags();
    defaultGame_.useSample();
    UseSample1->setEnabled(false);
    setStatusText(QStringLiteral("New and the next start use the sample game"));
}

QString TForm1::saveAs(const QString& title, const QString& filter, const char* extension,
                       std::span<const std::uint8_t> bytes)
{
    const QString chosen = dialogs_->saveFileName(title, filter, ".");
    return saveTo(chosen, extension, bytes);
}

QString TForm1::saveTo(const QString& chosen, const char* extension, std::span<const std::uint8_t> bytes)
{
    return saveChosenFile(*dialogs_, chosen, extension, bytes);
}

void TForm1::savedAs(const QString& name)
{
    if (name.isEmpty())
        return;
    document_.markSaved(QFileInfo(name).absoluteFilePath());
    recentFiles_.add(name);
}

void TForm1::SaveAs1Click()
{
    finishDrags();
    const std::vector<std::uint8_t> bytes = save48(document_.image());
    savedAs(saveAs("Save 48k Snapshot", "ZX 48k Snapshots (*.sna)", ".sna", bytes));
}

void TForm1::S1Click()
{
    // The ROM swap routine goes into the image with the file: only once the
    // file is written, so a failed export leaves the image as it was.
    finishDrags();
    GameImage patched = document_.image();
    writeRomSwapRoutine(patched);
    const std::vector<std::uint8_t> bytes = save128(patched);
    const QString name = saveAs("Save 128k Snapshot", "ZX 128k Snapshots (*.sna)", ".sna", bytes);
    if (!name.isEmpty()) {
        {
            EditStep step(document_, QStringLiteral("Save 128k .sna"));
            writeRomSwapRoutine(step.image());
        }
        savedAs(name);
    }
}

void TForm1::Savetap1Click()
{
    finishDrags();
    const std::vector<std::uint8_t> bytes = buildTape(document_.image(), document_.loadingScreen());
    savedAs(saveAs("Save ZX Spectrum Tape File", "ZX Spectrum Tape Files (*.tap)", ".tap", bytes));
}

void TForm1::SaveOther1Click()
{
    finishDrags();
    QStringList filters;
    for (const OtherFormat& f : kOtherFormats)
        filters << QString::fromLatin1(f.filter);
    QString selected;
    const QString chosen = dialogs_->saveFileName("Save in Another Format", filters.join(";;"), ".", &selected);
    if (chosen.isEmpty())
        return;
    const FileKind kind = otherFormatOf(chosen, filters.indexOf(selected));
    const GameImage& image = document_.image();
    const std::vector<std::uint8_t> bytes = kind == FileKind::Tzx
                                                ? tapeAsTzx(buildTape(image, document_.loadingScreen()))
                                                : encodeSnapshot(image.bytes(), kind);
    if (bytes.empty()) {
        dialogs_->error(QString::fromLatin1(kProgramTitle), QStringLiteral("The game could not be written in this format."));
        return;
    }
    savedAs(saveTo(chosen, std::string(extensionOf(kind)).c_str(), bytes));
}

void TForm1::Importscr1Click()
{
    finishDrags();
    const std::optional<QByteArray> file =
        chooseAndRead("Import ZX Spectrum Screen$ File", "ZX Spectrum Screen$ Files (*.scr)",
                      [](std::uint64_t size) { return acceptedScreenSize(size); });
    if (!file)
        return;
    EditStep step(document_, QStringLiteral("Import Screen"));
    importScreen(byteSpan(*file), step.loadingScreen(), step.image());
    Refresh();
}

void TForm1::CopyLevel1Click()
{
    copyLevel(document_.image(), state_.level.record, state_.levelClipboard);
    putLevelOnSystemClipboard();
    PasteLevel1->setEnabled(true);
}

void TForm1::PasteLevel1Click()
{
    finishDrags();
    const std::optional<LevelClipboard> other = levelFromSystemClipboard();
    EditStep step(document_, QStringLiteral("Paste Level"));
    pasteLevel(step.image(), state_.level.record, other ? *other : state_.levelClipboard, state_.codes);
    Refresh();
}

void TForm1::CopyBaddies1Click()
{
    copyEnemies(document_.image(), state_.level.levelIndex, state_.enemyClipboard);
    PasteBaddies1->setEnabled(true);
}

void TForm1::PasteBaddies1Click()
{
    if (!state_.enemyClipboard.full)
        return;
    finishDrags();
    EditStep step(document_, QStringLiteral("Paste Enemies"));
    pasteEnemies(step.image(), state_.level.levelIndex, state_.enemyClipboard);
    Refresh();
}

} // namespace zq
