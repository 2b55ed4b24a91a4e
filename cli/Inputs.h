#pragma once
// Reading the inputs of zelquor-cli: game images in any of the five formats
// (.sna as the editor opens it, .z80 and .szx decoded, .tap and .tzx loaded
// in the embedded Spectrum), ROMs and screen files; and writing outputs.
//
// Every image passes the signature check of the editor's Open against a
// reference image: the one named by --game FILE (in any of the formats), or
// else the game image the program carries.

#include "cli/Arguments.h"
#include "files/MachineImage.h"
#include "image/GameImage.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zq::cli {

// The options of every command that reads a game image.
inline const OptionInfo kGameOption{"--game", "", true};
inline const OptionInfo kRomOption{"--rom", "", true};

// The 16384 bytes of the ROM named by --rom, else OpenSE BASIC.
bool loadRom(const Parsed& p, std::vector<std::uint8_t>& rom);

// The reference image: the game named by --game, else the one the program
// carries. Packs of changes and POKE files are made against it.
bool loadReferenceImage(const Parsed& p, GameImage& reference);

// Reads `name` into `image` with the checks of the editor's Open; reports
// any failure and returns false.
bool loadImage(const std::string& name, const Parsed& p, GameImage& image);
// The same against a reference image already loaded (a --game tape runs in
// the emulator: commands that need the reference as well load it once).
bool loadImage(const std::string& name, const Parsed& p, const GameImage& reference, GameImage& image);

// A machine state from a snapshot file (.szx as checkpoints are saved, or
// .sna / .z80), with the checks of the editor's Open Checkpoint.
bool loadRunState(const std::string& name, RunState& state);

// A 6912-byte screen file.
bool loadScreen(const std::string& name, std::vector<std::uint8_t>& screen);

// Writes `bytes` over `name` atomically: kSuccess, or kFailure reported.
int writeOutput(const std::string& name, std::span<const std::uint8_t> bytes);

} // namespace zq::cli
