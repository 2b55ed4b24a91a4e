// Making the level layouts: the half painter and the random halves, the
// hand-made levels, the choice of full-width levels, and the level records.

#include "data/generator/SampleLevels.h"

#include "data/generator/SampleMemory.h"
#include "data/generator/SampleRandom.h"

#include <algorithm>
#include <cstddef>
#include <set>
#include <string_view>

namespace sampledata {

namespace {

// Draws into one half of a level. Half columns run 0..13 from the side wall to
// the centre line; the right half is stored flipped, so a half design reads
// the same on both sides.
class HalfPainter {
 public:
  HalfPainter(Grid& g, bool right) : g_(g), right_(right) {}

  int col(int c) const { return right_ ? kCols - 1 - c : c; }
  bool get(int r, int c) const {
    return g_[static_cast<std::size_t>(r)][static_cast<std::size_t>(col(c))];
  }
  void set(int r, int c) {
    if (r >= 0 && r < kRows && c >= 0 && c < 14) g_[static_cast<std::size_t>(r)][static_cast<std::size_t>(col(c))] = true;
  }
  void hline(int r, int c0, int c1) {
    for (int c = c0; c <= c1; ++c) set(r, c);
  }
  void vline(int c, int r0, int r1) {
    for (int r = r0; r <= r1; ++r) set(r, c);
  }
  // True if every cell of the rectangle (clipped to the half) is empty.
  bool empty(int r0, int c0, int r1, int c1) const {
    for (int r = std::max(r0, 0); r <= std::min(r1, kRows - 1); ++r)
      for (int c = std::max(c0, 0); c <= std::min(c1, 13); ++c)
        if (get(r, c)) return false;
    return true;
  }

