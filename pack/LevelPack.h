#pragma once
// A level pack: the game's data in the game's own terms, apart from the game
// itself, so that a mod can be shared without the game's code. It holds the
// levels it carries (layout, enemies, item, special bubble, and on the level
// that owns an air-flow record its areas and gap set), the level attributes
// and block patterns with the levels that own them, the credit texts, and
// where the game data holds bits that this form has no field for, the raw
// bytes beside the field, so that nothing is lost.
//
// A pack is built from a game image here, written and read as JSON by
// pack/PackJson, and applied by pack/PackApply.

#include "entities/Enemies.h"
#include "image/GameImage.h"
#include "image/LevelData.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zq {

using Signature = std::array<std::uint8_t, kSignatureSize>;

// The game's signature: the ten bytes at 0xF5BC.
Signature gameSignature(const GameImage& image);

struct PackEnemy {
    int type = kEmptyEnemyType; // 0..15, or 16 for an empty slot
    int column = 0;             // 1..31 for an occupied slot
    int row = 0;                // 0..31
    bool operator==(const PackEnemy&) const = default;
};

struct PackEnemies {
    std::array<PackEnemy, kEnemySlotCount> slot{};
    int pattern = 1; // the enemies pattern as shown, 1..8
    int burstTime = 0;
    // The 16 bytes of the entry when they hold bits the fields above do not
    // (bits 2-1 of a record's second byte, an empty slot that is not 0, 0,
    // a pattern byte above 7).
    std::optional<std::array<std::uint8_t, kEnemyEntrySize>> raw;
};

struct PackItem {
    std::uint8_t byte = 0;
    // Where the byte puts the item on the 256 x 192 picture; always written,
    // optional when read (and then checked against the byte).
    std::optional<int> x, y;
};

struct PackArea {
    int column = 0, row = 0, width = 0, height = 0, direction = 0;
    bool operator==(const PackArea&) const = default;
};

struct PackAirflow {
    int gapSet = 0;
    std::vector<PackArea> areas; // n + 1 of them
    // The record's bytes when the spare low nibble of an odd area count is set.
    std::optional<std::vector<std::uint8_t>> raw;
};

struct PackLevel {
    int level = 1; // level number, 1..79
    std::optional<bool> mirrored;
    // 22 rows of '#' (block) and '.' (open): 14 characters for a mirrored
    // level's stored half, 28 for a full-width level.
    std::optional<std::vector<std::string>> layout;
    // The last byte of a mirrored record when its four spare bits are set.
    std::optional<std::uint8_t> layoutLastByte;
    std::optional<PackEnemies> enemies;
    std::optional<PackItem> item;
    std::optional<int> bubble; // 0 None .. 4 Extend
    std::optional<PackAirflow> airflow;
};

struct PackAttribute {
    int level = 1; // 1..15
    int ink = 0, paper = 0;
    bool bigBorder = false;
    std::optional<std::uint8_t> raw; // when bit 6 is set
};

struct PackPattern {
    int level = 1; // 1..5
    std::array<std::string, kPatternSize> rows; // 8 x 8 of '#' and '.'
};

struct PackCredit {
    std::string text; // characters 32..126; any other byte shows as '?'
    std::optional<std::vector<std::uint8_t>> raw; // when the text cannot hold the field
};

// Bytes of the game data regions that belong to no level or table: the room
// after the last level record and between air-flow records. A run of at
// least kUnusedFillRun equal bytes is one entry (written as a fill), other
// bytes go in entries of at most kUnusedChunk.
inline constexpr std::size_t kUnusedFillRun = 8;
inline constexpr std::size_t kUnusedChunk = 32;
struct PackUnused {
    std::uint16_t address = 0;
    std::vector<std::uint8_t> bytes;
};

inline constexpr int kCreditFieldCount = 3;

struct LevelPack {
    Signature game{};
    std::vector<PackLevel> levels; // in level order, each level once
    std::vector<PackAttribute> attributes;
    std::vector<PackPattern> patterns;
    std::array<std::optional<PackCredit>, kCreditFieldCount> credits; // Title, Company, Author
    // The special bubble table whole, when the levels' bubbles do not give
    // it (its order, spare bytes or numbers no level has).
    std::optional<std::array<std::uint8_t, kBubbleTableSize>> bubbleTable;
    std::optional<std::array<std::uint8_t, kLowerItemCount>> lowerItemList;
    std::vector<PackUnused> unused;
};

// The special bubble of a level as a pack holds it: the bubble type the
// editor shows, 0 (None) for values that select no type.
int packBubble(const GameImage& image, int levelIndex);

// The lowest level index whose air-flow record lies where levelIndex's
// does: the level that owns (and edits) the record.
int airflowOwner(int levelIndex);

// The bytes of the game data regions that no level or table holds, as
// (image offset, length): the room after the last level record and the
// bytes between the air-flow records.
std::vector<std::pair<std::size_t, std::size_t>> unusedRanges(const GameImage& image);

// Whether a level's own data differ between two images: its kind and
// layout, enemy entry, item byte, special bubble and, on the level that owns
// it, its air-flow record (not the shared attribute and pattern tables).
bool levelDataDiffers(const GameImage& game, const GameImage& base, int levelIndex);

// The pieces of one level, decoded from the image (every field set).
PackLevel readPackLevel(const GameImage& image, int levelIndex);
PackAttribute readPackAttribute(const GameImage& image, int entry);
PackPattern readPackPattern(const GameImage& image, int entry);
PackCredit readPackCredit(const GameImage& image, CreditField field);

// The special bubble table built from the levels' bubbles: each group's
// level numbers in ascending order and its zero byte, then zero spare
// bytes. Nothing when more than 49 levels have a bubble.
std::optional<std::array<std::uint8_t, kBubbleTableSize>> canonicalBubbleTable(const std::array<int, kLevelCount>& bubbles);

// The whole game: every level, table and credit, with the raw bytes and
// unused runs that make applying it to another copy of the game give back
// every byte of the game data regions.
LevelPack wholeGamePack(const GameImage& game);

// Only what differs from `base` (the default game): the levels whose own
// data differ, the attribute and pattern entries and credits that differ,
// and the bubble table, lower item list and unused runs when they differ.
LevelPack changesPack(const GameImage& game, const GameImage& base);

// One level with its enemies, item and bubble, and where it owns them its
// attribute, pattern and air-flow record.
LevelPack singleLevelPack(const GameImage& game, int levelIndex);

} // namespace zq
