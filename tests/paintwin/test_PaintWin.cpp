// The skin link in live windows: the repaint protocol, background requests
// through transparent parents, hover staleness, the trust rule of skin
// commands, and the painters that end on a device context.
#include "paint/sCommonData.h"
#include "paint/sGlyphUtils.h"
#include "paint/sGradient.h"
#include "paint/sGraphUtils.h"
#include "paint/sSkinPaint.h"
#include "paint/sSkinPaintWin.h"
#include "tests/skinmgr/SkinMgrSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t CoordPixel(int x, int y) { return 0xFF000000u | (uint32_t(x) << 8) | uint32_t(y); }

// A windowed control driving its link the way the skinned controls do.
class TLinkCtl : public TCustomControl {
public:
  TLinkCtl(TComponent* owner, const String& section, int coc, bool cache) : TCustomControl(owner) {
    Link = std::make_unique<TsCommonData>(this, cache);
    Link->COC = coc;
    Link->SetSkinSection(section);
  }
  const char* ClassName() const override { return "TLinkCtl"; }
  void WndProc(TMessage& m) override {
    if (m.Msg == SM_SKINCMD && SkinCommandCode(m) == SKC_PREPARECACHE) Rebuild();
    if (HandleWindowMessage(m, Link.get())) return;
    TCustomControl::WndProc(m);
  }
  void Rebuild() {
    Link->EnsureCacheBitmap();
    PaintSectionFromParent(Link.get(), Parent(), Link->IsHot(), Rect(0, 0, Width(), Height()), Point(Left(), Top()),
                           Link->FCacheBmp.get(), true);
    ++Rebuilds;
    Link->BGChanged = false;
  }
  void PaintWindow(HDC dc) override {
    ++Paints;
    if (Link->CheckUpdating(false)) return;
    if (Link->BGChanged && !Link->UrgentPainting) Rebuild();
    CopyCacheToDC(this, Link.get(), Rect(0, 0, Width(), Height()), Rect(0, 0, Width(), Height()), dc, false);
  }
  std::unique_ptr<TsCommonData> Link;
  int Rebuilds = 0, Paints = 0;
};

// A windowless child that paints a 2 x 2 red square at its top-left and leaves the rest.
class TDot : public TGraphicControl {
public:
  explicit TDot(TComponent* owner) : TGraphicControl(owner) {}
  void Paint() override {
    Canvas()->Brush()->SetColor(0x0000FF);
    Canvas()->FillRect(Rect(0, 0, 2, 2));
  }
};

class PaintWin : public testing::Test {
protected:
  static void SetUpTestSuite() {
    Manager = new TsSkinManager(nullptr);
    AddPackageAsInternalSkin(*Manager, "AlterMetro (internal)");
    Manager->SetSkinName("AlterMetro (internal)");
    // Two sections of our own: a fully transparent one and a gradient one (answers with its cache).
    TsGeneralData clear;
    clear.ClassName = "TESTCLEAR";
    clear.States = 1;
    clear.Transparency = 100;
    clear.Props[0].Transparency = clear.Props[1].Transparency = 100;
    Manager->gd.push_back(clear);
    TsGeneralData base;
    base.ClassName = "TESTBASE";
    base.States = 1;
    base.GradientPercent = base.Props[0].GradientPercent = 100;
    base.GradientArray = base.Props[0].GradientArray = {{0xFFFFFF, 0, 100, 0, 0}};
    Manager->gd.push_back(base);
    Form = new TForm(Application);
    Form->SetBounds(0, 0, 300, 200);
    Form->Show();
  }
  static void TearDownTestSuite() {
    delete Form;
    delete Manager;
    Manager = nullptr;
  }
  void TearDown() override {
    for (auto it = Made.rbegin(); it != Made.rend(); ++it) delete *it;
  }
  TLinkCtl* Add(TWinControl* parent, const String& section, int coc, bool cache, TRect b) {
    auto* c = new TLinkCtl(nullptr, section, coc, cache);
    Made.push_back(c);
    c->SetBoundsRect(b);
    c->SetParent(parent);
    c->Handle();
    return c;
  }
  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  static inline TsSkinManager* Manager = nullptr;
  static inline TForm* Form = nullptr;
  std::vector<TLinkCtl*> Made;
};

