// Section backgrounds over what lies behind the item, and whole sections by index.
#include "PaintTestUtil.h"
#include "paint/sGraphUtils.h"
#include "paint/sMaskDraw.h"
#include "paint/sSkinPaint.h"

#include <gtest/gtest.h>

using namespace painttest;

namespace {

// One section "EDIT" with two states; the tests set what they need.
struct TModel : TacSkinModel {
  TModel() {
    gd.resize(1);
    gd[0].ClassName = "EDIT";
    gd[0].States = 2;
    gd[0].Props[0].Color = 0x0000C8;  // red 200
    gd[0].Props[1].Color = 0x00C800;  // green 200
  }
  TsGenState& P(int s) { return gd[0].Props[size_t(s)]; }
  int AddMask(TRect r, int count, int type, int drawMode) {
    TsMaskData md;
    md.Manager = this;
    md.R = r;
    md.ImageCount = int16_t(count);
    md.MaskType = int16_t(type);
    md.DrawMode = int16_t(drawMode);
    ma.push_back(std::move(md));
    return int(ma.size()) - 1;
  }
};

TCacheInfo Colour(TColor c) {
  TCacheInfo ci;
  ci.FillColor = c;
  return ci;
}

void Paint(TModel& m, TBitmap32& b, const TCacheInfo& ci, int state = 0, TPoint pos = Point(0, 0)) {
  PaintSectionBG(0, "EDIT", ci, state, Rect(0, 0, b.Width(), b.Height()), pos, b, &m, -1, -1);
}

}  // namespace

TEST(PaintSectionBG, TransparencyOverTheBackground) {
  TModel m;
  TBitmap32 parent = Coords(20, 20);
  TCacheInfo ready;
  ready.Ready = true;
  ready.Bmp = TPixelView(parent);
  ready.X = 2, ready.Y = 3;
  // 100 %: a byte-exact copy of the parent's pixels under the item.
  m.P(0).Transparency = 100;
  TBitmap32 b(5, 4);
  Paint(m, b, ready, 0, Point(1, 1));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) ASSERT_EQ(b.Pixel(x, y), parent.Pixel(x + 3, y + 4));
  // 50 % over a plain colour: MixColors(parent, C, 0.5).
  m.P(0).Transparency = 50;
  Paint(m, b, Colour(0x000064));
  EXPECT_EQ(b.Pixel(4, 3), 0xFF960000u);  // red (100 + 200) / 2
  // 50 % over a bitmap: (128 x (parent - own) + own x 256) >> 8 per channel.
  Paint(m, b, ready, 0, Point(1, 1));
  for (int c = 0; c < 3; ++c) {
    const int own = c == 2 ? 200 : 0, behind = Ch(parent.Pixel(4, 4), c);
    EXPECT_EQ(Ch(b.Pixel(1, 0), c), (128 * (behind - own) + own * 256) >> 8) << c;
  }
  // 100 % over a colour with the parent's border band still showing on the left.
  m.P(0).Transparency = 100;
  TCacheInfo band = Colour(0x00FF00);
  band.Bmp = TPixelView(parent);
  band.FillRect = Rect(3, 0, 0, 0);
  Paint(m, b, band, 0, Point(1, 1));
  EXPECT_EQ(b.Pixel(1, 2), parent.Pixel(2, 3));  // strip of width 3 - 1
  EXPECT_EQ(b.Pixel(2, 2), 0xFF00FF00u);
}

TEST(PaintSectionBG, LayersOfColourGradientAndTexture) {
  TModel m;
  TBitmap32 b(4, 5);
  // Gradient 60 %, image 0: 40 % of the colour over a black gradient.
  m.P(0).Color = 0xFFFFFF;
  m.P(0).GradientPercent = 60;
  ParseGradientData("0;0;100;0;0", m.P(0).GradientArray);
  Paint(m, b, TCacheInfo());
  EXPECT_EQ(b.Pixel(0, 4), 0xFF666666u);  // round(255 x 0.4) = 102
  // A gradient without pieces paints the colour.
  m.P(0).GradientArray.clear();
  Paint(m, b, TCacheInfo());
  EXPECT_EQ(b.Pixel(3, 2), 0xFFFFFFFFu);
  // A tile of type 2 on an item taller than the tile: the colour below the top row.
  m.MasterBitmap = Coords(2, 2);
  m.P(0).GradientPercent = 0;
  m.P(0).ImagePercent = 100;
  m.P(0).TextureIndex = m.AddMask(Rect(0, 0, 2, 2), 1, 0, 2);
  Paint(m, b, TCacheInfo());
  EXPECT_EQ(b.Pixel(3, 1), CoordPixel(1, 1));
  for (int y = 2; y < 5; ++y) EXPECT_EQ(b.Pixel(0, y), 0xFFFFFFFFu) << y;
  // Gradient 50 % + image 50 % with a plain tiling texture: one pass.
  m.P(0).GradientPercent = 50;
  m.P(0).ImagePercent = 50;
  m.ma[0].DrawMode = 0;
  m.MasterBitmap.Fill(0xFFFFFFFF);
  ParseGradientData("0;0;100;0;0", m.P(0).GradientArray);
  Paint(m, b, TCacheInfo());
  EXPECT_EQ(b.Pixel(1, 3), 0xFF7E7E7Eu);  // white texture weighted 50 x 255 div 100 = 127 over black
}

