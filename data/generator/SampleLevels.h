#pragma once
// The 79 level layouts of the sample game: their grid, how they are made
// (hand-made ones and random ones drawn half by half) and their records.

#include "data/generator/SampleCommon.h"

#include <array>
#include <vector>

namespace sampledata {

// ---------------------------------------------------------------------------
// Level layouts: 22 rows x 28 columns of blocks
// ---------------------------------------------------------------------------
constexpr int kRows = 22;
constexpr int kCols = 28;
using Grid = std::array<std::array<bool, kCols>, kRows>;

struct Level {
  Grid grid{};
  bool mirrored = false;
};

inline bool isFloorGap(int col) { return (col >= 7 && col <= 10) || (col >= 17 && col <= 20); }

// Every level, hand-made or drawn; no two alike.
std::vector<Level> makeLevels();

// A level's record as it is stored in the image.
std::vector<Byte> packLevel(const Level& level);

}  // namespace sampledata
