// Fills, blends, grey and tint, the draw-mode table, cell sizes and tiling.
#include "PaintTestUtil.h"
#include "paint/sGraphUtils.h"
#include "skin/acSkinModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace painttest;

TEST(PaintRules, WeightsStatesAndPixels) {
  struct { int percent, rounded, truncated; } weights[] = {
      {0, 0, 0}, {1, 3, 2}, {50, 128, 127}, {90, 230, 229}, {100, 255, 255}, {-5, 0, 0}, {150, 255, 255}};
  for (auto w : weights) {
    EXPECT_EQ(PercentToWeight(w.percent), w.rounded) << w.percent;
    EXPECT_EQ(PercentToWeightDiv(w.percent), w.truncated) << w.percent;
  }
  struct { int state, count, clamped, props; } states[] = {
      {-1, 3, 0, 0}, {0, 0, 0, 0}, {5, 0, 0, 0}, {1, 1, 0, 0}, {2, 3, 2, 1}, {7, 2, 1, 1}};
  for (auto s : states) {
    EXPECT_EQ(ClampState(s.state, s.count), s.clamped) << s.state << "/" << s.count;
    EXPECT_EQ(PropsIndex(s.state, s.count), s.props) << s.state << "/" << s.count;
  }
  EXPECT_EQ(ColorToPixelKeepTop(0x12345678), 0x12785634u);
  EXPECT_EQ(ColorToPixelKeepTop(clFuchsia), KeyPixel);
  TBitmap32 ten(10, 10);
  EXPECT_EQ(ClipRectToView(Rect(-3, 2, 50, 4), ten), Rect(0, 2, 10, 4));
}

TEST(PaintRules, ViewsAndClipping) {
  TBitmap32 b(4, 3);
  TPixelView v(b);
  EXPECT_EQ(v.Width, 4);
  EXPECT_EQ(v.Stride, 4);
  EXPECT_TRUE(TPixelView(b.Bits(), 0, 3, 4).Empty());
  EXPECT_TRUE(TPixelView(b.Bits(), 4, 3, 2).Empty());  // stride under the width
  TBitmap32 none;
  EXPECT_TRUE(TPixelView(none).Empty());
  // A sub-view: stride stays that of the whole bitmap.
  TPixelView sub(b.Bits() + 5, 2, 2, 4);
  FillRect32(sub, Rect(0, 0, 9, 9), 0x0000FF, 0xFF);
  EXPECT_EQ(b.Pixel(1, 1), 0xFFFF0000u);
  EXPECT_EQ(b.Pixel(2, 2), 0xFFFF0000u);
  EXPECT_EQ(b.Pixel(3, 1), 0u);
  EXPECT_EQ(b.Pixel(0, 2), 0u);
  struct { int x, y; TRect src; TCopyClip want; } clips[] = {
      {-2, 0, Rect(0, 0, 4, 3), {0, 0, 2, 0, 2, 3}},
      {1, 1, Rect(-1, -1, 3, 3), {2, 2, 0, 0, 2, 1}},
      {4, 0, Rect(0, 0, 4, 3), {0, 0, 0, 0, 0, 0}},
      {0, 0, Rect(3, 1, 1, 2), {0, 0, 0, 0, 0, 0}}};
  for (auto c : clips) {
    TCopyClip got = ClipCopy(v, c.x, c.y, v, c.src);
    if (c.want.Empty()) {
      EXPECT_TRUE(got.Empty());
      continue;
    }
    EXPECT_EQ(got.DstX, c.want.DstX);
    EXPECT_EQ(got.DstY, c.want.DstY);
    EXPECT_EQ(got.SrcX, c.want.SrcX);
    EXPECT_EQ(got.SrcY, c.want.SrcY);
    EXPECT_EQ(got.W, c.want.W);
    EXPECT_EQ(got.H, c.want.H);
  }
}

