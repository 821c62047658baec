// Vertical and horizontal gradients, alone and with a texture.
#include "PaintTestUtil.h"
#include "paint/sGradient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

using namespace painttest;

namespace {
TsGradArray Parse(const char* text) {
  TsGradArray a;
  ParseGradientData(text, a);
  return a;
}
uint32_t At(const TBitmap32& b, int x, int y) { return b.Pixel(x, y); }
}  // namespace

TEST(PaintGradient, VerticalWorkedRows) {
  // A single piece is also the last: white at row 0 to black at row 99 whatever its percent.
  TBitmap32 b(3, 100);
  ASSERT_TRUE(PaintGradient(b, Rect(0, 0, 3, 100), Parse("16777215;0;50;0;0")));
  EXPECT_EQ(At(b, 0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(At(b, 2, 99), 0xFF000000u);
  for (int y = 1; y < 100; ++y) ASSERT_LE(At(b, 1, y) & 0xFF, At(b, 1, y - 1) & 0xFF);
  // Two 50 % pieces: rows 0..50, then 50..99 (row 50 repainted by the second).
  ASSERT_TRUE(PaintGradient(b, Rect(0, 0, 3, 100), Parse("255;255;50;0;0;65280;16711680;50;0;0")));
  EXPECT_EQ(At(b, 0, 49), 0xFFFF0000u);
  EXPECT_EQ(At(b, 0, 50), 0xFF00FF00u);
  EXPECT_EQ(At(b, 0, 99), 0xFF0000FFu);
  // The built-in panel on 26 rows: 97 % is 25 rows, so row 25 ends the first piece.
  TBitmap32 p(2, 26);
  ASSERT_TRUE(PaintGradient(p, Rect(0, 0, 2, 26), Parse("16777215;16579058;97;0;0;16579058;16579058;0;0;0")));
  EXPECT_EQ(At(p, 0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(At(p, 1, 25), 0xFFF2F9FCu);
}

TEST(PaintGradient, RunningValueRoundsHalfToEven) {
  // 0 to 3 over 3 rows (n = 2): 0, 1.5 -> 2, 3.
  TBitmap32 b(1, 3);
  PaintGradient(b, Rect(0, 0, 1, 3), Parse("0;3;100;0;0"));
  EXPECT_EQ(At(b, 0, 1), 0xFF020000u);
  // 0 to 1 over 3 rows: 0, 0.5 -> 0, 1.
  PaintGradient(b, Rect(0, 0, 1, 3), Parse("0;1;100;0;0"));
  EXPECT_EQ(At(b, 0, 1), 0xFF000000u);
  EXPECT_EQ(At(b, 0, 2), 0xFF010000u);
}

TEST(PaintGradient, HorizontalAndClipping) {
  // 10 columns, two 50 % pieces: columns 0..5, then 5..9; every row a copy of the first.
  TBitmap32 b(10, 3);
  ASSERT_TRUE(PaintGradient(b, Rect(0, 0, 10, 3), Parse("255;255;50;1;0;65280;65280;50;0;0")));
  EXPECT_EQ(At(b, 4, 2), 0xFFFF0000u);
  EXPECT_EQ(At(b, 5, 2), 0xFF00FF00u);
  EXPECT_EQ(At(b, 9, 0), 0xFF00FF00u);
  // Rectangles past the bitmap are clipped; the last piece ends at the clipped edge.
  TBitmap32 c(4, 4);
  ASSERT_TRUE(PaintGradient(c, Rect(-2, 1, 9, 9), Parse("0;16777215;100;0;0")));
  EXPECT_EQ(At(c, 0, 0), 0u);
  EXPECT_EQ(At(c, 0, 1), 0xFF000000u);
  EXPECT_EQ(At(c, 3, 3), 0xFFFFFFFFu);
}

TEST(PaintGradient, EmptyOddAndDegenerateInput) {
  TBitmap32 b(4, 4);
  EXPECT_FALSE(PaintGradient(b, Rect(0, 0, 4, 4), Parse("N/A")));
  EXPECT_FALSE(PaintGradient(b, Rect(0, 0, 0, 4), Parse("0;0;100;0;0")));
  EXPECT_FALSE(PaintGradient(b, Rect(0, 0, 4, 4), Parse("0;0;100;2;0")));  // triangles: the platform's
  EXPECT_EQ(At(b, 0, 0), 0u);
  // A 0 % piece in the middle is skipped, the pieces after it still paint.
  ASSERT_TRUE(PaintGradient(b, Rect(0, 0, 4, 4), Parse("255;255;50;0;0;65280;65280;0;0;0;16711680;16711680;50;0;0")));
  EXPECT_EQ(At(b, 0, 1), 0xFFFF0000u);
  EXPECT_EQ(At(b, 0, 3), 0xFF0000FFu);
  // A gradient one row high is its first colour.
  TBitmap32 row(3, 1);
  ASSERT_TRUE(PaintGradient(row, Rect(0, 0, 3, 1), Parse("255;0;100;0;0")));
  EXPECT_EQ(At(row, 2, 0), 0xFFFF0000u);
}

TEST(PaintGradient, TextureMixedInOnePass) {
  // Flat red gradient, texture weight 128, a 2 x 2 texture of black and white.
  TBitmap32 tex = Bmp(2, 2, {0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000});
  for (int mode = 0; mode <= 1; ++mode) {
    TBitmap32 b(5, 5);
    const char* text = mode == 0 ? "255;255;100;0;0" : "255;255;100;1;0";
    ASSERT_TRUE(PaintGradientTexture(b, Rect(0, 0, 5, 5), Parse(text), 128, TRect(), tex));
    // (w x (t - g) + g x 256) >> 8: red (128 x (0 - 255) + 255 x 256) >> 8 = 127, over white 255.
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 5; ++x) {
        const bool black = (x + y) % 2 == 0;
        ASSERT_EQ(At(b, x, y), black ? 0xFF7F0000u : 0xFFFF7F7Fu) << mode << ":" << x << "," << y;
      }
  }
  TBitmap32 b(3, 3);
  ASSERT_TRUE(PaintGradientTexture(b, Rect(0, 0, 3, 3), Parse("255;255;100;0;0"), 128, TRect(), TPixelView()));
  EXPECT_EQ(At(b, 1, 1), 0xFFFF0000u);  // no texture: the gradient alone
}

// Every row against the stepping written out plainly: a single-precision
// running value per channel, a double step, rounded half to even on output.
TEST(PaintGradient, RandomPiecesAgainstPlainStepping) {
  std::mt19937 rng(11);
  for (int round = 0; round < 400; ++round) {
    // Now and then taller than the kept gradients or with more pieces than they have.
    const int h = round % 8 == 7 ? 257 + int(rng() % 200) : 1 + int(rng() % 70);
    const int pieces = 1 + int(rng() % (round % 4 == 3 ? 6 : 4));
    std::string text;
    std::vector<std::array<uint32_t, 3>> p;  // colour 1, colour 2, percent
    for (int k = 0; k < pieces; ++k) {
      const uint32_t c1 = rng() & 0xFFFFFF, c2 = rng() % 3 ? rng() & 0xFFFFFF : c1, pct = rng() % 3 ? rng() % 101 : 0;
      p.push_back({c1, c2, pct});
      text += std::to_string(c1) + ";" + std::to_string(c2) + ";" + std::to_string(pct) + ";0;0;";
    }
    // Narrow and wide rows, whole rows and a part of each row.
    static const int widths[] = {2, 8, 9, 15, 129};
    const int w = widths[round % 5], left = round % 3 == 0 ? 1 : 0;
    TBitmap32 b(w + left, h + 2);
    b.Fill(0x12345678);
    ASSERT_TRUE(PaintGradient(b, Rect(left, 1, w + left, h + 1), Parse(text.c_str())));
    std::vector<uint32_t> want(size_t(h), 0x12345678);
    int y = 0;
    bool painted = false;
    for (int k = 0; k < pieces; ++k) {
      const int e = k + 1 == pieces ? h - 1 : std::min(h - 1, y + h * int(p[k][2]) / 100);
      if (e <= y) continue;
      float run[3];
      double step[3];
      for (int c = 0; c < 3; ++c) {
        run[c] = float(Ch(p[k][0], c));
        step[c] = (double(Ch(p[k][1], c)) - Ch(p[k][0], c)) / (e - y);
      }
      for (int i = 0; i <= e - y; ++i) {
        uint32_t px = 0xFF000000;
        for (int c = 0; c < 3; ++c) {
          px |= uint32_t(std::nearbyint(std::clamp(run[c], 0.0f, 255.0f))) << (16 - 8 * c);  // red is the low byte of a colour
          run[c] = float(run[c] + step[c]);
        }
        want[size_t(y + i)] = px;
      }
      painted = true;
      y = e;
    }
    if (!painted) want[0] = 0xFF000000 | (Ch(p[0][0], 0) << 16) | (Ch(p[0][0], 1) << 8) | Ch(p[0][0], 2);
    for (int x = 0; x < w + left; ++x) {
      ASSERT_EQ(At(b, x, 0), 0x12345678u);
      ASSERT_EQ(At(b, x, h + 1), 0x12345678u);
      for (int r = 0; r < h; ++r)
        ASSERT_EQ(At(b, x, r + 1), x < left ? 0x12345678u : want[size_t(r)]) << text << " row " << r << " x " << x;
    }
  }
}
