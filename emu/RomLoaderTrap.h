#pragma once
// Serves the ROM's tape loader, LD-BYTES at 0x0556, from the tape without
// playing its edges: when the CPU enters the routine to LOAD (carry set) with
// a standard-speed block next on the tape, the block's bytes go straight into
// memory and the CPU leaves the routine as after reading them from the EAR
// socket, through the ROM's own return path (SA/LD-RET at 0x053F, which
// restores the border and enables interrupts).
//
// What the routine leaves is reproduced exactly: the bytes stored from IX
// on, the flag byte checked against A, the parity of all bytes read in H,
// the carry set only for a whole block with a right checksum, and the other
// registers and the stack bytes below SP as the routine's last steps leave
// them (its EAR-edge counter in C, 0xB0 in B, the last byte read in L, the
// alternate AF). Only time differs: the load takes no emulated time and the
// R register counts no loop.
//
// Anything else runs on the tape's real edges: a VERIFY, a block at other
// timings (TZX turbo blocks, pure tones, custom loaders), a tape standing in
// the middle of a block, a block shorter than asked for, and any ROM whose
// loader is not the standard one (the 48K ROM's and OpenSE BASIC's, which
// differ only in the order of their first instructions and the length of a
// delay loop).

#include "emu/Machine48.h"
#include "emu/TapePlayer.h"

#include <cstdint>
#include <span>

namespace zq::emu {

inline constexpr std::uint16_t kLdBytes = 0x0556;
inline constexpr std::uint16_t kSaLdRet = 0x053F;

class RomLoaderTrap final : public FetchTrap {
public:
    explicit RomLoaderTrap(TapePlayer& tape) : tape_(tape) {}

    // True when `rom` holds the standard loader, the only one served.
    static bool servesRom(std::span<const std::uint8_t> rom);

    // Sets or removes the trap on the machine (at 0x0556).
    void attach(Machine48& machine) { machine.setTrap(kLdBytes, this); }
    static void detach(Machine48& machine) { machine.setTrap(kLdBytes, nullptr); }

    void trapped(Machine48& machine) override;

    // Blocks served since construction.
    int blocksServed() const { return served_; }

private:
    TapePlayer& tape_;
    int served_ = 0;
};

} // namespace zq::emu
