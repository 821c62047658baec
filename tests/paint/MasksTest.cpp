// Keyed and masked copies, borders, stretched pieces, resampling, bands and corners.
#include "PaintTestUtil.h"
#include "paint/sGraphUtils.h"
#include "paint/sMaskDraw.h"
#include "skin/acSkinModel.h"

#include <gtest/gtest.h>

using namespace painttest;

namespace {

TsMaskData Mask(TacSkinModel& model, TRect r, int count, int type, int wl, int wt, int wr, int wb) {
  TsMaskData md;
  md.Manager = &model;
  md.R = r;
  md.ImageCount = int16_t(count);
  md.MaskType = int16_t(type);
  md.WL = int16_t(wl), md.WT = int16_t(wt), md.WR = int16_t(wr), md.WB = int16_t(wb);
  return md;
}

TCacheInfo ReadyCI(TBitmap32& bg, int x = 0, int y = 0) {
  TCacheInfo ci;
  ci.Ready = true;
  ci.Bmp = TPixelView(bg);
  ci.X = x, ci.Y = y;
  return ci;
}

}  // namespace

TEST(PaintMaskedCopy, FourCompositionCases) {
  // Image row [grey 0x40, key] over mask row [0x80, 0].
  TBitmap32 src = Bmp(2, 2, {0xFF404040, KeyPixel, 0x00808080, 0x00000000});
  TBitmap32 bg = Bmp(2, 1, {0xAA000000, 0xAA123456});
  TCacheInfo ready = ReadyCI(bg), fill;
  fill.FillColor = 0x0000FF;
  struct { bool compose; const TCacheInfo* ci; uint32_t p0, p1; } cases[] = {
      {true, &ready, 0xFF808080, 0xFF123456},   // (192 x 128 + 64 x 128) >> 8 = 128
      {true, &fill, 0xFF808080, 0xFFFF0000},  // composed pixels are opaque either way
      {false, &ready, 0xFF808080, 0xFFFF00FF},  // no key test: m = 0 draws the key colour
      {false, &fill, 0x00808080, 0x00C0C0C0}};
  for (auto c : cases) {
    TBitmap32 d = Bmp(2, 1, {0x00C0C0C0, 0x00C0C0C0});
    CopyMasked(d, 0, 0, src, Rect(0, 0, 2, 1), 1, c.compose, *c.ci);
    EXPECT_EQ(d.Pixel(0, 0), c.p0) << c.compose << c.ci->Ready;
    EXPECT_EQ(d.Pixel(1, 0), c.p1) << c.compose << c.ci->Ready;
  }
  // Keyed copy: key skipped, with composition the background.
  TBitmap32 d = Bmp(2, 1, {0, 7});
  CopyKeyed(d, 0, 0, src, Rect(0, 0, 2, 1), false, ready);
  EXPECT_EQ(d.Pixel(0, 0), 0xFF404040u);
  EXPECT_EQ(d.Pixel(1, 0), 7u);
  CopyKeyed(d, 0, 0, src, Rect(0, 0, 2, 1), true, ready);
  EXPECT_EQ(d.Pixel(1, 0), 0xFF123456u);
  CopyKeyed(d, 0, 0, src, Rect(0, 0, 2, 1), true, fill);
  EXPECT_EQ(d.Pixel(1, 0), 0xFFFF0000u);
  // The mask rows must exist: a piece whose mask lies below the picture is cut.
  d = Bmp(2, 1, {5, 5});
  CopyMasked(d, 0, 0, src, Rect(0, 1, 2, 2), 1, false, fill);
  EXPECT_EQ(d.Pixel(0, 0), 5u);
}

