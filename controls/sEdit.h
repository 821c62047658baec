// Window-free logic of the skinned edit and its bound label: frame widths,
// the text rectangle, the text the skin draws, and where the label goes.
#pragma once
#include "controls/sBitBtn.h"
#include "framework/core/SysUtils.h"
#include "framework/core/Types.h"

#include <optional>

// The frame an edit reports (border style, 3-D look, bevels).
struct TacEditFrame {
  bool SingleBorder = true;
  bool Ctl3D = true;
  bool BevelKindSet = false;  // a bevel kind other than none
  bool BevelInner = false;    // inner bevel not none
  bool BevelOuter = false;    // outer bevel not none
};

// Width of the border band the cache holds around the client area.
int EditBorderWidth(const TacEditFrame& f);
// Where the skin draws an unfocused edit's text.
TRect EditTextRect(const TacEditFrame& f, int width, int height);

// The text as drawn: with a password character every character becomes it,
// "*" shown as the black circle U+25CF. UTF-8 in and out.
String PasswordDisplayText(const String& text, char32_t passwordChar, bool circleForAsterisk = true);
String Utf8Of(char32_t c);
size_t Utf8Length(const String& s);  // in code points

// A text hint is drawn in the font colour mixed with the background at this weight.
constexpr double EditHintMix = 0.65;

enum TsCaptionLayout {
  sclLeft, sclTopLeft, sclTopCenter, sclTopRight, sclLeftTop, sclBottomLeft, sclBottomCenter, sclBottomRight
};

// Top-left of a bound label of size labelSize beside an edit with bounds edit.
TPoint BoundLabelPos(TsCaptionLayout layout, const TRect& edit, TSize labelSize, int indent);
// The label's text alignment for a layout.
TacAlignment BoundLabelAlignment(TsCaptionLayout layout);
// With a maximum width the label wraps once it reaches it (less 4); none
// without one (the label keeps its setting).
std::optional<bool> BoundLabelWordWrap(int maxWidth, int labelWidth);