TEST(PaintFill, CreateFillAndAlpha) {
  TBitmap32 b = CreateBmp32(3, 2);
  ASSERT_EQ(b.Width(), 3);
  EXPECT_EQ(b.Pixel(2, 1), 0x00FFFFFFu);
  EXPECT_TRUE(CreateBmp32(0, 5).Empty());
  EXPECT_TRUE(CreateBmp32(-1, 5).Empty());
  EXPECT_TRUE(CreateBmp32(100000, 2).Empty());
  // Top byte of the colour dropped, alpha given.
  FillRect32(b, Rect(1, -5, 9, 1), 0x7F123456, 0x40);
  EXPECT_EQ(b.Pixel(0, 0), 0x00FFFFFFu);
  EXPECT_EQ(b.Pixel(1, 0), 0x40563412u);
  EXPECT_EQ(b.Pixel(2, 0), 0x40563412u);
  EXPECT_EQ(b.Pixel(1, 1), 0x00FFFFFFu);
  FillRect32(b, Rect(2, 2, 1, 1), 0, 0);  // inverted: nothing
  FillRect32(b, Rect(5, 0, 9, 2), 0, 0);  // outside: nothing
  EXPECT_EQ(b.Pixel(2, 1), 0x00FFFFFFu);
  SetAlpha32(b, Rect(0, 0, 3, 2), 0xFF, 0x40563412);
  EXPECT_EQ(b.Pixel(1, 0), 0x40563412u);
  EXPECT_EQ(b.Pixel(0, 0), 0xFFFFFFFFu);
  SetAlpha32(b, Rect(-10, -10, 100, 100), 0x11);  // clipped
  EXPECT_EQ(b.Pixel(1, 0), 0x11563412u);
}

// Runs of every short length and a few long ones fill exactly their pixels.
TEST(PaintFill, RunsOfEveryLength) {
  std::vector<uint32_t> buf(5000);
  for (size_t n : {size_t(0), size_t(1), size_t(7), size_t(8), size_t(9), size_t(31), size_t(32), size_t(33),
                   size_t(129), size_t(4096), size_t(4097), size_t(4990)})
    for (size_t at : {size_t(0), size_t(1), size_t(3), size_t(4), size_t(7)}) {
      std::fill(buf.begin(), buf.end(), 0x11111111u);
      FillPixels(buf.data() + at, n, 0xA0B0C0D0u);
      for (size_t i = 0; i < buf.size(); ++i)
        ASSERT_EQ(buf[i], i >= at && i < at + n ? 0xA0B0C0D0u : 0x11111111u) << n << " at " << i;
    }
}

// Rows of their own colours, back to back or apart, at every alignment of a
// 64-byte line: exactly their pixels, nothing for no rows.
TEST(PaintFill, RowsOfColours) {
  std::vector<uint32_t> buf(4000);
  uint32_t colours[5] = {0xA0000001u, 0xA0000002u, 0xA0000003u, 0xA0000004u, 0xA0000005u};
  for (size_t width : {size_t(1), size_t(15), size_t(16), size_t(17), size_t(129)})
    for (ptrdiff_t gap : {ptrdiff_t(0), ptrdiff_t(3)})
      for (int rows : {0, 1, 5})
        for (size_t at = 0; at < 16; at += 5) {
          std::fill(buf.begin(), buf.end(), 0x11111111u);
          const ptrdiff_t stride = ptrdiff_t(width) + gap;
          FillRowsOfColours(buf.data() + at, width, stride, rows, colours);
          for (size_t i = 0; i < buf.size(); ++i) {
            const ptrdiff_t k = ptrdiff_t(i) - ptrdiff_t(at), r = k / stride;
            const bool in = k >= 0 && r < rows && size_t(k % stride) < width;
            ASSERT_EQ(buf[i], in ? colours[r] : 0x11111111u) << width << "+" << gap << " x " << rows << " at " << at;
          }
        }
}

