// Section painting through a control's link and onto device contexts, the
// four-triangle gradient, and the text passes rendered by the platform.
#pragma once
#include "paint/sCommonData.h"
#include "skin/sSkinData.h"

// Installs the platform pieces the portable painters ask for (the triangle
// gradient). Idempotent; the link's constructor calls it.
void InstallWin32PaintPlatform();

// A whole cache through its link: background, corner images, border, hue
// and saturation. Nothing when r does not fit bmp.
void PaintSection(TsCommonData* link, TCacheInfo ci, bool filling, int state, const TRect& r, TPoint pos,
                  TBitmap* bmp, bool updateCorners);
// The same with the background asked from parent; false (and FUpdating
// cleared) when the parent is not ready.
bool PaintSectionFromParent(TsCommonData* link, TWinControl* parent, int state, const TRect& r, TPoint pos,
                            TBitmap* bmp, bool updateCorners);
// Background only, with the link's textures and custom colour.
void PaintLinkBG(TsCommonData* link, const TCacheInfo& ci, int state, const TRect& r, TPoint pos,
                 const TPixelView& bmp);
// A section by index painted off-screen and copied to dc at r.
void PaintSectionToDC(int skinIndex, const String& skinSection, const TCacheInfo& ci, TsSkinManager* sm, HDC dc,
                      TPoint pos, const TRect& r, int state, bool filling);

void FillDC(HDC dc, const TRect& r, TColor color);
// Top (full width, wt), left (below it, wl), bottom (right of the left band,
// wb) and right (between them, wr) bands of r.
void FillDCBorder(HDC dc, const TRect& r, int wl, TColor color, int wb, int wr, int wt);

// Mode 2: four triangles meeting in r's centre through the platform's
// triangle fill (looked up at run time); false when it is missing.
bool PaintGradientTriangles(const TPixelView& bmp, const TRect& r, const TsGradArray& pieces);

// DrawTextW of text with font (nil: the system font) black on white into a
// view at rect; flags as DrawTextW takes them.
void RenderTextBlack(const TPixelView& bmp, const TRect& rect, const String& text, TFont* font, UINT flags);

// A caption into a 32-bit picture in the section's colours (outlines, then
// the main colour), every covered pixel made opaque.
void WriteText32(TBitmap* bmp, const String& text, bool enabled, TsSkinManager* sm, bool state, int skinIndex,
                 UINT flags, const TRect& r, TFont* font);
// The blurred glow behind a text; glowMask is kept by the caller.
void TextGlow(TBitmap* bmp, const String& text, const TRect& r, TCoverage8& glowMask, TColor color, int size,
              int sides, UINT flags, TFont* font);

// The section whose font colours a transparent control uses.
int FindFontSection(TControl* control, int defaultIndex, TsSkinManager* sm, int state);
