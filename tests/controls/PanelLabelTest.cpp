#include "controls/sLabel.h"
#include "controls/sPanel.h"

#include <gtest/gtest.h>

namespace {

using B = TacBevelCut;

TEST(Panel, SectionFollowsTheOuterBevelOnlyWhileAutomatic) {
  struct { const char* section; B from, to; const char* result; } cases[] = {
      {"CHECKBOX", B::bvNone, B::bvRaised, "PANEL"},  {"CHECKBOX", B::bvNone, B::bvLowered, "PANEL_LOW"},
      {"PANEL", B::bvRaised, B::bvNone, "CHECKBOX"},  {"panel_low", B::bvLowered, B::bvRaised, "PANEL"},
      {"TOOLBAR", B::bvNone, B::bvRaised, "TOOLBAR"}, {"PANEL", B::bvNone, B::bvLowered, "PANEL"},
      {"PANEL", B::bvRaised, B::bvSpace, "PANEL"},    {"", B::bvNone, B::bvRaised, ""},
  };
  for (auto c : cases) EXPECT_EQ(PanelSectionAfterBevelChange(c.section, c.from, c.to), c.result) << c.section;
}

TEST(Panel, InsetFillAndCaption) {
  EXPECT_EQ(PanelClientInset(2, B::bvNone, B::bvNone, 3), 3);
  EXPECT_EQ(PanelClientInset(2, B::bvLowered, B::bvRaised, 3), 7);
  EXPECT_EQ(PanelClientInset(2, B::bvNone, B::bvSpace, 0), 2);
  struct { int transparency; TacPanelFill::TKind kind; double weight; } fills[] = {
      {0, TacPanelFill::pfSection, 0}, {-20, TacPanelFill::pfSection, 0}, {100, TacPanelFill::pfParent, 1},
      {250, TacPanelFill::pfParent, 1}, {40, TacPanelFill::pfMix, 0.4},
  };
  for (auto f : fills) {
    EXPECT_EQ(PanelFill(f.transparency).Kind, f.kind) << f.transparency;
    EXPECT_DOUBLE_EQ(PanelFill(f.transparency).ParentWeight, f.weight) << f.transparency;
  }
  EXPECT_EQ(PanelCaptionTop(41, 13, 2), 16);
}

TEST(Label, EmptyCaptionStillMeasuresOneLine) {
  EXPECT_EQ(LabelDrawText("", true, true), " ");
  EXPECT_EQ(LabelDrawText("&", true, true), "& ");
  EXPECT_EQ(LabelDrawText("&", true, false), "&");
  EXPECT_EQ(LabelDrawText("", false, true), "");
  EXPECT_EQ(LabelDrawText("Red:", true, true), "Red:");
}

}  // namespace

#include "controls/sCustomComboEdit.h"

namespace {

TEST(EditGeometry, MaskAndNumericEdits) {
  EXPECT_EQ(MaskEditBorderWidth(true, true), 3);
  EXPECT_EQ(MaskEditBorderWidth(true, false), 2);
  EXPECT_EQ(MaskEditBorderWidth(false, true), 0);
  EXPECT_EQ(MaskEditTextRect(3, 80, 13), Rect(3, 3, 77, 18));
  EXPECT_EQ(NumEditTextRect(3, 80, 21, true, 22), Rect(3, 3, 55, 18));
  EXPECT_EQ(NumEditTextRect(3, 80, 21, false, 22), Rect(3, 3, 77, 18));
  struct { int w, h, count; } strips[] = {{64, 16, 4}, {16, 16, 1}, {20, 16, 1}, {0, 16, 1}, {16, 0, 1}, {-32, 16, 1}};
  for (auto s : strips) EXPECT_EQ(GlyphImageCount(s.w, s.h), s.count) << s.w << "x" << s.h;
  EXPECT_EQ(ComboGlyphWidth(false, 64, 16), 16);
  EXPECT_EQ(ComboGlyphWidth(false, 20, 16), 20);
  EXPECT_EQ(ComboGlyphWidth(true, 64, 16), 0);
  EXPECT_EQ(ComboButtonWidth(16), 18);
}

TEST(ComboEdit, ButtonRectangleAndClickKey) {
  struct { int b, w, h, glyph; TRect r; } cases[] = {
      {2, 100, 21, 16, Rect(80, 2, 98, 19)}, {0, 100, 21, 16, Rect(82, 0, 100, 21)},
      {2, 100, 21, 0, TRect{}},             {2, 21, 21, 16, TRect{}},
      {2, 22, 21, 16, Rect(2, 2, 20, 19)},  {2, 100, 4, 16, TRect{}},
  };
  for (auto c : cases) EXPECT_EQ(ComboButtonRect(c.b, c.w, c.h, c.glyph), c.r) << c.w << "x" << c.h << " " << c.glyph;
  EXPECT_TRUE(IsShortCut(DefaultClickKey, 0x28, false, false, true));
  EXPECT_FALSE(IsShortCut(DefaultClickKey, 0x28, false, false, false));
  EXPECT_FALSE(IsShortCut(DefaultClickKey, 0x28, true, false, true));
  EXPECT_FALSE(IsShortCut(DefaultClickKey, 0x26, false, false, true));
  EXPECT_FALSE(IsShortCut(0, 0, false, false, false));
}

}  // namespace