TEST(PaintSectionBG, StatesAndCustomColour) {
  TModel m;
  m.gd[0].States = 3;
  TBitmap32 b(2, 2);
  Paint(m, b, TCacheInfo(), 2);  // state 2 of 3 paints with the hot state
  EXPECT_EQ(b.Pixel(0, 0), 0xFF00C800u);
  m.gd[0].States = 1;  // one state: the hot state is never used
  Paint(m, b, TCacheInfo(), 1);
  EXPECT_EQ(b.Pixel(0, 0), 0xFFC80000u);
  m.gd[0].States = 0;  // no states: state 0, never Props[-1]
  Paint(m, b, TCacheInfo(), 5);
  EXPECT_EQ(b.Pixel(1, 1), 0xFFC80000u);
  m.P(0).Transparency = 100;  // a custom colour is opaque whatever the section says
  PaintSectionBG(0, "EDIT", Colour(0), 0, Rect(0, 0, 2, 2), Point(0, 0), b, &m, -1, -1, 0x123456);
  EXPECT_EQ(b.Pixel(1, 0), 0xFF563412u);
  b.Fill(7);
  PaintSectionBG(3, "EDIT", TCacheInfo(), 0, Rect(0, 0, 2, 2), Point(0, 0), b, &m, -1, -1);
  PaintSectionBG(0, "EDIT", TCacheInfo(), 0, Rect(0, 0, 2, 2), Point(0, 0), b, nullptr, -1, -1);
  EXPECT_EQ(b.Pixel(0, 0), 7u);
}

TEST(PaintSectionByIndex, BorderCornersAndFit) {
  TModel m;
  m.MasterBitmap = Coords(6, 3);
  // A 3 x 3 border of two cells drawn only when hot, and a 1 x 1 corner image.
  m.gd[0].BorderIndex = m.AddMask(Rect(0, 0, 6, 3), 2, 0, dmHotOnly);
  m.ma[0].WL = m.ma[0].WT = m.ma[0].WR = m.ma[0].WB = 1;
  m.gd[0].ImgBR = m.AddMask(Rect(1, 1, 2, 2), 1, 0, 0);
  TBitmap32 b(5, 4);
  PaintSectionByIndex(0, "EDIT", TCacheInfo(), 0, Rect(0, 0, 5, 4), Point(0, 0), b, &m);
  EXPECT_EQ(b.Pixel(0, 0), 0xFFC80000u);      // no border in state 0
  EXPECT_EQ(b.Pixel(4, 3), CoordPixel(1, 1));  // the corner image
  PaintSectionByIndex(0, "EDIT", TCacheInfo(), 1, Rect(0, 0, 5, 4), Point(0, 0), b, &m);
  EXPECT_EQ(b.Pixel(0, 0), CoordPixel(3, 0));  // the hot cell's corner
  b.Fill(7);
  PaintSectionByIndex(0, "EDIT", TCacheInfo(), 1, Rect(0, 0, 6, 4), Point(0, 0), b, &m);  // wider than the bitmap
  PaintSectionByIndex(0, "EDIT", TCacheInfo(), 1, Rect(-1, 0, 4, 4), Point(0, 0), b, &m);
  EXPECT_EQ(b.Pixel(2, 2), 7u);
}

TEST(PaintSectionWithBorder, RecordFieldsTextureAndBlendWeight) {
  TModel m;
  TsGeneralData& gd = m.gd[0];
  gd.Color = 0x0000C8, gd.HotColor = 0x00C800;
  TBitmap32 b(4, 4), parent(10, 10);
  parent.Fill(0xFF000000);
  TCacheInfo ready;
  ready.Ready = true;
  ready.Bmp = TPixelView(parent);
  PaintSectionWithBorder(0, -1, -1, &m, b, Point(0, 0), Rect(0, 0, 4, 4), 1, TCacheInfo(), "EDIT", -1);
  EXPECT_EQ(b.Pixel(0, 0), 0xFF00C800u);  // hot fields in state 1
  // 50 % over a ready background weighs 50 x 255 div 100 = 127 (not 128).
  gd.Transparency = 50;
  gd.Color = 0x0000FF;
  PaintSectionWithBorder(0, -1, -1, &m, b, Point(0, 0), Rect(0, 0, 4, 4), 0, ready, "EDIT", -1);
  EXPECT_EQ(b.Pixel(3, 3), 0xFF800000u);  // (127 x (0 - 255) + 255 x 256) >> 8 = 128; weight 128 would give 127
  // 100 % without a ready background: the fill colour, unmixed.
  gd.Transparency = 100;
  PaintSectionWithBorder(0, -1, -1, &m, b, Point(0, 0), Rect(0, 0, 4, 4), 0, Colour(0x00FF00), "EDIT", -1);
  EXPECT_EQ(b.Pixel(1, 1), 0xFF00FF00u);
  // The caller's texture in state 0, and the border mask over it.
  gd.Transparency = 0;
  gd.ImagePercent = 100;
  m.MasterBitmap = Coords(3, 3);
  const int tex = m.AddMask(Rect(1, 1, 2, 2), 1, 0, 0);
  const int border = m.AddMask(Rect(0, 0, 3, 3), 1, 0, 0);
  m.ma[size_t(border)].WL = m.ma[size_t(border)].WT = m.ma[size_t(border)].WR = m.ma[size_t(border)].WB = 1;
  PaintSectionWithBorder(0, border, tex, &m, b, Point(0, 0), Rect(0, 0, 4, 4), 0, TCacheInfo(), "EDIT", -1);
  EXPECT_EQ(b.Pixel(1, 1), CoordPixel(1, 1));  // texture (also the border's centre colour)
  EXPECT_EQ(b.Pixel(0, 0), CoordPixel(0, 0));  // border corner
  EXPECT_EQ(b.Pixel(3, 2), CoordPixel(2, 1));  // right side
  b.Fill(7);
  PaintSectionWithBorder(0, border, tex, &m, b, Point(0, 0), Rect(0, 0, 5, 4), 0, TCacheInfo(), "EDIT", -1);
  EXPECT_EQ(b.Pixel(1, 1), 7u);  // not inside the bitmap: nothing
}
