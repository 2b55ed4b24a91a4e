// zelquor-sampledata: builds the sample game data that the editor carries.
//
//   zelquor-sampledata <boot.bin> <outdir>
//
// Writes Snap.sna (a complete 48K snapshot of a sample Zelquor game), the enemy
// pictures B0.bmp..B16.bmp, ABOUTSCREEN.bmp and EnemyMasks.inc into <outdir>.
// The output depends on nothing but the program and boot.bin: all randomness
// comes from fixed-seed integer generators, so every run writes the same bytes.
// Before anything is written the image is checked against the rules the editor
// relies on; a failed check ends the program with exit status 1.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Byte = std::uint8_t;

[[noreturn]] void fail(const std::string& what) {
  std::cerr << "zelquor-sampledata: " << what << '\n';
  std::exit(1);
}

void require(bool ok, const std::string& what) {
  if (!ok) fail("self-check failed: " + what);
}

std::string hex(int value) {
  static const char* digits = "0123456789ABCDEF";
  std::string s = "0x0000";
  for (int i = 0; i < 4; ++i) s[5 - i] = digits[(value >> (4 * i)) & 15];
  return s;
}

// ---------------------------------------------------------------------------
// Random numbers: xorshift32. Only integer arithmetic, so the sequence is the
// same with every compiler and library.
// ---------------------------------------------------------------------------
class Rng {
 public:
  explicit Rng(std::uint32_t seed) : state_(seed * 2654435761u + 0x6D2B79F5u) {
    if (state_ == 0) state_ = 1;
    for (int i = 0; i < 8; ++i) next();
  }
  std::uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
  int range(int lo, int hi) { return lo + below(hi - lo + 1); }
  bool chance(int percent) { return below(100) < percent; }
  template <class T>
  void shuffle(std::vector<T>& v) {
    for (std::size_t i = v.size(); i > 1; --i) std::swap(v[i - 1], v[static_cast<std::size_t>(below(static_cast<int>(i)))]);
  }

 private:
  std::uint32_t state_;
};

// ---------------------------------------------------------------------------
// Memory map of the game image
// ---------------------------------------------------------------------------
constexpr int kHeaderSize = 27;
constexpr int kImageSize = kHeaderSize + 0xC000;  // 49179
constexpr int kScreen = 0x4000;
constexpr int kPagingByte = 0x5B5C;
constexpr int kStackTop = 0x6190;
constexpr int kLevels = 0x61A8;
constexpr int kEnemyTable = 0x74A1;
constexpr int kBubbleTable = 0x7E4B;
constexpr int kBubbleTableSize = 53;
constexpr int kMirrorBitmap = 0x8543;
constexpr int kLevelAttributes = 0x858C;
constexpr int kLowerItemList = 0x860F;
constexpr int kTitle = 0x9A32;
constexpr int kCompany = 0x9A4B;
constexpr int kAuthor = 0x9A61;
constexpr int kBlockPatternTable = 0xE680;
constexpr int kBoot = 0xF5BC;
constexpr int kItemTable = 0xFF90;

constexpr int kLevelCount = 79;
constexpr int kFullRecord = 77;
constexpr int kMirroredRecord = 39;
constexpr int kFullWidthLevels = 30;

// Airflow record address of each level (level number = index + 1). Several
// levels share a record; the game keeps this table in its code.
constexpr std::array<int, kLevelCount> kAirflowAddress = {
    0x79B3, 0x79B3, 0x79BB, 0x79CB, 0x79DB, 0x79DB, 0x79EB, 0x79F1, 0x79FA, 0x7A08,
    0x7A11, 0x7A1C, 0x7A2F, 0x7A2F, 0x7A35, 0x7A3B, 0x7A49, 0x7A52, 0x7A62, 0x7A70,
    0x7A7B, 0x7A84, 0x7A8D, 0x7A96, 0x7A9C, 0x7AA7, 0x7AAB, 0x7AB6, 0x7ABC, 0x7AC0,
    0x7ACB, 0x7AD9, 0x7AE4, 0x7AEF, 0x7AEF, 0x79B3, 0x7AF7, 0x7AFD, 0x7B01, 0x7B07,
    0x7ABC, 0x7ABC, 0x79EB, 0x7B1D, 0x7B21, 0x7AEF, 0x7B29, 0x79B3, 0x7B36, 0x79B3,
    0x7B3E, 0x79B3, 0x7B46, 0x7B51, 0x7B57, 0x7B67, 0x7B72, 0x7B82, 0x7B95, 0x7A2F,
    0x7BA0, 0x7BA4, 0x7BAA, 0x7BB0, 0x7BB6, 0x7BC1, 0x7BC7, 0x7BD2, 0x7AEF, 0x7BDA,
    0x7BE5, 0x7BEB, 0x7BF1, 0x7BF7, 0x7C07, 0x7C0D, 0x7C0D, 0x7C13, 0x7C19};

// The 48K image: Spectrum memory 0x4000..0xFFFF. Every region is claimed
// before it is written, so two regions can never overlap by accident.
class Memory {
 public:
  Memory() : bytes_(0xC000, 0) {}

  void claim(int addr, int length, const std::string& name) {
    require(addr >= 0x4000 && addr + length <= 0x10000, name + " lies outside RAM");
    for (const auto& [start, entry] : claims_) {
      const int end = start + entry.first;
      require(addr + length <= start || addr >= end, name + " overlaps " + entry.second);
    }
    claims_[addr] = {length, name};
  }

  Byte& at(int addr) {
    require(addr >= 0x4000 && addr <= 0xFFFF, "address " + hex(addr) + " outside RAM");
    return bytes_[static_cast<std::size_t>(addr - 0x4000)];
  }
  Byte at(int addr) const { return bytes_[static_cast<std::size_t>(addr - 0x4000)]; }

  void put(int addr, const std::vector<Byte>& data) {
    for (std::size_t i = 0; i < data.size(); ++i) at(addr + static_cast<int>(i)) = data[i];
  }

  const std::vector<Byte>& bytes() const { return bytes_; }

 private:
  std::vector<Byte> bytes_;
  std::map<int, std::pair<int, std::string>> claims_;
};

// ---------------------------------------------------------------------------
// Pixel art. Pictures are written as text, one string per pixel row:
//   '.' = off / black, '#' = on / cyan, 'o' = on / white.
// ---------------------------------------------------------------------------

