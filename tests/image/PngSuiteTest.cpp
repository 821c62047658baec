// Conformance: every picture of the PNG test suite decodes to the pixels
// libpng gives when asked for the same output (8-bit BGRA, tRNS as alpha,
// 16-bit samples cut to the high byte, gAMA corrected to a display gamma of
// 2.2), and every deliberately broken one is refused. Where gamma applies
// both sides round differently, so colour may differ by one there; the same
// files with their gAMA chunk removed must match exactly.
#include "skin/acPNG.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace {

const std::filesystem::path SuiteDir = std::filesystem::path(QN_SHARED_DIR) / "testdata" / "pngsuite";

TBytes ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct TOracleImage {
  bool Ok = false;
  String Error;
  int Width = 0, Height = 0;
  bool Gamma = false;
  std::vector<uint32_t> Pixels;
};

struct TMemReader {
  const TBytes* Data;
  size_t Pos;
};

void OracleRead(png_structp png, png_bytep out, png_size_t count) {
  auto* r = static_cast<TMemReader*>(png_get_io_ptr(png));
  if (r->Data->size() - r->Pos < count) png_error(png, "read past end");
  std::memcpy(out, r->Data->data() + r->Pos, count);
  r->Pos += count;
}

void OracleError(png_structp png, png_const_charp msg) {
  auto* image = static_cast<TOracleImage*>(png_get_error_ptr(png));
  image->Error = msg;
  png_longjmp(png, 1);
}
void OracleWarning(png_structp, png_const_charp) {}

// libpng configured to produce what TPNGGraphic promises.
TOracleImage DecodeWithLibpng(const TBytes& data) {
  TOracleImage image;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &image, OracleError, OracleWarning);
  png_infop info = png_create_info_struct(png);
  TMemReader reader{&data, 0};
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    image.Ok = false;
    return image;
  }
  png_set_read_fn(png, &reader, OracleRead);
  png_read_info(png, info);
  // 16-bit stays 16-bit here and is cut to its high byte below: libpng's own
  // 16-to-8 gamma path works on 11 bits and would hide precision.
  png_set_expand(png);
  png_set_gray_to_rgb(png);
  double fileGamma = 0;
  if (png_get_valid(png, info, PNG_INFO_gAMA) && png_get_gAMA(png, info, &fileGamma) && fileGamma > 0) {
    png_set_gamma(png, 2.2, fileGamma);
    image.Gamma = true;
  }
  png_set_bgr(png);
  png_set_filler(png, 0xFFFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  image.Width = int(png_get_image_width(png, info));
  image.Height = int(png_get_image_height(png, info));
  const bool wide = png_get_bit_depth(png, info) == 16;
  const size_t sampleBytes = wide ? 2 : 1;
  std::vector<uint8_t> buffer(size_t(image.Width) * image.Height * 4 * sampleBytes);
  rows.resize(image.Height);
  for (int y = 0; y < image.Height; ++y) rows[y] = &buffer[size_t(y) * image.Width * 4 * sampleBytes];
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  image.Pixels.resize(size_t(image.Width) * image.Height);
  for (size_t i = 0; i < image.Pixels.size(); ++i) {
    const uint8_t* s = &buffer[i * 4 * sampleBytes];  // high byte first in 16-bit samples
    image.Pixels[i] = uint32_t(s[0]) | uint32_t(s[sampleBytes]) << 8 | uint32_t(s[2 * sampleBytes]) << 16 |
                      uint32_t(s[3 * sampleBytes]) << 24;
  }
  png_destroy_read_struct(&png, &info, nullptr);
  image.Ok = true;
  return image;
}

