#include "cli/ImageCommands.h"

#include "cli/Inputs.h"
#include "cli/LevelPicture.h"
#include "cli/Report.h"

#include "files/FileKind.h"
#include "files/Screen.h"
#include "files/Snapshot.h"
#include "files/SnapshotFormats.h"
#include "files/Tape.h"
#include "image/GameImage.h"
#include "image/MemoryMap.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace zq::cli {

int runInfo(const Parsed& p)
{
    GameImage image;
    if (!loadImage(p.positional[0], p, image))
        return kFailure;
    const std::string text = describeImage(image);
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        printError("cannot write to the standard output");
        return kFailure;
    }
    return kSuccess;
}

namespace {

// The overlay of `render`, or false when more than one is asked for.
bool chooseOverlay(const Parsed& p, Overlay& overlay)
{
    overlay = Overlay::None;
    int overlays = 0;
    for (const auto& [option, kind] : {std::pair{"--enemies", Overlay::Enemies}, std::pair{"--items", Overlay::Items},
                                       std::pair{"--airflow", Overlay::Airflow}})
        if (p.has(option)) {
            overlay = kind;
            ++overlays;
        }
    return overlays <= 1;
}

} // namespace

int runRender(const Parsed& p)
{
    int level = 0;
    if (!p.has("--level")) {
        printError("render: --level N is required");
        return kUsage;
    }
    if (!parseNumber(p.value("--level"), 1, kLevelCount, level)) {
        printError("render: the level must be a number from 1 to " + std::to_string(kLevelCount) + ", not '" +
                   p.value("--level") + "'");
        return kUsage;
    }
    int scale = 1;
    if (p.has("--scale") && !parseNumber(p.value("--scale"), 1, 2, scale)) {
        printError("render: the scale must be 1 or 2, not '" + p.value("--scale") + "'");
        return kUsage;
    }
    if (!p.has("--output") || p.value("--output").empty()) {
        printError("render: -o OUT.png is required");
        return kUsage;
    }
    Overlay overlay = Overlay::None;
    if (!chooseOverlay(p, overlay)) {
        printError("render: choose at most one of --enemies, --items and --airflow");
        return kUsage;
    }

    GameImage image;
    if (!loadImage(p.positional[0], p, image))
        return kFailure;
    return writeOutput(p.value("--output"), levelPicturePng(image, level - 1, overlay, scale));
}

int runSave48(const Parsed& p)
{
    GameImage image;
    if (!loadImage(p.positional[0], p, image))
        return kFailure;
    return writeOutput(p.positional[1], save48(image));
}

int runSave128(const Parsed& p)
{
    GameImage image;
    if (!loadImage(p.positional[0], p, image))
        return kFailure;
    return writeOutput(p.positional[1], export128(image));
}

int runTap(const Parsed& p)
{
    GameImage image;
    if (!loadImage(p.positional[0], p, image))
        return kFailure;
    LoadingScreen screen = LoadingScreen::fromImage(image);
    if (p.has("--screen")) {
        std::vector<std::uint8_t> scr;
        if (!loadScreen(p.value("--screen"), scr))
            return kFailure;
        screen.assign(scr);
    }
    return writeOutput(p.positional[1], buildTape(image, screen));
}

int runImportScr(const Parsed& p)
{
    GameImage image;
    if (!loadImage(p.positional[0], p, image))
        return kFailure;
    std::vector<std::uint8_t> scr;
    if (!loadScreen(p.positional[1], scr))
        return kFailure;
    LoadingScreen loadingScreen;
    importScreen(scr, loadingScreen, image);
    return writeOutput(p.positional[2], save48(image));
}

int runConvert(const Parsed& p)
{
    const std::string& out = p.positional[1];
    const FileKind kind = kindFromName(out);
    if (kind == FileKind::Unknown) {
        printError("convert: the output must end in .sna, .z80, .szx, .tap or .tzx, not '" + out + "'");
        return kUsage;
    }
    GameImage image;
    if (!loadImage(p.positional[0], p, image))
        return kFailure;
    const std::vector<std::uint8_t> bytes = imageFileBytes(image, kind);
    if (bytes.empty()) {
        printError("convert: cannot encode the image as " + std::string(extensionOf(kind)));
        return kFailure;
    }
    return writeOutput(out, bytes);
}

std::vector<std::uint8_t> imageFileBytes(const GameImage& image, FileKind kind)
{
    switch (kind) {
    case FileKind::Sna: return save48(image);
    case FileKind::Z80:
    case FileKind::Szx: return encodeSnapshot(image.bytes(), kind);
    case FileKind::Tap: return buildTape(image, LoadingScreen::fromImage(image));
    case FileKind::Tzx: return tapeAsTzx(buildTape(image, LoadingScreen::fromImage(image)));
    case FileKind::Unknown: break;
    }
    return {};
}

} // namespace zq::cli
