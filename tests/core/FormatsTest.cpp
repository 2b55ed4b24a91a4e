#include "files/FileKind.h"
#include "files/MachineImage.h"
#include "files/SnapshotFormats.h"
#include "files/Tape.h"

#include "image/GameImage.h"
#include "tests/TestImages.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zq {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::defaultImage;

std::uint8_t ramAt(const Bytes& image, std::uint16_t address) { return image[imageOffset(address)]; }
std::uint16_t headerWord(const Bytes& image, std::size_t at) { return std::uint16_t(image[at] | image[at + 1] << 8); }

TEST(MachineImageTest, PcIsPushedBelowSpAndPoppedBack)
{
    MachineState state;
    state.cpu = {0x1122, 0x3344, 0x5566, 0x7788, 0x99AA, 0xBBCC, 0xDDEE, 0xF001,
                 0x0203, 0x0405, 0x8000, 0x1234, 0x3F,   0xA5,   2,      true, true};
    state.border = 5;
    const auto image = imageFromMachine(state);
    EXPECT_EQ(headerWord({image.begin(), image.end()}, sna::SP), 0x7FFE);
    EXPECT_EQ(image[imageOffset(0x7FFE)], 0x34);
    EXPECT_EQ(image[imageOffset(0x7FFF)], 0x12);
    EXPECT_EQ(image[sna::Iff], sna::Iff2Bit);
    EXPECT_EQ(image[sna::R], 0xA5);
    EXPECT_EQ(headerWord({image.begin(), image.end()}, sna::HL2), 0xF001);
    EXPECT_EQ(headerWord({image.begin(), image.end()}, sna::IY), 0x0405);
    EXPECT_EQ(image[sna::Border], 5);

    MachineState back;
    ASSERT_TRUE(machineFromImage(image, back));
    state.ram[0x3FFE] = 0x34, state.ram[0x3FFF] = 0x12; // what the push wrote
    EXPECT_EQ(back, state);
    EXPECT_EQ(imageFromMachine(back), image);

    // At SP 0x4001 only the high byte lands in RAM; the image still survives.
    state.cpu.sp = 0x4001;
    const auto low = imageFromMachine(state);
    EXPECT_EQ(low[imageOffset(0x4000)], 0x12);
    ASSERT_TRUE(machineFromImage(low, back));
    EXPECT_EQ(imageFromMachine(back), low);
    EXPECT_FALSE(machineFromImage(std::span(low).first(100), back));
}

TEST(SnapshotFormatsTest, TheSampleSurvivesZ80AndSzxByteForByte)
{
    const GameImage image = defaultImage();
    const Bytes sample(image.bytes().begin(), image.bytes().end());
    for (const FileKind kind : {FileKind::Z80, FileKind::Szx}) {
        const Bytes file = encodeSnapshot(sample, kind);
        ASSERT_FALSE(file.empty());
        EXPECT_EQ(identifyKind("noname", file), kind);
        const DecodedImage decoded = decodeSnapshot(file, kind);
        EXPECT_EQ(decoded.error, "");
        EXPECT_TRUE(decoded.image == sample);
    }
    EXPECT_TRUE(encodeSnapshot(std::span(sample).first(49178), FileKind::Z80).empty());
    EXPECT_TRUE(encodeSnapshot(sample, FileKind::Tap).empty());
}

// A 128K .sna with bank 3 paged in: each bank filled with 0x10 + its number.
Bytes snapshot128(std::uint8_t port7ffd)
{
    const int paged = port7ffd & 7;
    auto bank = [](int n) { return Bytes(16384, std::uint8_t(0x10 + n)); };
    Bytes file(27, 0);
    file[23] = 0x00, file[24] = 0x90; // SP 0x9000
    file[25] = 1;
    for (const int n : {5, 2, paged}) {
        const Bytes b = bank(n);
        file.insert(file.end(), b.begin(), b.end());
    }
    file.insert(file.end(), {0x00, 0x80, port7ffd, 0x00}); // PC 0x8000
    for (int n = 0; n < 8; ++n)
        if (n != 5 && n != 2 && n != paged) {
            const Bytes b = bank(n);
            file.insert(file.end(), b.begin(), b.end());
        }
    return file;
}

