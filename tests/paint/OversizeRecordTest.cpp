// Image records whose rectangle reaches past their picture, or whose master
// bitmap is missing: every copy takes only the pixels that exist. A copy that
// ran past the right edge would bring in the first pixel of the next row,
// which the coordinate pictures make visible.
#include "PaintTestUtil.h"
#include "paint/sGraphUtils.h"
#include "paint/sMaskDraw.h"
#include "skin/acSkinModel.h"

#include <gtest/gtest.h>

using namespace painttest;

namespace {

TsMaskData Record(TacSkinModel& model, TRect r, int count, int type, int width) {
  TsMaskData md;
  md.Manager = &model;
  md.R = r;
  md.ImageCount = int16_t(count);
  md.MaskType = int16_t(type);
  md.WL = md.WT = md.WR = md.WB = int16_t(width);
  return md;
}

TEST(OversizeRecord, BorderOnePixelTooWideDrawsWhatItsPictureHas) {
  TacSkinModel model;
  model.MasterBitmap = Coords(8, 3);
  // One 9 x 3 frame over an 8 x 3 master: the right-hand pieces have no pixels.
  TsMaskData md = Record(model, Rect(0, 0, 9, 3), 1, 0, 1);
  for (int mode : {0, int(dmStretchSides), int(dmDrawCentre)}) {
    md.DrawMode = int16_t(mode);
    TBitmap32 d(12, 3);
    DrawBorder(d, Rect(0, 0, 12, 3), false, 0, md, TCacheInfo());
    for (int y = 0; y < 3; ++y) {
      EXPECT_EQ(d.Pixel(0, y), CoordPixel(0, y)) << mode << " " << y;
      EXPECT_EQ(d.Pixel(11, y), 0u) << mode << " " << y;
    }
    if (mode == 0) {
      // Top and bottom sides tile the 7 pixels 1..7 over columns 1..10.
      const int srcX[] = {1, 2, 3, 4, 5, 6, 7, 1, 2, 3};
      for (int x = 1; x < 11; ++x) {
        EXPECT_EQ(d.Pixel(x, 0), CoordPixel(srcX[x - 1], 0)) << x;
        EXPECT_EQ(d.Pixel(x, 2), CoordPixel(srcX[x - 1], 2)) << x;
        EXPECT_EQ(d.Pixel(x, 1), 0u) << x;  // no centre
      }
    }
  }
}

TEST(OversizeRecord, MaskedBorderOneRowTooTallKeepsItsMaskInside) {
  TacSkinModel model;
  model.MasterBitmap = Coords(4, 5, 200, 200);
  // Frames 3 high, mask rows 3..5 of which row 5 is missing: the bottom
  // pieces, whose mask would be read there, are left out.
  TsMaskData md = Record(model, Rect(0, 0, 4, 6), 1, 1, 1);
  md.DrawMode = dmDrawCentre;
  TBitmap32 d(4, 4);
  DrawBorder(d, Rect(0, 0, 4, 4), false, 0, md, TCacheInfo());
  EXPECT_EQ(d.Pixel(0, 0), 0x00002B29u);  // source (200, 200) under mask (200, 203)
  for (int x = 0; x < 4; ++x) EXPECT_EQ(d.Pixel(x, 3), 0u) << x;
}

// Stretched pieces past the picture keep the place and scale of the whole
// piece: only destination pixels whose source exists are painted.
TEST(OversizeRecord, StretchedPiecePastThePicture) {
  TBitmap32 pic = Coords(3, 4);
  TBitmap32 masked = pic;
  FillRect32(masked, Rect(0, 2, 3, 4), 0, 0);  // mask rows 2..3 of 0 show the image as it is
  struct {
    TRect s;
    int maskOffset;
    TRect painted;  // of 8 x 8 pixels, source = piece origin + destination / 2
  } cases[] = {{Rect(0, 0, 4, 4), 0, Rect(0, 0, 6, 8)},   // one column too wide
               {Rect(-1, 0, 3, 4), 0, Rect(2, 0, 8, 8)},  // one column left of the picture
               {Rect(0, 1, 4, 5), 0, Rect(0, 0, 6, 6)},   // one row too tall as well
               {Rect(0, 0, 4, 4), 2, Rect(0, 0, 6, 4)},   // masked: rows 2..3 have no mask rows
               {Rect(-1, -1, 3, 3), 2, Rect(2, 2, 8, 6)}};
  for (const auto& c : cases) {
    TBitmap32 d(8, 8);
    if (c.maskOffset)
      StretchMasked(0, 0, 8, 8, false, c.maskOffset, masked, c.s.Left, c.s.Top, c.s.Width(), c.s.Height(), d);
    else
      StretchCopy(d, Rect(0, 0, 8, 8), pic, c.s);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        const bool in = x >= c.painted.Left && x < c.painted.Right && y >= c.painted.Top && y < c.painted.Bottom;
        ASSERT_EQ(d.Pixel(x, y), in ? CoordPixel(c.s.Left + x / 2, c.s.Top + y / 2) : 0u)
            << c.s.Left << " " << c.s.Top << " " << c.maskOffset << " @" << x << "," << y;
      }
  }
  // A smoothly shrunk side one column too wide: 7 columns onto 4, of which 3 have pixels.
  TBitmap32 flat(6, 4);
  FillRect32(flat, Rect(0, 0, 6, 2), 0x336699, 0xFF);
  FillRect32(flat, Rect(0, 2, 6, 4), 0, 0);
  TBitmap32 d(4, 2);
  StretchMasked(0, 0, 4, 2, false, 2, flat, 0, 0, 7, 2, d);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(d.Pixel(x, y), x < 3 ? 0xFF996633u : 0u) << x;
  // Nothing exists of a piece wholly past the picture, or of one whose mask is.
  StretchMasked(0, 0, 4, 2, false, 2, flat, 6, 0, 2, 2, d);
  StretchMasked(0, 0, 4, 2, false, 4, flat, 0, 0, 2, 2, d);
  EXPECT_EQ(d.Pixel(3, 1), 0u);
}