TEST_F(PaintWin, TheLinkResolvesItsSection) {
  ASSERT_TRUE(Manager->CommonSkinData.Active);
  TLinkCtl* c = Add(Form, "edit", 3, true, Rect(0, 0, 40, 20));
  EXPECT_EQ(c->Link->SkinSection(), "EDIT");
  EXPECT_EQ(c->Link->SkinIndex, Manager->GetSkinIndex("EDIT"));
  EXPECT_FALSE(c->Link->ManagerStored());
  c->Link->SetSkinManager(Manager);  // the default one: stored as none
  EXPECT_FALSE(c->Link->ManagerStored());
  c->Link->SetSkinSection("");
  EXPECT_EQ(c->Link->SkinSection(), "UNKNOWN");
  EXPECT_EQ(c->Link->SkinIndex, -1);
  EXPECT_EQ(DefaultSectionOf(94, "X"), "BUTTON");
  EXPECT_EQ(DefaultSectionOf(200, "TFoo"), "TFoo");
}

TEST_F(PaintWin, AStaleCacheIsRebuiltOnceNotOnEveryPaint) {
  TLinkCtl* c = Add(Form, "EDIT", 3, true, Rect(5, 5, 60, 25));
  for (int i = 0; i < 3; ++i) RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_GE(c->Paints, 3);
  EXPECT_EQ(c->Rebuilds, 1);
  c->SetBounds(5, 5, 70, 25);  // size: stale again
  RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(c->Rebuilds, 2);
  EXPECT_EQ(c->Link->FCacheBmp->Width(), 70);
  SendSkinCommand(c, SKC_BGCHANGED);
  RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(c->Rebuilds, 3);
}

TEST_F(PaintWin, ACacheTooLargeForABitmapStaysEmptyWithoutAnError) {
  TLinkCtl big(nullptr, "EDIT", 3, true);
  big.SetBounds(0, 0, 20000, 30);
  EXPECT_NO_THROW(big.Link->EnsureCacheBitmap());
  EXPECT_TRUE(big.Link->FCacheBmp->Empty());
  EXPECT_NO_THROW(PaintSection(big.Link.get(), TCacheInfo(), false, 0, Rect(0, 0, 20000, 30), Point(0, 0),
                               big.Link->FCacheBmp.get(), true));
}

TEST_F(PaintWin, ParentBackgroundReachesAChildThroughATransparentPanel) {
  TLinkCtl* base = Add(Form, "TESTBASE", 51, true, Rect(0, 0, 120, 90));
  base->Rebuild();
  const TPixelView cache = base->Link->CacheView();
  for (int y = 0; y < cache.Height; ++y)
    for (int x = 0; x < cache.Width; ++x) cache.At(x, y) = CoordPixel(x, y);
  TLinkCtl* panel = Add(base, "TESTCLEAR", 51, false, Rect(10, 20, 80, 70));    // no cache: passes requests on
  TLinkCtl* child = Add(panel, "TESTCLEAR", 92, true, Rect(3, 4, 23, 14));
  child->Rebuild();
  const TPixelView got = child->Link->CacheView();
  ASSERT_EQ(got.Width, 20);
  for (auto [x, y] : {std::pair{0, 0}, {19, 0}, {0, 9}, {19, 9}, {7, 5}})
    EXPECT_EQ(got.At(x, y), CoordPixel(x + 13, y + 24)) << x << "," << y;
  // A panel with its own finished cache answers from it at the same offsets.
  TLinkCtl* panel2 = Add(base, "TESTCLEAR", 51, true, Rect(30, 40, 90, 80));
  panel2->Rebuild();
  TLinkCtl* child2 = Add(panel2, "TESTCLEAR", 92, true, Rect(2, 1, 12, 6));
  child2->Rebuild();
  EXPECT_EQ(child2->Link->CacheView().At(0, 0), CoordPixel(32, 41));
  EXPECT_EQ(child2->Link->CacheView().At(9, 4), CoordPixel(41, 45));
}

