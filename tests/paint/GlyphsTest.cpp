// Glow blur and compositing, text passes, glyph strips, alpha images, arrows, cutting.
#include "PaintTestUtil.h"
#include "paint/sGlyphUtils.h"
#include "paint/sGraphUtils.h"
#include "skin/acSkinModel.h"

#include <gtest/gtest.h>

using namespace painttest;

TEST(PaintBlur, FlatStaysAndRadiusZeroKeeps) {
  for (int radius : {1, 3, 10, 150}) {
    TCoverage8 m(30, 20, 255);
    BlurMask8(m, radius);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x) ASSERT_EQ(m.At(x, y), 255) << radius;
  }
  TCoverage8 dot(9, 9, 255);
  dot.At(4, 4) = 0;
  TCoverage8 same = dot;
  BlurMask8(same, 0);
  BlurMask8(same, -4);
  EXPECT_EQ(same.At(4, 4), 0);
  BlurMask8(dot, 2);
  EXPECT_LT(dot.At(4, 4), 255);
  EXPECT_EQ(dot.At(3, 4), dot.At(5, 4));  // symmetric
  EXPECT_EQ(dot.At(4, 3), dot.At(3, 4));
  EXPECT_LT(dot.At(4, 4), dot.At(3, 4));
  TCoverage8 empty;
  BlurMask8(empty, 3);
  EXPECT_TRUE(TCoverage8(0, 5).Empty());
}

TEST(PaintGlow, MaskReusedAndColourApplied) {
  int renders = 0;
  auto render = [&](TCoverage8& m, const TRect& r) {
    ++renders;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) m.At(x, y) = 0;
  };
  TBitmap32 b(20, 20);
  b.Fill(0x00FFFFFF);
  TCoverage8 mask;
  // Size 0: no blur, the text at r + (1, 1) and its four one-pixel shifts.
  TextGlow(b, Rect(5, 5, 7, 7), mask, 0x0000FF, 0, gsAll, render);
  EXPECT_EQ(renders, 5);
  EXPECT_EQ(mask.Width(), 2 + 8);
  EXPECT_EQ(b.Pixel(6, 6), 0xFFFF0000u);  // v = 0: the glow colour, alpha 255
  EXPECT_EQ(b.Pixel(5, 6), 0xFFFF0000u);  // shifted left
  EXPECT_EQ(b.Pixel(5, 5), 0x00FFFFFFu);  // corners untouched (v = 255)
  TextGlow(b, Rect(9, 9, 11, 11), mask, 0x0000FF, 0, gsAll, render);
  EXPECT_EQ(renders, 5);  // same size: the mask is reused
  // Partial coverage: c = glow + (c - glow) x v div 255, alpha + (255 - alpha) x (255 - v) div 255.
  TCoverage8 half(10, 10, 255);
  half.At(4, 4) = 100;
  TBitmap32 c(8, 8);
  c.Fill(0x40C86432);
  TextGlow(c, Rect(0, 0, 2, 2), half, 0x000000, 0, 0, render);
  EXPECT_EQ(c.Pixel(1, 1), 0xB44E2713u);
  TextGlow(c, Rect(-50, -50, -48, -48), half, 0x000000, 0, 0, render);  // outside: nothing
}

TEST(PaintText, PassesOutlinesAndDisabled) {
  // The renderer marks pixel (0, 0) black and (1, 0) grey 0x80.
  auto render = [](const TPixelView& v, const TRect&) {
    v.At(0, 0) = 0;
    v.At(1, 0) = 0x808080;
  };
  TBitmap32 b(4, 3);
  b.Fill(0x00FFFFFF);
  WriteTextPass(b, Rect(1, 1, 4, 3), 0x0000FF, render);
  EXPECT_EQ(b.Pixel(1, 1), 0xFFFF0000u);
  // ((255 - colour) x 128 + colour x 256) >> 8 for each channel
  EXPECT_EQ(b.Pixel(2, 1), 0xFFFF7F7Fu);
  EXPECT_EQ(b.Pixel(3, 1), 0x00FFFFFFu);  // white: not covered
  WriteTextPass(b, Rect(3, 2, 6, 4), 0, render);  // partly outside: clipped
  EXPECT_EQ(b.Pixel(3, 2), 0xFF000000u);

  TacSkinModel model;
  model.gd.resize(1);
  TsGeneralData& gd = model.gd[0];
  gd.States = 2;
  gd.Props[1].FontColor = {0x0000FF, 0x00FF00, NoColor, NoColor, 0xFF0000};
  std::vector<TRect> passes;
  auto spy = [&](const TPixelView& v, const TRect&) { passes.push_back(Rect(0, 0, v.Width, v.Height)); v.At(0, 0) = 0; };
  TBitmap32 t(8, 8);
  WriteText32(t, true, &model, true, 0, Rect(2, 2, 5, 5), 0, spy);
  ASSERT_EQ(passes.size(), 3u);                // left, bottom, main
  EXPECT_EQ(t.Pixel(1, 2), 0xFF00FF00u);       // left outline at (-1, 0)
  EXPECT_EQ(t.Pixel(2, 3), 0xFF0000FFu);       // bottom outline at (0, +1)
  EXPECT_EQ(t.Pixel(2, 2), 0xFFFF0000u);       // main colour last
  passes.clear();
  WriteText32(t, false, &model, true, 0, Rect(2, 2, 5, 5), 0, spy);
  EXPECT_EQ(passes.size(), 1u);
  gd.States = 1;  // one state: Props[1] never used
  t.Fill(0);
  WriteText32(t, true, &model, true, 0, Rect(2, 2, 5, 5), 0, spy);
  EXPECT_EQ(t.Pixel(2, 2), 0xFF000000u);
  WriteText32(t, true, &model, true, 7, Rect(2, 2, 5, 5), 0x00FF00, spy);  // invalid section: font colour
  EXPECT_EQ(t.Pixel(2, 2), 0xFF00FF00u);
}

