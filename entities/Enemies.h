#pragma once
// The enemy table: one 16-byte entry per level at Spectrum 0x74A1 + 16 x level
// index. Bytes 0..13 hold the records of the seven enemy slots, two bytes each;
// byte 14 is the enemies pattern and byte 15 the burst time.
//
// Enemy record:
//   byte 0: column (bits 7-3, character columns from the left), kind (bits 2-0)
//   byte 1: row (bits 7-3, character rows from the top), bits 2-1 unused by
//           the editor, facing (bit 0)
// Column 0 means the slot is empty; the editor writes an emptied slot as 0, 0.
// Enemy type: 2 x kind + facing (0..15) for an occupied slot, 16 for an empty
// one; it is also the number of the slot's picture "B0".."B16".
//
// Every function here writes only bytes of the given level's entry, through
// the bounded access of GameImage.

#include "gfx/FastDIB.h"
#include "image/GameImage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zq {

inline constexpr int kEnemySlotCount = 7;
inline constexpr int kEnemyTypeCount = 16; // occupied types 0..15
inline constexpr int kEmptyEnemyType = 16;
inline constexpr std::uint8_t kNewEnemyFirstByte = 0x18; // column 3, kind 0
inline constexpr std::size_t kEnemiesPatternByte = 14;
inline constexpr std::size_t kBurstTimeByte = 15;

// One slot as decoded from its record.
struct EnemySlot {
    std::uint8_t column = 0; // 0..31, 0 = empty
    std::uint8_t kind = 0;   // 0..7
    std::uint8_t row = 0;    // 0..31
    std::uint8_t facing = 0; // 0 or 1
    std::uint8_t type = kEmptyEnemyType;
};

// The seven slots of a level in slot order (slot 0 is the first).
using EnemySlotView = std::array<EnemySlot, kEnemySlotCount>;

// Image offset of a level's entry: 13500 + 16 x level index.
std::size_t enemyEntryOffset(int levelIndex);
// Image offset of the record of a slot (0..6) of a level's entry.
std::size_t enemyRecordOffset(int levelIndex, int slot);

// Decodes one record. Any byte pair gives a row in 0..31 and, for a column
// other than 0, a type in 0..15 (bits 2-1 of byte 1 are ignored).
EnemySlot decodeEnemySlot(std::uint8_t b0, std::uint8_t b1);
EnemySlotView decodeEnemies(const GameImage& image, int levelIndex);

// The name of the picture of an enemy type: "B0".."B16".
std::string enemyPictureName(int type);

// A step of a slot's type control from oldType (the type last decoded) to
// newType (0..16), written into the slot's record:
//   - oldType 16 and newType 0 or 15 creates an enemy: byte 0 becomes 0x18,
//     byte 1 keeps its row;
//   - newType 16 clears the record to 0, 0;
//   - newType 0..15 replaces bits 2-0 of byte 0 by the kind and bits 2-0 of
//     byte 1 by the facing, keeping column and row.
// A slot outside 0..6 or a newType outside 0..16 changes nothing.
void stepEnemyType(GameImage& image, int levelIndex, int slot, int oldType, int newType);

// Byte 14 and byte 15 of a level's entry, as stored.
int enemiesPattern(const GameImage& image, int levelIndex);
int burstTime(const GameImage& image, int levelIndex);
// Store the low eight bits of the value in byte 14 / byte 15.
void setEnemiesPattern(GameImage& image, int levelIndex, int pattern);
void setBurstTime(GameImage& image, int levelIndex, int time);

// The enemy under a pointer at (x, y) in level view pixels (the view shows
// each picture pixel as 2 x 2, so x / 16 and y / 16 are character cells).
// A slot matches when the cell lies on the 2 x 2 cells its picture covers.
// All seven slots are tested, empty ones too; the highest matching slot
// wins; with no match the result is current.
int selectEnemy(const EnemySlotView& slots, int x, int y, int current);

// Drags a slot to the character cell under (x, y) in level view pixels.
// Only when 2 <= x / 16 <= 28 and 0 < y < 352: byte 0 becomes
// column x 8 + kind and byte 1 row x 8 + facing, kind and facing taken from
// the slot view. Returns whether the record was written.
bool moveEnemy(GameImage& image, int levelIndex, const EnemySlotView& slots, int slot, int x, int y);

// One-bit masks of the enemy types 0..15: 16 rows from the top, two bytes per
// row (pixels 0-7, then 8-15), most significant bit leftmost. A bit is set
// where the type's picture is not black, except for four pixels of row 12 of
// mask 6 (columns 2..5), which are clear.
using EnemyMask = std::array<std::uint8_t, 32>;
extern const std::array<EnemyMask, kEnemyTypeCount> kEnemyMasks;

// Marks the enemies on the level picture: for each occupied slot in slot
// order, the 16 x 16 square at (8 x column, 8 x row) is written whole, the
// mask's set bits in palette[ink] (ink 0..7) and its clear bits in black.
// Later slots overwrite earlier ones. Marks that reach past the picture's
// right or bottom edge are clipped to it.
void drawEnemyOverlay(TFastDIB& levelPicture, const EnemySlotView& slots, int ink);

} // namespace zq