TEST(OversizeRecord, GlyphAndTexturePastTheMaster) {
  TacSkinModel model;
  model.MasterBitmap = Coords(8, 3);
  // Three 3-pixel cells in 9 columns: the last cell has two.
  TsMaskData glyph = Record(model, Rect(0, 0, 9, 3), 3, 0, 0);
  TBitmap32 d(4, 3);
  DrawMaskImage(d, Point(0, 0), 2, TCacheInfo(), glyph, 1);
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(d.Pixel(0, y), CoordPixel(6, y));
    EXPECT_EQ(d.Pixel(1, y), CoordPixel(7, y));
    EXPECT_EQ(d.Pixel(2, y), 0u);
  }
  // A texture tiles the part of its rectangle that exists.
  TsMaskData texture = Record(model, Rect(5, 0, 9, 3), 1, 0, 0);
  TBitmap32 t(7, 3);
  TRect w = Rect(0, 0, 7, 3);
  TileTexture(t, w, texture, 0);
  EXPECT_EQ(w, NoRemainder);
  for (int x = 0; x < 7; ++x) EXPECT_EQ(t.Pixel(x, 1), CoordPixel(5 + x % 3, 1)) << x;
}

TEST(OversizeRecord, MissingMasterPaintsNothingAndLeavesTheAreaToTheColour) {
  TacSkinModel model;  // no master bitmap
  TsMaskData border = Record(model, Rect(15, 0, 25, 5), 2, 0, 1);
  border.DrawMode = dmDrawCentre;
  TBitmap32 d(10, 6);
  DrawBorder(d, Rect(0, 0, 10, 6), true, 1, border, TCacheInfo());
  DrawMaskImage(d, Point(0, 0), 0, TCacheInfo(), Record(model, Rect(0, 0, 10, 10), 1, 0, 0), 1);
  UpdateCornerPixels(d, border, 1, crAll, TCacheInfo());
  EXPECT_EQ(d, TBitmap32(10, 6));
  TRect w = Rect(0, 0, 10, 6);
  TileTexture(d, w, Record(model, Rect(293, 37, 323, 67), 1, 0, 0), 0);
  EXPECT_EQ(w, Rect(0, 0, 10, 6));
}

}  // namespace