TEST(PaintGlyph, CellChoiceByState) {
  // Four 1 x 2 cells; each bottom pixel is magenta (the transparent colour).
  TBitmap32 strip = Bmp(4, 2, {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004,  //
                               0xFFFF00FF, 0xFFFF00FF, 0xFFFF00FF, 0xFFFF00FF});
  struct { int state, index, cells; bool enabled, fourBit; uint32_t want; } table[] = {
      {0, 0, 4, true, false, 1}, {1, 0, 4, true, false, 2}, {1, 0, 4, true, true, 1},
      {2, 0, 4, true, false, 3}, {2, 5, 4, true, false, 2}, {2, 5, 4, true, true, 1},
      {3, 0, 4, true, false, 4}, {3, 0, 3, true, false, 3}, {3, 0, 2, true, false, 1},
      {2, 0, 4, false, false, 1}};
  for (auto t : table) {
    TBitmap32 d(3, 3);
    TPixelView cells(strip.Bits(), t.cells, 2, 4);
    DrawGlyph(cells, t.fourBit, d, Rect(1, 1, 3, 3), t.index, 0, t.state, 0, t.enabled, t.cells);
    EXPECT_EQ(d.Pixel(1, 1), 0xFF000000u | t.want) << t.state << "/" << t.index << "/" << t.cells;
    EXPECT_EQ(d.Pixel(1, 2), 0u);  // transparent pixel skipped
  }
  TBitmap32 d(3, 3);
  DrawGlyph(strip, false, d, Rect(0, 0, 3, 3), 0, 0, 0, 0, true, 0);  // no cells: nothing
  DrawGlyph(strip, false, d, Rect(0, 0, 3, 3), 0, 0, 0, 0, true, 9);  // cells narrower than 1
  EXPECT_EQ(d.Pixel(0, 0), 0u);
}

TEST(PaintGlyph, SingleCellBlendAndDisabled) {
  TBitmap32 g = Bmp(1, 2, {0x00000064, KeyPixel});
  TBitmap32 d = Bmp(1, 2, {0xFF0000C8, 0xFF0000C8});
  DrawGlyph(g, false, d, Rect(0, 0, 1, 2), 0, 40, 0, 0, true, 1);  // 40 % of the destination stays
  EXPECT_EQ(d.Pixel(0, 0), 0xFF00008Cu);                            // round(100 - (100 - 200) x 0.4)
  EXPECT_EQ(d.Pixel(0, 1), 0xFF0000C8u);
  d.Fill(0xFF0000C8);
  DrawGlyph(g, false, d, Rect(0, 0, 1, 2), 0, 0, 0, dgGrayed, false, 1);
  EXPECT_EQ(d.Pixel(0, 0), 0xFF212121u);  // 100 div 3, copied opaque
  EXPECT_EQ(g.Pixel(0, 0), 0x00000064u);  // the caller's glyph is not changed
  d.Fill(0xFF0000C8);
  DrawGlyph(g, false, d, Rect(0, 0, 1, 2), 0, 0, 0, dgBlended, false, 1);
  EXPECT_EQ(d.Pixel(0, 0), 0xFF000096u);
}

