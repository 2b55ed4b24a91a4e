// Writing the pictures as BMP files and the enemy masks as C++ source.

#include "data/generator/SamplePictures.h"

#include "data/generator/SampleEntities.h"
#include "data/generator/SamplePixelArt.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace sampledata {

namespace {

// ---------------------------------------------------------------------------
// Pictures: BMP files and the enemy masks
// ---------------------------------------------------------------------------
using Picture = std::vector<std::uint32_t>;  // 0xRRGGBB, rows top to bottom

Picture enemyPicture(int type) {
  const EnemyDesign& d = kEnemyDesigns[static_cast<std::size_t>(type / 2)];
  Picture p(256, 0);
  for (int r = 0; r < 16; ++r)
    for (int c = 0; c < 16; ++c) {
      const char ch = d.rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(type % 2 ? 15 - c : c)];
      p[static_cast<std::size_t>(r * 16 + c)] = ch == '#' ? 0x00FFFF : ch == 'o' ? 0xFFFFFF : 0x000000;
    }
  return p;
}

// File and info headers of an uncompressed bottom-up BMP.
std::vector<Byte> bmpHeader(int width, int height, int bits, int paletteSize, std::uint32_t pixelBytes) {
  const std::uint32_t offset = 14 + 40 + 4 * static_cast<std::uint32_t>(paletteSize);
  std::vector<Byte> out = {'B', 'M'};
  putLe(out, offset + pixelBytes, 4);
  putLe(out, 0, 4);
  putLe(out, offset, 4);
  putLe(out, 40, 4);
  putLe(out, static_cast<std::uint32_t>(width), 4);
  putLe(out, static_cast<std::uint32_t>(height), 4);
  putLe(out, 1, 2);
  putLe(out, static_cast<std::uint32_t>(bits), 2);
  putLe(out, 0, 4);  // no compression
  putLe(out, pixelBytes, 4);
  putLe(out, 2835, 4);  // 72 dpi
  putLe(out, 2835, 4);
  putLe(out, static_cast<std::uint32_t>(paletteSize), 4);
  putLe(out, 0, 4);
  return out;
}

