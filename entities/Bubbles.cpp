#include "entities/Bubbles.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace zq {

namespace {

constexpr std::size_t kSize = kBubbleTableSize; // 53

// The table and, at index 53, the byte that follows it.
using Table = std::array<std::uint8_t, kSize + 1>;

Table readTable(const GameImage& image)
{
    Table t{};
    for (std::size_t i = 0; i <= kSize; ++i)
        t[i] = image.get(off::BubbleTable + i);
    return t;
}

// Writes bytes 0..52 back; the byte after the table is never written.
void writeTable(GameImage& image, const Table& t)
{
    for (std::size_t i = 0; i < kSize; ++i)
        image.set(off::BubbleTable + i, t[i]);
}

bool validNumber(int levelNumber) { return levelNumber >= 1 && levelNumber <= 255; }

void removeAll(Table& t, std::uint8_t n)
{
    for (std::size_t i = 0; i < kSize; ++i)
        if (t[i] == n)
            for (std::size_t j = i; j < kSize; ++j)
                t[j] = t[j + 1];
}

// Returns whether it inserted.
bool insertInto(Table& t, std::uint8_t n, int group)
{
    int g = 1;
    for (std::size_t j = 0; j < kSize; ++j) {
        const std::uint8_t a = t[j];
        if (a == 0)
            ++g;
        if ((g == group && a > n) || (g - 1 == group && a == 0)) {
            for (std::size_t k = kSize - 1; k > j; --k)
                t[k] = t[k - 1];
            t[j] = n;
            return true;
        }
    }
    return false;
}

} // namespace

int bubbleType(const GameImage& image, int levelNumber)
{
    if (!validNumber(levelNumber))
        return 0;
    int type = 5;
    for (std::size_t i = kSize; i-- > 0;) {
        const std::uint8_t b = image.get(off::BubbleTable + i);
        if (b == 0)
            --type;
        if (b == levelNumber)
            return type;
    }
    return 0;
}

int spareCount(const GameImage& image)
{
    int zeros = 0;
    for (std::size_t i = 0; i < kSize; ++i)
        if (image.get(off::BubbleTable + i) == 0 && ++zeros == kBubbleGroupCount)
            return int(kSize - (i + 1));
    return 0;
}

BubbleState bubbleState(const GameImage& image, int levelNumber)
{
    return BubbleState{bubbleType(image, levelNumber), spareCount(image)};
}

bool bubbleChoiceEnabled(const BubbleState& state)
{
    return !(state.spare == 0 && state.type == 0);
}

void removeLevel(GameImage& image, int levelNumber)
{
    if (!validNumber(levelNumber))
        return;
    Table t = readTable(image);
    removeAll(t, std::uint8_t(levelNumber));
    writeTable(image, t);
}

void insertLevel(GameImage& image, int levelNumber, int group)
{
    if (!validNumber(levelNumber) || group < 1 || group > kBubbleGroupCount || spareCount(image) == 0)
        return;
    Table t = readTable(image);
    if (insertInto(t, std::uint8_t(levelNumber), group))
        writeTable(image, t);
}

void moveLevel(GameImage& image, int levelNumber, int group)
{
    if (!validNumber(levelNumber) || group < 1 || group > kBubbleGroupCount)
        return;
    Table t = readTable(image);
    removeAll(t, std::uint8_t(levelNumber));
    if (insertInto(t, std::uint8_t(levelNumber), group))
        writeTable(image, t);
}

void selectBubble(GameImage& image, int levelNumber, int choice, BubbleState last)
{
    if (choice < 0 || choice > kBubbleGroupCount || !validNumber(levelNumber))
        return;
    BubbleState now = last;
    if (choice == 0 && last.type != 0) {
        removeLevel(image, levelNumber);
        now = bubbleState(image, levelNumber);
    }
    if (choice > 0 && last.type != 0 && choice != last.type) {
        moveLevel(image, levelNumber, choice);
        now = bubbleState(image, levelNumber);
    }
    if (choice > 0 && now.spare != 0 && now.type == 0)
        insertLevel(image, levelNumber, choice);
}

} // namespace zq
