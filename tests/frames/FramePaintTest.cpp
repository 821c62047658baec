// The frame cache painter on the built-in skin, the saved button strip, the
// caption text passes, and the corner runs of the window region.
#include "FrameTestUtil.h"

#include "paint/sGraphUtils.h"
#include "paint/sMaskDraw.h"

#include <gtest/gtest.h>

#include <memory>

using namespace frametest;

namespace {

const TsGeneralData& Section(const TacFrameLayout& l, int index) { return BuiltInSkin().gd[size_t(index)]; }
uint32_t Px(TColor c) { return ColorToPixel(c); }

// Pixel of a mask's state picture (x, y inside the picture).
uint32_t MaskPixel(int maskIndex, int state, int x, int y) {
  const TsMaskData& md = BuiltInSkin().ma[size_t(maskIndex)];
  return BuiltInSkin().MaskPicture(maskIndex).Pixel(md.R.Left + ImageWidth(md) * state + x, md.R.Top + y);
}

struct Painted {
  TacFrameLayout L;
  TacFramePainter P;
  TBitmap32 Cache;
};

std::unique_ptr<Painted> Paint(TacFrameLayout l, const TacFrameHooks& hooks = {}) {
  auto p = std::make_unique<Painted>();
  p->L = std::move(l);
  const TPoint size = p->L.CacheSize();
  p->Cache.SetSize(size.X, size.Y);
  EXPECT_TRUE(p->P.PaintFrameCache(p->L, TPixelView(p->Cache), hooks));
  return p;
}

// Every pixel of r (clipped to the cache) equals value.
void ExpectArea(const TBitmap32& b, const TRect& r, uint32_t value, const char* what) {
  int wrong = 0;
  for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, b.Height()); ++y)
    for (int x = std::max(r.Left, 0); x < std::min(r.Right, b.Width()); ++x)
      if (b.Pixel(x, y) != value && wrong++ == 0)
        ADD_FAILURE() << what << ": first wrong pixel at " << x << "," << y << std::hex << " " << b.Pixel(x, y)
                      << " instead of " << value;
  EXPECT_EQ(wrong, 0) << what;
}

// Same size and pixels; the first difference is reported.
void ExpectSame(const TBitmap32& a, const TBitmap32& b) {
  ASSERT_EQ(a.Width(), b.Width());
  ASSERT_EQ(a.Height(), b.Height());
  int wrong = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y) && wrong++ == 0)
        ADD_FAILURE() << "first difference at " << x << "," << y << std::hex << ": " << a.Pixel(x, y) << " "
                      << b.Pixel(x, y);
  EXPECT_EQ(wrong, 0);
}

TEST(FrameCache, ToolWindowActiveAndInactive) {
  for (bool active : {true, false}) {
    SCOPED_TRACE(active ? "active" : "inactive");
    TacFrameLayout l = ToolWindow();
    l.Wnd.Active = active;
    const auto p = Paint(l);
    const TBitmap32& c = p->Cache;
    const TsGeneralData& form = Section(p->L, p->L.SkinIndex());
    const TsGeneralData& title = Section(p->L, p->L.TitleSkinIndex());
    const int state = active ? 1 : 0;
    // Client: the form section's background; title: the title section's colour.
    // The skin's border bands are 4 wide, one more than the window frame.
    ExpectArea(c, Rect(4, 18, 126, 121), Px(active ? form.HotColor : form.Color), "client");
    ExpectArea(c, Rect(1, 1, 110, 18), Px(active ? title.HotColor : title.Color), "title");
    // The title's border top row and the frame's edges come from their masks' state pictures.
    EXPECT_EQ(c.Pixel(50, 0), MaskPixel(title.BorderIndex, state, 1, 0));
    EXPECT_EQ(c.Pixel(0, 60), MaskPixel(form.BorderIndex, state, 0, 4));
    EXPECT_EQ(c.Pixel(1, 60), MaskPixel(form.BorderIndex, state, 1, 4));
    EXPECT_EQ(c.Pixel(129, 124), MaskPixel(form.BorderIndex, state, 8, 8));
    // Without magenta in the masks every pixel is opaque.
    int clear = 0;
    for (size_t i = 0; i < c.PixelCount(); ++i) clear += (c.Bits()[i] >> 24) != 0xFF;
    EXPECT_EQ(clear, 0);
    EXPECT_FALSE(p->P.BGChanged);
    EXPECT_TRUE(p->P.RgnChanged);
    EXPECT_TRUE(p->P.FirstInitialized);
  }
}