// Each blend against its formula in exact rational arithmetic.
TEST(PaintBlend, RandomAgainstExactReference) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 400; ++round) {
    const int w = 1 + int(rng() % 37), h = 1 + int(rng() % 4);
    TBitmap32 d0 = Random(rng, w, h), s = Random(rng, w, h), m = Random(rng, w, h);
    const int p = int(rng() % 101), a = int(rng() % 256);
    const TColor k = rng() & 0xFFFFFF;
    const uint32_t key = s.Pixel(0, 0);

    TBitmap32 d1 = d0, d2 = d0, d3 = d0, d4 = d0, d5 = d0;
    BlendColorRect(d1, Rect(0, 0, w, h), p, k);
    BlendBitmapRect(d2, s, a, Point(0, 0), Rect(0, 0, w, h));
    BlendBitmapKeyed(d3, 0, 0, key, p, Rect(0, 0, w, h), s);
    TintBitmap(d4, k, p);
    ColorizeByMask(d5, m, k);
    const uint32_t kp = ColorToPixel(k);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint32_t dv = d0.Pixel(x, y), sv = s.Pixel(x, y), mv = m.Pixel(x, y);
        for (int c = 0; c < 3; ++c) {
          const int dc = Ch(dv, c), sc = Ch(sv, c), kc = Ch(kp, c), mc = Ch(mv, c);
          // round(pixel x p + colour x (1 - p))
          ASSERT_EQ(Ch(d1.Pixel(x, y), c), RoundRational(dc * p + kc * (100 - p), 100));
          // (a x (d - s) + s x 256) >> 8
          ASSERT_EQ(Ch(d2.Pixel(x, y), c), (a * (dc - sc) + sc * 256) >> 8);
          // round(s - (s - d) x f)
          if (sv != key) {
            ASSERT_EQ(Ch(d3.Pixel(x, y), c), RoundRational(100 * sc - (sc - dc) * p, 100));
          }
          // round(f x (c - k) + k); magenta stays
          if (dv != KeyPixel) {
            ASSERT_EQ(Ch(d4.Pixel(x, y), c), RoundRational(p * (dc - kc) + 100 * kc, 100));
          }
          // round(k + m x (d - k) / 256)
          ASSERT_EQ(Ch(d5.Pixel(x, y), c), RoundRational(256 * kc + mc * (dc - kc), 256));
        }
        for (const TBitmap32* r : {&d1, &d2, &d3, &d4, &d5}) ASSERT_EQ(r->Pixel(x, y) >> 24, dv >> 24);
        if (sv == key) {
          ASSERT_EQ(d3.Pixel(x, y), dv);
        }
      }
    // MixColors: round(x c1 + (1 - x) c2), top byte of c1
    const TColor c1 = rng(), c2 = rng();
    const TColor mix = MixColors(c1, c2, p);
    EXPECT_EQ(mix >> 24, c1 >> 24);
    for (int c = 0; c < 3; ++c)
      ASSERT_EQ(Ch(mix, c), RoundRational(p * Ch(c1, c) + (100 - p) * Ch(c2, c), 100));
  }
}

