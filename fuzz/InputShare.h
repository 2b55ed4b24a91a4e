#pragma once
// Picks a share of the fuzz inputs by their contents (FNV-1a of the size and
// the first 64 bytes), so that a reproducer takes the same path again.

#include <cstddef>
#include <cstdint>
#include <span>

namespace zq::fuzz {

// True for about one input in `share`.
inline bool inShare(std::span<const std::uint8_t> input, std::uint32_t share)
{
    std::uint32_t h = 2166136261u ^ std::uint32_t(input.size());
    for (std::size_t i = 0; i < input.size() && i < 64; ++i)
        h = (h ^ input[i]) * 16777619u;
    return h % share == 0;
}

} // namespace zq::fuzz
