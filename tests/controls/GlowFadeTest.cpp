#include "controls/acGlowFadeMath.h"

#include <gtest/gtest.h>

#include <random>

namespace {

uint32_t SlowBlend(uint32_t o, uint32_t n, int b) {
  uint32_t r = 0;
  for (int s = 0; s < 32; s += 8) {
    const int oc = int(o >> s) & 0xFF, nc = int(n >> s) & 0xFF;
    r |= uint32_t(((255 - b) * (oc - nc) + nc * 256) >> 8) << s;
  }
  return r;
}

TEST(FadeWeight, StepsOfTenAndDegenerateCounts) {
  struct { int level, iterations, b; } cases[] = {
      {1, 10, 25}, {5, 10, 127}, {10, 10, 255}, {11, 10, 255}, {1, 1, 255}, {1, 0, 255},
      {1, -3, 255}, {0, 10, 0}, {-1, 10, 0}, {2147483647, 2, 255},
  };
  for (auto c : cases) EXPECT_EQ(FadeWeight(c.level, c.iterations), c.b) << c.level << "/" << c.iterations;
}

TEST(FadeBlend, MatchesTheChannelFormulaExactly) {
  std::mt19937 rng(7);
  // lengths that end in each of the wide, narrow and single-pixel paths
  for (size_t len : {1003u, 23u, 7u, 3u})
  for (int b : {0, 1, 25, 127, 128, 200, 254, 255}) {
    std::vector<uint32_t> from(len), to(len), dst(len);
    for (size_t i = 0; i < from.size(); ++i) from[i] = rng(), to[i] = rng();
    from[0] = 0xFFFFFFFF, to[0] = 0;
    from[1] = 0, to[1] = 0xFFFFFFFF;
    FadeBlendRow(dst.data(), from.data(), to.data(), dst.size(), b);
    for (size_t i = 0; i < dst.size(); ++i) ASSERT_EQ(dst[i], SlowBlend(from[i], to[i], b)) << "b " << b << " at " << i;
  }
}

TEST(FadeBlend, FirstStepShowsATenthAndLastStepTheNewPicture) {
  TBitmap32 from(5, 3), to(5, 3), dst;
  from.Fill(0xFF0000C8);
  to.Fill(0x80FFFF00);
  FadeBlend(dst, from, to, FadeWeight(1, 10));
  // blue: (230 * 200 + 0) >> 8 = 179; red, green: (230 * -255 + 65280) >> 8 = 25; alpha 242
  EXPECT_EQ(dst.Pixel(4, 2), 0xF21919B3u);
  FadeBlend(dst, from, to, FadeWeight(10, 10));
  EXPECT_EQ(dst, to);
  FadeBlend(from, from, to, 25);  // in place over the old picture
  EXPECT_EQ(from.Pixel(0, 0), 0xF21919B3u);
}

TEST(FadeBlend, DifferentSizesBlendTheOverlapAndEmptyGivesEmpty) {
  TBitmap32 from(2, 2), to(3, 1), dst;
  from.Fill(0xFFFFFFFF);
  to.Fill(0);
  FadeBlend(dst, from, to, 0);
  ASSERT_EQ(dst.Width(), 3);
  ASSERT_EQ(dst.Height(), 1);
  EXPECT_EQ(dst.Pixel(1, 0), 0xFEFEFEFEu);
  EXPECT_EQ(dst.Pixel(2, 0), 0u);
  FadeBlend(dst, TBitmap32(), to, 0);
  EXPECT_TRUE(dst.Empty());
}

using TTick = TacFadeSteps::TTick;

// Runs a prepared fade to its end; returns the weights of its frames.
std::vector<int> RunFade(TacFadeSteps& f, bool enabled = true) {
  std::vector<int> frames;
  for (int guard = 0; guard < 1000; ++guard) {
    const TTick t = f.Tick(true, enabled, false);
    if (t != TTick::tkFrame) {
      frames.push_back(t == TTick::tkFinished ? -1 : -2);
      return frames;
    }
    frames.push_back(f.Weight());
    f.Advance();
  }
  return frames;
}

TEST(FadeSteps, CountsAndEndsCleanly) {
  struct {
    int iterations;
    bool clicked;
    std::vector<int> frames;  // -1: finished with the final look
  } cases[] = {
      {10, false, {25, 51, 76, 102, 127, 153, 178, 204, 229, 255, -1}},
      {10, true, {51, 102, 153, 204, 255, -1}},
      {1, false, {255, -1}},
      {1, true, {-1}},
      {0, false, {-1}},
      {-4, false, {-1}},
      {-4, true, {-1}},
  };
  for (auto& c : cases) {
    TacFadeSteps f;
    ASSERT_TRUE(f.Prepare(true, c.iterations, c.clicked, TFadeDirection::fdUp));
    EXPECT_EQ(RunFade(f), c.frames) << c.iterations << (c.clicked ? " clicked" : "");
    EXPECT_FALSE(f.Running);
    EXPECT_EQ(f.Tick(true, true, false), TTick::tkNothing);
  }
}

TEST(FadeSteps, RestartFromStepOneWhileRunning) {
  TacFadeSteps f;
  f.Prepare(true, 10, false, TFadeDirection::fdUp);
  for (int i = 0; i < 4; ++i) f.Tick(true, true, false), f.Advance();
  ASSERT_TRUE(f.Prepare(true, 10, false, TFadeDirection::fdUp));
  EXPECT_EQ(f.FadeLevel, 1);
  EXPECT_EQ(f.Iterations, 10);
  EXPECT_TRUE(f.Running);
}

TEST(FadeSteps, DisabledOwnerStopFlagAndGoneOwnerEndTheFade) {
  TacFadeSteps f;
  EXPECT_FALSE(f.Prepare(false, 10, false, TFadeDirection::fdUp));
  EXPECT_FALSE(f.Running);
  f.Prepare(true, 10, false, TFadeDirection::fdUp);
  EXPECT_EQ(RunFade(f, false), std::vector<int>{-2});
  EXPECT_EQ(f.Iterations, 0);
  f.Prepare(true, 10, false, TFadeDirection::fdUp);
  EXPECT_EQ(f.Tick(true, true, true), TTick::tkFinished);
  EXPECT_FALSE(f.Running);
  f.Prepare(true, 10, false, TFadeDirection::fdUp);
  EXPECT_EQ(f.Tick(false, true, false), TTick::tkNothing);
  EXPECT_FALSE(f.Running);
  f.Prepare(true, 10, false, TFadeDirection::fdNone);
  EXPECT_FALSE(f.Running);
}

TEST(CanAnimate, OwnSetThenGlobalDefault) {
  const TacAnimatEvents own = AnimatEvent(aeMouseEnter), deferred = AnimatEvent(aeGlobalDef);
  const TacAnimatEvents global = AnimatEvent(aeMouseDown);
  EXPECT_TRUE(CanAnimate(aeMouseEnter, own, global));
  EXPECT_FALSE(CanAnimate(aeMouseDown, own, global));
  EXPECT_TRUE(CanAnimate(aeMouseDown, deferred, global));
  EXPECT_FALSE(CanAnimate(aeMouseUp, deferred, global));
  EXPECT_FALSE(CanAnimate(aeMouseUp, 0, ~0u));
}

TEST(GlowPlacement, SizeCropAndPosition) {
  const TacGlowMaskWidths w{10, 8, 12, 6};
  const TRect r = Rect(100, 200, 229, 226);  // 129 x 26
  struct {
    TRect clip;
    int fullW, fullH;
    TRect source;
    TPoint pos;
  } cases[] = {
      // fully visible: the mask bands less the margin on every side
      {Rect(0, 0, 129, 26), 145, 34, Rect(0, 0, 145, 34), Point(93, 195)},
      // right part hidden by the parent's edge: ends at the visible edge
      {Rect(0, 0, 60, 26), 145, 34, Rect(0, 0, 67, 34), Point(93, 195)},
      // left part hidden: starts at the visible edge
      {Rect(50, 0, 129, 26), 145, 34, Rect(57, 0, 145, 34), Point(150, 195)},
      // bottom hidden
      {Rect(0, 0, 129, 10), 145, 34, Rect(0, 0, 145, 15), Point(93, 195)},
      // top and left hidden
      {Rect(20, 5, 129, 26), 145, 34, Rect(27, 10, 145, 34), Point(120, 205)},
      // hidden on both sides: exactly the visible width
      {Rect(20, 0, 100, 26), 145, 34, Rect(27, 0, 107, 34), Point(120, 195)},
  };
  for (auto& c : cases) {
    const TacGlowPlacement p = GlowPlacement(r, c.clip, w, 3);
    EXPECT_EQ(p.FullWidth, c.fullW);
    EXPECT_EQ(p.FullHeight, c.fullH);
    EXPECT_EQ(p.Source, c.source) << c.clip.Left << "," << c.clip.Top << "," << c.clip.Right << "," << c.clip.Bottom;
    EXPECT_EQ(p.Pos, c.pos);
  }
}

TEST(GlowPlacement, NothingForHiddenOrDegenerateControls) {
  const TacGlowMaskWidths w{10, 10, 10, 10};
  EXPECT_TRUE(GlowPlacement(Rect(0, 0, 50, 20), Rect(0, 0, 0, 0), w, 3).Empty());
  EXPECT_TRUE(GlowPlacement(Rect(0, 0, 0, 20), Rect(0, 0, 0, 20), w, 3).Empty());
  EXPECT_TRUE(GlowPlacement(Rect(0, 0, 4, 4), Rect(0, 0, 4, 4), TacGlowMaskWidths{}, 3).Empty());
  EXPECT_TRUE(GlowPlacement(Rect(0, 0, 50, 20), Rect(40, 0, 50, 20), w, 60).Empty());
}

}  // namespace

