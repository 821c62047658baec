// LoadBmp on hand-built files: headers, depths, masks, palettes, RLE and
// every kind of bad input.
#include "ImageTestUtil.h"
#include "skin/acBmp.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace imgtest;

TBitmap32 Decode(const TBytes& file) {
  TBitmap32 bmp;
  LoadBmp(file.data(), file.size(), bmp);
  return bmp;
}

String ErrorOf(const TBytes& file) {
  try {
    Decode(file);
  } catch (const EBmpError& e) {
    return e.Message();
  }
  return "accepted";
}

// 2 x 2, 24 bits, bottom-up: file row 0 is the bottom row.
TBytes Small24() {
  TBytes px = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0, 0,   // bottom: (3,2,1) (6,5,4)
               0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0, 0};  // top
  return MakeBmp(2, 2, 24, 0, {}, px);
}

// Rows of every width from 1 to 13 (word and block reads and their tails),
// random bytes, each pixel against its three file bytes.
TEST(BmpRows, TwentyFourBitRowsOfEveryWidth) {
  std::mt19937 rng(3);
  for (int w = 1; w <= 13; ++w) {
    const int stride = (w * 3 + 3) & ~3;
    TBytes px(size_t(stride) * 3);
    for (uint8_t& b : px) b = uint8_t(rng());
    TBitmap32 bmp = Decode(MakeBmp(w, 3, 24, 0, {}, px));
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < w; ++x) {
        const uint8_t* p = &px[size_t(2 - y) * stride + size_t(x) * 3];
        ASSERT_EQ(bmp.Pixel(x, y), 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]) << w << " " << x;
      }
  }
}

// --- Headers and row order -------------------------------------------------

TEST(BmpHeaders, InfoHeader24BitsBottomUp) {
  TBitmap32 bmp = Decode(Small24());
  ASSERT_EQ(bmp.Width(), 2);
  ASSERT_EQ(bmp.Height(), 2);
  EXPECT_EQ(bmp.Pixel(0, 0), 0xFF131211u);
  EXPECT_EQ(bmp.Pixel(1, 0), 0xFF161514u);
  EXPECT_EQ(bmp.Pixel(0, 1), 0xFF030201u);
  EXPECT_EQ(bmp.Pixel(1, 1), 0xFF060504u);
  EXPECT_EQ(bmp.PixelFormat, TPixelFormat::pf24bit);
}

TEST(BmpHeaders, NegativeHeightMeansTopDown) {
  TBytes file = Small24();
  SetLe32(file, 22, uint32_t(-2));
  TBitmap32 bmp = Decode(file);
  EXPECT_EQ(bmp.Pixel(0, 0), 0xFF030201u);
  EXPECT_EQ(bmp.Pixel(0, 1), 0xFF131211u);
}

// The master bitmap's form: 12-byte core header, 24 bits.
TEST(BmpHeaders, Os2CoreHeader24Bits) {
  TBytes file = {'B', 'M'};
  PutLe32(file, 0);
  PutLe32(file, 0);
  PutLe32(file, 26);
  PutLe32(file, 12);
  PutLe16(file, 3);
  PutLe16(file, 1);
  PutLe16(file, 1);
  PutLe16(file, 24);
  file.insert(file.end(), {0xFF, 0x00, 0xFF, 0x10, 0x20, 0x30, 0x00, 0x00, 0x00, 0, 0, 0});
  TBitmap32 bmp = Decode(file);
  ASSERT_EQ(bmp.Width(), 3);
  EXPECT_EQ(bmp.Pixel(0, 0), 0xFFFF00FFu);
  EXPECT_EQ(bmp.Pixel(1, 0), 0xFF302010u);
  EXPECT_EQ(bmp.Pixel(2, 0), 0xFF000000u);
  EXPECT_EQ(bmp.PixelFormat, TPixelFormat::pf24bit);
}