TEST_F(PaintWin, CacheCopyLeavesGraphicChildrenToTheirOwnPass) {
  TLinkCtl* base = Add(Form, "TESTBASE", 51, true, Rect(0, 0, 30, 20));
  base->Rebuild();
  const TPixelView cache = base->Link->CacheView();
  for (int y = 0; y < cache.Height; ++y)
    for (int x = 0; x < cache.Width; ++x) cache.At(x, y) = CoordPixel(x, y);
  auto* dot = new TDot(nullptr);
  dot->SetBounds(4, 5, 6, 3);
  dot->SetParent(base);
  auto target = CreateCacheBitmap(40, 30);
  const TPixelView t = PixelView(*target);
  FillPixels(t.Bits, 40 * 30, 0xFF000000u);
  HDC dc = target->Canvas()->Handle();
  target->Canvas()->Lock();
  CopyCacheToDC(base, base->Link.get(), Rect(0, 0, 30, 20), Rect(2, 3, 32, 23), dc, false, 2, 3);
  const TPixelView a = PixelView(*target);
  EXPECT_EQ(a.At(2, 3) & 0xFFFFFF, CoordPixel(0, 0) & 0xFFFFFF);
  EXPECT_EQ(a.At(31, 22) & 0xFFFFFF, CoordPixel(29, 19) & 0xFFFFFF);
  EXPECT_EQ(a.At(6, 8) & 0xFFFFFF, 0u);  // the child's place is left out
  EXPECT_EQ(a.At(1, 3) & 0xFFFFFF, 0u);  // nothing outside dstRect
  PaintGraphicChildren(dc, base, false, 0, Point(2, 3));
  target->Canvas()->Unlock();
  const TPixelView b = PixelView(*target);
  EXPECT_EQ(b.At(6, 8) & 0xFFFFFF, 0xFF0000u);                      // the child's own pixels
  EXPECT_EQ(b.At(7, 9) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(b.At(11, 10) & 0xFFFFFF, CoordPixel(9, 7) & 0xFFFFFF);  // the parent's background under the rest
  delete dot;
}

TEST_F(PaintWin, RequestsAnswerByTransparencyAndReadiness) {
  TLinkCtl* base = Add(Form, "TESTBASE", 51, true, Rect(0, 0, 50, 50));
  TBGRequest req;
  base->Link->FCacheBmp->SetSize(0, 0);
  RequestControlBG(req, base, false);
  EXPECT_EQ(req.Kind, bgNotReady);  // opaque own layer, cache not built yet
  base->Rebuild();
  RequestControlBG(req, base, false);
  EXPECT_EQ(req.Kind, bgBitmap);
  EXPECT_EQ(req.Bmp, base->Link->FCacheBmp.get());
  // Drawn at once: the cache at Offset lands at R of the target.
  const TPixelView cache = base->Link->CacheView();
  for (int y = 0; y < cache.Height; ++y)
    for (int x = 0; x < cache.Width; ++x) cache.At(x, y) = CoordPixel(x, y);
  auto target = CreateCacheBitmap(8, 8);
  req = TBGRequest();
  req.Offset = Point(3, 4);
  req.R = Rect(1, 1, 6, 6);
  req.TargetDC = target->Canvas()->Handle();
  target->Canvas()->Lock();
  RequestControlBG(req, base, true);
  target->Canvas()->Unlock();
  EXPECT_EQ(req.Kind, bgBitmap);
  EXPECT_EQ(PixelView(*target).At(1, 1) & 0xFFFFFF, CoordPixel(3, 4) & 0xFFFFFF);
  EXPECT_EQ(PixelView(*target).At(5, 5) & 0xFFFFFF, CoordPixel(7, 8) & 0xFFFFFF);
  EXPECT_EQ(PixelView(*target).At(0, 0), 0u);
  // Half transparent without a cache: colour "none".
  Manager->gd[size_t(Manager->GetSkinIndex("TESTCLEAR"))].Props[0].Transparency = 50;
  TLinkCtl* half = Add(Form, "TESTCLEAR", 51, false, Rect(0, 0, 10, 10));
  RequestControlBG(req, half, false);
  Manager->gd[size_t(Manager->GetSkinIndex("TESTCLEAR"))].Props[0].Transparency = 100;
  EXPECT_EQ(req.Kind, bgColor);
  EXPECT_EQ(req.Color, clFuchsia);
}

TEST_F(PaintWin, HoverMarksOnlyEditKindsStale) {
  struct Case {
    int Coc;
    bool Stale, Above;
  };
  for (const Case& k : {Case{3, true, true}, Case{51, false, false}, Case{92, false, true}}) {
    TLinkCtl* c = Add(Form, "EDIT", k.Coc, true, Rect(0, 0, 40, 20));
    ASSERT_GE(Manager->gd[size_t(c->Link->SkinIndex)].States, 2);
    c->Link->BGChanged = false;
    c->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(c->Link->BGChanged, k.Stale) << k.Coc;
    EXPECT_EQ(c->Link->FMouseAbove, k.Above) << k.Coc;
    c->Link->BGChanged = false;
    c->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(c->Link->BGChanged, k.Stale) << k.Coc;
    EXPECT_FALSE(c->Link->FMouseAbove);
    c->Link->BGChanged = false;
    c->Perform(WM_PAINT);  // painting alone never marks it stale
    EXPECT_FALSE(c->Link->BGChanged);
  }
}

TEST_F(PaintWin, SkinCommandsNamingAnotherManagerChangeNothing) {
  TLinkCtl* c = Add(Form, "EDIT", 3, true, Rect(0, 0, 40, 20));
  for (int code : {SKC_SKINLOADED, SKC_REFRESH, SKC_SKINREMOVED}) {
    c->Link->BGChanged = false;
    SendSkinCommand(c, code, 0, LPARAM(0x1234));
    EXPECT_FALSE(c->Link->BGChanged) << code;
    EXPECT_EQ(c->Link->SkinIndex, Manager->GetSkinIndex("EDIT")) << code;
  }
  c->Link->BGChanged = false;
  SendSkinCommand(c, SKC_SKINLOADED, 0, LPARAM(Manager));
  EXPECT_TRUE(c->Link->BGChanged);
}

TEST_F(PaintWin, PointerCommandsFromRawSendersAreIgnored) {
  TLinkCtl* c = Add(Form, "EDIT", 3, true, Rect(0, 0, 40, 20));
  c->Rebuild();
  const HWND h = c->Handle();
  int32_t index = 777;
  EXPECT_EQ(SendMessageW(h, SM_SKINCMD, MAKEWPARAM(0, SKC_GETSKININDEX), LPARAM(&index)), 0);
  EXPECT_EQ(index, 777);
  TBGRequest req;
  SendMessageW(h, SM_SKINCMD, MAKEWPARAM(0, SKC_GETBACKGROUND), LPARAM(&req));
  EXPECT_EQ(req.Kind, bgNone);
  EXPECT_EQ(req.Bmp, nullptr);
  EXPECT_EQ(SendMessageW(h, SM_SKINCMD, MAKEWPARAM(0, SKC_GETSKINLINK), 0), 0);
  // Our own sender is trusted.
  SendSkinCommand(c, SKC_GETSKININDEX, 0, LPARAM(&index));
  EXPECT_EQ(index, c->Link->SkinIndex);
  EXPECT_EQ(SkinLinkOf(c), c->Link.get());
}

TEST_F(PaintWin, PaintSectionToDCPaintsTheSectionAtR) {
  const int edit = Manager->GetSkinIndex("EDIT");
  ASSERT_GE(edit, 0);
  TCacheInfo ci;
  ci.FillColor = 0x336699;
  TBitmap32 want = CreateBmp32(60, 24);
  PaintSectionByIndex(edit, "EDIT", ci, 1, Rect(0, 0, 60, 24), Point(0, 0), TPixelView(want), Manager);
  auto target = CreateCacheBitmap(80, 40);
  const TPixelView view = PixelView(*target);
  FillPixels(view.Bits, 80 * 40, 0xFF123456);
  target->Canvas()->Lock();
  PaintSectionToDC(edit, "EDIT", ci, Manager, target->Canvas()->Handle(), Point(0, 0), Rect(7, 9, 67, 33), 1, false);
  PaintSectionToDC(edit, "EDIT", ci, Manager, target->Canvas()->Handle(), Point(0, 0), Rect(0, 0, 0, 5), 1, false);
  PaintSectionToDC(-1, "EDIT", ci, Manager, target->Canvas()->Handle(), Point(0, 0), Rect(0, 0, 5, 5), 1, false);
  target->Canvas()->Unlock();
  const TPixelView got = PixelView(*target);
  int differ = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 80; ++x) {
      const bool inside = x >= 7 && x < 67 && y >= 9 && y < 33;
      const uint32_t expect = inside ? want.ScanLine(y - 9)[x - 7] : 0xFF123456u;
      differ += (got.At(x, y) & 0xFFFFFF) != (expect & 0xFFFFFF);
    }
  EXPECT_EQ(differ, 0);
  EXPECT_NE(want.ScanLine(0)[30] & 0xFFFFFF, want.ScanLine(12)[30] & 0xFFFFFF);  // the border is there
}

