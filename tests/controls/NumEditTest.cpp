#include "controls/sCurrEdit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const TacNumberSeparators En{".", ","}, De{",", "."}, Fr{",", "\u00A0"};
const double Inf = std::numeric_limits<double>::infinity(), NaN = std::numeric_limits<double>::quiet_NaN();

TEST(FormatFloat, PlacesRoundingSectionsGroupingLiterals) {
  struct { const char* format; double value; const char* text; } cases[] = {
      {"0", 45.5, "46"}, {"0", -45.5, "-46"}, {"0", 23.9, "24"}, {"0", 0.5, "1"}, {"0", 0.4, "0"},
      {"0", -0.4, "0"}, {"0.00", 2.675, "2.68"}, {"0.00", 1.005, "1.01"}, {"0.00", 0.995, "1.00"},
      {"0.##", 5, "5"}, {"0.##", 5.1, "5.1"}, {"0.##", 5.126, "5.13"}, {"#.##", 0.5, ".5"}, {"#", 0, ""},
      {"000", 7, "007"}, {"00", 12345, "12345"},
      {"#,##0.00", 1234567.891, "1,234,567.89"}, {"#,##0", 999.5, "1,000"}, {"#,##0", 5, "5"},
      {"#,##0", -1234, "-1,234"}, {"0,000", 1, "0,001"},
      {"0.0;(0.0);zero", 1.25, "1.3"}, {"0.0;(0.0);zero", -1.25, "(1.3)"}, {"0.0;(0.0);zero", 0, "zero"},
      {"0.0;(0.0);zero", 0.01, "zero"}, {"0;;z", -3, "-3"}, {"0;(0)", 0, "0"},
      {"'#'0 \"pcs\"", 5, "#5 pcs"}, {"$0.00", -5, "-$5.00"}, {"0;-0;0;ignored", 1, "1"},
      // the default display format: literal spaces between the places
      {NumEditDefaultDisplayFormat, 1234567.891, "1 234 567.89"},
      {NumEditDefaultDisplayFormat, -1234567.891, "-1 234 567.89"},
      {NumEditDefaultDisplayFormat, 5, "  5.00"},
      {NumEditDefaultDisplayFormat, 0, "0"},
      {NumEditDefaultDisplayFormat, 0.004, "0"},
      {NumEditDefaultDisplayFormat, 1e10, "10000 000 000.00"},
      {"0", 1e20, "100000000000000000000"}, {"0.00", 1e-300, "0.00"},
      {"0", NaN, "NAN"}, {"0", Inf, "INF"}, {"0", -Inf, "-INF"},
      // empty: the general format
      {"", 0.1, "0.1"}, {"", 0, "0"}, {"", -2.5, "-2.5"}, {"", 1e15, "1E15"}, {"", 1.5e-7, "1.5E-7"},
      {"", 0.0001, "0.0001"}, {"", 123456789012345678.0, "1.23456789012346E17"}, {"", 1.0 / 3, "0.333333333333333"},
  };
  for (auto c : cases) EXPECT_EQ(FormatFloat(c.format, c.value, En), c.text) << c.format << " / " << c.value;
  EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891, Fr), "1\u00A0234\u00A0567,89");
  EXPECT_EQ(FormatFloat("", 2.5, De), "2,5");
  EXPECT_EQ(FormatFloat("0", 1e300, En), "1" + std::string(300, '0'));
}

TEST(NumberText, Normalise) {
  struct { const char* text; TacNumberSeparators seps; const char* normal; } cases[] = {
      {" 1,234.5 ", En, "1234.5"}, {"", En, "0"}, {"   ", En, "0"}, {"-", En, "-0"}, {"1,2,3", En, "123"},
      {"1.234,5", De, "1234,5"}, {"1,2,3", De, "1,2,3"}, {"1\u00A0234.5", Fr, "1234,5"}, {"1.5", {".", "."}, "1.5"},
      {"2,5", {".", " "}, "2.5"},
  };
  for (auto c : cases) EXPECT_EQ(NormaliseNumberText(c.text, c.seps), c.normal) << c.text;
}

