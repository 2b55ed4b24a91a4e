#pragma once
// POKE files (.pok), the trainer files emulators read: a mod as the pokes
// that turn the default game into it, for players who apply it to their own
// copy in an emulator that takes POKE files.
//
//   NMy level pack          a trainer and its name
//   M  8 25000  12   0      a poke: bank 8 (no bank, 48K), address, value,
//   Z  8 25001  34   0      original byte; Z marks the trainer's last poke
//   Y                       the end of the file
//
// Every field is decimal; addresses are in address order, however many.

#include "image/GameImage.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zq {

struct Poke {
    std::uint16_t address = 0;
    std::uint8_t value = 0;
    std::uint8_t original = 0;
    bool operator==(const Poke&) const = default;
};

// The bytes of the game data regions where `game` differs from `base`, in
// address order.
std::vector<Poke> gameDataPokes(const GameImage& game, const GameImage& base);

// A trainer name from a file name's stem: printable ASCII, at most 29
// characters; "Zelquor level pack" when nothing is left.
std::string trainerName(std::string_view stem);

// The file of one trainer with the pokes (at least one).
std::string pokeFileText(const std::string& name, const std::vector<Poke>& pokes);

} // namespace zq
