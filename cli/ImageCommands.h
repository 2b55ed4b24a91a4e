#pragma once
// The zelquor-cli commands that read a game image and write a file or a
// report: info, render, save48, save128, tap, import-scr, convert.

#include "cli/Arguments.h"

namespace zq::cli {

int runInfo(const Parsed& p);
int runRender(const Parsed& p);
int runSave48(const Parsed& p);
int runSave128(const Parsed& p);
int runTap(const Parsed& p);
int runImportScr(const Parsed& p);
int runConvert(const Parsed& p);

} // namespace zq::cli