// 5 x 7 letters for the loading picture and the About picture.
const std::map<char, std::string_view>& font() {
  static const std::map<char, std::string_view> glyphs = {
      {'A', ".###. #...# #...# ##### #...# #...# #...#"}, {'B', "####. #...# #...# ####. #...# #...# ####."},
      {'C', ".###. #...# #.... #.... #.... #...# .###."}, {'D', "####. #...# #...# #...# #...# #...# ####."},
      {'E', "##### #.... #.... ####. #.... #.... #####"}, {'F', "##### #.... #.... ####. #.... #.... #...."},
      {'G', ".###. #...# #.... #.### #...# #...# .####"}, {'H', "#...# #...# #...# ##### #...# #...# #...#"},
      {'I', ".###. ..#.. ..#.. ..#.. ..#.. ..#.. .###."}, {'J', "..### ...#. ...#. ...#. ...#. #..#. .##.."},
      {'K', "#...# #..#. #.#.. ##... #.#.. #..#. #...#"}, {'L', "#.... #.... #.... #.... #.... #.... #####"},
      {'M', "#...# ##.## #.#.# #.#.# #...# #...# #...#"}, {'N', "#...# #...# ##..# #.#.# #..## #...# #...#"},
      {'O', ".###. #...# #...# #...# #...# #...# .###."}, {'P', "####. #...# #...# ####. #.... #.... #...."},
      {'Q', ".###. #...# #...# #...# #.#.# #..#. .##.#"}, {'R', "####. #...# #...# ####. #.#.. #..#. #...#"},
      {'S', ".#### #.... #.... .###. ....# ....# ####."}, {'T', "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#.."},
      {'U', "#...# #...# #...# #...# #...# #...# .###."}, {'V', "#...# #...# #...# #...# #...# .#.#. ..#.."},
      {'W', "#...# #...# #...# #.#.# #.#.# #.#.# .#.#."}, {'X', "#...# #...# .#.#. ..#.. .#.#. #...# #...#"},
      {'Y', "#...# #...# .#.#. ..#.. ..#.. ..#.. ..#.."}, {'Z', "##### ....# ...#. ..#.. .#... #.... #####"},
      {'0', ".###. #...# #..## #.#.# ##..# #...# .###."}, {'1', "..#.. .##.. ..#.. ..#.. ..#.. ..#.. .###."},
      {'2', ".###. #...# ....# ...#. ..#.. .#... #####"}, {'3', "##### ...#. ..#.. ...#. ....# #...# .###."},
      {'4', "...#. ..##. .#.#. #..#. ##### ...#. ...#."}, {'5', "##### #.... ####. ....# ....# #...# .###."},
      {'6', "..##. .#... #.... ####. #...# #...# .###."}, {'7', "##### ....# ...#. ..#.. .#... .#... .#..."},
      {'8', ".###. #...# #...# .###. #...# #...# .###."}, {'9', ".###. #...# #...# .#### ....# ...#. .##.."},
      {' ', "..... ..... ..... ..... ..... ..... ....."}, {'-', "..... ..... ..... ##### ..... ..... ....."},
      {':', "..... .##.. .##.. ..... .##.. .##.. ....."}, {'.', "..... ..... ..... ..... ..... .##.. .##.."},
      {',', "..... ..... ..... ..... .##.. ..#.. .#..."}, {'(', "...#. ..#.. .#... .#... .#... ..#.. ...#."},
      {')', ".#... ..#.. ...#. ...#. ...#. ..#.. .#..."}, {'!', "..#.. ..#.. ..#.. ..#.. ..#.. ..... ..#.."},
      {'\'', "..#.. ..#.. .#... ..... ..... ..... ....."}, {'/', "....# ...#. ...#. ..#.. .#... .#... #...."},
      {'&', ".##.. #..#. #.#.. .#... #.#.# #..#. .##.#"}, {'?', ".###. #...# ....# ...#. ..#.. ..... ..#.."},
  };
  return glyphs;
}

// Pixel (x, y) of a 5 x 7 letter; lower case is drawn as upper case and
// characters without a letter as '?'.
bool glyphPixel(char ch, int x, int y) {
  if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  auto it = font().find(ch);
  if (it == font().end()) it = font().find('?');
  return it->second[static_cast<std::size_t>(y * 6 + x)] == '#';
}

struct EnemyDesign {
  const char* name;
  std::array<std::string_view, 16> rows;  // facing right
};

// Eight enemy kinds, drawn facing right; the other facing is the mirror image.
const std::array<EnemyDesign, 8> kEnemyDesigns = {{
    {"blob",
     {"................", "................", "................", "......#####.....",
      "....#########...", "...###########..", "..######o##o##..", "..######o##o###.",
      ".##############.", ".###############", "################", "################",
      "################", ".##############.", "..##.##..##.##..", "................"}},
    {"bat",
     {"................", "................", ".......#..#.....", "#......####....#",
      "##....#o##o#..##", "###...######.###", "####.###########", "################",
      "################", "###.########.###", "##...######...##", "#.....####.....#",
      ".......##.......", "................", "................", "................"}},
    {"robot",
     {".........#......", "........###.....", "....#########...", "....#....#oo#...",
      "....#....#oo#...", "....#########...", "......#####.....", "..###########...",
      "..#.#######.#...", "..#.#######.#...", "..#.#######.#...", ".##.#######.##..",
      "....##...##.....", "....##...##.....", "...###...###....", "................"}},
    {"ghost",
     {"................", "......######....", "....##########..", "...############.",
      "...######o##o##.", "..#######o##o###", "..##############", "..##############",
      ".###############", ".###############", ".###############", ".###############",
      "################", "#####.#####.####", "##.....###...##.", "#..............."}},
    {"spider",
     {"........#.......", "........#.......", "......#####.....", ".....#######....",
      "#..##########..#", ".#.####o##o##.#.", "..############..", "#..##########..#",
      ".#############.#", "..#.#######.##..", ".#..#.....#..#..", "#..#.......#..#.",
      "..#.........#..#", ".#...........#..", "................", "................"}},
    {"fish",
     {"................", "................", "................", "........####....",
      ".......######...", "#....##########.", "##..#######o####", "###.############",
      "################", "###.###########.", "##..##########..", "#....#########..",
      ".......######...", "........##......", "................", "................"}},
    {"skull",
     {"................", ".....######.....", "...##########...", "..############..",
      ".##############.", ".###..####..###.", ".##....##....##.", ".##...o##...o##.",
      ".###..####..###.", "..#####..#####..", "...####..####...", "....########....",
      "....#.#.#.#.#...", "....#.#.#.#.#...", ".....#######....", "................"}},
    {"spring",
     {"................", "....#######.....", "...#########....", "...####o##o#....",
      "...#########....", "....#######.....", "......###.......", "...#########....",
      "..........##....", "...#########....", "...##...........", "...#########....",
      "..........##....", "...#########....", "..###########...", "................"}},
}};

// 16 x 16 picture of an empty enemy slot: "NO" over "BAD".
constexpr std::array<std::string_view, 16> kEmptySlotPicture = {
    "................", "................", "....#..#.###....", "....##.#.#.#....",
    "....#.##.#.#....", "....#..#.#.#....", "....#..#.###....", "................",
    "................", "..##..###.##....", "..#.#.#.#.#.#...", "..##..###.#.#...",
    "..#.#.#.#.#.#...", "..##..#.#.##....", "................", "................"};

// The five 8 x 8 block patterns of the levels.
constexpr std::array<std::array<std::string_view, 8>, 5> kBlockPatterns = {{
    {"#######.", "#######.", "#######.", "........", "###.####", "###.####", "###.####", "........"},  // bricks
    {"########", "##....##", "#.#..#.#", "#..##..#", "#..##..#", "#.#..#.#", "##....##", "########"},  // girder
    {"........", ".######.", ".#....#.", ".#.##.#.", ".#.##.#.", ".#....#.", ".######.", "........"},  // stud
    {"...##...", "..####..", ".######.", "########", "########", ".######.", "..####..", "...##..."},  // gem
    {".###.##.", "#####..#", "####.###", ".##.####", "#..#####", "####.##.", "###.####", ".#..###."},  // rock
}};

Byte rowBits(std::string_view row) {
  Byte b = 0;
  for (std::size_t i = 0; i < 8; ++i)
    if (row[i] != '.') b = static_cast<Byte>(b | (0x80 >> i));
  return b;
}

// ---------------------------------------------------------------------------
// Screen memory: a 256 x 192 bitmap plus 32 x 24 attributes
// ---------------------------------------------------------------------------
struct Screen {
  std::array<std::array<bool, 256>, 192> pixel{};
  std::array<Byte, 768> attr{};

