#pragma once
// PNG encoding of a pixel buffer through libpng: a palette image (1, 2, 4 or
// 8 bits per pixel, the fewest that hold its colours) when the picture has at
// most 256 colours, otherwise 8-bit RGB; deflate at zlib's default level, no
// interlace.

#include "gfx/FastDIB.h"

#include <cstdint>
#include <vector>

namespace zq {

// The whole PNG file of a 32-bit buffer (0x00RRGGBB pixels, top line first
// in the file). An empty buffer gives an empty result.
std::vector<std::uint8_t> encodePng(const TFastDIB& picture);

} // namespace zq
