// BMP files written by an independent writer (ImageMagick) from pictures
// made here must decode to the same pixels. Lossy variants (16-bit) are
// compared with ImageMagick's own reading of the same file.
#include "ImageTestUtil.h"
#include "skin/acBmp.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using namespace imgtest;

const char* const Convert = "/usr/bin/convert";

// Straight RGBA, top-down.
struct TPicture {
  int Width = 0, Height = 0;
  std::vector<uint32_t> Rgba;  // 0xAABBGGRR as bytes R, G, B, A
  bool HasAlpha = false;
  uint32_t At(int x, int y) const { return Rgba[size_t(y) * Width + x]; }
};

TPicture Generate(int w, int h, bool alpha, uint32_t (*color)(int x, int y)) {
  TPicture p{w, h, std::vector<uint32_t>(size_t(w) * h), alpha};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.Rgba[size_t(y) * w + x] = color(x, y) | (alpha ? 0 : 0xFF000000u);
  return p;
}

// Odd width on purpose: 24-bit and palette rows need padding.
const TPicture& TrueColorPicture() {
  static TPicture p = Generate(13, 7, false, [](int x, int y) {
    return uint32_t((x * 37 + y * 11) % 256) | uint32_t((x * 5 + y * 60) % 256) << 8 |
           uint32_t((x * y * 7 + 3) % 256) << 16;
  });
  return p;
}
const TPicture& AlphaPicture() {
  static TPicture p = Generate(13, 7, true, [](int x, int y) {
    return uint32_t((x * 37 + y * 11) % 256) | uint32_t((x * 5 + y * 60) % 256) << 8 |
           uint32_t((x * y * 7 + 3) % 256) << 16 | uint32_t((x * 20 + y * 3) % 256) << 24;
  });
  return p;
}
const TPicture& FourColorPicture() {
  static TPicture p = Generate(13, 7, false, [](int x, int y) {
    static const uint32_t colors[4] = {0x000000, 0xFFFFFF, 0x0000FF, 0xFF8000};
    return colors[(x + y * 3) % 4];
  });
  return p;
}
const TPicture& TwoColorPicture() {
  static TPicture p = Generate(21, 5, false, [](int x, int y) {
    return ((x * x + y) % 3 == 0) ? 0x3C1EC8u : 0x5ADC0Au;
  });
  return p;
}
// Long runs and short literal stretches, so that RLE uses both encodings.
const TPicture& StripedPicture() {
  static TPicture p = Generate(70, 9, false, [](int x, int y) {
    if (x < 30) return uint32_t(0x102030 * (y + 1)) & 0xFFFFFF;
    if (x < 40) return uint32_t((x * 23) & 0xFF) | 0x4000u;
    return uint32_t(0x00FF00);
  });
  return p;
}

class BmpFromImageMagick : public ::testing::Test {
protected:
  void SetUp() override {
    if (access(Convert, X_OK) != 0) GTEST_SKIP() << Convert << " is not installed";
    FDir = fs::temp_directory_path() / ("qn-img-bmp-" + std::to_string(getpid()));
    fs::create_directories(FDir);
  }
  void TearDown() override {
    if (!FDir.empty()) fs::remove_all(FDir);
  }

  fs::path WritePicture(const TPicture& p) {
    fs::path path = FDir / (p.HasAlpha ? "in.pam" : "in.ppm");
    std::ofstream out(path, std::ios::binary);
    if (p.HasAlpha)
      out << "P7\nWIDTH " << p.Width << "\nHEIGHT " << p.Height << "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    else
      out << "P6\n" << p.Width << " " << p.Height << "\n255\n";
    for (uint32_t c : p.Rgba) {
      out.put(char(c)).put(char(c >> 8)).put(char(c >> 16));
      if (p.HasAlpha) out.put(char(c >> 24));
    }
    return path;
  }

  TBytes Run(const fs::path& input, const String& options, const String& format) {
    fs::path output = FDir / "out.bmp";
    fs::remove(output);
    String cmd = String(Convert) + " '" + input.string() + "' " + options + " " + format + ":'" + output.string() + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    return ReadAll(output);
  }

