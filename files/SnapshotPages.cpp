#include "files/SnapshotPages.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace zq {

namespace {

constexpr std::size_t kPageSize = 16384;
constexpr std::size_t kSzxHeaderSize = 8;   // "ZXST", version, machine, flags
constexpr std::size_t kChunkSzxHeaderSize = 8; // id, 32-bit length
constexpr std::size_t kRampHeaderSize = 3;  // 16-bit flags, page number
constexpr unsigned kRampCompressed = 1;
constexpr std::size_t kZ80HeaderSize = 30;   // version 1; PC 0 means more follows
constexpr std::size_t kZ80BlockSzxHeaderSize = 3; // 16-bit length, page number
constexpr std::uint16_t kZ80StoredBlock = 0xFFFF;

std::uint32_t word32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

bool wholePage(const std::uint8_t* chunk, std::size_t length)
{
    if (length < kRampHeaderSize)
        return false;
    const std::uint8_t* data = chunk + kRampHeaderSize;
    const std::size_t dataLength = length - kRampHeaderSize;
    if (!(chunk[0] & kRampCompressed))
        return dataLength == kPageSize;
    // One byte more than a page: a stream that fills it is too long.
    std::vector<Bytef> page(kPageSize + 1);
    uLongf pageLength = uLongf(page.size());
    return uncompress(page.data(), &pageLength, data, uLong(dataLength)) == Z_OK && pageLength == kPageSize;
}

std::uint16_t word16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

// The number of bytes the .z80 run-length scheme expands `data` to (ED ED n b
// is n copies of b, anything else itself), stopping at `limit`. Version 1
// data ends at the marker 00 ED ED 00 when `marked`.
std::size_t z80Expanded(std::span<const std::uint8_t> data, std::size_t limit, bool marked)
{
    std::size_t out = 0;
    for (std::size_t i = 0; i < data.size() && out < limit;) {
        if (marked && i + 4 <= data.size() && data[i] == 0 && data[i + 1] == 0xED && data[i + 2] == 0xED &&
            data[i + 3] == 0)
            break;
        if (i + 4 <= data.size() && data[i] == 0xED && data[i + 1] == 0xED) {
            out += data[i + 2];
            i += 4;
        } else {
            ++out;
            ++i;
        }
    }
    return out;
}

} // namespace

bool szxPagesWhole(std::span<const std::uint8_t> file)
{
    if (file.size() < kSzxHeaderSize || std::memcmp(file.data(), "ZXST", 4) != 0)
        return true;
    std::size_t at = kSzxHeaderSize;
    while (file.size() - at >= kChunkSzxHeaderSize) {
        const std::uint8_t* chunk = file.data() + at;
        const std::size_t length = word32(chunk + 4);
        if (length > file.size() - at - kChunkSzxHeaderSize)
            return true;
        if (std::memcmp(chunk, "RAMP", 4) == 0 && !wholePage(chunk + kChunkSzxHeaderSize, length))
            return false;
        at += kChunkSzxHeaderSize + length;
    }
    return true;
}

bool z80PagesWhole(std::span<const std::uint8_t> file)
{
    if (file.size() < kZ80HeaderSize)
        return true;
    if (word16(&file[6]) != 0) {
        // Version 1: the 48K of RAM after the header, compressed when bit 5
        // of byte 12 is set (a byte of 255 counts as 1).
        const bool compressed = file[12] != 0xFF && (file[12] & 0x20);
        const std::span<const std::uint8_t> data = file.subspan(kZ80HeaderSize);
        return (compressed ? z80Expanded(data, 3 * kPageSize, true) : data.size()) >= 3 * kPageSize;
    }
    if (file.size() < kZ80HeaderSize + 2)
        return true;
    std::size_t at = kZ80HeaderSize + 2 + word16(&file[kZ80HeaderSize]);
    while (at < file.size() && file.size() - at >= kZ80BlockSzxHeaderSize) {
        const std::uint16_t length = word16(&file[at]);
        at += kZ80BlockSzxHeaderSize;
        const std::size_t stored = length == kZ80StoredBlock ? kPageSize : length;
        if (stored > file.size() - at)
            return true; // cut short: libspectrum refuses it
        if (length != kZ80StoredBlock && z80Expanded(file.subspan(at, stored), kPageSize, false) < kPageSize)
            return false;
        at += stored;
    }
    return true;
}

bool snapshotHeaderWhole(std::span<const std::uint8_t> file, FileKind kind)
{
    switch (kind) {
    case FileKind::Szx: return file.size() >= kSzxHeaderSize;
    case FileKind::Z80:
        if (file.size() < kZ80HeaderSize)
            return false;
        return word16(&file[6]) != 0 ||
               (file.size() >= kZ80HeaderSize + 2 && file.size() - kZ80HeaderSize - 2 >= word16(&file[kZ80HeaderSize]));
    default: return true;
    }
}

bool snapshotPagesWhole(std::span<const std::uint8_t> file, FileKind kind)
{
    switch (kind) {
    case FileKind::Szx: return szxPagesWhole(file);
    case FileKind::Z80: return z80PagesWhole(file);
    default: return true;
    }
}

} // namespace zq
