// The colour dialog's state: synchronised views, typed fields, picks on the
// field, bar and grids, custom colour slots.
#include <cmath>
#include <stdexcept>

#include <gtest/gtest.h>

#include "colordialog/sColorDialogModel.h"

namespace {

using F = TColorEditField;
constexpr TColor Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

// Behaves like the form's edits: a shown text fires the field's change event.
class TEchoView : public TColorDialogView {
public:
  explicit TEchoView(TacColorDialogModel& m) : FModel(m) {}
  void ShowFieldText(TColorEditField f, const String& text) override {
    ++Writes;
    if (ThrowOn == int(f)) throw std::runtime_error("paint failed");
    FModel.FieldChanged(f, text);
  }
  void ShowSelectedColor(TColor) override { ++Selected; }
  int Writes = 0, Selected = 0, ThrowOn = -1;

private:
  TacColorDialogModel& FModel;
};

struct Texts {
  const char *h, *s, *v, *r, *g, *b, *hex, *dec;
};

void ExpectTexts(const TacColorDialogModel& m, const Texts& t) {
  EXPECT_EQ(m.FieldText(F::H), t.h);
  EXPECT_EQ(m.FieldText(F::S), t.s);
  EXPECT_EQ(m.FieldText(F::V), t.v);
  EXPECT_EQ(m.FieldText(F::R), t.r);
  EXPECT_EQ(m.FieldText(F::G), t.g);
  EXPECT_EQ(m.FieldText(F::B), t.b);
  EXPECT_EQ(m.FieldText(F::Hex), t.hex);
  EXPECT_EQ(m.FieldText(F::Decimal), t.dec);
}

void ExpectFlagsClear(const TacColorDialogModel& m) {
  EXPECT_FALSE(m.Updating());
  EXPECT_FALSE(m.FromBar());
  EXPECT_FALSE(m.HexSource());
  EXPECT_FALSE(m.DecimalSource());
  EXPECT_FALSE(m.HsvSource());
  EXPECT_FALSE(m.RgbSource());
}

class ColorDialogModel : public ::testing::Test {
protected:
  ColorDialogModel() { M.SetView(&View); }
  TacColorDialogModel M;
  TEchoView View{M};
};

// ------------------------------------------------------------ every view in step

TEST_F(ColorDialogModel, OpeningShowsTheColourInEveryView) {
  M.FormShow(Rgb(60, 61, 61));
  ExpectTexts(M, {"180", "2", "24", "60", "61", "61", "3C3D3D", "4013372"});
  EXPECT_EQ(M.SelectedColor(), Rgb(60, 61, 61));
  EXPECT_EQ(M.BaseColor(), Rgb(251, 255, 255));
  EXPECT_EQ(M.MarkerPos(), Point(130, 256));  // round(60/61 * 260)
  EXPECT_EQ(M.BarRow(), 226);
  EXPECT_EQ(View.Selected, 1);
  ExpectFlagsClear(M);
}

TEST_F(ColorDialogModel, SystemColourOrTopByteIsMadePlain) {
  M.SetCurrentColor(0x1F00FF00);
  EXPECT_EQ(M.SelectedColor(), Rgb(0, 255, 0));
  EXPECT_EQ(M.FieldText(F::Decimal), "65280");
  M.SetCurrentColor(0x80000000 | 15);  // button face
  EXPECT_EQ(M.SelectedColor() >> 24, 0u);
}

// ------------------------------------------------------------------ typed fields

struct TypedCase {
  F field;
  const char* text;
  TColor color;
  Texts shown;
};

TEST_F(ColorDialogModel, TypedFieldKeepsItsTextWhileTheOthersFollow) {
  const TypedCase cases[] = {
      {F::Hex, "FF    ", Rgb(0, 0, 255), {"240", "100", "100", "0", "0", "255", "FF    ", "16711680"}},
      {F::Hex, "FF0000", Rgb(255, 0, 0), {"0", "100", "100", "255", "0", "0", "FF0000", "255"}},
      {F::Hex, "      ", Rgb(0, 0, 0), {"0", "0", "0", "0", "0", "0", "      ", "0"}},
      {F::Hex, "12 4  ", Rgb(0, 0, 0x12), {"240", "100", "7", "0", "0", "18", "12 4  ", "1179648"}},
      {F::Decimal, "4013372", Rgb(60, 61, 61), {"180", "2", "24", "60", "61", "61", "3C3D3D", "4013372"}},
      {F::Decimal, "1E30", clWhite, {"0", "0", "100", "255", "255", "255", "FFFFFF", "1E30"}},
      {F::Decimal, "-1E30", clBlack, {"0", "0", "0", "0", "0", "0", "000000", "-1E30"}},
      {F::Decimal, "16777217", Rgb(1, 0, 0), {"0", "100", "0", "1", "0", "0", "010000", "16777217"}},
      {F::Decimal, "4294967295", clWhite, {"0", "0", "100", "255", "255", "255", "FFFFFF", "4294967295"}},
      {F::Decimal, "-1", clWhite, {"0", "0", "100", "255", "255", "255", "FFFFFF", "-1"}},
      {F::Decimal, "inf", clBlack, {"0", "0", "0", "0", "0", "0", "000000", "inf"}},
      {F::Decimal, "12.9", Rgb(12, 0, 0), {"0", "100", "5", "12", "0", "0", "0C0000", "12.9"}},
  };
  for (const TypedCase& c : cases) {
    SCOPED_TRACE(c.text);
    M.FieldChanged(c.field, c.text);
    EXPECT_EQ(M.SelectedColor(), c.color);
    ExpectTexts(M, c.shown);
    ExpectFlagsClear(M);
  }
}

TEST_F(ColorDialogModel, TypedRgbWrapsToTheLowByteAndKeepsItsTexts) {
  M.FormShow(Rgb(0, 0, 0));
  M.FieldChanged(F::R, "300");
  EXPECT_EQ(M.SelectedColor(), Rgb(44, 0, 0));
  ExpectTexts(M, {"0", "100", "17", "300", "0", "0", "2C0000", "44"});
  M.FieldChanged(F::G, "1E30");  // saturates, low byte 0xFF
  EXPECT_EQ(M.SelectedColor(), Rgb(44, 255, 0));
  EXPECT_EQ(M.FieldText(F::G), "1E30");
  EXPECT_EQ(M.FieldText(F::Hex), "2CFF00");
}

TEST_F(ColorDialogModel, TypedHsvKeepsItsTexts) {
  M.FieldChanged(F::H, "120");
  M.FieldChanged(F::S, "50");
  M.FieldChanged(F::V, "100");
  EXPECT_EQ(M.SelectedColor(), Rgb(128, 255, 128));
  ExpectTexts(M, {"120", "50", "100", "128", "255", "128", "80FF80", "8454016"});
  M.FieldChanged(F::S, "150");  // clamps in the conversion, the text stays
  EXPECT_EQ(M.SelectedColor(), Rgb(0, 255, 0));
  EXPECT_EQ(M.FieldText(F::S), "150");
  M.FieldChanged(F::H, "400");  // past 360: the last sector
  EXPECT_EQ(M.SelectedColor(), Rgb(255, 0, 0));
}

TEST_F(ColorDialogModel, TypingIntoTheDialogNeverEchoes) {
  M.FieldChanged(F::Hex, "3C3D3D");
  EXPECT_EQ(View.Selected, 1);  // one SetCurrentColor, no recursion through the echo
  EXPECT_EQ(View.Writes, 7);    // H S V R G B Decimal, not the hex field itself
}

TEST_F(ColorDialogModel, FlagsReturnToFalseWhenAViewThrows) {
  View.ThrowOn = int(F::Decimal);
  EXPECT_THROW(M.FieldChanged(F::Hex, "FF0000"), std::runtime_error);
  ExpectFlagsClear(M);
  EXPECT_THROW(M.BarMouseDown(40), std::runtime_error);
  ExpectFlagsClear(M);
  EXPECT_THROW(M.FieldMouseDown(3, 3), std::runtime_error);
  ExpectFlagsClear(M);
  View.ThrowOn = -1;
  M.FieldChanged(F::Hex, "00FF00");  // still responsive
  EXPECT_EQ(M.SelectedColor(), Rgb(0, 255, 0));
}

TEST(HexKeyFilter, PassesControlKeysAndHexDigitsOnly) {
  for (int key : std::initializer_list<int>{3, 13, 22, 27, '0', '9', 'A', 'F', 'a', 'f'}) EXPECT_TRUE(HexKeyPasses(key)) << key;
  for (int key : std::initializer_list<int>{0, 8, 24, ' ', '/', ':', '@', 'G', 'g', '`', 'h', '#', '-', 0x410}) EXPECT_FALSE(HexKeyPasses(key)) << key;
}

TEST(NumberText, ReadsLikeTheNumericFields) {
  struct Case { const char* text; double real; int32_t whole; };
  const Case cases[] = {
      {"", 0, 0}, {"  42 ", 42, 42}, {"-7.9", -7.9, -7}, {"7,5", 7.5, 7}, {"1E30", 1e30, INT32_MAX},
      {"-1E30", -1e30, INT32_MIN}, {"abc", 0, 0}, {"nan", 0, 0}, {"--5", 0, 0}, {"-", 0, 0}, {"2147483648", 2147483648.0, INT32_MAX},
      {"1E400", HUGE_VAL, INT32_MAX}, {"-1E400", -HUGE_VAL, INT32_MIN}, {"1E-400", 0, 0}, {"0.5E-330", 0, 0},
      {"0x10", 0, 0}, {"1e", 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(NumberTextToReal(c.text), c.real) << c.text;
    EXPECT_EQ(NumberTextToInt(c.text), c.whole) << c.text;
  }
  EXPECT_EQ(FormatWholeNumber(23.9), "24");
  EXPECT_EQ(FormatWholeNumber(45.5), "46");  // halves away from zero
  EXPECT_EQ(FormatWholeNumber(0.5), "1");
  EXPECT_EQ(FormatWholeNumber(-0.4), "0");
  EXPECT_EQ(FormatWholeNumber(100.0 / 61.0), "2");
}

// ---------------------------------------------------------------- field and bar

TEST_F(ColorDialogModel, FieldPickKeepsTheBarRow) {
  M.FormShow(Rgb(60, 61, 61));
  M.FieldMouseDown(259, 0);
  EXPECT_TRUE(M.FieldDragging());
  EXPECT_EQ(M.BarRow(), 226);
  EXPECT_EQ(M.CurrentHsv().H, 359);
  EXPECT_EQ(M.BaseColor(), Rgb(255, 0, 4));
  EXPECT_EQ(M.SelectedColor(), GradToColor(Rgb(255, 0, 4), 226));
  EXPECT_EQ(M.SelectedColor(), Rgb(63, 0, 1));
  ExpectTexts(M, {"359", "100", "26", "63", "0", "1", "3F0001", "65599"});
  EXPECT_EQ(M.MarkerPos(), Point(259, 0));
  M.FieldMouseUp();
  EXPECT_FALSE(M.FieldDragging());
  ExpectFlagsClear(M);
}

TEST_F(ColorDialogModel, FieldDragIsClampedAndNeverLosesTheHue) {
  M.FieldMouseMove(10, 10);  // no button down: ignored
  EXPECT_EQ(View.Selected, 0);
  M.FieldMouseDown(130, 100);
  M.FieldMouseMove(130, 5000);
  EXPECT_EQ(M.CurrentHsv().H, 180);
  EXPECT_DOUBLE_EQ(M.CurrentHsv().S, 1.0 - 259.0 / 260);
  EXPECT_EQ(M.FieldText(F::H), "180");
  EXPECT_EQ(M.FieldText(F::S), "0");
  M.FieldMouseMove(-100, -100);
  ExpectTexts(M, {"0", "100", "100", "255", "253", "253", "FFFDFD", "16645631"});  // bar row 0 of red
  M.FieldMouseMove(9999, 0);
  EXPECT_EQ(M.FieldText(F::H), "359");
}

TEST_F(ColorDialogModel, BarPickKeepsHueSaturationAndMarker) {
  M.FormShow(Rgb(255, 0, 0));
  TPoint marker = M.MarkerPos();
  M.BarMouseDown(128);
  EXPECT_EQ(M.SelectedColor(), Rgb(255, 0, 0));
  EXPECT_EQ(M.CurrentHsv().H, 0);
  EXPECT_EQ(M.BaseColor(), Rgb(255, 0, 0));
  EXPECT_EQ(M.MarkerPos(), marker);
  EXPECT_EQ(M.BarRow(), 128);  // the arrow settles on the first matching row
  EXPECT_EQ(M.FieldText(F::S), "99");  // 100 * 2 / 260 * 129
  M.BarMouseMove(200);
  EXPECT_EQ(M.SelectedColor(), Rgb(114, 1, 1));
  EXPECT_EQ(M.FieldText(F::V), "46");  // (1 - 70/130) * 100
  EXPECT_EQ(M.FieldText(F::S), "99");  // left alone below the middle
  M.BarMouseUp();
  M.BarMouseMove(10);  // released: ignored
  EXPECT_EQ(M.SelectedColor(), Rgb(114, 1, 1));
  ExpectFlagsClear(M);
}

TEST_F(ColorDialogModel, BarDragPastTheEndsStaysWithinPercentRange) {
  M.FormShow(Rgb(255, 0, 0));
  M.BarMouseDown(100);
  M.BarMouseMove(-3);
  EXPECT_EQ(M.SelectedColor(), Rgb(255, 253, 253));  // row 0, not past it
  EXPECT_EQ(M.FieldText(F::S), "1");
  M.BarMouseMove(5000);
  EXPECT_EQ(M.SelectedColor(), clBlack);
  EXPECT_EQ(M.FieldText(F::V), "1");  // row 259
}

// ------------------------------------------------------------ palettes and slots

TEST_F(ColorDialogModel, MainPaletteClickTakesItsColourUntilTheColourChanges) {
  M.MainPal().MouseDown(6 + 27 * 4 + 1, 6 + 27 * 3 + 1);  // "FF0000"
  EXPECT_EQ(M.MainPal().ItemIndex(), 28);
  EXPECT_EQ(M.SelectedColor(), Rgb(255, 0, 0));
  EXPECT_EQ(M.FieldText(F::Hex), "FF0000");
  M.BarMouseDown(128);  // same colour: the cell stays selected
  EXPECT_EQ(M.MainPal().ItemIndex(), 28);
  M.BarMouseDown(200);
  EXPECT_EQ(M.MainPal().ItemIndex(), -1);
  M.MainPal().SetItemIndex(0);
  M.FieldChanged(F::Hex, "8080FF");  // typed: deselects whatever the cell shows
  EXPECT_EQ(M.MainPal().ItemIndex(), -1);
}

TEST_F(ColorDialogModel, WhiteCustomCellKeepsTheColourAndTakesTheNextAddition) {
  M.FormShow(Rgb(60, 61, 61));
  M.AddPal().SetItemIndex(3);
  EXPECT_EQ(M.SelectedColor(), Rgb(60, 61, 61));
  EXPECT_EQ(M.AddPal().ItemIndex(), 3);
  M.AddCustomColor();
  EXPECT_EQ(M.AddPal().Colors().Get(3), "3C3D3D");
  EXPECT_EQ(M.AddPal().ColorsArray()[3].Color, Rgb(60, 61, 61));
  EXPECT_EQ(M.NextCustomSlot(), 0);
}

TEST_F(ColorDialogModel, AdditionsFillTheSlotsAndNeverPassTheLastCell) {
  for (int i = 0; i < 20; ++i) {
    M.FieldChanged(F::Decimal, IntToStr(i + 1));
    M.AddCustomColor();
  }
  EXPECT_EQ(M.AddPal().Count(), 16);
  EXPECT_EQ(M.AddPal().Colors().Get(0), "010000");
  EXPECT_EQ(M.AddPal().Colors().Get(14), "0F0000");
  EXPECT_EQ(M.AddPal().Colors().Get(15), "140000");  // 16th to 20th replace the last
  EXPECT_EQ(M.NextCustomSlot(), 15);
}

TEST_F(ColorDialogModel, SlotStaysInsideTheCellsWhenTheListIsLonger) {
  TStringList words;
  for (int i = 0; i < 20; ++i) words.Add("FFFFFF");
  M.AddPal().SetColors(words);
  for (int i = 0; i < 18; ++i) M.AddCustomColor();
  EXPECT_EQ(M.NextCustomSlot(), 15);
  EXPECT_EQ(M.AddPal().Colors().Get(16), "FFFFFF");
}

TEST_F(ColorDialogModel, LeavingASelectedCustomCellMakesItTheNextSlot) {
  M.FieldChanged(F::Hex, "123456");
  M.AddCustomColor();
  M.AddCustomColor();
  M.AddPal().SetItemIndex(5);  // white: colour kept
  M.FieldMouseDown(30, 30);
  EXPECT_EQ(M.AddPal().ItemIndex(), -1);
  EXPECT_EQ(M.NextCustomSlot(), 5);
  M.AddCustomColor();
  EXPECT_EQ(M.AddPal().Colors().Get(5), M.FieldText(F::Hex));
  EXPECT_EQ(M.NextCustomSlot(), 6);
  M.AddPal().SetItemIndex(0);  // "123456": takes its colour
  EXPECT_EQ(M.SelectedColor(), Rgb(0x12, 0x34, 0x56));
}

TEST(ColorDialogModelGrids, WorksOnTheFormsOwnGrids) {
  TacColorGrid mainPal, addPal;
  TacColorDialogModel m(mainPal, addPal);
  mainPal.OnChange = [&] { m.MainPalChange(mainPal); };
  TStringList words;
  words.Add("00FF80");
  mainPal.SetColors(words);
  mainPal.MouseDown(10, 10);
  EXPECT_EQ(&m.MainPal(), &mainPal);
  EXPECT_EQ(m.SelectedColor(), Rgb(0, 255, 0x80));
  EXPECT_EQ(m.FieldText(F::Hex), "00FF80");
}

TEST_F(ColorDialogModel, ScreenPickSetsEveryView) {
  M.ScreenPick(Rgb(1, 2, 3));
  EXPECT_EQ(M.PickedColor(), Rgb(1, 2, 3));
  EXPECT_EQ(M.FieldText(F::Hex), "010203");
}

}  // namespace
