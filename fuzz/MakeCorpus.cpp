// Writes the seed corpus of the fuzzer into the folder given as argument:
// the default image with scripts that use every operation, the start of a
// 128K file, and images with malformed data in each region the editor reads,
// each in the compact form (patches on the sample image, fuzz/ImageInput.h).
// The output depends on nothing but the default image.

#include "files/Snapshot.h"
#include "fuzz/ImageInput.h"
#include "fuzz/ImageScript.h"
#include "image/GameImage.h"
#include "tools/Airflow.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using namespace zq;
using namespace zq::fuzz;
using Bytes = std::vector<std::uint8_t>;

class Script {
public:
    Script& op(Op o)
    {
        starts.push_back(bytes.size());
        bytes.push_back(o);
        return *this;
    }
    Script& u8(int v)
    {
        bytes.push_back(std::uint8_t(v));
        return *this;
    }
    Script& s16(int v)
    {
        bytes.push_back(std::uint8_t(v & 0xFF));
        bytes.push_back(std::uint8_t((v >> 8) & 0xFF));
        return *this;
    }
    Script& xy(int x, int y) { return s16(x).s16(y); }

    // The script as scripts of at most kMaxOps operations each; every one
    // after the first starts by selecting the level the one before left
    // selected.
    std::vector<Bytes> parts() const
    {
        std::vector<Bytes> out;
        Bytes select;
        for (std::size_t i = 0; i < starts.size();) {
            Bytes part = select;
            for (std::size_t n = select.empty() ? 0 : 1; i < starts.size() && n < kMaxOps; ++i, ++n) {
                const auto from = bytes.begin() + std::ptrdiff_t(starts[i]);
                const auto to = i + 1 < starts.size() ? bytes.begin() + std::ptrdiff_t(starts[i + 1]) : bytes.end();
                part.insert(part.end(), from, to);
                if (*from == OpSelectLevel)
                    select.assign(from, to);
            }
            out.push_back(std::move(part));
        }
        return out;
    }

    Bytes bytes;
    std::vector<std::size_t> starts; // where each operation begins
};

