#pragma once
// The zelquor-cli commands that read a game image and write a file or a
// report: info, render, save48, save128, tap, import-scr, convert.

#include "cli/Arguments.h"
#include "files/FileKind.h"
#include "image/GameImage.h"

#include <cstdint>
#include <vector>

namespace zq::cli {

int runInfo(const Parsed& p);
int runRender(const Parsed& p);
int runSave48(const Parsed& p);
int runSave128(const Parsed& p);
int runTap(const Parsed& p);
int runImportScr(const Parsed& p);
int runConvert(const Parsed& p);

// The image as a file of the given kind (the tapes with the image's screen
// as loading screen); empty when it cannot be encoded so.
std::vector<std::uint8_t> imageFileBytes(const GameImage& image, FileKind kind);

} // namespace zq::cli
