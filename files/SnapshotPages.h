#pragma once
// A check of the RAM pages of a .szx or .z80 file before libspectrum reads
// it. libspectrum 1.5 accepts a page whose compressed data expands to fewer
// than 16384 bytes (a zlib-compressed RAMP chunk of a .szx, a compressed
// memory block of a .z80) and hands out a page that short; reading a whole
// page from it then runs past the end of its buffer.

#include "files/FileKind.h"

#include <cstdint>
#include <span>

namespace zq {

// False when a RAMP chunk of the .szx file holds anything but one whole
// 16384-byte page (stored, or compressed with zlib). A file that is not a
// .szx, or whose chunk list is cut short, passes: libspectrum judges those.
bool szxPagesWhole(std::span<const std::uint8_t> file);

// False when a memory block of the .z80 file expands to fewer than 16384
// bytes (version 2 and 3), or the compressed RAM of a version 1 file to fewer
// than 49152. A header cut short passes: snapshotHeaderWhole judges it.
bool z80PagesWhole(std::span<const std::uint8_t> file);

// False when a .z80 or .szx file (`kind`) is shorter than its header: the 30
// bytes of a version 1 .z80, for versions 2 and 3 (PC 0) also the 16-bit
// length after them and the extra header of that length; the 8 bytes of a
// .szx. libspectrum 1.5 reads a .z80 header cut short past the end of its
// buffer (and takes an 11-byte file for a snapshot). Every other kind passes.
bool snapshotHeaderWhole(std::span<const std::uint8_t> file, FileKind kind);

// The check of `kind` (Szx or Z80); every other kind passes.
bool snapshotPagesWhole(std::span<const std::uint8_t> file, FileKind kind);

} // namespace zq