std::vector<std::filesystem::path> SuiteFiles(bool corrupt) {
  std::vector<std::filesystem::path> files;
  if (!std::filesystem::is_directory(SuiteDir)) return files;
  for (auto& entry : std::filesystem::directory_iterator(SuiteDir)) {
    auto name = entry.path().filename().string();
    if (entry.path().extension() != ".png") continue;
    if ((name[0] == 'x') == corrupt) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Empty when equal; else the first difference. Alpha must always be exact;
// colour may differ by one where both sides applied gamma.
String Compare(const TBitmap32& bmp, const TOracleImage& ref) {
  if (bmp.Width() != ref.Width || bmp.Height() != ref.Height)
    return Format("size %dx%d, libpng %dx%d", bmp.Width(), bmp.Height(), ref.Width, ref.Height);
  const int tolerance = ref.Gamma ? 1 : 0;
  for (int y = 0; y < ref.Height; ++y)
    for (int x = 0; x < ref.Width; ++x) {
      uint32_t a = bmp.Pixel(x, y), b = ref.Pixels[size_t(y) * ref.Width + x];
      bool ok = (a >> 24) == (b >> 24);
      for (int shift = 0; shift < 24 && ok; shift += 8)
        ok = std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) <= tolerance;
      if (!ok) return Format("pixel (%d,%d) is %08X, libpng %08X", x, y, a, b);
    }
  return {};
}

TEST(PngSuiteConformance, EveryValidImageMatchesLibpng) {
  auto files = SuiteFiles(false);
  if (files.empty()) GTEST_SKIP() << "no test suite at " << SuiteDir;
  int passed = 0;
  for (auto& path : files) {
    SCOPED_TRACE(path.filename().string());
    TBytes data = ReadFileBytes(path);
    TOracleImage ref = DecodeWithLibpng(data);
    ASSERT_TRUE(ref.Ok) << "libpng refused a valid file: " << ref.Error;
    TPNGGraphic png;
    try {
      png.LoadFromBytes(data.data(), data.size());
    } catch (const Exception& e) {
      ADD_FAILURE() << "refused: " << e.Message();
      continue;
    }
    String diff = Compare(png.Bitmap(), ref);
    if (diff.empty())
      ++passed;
    else
      ADD_FAILURE() << diff;
  }
  std::cout << "PngSuite valid images: " << passed << "/" << files.size() << " decode like libpng\n";
  RecordProperty("ValidPassed", passed);
  RecordProperty("ValidTotal", int(files.size()));
  EXPECT_EQ(passed, int(files.size()));
}

// The file without its gAMA chunks; the other chunks and their CRCs stay.
TBytes WithoutGamma(const TBytes& data) {
  TBytes out(data.begin(), data.begin() + 8);
  size_t pos = 8;
  while (pos + 12 <= data.size()) {
    uint32_t len = uint32_t(data[pos]) << 24 | uint32_t(data[pos + 1]) << 16 | uint32_t(data[pos + 2]) << 8 | data[pos + 3];
    size_t end = std::min(data.size(), pos + 12 + len);
    if (std::memcmp(&data[pos + 4], "gAMA", 4) != 0) out.insert(out.end(), data.begin() + pos, data.begin() + end);
    pos = end;
  }
  return out;
}

TEST(PngSuiteConformance, EveryValidImageWithoutGammaMatchesLibpngExactly) {
  auto files = SuiteFiles(false);
  if (files.empty()) GTEST_SKIP() << "no test suite at " << SuiteDir;
  int passed = 0;
  for (auto& path : files) {
    SCOPED_TRACE(path.filename().string());
    TBytes data = WithoutGamma(ReadFileBytes(path));
    TOracleImage ref = DecodeWithLibpng(data);
    ASSERT_TRUE(ref.Ok) << ref.Error;
    ASSERT_FALSE(ref.Gamma);
    TPNGGraphic png;
    ASSERT_NO_THROW(png.LoadFromBytes(data.data(), data.size()));
    EXPECT_EQ(png.FileGamma(), 0u);
    String diff = Compare(png.Bitmap(), ref);
    if (diff.empty())
      ++passed;
    else
      ADD_FAILURE() << diff;
  }
  std::cout << "PngSuite valid images without gAMA: " << passed << "/" << files.size() << " identical to libpng\n";
  EXPECT_EQ(passed, int(files.size()));
}

TEST(PngSuiteConformance, EveryCorruptImageIsRefused) {
  auto files = SuiteFiles(true);
  if (files.empty()) GTEST_SKIP() << "no test suite at " << SuiteDir;
  int passed = 0;
  for (auto& path : files) {
    SCOPED_TRACE(path.filename().string());
    TBytes data = ReadFileBytes(path);
    EXPECT_FALSE(DecodeWithLibpng(data).Ok) << "libpng accepts it too";
    TPNGGraphic png;
    try {
      png.LoadFromBytes(data.data(), data.size());
      ADD_FAILURE() << "accepted a corrupt file";
    } catch (const EPNGError& e) {
      EXPECT_FALSE(e.Message().empty());
      ++passed;
    }
    EXPECT_TRUE(png.Empty());
  }
  std::cout << "PngSuite corrupt images: " << passed << "/" << files.size() << " refused\n";
  RecordProperty("CorruptPassed", passed);
  RecordProperty("CorruptTotal", int(files.size()));
  EXPECT_EQ(passed, int(files.size()));
}

// The error texts the skin loader shows, checked on the suite's own examples.
TEST(PngSuiteConformance, CorruptImagesGiveTheirMessages) {
  if (!std::filesystem::is_directory(SuiteDir)) GTEST_SKIP();
  auto messageOf = [](const char* name) -> String {
    TBytes data = ReadFileBytes(SuiteDir / name);
    try {
      TPNGGraphic png;
      png.LoadFromBytes(data.data(), data.size());
    } catch (const EPNGError& e) {
      return e.Message();
    }
    return "accepted";
  };
  EXPECT_EQ(messageOf("xs1n0g01.png"), "Cannot load image. Invalid or unexpected PNG image format.");
  EXPECT_EQ(messageOf("xlfn0g04.png"), "Cannot load image. Invalid or unexpected PNG image format.");
  EXPECT_EQ(messageOf("xc1n0g08.png"), "Invalid color format in PNG file.");
  EXPECT_EQ(messageOf("xc9n2c08.png"), "Invalid color format in PNG file.");
  EXPECT_EQ(messageOf("xd0n2c08.png"), "Invalid color format in PNG file.");
  EXPECT_EQ(messageOf("xd3n2c08.png"), "Invalid color format in PNG file.");
  EXPECT_EQ(messageOf("xcsn0g01.png"), "Cannot load PNG image. CRC error in chunk IDAT.");
  EXPECT_EQ(messageOf("xhdn0g08.png"), "Cannot load PNG image. CRC error in chunk IHDR.");
  EXPECT_EQ(messageOf("xdtn0g01.png"), "Cannot load PNG image. The image has no data (IDAT).");
}

// Source classes the skin code converts by.
TEST(PngSuiteConformance, PixelFormatTellsTheSourceKind) {
  if (!std::filesystem::is_directory(SuiteDir)) GTEST_SKIP();
  auto formatOf = [](const char* name) {
    TBytes data = ReadFileBytes(SuiteDir / name);
    TPNGGraphic png;
    png.LoadFromBytes(data.data(), data.size());
    return png.Bitmap().PixelFormat;
  };
  EXPECT_EQ(formatOf("basn6a08.png"), TPixelFormat::pf32bit);
  EXPECT_EQ(formatOf("basn6a16.png"), TPixelFormat::pf32bit);
  EXPECT_EQ(formatOf("basn2c08.png"), TPixelFormat::pf24bit);
  EXPECT_EQ(formatOf("basn2c16.png"), TPixelFormat::pf24bit);
  EXPECT_EQ(formatOf("basn3p01.png"), TPixelFormat::pf1bit);
  EXPECT_EQ(formatOf("basn3p02.png"), TPixelFormat::pf4bit);
  EXPECT_EQ(formatOf("basn3p04.png"), TPixelFormat::pf4bit);
  EXPECT_EQ(formatOf("basn3p08.png"), TPixelFormat::pf8bit);
  EXPECT_EQ(formatOf("basn0g16.png"), TPixelFormat::pf8bit);
  EXPECT_EQ(formatOf("basn4a08.png"), TPixelFormat::pf8bit);
}

}  // namespace
