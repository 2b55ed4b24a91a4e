#pragma once
// zelquor-cli run: resumes a game image in the embedded Spectrum, runs it for
// a number of frames with keys pressed as asked, and writes the picture.

#include "cli/Arguments.h"
#include "emu/Keyboard.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zq::cli {

inline constexpr int kMaxRunFrames = 1000000; // 5.5 emulated hours

// Keys held down during frames [from, to): keyboard keys and Kempston bits.
struct KeyPress {
    int from = 0;
    int to = 0;
    std::vector<emu::Key> keys;
    std::uint8_t joystick = 0;
};

// How long an item without an end holds its keys.
inline constexpr int kDefaultHoldFrames = 5;

// Parses a --keys list: items "FRAME:KEYS" or "FROM-TO:KEYS" separated by
// commas, KEYS being names joined by '+' (A..Z, 0..9, ENTER, SPACE, CAPS,
// SYMBOL, and the Kempston joystick's JLEFT, JRIGHT, JUP, JDOWN, JFIRE), in
// any letter case. "FRAME:KEYS" holds them for frames FRAME..FRAME+4;
// "FROM-TO:KEYS" from frame FROM up to, not including, frame TO. Returns an
// error message, or "" with `presses` filled.
std::string parseKeyPresses(const std::string& list, std::vector<KeyPress>& presses);

int runRun(const Parsed& p);

} // namespace zq::cli