TEST(PaintAlpha, DrawAlphaImageAndCopyAlpha32) {
  TBitmap32 src = Bmp(2, 1, {0x80FF0000, KeyPixel});
  TBitmap32 bg = Bmp(3, 1, {0, 0, 0xFF00FF00});
  TCacheInfo ci;
  ci.Ready = true;
  ci.Bmp = TPixelView(bg);
  ci.X = 1;
  // ((s - d) x a + d x 256) >> 8 with a = 128 x (100 - 50) div 100 = 64; alpha the larger.
  TBitmap32 d = Bmp(2, 1, {0x200000FF, 0x20000000});
  DrawAlphaImage(Rect(0, 0, 2, 1), Rect(0, 0, 2, 1), d, false, 50, NoTint, true, ci, src);
  EXPECT_EQ(d.Pixel(0, 0), 0x403F00BFu);
  EXPECT_EQ(d.Pixel(1, 0), 0xFF00FF00u);  // key: the background under it
  // Colouring: grey (255 div 3 = 85) times the colour's channel / 255.
  d = Bmp(1, 1, {0});
  TBitmap32 opaque = Bmp(1, 1, {0xFFFF0000});
  DrawAlphaImage(Rect(0, 0, 1, 1), Rect(0, 0, 1, 1), d, false, 0, 0x0080FF, false, TCacheInfo(), opaque);
  EXPECT_EQ(d.Pixel(0, 0), 0xFF542A00u);  // (85 x 255) >> 8 = 84; round(85 x 128 / 255) = 43, (43 x 255) >> 8 = 42
  // Negative destination origin shifts the source; reflection stays inside the target.
  TBitmap32 r(2, 4);
  TBitmap32 two = Bmp(2, 2, {1, 0xFF0000FF, 2, 0xFF00FF00});
  DrawAlphaImage(Rect(-1, 0, 1, 2), Rect(0, 0, 2, 2), r, true, 0, NoTint, false, TCacheInfo(), two);
  EXPECT_EQ(r.Pixel(0, 0), 0xFF0000FEu);
  EXPECT_NE(r.Pixel(0, 2), 0u);  // reflected lower row, fainter
  EXPECT_LT(r.Pixel(0, 2) >> 24, 0xFFu);
  EXPECT_EQ(r.Pixel(0, 3), 0u);  // at most half the height
  // CopyAlpha32: the alpha grows by a x (255 - alpha) div 255.
  d = Bmp(2, 1, {0x400000FF, 0x40000000});
  CopyAlpha32(Rect(0, 0, 2, 1), Rect(0, 0, 2, 1), d, false, TCacheInfo(), src);
  EXPECT_EQ(d.Pixel(0, 0), 0x9F7F007Fu);  // 64 + 128 x 191 div 255 = 159
  EXPECT_EQ(d.Pixel(1, 0), 0x40000000u);  // a = 0: colour kept ((0 x 0 + d x 256) >> 8)
  d = Bmp(2, 1, {0, 0});
  CopyAlpha32(Rect(0, 0, 2, 1), Rect(0, 0, 2, 1), d, true, ci, src);
  EXPECT_EQ(d.Pixel(1, 0), 0xFF00FF00u);
}

TEST(PaintSmall, TransparentCopyArrowAndCutText) {
  TBitmap32 src = Bmp(2, 1, {0x00102030, 0x7FFF00FF}), d(3, 1);
  CopyTransparent(d, src, 2, 0x00FF00FF, 0);  // compared on the colour bytes; clipped
  EXPECT_EQ(d.Pixel(2, 0), 0xFF102030u);
  CopyTransparent(d, src, 0, 0x00FF00FF, 0);
  EXPECT_EQ(d.Pixel(1, 0), 0u);

  // Down arrow in a 10 x 7 rectangle: rows of 8, 6, 4, 2 pixels from (1, 1).
  TBitmap32 a(10, 7);
  DrawArrow(a, 0x0000FF, Rect(0, 0, 10, 7), adDown);
  const char* down[] = {"..........", ".########.", "..######..", "...####...", "....##....", "..........", ".........."};
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(a.Pixel(x, y) == 0xFFFF0000u, down[y][x] == '#') << x << "," << y;
  // Right arrow in 7 x 9: columns of 7, 5, 3, 1 pixels from (2, 1).
  TBitmap32 ra(7, 9);
  DrawArrow(ra, 0x0000FF, Rect(0, 0, 7, 9), adRight);
  int heights[7] = {};
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 7; ++x) heights[x] += ra.Pixel(x, y) != 0;
  EXPECT_EQ(std::vector<int>(heights, heights + 7), (std::vector<int>{0, 0, 7, 5, 3, 1, 0}));
  EXPECT_EQ(ra.Pixel(2, 1), 0xFFFF0000u);
  TBitmap32 none(4, 4);
  DrawArrow(none, 0x0000FF, Rect(0, 0, 4, 4), 2);  // other directions: nothing
  DrawArrow(none, 0x0000FF, Rect(-20, -20, -10, -10), adDown);  // outside: clipped
  EXPECT_EQ(none.Pixel(0, 0), 0u);

  // Ten pixels per code point.
  auto width = [](const std::string& s) {
    int n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n * 10;
  };
  struct { const char* text; int max; const char* want; } cuts[] = {
      {"abcdef", 60, "abcdef"}, {"abcdef", 50, "ab..."}, {"abcdef", 0, ""}, {"abcdef", -3, ""},
      {"abcdef", 25, ""}, {"\xC3\xA4\xC3\xB6\xC3\xBC\xE2\x82\xACx", 45, "\xC3\xA4..."}, {"", 10, ""}};
  for (auto c : cuts) EXPECT_EQ(CutText(width, c.text, c.max), c.want) << c.text << " " << c.max;
}