TEST(FrameCache, CloseButtonOverTheSavedStripDimmedWhenInactiveOrDisabled) {
  for (auto [active, enabled] : {std::pair{true, true}, {false, true}, {true, false}}) {
    SCOPED_TRACE(std::string(active ? "active" : "inactive") + (enabled ? "" : ", close disabled"));
    TacFrameLayout l = ToolWindow();
    l.Wnd.Active = active;
    l.Wnd.ScCloseDisabled = !enabled;
    const auto p = Paint(l);
    const TacFramePainter& painter = p->P;
    // The strip: frame + buttons area + 10 wide (and the last column), title high.
    EXPECT_EQ(painter.TempBmpOrigin, Point(130 - 30 - 1, 0));
    ASSERT_EQ(painter.TempBmp.Width(), 31);
    ASSERT_EQ(painter.TempBmp.Height(), 18);
    const int image = p->L.ButtonClose.ImageIndex;
    const TsMaskData& md = BuiltInSkin().ma[size_t(image)];
    // Reference: the saved strip with the state picture over it.
    TBitmap32 ref = painter.TempBmp;
    const TRect cell = Rect(md.R.Left, md.R.Top, md.R.Left + 18, md.R.Top + 18);
    const int bx = 110 - painter.TempBmpOrigin.X, by = -1;
    if (active && enabled)
      CopyKeyed(TPixelView(ref), bx, by, TPixelView::ReadOnly(BuiltInSkin().MaskPicture(image)), cell, false,
                TCacheInfo());
    else
      BlendBitmapKeyed(TPixelView(ref), bx, by, KeyPixel, 50, cell, TPixelView::ReadOnly(BuiltInSkin().MaskPicture(image)));
    int wrong = 0;
    for (int y = 0; y < ref.Height(); ++y)
      for (int x = 0; x < ref.Width(); ++x) wrong += p->Cache.Pixel(painter.TempBmpOrigin.X + x, y) != ref.Pixel(x, y);
    EXPECT_EQ(wrong, 0);
    // Some picture pixels differ from the title, so the button really is there.
    EXPECT_NE(ref, painter.TempBmp);
  }
}

TEST(FrameCache, RepaintingOneButtonRestoresItsBackground) {
  auto p = Paint(ToolWindow());
  const TBitmap32 fresh = p->Cache;
  p->L.ButtonClose.State = 1;
  p->P.RepaintCaptionButton(p->L, p->L.ButtonClose, TPixelView(p->Cache), {});
  const int image = p->L.ButtonClose.ImageIndex;
  int hotPixels = 0, wrong = 0;
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 18; ++x) {
      const uint32_t s = MaskPixel(image, 1, x, y + 1);
      if (s == KeyPixel) continue;
      ++hotPixels;
      wrong += p->Cache.Pixel(110 + x, y) != s;
    }
  EXPECT_GT(hotPixels, 0);
  EXPECT_EQ(wrong, 0);
  p->L.ButtonClose.State = 0;
  p->P.RepaintCaptionButton(p->L, p->L.ButtonClose, TPixelView(p->Cache), {});
  ExpectSame(p->Cache, fresh);
}

TEST(FrameCache, LargeSizeableFormWithIconAndGrip) {
  TacFrameLayout l = SizeableForm(1280, 1024);
  l.Wnd.GripMode = TacGripMode::gmRightBottom;
  TacFrameHooks hooks;
  TRect iconAt;
  hooks.DrawTitleIcon = [&](const TPixelView& v, const TRect& r) {
    iconAt = r;
    FillRect32(v, r, 0x563412, 0);  // the system leaves alpha 0
  };
  TPoint origin(-1, -1);
  hooks.PaintClient = [&](const TPixelView&, TPoint o) { origin = o; };
  const auto p = Paint(l, hooks);
  const TBitmap32& c = p->Cache;
  const TsGeneralData& form = Section(p->L, p->L.SkinIndex());
  const TsGeneralData& title = Section(p->L, p->L.TitleSkinIndex());
  EXPECT_EQ(iconAt, Rect(5, 3, 21, 19));
  ExpectArea(c, iconAt, 0xFF123456, "icon");
  EXPECT_EQ(origin, Point(4, 23));
  ExpectArea(c, Rect(22, 1, 1200, 23), Px(title.HotColor), "title");
  const TRect grip = p->L.GripRect();
  ASSERT_EQ(grip, Rect(1259, 1003, 1276, 1020));
  ExpectArea(c, Rect(4, 23, 1276, 1003), Px(form.HotColor), "client above the grip");
  ExpectArea(c, Rect(4, 1003, 1259, 1020), Px(form.HotColor), "client left of the grip");
  int gripPixels = 0, wrong = 0;
  const int gi = BuiltInSkin().ConstData.GripRightBottom;
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 17; ++x) {
      const uint32_t s = MaskPixel(gi, 0, x, y);
      const uint32_t want = s == KeyPixel ? Px(form.HotColor) : s;
      gripPixels += s != KeyPixel;
      wrong += c.Pixel(grip.Left + x, grip.Top + y) != want;
    }
  EXPECT_GT(gripPixels, 0);
  EXPECT_EQ(wrong, 0);
}

