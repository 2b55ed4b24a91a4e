#include "files/RecoveryFile.h"

#include "image/MemoryMap.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace zq {

namespace {

constexpr char kMagic[8] = {'Z', 'Q', 'R', 'E', 'C', 'O', 'V', 'R'};
constexpr std::size_t kCrcSize = 4;

std::uint32_t crcOf(std::span<const std::uint8_t> bytes)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes at most 4 GiB at once; recovery files are far smaller.
    return std::uint32_t(crc32(crc, bytes.data(), uInt(bytes.size())));
}

class Writer {
public:
    explicit Writer(std::vector<std::uint8_t>& out)
        : out_(out)
    {
    }
    void u8(std::uint8_t v) { out_.push_back(v); }
    void u32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            out_.push_back(std::uint8_t(v >> (8 * i)));
    }
    void i64(std::int64_t v)
    {
        u32(std::uint32_t(std::uint64_t(v)));
        u32(std::uint32_t(std::uint64_t(v) >> 32));
    }
    void bytes(std::span<const std::uint8_t> b) { out_.insert(out_.end(), b.begin(), b.end()); }
    void text(const std::string& s)
    {
        u32(std::uint32_t(s.size()));
        bytes({reinterpret_cast<const std::uint8_t*>(s.data()), s.size()});
    }
    void delta(const ByteDelta& d)
    {
        u32(std::uint32_t(d.rangeCount()));
        for (std::size_t i = 0; i < d.rangeCount(); ++i) {
            const ByteDelta::RangeView r = d.range(i);
            u32(r.offset);
            u32(std::uint32_t(r.before.size()));
            bytes(r.before);
            bytes(r.after);
        }
    }

private:
    std::vector<std::uint8_t>& out_;
};

// Reads what the file holds and nothing more: every read past the end, and
// every value outside its range, makes the reader fail for good.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> in)
        : in_(in)
    {
    }
    bool ok() const { return ok_; }
    bool atEnd() const { return at_ == in_.size(); }

    std::span<const std::uint8_t> bytes(std::size_t n)
    {
        if (!ok_ || n > in_.size() - at_) {
            ok_ = false;
            return {};
        }
        const auto b = in_.subspan(at_, n);
        at_ += n;
        return b;
    }
    std::uint8_t u8()
    {
        const auto b = bytes(1);
        return b.empty() ? 0 : b[0];
    }
    std::uint32_t u32()
    {
        const auto b = bytes(4);
        if (b.empty())
            return 0;
        return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
    }
    std::int64_t i64()
    {
        const std::uint64_t low = u32();
        return std::int64_t(low | std::uint64_t(u32()) << 32);
    }
    std::string text()
    {
        const auto b = bytes(u32());
        return {b.begin(), b.end()};
    }
    // A level index of the game: 0..78.
    int level()
    {
        const int v = u8();
        check(v < kLevelCount);
        return v;
    }
    ByteDelta delta(std::size_t size)
    {
        ByteDelta d;
        const std::uint32_t count = u32();
        for (std::uint32_t i = 0; ok_ && i < count; ++i) {
            const std::uint32_t offset = u32();
            const std::uint32_t length = u32();
            const auto before = bytes(length);
            const auto after = bytes(length);
            check(ok_ && std::size_t(offset) + length <= size && d.addRange(offset, before, after));
        }
        return d;
    }
    void check(bool condition) { ok_ = ok_ && condition; }

private:
    std::span<const std::uint8_t> in_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

} // namespace

std::vector<std::uint8_t> encodeRecovery(const RecoveryData& data)
{
    std::vector<std::uint8_t> out;
    std::size_t size = sizeof kMagic + 64 + data.sourceFile.size() + kImageSize + kScreenSize;
    for (const HistoryStep& step : data.steps)
        size += 32 + step.name.size() + step.image.memoryBytes() + step.screen.memoryBytes();
    out.reserve(size);
    Writer w(out);
    w.bytes({reinterpret_cast<const std::uint8_t*>(kMagic), sizeof kMagic});
    w.u32(kRecoveryVersion);
    w.i64(data.savedAt);
    w.text(data.sourceFile);
    w.bytes(data.image);
    w.bytes(data.screen);
    w.u32(std::uint32_t(data.steps.size()));
    w.u32(std::uint32_t(data.index));
    w.u32(std::uint32_t(data.cleanIndex));
    for (const HistoryStep& step : data.steps) {
        w.text(step.name);
        w.u8(std::uint8_t(step.levelBefore));
        w.u8(std::uint8_t(step.levelAfter));
        w.delta(step.image);
        w.delta(step.screen);
    }
    w.u32(crcOf(out));
    return out;
}

DecodedRecovery decodeRecovery(std::span<const std::uint8_t> file)
{
    DecodedRecovery result;
    if (file.size() < sizeof kMagic + 4 || !std::equal(kMagic, kMagic + sizeof kMagic, file.begin())) {
        result.status = DecodedRecovery::NotRecovery;
        return result;
    }
    Reader header(file.subspan(sizeof kMagic, 4));
    if (header.u32() != kRecoveryVersion) {
        result.status = DecodedRecovery::OtherVersion;
        return result;
    }
    if (file.size() < sizeof kMagic + 4 + kCrcSize)
        return result;
    const auto body = file.first(file.size() - kCrcSize);
    if (Reader(file.last(kCrcSize)).u32() != crcOf(body))
        return result;

    Reader r(body.subspan(sizeof kMagic + 4));
    RecoveryData& d = result.data;
    d.savedAt = r.i64();
    d.sourceFile = r.text();
    const auto image = r.bytes(kImageSize);
    const auto screen = r.bytes(kScreenSize);
    d.image.assign(image.begin(), image.end());
    d.screen.assign(screen.begin(), screen.end());
    const std::uint32_t count = r.u32();
    const std::uint32_t index = r.u32();
    const std::int32_t cleanIndex = std::int32_t(r.u32());
    r.check(count <= kMaxRecoverySteps && index <= count && cleanIndex >= -1 && cleanIndex <= std::int32_t(count));
    for (std::uint32_t i = 0; r.ok() && i < count; ++i) {
        HistoryStep step;
        step.name = r.text();
        step.levelBefore = r.level();
        step.levelAfter = r.level();
        step.image = r.delta(kImageSize);
        step.screen = r.delta(kScreenSize);
        d.steps.push_back(std::move(step));
    }
    r.check(r.atEnd());
    if (!r.ok()) {
        result.data = {};
        return result;
    }
    d.index = int(index);
    d.cleanIndex = cleanIndex;
    result.status = DecodedRecovery::Ok;
    return result;
}

} // namespace zq
