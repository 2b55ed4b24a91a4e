#include "pack/PackNames.h"

#include <array>

namespace zq {

namespace {

constexpr std::array<const char*, 8> kColours = {"Black", "Blue", "Red", "Magenta", "Green", "Cyan", "Yellow", "White"};
constexpr std::array<const char*, 5> kBubbles = {"None", "Water", "Lightning", "Fire", "Extend"};
constexpr std::array<const char*, 4> kDirections = {"up", "right", "down", "left"};

} // namespace

const char* colourName(int colour) { return kColours[std::size_t(colour & 7)]; }

const char* bubbleName(int type)
{
    return type >= 0 && type < int(kBubbles.size()) ? kBubbles[std::size_t(type)] : "Unknown";
}

const char* directionName(int direction) { return kDirections[std::size_t(direction & 3)]; }

const char* kindName(bool mirrored) { return mirrored ? "mirrored" : "full"; }

std::span<const char* const> colourNames() { return kColours; }
std::span<const char* const> bubbleNames() { return kBubbles; }
std::span<const char* const> directionNames() { return kDirections; }

std::optional<int> nameIndex(std::span<const char* const> names, std::string_view name)
{
    for (std::size_t i = 0; i < names.size(); ++i)
        if (name == names[i])
            return int(i);
    return std::nullopt;
}

} // namespace zq
