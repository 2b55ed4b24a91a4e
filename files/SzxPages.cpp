#include "files/SzxPages.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace zq {

namespace {

constexpr std::size_t kPageSize = 16384;
constexpr std::size_t kHeaderSize = 8;      // "ZXST", version, machine, flags
constexpr std::size_t kChunkHeaderSize = 8; // id, 32-bit length
constexpr std::size_t kRampHeaderSize = 3;  // 16-bit flags, page number
constexpr unsigned kRampCompressed = 1;

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

} // namespace

bool szxPagesWhole(std::span<const std::uint8_t> file)
{
    if (file.size() < kHeaderSize || std::memcmp(file.data(), "ZXST", 4) != 0)
        return true;
    std::size_t at = kHeaderSize;
    while (file.size() - at >= kChunkHeaderSize) {
        const std::uint8_t* chunk = file.data() + at;
        const std::size_t length = word32(chunk + 4);
        if (length > file.size() - at - kChunkHeaderSize)
            return true;
        if (std::memcmp(chunk, "RAMP", 4) == 0 && !wholePage(chunk + kChunkHeaderSize, length))
            return false;
        at += kChunkHeaderSize + length;
    }
    return true;
}

} // namespace zq
