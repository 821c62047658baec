// Window-free geometry of the masked, combo and numeric edits: border band,
// text rectangles and the button's glyph.
#pragma once
#include "framework/core/Types.h"

#include <cstdint>

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
// The button inside the border band at the right edge, the full inner
// height; empty without a glyph or when the edit is too small for it.
TRect ComboButtonRect(int borderWidth, int width, int height, int glyphWidth);

// Shortcut codes: the key in the low byte, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt.
constexpr uint16_t scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
constexpr uint16_t DefaultClickKey = scAlt | 0x28;  // Alt+Down
// Whether a key with these modifiers is the shortcut (modifiers exactly).
bool IsShortCut(uint16_t shortCut, uint16_t key, bool shift, bool ctrl, bool alt);