  void plot(int x, int y, bool on = true) {
    if (x >= 0 && x < 256 && y >= 0 && y < 192) pixel[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = on;
  }
  void colour(int col, int row, Byte a) {
    if (col >= 0 && col < 32 && row >= 0 && row < 24) attr[static_cast<std::size_t>(row * 32 + col)] = a;
  }
  Byte colourAt(int col, int row) const { return attr[static_cast<std::size_t>(row * 32 + col)]; }

  // The Spectrum's 6912-byte layout: pixel lines interleaved by thirds, then attributes.
  std::vector<Byte> bytes() const {
    std::vector<Byte> out(6912, 0);
    for (int y = 0; y < 192; ++y)
      for (int x = 0; x < 256; ++x)
        if (pixel[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]) {
          const int offset = ((y & 0xC0) << 5) | ((y & 0x07) << 8) | ((y & 0x38) << 2) | (x >> 3);
          out[static_cast<std::size_t>(offset)] = static_cast<Byte>(out[static_cast<std::size_t>(offset)] | (0x80 >> (x & 7)));
        }
    std::copy(attr.begin(), attr.end(), out.begin() + 6144);
    return out;
  }
};

constexpr Byte attribute(int ink, int paper, bool bright) {
  return static_cast<Byte>((bright ? 0x40 : 0) | (paper << 3) | ink);
}

enum Colour { kBlack, kBlue, kRed, kMagenta, kGreen, kCyan, kYellow, kWhite };

// Outline of a circle (midpoint method) with a short highlight arc inside.
void drawBubble(Screen& s, int cx, int cy, int r) {
  int x = r, y = 0, err = 1 - r;
  while (x >= y) {
    const int pts[8][2] = {{x, y}, {y, x}, {-y, x}, {-x, y}, {-x, -y}, {-y, -x}, {y, -x}, {x, -y}};
    for (const auto& p : pts) s.plot(cx + p[0], cy + p[1]);
    ++y;
    if (err < 0) {
      err += 2 * y + 1;
    } else {
      --x;
      err += 2 * (y - x) + 1;
    }
  }
  const int h = r * 2 / 3;
  for (int i = -h / 2; i <= 0; ++i) s.plot(cx - h + (i + h / 2) / 2, cy - h / 2 + i);
  s.plot(cx - h / 2, cy - h);
  s.plot(cx - h / 2 + 1, cy - h);
}

void colourBox(Screen& s, int x0, int y0, int x1, int y1, Byte a) {
  for (int row = y0 / 8; row <= y1 / 8; ++row)
    for (int col = x0 / 8; col <= x1 / 8; ++col) s.colour(col, row, a);
}

void drawSprite(Screen& s, const EnemyDesign& d, int x, int y, bool mirrored) {
  for (int r = 0; r < 16; ++r)
    for (int c = 0; c < 16; ++c)
      if (d.rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(mirrored ? 15 - c : c)] != '.') s.plot(x + c, y + r);
}

// Text in the 5 x 7 letters, each pixel scaled to sx x sy, letters `pitch` apart.
void drawText(Screen& s, std::string_view text, int x, int y, int sx, int sy, int pitch) {
  for (std::size_t i = 0; i < text.size(); ++i)
    for (int gy = 0; gy < 7; ++gy)
      for (int gx = 0; gx < 5; ++gx)
        if (glyphPixel(text[i], gx, gy))
          for (int py = 0; py < sy; ++py)
            for (int px = 0; px < sx; ++px) s.plot(x + static_cast<int>(i) * pitch + gx * sx + px, y + gy * sy + py);
}

// The loading picture: the ZELQUOR logo over a cave scene with bubbles.
// The bottom three character rows stay blank: the start-up program prints the
// credits there.
Screen makeLoadingPicture() {
  Screen s;
  s.attr.fill(attribute(kWhite, kBlack, false));
  Rng rng(0x10AD);
  std::array<bool, 768> busy{};
  auto markBusy = [&](int x0, int y0, int x1, int y1) {
    for (int row = y0 / 8; row <= y1 / 8; ++row)
      for (int col = x0 / 8; col <= x1 / 8; ++col)
        if (row >= 0 && row < 24 && col >= 0 && col < 32) busy[static_cast<std::size_t>(row * 32 + col)] = true;
  };

  // Logo: each letter pixel is a 4 x 5 block with a blank bottom line, which
  // gives the letters horizontal stripes; one colour per letter, three
  // character columns per letter.
  const std::string_view logo = "ZELQUOR";
  const std::array<int, 7> logoInk = {kRed, kYellow, kGreen, kCyan, kMagenta, kWhite, kYellow};
  const int logoTop = 20;
  for (std::size_t i = 0; i < logo.size(); ++i) {
    const int left = 40 + 24 * static_cast<int>(i) + 2;
    for (int gy = 0; gy < 7; ++gy)
      for (int gx = 0; gx < 5; ++gx)
        if (glyphPixel(logo[i], gx, gy))
          for (int py = 0; py < 4; ++py)
            for (int px = 0; px < 4; ++px) s.plot(left + gx * 4 + px, logoTop + gy * 5 + py);
    colourBox(s, left, logoTop, left + 19, logoTop + 34, attribute(logoInk[i], kBlack, true));
  }
  // A double rule under the logo.
  for (int x = 36; x < 220; ++x) {
    s.plot(x, logoTop + 38);
    if ((x & 1) == 0) s.plot(x, logoTop + 40);
  }
  colourBox(s, 36, logoTop + 38, 219, logoTop + 40, attribute(kBlue, kBlack, true));
  markBusy(32, 16, 223, logoTop + 40);

  // Subtitle.
  const std::string_view subtitle = "BUBBLE CAVERNS";
  const int subLeft = (256 - (static_cast<int>(subtitle.size()) * 12 - 2)) / 2;
  drawText(s, subtitle, subLeft, 72, 2, 2, 12);
  colourBox(s, 0, 72, 255, 87, attribute(kCyan, kBlack, true));
  markBusy(0, 72, 255, 87);

  // Cave floor and two ledges of bricks, with gaps like a real level.
  const auto& bricks = kBlockPatterns[0];
  auto brickCell = [&](int col, int row, Byte a) {
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        if (bricks[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] != '.') s.plot(col * 8 + x, row * 8 + y);
    s.colour(col, row, a);
    markBusy(col * 8, row * 8, col * 8 + 7, row * 8 + 7);
  };
  const Byte floorInk = attribute(kYellow, kRed, false);
  for (int col = 0; col < 32; ++col)
    if (!(col >= 9 && col <= 12) && !(col >= 19 && col <= 22)) brickCell(col, 20, floorInk);
  for (int col = 2; col <= 9; ++col) brickCell(col, 16, attribute(kYellow, kMagenta, false));
  for (int col = 22; col <= 29; ++col) brickCell(col, 16, attribute(kYellow, kMagenta, false));

  // Enemies on the ledges and the floor.
  auto standing = [&](int design, int x, int y, bool mirrored, Byte a) {
    drawSprite(s, kEnemyDesigns[static_cast<std::size_t>(design)], x, y, mirrored);
    colourBox(s, x, y, x + 15, y + 15, a);
    markBusy(x, y, x + 15, y + 15);
  };
  standing(0, 40, 112, false, attribute(kGreen, kBlack, true));
  standing(2, 200, 112, true, attribute(kMagenta, kBlack, true));
  standing(7, 112, 144, false, attribute(kYellow, kBlack, true));

  // Bubbles, three of them with a captured enemy inside.
  struct Caught {
    int design, cx, cy, r;
    Byte ink;
  };
  const std::array<Caught, 3> caught = {{{3, 128, 108, 13, attribute(kCyan, kBlack, true)},
                                         {4, 72, 148, 11, attribute(kCyan, kBlack, true)},
                                         {5, 164, 148, 11, attribute(kCyan, kBlack, true)}}};
  for (const auto& c : caught) {
    drawBubble(s, c.cx, c.cy, c.r);
    drawSprite(s, kEnemyDesigns[static_cast<std::size_t>(c.design)], c.cx - 8, c.cy - 8, c.design == 5);
    colourBox(s, c.cx - c.r, c.cy - c.r, c.cx + c.r, c.cy + c.r, c.ink);
    markBusy(c.cx - c.r, c.cy - c.r, c.cx + c.r, c.cy + c.r);
  }
  const std::array<std::array<int, 3>, 6> small = {
      {{92, 100, 5}, {168, 100, 4}, {28, 146, 4}, {228, 150, 5}, {196, 144, 3}, {212, 98, 3}}};
  for (const auto& b : small) {
    const Byte here = s.colourAt(b[0] / 8, b[1] / 8);
    drawBubble(s, b[0], b[1], b[2]);
    if (here == attribute(kWhite, kBlack, false))
      colourBox(s, b[0] - b[2], b[1] - b[2], b[0] + b[2], b[1] + b[2], attribute(kWhite, kBlack, true));
    markBusy(b[0] - b[2], b[1] - b[2], b[0] + b[2], b[1] + b[2]);
  }

  // Stars in the cells that are still empty, above the bottom three rows.
  const std::array<Byte, 4> starInk = {attribute(kWhite, kBlack, true), attribute(kYellow, kBlack, true),
                                       attribute(kCyan, kBlack, false), attribute(kWhite, kBlack, false)};
  for (int n = 0; n < 60; ++n) {
    const int col = rng.below(32), row = rng.below(20);
    if (busy[static_cast<std::size_t>(row * 32 + col)]) continue;
    busy[static_cast<std::size_t>(row * 32 + col)] = true;
    const int x = col * 8 + rng.range(1, 6), y = row * 8 + rng.range(1, 6);
    s.plot(x, y);
    if (rng.chance(40)) {
      s.plot(x - 1, y);
      s.plot(x + 1, y);
      s.plot(x, y - 1);
      s.plot(x, y + 1);
    }
    s.colour(col, row, starInk[static_cast<std::size_t>(rng.below(4))]);
  }
  return s;
}

