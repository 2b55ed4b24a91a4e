#include "emu/Capture.h"

namespace zq::emu {

MachineState machineState(const Machine48& machine)
{
    MachineState state;
    state.cpu = machine.registers();
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
