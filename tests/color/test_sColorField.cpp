// Hue/saturation field and brightness bar: picture, picks and ramp.
#include <gtest/gtest.h>

#include "colordialog/sColorField.h"

namespace {

constexpr TColor Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

TEST(ColorField, PictureRunsHueAcrossAndGreysDownwards) {
  TBitmap32 bmp;
  CreateExtBmp(bmp);
  ASSERT_EQ(bmp.Width(), 260);
  ASSERT_EQ(bmp.Height(), 260);
  EXPECT_EQ(PixelToColor(bmp.Pixel(0, 0)), Rgb(255, 0, 0));
  EXPECT_EQ(PixelToColor(bmp.Pixel(130, 0)), Rgb(0, 255, 255));
  EXPECT_EQ(PixelToColor(bmp.Pixel(0, 259)), Rgb(170, 170, 170));  // S 1/260, V 0.668
  EXPECT_EQ(bmp.Pixel(0, 0) >> 24, 0xFFu);
  TBitmap32 untouched(3, 3);
  CreateExtBmp(untouched, 0, 260);
  EXPECT_EQ(untouched.Width(), 3);
}

TEST(ColorField, PointToHueAndSaturationClampsIntoTheField) {
  struct Case { int x, y, h; double s; };
  const Case cases[] = {
      {259, 0, 359, 1.0},          // round(358.6)
      {130, 130, 180, 0.5},
      {13, 0, 18, 1.0},            // 13 * 360 / 260 = 18
      {-40, -3, 0, 1.0},           // dragged past the top-left
      {900, 900, 359, 1.0 - 259.0 / 260},  // past the bottom-right: S stays above 0
  };
  for (const Case& c : cases) {
    TFieldPick p = FieldPointToHs(c.x, c.y);
    EXPECT_EQ(p.H, c.h) << c.x << "," << c.y;
    EXPECT_DOUBLE_EQ(p.S, c.s) << c.x << "," << c.y;
  }
  EXPECT_EQ(FieldPointToHs(5, 5, 0, 0).H, 0);
}

TEST(ColorField, MarkerPositionUsesIntegerDivisionAndHalfToEven) {
  EXPECT_EQ(FieldMarkerPos(180, 0.5), Point(130, 130));
  EXPECT_EQ(FieldMarkerPos(359, 1.0), Point(259, 0));  // 259 * 360 div 360 - 1
  EXPECT_EQ(FieldMarkerPos(1, 1.0), Point(0, 0));      // 260 div 360
  EXPECT_EQ(FieldMarkerPos(0, 0.75, 260, 2), Point(0, 0));  // 0.5 -> 0
  EXPECT_EQ(FieldMarkerPos(0, 0.25, 260, 2), Point(0, 2));  // 1.5 -> 2
}

struct BarCase {
  TColor base;
  int row;
  TColor painted, picked;
};

TEST(BrightnessBar, PaintedAndPickedRows) {
  const BarCase cases[] = {
      {Rgb(255, 100, 0), 0, Rgb(255, 254, 253), Rgb(255, 255, 253)},
      {Rgb(255, 100, 0), 128, Rgb(255, 101, 2), Rgb(255, 101, 0)},
      {Rgb(255, 100, 0), 129, Rgb(253, 100, 2), Rgb(253, 100, 2)},  // second half is not snapped
      {Rgb(255, 100, 0), 258, Rgb(0, 0, 0), Rgb(0, 0, 0)},
      {Rgb(255, 100, 0), 259, Rgb(0, 0, 0), Rgb(0, 0, 0)},
      {Rgb(255, 0, 0), 0, Rgb(255, 253, 253), Rgb(255, 253, 253)},
      {Rgb(255, 0, 0), 128, Rgb(255, 2, 2), Rgb(255, 0, 0)},
      {Rgb(255, 255, 255), 0, Rgb(255, 255, 255), Rgb(255, 255, 255)},
  };
  for (const BarCase& c : cases) {
    TColor rows[BarHeight];
    BarRampColors(c.base, BarHeight, rows);
    EXPECT_EQ(rows[c.row], c.painted) << std::hex << c.base << " row " << std::dec << c.row;
    EXPECT_EQ(GradToColor(c.base, c.row), c.picked) << std::hex << c.base << " row " << std::dec << c.row;
  }
}

TEST(BrightnessBar, RowsOutsideTheBarPickWhite) {
  EXPECT_EQ(GradToColor(Rgb(255, 0, 0), -1), clWhite);
  EXPECT_EQ(GradToColor(Rgb(255, 0, 0), 260), clWhite);
  EXPECT_EQ(GradToColor(Rgb(0, 0, 0), -3), clWhite);
}

TEST(BrightnessBar, PaintFillsEveryColumnOfARow) {
  TBitmap32 bar(BarWidth, BarHeight);
  PaintBarRamp(bar, Rgb(255, 0, 0));
  for (int x = 0; x < BarWidth; ++x) {
    EXPECT_EQ(bar.Pixel(x, 0), ColorToPixel(Rgb(255, 253, 253)));
    EXPECT_EQ(bar.Pixel(x, 128), ColorToPixel(Rgb(255, 2, 2)));
    EXPECT_EQ(bar.Pixel(x, 259), ColorToPixel(0));
  }
}

TEST(BrightnessBar, ColorToRowIsTheFirstRowWithinTwo) {
  struct Case { TColor base, color; int row; };
  const Case cases[] = {
      {Rgb(255, 0, 0), Rgb(255, 2, 2), 127},        // row 127 runs at 3.92, already within 2
      {Rgb(255, 0, 0), Rgb(0, 0, 0), 257},          // second half steps from the base colour
      {Rgb(251, 255, 255), Rgb(60, 61, 61), 226},
      {Rgb(255, 0, 0), Rgb(0, 255, 0), 0},          // not on the bar
      {Rgb(255, 0, 0), Rgb(255, 255, 255), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(GetColorCoord(c.base, c.color), c.row) << std::hex << c.color;
}

TEST(BrightnessBar, PressAndDragRowsAreClampedIntoTheBar) {
  EXPECT_EQ(ClampBarRow(-3), 0);
  EXPECT_EQ(ClampBarRow(0), 0);
  EXPECT_EQ(ClampBarRow(259), 259);
  EXPECT_EQ(ClampBarRow(1000), 259);
}

TEST(BrightnessBar, ArrowHasTwentyFivePixelsPointingLeft) {
  TBitmap32 bmp(10, 20);
  DrawMarkerArrow(bmp, Point(0, 10), 1);
  int count = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 10; ++x) count += bmp.Pixel(x, y) == 1;
  EXPECT_EQ(count, 25);
  EXPECT_EQ(bmp.Pixel(0, 10), 0u);
  EXPECT_EQ(bmp.Pixel(1, 10), 1u);  // tip
  EXPECT_EQ(bmp.Pixel(2, 9), 1u);
  EXPECT_EQ(bmp.Pixel(1, 9), 0u);
  EXPECT_EQ(bmp.Pixel(5, 6), 1u);
  EXPECT_EQ(bmp.Pixel(5, 5), 0u);
  EXPECT_EQ(bmp.Pixel(5, 14), 1u);
  EXPECT_EQ(bmp.Pixel(6, 10), 0u);
  TBitmap32 corner(10, 10);
  DrawMarkerArrow(corner, Point(-3, 1), 1);  // clipped, never written outside
  count = 0;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) count += corner.Pixel(x, y) == 1;
  EXPECT_EQ(count, 15);
  EXPECT_EQ(corner.Pixel(2, 5), 1u);
  EXPECT_EQ(corner.Pixel(3, 1), 0u);
}

TEST(BrightnessBar, ArrowColumnForwardsOnlyBesideTheBar) {
  EXPECT_EQ(MarkerRect(541), Rect(522, 0, 541, 272));
  TPoint p;
  EXPECT_FALSE(MarkerColumnToBar(Point(530, 5), 541, p));  // Y - bar top = -3
  ASSERT_TRUE(MarkerColumnToBar(Point(530, 8), 541, p));
  EXPECT_EQ(p, Point(8, 0));
  ASSERT_TRUE(MarkerColumnToBar(Point(522, 267), 541, p));
  EXPECT_EQ(p, Point(0, 259));
  EXPECT_FALSE(MarkerColumnToBar(Point(530, 268), 541, p));
  EXPECT_FALSE(MarkerColumnToBar(Point(521, 100), 541, p));  // the bar itself
}

}  // namespace
