#include "cli/PackCommands.h"

#include "cli/FileAccess.h"
#include "cli/ImageCommands.h"
#include "cli/Inputs.h"
#include "files/FileKind.h"
#include "pack/GameDiff.h"
#include "pack/LevelPack.h"
#include "pack/PackApply.h"
#include "pack/PackJson.h"
#include "pack/PokeFile.h"

#include <cstdio>
#include <filesystem>

namespace zq::cli {

namespace {

// diff's exit statuses, as diff(1) has them.
constexpr int kSame = 0;
constexpr int kDiffers = 1;
constexpr int kTrouble = 2;

std::span<const std::uint8_t> textBytes(const std::string& text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

bool writeStdout(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        printError("cannot write to the standard output");
        return false;
    }
    return true;
}

// A pack file read and checked; reports and gives nothing when refused.
// The pack, or nothing with `status` set: a file that cannot be read is a
// file error, a pack refused a usage error.
std::optional<LevelPack> loadPack(const std::string& name, int& status)
{
    status = kUsage;
    const ReadResult read = readWholeFile(name, [](std::uint64_t size) { return size <= kMaxPackSize; });
    if (read.status == ReadResult::WrongSize) {
        printError(name + ": not applied: the level pack is larger than 4 MiB");
        return std::nullopt;
    }
    if (read.status != ReadResult::Ok) {
        printError(read.error);
        status = kFailure;
        return std::nullopt;
    }
    PackReadResult pack = readPackJson({reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size()});
    if (!pack.pack) {
        printError(name + ": not applied: " + pack.error);
        return std::nullopt;
    }
    if (!pack.unknownKeys.empty())
        printError(name + ": warning: " + unknownKeysWarning(pack.unknownKeys));
    return std::move(pack.pack);
}

} // namespace

int runPack(const Parsed& p)
{
    if (p.has("--changes") && p.has("--level")) {
        printError("pack: give at most one of --changes and --level");
        return kUsage;
    }
    int level = 0;
    if (p.has("--level") && !parseNumber(p.value("--level"), 1, kLevelCount, level)) {
        printError("pack: the level must be a number from 1 to " + std::to_string(kLevelCount) + ", not '" +
                   p.value("--level") + "'");
        return kUsage;
    }
    GameImage base, image;
    if (!loadReferenceImage(p, base) || !loadImage(p.positional[0], p, base, image))
        return kFailure;
    LevelPack pack;
    if (p.has("--changes")) {
        pack = changesPack(image, base);
    } else {
        pack = level ? singleLevelPack(image, level - 1) : wholeGamePack(image);
    }
    return writeOutput(p.positional[1], textBytes(writePackJson(pack)));
}

int runApply(const Parsed& p)
{
    const std::string& out = p.positional[2];
    const FileKind kind = kindFromName(out);
    if (kind == FileKind::Unknown) {
        printError("apply: the output must end in .sna, .z80, .szx, .tap or .tzx, not '" + out + "'");
        return kUsage;
    }
    GameImage image;
    if (!loadImage(p.positional[0], p, image))
        return kFailure;
    int refused = kUsage;
    const std::optional<LevelPack> pack = loadPack(p.positional[1], refused);
    if (!pack)
        return refused;
    const PackApplyResult result = applyPack(image, *pack);
    if (!result.applied) {
        printError(p.positional[1] + ": not applied: " + result.error);
        return kUsage;
    }
    const std::vector<std::uint8_t> bytes = imageFileBytes(image, kind);
    if (bytes.empty()) {
        printError("apply: cannot encode the image as " + std::string(extensionOf(kind)));
        return kFailure;
    }
    return writeOutput(out, bytes);
}

int runDiff(const Parsed& p)
{
    GameImage reference, a, b;
    if (!loadReferenceImage(p, reference) || !loadImage(p.positional[0], p, reference, a) ||
        !loadImage(p.positional[1], p, reference, b))
        return kTrouble;
    std::string text;
    for (const std::string& line : describeDifferences(a, b))
        text += line + "\n";
    if (!writeStdout(text))
        return kTrouble;
    return text.empty() ? kSame : kDiffers;
}

int runDump(const Parsed& p)
{
    GameImage image;
    if (!loadImage(p.positional[0], p, image))
        return kFailure;
    return writeStdout(writePackJson(wholeGamePack(image))) ? kSuccess : kFailure;
}

int runPok(const Parsed& p)
{
    GameImage image, base;
    if (!loadReferenceImage(p, base) || !loadImage(p.positional[0], p, base, image))
        return kFailure;
    const std::vector<Poke> pokes = gameDataPokes(image, base);
    if (pokes.empty()) {
        printError(p.positional[0] + ": the game data are those of the default game; no POKE file written");
        return kFailure;
    }
    const std::string& out = p.positional[1];
    const std::string name = trainerName(std::filesystem::path(out).stem().string());
    return writeOutput(out, textBytes(pokeFileText(name, pokes)));
}

} // namespace zq::cli
