// Pixel routines of the painting layer against plain memcpy and memset of the
// same buffers, at a small edit's size, a mid-sized panel and a full screen.
#include "paint/sGlyphUtils.h"
#include "paint/sGradient.h"
#include "paint/sGraphUtils.h"
#include "paint/sMaskDraw.h"
#include "bench/BenchSkin.h"
#include "paint/sSkinPaint.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

namespace {

TBitmap32 Noise(int w, int h, uint32_t seed) {
  std::mt19937 rng(seed);
  TBitmap32 b(w, h);
  for (size_t i = 0; i < b.PixelCount(); ++i) b.Bits()[i] = uint32_t(rng());
  return b;
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Args({129, 26})->Args({256, 256})->Args({1920, 1080});
}

void Account(benchmark::State& state) {
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0) * state.range(1) * 4);
}

void BM_Memcpy(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  TBitmap32 src = Noise(w, h, 1), dst(w, h);
  for (auto _ : state) {
    std::memcpy(dst.Bits(), src.Bits(), src.PixelCount() * 4);
    benchmark::ClobberMemory();
  }
  Account(state);
}

void BM_Memset(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  TBitmap32 dst(w, h);
  for (auto _ : state) {
    std::memset(dst.Bits(), 0x5A, dst.PixelCount() * 4);
    benchmark::ClobberMemory();
  }
  Account(state);
}

void BM_FillRect32(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  TBitmap32 dst(w, h);
  for (auto _ : state) {
    FillRect32(dst, Rect(0, 0, w, h), 0x336699, 0xFF);
    benchmark::ClobberMemory();
  }
  Account(state);
}

void BM_BlendColorRect(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  TBitmap32 dst = Noise(w, h, 2);
  for (auto _ : state) {
    BlendColorRect(dst, Rect(0, 0, w, h), 60, 0x336699);
    benchmark::ClobberMemory();
  }
  Account(state);
}

void BM_BlendBitmapRect(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  TBitmap32 src = Noise(w, h, 3), dst = Noise(w, h, 4);
  for (auto _ : state) {
    BlendBitmapRect(dst, src, 128, Point(0, 0), Rect(0, 0, w, h));
    benchmark::ClobberMemory();
  }
  Account(state);
}

void BM_BlendBitmapKeyed(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  TBitmap32 src = Noise(w, h, 5), dst = Noise(w, h, 6);
  for (size_t i = 0; i < src.PixelCount(); i += 8) src.Bits()[i] = KeyPixel;  // an eighth keyed out
  for (auto _ : state) {
    BlendBitmapKeyed(dst, 0, 0, KeyPixel, 40, Rect(0, 0, w, h), src);
    benchmark::ClobberMemory();
  }
  Account(state);
}

void BM_MaskedCopy(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  TBitmap32 src = Noise(w, 2 * h, 7), dst = Noise(w, h, 8);  // image over its mask
  for (int y = 0; y < h; y += 3) src.SetPixel(y % w, y, KeyPixel);
  const TCacheInfo none;
  for (auto _ : state) {
    CopyMasked(dst, 0, 0, src, Rect(0, 0, w, h), h, false, none);
    benchmark::ClobberMemory();
  }
  Account(state);
}

void BM_TileTexture(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  TBitmap32 tile = Noise(64, 64, 9), dst(w, h);
  for (auto _ : state) {
    TRect r = Rect(0, 0, w, h);
    TileTexture(dst, r, tile, Rect(0, 0, 64, 64), 0);
    benchmark::ClobberMemory();
  }
  Account(state);
}

void BM_PaintGradient0(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  TBitmap32 dst(w, h);
  TsGradArray pieces;
  ParseGradientData("16777215;16579058;50;0;0;16579058;8421504;50;0;0", pieces);
  for (auto _ : state) {
    PaintGradient(dst, Rect(0, 0, w, h), pieces);
    benchmark::ClobberMemory();
  }
  Account(state);
}

void BM_BlurMask8(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  TCoverage8 mask(w, h, 255);
  for (int y = h / 4; y < h * 3 / 4; ++y)
    for (int x = w / 4; x < w * 3 / 4; ++x) mask.At(x, y) = uint8_t((x * 7 + y * 3) & 0xFF);
  for (auto _ : state) {
    TCoverage8 m = mask;
    BlurMask8(m, 3);
    benchmark::DoNotOptimize(m.Row(0));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * w * h);
}


// A whole "EDIT" section as a control paints its cache, over the dialog's colour.
void BM_PaintSectionEdit(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  const TacSkinModel* sm = BuiltInSkin();
  const int edit = sm ? sm->GetSkinIndex("EDIT") : -1, dialog = sm ? sm->GetSkinIndex("DIALOG") : -1;
  if (edit < 0) {
    state.SkipWithError("the built-in skin or its EDIT section is missing");
    return;
  }
  TCacheInfo ci;
  ci.FillColor = dialog >= 0 ? sm->gd[size_t(dialog)].Props[0].Color : clWhite;
  TBitmap32 cache(w, h);
  for (auto _ : state) {
    PaintSectionByIndex(edit, "EDIT", ci, 0, Rect(0, 0, w, h), Point(8, 8), cache, sm);
    benchmark::ClobberMemory();
  }
  Account(state);
}

}  // namespace

BENCHMARK(BM_Memcpy)->Apply(Sizes);
BENCHMARK(BM_Memset)->Apply(Sizes);
BENCHMARK(BM_FillRect32)->Apply(Sizes);
BENCHMARK(BM_BlendColorRect)->Apply(Sizes);
BENCHMARK(BM_BlendBitmapRect)->Apply(Sizes);
BENCHMARK(BM_BlendBitmapKeyed)->Apply(Sizes);
BENCHMARK(BM_MaskedCopy)->Apply(Sizes);
BENCHMARK(BM_TileTexture)->Apply(Sizes);
BENCHMARK(BM_PaintGradient0)->Apply(Sizes);
BENCHMARK(BM_BlurMask8)->Apply(Sizes);
BENCHMARK(BM_PaintSectionEdit)->Apply(Sizes);

BENCHMARK_MAIN();