TEST(SnapshotFormatsTest, A128KSnapshotGivesThePagesItHasPagedIn)
{
    const DecodedImage decoded = decodeSnapshot(snapshot128(0x03), FileKind::Sna);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    const Bytes& image = decoded.image;
    EXPECT_EQ(ramAt(image, 0x4000), 0x15);
    EXPECT_EQ(ramAt(image, 0x8000), 0x12);
    EXPECT_EQ(ramAt(image, 0xC000), 0x13);
    EXPECT_EQ(ramAt(image, 0xFFFF), 0x13);
    EXPECT_EQ(headerWord(image, sna::SP), 0x8FFE);
    EXPECT_EQ(ramAt(image, 0x8FFE), 0x00);
    EXPECT_EQ(ramAt(image, 0x8FFF), 0x80);
}

TEST(SnapshotFormatsTest, WhatLibspectrumCannotReadIsRefusedWithAReason)
{
    const Bytes z80 = encodeSnapshot(defaultImage().bytes(), FileKind::Z80);
    const Bytes szx = encodeSnapshot(defaultImage().bytes(), FileKind::Szx);
    const std::vector<std::pair<Bytes, FileKind>> cases = {
        {Bytes(z80.begin(), z80.begin() + std::ptrdiff_t(z80.size() * 3 / 5)), FileKind::Z80},
        {Bytes(szx.begin(), szx.end() - 100), FileKind::Szx},
        {szx, FileKind::Z80},
        {Bytes(5000, 0x5A), FileKind::Unknown},
        {Bytes(), FileKind::Z80},
        {buildTape(GameImage(), LoadingScreen()), FileKind::Unknown},
    };
    for (const auto& [file, kind] : cases) {
        const DecodedImage decoded = decodeSnapshot(file, kind);
        EXPECT_FALSE(decoded.ok()) << file.size();
        EXPECT_NE(decoded.error, "") << file.size();
    }
    EXPECT_TRUE(tapeAsTzx(Bytes(10, 0x33)).empty());
}

// The .szx file with the data of each RAMP chunk replaced: `size` bytes of
// 0x77, stored or compressed.
Bytes szxWithPagesOf(const Bytes& szx, std::size_t size, bool compressed)
{
    Bytes page(size, 0x77);
    if (compressed) {
        Bytes packed(compressBound(uLong(size)));
        uLongf length = uLongf(packed.size());
        compress(packed.data(), &length, page.data(), uLong(size));
        packed.resize(length);
        page = packed;
    }
    Bytes out(szx.begin(), szx.begin() + 8);
    for (std::size_t at = 8; at + 8 <= szx.size();) {
        const std::size_t length = szx[at + 4] | szx[at + 5] << 8 | szx[at + 6] << 16 | std::size_t(szx[at + 7]) << 24;
        Bytes chunk(szx.begin() + std::ptrdiff_t(at), szx.begin() + std::ptrdiff_t(at + 8 + length));
        if (std::equal(chunk.begin(), chunk.begin() + 4, "RAMP")) {
            chunk.resize(11);
            chunk[8] = compressed ? 1 : 0;
            chunk.insert(chunk.end(), page.begin(), page.end());
            const std::size_t n = chunk.size() - 8;
            for (int b = 0; b < 4; ++b)
                chunk[std::size_t(4 + b)] = std::uint8_t(n >> (8 * b));
        }
        out.insert(out.end(), chunk.begin(), chunk.end());
        at += 8 + length;
    }
    return out;
}

TEST(SnapshotFormatsTest, SzxPagesOfAnyLengthButAWholePageAreRefused)
{
    const Bytes szx = encodeSnapshot(defaultImage().bytes(), FileKind::Szx);
    for (const bool compressed : {false, true}) {
        const DecodedImage whole = decodeSnapshot(szxWithPagesOf(szx, 16384, compressed), FileKind::Szx);
        ASSERT_TRUE(whole.ok()) << whole.error;
        EXPECT_EQ(ramAt(whole.image, 0x8000), 0x77);
        for (const std::size_t size : {16040u, 16385u})
            for (const FileKind kind : {FileKind::Szx, FileKind::Unknown})
                EXPECT_FALSE(decodeSnapshot(szxWithPagesOf(szx, size, compressed), kind).ok())
                    << size << " compressed " << compressed;
    }
}

// A version 3 .z80 of a 48K machine (PC 0x8000) whose three memory blocks
// expand to `size` bytes of 0x77 each, compressed as ED ED n 77 runs.
Bytes z80WithPagesOf(std::size_t size)
{
    Bytes file(30 + 2 + 54, 0);
    file[30] = 54;
    file[32] = 0x00, file[33] = 0x80; // PC
    for (const std::uint8_t page : {8, 4, 5}) {
        Bytes block;
        for (std::size_t left = size; left > 0;) {
            const std::size_t run = std::min<std::size_t>(left, 255);
            block.insert(block.end(), {0xED, 0xED, std::uint8_t(run), 0x77});
            left -= run;
        }
        file.insert(file.end(), {std::uint8_t(block.size()), std::uint8_t(block.size() >> 8), page});
        file.insert(file.end(), block.begin(), block.end());
    }
    return file;
}

