// Making what the sample game places on its levels: enemies, air-flow
// records, special bubbles, items, level colours and credits.

#include "data/generator/SampleEntities.h"

#include "data/generator/SampleMemory.h"
#include "data/generator/SampleRandom.h"
#include "data/generator/SampleScreen.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <iterator>
#include <set>
#include <utility>

namespace sampledata {

// ---------------------------------------------------------------------------
// Enemies
// ---------------------------------------------------------------------------
namespace {

// An enemy is 2 x 2 cells with its top-left at screen cell (column, row); it
// stands when both cells under it hold blocks.
bool canStand(const Grid& g, int column, int row) {
  const int gc = column - 2, gr = row - 2;
  if (column < 2 || column > 28 || row < 2 || row > 21) return false;
  for (int r = gr; r < gr + 2; ++r)
    for (int c = gc; c < gc + 2; ++c)
      if (g[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]) return false;
  return g[static_cast<std::size_t>(row)][static_cast<std::size_t>(gc)] && g[static_cast<std::size_t>(row)][static_cast<std::size_t>(gc + 1)];
}

}  // namespace

std::vector<EnemyEntry> makeEnemies(const std::vector<Level>& levels, std::vector<int>& levelsWithHoles) {
  Rng rng(0xBAD5);
  std::vector<EnemyEntry> entries(kLevelCount);
  for (int i = 0; i < kLevelCount; ++i) {
    const Grid& g = levels[static_cast<std::size_t>(i)].grid;
    EnemyEntry& e = entries[static_cast<std::size_t>(i)];
    e.pattern = rng.below(8);
    e.burst = i % 13 == 6 ? rng.range(0, 9) : rng.range(24, 255);

    std::vector<std::pair<int, int>> spots;
    for (int row = 2; row <= 21; ++row)
      for (int column = 2; column <= 28; ++column)
        if (canStand(g, column, row)) spots.emplace_back(column, row);
    rng.shuffle(spots);
    // Platforms first: the floor is used only when the ledges are full.
    std::stable_sort(spots.begin(), spots.end(), [](const auto& a, const auto& b) { return (a.second == 21) < (b.second == 21); });

    const int wanted = i % 11 == 4 ? rng.range(1, 2) : rng.range(3, 7);
    std::vector<Enemy> chosen;
    for (const auto& [column, row] : spots) {
      if (static_cast<int>(chosen.size()) == wanted) break;
      bool crowded = false;
      for (const auto& o : chosen) crowded = crowded || (std::abs(o.column - column) < 3 && o.row == row);
      if (crowded) continue;
      chosen.push_back({column, row, 0, column < 16 ? 0 : 1});
    }
    // Kinds: each level uses one or two of the eight, rotating over the game.
    const int mainKind = (i * 3) % 8;
    const int otherKind = (mainKind + rng.range(1, 7)) % 8;
    for (std::size_t n = 0; n < chosen.size(); ++n) {
      chosen[n].kind = n % 3 == 2 ? otherKind : mainKind;
      if (rng.chance(20)) chosen[n].facing ^= 1;
    }
    // Every seventh level keeps an empty slot between its enemies.
    const bool hole = i % 7 == 3 && chosen.size() >= 2 && chosen.size() <= 6;
    std::size_t slot = 0;
    for (std::size_t n = 0; n < chosen.size(); ++n) {
      if (hole && n == 1) ++slot;
      e.slot[slot++] = chosen[n];
    }
    if (hole) levelsWithHoles.push_back(i + 1);
  }
  return entries;
}

std::vector<Byte> packEnemies(const EnemyEntry& e) {
  std::vector<Byte> out(16, 0);
  for (std::size_t s = 0; s < 7; ++s) {
    const Enemy& m = e.slot[s];
    if (m.column == 0) continue;
    out[2 * s] = static_cast<Byte>(m.column << 3 | m.kind);
    out[2 * s + 1] = static_cast<Byte>(m.row << 3 | m.facing);
  }
  out[14] = static_cast<Byte>(e.pattern);
  out[15] = static_cast<Byte>(e.burst);
  return out;
}

// ---------------------------------------------------------------------------
// Airflow records
// ---------------------------------------------------------------------------
namespace {

std::vector<Byte> encodeAirflow(int gapSet, const std::vector<Area>& areas, int spareNibble) {
  const int n = static_cast<int>(areas.size()) - 1;
  std::vector<Byte> out(static_cast<std::size_t>(airflowLength(n)), 0);
  out[0] = static_cast<Byte>(gapSet << 4 | n);
  for (int k = 0; k <= n; ++k) {
    const Area& a = areas[static_cast<std::size_t>(k)];
    const int nibble = a.direction + 4 * (a.row / 8);
    Byte& dir = out[static_cast<std::size_t>(1 + k / 2)];
    dir = static_cast<Byte>(k % 2 == 0 ? (dir & 0x0F) | nibble << 4 : (dir & 0xF0) | nibble);
    out[static_cast<std::size_t>(2 + n / 2 + 2 * k)] = static_cast<Byte>(a.width << 4 | a.column);
    out[static_cast<std::size_t>(3 + n / 2 + 2 * k)] = static_cast<Byte>((a.height / 2) << 4 | (a.height & 1) << 3 | (a.row % 8));
  }
  if (n % 2 == 0) out[static_cast<std::size_t>(1 + n / 2)] = static_cast<Byte>(out[static_cast<std::size_t>(1 + n / 2)] | spareNibble);
  return out;
}

// A plausible current: a band along a row, a column of air, or a small pocket.
Area randomArea(Rng& rng) {
  Area a{};
  switch (rng.below(3)) {
    case 0:
      a.width = rng.range(3, 9);
      a.height = rng.range(1, 2);
      a.direction = rng.chance(50) ? 1 : 3;
      break;
    case 1:
      a.width = rng.range(1, 2);
      a.height = rng.range(3, 10);
      a.direction = rng.chance(60) ? 2 : 0;
      break;
    default:
      a.width = rng.range(2, 4);
      a.height = rng.range(2, 4);
      a.direction = rng.below(4);
      break;
  }
  a.column = rng.range(2, 16 - a.width);
  a.row = rng.range(2, 24 - a.height);
  return a;
}

}  // namespace

std::vector<AirflowRecord> makeAirflow() {
  const std::set<int> distinct(kAirflowAddress.begin(), kAirflowAddress.end());
  std::vector<AirflowRecord> records;
  for (auto it = distinct.begin(); it != distinct.end(); ++it) {
    const auto next = std::next(it);
    records.push_back({*it, next == distinct.end() ? 6 : *next - *it, 0, {}, {}});
  }
  Rng rng(0xA1F);
  // Gap sets: the first thirteen records take 0..12 in shuffled order, so that
  // every set appears; the rest pick freely.
  std::vector<int> gapSets;
  for (int g = 0; g <= 12; ++g) gapSets.push_back(g);
  rng.shuffle(gapSets);
  int oddCount = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    AirflowRecord& rec = records[i];
    rec.gapSet = i < gapSets.size() ? gapSets[i] : rng.range(0, 12);
    int n = 0;
    while (n < 10 && airflowLength(n + 1) <= rec.room) ++n;
    if (n > 0 && rng.chance(20)) --n;  // leave a few spare bytes now and then
    for (int k = 0; k <= n; ++k) rec.areas.push_back(randomArea(rng));
    int spare = 0;
    if (n % 2 == 0 && oddCount++ % 3 == 1) spare = rng.range(1, 15);
    rec.bytes = encodeAirflow(rec.gapSet, rec.areas, spare);
  }
  return records;
}

