#pragma once
// PNG encoding of a pixel buffer, on the standard library alone: 8-bit RGB,
// no interlace, every row with filter 0, and the zlib stream made of stored
// (uncompressed) deflate blocks, checked with an Adler-32 of its own. Chunk
// checksums are CRC-32s computed here as well.

#include "gfx/FastDIB.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zq::cli {

// CRC-32 (ISO-HDLC, as PNG uses it) of the bytes, continuing from `crc`.
std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);
// Adler-32 (as zlib uses it) of the bytes.
std::uint32_t adler32(std::span<const std::uint8_t> bytes);

// The whole PNG file of a 32-bit buffer (0x00RRGGBB pixels, top line first
// in the file). An empty buffer gives an empty result.
std::vector<std::uint8_t> encodePng(const TFastDIB& picture);

} // namespace zq::cli
