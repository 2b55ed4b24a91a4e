#include "files/Screen.h"
#include "files/Snapshot.h"
#include "files/Tape.h"

#include "image/GameImage.h"
#include "tests/TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace zq {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::defaultImage;

// A tape block's check byte: every byte before it XORed together.
std::uint8_t parity(std::span<const std::uint8_t> bytes)
{
    std::uint8_t x = 0;
    for (const std::uint8_t b : bytes)
        x ^= b;
    return x;
}

struct Block {
    std::size_t start = 0; // offset of the length word in the file
    Bytes body;            // flag ... checksum
};

// Splits a .tap file into its blocks; fails the test on a truncated file.
std::vector<Block> splitTape(const Bytes& tape)
{
    std::vector<Block> blocks;
    std::size_t at = 0;
    while (at < tape.size()) {
        EXPECT_LE(at + 2, tape.size());
        if (at + 2 > tape.size())
            break;
        const std::size_t n = tape[at] | std::size_t(tape[at + 1]) << 8;
        EXPECT_LE(at + 2 + n, tape.size());
        if (at + 2 + n > tape.size())
            break;
        blocks.push_back({at, Bytes(tape.begin() + std::ptrdiff_t(at + 2), tape.begin() + std::ptrdiff_t(at + 2 + n))});
        at += 2 + n;
    }
    return blocks;
}

unsigned word(const Bytes& b, std::size_t at)
{
    return b[at] | unsigned(b[at + 1]) << 8;
}

std::string headerName(const Bytes& header)
{
    return std::string(header.begin() + 2, header.begin() + 12);
}

Bytes someScreen(std::uint8_t seed)
{
    Bytes scr(kScreenSize);
    for (std::size_t i = 0; i < scr.size(); ++i)
        scr[i] = std::uint8_t((i * 13) ^ (i >> 5) ^ seed);
    return scr;
}

TEST(TapeTest, SixBlocksWithTheirHeadersAndChecksums)
{
    const GameImage image = defaultImage();
    const Bytes tape = buildTape(image, LoadingScreen::fromImage(image));
    ASSERT_EQ(tape.size(), 47688u);
    EXPECT_EQ(kLoaderBlockSize + kScreenBlockSize + kCodeBlockSize, 47688u);

    const auto blocks = splitTape(tape);
    ASSERT_EQ(blocks.size(), 6u);
    const std::size_t lengths[6] = {19, 147, 19, 6914, 19, 40558};
    for (std::size_t i = 0; i < 6; ++i) {
        const Bytes& b = blocks[i].body;
        ASSERT_EQ(b.size(), lengths[i]) << i;
        EXPECT_EQ(b.front(), i % 2 == 0 ? 0x00 : 0xFF) << i;
        // The last byte is the XOR of all the others, flag included.
        EXPECT_EQ(b.back(), parity(std::span(b).first(b.size() - 1))) << i;
    }
    EXPECT_EQ(blocks[2].start, 170u);
    EXPECT_EQ(blocks[4].start, 170u + 6937u);

    struct Expected {
        std::uint8_t type;
        const char* name;
        unsigned length, p1, p2;
    };
    const Expected expected[3] = {
        {0, "Zelqor    ", 145, 0, 126},
        {3, "screen    ", 6912, 32768, 32768},
        {3, "code      ", 40556, 24980, 32966},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        const Bytes& h = blocks[2 * i].body;
        EXPECT_EQ(h[1], expected[i].type) << i;
        EXPECT_EQ(headerName(h), expected[i].name) << i;
        EXPECT_EQ(word(h, 12), expected[i].length) << i;
        EXPECT_EQ(word(h, 14), expected[i].p1) << i;
        EXPECT_EQ(word(h, 16), expected[i].p2) << i;
        // Each header announces the length of the data block after it.
        EXPECT_EQ(word(h, 12) + 2, blocks[2 * i + 1].body.size()) << i;
    }
    // The stored header checksums of the game's own tape.
    EXPECT_EQ(blocks[2].body.back(), 0x14);
    EXPECT_EQ(blocks[4].body.back(), 0x4F);
}

