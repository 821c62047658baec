// Window-free value model of the numeric edits: the text a field holds, the
// real it stands for, its limits, what may be typed or pasted, and the
// framework's real-number formatting. Nothing here raises on bad input:
// refusals come back as results (with the beep as a flag).
#pragma once
#include "framework/core/SysUtils.h"

#include <cstdint>

// The locale's separators, passed in (no process-wide locale is read).
// UTF-8; the thousand separator may be several bytes (a no-break space).
struct TacNumberSeparators {
  String Decimal = ".";
  String Thousand = ",";
};

// Spaces trimmed, thousand separators dropped, "." and "," read as the
// decimal separator, "" as "0" and "-" as "-0".
String NormaliseNumberText(const String& text, const TacNumberSeparators& seps);

// A real in the framework's syntax: [sign] digits [decimal digits]
// [E [sign] digits], at least one digit, decimalSep as the decimal point.
// Values beyond the double range are refused (false); values too small for
// it read as 0. NaN and infinity spellings are refused.
bool TryTextToFloat(const String& text, const String& decimalSep, double& value);

// The framework's format patterns: up to three ";" sections (positive;
// negative; zero), "0" a digit always shown, "#" a digit shown when
// significant, the first "." the decimal point, "," anywhere grouping by
// thousands, text in '...' or "..." and every other character literal.
// Rounded half away from zero from the value's 15 significant digits.
// An empty format gives the general format.
String FormatFloat(const String& format, double value, const TacNumberSeparators& seps);
// Up to 15 significant digits, exponent form below 1E-4 and from 1E15.
String FloatToStrGeneral(double value, const String& decimalSep);
// Toward zero, saturating at the 32-bit limits; NaN gives 0.
int32_t SaturatingTrunc(double value);

constexpr const char* NumEditDefaultDisplayFormat = "### ### ##0.00;-### ### ##0.00;0";
// Fraction places beyond what a double holds are not written out.
constexpr unsigned NumEditMaxFormatPlaces = 18;

enum class TacNumKeyAction {
  nkPass,      // let the edit insert Key (possibly changed to the decimal separator)
  nkDrop,      // swallow the key; Beep tells whether to beep
  nkToPopup,   // the open popup takes the key
  nkDropDown,  // drop the popup down and hand it the key
  nkReset,     // Esc: the text was reset from the value; select all
};
struct TacNumKeyResult {
  TacNumKeyAction Action = TacNumKeyAction::nkDrop;
  String Key;  // UTF-8
  bool Beep = false;
};

struct TacPasteResult {
  bool Accepted = true;  // false: the previous text is back, select all
  bool Beep = false;
};

// The value model behind TsCustomNumEdit and TsCurrencyEdit. Positions are
// counted in characters (code points).
class TacNumEditModel {
public:
  double MinValue = 0;
  double MaxValue = 0;
  unsigned DecimalPlaces = 2;
  bool BeepOnError = true;
  bool CheckOnExit = false;
  bool HasEditMask = false;
  String DisplayFormat = NumEditDefaultDisplayFormat;
  TacNumberSeparators Separators;
  String EditText;  // what the field holds

  // Limits equal: none. Max above min: both. Max below min: only the
  // lower one when max is 0, only the upper one when min is 0, else none.
  double ClampValue(double x) const;

  // Re-read from the text, so it always follows what the field shows; a
  // text that is no number reads as MinValue.
  double Value();
  // Clamps and writes the edit text; NaN, or a value that stays infinite
  // after clamping, is refused (false, nothing changes).
  bool SetValue(double x);
  int32_t AsInteger() { return SaturatingTrunc(Value()); }
  // The edit text less "?", CR and LF.
  String Text() const;
  // A text that is no number is refused (false, nothing changes).
  bool SetText(const String& text);
  void Clear() { SetValue(0); }
  // The edit text from the value: "0" plus "." and DecimalPlaces "#".
  void FormatEditText();
  // What the unfocused field shows: DisplayFormat, leading spaces removed.
  String DisplayText();

  bool AcceptsChar(const String& key, size_t selStart, size_t selLength);
  bool AcceptsChar(char32_t key, size_t selStart, size_t selLength);
  // A typed character (WM_CHAR code); Esc resets EditText.
  TacNumKeyResult KeyPress(char32_t key, size_t selStart, size_t selLength, bool popupVisible);
  // EditText holds the result of a paste; previousText what it held before.
  TacPasteResult AfterPaste(const String& previousText);
  // Focus gained: the edit text from the value.
  void FocusGained() { FormatEditText(); }
  // Focus lost: false when CheckOnExit finds the value out of its limits
  // (select all and keep the focus; nothing is raised).
  bool FocusLost();

private:
  double FValue = 0;
  bool ReadText(const String& text, double& value) const;
};