// The mask rule against ((d - s) x m + s x 256) >> 8 in plain signed arithmetic.
TEST(PaintMaskedCopy, RandomAgainstMaskRule) {
  std::mt19937 rng(77);
  for (int round = 0; round < 300; ++round) {
    const int w = 1 + int(rng() % 37), h = 1 + int(rng() % 3);
    TBitmap32 src = Random(rng, w, 2 * h), d0 = Random(rng, w, h), bg = Random(rng, w, h);
    for (int i = 0; i < w; i += 3) src.SetPixel(i, 0, KeyPixel);
    const bool compose = rng() & 1, ready = rng() & 1;
    TCacheInfo ci = ready ? ReadyCI(bg) : TCacheInfo();
    ci.FillColor = rng() & 0xFFFFFF;
    TBitmap32 d = d0;
    CopyMasked(d, 0, 0, src, Rect(0, 0, w, h), h, compose, ci);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint32_t s = src.Pixel(x, y), m = src.Pixel(x, y + h), dv = d0.Pixel(x, y), got = d.Pixel(x, y);
        const bool key = s == KeyPixel;
        if (key && compose) {
          ASSERT_EQ(got, ready ? bg.Pixel(x, y) | 0xFF000000 : ColorToPixel(ci.FillColor));
          continue;
        }
        if (key && !ready) {
          ASSERT_EQ(got, dv);
          continue;
        }
        for (int c = 0; c < 3; ++c)
          ASSERT_EQ(Ch(got, c), ((Ch(dv, c) - Ch(s, c)) * Ch(m, c) + Ch(s, c) * 256) >> 8);
        ASSERT_EQ(got >> 24, ready || compose ? 0xFFu : dv >> 24);
      }
  }
}

TEST(PaintBorder, ShrinkRuleTakesOddPixelFromTheRight) {
  TacSkinModel model;
  model.MasterBitmap = Coords(14, 4);
  TsMaskData md = Mask(model, Rect(0, 0, 14, 4), 1, 0, 6, 1, 6, 1);
  TBitmap32 d(9, 4);
  DrawBorder(d, Rect(0, 0, 9, 4), false, 0, md, TCacheInfo());
  // l = 5, r = 4: columns 0..4 from the left piece, 5..8 from source 10..13.
  for (int x = 0; x < 5; ++x) EXPECT_EQ(d.Pixel(x, 0), CoordPixel(x, 0)) << x;
  for (int x = 5; x < 9; ++x) EXPECT_EQ(d.Pixel(x, 0), CoordPixel(x + 5, 0)) << x;
  EXPECT_EQ(d.Pixel(2, 1), CoordPixel(2, 1));
  EXPECT_EQ(d.Pixel(6, 2), CoordPixel(11, 2));
  EXPECT_EQ(d.Pixel(0, 3), CoordPixel(0, 3));
  EXPECT_EQ(d.Pixel(8, 3), CoordPixel(13, 3));
}

TEST(PaintBorder, PiecesTileAndStates) {
  TacSkinModel model;
  model.MasterBitmap = Coords(8, 3);
  // Two 4 x 3 cells, pieces 1 pixel wide; centre drawn (flag 4).
  TsMaskData md = Mask(model, Rect(0, 0, 8, 3), 2, 0, 1, 1, 1, 1);
  md.DrawMode = dmDrawCentre;
  TBitmap32 d(7, 4);
  DrawBorder(d, Rect(0, 0, 7, 4), false, 3, md, TCacheInfo());  // state 3 -> last cell
  EXPECT_EQ(d.Pixel(0, 0), CoordPixel(4, 0));
  EXPECT_EQ(d.Pixel(6, 3), CoordPixel(7, 2));
  // Top side (2 wide) tiled over 5 columns, the last copy cut.
  const int topX[] = {5, 6, 5, 6, 5};
  for (int x = 1; x < 6; ++x) EXPECT_EQ(d.Pixel(x, 0), CoordPixel(topX[x - 1], 0)) << x;
  EXPECT_EQ(d.Pixel(0, 2), CoordPixel(4, 1));  // left side (1 high) repeated
  EXPECT_EQ(d.Pixel(3, 2), CoordPixel(5, 1));  // centre
  // Stretched sides (flag 1): the 2-pixel top side over 5 columns.
  md.DrawMode = dmStretchSides;
  d.Fill(0);
  DrawBorder(d, Rect(0, 0, 7, 4), false, 0, md, TCacheInfo());
  EXPECT_EQ(d.Pixel(1, 0), CoordPixel(1, 0));
  EXPECT_EQ(d.Pixel(5, 0), CoordPixel(2, 0));
  EXPECT_EQ(d.Pixel(3, 2), 0u);  // no centre without flag 4
}