// ---------------------------------------------------------------------------
// Level layouts: 22 rows x 28 columns of blocks
// ---------------------------------------------------------------------------
constexpr int kRows = 22;
constexpr int kCols = 28;
using Grid = std::array<std::array<bool, kCols>, kRows>;

struct Level {
  Grid grid{};
  bool mirrored = false;
};

bool isFloorGap(int col) { return (col >= 7 && col <= 10) || (col >= 17 && col <= 20); }

// Draws into one half of a level. Half columns run 0..13 from the side wall to
// the centre line; the right half is stored flipped, so a half design reads
// the same on both sides.
class HalfPainter {
 public:
  HalfPainter(Grid& g, bool right) : g_(g), right_(right) {}

  int col(int c) const { return right_ ? kCols - 1 - c : c; }
  bool get(int r, int c) const {
    return g_[static_cast<std::size_t>(r)][static_cast<std::size_t>(col(c))];
  }
  void set(int r, int c) {
    if (r >= 0 && r < kRows && c >= 0 && c < 14) g_[static_cast<std::size_t>(r)][static_cast<std::size_t>(col(c))] = true;
  }
  void hline(int r, int c0, int c1) {
    for (int c = c0; c <= c1; ++c) set(r, c);
  }
  void vline(int c, int r0, int r1) {
    for (int r = r0; r <= r1; ++r) set(r, c);
  }
  // True if every cell of the rectangle (clipped to the half) is empty.
  bool empty(int r0, int c0, int r1, int c1) const {
    for (int r = std::max(r0, 0); r <= std::min(r1, kRows - 1); ++r)
      for (int c = std::max(c0, 0); c <= std::min(c1, 13); ++c)
        if (get(r, c)) return false;
    return true;
  }

 private:
  Grid& g_;
  bool right_;
};

// One half of a random level: the floor, a ledge every three to five rows and
// a few extras (pillars, cups, teeth, steps, a centre tower).
void paintHalf(Grid& g, Rng& rng, bool right) {
  HalfPainter p(g, right);
  for (int c = 0; c < 14; ++c)
    if (!isFloorGap(c)) p.set(kRows - 1, c);

  std::vector<int> ledgeRows;
  int row = rng.range(3, 5);
  int previous = -1;
  while (row <= 18) {
    int style = rng.below(6);
    if (style == previous) style = rng.below(6);
    previous = style;
    switch (style) {
      case 0:  // shelf on the side wall
        p.hline(row, 0, rng.range(3, 6));
        break;
      case 1:  // bridge over the centre line
        p.hline(row, rng.range(7, 10), 13);
        break;
      case 2: {  // floating platform
        const int a = rng.range(2, 6);
        p.hline(row, a, std::min(12, a + rng.range(2, 5)));
        break;
      }
      case 3:  // shelf and bridge with a gap between them
        p.hline(row, 0, rng.range(2, 4));
        p.hline(row, rng.range(8, 10), 13);
        break;
      case 4: {  // long ledge with a hole to drop through
        const int hole = rng.range(4, 8);
        const int width = rng.range(3, 4);
        for (int c = 0; c < 14; ++c)
          if (c < hole || c >= hole + width) p.set(row, c);
        break;
      }
      default: {  // two short stubs
        const int a = rng.range(1, 3);
        p.hline(row, a, a + 1);
        const int b = rng.range(7, 10);
        p.hline(row, b, b + rng.range(1, 2));
        break;
      }
    }
    if (p.get(row, 0) && rng.chance(30)) p.set(row + 1, 0);  // bracket under a wall shelf
    ledgeRows.push_back(row);
    row += rng.chance(70) ? 4 : rng.range(3, 5);
  }

  // Pillars standing on the floor.
  if (rng.chance(40)) {
    const int c = rng.chance(50) ? rng.range(2, 5) : rng.range(12, 13);
    const int h = rng.range(2, 3);
    if (p.empty(kRows - 2 - h - 1, c - 1, kRows - 2, c + 1)) p.vline(c, kRows - 1 - h, kRows - 2);
  }
  // A cup: a U shape sitting on a ledge or the floor.
  if (rng.chance(35)) {
    for (int tries = 0; tries < 6; ++tries) {
      const int base = tries < 3 && !ledgeRows.empty() ? ledgeRows[static_cast<std::size_t>(rng.below(static_cast<int>(ledgeRows.size())))] : kRows - 1;
      const int c0 = rng.range(1, 8), w = rng.range(4, 5), h = rng.range(2, 3);
      bool supported = true;
      for (int c = c0; c < c0 + w; ++c) supported = supported && p.get(base, c);
      if (!supported || c0 + w - 1 > 13 || !p.empty(base - h - 1, c0 - 1, base - 1, c0 + w)) continue;
      p.vline(c0, base - h, base - 1);
      p.vline(c0 + w - 1, base - h, base - 1);
      break;
    }
  }
  // Teeth hanging under a ledge.
  if (rng.chance(30) && !ledgeRows.empty()) {
    const int r = ledgeRows[static_cast<std::size_t>(rng.below(static_cast<int>(ledgeRows.size())))];
    if (r + 2 < kRows - 1)
      for (int c = 0; c < 14; c += 2)
        if (p.get(r, c) && p.empty(r + 1, c, r + 2, c)) p.set(r + 1, c);
  }
  // Steps up from the floor towards the side wall.
  if (rng.chance(25) && p.empty(16, 0, 20, 6)) {
    p.hline(20, 4, 5);
    p.hline(19, 2, 3);
    p.hline(18, 0, 1);
  }
  // A tower on the centre line, between two ledges.
  if (rng.chance(30)) {
    const int top = rng.range(3, 10), len = rng.range(3, 6);
    if (p.empty(top - 1, 11, top + len, 13)) {
      p.vline(12, top, top + len - 1);
      p.vline(13, top, top + len - 1);
    }
  }
}

void mirrorLeftHalf(Grid& g) {
  for (auto& row : g)
    for (std::size_t c = 0; c < 14; ++c) row[kCols - 1 - c] = row[c];
}

Grid parseGrid(const std::array<std::string_view, kRows>& art) {
  Grid g{};
  for (std::size_t r = 0; r < kRows; ++r) {
    const auto& line = art[r];
    require(line.size() == 14 || line.size() == kCols, "hand-made level row of bad width");
    for (std::size_t c = 0; c < line.size(); ++c) g[r][c] = line[c] == '#';
  }
  if (art[0].size() == 14) mirrorLeftHalf(g);
  return g;
}

