#pragma once
// Where the ROM comes from: the free OpenSE BASIC that Debian packages
// (opense-basic), a drop-in 48K ROM.

#include <cstdint>
#include <string>
#include <vector>

namespace zq::emu {

inline constexpr const char* kOpenSeRomPath = "/usr/share/spectrum-roms/opense.rom";

// The 16384 bytes of a ROM file; empty when the file cannot be read or has
// another size.
std::vector<std::uint8_t> readRomFile(const std::string& path);

} // namespace zq::emu
