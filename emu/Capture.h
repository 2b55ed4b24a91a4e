#pragma once
// The running machine as a game image (a 48K .sna): registers with PC pushed
// onto the stack, border, RAM (files/MachineImage.h).

#include "emu/Machine48.h"
#include "files/MachineImage.h"

#include <array>
#include <cstdint>

namespace zq::emu {

MachineState machineState(const Machine48& machine);

std::array<std::uint8_t, kImageSize> captureImage(const Machine48& machine);

} // namespace zq::emu