// ---------------------------------------------------------------------------
// Special bubbles, items, colours, credits
// ---------------------------------------------------------------------------

namespace {

// `count` different level numbers (1..79) in random order.
std::vector<int> randomLevelNumbers(Rng& rng, std::size_t count) {
  std::vector<int> numbers;
  for (int n = 1; n <= kLevelCount; ++n) numbers.push_back(n);
  rng.shuffle(numbers);
  numbers.resize(count);
  return numbers;
}

}  // namespace

// Four ascending groups (Water, Lightning, Fire, Extend) each closed by a zero;
// 49 numbers fill the 53 bytes exactly. A few numbers lie above 79.
std::vector<Byte> makeBubbleTable() {
  Rng rng(0xB0B);
  std::vector<int> numbers = randomLevelNumbers(rng, 45);
  for (int n : {81, 84, 87, 90}) numbers.push_back(n);
  rng.shuffle(numbers);
  const std::array<std::size_t, 4> sizes = {13, 11, 12, 13};
  std::vector<Byte> table;
  std::size_t pos = 0;
  for (std::size_t size : sizes) {
    std::vector<int> group(numbers.begin() + static_cast<std::ptrdiff_t>(pos), numbers.begin() + static_cast<std::ptrdiff_t>(pos + size));
    std::sort(group.begin(), group.end());
    for (int n : group) table.push_back(static_cast<Byte>(n));
    table.push_back(0);
    pos += size;
  }
  return table;
}

