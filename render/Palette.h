#pragma once
// The editor's 17 colours as 0x00RRGGBB: Spectrum colours 0..7, their bright
// versions 8..15, and grey. Normal white is 0xC5C7C5.

#include <array>
#include <cstdint>

namespace zq {

inline constexpr std::array<std::uint32_t, 17> kPalette = {
    0x000000, 0x0000CA, 0xCA0000, 0xCA00CA, 0x00CA00, 0x00CACA, 0xCACA00, 0xC5C7C5,
    0x000000, 0x0000FF, 0xFF0000, 0xFF00FF, 0x00FF00, 0x00FFFF, 0xFFFF00, 0xFFFFFF,
    0x808080,
};

namespace colour {
inline constexpr int Black = 0;
inline constexpr int Cyan = 5;
inline constexpr int BrightWhite = 15;
inline constexpr int Grey = 16;
} // namespace colour

} // namespace zq
