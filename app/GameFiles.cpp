#include "app/GameFiles.h"

#include "app/Dialogs.h"
#include "app/FileIO.h"
#include "app/RomSetting.h"
#include "emu/TapeLoader.h"
#include "files/FileKind.h"
#include "files/Snapshot.h"
#include "files/SnapshotFormats.h"

#include <span>

namespace zq {

namespace {

// A trapped load takes a few slices, one on the tape's edges a few hundred:
// each is short enough for Cancel to answer at once.
constexpr int kFramesPerSlice = 50;

void notReadable(Dialogs& dialogs)
{
    dialogs.message("File is not a ZX Spectrum snapshot or tape");
}

std::optional<std::vector<std::uint8_t>> loadTape(std::span<const std::uint8_t> tape, FileKind kind, Dialogs& dialogs)
{
    QString problem;
    const std::vector<std::uint8_t> rom = readRom(currentRom(), &problem);
    if (rom.empty()) {
        dialogs.message(problem);
        return std::nullopt;
    }
    emu::TapeLoader loader;
    if (loader.start(rom, tape, kind) == emu::TapeLoader::Status::Failed) {
        notReadable(dialogs);
        return std::nullopt;
    }
    const bool finished = dialogs.progress(QString::fromLatin1(kProgramTitle), "Loading the tape...", [&](double& done) {
        const bool running = loader.step(kFramesPerSlice) == emu::TapeLoader::Status::Running;
        done = loader.progress();
        return running;
    });
    if (!finished)
        return std::nullopt;
    if (loader.status() != emu::TapeLoader::Status::Done) {
        dialogs.message("The tape did not start the game");
        return std::nullopt;
    }
    return loader.image();
}

} // namespace

std::optional<QByteArray> readShowingErrors(const QString& name, const std::function<bool(std::uint64_t)>& acceptedSize,
                                            Dialogs& dialogs)
{
    FileRead file = readWholeFile(name, acceptedSize);
    if (file.status == FileRead::WrongSize) {
        dialogs.message("File size incorrect");
        return std::nullopt;
    }
    if (file.status == FileRead::Failed) {
        dialogs.error(QString::fromLatin1(kProgramTitle), file.error);
        return std::nullopt;
    }
    return std::move(file.bytes);
}

std::optional<std::vector<std::uint8_t>> readGameFile(const QString& name, Dialogs& dialogs)
{
    FileKind kind = kindFromName(name.toStdString());
    const FileKind sizeKind = kind == FileKind::Unknown ? FileKind::Tap : kind;
    const std::optional<QByteArray> file =
        readShowingErrors(name, [sizeKind](std::uint64_t size) { return acceptedOpenSize(sizeKind, size); }, dialogs);
    if (!file)
        return std::nullopt;
    const std::span<const std::uint8_t> bytes = byteSpan(*file);
    if (kind == FileKind::Unknown && acceptedSnapshotSize(bytes.size()))
        kind = FileKind::Sna;
    // Everything but a .sna goes to libspectrum, which must never see a
    // compressed file (it may never return from one).
    if (kind != FileKind::Sna && isCompressed(bytes)) {
        notReadable(dialogs);
        return std::nullopt;
    }
    // A name without a known extension: whatever libspectrum makes of its
    // contents.
    if (kind == FileKind::Unknown)
        kind = identifyKind(name.toStdString(), bytes);
    switch (kind) {
    case FileKind::Sna:
        if (!acceptedSnapshotSize(bytes.size())) {
            dialogs.message("File size incorrect");
            return std::nullopt;
        }
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    case FileKind::Z80:
    case FileKind::Szx: {
        DecodedImage decoded = decodeSnapshot(bytes, kind);
        if (!decoded.ok()) {
            notReadable(dialogs);
            return std::nullopt;
        }
        return std::move(decoded.image);
    }
    case FileKind::Tap:
    case FileKind::Tzx: return loadTape(bytes, kind, dialogs);
    case FileKind::Unknown: break;
    }
    dialogs.message("File size incorrect");
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> readGameFileOf(const QString& name, const GameImage& held, Dialogs& dialogs)
{
    std::optional<std::vector<std::uint8_t>> bytes = readGameFile(name, dialogs);
    if (!bytes)
        return std::nullopt;
    switch (checkSnapshot(std::uint64_t(bytes->size()), *bytes, held)) {
    case OpenCheck::WrongSize:
        dialogs.message("File size incorrect");
        return std::nullopt;
    case OpenCheck::NotTheGame:
        dialogs.message("File selected is not a Zelquor snapshot");
        return std::nullopt;
    case OpenCheck::Ok:
        break;
    }
    return bytes;
}

} // namespace zq