// Every weight against every pair of channel values (the weights whose
// ties cannot occur take a shorter path), through a view whose rows have a gap.
TEST(PaintBlend, EveryWeightAndValuePair) {
  // Pixel (x, y) of s and d: channels x, 255 - x, x ^ 0x5A and y, y ^ 0xA5, 255 - y.
  TBitmap32 sb(257, 256), db(257, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      sb.SetPixel(x, y, uint32_t(x) | uint32_t(255 - x) << 8 | uint32_t(x ^ 0x5A) << 16 | uint32_t(y) << 24);
      db.SetPixel(x, y, uint32_t(y) | uint32_t(y ^ 0xA5) << 8 | uint32_t(255 - y) << 16 | uint32_t(x) << 24);
    }
  const TPixelView s(sb.Bits(), 256, 256, 257), d0(db.Bits(), 256, 256, 257);
  const uint32_t key = s.At(7, 3);
  std::vector<uint32_t> work(257 * 256);
  const TPixelView d(work.data(), 256, 256, 257);
  auto reset = [&] { std::copy(db.Bits(), db.Bits() + work.size(), work.begin()); };
  for (int p = 0; p <= 100; ++p) {
    reset();
    BlendBitmapKeyed(d, 0, 0, key, p, Rect(0, 0, 256, 256), s);
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) {
        const uint32_t sv = s.At(x, y), dv = d0.At(x, y), got = d.At(x, y);
        if (sv == key) {
          ASSERT_EQ(got, dv);
          continue;
        }
        ASSERT_EQ(got >> 24, dv >> 24);
        for (int c = 0; c < 3; ++c)
          ASSERT_EQ(Ch(got, c), RoundRational(100 * Ch(sv, c) - (Ch(sv, c) - Ch(dv, c)) * p, 100)) << p;
      }
    // Over s, whose channels run through all values along each row, with a
    // colour whose channels run through all values down the rows: every pair.
    std::copy(sb.Bits(), sb.Bits() + work.size(), work.begin());
    for (int y = 0; y < 256; ++y)
      BlendColorRect(d, Rect(0, y, 256, y + 1), p, TColor(y | (255 - y) << 8 | (y ^ 0x3C) << 16));
    for (int y = 0; y < 256; ++y) {
      const uint32_t kp = ColorToPixel(TColor(y | (255 - y) << 8 | (y ^ 0x3C) << 16));
      for (int x = 0; x < 256; ++x) {
        const uint32_t dv = s.At(x, y), got = d.At(x, y);
        ASSERT_EQ(got >> 24, dv >> 24);
        for (int c = 0; c < 3; ++c)
          ASSERT_EQ(Ch(got, c), RoundRational(Ch(dv, c) * p + Ch(kp, c) * (100 - p), 100)) << p;
      }
    }
  }
  for (int a : {0, 1, 2, 64, 127, 128, 129, 200, 254, 255}) {
    reset();
    BlendBitmapRect(d, s, a, Point(0, 0), Rect(0, 0, 256, 256));
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) {
        const uint32_t sv = s.At(x, y), dv = d0.At(x, y), got = d.At(x, y);
        ASSERT_EQ(got >> 24, dv >> 24);
        for (int c = 0; c < 3; ++c) ASSERT_EQ(Ch(got, c), (a * (Ch(dv, c) - Ch(sv, c)) + Ch(sv, c) * 256) >> 8) << a;
      }
  }
}

TEST(PaintBlend, WorkedValues) {
  // Ties go to the even neighbour: 127.5 -> 128, 0.5 -> 0, 2.5 -> 2.
  EXPECT_EQ(MixColors(0x0000FF, 0, 50), 0x000080u);
  EXPECT_EQ(MixColors(0x000001, 0, 50), 0u);
  EXPECT_EQ(MixColors(0x000005, 0, 50), 0x000002u);
  EXPECT_EQ(MixColors(0x7F0000FF, 0x00FFFF00, 0), 0x7FFFFF00u);
  EXPECT_EQ(MixColors(0x10, 0x20, 500), 0x10u);  // clamped to 100 %
  // Transparency 50 over a parent bitmap: (128 x (parent - own) + own x 256) >> 8.
  TBitmap32 parent = Bmp(1, 1, {0xFF0A6432}), own = Bmp(1, 1, {0x00FF00C8});
  BlendBitmapRect(parent, own, PercentToWeight(50), Point(0, 0), Rect(0, 0, 1, 1));
  EXPECT_EQ(parent.Pixel(0, 0), 0xFF84327Du);
  // 60 % gradient over 40 % colour.
  TBitmap32 g = Bmp(1, 1, {0xFF6400C8});
  BlendColorRect(g, Rect(0, 0, 1, 1), 60, 0x0000FF);  // colour red 255
  EXPECT_EQ(g.Pixel(0, 0), 0xFFA20078u);
  // A system colour is blended as its plain RGB.
  TBitmap32 sys = Bmp(1, 1, {0xFF000000});
  BlendColorRect(sys, Rect(0, 0, 1, 1), 0, 0x80000005);
  EXPECT_EQ(sys.Pixel(0, 0), ColorToPixel(SysColor(5)));
  // Negative destination point moves the source start; clipped to both.
  TBitmap32 d = Bmp(2, 1, {0, 0}), s = Coords(3, 1);
  BlendBitmapRect(d, s, 0, Point(-1, 0), Rect(0, 0, 3, 1));
  EXPECT_EQ(d.Pixel(0, 0), CoordPixel(1, 0) & 0xFFFFFF);
  EXPECT_EQ(d.Pixel(1, 0), CoordPixel(2, 0) & 0xFFFFFF);
}