TEST(TapeTest, CodeBlockIsTheImageFrom0x6194)
{
    GameImage image = defaultImage();
    const LoadingScreen screen = LoadingScreen::fromImage(image);
    const Bytes tape = buildTape(image, screen);
    const std::size_t data = 170 + 6937 + 21 + 2 + 1;
    EXPECT_TRUE(std::equal(tape.begin() + std::ptrdiff_t(data), tape.end() - 1, image.bytes().begin() + 8623));
    EXPECT_EQ(tape.size() - data - 1, 49179u - 8623u);

    // An edit of a level and of the credits shows exactly where it was made.
    const std::size_t edits[] = {off::LevelRecords + 5, off::Title + 2, kImageSize - 1, off::TapeCodeStart};
    const std::uint8_t flips[] = {0x5A, 0x21, 0x04, 0x80};
    for (std::size_t e = 0; e < 4; ++e)
        image.set(edits[e], std::uint8_t(image.get(edits[e]) ^ flips[e]));
    const Bytes edited = buildTape(image, screen);
    ASSERT_EQ(edited.size(), tape.size());
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i + 1 < tape.size(); ++i)
        if (tape[i] != edited[i])
            changed.push_back(i);
    std::vector<std::size_t> expectedChanged;
    for (std::size_t at : edits)
        expectedChanged.push_back(data + at - 8623);
    std::sort(expectedChanged.begin(), expectedChanged.end());
    EXPECT_EQ(changed, expectedChanged);
    EXPECT_EQ(edited.back(), std::uint8_t(0xFF ^ parity(std::span(edited).subspan(data, 40556))));
    EXPECT_EQ(edited.back(), std::uint8_t(tape.back() ^ 0x5A ^ 0x21 ^ 0x04 ^ 0x80));

    // Memory below 0x6194 outside the screen, and the snapshot header, are
    // not on the tape: the 128K export's routine changes nothing.
    GameImage patched = image;
    writeRomSwapRoutine(patched);
    patched.set(0, 0x99);
    patched.set(off::TapeCodeStart - 1, 0x99);
    EXPECT_EQ(buildTape(patched, screen), edited);
}

// The BASIC program of the loader, line by line, as the Spectrum stores it.
TEST(TapeLoaderTest, ProgramLines)
{
    const auto& data = loaderData();
    const auto n = [](std::initializer_list<std::uint8_t> digits, unsigned value) {
        Bytes b(digits);
        b.insert(b.end(), {0x0E, 0x00, 0x00, std::uint8_t(value & 0xFF), std::uint8_t(value >> 8), 0x00});
        return b;
    };
    const auto cat = [](std::initializer_list<Bytes> parts) {
        Bytes b;
        for (const Bytes& p : parts)
            b.insert(b.end(), p.begin(), p.end());
        return b;
    };
    struct Line {
        unsigned number;
        Bytes body;
    };
    const Line lines[4] = {
        {10, cat({{0xFD}, n({'2', '4', '9', '7', '8'}, 24978), {0x0D}})},
        {20, cat({{0xEF, '"', '"', 0xAA, ':', 0xF4}, n({'2', '3', '7', '3', '9'}, 23739), {','},
                  n({'1', '1', '1'}, 111), {':', 0xEF, '"', '"', 0xAF, 0x0D}})},
        {30, cat({{0xF9, 0xC0}, n({'6', '2', '9', '0', '8'}, 62908), {0x0D}})},
        {9999, cat({{0xF8, '"', 'Z', 'e', 'l', 'q', 'o', 'r', '"', 0xCA}, n({'0'}, 0),
                    {':', 0xF8, '"', 'c', 'o', 'd', 'e', '"', 0xAF}, n({'2', '4', '9', '8', '0'}, 24980), {','},
                    n({'4', '0', '5', '5', '6'}, 40556), {0x0D}})},
    };
    std::size_t at = 0;
    for (const Line& line : lines) {
        ASSERT_LE(at + 4, data.size());
        EXPECT_EQ(unsigned(data[at] << 8 | data[at + 1]), line.number); // big-endian
        const std::size_t length = data[at + 2] | std::size_t(data[at + 3]) << 8;
        EXPECT_EQ(length, line.body.size()) << line.number;
        ASSERT_LE(at + 4 + length, data.size());
        EXPECT_EQ(Bytes(data.begin() + std::ptrdiff_t(at + 4), data.begin() + std::ptrdiff_t(at + 4 + length)), line.body)
            << "line " << line.number;
        at += 4 + length;
    }
    EXPECT_EQ(at, kLoaderProgramLength);
}

