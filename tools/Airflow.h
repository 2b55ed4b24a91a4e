#pragma once
// Air flow of a level: the game keeps one small record per level (several
// levels share some) listing rectangular areas of the screen with a flow
// direction each, plus a gap set that fixes the flow in the openings of the
// top wall and of the bottom row. This module finds the records, decodes the
// current level's record into area tables and a per-cell flow map, writes the
// area tables back, and draws the flow map and the current area over the level
// picture.
//
// Record layout (n = number of areas - 1, 4 bits):
//   byte 0                 gap set in bits 7-4, n in bits 3-0
//   bytes 1 .. 1 + n/2     direction nibbles, area 0 in the high nibble of
//                          byte 1, area 1 in its low nibble, and so on; with an
//                          odd area count the last low nibble is spare
//   2 + n/2 + 2k           area k: width in bits 7-4, left column in bits 3-0
//   3 + n/2 + 2k           area k: height / 2 in bits 7-4, height bit 0 in
//                          bit 3, top row mod 8 in bits 2-0
// A direction nibble holds the flow direction in bits 1-0 and top row / 8 in
// bits 3-2.

#include "image/GameData.h"
#include "image/GameImage.h"
#include "image/LayoutGrid.h"
#include "render/Renderer.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace zq {

// Spectrum address of each level's airflow record, in level index order
// (level number = index + 1). Several levels share one record.
inline constexpr std::array<std::uint16_t, 79> kAirflowRecordAddresses = {
    0x79B3, 0x79B3, 0x79BB, 0x79CB, 0x79DB, 0x79DB, 0x79EB, 0x79F1, 0x79FA, 0x7A08, // 1-10
    0x7A11, 0x7A1C, 0x7A2F, 0x7A2F, 0x7A35, 0x7A3B, 0x7A49, 0x7A52, 0x7A62, 0x7A70, // 11-20
    0x7A7B, 0x7A84, 0x7A8D, 0x7A96, 0x7A9C, 0x7AA7, 0x7AAB, 0x7AB6, 0x7ABC, 0x7AC0, // 21-30
    0x7ACB, 0x7AD9, 0x7AE4, 0x7AEF, 0x7AEF, 0x79B3, 0x7AF7, 0x7AFD, 0x7B01, 0x7B07, // 31-40
    0x7ABC, 0x7ABC, 0x79EB, 0x7B1D, 0x7B21, 0x7AEF, 0x7B29, 0x79B3, 0x7B36, 0x79B3, // 41-50
    0x7B3E, 0x79B3, 0x7B46, 0x7B51, 0x7B57, 0x7B67, 0x7B72, 0x7B82, 0x7B95, 0x7A2F, // 51-60
    0x7BA0, 0x7BA4, 0x7BAA, 0x7BB0, 0x7BB6, 0x7BC1, 0x7BC7, 0x7BD2, 0x7AEF, 0x7BDA, // 61-70
    0x7BE5, 0x7BEB, 0x7BF1, 0x7BF7, 0x7C07, 0x7C0D, 0x7C0D, 0x7C13, 0x7C19,         // 71-79
};

// Level numbers whose record address already belongs to a lower level, in
// the game's stored order. Their record is shown but edited only from the
// lowest level that uses it. 80 matches no level.
inline constexpr std::array<int, 16> kSharedAirflowLevels = {
    2, 36, 48, 50, 52, 6, 43, 14, 60, 41, 42, 35, 46, 69, 77, 80,
};

// True when levelNumber (level index + 1) is in kSharedAirflowLevels.
bool isSharedAirflowLevel(int levelNumber);

// Image offset of the airflow record of a level index; an index outside
// 0..78 is clamped to that range.
std::size_t airflowRecordOffset(int levelIndex);

enum FlowDirection { FlowUp = 0, FlowRight = 1, FlowDown = 2, FlowLeft = 3 };

// The direction seen in the mirror (x -> 31 - x): right and left swap, up and
// down stay. The argument is taken mod 4.
int mirrorDirection(int d);

