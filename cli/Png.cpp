#include "cli/Png.h"

#include <algorithm>
#include <array>

namespace zq::cli {

namespace {

constexpr std::array<std::uint32_t, 256> makeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = makeCrcTable();

// A stored deflate block carries at most this many bytes.
constexpr std::size_t kMaxStoredBlock = 65535;

void putBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(std::uint8_t(value >> 24));
    out.push_back(std::uint8_t(value >> 16));
    out.push_back(std::uint8_t(value >> 8));
    out.push_back(std::uint8_t(value));
}

void putChunk(std::vector<std::uint8_t>& out, const char (&type)[5], std::span<const std::uint8_t> data)
{
    putBigEndian32(out, std::uint32_t(data.size()));
    const std::size_t typeStart = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBigEndian32(out, crc32(std::span<const std::uint8_t>(out).subspan(typeStart)));
}

// A zlib stream of stored blocks: header 0x78 0x01 (deflate, 32K window, no
// dictionary, check bits valid), the blocks, then the Adler-32.
std::vector<std::uint8_t> storedZlib(std::span<const std::uint8_t> raw)
{
    std::vector<std::uint8_t> out;
    out.reserve(raw.size() + raw.size() / kMaxStoredBlock * 5 + 16);
    out.push_back(0x78);
    out.push_back(0x01);
    std::size_t at = 0;
    do {
        const std::size_t length = std::min(kMaxStoredBlock, raw.size() - at);
        const bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0); // BFINAL, BTYPE 00
        out.push_back(std::uint8_t(length));
        out.push_back(std::uint8_t(length >> 8));
        out.push_back(std::uint8_t(~length));
        out.push_back(std::uint8_t(~length >> 8));
        out.insert(out.end(), raw.begin() + std::ptrdiff_t(at), raw.begin() + std::ptrdiff_t(at + length));
        at += length;
    } while (at < raw.size());
    putBigEndian32(out, adler32(raw));
    return out;
}

} // namespace

std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc)
{
    crc = ~crc;
    for (const std::uint8_t b : bytes)
        crc = kCrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t adler32(std::span<const std::uint8_t> bytes)
{
    constexpr std::uint32_t kMod = 65521;
    // 5552 bytes is the longest run whose sums cannot overflow 32 bits.
    constexpr std::size_t kRun = 5552;
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (std::size_t at = 0; at < bytes.size(); at += kRun) {
        const std::size_t end = std::min(bytes.size(), at + kRun);
        for (std::size_t i = at; i < end; ++i) {
            a += bytes[i];
            b += a;
        }
        a %= kMod;
        b %= kMod;
    }
    return b << 16 | a;
}

std::vector<std::uint8_t> encodePng(const TFastDIB& picture)
{
    if (picture.Empty())
        return {};
    const int width = picture.Width();
    const int height = picture.Height();

    std::vector<std::uint8_t> raw;
    raw.reserve(std::size_t(height) * (1 + 3 * std::size_t(width)));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0); // filter: none
        const std::uint32_t* line = picture.Line(y);
        for (int x = 0; x < width; ++x) {
            raw.push_back(std::uint8_t(line[x] >> 16));
            raw.push_back(std::uint8_t(line[x] >> 8));
            raw.push_back(std::uint8_t(line[x]));
        }
    }

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    putBigEndian32(header, std::uint32_t(width));
    putBigEndian32(header, std::uint32_t(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit, RGB, deflate, filter set 0, no interlace
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", storedZlib(raw));
    putChunk(png, "IEND", {});
    return png;
}

} // namespace zq::cli