// An uncompressed bitmap file of the given depth and size (a negative height
// is top-down) with a palette of `colours` entries (0: the full one).
Bytes bitmap(int bits, int width, int height, int colours)
{
    const int rowBytes = (width * bits + 31) / 32 * 4;
    const int paletteEntries = bits <= 8 ? (colours ? colours : 1 << bits) : 0;
    const int dataOffset = 54 + 4 * paletteEntries;
    const int size = dataOffset + rowBytes * (height < 0 ? -height : height);
    Bytes b(std::size_t(size), 0);
    const auto put = [&b](std::size_t at, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            b[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, std::uint32_t(size), 4);
    put(10, std::uint32_t(dataOffset), 4);
    put(14, 40, 4);
    put(18, std::uint32_t(width), 4);
    put(22, std::uint32_t(height), 4);
    put(26, 1, 2);
    put(28, std::uint32_t(bits), 2);
    put(46, std::uint32_t(colours), 4);
    for (int i = 0; i < paletteEntries; ++i)
        put(54 + 4 * std::size_t(i), std::uint32_t(0x10203 * (i + 1)), 4);
    for (std::size_t i = std::size_t(dataOffset); i < b.size(); ++i)
        b[i] = std::uint8_t(i * 29);
    return b;
}

// A short tour: a level, a few blocks, a pattern pixel, an area, an enemy,
// the item, a bubble, then a render with every overlay.
Script tour(int level)
{
    Script s;
    s.op(OpSelectLevel).u8(level);
    s.op(OpBlockPress).xy(100, 100).op(OpBlockDrag).xy(140, 100).op(OpBlockDrag).xy(-30000, 30000);
    s.op(OpPatternPress).xy(20, 20).op(OpPatternDrag).xy(200, -5);
    s.op(OpAreaPress).u8(0).u8(3).xy(40, 40).op(OpAreaResize).u8(3).xy(300, 500);
    s.op(OpStepEnemyType).u8(0).u8(16).op(OpStepEnemyType).u8(0).u8(0).op(OpMoveEnemy).u8(0).xy(100, 100);
    s.op(OpMoveItem).u8(4).xy(100, 100);
    s.op(OpBubble).u8(3).u8(2).u8(0);
    s.op(OpRender).u8(7).u8(0);
    return s;
}

// Every editing operation, with arguments at and past their limits.
Script everyOp()
{
    Script s = tour(4);
    s.op(OpSelectLevel).u8(78);
    s.op(OpBlockPress).xy(511, 383).op(OpBlockDrag).xy(256, 383).op(OpBlockPress).xy(-32768, -32768);
    s.op(OpPatternPress).xy(128, 128).op(OpPatternDrag).xy(32767, 32767);
    s.op(OpAreaPress).u8(15).u8(15).xy(-1, -1).op(OpAreaResize).u8(12).xy(32767, 32767);
    s.op(OpAreaDirection).u8(15).u8(3).u8(13);
    s.op(OpStepEnemyType).u8(6).u8(15).op(OpStepEnemyType).u8(7).u8(3).op(OpStepEnemyType).u8(0xFF).u8(0xFF);
    s.op(OpMoveEnemy).u8(6).xy(463, 351).op(OpMoveEnemy).u8(0x80).xy(100, 100);
    s.op(OpSelectEnemy).u8(0).xy(100, 100).op(OpSelectEnemy).u8(0xF0).xy(-100, 9999);
    for (int q : {0, 1, 2, 3, 0x7F, 0xFF})
        s.op(OpMoveItem).u8(q).xy(300, 300);
    for (int action = 0; action < 4; ++action)
        for (int argument : {0, 1, 4, 5, 0xFF})
            s.op(OpBubble).u8(action).u8(argument).u8(action == 3 ? 0 : 79);
    s.op(OpCopyPasteLevel).u8(0).op(OpCopyPasteLevel).u8(3);
    s.op(OpCopyPasteEnemies).u8(1).u8(78).op(OpCopyPasteEnemies).u8(0xFF).u8(79);
    s.op(OpRender).u8(7).u8(0xFF);
    return s;
}

// The rest of the operations (a script runs at most kMaxOps of them): text,
// files, pictures.
Script everyOtherOp()
{
    Script s;
    s.op(OpSelectLevel).u8(12).op(OpCopyPasteLevel).u8(0x80);
    // Levels 1 and 2 are mirrored in the default image, 3 and 4 full-width.
    for (auto [target, source] : {std::pair{0, 2}, std::pair{2, 1}, std::pair{3, 0}})
        s.op(OpSelectLevel).u8(target).op(OpCopyPasteLevel).u8(source);
    s.op(OpCreditText).u8(0).u8(3).s16(0x41).s16(0).s16(0x263A).s16(0).s16(0xFFFF).s16(0xFFFF);
    s.op(OpCreditText).u8(2).u8(39);
    for (int i = 0; i < 39; ++i)
        s.s16(i * 7).s16(0);
    s.op(OpEnemyBytes).u8(0).s16(-1).op(OpEnemyBytes).u8(1).s16(300);
    s.op(OpWriteFiles).u8(0).op(OpWriteFiles).u8(1).op(OpWriteFiles).u8(2);
    s.op(OpImportScreen).s16(2).u8(1).u8(2);
    s.op(OpOpenSnapshot).u8(0).u8(0).op(OpOpenSnapshot).u8(1).u8(1).s16(3).u8(0x55);
    s.op(OpOpenSnapshot).u8(2).s16(12295).u8(0).op(OpOpenSnapshot).u8(3).u8(0);
    s.op(OpDrawCell).xy(-4, 250).u8(9).u8(8).u8(1).op(OpDrawCell).xy(248, 184).u8(0x80).u8(0).u8(3);
    s.op(OpViewSizes).u8(0).u8(1).u8(255).u8(3);
    for (const std::string path : {"dir.v2/ab", "a.b.c", ""}) {
        s.op(OpForceExtension).u8(int(path.size()));
        for (char c : path)
            s.u8(c);
    }
    // Bitmaps of every depth, bottom-up and top-down, one with a short
    // palette and one cut short.
    for (const auto& [bits, height, colours] : {std::tuple{24, 2, 0}, std::tuple{32, -3, 0}, std::tuple{8, 3, 5},
                                                std::tuple{4, -2, 0}, std::tuple{1, 4, 2}}) {
        const Bytes bmp = bitmap(bits, 5, height, colours);
        s.op(OpLoadBmp).s16(int(bmp.size()));
        s.bytes.insert(s.bytes.end(), bmp.begin(), bmp.end());
    }
    const Bytes cut = bitmap(8, 5, 3, 0);
    s.op(OpLoadBmp).s16(int(cut.size()) - 1);
    s.bytes.insert(s.bytes.end(), cut.begin(), cut.end() - 1);
    s.op(OpColours).u8(1).u8(6).u8(0x80).op(OpColours).u8(0xFF).u8(0xF8).u8(0);
    s.op(OpLine).xy(-40, -7).xy(200, 150).op(OpLine).xy(64, 0).xy(60, 128).op(OpLine).xy(5, 5).xy(5, 5);
    s.op(OpRender).u8(7).u8(0xFF);
    // Last, as it takes the rest of the script: a whole screen, zero-padded.
    s.op(OpImportScreen).s16(int(kScreenSize)).u8(0xAA).u8(0x55);
    return s;
}


void fill(GameImage& image, std::size_t offset, std::size_t length, std::uint8_t value)
{
    for (std::size_t i = 0; i < length; ++i)
        image.set(offset + i, value);
}

// Every record address the levels use.
template <typename F>
void forEachAirflowRecord(F f)
{
    for (int l = 0; l < kLevelCount; ++l)
        f(l, airflowRecordOffset(l));
}

Script bubbleScript()
{
    Script s;
    for (int level : {0, 5, 40, 78}) {
        s.op(OpSelectLevel).u8(level);
        for (int choice : {1, 2, 3, 4, 0})
            s.op(OpBubble).u8(3).u8(choice).u8(0);
        s.op(OpBubble).u8(1).u8(2).u8(0).op(OpBubble).u8(2).u8(4).u8(0).op(OpBubble).u8(0).u8(0).u8(0);
    }
    return s;
}

bool writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    GameImage sample;
    if (!sample.loadDefault()) {
        std::fprintf(stderr, "no default image\n");
        return 1;
    }
    std::vector<std::pair<std::string, Bytes>> files;
    const auto add = [&](const std::string& name, const GameImage& image, const Script& script) {
        const std::vector<Bytes> parts = script.parts();
        for (std::size_t k = 0; k < parts.size(); ++k)
            files.emplace_back(k == 0 ? name : name + "-" + std::to_string(k + 1), compactInput(image, parts[k]));
    };

    add("sample-tour", sample, tour(0));
    add("sample-every-edit", sample, everyOp());
    add("sample-files-and-pictures", sample, everyOtherOp());
    {
        // The start of a 128K file: its state bytes and first bank are read
        // as the script.
        GameImage image = sample;
        const Bytes file = export128(image);
        files.emplace_back("export128-start", compactInput(image, std::span(file).subspan(kImageSize, 4 + 60)));
    }
    {
        GameImage image = sample;
        fill(image, off::MirrorBitmap, kMirrorBitmapSize, 0x00);
        add("mirror-all-full-width", image, tour(78));
        fill(image, off::MirrorBitmap, kMirrorBitmapSize, 0xFF);
        add("mirror-all-mirrored", image, tour(78));
    }
    {
        // Fifteen areas (n = 15) in every record, the areas as large as the
        // fields allow.
        GameImage image = sample;
        forEachAirflowRecord([&](int, std::size_t at) {
            image.set(at, std::uint8_t(image.get(at) | 0x0F));
        });
        add("airflow-n15", image, tour(2));
        forEachAirflowRecord([&](int, std::size_t at) { fill(image, at + 9, 32, 0xFF); });
        add("airflow-n15-oversized", image, tour(9));
    }
    {
        // Direction nibbles 12..15 (rows 24 and more) and gap sets 13..15.
        GameImage image = sample;
        forEachAirflowRecord([&](int l, std::size_t at) {
            image.set(at, std::uint8_t(((13 + l % 3) << 4) | (image.get(at) & 0x0F)));
            image.set(at + 1, std::uint8_t(0xCD + 0x11 * (l % 3)));
        });
        add("airflow-rows-off-map-gap-sets-13-15", image, tour(3));
    }
    for (int zeros = 0; zeros <= 3; ++zeros) {
        // The table filled with level numbers, then `zeros` group ends.
        GameImage image = sample;
        for (std::size_t i = 0; i < kBubbleTableSize; ++i)
            image.set(off::BubbleTable + i, std::uint8_t(1 + i % 79));
        for (int z = 0; z < zeros; ++z)
            image.set(off::BubbleTable + 10 + 12 * std::size_t(z), 0);
        add("bubbles-" + std::to_string(zeros) + "-zero-bytes", image, bubbleScript());
    }
    {
        GameImage image = sample;
        fill(image, off::BubbleTable, kBubbleTableSize, 6);
        add("bubbles-one-level-everywhere", image, bubbleScript());
    }
    {
        // Enemies at column 31 / row 31 with bits 2-1 set, and items 0xFF.
        GameImage image = sample;
        for (int l = 0; l < kLevelCount; ++l)
            for (int slot = 0; slot < 7; ++slot) {
                const std::size_t at = off::EnemyTable + 16 * std::size_t(l) + 2 * std::size_t(slot);
                image.set(at, std::uint8_t(0xF8 | slot));
                image.set(at + 1, std::uint8_t(0xF8 | 0x06 | (slot & 1)));
            }
        fill(image, off::ItemTable, kItemTableSize, 0xFF);
        Script s = tour(7);
        s.op(OpSelectEnemy).u8(0).xy(500, 500).op(OpMoveItem).u8(0).xy(239, 255);
        add("enemies-column-31-row-31-items-ff", image, s);
    }
    {
        // Credit fields holding zero, control and 128..255 bytes.
        GameImage image = sample;
        for (std::size_t i = 0; i < 24; ++i)
            image.set(off::Title + i, std::uint8_t(i * 11));
        for (std::size_t i = 0; i < 21; ++i)
            image.set(off::Company + i, std::uint8_t(128 + i * 6));
        fill(image, off::Author, 20, 0);
        image.set(off::Author + 3, 'A');
        image.set(off::Author + 19, 31);
        Script s;
        s.op(OpCreditText).u8(0).u8(0).op(OpCreditText).u8(1).u8(2).s16(0).s16(0).s16(127).s16(0);
        s.op(OpCreditText).u8(2).u8(1).s16(-1).s16(-1);
        add("credits-control-and-high-bytes", image, s);
    }

    for (const auto& [name, bytes] : files) {
        if (!writeFile(dir + "/" + name, bytes)) {
            std::fprintf(stderr, "cannot write %s/%s\n", dir.c_str(), name.c_str());
            return 1;
        }
        for (const Survey survey : {Survey::Draw, Survey::Once}) {
            const std::string broken = runImageScript(bytes, survey);
            if (!broken.empty()) {
                std::fprintf(stderr, "%s: %s\n", name.c_str(), broken.c_str());
                return 1;
            }
        }
    }
    std::printf("%zu files in %s\n", files.size(), dir.c_str());
    return 0;
}
