// TPNGGraphic against libpng on the same bytes, both giving 8-bit BGRA
// (libpng with the transforms that match the reader's output). Pictures:
// a few from the PNG test suite and two larger ones encoded here.
#include "skin/acPNG.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>

namespace {

struct TWriteBuffer {
  TBytes Data;
};

void WriteToBuffer(png_structp png, png_bytep data, png_size_t length) {
  auto* b = static_cast<TWriteBuffer*>(png_get_io_ptr(png));
  b->Data.insert(b->Data.end(), data, data + length);
}
void FlushNothing(png_structp) {}

// Smooth gradients with some noise and hard edges: compresses like artwork.
TBytes EncodeSynthetic(int w, int h, int channels) {
  std::mt19937 rng(42);
  std::vector<uint8_t> pixels(size_t(w) * h * channels);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &pixels[(size_t(y) * w + x) * channels];
      bool edge = ((x / 64) + (y / 48)) % 3 == 0;
      p[0] = uint8_t(x * 255 / w);
      p[1] = uint8_t(y * 255 / h);
      p[2] = uint8_t(edge ? 200 : (x ^ y) & 0x3F) + uint8_t(rng() % 4);
      if (channels == 4) p[3] = uint8_t(edge ? 255 : 128 + (x + y) % 128);
    }
  TWriteBuffer out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) std::abort();
  png_set_write_fn(png, &out, WriteToBuffer, FlushNothing);
  png_set_IHDR(png, info, w, h, 8, channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < h; ++y) png_write_row(png, &pixels[size_t(y) * w * channels]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out.Data;
}

TBytes ReadSuiteFile(const char* name) {
  std::ifstream in(std::filesystem::path(QN_SHARED_DIR) / "testdata" / "pngsuite" / name, std::ios::binary);
  return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const TBytes& Picture(const std::string& name) {
  static std::map<std::string, TBytes> cache;
  auto it = cache.find(name);
  if (it != cache.end()) return it->second;
  TBytes data;
  if (name == "rgba512")
    data = EncodeSynthetic(512, 512, 4);
  else if (name == "rgb1024")
    data = EncodeSynthetic(1024, 1024, 3);
  else
    data = ReadSuiteFile(name.c_str());
  return cache.emplace(name, std::move(data)).first->second;
}

struct TMemReader {
  const TBytes* Data;
  size_t Pos;
};

void ReadFromBuffer(png_structp png, png_bytep out, png_size_t count) {
  auto* r = static_cast<TMemReader*>(png_get_io_ptr(png));
  if (r->Data->size() - r->Pos < count) png_error(png, "read past end");
  std::memcpy(out, r->Data->data() + r->Pos, count);
  r->Pos += count;
}

// The same output as TPNGGraphic: 8-bit BGRA, tRNS as alpha, gAMA applied.
void DecodeWithLibpng(const TBytes& data, std::vector<uint32_t>& pixels) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) std::abort();
  TMemReader reader{&data, 0};
  png_set_read_fn(png, &reader, ReadFromBuffer);
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  double gamma = 0;
  if (png_get_gAMA(png, info, &gamma) && gamma > 0) png_set_gamma(png, 2.2, gamma);
  png_set_bgr(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  int w = int(png_get_image_width(png, info)), h = int(png_get_image_height(png, info));
  pixels.resize(size_t(w) * h);
  rows.resize(h);
  for (int y = 0; y < h; ++y) rows[y] = reinterpret_cast<png_bytep>(&pixels[size_t(y) * w]);
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
}

void BM_TPNGGraphic(benchmark::State& state, const char* name) {
  const TBytes& data = Picture(name);
  for (auto _ : state) {
    TPNGGraphic png;
    png.LoadFromBytes(data.data(), data.size());
    benchmark::DoNotOptimize(png.Bitmap().Bits());
  }
  TPNGGraphic png;
  png.LoadFromBytes(data.data(), data.size());
  state.SetItemsProcessed(state.iterations() * int64_t(png.Width()) * png.Height());
}

void BM_Libpng(benchmark::State& state, const char* name) {
  const TBytes& data = Picture(name);
  std::vector<uint32_t> pixels;
  for (auto _ : state) {
    DecodeWithLibpng(data, pixels);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * int64_t(pixels.size()));
}

#define QN_PNG_BENCH(name)                                        \
  BENCHMARK_CAPTURE(BM_TPNGGraphic, name, #name)->Unit(benchmark::kMicrosecond); \
  BENCHMARK_CAPTURE(BM_Libpng, name, #name)->Unit(benchmark::kMicrosecond)

#define QN_SUITE_BENCH(label, file)                                         \
  BENCHMARK_CAPTURE(BM_TPNGGraphic, label, file)->Unit(benchmark::kMicrosecond); \
  BENCHMARK_CAPTURE(BM_Libpng, label, file)->Unit(benchmark::kMicrosecond)

QN_SUITE_BENCH(suite_rgba8, "basn6a08.png");
QN_SUITE_BENCH(suite_rgb16_adam7, "basi2c16.png");
QN_SUITE_BENCH(suite_palette4, "basn3p04.png");
QN_SUITE_BENCH(suite_grey16_gamma, "g25n0g16.png");
QN_PNG_BENCH(rgba512);
QN_PNG_BENCH(rgb1024);

}  // namespace

BENCHMARK_MAIN();