TEST_F(PaintWin, FillDCBorderFillsTheFourBands) {
  auto bmp = CreateCacheBitmap(10, 8);
  const TPixelView v = PixelView(*bmp);
  FillPixels(v.Bits, 80, 0);
  bmp->Canvas()->Lock();
  FillDCBorder(bmp->Canvas()->Handle(), Rect(1, 1, 9, 7), 1, 0x0000FF, 2, 3, 1);
  bmp->Canvas()->Unlock();
  const TPixelView got = PixelView(*bmp);
  int red = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inR = x >= 1 && x < 9 && y >= 1 && y < 7;
      const bool band = inR && (y < 2 || x < 2 || y >= 5 || x >= 6);
      EXPECT_EQ((got.At(x, y) & 0xFFFFFF) == 0xFF0000, band) << x << "," << y;
      red += band;
    }
  EXPECT_EQ(red, 36);
}

TEST_F(PaintWin, TriangleGradientsUseThePlatformFill) {
  TBitmap32 bmp = CreateBmp32(41, 21);
  const TsGradArray pieces = {{0x0000FF, 0, 0, 2, 0}, {0xFF0000, 0, 0, 2, 0}};
  ASSERT_TRUE(PaintGradient(TPixelView(bmp), Rect(0, 0, 41, 21), pieces));
  EXPECT_EQ(bmp.ScanLine(0)[0], 0xFFFF0000u);    // vertex 0: red
  EXPECT_EQ(bmp.ScanLine(10)[20], 0xFF0000FFu);  // centre: blue, as is every later vertex
  EXPECT_EQ(bmp.ScanLine(20)[40] & 0xFF0000, 0u);
}