// Hand-made levels: mirrored ones give the left half only.
struct HandMade {
  int index;
  std::array<std::string_view, kRows> art;
};

const std::array<HandMade, 6> kHandMade = {{
    {0,  // level 1: four shelves and bridges
     {"..............", "..............", "..............", "..............", "..............",
      "##.....#######", "..............", "..............", "..............", "##.....#######",
      "..............", "..............", "..............", "##.....#######", "..............",
      "..............", "..............", "##.....#######", "..............", "..............",
      "..............", "#######....###"}},
    {1,  // level 2: cups on the ledges
     {"..............", "..............", "..............", "..............", "...#...#......",
      "...#####...###", "..............", "..............", "............##", "#.......#.....",
      "#########.....", "..............", "..............", "....#...#....#", "....#####....#",
      "............##", "..............", "##............", "..#.....####..", "..#...........",
      "..#...........", "#######....###"}},
    {9,  // level 10: a staircase across the screen
     {"............................", "............................", "............................",
      "....................########", "............................", "............................",
      "..............#####.........", "............................", "............................",
      "........#####...............", "............................", "............................",
      "..#####.............#####...", "............................", "............................",
      "..............#####.........", "............................", "............................",
      "########............######..", "............................", "............................",
      "#######....######....#######"}},
    {25,  // level 26: a big Z
     {"............................", "............................", "............................",
      "............................", "..####################......", "....................##......",
      "...................##.......", "..................##........", "##...............##.......##",
      "................##..........", "...............##...........", "..............##............",
      ".............##.............", "............##..............", "...........##...............",
      "##........##..............##", ".........##.................", "........##..................",
      "......####################..", "............................", "............................",
      "#######....######....#######"}},
    {49,  // level 50: towers
     {"..............", "..............", "....##........", "....##........", "....##....####",
      "....##........", "....##........", "##..##........", "....##...#####", "....##........",
      "....##........", "....######....", "..............", "..............", ".........#####",
      "##............", "..............", "..............", "....####....##", "..............",
      "..............", "#######....###"}},
    {78,  // level 79: the vault
     {"............................", "............................", "............................",
      "............................", "####....................####", "............................",
      "............................", "........############........", "........#..........#........",
      "........#..........#........", "###.....#..........#......##", "........#..........#........",
      "........#...####...#........", "........#..........#........", "........####....####........",
      "............................", "............................", "....######.........######...",
      "............................", "............................", "###.........................",
      "#######....######....#######"}},
}};

// Which levels are full-width: the hand-made full-width ones plus a fixed
// random choice, kFullWidthLevels in all.
std::array<bool, kLevelCount> chooseMirrored() {
  std::array<bool, kLevelCount> mirrored{};
  mirrored.fill(true);
  std::set<int> fixed;
  int full = 0;
  for (const auto& h : kHandMade) {
    fixed.insert(h.index);
    if (h.art[0].size() == kCols) {
      mirrored[static_cast<std::size_t>(h.index)] = false;
      ++full;
    }
  }
  std::vector<int> pool;
  for (int i = 0; i < kLevelCount; ++i)
    if (!fixed.count(i)) pool.push_back(i);
  Rng rng(0x31E7);
  rng.shuffle(pool);
  for (std::size_t i = 0; full < kFullWidthLevels; ++i, ++full) mirrored[static_cast<std::size_t>(pool[i])] = false;
  return mirrored;
}

std::vector<Level> makeLevels() {
  const auto mirrored = chooseMirrored();
  std::vector<Level> levels(kLevelCount);
  Rng rng(0x1E7E1);
  for (int i = 0; i < kLevelCount; ++i) {
    Level& level = levels[static_cast<std::size_t>(i)];
    level.mirrored = mirrored[static_cast<std::size_t>(i)];
    const auto hand = std::find_if(kHandMade.begin(), kHandMade.end(), [&](const HandMade& h) { return h.index == i; });
    if (hand != kHandMade.end()) {
      level.grid = parseGrid(hand->art);
      continue;
    }
    // Draw until the layout is new; a repeat is unlikely but must not happen.
    for (;;) {
      level.grid = Grid{};
      paintHalf(level.grid, rng, false);
      if (level.mirrored) {
        mirrorLeftHalf(level.grid);
      } else {
        paintHalf(level.grid, rng, true);
        // Some full-width levels get a platform across the centre line, off centre.
        if (rng.chance(50)) {
          const int r = rng.range(4, 16), c0 = rng.range(8, 13), w = rng.range(5, 8);
          bool clear = true;
          for (int rr = r - 1; rr <= r + 1; ++rr)
            for (int c = c0; c < c0 + w; ++c) clear = clear && !level.grid[static_cast<std::size_t>(rr)][static_cast<std::size_t>(c)];
          if (clear)
            for (int c = c0; c < c0 + w; ++c) level.grid[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = true;
        }
      }
      bool repeat = false;
      for (int j = 0; j < i; ++j) repeat = repeat || levels[static_cast<std::size_t>(j)].grid == level.grid;
      if (!repeat) break;
    }
  }
  return levels;
}

// A level's record: one bit per stored cell, first cell in bit 7 of byte 0.
std::vector<Byte> packLevel(const Level& level) {
  const int width = level.mirrored ? 14 : kCols;
  std::vector<Byte> record(level.mirrored ? kMirroredRecord : kFullRecord, 0);
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < width; ++c)
      if (level.grid[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]) {
        const int k = width * r + c;
        record[static_cast<std::size_t>(k / 8)] = static_cast<Byte>(record[static_cast<std::size_t>(k / 8)] | (0x80 >> (k % 8)));
      }
  return record;
}

// ---------------------------------------------------------------------------
// Enemies
// ---------------------------------------------------------------------------
struct Enemy {
  int column = 0, row = 0, kind = 0, facing = 0;  // screen cells; column 0 = empty slot
};

struct EnemyEntry {
  std::array<Enemy, 7> slot{};
  int pattern = 0;
  int burst = 0;
};

// An enemy is 2 x 2 cells with its top-left at screen cell (column, row); it
// stands when both cells under it hold blocks.
bool canStand(const Grid& g, int column, int row) {
  const int gc = column - 2, gr = row - 2;
  if (column < 2 || column > 28 || row < 2 || row > 21) return false;
  for (int r = gr; r < gr + 2; ++r)
    for (int c = gc; c < gc + 2; ++c)
      if (g[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]) return false;
  return g[static_cast<std::size_t>(row)][static_cast<std::size_t>(gc)] && g[static_cast<std::size_t>(row)][static_cast<std::size_t>(gc + 1)];
}

std::vector<EnemyEntry> makeEnemies(const std::vector<Level>& levels, std::vector<int>& levelsWithHoles) {
  Rng rng(0xBAD5);
  std::vector<EnemyEntry> entries(kLevelCount);
  for (int i = 0; i < kLevelCount; ++i) {
    const Grid& g = levels[static_cast<std::size_t>(i)].grid;
    EnemyEntry& e = entries[static_cast<std::size_t>(i)];
    e.pattern = rng.below(8);
    e.burst = i % 13 == 6 ? rng.range(0, 9) : rng.range(24, 255);

    std::vector<std::pair<int, int>> spots;
    for (int row = 2; row <= 21; ++row)
      for (int column = 2; column <= 28; ++column)
        if (canStand(g, column, row)) spots.emplace_back(column, row);
    rng.shuffle(spots);
    // Platforms first: the floor is used only when the ledges are full.
    std::stable_sort(spots.begin(), spots.end(), [](const auto& a, const auto& b) { return (a.second == 21) < (b.second == 21); });

    const int wanted = i % 11 == 4 ? rng.range(1, 2) : rng.range(3, 7);
    std::vector<Enemy> chosen;
    for (const auto& [column, row] : spots) {
      if (static_cast<int>(chosen.size()) == wanted) break;
      bool crowded = false;
      for (const auto& o : chosen) crowded = crowded || (std::abs(o.column - column) < 3 && o.row == row);
      if (crowded) continue;
      chosen.push_back({column, row, 0, column < 16 ? 0 : 1});
    }
    // Kinds: each level uses one or two of the eight, rotating over the game.
    const int mainKind = (i * 3) % 8;
    const int otherKind = (mainKind + rng.range(1, 7)) % 8;
    for (std::size_t n = 0; n < chosen.size(); ++n) {
      chosen[n].kind = n % 3 == 2 ? otherKind : mainKind;
      if (rng.chance(20)) chosen[n].facing ^= 1;
    }
    // Every seventh level keeps an empty slot between its enemies.
    const bool hole = i % 7 == 3 && chosen.size() >= 2 && chosen.size() <= 6;
    std::size_t slot = 0;
    for (std::size_t n = 0; n < chosen.size(); ++n) {
      if (hole && n == 1) ++slot;
      e.slot[slot++] = chosen[n];
    }
    if (hole) levelsWithHoles.push_back(i + 1);
  }
  return entries;
}