  // ImageMagick's reading of a BMP, as RGBA top-down.
  TPicture ReadBack(const TBytes& bmp, int w, int h) {
    fs::path in = FDir / "back.bmp", out = FDir / "back.rgba";
    std::ofstream(in, std::ios::binary).write(reinterpret_cast<const char*>(bmp.data()), std::streamsize(bmp.size()));
    String cmd = String(Convert) + " '" + in.string() + "' -depth 8 RGBA:'" + out.string() + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    TBytes raw = ReadAll(out);
    TPicture p{w, h, std::vector<uint32_t>(size_t(w) * h), true};
    EXPECT_EQ(raw.size(), p.Rgba.size() * 4);
    if (raw.size() == p.Rgba.size() * 4) std::memcpy(p.Rgba.data(), raw.data(), raw.size());
    return p;
  }

  static TBytes ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  fs::path FDir;
};

struct TLayout {
  uint32_t HeaderSize, Bits, Compression;
};

TLayout LayoutOf(const TBytes& bmp) {
  uint32_t hs = bmp[14] | bmp[15] << 8 | bmp[16] << 16 | uint32_t(bmp[17]) << 24;
  if (hs == 12) return {hs, uint32_t(bmp[24] | bmp[25] << 8), 0};
  return {hs, uint32_t(bmp[28] | bmp[29] << 8), uint32_t(bmp[30] | bmp[31] << 8)};
}

// Exact comparison; without alpha in the source, alpha must be 255. Reports
// the first differences and returns whether all pixels are equal.
bool ExpectPixels(const TBitmap32& bmp, const TPicture& want, bool compareAlpha) {
  if (bmp.Width() != want.Width || bmp.Height() != want.Height) {
    ADD_FAILURE() << "size " << bmp.Width() << "x" << bmp.Height() << ", want " << want.Width << "x" << want.Height;
    return false;
  }
  int mismatches = 0;
  for (int y = 0; y < want.Height; ++y)
    for (int x = 0; x < want.Width; ++x) {
      uint32_t c = want.At(x, y);
      uint32_t expect = (compareAlpha ? (c & 0xFF000000u) : 0xFF000000u) | (c & 0xFF) << 16 | (c & 0xFF00) |
                        (c >> 16 & 0xFF);
      if (bmp.Pixel(x, y) != expect && ++mismatches <= 3)
        ADD_FAILURE() << "pixel (" << x << "," << y << ") is " << Hex(bmp.Pixel(x, y)) << ", want " << Hex(expect);
    }
  EXPECT_EQ(mismatches, 0);
  return mismatches == 0;
}

// An n-bit sample widened to 8 bits by repeating its bits (all ones -> 255).
uint8_t Widen(unsigned v, int bits) {
  unsigned out = 0;
  int filled = 0;
  for (; filled < 8; filled += bits) out = (out << bits) | v;
  return uint8_t(out >> (filled - 8));
}

// ImageMagick widens 1- and 4-bit fields by shifting only (15 -> 240, 1-bit
// alpha -> 128); take the stored n-bit values from its reading and widen them
// properly. For 5- and 6-bit fields both agree.
TPicture Requantize(const TPicture& read, const int bits[4]) {
  TPicture out = read;
  for (uint32_t& c : out.Rgba) {
    uint32_t r = 0;
    for (int ch = 0; ch < 4; ++ch) {
      unsigned v = (c >> (8 * ch)) & 0xFF;
      if (bits[ch] > 0) v = Widen(v >> (8 - bits[ch]), bits[ch]);
      r |= v << (8 * ch);
    }
    c = r;
  }
  return out;
}

struct TVariant {
  const char* Name;
  const TPicture& (*Picture)();
  const char* Options;
  const char* Format;
  TLayout Layout;
  TPixelFormat PixelFormat;
  // Lossy files: bits of red, green, blue, alpha (0: as read); the expected
  // pixels come from ImageMagick's reading of the file.
  int Bits[4];
};