TEST(TapeLoaderTest, VariablesAreaHoldsTheForVariable)
{
    const auto& data = loaderData();
    const Bytes vars(data.begin() + kLoaderProgramLength, data.end());
    const Bytes expected = {0xEE,                         // FOR variable n
                            0x00, 0x00, 0x04, 0x00, 0x00, // value 4
                            0x00, 0x00, 0x03, 0x00, 0x00, // limit 3
                            0x00, 0x00, 0x01, 0x00, 0x00, // step 1
                            20, 0,                        // loop line 20
                            2};                           // statement 2
    EXPECT_EQ(vars, expected);

    const auto& block = loaderBlock();
    EXPECT_TRUE(std::equal(data.begin(), data.end(), block.begin() + 24));
}

TEST(ScreenImportTest, OnlyExactly6912BytesAreTaken)
{
    EXPECT_TRUE(acceptedScreenSize(6912));
    for (std::uint64_t size : {0ull, 6144ull, 6911ull, 6913ull, 6912ull + (1ull << 32)})
        EXPECT_FALSE(acceptedScreenSize(size)) << size;

    const GameImage before = defaultImage();
    const LoadingScreen screenBefore = LoadingScreen::fromImage(before);
    for (std::size_t size : {0u, 6144u, 6911u, 6913u}) {
        GameImage image = before;
        LoadingScreen screen = screenBefore;
        Bytes scr = someScreen(1);
        scr.resize(size, 0x77);
        EXPECT_FALSE(importScreen(scr, screen, image)) << size;
        EXPECT_EQ(image, before) << size;
        EXPECT_EQ(screen, screenBefore) << size;
    }
}

TEST(ScreenImportTest, ReachesTheImageAndTheTape)
{
    GameImage image = defaultImage();
    const GameImage before = image;
    LoadingScreen screen = LoadingScreen::fromImage(image);
    EXPECT_TRUE(std::equal(screen.bytes().begin(), screen.bytes().end(), image.bytes().begin() + 27));
    EXPECT_EQ(screen.checksum(), std::uint8_t(0xFF ^ parity(screen.bytes())));
    const Bytes scr = someScreen(0x42);

    ASSERT_TRUE(importScreen(scr, screen, image));
    // Image offsets 27..6938 hold the file; nothing around them moved.
    const auto saved = save48(image);
    EXPECT_TRUE(std::equal(scr.begin(), scr.end(), saved.begin() + 27));
    EXPECT_EQ(saved[26], before.get(26));
    EXPECT_EQ(saved[6939], before.get(6939));
    EXPECT_TRUE(std::equal(saved.begin() + 6939, saved.end(), before.bytes().begin() + 6939));

    std::uint8_t sum = 0xFF;
    for (std::uint8_t b : scr)
        sum ^= b;
    EXPECT_EQ(screen.checksum(), sum);
    const Bytes tape = buildTape(image, screen);
    EXPECT_TRUE(std::equal(scr.begin(), scr.end(), tape.begin() + 170 + 24));
    EXPECT_EQ(tape[170 + 6936], sum);

    // Importing the same file again changes nothing.
    const GameImage once = image;
    const LoadingScreen screenOnce = screen;
    ASSERT_TRUE(importScreen(scr, screen, image));
    EXPECT_EQ(image, once);
    EXPECT_EQ(screen, screenOnce);

    // Opening a snapshot afterwards replaces the image's screen but the tape
    // keeps the imported one.
    ASSERT_TRUE(openSnapshot(image, save48(before)));
    EXPECT_EQ(image, before);
    const Bytes later = buildTape(image, screen);
    EXPECT_TRUE(std::equal(scr.begin(), scr.end(), later.begin() + 170 + 24));
}

} // namespace
} // namespace zq
