#pragma once
// The user's own copy of the game as the default image of this and every
// later run, remembered with the editor's settings: New loads it, the
// signature check of Open compares with it, the window starts with it.

#include <cstdint>
#include <span>

namespace zq {

// At start: makes the remembered copy, if any, the default image.
void applyDefaultGameSetting();
// Remembers a 49179-byte image and makes it the default.
bool useAsDefaultGame(std::span<const std::uint8_t> image);
// Back to the sample game the program carries.
void useSampleGame();

} // namespace zq
