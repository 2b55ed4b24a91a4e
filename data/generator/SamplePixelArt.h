#pragma once
// The generator's pixel art: the 5 x 7 letters, the enemy designs, the empty
// enemy slot picture and the block patterns.

#include "data/generator/SampleCommon.h"

#include <array>
#include <string_view>

namespace sampledata {

// ---------------------------------------------------------------------------
// Pixel art. Pictures are written as text, one string per pixel row:
//   '.' = off / black, '#' = on / cyan, 'o' = on / white.
// ---------------------------------------------------------------------------

// Pixel (x, y) of a 5 x 7 letter.
bool glyphPixel(char ch, int x, int y);

struct EnemyDesign {
  const char* name;
  std::array<std::string_view, 16> rows;  // facing right
};

extern const std::array<EnemyDesign, 8> kEnemyDesigns;
extern const std::array<std::string_view, 16> kEmptySlotPicture;
extern const std::array<std::array<std::string_view, 8>, 5> kBlockPatterns;

// The byte of an 8-pixel row of a block pattern, leftmost pixel in bit 7.
Byte rowBits(std::string_view row);

}  // namespace sampledata
