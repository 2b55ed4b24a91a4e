#pragma once
// The names of the game's values as the editor shows them, as level packs
// write them and as zelquor-cli prints them: the Spectrum colours, the
// special bubble types, the air-flow directions and the level kinds.

#include <optional>
#include <span>
#include <string_view>

namespace zq {

// "Black" .. "White" for 0..7 (taken mod 8).
const char* colourName(int colour);
// "None", "Water", "Lightning", "Fire", "Extend"; any other value (a match
// among the bubble table's spare bytes) gives "Unknown".
const char* bubbleName(int type);
// "up", "right", "down", "left" for 0..3 (taken mod 4).
const char* directionName(int direction);
// "mirrored" or "full".
const char* kindName(bool mirrored);

std::span<const char* const> colourNames();
std::span<const char* const> bubbleNames();
std::span<const char* const> directionNames();

// The index of `name` among `names`, compared exactly; nothing when absent.
std::optional<int> nameIndex(std::span<const char* const> names, std::string_view name);

} // namespace zq
