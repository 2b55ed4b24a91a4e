// Drawing on the Spectrum screen: bubbles, enemies and text, and the loading
// picture made of them.

#include "data/generator/SampleScreen.h"

#include "data/generator/SamplePixelArt.h"
#include "data/generator/SampleRandom.h"

namespace sampledata {

namespace {

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

}  // namespace

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

}  // namespace sampledata