TEST(FrameCache, MinimisedSecondaryFormIsATitleOnly) {
  TacFrameLayout l = SizeableForm();
  l.Wnd.Minimized = true;
  l.InitButtonImages();
  const auto p = Paint(l);
  EXPECT_EQ(p->Cache.Width(), 160);
  EXPECT_EQ(p->Cache.Height(), 4 + 19 + 2);
  const TsGeneralData& title = Section(p->L, p->L.TitleSkinIndex());
  ExpectArea(p->Cache, Rect(1, 1, 60, 25), Px(title.HotColor), "title");
  EXPECT_EQ(p->L.ButtonImage(p->L.ButtonMin), BuiltInSkin().ConstData.MaskNormBtn);
  EXPECT_EQ(p->L.ButtonImage(p->L.ButtonMax), BuiltInSkin().ConstData.MaskMaxBtn);
}

TacFrameHooks BlackText() {
  TacFrameHooks h;
  h.DrawCaptionText = [](const TPixelView& v, const TRect& r, uint32_t, bool) { FillRect32(v, r, 0, 255); };
  return h;
}

TEST(FrameCache, CaptionTextWithGlowInTheTitleSectionsColours) {
  TacFrameLayout l = ColorDialog();
  l.Wnd.CaptionTextWidth = 30;
  l.Wnd.CaptionTextHeight = 13;
  const auto p = Paint(l, BlackText());
  const TsGeneralData& title = Section(p->L, p->L.TitleSkinIndex());
  ExpectArea(p->Cache, Rect(154, 4, 184, 17), Px(title.HotFontColor.Color), "text");
  EXPECT_NE(p->Cache.Pixel(153, 10), Px(title.HotColor));  // glow
  EXPECT_EQ(p->Cache.Pixel(140, 10), Px(title.HotColor));
}

TEST(FrameCache, AKeptGlowFollowsTheCaption) {
  TacFrameLayout l = ColorDialog();
  l.Wnd.CaptionTextWidth = 30;
  l.Wnd.CaptionTextHeight = 13;
  TacFrameHooks left, right;
  left.DrawCaptionText = [](const TPixelView& v, const TRect& r, uint32_t, bool) {
    FillRect32(v, Rect(r.Left, r.Top, r.Left + r.Width() / 2, r.Bottom), 0, 255);
  };
  right.DrawCaptionText = [](const TPixelView& v, const TRect& r, uint32_t, bool) {
    FillRect32(v, Rect(r.Left + r.Width() / 2, r.Top, r.Right, r.Bottom), 0, 255);
  };
  auto p = Paint(l, left);
  p->L.Wnd.RightToLeft = true;  // same rectangle, other flags: the mask is made again
  p->P.BGChanged = true;
  ASSERT_TRUE(p->P.PaintFrameCache(p->L, TPixelView(p->Cache), right));
  ExpectSame(p->Cache, Paint(p->L, right)->Cache);
}

TEST(FrameCache, TitleTextCopiesStayInsideTheTextAreaOnNarrowWindows) {
  for (int width : {120, 100, 90, 80}) {
    SCOPED_TRACE(width);
    TacFrameLayout l = ColorDialog(width);
    l.Wnd.CaptionTextWidth = 300;
    l.Wnd.CaptionTextHeight = 13;
    l.Wnd.AddedTextWidth = 40;
    const auto with = Paint(l, BlackText());
    const auto without = Paint(l);
    const int areaRight = width - 54 - 12;
    int changedInside = 0, changedOutside = 0;
    for (int y = 0; y < with->Cache.Height(); ++y)
      for (int x = 0; x < width; ++x) {
        const bool changed = with->Cache.Pixel(x, y) != without->Cache.Pixel(x, y);
        (x >= 3 && x < areaRight && y < 22 ? changedInside : changedOutside) += changed;
      }
    EXPECT_GT(changedInside, 0);
    EXPECT_EQ(changedOutside, 0);
  }
}

