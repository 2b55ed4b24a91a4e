#pragma once
// What the sample game places on its levels: enemies, air-flow records,
// special bubbles, items and level colours, and the credit texts.

#include "data/generator/SampleCommon.h"
#include "data/generator/SampleLevels.h"

#include <array>
#include <string_view>
#include <vector>

namespace sampledata {

// Enemies.
struct Enemy {
  int column = 0, row = 0, kind = 0, facing = 0;  // screen cells; column 0 = empty slot
};

struct EnemyEntry {
  std::array<Enemy, 7> slot{};
  int pattern = 0;
  int burst = 0;
};

// One entry per level; the levels whose entry keeps an empty slot between
// enemies go to levelsWithHoles (level numbers).
std::vector<EnemyEntry> makeEnemies(const std::vector<Level>& levels, std::vector<int>& levelsWithHoles);
std::vector<Byte> packEnemies(const EnemyEntry& e);

// Airflow records.
struct Area {
  int direction, column, width, row, height;  // direction: 0 up, 1 right, 2 down, 3 left
};

inline int airflowLength(int n) { return 4 + n / 2 + 2 * n; }

struct AirflowRecord {
  int address;
  int room;
  int gapSet;
  std::vector<Area> areas;
  std::vector<Byte> bytes;
};

// One record for each distinct address the levels use, encoded.
std::vector<AirflowRecord> makeAirflow();

// Special bubbles, items, colours, credits.
std::vector<Byte> makeBubbleTable();
std::vector<int> makeLowerItemList();
// Whether item byte (h, v) lies inside the box of placement state q.
bool itemBoxOk(int q, int h, int v);
std::vector<Byte> makeItems(const std::vector<Level>& levels, const std::vector<EnemyEntry>& enemies, const std::vector<int>& lower);
std::vector<Byte> makeLevelAttributes();

struct Credit {
  int address;
  int width;
  std::string_view text;
};

extern const std::array<Credit, 3> kCredits;

}  // namespace sampledata
