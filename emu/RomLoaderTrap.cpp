#include "emu/RomLoaderTrap.h"

#include <algorithm>
#include <array>

namespace zq::emu {

namespace {

// SA/LD-RET, LD-BYTES and LD-EDGE (0x053F-0x0604) as OpenSE BASIC has them.
constexpr std::uint16_t kLoaderStart = kSaLdRet;
constexpr std::array<std::uint8_t, 198> kOpenSeLoader = {
    0xF5, 0x3A, 0x48, 0x5C, 0xE6, 0x38, 0x0F, 0x0F, 0x0F, 0xD3, 0xFE, 0x3E, 0x7F, 0xDB, 0xFE, 0x1F,
    0xFB, 0x38, 0x02, 0xCF, 0x0C, 0xF1, 0xC9, 0xF3, 0x14, 0x08, 0x15, 0x3E, 0x0F, 0xD3, 0xFE, 0x21,
    0x3F, 0x05, 0xE5, 0xDB, 0xFE, 0x1F, 0xE6, 0x20, 0xF6, 0x02, 0x4F, 0xBF, 0xC0, 0xCD, 0xE7, 0x05,
    0x30, 0xFA, 0x21, 0x15, 0x01, 0x10, 0xFE, 0x2B, 0x7D, 0xB4, 0x20, 0xF9, 0xCD, 0xE3, 0x05, 0x30,
    0xEB, 0x06, 0x9C, 0xCD, 0xE3, 0x05, 0x30, 0xE4, 0x3E, 0xC6, 0xB8, 0x30, 0xE0, 0x24, 0x20, 0xF1,
    0x06, 0xC9, 0xCD, 0xE7, 0x05, 0x30, 0xD5, 0x78, 0xFE, 0xD4, 0x30, 0xF4, 0xCD, 0xE7, 0x05, 0xD0,
    0x79, 0xEE, 0x03, 0x4F, 0x26, 0x00, 0x06, 0xB0, 0x18, 0x1F, 0x08, 0x20, 0x07, 0x30, 0x0F, 0xDD,
    0x75, 0x00, 0x18, 0x0F, 0xCB, 0x11, 0xAD, 0xC0, 0x79, 0x1F, 0x4F, 0xC3, 0xC5, 0x05, 0xDD, 0x7E,
    0x00, 0xAD, 0xC0, 0xDD, 0x23, 0x1B, 0x08, 0x06, 0xB2, 0x2E, 0x01, 0xCD, 0xE3, 0x05, 0xD0, 0x3E,
    0xCB, 0xB8, 0xCB, 0x15, 0x06, 0xB0, 0xD2, 0xCA, 0x05, 0x7C, 0xAD, 0x67, 0x7A, 0xB3, 0x20, 0xCA,
    0x7C, 0xFE, 0x01, 0xC9, 0xCD, 0xE7, 0x05, 0xD0, 0x3E, 0x16, 0x3D, 0x20, 0xFD, 0xA7, 0x04, 0xC8,
    0x3E, 0x7F, 0xDB, 0xFE, 0x1F, 0xD0, 0xA9, 0xE6, 0x20, 0x28, 0xF3, 0x79, 0x2F, 0x4F, 0xE6, 0x07,
    0xF6, 0x08, 0xD3, 0xFE, 0x37, 0xC9,
};

// Where the 48K ROM's routine differs: INC D, EX AF,AF', DEC D before the
// DI; a longer delay (LD HL,0x0415); INC DE and JR LD-DEC for OpenSE's
// JP past the DEC DE.
struct Patch {
    std::uint16_t address;
    std::array<std::uint8_t, 4> bytes;
    std::size_t length;
};
constexpr std::array<Patch, 3> kSinclairPatches = {{
    {0x0556, {0x14, 0x08, 0x15, 0xF3}, 4},
    {0x0573, {0x04}, 1},
    {0x05BA, {0x13, 0x18, 0x07}, 3},
}};

constexpr std::uint8_t kIncD = 0x14;

// The routine's first port read of EAR (IN A,(0xFE) at 0x0562) comes this
// many T-states after its first instruction, in either ROM.
constexpr std::uint64_t kFirstSampleTStates = 59;

// The ROM needs about a second of pilot to settle and 256 pulses to accept
// it: a tape further than this into the shortest pilot (3223 edges) may not
// load, so it is left to the edges.
constexpr std::uint32_t kLatestPilotEdge = 900;

// Flags of the 8-bit results the routine leaves in F.
constexpr std::uint8_t kFlagC = 0x01, kFlagN = 0x02, kFlagPV = 0x04, kFlagH = 0x10, kFlagZ = 0x40, kFlagS = 0x80;
constexpr std::uint8_t kFlags35 = 0x28;

bool evenParity(std::uint8_t v)
{
    v ^= std::uint8_t(v >> 4);
    v ^= std::uint8_t(v >> 2);
    v ^= std::uint8_t(v >> 1);
    return (v & 1) == 0;
}

// F after XOR or OR leaving `r` in A.
std::uint8_t logicFlags(std::uint8_t r)
{
    return std::uint8_t((r & (kFlagS | kFlags35)) | (r == 0 ? kFlagZ : 0) | (evenParity(r) ? kFlagPV : 0));
}

// F after CP 1 with `a` in A (bits 3 and 5 come from the operand, 1).
std::uint8_t compareOneFlags(std::uint8_t a)
{
    const std::uint8_t r = std::uint8_t(a - 1);
    return std::uint8_t((r & kFlagS) | (r == 0 ? kFlagZ : 0) | ((a & 0x0F) == 0 ? kFlagH : 0) |
                        (((a ^ 1) & (a ^ r) & 0x80) ? kFlagPV : 0) | kFlagN | (a == 0 ? kFlagC : 0));
}

void pokeWord(Machine48& m, std::uint16_t at, std::uint16_t v)
{
    m.poke(at, std::uint8_t(v));
    m.poke(std::uint16_t(at + 1), std::uint8_t(v >> 8));
}

std::uint16_t peekWord(const Machine48& m, std::uint16_t at)
{
    return std::uint16_t(m.peek(at) | m.peek(std::uint16_t(at + 1)) << 8);
}

} // namespace

bool RomLoaderTrap::servesRom(std::span<const std::uint8_t> rom)
{
    if (rom.size() < std::size_t(kLoaderStart) + kOpenSeLoader.size())
        return false;
    const auto code = rom.subspan(kLoaderStart, kOpenSeLoader.size());
    if (std::equal(code.begin(), code.end(), kOpenSeLoader.begin()))
        return true;
    std::array<std::uint8_t, kOpenSeLoader.size()> sinclair = kOpenSeLoader;
    for (const Patch& p : kSinclairPatches)
        std::copy_n(p.bytes.begin(), p.length, sinclair.begin() + (p.address - kLoaderStart));
    return std::equal(code.begin(), code.end(), sinclair.begin());
}

void RomLoaderTrap::trapped(Machine48& m)
{
    Registers r = m.registers();
    // The routine's first instruction has run: the 48K ROM's INC D is undone
    // (the carry it keeps is all the routine reads of F); OpenSE's DI changes
    // nothing the load depends on.
    if (m.peek(kLdBytes) == kIncD)
        r.de = std::uint16_t(r.de - 0x100);
    const std::uint8_t flag = std::uint8_t(r.af >> 8);
    const std::uint16_t length = r.de;
    // A VERIFY, an empty load and D = 0xFF (which makes the routine take the
    // flag byte as data) run on the edges.
    if (!(r.af & kFlagC) || length == 0 || (length >> 8) == 0xFF)
        return;
    const std::uint64_t now = m.tstates();
    const auto block = tape_.romBlockAhead(now);
    if (!block || block->pilotEdgesPlayed > kLatestPilotEdge)
        return;
    const std::span<const std::uint8_t> bytes = block->bytes;
    const bool flagMatches = bytes[0] == flag;
    if (flagMatches && bytes.size() < std::size_t(length) + 2)
        return; // the edges run out mid-byte: the routine times out

    // C counts the edges: 0x22 or 0x02 by the level first read, XOR 3 after
    // the sync, complemented at each edge. Every byte ends on the level the
    // block began with.
    const bool first = tape_.earLevel(now + kFirstSampleTStates);
    std::uint8_t c = std::uint8_t((first ? 0x22 : 0x02) ^ 0x03);
    if (block->levelBefore != first)
        c = std::uint8_t(~c);

    const std::uint16_t sp = r.sp;
    pokeWord(m, std::uint16_t(sp - 2), kSaLdRet); // pushed by the routine, popped by its RET
    Registers out = r;
    if (flagMatches) {
        // The flag check rotates C through the carry that its XOR clears.
        c &= 0x7F;
        std::uint8_t parity = bytes[0];
        for (std::uint16_t i = 0; i < length; ++i) {
            m.poke(std::uint16_t(r.ix + i), bytes[i + 1u]);
            parity ^= bytes[i + 1u];
        }
        const std::uint8_t last = bytes[length + 1u];
        parity ^= last;
        out.af = std::uint16_t(parity << 8 | compareOneFlags(parity));
        out.bc = std::uint16_t(0xB000 | c);
        out.de = 0;
        out.hl = std::uint16_t(parity << 8 | last);
        out.ix = std::uint16_t(r.ix + length);
        out.af2 = std::uint16_t(c << 8 | kFlagZ | kFlagPV | kFlagC | (c & kFlags35));
    } else {
        // The routine leaves at the flag byte, A the difference.
        const std::uint8_t difference = std::uint8_t(flag ^ bytes[0]);
        out.af = std::uint16_t(difference << 8 | logicFlags(difference));
        out.bc = std::uint16_t(0xB000 | std::uint8_t(c << 1 | 1));
        out.hl = std::uint16_t(bytes[0] << 8 | bytes[0]);
        const std::uint8_t remaining = std::uint8_t((length >> 8) | length);
        out.af2 = std::uint16_t(remaining << 8 | logicFlags(remaining));
    }
    // The return addresses of the last edge reads, LD-8-BITS calling LD-EDGE-2
    // calling LD-EDGE-1.
    pokeWord(m, std::uint16_t(sp - 4), 0x05CD);
    pokeWord(m, std::uint16_t(sp - 6), 0x05E6);
    out.pc = peekWord(m, std::uint16_t(sp - 2));
    out.sp = sp;
    out.iff1 = out.iff2 = false;
    m.setRegisters(out);
    tape_.skipBlock(now);
    ++served_;
}

} // namespace zq::emu