TEST(PaintBlend, GreyAndColorize) {
  TBitmap32 b = Bmp(2, 1, {0x80141F0A, KeyPixel});
  GrayBitmapKeyed(b, KeyPixel);
  EXPECT_EQ(b.Pixel(0, 0), 0x80141414u);  // (20 + 31 + 10) div 3
  EXPECT_EQ(b.Pixel(1, 0), KeyPixel);
  GrayBitmap(b);
  EXPECT_EQ(b.Pixel(1, 0), 0x00AAAAAAu);
  // The colour shows where the mask is black; white keeps 255/256 of the destination.
  TBitmap32 d = Bmp(2, 1, {0xFFFFFFFF, 0xFFFFFFFF}), m = Bmp(2, 1, {0, 0xFFFFFF});
  ColorizeByMask(d, m, 0x000000);
  EXPECT_EQ(d.Pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(d.Pixel(1, 0), 0xFFFEFEFEu);
}

TEST(PaintTables, DrawModeAndCellSizes) {
  const int modes[][2] = {{0, 0}, {7, 7}, {14, 14}, {15, 0}, {16, 1}, {17, 2}, {18, 3}, {19, 3}, {-1, 0}, {20, 0}};
  for (auto m : modes) EXPECT_EQ(DrawModeTable(m[0]), m[1]) << m[0];
  struct { int w, h, count, type, cw, ch; } cells[] = {
      {30, 20, 0, 0, 0, 20}, {30, 20, 1, 1, 30, 10}, {30, 20, 3, 2, 10, 6}, {31, 21, 2, 1, 15, 10},
      {30, 20, -2, -1, 0, 0}, {30, 20, 3, -3, 10, 0}};
  for (auto c : cells) {
    TsMaskData md;
    md.R = Rect(5, 5, 5 + c.w, 5 + c.h);
    md.ImageCount = int16_t(c.count);
    md.MaskType = int16_t(c.type);
    EXPECT_EQ(ImageWidth(md), c.cw) << c.count;
    EXPECT_EQ(ImageHeight(md), c.ch) << c.type;
  }
}

TEST(PaintTile, TableOfTypes) {
  // 2 x 2 tile at (1, 1) of a coordinate picture; W is 5 x 5 at (1, 1) of a 7 x 7 target.
  TBitmap32 src = Coords(4, 4);
  const TRect W = Rect(1, 1, 6, 6), none = NoRemainder;
  struct { int type; TRect rest; int paintedRows[2]; } table[] = {
      {0, none, {1, 6}}, {1, none, {1, 6}}, {2, Rect(1, 3, 6, 6), {1, 3}}, {3, Rect(3, 1, 6, 6), {1, 6}},
      {4, Rect(1, 3, 6, 6), {1, 3}}, {5, Rect(3, 1, 6, 6), {1, 6}}, {6, Rect(1, 1, 6, 4), {4, 6}},
      {7, Rect(1, 1, 4, 6), {1, 6}}, {8, Rect(4, 1, 6, 6), {1, 6}}, {13, Rect(4, 1, 6, 6), {1, 6}},
      {10, none, {1, 5}}};
  for (auto t : table) {
    TBitmap32 dst(7, 7);
    TRect w = W;
    TileTexture(dst, w, src, Rect(1, 1, 3, 3), t.type);
    EXPECT_EQ(w, t.rest) << "type " << t.type;
    for (int y = 0; y < 7; ++y)
      EXPECT_EQ(dst.Pixel(1, y) != 0, y >= t.paintedRows[0] && y < t.paintedRows[1]) << "type " << t.type << " row " << y;
  }
  // Phases: type 0 from W's top-left, type 6 from its bottom row.
  TBitmap32 dst(7, 7);
  TRect w = W;
  TileTexture(dst, w, src, Rect(1, 1, 3, 3), 0);
  EXPECT_EQ(dst.Pixel(1, 1), CoordPixel(1, 1));
  EXPECT_EQ(dst.Pixel(5, 4), CoordPixel(1, 2));
  EXPECT_EQ(dst.Pixel(6, 6), 0u);
  dst.Fill(0), w = W;
  TileTexture(dst, w, src, Rect(1, 1, 3, 3), 6);
  EXPECT_EQ(dst.Pixel(2, 4), CoordPixel(2, 1));
  EXPECT_EQ(dst.Pixel(2, 5), CoordPixel(2, 2));
  // A strip taller than W stays inside W.
  dst.Fill(0), w = Rect(1, 1, 6, 2);
  TileTexture(dst, w, src, Rect(1, 1, 3, 3), 4);
  EXPECT_EQ(w, NoRemainder);
  EXPECT_EQ(dst.Pixel(1, 1), CoordPixel(1, 1));
  EXPECT_EQ(dst.Pixel(1, 2), 0u);
  // Stretch (type 1): each pixel doubled.
  dst.Fill(0), w = Rect(0, 0, 4, 4);
  TileTexture(dst, w, src, Rect(1, 1, 3, 3), 1);
  EXPECT_EQ(dst.Pixel(1, 1), CoordPixel(1, 1));
  EXPECT_EQ(dst.Pixel(2, 3), CoordPixel(2, 2));
}

TEST(PaintTile, ZeroExtentsPaintNothing) {
  TBitmap32 src = Coords(4, 4), dst(5, 5);
  for (TRect tile : {Rect(1, 1, 1, 3), Rect(1, 1, 3, 1), Rect(9, 9, 12, 12)}) {
    TRect w = Rect(0, 0, 5, 5);
    TileTexture(dst, w, src, tile, 0);
    EXPECT_EQ(w, Rect(0, 0, 5, 5));  // left for the section colour
  }
  TsMaskData md;  // no manager, no picture
  md.R = Rect(0, 0, 2, 2);
  TRect w = Rect(0, 0, 5, 5);
  TileTexture(dst, w, md, 0);
  TileMaskedTexture(dst, w, TCacheInfo(), 0, md);
  EXPECT_EQ(w, Rect(0, 0, 5, 5));
  TileGraphic(dst, Rect(0, 0, 5, 5), TPixelView());
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) ASSERT_EQ(dst.Pixel(x, y), 0u);
}

