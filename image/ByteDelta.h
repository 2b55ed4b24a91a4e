#pragma once
// What one edit changed in a run of bytes: the changed ranges with their old
// and new contents, never a copy of the whole. Enough to take the edit back
// (writeBefore) and to make it again (writeAfter), byte for byte.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zq {

class ByteDelta {
public:
    // The ranges where `after` differs from `before`. Both spans have the
    // same size; changed bytes closer than a few bytes apart share a range.
    static ByteDelta between(std::span<const std::uint8_t> before, std::span<const std::uint8_t> after);

    bool empty() const { return ranges_.empty(); }

    // Writes the old (before) or new (after) contents of every range into
    // `bytes`, which has the size the delta was taken over.
    void writeBefore(std::span<std::uint8_t> bytes) const { write(bytes, false); }
    void writeAfter(std::span<std::uint8_t> bytes) const { write(bytes, true); }

    // This change followed by `later`, as one change. Bytes that end as they
    // began drop out, so an edit undone by the next one gives an empty delta.
    ByteDelta then(const ByteDelta& later) const;

    // True when a changed range overlaps [offset, offset + length).
    bool touches(std::size_t offset, std::size_t length) const;

    // The heap memory the delta holds.
    std::size_t memoryBytes() const;

    // The changed ranges one by one, in rising order of offset, for writing
    // a delta out and reading it back.
    struct RangeView {
        std::uint32_t offset;
        std::span<const std::uint8_t> before;
        std::span<const std::uint8_t> after;
    };
    std::size_t rangeCount() const { return ranges_.size(); }
    RangeView range(std::size_t index) const;
    // Adds a range after the last one. Refused (false, nothing added) when
    // the two contents differ in length, are empty, or the range does not
    // begin after the end of the last one.
    bool addRange(std::uint32_t offset, std::span<const std::uint8_t> before, std::span<const std::uint8_t> after);
    // The end of the last range (0 for none): the size a delta needs.
    std::size_t extent() const;

private:
    struct Range {
        std::uint32_t offset;
        std::uint32_t length;
        std::uint32_t data; // index in pool_: old bytes, then new bytes
    };

    void write(std::span<std::uint8_t> bytes, bool after) const;
    void append(std::uint32_t offset, std::span<const std::uint8_t> before, std::span<const std::uint8_t> after);

    std::vector<Range> ranges_;
    std::vector<std::uint8_t> pool_;
};

} // namespace zq