 private:
  Grid& g_;
  bool right_;
};

// One half of a random level: the floor, a ledge every three to five rows and
// a few extras (pillars, cups, teeth, steps, a centre tower).
void paintHalf(Grid& g, Rng& rng, bool right) {
  HalfPainter p(g, right);
  for (int c = 0; c < 14; ++c)
    if (!isFloorGap(c)) p.set(kRows - 1, c);

  std::vector<int> ledgeRows;
  int row = rng.range(3, 5);
  int previous = -1;
  while (row <= 18) {
    int style = rng.below(6);
    if (style == previous) style = rng.below(6);
    previous = style;
    switch (style) {
      case 0:  // shelf on the side wall
        p.hline(row, 0, rng.range(3, 6));
        break;
      case 1:  // bridge over the centre line
        p.hline(row, rng.range(7, 10), 13);
        break;
      case 2: {  // floating platform
        const int a = rng.range(2, 6);
        p.hline(row, a, std::min(12, a + rng.range(2, 5)));
        break;
      }
      case 3:  // shelf and bridge with a gap between them
        p.hline(row, 0, rng.range(2, 4));
        p.hline(row, rng.range(8, 10), 13);
        break;
      case 4: {  // long ledge with a hole to drop through
        const int hole = rng.range(4, 8);
        const int width = rng.range(3, 4);
        for (int c = 0; c < 14; ++c)
          if (c < hole || c >= hole + width) p.set(row, c);
        break;
      }
      default: {  // two short stubs
        const int a = rng.range(1, 3);
        p.hline(row, a, a + 1);
        const int b = rng.range(7, 10);
        p.hline(row, b, b + rng.range(1, 2));
        break;
      }
    }
    if (p.get(row, 0) && rng.chance(30)) p.set(row + 1, 0);  // bracket under a wall shelf
    ledgeRows.push_back(row);
    row += rng.chance(70) ? 4 : rng.range(3, 5);
  }

  // Pillars standing on the floor.
  if (rng.chance(40)) {
    const int c = rng.chance(50) ? rng.range(2, 5) : rng.range(12, 13);
    const int h = rng.range(2, 3);
    if (p.empty(kRows - 2 - h - 1, c - 1, kRows - 2, c + 1)) p.vline(c, kRows - 1 - h, kRows - 2);
  }
  // A cup: a U shape sitting on a ledge or the floor.
  if (rng.chance(35)) {
    for (int tries = 0; tries < 6; ++tries) {
      const int base = tries < 3 && !ledgeRows.empty() ? ledgeRows[static_cast<std::size_t>(rng.below(static_cast<int>(ledgeRows.size())))] : kRows - 1;
      const int c0 = rng.range(1, 8), w = rng.range(4, 5), h = rng.range(2, 3);
      bool supported = true;
      for (int c = c0; c < c0 + w; ++c) supported = supported && p.get(base, c);
      if (!supported || c0 + w - 1 > 13 || !p.empty(base - h - 1, c0 - 1, base - 1, c0 + w)) continue;
      p.vline(c0, base - h, base - 1);
      p.vline(c0 + w - 1, base - h, base - 1);
      break;
    }
  }
  // Teeth hanging under a ledge.
  if (rng.chance(30) && !ledgeRows.empty()) {
    const int r = ledgeRows[static_cast<std::size_t>(rng.below(static_cast<int>(ledgeRows.size())))];
    if (r + 2 < kRows - 1)
      for (int c = 0; c < 14; c += 2)
        if (p.get(r, c) && p.empty(r + 1, c, r + 2, c)) p.set(r + 1, c);
  }
  // Steps up from the floor towards the side wall.
  if (rng.chance(25) && p.empty(16, 0, 20, 6)) {
    p.hline(20, 4, 5);
    p.hline(19, 2, 3);
    p.hline(18, 0, 1);
  }
  // A tower on the centre line, between two ledges.
  if (rng.chance(30)) {
    const int top = rng.range(3, 10), len = rng.range(3, 6);
    if (p.empty(top - 1, 11, top + len, 13)) {
      p.vline(12, top, top + len - 1);
      p.vline(13, top, top + len - 1);
    }
  }
}

void mirrorLeftHalf(Grid& g) {
  for (auto& row : g)
    for (std::size_t c = 0; c < 14; ++c) row[kCols - 1 - c] = row[c];
}

Grid parseGrid(const std::array<std::string_view, kRows>& art) {
  Grid g{};
  for (std::size_t r = 0; r < kRows; ++r) {
    const auto& line = art[r];
    require(line.size() == 14 || line.size() == kCols, "hand-made level row of bad width");
    for (std::size_t c = 0; c < line.size(); ++c) g[r][c] = line[c] == '#';
  }
  if (art[0].size() == 14) mirrorLeftHalf(g);
  return g;
}

// Hand-made levels: mirrored ones give the left half only.
struct HandMade {
  int index;
  std::array<std::string_view, kRows> art;
};

const std::array<HandMade, 6> kHandMade = {{
    {0,  // level 1: four shelves and bridges
     {"..............", "..............", "..............", "..............", "..............",
      "##.....#######", "..............", "..............", "..............", "##.....#######",
      "..............", "..............", "..............", "##.....#######", "..............",
      "..............", "..............", "##.....#######", "..............", "..............",
      "..............", "#######....###"}},
    {1,  // level 2: cups on the ledges
     {"..............", "..............", "..............", "..............", "...#...#......",
      "...#####...###", "..............", "..............", "............##", "#.......#.....",
      "#########.....", "..............", "..............", "....#...#....#", "....#####....#",
      "............##", "..............", "##............", "..#.....####..", "..#...........",
      "..#...........", "#######....###"}},
    {9,  // level 10: a staircase across the screen
     {"............................", "............................", "............................",
      "....................########", "............................", "............................",
      "..............#####.........", "............................", "............................",
      "........#####...............", "............................", "............................",
      "..#####.............#####...", "............................", "............................",
      "..............#####.........", "............................", "............................",
      "########............######..", "............................", "............................",
      "#######....######....#######"}},
    {25,  // level 26: a big Z
     {"............................", "............................", "............................",
      "............................", "..####################......", "....................##......",
      "...................##.......", "..................##........", "##...............##.......##",
      "................##..........", "...............##...........", "..............##............",
      ".............##.............", "............##..............", "...........##...............",
      "##........##..............##", ".........##.................", "........##..................",
      "......####################..", "............................", "............................",
      "#######....######....#######"}},
    {49,  // level 50: towers
     {"..............", "..............", "....##........", "....##........", "....##....####",
      "....##........", "....##........", "##..##........", "....##...#####", "....##........",
      "....##........", "....######....", "..............", "..............", ".........#####",
      "##............", "..............", "..............", "....####....##", "..............",
      "..............", "#######....###"}},
    {78,  // level 79: the vault
     {"............................", "............................", "............................",
      "............................", "####....................####", "............................",
      "............................", "........############........", "........#..........#........",
      "........#..........#........", "###.....#..........#......##", "........#..........#........",
      "........#...####...#........", "........#..........#........", "........####....####........",
      "............................", "............................", "....######.........######...",
      "............................", "............................", "###.........................",
      "#######....######....#######"}},
}};

// Which levels are full-width: the hand-made full-width ones plus a fixed
// random choice, kFullWidthLevels in all.
std::array<bool, kLevelCount> chooseMirrored() {
  std::array<bool, kLevelCount> mirrored{};
  mirrored.fill(true);
  std::set<int> fixed;
  int full = 0;
  for (const auto& h : kHandMade) {
    fixed.insert(h.index);
    if (h.art[0].size() == kCols) {
      mirrored[static_cast<std::size_t>(h.index)] = false;
      ++full;
    }
  }
  std::vector<int> pool;
  for (int i = 0; i < kLevelCount; ++i)
    if (!fixed.count(i)) pool.push_back(i);
  Rng rng(0x31E7);
  rng.shuffle(pool);
  for (std::size_t i = 0; full < kFullWidthLevels; ++i, ++full) mirrored[static_cast<std::size_t>(pool[i])] = false;
  return mirrored;
}

}  // namespace

std::vector<Level> makeLevels() {
  const auto mirrored = chooseMirrored();
  std::vector<Level> levels(kLevelCount);
  Rng rng(0x1E7E1);
  for (int i = 0; i < kLevelCount; ++i) {
    Level& level = levels[static_cast<std::size_t>(i)];
    level.mirrored = mirrored[static_cast<std::size_t>(i)];
    const auto hand = std::find_if(kHandMade.begin(), kHandMade.end(), [&](const HandMade& h) { return h.index == i; });
    if (hand != kHandMade.end()) {
      level.grid = parseGrid(hand->art);
      continue;
    }
    // Draw until the layout is new; a repeat is unlikely but must not happen.
    for (;;) {
      level.grid = Grid{};
      paintHalf(level.grid, rng, false);
      if (level.mirrored) {
        mirrorLeftHalf(level.grid);
      } else {
        paintHalf(level.grid, rng, true);
        // Some full-width levels get a platform across the centre line, off centre.
        if (rng.chance(50)) {
          const int r = rng.range(4, 16), c0 = rng.range(8, 13), w = rng.range(5, 8);
          bool clear = true;
          for (int rr = r - 1; rr <= r + 1; ++rr)
            for (int c = c0; c < c0 + w; ++c) clear = clear && !level.grid[static_cast<std::size_t>(rr)][static_cast<std::size_t>(c)];
          if (clear)
            for (int c = c0; c < c0 + w; ++c) level.grid[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = true;
        }
      }
      bool repeat = false;
      for (int j = 0; j < i; ++j) repeat = repeat || levels[static_cast<std::size_t>(j)].grid == level.grid;
      if (!repeat) break;
    }
  }
  return levels;
}

// A level's record: one bit per stored cell, first cell in bit 7 of byte 0.
std::vector<Byte> packLevel(const Level& level) {
  const int width = level.mirrored ? 14 : kCols;
  std::vector<Byte> record(level.mirrored ? kMirroredRecord : kFullRecord, 0);
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < width; ++c)
      if (level.grid[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]) {
        const int k = width * r + c;
        record[static_cast<std::size_t>(k / 8)] = static_cast<Byte>(record[static_cast<std::size_t>(k / 8)] | (0x80 >> (k % 8)));
      }
  return record;
}

}  // namespace sampledata
