// One fade step (the blend of the old and the new picture of a control)
// against copying the same bytes, at an edit's size and a large panel's.
#include "controls/acGlowFadeMath.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

namespace {

TBitmap32 Noise(int w, int h, unsigned seed) {
  TBitmap32 b(w, h);
  std::mt19937 rng(seed);
  for (size_t i = 0; i < b.PixelCount(); ++i) b.Bits()[i] = rng();
  return b;
}

void BM_FadeStep(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  const TBitmap32 from = Noise(w, h, 1), to = Noise(w, h, 2);
  TBitmap32 dst(w, h);
  int level = 1;
  for (auto _ : state) {
    FadeBlend(dst, from, to, FadeWeight(level, 10));
    level = level % 10 + 1;
    benchmark::DoNotOptimize(dst.Bits());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * w * h * 4);
}
BENCHMARK(BM_FadeStep)->Args({129, 26})->Args({400, 300});

void BM_Memcpy(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  const TBitmap32 from = Noise(w, h, 1);
  TBitmap32 dst(w, h);
  for (auto _ : state) {
    std::memcpy(dst.Bits(), from.Bits(), from.PixelCount() * sizeof(uint32_t));
    benchmark::DoNotOptimize(dst.Bits());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * w * h * 4);
}
BENCHMARK(BM_Memcpy)->Args({129, 26})->Args({400, 300});

}  // namespace

BENCHMARK_MAIN();
