// One fade step (the blend of the old and the new picture of a control)
// against copying the same bytes, at an edit's size and a large panel's;
// the cache rebuilds of an idle edit and a push button on the built-in skin.
#include "controls/acGlowFadeMath.h"
#include "controls/sBitBtn.h"
#include "controls/sEdit.h"
#include "paint/sGlyphUtils.h"
#include "bench/BenchSkin.h"
#include "paint/sSkinPaint.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

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


// Stands in for the system's text drawing: a fixed caption-shaped picture
// of black strokes on white, copied into the pass's rectangle.
TTextRenderer FixedText(int w, int h) {
  auto pic = std::make_shared<TBitmap32>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool ink = y > h / 5 && y < h - h / 5 && (x % 7 < 2 || y % 5 == 0);
      const uint32_t v = ink ? 0 : 255;
      pic->Bits()[size_t(y) * size_t(w) + size_t(x)] = 0xFF000000u | v << 16 | v << 8 | v;
    }
  return [pic](const TPixelView& bmp, const TRect& rect) {
    const int cw = std::min(rect.Width(), pic->Width()), chh = std::min(rect.Height(), pic->Height());
    for (int y = 0; y < chh; ++y)
      std::memcpy(bmp.Row(rect.Top + y) + rect.Left, pic->Bits() + size_t(y) * size_t(pic->Width()),
                  size_t(cw) * 4);
  };
}

// The background record of a control over the dialog's colour.
TCacheInfo DialogBG(const TacSkinModel* sm) {
  TCacheInfo ci;
  const int dialog = sm->GetSkinIndex("DIALOG");
  ci.FillColor = dialog >= 0 ? sm->gd[size_t(dialog)].Props[0].Color : clWhite;
  return ci;
}

// An idle edit's cache: the section with its border over the parent, then
// the caption in the text rectangle of a single 3-D border.
void BM_EditCache(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  const TacSkinModel* sm = BuiltInSkin();
  const int edit = sm ? sm->GetSkinIndex("EDIT") : -1;
  if (edit < 0) {
    state.SkipWithError("the built-in skin or its EDIT section is missing");
    return;
  }
  const TCacheInfo ci = DialogBG(sm);
  const TRect tr = EditTextRect(TacEditFrame{}, w, h);
  const TTextRenderer text = FixedText(std::max(tr.Width(), 1), std::max(tr.Height(), 1));
  const TColor font = sm->gd[size_t(edit)].Props[0].FontColor.Color;
  TBitmap32 cache(w, h);
  for (auto _ : state) {
    PaintSectionByIndex(edit, "EDIT", ci, 0, Rect(0, 0, w, h), Point(8, 8), cache, sm);
    WriteText32(cache, true, sm, false, edit, tr, font, text);
    benchmark::DoNotOptimize(cache.Bits());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_EditCache)->Args({129, 26});

// A push button's cache: section and border in the hot state, the glyph and
// caption places, the glyph cell and the caption passes.
void BM_BitBtnCache(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  const TacSkinModel* sm = BuiltInSkin();
  const int button = sm ? sm->GetSkinIndex("BUTTON") : -1;
  if (button < 0) {
    state.SkipWithError("the built-in skin or its BUTTON section is missing");
    return;
  }
  const TCacheInfo ci = DialogBG(sm);
  const TPoint textSize = Point(40, 15);
  const TTextRenderer text = FixedText(textSize.X, textSize.Y);
  TBitmap32 glyph(32, 16);  // two 16 x 16 cells
  for (size_t i = 0; i < glyph.PixelCount(); ++i) glyph.Bits()[i] = i % 3 ? 0x80204060u : 0;
  const int states = int(sm->gd[size_t(button)].States);
  const int paintState = SectionPaintState(1, states);
  const TColor font = sm->gd[size_t(button)].Props[std::min(paintState, 1)].FontColor.Color;
  TBitmap32 cache(w, h);
  for (auto _ : state) {
    PaintSectionByIndex(button, "BUTTON", ci, paintState, Rect(0, 0, w, h), Point(20, 40), cache, sm);
    TRect textBounds;
    TPoint glyphPos;
    const TPoint glyphSize = GlyphSizeOf(glyph.Width(), glyph.Height(), 2);
    ButtonLayout(Rect(0, 0, w, h), glyphSize, textSize, 0, textBounds, glyphPos, 4, -1, TacAlignment::taCenter,
                 TacButtonLayout::blGlyphLeft);
    DrawGlyph(glyph, false, cache, ButtonImgRect(glyphPos, glyphSize, false, false), 0, 0, 1, 0, true, 2);
    WriteText32(cache, true, sm, true, button, IntersectRect(textBounds, Rect(0, 0, w, h)), font, text);
    benchmark::DoNotOptimize(cache.Bits());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BitBtnCache)->Args({75, 25});

}  // namespace

BENCHMARK_MAIN();