// The decoded record of the current level. The tables hold all 16 areas the
// 4-bit count allows, so a record with n above 10 (which the game's own data
// never has) is still held whole; entries above n are 0.
struct AirflowRecord {
    static constexpr int kMaxAreas = 16;
    std::size_t offset = 0; // image offset of the record
    int n = 0;              // number of areas - 1, as decoded (0..15)
    int gapSet = 0;         // bits 7-4 of byte 0 (0..15; 13..15 change no gap)
    bool shared = false;    // the current level's number is in the shared list
    std::array<int, kMaxAreas> direction{}, width{}, column{}, height{}, row{};

    int areaCount() const { return n + 1; }
};

// The flow map: 32 x 24 bytes, one per character cell, row by row from the
// top: bits 7-6 flow direction, bit 5 wall, bits 4-0 zero.
struct FlowMap {
    static constexpr std::uint8_t kWallFlag = 0x20;
    std::array<std::uint8_t, kScreenCols * kScreenRows> cells{};

    // Cell (x, y) with x 0..31 and y 0..23; 0 for a cell off the map.
    std::uint8_t at(int x, int y) const;
    // Flow direction of cell (x, y), 0..3.
    int direction(int x, int y) const { return at(x, y) >> 6; }
    // True when cell (x, y) holds a wall or a block.
    bool wall(int x, int y) const { return (at(x, y) & kWallFlag) != 0; }
};

// Reads the record at an image offset into the record's offset, n, gap set
// and area tables (all 16 entries cleared first; entries 0..n filled). The
// shared flag is left alone. For each area: the direction is the nibble's
// bits 1-0 and its bits 3-2 add 8 each to the top row, so a nibble of 12..15
// gives a row of 24 or more, which lies off the map. Bytes beyond the end of
// the image read as 0.
void readAirflowRecord(const GameImage& image, std::size_t offset, AirflowRecord& record);

// Builds the flow map from the wall map and a decoded record:
//   1. every cell 0x20 if its wall map byte is a wall, else 0x00;
//   2. rows 0..2 flow down; rows 2..22 get 0x60 (right, wall) in columns 0
//      and 1 and 0xE0 (left, wall) in columns 30 and 31;
//   3. the gap rule of the gap set on the four wall gaps (sets 13..15 change
//      nothing);
//   4. areas 0..n in order, each painted with its direction and, at column
//      31 - x, with the mirrored one; later areas overwrite earlier ones.
//      Areas are clipped to the 32 x 24 map.
// Every cell ends as one of 0x00, 0x20, ..., 0xE0.
void buildFlowMap(const WallMap& walls, const AirflowRecord& record, FlowMap& flow);

// The whole decode of the current level: its record (from the address table)
// into the record, the flow map built on the wall map, and the shared flag
// from the level's number. Reads only; the caller then sets the controls.
void decodeAirflow(const GameImage& image, int levelIndex, const WallMap& walls, AirflowRecord& record,
                   FlowMap& flow);

// Writes areas 0..n of the record back at record.offset: byte 0 =
// (gapSet & 15) x 16 + n; each direction nibble = (direction & 3) +
// 4 x (row / 8) into its half of the byte (the other half, and the spare low
// nibble of an odd area count, keep their bits); then each area's two bytes
// from width, column, height and row, every field mod 16. It is the exact
// inverse of readAirflowRecord for every area the format can hold. Writes
// nothing outside the record's bytes nor outside the image.
void encodeAirflow(GameImage& image, const AirflowRecord& record, int gapSet);

// The airflow overlay: every cell of the map gets the arrow glyph of its
// direction in the level's ink at pixel (8x, 8y); a wall cell is first filled
// with paper, an open cell keeps the picture under the glyph's clear pixels.
// Draws with the renderer's Draw cell in glyph mode and moves its draw cursor.
void drawAirflowOverlay(LevelRenderer& renderer, const RenderTarget& target, const FlowMap& flow);

// The highlight of area `area` of the record: each cell of its rectangle (the
// left one only, not the mirror image), clipped to the map, filled with grey
// and carrying the area's arrow in ink. Draws nothing for an area outside
// 0..n. The caller skips it on a shared record.
void drawAreaHighlight(LevelRenderer& renderer, const RenderTarget& target, const AirflowRecord& record, int area);

} // namespace zq
