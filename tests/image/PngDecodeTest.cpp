// TPNGGraphic on hand-built files: outputs per colour type, transparency,
// gamma, filters, interlacing, chunk rules and every kind of bad input.
#include "ImageTestUtil.h"
#include "skin/acPNG.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using namespace imgtest;

TPNGGraphic Decode(const TBytes& file) {
  TPNGGraphic png;
  png.LoadFromBytes(file.data(), file.size());
  return png;
}

String ErrorOf(const TBytes& file) {
  try {
    Decode(file);
  } catch (const EPNGError& e) {
    return e.Message();
  }
  return "accepted";
}

// A 2 x 1 RGBA picture, the simplest complete file.
TBytes SmallRgba() {
  return TPngWriter().Header(2, 1, 8, 6).Image(Rows({{50, 100, 200, 128, 1, 2, 3, 255}})).End().Data;
}

// --- Pixel output ---------------------------------------------------------

TEST(PngOutput, RgbaGivesStraightBgraAnd32Bits) {
  TPNGGraphic png = Decode(SmallRgba());
  ASSERT_EQ(png.Width(), 2);
  ASSERT_EQ(png.Height(), 1);
  EXPECT_EQ(png.Bitmap().Pixel(0, 0), 0x803264C8u);  // alpha 128, red 50, green 100, blue 200
  EXPECT_EQ(png.Bitmap().Pixel(1, 0), 0xFF010203u);
  EXPECT_EQ(png.Bitmap().PixelFormat, TPixelFormat::pf32bit);
  EXPECT_TRUE(png.HasTransparency());
  EXPECT_EQ(png.ColorType(), TPNGGraphic::ctRGBA);
}

TEST(PngOutput, RgbIsOpaqueAnd24Bits) {
  TPNGGraphic png = Decode(TPngWriter().Header(1, 2, 8, 2).Image(Rows({{9, 8, 7}, {255, 0, 128}})).End().Data);
  EXPECT_EQ(png.Bitmap().Pixel(0, 0), 0xFF090807u);
  EXPECT_EQ(png.Bitmap().Pixel(0, 1), 0xFFFF0080u);
  EXPECT_EQ(png.Bitmap().PixelFormat, TPixelFormat::pf24bit);
  EXPECT_FALSE(png.HasTransparency());
}

TEST(PngOutput, SixteenBitSamplesKeepTheirHighByte) {
  TPNGGraphic png = Decode(
      TPngWriter().Header(1, 1, 16, 6).Image(Rows({{0x12, 0xFF, 0x34, 0x00, 0x56, 0x80, 0x7F, 0xFF}})).End().Data);
  EXPECT_EQ(png.Bitmap().Pixel(0, 0), 0x7F123456u);
}

