#pragma once
// A small PNG reader for the tests, written apart from the tool's encoder: it
// accepts exactly the files the tool means to write (8-bit RGB, no interlace,
// filter 0 rows, a zlib stream of stored deflate blocks) and checks every
// chunk CRC, the zlib header, each block's LEN/NLEN pair and the Adler-32.
// Anything else is reported as an error rather than guessed at.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zq::test {

struct PngPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0x00RRGGBB, row by row from the top

    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

namespace png_detail {

inline std::uint32_t bigEndian32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// Bit by bit, with no table, so that it shares nothing with the encoder.
inline std::uint32_t crc32Bitwise(const std::uint8_t* p, std::size_t n)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline std::uint32_t adler32Plain(const std::vector<std::uint8_t>& bytes)
{
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (const std::uint8_t v : bytes) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

} // namespace png_detail

// Returns an empty string and fills `picture`, or the reason for refusing.
inline std::string readPng(const std::vector<std::uint8_t>& file, PngPicture& picture)
{
    using namespace png_detail;
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 8 || !std::equal(signature, signature + 8, file.begin()))
        return "no PNG signature";

    std::vector<std::uint8_t> zlib;
    bool haveHeader = false;
    bool ended = false;
    std::size_t at = 8;
    while (at < file.size()) {
        if (ended)
            return "bytes after IEND";
        if (file.size() - at < 12)
            return "truncated chunk";
        const std::uint32_t length = bigEndian32(&file[at]);
        if (length > file.size() - at - 12)
            return "chunk longer than the file";
        const std::string type(reinterpret_cast<const char*>(&file[at + 4]), 4);
        const std::uint8_t* data = &file[at + 8];
        if (crc32Bitwise(&file[at + 4], length + 4) != bigEndian32(data + length))
            return "bad CRC in " + type;
        if (!haveHeader && type != "IHDR")
            return "first chunk is " + type;
        if (type == "IHDR") {
            if (haveHeader || length != 13)
                return "bad IHDR";
            picture.width = int(bigEndian32(data));
            picture.height = int(bigEndian32(data + 4));
            if (picture.width <= 0 || picture.height <= 0 || data[8] != 8 || data[9] != 2 || data[10] != 0 ||
                data[11] != 0 || data[12] != 0)
                return "IHDR is not 8-bit RGB without interlace";
            haveHeader = true;
        } else if (type == "IDAT") {
            zlib.insert(zlib.end(), data, data + length);
        } else if (type == "IEND") {
            ended = true;
        } else if (!(type[0] & 0x20)) {
            return "unknown critical chunk " + type;
        }
        at += 12 + length;
    }
    if (!ended)
        return "no IEND";

    if (zlib.size() < 6 || (zlib[0] & 0x0F) != 8 || (zlib[0] * 256 + zlib[1]) % 31 != 0 || (zlib[1] & 0x20))
        return "bad zlib header";
    std::vector<std::uint8_t> raw;
    std::size_t p = 2;
    for (bool last = false; !last;) {
        if (zlib.size() - p < 5)
            return "truncated deflate block";
        last = zlib[p] & 1;
        if (((zlib[p] >> 1) & 3) != 0)
            return "not a stored block";
        const unsigned len = zlib[p + 1] | unsigned(zlib[p + 2]) << 8;
        const unsigned nlen = zlib[p + 3] | unsigned(zlib[p + 4]) << 8;
        if ((len ^ 0xFFFFu) != nlen)
            return "LEN and NLEN disagree";
        p += 5;
        if (zlib.size() - p < len)
            return "stored block past the stream";
        raw.insert(raw.end(), zlib.begin() + std::ptrdiff_t(p), zlib.begin() + std::ptrdiff_t(p + len));
        p += len;
    }
    if (zlib.size() - p != 4)
        return "no Adler-32 right after the last block";
    if (bigEndian32(&zlib[p]) != adler32Plain(raw))
        return "bad Adler-32";

    const std::size_t rowBytes = 1 + 3 * std::size_t(picture.width);
    if (raw.size() != rowBytes * std::size_t(picture.height))
        return "wrong amount of pixel data";
    picture.pixels.clear();
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* row = &raw[std::size_t(y) * rowBytes];
        if (row[0] != 0)
            return "row filter other than 0";
        for (int x = 0; x < picture.width; ++x)
            picture.pixels.push_back(std::uint32_t(row[1 + 3 * x]) << 16 | std::uint32_t(row[2 + 3 * x]) << 8 |
                                     row[3 + 3 * x]);
    }
    return {};
}

} // namespace zq::test