TEST(PaintBorder, NothingDrawnCases) {
  TacSkinModel model;
  model.MasterBitmap = Coords(8, 3);
  TsMaskData md = Mask(model, Rect(0, 0, 8, 3), 2, 0, 1, 1, 1, 1);
  md.DrawMode = dmHotOnly;
  TBitmap32 d(6, 6);
  DrawBorder(d, Rect(0, 0, 6, 6), false, 0, md, TCacheInfo());
  EXPECT_EQ(d.Pixel(0, 0), 0u);  // hot-only border absent in state 0
  DrawBorder(d, Rect(0, 0, 6, 6), false, 1, md, TCacheInfo());
  EXPECT_EQ(d.Pixel(0, 0), CoordPixel(4, 0));  // present in state 1
  d.Fill(0);
  md.DrawMode = 0;
  DrawBorder(d, Rect(0, 0, 1, 6), false, 0, md, TCacheInfo());  // narrower than 2
  TsMaskData wide = Mask(model, Rect(0, 0, 8, 3), 2, 0, 3, 1, 3, 1);  // middle cell negative
  DrawBorder(d, Rect(0, 0, 6, 6), false, 0, wide, TCacheInfo());
  TsMaskData orphan = Mask(model, Rect(0, 0, 8, 3), 2, 0, 1, 1, 1, 1);
  orphan.Manager = nullptr;
  DrawBorder(d, Rect(0, 0, 6, 6), false, 0, orphan, TCacheInfo());
  TsMaskData negative = Mask(model, Rect(0, 0, 8, 3), -2, -1, -4, 1, 1, 1);
  DrawBorder(d, Rect(0, 0, 6, 6), false, 0, negative, TCacheInfo());
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(d.Pixel(x, y), 0u);
  // Negative widths count as 0; a border reaching past the picture is cut, not skipped.
  TsMaskData neg = Mask(model, Rect(0, 0, 9, 3), 1, 0, -3, 1, 1, 1);
  DrawBorder(d, Rect(0, 0, 6, 6), false, 0, neg, TCacheInfo());
  EXPECT_EQ(d.Pixel(0, 0), CoordPixel(0, 0));
}

TEST(PaintBorder, HugeItemOverSmallBitmapOnlyPaintsWhatShows) {
  TacSkinModel model;
  model.MasterBitmap = Coords(3, 3);
  TsMaskData md = Mask(model, Rect(0, 0, 3, 3), 1, 0, 1, 1, 1, 1);  // 1 x 1 pieces
  md.DrawMode = dmDrawCentre;
  TBitmap32 d(4, 4);
  DrawBorder(d, Rect(-3, -3, 1000000, 1000000), false, 0, md, TCacheInfo());
  EXPECT_EQ(d.Pixel(0, 0), CoordPixel(1, 1));  // centre, phase kept from the item's origin
  EXPECT_EQ(d.Pixel(3, 3), CoordPixel(1, 1));
}

