#pragma once
// .z80 and .szx snapshots and .tzx tapes through libspectrum, as bytes in and
// bytes out (no file access here).
//
// Opening a .z80 or .szx turns it into the 49179-byte game image (a 48K .sna,
// files/MachineImage.h): the header from its registers with PC pushed onto
// the stack, and the RAM the CPU sees at 0x4000, 0x8000 and 0xC000. A 48K
// machine has pages 5, 2 and 0 there; a 128K one pages 5, 2 and the page of
// its last 0x7FFD write (a +3 in a special paging mode: the pages of that
// mode). The caller checks the size first (acceptedForOpen, files/FileKind.h)
// and the game's signature afterwards (checkSnapshot, files/Snapshot.h).
//
// Writing one stores the image's machine state (the RETN done) as a 48K
// snapshot; opening what was written gives the same 49179 bytes again.

#include "files/FileKind.h"
#include "files/MachineImage.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zq {

struct DecodedImage {
    std::vector<std::uint8_t> image; // 49179 bytes, or empty on failure
    std::string error;               // why it failed, for the user
    bool ok() const { return !image.empty(); }
};

// The game image of a snapshot file. `kind` names the format (Z80, Szx or
// Sna); Unknown lets libspectrum tell from the contents which of the three
// it is. Fails for any other format, for anything libspectrum cannot read as
// a snapshot, for a page shorter than 16K (files/SnapshotPages.h), and for a
// machine without RAM at 0x8000..0xFFFF (a 16K Spectrum).
DecodedImage decodeSnapshot(std::span<const std::uint8_t> file, FileKind kind);

// The .z80 (kind Z80) or .szx (kind Szx) file of a 48K machine in the state
// of `image`; empty when image is not 49179 bytes, for another kind, or if
// libspectrum fails.
std::vector<std::uint8_t> encodeSnapshot(std::span<const std::uint8_t> image, FileKind kind);

// A running machine as a .szx file, the format emulators use for a whole
// machine: registers, HALT, the T-state within the frame, border, speaker
// and RAM. How far the machine had run is not kept. A state read back gives
// the same machine, frame count aside, except that the frame's interrupt is
// taken again if the state stood in the interrupt's first 32 T-states after
// it was taken (states taken at a frame's end never do).
std::vector<std::uint8_t> encodeRunState(const RunState& state);

// The machine state of a snapshot file (any kind decodeSnapshot reads, with
// the same checks): "" with `state` set, or why it failed. A .sna or .z80 has
// no HALT, T-state or speaker: those start as a fresh machine's.
std::string decodeRunState(std::span<const std::uint8_t> file, FileKind kind, RunState& state);

// The .tzx file of a .tap file: the same blocks, as standard-speed data
// blocks with a one-second pause after each. Empty if the .tap is unreadable.
std::vector<std::uint8_t> tapeAsTzx(std::span<const std::uint8_t> tap);

// The kind libspectrum makes of a file from its name and contents (only the
// five kinds above; anything else is Unknown).
FileKind identifyKind(std::string_view name, std::span<const std::uint8_t> file);

} // namespace zq
