// Window-free logic of the skinned push buttons: which skin state a button
// shows and where its glyph and caption go.
#pragma once
#include "framework/core/Types.h"

#include <cstdint>

// Same order as the framework's alignment and glyph layouts, so the Win32
// side converts with a cast.
enum class TacAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TacButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// The text-drawing flag for right-to-left reading.
constexpr uint32_t acDT_RTLREADING = 0x00020000;

// Glyph and caption places inside Client. GlyphSize and TextSize are sizes
// (X width, Y height); TextBounds comes back as the caption's rectangle.
void ButtonLayout(const TRect& client, TPoint glyphSize, TPoint textSize, uint32_t biDiFlags, TRect& textBounds,
                  TPoint& glyphPos, int spacing, int margin, TacAlignment alignment, TacButtonLayout layout);

struct TacBitBtnStateInput {
  bool Pushed = false;         // the window reports the pushed state
  bool ForcedPressed = false;  // the short pressed look after a quick click
  bool MouseAbove = false;
  bool LeftButtonHeld = false;
  bool Down = false;
  bool Designing = false;
  bool IsHot = false;  // the link's hot mark (focused or under the mouse)
  bool IsDefault = false;
};
// 0 normal, 1 hot, 2 pressed, 3 default.
int BitBtnCurrentState(const TacBitBtnStateInput& s);

// The state painted for a section with stateCount states: the default look
// falls back to hot below four states, and any state to the last one.
int SectionPaintState(int currentState, int stateCount);

// Width of one glyph of a strip of numGlyphs; a count below 1 counts as 1.
TPoint GlyphSizeOf(int imageWidth, int imageHeight, int numGlyphs);

// The glyph rectangle: moved by (1, 1) when pressed and up by a sixth of
// its width when reflected.
TRect ButtonImgRect(TPoint glyphPos, TPoint glyphSize, bool pressed, bool reflected);

// Width the caption is measured in (never negative).
int CaptionMeasureWidth(int buttonWidth, int margin, int glyphWidth, int spacing, TacButtonLayout layout);

// Hints stay off while a button is held down. One holder at a time (the last
// press wins); only the holder gives them back.
void HoldHints(const void* holder);
void ReleaseHints(const void* holder);
bool HintsAllowed();

// The dotted focus frame around the caption.
TRect FocusFrameRect(const TRect& captionRect, int focusMargin);