TEST(PaintBorder, CutRegionRunsOfCornerKeyPixels) {
  TacSkinModel model;
  // A 4 x 2 image over its mask (all 0: draw): key runs at the row's start and end.
  model.MasterBitmap = Bmp(4, 4, {KeyPixel, 0xFF010101, KeyPixel, KeyPixel,  //
                                  0xFF020202, KeyPixel, 0xFF030303, 0xFF040404,  //
                                  0, 0, 0, 0, 0, 0, 0, 0});
  TsMaskData md = Mask(model, Rect(0, 0, 4, 4), 0, 1, 2, 1, 2, 1);
  TBitmap32 b(6, 3);
  b.Fill(0xFF999999);
  std::vector<TRegionCut> cuts;
  DrawBorderCutRegion(b, cuts, false, 5, md);
  EXPECT_EQ(b.Pixel(0, 0), 0xFF999999u);  // key pixel: not drawn
  EXPECT_EQ(b.Pixel(1, 0), 0xFF010101u);
  // Top-left corner (2 wide): run [0, 1) ends inside the row; top-right
  // corner (columns 4, 5 from source 2, 3): run [4, 6) reaches its end.
  ASSERT_EQ(cuts.size(), 3u);
  EXPECT_EQ(cuts[0].R, Rect(0, 0, 1, 1));
  EXPECT_TRUE(cuts[0].Xor);
  EXPECT_EQ(cuts[1].R, Rect(1, 2, 2, 3));  // bottom-left: source (1, 1), reaches the corner's end
  EXPECT_FALSE(cuts[1].Xor);
  EXPECT_EQ(cuts[2].R, Rect(4, 0, 6, 1));
  EXPECT_FALSE(cuts[2].Xor);
}

TEST(PaintBorder, CornersComposedOnlyWhenAsked) {
  TacSkinModel model;
  model.MasterBitmap = Bmp(3, 3, {KeyPixel, 0xFF010101, 0xFF020202,  //
                                  0xFF030303, 0xFF040404, 0xFF050505,  //
                                  0xFF060606, 0xFF070707, 0xFF080808});
  TsMaskData md = Mask(model, Rect(0, 0, 3, 3), 1, 0, 1, 1, 1, 1);
  md.CornerType = 1;
  TBitmap32 bg(4, 4);
  bg.Fill(0x00ABCDEF);
  TBitmap32 d(3, 3);
  d.Fill(0xFF999999);
  DrawBorder(d, Rect(0, 0, 3, 3), false, 0, md, ReadyCI(bg, 1, 1));
  EXPECT_EQ(d.Pixel(0, 0), 0xFF999999u);  // magenta skipped, earlier paint kept
  DrawBorder(d, Rect(0, 0, 3, 3), true, 0, md, ReadyCI(bg, 1, 1));
  EXPECT_EQ(d.Pixel(0, 0), 0xFFABCDEFu);  // the parent's pixel shows
  md.CornerType = 0;
  d.Fill(0xFF999999);
  DrawBorder(d, Rect(0, 0, 3, 3), true, 0, md, ReadyCI(bg, 1, 1));
  EXPECT_EQ(d.Pixel(0, 0), 0xFF999999u);
}

TEST(PaintStretchMasked, CentrePixelAndSmoothPieces) {
  // Image row over mask row; the centre is one pixel.
  for (auto c : {std::pair<uint32_t, uint32_t>{0x00FF0000, 0x00C0C0C0}, {0x00000000, 0xFF102030},
                 {0x00800000, 0x00687078}}) {
    TBitmap32 src = Bmp(1, 2, {0x00102030, c.first});
    TBitmap32 d(3, 3);
    d.Fill(0x00C0C0C0);
    StretchMasked(0, 0, 3, 3, true, 1, src, 0, 0, 1, 1, d);
    EXPECT_EQ(d.Pixel(2, 2), c.second) << std::hex << c.first;  // e = 0x80: ((192 - s) x 128 + s x 256) >> 8
  }
  // Shrinking a flat piece keeps its colour exactly.
  TBitmap32 src(4, 4);
  FillRect32(src, Rect(0, 0, 4, 2), 0x336699, 0xFF);
  FillRect32(src, Rect(0, 2, 4, 4), 0, 0);
  TBitmap32 d(3, 3);
  StretchMasked(0, 0, 2, 2, false, 2, src, 0, 0, 4, 2, d);
  EXPECT_EQ(d.Pixel(0, 0), 0xFF996633u);
  EXPECT_EQ(d.Pixel(1, 1), 0xFF996633u);
  EXPECT_EQ(d.Pixel(2, 2), 0u);
  // Nothing for a negative position, an empty size or a target under 2 x 2.
  TBitmap32 tiny(1, 1);
  StretchMasked(0, 0, 1, 1, false, 2, src, 0, 0, 4, 2, tiny);
  StretchMasked(-1, 0, 2, 2, false, 2, src, 0, 0, 4, 2, d);
  StretchMasked(0, 0, 0, 2, false, 2, src, 0, 0, 4, 2, d);
  StretchMasked(0, 0, 2, 2, false, 4, src, 0, 0, 4, 2, d);  // mask wholly past the picture
  EXPECT_EQ(tiny.Pixel(0, 0), 0u);
  EXPECT_EQ(d.Pixel(2, 2), 0u);
}

