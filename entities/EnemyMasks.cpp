// The enemy mask table: 16 masks of 32 bytes in type order, generated from
// the enemy pictures B0..B15 together with the carried data.

#include "entities/Enemies.h"

namespace zq {

namespace {

constexpr std::uint8_t kMaskBytes[] = {
#include "data/EnemyMasks.inc"
};
static_assert(sizeof(kMaskBytes) == kEnemyTypeCount * sizeof(EnemyMask), "16 masks of 32 bytes");

constexpr std::array<EnemyMask, kEnemyTypeCount> buildMasks()
{
    std::array<EnemyMask, kEnemyTypeCount> masks{};
    for (std::size_t i = 0; i < sizeof(kMaskBytes); ++i)
        masks[i / 32][i % 32] = kMaskBytes[i];
    return masks;
}

} // namespace

const std::array<EnemyMask, kEnemyTypeCount> kEnemyMasks = buildMasks();

} // namespace zq
