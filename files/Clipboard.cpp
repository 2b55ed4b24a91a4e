#include "files/Clipboard.h"

#include <algorithm>

namespace zq {

namespace {

// Reads a cell of the layout held in the clipboard, by the same cell codes
// as the records in the image.
bool clipboardCell(const LevelClipboard& clipboard, CellCode code)
{
    const std::size_t at = code / 10;
    if (at >= clipboard.bytes.size())
        return false;
    return ((unsigned(clipboard.bytes[at]) << (code % 10)) & 0x80) != 0;
}

bool validLevel(int levelIndex)
{
    return levelIndex >= 0 && levelIndex < kLevelCount;
}

} // namespace

void copyLevel(const GameImage& image, const LevelRecord& record, LevelClipboard& clipboard)
{
    clipboard.full = true;
    clipboard.flag = record.mirrored ? kMirroredFlag : 0;
    clipboard.bytes.fill(0);
    const auto source = image.view(record.offset, record.size());
    std::ranges::copy(source, clipboard.bytes.begin());
}

bool pasteLevel(GameImage& image, const LevelRecord& target, const LevelClipboard& clipboard,
                const CellCodeTables& codes)
{
    if (!clipboard.full)
        return false;
    const auto dest = image.view(target.offset, target.size());

    if (clipboard.mirrored() == target.mirrored) {
        std::copy_n(clipboard.bytes.begin(), dest.size(), dest.begin());
        return true;
    }

    std::ranges::fill(dest, 0);
    for (int r = 0; r < kGridRows; ++r)
        for (int c = 0; c < kMirroredCols; ++c) {
            if (clipboard.mirrored()) {
                // Mirrored onto full-width: the half and its mirror image.
                if (!clipboardCell(clipboard, codes.code(true, r, c)))
                    continue;
                setCell(image, target.offset, codes.code(false, r, c), true);
                setCell(image, target.offset, codes.code(false, r, kGridCols - 1 - c), true);
            } else {
                // Full-width onto mirrored: the left half only.
                if (clipboardCell(clipboard, codes.code(false, r, c)))
                    setCell(image, target.offset, codes.code(true, r, c), true);
            }
        }
    return true;
}

bool copyEnemies(const GameImage& image, int levelIndex, EnemyClipboard& clipboard)
{
    if (!validLevel(levelIndex))
        return false;
    clipboard.full = true;
    std::ranges::copy(image.view(enemyEntryOffset(levelIndex), kEnemyEntrySize), clipboard.bytes.begin());
    return true;
}

bool pasteEnemies(GameImage& image, int levelIndex, const EnemyClipboard& clipboard)
{
    if (!clipboard.full || !validLevel(levelIndex))
        return false;
    std::ranges::copy(clipboard.bytes, image.view(enemyEntryOffset(levelIndex), kEnemyEntrySize).begin());
    return true;
}

} // namespace zq
