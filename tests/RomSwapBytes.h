#pragma once
// The 128K export's ROM swap routine as the 128K system keeps it at 0x5B00,
// written out here from its instructions so that tests do not take the
// expected bytes from the code they check.

#include <array>
#include <cstdint>

namespace zq::test {

inline constexpr std::array<std::uint8_t, 20> kExpectedRomSwap = {
    0xF5,             // PUSH AF
    0xC5,             // PUSH BC
    0x01, 0xFD, 0x7F, // LD BC,0x7FFD
    0x3A, 0x5C, 0x5B, // LD A,(0x5B5C)
    0xEE, 0x10,       // XOR 0x10
    0xF3,             // DI
    0x32, 0x5C, 0x5B, // LD (0x5B5C),A
    0xED, 0x79,       // OUT (C),A
    0xFB,             // EI
    0xC1,             // POP BC
    0xF1,             // POP AF
    0xC9,             // RET
};

} // namespace zq::test