std::vector<Byte> bmp24(int width, int height, const Picture& p) {
  const int stride = (width * 3 + 3) & ~3;
  std::vector<Byte> out = bmpHeader(width, height, 24, 0, static_cast<std::uint32_t>(stride * height));
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) putLe(out, p[static_cast<std::size_t>(y * width + x)], 3);  // B, G, R
    for (int pad = width * 3; pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

// 4 bits per pixel with the Spectrum colours as palette (8..15 bright).
std::vector<Byte> bmp4(int width, int height, const std::vector<int>& index, const std::array<std::uint32_t, 16>& palette) {
  const int stride = ((width + 1) / 2 + 3) & ~3;
  std::vector<Byte> out = bmpHeader(width, height, 4, 16, static_cast<std::uint32_t>(stride * height));
  for (std::uint32_t colour : palette) putLe(out, colour, 4);
  for (int y = height - 1; y >= 0; --y) {
    std::vector<Byte> row(static_cast<std::size_t>(stride), 0);
    for (int x = 0; x < width; ++x)
      row[static_cast<std::size_t>(x / 2)] = static_cast<Byte>(row[static_cast<std::size_t>(x / 2)] | index[static_cast<std::size_t>(y * width + x)] << (x % 2 ? 0 : 4));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

const std::array<std::uint32_t, 16> kSpectrumPalette = {
    0x000000, 0x0000CA, 0xCA0000, 0xCA00CA, 0x00CA00, 0x00CACA, 0xCACA00, 0xC5C7C5,
    0x000000, 0x0000FF, 0xFF0000, 0xFF00FF, 0x00FF00, 0x00FFFF, 0xFFFF00, 0xFFFFFF};

// Mask of an enemy type: a bit wherever its picture is not black. Type 6
// leaves four pixels of row 12 out of its mask.
std::array<Byte, 32> enemyMask(int type) {
  const Picture p = enemyPicture(type);
  std::array<Byte, 32> mask{};
  for (int r = 0; r < 16; ++r)
    for (int c = 0; c < 16; ++c) {
      const bool cutOut = type == 6 && r == 12 && c >= 2 && c <= 5;
      if (p[static_cast<std::size_t>(r * 16 + c)] != 0 && !cutOut)
        mask[static_cast<std::size_t>(r * 2 + c / 8)] = static_cast<Byte>(mask[static_cast<std::size_t>(r * 2 + c / 8)] | (0x80 >> (c % 8)));
    }
  return mask;
}

std::string enemyMaskSource() {
  std::string out =
      "// Enemy masks for types 0..15, made by zelquor-sampledata from B0..B15.\n"
      "// 16 rows per mask, top row first; two bytes per row (pixels 0-7, 8-15), MSB leftmost.\n";
  for (int type = 0; type < 16; ++type) {
    out += "// type " + std::to_string(type) + ": " + kEnemyDesigns[static_cast<std::size_t>(type / 2)].name +
           (type % 2 ? ", mirrored" : "") + (type == 6 ? " (row 12, pixels 2-5 left out)" : "") + "\n";
    const auto mask = enemyMask(type);
    for (int i = 0; i < 32; ++i) {
      out += hex(mask[static_cast<std::size_t>(i)]).replace(2, 2, "");
      out += i % 16 == 15 ? ",\n" : ", ";
    }
  }
  return out;
}

// The About picture: the title screen as the start-up program leaves it, with
// the credits set in the picture's own letters.
Picture aboutPicture(const Screen& loading) {
  Screen s = loading;
  const std::array<Byte, 3> rowAttr = {0x56, 0x45, 0x47};  // as the start-up program colours them
  for (std::size_t i = 0; i < kCredits.size(); ++i) {
    std::string text(kCredits[i].text);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    const int row = 21 + static_cast<int>(i);
    drawText(s, text, (256 - static_cast<int>(text.size()) * 6 + 1) / 2, row * 8, 1, 1, 6);
    for (int col = 0; col < 32; ++col) s.colour(col, row, rowAttr[i]);
  }
  Picture p(256 * 192, 0);
  for (int y = 0; y < 192; ++y)
    for (int x = 0; x < 256; ++x) {
      const Byte a = s.colourAt(x / 8, y / 8);
      const int bright = a & 0x40 ? 8 : 0;
      const int c = s.pixel[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] ? (a & 7) : (a >> 3 & 7);
      p[static_cast<std::size_t>(y * 256 + x)] = kSpectrumPalette[static_cast<std::size_t>(c + bright)];
    }
  return p;
}

}  // namespace

// Every output file, by name.
std::vector<std::pair<std::string, std::vector<Byte>>> pictureFiles(const Screen& loading) {
  std::vector<std::pair<std::string, std::vector<Byte>>> files;
  for (int type = 0; type < 16; ++type) files.emplace_back("B" + std::to_string(type) + ".bmp", bmp24(16, 16, enemyPicture(type)));
  const Picture b6 = enemyPicture(6);
  for (int c = 2; c <= 5; ++c) require(b6[static_cast<std::size_t>(12 * 16 + c)] == 0x00FFFF, "B6 is cyan at row 12, columns 2..5");
  std::vector<int> index;
  for (const auto& row : kEmptySlotPicture)
    for (char ch : row) index.push_back(ch == '#' ? 15 : 0);
  files.emplace_back("B16.bmp", bmp4(16, 16, index, kSpectrumPalette));
  files.emplace_back("ABOUTSCREEN.bmp", bmp24(256, 192, aboutPicture(loading)));
  const std::string masks = enemyMaskSource();
  files.emplace_back("EnemyMasks.inc", std::vector<Byte>(masks.begin(), masks.end()));
  return files;
}

}  // namespace sampledata
