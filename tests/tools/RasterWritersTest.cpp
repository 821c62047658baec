// The tool's raster helper and its PNG and OS/2 BMP writers, checked
// against the project's own decoders.
#include <gtest/gtest.h>

#include "skin/acBmp.h"
#include "skin/acPNG.h"
#include "tools/ImageWriters.h"
#include "tools/SkinRaster.h"

namespace {

uint32_t ReadLE32(const TBytes& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint32_t ReadBE32(const TBytes& b, size_t at) {
  return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | uint32_t(b[at + 3]);
}

TBitmap32 Sample(int w, int h) {
  TBitmap32 bmp(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bmp.SetPixel(x, y, Argb(uint8_t(x * 40 + y), uint8_t(x * 17), uint8_t(y * 29), uint8_t(x ^ y)));
  return bmp;
}

}  // namespace

// ---- raster

TEST(SkinRaster, IntegerRectangleHasHardEdges) {
  TBitmap32 bmp(6, 6);
  FillRoundRect(bmp, 1, 2, 5, 4, 0, Rgb(10, 20, 30));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) {
      bool inside = x >= 1 && x < 5 && y >= 2 && y < 4;
      EXPECT_EQ(bmp.Pixel(x, y), inside ? Rgb(10, 20, 30) : 0u) << x << "," << y;
    }
}

TEST(SkinRaster, StrokeIsOnePixelInsideTheEdge) {
  TBitmap32 bmp(5, 5);
  StrokeRoundRect(bmp, 0, 0, 5, 5, 0, 1, Rgb(1, 2, 3));
  EXPECT_EQ(bmp.Pixel(0, 0), Rgb(1, 2, 3));
  EXPECT_EQ(bmp.Pixel(4, 2), Rgb(1, 2, 3));
  EXPECT_EQ(bmp.Pixel(2, 4), Rgb(1, 2, 3));
  EXPECT_EQ(bmp.Pixel(1, 1), 0u);
  EXPECT_EQ(bmp.Pixel(2, 2), 0u);
}

TEST(SkinRaster, RoundedCornerIsSoft) {
  TBitmap32 bmp(8, 8);
  FillRoundRect(bmp, 0, 0, 8, 8, 3, Rgb(255, 255, 255));
  uint8_t cornerAlpha = uint8_t(bmp.Pixel(0, 0) >> 24);
  EXPECT_LT(cornerAlpha, 40);
  EXPECT_EQ(bmp.Pixel(4, 4) >> 24, 255u);
  EXPECT_EQ(bmp.Pixel(4, 0) >> 24, 255u);  // straight edge away from the corner
}

TEST(SkinRaster, BlendPixelIsSourceOverWithStraightAlpha) {
  TBitmap32 bmp(2, 1);
  BlendPixel(bmp, 0, 0, Rgb(200, 100, 50), 0.5);
  EXPECT_EQ(bmp.Pixel(0, 0), Argb(128, 200, 100, 50));  // colour kept, alpha halved
  bmp.SetPixel(1, 0, Rgb(0, 0, 0));
  BlendPixel(bmp, 1, 0, Rgb(200, 100, 50), 0.5);
  EXPECT_EQ(bmp.Pixel(1, 0), Argb(255, 100, 50, 25));
  BlendPixel(bmp, 5, 5, Rgb(1, 1, 1), 1);  // outside: ignored
}

TEST(SkinRaster, FlattenKeysFaintPixelsAndComposesTheRest) {
  TBitmap32 bmp(3, 1);
  bmp.SetPixel(0, 0, Argb(47, 255, 0, 0));
  bmp.SetPixel(1, 0, Argb(128, 255, 0, 0));
  bmp.SetPixel(2, 0, Rgb(1, 2, 3));
  FlattenKeyed(bmp, Rgb(0, 0, 255), 48);
  EXPECT_EQ(bmp.Pixel(0, 0), 0u);
  EXPECT_EQ(bmp.Pixel(1, 0), Rgb(128, 0, 127));
  EXPECT_EQ(bmp.Pixel(2, 0), Rgb(1, 2, 3));
}

TEST(SkinRaster, PutMaskedWritesColourAndInvertedAlpha) {
  TBitmap32 src(2, 1), dst(2, 2);
  src.SetPixel(0, 0, Argb(0, 9, 9, 9));
  src.SetPixel(1, 0, Argb(200, 10, 20, 30));
  PutMasked(dst, 0, 0, 1, src);
  EXPECT_EQ(dst.Pixel(0, 0), 0u);  // key
  EXPECT_EQ(dst.Pixel(0, 1), Rgb(255, 255, 255));
  EXPECT_EQ(dst.Pixel(1, 0), Rgb(10, 20, 30));
  EXPECT_EQ(dst.Pixel(1, 1), Rgb(55, 55, 55));
}

TEST(SkinRaster, PolylineJointIsNotPaintedTwice) {
  TBitmap32 bmp(12, 12);
  StrokePolyline(bmp, {{2, 6}, {6, 6}, {6, 2}}, 2, Argb(128, 0, 0, 0));
  EXPECT_EQ(bmp.Pixel(5, 5) >> 24, 128u);  // at the joint: coverage 1, alpha once
}

TEST(SkinRaster, MixPixels) {
  EXPECT_EQ(MixPixels(Rgb(0, 0, 0), Rgb(255, 100, 10), 0.5), Argb(255, 128, 50, 5));
  EXPECT_EQ(WithOpacity(Rgb(1, 2, 3), 0.5), Argb(128, 1, 2, 3));
}

// ---- PNG

TEST(PngWriter, HeaderIsEightBitRgbaWithoutExtraChunks) {
  TBytes png = EncodePng(Sample(5, 3));
  ASSERT_GT(png.size(), 33u);
  EXPECT_EQ(TBytes(png.begin(), png.begin() + 8), (TBytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
  EXPECT_EQ(ReadBE32(png, 8), 13u);
  EXPECT_EQ(String(png.begin() + 12, png.begin() + 16), "IHDR");
  EXPECT_EQ(ReadBE32(png, 16), 5u);
  EXPECT_EQ(ReadBE32(png, 20), 3u);
  EXPECT_EQ(png[24], 8);  // bit depth
  EXPECT_EQ(png[25], 6);  // RGBA
  EXPECT_EQ(png[28], 0);  // not interlaced
  EXPECT_EQ(String(png.end() - 8, png.end() - 4), "IEND");
}

TEST(PngWriter, RoundTripsThroughTheSkinReader) {
  TBitmap32 bmp = Sample(37, 11);
  TBytes png = EncodePng(bmp);
  TPNGGraphic reader;
  reader.LoadFromBytes(png.data(), png.size());
  ASSERT_EQ(reader.Width(), 37);
  ASSERT_EQ(reader.Height(), 11);
  EXPECT_EQ(reader.ColorType(), TPNGGraphic::ctRGBA);
  EXPECT_TRUE(reader.Bitmap() == bmp);
}

TEST(PngWriter, SameBytesEveryTime) { EXPECT_EQ(EncodePng(Sample(20, 20)), EncodePng(Sample(20, 20))); }

TEST(PngWriter, EmptyPictureIsRefused) { EXPECT_THROW(EncodePng(TBitmap32()), EInvalidArgument); }

// ---- BMP

TEST(BmpWriter, CoreHeaderAt24BitsWithPaddedRows) {
  TBytes bmp = EncodeOs2Bmp(Sample(5, 3));
  const uint32_t stride = 16;  // 15 bytes of pixels padded to 16
  ASSERT_EQ(bmp.size(), 26u + stride * 3);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(ReadLE32(bmp, 2), bmp.size());
  EXPECT_EQ(ReadLE32(bmp, 10), 26u);
  EXPECT_EQ(ReadLE32(bmp, 14), 12u);  // OS/2 1.x core header
  EXPECT_EQ(bmp[18] | bmp[19] << 8, 5);
  EXPECT_EQ(bmp[20] | bmp[21] << 8, 3);
  EXPECT_EQ(bmp[22] | bmp[23] << 8, 1);
  EXPECT_EQ(bmp[24] | bmp[25] << 8, 24);
}

TEST(BmpWriter, TransparentPixelsBecomeFuchsiaAndRoundTrip) {
  TBitmap32 src(3, 2);
  src.SetPixel(0, 0, Rgb(1, 2, 3));
  src.SetPixel(1, 0, Argb(0, 7, 7, 7));
  src.SetPixel(2, 1, Rgb(250, 0, 250));
  TBytes bytes = EncodeOs2Bmp(src);
  TBitmap32 back;
  LoadBmp(bytes.data(), bytes.size(), back);
  ASSERT_EQ(back.Width(), 3);
  ASSERT_EQ(back.Height(), 2);
  EXPECT_EQ(back.PixelFormat, TPixelFormat::pf24bit);
  EXPECT_EQ(back.Pixel(0, 0) & 0xFFFFFF, 0x010203u);
  EXPECT_EQ(back.Pixel(1, 0) & 0xFFFFFF, 0xFF00FFu);
  EXPECT_EQ(back.Pixel(2, 1) & 0xFFFFFF, 0xFA00FAu);
  EXPECT_EQ(back.Pixel(0, 1) & 0xFFFFFF, 0xFF00FFu);  // never painted
}

TEST(BmpWriter, RefusesSizesTheHeaderCannotHold) {
  EXPECT_THROW(EncodeOs2Bmp(TBitmap32()), EInvalidArgument);
}
