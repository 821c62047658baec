#include "controls/sMaskEdit.h"

#include <gtest/gtest.h>

namespace {

constexpr size_t npos = TacMaskEditModel::npos;

TEST(EditMask, ParseFieldsAndPositions) {
  struct { const char* mask; size_t count; bool save; char32_t blank; const char* editText; const char* text; } cases[] = {
      {"AAAAAA;1; ", 6, true, U' ', "      ", "      "},
      {"!99/99/00;1;_", 8, true, U'_', "__/__/__", "  /  /  "},
      {"(999) 000-0000;0;*", 14, false, U'*', "(***) ***-****", "          "},
      {"000", 3, true, U'_', "___", "   "},
      {">LL<ll", 4, true, U'_', "____", "    "},
      {"\\A0\\;9;1;#", 4, true, U'#', "A#;#", "A ; "},
      {"99:99_0;0", 7, false, U'_', "__:__ _", "     "},
      {"", 0, true, U'_', "", ""},
  };
  for (auto c : cases) {
    TacMaskEditModel m(ParseEditMask(c.mask));
    EXPECT_EQ(m.Count(), c.count) << c.mask;
    EXPECT_EQ(m.Mask().SaveLiterals, c.save) << c.mask;
    EXPECT_EQ(m.Mask().BlankChar, c.blank) << c.mask;
    EXPECT_EQ(m.EditText(), c.editText) << c.mask;
    EXPECT_EQ(m.Text(), c.text) << c.mask;
  }
  EXPECT_EQ(ParseEditMask("99/99", U':', U'.').Positions[2].Literal, U'.');
}

TEST(EditMask, CharacterClasses) {
  struct { const char* mask; const char* accepted; const char* refused; } cases[] = {
      {"L", "aZ\u00E9", "1 -_"}, {"A", "a9Z", " -#"}, {"C", "a -#", "\t"}, {"0", "09", "a -"}, {"#", "5+-", "a "},
  };
  for (auto c : cases) {
    const TacMaskPosition p = ParseEditMask(c.mask).Positions[0];
    char32_t stored = 0;
    for (char32_t k : Utf8Decode(c.accepted)) EXPECT_TRUE(MaskCharFits(p, k, stored)) << c.mask << " " << char(k);
    for (char32_t k : Utf8Decode(c.refused)) EXPECT_FALSE(MaskCharFits(p, k, stored)) << c.mask << " " << char(k);
  }
}

TEST(MaskEdit, TypingSkipsLiteralsAndAppliesCase) {
  TacMaskEditModel m(ParseEditMask("!99/99/00;1;_"));
  size_t pos = 0;
  for (char32_t c : {U'1', U'2', U'3'}) pos = m.TypeChar(pos, c, true);
  EXPECT_EQ(pos, 4u);
  EXPECT_EQ(m.EditText(), "12/3_/__");
  EXPECT_EQ(m.TypeChar(pos, U'x', true), npos);
  EXPECT_EQ(m.TypeChar(5, U'/', true), 6u);  // typing the literal steps over it
  EXPECT_EQ(m.TypeChar(8, U'1', true), npos);  // past the end
  EXPECT_FALSE(m.IsComplete());

  TacMaskEditModel c(ParseEditMask(">LL<ll<>L"));
  pos = 0;
  for (char32_t k : {U'a', U'b', U'C', U'D', U'e'}) pos = c.TypeChar(pos, k, true);
  EXPECT_EQ(c.EditText(), "ABcde");
}

TEST(MaskEdit, InsertShiftsAndNeverGrows) {
  TacMaskEditModel m(ParseEditMask("AAAAAA;1; "));
  size_t pos = 0;
  for (char32_t c : {U'3', U'C', U'3', U'D', U'3'}) pos = m.TypeChar(pos, c, false);
  EXPECT_EQ(m.EditText(), "3C3D3 ");
  EXPECT_EQ(m.TypeChar(0, U'F', false), 1u);
  EXPECT_EQ(m.EditText(), "F3C3D3");
  EXPECT_EQ(m.TypeChar(2, U'0', false), npos);  // full: nothing falls off
  EXPECT_EQ(m.TypeChar(6, U'0', false), npos);
  EXPECT_EQ(m.EditText(), "F3C3D3");
  EXPECT_EQ(m.TypeChar(2, U'0', true), 3u);  // overtype still works
  EXPECT_EQ(m.EditText(), "F303D3");
  EXPECT_TRUE(m.IsComplete());
  // a shift that would put a letter on a digit position is refused
  TacMaskEditModel d(ParseEditMask("A0;1;_"));
  d.TypeChar(0, U'x', true);
  EXPECT_EQ(d.TypeChar(0, U'y', false), npos);
  EXPECT_EQ(d.EditText(), "x_");
}

TEST(MaskEdit, DeleteAndBackspace) {
  TacMaskEditModel m(ParseEditMask("99-99;1;_"));
  m.SetText("12-34");
  EXPECT_EQ(m.DeleteChar(1), 1u);
  EXPECT_EQ(m.EditText(), "13-4_");
  EXPECT_EQ(m.Backspace(3), 1u);  // over the literal to the digit before it
  EXPECT_EQ(m.EditText(), "14-__");
  EXPECT_EQ(m.Backspace(0), 0u);
  EXPECT_EQ(m.ClearRange(0, 99), 0u);
  EXPECT_EQ(m.EditText(), "__-__");
  // entries that do not fit one place left are only cleared
  TacMaskEditModel d(ParseEditMask("L0;1;_"));
  d.SetText("a1");
  d.DeleteChar(0);
  EXPECT_EQ(d.EditText(), "_1");
}

TEST(MaskEdit, PasteAndSetTextAreCutToTheMask) {
  TacMaskEditModel m(ParseEditMask("AAAAAA;1; "));
  bool dropped = false;
  EXPECT_EQ(m.Paste(0, "#3C3D3D", dropped), 6u);
  EXPECT_TRUE(dropped);  // the "#"
  EXPECT_EQ(m.Text(), "3C3D3D");
  EXPECT_EQ(m.Paste(2, std::string(100000, '9'), dropped), 6u);
  EXPECT_TRUE(dropped);
  EXPECT_EQ(m.Text(), "3C9999");
  EXPECT_EQ(m.Paste(99, "1", dropped), 6u);
  EXPECT_TRUE(dropped);
  EXPECT_TRUE(m.SetText("ab"));
  EXPECT_EQ(m.Text(), "ab    ");
  EXPECT_FALSE(m.SetText("abcdefgh"));
  EXPECT_EQ(m.Text(), "abcdef");
  EXPECT_TRUE(m.SetText("      "));  // an empty field's own text
  EXPECT_EQ(m.Text(), "      ");

  TacMaskEditModel d(ParseEditMask("99/99;0;_"));
  EXPECT_TRUE(d.SetText("12/34"));
  EXPECT_EQ(d.Text(), "1234");
  EXPECT_TRUE(d.SetText("1234"));
  EXPECT_EQ(d.EditText(), "12/34");
  EXPECT_TRUE(d.SetText(" 2/ 4"));
  EXPECT_EQ(d.EditText(), "_2/_4");
}

}  // namespace
