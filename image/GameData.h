#pragma once
// The game data regions: the parts of the game image that hold the game's
// data, as opposed to its code, its screen, its variables and the snapshot
// header. They are what the editor edits, plus what decides how it reads
// them (the mirror bitmap fixes the kinds and places of the level records).
//
// Whatever is written into a running copy of the game (a checkpoint start, a
// live edit) and whatever a level pack carries is taken from these regions
// and from nothing else.

#include "image/GameImage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zq {

// The last air-flow record lies here (level 79's); its length follows from
// its own area count.
inline constexpr std::uint16_t kLastAirflowRecord = 0x7C19;

// Length in bytes of an air-flow record with n + 1 areas: 4 + n/2 + 2n (4
// for one area, 6 for two, 9 for three). n is taken mod 16, as the format
// holds it.
std::size_t airflowRecordLength(int n);

struct GameDataRegion {
    std::string_view name;
    std::size_t offset; // image offset
    std::size_t length;

    std::uint16_t address() const { return spectrumAddress(offset); }
    std::size_t end() const { return offset + length; }
};

inline constexpr std::size_t kGameDataRegionCount = 12;
using GameDataRegions = std::array<GameDataRegion, kGameDataRegionCount>;

// The regions of `image`, in address order. Only the air-flow region
// depends on the image: it runs from the first record to the end of the
// last one.
GameDataRegions gameDataRegions(const GameImage& image);

// The one region that depends on the image: the air-flow records, from the
// first to the end of the last.
GameDataRegion airflowRegion(const GameImage& image);

// True when the image offset lies in one of the regions.
bool isGameData(const GameDataRegions& regions, std::size_t offset);

// The number of bytes the regions hold.
std::size_t gameDataSize(const GameDataRegions& regions);

} // namespace zq
