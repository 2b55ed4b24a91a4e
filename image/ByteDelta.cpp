#include "image/ByteDelta.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <utility>

namespace zq {

namespace {

// Unchanged bytes shorter than this between two changes are kept in one
// range: cheaper than a range of their own.
constexpr std::size_t kJoinGap = 16;
// Equal blocks are skipped with memcmp.
constexpr std::size_t kBlock = 64;

// The first offset >= from where the spans differ, or size.
std::size_t nextDifference(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b, std::size_t from)
{
    const std::size_t n = a.size();
    while (from < n) {
        const std::size_t len = std::min(kBlock, n - from);
        if (std::memcmp(a.data() + from, b.data() + from, len) != 0)
            break;
        from += len;
    }
    while (from < n && a[from] == b[from])
        ++from;
    return from;
}

} // namespace

ByteDelta ByteDelta::between(std::span<const std::uint8_t> before, std::span<const std::uint8_t> after)
{
    ByteDelta delta;
    const std::size_t n = std::min(before.size(), after.size());
    before = before.first(n);
    after = after.first(n);
    std::size_t at = nextDifference(before, after, 0);
    while (at < n) {
        // Extend the range while the next difference is near.
        std::size_t end = at + 1;
        for (;;) {
            while (end < n && before[end] != after[end])
                ++end;
            std::size_t next = end;
            while (next < n && next - end < kJoinGap && before[next] == after[next])
                ++next;
            if (next < n && next - end < kJoinGap)
                end = next;
            else
                break;
        }
        delta.append(std::uint32_t(at), before.subspan(at, end - at), after.subspan(at, end - at));
        at = nextDifference(before, after, end);
    }
    delta.ranges_.shrink_to_fit();
    delta.pool_.shrink_to_fit();
    return delta;
}

void ByteDelta::append(std::uint32_t offset, std::span<const std::uint8_t> before, std::span<const std::uint8_t> after)
{
    ranges_.push_back(Range{offset, std::uint32_t(before.size()), std::uint32_t(pool_.size())});
    pool_.insert(pool_.end(), before.begin(), before.end());
    pool_.insert(pool_.end(), after.begin(), after.end());
}

void ByteDelta::write(std::span<std::uint8_t> bytes, bool after) const
{
    for (const Range& r : ranges_) {
        if (r.offset >= bytes.size())
            continue;
        const std::size_t len = std::min<std::size_t>(r.length, bytes.size() - r.offset);
        const std::uint8_t* from = pool_.data() + r.data + (after ? r.length : 0);
        std::memcpy(bytes.data() + r.offset, from, len);
    }
}

ByteDelta ByteDelta::then(const ByteDelta& later) const
{
    // Per byte: the oldest old value and the newest new value. Used for the
    // small edits that merge (typing into a credit box), so a map will do.
    std::map<std::uint32_t, std::pair<std::uint8_t, std::uint8_t>> bytes;
    for (const Range& r : ranges_)
        for (std::uint32_t i = 0; i < r.length; ++i)
            bytes[r.offset + i] = {pool_[r.data + i], pool_[r.data + r.length + i]};
    for (const Range& r : later.ranges_)
        for (std::uint32_t i = 0; i < r.length; ++i) {
            const std::uint8_t newer = later.pool_[r.data + r.length + i];
            auto [it, fresh] = bytes.try_emplace(r.offset + i, later.pool_[r.data + i], newer);
            if (!fresh)
                it->second.second = newer;
        }
    ByteDelta merged;
    std::vector<std::uint8_t> before, after;
    std::uint32_t start = 0;
    auto flush = [&] {
        if (!before.empty())
            merged.append(start, before, after);
        before.clear();
        after.clear();
    };
    for (const auto& [offset, values] : bytes) {
        if (values.first == values.second)
            continue;
        if (before.empty() || offset != start + before.size()) {
            flush();
            start = offset;
        }
        before.push_back(values.first);
        after.push_back(values.second);
    }
    flush();
    return merged;
}

bool ByteDelta::touches(std::size_t offset, std::size_t length) const
{
    return std::any_of(ranges_.begin(), ranges_.end(), [&](const Range& r) {
        return r.offset < offset + length && offset < std::size_t(r.offset) + r.length;
    });
}

ByteDelta::RangeView ByteDelta::range(std::size_t index) const
{
    const Range& r = ranges_.at(index);
    const std::span<const std::uint8_t> pool(pool_);
    return {r.offset, pool.subspan(r.data, r.length), pool.subspan(r.data + r.length, r.length)};
}

bool ByteDelta::addRange(std::uint32_t offset, std::span<const std::uint8_t> before,
                         std::span<const std::uint8_t> after)
{
    if (before.empty() || before.size() != after.size() || offset < extent()
        || before.size() > std::numeric_limits<std::uint32_t>::max() - offset)
        return false;
    append(offset, before, after);
    return true;
}

std::size_t ByteDelta::extent() const
{
    return ranges_.empty() ? 0 : std::size_t(ranges_.back().offset) + ranges_.back().length;
}

std::size_t ByteDelta::memoryBytes() const
{
    return ranges_.capacity() * sizeof(Range) + pool_.capacity();
}

} // namespace zq
