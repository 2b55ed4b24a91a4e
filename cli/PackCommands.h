#pragma once
// The zelquor-cli commands of level packs and mod files: pack, apply, diff,
// dump and pok.

#include "cli/Arguments.h"

namespace zq::cli {

int runPack(const Parsed& p);
int runApply(const Parsed& p);
int runDiff(const Parsed& p);
int runDump(const Parsed& p);
int runPok(const Parsed& p);

} // namespace zq::cli