std::vector<Byte> packEnemies(const EnemyEntry& e) {
  std::vector<Byte> out(16, 0);
  for (std::size_t s = 0; s < 7; ++s) {
    const Enemy& m = e.slot[s];
    if (m.column == 0) continue;
    out[2 * s] = static_cast<Byte>(m.column << 3 | m.kind);
    out[2 * s + 1] = static_cast<Byte>(m.row << 3 | m.facing);
  }
  out[14] = static_cast<Byte>(e.pattern);
  out[15] = static_cast<Byte>(e.burst);
  return out;
}

// ---------------------------------------------------------------------------
// Airflow records
// ---------------------------------------------------------------------------
struct Area {
  int direction, column, width, row, height;  // direction: 0 up, 1 right, 2 down, 3 left
};

int airflowLength(int n) { return 4 + n / 2 + 2 * n; }

std::vector<Byte> encodeAirflow(int gapSet, const std::vector<Area>& areas, int spareNibble) {
  const int n = static_cast<int>(areas.size()) - 1;
  std::vector<Byte> out(static_cast<std::size_t>(airflowLength(n)), 0);
  out[0] = static_cast<Byte>(gapSet << 4 | n);
  for (int k = 0; k <= n; ++k) {
    const Area& a = areas[static_cast<std::size_t>(k)];
    const int nibble = a.direction + 4 * (a.row / 8);
    Byte& dir = out[static_cast<std::size_t>(1 + k / 2)];
    dir = static_cast<Byte>(k % 2 == 0 ? (dir & 0x0F) | nibble << 4 : (dir & 0xF0) | nibble);
    out[static_cast<std::size_t>(2 + n / 2 + 2 * k)] = static_cast<Byte>(a.width << 4 | a.column);
    out[static_cast<std::size_t>(3 + n / 2 + 2 * k)] = static_cast<Byte>((a.height / 2) << 4 | (a.height & 1) << 3 | (a.row % 8));
  }
  if (n % 2 == 0) out[static_cast<std::size_t>(1 + n / 2)] = static_cast<Byte>(out[static_cast<std::size_t>(1 + n / 2)] | spareNibble);
  return out;
}

// A plausible current: a band along a row, a column of air, or a small pocket.
Area randomArea(Rng& rng) {
  Area a{};
  switch (rng.below(3)) {
    case 0:
      a.width = rng.range(3, 9);
      a.height = rng.range(1, 2);
      a.direction = rng.chance(50) ? 1 : 3;
      break;
    case 1:
      a.width = rng.range(1, 2);
      a.height = rng.range(3, 10);
      a.direction = rng.chance(60) ? 2 : 0;
      break;
    default:
      a.width = rng.range(2, 4);
      a.height = rng.range(2, 4);
      a.direction = rng.below(4);
      break;
  }
  a.column = rng.range(2, 16 - a.width);
  a.row = rng.range(2, 24 - a.height);
  return a;
}

struct AirflowRecord {
  int address;
  int room;
  int gapSet;
  std::vector<Area> areas;
  std::vector<Byte> bytes;
};

std::vector<AirflowRecord> makeAirflow() {
  const std::set<int> distinct(kAirflowAddress.begin(), kAirflowAddress.end());
  std::vector<AirflowRecord> records;
  for (auto it = distinct.begin(); it != distinct.end(); ++it) {
    const auto next = std::next(it);
    records.push_back({*it, next == distinct.end() ? 6 : *next - *it, 0, {}, {}});
  }
  Rng rng(0xA1F);
  // Gap sets: the first thirteen records take 0..12 in shuffled order, so that
  // every set appears; the rest pick freely.
  std::vector<int> gapSets;
  for (int g = 0; g <= 12; ++g) gapSets.push_back(g);
  rng.shuffle(gapSets);
  int oddCount = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    AirflowRecord& rec = records[i];
    rec.gapSet = i < gapSets.size() ? gapSets[i] : rng.range(0, 12);
    int n = 0;
    while (n < 10 && airflowLength(n + 1) <= rec.room) ++n;
    if (n > 0 && rng.chance(20)) --n;  // leave a few spare bytes now and then
    for (int k = 0; k <= n; ++k) rec.areas.push_back(randomArea(rng));
    int spare = 0;
    if (n % 2 == 0 && oddCount++ % 3 == 1) spare = rng.range(1, 15);
    rec.bytes = encodeAirflow(rec.gapSet, rec.areas, spare);
  }
  return records;
}

// ---------------------------------------------------------------------------
// Special bubbles, items, colours, credits
// ---------------------------------------------------------------------------

// Four ascending groups (Water, Lightning, Fire, Extend) each closed by a zero;
// 49 numbers fill the 53 bytes exactly. A few numbers lie above 79.
std::vector<Byte> makeBubbleTable() {
  Rng rng(0xB0B);
  std::vector<int> numbers;
  for (int n = 1; n <= kLevelCount; ++n) numbers.push_back(n);
  rng.shuffle(numbers);
  numbers.resize(45);
  for (int n : {81, 84, 87, 90}) numbers.push_back(n);
  rng.shuffle(numbers);
  const std::array<std::size_t, 4> sizes = {13, 11, 12, 13};
  std::vector<Byte> table;
  std::size_t pos = 0;
  for (std::size_t size : sizes) {
    std::vector<int> group(numbers.begin() + static_cast<std::ptrdiff_t>(pos), numbers.begin() + static_cast<std::ptrdiff_t>(pos + size));
    std::sort(group.begin(), group.end());
    for (int n : group) table.push_back(static_cast<Byte>(n));
    table.push_back(0);
    pos += size;
  }
  return table;
}