TEST_F(PaintWin, WriteText32ColoursOnlyWhatTheTextCovers) {
  auto bmp = CreateCacheBitmap(40, 20);
  const TPixelView v = PixelView(*bmp);
  FillPixels(v.Bits, 800, 0x00FFFFFF);
  TFont font;
  font.SetColor(0x0000FF);
  WriteText32(bmp.get(), "Wy", true, nullptr, false, -1, DT_LEFT | DT_TOP | DT_SINGLELINE, Rect(2, 2, 38, 18), &font);
  const TPixelView got = PixelView(*bmp);
  int covered = 0, pure = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      const uint32_t p = got.At(x, y);
      if (p == 0x00FFFFFFu) continue;
      ++covered;
      EXPECT_EQ(p >> 24, 0xFFu);
      EXPECT_TRUE(x >= 2 && x < 38 && y >= 2 && y < 18);
      pure += p == 0xFFFF0000u;
    }
  EXPECT_GT(covered, 10);
  EXPECT_GT(pure, 0);
}

TEST_F(PaintWin, TextComesOutTheSameWhateverWasDrawnBefore) {
  TFont font;
  auto after = [&](const char* before) {
    auto big = CreateCacheBitmap(160, 40);
    FillPixels(PixelView(*big).Bits, 160 * 40, 0x00FFFFFF);
    WriteText32(big.get(), before, true, nullptr, false, -1, DT_LEFT | DT_TOP | DT_SINGLELINE, Rect(0, 0, 160, 40), &font);
    auto bmp = CreateCacheBitmap(40, 20);
    FillPixels(PixelView(*bmp).Bits, 800, 0x00FFFFFF);
    // Wider than its rectangle and unclipped.
    WriteText32(bmp.get(), "W.W", true, nullptr, false, -1, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOCLIP,
                Rect(2, 2, 12, 18), &font);
    const TPixelView v = PixelView(*bmp);
    return std::vector<uint32_t>(v.Bits, v.Bits + 800);
  };
  const std::vector<uint32_t> first = after("WWWWWWWWWWWW");
  EXPECT_EQ(after("iiiiiiiiiiiiiiiiii"), first);
  int outside = 0, ink = 0;
  for (int i = 0; i < 800; ++i) {
    const int x = i % 40, y = i / 40;
    const bool in = x >= 2 && x < 12 && y >= 2 && y < 18;
    (in ? ink : outside) += first[size_t(i)] != 0x00FFFFFFu;
  }
  EXPECT_EQ(outside, 0);
  EXPECT_GT(ink, 0);
  EXPECT_LT(ink, 120);  // of 160: letters, not a filled box
}

