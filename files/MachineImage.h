#pragma once
// A 48K machine state and the 49179-byte game image (a 48K .sna) that holds
// it, both ways. No file access and no emulator here.
//
// The .sna header keeps every register but PC: I, HL', DE', BC', AF', HL,
// DE, BC, IY, IX, the IFF byte (IFF2 in bit 2), R, AF, SP, IM and the border
// colour, little-endian words at offsets 0..26. PC lives on the stack in RAM,
// as if an interrupt had pushed it: the image's SP is two lower than the
// machine's and the two bytes below the machine's SP hold PC. Resuming the
// image is a RETN: PC popped, SP two higher, IFF1 taken from IFF2.
//
// The push writes into RAM like a real one: a byte that would land below
// 0x4000 (SP 0x4000 or 0x4001) is lost, and the two bytes it overwrites are
// gone from the image. A machine state read back from an image therefore
// gives the same image again, byte for byte, provided the header is in its
// plain form (IFF byte 0x00 or 0x04, IM 0..2, border 0..7).

#include "image/MemoryMap.h"

#include <array>
#include <cstdint>
#include <span>

namespace zq {

struct CpuState {
    std::uint16_t af = 0, bc = 0, de = 0, hl = 0;
    std::uint16_t af2 = 0, bc2 = 0, de2 = 0, hl2 = 0; // the alternate set
    std::uint16_t ix = 0, iy = 0, sp = 0, pc = 0;
    std::uint8_t i = 0, r = 0, im = 0;
    bool iff1 = false, iff2 = false;

    bool operator==(const CpuState&) const = default;
};

struct MachineState {
    CpuState cpu;
    std::uint8_t border = 0;                  // 0..7
    std::array<std::uint8_t, kMemorySize> ram{}; // 0x4000..0xFFFF

    bool operator==(const MachineState&) const = default;
};

// A running 48K machine between two instructions, whole: what it needs to go
// on exactly as it would have. Beside the registers, border and RAM: whether
// the CPU is halted (PC then stays on the HALT), the speaker level, where the
// frame stands (T-states into it, and whether its interrupt was taken), and
// how far the machine has run. Plain data: copying one is a memcpy.
struct RunState {
    MachineState machine;
    bool halted = false;
    bool speaker = false;
    int frameTState = 0;
    bool interruptTaken = false;
    std::uint64_t frameCount = 0;
    std::uint64_t tstates = 0;

    bool operator==(const RunState&) const = default;
};

namespace sna {
inline constexpr std::size_t I = 0, HL2 = 1, DE2 = 3, BC2 = 5, AF2 = 7, HL = 9, DE = 11, BC = 13, IY = 15, IX = 17;
inline constexpr std::size_t Iff = 19, R = 20, AF = 21, SP = 23, IM = 25, Border = 26;
inline constexpr std::uint8_t Iff2Bit = 0x04;
} // namespace sna

// The image of a machine state: header, RAM, PC pushed.
std::array<std::uint8_t, kImageSize> imageFromMachine(const MachineState& state);

// The machine state an image resumes to (the RETN done). Bytes the pop
// would take from below 0x4000 read as 0xFF. False, and `state` left alone,
// when `image` is not 49179 bytes.
bool machineFromImage(std::span<const std::uint8_t> image, MachineState& state);

} // namespace zq