TEST(BmpHeaders, Os2CoreHeaderWithThreeBytePalette) {
  TBytes file = {'B', 'M'};
  PutLe32(file, 0);
  PutLe32(file, 0);
  PutLe32(file, 26 + 6);
  PutLe32(file, 12);
  PutLe16(file, 2);
  PutLe16(file, 1);
  PutLe16(file, 1);
  PutLe16(file, 1);
  file.insert(file.end(), {0x10, 0x20, 0x30, 0x40, 0x50, 0x60});  // two entries, blue first
  file.insert(file.end(), {0x40, 0, 0, 0});                       // pixels 0, 1
  TBitmap32 bmp = Decode(file);
  EXPECT_EQ(bmp.Pixel(0, 0), 0xFF302010u);
  EXPECT_EQ(bmp.Pixel(1, 0), 0xFF605040u);
  EXPECT_EQ(bmp.PixelFormat, TPixelFormat::pf1bit);
}

// OS/2 2.x headers may be as short as 16 bytes (no compression field).
TEST(BmpHeaders, ShortOs2Version2Header) {
  TBytes file = {'B', 'M'};
  PutLe32(file, 0);
  PutLe32(file, 0);
  PutLe32(file, 30);
  PutLe32(file, 16);
  PutLe32(file, 1);
  PutLe32(file, 1);
  PutLe16(file, 1);
  PutLe16(file, 24);
  file.insert(file.end(), {7, 8, 9, 0});
  EXPECT_EQ(Decode(file).Pixel(0, 0), 0xFF090807u);
}

TEST(BmpHeaders, UnsupportedOrInvalidHeadersAreErrors) {
  EXPECT_EQ(ErrorOf({'P', 'K', 0}), "Cannot load bitmap. Not a bitmap file.");
  EXPECT_EQ(ErrorOf({}), "Cannot load bitmap. Not a bitmap file.");
  TBytes file = Small24();
  SetLe32(file, 14, 65);
  EXPECT_EQ(ErrorOf(file), "Cannot load bitmap. Unsupported header size 65.");
  SetLe32(file, 14, 11);
  EXPECT_EQ(ErrorOf(file), "Cannot load bitmap. Unsupported header size 11.");
  SetLe32(file, 14, 124);  // a V5 header is longer than the whole file
  EXPECT_EQ(ErrorOf(file), "Cannot load bitmap. The file is truncated.");
  file = Small24();
  file[28] = 3;  // bit count
  EXPECT_EQ(ErrorOf(file), "Cannot load bitmap. Unsupported bit count 3.");
  file = Small24();
  SetLe32(file, 30, 4);  // BI_JPEG
  EXPECT_EQ(ErrorOf(file), "Cannot load bitmap. Embedded JPEG or PNG pictures are not supported.");
  SetLe32(file, 30, 1);  // RLE8 with 24 bits
  EXPECT_EQ(ErrorOf(file), "Cannot load bitmap. RLE8 compression needs 8 bits per pixel.");
  SetLe32(file, 30, 9);
  EXPECT_EQ(ErrorOf(file), "Cannot load bitmap. Unsupported compression 9.");
}

TEST(BmpHeaders, InvalidOrOversizedDimensionsAreErrors) {
  TBytes file = Small24();
  SetLe32(file, 18, 0);
  EXPECT_EQ(ErrorOf(file), "Cannot load bitmap. Invalid image size.");
  SetLe32(file, 18, uint32_t(-2));
  EXPECT_EQ(ErrorOf(file), "Cannot load bitmap. Invalid image size.");
  file = Small24();
  SetLe32(file, 22, 0x80000000u);  // the most negative height cannot be negated into range
  EXPECT_EQ(ErrorOf(file),
            "Cannot load bitmap. The image is too large (2 x 2147483648 pixels; at most 16384 x 16384).");
  SetLe32(file, 22, 2);
  SetLe32(file, 18, 16385);
  EXPECT_EQ(ErrorOf(file), "Cannot load bitmap. The image is too large (16385 x 2 pixels; at most 16384 x 16384).");
}

TEST(BmpHeaders, PixelOffsetMustLieInTheFile) {
  TBytes file = Small24();
  SetLe32(file, 10, uint32_t(file.size()));
  EXPECT_EQ(ErrorOf(file), "Cannot load bitmap. Invalid pixel data offset.");
  SetLe32(file, 10, 20);  // inside the header
  EXPECT_EQ(ErrorOf(file), "Cannot load bitmap. Invalid pixel data offset.");
}

