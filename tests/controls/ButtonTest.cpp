#include "controls/sSpeedButton.h"

#include <gtest/gtest.h>

namespace {

using L = TacButtonLayout;
using A = TacAlignment;

struct TLayoutCase {
  const char* name;
  TRect client;
  TPoint glyph, text;
  uint32_t biDi;
  int spacing, margin;
  A alignment;
  L layout;
  TPoint glyphPos;
  TRect textBounds;
};

TEST(ButtonLayout, EveryRowOfTheTable) {
  const TRect c = Rect(1, 2, 76, 27);  // 75 x 25, moved: the result follows the client
  const TRect c0 = Rect(0, 0, 75, 25);
  const TPoint g{16, 16}, t{30, 13};
  const TLayoutCase cases[] = {
      {"left/left", c, g, t, 0, 4, 5, A::taLeftJustify, L::blGlyphLeft, {6, 7}, Rect(26, 8, 56, 21)},
      {"left/left cut", c, g, {60, 13}, 0, 4, 5, A::taLeftJustify, L::blGlyphLeft, {6, 7}, Rect(26, 8, 72, 21)},
      {"left/right", c, g, t, 0, 4, 5, A::taRightJustify, L::blGlyphLeft, {21, 7}, Rect(41, 8, 71, 21)},
      {"left/centre", c, g, t, 0, 4, 5, A::taCenter, L::blGlyphLeft, {13, 7}, Rect(33, 8, 63, 21)},
      {"left/centre margin", c, g, t, 0, 4, 20, A::taCenter, L::blGlyphLeft, {21, 7}, Rect(41, 8, 71, 21)},
      {"right/left", c, g, t, 0, 4, 5, A::taLeftJustify, L::blGlyphRight, {40, 7}, Rect(6, 8, 36, 21)},
      {"right/right", c, g, t, 0, 4, 5, A::taRightJustify, L::blGlyphRight, {55, 7}, Rect(21, 8, 51, 21)},
      {"right/centre", c, g, t, 0, 4, 5, A::taCenter, L::blGlyphRight, {47, 7}, Rect(13, 8, 43, 21)},
      // (25 - 16 - 3 - 13) div 2 = -3: truncated toward zero
      {"top", c, g, t, 0, 3, 5, A::taCenter, L::blGlyphTop, {31, -1}, Rect(24, 18, 54, 31)},
      {"bottom", c, g, t, 0, 3, 5, A::taCenter, L::blGlyphBottom, {31, 14}, Rect(24, -2, 54, 11)},
      {"right-to-left swaps", c, g, t, acDT_RTLREADING, 4, 5, A::taLeftJustify, L::blGlyphLeft, {40, 7},
       Rect(6, 8, 36, 21)},
      // automatic margin and spacing: a third of the free room each
      {"auto both", c0, g, t, 0, -1, -1, A::taLeftJustify, L::blGlyphLeft, {9, 5}, Rect(34, 6, 64, 19)},
      {"auto both top", c0, g, t, 0, -1, -1, A::taCenter, L::blGlyphTop, {30, -1}, Rect(23, 14, 53, 27)},
      {"auto margin centre", c0, g, t, 0, 4, -1, A::taCenter, L::blGlyphLeft, {13, 5}, Rect(33, 6, 63, 19)},
      {"auto margin left", c0, g, t, 0, 4, -1, A::taLeftJustify, L::blGlyphLeft, {2, 5}, Rect(22, 6, 52, 19)},
      {"auto spacing", c0, g, t, 0, -1, 5, A::taLeftJustify, L::blGlyphLeft, {5, 5}, Rect(33, 6, 63, 19)},
      {"no text: no spacing", c0, g, {0, 0}, 0, 4, 5, A::taCenter, L::blGlyphLeft, {29, 5}, Rect(45, 13, 45, 13)},
  };
  for (const auto& k : cases) {
    TRect bounds;
    TPoint pos;
    ButtonLayout(k.client, k.glyph, k.text, k.biDi, bounds, pos, k.spacing, k.margin, k.alignment, k.layout);
    EXPECT_EQ(pos, k.glyphPos) << k.name << ": " << pos.X << "," << pos.Y;
    EXPECT_EQ(bounds, k.textBounds) << k.name << ": " << bounds.Left << "," << bounds.Top << "," << bounds.Right
                                    << "," << bounds.Bottom;
  }
}

TEST(ButtonState, BitBtnPressedHotDefault) {
  struct {
    TacBitBtnStateInput in;
    int state;
  } cases[] = {
      {{}, 0},
      {{.IsDefault = true}, 3},
      {{.IsHot = true, .IsDefault = true}, 1},
      {{.Designing = true, .IsHot = true}, 0},
      {{.Pushed = true, .MouseAbove = true, .LeftButtonHeld = true, .IsHot = true}, 2},
      {{.Pushed = true, .MouseAbove = false, .LeftButtonHeld = true}, 0},  // dragged off while held
      {{.Pushed = true, .MouseAbove = false, .LeftButtonHeld = false}, 2},  // Space held
      {{.ForcedPressed = true}, 2},
      {{.Down = true, .IsDefault = true}, 2},
  };
  for (auto& c : cases) EXPECT_EQ(BitBtnCurrentState(c.in), c.state);
}

TEST(ButtonState, SectionStateFallsBackAndClamps) {
  struct { int state, count, painted; } cases[] = {
      {3, 4, 3}, {3, 3, 1}, {3, 2, 1}, {3, 1, 0}, {2, 2, 1}, {2, 3, 2}, {1, 0, 0}, {-5, 3, 0}, {99, 5, 4},
  };
  for (auto c : cases) EXPECT_EQ(SectionPaintState(c.state, c.count), c.painted) << c.state << " of " << c.count;
}

TEST(ButtonState, SpeedButton) {
  EXPECT_EQ(SpeedButtonCurrentState(true, false, true, false), 2);
  EXPECT_EQ(SpeedButtonCurrentState(true, true, false, false), 1);
  EXPECT_EQ(SpeedButtonCurrentState(false, false, false, true), 1);
  EXPECT_EQ(SpeedButtonCurrentState(false, false, true, false), 1);
  EXPECT_EQ(SpeedButtonCurrentState(false, false, false, false), 0);
}

TEST(ButtonDropDown, WhereAPressOpensTheMenuAndTheArrowState) {
  struct { int x, width; bool menu, onClick, opens; } cases[] = {
      {0, 60, true, false, true},   {59, 60, true, true, true},  {44, 60, true, true, true},
      {43, 60, true, true, false},  {60, 60, true, true, false}, {50, 60, false, false, false},
      {5, 10, true, true, true},
  };
  for (auto c : cases)
    EXPECT_EQ(DropDownPressOpensMenu(c.x, c.width, c.menu, c.onClick), c.opens) << c.x << " of " << c.width;
  EXPECT_EQ(DropDownArrowState(true, false, false), 2);
  EXPECT_EQ(DropDownArrowState(false, true, false), 2);
  EXPECT_EQ(DropDownArrowState(false, false, true), 1);
  EXPECT_EQ(DropDownArrowState(false, false, false), 0);
}

TEST(ButtonHints, OffWhileHeldAndOnlyTheHolderGivesThemBack) {
  int a = 0, b = 0;
  EXPECT_TRUE(HintsAllowed());
  HoldHints(&a);
  EXPECT_FALSE(HintsAllowed());
  ReleaseHints(&b);
  ReleaseHints(nullptr);
  EXPECT_FALSE(HintsAllowed());
  HoldHints(&b);  // the last press wins
  ReleaseHints(&a);
  EXPECT_FALSE(HintsAllowed());
  ReleaseHints(&b);
  EXPECT_TRUE(HintsAllowed());
}

TEST(ButtonGlyph, SizesRectanglesAndCaptionWidth) {
  EXPECT_EQ(GlyphSizeOf(64, 16, 4), Point(16, 16));
  EXPECT_EQ(GlyphSizeOf(64, 16, 0), Point(64, 16));
  EXPECT_EQ(GlyphSizeOf(64, 16, -2), Point(64, 16));
  EXPECT_EQ(GlyphSizeOf(0, 16, 1), Point(0, 0));
  EXPECT_EQ(ButtonImgRect({10, 5}, {18, 16}, false, false), Rect(10, 5, 28, 21));
  EXPECT_EQ(ButtonImgRect({10, 5}, {18, 16}, true, false), Rect(11, 6, 29, 22));
  EXPECT_EQ(ButtonImgRect({10, 5}, {18, 16}, true, true), Rect(11, 3, 29, 19));
  EXPECT_EQ(CaptionMeasureWidth(75, 4, 16, 2, L::blGlyphLeft), 49);
  EXPECT_EQ(CaptionMeasureWidth(75, 4, 16, 2, L::blGlyphTop), 67);
  EXPECT_EQ(CaptionMeasureWidth(75, 4, 0, 2, L::blGlyphRight), 67);
  EXPECT_EQ(CaptionMeasureWidth(10, 8, 16, 2, L::blGlyphLeft), 0);
  EXPECT_EQ(FocusFrameRect(Rect(10, 5, 40, 18), 1), Rect(8, 4, 42, 19));
}

}  // namespace