TEST(NumberText, ParseRefusesWhatIsNoRealNumber) {
  const std::string big(400, '9'), tinyText = "0." + std::string(400, '0') + "1";
  const std::string zeros = std::string(400, '0') + "5";
  struct { std::string text; bool ok; double value; } cases[] = {
      {"1", true, 1}, {"-2.5", true, -2.5}, {"+3", true, 3}, {"1.", true, 1}, {".5", true, 0.5},
      {"5E-1", true, 0.5}, {"1e3", true, 1000}, {" 1 ", true, 1}, {"1E-4000", true, 0}, {tinyText, true, 0},
      {zeros, true, 5},
      {"1E4000", false, 0}, {big, false, 0}, {"-", false, 0}, {"--1", false, 0}, {"1,2,3", false, 0},
      {"NaN", false, 0}, {"nan", false, 0}, {"INF", false, 0}, {"Infinity", false, 0}, {"-inf", false, 0},
      {"0x10", false, 0}, {".", false, 0}, {"1e", false, 0}, {"1e+", false, 0}, {"1 2", false, 0}, {"", false, 0},
      {"1.2.3", false, 0}, {"++1", false, 0},
  };
  for (auto& c : cases) {
    double v = -7;
    EXPECT_EQ(TryTextToFloat(c.text, ".", v), c.ok) << c.text.substr(0, 20);
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text.substr(0, 20);
    }
  }
  double v = 0;
  EXPECT_TRUE(TryTextToFloat("1,5", ",", v));
  EXPECT_EQ(v, 1.5);
  EXPECT_TRUE(TryTextToFloat(tinyText.substr(0, 100) + "1", ".", v));
  EXPECT_GT(v, 0);
}

TEST(NumberText, IntegersSaturate) {
  EXPECT_EQ(SaturatingTrunc(46.9), 46);
  EXPECT_EQ(SaturatingTrunc(-46.9), -46);
  EXPECT_EQ(SaturatingTrunc(1e12), 2147483647);
  EXPECT_EQ(SaturatingTrunc(-1e12), -2147483647 - 1);
  EXPECT_EQ(SaturatingTrunc(Inf), 2147483647);
  EXPECT_EQ(SaturatingTrunc(NaN), 0);
}

TEST(NumEdit, ClampValueFourCases) {
  struct { double min, max, x, clamped; } cases[] = {
      {0, 0, 1e9, 1e9}, {0, 0, -5, -5},             // equal limits: none
      {0, 255, 300, 255}, {0, 255, -5, 0}, {0, 255, 7, 7},  // both
      {10, 0, 5, 10}, {10, 0, 1e9, 1e9},             // max 0 below min: lower only
      {0, -10, 5, -10}, {0, -10, -50, -50},          // min 0 above max: upper only
      {10, 5, 7, 7}, {10, 5, 100, 100},              // otherwise none
  };
  for (auto c : cases) {
    TacNumEditModel m;
    m.MinValue = c.min, m.MaxValue = c.max;
    EXPECT_EQ(m.ClampValue(c.x), c.clamped) << c.min << ".." << c.max << " " << c.x;
  }
}

// Types text at the end of the field as the edit would.
void Type(TacNumEditModel& m, const std::string& keys, std::vector<TacNumKeyAction>* actions = nullptr) {
  for (char k : keys) {
    const auto r = m.KeyPress(char32_t(k), 99, 0, false);
    if (r.Action == TacNumKeyAction::nkPass) m.EditText += r.Key;
    if (actions) actions->push_back(r.Action);
  }
}

TacNumEditModel Plain(unsigned places = 0, const char* format = "0") {
  TacNumEditModel m;
  m.DecimalPlaces = places;
  m.DisplayFormat = format;
  return m;
}

TEST(NumEdit, ValueFollowsTheField) {
  TacNumEditModel m = Plain();
  ASSERT_TRUE(m.SetValue(45.5));
  EXPECT_EQ(m.EditText, "46");
  EXPECT_EQ(m.DisplayText(), "46");
  EXPECT_EQ(m.Value(), 46);
  EXPECT_EQ(m.AsInteger(), 46);
  m.EditText = "23.9";
  EXPECT_EQ(m.DisplayText(), "24");
  m.EditText = "";
  EXPECT_EQ(m.Value(), 0);
  Type(m, "300");
  EXPECT_EQ(m.Value(), 300);
  m.EditText = "4?2\r\n";
  EXPECT_EQ(m.Text(), "42");
  EXPECT_EQ(m.Value(), 42);
}

