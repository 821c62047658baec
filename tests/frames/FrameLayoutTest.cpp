// Frame metrics, caption-button rules and layout, hit codes, caption text placement.
#include "FrameTestUtil.h"

#include "paint/sGraphUtils.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <string>

using namespace frametest;

namespace {

const TRect None;  // a button that is not shown keeps an empty rectangle

TEST(FrameMetrics, ToolWindowAndDialog) {
  const TacFrameLayout t = ToolWindow(), d = ColorDialog();
  struct Row {
    const char* Name;
    const TacFrameLayout& L;
    int Border, Caption, Header, Width, OffX, OffY, VCenter, Big;
  } rows[] = {
      {"tool window", t, 3, 15, 18, 130, 3, 18, 8, 0},
      {"colour dialog", d, 3, 19, 22, 400, 3, 22, 10, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Name);
    EXPECT_EQ(r.L.BorderWidth(), r.Border);
    EXPECT_EQ(r.L.BorderHeight(), r.Border);
    EXPECT_EQ(r.L.CaptionHeight(), r.Caption);
    EXPECT_EQ(r.L.HeaderHeight(), r.Header);
    EXPECT_EQ(r.L.FHeaderHeight, r.Header);
    EXPECT_EQ(r.L.CaptionWidth(), r.Width);
    EXPECT_EQ(r.L.OffsetX(), r.OffX);
    EXPECT_EQ(r.L.OffsetY(), r.OffY);
    EXPECT_EQ(r.L.VCenter, r.VCenter);
    EXPECT_EQ(r.L.BigButtons, r.Big);
    EXPECT_TRUE(r.L.HasFrame());
    EXPECT_FALSE(r.L.IconVisible());
    EXPECT_EQ(r.L.IconWidth(), 0);
    EXPECT_EQ(r.L.FIconRect.Width(), 0);
  }
}

TEST(FrameMetrics, FormColourAndPaintState) {
  TacFrameLayout t = ToolWindow();
  const TsGeneralData& form = BuiltInSkin().gd[size_t(t.SkinIndex())];
  EXPECT_EQ(t.FormColor(), form.HotColor);
  EXPECT_EQ(t.PaintState(), 1);
  t.Wnd.Active = false;
  EXPECT_EQ(t.FormColor(), form.Color);
  EXPECT_EQ(t.PaintState(), 0);
  t.Wnd.CustomColor = true;
  t.Wnd.Color = 0x123456;
  EXPECT_EQ(t.FormColor(), TColor(0x123456));
}

TEST(FrameMetrics, CaptionHeightByStyleAndState) {
  TacFrameLayout l = SizeableForm();
  EXPECT_EQ(l.CaptionHeight(), 19);
  l.Wnd.WsCaption = false;
  EXPECT_EQ(l.CaptionHeight(), 0);
  l.Wnd.Minimized = true;  // a minimised form always has its caption
  EXPECT_EQ(l.CaptionHeight(), 19);
  EXPECT_EQ(l.CaptionWidth(), 160);
  EXPECT_EQ(l.CacheSize(), Point(160, 4 + 19 + 2));
  l.Wnd.IsMainForm = true;
  EXPECT_EQ(l.CacheSize(), Point(400, 300));
  l = SizeableForm();
  l.Wnd.BorderStyle = TacBorderStyle::bsNone;
  EXPECT_FALSE(l.HasFrame());
  EXPECT_EQ(l.CaptionHeight(), 0);
}

TEST(FrameMetrics, SmallIconSize) {
  for (auto [h, size] : {std::pair{0, 1}, {8, 1}, {9, 8}, {16, 8}, {17, 16}, {40, 16}}) {
    EXPECT_EQ(SmallIconSize(h), size) << h;
    TacFrameLayout l = SizeableForm();
    l.Wnd.CyCaption = h;
    EXPECT_EQ(l.IconWidth(), size) << h;
    EXPECT_EQ(l.IconHeight(), size) << h;
  }
  TacFrameLayout l = SizeableForm();
  l.Wnd.TitleIconWidth = 20;
  EXPECT_EQ(l.IconWidth(), 20);
  l.Wnd.HasSystemMenu = false;
  EXPECT_EQ(l.IconWidth(), 0);
}

// Order: VisibleClose EnabledClose VisibleMax EnabledMax VisibleMin EnabledMin
// VisibleRestore EnabledRestore VisibleSize EnabledSize EnabledMove.
std::string Rules(const TacFrameLayout& l) {
  std::string s;
  for (bool b : {l.VisibleClose(), l.EnabledClose(), l.VisibleMax(), l.EnabledMax(), l.VisibleMin(), l.EnabledMin(),
                 l.VisibleRestore(), l.EnabledRestore(), l.VisibleSize(), l.EnabledSize(), l.EnabledMove()})
    s += b ? '1' : '0';
  return s;
}

TEST(CaptionButtonRules, VisibilityAndEnabledTable) {
  struct Row {
    const char* Name;
    std::function<void(TacFrameLayout&)> Change;
    bool Dialog;
    const char* Expected;
  } rows[] = {
      {"tool window", nullptr, false, "11000000011"},
      {"colour dialog", [](TacFrameLayout&) {}, true, "11001110101"},
      {"dialog, close disabled", [](TacFrameLayout& l) { l.Wnd.ScCloseDisabled = true; }, true, "10001110101"},
      {"dialog, no SC_CLOSE", [](TacFrameLayout& l) { l.Wnd.ScClosePresent = false; }, true, "00001110101"},
      {"dialog minimised, secondary", [](TacFrameLayout& l) { l.Wnd.Minimized = true; }, true, "11101011101"},
      {"dialog without biSystemMenu", [](TacFrameLayout& l) { l.Wnd.BorderIcons.SystemMenu = false; }, true,
       "01000100101"},
      {"sizeable maximised",
       [](TacFrameLayout& l) {
         l.Wnd.BorderStyle = TacBorderStyle::bsSizeable;
         l.Wnd.BorderIcons.Maximize = true;
         l.Wnd.Maximized = true;
       },
       true, "11111111110"},
      {"main form minimised, on the task bar",
       [](TacFrameLayout& l) {
         l.Wnd.Minimized = l.Wnd.IsMainForm = l.Wnd.MainFormOnTaskBar = true;
       },
       true, "11001111101"},
  };
  for (const Row& r : rows) {
    TacFrameLayout l = r.Dialog ? ColorDialog() : ToolWindow();
    if (r.Change) r.Change(l);
    EXPECT_EQ(Rules(l), r.Expected) << r.Name;
  }
}

TEST(CaptionButtonLayout, ToolWindowHasOneSmallCloseButtonCentredOnTheCaption) {
  const TacFrameLayout l = ToolWindow();
  const TConstantSkinData& c = BuiltInSkin().ConstData;
  EXPECT_EQ(l.ButtonClose.ImageIndex, c.MaskCloseSmall);
  EXPECT_FALSE(l.ButtonClose.HaveAlignment);
  // 18 x 18 picture, right at 130 + 1 - 3, top at VCenter 8 - 9.
  EXPECT_EQ(l.ButtonClose.Rect, Rect(110, -1, 128, 17));
  EXPECT_EQ(l.ButtonMax.Rect.Width(), 0);
  EXPECT_EQ(l.ButtonMin.Rect.Width(), 0);
  EXPECT_EQ(l.ButtonHelp.Rect.Width(), 0);
  EXPECT_EQ(l.ButtonsAreaWidth(), 17);
  EXPECT_EQ(l.ButtonClose.HitCode, 20u);
  EXPECT_EQ(l.ButtonMin.HitCode, 8u);
  EXPECT_EQ(l.ButtonMax.HitCode, 9u);
}

TEST(CaptionButtonLayout, DialogButtonsOverlapByOnePixelAtTheTop) {
  TacFrameLayout l = ColorDialog();
  const TConstantSkinData& c = BuiltInSkin().ConstData;
  EXPECT_EQ(l.ButtonClose.ImageIndex, c.MaskCloseBtn);
  EXPECT_TRUE(l.ButtonClose.HaveAlignment);
  EXPECT_EQ(l.ButtonClose.Rect, Rect(366, 0, 398, 22));
  EXPECT_EQ(l.ButtonMin.Rect, Rect(343, 0, 367, 22));
  EXPECT_EQ(l.ButtonMax.Rect.Width(), 0);
  EXPECT_EQ(l.ButtonsAreaWidth(), 54);
  // Without minimise the close button takes the lone picture.
  l.Wnd.BorderIcons.Minimize = false;
  l.InitButtonImages();
  EXPECT_EQ(l.ButtonClose.ImageIndex, c.MaskCloseAloneBtn);
  // Help sits 6 pixels further left and centred on the caption.
  l = ColorDialog();
  l.Wnd.BorderIcons.Help = true;
  l.CalcItems();
  EXPECT_EQ(l.ButtonHelp.Rect, Rect(320, -1, 338, 21));
  EXPECT_EQ(l.ButtonsAreaWidth(), 54 + 18 - 1);
}

TEST(CaptionButtonLayout, SizeableNormalMaximisedAndUserButtons) {
  TacFrameLayout l = SizeableForm();
  const TConstantSkinData& c = BuiltInSkin().ConstData;
  EXPECT_EQ(l.VCenter, 11);
  EXPECT_EQ(l.FIconRect, Rect(5, 3, 21, 19));
  EXPECT_EQ(l.ButtonClose.Rect, Rect(365, 0, 397, 22));
  EXPECT_EQ(l.ButtonMax.Rect, Rect(342, 0, 366, 22));
  EXPECT_EQ(l.ButtonMin.Rect, Rect(319, 0, 343, 22));
  EXPECT_EQ(l.ButtonsAreaWidth(), 77);
  EXPECT_EQ(l.ButtonImage(l.ButtonMax), c.MaskMaxBtn);

  l.Wnd.Maximized = true;
  l.CalcItems();
  EXPECT_EQ(l.VCenter, 13);
  EXPECT_EQ(l.ButtonClose.Rect, Rect(365, 3, 397, 25));  // SM_CXFRAME - 1 from the top
  EXPECT_EQ(l.ButtonImage(l.ButtonMax), c.MaskNormBtn);

  l = SizeableForm();
  l.UserButtons.resize(2);
  l.UserButtons[0].Visible = false;
  l.UserButtons[1].GlyphWidth = 30;
  l.InitButtonImages();
  l.CalcItems();
  EXPECT_EQ(l.UserButtons[0].Data.Rect.Width(), 0);
  EXPECT_EQ(l.UserButtons[0].Data.HitCode, 1000u);
  EXPECT_EQ(l.UserButtons[1].Data.Rect, Rect(282, 0, 314, 22));  // 6 further left, glyph + 2 wide
  EXPECT_EQ(l.UserButtons[1].Data.HitCode, 1001u);
  EXPECT_EQ(l.ButtonsAreaWidth(), 77 + 6 + 32 - 1);
}

TEST(CaptionButtonLayout, CloseCountedAlikeWithoutASystemMenu) {
  TacFrameLayout l = SizeableForm();
  l.Wnd.HasSystemMenu = false;
  l.CalcItems();
  EXPECT_EQ(l.ButtonClose.Rect.Width(), 0);
  EXPECT_EQ(l.ButtonMax.Rect, Rect(373, 0, 397, 22));
  EXPECT_EQ(l.ButtonMin.Rect, Rect(350, 0, 374, 22));
  EXPECT_EQ(l.ButtonsAreaWidth(), -1 + 23 + 23);
  EXPECT_EQ(l.CaptionHitTest(Point(380, 5)), acHTMAXBUTTON);
  EXPECT_EQ(l.CaptionHitTest(Point(360, 5)), acHTMINBUTTON);
}

struct HitRow {
  int X, Y, Code;
};

void ExpectHits(const TacFrameLayout& l, std::initializer_list<HitRow> rows) {
  for (const HitRow& r : rows) EXPECT_EQ(l.CaptionHitTest(Point(r.X, r.Y)), r.Code) << r.X << "," << r.Y;
}

TEST(CaptionHitTest, ToolWindow) {
  ExpectHits(ToolWindow(), {{0, 0, 2},     {50, 5, 2},    {109, 5, 2},   {110, 5, 20},  {127, 5, 20},
                            {128, 5, 2},   {115, 16, 20}, {115, 17, 2},  {60, 17, 2},   {60, 18, 1},
                            {1, 60, 1},    {129, 124, 1}, {60, 60, 1},   {-1, 5, 0},    {130, 5, 0},
                            {60, 125, 0}});
}

TEST(CaptionHitTest, ColourDialog) {
  TacFrameLayout l = ColorDialog();
  ExpectHits(l, {{366, 5, 20}, {397, 21, 20}, {365, 5, 8}, {343, 5, 8}, {342, 5, 2}, {200, 21, 2}, {200, 22, 1}});
  l.Wnd.ScCloseDisabled = true;  // a disabled close answers as the caption
  ExpectHits(l, {{380, 5, 2}});
  l = ColorDialog();
  l.Wnd.BorderIcons.Help = true;
  l.CalcItems();
  ExpectHits(l, {{325, 5, 21}, {350, 5, 8}});
}

TEST(CaptionHitTest, SizeableBorderIconAndGrip) {
  TacFrameLayout l = SizeableForm();
  ExpectHits(l, {{0, 0, 13},     {399, 0, 14},    {0, 299, 16},  {399, 299, 17}, {200, 0, 12},
                 {200, 3, 12},   {200, 4, 2},     {200, 22, 2},  {200, 23, 1},   {200, 295, 1},
                 {200, 296, 15}, {3, 150, 10},    {4, 150, 1},   {395, 150, 1},  {396, 150, 11},
                 {396, 1, 20},   {10, 10, 3},     {21, 10, 2},   {350, 5, 9},    {330, 5, 8},
                 {380, 280, 1}});
  l.Wnd.GripMode = TacGripMode::gmRightBottom;
  EXPECT_EQ(l.GripRect(), Rect(379, 279, 396, 296));
  ExpectHits(l, {{379, 279, 17}, {395, 295, 17}, {378, 280, 1}, {380, 278, 1}});
  l.Wnd.Maximized = true;
  l.CalcItems();
  EXPECT_TRUE(l.GripRect().IsEmpty());
  ExpectHits(l, {{0, 0, 2}, {0, 150, 1}, {380, 280, 1}, {399, 299, 1}, {350, 5, 9}});
}

TEST(CaptionHitTest, UserButtons) {
  TacFrameLayout l = SizeableForm();
  l.UserButtons.resize(2);
  l.UserButtons[0].Visible = false;
  l.UserButtons[1].GlyphWidth = 30;
  l.InitButtonImages();
  l.CalcItems();
  ExpectHits(l, {{290, 5, 1001}, {281, 5, 2}});
  l.UserButtons[1].Enabled = false;
  ExpectHits(l, {{290, 5, acHTCLIENT}});
}

TEST(CaptionText, PlacementAndAlignment) {
  struct Row {
    const char* Name;
    int Width;
    TacAlignment Align;
    bool Rtl;
    int TextWidth, AddedWidth;
    TRect Text, Added;
  } rows[] = {
      {"centred", 400, TacAlignment::taCenter, false, 30, 0, Rect(154, 4, 184, 17), None},
      {"right", 400, TacAlignment::taRightJustify, false, 100, 0, Rect(230, 4, 334, 17), None},
      {"right, too wide stays left", 400, TacAlignment::taRightJustify, false, 400, 0, Rect(8, 4, 334, 17), None},
      {"left, right-to-left", 400, TacAlignment::taLeftJustify, true, 100, 0, Rect(230, 4, 334, 17), None},
      {"left with added text", 400, TacAlignment::taLeftJustify, false, 30, 20, Rect(8, 4, 334, 17),
       Rect(42, 4, 62, 17)},
      {"added text clipped", 120, TacAlignment::taLeftJustify, false, 30, 20, Rect(8, 4, 54, 17), Rect(42, 4, 54, 17)},
      {"no room for added text", 120, TacAlignment::taLeftJustify, false, 60, 20, Rect(8, 4, 54, 17), None},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Name);
    TacFrameLayout l = ColorDialog(r.Width);
    l.Wnd.CaptionAlignment = r.Align;
    l.Wnd.RightToLeft = r.Rtl;
    l.Wnd.CaptionTextWidth = r.TextWidth;
    l.Wnd.CaptionTextHeight = 13;
    l.Wnd.AddedTextWidth = r.AddedWidth;
    const TacCaptionTextLayout t = CalcCaptionText(l);
    EXPECT_TRUE(t.Draw);
    EXPECT_EQ(t.Text, r.Text);
    EXPECT_EQ(t.Added, r.Added);
    EXPECT_EQ(t.Flags, 0x8824u | (r.Rtl ? 0x20000u : 0u));
  }
}