const TVariant Variants[] = {
    {"Os2Core24", TrueColorPicture, "-type TrueColor", "BMP2", {12, 24, 0}, TPixelFormat::pf24bit, {}},
    {"Os2Core8", TrueColorPicture, "-type Palette -compress None", "BMP2", {12, 8, 0}, TPixelFormat::pf8bit, {}},
    {"Os2Core4", FourColorPicture, "-type Palette", "BMP2", {12, 4, 0}, TPixelFormat::pf4bit, {}},
    {"Os2Core1", TwoColorPicture, "-type Palette", "BMP2", {12, 1, 0}, TPixelFormat::pf1bit, {}},
    {"Info1", TwoColorPicture, "-type Palette -compress None", "BMP3", {40, 1, 0}, TPixelFormat::pf1bit, {}},
    {"Info4", FourColorPicture, "-type Palette -compress None", "BMP3", {40, 4, 0}, TPixelFormat::pf4bit, {}},
    {"Info8", TrueColorPicture, "-type Palette -compress None", "BMP3", {40, 8, 0}, TPixelFormat::pf8bit, {}},
    {"Info8Rle", StripedPicture, "-type Palette -compress RLE", "BMP3", {40, 8, 1}, TPixelFormat::pf8bit, {}},
    {"Info24", TrueColorPicture, "-type TrueColor", "BMP3", {40, 24, 0}, TPixelFormat::pf24bit, {}},
    {"Info32", AlphaPicture, "-define bmp3:alpha=true", "BMP3", {40, 32, 0}, TPixelFormat::pf32bit, {}},
    {"V5Bits4", FourColorPicture, "-type Palette -compress None", "BMP", {124, 4, 0}, TPixelFormat::pf4bit, {}},
    {"V5Rle8", StripedPicture, "-type Palette -compress RLE", "BMP", {124, 8, 1}, TPixelFormat::pf8bit, {}},
    {"V5Bits24", TrueColorPicture, "-type TrueColor", "BMP", {124, 24, 0}, TPixelFormat::pf24bit, {}},
    {"V5Bitfields32", AlphaPicture, "", "BMP", {124, 32, 3}, TPixelFormat::pf32bit, {}},
    {"V5Rgb565", TrueColorPicture, "-define bmp:subtype=RGB565", "BMP", {124, 16, 3}, TPixelFormat::pf16bit, {5, 6, 5, 0}},
    {"V5Rgb555", TrueColorPicture, "-define bmp:subtype=RGB555", "BMP", {124, 16, 3}, TPixelFormat::pf15bit, {5, 5, 5, 0}},
    {"V5Argb4444", AlphaPicture, "-define bmp:subtype=ARGB4444", "BMP", {124, 16, 3}, TPixelFormat::pf16bit,
     {4, 4, 4, 4}},
    {"V5Argb1555", AlphaPicture, "-define bmp:subtype=ARGB1555", "BMP", {124, 16, 3}, TPixelFormat::pf15bit,
     {5, 5, 5, 1}},
};

TEST_F(BmpFromImageMagick, EveryVariantDecodesToTheSamePixels) {
  int passed = 0;
  for (const TVariant& v : Variants) {
    SCOPED_TRACE(v.Name);
    const TPicture& picture = v.Picture();
    TBytes file = Run(WritePicture(picture), v.Options, v.Format);
    ASSERT_FALSE(file.empty());
    TLayout layout = LayoutOf(file);
    ASSERT_EQ(layout.HeaderSize, v.Layout.HeaderSize);
    ASSERT_EQ(layout.Bits, v.Layout.Bits);
    ASSERT_EQ(layout.Compression, v.Layout.Compression);
    TBitmap32 bmp;
    ASSERT_NO_THROW(LoadBmp(file.data(), file.size(), bmp));
    EXPECT_EQ(bmp.PixelFormat, v.PixelFormat);
    bool lossy = v.Bits[0] != 0;
    bool same = lossy ? ExpectPixels(bmp, Requantize(ReadBack(file, picture.Width, picture.Height), v.Bits), true)
                      : ExpectPixels(bmp, picture, picture.HasAlpha);
    if (same && bmp.PixelFormat == v.PixelFormat) ++passed;
  }
  std::cout << "BMP variants from ImageMagick: " << passed << "/" << std::size(Variants) << " decode exactly\n";
  RecordProperty("VariantsPassed", passed);
}

