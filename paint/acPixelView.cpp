#include "paint/acPixelView.h"

#include <algorithm>
#include <cwchar>

void TCoverage8::SetSize(int width, int height, uint8_t value) {
  if (width <= 0 || height <= 0 || width > TBitmap32::MaxDimension || height > TBitmap32::MaxDimension)
    width = height = 0;
  FWidth = width;
  FHeight = height;
  FData.assign(size_t(width) * size_t(height), value);
}

void FillPixels(uint32_t* p, size_t n, uint32_t value) {
  if constexpr (sizeof(wchar_t) == sizeof(uint32_t)) {
    // The C library's wide fill uses the widest stores the processor has.
    std::wmemset(reinterpret_cast<wchar_t*>(p), wchar_t(value), n);
  } else {
#if defined(__x86_64__) && defined(__GNUC__)
    // 16-bit wchar_t (Windows): the string store is the fastest fill there
    // (about twice a vectorised loop on wide rows).
    asm volatile("rep stosl" : "+D"(p), "+c"(n) : "a"(value) : "memory");
#else
    std::fill_n(p, n, value);
#endif
  }
}

void TCoverage8::Fill(uint8_t value) { std::fill(FData.begin(), FData.end(), value); }

TCopyClip ClipCopy(int dstW, int dstH, int dstX, int dstY, int srcW, int srcH, const TRect& srcRect) {
  TCopyClip c;
  TRect s = IntersectRect(srcRect, Rect(0, 0, srcW, srcH));
  if (s.IsEmpty()) return c;
  // What clipping removed from the source moves the destination too.
  int64_t x = int64_t(dstX) + (s.Left - srcRect.Left), y = int64_t(dstY) + (s.Top - srcRect.Top);
  int64_t l = std::max<int64_t>(x, 0), t = std::max<int64_t>(y, 0);
  int64_t r = std::min<int64_t>(x + s.Width(), dstW), b = std::min<int64_t>(y + s.Height(), dstH);
  if (r <= l || b <= t) return c;
  c.DstX = int(l);
  c.DstY = int(t);
  c.SrcX = int(s.Left + (l - x));
  c.SrcY = int(s.Top + (t - y));
  c.W = int(r - l);
  c.H = int(b - t);
  return c;
}

TCopyClip ClipCopy(const TPixelView& dst, int dstX, int dstY, const TPixelView& src, const TRect& srcRect) {
  if (dst.Empty() || src.Empty()) return TCopyClip();
  return ClipCopy(dst.Width, dst.Height, dstX, dstY, src.Width, src.Height, srcRect);
}
