#include "colordialog/sColorDialogModel.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// Rough decimal exponent of a number text that did not fit a double: above
// zero it overflowed, otherwise it underflowed.
int DecimalMagnitude(std::string_view s) {
  size_t e = s.find_first_of("eE");
  std::string_view mantissa = s.substr(0, e);
  int exponent = 0;
  if (e != std::string_view::npos) {
    std::string_view digits = s.substr(e + 1);
    bool negative = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
    long long value = 0;
    for (char c : digits) value = std::min(value * 10 + (c - '0'), 1000000LL);
    exponent = int(negative ? -value : value);
  }
  size_t point = mantissa.find('.');
  std::string_view whole = mantissa.substr(0, point);
  size_t firstDigit = whole.find_first_not_of('0');
  if (firstDigit != std::string_view::npos) return int(whole.size() - firstDigit) + exponent;
  std::string_view fraction = point == std::string_view::npos ? std::string_view() : mantissa.substr(point + 1);
  size_t firstFraction = fraction.find_first_not_of('0');
  if (firstFraction == std::string_view::npos) return -1;
  return exponent - int(firstFraction);
}

// A real with "." as the decimal point; a value too large for a double reads
// as infinity (and is saturated by the caller), one too small as 0.
bool ReadReal(std::string_view s, double& value) {
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
  if (ptr != s.data() + s.size()) return false;
  if (ec == std::errc::result_out_of_range) {
    value = DecimalMagnitude(s) > 0 ? HUGE_VAL : 0.0;
    return true;
  }
  return ec == std::errc();
}

TColor PlainColor(TColor c) { return ColorToRGB(c) & 0xFFFFFFu; }

}  // namespace

double NumberTextToReal(const String& text) {
  String s = Trim(text);
  double sign = 1.0;
  if (!s.empty() && s[0] == '-') {
    sign = -1.0;
    s.erase(0, 1);
  }
  // The leading "0" also keeps words such as "inf" or "nan" from reading as numbers.
  s = Trim("0" + s);
  std::replace(s.begin(), s.end(), ',', '.');
  double value = 0.0;
  if (!ReadReal(s, value)) return 0.0;
  return sign * value;
}

