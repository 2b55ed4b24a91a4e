#pragma once
// The script part of a fuzz input: the operations, each an opcode byte with
// its argument bytes, and the reader of those bytes (the whole input is
// described in fuzz/ImageScript.h).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zq::fuzz {

enum Op : std::uint8_t {
    OpSelectLevel,      // level byte (mod 79)
    OpBlockPress,       // x, y
    OpBlockDrag,        // x, y
    OpPatternPress,     // x, y
    OpPatternDrag,      // x, y
    OpAreaPress,        // area, gap set, x, y
    OpAreaResize,       // gap set, x, y
    OpAreaDirection,    // area, direction, gap set
    OpStepEnemyType,    // slot (signed), new type (signed)
    OpMoveEnemy,        // slot (signed), x, y
    OpSelectEnemy,      // current (signed), x, y
    OpMoveItem,         // q (signed; 4 and above use the level's own), x, y
    OpBubble,           // action, argument, level number (0 = current level's)
    OpCopyPasteLevel,   // source level byte (mod 79; bit 7: paste without copying)
    OpCopyPasteEnemies, // source level (signed), target level (signed)
    OpCreditText,       // field, length, then length x 4 bytes of char32_t
    OpEnemyBytes,       // which, value (16-bit)
    OpWriteFiles,       // which (48K, 128K export, tape)
    OpImportScreen,     // length (16-bit), then that many bytes (zero-padded)
    OpOpenSnapshot,     // kind, size (16-bit), patch count, patches (offset 16-bit, value)
    OpRender,           // overlay mask, area (signed)
    OpDrawCell,         // x, y, glyph (signed), background (signed), clear?
    OpViewSizes,        // level view width, height, pattern view width, height (bytes x 4)
    OpLoadBmp,          // length (16-bit), then that many bytes: a bitmap file
    OpForceExtension,   // length, then that many bytes of path
    OpColours,          // paper, ink, big border
    OpLine,             // x1, y1, x2, y2: a line on the pattern view
    OpCount
};

// A script runs at most this many operations: enough for the edits that
// work together (copy and paste, press and drag, the bubble table's groups),
// and short enough that an input costs little; libFuzzer finds more with many
// short scripts than with few long ones.
inline constexpr std::size_t kMaxOps = 16;

namespace detail {

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool done() const { return pos_ >= bytes_.size(); }
    // Bytes read so far.
    std::size_t position() const { return pos_; }
    std::uint8_t u8() { return pos_ < bytes_.size() ? bytes_[pos_++] : 0; }
    int s8() { return int(std::int8_t(u8())); }
    int u16()
    {
        const int lo = u8();
        return lo | (u8() << 8);
    }
    int s16() { return int(std::int16_t(std::uint16_t(u16()))); }
    std::uint32_t u32()
    {
        const std::uint32_t lo = std::uint32_t(u16());
        return lo | (std::uint32_t(u16()) << 16);
    }
    // Up to n bytes; fewer when the input ends.
    std::span<const std::uint8_t> take(std::size_t n)
    {
        const std::size_t k = std::min(n, bytes_.size() - std::min(pos_, bytes_.size()));
        const auto s = bytes_.subspan(std::min(pos_, bytes_.size()), k);
        pos_ += k;
        return s;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

} // namespace detail

} // namespace zq::fuzz
