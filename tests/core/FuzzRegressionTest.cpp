// The fuzzers' seed corpora, where their finds are kept as well, replayed
// through the same harnesses as the fuzzers run them: the image fuzzer's
// (every level drawn, then the input's script of edits, with the harness's
// checks; and the quick pass most fuzzed inputs get), the formats fuzzer's
// and the level pack fuzzer's. Each fault found has a focused test of its own.

#include "fuzz/FormatsInput.h"
#include "fuzz/ImageInput.h"
#include "fuzz/ImageScript.h"
#include "fuzz/PackInput.h"
#include "gfx/FastDIB.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace zq {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<fs::path> filesIn(const fs::path& dir)
{
    std::vector<fs::path> files;
    if (fs::is_directory(dir))
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

const fs::path kFuzzDir = fs::path(ZELQUOR_SOURCE_DIR) / "fuzz";

TEST(FuzzCorpusTest, EveryImageSeedRunsCleanly)
{
    const auto files = filesIn(kFuzzDir / "corpus");
    ASSERT_GE(files.size(), 10u);
    for (const auto& file : files) {
        const auto bytes = readFile(file);
        EXPECT_EQ(fuzz::runImageScript(bytes), "") << file;
        EXPECT_EQ(fuzz::runImageScript(bytes, fuzz::Survey::Once), "") << file;
    }
}

TEST(FuzzCorpusTest, EveryFormatsSeedRunsCleanly)
{
    const auto files = filesIn(kFuzzDir / "corpus-formats");
    ASSERT_FALSE(files.empty());
    for (const auto& file : files)
        EXPECT_EQ(fuzz::runFormatsInput(readFile(file)), "") << file;
}

TEST(FuzzCorpusTest, EveryPackSeedRunsCleanly)
{
    const auto files = filesIn(kFuzzDir / "corpus-packs");
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) {
        const auto bytes = readFile(file);
        EXPECT_EQ(fuzz::runPackInput({reinterpret_cast<const char*>(bytes.data()), bytes.size()}), "") << file;
    }
}

// The compact form gives back the image and script it was written from: runs
// of changed bytes, a long fill, and a change at the image's last byte.
TEST(FuzzCorpusTest, CompactInputsGiveTheirImageAndScript)
{
    GameImage image = fuzz::sampleImage();
    for (std::size_t i = 100; i < 400; i += 3)
        image.set(i, std::uint8_t(image.get(i) + 1));
    for (std::size_t i = 20000; i < 21000; ++i)
        image.set(i, 0xA5);
    image.set(kImageSize - 1, std::uint8_t(image.get(kImageSize - 1) ^ 0xFF));
    const std::vector<std::uint8_t> script = {fuzz::OpSelectLevel, 5, fuzz::OpRender, 7};
    const auto input = fuzz::compactInput(image, script);
    ASSERT_LT(input.size(), 1000u);
    GameImage read;
    const auto rest = fuzz::readImageInput(input, read);
    EXPECT_TRUE(read == image);
    EXPECT_TRUE(std::ranges::equal(rest, script));
}

TEST(FuzzCorpusTest, ShortAndEmptyInputsAreCompactInputs)
{
    EXPECT_EQ(fuzz::runImageScript({}), "");
    const std::vector<std::uint8_t> few(100, 0xFF);
    EXPECT_EQ(fuzz::runImageScript(few), "");
    EXPECT_EQ(fuzz::runImageScript(few, fuzz::Survey::Once), "");
}

// Every operation once, with arguments at or past their limits, on an image
// of zeros given whole (every level full-width and empty, no bubble group
// ends).
TEST(FuzzCorpusTest, EveryOperationRunsOnAnImageOfZeros)
{
    for (int first = 0; first < fuzz::OpCount; first += int(fuzz::kMaxOps)) {
        std::vector<std::uint8_t> input(kImageSize, 0);
        for (int op = first; op < std::min(first + int(fuzz::kMaxOps), int(fuzz::OpCount)); ++op) {
            input.push_back(std::uint8_t(op));
            for (int i = 0; i < 6; ++i)
                input.push_back(std::uint8_t(0x80 + i));
        }
        for (const fuzz::Survey survey : {fuzz::Survey::Draw, fuzz::Survey::None, fuzz::Survey::Once})
            EXPECT_EQ(fuzz::runImageScript(input, survey), "") << "from operation " << first;
    }
}

// A 2 x 1 bitmap header whose height field is given; 24 bits per pixel.
std::vector<std::uint8_t> bitmapWithHeight(std::uint32_t height)
{
    std::vector<std::uint8_t> b(54 + 16, 0);
    const auto put32 = [&b](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, std::uint32_t(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, 2);
    put32(22, height);
    b[26] = 1;
    b[28] = 24;
    return b;
}

// Found while giving the fuzzer its bitmap operation: the height's magnitude
// was taken with std::abs before the range test, which for -2^31 has no value
// as an int (undefined behaviour that no sanitizer reports).
TEST(BitmapFaultTest, HeightOfMinusTwoToThe31IsRefused)
{
    TFastDIB dib;
    dib.SetSize(3, 3, 32);
    EXPECT_FALSE(dib.LoadFromBmp(bitmapWithHeight(0x80000000u)));
    EXPECT_FALSE(dib.LoadFromBmp(bitmapWithHeight(std::uint32_t(-4097))));
    EXPECT_EQ(dib.Width(), 3);
    EXPECT_EQ(dib.Height(), 3);
    // The edges of the accepted range still load (top-down for negative).
    ASSERT_TRUE(dib.LoadFromBmp(bitmapWithHeight(std::uint32_t(-1))));
    EXPECT_EQ(dib.Height(), 1);
}

} // namespace
} // namespace zq
