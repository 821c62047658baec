// Window-free geometry of the masked, combo and numeric edits: border band,
// text rectangles and the button's glyph.
#pragma once
#include "framework/core/Types.h"

// Border band of a masked edit: (border present) x (Ctl3D + 2).
int MaskEditBorderWidth(bool borderPresent, bool ctl3D);
// Where a masked edit draws its text.
TRect MaskEditTextRect(int borderWidth, int width, int textHeight);
// Where a numeric edit draws its text: left of the button when it shows.
TRect NumEditTextRect(int borderWidth, int width, int height, bool showButton, int buttonWidth);

// Glyphs in an image strip: width div height when the width is a multiple
// of the height, else 1 (also for empty images).
int GlyphImageCount(int imageWidth, int imageHeight);
// Width of one button glyph; none for a currency edit's button.
int ComboGlyphWidth(bool currencyOwner, int imageWidth, int imageHeight);
// The button is the glyph and a pixel on each side.
constexpr int ComboButtonWidth(int glyphWidth) { return glyphWidth + 2; }
