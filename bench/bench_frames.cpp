// The skinned form's frame: the whole-window cache painted from the built-in
// skin at the tool window's size and at a full screen (with a memcpy of the
// same cache as the baseline), the title and button layout, and hit testing.
#include "bench/BenchSkin.h"
#include "frames/sFramePaint.h"
#include "paint/sGraphUtils.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

// A sizeable form (or the tool window at its own size) on the built-in skin.
TacFrameLayout Form(int w, int h) {
  TacFrameLayout l;
  l.Skin = BuiltInSkin();
  const bool tool = w < 200;
  l.Wnd.Width = w;
  l.Wnd.Height = h;
  l.Wnd.FrameWidth = tool ? 3 : 4;
  l.Wnd.CyCaption = 19;
  l.Wnd.CySmCaption = 15;
  l.Wnd.BorderStyle = tool ? TacBorderStyle::bsToolWindow : TacBorderStyle::bsSizeable;
  l.Wnd.WsThickFrame = !tool;
  l.Wnd.GripMode = tool ? TacGripMode::gmNone : TacGripMode::gmRightBottom;
  const int top = l.Wnd.FrameWidth + (tool ? 15 : 19);
  l.Wnd.ClientRect = Rect(l.Wnd.FrameWidth, top, w - l.Wnd.FrameWidth, h - l.Wnd.FrameWidth);
  l.Wnd.CaptionTextWidth = 60;
  l.Wnd.CaptionTextHeight = 13;
  l.UpdateIndexes();
  l.InitButtonImages();
  l.CalcItems();
  return l;
}

TacFrameHooks Hooks() {
  TacFrameHooks h;
  // Stands in for the system's text output: a block of the text's size.
  h.DrawCaptionText = [](const TPixelView& v, const TRect& r, uint32_t, bool) {
    FillRect32(v, Rect(r.Left, r.Top + 2, r.Right, r.Bottom - 2), 0, 255);
  };
  h.DrawTitleIcon = [](const TPixelView& v, const TRect& r) { FillRect32(v, r, 0x3060C0, 0); };
  return h;
}

void FrameCache(benchmark::State& state, int w, int h) {
  if (!BuiltInSkin()) {
    state.SkipWithError("built-in skin missing");
    return;
  }
  TacFrameLayout l = Form(w, h);
  TacFramePainter p;
  TBitmap32 cache(w, h);
  const TacFrameHooks hooks = Hooks();
  for (auto _ : state) {
    p.BGChanged = true;
    benchmark::DoNotOptimize(p.PaintFrameCache(l, TPixelView(cache), hooks));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * w * h * 4);
}

void CacheCopy(benchmark::State& state, int w, int h) {
  TBitmap32 src(w, h), dst(w, h);
  src.Fill(0xFF336699);
  for (auto _ : state) {
    std::memcpy(dst.Bits(), src.Bits(), src.PixelCount() * 4);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * w * h * 4);
}

void BM_CalcItems(benchmark::State& state) {
  if (!BuiltInSkin()) return state.SkipWithError("built-in skin missing");
  TacFrameLayout l = Form(400, 300);
  l.Wnd.BorderIcons.Help = true;
  for (auto _ : state) {
    l.CalcItems();
    benchmark::DoNotOptimize(l.ButtonsAreaWidth());
  }
}
BENCHMARK(BM_CalcItems);

// A sweep of points over the whole window: caption, buttons, borders, client, grip.
void BM_CaptionHitTest(benchmark::State& state) {
  if (!BuiltInSkin()) return state.SkipWithError("built-in skin missing");
  const TacFrameLayout l = Form(400, 300);
  int sum = 0;
  for (auto _ : state)
    for (int y = 0; y < 300; y += 7)
      for (int x = 0; x < 400; x += 7) sum += l.CaptionHitTest(Point(x, y));
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(int64_t(state.iterations()) * ((300 + 6) / 7) * ((400 + 6) / 7));
}
BENCHMARK(BM_CaptionHitTest);

const bool registered = [] {
  for (auto [w, h] : {std::pair{130, 125}, {1280, 1024}}) {
    const std::string size = std::to_string(w) + "x" + std::to_string(h);
    benchmark::RegisterBenchmark(("BM_FrameCache/" + size).c_str(), FrameCache, w, h);
    benchmark::RegisterBenchmark(("BM_CacheMemcpy/" + size).c_str(), CacheCopy, w, h);
  }
  return true;
}();

}  // namespace
BENCHMARK_MAIN();