TEST(FrameCache, EmptyOrNegativeSizesPaintNothingAndNeverRaise) {
  for (auto [w, h] : {std::pair{0, 0}, {0, 125}, {130, 0}, {-5, 10}, {10, -5}, {-1, -1}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    EXPECT_NO_THROW({
      TacFrameLayout l = ToolWindow(w, h);
      EXPECT_EQ(l.CacheSize(), Point(0, 0));
      TacFramePainter p;
      EXPECT_FALSE(p.PaintFrameCache(l, TPixelView(), {}));
      TBitmap32 wrongSize(10, 10);
      EXPECT_FALSE(p.PaintFrameCache(l, TPixelView(wrongSize), {}));
      EXPECT_EQ(wrongSize, TBitmap32(10, 10));
      EXPECT_TRUE(CalcCornerRects(l).empty());
      EXPECT_TRUE(MakeFrameRegion(l).Remove);
      EXPECT_EQ(l.CaptionHitTest(Point(0, 0)), acHTNOWHERE);
      EXPECT_FALSE(CalcCaptionText(l).Draw);
    });
  }
  TacFrameLayout l = ToolWindow();
  l.SkinSection = "NO SUCH SECTION";
  l.UpdateIndexes();
  TBitmap32 cache(130, 125);
  TacFramePainter p;
  EXPECT_FALSE(p.PaintFrameCache(l, TPixelView(cache), {}));
  l.Skin = nullptr;
  EXPECT_FALSE(p.PaintFrameCache(l, TPixelView(cache), {}));
}

// ---- window region

constexpr uint32_t M = KeyPixel, G = 0xFF808080;

// A skin whose frame mask (two 6 x 6 states, corners 2 wide) and title mask
// (6 x 2, corners 1 wide) have magenta corner pixels, or none.
std::unique_ptr<TacSkinModel> CornerSkin(bool magenta) {
  auto m = std::make_unique<TacSkinModel>();
  auto mask = [&](int w, int h, int count, int wl, int wt, int wr, int wb) {
    TsMaskData md;
    md.Bmp = std::make_unique<TBitmap32>(w, h);
    md.Bmp->Fill(G);
    md.R = Rect(0, 0, w, h);
    md.ImageCount = int16_t(count);
    md.WL = int16_t(wl), md.WT = int16_t(wt), md.WR = int16_t(wr), md.WB = int16_t(wb);
    md.CornerType = magenta ? 1 : 0;
    md.Manager = m.get();
    m->ma.push_back(std::move(md));
    return m->ma.back().Bmp.get();
  };
  TBitmap32* frame = mask(12, 6, 2, 2, 2, 2, 2);
  TBitmap32* title = mask(6, 2, 1, 1, 1, 1, 0);
  if (magenta) {
    for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {0, 1}, {4, 0}, {5, 0}, {0, 5}, {5, 4}, {5, 5}, {3, 0}})
      frame->SetPixel(x, y, M);
    frame->SetPixel(1, 1, 0x00FE00FF);  // near magenta is kept
    for (int y = 0; y < 6; ++y)
      for (int x = 6; x < 12; ++x) frame->SetPixel(x, y, M);  // only the first state counts
    title->SetPixel(0, 0, M);
  }
  for (auto [name, border] : {std::pair{"FORM", 0}, {"FORMTITLE", 1}}) {
    TsGeneralData gd;
    gd.ClassName = name;
    gd.States = 1;
    gd.BorderIndex = border;
    m->gd.push_back(gd);
  }
  return m;
}

TacFrameLayout CornerForm(const TacSkinModel& skin) {
  TacFrameLayout l;
  l.Skin = &skin;
  l.Wnd.Width = 100;
  l.Wnd.Height = 80;
  l.Wnd.FrameWidth = 4;
  l.Wnd.ClientRect = Rect(4, 23, 96, 76);
  l.UpdateIndexes();
  l.InitButtonImages();
  l.CalcItems();
  return l;
}

