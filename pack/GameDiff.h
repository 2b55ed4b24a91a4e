#pragma once
// The differences between two images of the game, in the game's own terms:
// which levels differ (for the Levels window's comparison marks), and one
// line per changed field (for zelquor-cli diff), such as
//   level 37: layout row 5
//   level 2: ink Yellow -> Red
//   credits: Title "ZELQUOR" -> "ZELQUOR II"
// Shared tables count at the levels that own them: an attribute at levels
// 1..15, a block pattern at levels 1..5, an air-flow record at the lowest
// level that uses it.

#include "image/GameImage.h"
#include "image/MemoryMap.h"

#include <array>
#include <string>
#include <vector>

namespace zq {

// Whether level index i's data differ: its layout or kind, enemy entry, item
// byte, special bubble, and the attribute, pattern and air-flow record it
// owns.
std::array<bool, kLevelCount> differingLevels(const GameImage& a, const GameImage& b);

// Whether the bytes of the game data regions are the same in both.
bool sameGameData(const GameImage& a, const GameImage& b);

// One line per changed field, levels first in level order (with the shared
// tables at their owners), then the credits and the game-wide tables. Empty
// exactly when sameGameData holds.
std::vector<std::string> describeDifferences(const GameImage& a, const GameImage& b);

} // namespace zq
