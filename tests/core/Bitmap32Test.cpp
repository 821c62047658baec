#include "framework/core/Bitmap32.h"
#include "framework/core/SysUtils.h"

#include <gtest/gtest.h>

TEST(Bitmap32, SizeIsCheckedAndZeroFilled) {
  TBitmap32 b(3, 2);
  EXPECT_EQ(3, b.Width());
  EXPECT_EQ(0u, b.Pixel(2, 1));
  EXPECT_THROW(b.SetSize(-1, 5), EInvalidArgument);
  EXPECT_THROW(b.SetSize(16385, 1), EInvalidArgument);
  b.SetSize(0, 7);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(0, b.Height());
}

TEST(Bitmap32, CopyRectClipsOnBothSides) {
  TBitmap32 src(4, 4), dst(3, 3);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) src.SetPixel(x, y, uint32_t(y * 10 + x));
  dst.Fill(0xFFFFFFFF);
  // Source rectangle hangs off the top-left of src, destination off dst's right.
  dst.CopyRect(1, 0, src, Rect(-1, -1, 3, 3));
  // (1,0) gets what would have been src(-1,-1): clipped; src(0,0) lands at (2,1).
  EXPECT_EQ(0xFFFFFFFFu, dst.Pixel(1, 0));
  EXPECT_EQ(0xFFFFFFFFu, dst.Pixel(2, 0));
  EXPECT_EQ(0u, dst.Pixel(2, 1));
  EXPECT_EQ(10u, dst.Pixel(2, 2));
  EXPECT_EQ(0xFFFFFFFFu, dst.Pixel(0, 2));
  dst.CopyRect(0, 0, src, Rect(5, 5, 9, 9));  // nothing to copy
  EXPECT_EQ(10u, dst.Pixel(2, 2));
}

TEST(Bitmap32, ColourAndPixelOrders) {
  EXPECT_EQ(0xFF3C3D3Eu, ColorToPixel(RGBColor(0x3C, 0x3D, 0x3E)));
  EXPECT_EQ(0x00123456u, ColorToPixel(0x563412, 0));
  EXPECT_EQ(RGBColor(1, 2, 3), PixelToColor(0x80010203));
}
