// Pixel routines shared by all painting: fills, colour and bitmap blends,
// grey, tint and colorize, the draw-mode table, image cell sizes and texture
// tiling. Every routine takes views, clips once at entry and then walks rows;
// empty or outside rectangles paint nothing and nothing here raises.
//
// Blend weights are integers: a Percent is 0..100 (values outside are
// clamped), an Alpha 0..255. "round" is to nearest with ties to even.
#pragma once
#include "paint/acPixelView.h"
#include "skin/sMaskData.h"

#include <cstdint>

// A new bitmap with every pixel white (0x00FFFFFF); text rendering relies on
// that white. Non-positive or oversized sizes give an empty bitmap.
TBitmap32 CreateBmp32(int width, int height);

// Every pixel of r (clipped) becomes (alpha << 24) | the colour's RGB.
void FillRect32(const TPixelView& bmp, const TRect& r, TColor color, uint8_t alpha);

// The alpha byte of every pixel of r becomes alpha; with key not NoKey, pixels
// equal to key keep theirs. r is clipped to the view.
void SetAlpha32(const TPixelView& bmp, const TRect& r, uint8_t alpha, uint32_t key = NoKey);

// c = round(pixel x p + colour x (1 - p)), p = percent / 100, the colour
// as plain RGB (system colours resolved); alpha kept.
void BlendColorRect(const TPixelView& bmp, const TRect& r, int percent, TColor color);

// d = (alpha x (d - s) + s x 256) >> 8 per colour byte: alpha/256 of the
// destination stays; alpha bytes kept. Negative dstPoint coordinates shift
// the source start instead; clipped to both views.
void BlendBitmapRect(const TPixelView& dst, const TPixelView& src, int alpha, TPoint dstPoint, const TRect& srcRect);

// For source pixels of srcRect other than key:
// d = round(s - (s - d) x factorPercent / 100) per colour byte; alpha kept.
void BlendBitmapKeyed(const TPixelView& dst, int dstX, int dstY, uint32_t key, int factorPercent, const TRect& srcRect,
                      const TPixelView& src);

// c = round((x1 x c1 + (100 - x1) x c2) / 100) per channel, top byte of c1.
TColor MixColors(TColor c1, TColor c2, int x1Percent);

// r, g, b = (r + g + b) div 3.
void GrayBitmap(const TPixelView& bmp);
// Same, except pixels equal to key.
void GrayBitmapKeyed(const TPixelView& bmp, uint32_t key);

// Pixels other than 0x00FF00FF: c = round(f x (c - k) + k), f = factorPercent / 100, k the colour.
void TintBitmap(const TPixelView& bmp, TColor color, int factorPercent);

// c = round(k + m x (d - k) / 256), m the mask's channel, k the colour: the
// colour shows where the mask is dark. Works on the common part of both.
void ColorizeByMask(const TPixelView& dst, const TPixelView& mask, TColor color);

// proc(uint32_t& pixel) for every pixel, skipping pixels equal to key.
template <typename Proc>
void ForEachPixel(const TPixelView& bmp, Proc&& proc, uint32_t key = NoKey) {
  for (int y = 0; y < bmp.Height; ++y) {
    uint32_t* p = bmp.Row(y);
    for (int x = 0; x < bmp.Width; ++x)
      if (key == NoKey || p[x] != key) proc(p[x]);
  }
}

// A texture DrawMode (0..19) as a tiling type: 15 -> 0, 16 -> 1, 17 -> 2,
// 18 and 19 -> 3; values outside 0..19 tile like 0.
int DrawModeTable(int drawMode);

// Cell size of an image record; 0 for counts or types that give no cell.
int ImageWidth(const TsMaskData& md);
int ImageHeight(const TsMaskData& md);

// Nearest-pixel stretch of srcRect onto dstRect (each destination pixel takes
// the source pixel under its centre), clipped to the destination. Where
// srcRect reaches past src, the pixels mapped there are left as they are.
void StretchCopy(const TPixelView& dst, const TRect& dstRect, const TPixelView& src, const TRect& srcRect);
// The same, painting only the part of dstRect inside clip.
void StretchCopy(const TPixelView& dst, const TRect& dstRect, const TPixelView& src, const TRect& srcRect,
                 const TRect& clip);

// The destination span [lo, hi) of a nearest-pixel stretch of srcLen pixels
// from srcStart onto dstLen pixels whose source lies in [availLo, availHi).
void StretchSpan(int dstLen, int srcStart, int srcLen, int availLo, int availHi, int& lo, int& hi);

// A nothing-left remainder of the tiling routines.
constexpr TRect NoRemainder = {-1, -1, -1, -1};

// Tiles src (whole) from r's top-left, last row and column cropped.
void TileGraphic(const TPixelView& dst, const TRect& r, const TPixelView& src);

// Paints part of w with the tile srcRect of src by the tiling type (after
// DrawModeTable) and returns in w the part still to be filled with the
// section colour, or NoRemainder. An empty tile paints nothing and leaves w.
void TileTexture(const TPixelView& dst, TRect& w, const TPixelView& src, const TRect& srcRect, int tileType);
// The same for an image record: its own picture, when it has one, is tiled
// whole; else its R in the master bitmap of its manager (none: nothing).
void TileTexture(const TPixelView& dst, TRect& w, const TsMaskData& mask, int tileType);

// Image records whose lower half is the mask: cells composed with their mask
// over the existing pixels. Type 0 tiles w (last column cropped, the strip
// below the last full row kept); type 10 tiles full cells only and fills the
// strips right and below from ci (ci.X, ci.Y address w's origin space, i.e.
// the destination pixel (x, y) takes ci.Bmp at (x + ci.X, y + ci.Y); without
// a ready ci they take ci.FillColor, unless that is clFuchsia).
// Other types paint nothing. Returns NoRemainder in w when it painted.
void TileMaskedTexture(const TPixelView& dst, TRect& w, const TCacheInfo& ci, int tileType, const TsMaskData& mask);

// The picture an image record's R refers to (empty view when none).
TPixelView MaskSource(const TsMaskData& md);

// The disabled look of a finished picture.
enum TDisabledKindItem : unsigned { dkBlended = 1, dkGrayed = 2 };
// dkGrayed greys the picture; dkBlended blends 60 % of the background in:
// from ci.Bmp at (ci.X + pos.X, ci.Y + pos.Y) when ready, else with
// BlendColorRect 50 % of ci.FillColor (or parentColor when that is none).
void PaintDisabledLook(const TPixelView& bmp, unsigned disabledKind, TColor parentColor, TPoint pos,
                       const TCacheInfo& ci);
