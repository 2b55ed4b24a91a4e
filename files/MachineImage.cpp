#include "files/MachineImage.h"

#include <algorithm>

namespace zq {

namespace {

constexpr std::uint16_t kRamStart = 0x4000;

void putWord(std::span<std::uint8_t> b, std::size_t at, std::uint16_t v)
{
    b[at] = std::uint8_t(v & 0xFF);
    b[at + 1] = std::uint8_t(v >> 8);
}

std::uint16_t wordAt(std::span<const std::uint8_t> b, std::size_t at)
{
    return std::uint16_t(b[at] | b[at + 1] << 8);
}

// A RAM byte of the image by Spectrum address; writes to ROM are dropped.
void pokeImage(std::span<std::uint8_t> image, std::uint16_t address, std::uint8_t v)
{
    if (address >= kRamStart)
        image[imageOffset(address)] = v;
}

std::uint8_t peekImage(std::span<const std::uint8_t> image, std::uint16_t address)
{
    return address >= kRamStart ? image[imageOffset(address)] : 0xFF;
}

} // namespace

std::array<std::uint8_t, kImageSize> imageFromMachine(const MachineState& state)
{
    std::array<std::uint8_t, kImageSize> image{};
    std::ranges::copy(state.ram, image.begin() + kHeaderSize);
    const CpuState& c = state.cpu;
    image[sna::I] = c.i;
    putWord(image, sna::HL2, c.hl2), putWord(image, sna::DE2, c.de2);
    putWord(image, sna::BC2, c.bc2), putWord(image, sna::AF2, c.af2);
    putWord(image, sna::HL, c.hl), putWord(image, sna::DE, c.de), putWord(image, sna::BC, c.bc);
    putWord(image, sna::IY, c.iy), putWord(image, sna::IX, c.ix);
    image[sna::Iff] = c.iff2 ? sna::Iff2Bit : 0;
    image[sna::R] = c.r;
    putWord(image, sna::AF, c.af);
    image[sna::IM] = c.im;
    image[sna::Border] = state.border & 7;

    // PUSH PC: high byte first, at SP-1, then the low byte at SP-2.
    const std::uint16_t sp = std::uint16_t(c.sp - 2);
    pokeImage(image, std::uint16_t(sp + 1), std::uint8_t(c.pc >> 8));
    pokeImage(image, sp, std::uint8_t(c.pc & 0xFF));
    putWord(image, sna::SP, sp);
    return image;
}

bool machineFromImage(std::span<const std::uint8_t> image, MachineState& state)
{
    if (image.size() != kImageSize)
        return false;
    std::copy(image.begin() + kHeaderSize, image.end(), state.ram.begin());
    CpuState& c = state.cpu;
    c.i = image[sna::I];
    c.hl2 = wordAt(image, sna::HL2), c.de2 = wordAt(image, sna::DE2);
    c.bc2 = wordAt(image, sna::BC2), c.af2 = wordAt(image, sna::AF2);
    c.hl = wordAt(image, sna::HL), c.de = wordAt(image, sna::DE), c.bc = wordAt(image, sna::BC);
    c.iy = wordAt(image, sna::IY), c.ix = wordAt(image, sna::IX);
    c.iff2 = c.iff1 = (image[sna::Iff] & sna::Iff2Bit) != 0;
    c.r = image[sna::R];
    c.af = wordAt(image, sna::AF);
    c.im = image[sna::IM];
    state.border = image[sna::Border] & 7;

    const std::uint16_t sp = wordAt(image, sna::SP);
    c.pc = std::uint16_t(peekImage(image, sp) | peekImage(image, std::uint16_t(sp + 1)) << 8);
    c.sp = std::uint16_t(sp + 2);
    return true;
}

} // namespace zq
