#pragma once
// PNG encoding of a pixel buffer through libpng: a palette image (1, 2, 4 or
// 8 bits per pixel, the fewest that hold its colours) when the picture has at
// most 256 colours, otherwise 8-bit RGB; each row Up-filtered, deflated at
// zlib's fastest level, no interlace.

#include "gfx/FastDIB.h"

#include <cstdint>
#include <vector>

namespace zq {

// The whole PNG file of a 32-bit buffer (0x00RRGGBB pixels, top line first
// in the file), each pixel stored as a `scale` x `scale` block (1..16). An
// empty buffer or a scale out of range gives an empty result.
std::vector<std::uint8_t> encodePng(const TFastDIB& picture, int scale = 1);

} // namespace zq