// --- Uncompressed depths ----------------------------------------------------

TEST(BmpDepths, OneBitRowsArePaddedToFourBytes) {
  // 9 x 2: each row 2 bytes of pixels + 2 of padding.
  TBytes px = {0x80, 0x80, 0xEE, 0xEE,    // bottom: pixels 0 and 8 set
               0x7F, 0x00, 0xEE, 0xEE};  // top: pixels 1..7 set
  TBitmap32 bmp = Decode(MakeBmp(9, 2, 1, 0, Palette({0x0000FF, 0xFF0000}), px));
  EXPECT_EQ(bmp.Pixel(0, 1), 0xFFFF0000u);
  EXPECT_EQ(bmp.Pixel(1, 1), 0xFF0000FFu);
  EXPECT_EQ(bmp.Pixel(8, 1), 0xFFFF0000u);
  EXPECT_EQ(bmp.Pixel(0, 0), 0xFF0000FFu);
  EXPECT_EQ(bmp.Pixel(7, 0), 0xFFFF0000u);
  EXPECT_EQ(bmp.Pixel(8, 0), 0xFF0000FFu);
  EXPECT_EQ(bmp.PixelFormat, TPixelFormat::pf1bit);
}

TEST(BmpDepths, TwoAndFourBitIndexes) {
  TBitmap32 b2 = Decode(MakeBmp(4, 1, 2, 0, Palette({0x000000, 0x111111, 0x222222, 0x333333}), {0x1B, 0, 0, 0}));
  EXPECT_EQ(b2.Pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(b2.Pixel(1, 0), 0xFF111111u);
  EXPECT_EQ(b2.Pixel(3, 0), 0xFF333333u);
  EXPECT_EQ(b2.PixelFormat, TPixelFormat::pf4bit);
  TBitmap32 b4 = Decode(MakeBmp(3, 1, 4, 0, Palette({0xA, 0xB, 0xC}), {0x21, 0x00, 0, 0}));
  EXPECT_EQ(b4.Pixel(0, 0), 0xFF00000Cu);
  EXPECT_EQ(b4.Pixel(1, 0), 0xFF00000Bu);
  EXPECT_EQ(b4.Pixel(2, 0), 0xFF00000Au);
}

TEST(BmpDepths, SixteenBitsDefaultTo555) {
  TBytes px;
  PutLe16(px, 0x7FFF);
  PutLe16(px, 0x001F);
  PutLe16(px, 0x8000 | 0x0421);  // top bit unused
  PutLe16(px, 0);
  TBitmap32 bmp = Decode(MakeBmp(3, 1, 16, 0, {}, px));
  EXPECT_EQ(bmp.Pixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(bmp.Pixel(1, 0), 0xFF0000FFu);
  EXPECT_EQ(bmp.Pixel(2, 0), 0xFF080808u);  // 1 of 31 widened by bit repetition
  EXPECT_EQ(bmp.PixelFormat, TPixelFormat::pf15bit);
}

TEST(BmpDepths, ThirtyTwoBitsKeepTheFourthByte) {
  TBitmap32 bmp = Decode(MakeBmp(2, 1, 32, 0, {}, {1, 2, 3, 0, 4, 5, 6, 0x80}));
  EXPECT_EQ(bmp.Pixel(0, 0), 0x00030201u);
  EXPECT_EQ(bmp.Pixel(1, 0), 0x80060504u);
  EXPECT_EQ(bmp.PixelFormat, TPixelFormat::pf32bit);
}

// --- Bit fields ---------------------------------------------------------------

TBytes Masks(std::initializer_list<uint32_t> masks) {
  TBytes out;
  for (uint32_t m : masks) PutLe32(out, m);
  return out;
}

TEST(BmpBitfields, Masks565FollowTheInfoHeader) {
  TBytes px;
  PutLe16(px, 0xF800);
  PutLe16(px, 0x07E0);
  PutLe16(px, 0x0821);  // 1 in each field
  PutLe16(px, 0);
  TBitmap32 bmp = Decode(MakeBmp(3, 1, 16, 3, Masks({0xF800, 0x07E0, 0x001F}), px));
  EXPECT_EQ(bmp.Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(bmp.Pixel(1, 0), 0xFF00FF00u);
  EXPECT_EQ(bmp.Pixel(2, 0), 0xFF080408u);
  EXPECT_EQ(bmp.PixelFormat, TPixelFormat::pf16bit);
}

TEST(BmpBitfields, AlphaBitfieldsAndWideFields) {
  // 32 bits: 10-bit red, green and blue, 2-bit alpha.
  TBytes px;
  PutLe32(px, (3u << 30) | (0x3FFu << 20) | (0x200u << 10) | 0x001u);
  TBitmap32 bmp = Decode(MakeBmp(1, 1, 32, 6, Masks({0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}), px));
  EXPECT_EQ(bmp.Pixel(0, 0), 0xFFFF8000u);
}

TEST(BmpBitfields, ThirtyTwoBitsWithoutAlphaMaskAreOpaque) {
  TBytes px = {0x11, 0x22, 0x33, 0x00};
  TBitmap32 bmp = Decode(MakeBmp(1, 1, 32, 3, Masks({0xFF0000, 0xFF00, 0xFF}), px));
  EXPECT_EQ(bmp.Pixel(0, 0), 0xFF332211u);
}

TEST(BmpBitfields, BadMasksAreErrors) {
  TBytes px = {0, 0, 0, 0};
  EXPECT_EQ(ErrorOf(MakeBmp(1, 1, 16, 3, Masks({0xF0F0, 0x0F00, 0x000F}), px)),
            "Cannot load bitmap. Invalid colour masks.");
  EXPECT_EQ(ErrorOf(MakeBmp(1, 1, 16, 3, Masks({0x1F0000, 0x07E0, 0x001F}), px)),
            "Cannot load bitmap. Invalid colour masks.");
  EXPECT_EQ(ErrorOf(MakeBmp(1, 1, 24, 3, Masks({0xFF0000, 0xFF00, 0xFF}), px)),
            "Cannot load bitmap. Colour masks need 16 or 32 bits per pixel.");
  // Masks cut off by the end of the file.
  TBytes cut = MakeBmp(1, 1, 16, 3, {}, {});
  EXPECT_EQ(ErrorOf(cut), "Cannot load bitmap. The file is truncated.");
}

// --- Palettes -------------------------------------------------------------------

TEST(BmpPalette, IndexesBeyondAShortPaletteAreOpaqueBlack) {
  TBitmap32 bmp = Decode(MakeBmp(3, 1, 8, 0, Palette({0x123456, 0x654321}), {0, 1, 200, 0}, 2));
  EXPECT_EQ(bmp.Pixel(0, 0), 0xFF123456u);
  EXPECT_EQ(bmp.Pixel(1, 0), 0xFF654321u);
  EXPECT_EQ(bmp.Pixel(2, 0), 0xFF000000u);
}

// A palette that would reach into the pixels is cut at the pixel offset.
TEST(BmpPalette, PaletteIsCutAtThePixelOffset) {
  // Claims 256 colours (clrUsed 0) but holds one entry before the pixels.
  TBitmap32 bmp = Decode(MakeBmp(2, 1, 8, 0, Palette({0xABCDEF}), {0, 5, 0, 0}));
  EXPECT_EQ(bmp.Pixel(0, 0), 0xFFABCDEFu);
  EXPECT_EQ(bmp.Pixel(1, 0), 0xFF000000u);
}

TEST(BmpPalette, ColoursUsedBeyondTheDepthAreIgnored) {
  TBitmap32 bmp = Decode(MakeBmp(2, 1, 1, 0, Palette({0x010101, 0x020202, 0x030303}), {0x40, 0, 0, 0}, 3));
  EXPECT_EQ(bmp.Pixel(0, 0), 0xFF010101u);
  EXPECT_EQ(bmp.Pixel(1, 0), 0xFF020202u);
}

// --- RLE ------------------------------------------------------------------------

TBytes Rle8(int w, int h, const TBytes& codes) {
  return MakeBmp(w, h, 8, 1, Palette({0x000000, 0x0000FF, 0x00FF00, 0xFF0000}), codes);
}

// Rows of the picture as palette colours, top row first.
std::vector<std::vector<uint32_t>> RowsOf(const TBitmap32& bmp) {
  std::vector<std::vector<uint32_t>> rows;
  for (int y = 0; y < bmp.Height(); ++y) rows.emplace_back(bmp.ScanLine(y), bmp.ScanLine(y) + bmp.Width());
  return rows;
}

TBitmap32 DecodeRle8(int w, int h, const TBytes& codes) { return Decode(Rle8(w, h, codes)); }

constexpr uint32_t K = 0xFF000000, B = 0xFF0000FF, G = 0xFF00FF00, R = 0xFFFF0000;

TEST(BmpRle, EncodedAndAbsoluteRunsEndOfLineAndEndOfBitmap) {
  TBitmap32 bmp = DecodeRle8(4, 2, {2, 1, 0, 3, 2, 3, 2, 0,  // run of two 1s, literal 2 3 2 + pad; ends row 0
                              0, 0,                    // (row already full) end of line
                              1, 3, 0, 1});
  EXPECT_EQ(RowsOf(bmp), (std::vector<std::vector<uint32_t>>{{R, K, K, K}, {B, B, G, R}}));
  // The literal's third pixel fell beyond the 4-wide row: dropped, not wrapped.
  EXPECT_EQ(bmp.PixelFormat, TPixelFormat::pf8bit);
}

TEST(BmpRle, DeltaMovesAndSkippedPixelsTakeEntryZero) {
  TBitmap32 bmp = DecodeRle8(4, 3, {0, 2, 1, 1,  // move right 1, up 1
                              1, 2, 0, 1});
  EXPECT_EQ(RowsOf(bmp), (std::vector<std::vector<uint32_t>>{{K, K, K, K}, {K, G, K, K}, {K, K, K, K}}));
}

TEST(BmpRle, RunsLeavingThePictureAreClipped) {
  // A run of 255 in a 3-wide row, a literal running past the edge, then a
  // delta below the last row that ends the picture.
  TBitmap32 bmp = DecodeRle8(3, 2, {255, 1, 0, 0, 2, 3, 0, 4, 2, 2, 2, 2, 0, 2, 0, 50, 1, 2});
  EXPECT_EQ(RowsOf(bmp), (std::vector<std::vector<uint32_t>>{{R, R, G}, {B, B, B}}));
  // A delta far to the right: the rest of that row is dropped.
  bmp = DecodeRle8(3, 2, {0, 2, 200, 0, 1, 2, 0, 3, 1, 1, 1, 0, 0, 0, 1, 3});
  EXPECT_EQ(RowsOf(bmp), (std::vector<std::vector<uint32_t>>{{R, K, K}, {K, K, K}}));
  bmp = DecodeRle8(3, 2, {0, 2, 0, 9, 5, 2});
  EXPECT_EQ(RowsOf(bmp), (std::vector<std::vector<uint32_t>>{{K, K, K}, {K, K, K}}));
}

TEST(BmpRle, MissingEndOfBitmapIsTolerated) {
  TBitmap32 bmp = DecodeRle8(2, 1, {2, 3});
  EXPECT_EQ(RowsOf(bmp), (std::vector<std::vector<uint32_t>>{{R, R}}));
}

TEST(BmpRle, TruncatedCodesAreErrors) {
  EXPECT_EQ(ErrorOf(Rle8(2, 1, {2})), "Cannot load bitmap. The compressed pixel data is truncated.");
  EXPECT_EQ(ErrorOf(Rle8(2, 1, {0, 2, 1})), "Cannot load bitmap. The compressed pixel data is truncated.");
  EXPECT_EQ(ErrorOf(Rle8(8, 1, {0, 5, 1, 2, 3})), "Cannot load bitmap. The compressed pixel data is truncated.");
}

TEST(BmpRle, Rle4AlternatesNibbles) {
  TBytes codes = {5, 0x12,              // 1 2 1 2 1
                  0, 0,                 // end of line
                  0, 3, 0x32, 0x10,     // literal 3 2 1 (+ pad to a word)
                  0, 1};
  TBitmap32 bmp = Decode(MakeBmp(5, 2, 4, 2, Palette({0x000000, 0x0000FF, 0x00FF00, 0xFF0000}), codes));
  EXPECT_EQ(RowsOf(bmp), (std::vector<std::vector<uint32_t>>{{R, G, B, K, K}, {B, G, B, G, B}}));
  EXPECT_EQ(bmp.PixelFormat, TPixelFormat::pf4bit);
}

TEST(BmpRle, TopDownRleStartsAtTheTop) {
  TBytes file = Rle8(2, 2, {2, 1, 0, 0, 2, 2, 0, 1});
  SetLe32(file, 22, uint32_t(-2));
  EXPECT_EQ(RowsOf(Decode(file)), (std::vector<std::vector<uint32_t>>{{B, B}, {G, G}}));
}

// --- Truncation and the loading contract ----------------------------------------

TEST(BmpTruncation, ShortPixelDataIsAnErrorButAMissingLastPadIsNot) {
  TBytes file = Small24();
  file.resize(file.size() - 2);  // only the final row's padding is gone
  EXPECT_EQ(Decode(file).Pixel(1, 0), 0xFF161514u);
  file.resize(file.size() - 1);
  EXPECT_EQ(ErrorOf(file), "Cannot load bitmap. The file is truncated.");
}

TEST(BmpTruncation, EveryPrefixOfAnUncompressedFileIsRefused) {
  for (const TBytes& file : {Small24(), MakeBmp(9, 2, 1, 0, Palette({1, 2}), {0x80, 0x80, 0, 0, 0x7F, 0, 0, 0})})
    for (size_t n = 0; n + 2 < file.size(); ++n) {  // the last 2 bytes are padding
      TBytes cut(file.begin(), file.begin() + n);
      EXPECT_THROW(Decode(cut), EBmpError) << n;
    }
}

// RLE data may stop at any code boundary; elsewhere a cut is an error.
TEST(BmpTruncation, EveryPrefixOfAnRleFileIsHandled) {
  TBytes file = Rle8(4, 2, {2, 1, 0, 3, 2, 3, 2, 0, 0, 0, 1, 3, 0, 1});
  size_t pixels = file.size() - 14;
  for (size_t n = 0; n < file.size(); ++n) {
    TBytes cut(file.begin(), file.begin() + n);
    TBitmap32 bmp;
    // Code boundaries, and the literal lacking only its padding byte.
    size_t k = n - pixels;
    bool boundary = n >= pixels && (k == 2 || k == 7 || k == 8 || k == 10 || k == 12);
    if (boundary) {
      EXPECT_NO_THROW(LoadBmp(cut.data(), cut.size(), bmp)) << n;
      EXPECT_EQ(bmp.Width(), 4);
    } else {
      EXPECT_THROW(LoadBmp(cut.data(), cut.size(), bmp), EBmpError) << n;
    }
  }
}

TEST(BmpLoading, FailureLeavesTheBitmapAlone) {
  TBitmap32 bmp(1, 1);
  bmp.Fill(0x12345678);
  bmp.PixelFormat = TPixelFormat::pf32bit;
  TBytes bad = Small24();
  bad[0] = 'X';
  EXPECT_THROW(LoadBmp(bad.data(), bad.size(), bmp), EBmpError);
  EXPECT_EQ(bmp.Width(), 1);
  EXPECT_EQ(bmp.Pixel(0, 0), 0x12345678u);
  EXPECT_THROW(LoadBmp(nullptr, 10, bmp), EBmpError);
}

TEST(BmpLoading, StreamIsReadFromItsPosition) {
  TBytes file = Small24();
  TMemoryStream stream;
  stream.WriteBuffer("xyz", 3);
  stream.WriteBuffer(file.data(), int64_t(file.size()));
  stream.SetPosition(3);
  TBitmap32 bmp;
  LoadBmp(stream, bmp);
  EXPECT_EQ(bmp.Pixel(0, 0), 0xFF131211u);
}

}  // namespace