// Only the visible part is computed; it must equal that part of the whole.
TEST(PaintStretchMasked, PartlyVisibleEqualsWhole) {
  std::mt19937 rng(5);
  TBitmap32 src = Random(rng, 6, 8);
  for (auto size : {std::pair{4, 4}, {9, 7}, {6, 3}}) {
    for (bool centre : {false, true}) {
      TBitmap32 whole(12, 12), part(5, 4);
      StretchMasked(1, 1, size.first, size.second, centre, 4, src, 0, 0, 6, 4, whole);
      StretchMasked(1, 1, size.first, size.second, centre, 4, src, 0, 0, 6, 4, part);
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) ASSERT_EQ(part.Pixel(x, y), whole.Pixel(x, y)) << size.first << " " << centre;
    }
  }
}

TEST(PaintResample, FlatStaysFlatEveryFilter) {
  TBitmap32 src(5, 4);
  src.Fill(0xFF7F3A10);
  for (int filter = 0; filter <= 6; ++filter)
    for (auto size : {std::pair{2, 3}, {11, 9}, {5, 4}}) {
      TBitmap32 out;
      ResampleBitmap(src, out, size.first, filter, size.second);
      ASSERT_EQ(out.Width(), size.first);
      for (int y = 0; y < out.Height(); ++y)
        for (int x = 0; x < out.Width(); ++x) ASSERT_EQ(out.Pixel(x, y), 0xFF7F3A10u) << filter;
    }
  TBitmap32 out(1, 1);
  ResampleBitmap(src, out, 0, 6, 3);  // zero width: nothing
  ResampleBitmap(src, out, 3, 6, 0);
  EXPECT_EQ(out.Width(), 1);
  TBitmap32 one(1, 5);
  EXPECT_THROW(ResampleBitmap(one, out, 3, 6, 3), EInvalidArgument);
  // A step edge shrunk by the box filter averages the two sides.
  TBitmap32 edge = Bmp(4, 2, {0, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0, 0, 0xFFFFFFFF, 0xFFFFFFFF});
  ResampleBitmap(edge, out, 2, 0, 2);
  EXPECT_EQ(out.Pixel(0, 0), 0u);
  EXPECT_EQ(out.Pixel(1, 1), 0xFFFFFFFFu);
}

TEST(PaintBands, FillAndCopyBorderBands) {
  TBitmap32 d(5, 4);
  FillBorder32(d, Rect(0, 0, 5, 4), 1, 0x0000FF, 1, 2, 1);
  const char* want[] = {"#####", "#..##", "#..##", "#####"};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(d.Pixel(x, y) != 0, want[y][x] == '#') << x << "," << y;
  EXPECT_EQ(d.Pixel(0, 0), 0xFFFF0000u);
  TBitmap32 e(3, 3);
  FillBorder32(e, Rect(0, 0, 3, 3), -1, 0x0000FF, -1, -1, -1);  // negative widths: nothing
  EXPECT_EQ(e.Pixel(0, 0), 0u);
  TBitmap32 src = Coords(6, 6), band(4, 4);
  CopyBorderBands(band, 0, 0, 1, 1, 1, src, 4, 4);
  EXPECT_EQ(band.Pixel(0, 2), CoordPixel(1, 3));
  EXPECT_EQ(band.Pixel(3, 3), CoordPixel(4, 4));
  EXPECT_EQ(band.Pixel(1, 1), 0u);
}