TEST(PngOutput, LowGreyDepthsSpanTheFullRange) {
  // 2-bit grey, samples 0, 1, 2, 3.
  TPNGGraphic g2 = Decode(TPngWriter().Header(4, 1, 2, 0).Image(Rows({{0x1B}})).End().Data);
  EXPECT_EQ(g2.Bitmap().Pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(g2.Bitmap().Pixel(1, 0), 0xFF555555u);
  EXPECT_EQ(g2.Bitmap().Pixel(2, 0), 0xFFAAAAAAu);
  EXPECT_EQ(g2.Bitmap().Pixel(3, 0), 0xFFFFFFFFu);
  EXPECT_EQ(g2.Bitmap().PixelFormat, TPixelFormat::pf4bit);
  // 1-bit grey, 10 pixels: the second byte's unused bits are ignored.
  TPNGGraphic g1 = Decode(TPngWriter().Header(10, 1, 1, 0).Image(Rows({{0xA0, 0x7F}})).End().Data);
  EXPECT_EQ(g1.Bitmap().Pixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(g1.Bitmap().Pixel(1, 0), 0xFF000000u);
  EXPECT_EQ(g1.Bitmap().Pixel(8, 0), 0xFF000000u);
  EXPECT_EQ(g1.Bitmap().Pixel(9, 0), 0xFFFFFFFFu);
  EXPECT_EQ(g1.Bitmap().PixelFormat, TPixelFormat::pf1bit);
  // 4-bit grey.
  TPNGGraphic g4 = Decode(TPngWriter().Header(2, 1, 4, 0).Image(Rows({{0x1E}})).End().Data);
  EXPECT_EQ(g4.Bitmap().Pixel(0, 0), 0xFF111111u);
  EXPECT_EQ(g4.Bitmap().Pixel(1, 0), 0xFFEEEEEEu);
}

TEST(PngOutput, GreyWithAlphaKeepsAlphaInPixelsButReportsAnIndexedSource) {
  TPNGGraphic png = Decode(TPngWriter().Header(1, 1, 8, 4).Image(Rows({{0x40, 0x20}})).End().Data);
  EXPECT_EQ(png.Bitmap().Pixel(0, 0), 0x20404040u);
  EXPECT_EQ(png.Bitmap().PixelFormat, TPixelFormat::pf8bit);
  EXPECT_TRUE(png.HasTransparency());
}

// --- Palettes and transparency ------------------------------------------

TEST(PngPalette, IndexesMapThroughThePaletteAndTrnsGivesAlphaToTheFirstEntries) {
  TBytes plte = {255, 0, 0, 0, 255, 0, 0, 0, 255};
  TPNGGraphic png = Decode(TPngWriter()
                               .Header(3, 1, 8, 3)
                               .Chunk("PLTE", plte)
                               .Chunk("tRNS", {0x10})
                               .Image(Rows({{0, 1, 2}}))
                               .End()
                               .Data);
  EXPECT_EQ(png.Bitmap().Pixel(0, 0), 0x10FF0000u);
  EXPECT_EQ(png.Bitmap().Pixel(1, 0), 0xFF00FF00u);  // not listed in tRNS: opaque
  EXPECT_EQ(png.Bitmap().Pixel(2, 0), 0xFF0000FFu);
  EXPECT_EQ(png.Bitmap().PixelFormat, TPixelFormat::pf8bit);
  EXPECT_TRUE(png.HasTransparency());
}

TEST(PngPalette, IndexBeyondThePaletteIsOpaqueBlack) {
  TPNGGraphic png = Decode(
      TPngWriter().Header(2, 1, 4, 3).Chunk("PLTE", {10, 20, 30}).Image(Rows({{0x0F}})).End().Data);
  EXPECT_EQ(png.Bitmap().Pixel(0, 0), 0xFF0A141Eu);
  EXPECT_EQ(png.Bitmap().Pixel(1, 0), 0xFF000000u);
}

TEST(PngPalette, MissingPaletteIsAnError) {
  EXPECT_EQ(ErrorOf(TPngWriter().Header(1, 1, 8, 3).Image(Rows({{0}})).End().Data),
            "Cannot load PNG image. The palette (PLTE) is missing.");
}

TEST(PngPalette, MalformedPaletteIsAnError) {
  EXPECT_EQ(ErrorOf(TPngWriter().Header(1, 1, 8, 3).Chunk("PLTE", {1, 2}).Image(Rows({{0}})).End().Data),
            "Cannot load PNG image. Invalid palette (PLTE) length.");
  EXPECT_EQ(ErrorOf(TPngWriter().Header(1, 1, 8, 3).Chunk("PLTE", TBytes(257 * 3, 0)).Image(Rows({{0}})).End().Data),
            "Cannot load PNG image. Invalid palette (PLTE) length.");
}

TEST(PngTransparency, GreyTrnsMatchesOneSampleValue) {
  TPNGGraphic png =
      Decode(TPngWriter().Header(3, 1, 8, 0).Chunk("tRNS", {0, 7}).Image(Rows({{6, 7, 8}})).End().Data);
  EXPECT_EQ(png.Bitmap().Pixel(0, 0), 0xFF060606u);
  EXPECT_EQ(png.Bitmap().Pixel(1, 0), 0x00070707u);
  EXPECT_EQ(png.Bitmap().Pixel(2, 0), 0xFF080808u);
}

TEST(PngTransparency, SixteenBitTrnsComparesAllSixteenBits) {
  TBytes trns = {0x12, 0x34, 0x00, 0x00, 0xFF, 0xFF};
  TPNGGraphic png = Decode(TPngWriter()
                               .Header(2, 1, 16, 2)
                               .Chunk("tRNS", trns)
                               .Image(Rows({{0x12, 0x34, 0, 0, 0xFF, 0xFF, 0x12, 0x35, 0, 0, 0xFF, 0xFF}}))
                               .End()
                               .Data);
  EXPECT_EQ(png.Bitmap().Pixel(0, 0), 0x001200FFu);
  EXPECT_EQ(png.Bitmap().Pixel(1, 0), 0xFF1200FFu);  // same high bytes, other colour
}

TEST(PngTransparency, MalformedOrMisplacedTrnsIsIgnored) {
  // Wrong length for RGB.
  TPNGGraphic a = Decode(TPngWriter().Header(1, 1, 8, 2).Chunk("tRNS", {0, 1}).Image(Rows({{0, 0, 1}})).End().Data);
  EXPECT_EQ(a.Bitmap().Pixel(0, 0), 0xFF000001u);
  EXPECT_FALSE(a.HasTransparency());
  // After the image data.
  TPNGGraphic b = Decode(
      TPngWriter().Header(1, 1, 8, 0).Image(Rows({{5}})).Chunk("tRNS", {0, 5}).End().Data);
  EXPECT_EQ(b.Bitmap().Pixel(0, 0), 0xFF050505u);
}

TEST(PngBackground, BkgdIsReportedAsAColour) {
  TPNGGraphic rgb = Decode(
      TPngWriter().Header(1, 1, 8, 2).Chunk("bKGD", {0, 10, 0, 20, 0, 30}).Image(Rows({{0, 0, 0}})).End().Data);
  EXPECT_EQ(rgb.BackgroundColor(), RGBColor(10, 20, 30));
  TPNGGraphic pal = Decode(TPngWriter()
                               .Header(1, 1, 8, 3)
                               .Chunk("PLTE", {1, 2, 3, 4, 5, 6})
                               .Chunk("bKGD", {1})
                               .Image(Rows({{0}}))
                               .End()
                               .Data);
  EXPECT_EQ(pal.BackgroundColor(), RGBColor(4, 5, 6));
  TPNGGraphic grey = Decode(TPngWriter().Header(1, 1, 16, 0).Chunk("bKGD", {0xAB, 0xCD}).Image(Rows({{0, 0}})).End().Data);
  EXPECT_EQ(grey.BackgroundColor(), RGBColor(0xAB, 0xAB, 0xAB));
  EXPECT_EQ(Decode(SmallRgba()).BackgroundColor(), clNone);
}

// --- Gamma ----------------------------------------------------------------

TBytes GreyWithGamma(uint32_t gamma, uint8_t sample) {
  TBytes g;
  PutBe32(g, gamma);
  return TPngWriter().Header(1, 1, 8, 4).Chunk("gAMA", g).Image(Rows({{sample, 77}})).End().Data;
}

TEST(PngGamma, CorrectsFromFileGammaToDisplayGamma22) {
  // File gamma 1.0: exponent 1/2.2; 128/255 -> 0.7311 -> 186.
  TPNGGraphic linear = Decode(GreyWithGamma(100000, 128));
  EXPECT_EQ(linear.Bitmap().Pixel(0, 0), 0x4DBABABAu);  // alpha 77 untouched
  EXPECT_EQ(linear.FileGamma(), 100000u);
  // File gamma 1/2.2 already suits the display.
  EXPECT_EQ(Decode(GreyWithGamma(45455, 128)).Bitmap().Pixel(0, 0), 0x4D808080u);
  // Ends of the range stay put.
  EXPECT_EQ(Decode(GreyWithGamma(100000, 0)).Bitmap().Pixel(0, 0), 0x4D000000u);
  EXPECT_EQ(Decode(GreyWithGamma(100000, 255)).Bitmap().Pixel(0, 0), 0x4DFFFFFFu);
}

TEST(PngGamma, ZeroOrMisplacedGammaIsIgnored) {
  EXPECT_EQ(Decode(GreyWithGamma(0, 128)).Bitmap().Pixel(0, 0), 0x4D808080u);
  TBytes g;
  PutBe32(g, 100000);
  TPNGGraphic late = Decode(
      TPngWriter().Header(1, 1, 8, 3).Chunk("PLTE", {128, 128, 128}).Chunk("gAMA", g).Image(Rows({{0}})).End().Data);
  EXPECT_EQ(late.Bitmap().Pixel(0, 0), 0xFF808080u);
  EXPECT_EQ(late.FileGamma(), 0u);
}

TEST(PngGamma, SixteenBitGammaUsesTheWholeSample) {
  TBytes g;
  PutBe32(g, 100000);
  // (0x01FF / 65535) ^ (1/2.2) * 255 = 28.1; the high byte alone would give 21.
  TPNGGraphic png = Decode(TPngWriter().Header(1, 1, 16, 0).Chunk("gAMA", g).Image(Rows({{0x01, 0xFF}})).End().Data);
  EXPECT_EQ(png.Bitmap().Pixel(0, 0), 0xFF1C1C1Cu);
}

// Every 16-bit sample through the gamma path, compared with the formula
// evaluated directly, for ordinary and extreme file gammas.
TEST(PngGamma, EverySixteenBitSampleFollowsTheFormula) {
  TBytes raw;
  for (int y = 0; y < 256; ++y) {
    raw.push_back(0);
    for (int x = 0; x < 256; ++x) raw.insert(raw.end(), {uint8_t(y), uint8_t(x)});
  }
  for (uint32_t gamma : {100000u, 45455u, 250000u, 1u, 20000000u}) {
    SCOPED_TRACE(gamma);
    TBytes g;
    PutBe32(g, gamma);
    TPNGGraphic png = Decode(TPngWriter().Header(256, 256, 16, 0).Chunk("gAMA", g).Image(raw).End().Data);
    const double exponent = 1.0 / (gamma / 100000.0 * 2.2);
    int wrong = 0;
    for (int v = 0; v < 65536; ++v) {
      uint32_t expect = uint32_t(std::lround(255.0 * std::pow(v / 65535.0, exponent)));
      uint32_t got = png.Bitmap().Pixel(v & 255, v >> 8) & 0xFF;
      if (got != expect && ++wrong <= 3) ADD_FAILURE() << "sample " << v << " gives " << got << ", want " << expect;
    }
    EXPECT_EQ(wrong, 0);
  }
}

// --- Filters and interlacing -------------------------------------------

// Encodes rows with the given filter per row (independent of the decoder).
TBytes Filter(const std::vector<TBytes>& rows, size_t bpp, const std::vector<int>& filters) {
  TBytes out;
  TBytes prev(rows[0].size(), 0);
  for (size_t r = 0; r < rows.size(); ++r) {
    const TBytes& row = rows[r];
    int f = filters[r % filters.size()];
    out.push_back(uint8_t(f));
    for (size_t i = 0; i < row.size(); ++i) {
      int a = i >= bpp ? row[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
      int pred = 0;
      if (f == 1) pred = a;
      if (f == 2) pred = b;
      if (f == 3) pred = (a + b) / 2;
      if (f == 4) {
        int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        pred = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
      }
      out.push_back(uint8_t(row[i] - pred));
    }
    prev = row;
  }
  return out;
}

std::vector<TBytes> RandomRows(int w, int h, size_t bpp, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<TBytes> rows(h, TBytes(size_t(w) * bpp));
  for (auto& row : rows)
    for (auto& b : row) b = uint8_t(rng() % 7 < 5 ? rng() % 8 : rng());  // smooth-ish with jumps
  return rows;
}

TEST(PngFilters, EveryFilterTypeReconstructsTheRows) {
  const int w = 9, h = 10;
  auto rows = RandomRows(w, h, 3, 1);
  for (int f = 0; f <= 4; ++f) {
    SCOPED_TRACE(f);
    TPNGGraphic png = Decode(TPngWriter().Header(w, h, 8, 2).Image(Filter(rows, 3, {f})).End().Data);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint8_t* s = &rows[y][size_t(x) * 3];
        ASSERT_EQ(png.Bitmap().Pixel(x, y), 0xFF000000u | s[0] << 16 | s[1] << 8 | s[2]) << x << "," << y;
      }
  }
}

TEST(PngFilters, MixedFiltersOnSixteenBitRgba) {
  const int w = 5, h = 8;
  auto rows = RandomRows(w, h, 8, 2);
  TPNGGraphic png = Decode(TPngWriter().Header(w, h, 16, 6).Image(Filter(rows, 8, {4, 3, 1, 2, 0})).End().Data);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* s = &rows[y][size_t(x) * 8];
      ASSERT_EQ(png.Bitmap().Pixel(x, y), uint32_t(s[6]) << 24 | s[0] << 16 | s[2] << 8 | s[4]);
    }
}

TEST(PngFilters, UnknownFilterTypeIsAnError) {
  EXPECT_EQ(ErrorOf(TPngWriter().Header(1, 1, 8, 0).Image({5, 0}).End().Data),
            "Cannot load PNG image. Invalid row filter type 5.");
}

// Adam7 by hand: the pass images of an interlaced file put back together.
TBytes Interlace(const std::vector<TBytes>& rows, int w, int h, size_t bpp, int filter) {
  static const int pass[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                 {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  TBytes raw;
  for (auto& p : pass) {
    std::vector<TBytes> sub;
    for (int y = p[1]; y < h; y += p[3]) {
      TBytes row;
      for (int x = p[0]; x < w; x += p[2]) row.insert(row.end(), &rows[y][x * bpp], &rows[y][x * bpp] + bpp);
      if (!row.empty()) sub.push_back(row);
    }
    if (!sub.empty()) {
      TBytes f = Filter(sub, bpp, {filter});
      raw.insert(raw.end(), f.begin(), f.end());
    }
  }
  return raw;
}

TEST(PngInterlace, Adam7GivesTheSamePixelsAsProgressive) {
  for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {8, 8}, {13, 11}, {1, 17}}) {
    SCOPED_TRACE(testing::Message() << w << "x" << h);
    auto rows = RandomRows(w, h, 4, unsigned(w * 100 + h));
    TPNGGraphic plain = Decode(TPngWriter().Header(w, h, 8, 6).Image(Filter(rows, 4, {0})).End().Data);
    TPNGGraphic inter =
        Decode(TPngWriter().Header(w, h, 8, 6, 1).Image(Interlace(rows, w, h, 4, 4)).End().Data);
    EXPECT_TRUE(inter.Interlaced());
    EXPECT_TRUE(plain.Bitmap() == inter.Bitmap());
  }
}

TEST(PngInterlace, ShortInterlacedDataIsAnError) {
  auto rows = RandomRows(8, 8, 1, 3);
  TBytes raw = Interlace(rows, 8, 8, 1, 0);
  raw.resize(raw.size() - 9);  // the last pass row is missing
  EXPECT_EQ(ErrorOf(TPngWriter().Header(8, 8, 8, 0, 1).Image(raw).End().Data),
            "Cannot load PNG image. The image data is too short.");
}

// --- Image data (IDAT) --------------------------------------------------

TEST(PngData, ImageDataMaySpreadOverManyChunksOfAnySize) {
  const int w = 6, h = 5;
  auto rows = RandomRows(w, h, 3, 4);
  TBytes z = Deflate(Filter(rows, 3, {1, 4}));
  TPngWriter split;
  split.Header(w, h, 8, 2);
  split.Chunk("IDAT", {});
  for (size_t i = 0; i < z.size();) {
    size_t n = std::min<size_t>(z.size() - i, 1 + i % 3);
    split.Chunk("IDAT", TBytes(z.begin() + i, z.begin() + i + n));
    i += n;
  }
  TPNGGraphic a = Decode(split.End().Data);
  TPNGGraphic b = Decode(TPngWriter().Header(w, h, 8, 2).Chunk("IDAT", z).End().Data);
  EXPECT_TRUE(a.Bitmap() == b.Bitmap());
}

TEST(PngData, TooShortOrTooLongDataIsAnError) {
  EXPECT_EQ(ErrorOf(TPngWriter().Header(2, 2, 8, 0).Image(Rows({{1, 2}})).End().Data),
            "Cannot load PNG image. The image data is too short.");
  EXPECT_EQ(ErrorOf(TPngWriter().Header(2, 1, 8, 0).Image(Rows({{1, 2}, {3, 4}})).End().Data),
            "Cannot load PNG image. The image data is too long.");
  EXPECT_EQ(ErrorOf(TPngWriter().Header(2, 1, 8, 0).Image({0, 1}).End().Data),
            "Cannot load PNG image. The image data is too short.");
}

TEST(PngData, CorruptCompressedDataIsAnError) {
  TBytes z = Deflate(Rows({{1, 2, 3, 4}}));
  z[z.size() - 1] ^= 0xFF;  // Adler-32 check fails
  String message = ErrorOf(TPngWriter().Header(4, 1, 8, 0).Chunk("IDAT", z).End().Data);
  EXPECT_EQ(message.rfind("Cannot load PNG image. Corrupt compressed image data", 0), 0u) << message;
  EXPECT_EQ(ErrorOf(TPngWriter().Header(4, 1, 8, 0).Chunk("IDAT", {0xFF, 0xFF, 0xFF}).End().Data)
                .rfind("Cannot load PNG image. Corrupt compressed image data", 0),
            0u);
}

TEST(PngData, DataChunksMustBeConsecutive) {
  TBytes z = Deflate(Rows({{1, 2}}));
  TBytes a(z.begin(), z.begin() + 3), b(z.begin() + 3, z.end());
  EXPECT_EQ(ErrorOf(TPngWriter().Header(2, 1, 8, 0).Chunk("IDAT", a).Chunk("tEXt", {'a', 0, 'b'}).Chunk("IDAT", b).End().Data),
            "Cannot load PNG image. The image data chunks (IDAT) are not consecutive.");
}

TEST(PngData, MissingDataIsAnError) {
  EXPECT_EQ(ErrorOf(TPngWriter().Header(1, 1, 8, 0).End().Data), "Cannot load PNG image. The image has no data (IDAT).");
}

// A header claiming the largest picture with a few bytes of data fails
// before anything the size of the picture is allocated.
TEST(PngData, HugeClaimWithLittleDataFailsEarly) {
  EXPECT_EQ(ErrorOf(TPngWriter().Header(16384, 16384, 16, 6).Image(Rows({{0}})).End().Data),
            "Cannot load PNG image. The image data is too short.");
}

// --- Signature, header and chunk rules ---------------------------------

TEST(PngStructure, BadSignatureOrHeaderGivesTheFormatMessage) {
  const String format = "Cannot load image. Invalid or unexpected PNG image format.";
  TBytes file = SmallRgba();
  TBytes badSig = file;
  badSig[1] = 'Q';
  EXPECT_EQ(ErrorOf(badSig), format);
  EXPECT_EQ(ErrorOf({}), format);
  EXPECT_EQ(ErrorOf(TBytes(file.begin(), file.begin() + 7)), format);
  // First chunk not IHDR.
  EXPECT_EQ(ErrorOf(TPngWriter().Chunk("tEXt", {'a', 0}).Header(1, 1, 8, 0).Image(Rows({{0}})).End().Data), format);
  // IHDR of the wrong length, zero or oversized (over 2^31) dimensions, bad methods.
  EXPECT_EQ(ErrorOf(TPngWriter().Chunk("IHDR", TBytes(12, 1)).End().Data), format);
  EXPECT_EQ(ErrorOf(TPngWriter().Header(0, 1, 8, 0).Image(Rows({{}})).End().Data), format);
  EXPECT_EQ(ErrorOf(TPngWriter().Header(1, 0x80000000u, 8, 0).End().Data), format);
  EXPECT_EQ(ErrorOf(TPngWriter().Header(1, 1, 8, 0, 2).Image(Rows({{0}})).End().Data), format);
  TPngWriter badMethod;
  badMethod.Chunk("IHDR", {0, 0, 0, 1, 0, 0, 0, 1, 8, 0, 1, 0, 0});
  EXPECT_EQ(ErrorOf(badMethod.Image(Rows({{0}})).End().Data), format);
  // A second IHDR.
  EXPECT_EQ(ErrorOf(TPngWriter().Header(1, 1, 8, 0).Header(1, 1, 8, 0).Image(Rows({{0}})).End().Data), format);
}

TEST(PngStructure, BadColourTypeOrDepthGivesTheColourMessage) {
  const String color = "Invalid color format in PNG file.";
  for (auto [depth, type] : {std::pair{8, 1}, {8, 5}, {8, 7}, {4, 2}, {16, 3}, {2, 4}, {1, 6}, {3, 0}, {32, 0}}) {
    SCOPED_TRACE(testing::Message() << depth << "/" << type);
    EXPECT_EQ(ErrorOf(TPngWriter().Header(1, 1, depth, type).Image(Rows({{0, 0, 0, 0}})).End().Data), color);
  }
}

TEST(PngStructure, PicturesOverTheSizeLimitAreRefused) {
  EXPECT_EQ(ErrorOf(TPngWriter().Header(16385, 1, 8, 0).Image(Rows({TBytes(16385)})).End().Data),
            "Cannot load PNG image. The image is too large (16385 x 1 pixels; at most 16384 x 16384).");
  EXPECT_EQ(ErrorOf(TPngWriter().Header(1, 20000, 1, 0).End().Data),
            "Cannot load PNG image. The image is too large (1 x 20000 pixels; at most 16384 x 16384).");
}

TEST(PngStructure, UnknownCriticalChunkStopsUnknownAncillaryChunkIsSkipped) {
  EXPECT_EQ(ErrorOf(TPngWriter().Header(1, 1, 8, 0).Chunk("ABCD", {1, 2}).Image(Rows({{0}})).End().Data),
            "Cannot load PNG image. Unexpected but critical chunk detected.");
  TPNGGraphic png = Decode(
      TPngWriter().Header(1, 1, 8, 0).Chunk("aBCD", {1, 2}).Image(Rows({{9}})).Chunk("zzzz", {}).End().Data);
  EXPECT_EQ(png.Bitmap().Pixel(0, 0), 0xFF090909u);
}

TEST(PngStructure, CrcMismatchInAnyChunkIsAnError) {
  EXPECT_EQ(ErrorOf(TPngWriter().Header(1, 1, 8, 0).Chunk("tEXt", {'k', 0, 'v'}, true).Image(Rows({{0}})).End().Data),
            "Cannot load PNG image. CRC error in chunk tEXt.");
  TPngWriter badEnd;
  badEnd.Header(1, 1, 8, 0).Image(Rows({{0}})).Chunk("IEND", {}, true);
  EXPECT_EQ(ErrorOf(badEnd.Data), "Cannot load PNG image. CRC error in chunk IEND.");
}

TEST(PngStructure, ChunkTypeMustBeLetters) {
  EXPECT_EQ(ErrorOf(TPngWriter().Header(1, 1, 8, 0).Chunk("ab1d", {}).Image(Rows({{0}})).End().Data),
            "Cannot load PNG image. Invalid chunk type.");
}

TEST(PngStructure, ChunkLengthBeyondTheFileIsTruncation) {
  TBytes file = TPngWriter().Header(1, 1, 8, 0).Image(Rows({{0}})).End().Data;
  TBytes huge = file;
  huge[33] = 0x7F;  // the IDAT length's top byte
  EXPECT_EQ(ErrorOf(huge), "Cannot load PNG image. The file is truncated.");
  huge[33] = 0x80;
  EXPECT_EQ(ErrorOf(huge), "Cannot load PNG image. Invalid chunk length.");
}

TEST(PngStructure, MissingEndIsTruncation) {
  EXPECT_EQ(ErrorOf(TPngWriter().Header(1, 1, 8, 0).Image(Rows({{0}})).Data),
            "Cannot load PNG image. The file is truncated.");
}

TEST(PngStructure, EveryTruncationOfAValidFileIsRefused) {
  TBytes file = TPngWriter()
                    .Header(3, 3, 8, 3)
                    .Chunk("PLTE", {1, 2, 3, 4, 5, 6})
                    .Chunk("tRNS", {9})
                    .Image(Rows({{0, 1, 0}, {1, 0, 1}, {0, 0, 1}}))
                    .End()
                    .Data;
  for (size_t n = 0; n < file.size(); ++n) {
    TBytes cut(file.begin(), file.begin() + n);
    EXPECT_THROW(Decode(cut), EPNGError) << n;
  }
  EXPECT_NO_THROW(Decode(file));
}

TEST(PngStructure, BytesAfterTheEndAreIgnored) {
  TBytes file = SmallRgba();
  file.insert(file.end(), {1, 2, 3});
  EXPECT_EQ(Decode(file).Bitmap().Pixel(1, 0), 0xFF010203u);
}

// --- Loading contract ---------------------------------------------------

TEST(PngLoading, FailureKeepsThePreviousPicture) {
  TPNGGraphic png;
  TBytes good = SmallRgba();
  png.LoadFromBytes(good.data(), good.size());
  TBytes bad = good;
  bad[bad.size() - 20] ^= 1;
  EXPECT_THROW(png.LoadFromBytes(bad.data(), bad.size()), EPNGError);
  EXPECT_EQ(png.Width(), 2);
  EXPECT_EQ(png.Bitmap().Pixel(0, 0), 0x803264C8u);
  EXPECT_THROW(png.LoadFromBytes(nullptr, 100), EPNGError);
  EXPECT_EQ(png.Width(), 2);
}

TEST(PngLoading, StreamIsReadFromItsPosition) {
  TBytes good = SmallRgba();
  TMemoryStream stream;
  stream.WriteBuffer("junk", 4);
  stream.WriteBuffer(good.data(), int64_t(good.size()));
  stream.SetPosition(4);
  TPNGGraphic png;
  png.LoadFromStream(stream);
  EXPECT_EQ(png.Bitmap().Pixel(1, 0), 0xFF010203u);
  EXPECT_EQ(stream.Position(), int64_t(good.size()) + 4);
}

TEST(PngLoading, MissingFileIsAnOpenError) {
  TPNGGraphic png;
  EXPECT_THROW(png.LoadFromFile("/nonexistent/dir/x.png"), EFOpenError);
}

}  // namespace
