#include "entities/Enemies.h"

#include "render/Palette.h"

#include <algorithm>

namespace zq {

namespace {

bool validSlot(int slot) { return slot >= 0 && slot < kEnemySlotCount; }

} // namespace

std::size_t enemyEntryOffset(int levelIndex)
{
    return off::EnemyTable + kEnemyEntrySize * std::size_t(levelIndex);
}

std::size_t enemyRecordOffset(int levelIndex, int slot)
{
    return enemyEntryOffset(levelIndex) + 2 * std::size_t(slot);
}

EnemySlot decodeEnemySlot(std::uint8_t b0, std::uint8_t b1)
{
    EnemySlot s;
    s.column = std::uint8_t(b0 >> 3);
    s.kind = std::uint8_t(b0 & 7);
    s.row = std::uint8_t(b1 >> 3);
    s.facing = std::uint8_t(b1 & 1);
    s.type = s.column == 0 ? std::uint8_t(kEmptyEnemyType) : std::uint8_t(2 * s.kind + s.facing);
    return s;
}

EnemySlotView decodeEnemies(const GameImage& image, int levelIndex)
{
    EnemySlotView view;
    for (int n = 0; n < kEnemySlotCount; ++n) {
        const std::size_t p = enemyRecordOffset(levelIndex, n);
        view[std::size_t(n)] = decodeEnemySlot(image.get(p), image.get(p + 1));
    }
    return view;
}

std::string enemyPictureName(int type)
{
    return "B" + std::to_string(type);
}

void stepEnemyType(GameImage& image, int levelIndex, int slot, int oldType, int newType)
{
    if (!validSlot(slot) || newType < 0 || newType > kEmptyEnemyType)
        return;
    const std::size_t p = enemyRecordOffset(levelIndex, slot);

    if (oldType == kEmptyEnemyType && (newType == 0 || newType == kEnemyTypeCount - 1))
        image.set(p, kNewEnemyFirstByte);

    if (newType == kEmptyEnemyType) {
        image.set(p, 0);
        image.set(p + 1, 0);
        return;
    }

    const int kind = newType >> 1;
    const int facing = newType & 1;
    image.set(p, std::uint8_t((image.get(p) & 0xF8) | kind));
    image.set(p + 1, std::uint8_t((image.get(p + 1) & 0xF8) | facing));
}

int enemiesPattern(const GameImage& image, int levelIndex)
{
    return image.get(enemyEntryOffset(levelIndex) + kEnemiesPatternByte);
}

int burstTime(const GameImage& image, int levelIndex)
{
    return image.get(enemyEntryOffset(levelIndex) + kBurstTimeByte);
}

void setEnemiesPattern(GameImage& image, int levelIndex, int pattern)
{
    image.set(enemyEntryOffset(levelIndex) + kEnemiesPatternByte, std::uint8_t(pattern));
}

void setBurstTime(GameImage& image, int levelIndex, int time)
{
    image.set(enemyEntryOffset(levelIndex) + kBurstTimeByte, std::uint8_t(time));
}

int selectEnemy(const EnemySlotView& slots, int x, int y, int current)
{
    const int col = x / 16;
    const int row = y / 16;
    int selected = current;
    for (int i = 0; i < kEnemySlotCount; ++i) {
        const int c = slots[std::size_t(i)].column;
        const int r = slots[std::size_t(i)].row;
        if (c - 1 < col && col < c + 2 && r - 1 < row && row < r + 2)
            selected = i;
    }
    return selected;
}

bool moveEnemy(GameImage& image, int levelIndex, const EnemySlotView& slots, int slot, int x, int y)
{
    if (!validSlot(slot))
        return false;
    const int col = x / 16;
    const int row = y / 16;
    if (col < 2 || col > 28 || y <= 0 || y >= 352)
        return false;
    const EnemySlot& s = slots[std::size_t(slot)];
    const std::size_t p = enemyRecordOffset(levelIndex, slot);
    image.set(p, std::uint8_t(col * 8 + (s.kind & 7)));
    image.set(p + 1, std::uint8_t(row * 8 + (s.facing & 1)));
    return true;
}

void drawEnemyOverlay(TFastDIB& levelPicture, const EnemySlotView& slots, int ink)
{
    const int width = levelPicture.Width();
    const int height = levelPicture.Height();
    if (width <= 0 || height <= 0)
        return;
    const std::uint32_t mark = kPalette[std::size_t(ink & 7)];
    const std::uint32_t black = kPalette[colour::Black];

    for (const EnemySlot& s : slots) {
        if (s.column == 0 || s.type >= kEnemyTypeCount)
            continue;
        const EnemyMask& mask = kEnemyMasks[s.type];
        const int left = 8 * s.column;
        const int top = 8 * s.row;
        const int rows = std::min(16, height - top);
        const int columns = std::min(16, width - left);
        for (int i = 0; i < rows; ++i) {
            std::uint32_t* line = levelPicture.Line(top + i);
            for (int j = 0; j < columns; ++j) {
                const bool set = mask[std::size_t(2 * i + j / 8)] & (0x80 >> (j % 8));
                line[left + j] = set ? mark : black;
            }
        }
    }
}

} // namespace zq
