// Section painters that need no window: a section's background (colour,
// gradient, texture and their percentages, over whatever lies behind the
// item) and a whole section by index (background, corner images, border).
//
// The background record ci maps the item's origin (r's top-left, normally
// (0, 0) of a cache) to (ci.X + pos.X, ci.Y + pos.Y) of ci.Bmp. A nil model,
// an invalid index or an empty rectangle paints nothing; nothing here raises.
#pragma once
#include "paint/acPixelView.h"
#include "skin/acSkinModel.h"

// Background only. state is limited to the section's states, then to the
// two paint states; customColor clFuchsia means none (a custom colour is
// painted opaque, without gradient or texture). texture and hotTexture are
// mask indexes chosen by the caller, -1 for the section's own.
void PaintSectionBG(int skinIndex, const String& skinSection, const TCacheInfo& ci, int state, const TRect& r,
                    TPoint pos, const TPixelView& bmp, const TacSkinModel* sm, int texture, int hotTexture,
                    TColor customColor = clFuchsia);

// A background from the section record's own fields (the Hot* ones in any
// state but 0) with the caller's texture (texture in state 0, hotTexture
// otherwise; masks only), blended over a ready background by
// transparency x 255 div 100, then the border mask borderIndex (corners
// composed against ci). Used for the parts of scroll bars.
void PaintSectionWithBorder(int skinIndex, int borderIndex, int texture, const TacSkinModel* sm, const TPixelView& bmp,
                            TPoint pos, const TRect& r, int state, const TCacheInfo& ci, const String& skinSection,
                            int hotTexture);

// A whole section without a control link: the background, the corner
// images and the border (corners composed against ci). Nothing when r does
// not lie inside the bitmap.
void PaintSectionByIndex(int skinIndex, const String& skinSection, const TCacheInfo& ci, int state, const TRect& r,
                         TPoint pos, const TPixelView& bmp, const TacSkinModel* sm, int texture = -1,
                         int hotTexture = -1);
