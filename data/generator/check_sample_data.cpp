// zelquor-sampledata-check: reads the committed sample data in a folder and
// checks it against the game's formats, independently of the generator's code.
//
//   zelquor-sampledata-check <datadir>
//
// Prints one line per group of checks and a closing "N passed, N failed".

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Failure {
  std::string what;
};

void expect(bool ok, const std::string& what) {
  if (!ok) throw Failure{what};
}

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  expect(static_cast<bool>(in), "cannot open " + path);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t le(const Bytes& b, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | b.at(at + static_cast<std::size_t>(i));
  return v;
}

// The game image as the editor sees it: header, then memory from 0x4000.
struct Image {
  Bytes bytes;
  int mem(int addr) const { return bytes.at(static_cast<std::size_t>(addr - 0x4000 + 27)); }
  bool mirrored(int level) const { return (mem(0x8543 + level / 8) << (level % 8)) & 0x80; }
  int recordAddress(int level) const {
    int a = 0x61A8;
    for (int k = 0; k < level; ++k) a += mirrored(k) ? 39 : 77;
    return a;
  }
  bool cell(int level, int r, int c) const {
    const int width = mirrored(level) ? 14 : 28;
    if (mirrored(level) && c >= 14) c = 27 - c;
    const int k = width * r + c;
    return (mem(recordAddress(level) + k / 8) << (k % 8)) & 0x80;
  }
};