TEST(SnapshotFormatsTest, Z80BlocksShorterThanAPageAreRefused)
{
    const DecodedImage whole = decodeSnapshot(z80WithPagesOf(16384), FileKind::Z80);
    ASSERT_TRUE(whole.ok()) << whole.error;
    EXPECT_EQ(ramAt(whole.image, 0x4000), 0x77);
    EXPECT_EQ(ramAt(whole.image, 0xC000), 0x77);
    for (const FileKind kind : {FileKind::Z80, FileKind::Unknown})
        EXPECT_FALSE(decodeSnapshot(z80WithPagesOf(16040), kind).ok());
}

// libspectrum reads a header cut short past the end of the file: an 11-byte
// start of a .z80 read as a snapshot, and crashed the formats fuzzer.
TEST(SnapshotFormatsTest, HeadersCutShortAreRefused)
{
    const Bytes z80 = encodeSnapshot(defaultImage().bytes(), FileKind::Z80);
    const Bytes szx = encodeSnapshot(defaultImage().bytes(), FileKind::Szx);
    ASSERT_EQ(z80[6] | z80[7], 0); // version 2 or 3: an extra header follows
    const std::size_t extra = 32 + std::size_t(z80[30] | z80[31] << 8);
    for (const std::size_t size : {std::size_t(11), std::size_t(30), extra - 1}) {
        const Bytes cut(z80.begin(), z80.begin() + std::ptrdiff_t(size));
        EXPECT_EQ(decodeSnapshot(cut, FileKind::Z80).error, "the snapshot's header is cut short") << size;
    }
    Bytes version1(z80.begin(), z80.begin() + 11);
    version1[6] = 0x00, version1[7] = 0x80;
    EXPECT_FALSE(decodeSnapshot(version1, FileKind::Z80).ok());
    EXPECT_FALSE(decodeSnapshot(Bytes(szx.begin(), szx.begin() + 7), FileKind::Szx).ok());
}

// libspectrum would decompress these whatever it is told they are, and its
// bzip2 reader never returns from a truncated stream (a 3-byte file hung
// every reader for ever).
TEST(SnapshotFormatsTest, CompressedFilesNeverReachLibspectrum)
{
    const Bytes bzip2 = {'B', 'Z', 'h'};
    Bytes gzip = {0x1F, 0x8B, 0x08, 0x00};
    gzip.resize(64, 0);
    for (const Bytes& file : {bzip2, gzip}) {
        EXPECT_TRUE(isCompressed(file));
        EXPECT_EQ(identifyKind("game.tap", file), FileKind::Unknown);
        for (const FileKind kind : {FileKind::Z80, FileKind::Szx, FileKind::Unknown})
            EXPECT_FALSE(decodeSnapshot(file, kind).ok());
        EXPECT_TRUE(tapeAsTzx(file).empty());
    }
    EXPECT_FALSE(isCompressed(Bytes{'B', 'Z'}));
    EXPECT_FALSE(isCompressed(encodeSnapshot(defaultImage().bytes(), FileKind::Z80)));
}

TEST(FileKindTest, KindsComeFromTheExtensionAndSizesAreCheckedByKind)
{
    EXPECT_EQ(kindFromName("game.sna"), FileKind::Sna);
    EXPECT_EQ(kindFromName("dir/Game.Z80"), FileKind::Z80);
    EXPECT_EQ(kindFromName("a.b.SZX"), FileKind::Szx);
    EXPECT_EQ(kindFromName("x.tap"), FileKind::Tap);
    EXPECT_EQ(kindFromName("x.TzX"), FileKind::Tzx);
    EXPECT_EQ(kindFromName("dir.tap/game"), FileKind::Unknown);
    EXPECT_EQ(kindFromName("game.tap.bak"), FileKind::Unknown);
    EXPECT_EQ(kindFromName("tap"), FileKind::Unknown);

    EXPECT_TRUE(acceptedOpenSize(FileKind::Sna, kSnapshot128Size));
    EXPECT_FALSE(acceptedOpenSize(FileKind::Sna, 4096));
    EXPECT_TRUE(acceptedOpenSize(FileKind::Tzx, kMaxOpenSize));
    EXPECT_FALSE(acceptedOpenSize(FileKind::Z80, kMaxOpenSize + 1));
    EXPECT_FALSE(acceptedOpenSize(FileKind::Unknown, 5u << 20));
}

} // namespace
} // namespace zq