TEST(NumEdit, BadTextsNeverRaise) {
  struct { const char* text; double value; } cases[] = {
      {"1E4000", 10}, {"-", 10}, {"--1", 10}, {"1,2,3", 20}, {"NaN", 10}, {"Inf", 10}, {"abc", 10}, {"-5", 10},
  };
  for (auto c : cases) {
    TacNumEditModel m = Plain();
    m.MinValue = 10, m.MaxValue = 20;
    m.EditText = c.text;
    EXPECT_EQ(m.Value(), c.value) << c.text;
  }
  TacNumEditModel m = Plain();
  m.EditText = std::string(400, '9');
  EXPECT_EQ(m.Value(), 0);
  m.EditText = "-";
  EXPECT_EQ(m.Value(), 0);
  EXPECT_FALSE(std::signbit(m.Value()));
  EXPECT_FALSE(m.SetText("1E4000"));
  EXPECT_FALSE(m.SetText("--1"));
  EXPECT_EQ(m.EditText, "-");  // refused texts change nothing
  EXPECT_TRUE(m.SetText(" 1,234 "));
  EXPECT_EQ(m.EditText, "1234");
}

TEST(NumEdit, SetValueClampsAndSaturates) {
  TacNumEditModel m = Plain();
  EXPECT_FALSE(m.SetValue(NaN));
  EXPECT_FALSE(m.SetValue(Inf));
  ASSERT_TRUE(m.SetValue(1e12));
  EXPECT_EQ(m.AsInteger(), 2147483647);
  ASSERT_TRUE(m.SetValue(-1e12));
  EXPECT_EQ(m.AsInteger(), -2147483647 - 1);
  m.MinValue = 0, m.MaxValue = 255;
  ASSERT_TRUE(m.SetValue(Inf));
  EXPECT_EQ(m.EditText, "255");
  m.DecimalPlaces = 4000000000u;  // no pattern of four billion places
  ASSERT_TRUE(m.SetValue(1.5));
  EXPECT_EQ(m.EditText, "1.5");
}

TEST(NumEdit, AcceptsChar) {
  struct {
    const char* text;
    size_t selStart, selLength;
    const char* key;
    unsigned places;
    double min, max;
    bool accepted;
  } cases[] = {
      {"", 0, 0, "5", 0, 0, 0, true},        {"12", 2, 0, ".", 0, 0, 0, true},
      {"12.", 3, 0, "5", 0, 0, 0, false},    // no decimal places
      {"1.23", 4, 0, "4", 2, 0, 0, false},   {"1.23", 2, 2, "5", 2, 0, 0, true},  // selection replaced
      {"", 0, 0, "-", 0, 0, 0, true},        {"", 0, 0, "-", 0, 0, 255, false},   // no negatives
      {"", 0, 0, "-", 0, -5, 5, true},       {"-", 1, 0, "5", 0, 0, 0, true},
      {"-", 1, 0, "5", 0, 0, 255, false},   {"1", 1, 0, "E", 0, 0, 0, false},
      {"1", 1, 0, "a", 0, 0, 0, false},      {"-", 1, 0, "-", 0, 0, 0, false},
      {"1", 99, 7, "5", 0, 0, 0, true},     // a selection beyond the text is cut to it
      {"1", 1, 0, ",", 0, 0, 0, true},       // the thousand separator is dropped
  };
  for (auto c : cases) {
    TacNumEditModel m = Plain(c.places);
    m.MinValue = c.min, m.MaxValue = c.max;
    m.EditText = c.text;
    EXPECT_EQ(m.AcceptsChar(std::string(c.key), c.selStart, c.selLength), c.accepted)
        << "'" << c.text << "' + '" << c.key << "'";
  }
}