std::vector<int> makeLowerItemList() {
  Rng rng(0x17E);
  std::vector<int> numbers = randomLevelNumbers(rng, 13);
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

namespace {

// Grid cells (row, column) covered by an item byte in placement state q.
std::array<int, 2> itemCell(int q, int h, int v) {
  const int column = q >= 2 ? 30 - h : h;
  const int row = (q % 2 == 1) ? v + 16 : v;
  return {row - 2, column - 2};
}

}  // namespace

bool itemBoxOk(int q, int h, int v) {
  if (h < 2 || h > 14) return false;
  return q % 2 == 1 ? v <= 5 : v >= 3;
}

// One item per level, on a 2 x 2 spot free of blocks and enemies, resting on a
// block when possible.
std::vector<Byte> makeItems(const std::vector<Level>& levels, const std::vector<EnemyEntry>& enemies, const std::vector<int>& lower) {
  Rng rng(0x17E5);
  std::vector<Byte> items;
  for (int i = 0; i < kLevelCount; ++i) {
    const Level& level = levels[static_cast<std::size_t>(i)];
    const bool low = std::find(lower.begin(), lower.end(), i + 1) != lower.end();
    const int q = (low ? 1 : 0) + (level.mirrored ? 0 : 2);
    const int vLo = low ? 0 : 3, vHi = low ? 5 : 15;
    Grid taken = level.grid;
    for (const Enemy& m : enemies[static_cast<std::size_t>(i)].slot)
      if (m.column != 0)
        for (int r = m.row - 2; r < m.row; ++r)
          for (int c = m.column - 2; c < m.column; ++c) taken[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = true;
    auto cell = [&](int r, int c) { return taken[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]; };
    int best = -1;
    for (int pass = 0; pass < 2 && best < 0; ++pass)
      for (int tries = 0; tries < 300 && best < 0; ++tries) {
        const int h = rng.range(2, 14), v = rng.range(vLo, vHi);
        const auto [r, c] = itemCell(q, h, v);
        if (cell(r, c) || cell(r, c + 1) || cell(r + 1, c) || cell(r + 1, c + 1)) continue;
        const bool resting = r + 2 < kRows && level.grid[static_cast<std::size_t>(r + 2)][static_cast<std::size_t>(c)] && level.grid[static_cast<std::size_t>(r + 2)][static_cast<std::size_t>(c + 1)];
        if (pass == 0 && !resting) continue;
        best = h << 4 | v;
      }
    if (best < 0) best = 8 << 4 | (low ? 2 : 8);
    items.push_back(static_cast<Byte>(best));
  }
  return items;
}

// Ink on paper for the 15 colour entries; five have the big border.
std::vector<Byte> makeLevelAttributes() {
  struct Entry {
    int ink, paper;
    bool bigBorder;
  };
  const std::array<Entry, 15> entries = {{{kYellow, kBlue, false},
                                          {kCyan, kBlue, true},
                                          {kWhite, kRed, false},
                                          {kGreen, kBlue, false},
                                          {kBlue, kWhite, false},
                                          {kYellow, kRed, true},
                                          {kWhite, kMagenta, false},
                                          {kBlue, kYellow, false},
                                          {kYellow, kMagenta, false},
                                          {kWhite, kGreen, true},
                                          {kMagenta, kWhite, false},
                                          {kWhite, kBlue, false},
                                          {kBlue, kGreen, true},
                                          {kMagenta, kYellow, false},
                                          {kCyan, kMagenta, true}}};
  std::vector<Byte> out;
  for (const auto& e : entries) out.push_back(static_cast<Byte>((e.bigBorder ? 0x80 : 0) | e.paper << 3 | e.ink));
  return out;
}

const std::array<Credit, 3> kCredits = {{{kTitle, 24, "ZELQUOR - BUBBLE CAVERNS"},
                                         {kCompany, 21, "Brambleyard Bytes"},
                                         {kAuthor, 20, "by the Zelquor Crew"}}};

}  // namespace sampledata