int32_t NumberTextToInt(const String& text) {
  double v = std::trunc(NumberTextToReal(text));
  if (std::isnan(v)) return 0;
  if (v >= double(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (v <= double(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return int32_t(v);
}

String FormatWholeNumber(double value) {
  if (std::isnan(value)) return "0";
  double r = std::round(value);
  if (r == 0.0) return "0";
  r = std::clamp(r, -9.0e18, 9.0e18);
  return IntToStr(int64_t(r));
}

TColor DecimalTextToColor(const String& text) { return uint32_t(NumberTextToInt(text)) & 0xFFFFFFu; }

TColor RgbTextsToColor(const String& r, const String& g, const String& b) {
  auto byte = [](const String& t) { return uint8_t(uint32_t(NumberTextToInt(t)) & 0xFF); };
  return RGBColor(byte(r), byte(g), byte(b));
}

TColor HsvTextsToColor(const String& h, const String& s, const String& v) {
  return HsvToColor(NumberTextToInt(h), NumberTextToReal(s) / 100.0, NumberTextToReal(v) / 100.0);
}

bool HexKeyPasses(int key) {
  return key == 3 || key == 13 || key == 22 || key == 27 || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'F') ||
         (key >= 'a' && key <= 'f');
}

TacColorDialogModel::TacColorDialogModel()
    : FOwnMain(std::make_unique<TacColorGrid>()), FOwnAdd(std::make_unique<TacColorGrid>()) {
  FMainPal = FOwnMain.get();
  FAddPal = FOwnAdd.get();
  TStringList words;
  for (const char* word : MainPaletteWords) words.Add(word);
  FMainPal->SetColCount(MainPalCols);
  FMainPal->SetRowCount(MainPalRows);
  FMainPal->SetColors(words);
  FAddPal->SetColCount(AddPalCols);
  FAddPal->SetRowCount(AddPalRows);
  FMainPal->OnChange = [this] { MainPalChange(*FMainPal); };
  FAddPal->OnChange = [this] { MainPalChange(*FAddPal); };
  for (String& t : FTexts) t = "0";
  FTexts[int(TColorEditField::Hex)] = "      ";
}

TacColorDialogModel::TacColorDialogModel(TacColorGrid& mainPal, TacColorGrid& addPal)
    : FMainPal(&mainPal), FAddPal(&addPal) {
  for (String& t : FTexts) t = "0";
  FTexts[int(TColorEditField::Hex)] = "      ";
}

void TacColorDialogModel::SetText(TColorEditField f, const String& text) {
  FTexts[int(f)] = text;
  FView->ShowFieldText(f, text);
}

void TacColorDialogModel::ShowSelected(TColor c) {
  FSelectedColor = c;
  FView->ShowSelectedColor(c);
}

void TacColorDialogModel::SetColorTexts(TColor c) {
  if (!FRgbSource) {
    SetNumber(TColorEditField::R, GetRValue(c));
    SetNumber(TColorEditField::G, GetGValue(c));
    SetNumber(TColorEditField::B, GetBValue(c));
  }
  if (!FDecimalSource) SetText(TColorEditField::Decimal, ColorToDecText(c));
  if (!FHexSource) SetText(TColorEditField::Hex, ColorToHexText(c));
}

double TacColorDialogModel::BarBrightness() const {
  int half = std::max(FBarHeight / 2, 1);
  if (FBarRow < half) return 100.0;
  return (1.0 - std::abs(half - FBarRow) / double(half)) * 100.0;
}

void TacColorDialogModel::SetCurrentColor(TColor c) {
  TFlagScope updating(FUpdating);
  // A system colour or a stray top byte would leak into the texts and the result.
  c = PlainColor(c);
  ShowSelected(c);
  if (!FFromBar) {
    FCurrentHsv = ColorToHsv(c);
    FBaseColor = HsvToColor(FCurrentHsv.H, FCurrentHsv.S, 1.0);
  }
  if (!FHsvSource) {
    SetNumber(TColorEditField::H, FCurrentHsv.H);
    if (!FFromBar) {
      SetNumber(TColorEditField::S, FCurrentHsv.S * 100.0);
      SetNumber(TColorEditField::V, FCurrentHsv.V * 100.0);
    } else if (FBarRow < FBarHeight / 2) {
      SetNumber(TColorEditField::S, FCurrentHsv.S * 100.0 * 2.0 / FBarHeight * (FBarRow + 1));
    } else {
      SetNumber(TColorEditField::V, BarBrightness());
    }
  }
  SetColorTexts(c);
  if (!FFromBar) FMarkerPos = FieldMarkerPos(FCurrentHsv.H, FCurrentHsv.S, FFieldWidth, FFieldHeight);
  SetMarker();
  FView->RedrawMarkerArea();
  ExitPanels();
}

void TacColorDialogModel::SetMarker() {
  FView->RepaintBar();
  FView->EraseBarArrow();
  FBarRow = GetColorCoord(FBaseColor, FSelectedColor, FBarHeight);
}

void TacColorDialogModel::SetColorFromEdit(TColor color, bool& flag) {
  if (FUpdating) return;
  TFlagScope source(flag);
  SetCurrentColor(color);
  FMainPal->SetItemIndex(-1);
  FView->RepaintField();
}

void TacColorDialogModel::FieldChanged(TColorEditField field, const String& text) {
  FTexts[int(field)] = text;
  if (FUpdating) return;
  auto t = [this](TColorEditField f) -> const String& { return FTexts[int(f)]; };
  using F = TColorEditField;
  switch (field) {
    case F::H:
    case F::S:
    case F::V:
      SetColorFromEdit(HsvTextsToColor(t(F::H), t(F::S), t(F::V)), FHsvSource);
      break;
    case F::R:
    case F::G:
    case F::B:
      SetColorFromEdit(RgbTextsToColor(t(F::R), t(F::G), t(F::B)), FRgbSource);
      break;
    case F::Hex:
      SetColorFromEdit(HexTextToColor(text), FHexSource);
      break;
    case F::Decimal:
      SetColorFromEdit(DecimalTextToColor(text), FDecimalSource);
      break;
  }
}

void TacColorDialogModel::SetInternalColor(int h, double s) {
  TFlagScope updating(FUpdating);
  FCurrentHsv.H = h;
  FCurrentHsv.S = s;
  FBaseColor = HsvToColor(h, s, 1.0);
  SetNumber(TColorEditField::H, h);
  SetNumber(TColorEditField::S, s * 100.0);
  SetNumber(TColorEditField::V, BarBrightness());
  FView->RepaintBar();
  TColor color = GradToColor(FBaseColor, FBarRow, FBarHeight);
  SetColorTexts(color);
  ShowSelected(color);
  FMarkerPos = FieldMarkerPos(h, s, FFieldWidth, FFieldHeight);
  ExitPanels();
}

void TacColorDialogModel::FieldMouseDown(int x, int y) {
  FFieldDragging = true;
  TFieldPick pick = FieldPointToHs(x, y, FFieldWidth, FFieldHeight);
  SetInternalColor(pick.H, pick.S);
  FView->RepaintField();
}

void TacColorDialogModel::FieldMouseMove(int x, int y) {
  if (!FFieldDragging) return;
  TFieldPick pick = FieldPointToHs(x, y, FFieldWidth, FFieldHeight);
  SetInternalColor(pick.H, pick.S);
}

void TacColorDialogModel::FieldMouseUp() {
  FFieldDragging = false;
  FView->RepaintField();
}

void TacColorDialogModel::BarPick(int y) {
  FBarRow = ClampBarRow(y, FBarHeight);
  TFlagScope fromBar(FFromBar);
  SetCurrentColor(GradToColor(FBaseColor, FBarRow, FBarHeight));
}

void TacColorDialogModel::BarMouseDown(int y) {
  FBarDragging = true;
  BarPick(y);
  FView->RedrawMarkerArea();
}

void TacColorDialogModel::BarMouseMove(int y) {
  if (!FBarDragging) return;
  FView->RedrawMarkerArea();
  BarPick(y);
}

void TacColorDialogModel::BarMouseUp() {
  FBarDragging = false;
  FView->RedrawMarkerArea();
}

void TacColorDialogModel::MainPalChange(TacColorGrid& sender) {
  int i = sender.ItemIndex();
  if (i < 0) return;
  // A white custom cell counts as empty: selecting it keeps the colour.
  if (&sender == FAddPal && sender.Colors().Get(i) == EmptyCustomWord) return;
  SetCurrentColor(sender.ColorValue());
  FView->RepaintField();
}

void TacColorDialogModel::ExitPanels() {
  if (FMainPal->ItemIndex() >= 0 && FMainPal->ColorValue() != FSelectedColor) FMainPal->SetItemIndex(-1);
  int i = FAddPal->ItemIndex();
  if (i >= 0 && FAddPal->ColorValue() != FSelectedColor) {
    FNextCustomSlot = i;
    FAddPal->SetItemIndex(-1);
  }
}

void TacColorDialogModel::AddCustomColor() {
  int cells = FAddPal->CellCount();
  if (cells == 0) return;
  const String& hex = FTexts[int(TColorEditField::Hex)];
  int i = FAddPal->ItemIndex();
  if (i < 0) {
    // Once the last cell is reached, further additions keep replacing it.
    FNextCustomSlot = std::clamp(FNextCustomSlot, 0, cells - 1);
    FAddPal->ColorsList().Put(FNextCustomSlot, hex);
    if (FNextCustomSlot < cells - 1) ++FNextCustomSlot;
  } else {
    FAddPal->ColorsList().Put(i, hex);
  }
  FAddPal->GenerateColors();
  FAddPal->Invalidate();
}

void TacColorDialogModel::ScreenPick(TColor c) {
  FPickedColor = PlainColor(c);
  SetCurrentColor(FPickedColor);
}
