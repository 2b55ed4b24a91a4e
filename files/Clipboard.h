#pragma once
// The editor's own clipboards: one level's block layout and one level's
// enemy entry. Copy fills a clipboard from the game image; paste writes it
// onto the level shown. Neither is ever emptied again once filled (opening
// another snapshot keeps them), and the system clipboard is not involved.

#include "entities/Enemies.h"
#include "image/GameImage.h"
#include "image/LayoutGrid.h"
#include "image/LevelData.h"

#include <array>
#include <cstdint>

namespace zq {

inline constexpr std::uint8_t kMirroredFlag = 0x80;

struct LevelClipboard {
    bool full = false;
    std::uint8_t flag = 0; // 0 = copied from a full-width level, 0x80 = from a mirrored one
    std::array<std::uint8_t, kFullRecordSize> bytes{}; // 39 used when mirrored, the rest zero

    bool mirrored() const { return flag == kMirroredFlag; }
};

// Copies the record (77 or 39 bytes) and its kind into the clipboard and
// marks it full.
void copyLevel(const GameImage& image, const LevelRecord& record, LevelClipboard& clipboard);

// Pastes the clipboard onto the target record, which keeps its own kind and
// size (no record moves, the mirror bitmap is not written):
// - same kind: the 77 or 39 bytes are copied over;
// - mirrored onto full-width: the 77 bytes are cleared and every set cell
//   (r, c) of the clipboard sets (r, c) and (r, 27 - c), a symmetric layout;
// - full-width onto mirrored: the 39 bytes are cleared and columns 0..13 are
//   copied; columns 14..27 are dropped and the 4 spare low bits of byte 38
//   end up 0.
// Returns false (nothing written) when the clipboard is empty.
bool pasteLevel(GameImage& image, const LevelRecord& target, const LevelClipboard& clipboard,
                const CellCodeTables& codes);

struct EnemyClipboard {
    bool full = false;
    std::array<std::uint8_t, kEnemyEntrySize> bytes{};
};

// Copies level levelIndex's enemy entry and marks the clipboard full.
// Returns false (clipboard unchanged) for a level index outside 0..78.
bool copyEnemies(const GameImage& image, int levelIndex, EnemyClipboard& clipboard);

// Writes the clipboard over level levelIndex's enemy entry. Returns false
// (nothing written) when the clipboard is empty or the index is outside 0..78.
bool pasteEnemies(GameImage& image, int levelIndex, const EnemyClipboard& clipboard);

} // namespace zq
