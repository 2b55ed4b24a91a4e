#pragma once
// Small programs for the machine: code poked into RAM and a CPU state to
// start it from.

#include "emu/Machine48.h"

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace zq::emu::test {

inline constexpr std::uint16_t kCode = 0x8000;
inline constexpr std::uint16_t kStack = 0xFF00;

inline void pokeBytes(Machine48& m, std::uint16_t addr, std::initializer_list<std::uint8_t> bytes)
{
    for (std::uint8_t b : bytes)
        m.poke(addr++, b);
}

// The program at kCode, started with the stack at kStack, interrupts off and
// IM 1 unless the caller says otherwise.
inline void startProgram(Machine48& m, std::initializer_list<std::uint8_t> code, Registers r = {})
{
    pokeBytes(m, kCode, code);
    r.pc = kCode;
    r.sp = kStack;
    if (r.im == 0)
        r.im = 1;
    m.setRegisters(r);
}

inline std::vector<std::uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace zq::emu::test
