// The colour dialog's pictures and one mouse-move step, with memcpy of the
// same bytes as the baseline. A drag step has a 16.7 ms frame to fit in.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "colordialog/sColorDialogModel.h"

namespace {

void BM_CreateExtBmp(benchmark::State& state) {
  TBitmap32 bmp;
  for (auto _ : state) {
    CreateExtBmp(bmp, FieldWidth, FieldHeight);
    benchmark::DoNotOptimize(bmp.Bits());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * FieldWidth * FieldHeight * 4);
}
BENCHMARK(BM_CreateExtBmp);

void BM_MemcpyExtBmp(benchmark::State& state) {
  std::vector<uint32_t> src(size_t(FieldWidth) * FieldHeight, 0x12345678u), dst(src.size());
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size() * 4);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(src.size()) * 4);
}
BENCHMARK(BM_MemcpyExtBmp);

void BM_BarRamp(benchmark::State& state) {
  TBitmap32 bar(BarWidth, BarHeight);
  TColor base = RGBColor(255, 100, 0);
  for (auto _ : state) {
    PaintBarRamp(bar, base);
    benchmark::DoNotOptimize(bar.Bits());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * BarWidth * BarHeight * 4);
}
BENCHMARK(BM_BarRamp);

void BM_MemcpyBarRamp(benchmark::State& state) {
  std::vector<uint32_t> src(size_t(BarWidth) * BarHeight, 0x12345678u), dst(src.size());
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size() * 4);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(src.size()) * 4);
}
BENCHMARK(BM_MemcpyBarRamp);

// What the form redraws while the mouse moves: the bar picture when its
// base colour may have changed, and the arrow strip beside the bar.
class TPixelView : public TColorDialogView {
public:
  explicit TPixelView(TacColorDialogModel& m)
      : FModel(m), Bar(BarWidth, BarHeight), Strip(10, BarHeight + 10), Scratch(10, BarHeight + 10) {
    Strip.Fill(0xFFF0F0F0u);
  }
  void RepaintBar() override { PaintBarRamp(Bar, FModel.BaseColor()); }
  void RedrawMarkerArea() override {
    Scratch.CopyRect(0, 0, Strip, Rect(0, 0, Strip.Width(), Strip.Height()));
    DrawMarkerArrow(Scratch, Point(0, FModel.BarRow() + 5), 0xFF000000u);
  }
  TacColorDialogModel& FModel;
  TBitmap32 Bar, Strip, Scratch;
};

void BM_FieldDragStep(benchmark::State& state) {
  TacColorDialogModel model;
  TPixelView view(model);
  model.SetView(&view);
  model.FormShow(RGBColor(60, 61, 61));
  model.FieldMouseDown(10, 10);
  int i = 0;
  for (auto _ : state) {
    i = (i + 7) % 260;
    model.FieldMouseMove(i, 259 - i);
    benchmark::DoNotOptimize(view.Bar.Bits());
  }
  model.FieldMouseUp();
}
BENCHMARK(BM_FieldDragStep);

void BM_BarDragStep(benchmark::State& state) {
  TacColorDialogModel model;
  TPixelView view(model);
  model.SetView(&view);
  model.FormShow(RGBColor(60, 61, 61));
  model.BarMouseDown(10);
  int i = 0;
  for (auto _ : state) {
    i = (i + 7) % 260;
    model.BarMouseMove(i);
    benchmark::DoNotOptimize(view.Scratch.Bits());
  }
  model.BarMouseUp();
}
BENCHMARK(BM_BarDragStep);

}  // namespace

BENCHMARK_MAIN();
