// The snapshot header and the regions of the sample game image, each written
// and checked.

#include "data/generator/SampleImage.h"

#include "data/generator/SamplePixelArt.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

namespace sampledata {

// The 27-byte snapshot header. The saved PC sits on the stack at SP, so
// resuming the snapshot starts the start-up program.
std::vector<Byte> snapshotHeader(int sp) {
  std::vector<Byte> h;
  h.push_back(0x3F);     // I
  putLe(h, 0x2758, 2);   // HL'
  putLe(h, 0x0000, 2);   // DE'
  putLe(h, 0x0000, 2);   // BC'
  putLe(h, 0x0044, 2);   // AF'
  putLe(h, 0x0000, 2);   // HL
  putLe(h, 0x0000, 2);   // DE
  putLe(h, 0x0000, 2);   // BC
  putLe(h, 0x5C3A, 2);   // IY
  putLe(h, 0x0000, 2);   // IX
  h.push_back(0x04);     // IFF2: interrupts enabled
  h.push_back(0x2A);     // R
  putLe(h, 0x0054, 2);   // AF
  putLe(h, static_cast<std::uint32_t>(sp), 2);
  h.push_back(0x01);     // interrupt mode 1
  h.push_back(0x00);     // border: black
  return h;
}

// ---------------------------------------------------------------------------
// Filling the image, region by region. Each step checks what it wrote.
// ---------------------------------------------------------------------------
namespace {

std::string levelName(int index) { return "level " + std::to_string(index + 1); }

}  // namespace

// A few system variables with their usual values, and the stack word that
// holds the start address. Returns the snapshot's SP.
int writeSystemArea(Memory& mem) {
  mem.claim(kPagingByte, 1, "paging byte");
  mem.at(kPagingByte) = 0x00;
  mem.claim(0x5C00, 0x100, "system variables");
  mem.at(0x5C00) = 0xFF;  // KSTATE: both key slots free
  mem.at(0x5C04) = 0xFF;
  mem.at(0x5C09) = 35;    // REPDEL
  mem.at(0x5C0A) = 5;     // REPPER
  mem.at(0x5C36) = 0x00;  // CHARS = 0x3C00
  mem.at(0x5C37) = 0x3C;
  mem.at(0x5C48) = 0x00;  // BORDCR: black border
  mem.at(0x5C8D) = 0x07;  // ATTR_P
  mem.at(0x5CB2) = 24978 & 0xFF;  // RAMTOP, as the tape loader's CLEAR sets it
  mem.at(0x5CB3) = 24978 >> 8;
  mem.at(0x5CB4) = 0xFF;  // P_RAMT
  mem.at(0x5CB5) = 0xFF;
  const int sp = kStackTop - 2;
  mem.claim(sp, 2, "stack");
  mem.at(sp) = kBoot & 0xFF;
  mem.at(sp + 1) = kBoot >> 8;
  return sp;
}

// Level records and the mirror bitmap. Returns the address after the last record.
int writeLevels(Memory& mem, const std::vector<Level>& levels, int& fullWidth) {
  std::vector<Byte> mirror(10, 0);
  std::vector<Byte> records;
  fullWidth = 0;
  for (int i = 0; i < kLevelCount; ++i) {
    const Level& level = levels[static_cast<std::size_t>(i)];
    const Grid& g = level.grid;
    if (level.mirrored) mirror[static_cast<std::size_t>(i / 8)] = static_cast<Byte>(mirror[static_cast<std::size_t>(i / 8)] | (0x80 >> (i % 8)));
    fullWidth += level.mirrored ? 0 : 1;
    const auto record = packLevel(level);
    records.insert(records.end(), record.begin(), record.end());

    for (int j = 0; j < i; ++j) require(levels[static_cast<std::size_t>(j)].grid != g, levelName(j) + " and " + levelName(i) + " are identical");
    int floor = 0;
    for (int c = 0; c < kCols; ++c) {
      if (isFloorGap(c)) require(!g[kRows - 1][static_cast<std::size_t>(c)], "floor gap of " + levelName(i));
      floor += g[kRows - 1][static_cast<std::size_t>(c)] ? 1 : 0;
    }
    require(floor >= 16, "floor of " + levelName(i));
    if (level.mirrored)
      for (const auto& row : g)
        for (int c = 0; c < 14; ++c) require(row[static_cast<std::size_t>(c)] == row[static_cast<std::size_t>(kCols - 1 - c)], levelName(i) + " is symmetric");
  }
  const int end = kLevels + static_cast<int>(records.size());
  require(fullWidth <= 46, "at most 46 full-width levels");
  require(end <= kEnemyTable, "level records end before the enemy table");
  mem.claim(kLevels, static_cast<int>(records.size()), "level records");
  mem.put(kLevels, records);
  mem.claim(kMirrorBitmap, 10, "mirror bitmap");
  mem.put(kMirrorBitmap, mirror);
  return end;
}

void writeEnemies(Memory& mem, const std::vector<EnemyEntry>& enemies, const std::vector<int>& levelsWithHoles) {
  mem.claim(kEnemyTable, 16 * kLevelCount, "enemy table");
  std::set<int> kindsUsed, facingsUsed;
  for (int i = 0; i < kLevelCount; ++i) {
    const EnemyEntry& e = enemies[static_cast<std::size_t>(i)];
    int count = 0;
    for (const Enemy& m : e.slot) {
      if (m.column == 0) continue;
      ++count;
      require(m.column >= 2 && m.column <= 28 && m.row >= 0 && m.row <= 21 && m.kind >= 0 && m.kind <= 7, "enemy of " + levelName(i) + " in range");
      kindsUsed.insert(m.kind);
      facingsUsed.insert(m.facing);
    }
    require(count >= 1 && count <= 7, levelName(i) + " has 1..7 enemies");
    require(e.pattern >= 0 && e.pattern <= 7 && e.burst >= 0 && e.burst <= 255, "enemies pattern and burst time in range");
    mem.put(kEnemyTable + 16 * i, packEnemies(e));
  }
  require(kindsUsed.size() == 8 && facingsUsed.size() == 2, "all enemy kinds and both facings used");
  require(!levelsWithHoles.empty(), "some level has an empty slot between enemies");
}

void writeAirflow(Memory& mem, const std::vector<AirflowRecord>& airflow) {
  std::set<int> gapSetsUsed;
  for (const auto& rec : airflow) {
    require(static_cast<int>(rec.bytes.size()) <= rec.room, "airflow record at " + hex(rec.address) + " fits its room");
    require(rec.bytes.size() == static_cast<std::size_t>(airflowLength(static_cast<int>(rec.areas.size()) - 1)), "airflow record length");
    for (const Area& a : rec.areas)
      require(a.width >= 1 && a.height >= 1 && a.column >= 2 && a.column + a.width - 1 <= 15 && a.row >= 2 && a.row + a.height - 1 <= 23 && a.direction >= 0 && a.direction <= 3,
              "airflow area of record " + hex(rec.address) + " inside columns 2..15, rows 2..23");
    gapSetsUsed.insert(rec.gapSet);
    mem.claim(rec.address, static_cast<int>(rec.bytes.size()), "airflow record " + hex(rec.address));
    mem.put(rec.address, rec.bytes);
  }
  require(gapSetsUsed == std::set<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), "gap sets 0..12 all used");
}

