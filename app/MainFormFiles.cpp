// The file commands (open, the saves and exports, the screen import) and
// the level and enemy clipboards.

#include "app/MainForm.h"

#include "app/FileIO.h"
#include "app/UpDown.h"
#include "files/Clipboard.h"
#include "files/Screen.h"
#include "files/Snapshot.h"
#include "files/Tape.h"

#include <QAction>
#include <QFileInfo>

namespace zq {

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
    finishDrags();
    const std::optional<QByteArray> file =
        chooseAndRead("Open ZX Spectrum 48k / 128k Snapshot", "ZX Spectrum 48k /128k Snapshots (*.sna)",
                      [](std::uint64_t size) { return acceptedSnapshotSize(size); });
    if (!file)
        return;
    const std::span<const std::uint8_t> bytes = byteSpan(*file);
    switch (checkSnapshot(std::uint64_t(bytes.size()), bytes, document_.image())) {
    case OpenCheck::WrongSize:
        dialogs_->message("File size incorrect");
        return;
    case OpenCheck::NotTheGame:
        dialogs_->message("File selected is not a Zelquor snapshot");
        return;
    case OpenCheck::Ok:
        break;
    }
    EditStep step(document_, QStringLiteral("Open"));
    openSnapshot(step.image(), bytes);
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
    finishDrags();
    const std::vector<std::uint8_t> bytes = save48(document_.image());
    saveAs("Save 48k Snapshot", "ZX 48k Snapshots (*.sna)", ".sna", bytes);
}

void TForm1::S1Click()
{
    // The ROM swap routine goes into the image with the file: only once the
    // file is written, so a failed export leaves the image as it was.
    finishDrags();
    GameImage patched = document_.image();
    writeRomSwapRoutine(patched);
    const std::vector<std::uint8_t> bytes = save128(patched);
    if (saveAs("Save 128k Snapshot", "ZX 128k Snapshots (*.sna)", ".sna", bytes)) {
        EditStep step(document_, QStringLiteral("Save 128k .sna"));
        writeRomSwapRoutine(step.image());
    }
}

void TForm1::Savetap1Click()
{
    finishDrags();
    const std::vector<std::uint8_t> bytes = buildTape(document_.image(), document_.loadingScreen());
    saveAs("Save ZX Spectrum Tape File", "ZX Spectrum Tape Files (*.tap)", ".tap", bytes);
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
    PasteLevel1->setEnabled(true);
}

void TForm1::PasteLevel1Click()
{
    finishDrags();
    EditStep step(document_, QStringLiteral("Paste Level"));
    pasteLevel(step.image(), state_.level.record, state_.levelClipboard, state_.codes);
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