std::vector<int> makeLowerItemList() {
  Rng rng(0x17E);
  std::vector<int> numbers;
  for (int n = 1; n <= kLevelCount; ++n) numbers.push_back(n);
  rng.shuffle(numbers);
  numbers.resize(13);
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

// Grid cells (row, column) covered by an item byte in placement state q.
std::array<int, 2> itemCell(int q, int h, int v) {
  const int column = q >= 2 ? 30 - h : h;
  const int row = (q % 2 == 1) ? v + 16 : v;
  return {row - 2, column - 2};
}

bool itemBoxOk(int q, int h, int v) {
  if (h < 2 || h > 14) return false;
  return q % 2 == 1 ? v <= 5 : v >= 3;
}

// One item per level, on a 2 x 2 spot free of blocks and enemies, resting on a
// block when possible.
std::vector<Byte> makeItems(const std::vector<Level>& levels, const std::vector<EnemyEntry>& enemies, const std::vector<int>& lower) {
  Rng rng(0x17E5);
  std::vector<Byte> items;
  for (int i = 0; i < kLevelCount; ++i) {
    const Level& level = levels[static_cast<std::size_t>(i)];
    const bool low = std::find(lower.begin(), lower.end(), i + 1) != lower.end();
    const int q = (low ? 1 : 0) + (level.mirrored ? 0 : 2);
    const int vLo = low ? 0 : 3, vHi = low ? 5 : 15;
    Grid taken = level.grid;
    for (const Enemy& m : enemies[static_cast<std::size_t>(i)].slot)
      if (m.column != 0)
        for (int r = m.row - 2; r < m.row; ++r)
          for (int c = m.column - 2; c < m.column; ++c) taken[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = true;
    auto cell = [&](int r, int c) { return taken[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]; };
    int best = -1;
    for (int pass = 0; pass < 2 && best < 0; ++pass)
      for (int tries = 0; tries < 300 && best < 0; ++tries) {
        const int h = rng.range(2, 14), v = rng.range(vLo, vHi);
        const auto [r, c] = itemCell(q, h, v);
        if (cell(r, c) || cell(r, c + 1) || cell(r + 1, c) || cell(r + 1, c + 1)) continue;
        const bool resting = r + 2 < kRows && level.grid[static_cast<std::size_t>(r + 2)][static_cast<std::size_t>(c)] && level.grid[static_cast<std::size_t>(r + 2)][static_cast<std::size_t>(c + 1)];
        if (pass == 0 && !resting) continue;
        best = h << 4 | v;
      }
    if (best < 0) best = 8 << 4 | (low ? 2 : 8);
    items.push_back(static_cast<Byte>(best));
  }
  return items;
}

// Ink on paper for the 15 colour entries; five have the big border.
std::vector<Byte> makeLevelAttributes() {
  struct Entry {
    int ink, paper;
    bool bigBorder;
  };
  const std::array<Entry, 15> entries = {{{kYellow, kBlue, false},
                                          {kCyan, kBlue, true},
                                          {kWhite, kRed, false},
                                          {kGreen, kBlue, false},
                                          {kBlue, kWhite, false},
                                          {kYellow, kRed, true},
                                          {kWhite, kMagenta, false},
                                          {kBlue, kYellow, false},
                                          {kYellow, kMagenta, false},
                                          {kWhite, kGreen, true},
                                          {kMagenta, kWhite, false},
                                          {kWhite, kBlue, false},
                                          {kBlue, kGreen, true},
                                          {kMagenta, kYellow, false},
                                          {kCyan, kMagenta, true}}};
  std::vector<Byte> out;
  for (const auto& e : entries) out.push_back(static_cast<Byte>((e.bigBorder ? 0x80 : 0) | e.paper << 3 | e.ink));
  return out;
}

struct Credit {
  int address;
  int width;
  std::string_view text;
};

const std::array<Credit, 3> kCredits = {{{kTitle, 24, "ZELQUOR - BUBBLE CAVERNS"},
                                         {kCompany, 21, "Brambleyard Bytes"},
                                         {kAuthor, 20, "by the Zelquor Crew"}}};

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

void putLe(std::vector<Byte>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<Byte>(value >> (8 * i)));
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

// ---------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------
std::vector<Byte> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) fail("cannot read " + path);
  return std::vector<Byte>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::vector<Byte>& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  if (!out) fail("cannot write " + path);
}

// The 27-byte snapshot header. The saved PC sits on the stack at SP, so
// resuming the snapshot starts the start-up program.
std::vector<Byte> snapshotHeader(int sp) {
  std::vector<Byte> h;
  h.push_back(0x3F);     // I
  putLe(h, 0x2758, 2);   // HL'
  putLe(h, 0x0000, 2);   // DE'
  putLe(h, 0x0000, 2);   // BC'
  putLe(h, 0x0044, 2);   // AF'
  putLe(h, 0x0000, 2);   // HL
  putLe(h, 0x0000, 2);   // DE
  putLe(h, 0x0000, 2);   // BC
  putLe(h, 0x5C3A, 2);   // IY
  putLe(h, 0x0000, 2);   // IX
  h.push_back(0x04);     // IFF2: interrupts enabled
  h.push_back(0x2A);     // R
  putLe(h, 0x0054, 2);   // AF
  putLe(h, static_cast<std::uint32_t>(sp), 2);
  h.push_back(0x01);     // interrupt mode 1
  h.push_back(0x00);     // border: black
  return h;
}

// ---------------------------------------------------------------------------
// Filling the image, region by region. Each step checks what it wrote.
// ---------------------------------------------------------------------------
std::string levelName(int index) { return "level " + std::to_string(index + 1); }

// A few system variables with their usual values, and the stack word that
// holds the start address. Returns the snapshot's SP.
int writeSystemArea(Memory& mem) {
  mem.claim(kPagingByte, 1, "paging byte");
  mem.at(kPagingByte) = 0x00;
  mem.claim(0x5C00, 0x100, "system variables");
  mem.at(0x5C00) = 0xFF;  // KSTATE: both key slots free
  mem.at(0x5C04) = 0xFF;
  mem.at(0x5C09) = 35;    // REPDEL
  mem.at(0x5C0A) = 5;     // REPPER
  mem.at(0x5C36) = 0x00;  // CHARS = 0x3C00
  mem.at(0x5C37) = 0x3C;
  mem.at(0x5C48) = 0x00;  // BORDCR: black border
  mem.at(0x5C8D) = 0x07;  // ATTR_P
  mem.at(0x5CB2) = 24978 & 0xFF;  // RAMTOP, as the tape loader's CLEAR sets it
  mem.at(0x5CB3) = 24978 >> 8;
  mem.at(0x5CB4) = 0xFF;  // P_RAMT
  mem.at(0x5CB5) = 0xFF;
  const int sp = kStackTop - 2;
  mem.claim(sp, 2, "stack");
  mem.at(sp) = kBoot & 0xFF;
  mem.at(sp + 1) = kBoot >> 8;
  return sp;
}

// Level records and the mirror bitmap. Returns the address after the last record.
int writeLevels(Memory& mem, const std::vector<Level>& levels, int& fullWidth) {
  std::vector<Byte> mirror(10, 0);
  std::vector<Byte> records;
  fullWidth = 0;
  for (int i = 0; i < kLevelCount; ++i) {
    const Level& level = levels[static_cast<std::size_t>(i)];
    const Grid& g = level.grid;
    if (level.mirrored) mirror[static_cast<std::size_t>(i / 8)] = static_cast<Byte>(mirror[static_cast<std::size_t>(i / 8)] | (0x80 >> (i % 8)));
    fullWidth += level.mirrored ? 0 : 1;
    const auto record = packLevel(level);
    records.insert(records.end(), record.begin(), record.end());

    for (int j = 0; j < i; ++j) require(levels[static_cast<std::size_t>(j)].grid != g, levelName(j) + " and " + levelName(i) + " are identical");
    int floor = 0;
    for (int c = 0; c < kCols; ++c) {
      if (isFloorGap(c)) require(!g[kRows - 1][static_cast<std::size_t>(c)], "floor gap of " + levelName(i));
      floor += g[kRows - 1][static_cast<std::size_t>(c)] ? 1 : 0;
    }
    require(floor >= 16, "floor of " + levelName(i));
    if (level.mirrored)
      for (const auto& row : g)
        for (int c = 0; c < 14; ++c) require(row[static_cast<std::size_t>(c)] == row[static_cast<std::size_t>(kCols - 1 - c)], levelName(i) + " is symmetric");
  }
  const int end = kLevels + static_cast<int>(records.size());
  require(fullWidth <= 46, "at most 46 full-width levels");
  require(end <= kEnemyTable, "level records end before the enemy table");
  mem.claim(kLevels, static_cast<int>(records.size()), "level records");
  mem.put(kLevels, records);
  mem.claim(kMirrorBitmap, 10, "mirror bitmap");
  mem.put(kMirrorBitmap, mirror);
  return end;
}