TEST(CaptionText, NothingWhenButtonsReachTheIconOrThereIsNoCaption) {
  TacFrameLayout l = ColorDialog(60);
  l.Wnd.CaptionTextWidth = 30;
  l.Wnd.CaptionTextHeight = 13;
  EXPECT_FALSE(CalcCaptionText(l).Draw);
  l = ColorDialog();
  l.Wnd.CaptionTextWidth = 30;
  l.Wnd.CaptionTextHeight = 13;
  l.Wnd.DrawNonClientArea = false;
  EXPECT_FALSE(CalcCaptionText(l).Draw);
  l.Wnd.DrawNonClientArea = true;
  l.Wnd.WsCaption = false;
  EXPECT_FALSE(CalcCaptionText(l).Draw);
}

TEST(CaptionText, TitleBarRunsFromTheIconToTheButtonsAndNarrowsTheText) {
  for (int width : {400, 60}) {
    SCOPED_TRACE(width);
    TacFrameLayout l = ColorDialog(width);
    l.HasTitleBar = true;
    l.Wnd.CaptionTextWidth = 30;
    l.Wnd.CaptionTextHeight = 13;
    l.Wnd.CaptionAlignment = TacAlignment::taLeftJustify;
    l.CalcItems();
    int leftmost = l.CaptionWidth();
    for (const TsCaptionButton* b : {&l.ButtonClose, &l.ButtonMax, &l.ButtonMin, &l.ButtonHelp})
      if (!b->Rect.IsEmpty()) leftmost = std::min(leftmost, b->Rect.Left);
    const TacCaptionTextLayout t = CalcCaptionText(l);
    if (width == 60) {
      EXPECT_TRUE(l.TitleBarRect.IsEmpty());
      EXPECT_FALSE(t.Draw);
      continue;
    }
    EXPECT_EQ(l.TitleBarRect, Rect(l.FIconRect.Right, l.FrameWidth(), leftmost - 6, l.FrameWidth() + l.CaptionHeight()));
    EXPECT_EQ(t.Text.Left, l.TitleBarRect.Left + 8);
    l.HasTitleBar = false;
    l.CalcItems();
    EXPECT_TRUE(l.TitleBarRect.IsEmpty());
  }
}

