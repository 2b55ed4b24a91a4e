#pragma once
// The signal on the EAR socket, as the machine samples it (port 0xFE bit 6).
//
// The machine asks at the exact T-state of each port read, counted from the
// last reset or snapshot load (Machine48::tstates() plus the T-states into the
// instruction). Between two resets or loads the T-states asked never decrease, so a tape player can walk
// its list of edges forward as the machine runs and needs no look-back.

#include <cstdint>

namespace zq::emu {

class EarSource {
public:
    virtual ~EarSource() = default;
    // The level on EAR at absolute T-state `tstate`: true for high.
    virtual bool earLevel(std::uint64_t tstate) = 0;
};

} // namespace zq::emu
