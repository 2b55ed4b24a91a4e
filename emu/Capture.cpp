#include "emu/Capture.h"

namespace zq::emu {

MachineState machineState(const Machine48& machine)
{
    const Registers r = machine.registers();
    MachineState state;
    state.cpu = {r.af, r.bc, r.de, r.hl, r.af2, r.bc2, r.de2, r.hl2, r.ix, r.iy, r.sp, r.pc,
                 r.i,  r.r,  r.im, r.iff1, r.iff2};
    state.border = std::uint8_t(machine.borderColour());
    for (std::size_t i = 0; i < state.ram.size(); ++i)
        state.ram[i] = machine.peek(std::uint16_t(0x4000 + i));
    return state;
}

std::array<std::uint8_t, kImageSize> captureImage(const Machine48& machine)
{
    return imageFromMachine(machineState(machine));
}

} // namespace zq::emu
