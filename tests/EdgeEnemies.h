#pragma once
// Enemy records on every edge of the level, for the tests of images no
// release of the game holds (the core's decoders and the window alike).

#include "entities/Enemies.h"
#include "image/GameImage.h"

#include <array>
#include <cstdint>
#include <utility>

namespace zq::test {

// Records on every edge: column 31 row 22, column 30 row 31, column 31 row
// 31, an empty slot with kind and row bits, and records with bits 2-1 set.
inline const std::array<std::pair<std::uint8_t, std::uint8_t>, kEnemySlotCount> kEdgeRecords = {{
    {0xFF, 0xB7}, {0xF5, 0xFE}, {0xFF, 0xFF}, {0x07, 0xFF}, {0x52, 0x37}, {0x8B, 0x06}, {0x08, 0xF9},
}};

// Every level's slots set to kEdgeRecords, its enemies pattern and burst
// time bytes to 0xFF.
inline void putEdgeEnemies(GameImage& image)
{
    for (int level = 0; level < kLevelCount; ++level) {
        for (int slot = 0; slot < kEnemySlotCount; ++slot) {
            image.set(enemyRecordOffset(level, slot), kEdgeRecords[std::size_t(slot)].first);
            image.set(enemyRecordOffset(level, slot) + 1, kEdgeRecords[std::size_t(slot)].second);
        }
        image.set(enemyEntryOffset(level) + kEnemiesPatternByte, 0xFF);
        image.set(enemyEntryOffset(level) + kBurstTimeByte, 0xFF);
    }
}

} // namespace zq::test
