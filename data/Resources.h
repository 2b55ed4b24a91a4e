#pragma once
// Data the program carries and reads by name: the default game image "Snap",
// the enemy pictures "B0".."B16" and the About picture "ABOUTSCREEN".

#include <cstdint>
#include <span>
#include <string_view>

namespace zq::data {

// The named data, or an empty span when the program carries no such name.
std::span<const std::uint8_t> find(std::string_view name);

} // namespace zq::data