// Top-down files: the same rows in the opposite order and a negative height.
TBytes ToTopDown(const TBytes& file) {
  TBytes out = file;
  uint32_t off = file[10] | file[11] << 8 | file[12] << 16 | uint32_t(file[13]) << 24;
  int32_t w = int32_t(file[18] | file[19] << 8 | file[20] << 16 | uint32_t(file[21]) << 24);
  int32_t h = int32_t(file[22] | file[23] << 8 | file[24] << 16 | uint32_t(file[25]) << 24);
  uint32_t bits = file[28] | file[29] << 8;
  size_t stride = (size_t(w) * bits + 31) / 32 * 4;
  for (int32_t r = 0; r < h; ++r)
    std::memcpy(&out[off + size_t(r) * stride], &file[off + size_t(h - 1 - r) * stride], stride);
  SetLe32(out, 22, uint32_t(-h));
  return out;
}

TEST_F(BmpFromImageMagick, TopDownFilesDecodeLikeBottomUp) {
  struct {
    const TPicture& (*Picture)();
    const char* Options;
    const char* Format;
  } cases[] = {{TrueColorPicture, "-type TrueColor", "BMP3"},
               {TwoColorPicture, "-type Palette -compress None", "BMP3"},
               {FourColorPicture, "-type Palette -compress None", "BMP3"},
               {TrueColorPicture, "-type Palette -compress None", "BMP3"},
               {AlphaPicture, "", "BMP"}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.Options);
    TBytes file = Run(WritePicture(c.Picture()), c.Options, c.Format);
    ASSERT_EQ(LayoutOf(file).Compression == 0 || LayoutOf(file).Compression == 3, true);
    TBytes topDown = ToTopDown(file);
    TBitmap32 bmp;
    ASSERT_NO_THROW(LoadBmp(topDown.data(), topDown.size(), bmp));
    ExpectPixels(bmp, c.Picture(), c.Picture().HasAlpha);
  }
}

// The V5 file cut down to a V4 header: the first 108 bytes are the same.
TEST_F(BmpFromImageMagick, V4HeaderReadsLikeV5) {
  TBytes v5 = Run(WritePicture(AlphaPicture()), "", "BMP");
  ASSERT_EQ(LayoutOf(v5).HeaderSize, 124u);
  TBytes v4(v5.begin(), v5.begin() + 14 + 108);
  v4.insert(v4.end(), v5.begin() + 14 + 124, v5.end());
  SetLe32(v4, 14, 108);
  uint32_t off = v5[10] | v5[11] << 8 | v5[12] << 16 | uint32_t(v5[13]) << 24;
  SetLe32(v4, 10, off - 16);
  TBitmap32 bmp;
  ASSERT_NO_THROW(LoadBmp(v4.data(), v4.size(), bmp));
  EXPECT_EQ(bmp.PixelFormat, TPixelFormat::pf32bit);
  ExpectPixels(bmp, AlphaPicture(), true);
}

// An OS/2 2.x header (64 bytes) in front of a palette file's data.
TEST_F(BmpFromImageMagick, Os2Version2HeaderReadsLikeInfoHeader) {
  TBytes info = Run(WritePicture(TrueColorPicture()), "-type Palette -compress None", "BMP3");
  ASSERT_EQ(LayoutOf(info).HeaderSize, 40u);
  TBytes os2(info.begin(), info.begin() + 14 + 40);
  os2.insert(os2.end(), 24, 0);
  os2.insert(os2.end(), info.begin() + 14 + 40, info.end());
  SetLe32(os2, 14, 64);
  uint32_t off = info[10] | info[11] << 8 | info[12] << 16 | uint32_t(info[13]) << 24;
  SetLe32(os2, 10, off + 24);
  TBitmap32 bmp;
  ASSERT_NO_THROW(LoadBmp(os2.data(), os2.size(), bmp));
  ExpectPixels(bmp, TrueColorPicture(), false);
}

}  // namespace
