#pragma once
// Level packs as text: UTF-8 JSON that names its format and version and the
// game it belongs to (the ten signature bytes at 0xF5BC in hex), written in
// a stable order with two-space indents, one layout or pattern row, enemy
// slot, air-flow area or table entry a line, so that one changed block is
// one changed line in a diff:
//
//   {
//     "format": "zelquor-level-pack",
//     "version": 1,
//     "game": "F3319061FD213A5CED56",
//     "levels": [{
//       "level": 1, "kind": "mirrored",
//       "layout": [
//         "##############",            22 rows, 14 '#'/'.' for a mirrored
//         ...                          level's stored half, 28 for a full one
//       ],
//       "enemies": [
//         [5, 10, 6],                  [type, column, row]
//         "empty",                     7 slots in all
//         ...
//       ],
//       "enemiesPattern": 6, "burstTime": 182, "item": {"byte": "0x55", "x": 40, "y": 168},
//       "bubble": "Water",
//       "airflow": {                   on the level that owns the record
//         "gapSet": 0,
//         "areas": [
//           {"rect": [3, 10, 2, 3], "direction": "right"}      column, row, width, height
//         ]
//       }
//     }, {
//       "level": 2, ...
//     }],
//     "attributes": [
//       {"level": 1, "ink": "Yellow", "paper": "Blue", "bigBorder": false},
//       ...
//     ],
//     "patterns": [{"level": 1, "rows": ["#.#.#.#.", ...8 rows]}, ...],
//     "credits": {"title": "...", "company": "...", "author": "..."},
//     "lowerItemList": [1, 5, ...],
//     "unused": [{"address": "0x7225", "fill": "0x00", "length": 636}, {"address": "0x79B9", "bytes": "0000"}]
//   }
//
// Raw bytes, in hex, stand beside a field where the game holds bits it has
// no place for: "layoutLastByte", "enemiesRaw", an attribute's or the air
// flow's "raw", "titleRaw" (and the like), "bubbleTable".

#include "pack/LevelPack.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zq {

inline constexpr std::string_view kPackFormatName = "zelquor-level-pack";
inline constexpr int kPackVersion = 1;
inline constexpr const char* kPackExtension = ".zqpack";
// Anything larger is refused before it is parsed.
inline constexpr std::size_t kMaxPackSize = std::size_t(4) << 20;

std::string writePackJson(const LevelPack& pack);

struct PackReadResult {
    std::optional<LevelPack> pack; // nothing when refused
    std::string error;             // why it was refused
    // Keys this version does not know, as paths ("levels[3].colour"); they
    // are ignored (a later version may have written them).
    std::vector<std::string> unknownKeys;
};

// Reads a pack, checking every value's range; nothing of a refused pack is
// kept. Errors name what does not fit, in words that follow "not applied: ":
// "level 5: \"burstTime\" must be a whole number from 0 to 255", "the level
// pack is not valid JSON: parse error at line 3, column 4: ...". Text over
// kMaxPackSize is refused unparsed.
PackReadResult readPackJson(std::string_view text);

// The one status line for unknown keys: "The level pack has keys this
// version does not know; they were ignored: a, b, c" (at most a few named).
std::string unknownKeysWarning(const std::vector<std::string>& keys);

} // namespace zq
