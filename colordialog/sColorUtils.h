#pragma once
// Conversions between colours, colour codes and the hue/saturation/brightness
// model. Portable: no window is touched, everything is a plain value.
#include <cstdint>

#include "framework/core/SysUtils.h"
#include "framework/core/Types.h"

struct THsv {
  int H = 0;       // degrees 0..360; 360 can come out of rounding and equals 0
  double S = 0.0;  // 0..1
  double V = 0.0;  // 0..1
};

// Text without its leading character ("3C3D3D" of "#3C3D3D") to a colour.
// Each of the three pairs must be one or two hexadecimal digits; anything
// after the sixth character is ignored. Throws EConvertError otherwise.
TColor HtmlCodeToColor(const String& text);

// Six upper-case hexadecimal digits, red first; bits 24-31 are ignored.
String ColorToHtmlCode(TColor color);

// Lenient hexadecimal reader of the dialog: an optional trailing "H" is
// dropped, any non-digit makes the whole result 0. Wraps at 64 bits.
int64_t HexTextToInt(const String& text);

// Exchanges bytes 0 and 2: RRGGBB as a number <-> TColor.
uint32_t SwapRedBlue(uint32_t value);

THsv ColorToHsv(TColor color);

// Out-of-range input is clamped per channel, never wrapped; NaN reads as 0.
TColor HsvToColor(double h, double s, double v);

// The dialog's hexadecimal field: RRGGBB (at least six upper-case digits).
String ColorToHexText(TColor color);
// First space-separated word of the field, read right-aligned: "FF" is blue.
// Digits beyond the sixth from the right are dropped, so the result is
// always a plain RGB colour.
TColor HexTextToColor(const String& text);

// A palette colour word ("8080FF", red first): first word of the item, words
// separated by space, CR or LF; an unreadable word gives black.
TColor PaletteWordToColor(const String& text);

// The dialog's decimal field: the TColor value in plain decimal.
String ColorToDecText(TColor color);