TEST(NumEdit, KeyPress) {
  using K = TacNumKeyAction;
  TacNumEditModel m = Plain(0);
  std::vector<K> actions;
  Type(m, "12.5", &actions);  // the digit after the separator is refused
  EXPECT_EQ(actions, (std::vector<K>{K::nkPass, K::nkPass, K::nkPass, K::nkDrop}));
  EXPECT_EQ(m.EditText, "12.");
  EXPECT_TRUE(m.KeyPress(U'x', 3, 0, false).Beep);
  m.BeepOnError = false;
  EXPECT_FALSE(m.KeyPress(U'x', 3, 0, false).Beep);
  for (char32_t k : {U'+', U'*', U'/', U'%', U'-'}) EXPECT_EQ(m.KeyPress(k, 3, 0, false).Action, K::nkDropDown);
  EXPECT_EQ(m.KeyPress(U'5', 0, 0, true).Action, K::nkToPopup);
  EXPECT_EQ(m.KeyPress(3, 0, 0, false).Action, K::nkPass);
  EXPECT_EQ(m.KeyPress(22, 0, 0, false).Action, K::nkPass);
  EXPECT_EQ(m.KeyPress(8, 0, 0, false).Action, K::nkPass);
  m.EditText = "";
  EXPECT_EQ(m.KeyPress(U'-', 0, 0, false).Action, K::nkPass);  // value 0: a sign
  ASSERT_TRUE(m.SetValue(5));
  m.EditText = "77";
  EXPECT_EQ(m.KeyPress(27, 2, 0, false).Action, K::nkReset);
  EXPECT_EQ(m.EditText, "5");  // back to the value, typing undone
  EXPECT_EQ(m.Value(), 5);
  // "." and "," become the locale's decimal separator unless one is the thousand separator
  TacNumEditModel g = Plain(2);
  g.Separators = De;
  EXPECT_EQ(g.KeyPress(U'.', 0, 0, false).Key, ".");
  EXPECT_EQ(g.KeyPress(U',', 1, 0, false).Key, ",");
  g.EditText = "1";
  g.Separators = Fr;
  const auto r = g.KeyPress(U'.', 1, 0, false);
  EXPECT_EQ(r.Action, K::nkPass);
  EXPECT_EQ(r.Key, ",");
}

TEST(NumEdit, PasteKeepsOnlyNumbers) {
  struct { const char* pasted; bool accepted; const char* text; double value; } cases[] = {
      {"1E4000", false, "12", 12}, {"abc", false, "12", 12}, {"--1", false, "12", 12},
      {"1,2,3", true, "1,2,3", 123}, {" 250 ", true, " 250 ", 250}, {"-", true, "-", 0}, {"1e2", true, "1e2", 100},
  };
  for (auto c : cases) {
    TacNumEditModel m = Plain();
    m.EditText = c.pasted;
    const TacPasteResult r = m.AfterPaste("12");
    EXPECT_EQ(r.Accepted, c.accepted) << c.pasted;
    EXPECT_EQ(r.Beep, !c.accepted) << c.pasted;
    EXPECT_EQ(m.EditText, c.text);
    EXPECT_EQ(m.Value(), c.value) << c.pasted;
  }
  TacNumEditModel m = Plain();
  m.BeepOnError = false;
  m.EditText = "x";
  EXPECT_FALSE(m.AfterPaste("").Beep);
}

TEST(NumEdit, CurrencyDefaultsAndFocus) {
  TacNumEditModel m;
  EXPECT_EQ(m.DisplayFormat, "### ### ##0.00;-### ### ##0.00;0");
  EXPECT_EQ(m.DecimalPlaces, 2u);
  ASSERT_TRUE(m.SetValue(1234567.891));
  EXPECT_EQ(m.EditText, "1234567.89");
  EXPECT_EQ(m.DisplayText(), "1 234 567.89");
  ASSERT_TRUE(m.SetValue(5));
  EXPECT_EQ(m.DisplayText(), "5.00");
  m.Clear();
  EXPECT_EQ(m.DisplayText(), "0");
  m.DisplayFormat = "";
  m.EditText = "0.5";
  EXPECT_EQ(m.DisplayText(), "0.5");
  m.MinValue = 0, m.MaxValue = 10;
  m.EditText = "50";
  EXPECT_TRUE(m.FocusLost());
  m.CheckOnExit = true;
  EXPECT_FALSE(m.FocusLost());
  m.EditText = "x";
  EXPECT_FALSE(m.FocusLost());
  m.EditText = "5";
  EXPECT_TRUE(m.FocusLost());
}

}  // namespace