void writeBubbles(Memory& mem, const std::vector<Byte>& bubbles) {
  require(bubbles.size() == kBubbleTableSize, "bubble table is 53 bytes");
  require(std::count(bubbles.begin(), bubbles.end(), 0) == 4 && bubbles.back() == 0, "bubble table holds four groups and no spare byte");
  std::set<int> seen;
  for (std::size_t i = 0; i < bubbles.size(); ++i) {
    if (bubbles[i] == 0) continue;
    require(seen.insert(bubbles[i]).second, "level number " + std::to_string(bubbles[i]) + " once in the bubble table");
    require(bubbles[i + 1] == 0 || bubbles[i + 1] > bubbles[i], "bubble groups ascending");
  }
  require(seen.size() == 49, "49 level numbers in the bubble table");
  mem.claim(kBubbleTable, kBubbleTableSize + 1, "bubble table");
  mem.put(kBubbleTable, bubbles);
  mem.at(kBubbleTable + kBubbleTableSize) = 0xFF;  // the byte after the table is not a group end
}

// Colours, the lower item list, the credits and the block patterns.
void writeTables(Memory& mem, const std::vector<int>& lower) {
  mem.claim(kLevelAttributes, 15, "level attributes");
  mem.put(kLevelAttributes, makeLevelAttributes());
  mem.claim(kLowerItemList, 13, "lower item list");
  for (std::size_t i = 0; i < lower.size(); ++i) mem.at(kLowerItemList + static_cast<int>(i)) = static_cast<Byte>(lower[i]);

  for (const Credit& c : kCredits) {  // each followed by a byte that is not a space
    require(static_cast<int>(c.text.size()) <= c.width, "credit text fits its field");
    mem.claim(c.address, c.width + 1, "credit text");
    for (int i = 0; i < c.width; ++i) {
      const char ch = i < static_cast<int>(c.text.size()) ? c.text[static_cast<std::size_t>(i)] : ' ';
      require(ch >= 32 && ch <= 126, "credit text is printable");
      mem.at(c.address + i) = static_cast<Byte>(ch);
    }
    mem.at(c.address + c.width) = 0xFF;
  }

  mem.claim(kBlockPatternTable, 40, "block patterns");
  for (std::size_t p = 0; p < kBlockPatterns.size(); ++p)
    for (std::size_t r = 0; r < 8; ++r) mem.at(kBlockPatternTable + static_cast<int>(8 * p + r)) = rowBits(kBlockPatterns[p][r]);
}

void writeBoot(Memory& mem, const std::vector<Byte>& boot) {
  const std::vector<Byte> signature = {0xF3, 0x31, 0x90, 0x61, 0xFD, 0x21, 0x3A, 0x5C, 0xED, 0x56};
  require(boot.size() >= signature.size() && std::equal(signature.begin(), signature.end(), boot.begin()), "boot.bin starts with the signature");
  require(kBoot + static_cast<int>(boot.size()) <= kItemTable, "start-up program ends before the item table");
  mem.claim(kBoot, static_cast<int>(boot.size()), "start-up program");
  mem.put(kBoot, boot);
}

void writeItems(Memory& mem, const std::vector<Level>& levels, const std::vector<int>& lower, const std::vector<Byte>& items) {
  mem.claim(kItemTable, kLevelCount, "item table");
  for (int i = 0; i < kLevelCount; ++i) {
    const bool low = std::find(lower.begin(), lower.end(), i + 1) != lower.end();
    const int q = (low ? 1 : 0) + (levels[static_cast<std::size_t>(i)].mirrored ? 0 : 2);
    const Byte b = items[static_cast<std::size_t>(i)];
    require(itemBoxOk(q, b >> 4, b & 15), "item byte of " + levelName(i) + " inside its box");
    mem.at(kItemTable + i) = b;
  }
}

}  // namespace sampledata
