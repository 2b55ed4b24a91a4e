#pragma once
// The Spectrum screen the generator draws on, its colours, and the loading
// picture of the sample game.

#include "data/generator/SampleCommon.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

namespace sampledata {

// ---------------------------------------------------------------------------
// Screen memory: a 256 x 192 bitmap plus 32 x 24 attributes
// ---------------------------------------------------------------------------
struct Screen {
  std::array<std::array<bool, 256>, 192> pixel{};
  std::array<Byte, 768> attr{};

  void plot(int x, int y, bool on = true) {
    if (x >= 0 && x < 256 && y >= 0 && y < 192) pixel[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = on;
  }
  void colour(int col, int row, Byte a) {
    if (col >= 0 && col < 32 && row >= 0 && row < 24) attr[static_cast<std::size_t>(row * 32 + col)] = a;
  }
  Byte colourAt(int col, int row) const { return attr[static_cast<std::size_t>(row * 32 + col)]; }

  // The Spectrum's 6912-byte layout: pixel lines interleaved by thirds, then attributes.
  std::vector<Byte> bytes() const {
    std::vector<Byte> out(6912, 0);
    for (int y = 0; y < 192; ++y)
      for (int x = 0; x < 256; ++x)
        if (pixel[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]) {
          const int offset = ((y & 0xC0) << 5) | ((y & 0x07) << 8) | ((y & 0x38) << 2) | (x >> 3);
          out[static_cast<std::size_t>(offset)] = static_cast<Byte>(out[static_cast<std::size_t>(offset)] | (0x80 >> (x & 7)));
        }
    std::copy(attr.begin(), attr.end(), out.begin() + 6144);
    return out;
  }
};

constexpr Byte attribute(int ink, int paper, bool bright) {
  return static_cast<Byte>((bright ? 0x40 : 0) | (paper << 3) | ink);
}

enum Colour { kBlack, kBlue, kRed, kMagenta, kGreen, kCyan, kYellow, kWhite };

// Text in the 5 x 7 letters, scaled and spaced.
void drawText(Screen& s, std::string_view text, int x, int y, int sx, int sy, int pitch);

// The loading picture; its bottom three character rows stay blank.
Screen makeLoadingPicture();

}  // namespace sampledata
