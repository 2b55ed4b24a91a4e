#pragma once
// Importing a Spectrum screen file (.scr): 6912 bytes, the display file
// (6144 bytes of pixels, 0x4000..0x57FF) followed by the 768 attributes
// (0x5800..0x5AFF), no header. The screen becomes both the tape's loading
// screen and the screen memory of the game image, so every later export
// carries it. No file access here: the caller reads the file.
//
// The caller checks acceptedScreenSize(size of the file) before reading
// anything ("File size incorrect" when false), reads it, and passes the bytes
// to importScreen.

#include "files/Tape.h"
#include "image/GameImage.h"

#include <cstdint>
#include <span>

namespace zq {

constexpr bool acceptedScreenSize(std::uint64_t fileSize)
{
    return fileSize == kScreenSize;
}

// Copies a 6912-byte screen into the loading screen (with its checksum, 0xFF
// XOR every byte) and into the image at offsets 27..6938. Any 6912 bytes are
// taken as they are. Returns false and changes nothing when scr has another
// size (including a short read).
bool importScreen(std::span<const std::uint8_t> scr, LoadingScreen& loadingScreen, GameImage& image);

} // namespace zq
