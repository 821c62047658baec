// What every pixel routine of the painting layer works on: a non-owning view
// of 32-bit rows, an 8-bit coverage buffer, the background record under an
// item, and the small rules that many routines share.
#pragma once
#include "framework/core/Bitmap32.h"
#include "framework/core/Types.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Rows of 32-bit pixels (bytes blue, green, red, alpha), top-down. Stride is
// counted in pixels, not bytes, and may exceed Width (a view into part of a
// larger bitmap). The view never owns or frees its pixels; a view made from
// a const bitmap must only be read.
struct TPixelView {
  uint32_t* Bits = nullptr;
  int Width = 0;
  int Height = 0;
  int Stride = 0;  // pixels from one row to the next

  TPixelView() = default;
  TPixelView(uint32_t* bits, int width, int height, int stride)
      : Bits(bits), Width(width), Height(height), Stride(stride) {
    if (!bits || width <= 0 || height <= 0 || stride < width) *this = TPixelView();
  }
  TPixelView(TBitmap32& bmp) : TPixelView(bmp.Bits(), bmp.Width(), bmp.Height(), bmp.Width()) {}
  static TPixelView ReadOnly(const TBitmap32& bmp) { return TPixelView(const_cast<TBitmap32&>(bmp)); }

  bool Empty() const { return Bits == nullptr; }
  TRect Bounds() const { return Rect(0, 0, Width, Height); }
  uint32_t* Row(int y) const { return Bits + ptrdiff_t(y) * Stride; }
  uint32_t& At(int x, int y) const { return Row(y)[x]; }
  friend bool operator==(const TPixelView& a, const TPixelView& b) { return a.Bits == b.Bits; }
};

// An 8-bit grey buffer (glow masks, text coverage), rows of Width bytes.
class TCoverage8 {
public:
  TCoverage8() = default;
  TCoverage8(int width, int height, uint8_t value = 0) { SetSize(width, height, value); }
  // Non-positive or oversized dimensions give an empty buffer.
  void SetSize(int width, int height, uint8_t value = 0);
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Empty() const { return FWidth == 0; }
  uint8_t* Row(int y) { return FData.data() + size_t(y) * size_t(FWidth); }
  const uint8_t* Row(int y) const { return FData.data() + size_t(y) * size_t(FWidth); }
  uint8_t& At(int x, int y) { return Row(y)[x]; }
  uint8_t At(int x, int y) const { return Row(y)[x]; }
  void Fill(uint8_t value);

private:
  int FWidth = 0;
  int FHeight = 0;
  std::vector<uint8_t> FData;
};

// The background under an item: either Ready with Bmp holding it and the
// item's origin at (X, Y) in Bmp, or a FillColor (clFuchsia = none) with an
// optional Bmp whose border band of widths FillRect must still be used.
struct TCacheInfo {
  TPixelView Bmp;
  int X = 0;
  int Y = 0;
  TColor FillColor = clFuchsia;
  TRect FillRect;  // left, top, right, bottom band widths
  bool Ready = false;
};

// The colour key of skin pictures as a pixel (magenta, alpha 0).
constexpr uint32_t KeyPixel = 0x00FF00FF;
// "No key" for the routines that take one.
constexpr uint32_t NoKey = 0x1FFFFFFF;

// n copies of one pixel value from p on: the fastest row fill the platform has.
void FillPixels(uint32_t* p, size_t n, uint32_t value);
// Rows 0..rows-1 of width pixels from p on (stride pixels apart), row r
// filled with colours[r].
void FillRowsOfColours(uint32_t* p, size_t width, ptrdiff_t stride, int rows, const uint32_t* colours);

// ---- shared rules

// A TColor as a pixel with its top byte kept as the alpha byte.
constexpr uint32_t ColorToPixelKeepTop(TColor c) { return ColorToPixel(c, uint8_t(c >> 24)); }

// n / d rounded to nearest, ties to even (n >= 0, d > 0).
constexpr uint32_t DivRoundHalfEven(uint32_t n, uint32_t d) {
  uint32_t q = n / d, r = n - q * d;
  if (2 * r > d || (2 * r == d && (q & 1))) ++q;
  return q;
}

// A state index limited to the cells (or states) there are: 0..count - 1,
// 0 when there are none.
constexpr int ClampState(int state, int count) {
  if (state >= count) state = count - 1;
  return state < 0 ? 0 : state;
}
// The Props index of a section state: ClampState, then at most 1.
constexpr int PropsIndex(int state, int states) {
  int s = ClampState(state, states);
  return s > 1 ? 1 : s;
}

// Percentages from skins are limited to 0..100.
constexpr int ClampPercent(int percent) { return percent < 0 ? 0 : percent > 100 ? 100 : percent; }
// Percent to an 8-bit weight: round(percent x 2.55), ties to even (50 -> 128, 90 -> 230).
constexpr int PercentToWeight(int percent) { return int(DivRoundHalfEven(uint32_t(ClampPercent(percent)) * 51, 20)); }
// Percent to an 8-bit weight by integer division: percent x 255 div 100.
constexpr int PercentToWeightDiv(int percent) { return ClampPercent(percent) * 255 / 100; }

// The part of r that lies inside the view (empty when none).
inline TRect ClipRectToView(const TRect& r, const TPixelView& v) { return IntersectRect(r, v.Bounds()); }

// A copy of the srcRect part of a source to (dstX, dstY), clipped to both
// views. Empty (W or H 0) when nothing is left.
struct TCopyClip {
  int DstX = 0, DstY = 0, SrcX = 0, SrcY = 0, W = 0, H = 0;
  bool Empty() const { return W <= 0 || H <= 0; }
};
TCopyClip ClipCopy(const TPixelView& dst, int dstX, int dstY, const TPixelView& src, const TRect& srcRect);
// The same against plain sizes (for sources that are not 32-bit views).
TCopyClip ClipCopy(int dstW, int dstH, int dstX, int dstY, int srcW, int srcH, const TRect& srcRect);