// Tiles of many widths (shorter and longer than a vector) at every phase,
// against the pixel each place takes by the definition.
TEST(PaintTile, RandomAreasAgainstTileGrid) {
  std::mt19937 rng(91);
  for (int round = 0; round < 300; ++round) {
    const int tw = 1 + int(rng() % 23), th = 1 + int(rng() % 5), dw = 1 + int(rng() % 70), dh = 1 + int(rng() % 6);
    TBitmap32 tile = Coords(tw, th, 1, 1);
    const TRect r = Rect(int(rng() % 20) - 8, int(rng() % 6) - 3, int(rng() % 80) - 4, int(rng() % 8));
    TBitmap32 d(dw, dh);
    d.Fill(0x12345678);
    TileGraphic(d, r, tile);
    auto mod = [](int v, int m) { return ((v % m) + m) % m; };
    for (int y = 0; y < dh; ++y)
      for (int x = 0; x < dw; ++x) {
        const bool in = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
        ASSERT_EQ(d.Pixel(x, y), in ? CoordPixel(1 + mod(x - r.Left, tw), 1 + mod(y - r.Top, th)) : 0x12345678u);
      }
  }
}

TEST(PaintTile, GraphicAndMaskedCells) {
  TBitmap32 src = Coords(2, 2), dst(5, 3);
  TileGraphic(dst, Rect(1, 0, 4, 3), src);
  EXPECT_EQ(dst.Pixel(3, 2), CoordPixel(0, 0));
  EXPECT_EQ(dst.Pixel(4, 0), 0u);
  // A 2 x 1 cell over its mask row: mask 0 draws, 255 keeps, key skipped.
  TacSkinModel model;
  model.MasterBitmap = Bmp(2, 2, {0xFF0000AA, KeyPixel, 0x00000000, 0x00000000});
  TsMaskData md;
  md.Manager = &model;
  md.R = Rect(0, 0, 2, 2);
  md.ImageCount = 1;
  md.MaskType = 1;
  TBitmap32 d(7, 5);
  d.Fill(0x11222222);
  TRect w = Rect(0, 0, 7, 5);
  TileMaskedTexture(d, w, TCacheInfo(), 0, md);
  EXPECT_EQ(w, NoRemainder);
  // Rows while y < 5 - 1: 0..3; columns while x < 7 - 2: 0, 2, 4, then one of width 1 at 6.
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      EXPECT_EQ(d.Pixel(x, y), (y < 4 && x % 2 == 0) ? 0x110000AAu : 0x11222222u) << x << "," << y;
  // Type 10: full cells only, the strips right and below from the background colour.
  d.Fill(0x11222222), w = Rect(0, 0, 7, 5);
  TCacheInfo ci;
  ci.FillColor = 0x00FF00;
  TileMaskedTexture(d, w, ci, 10, md);
  EXPECT_EQ(d.Pixel(4, 3), 0x110000AAu);
  EXPECT_EQ(d.Pixel(6, 0), 0xFF00FF00u);
  EXPECT_EQ(d.Pixel(0, 4), 0xFF00FF00u);
  d.Fill(0), w = Rect(0, 0, 7, 5);
  TileMaskedTexture(d, w, ci, 2, md);  // other types: nothing
  EXPECT_EQ(w, Rect(0, 0, 7, 5));
  EXPECT_EQ(d.Pixel(0, 0), 0u);
}

TEST(PaintDisabled, GreyedAndBlended) {
  TBitmap32 b = Bmp(2, 1, {0xFF00001E, 0xFF000000});
  PaintDisabledLook(b, dkGrayed, 0, Point(0, 0), TCacheInfo());
  EXPECT_EQ(b.Pixel(0, 0), 0xFF0A0A0Au);
  TCacheInfo ci;
  ci.FillColor = 0x0000C8;  // red 200
  PaintDisabledLook(b, dkBlended, 0, Point(0, 0), ci);
  EXPECT_EQ(b.Pixel(1, 0), 0xFF640000u);
  // Ready background: 40 % of the control stays.
  TBitmap32 bg = Bmp(3, 1, {0, 0, 0xFF0000C8}), c = Bmp(1, 1, {0xFF000064});
  ci.Ready = true;
  ci.Bmp = TPixelView(bg);
  ci.X = 1;
  PaintDisabledLook(c, dkBlended, 0, Point(1, 0), ci);
  EXPECT_EQ(c.Pixel(0, 0), 0xFF0000A0u);  // round(200 - 100 x 0.4) = 160
}
