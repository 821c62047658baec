// Drawing skin images: plain, keyed and masked copies, nine-piece borders,
// stretched masked pieces, state cells of glyphs and corner images, the
// border bands and the corner pass. Every copy is clipped to both views.
//
// Where a routine composes against a background (TCacheInfo ci), the
// destination pixel (x, y) lies over ci.Bmp at (x + ci.X, y + ci.Y).
#pragma once
#include "paint/acPixelView.h"
#include "skin/sMaskData.h"

#include <cstdint>
#include <vector>

// The mask rule per colour byte: d = ((d - s) x m + s x 256) >> 8, that is
// m = 0 draws the image and m = 255 keeps 255/256 of the destination.
constexpr uint32_t MaskRule(uint32_t d, uint32_t s, uint32_t m) { return (d * m + s * (256 - m)) >> 8; }

// Plain copy of srcRect to (x, y).
void CopyRect32(const TPixelView& dst, int x, int y, const TPixelView& src, const TRect& srcRect);

// Keyed copy: source pixels equal to KeyPixel are skipped, the others
// replace the destination. With compose, key pixels take the background
// instead: ci.Bmp's pixel with alpha 255 when ci is ready, else
// ci.FillColor with its top byte as alpha (skipped when that is clFuchsia).
void CopyKeyed(const TPixelView& dst, int x, int y, const TPixelView& src, const TRect& srcRect, bool compose,
               const TCacheInfo& ci);

// Masked copy: the mask of each source pixel lies maskOffset rows lower.
// compose and ci.Ready: every pixel gets alpha 255, key pixels the
//   background, the others the mask rule;
// compose without ready ci: key pixels take ci.FillColor (as CopyKeyed),
//   the others the mask rule, alpha kept;
// no compose with ci.Ready: every pixel the mask rule (no key test), alpha 255;
// no compose otherwise: key pixels skipped, the others the mask rule, alpha kept.
void CopyMasked(const TPixelView& dst, int x, int y, const TPixelView& src, const TRect& srcRect, int maskOffset,
                bool compose, const TCacheInfo& ci);

// Fills the four bands of r: top (full width, wt), left (below it, wl),
// bottom (right of the left band, wb), right (between them, wr); alpha 255.
// Negative widths count as 0.
void FillBorder32(const TPixelView& bmp, const TRect& r, int wl, TColor color, int wb, int wr, int wt);

// Copies the left, top, right and bottom bands of width `width` of a w x h
// area from src at (srcX, srcY) to dst at (x, y).
void CopyBorderBands(const TPixelView& dst, int x, int y, int width, int srcY, int srcX, const TPixelView& src, int h,
                     int w);

// Smooth separable stretch of src to newWidth x newHeight into dst (both
// passes precompute their taps; weights are fixed point x 65536 summing to
// exactly 65536, so a flat area stays flat; results rounded and clamped).
// Filters: 0 box, 1 triangle, 2 Hermite, 3 bell, 4 B-spline, 5 Lanczos 3,
// 6 Mitchell (B = C = 1/3). A source under 2 x 2 raises EInvalidArgument
// "Source bitmap is too small"; a non-positive new size leaves dst as it is.
void ResampleBitmap(const TPixelView& src, TBitmap32& dst, int newWidth, int filter, int newHeight);

// One piece of an image with its mask (maskOffset rows below; 0 = no mask,
// plain stretch) stretched to the destination rectangle and composed with the
// mask rule, alpha 255. A 1 x 1 centre piece fills by its mask value.
void StretchMasked(int dstX, int dstY, int dstW, int dstH, bool isCentre, int maskOffset, const TPixelView& src,
                   int srcX, int srcY, int srcW, int srcH, const TPixelView& dst);

// Draw-mode flags of a border mask.
constexpr int dmStretchSides = 1;
constexpr int dmHotOnly = 2;
constexpr int dmDrawCentre = 4;

// The nine-piece border of mask around r for state. updateCorners composes
// the corners against ci (masks with CornerType > 0). Nothing for state 0
// with dmHotOnly, r under 2 x 2, no manager, or a negative middle cell.
void DrawBorder(const TPixelView& bmp, const TRect& r, bool updateCorners, int state, const TsMaskData& mask,
                const TCacheInfo& ci);

// A run of a window shape's row to take out: combined by exclusive-or, or
// subtracted (Xor false) for the run that reaches its corner row's end.
struct TRegionCut {
  TRect R;
  bool Xor = false;
};

// A border with a mask part over the whole bitmap, for controls shaped like
// their border: the pieces as DrawBorder (ImageCount under 1 counts as 1),
// always with the mask rule; corner key pixels are not drawn but their
// horizontal runs are added to cuts. The centre only with filling and
// dmDrawCentre.
void DrawBorderCutRegion(const TPixelView& bmp, std::vector<TRegionCut>& cuts, bool filling, int state,
                         const TsMaskData& mask);

// The state cell of a glyph or corner image with its top-left at pos
// (parts left of or above the view are cut). mode 1 draws normally; other
// modes draw fainter (masked cells) or half blended (keyed cells).
void DrawMaskImage(const TPixelView& bmp, TPoint pos, int state, const TCacheInfo& ci, const TsMaskData& mask,
                   int mode);

// Corner sets of the corner pass.
constexpr int crTopLeft = 1, crBottomLeft = 2, crTopRight = 4, crBottomRight = 8, crAll = 15;

// Re-composes the requested corners of a finished cache against the present
// background: each key pixel of the state cell's corner area sets the cache
// pixel to the background (alpha 0) when ci is ready, else to ci.FillColor
// (unless that is clFuchsia).
void UpdateCornerPixels(const TPixelView& cache, const TsMaskData& mask, int state, int corners, const TCacheInfo& ci);