TEST(CaptionText, GlowAndColoursFollowThePaintState) {
  TacFrameLayout l = ColorDialog();
  l.Wnd.CaptionTextWidth = 30;
  l.Wnd.CaptionTextHeight = 13;
  const TsGeneralData& title = BuiltInSkin().gd[size_t(l.TitleSkinIndex())];
  TacCaptionTextLayout t = CalcCaptionText(l);
  EXPECT_EQ(t.GlowSize, title.HotGlowSize);
  EXPECT_EQ(t.GlowColor, title.HotGlowColor);
  EXPECT_EQ(t.FontColor, title.HotFontColor.Color);
  l.Wnd.Active = false;
  t = CalcCaptionText(l);
  EXPECT_EQ(t.GlowSize, title.GlowSize);
  EXPECT_EQ(t.GlowColor, title.GlowColor);
  EXPECT_EQ(t.FontColor, title.FontColor.Color);
  // The added title: the section's colour for the default colours, its own
  // when active, half and half with the section's when inactive.
  l.Wnd.AddedTextWidth = 20;
  for (auto [colour, active, want] : {std::tuple{acclDefault, true, title.HotFontColor.Color},
                                      {acclWindowText, false, title.FontColor.Color},
                                      {TColor(0x0000FF), true, TColor(0x0000FF)},
                                      {TColor(0x0000FF), false, MixColors(0x0000FF, title.FontColor.Color, 50)}}) {
    l.Wnd.AddedTextColor = colour;
    l.Wnd.Active = active;
    EXPECT_EQ(CalcCaptionText(l).AddedFontColor, want) << std::hex << colour << " " << active;
  }
  EXPECT_EQ(title.FontColor.Color, TColor(0));
  EXPECT_EQ(MixColors(0x0000FF, 0, 50), TColor(0x000080));
}

TEST(FrameStrips, TopLeftBottomRightAroundTheClient) {
  using S = std::array<TRect, 4>;
  EXPECT_EQ(CopyFrameStrips(ToolWindow()), (S{Rect(0, 0, 130, 18), Rect(0, 18, 3, 125), Rect(3, 122, 127, 125),
                                              Rect(127, 18, 130, 125)}));
  EXPECT_EQ(CopyFrameStrips(SizeableForm()), (S{Rect(0, 0, 400, 23), Rect(0, 23, 4, 300), Rect(4, 296, 396, 300),
                                                Rect(396, 23, 400, 300)}));
  TacFrameLayout l = SizeableForm();
  l.Wnd.BorderStyle = TacBorderStyle::bsNone;  // no caption, no frame, but WS_THICKFRAME
  EXPECT_EQ(CopyFrameStrips(l), (S{Rect(0, 0, 400, 7), Rect(0, 7, 7, 300), Rect(7, 293, 393, 300),
                                   Rect(393, 7, 400, 300)}));
  for (const TRect& r : CopyFrameStrips(ToolWindow(0, 0))) EXPECT_TRUE(r.IsEmpty());
}

}  // namespace