void writeEnemies(Memory& mem, const std::vector<EnemyEntry>& enemies, const std::vector<int>& levelsWithHoles) {
  mem.claim(kEnemyTable, 16 * kLevelCount, "enemy table");
  std::set<int> kindsUsed, facingsUsed;
  for (int i = 0; i < kLevelCount; ++i) {
    const EnemyEntry& e = enemies[static_cast<std::size_t>(i)];
    int count = 0;
    for (const Enemy& m : e.slot) {
      if (m.column == 0) continue;
      ++count;
      require(m.column >= 2 && m.column <= 28 && m.row >= 0 && m.row <= 21 && m.kind >= 0 && m.kind <= 7, "enemy of " + levelName(i) + " in range");
      kindsUsed.insert(m.kind);
      facingsUsed.insert(m.facing);
    }
    require(count >= 1 && count <= 7, levelName(i) + " has 1..7 enemies");
    require(e.pattern >= 0 && e.pattern <= 7 && e.burst >= 0 && e.burst <= 255, "enemies pattern and burst time in range");
    mem.put(kEnemyTable + 16 * i, packEnemies(e));
  }
  require(kindsUsed.size() == 8 && facingsUsed.size() == 2, "all enemy kinds and both facings used");
  require(!levelsWithHoles.empty(), "some level has an empty slot between enemies");
}

void writeAirflow(Memory& mem, const std::vector<AirflowRecord>& airflow) {
  std::set<int> gapSetsUsed;
  for (const auto& rec : airflow) {
    require(static_cast<int>(rec.bytes.size()) <= rec.room, "airflow record at " + hex(rec.address) + " fits its room");
    require(rec.bytes.size() == static_cast<std::size_t>(airflowLength(static_cast<int>(rec.areas.size()) - 1)), "airflow record length");
    for (const Area& a : rec.areas)
      require(a.width >= 1 && a.height >= 1 && a.column >= 2 && a.column + a.width - 1 <= 15 && a.row >= 2 && a.row + a.height - 1 <= 23 && a.direction >= 0 && a.direction <= 3,
              "airflow area of record " + hex(rec.address) + " inside columns 2..15, rows 2..23");
    gapSetsUsed.insert(rec.gapSet);
    mem.claim(rec.address, static_cast<int>(rec.bytes.size()), "airflow record " + hex(rec.address));
    mem.put(rec.address, rec.bytes);
  }
  require(gapSetsUsed == std::set<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), "gap sets 0..12 all used");
}

void writeBubbles(Memory& mem, const std::vector<Byte>& bubbles) {
  require(bubbles.size() == kBubbleTableSize, "bubble table is 53 bytes");
  require(std::count(bubbles.begin(), bubbles.end(), 0) == 4 && bubbles.back() == 0, "bubble table holds four groups and no spare byte");
  std::set<int> seen;
  for (std::size_t i = 0; i < bubbles.size(); ++i) {
    if (bubbles[i] == 0) continue;
    require(seen.insert(bubbles[i]).second, "level number " + std::to_string(bubbles[i]) + " once in the bubble table");
    require(bubbles[i + 1] == 0 || bubbles[i + 1] > bubbles[i], "bubble groups ascending");
  }
  require(seen.size() == 49, "49 level numbers in the bubble table");
  mem.claim(kBubbleTable, kBubbleTableSize + 1, "bubble table");
  mem.put(kBubbleTable, bubbles);
  mem.at(kBubbleTable + kBubbleTableSize) = 0xFF;  // the byte after the table is not a group end
}

// Colours, the lower item list, the credits and the block patterns.
void writeTables(Memory& mem, const std::vector<int>& lower) {
  mem.claim(kLevelAttributes, 15, "level attributes");
  mem.put(kLevelAttributes, makeLevelAttributes());
  mem.claim(kLowerItemList, 13, "lower item list");
  for (std::size_t i = 0; i < lower.size(); ++i) mem.at(kLowerItemList + static_cast<int>(i)) = static_cast<Byte>(lower[i]);

  for (const Credit& c : kCredits) {  // each followed by a byte that is not a space
    require(static_cast<int>(c.text.size()) <= c.width, "credit text fits its field");
    mem.claim(c.address, c.width + 1, "credit text");
    for (int i = 0; i < c.width; ++i) {
      const char ch = i < static_cast<int>(c.text.size()) ? c.text[static_cast<std::size_t>(i)] : ' ';
      require(ch >= 32 && ch <= 126, "credit text is printable");
      mem.at(c.address + i) = static_cast<Byte>(ch);
    }
    mem.at(c.address + c.width) = 0xFF;
  }

  mem.claim(kBlockPatternTable, 40, "block patterns");
  for (std::size_t p = 0; p < kBlockPatterns.size(); ++p)
    for (std::size_t r = 0; r < 8; ++r) mem.at(kBlockPatternTable + static_cast<int>(8 * p + r)) = rowBits(kBlockPatterns[p][r]);
}

void writeBoot(Memory& mem, const std::vector<Byte>& boot) {
  const std::vector<Byte> signature = {0xF3, 0x31, 0x90, 0x61, 0xFD, 0x21, 0x3A, 0x5C, 0xED, 0x56};
  require(boot.size() >= signature.size() && std::equal(signature.begin(), signature.end(), boot.begin()), "boot.bin starts with the signature");
  require(kBoot + static_cast<int>(boot.size()) <= kItemTable, "start-up program ends before the item table");
  mem.claim(kBoot, static_cast<int>(boot.size()), "start-up program");
  mem.put(kBoot, boot);
}

void writeItems(Memory& mem, const std::vector<Level>& levels, const std::vector<int>& lower, const std::vector<Byte>& items) {
  mem.claim(kItemTable, kLevelCount, "item table");
  for (int i = 0; i < kLevelCount; ++i) {
    const bool low = std::find(lower.begin(), lower.end(), i + 1) != lower.end();
    const int q = (low ? 1 : 0) + (levels[static_cast<std::size_t>(i)].mirrored ? 0 : 2);
    const Byte b = items[static_cast<std::size_t>(i)];
    require(itemBoxOk(q, b >> 4, b & 15), "item byte of " + levelName(i) + " inside its box");
    mem.at(kItemTable + i) = b;
  }
}

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: zelquor-sampledata <boot.bin> <outdir>\n";
    return 2;
  }
  const std::vector<Byte> boot = readFile(argv[1]);
  const std::string outDir = argv[2];

  Memory mem;
  const Screen loading = makeLoadingPicture();
  mem.claim(kScreen, 6912, "screen");
  mem.put(kScreen, loading.bytes());
  const int sp = writeSystemArea(mem);

  const std::vector<Level> levels = makeLevels();
  int fullWidth = 0;
  const int recordsEnd = writeLevels(mem, levels, fullWidth);

  std::vector<int> levelsWithHoles;
  const auto enemies = makeEnemies(levels, levelsWithHoles);
  writeEnemies(mem, enemies, levelsWithHoles);
  writeAirflow(mem, makeAirflow());
  writeBubbles(mem, makeBubbleTable());
  const auto lower = makeLowerItemList();
  writeTables(mem, lower);
  writeBoot(mem, boot);
  writeItems(mem, levels, lower, makeItems(levels, enemies, lower));

  std::vector<Byte> snapshot = snapshotHeader(sp);
  snapshot.insert(snapshot.end(), mem.bytes().begin(), mem.bytes().end());
  require(snapshot.size() == kImageSize, "snapshot is 49179 bytes");

  auto files = pictureFiles(loading);
  files.emplace_back("Snap.sna", snapshot);
  for (const auto& [name, data] : files) writeFile(outDir + "/" + name, data);

  std::cout << "zelquor-sampledata: " << fullWidth << " full-width levels, records end at " << hex(recordsEnd)
            << ", start-up program ends at " << hex(kBoot + static_cast<int>(boot.size()) - 1) << ", empty slots between enemies on levels";
  for (int n : levelsWithHoles) std::cout << ' ' << n;
  std::cout << '\n';
  return 0;
}
