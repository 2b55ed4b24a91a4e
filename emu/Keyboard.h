#pragma once
// The 48K keyboard matrix and the Kempston joystick.
//
// The 40 keys sit on 8 half-rows of 5, read through port 0xFE: the half-row
// is chosen by a zero bit in the high byte of the port address (bit 0 for
// CAPS SHIFT..V up to bit 7 for SPACE..B), and a key held reads as a zero in
// bits 0-4, bit 0 being the key nearest the edge of the keyboard. Each Key
// value is half-row * 5 + bit.

#include <cstdint>

namespace zq::emu {

enum class Key : std::uint8_t {
    CapsShift, Z, X, C, V,     // 0xFEFE
    A, S, D, F, G,             // 0xFDFE
    Q, W, E, R, T,             // 0xFBFE
    N1, N2, N3, N4, N5,        // 0xF7FE
    N0, N9, N8, N7, N6,        // 0xEFFE
    P, O, I, U, Y,             // 0xDFFE
    Enter, L, K, J, H,         // 0xBFFE
    Space, SymbolShift, M, N, B, // 0x7FFE
};

inline constexpr int kKeyCount = 40;
inline constexpr int kHalfRows = 8;

constexpr int halfRowOf(Key k) { return int(k) / 5; }
constexpr std::uint8_t bitOf(Key k) { return std::uint8_t(1u << (int(k) % 5)); }

// Kempston interface on port 0x1F: active-high bits, 0 with nothing pressed.
namespace kempston {
inline constexpr std::uint8_t Right = 0x01;
inline constexpr std::uint8_t Left = 0x02;
inline constexpr std::uint8_t Down = 0x04;
inline constexpr std::uint8_t Up = 0x08;
inline constexpr std::uint8_t Fire = 0x10;
inline constexpr std::uint8_t All = 0x1F;
} // namespace kempston

} // namespace zq::emu