// A decoded 16 x 16 picture: 0xRRGGBB per pixel, top row first.
std::vector<std::uint32_t> readBmp(const Bytes& f, int expectBits) {
  expect(f.size() > 54 && f[0] == 'B' && f[1] == 'M', "BMP signature");
  expect(le(f, 2, 4) == f.size(), "BMP size field");
  expect(le(f, 14, 4) == 40 && le(f, 30, 4) == 0, "BITMAPINFOHEADER, uncompressed");
  const int w = static_cast<int>(le(f, 18, 4)), h = static_cast<int>(le(f, 22, 4)), bits = static_cast<int>(le(f, 28, 2));
  expect(bits == expectBits && h > 0, "bit depth and bottom-up rows");
  const std::size_t data = le(f, 10, 4);
  const int stride = ((w * bits + 31) / 32) * 4;
  expect(data + static_cast<std::size_t>(stride * h) == f.size(), "BMP pixel data size");
  std::vector<std::uint32_t> px(static_cast<std::size_t>(w * h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::size_t row = data + static_cast<std::size_t>((h - 1 - y) * stride);
      std::uint32_t c;
      if (bits == 24) {
        c = le(f, row + static_cast<std::size_t>(3 * x), 3);
      } else {
        const int idx = (f.at(row + static_cast<std::size_t>(x / 2)) >> (x % 2 ? 0 : 4)) & 15;
        c = le(f, 54 + static_cast<std::size_t>(4 * idx), 3);
      }
      px[static_cast<std::size_t>(y * w + x)] = c;
    }
  return px;
}

std::vector<int> parseMaskTable(const std::string& text) {
  std::vector<int> out;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("//", 0) == 0) continue;
    std::replace(line.begin(), line.end(), ',', ' ');
    std::istringstream words(line);
    std::string w;
    while (words >> w) out.push_back(std::stoi(w, nullptr, 16));
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: zelquor-sampledata-check <datadir>\n";
    return 2;
  }
  const std::string dir = argv[1];
  int passed = 0, failed = 0;
  auto run = [&](const std::string& name, const std::function<void()>& body) {
    try {
      body();
      ++passed;
      std::cout << "ok     " << name << '\n';
    } catch (const Failure& f) {
      ++failed;
      std::cout << "FAILED " << name << ": " << f.what << '\n';
    } catch (const std::exception& e) {
      ++failed;
      std::cout << "FAILED " << name << ": " << e.what() << '\n';
    }
  };

  Image img;
  run("snapshot header resumes at the start-up program", [&] {
    img.bytes = readFile(dir + "/Snap.sna");
    expect(img.bytes.size() == 49179, "Snap.sna is 49179 bytes");
    const Bytes& b = img.bytes;
    expect(le(b, 15, 2) == 0x5C3A, "IY = 0x5C3A");
    expect((b[19] & 4) != 0, "interrupts enabled");
    expect(b[25] == 1 && b[26] <= 7, "IM 1 and a border colour");
    const int sp = static_cast<int>(le(b, 23, 2));
    expect(sp >= 0x5D00 && sp < 0x6190, "SP in free RAM below the code");
    expect(img.mem(sp) + 256 * img.mem(sp + 1) == 0xF5BC, "saved PC is 0xF5BC");
    const std::array<int, 10> signature = {0xF3, 0x31, 0x90, 0x61, 0xFD, 0x21, 0x3A, 0x5C, 0xED, 0x56};
    for (int i = 0; i < 10; ++i) expect(img.mem(0xF5BC + i) == signature[static_cast<std::size_t>(i)], "signature at 0xF5BC");
    expect(img.mem(0x5B5C) == 0, "paging byte 0x5B5C is 0");
  });
  if (img.bytes.size() != 49179) {
    std::cout << passed << " passed, " << failed << " failed\n";
    return 1;
  }

  run("level records: walk, sizes, floors, no repeats", [&] {
    int full = 0;
    for (int L = 0; L < 79; ++L) full += img.mirrored(L) ? 0 : 1;
    expect(full >= 1 && full <= 46, "1..46 full-width levels");
    expect(img.recordAddress(79) <= 0x74A1, "records end before the enemy table");
    expect((img.mem(0x8543 + 9) & 1) == 0, "bit of index 79 clear");
    std::set<std::vector<bool>> seen;
    for (int L = 0; L < 79; ++L) {
      if (img.mirrored(L)) expect((img.mem(img.recordAddress(L) + 38) & 0x0F) == 0, "spare bits of a mirrored record clear");
      std::vector<bool> cells;
      for (int r = 0; r < 22; ++r)
        for (int c = 0; c < 28; ++c) cells.push_back(img.cell(L, r, c));
      expect(seen.insert(cells).second, "level " + std::to_string(L + 1) + " repeats another");
      for (int c = 7; c <= 10; ++c) expect(!img.cell(L, 21, c) && !img.cell(L, 21, c + 10), "floor gaps of level " + std::to_string(L + 1));
      for (int c : {0, 3, 6, 11, 16, 21, 27}) expect(img.cell(L, 21, c), "floor of level " + std::to_string(L + 1));
    }
  });

  run("enemy table: counts, positions, kinds", [&] {
    std::set<int> kinds, facings;
    bool gap = false;
    for (int L = 0; L < 79; ++L) {
      const int e = 0x74A1 + 16 * L;
      int count = 0, lastEmpty = -1;
      for (int s = 0; s < 7; ++s) {
        const int b0 = img.mem(e + 2 * s), b1 = img.mem(e + 2 * s + 1);
        if (b0 < 8) {
          expect(b0 == 0 && b1 == 0, "empty slot is two zero bytes");
          lastEmpty = s;
          continue;
        }
        gap = gap || lastEmpty >= 0;
        ++count;
        expect((b0 >> 3) >= 2 && (b0 >> 3) <= 28 && (b1 >> 3) <= 21 && (b1 & 6) == 0, "enemy position of level " + std::to_string(L + 1));
        kinds.insert(b0 & 7);
        facings.insert(b1 & 1);
      }
      expect(count >= 1, "level " + std::to_string(L + 1) + " has an enemy");
      expect(img.mem(e + 14) <= 7, "enemies pattern 0..7");
    }
    expect(kinds.size() == 8 && facings.size() == 2, "all kinds and facings used");
    expect(gap, "an empty slot stands between enemies somewhere");
  });

  run("airflow records fit and stay inside columns 2..15, rows 2..23", [&] {
    const std::array<int, 79> table = {
        0x79B3, 0x79B3, 0x79BB, 0x79CB, 0x79DB, 0x79DB, 0x79EB, 0x79F1, 0x79FA, 0x7A08, 0x7A11, 0x7A1C, 0x7A2F, 0x7A2F,
        0x7A35, 0x7A3B, 0x7A49, 0x7A52, 0x7A62, 0x7A70, 0x7A7B, 0x7A84, 0x7A8D, 0x7A96, 0x7A9C, 0x7AA7, 0x7AAB, 0x7AB6,
        0x7ABC, 0x7AC0, 0x7ACB, 0x7AD9, 0x7AE4, 0x7AEF, 0x7AEF, 0x79B3, 0x7AF7, 0x7AFD, 0x7B01, 0x7B07, 0x7ABC, 0x7ABC,
        0x79EB, 0x7B1D, 0x7B21, 0x7AEF, 0x7B29, 0x79B3, 0x7B36, 0x79B3, 0x7B3E, 0x79B3, 0x7B46, 0x7B51, 0x7B57, 0x7B67,
        0x7B72, 0x7B82, 0x7B95, 0x7A2F, 0x7BA0, 0x7BA4, 0x7BAA, 0x7BB0, 0x7BB6, 0x7BC1, 0x7BC7, 0x7BD2, 0x7AEF, 0x7BDA,
        0x7BE5, 0x7BEB, 0x7BF1, 0x7BF7, 0x7C07, 0x7C0D, 0x7C0D, 0x7C13, 0x7C19};
    const std::set<int> addresses(table.begin(), table.end());
    std::set<int> gapSets;
    bool spareNibble = false;
    for (auto it = addresses.begin(); it != addresses.end(); ++it) {
      const int a = *it, n = img.mem(a) & 15;
      const int length = 4 + n / 2 + 2 * n;
      const auto next = std::next(it);
      expect(next == addresses.end() || a + length <= *next, "record at " + std::to_string(a) + " overruns the next");
      expect(n <= 10, "at most 11 areas");
      gapSets.insert(img.mem(a) >> 4);
      if (n % 2 == 0) spareNibble = spareNibble || (img.mem(a + 1 + n / 2) & 15) != 0;
      for (int k = 0; k <= n; ++k) {
        const int nib = (img.mem(a + 1 + k / 2) >> (k % 2 ? 0 : 4)) & 15;
        const int b1 = img.mem(a + 2 + n / 2 + 2 * k), b2 = img.mem(a + 3 + n / 2 + 2 * k);
        const int width = b1 >> 4, column = b1 & 15, height = 2 * (b2 >> 4) + (b2 >> 3 & 1), row = (b2 & 7) + 8 * (nib >> 2);
        expect(width >= 1 && height >= 1 && column >= 2 && column + width - 1 <= 15 && row >= 2 && row + height - 1 <= 23,
               "area " + std::to_string(k) + " of record at " + std::to_string(a));
      }
    }
    for (int g = 0; g <= 12; ++g) expect(gapSets.count(g) == 1, "gap set " + std::to_string(g) + " used");
    expect(spareNibble, "some record keeps a value in its spare direction nibble");
  });

  run("special bubble table is full and well formed", [&] {
    std::vector<int> t;
    for (int i = 0; i < 53; ++i) t.push_back(img.mem(0x7E4B + i));
    expect(std::count(t.begin(), t.end(), 0) == 4 && t.back() == 0, "four group ends, no spare byte");
    expect(img.mem(0x7E4B + 53) != 0, "byte after the table is not zero");
    std::set<int> seen;
    for (std::size_t i = 0; i < t.size(); ++i)
      if (t[i] != 0) {
        expect(seen.insert(t[i]).second, "level " + std::to_string(t[i]) + " appears twice");
        expect(t[i + 1] == 0 || t[i + 1] > t[i], "groups ascending");
      }
    expect(std::any_of(t.begin(), t.end(), [](int v) { return v > 79; }), "some numbers above 79");
  });

  run("items, lower item list, colours, credits", [&] {
    std::set<int> lower;
    for (int i = 0; i < 13; ++i) lower.insert(img.mem(0x860F + i));
    expect(lower.size() == 13 && *lower.begin() >= 1 && *lower.rbegin() <= 79, "13 distinct level numbers");
    for (int L = 0; L < 79; ++L) {
      const int b = img.mem(0xFF90 + L), h = b >> 4, v = b & 15;
      const bool low = lower.count(L + 1) != 0;
      expect(h >= 2 && h <= 14 && (low ? v <= 5 : v >= 3), "item byte of level " + std::to_string(L + 1));
    }
    const std::set<int> inks = {1, 3, 4, 5, 6, 7}, papers = {1, 2, 3, 4, 6, 7};
    int big = 0;
    for (int i = 0; i < 15; ++i) {
      const int a = img.mem(0x858C + i);
      expect((a & 0x40) == 0 && inks.count(a & 7) && papers.count(a >> 3 & 7) && (a & 7) != (a >> 3 & 7), "level colour " + std::to_string(i));
      big += a >> 7;
    }
    expect(big > 0 && big < 15, "some levels with the big border");
    for (auto [addr, width] : {std::pair{0x9A32, 24}, std::pair{0x9A4B, 21}, std::pair{0x9A61, 20}}) {
      for (int i = 0; i < width; ++i) expect(img.mem(addr + i) >= 32 && img.mem(addr + i) <= 126, "credit text printable");
      expect(img.mem(addr + width) != 32, "byte after a credit field is not a space");
    }
  });

  std::array<std::vector<std::uint32_t>, 16> pictures;
  run("enemy pictures: 24-bit, cyan/white on black, pairs mirrored", [&] {
    for (int t = 0; t < 16; ++t) {
      pictures[static_cast<std::size_t>(t)] = readBmp(readFile(dir + "/B" + std::to_string(t) + ".bmp"), 24);
      expect(pictures[static_cast<std::size_t>(t)].size() == 256, "16 x 16");
      for (auto c : pictures[static_cast<std::size_t>(t)]) expect(c == 0 || c == 0x00FFFF || c == 0xFFFFFF, "only black, cyan, white");
    }
    for (int k = 0; k < 8; ++k)
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
          expect(pictures[static_cast<std::size_t>(2 * k)][static_cast<std::size_t>(16 * y + x)] ==
                     pictures[static_cast<std::size_t>(2 * k + 1)][static_cast<std::size_t>(16 * y + 15 - x)],
                 "B" + std::to_string(2 * k + 1) + " mirrors B" + std::to_string(2 * k));
    for (int x = 2; x <= 5; ++x) expect(pictures[6][static_cast<std::size_t>(16 * 12 + x)] == 0x00FFFF, "B6 cyan at row 12, columns 2..5");
    const auto empty = readBmp(readFile(dir + "/B16.bmp"), 4);
    expect(empty.size() == 256 && std::count(empty.begin(), empty.end(), 0xFFFFFFu) > 20 &&
               std::count(empty.begin(), empty.end(), 0u) + std::count(empty.begin(), empty.end(), 0xFFFFFFu) == 256,
           "B16: white lettering on black");
    const auto about = readBmp(readFile(dir + "/ABOUTSCREEN.bmp"), 24);
    expect(about.size() == 256 * 192, "ABOUTSCREEN is 256 x 192");
  });

  run("enemy masks follow the pictures", [&] {
    const Bytes raw = readFile(dir + "/EnemyMasks.inc");
    const auto masks = parseMaskTable(std::string(raw.begin(), raw.end()));
    expect(masks.size() == 512, "16 masks of 32 bytes");
    for (const auto& p : pictures) expect(p.size() == 256, "all enemy pictures readable");
    for (int t = 0; t < 16; ++t)
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
          const bool bit = (masks[static_cast<std::size_t>(32 * t + 2 * y + x / 8)] << (x % 8)) & 0x80;
          const bool cut = t == 6 && y == 12 && x >= 2 && x <= 5;
          const bool lit = pictures[static_cast<std::size_t>(t)][static_cast<std::size_t>(16 * y + x)] != 0;
          expect(bit == (lit && !cut), "mask " + std::to_string(t) + " row " + std::to_string(y) + " pixel " + std::to_string(x));
        }
  });

  std::cout << passed << " passed, " << failed << " failed\n";
  return failed == 0 ? 0 : 1;
}