TEST(PaintCorners, KeyPixelsTakeThePresentBackground) {
  TacSkinModel model;
  model.MasterBitmap = Bmp(3, 3, {KeyPixel, 0xFF010101, KeyPixel,  //
                                  0xFF030303, 0xFF040404, 0xFF050505,  //
                                  KeyPixel, 0xFF070707, KeyPixel});
  TsMaskData md = Mask(model, Rect(0, 0, 3, 3), 1, 0, 1, 1, 1, 1);
  TBitmap32 cache(5, 4), bg = Coords(8, 8);
  cache.Fill(0xFF111111);
  UpdateCornerPixels(cache, md, 0, crTopLeft | crBottomRight, ReadyCI(bg, 2, 1));
  EXPECT_EQ(cache.Pixel(0, 0), CoordPixel(2, 1) | 0xFF000000);  // opaque like a colour answer
  EXPECT_EQ(cache.Pixel(4, 3), CoordPixel(6, 4) | 0xFF000000);
  EXPECT_EQ(cache.Pixel(4, 0), 0xFF111111u);
  TCacheInfo colour;
  colour.FillColor = 0x00FF00;
  UpdateCornerPixels(cache, md, 0, crAll, colour);
  EXPECT_EQ(cache.Pixel(4, 0), 0xFF00FF00u);
  colour.FillColor = clFuchsia;  // none: nothing changes
  cache.Fill(0xFF111111);
  UpdateCornerPixels(cache, md, 0, crAll, colour);
  EXPECT_EQ(cache.Pixel(0, 3), 0xFF111111u);
}

TEST(PaintMaskImage, CellsModesAndCutting) {
  TacSkinModel model;
  // Two 1 x 1 cells over their mask row.
  model.MasterBitmap = Bmp(2, 2, {0xFF000064, 0xFF0000C8, 0x00000000, 0x00404040});
  TsMaskData md = Mask(model, Rect(0, 0, 2, 2), 2, 1, 0, 0, 0, 0);
  TBitmap32 d = Bmp(2, 1, {0x80000000, 0x80000000});
  DrawMaskImage(d, Point(0, 0), 5, TCacheInfo(), md, 1);  // state past the cells: last one
  // blue (0 x 64 + 200 x 192) >> 8 = 150; alpha 128 + (127 x 191) >> 8 = 222
  EXPECT_EQ(d.Pixel(0, 0), 0xDE000096u);
  d.Fill(0x80000000);
  DrawMaskImage(d, Point(0, 0), 0, TCacheInfo(), md, 0);  // fainter: m = min(0 + 100, 255)
  EXPECT_EQ(d.Pixel(0, 0), 0xFE00003Cu);  // (100 x 156) >> 8 = 60; alpha 128 + (127 x 255) >> 8
  DrawMaskImage(d, Point(-1, 0), 0, TCacheInfo(), md, 1);  // left of the view: cut
  EXPECT_EQ(d.Pixel(1, 0), 0x80000000u);
  // Keyed cells: mode 1 copies, other modes blend half.
  model.MasterBitmap = Bmp(2, 1, {0xFF0000C8, KeyPixel});
  TsMaskData keyed = Mask(model, Rect(0, 0, 2, 1), 1, 0, 0, 0, 0, 0);
  d = Bmp(2, 1, {0xFF000064, 0xFF000064});
  DrawMaskImage(d, Point(0, 0), 0, TCacheInfo(), keyed, 2);
  EXPECT_EQ(d.Pixel(0, 0), 0xFF000096u);
  EXPECT_EQ(d.Pixel(1, 0), 0xFF000064u);
  DrawMaskImage(d, Point(0, 0), 0, TCacheInfo(), keyed, 1);
  EXPECT_EQ(d.Pixel(0, 0), 0xFF0000C8u);
  keyed.ImageCount = 0;
  d.Fill(0);
  DrawMaskImage(d, Point(0, 0), 0, TCacheInfo(), keyed, 1);
  EXPECT_EQ(d.Pixel(0, 0), 0u);
}
