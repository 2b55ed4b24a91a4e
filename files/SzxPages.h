#pragma once
// A check of the RAM pages of a .szx file before libspectrum reads it.
// libspectrum 1.5 accepts a compressed RAMP chunk whose data inflates to
// fewer than 16384 bytes and hands out a page that short; reading a whole
// page from it then runs past the end of its buffer.

#include <cstdint>
#include <span>

namespace zq {

// False when a RAMP chunk of the .szx file holds anything but one whole
// 16384-byte page (stored, or compressed with zlib). A file that is not a
// .szx, or whose chunk list is cut short, passes: libspectrum judges those.
bool szxPagesWhole(std::span<const std::uint8_t> file);

} // namespace zq