namespace {

TEST(StateChange, FadesOnlyWhenEverythingAllows) {
  const TacFadeConditions all{true, true, false, true, false, true, false};
  EXPECT_TRUE(StateChangeFades(all));
  for (int k = 0; k < 7; ++k) {
    TacFadeConditions c = all;
    bool* flags[] = {&c.Skinned, &c.Allowed, &c.SkinChanging, &c.FadingEnabled, &c.FadeStop, &c.HasCache, &c.BGChanged};
    *flags[k] = !*flags[k];
    EXPECT_FALSE(StateChangeFades(c)) << k;
  }
}

TEST(LinkGlow, ShowHideOrNothing) {
  const TacGlowConditions base{true, true, false, 1, true, false, false, false, true};
  EXPECT_EQ(LinkGlowAction(base), TacGlowAction::gaShow);
  struct { void (*change)(TacGlowConditions&); TacGlowAction action; } cases[] = {
      {[](TacGlowConditions& c) { c.GlowCount = 0; }, TacGlowAction::gaNone},
      {[](TacGlowConditions& c) { c.EffectsAllowGlow = false; }, TacGlowAction::gaNone},
      {[](TacGlowConditions& c) { c.SectionValid = false; }, TacGlowAction::gaNone},
      {[](TacGlowConditions& c) { c.HotSuppressed = true; }, TacGlowAction::gaNone},
      {[](TacGlowConditions& c) { c.HasOwnerForm = false; }, TacGlowAction::gaNone},
      {[](TacGlowConditions& c) { c.GlowExists = true; }, TacGlowAction::gaNone},
      {[](TacGlowConditions& c) { c.MouseAbove = false, c.GlowExists = true; }, TacGlowAction::gaHide},
      {[](TacGlowConditions& c) { c.LeftButtonDown = true, c.GlowExists = true; }, TacGlowAction::gaHide},
      {[](TacGlowConditions& c) { c.Repeat = true, c.GlowExists = true; }, TacGlowAction::gaHide},
      {[](TacGlowConditions& c) { c.LeftButtonDown = true; }, TacGlowAction::gaNone},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    TacGlowConditions c = base;
    cases[i].change(c);
    EXPECT_EQ(LinkGlowAction(c), cases[i].action) << i;
  }
}

TEST(GlowTable, HiddenSlotsAreReused) {
  TacGlowTable<int> table;
  int a = 1, b = 2;
  for (int i = 0; i < 10000; ++i) {
    int id = table.Add(&a);
    ASSERT_EQ(id, 0);
    EXPECT_EQ(table.Take(id), &a);
    EXPECT_EQ(id, -1);
  }
  EXPECT_EQ(table.Capacity(), 1u);
  int first = table.Add(&a), second = table.Add(&b);
  EXPECT_EQ(second, 1);
  table.Take(first);
  EXPECT_EQ(table.Add(&b), 0);
  int bad = 57, negative = -1;
  EXPECT_EQ(table.Take(bad), nullptr);
  EXPECT_EQ(bad, -1);
  EXPECT_EQ(table.Take(negative), nullptr);
  EXPECT_EQ(table.TakeAll().size(), 2u);
  EXPECT_EQ(table.Capacity(), 0u);
}

}  // namespace