TEST(FrameRegion, MagentaCornerRunsOfFrameAndTitleMasks) {
  const auto skin = CornerSkin(true);
  const TacFrameLayout l = CornerForm(*skin);
  const std::vector<TRect> want = {Rect(0, 0, 2, 1),    Rect(0, 1, 1, 2),    Rect(98, 0, 100, 1), Rect(0, 79, 1, 80),
                                   Rect(99, 78, 100, 79), Rect(99, 79, 100, 80), Rect(0, 0, 1, 1)};
  EXPECT_EQ(CalcCornerRects(l), want);
  const TacFrameRegion r = MakeFrameRegion(l);
  EXPECT_FALSE(r.Remove);
  EXPECT_EQ(r.Bounds, Rect(0, 0, 100, 80));
  EXPECT_EQ(r.Cuts, want);
  // The cache is transparent where the region is cut, opaque beside it.
  const auto p = Paint(l);
  for (const TRect& cut : {Rect(0, 79, 1, 80), Rect(99, 78, 100, 80), Rect(0, 0, 1, 1)})
    ExpectArea(p->Cache, cut, 0, "corner");
  EXPECT_EQ(p->Cache.Pixel(1, 79), G);
}

TEST(FrameCache, TitleBarMaskRightOfTheCaptionWithASystemMenu) {
  const auto skin = CornerSkin(false);
  TsMaskData bar;
  bar.Bmp = std::make_unique<TBitmap32>(3, 3);
  bar.Bmp->Fill(0xFF0000FF);
  bar.ClassName = "FORM";
  bar.PropertyName = "TITLEBAR";
  bar.R = Rect(0, 0, 3, 3);
  bar.ImageCount = 1;
  bar.WL = bar.WT = bar.WR = bar.WB = 1;
  bar.DrawMode = 1;
  bar.Manager = skin.get();
  skin->ma.push_back(std::move(bar));
  TacFrameLayout l = CornerForm(*skin);
  // Three missing button pictures of 21: from 100 - (2 x 1 + 63) to the right edge.
  EXPECT_EQ(l.ButtonsAreaWidth(), 63);
  auto p = Paint(l);
  EXPECT_NE(p->Cache.Pixel(34, 10), 0xFF0000FFu);
  EXPECT_EQ(p->Cache.Pixel(35, 10), 0xFF0000FFu);
  EXPECT_EQ(p->Cache.Pixel(99, 10), 0xFF0000FFu);
  EXPECT_EQ(p->Cache.Pixel(60, 22), 0xFF0000FFu);
  EXPECT_NE(p->Cache.Pixel(60, 23), 0xFF0000FFu);
  l.Wnd.HasSystemMenu = false;
  p = Paint(l);
  int bars = 0;
  for (size_t i = 0; i < p->Cache.PixelCount(); ++i) bars += p->Cache.Bits()[i] == 0xFF0000FFu;
  EXPECT_EQ(bars, 0);
}

TEST(FrameRegion, RectangularWithoutMagenta) {
  const auto skin = CornerSkin(false);
  const TacFrameRegion r = MakeFrameRegion(CornerForm(*skin));
  EXPECT_FALSE(r.Remove);
  EXPECT_EQ(r.Bounds, Rect(0, 0, 100, 80));
  EXPECT_TRUE(r.Cuts.empty());
  EXPECT_TRUE(CalcCornerRects(ToolWindow()).empty());  // the built-in skin's frame
}

TEST(FrameRegion, MaximisedStatesAndRemoval) {
  const auto skin = CornerSkin(true);
  TacFrameLayout l = CornerForm(*skin);
  l.Wnd.Maximized = true;
  TacFrameRegion r = MakeFrameRegion(l);
  EXPECT_EQ(r.Bounds, Rect(4, 4, 96, 76));  // the frame width off every side
  EXPECT_TRUE(r.Cuts.empty());
  l.Wnd.HasConstraints = true;
  r = MakeFrameRegion(l);
  EXPECT_EQ(r.Bounds, Rect(0, 0, 100, 80));
  EXPECT_EQ(r.Cuts.size(), 7u);

  l = CornerForm(*skin);
  l.Wnd.DrawNonClientArea = false;
  EXPECT_TRUE(MakeFrameRegion(l).Remove);
  l = CornerForm(*skin);
  l.Wnd.BorderStyle = TacBorderStyle::bsNone;
  EXPECT_FALSE(MakeFrameRegion(l).Remove);  // WS_THICKFRAME keeps it
  l.Wnd.WsThickFrame = false;
  EXPECT_TRUE(MakeFrameRegion(l).Remove);
  l.Wnd.Minimized = true;
  EXPECT_FALSE(MakeFrameRegion(l).Remove);
  r = MakeFrameRegion(CornerForm(*skin), true);
  EXPECT_TRUE(r.Keep);
  EXPECT_FALSE(r.Remove);
}

}  // namespace
