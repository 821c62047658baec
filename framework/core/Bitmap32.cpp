#include "framework/core/Bitmap32.h"
#include "framework/core/SysUtils.h"

#include <algorithm>
#include <cstring>

void TBitmap32::SetSize(int width, int height) {
  if (width < 0 || height < 0 || width > MaxDimension || height > MaxDimension)
    throw EInvalidArgument(Format("Invalid bitmap size %d x %d", width, height));
  if (width == 0 || height == 0) width = height = 0;
  FWidth = width;
  FHeight = height;
  FPixels.assign(size_t(width) * size_t(height), 0);
}

void TBitmap32::Fill(uint32_t value) { std::fill(FPixels.begin(), FPixels.end(), value); }

void TBitmap32::CopyRect(int x, int y, const TBitmap32& src, const TRect& srcRect) {
  TRect s = IntersectRect(srcRect, Rect(0, 0, src.Width(), src.Height()));
  if (s.IsEmpty()) return;
  // Shift the destination by what clipping removed from the source.
  x += s.Left - srcRect.Left;
  y += s.Top - srcRect.Top;
  TRect d = IntersectRect(Rect(x, y, x + s.Width(), y + s.Height()), Rect(0, 0, FWidth, FHeight));
  if (d.IsEmpty()) return;
  const int sx = s.Left + (d.Left - x), sy = s.Top + (d.Top - y);
  for (int row = 0; row < d.Height(); ++row)
    std::memcpy(ScanLine(d.Top + row) + d.Left, src.ScanLine(sy + row) + sx, size_t(d.Width()) * 4);
}
