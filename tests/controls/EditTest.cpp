#include "controls/sEdit.h"

#include <gtest/gtest.h>

namespace {

TEST(BoundLabel, LayoutTable) {
  const TRect e = Rect(494, 276, 594, 295);  // 100 x 19
  const TSize l{27, 13};
  struct { TsCaptionLayout layout; int indent; TPoint pos; TacAlignment align; } cases[] = {
      {sclLeft, 0, {463, 278}, TacAlignment::taRightJustify},
      {sclLeft, 5, {458, 278}, TacAlignment::taRightJustify},
      {sclTopLeft, 2, {494, 261}, TacAlignment::taLeftJustify},
      {sclTopCenter, 2, {530, 261}, TacAlignment::taCenter},
      {sclTopRight, 2, {567, 261}, TacAlignment::taRightJustify},
      {sclLeftTop, 2, {461, 279}, TacAlignment::taLeftJustify},
      {sclBottomLeft, 2, {494, 297}, TacAlignment::taLeftJustify},
      {sclBottomCenter, 2, {530, 297}, TacAlignment::taCenter},
      {sclBottomRight, 2, {567, 297}, TacAlignment::taRightJustify},
  };
  for (auto c : cases) {
    EXPECT_EQ(BoundLabelPos(c.layout, e, l, c.indent), c.pos) << c.layout;
    EXPECT_EQ(BoundLabelAlignment(c.layout), c.align) << c.layout;
  }
  // odd free height: (20 - 13) div 2 - 1 = 2
  EXPECT_EQ(BoundLabelPos(sclLeft, Rect(0, 10, 50, 30), l, 0), Point(-31, 12));
}

TEST(BoundLabel, WordWrapFromMaximumWidth) {
  EXPECT_EQ(BoundLabelWordWrap(0, 500), std::nullopt);
  EXPECT_EQ(BoundLabelWordWrap(40, 36), true);
  EXPECT_EQ(BoundLabelWordWrap(40, 35), false);
}

TEST(EditFrame, BorderWidthAndTextRect) {
  struct {
    TacEditFrame f;
    int b;
    TRect text;  // for a 129 x 26 edit
  } cases[] = {
      {{true, true, false, false, false}, 2, Rect(3, 3, 126, 24)},
      {{true, false, false, false, false}, 1, Rect(2, 2, 127, 25)},
      {{true, true, true, true, true}, 2, Rect(5, 5, 124, 22)},
      {{true, true, false, true, true}, 2, Rect(3, 3, 126, 24)},  // bevels count only with a kind
      {{false, true, true, true, false}, 1, Rect(0, 0, 129, 26)},
      {{false, true, true, true, true}, 2, Rect(0, 0, 129, 26)},
      {{false, false, false, false, false}, 0, Rect(0, 0, 129, 26)},
  };
  for (auto& c : cases) {
    EXPECT_EQ(EditBorderWidth(c.f), c.b);
    EXPECT_EQ(EditTextRect(c.f, 129, 26), c.text);
  }
}

TEST(EditText, PasswordCharacters) {
  EXPECT_EQ(PasswordDisplayText("#FFF", U'*'), "\u25CF\u25CF\u25CF\u25CF");
  EXPECT_EQ(PasswordDisplayText("#FFF", U'*', false), "****");
  EXPECT_EQ(PasswordDisplayText("\u00E9t\u00E9", U'#'), "###");  // one per character, not per byte
  EXPECT_EQ(PasswordDisplayText("abc", 0), "abc");
  EXPECT_EQ(PasswordDisplayText("", U'*'), "");
}

}  // namespace
