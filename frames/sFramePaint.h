// The whole-window frame cache of a skinned form: background, grip, title,
// caption text, caption buttons; the saved strip under the buttons; and the
// corner cuts of the window region. Text and icons come from the Win32 side
// through hooks; everything else is painted here from the skin model.
//
// Order of use by the provider (after filling TacFrameLayout::Wnd from the
// window: sizes, client rectangle, frame metric, styles, system menu state,
// active, caption text measured with the caption font):
//   new skin / PrepareForm:  layout.UpdateIndexes(); layout.InitButtonImages();
//   activation, size, caption, icon or style change:  painter.BGChanged = true;
//     (caption text or size change: painter.DropGlows())
//   WM_NCPAINT:  when painter.BGChanged or the cache is not layout.CacheSize():
//                  size the cache, painter.PaintFrameCache(layout, cacheView, hooks);
//                when painter.RgnChanged: MakeFrameRegion(layout) -> HRGN (bounds
//                  minus the one-pixel cuts), painter.RgnChanged = false;
//                copy CopyFrameStrips(layout) from the cache to the window DC.
//   WM_NCHITTEST:  layout.CaptionHitTest(screen point - window origin).
//   one button changed state:  painter.RepaintCaptionButton(layout, button,
//     cacheView, hooks), then copy button.Rect from the cache to the window.
//   client controls' background:  TacFramePainter::ClientBackground(layout, cacheView).
#pragma once
#include "frames/sFrameLayout.h"
#include "paint/acPixelView.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

// Text flags of the caption (same values as the system's DrawText flags).
constexpr uint32_t acDT_SINGLELINE = 0x00000020;
constexpr uint32_t acDT_VCENTER = 0x00000004;
constexpr uint32_t acDT_NOPREFIX = 0x00000800;
constexpr uint32_t acDT_END_ELLIPSIS = 0x00008000;
constexpr uint32_t acDT_CAPTION_RTL = 0x00020000;  // DT_RTLREADING

struct TacFrameHooks {
  // Draws the caption (added false) or the added title (added true) black on
  // the white picture at rect with the given DrawText flags.
  std::function<void(const TPixelView& picture, const TRect& rect, uint32_t flags, bool added)> DrawCaptionText;
  // Draws the title icon into the cache at r (FIconRect). Pixels the drawing
  // changes get alpha 255 afterwards.
  std::function<void(const TPixelView& cache, const TRect& r)> DrawTitleIcon;
  // Draws user button index's glyph centred on r (moved by one pixel right
  // and down while pressed).
  std::function<void(const TPixelView& cache, const TRect& r, int index, bool pressed)> DrawUserGlyph;
  // The form's OnPaint into the cache, origin at (OffsetX, OffsetY).
  std::function<void(const TPixelView& cache, TPoint origin)> PaintClient;
};

// Where the caption text goes (window coordinates).
struct TacCaptionTextLayout {
  bool Draw = false;    // false: empty rectangle, nothing is drawn
  TRect Text;           // the main caption's rectangle
  TRect Added;          // the added title's rectangle (empty without one or when no room is left)
  uint32_t Flags = 0;
  int GlowSize = 0;     // 0: no glow
  TColor GlowColor = 0;
  TColor FontColor = 0;
  TColor AddedFontColor = 0;  // the added title's colour for the paint state
};

// The text rectangle, alignment and glow decision for the paint state.
TacCaptionTextLayout CalcCaptionText(const TacFrameLayout& layout);

// The window region of the form: Remove (no region), or Bounds minus Cuts.
struct TacFrameRegion {
  bool Keep = false;   // leave the present region as it is (inside a menu)
  bool Remove = true;
  TRect Bounds;
  std::vector<TRect> Cuts;  // one pixel high each
};

// The rectangles cut out of the window region (ArOR): runs of exact
// 0xFF00FF in the corner areas of the frame's border mask (all four corners,
// bottom ones at the window bottom) and of the title section's border mask
// (top corners), right corners aligned to the right edge.
std::vector<TRect> CalcCornerRects(const TacFrameLayout& layout);
// The four non-client strips a WM_NCPAINT copies from the cache (window
// coordinates): top, left, bottom, right. The client area is in none of them.
std::array<TRect, 4> CopyFrameStrips(const TacFrameLayout& layout);

// The region to apply: removed while the non-client area is not drawn or
// the window has neither frame nor WS_THICKFRAME and is not minimised; a
// maximised form without constraints gets its window rectangle less the
// frame width on every side; otherwise the whole window less the corner runs.
TacFrameRegion MakeFrameRegion(const TacFrameLayout& layout, bool inMenu = false);

class TacFramePainter {
public:
  bool BGChanged = true;    // the cache is stale
  bool RgnChanged = true;   // the region is stale
  bool MenuChanged = false;
  bool FirstInitialized = false;
  TBitmap32 TempBmp;        // title strip under the buttons
  TPoint TempBmpOrigin;     // its place in the cache
  TCoverage8 FGlow1, FGlow2;  // caption glow masks, active and inactive

  // Paints the whole window into cache, which must be layout.CacheSize().
  // Returns false and paints nothing when the size does not match, the
  // size is empty, or the form section is invalid. Runs CalcItems when
  // BGChanged; clears BGChanged and MenuChanged.
  bool PaintFrameCache(TacFrameLayout& layout, const TPixelView& cache, const TacFrameHooks& hooks);

  // The steps, usable alone on a painted cache.
  void PaintTitleBackground(const TacFrameLayout& layout, const TPixelView& cache, const TacFrameHooks& hooks);
  void PaintTitleIcon(const TacFrameLayout& layout, const TPixelView& cache, const TacFrameHooks& hooks);
  void PaintCaptionText(const TacFrameLayout& layout, const TPixelView& cache, const TacFrameHooks& hooks);
  void PaintGrip(const TacFrameLayout& layout, const TPixelView& cache);
  // Saves the strip under the buttons to TempBmp.
  void SaveButtonStrip(const TacFrameLayout& layout, const TPixelView& cache);
  // Every shown button (close, maximise, minimise, help, user buttons).
  void DrawCaptionButtons(const TacFrameLayout& layout, const TPixelView& cache, const TacFrameHooks& hooks);
  // One button's state picture (picture 0 while animating), dimmed when it
  // is normal or animating and the form is inactive or its action disabled.
  void DrawCaptionButton(const TacFrameLayout& layout, const TsCaptionButton& button, const TPixelView& cache,
                         const TacFrameHooks& hooks, int userIndex = -1);
  // Restores the button's rectangle from TempBmp and draws it in its state.
  void RepaintCaptionButton(const TacFrameLayout& layout, const TsCaptionButton& button, const TPixelView& cache,
                            const TacFrameHooks& hooks, int userIndex = -1);

  // The cache as background source for the client controls.
  static TCacheInfo ClientBackground(const TacFrameLayout& layout, const TPixelView& cache);

  // Drops the glow masks (caption text or size changed). A caption whose
  // rectangle or flags changed drops its own mask by itself.
  void DropGlows();

private:
  TRect FGlowText1, FGlowText2;
  uint32_t FGlowFlags1 = 0, FGlowFlags2 = 0;
};
