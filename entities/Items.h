#pragma once
// Items: one item byte per level in the item table at Spectrum 0xFF90 + level
// index. The high nibble H is the horizontal and the low nibble V the
// vertical position, both in 8-pixel units. Where they put the item depends
// on the level's item placement state q:
//
//   q  level                         x            y
//   0  mirrored, upper part          8 H          8 V
//   1  mirrored, lower part          8 H          8 V + 128
//   2  full-width, upper part        240 - 8 H    8 V
//   3  full-width, lower part        240 - 8 H    8 V + 128
//
// A level is in the lower part when its number (level index + 1) is among the
// 13 bytes of the lower item list at Spectrum 0x860F. The editor only reads
// that list and the mirror bitmap, so an item keeps its quarter of the screen.

#include "gfx/FastDIB.h"
#include "image/GameImage.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace zq {

// Image offset of a level's item byte: 49067 + level index.
std::size_t itemOffset(int levelIndex);
std::uint8_t itemByte(const GameImage& image, int levelIndex);

// Whether a level number appears among the bytes of the lower item list.
bool inLowerItemList(const GameImage& image, int levelNumber);

// q, 0..3, from the lower item list and the level's kind.
int itemPlacementState(const GameImage& image, int levelIndex, bool mirrored);

// Top-left corner of the item's 16 x 16 square on the 256 x 192 level picture
// (y may lie below the picture for V of 8 or more in the lower part).
struct ItemPosition {
    int x = 0;
    int y = 0;
};
ItemPosition itemPosition(std::uint8_t itemByte, int q);

// The item byte for a pointer at (x, y) in level view pixels, when it lies
// strictly inside the item box of q:
//   q 0: 32 < x < 240,  48 < y < 256    H = col,      V = row
//   q 1: 32 < x < 240, 256 < y < 352    H = col,      V = row - 16
//   q 2: 256 < x < 464, 48 < y < 256    H = 30 - col, V = row
//   q 3: 256 < x < 464, 256 < y < 352   H = 30 - col, V = row - 16
// with col = x / 16 and row = y / 16; the byte is H x 16 + V. Outside the box
// (or for q outside 0..3) there is none.
std::optional<std::uint8_t> itemByteForPointer(int q, int x, int y);

// Writes the item byte for the pointer when there is one; returns whether it
// wrote.
bool moveItem(GameImage& image, int levelIndex, int q, int x, int y);

// The two checkered 16 x 16 markers: bright white at the item position and
// cyan at its left-right mirror image. For i = 0..7 and j = 0..7 it sets
// (x + 2j, y + 2i) and (x + 2j + 1, y + 2i + 1) to bright white, then
// (255 - x - 2j, y + 2i) and (254 - x - 2j, y + 2i + 1) to cyan; every other
// pixel keeps what lies beneath. Pixels outside the picture are skipped.
void drawItemOverlay(TFastDIB& levelPicture, std::uint8_t itemByte, int q);

} // namespace zq
