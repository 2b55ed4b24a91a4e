#include "cli/Inputs.h"

#include "cli/FileAccess.h"
#include "emu/Rom.h"
#include "emu/TapeLoader.h"
#include "files/FileKind.h"
#include "files/Screen.h"
#include "files/Snapshot.h"
#include "files/SnapshotFormats.h"

namespace zq::cli {

namespace {

// Reads a whole file whose size is accepted, reporting a wrong size as the
// editor does ("File size incorrect") and any system error as it stands.
bool readAccepted(const std::string& name, const std::function<bool(std::uint64_t)>& acceptedSize,
                  const char* sizeNote, ReadResult& read)
{
    read = readWholeFile(name, acceptedSize);
    if (read.status == ReadResult::WrongSize) {
        printError(name + ": File size incorrect" + sizeNote);
        return false;
    }
    if (read.status != ReadResult::Ok) {
        printError(read.error);
        return false;
    }
    return true;
}

bool loadTape(const std::string& name, const Parsed& p, std::span<const std::uint8_t> tape, FileKind kind,
              std::vector<std::uint8_t>& image)
{
    std::vector<std::uint8_t> rom;
    if (!loadRom(p, rom))
        return false;
    emu::TapeLoader loader;
    auto status = loader.start(rom, tape, kind);
    while (status == emu::TapeLoader::Status::Running)
        status = loader.step(1000);
    if (status != emu::TapeLoader::Status::Done) {
        printError(name + ": " + loader.message());
        return false;
    }
    image = loader.image();
    return true;
}

// The bytes the editor's checks apply to: a .sna file as it stands, or the
// 49179-byte image of any other kind.
bool readCandidate(const std::string& name, const Parsed& p, std::vector<std::uint8_t>& bytes)
{
    FileKind kind = kindFromName(name);
    ReadResult read;
    const char* note = kind == FileKind::Sna ? "" : " (over 4 MiB)";
    if (!readAccepted(name, [kind](std::uint64_t size) { return acceptedOpenSize(kind, size); }, note, read))
        return false;
    // libspectrum would try to decompress it, and never return from a
    // truncated bzip2 stream.
    if (kind != FileKind::Sna && isCompressed(read.bytes)) {
        printError(name + ": File is not a ZX Spectrum snapshot or tape (a compressed file)");
        return false;
    }
    if (kind == FileKind::Unknown) {
        kind = identifyKind(name, read.bytes);
        if (kind == FileKind::Unknown) {
            printError(name + ": not a snapshot or tape file (.sna, .z80, .szx, .tap, .tzx)");
            return false;
        }
        if (kind == FileKind::Sna && !acceptedSnapshotSize(read.bytes.size())) {
            printError(name + ": File size incorrect");
            return false;
        }
    }
    if (kind == FileKind::Sna) {
        bytes = std::move(read.bytes);
        return true;
    }
    if (isTape(kind))
        return loadTape(name, p, read.bytes, kind, bytes);
    DecodedImage decoded = decodeSnapshot(read.bytes, kind);
    if (!decoded.ok()) {
        printError(name + ": " + decoded.error);
        return false;
    }
    bytes = std::move(decoded.image);
    return true;
}

} // namespace

bool loadReferenceImage(const Parsed& p, GameImage& reference)
{
    if (!p.has("--game")) {
        if (reference.loadDefault())
            return true;
        printError("this build carries no default game image to check snapshots against");
        return false;
    }
    std::vector<std::uint8_t> bytes;
    if (!readCandidate(p.value("--game"), p, bytes))
        return false;
    return openSnapshot(reference, bytes);
}

bool loadRom(const Parsed& p, std::vector<std::uint8_t>& rom)
{
    const std::string path = p.has("--rom") ? p.value("--rom") : std::string(emu::kOpenSeRomPath);
    rom = emu::readRomFile(path);
    if (rom.empty()) {
        printError(path + ": cannot read a 16384-byte ROM" +
                   (p.has("--rom") ? std::string() : std::string(" (install opense-basic, or give --rom FILE)")));
        return false;
    }
    return true;
}

bool loadImage(const std::string& name, const Parsed& p, GameImage& image)
{
    GameImage reference;
    return loadReferenceImage(p, reference) && loadImage(name, p, reference, image);
}

bool loadImage(const std::string& name, const Parsed& p, const GameImage& reference, GameImage& image)
{
    std::vector<std::uint8_t> bytes;
    if (!readCandidate(name, p, bytes))
        return false;
    switch (checkSnapshot(bytes.size(), bytes, reference)) {
    case OpenCheck::Ok:
        break;
    case OpenCheck::WrongSize:
        printError(name + ": File size incorrect");
        return false;
    case OpenCheck::NotTheGame:
        printError(name + ": File selected is not a Zelquor snapshot");
        return false;
    }
    return openSnapshot(image, bytes);
}

bool loadRunState(const std::string& name, RunState& state)
{
    ReadResult read;
    if (!readAccepted(name, acceptedForOpen, " (over 4 MiB)", read))
        return false;
    const std::string error = decodeRunState(read.bytes, kindFromName(name), state);
    if (!error.empty()) {
        printError(name + ": " + error);
        return false;
    }
    return true;
}

bool loadScreen(const std::string& name, std::vector<std::uint8_t>& screen)
{
    ReadResult read;
    if (!readAccepted(name, acceptedScreenSize, "", read))
        return false;
    screen = std::move(read.bytes);
    return true;
}

int writeOutput(const std::string& name, std::span<const std::uint8_t> bytes)
{
    const std::string error = writeFileAtomically(name, bytes);
    if (!error.empty()) {
        printError(error);
        return kFailure;
    }
    return kSuccess;
}

} // namespace zq::cli