TEST_F(PaintWin, TextGlowColoursAroundTheTextOnly) {
  auto bmp = CreateCacheBitmap(60, 40);
  const TPixelView v = PixelView(*bmp);
  FillPixels(v.Bits, 60 * 40, 0x00000000);
  TCoverage8 mask;
  const TRect r = Rect(20, 14, 40, 26);
  TextGlow(bmp.get(), "W", r, mask, 0x00FF00, 3, gsAll, DT_LEFT | DT_TOP | DT_SINGLELINE, nullptr);
  EXPECT_EQ(mask.Width(), r.Width() + 2 * 7);
  const TPixelView got = PixelView(*bmp);
  int glowing = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) {
      const uint32_t p = got.At(x, y);
      if (p == 0) continue;
      ++glowing;
      EXPECT_EQ(p & 0xFF00FF, 0u);  // only the glow colour's channel rises
      EXPECT_TRUE(x >= r.Left + 1 - 7 && x < r.Right + 1 + 7 && y >= r.Top + 1 - 7 && y < r.Bottom + 1 + 7);
    }
  EXPECT_GT(glowing, 20);
}

TEST_F(PaintWin, FontSectionComesFromTheNearestQualifyingParent) {
  const int panel = Manager->GetSkinIndex("PANEL");
  ASSERT_GE(panel, 0);
  TLinkCtl* outer = Add(Form, "PANEL", 51, true, Rect(0, 0, 100, 80));
  TLinkCtl* clear = Add(outer, "TESTCLEAR", 51, false, Rect(5, 5, 60, 60));
  TLinkCtl* inner = Add(clear, "EDIT", 3, true, Rect(1, 1, 20, 10));
  TsGeneralData& gd = Manager->gd[size_t(panel)];
  const bool saved = gd.GiveOwnFont;
  gd.GiveOwnFont = true;
  EXPECT_EQ(FindFontSection(inner, -7, Manager, 0), panel);
  gd.GiveOwnFont = false;
  EXPECT_EQ(FindFontSection(inner, -7, Manager, 0), -7);
  gd.GiveOwnFont = saved;
}

}  // namespace
