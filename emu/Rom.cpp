#include "emu/Rom.h"

#include "emu/Machine48.h"

#include <fstream>

namespace zq::emu {

std::vector<std::uint8_t> readRomFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> rom(std::size_t(kRomSize) + 1);
    in.read(reinterpret_cast<char*>(rom.data()), std::streamsize(rom.size()));
    if (in.gcount() != kRomSize)
        return {};
    rom.resize(std::size_t(kRomSize));
    return rom;
}

} // namespace zq::emu
