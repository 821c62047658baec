#pragma once
// The colour dialog's state without its window: what every view shows, and
// how a click, a drag or a typed value changes it. The dialog form forwards
// its events here and paints what the model describes; the model calls the
// view back while it writes, so that the form's change events can tell the
// dialog's own writes from the user's (Updating is set during them).
#include <algorithm>
#include <memory>

#include "colordialog/sColorField.h"
#include "colordialog/sColorGrid.h"
#include "colordialog/sColorUtils.h"

// The dialog's text fields.
enum class TColorEditField { H, S, V, R, G, B, Hex, Decimal };
constexpr int ColorEditFieldCount = 8;

// What the form does on the model's behalf. Every call may come while
// Updating is set; the defaults do nothing.
class TColorDialogView {
public:
  virtual ~TColorDialogView() = default;
  virtual void ShowFieldText(TColorEditField, const String&) {}
  virtual void ShowSelectedColor(TColor) {}
  virtual void RepaintBar() {}          // the bar's base colour may have changed
  virtual void EraseBarArrow() {}       // before BarRow moves
  virtual void RedrawMarkerArea() {}    // the arrow column, after BarRow moved
  virtual void RepaintField() {}        // the circle on the field moved
};

// Numbers as the dialog's numeric fields read them: blanks at both ends
// ignored, "," or "." as the decimal point, a leading "-"; text that does
// not read as a number is 0.
double NumberTextToReal(const String& text);
// The same, truncated toward zero and saturated to the 32-bit range
// (NaN gives 0), so "1E30" or "-1E30" never overflow.
int32_t NumberTextToInt(const String& text);
// A value as the numeric fields show it: no decimals, halves away from zero.
String FormatWholeNumber(double value);
// The decimal field's colour: the low 24 bits of its saturated integer, so
// the top byte (a system colour mark) is never set.
TColor DecimalTextToColor(const String& text);
// The red, green and blue fields: each the low 8 bits of its integer.
TColor RgbTextsToColor(const String& r, const String& g, const String& b);
// The H, S, B fields: hue as an integer, saturation and brightness in percent.
TColor HsvTextsToColor(const String& h, const String& s, const String& v);
// Key filter of the hexadecimal field: Ctrl+C, Enter, Ctrl+V, Esc and hex digits.
bool HexKeyPasses(int key);

class TacColorDialogModel {
public:
  // Owns a main palette (the 48 words) and 16 empty custom cells.
  TacColorDialogModel();
  // Uses the grids of the form's controls; the caller routes their OnChange
  // to MainPalChange.
  TacColorDialogModel(TacColorGrid& mainPal, TacColorGrid& addPal);

  void SetView(TColorDialogView* view) { FView = view ? view : &FNoView; }
  // Field and bar sizes in client pixels (the design sizes by default).
  void SetFieldSize(int width, int height) { FFieldWidth = std::max(width, 1), FFieldHeight = std::max(height, 1); }
  void SetBarHeight(int height) { FBarHeight = std::max(height, 1); }

  // Brings every view to colour c (a system colour is first made plain).
  void SetCurrentColor(TColor c);
  // The dialog is shown with its owner's colour.
  void FormShow(TColor ownerColor) { SetCurrentColor(ownerColor); }

  // A field's text changed; `text` is what it now shows. During the
  // dialog's own writes only the text is noted.
  void FieldChanged(TColorEditField field, const String& text);

  // Pressing, dragging and releasing on the colour field (client points).
  void FieldMouseDown(int x, int y);
  void FieldMouseMove(int x, int y);
  void FieldMouseUp();
  // Keeps the bar row; used by the field picks.
  void SetInternalColor(int h, double s);

  // Pressing, dragging and releasing on the bar (y in bar rows).
  void BarMouseDown(int y);
  void BarMouseMove(int y);
  void BarMouseUp();

  // OnChange of either grid.
  void MainPalChange(TacColorGrid& sender);
  // Drops grid selections that no longer show the current colour.
  void ExitPanels();
  // "Add to custom colors set".
  void AddCustomColor();
  // A click in the screen picker.
  void ScreenPick(TColor c);

  // State read by the views.
  const String& FieldText(TColorEditField f) const { return FTexts[int(f)]; }
  TColor SelectedColor() const { return FSelectedColor; }
  const THsv& CurrentHsv() const { return FCurrentHsv; }
  TColor BaseColor() const { return FBaseColor; }
  TPoint MarkerPos() const { return FMarkerPos; }
  int BarRow() const { return FBarRow; }
  int NextCustomSlot() const { return FNextCustomSlot; }
  TColor PickedColor() const { return FPickedColor; }
  bool FieldDragging() const { return FFieldDragging; }
  bool BarDragging() const { return FBarDragging; }
  bool Updating() const { return FUpdating; }
  bool FromBar() const { return FFromBar; }
  bool HexSource() const { return FHexSource; }
  bool DecimalSource() const { return FDecimalSource; }
  bool HsvSource() const { return FHsvSource; }
  bool RgbSource() const { return FRgbSource; }
  TacColorGrid& MainPal() { return *FMainPal; }
  TacColorGrid& AddPal() { return *FAddPal; }
  int FieldWidth() const { return FFieldWidth; }
  int FieldHeight() const { return FFieldHeight; }
  int BarHeight() const { return FBarHeight; }

private:
  void SetColorFromEdit(TColor color, bool& flag);
  void SetText(TColorEditField f, const String& text);
  void SetNumber(TColorEditField f, double value) { SetText(f, FormatWholeNumber(value)); }
  void SetColorTexts(TColor c);  // R, G, B, decimal and hex, each unless typed in
  void ShowSelected(TColor c);
  void SetMarker();
  double BarBrightness() const;  // B in percent at the bar row
  void BarPick(int y);

  std::unique_ptr<TacColorGrid> FOwnMain, FOwnAdd;
  TacColorGrid* FMainPal;
  TacColorGrid* FAddPal;
  TColorDialogView FNoView;
  TColorDialogView* FView = &FNoView;

  String FTexts[ColorEditFieldCount];
  TColor FSelectedColor = clGreen;
  THsv FCurrentHsv;
  TColor FBaseColor = clBlack;
  TPoint FMarkerPos;
  int FBarRow = 0;
  int FNextCustomSlot = 0;
  TColor FPickedColor = clBlack;
  bool FFieldDragging = false, FBarDragging = false, FFromBar = false, FUpdating = false;
  bool FHexSource = false, FDecimalSource = false, FHsvSource = false, FRgbSource = false;
  int FFieldWidth = ::FieldWidth, FFieldHeight = ::FieldHeight, FBarHeight = ::BarHeight;
};
