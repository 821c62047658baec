#include "paint/sGraphUtils.h"

#include "paint/sMaskDraw.h"
#include "skin/acSkinModel.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if defined(__SSE2__)
// Eight 16-bit lanes n <= 25500 divided by 100, rounded half to even:
// round half up first, q = (n + 50) div 100, exact as ((n + 50) x 41944) >> 22
// in that range; a tie (n + 50 = 100 q) with q odd goes down to the even q - 1.
inline __m128i Div100Lanes(__m128i n) {
  const __m128i t = _mm_add_epi16(n, _mm_set1_epi16(50));
  const __m128i q = _mm_srli_epi16(_mm_mulhi_epu16(t, _mm_set1_epi16(int16_t(41944))), 6);
  const __m128i tie = _mm_cmpeq_epi16(t, _mm_mullo_epi16(q, _mm_set1_epi16(100)));
  return _mm_sub_epi16(q, _mm_and_si128(tie, _mm_and_si128(q, _mm_set1_epi16(1))));
}
#endif

// n / 100 rounded, ties to even; n <= 25500 here.
inline uint32_t Div100(uint32_t n) { return DivRoundHalfEven(n, 100); }

inline uint32_t Channel(uint32_t p, int shift) { return (p >> shift) & 0xFF; }

// Tiles area (clipped to the view) with srcRect of src, the tile grid
// anchored at (originX, originY). srcRect must lie inside src.
void TileArea(const TPixelView& dst, const TRect& area, int originX, int originY, const TPixelView& src,
              const TRect& srcRect) {
  const int sw = srcRect.Width(), sh = srcRect.Height();
  if (sw <= 0 || sh <= 0) return;
  const TRect a = ClipRectToView(area, dst);
  if (a.IsEmpty()) return;
  auto mod = [](int v, int m) { v %= m; return v < 0 ? v + m : v; };
  const int phaseX = mod(a.Left - originX, sw);
  for (int y = a.Top; y < a.Bottom; ++y) {
    const uint32_t* s = src.Row(srcRect.Top + mod(y - originY, sh)) + srcRect.Left;
    uint32_t* d = dst.Row(y);
    int x = a.Left, sx = phaseX;
    while (x < a.Right) {
      int n = std::min(sw - sx, a.Right - x);
      std::memcpy(d + x, s + sx, size_t(n) * 4);
      x += n;
      sx = 0;
    }
  }
}

}  // namespace

TBitmap32 CreateBmp32(int width, int height) {
  TBitmap32 b;
  if (width > 0 && height > 0 && width <= TBitmap32::MaxDimension && height <= TBitmap32::MaxDimension) {
    b.SetSize(width, height);
    b.Fill(0x00FFFFFF);
  }
  return b;
}

void FillRect32(const TPixelView& bmp, const TRect& r, TColor color, uint8_t alpha) {
  const TRect c = ClipRectToView(r, bmp);
  if (c.IsEmpty()) return;
  const uint32_t v = ColorToPixel(color, alpha);
  if (c.Left == 0 && c.Width() == bmp.Stride) {  // whole rows of a contiguous view: one run
    FillPixels(bmp.Row(c.Top), size_t(c.Width()) * size_t(c.Height()), v);
    return;
  }
  for (int y = c.Top; y < c.Bottom; ++y) FillPixels(bmp.Row(y) + c.Left, size_t(c.Width()), v);
}

void SetAlpha32(const TPixelView& bmp, const TRect& r, uint8_t alpha, uint32_t key) {
  const TRect c = ClipRectToView(r, bmp);
  const uint32_t a = uint32_t(alpha) << 24;
  for (int y = c.Top; y < c.Bottom; ++y) {
    uint32_t* p = bmp.Row(y);
    for (int x = c.Left; x < c.Right; ++x)
      if (key == NoKey || p[x] != key) p[x] = (p[x] & 0x00FFFFFF) | a;
  }
}

void BlendColorRect(const TPixelView& bmp, const TRect& r, int percent, TColor color) {
  const TRect c = ClipRectToView(r, bmp);
  if (c.IsEmpty()) return;
  const uint32_t p = uint32_t(ClampPercent(percent));
  const uint32_t k = ColorToPixel(ColorToRGB(color), 0);  // system colours too
  const uint32_t kb = Channel(k, 0) * (100 - p), kg = Channel(k, 8) * (100 - p), kr = Channel(k, 16) * (100 - p);
  for (int y = c.Top; y < c.Bottom; ++y) {
    uint32_t* px = bmp.Row(y);
    int x = c.Left;
#if defined(__SSE2__)
    {
      const __m128i zero = _mm_setzero_si128(), alpha = _mm_set1_epi32(int32_t(0xFF000000));
      const __m128i mul = _mm_set1_epi16(int16_t(p));
      const __m128i add = _mm_setr_epi16(int16_t(kb), int16_t(kg), int16_t(kr), 0, int16_t(kb), int16_t(kg),
                                         int16_t(kr), 0);
      for (; x + 4 <= c.Right; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px + x));
        const __m128i lo = Div100Lanes(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), mul), add));
        const __m128i hi = Div100Lanes(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), mul), add));
        const __m128i out = _mm_or_si128(_mm_and_si128(v, alpha), _mm_andnot_si128(alpha, _mm_packus_epi16(lo, hi)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(px + x), out);
      }
    }
#endif
    for (; x < c.Right; ++x) {
      const uint32_t v = px[x];
      px[x] = (v & 0xFF000000) | Div100(Channel(v, 0) * p + kb) | (Div100(Channel(v, 8) * p + kg) << 8) |
              (Div100(Channel(v, 16) * p + kr) << 16);
    }
  }
}

void BlendBitmapRect(const TPixelView& dst, const TPixelView& src, int alpha, TPoint dstPoint, const TRect& srcRect) {
  const TCopyClip c = ClipCopy(dst, dstPoint.X, dstPoint.Y, src, srcRect);
  if (c.Empty()) return;
  // a x (d - s) + s x 256 == a x d + (256 - a) x s: no negative terms, so
  // red and blue share one multiply.
  const uint32_t a = uint32_t(std::clamp(alpha, 0, 255)), na = 256 - a;
  for (int y = 0; y < c.H; ++y) {
    uint32_t* d = dst.Row(c.DstY + y) + c.DstX;
    const uint32_t* s = src.Row(c.SrcY + y) + c.SrcX;
    int x = 0;
#if defined(__SSE2__)
    {
      const __m128i zero = _mm_setzero_si128(), mask = _mm_set1_epi32(int32_t(0xFF000000));
      const __m128i va = _mm_set1_epi16(int16_t(a)), vna = _mm_set1_epi16(int16_t(na));
      for (; x + 4 <= c.W; x += 4) {
        const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + x));
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
        const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(dv, zero), va),
                                                        _mm_mullo_epi16(_mm_unpacklo_epi8(sv, zero), vna)), 8);
        const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(dv, zero), va),
                                                        _mm_mullo_epi16(_mm_unpackhi_epi8(sv, zero), vna)), 8);
        const __m128i out = _mm_or_si128(_mm_and_si128(dv, mask), _mm_andnot_si128(mask, _mm_packus_epi16(lo, hi)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), out);
      }
    }
#endif
    for (; x < c.W; ++x) {
      const uint32_t dv = d[x], sv = s[x];
      const uint32_t rb = (((dv & 0xFF00FF) * a + (sv & 0xFF00FF) * na) >> 8) & 0xFF00FF;
      const uint32_t g = (((dv & 0xFF00) * a + (sv & 0xFF00) * na) >> 8) & 0xFF00;
      d[x] = (dv & 0xFF000000) | rb | g;
    }
  }
}

void BlendBitmapKeyed(const TPixelView& dst, int dstX, int dstY, uint32_t key, int factorPercent, const TRect& srcRect,
                      const TPixelView& src) {
  const TCopyClip c = ClipCopy(dst, dstX, dstY, src, srcRect);
  if (c.Empty()) return;
  const uint32_t f = uint32_t(ClampPercent(factorPercent)), nf = 100 - f;
  for (int y = 0; y < c.H; ++y) {
    uint32_t* d = dst.Row(c.DstY + y) + c.DstX;
    const uint32_t* s = src.Row(c.SrcY + y) + c.SrcX;
    int x = 0;
#if defined(__SSE2__)
    {
      const __m128i zero = _mm_setzero_si128(), alpha = _mm_set1_epi32(int32_t(0xFF000000));
      const __m128i vk = _mm_set1_epi32(int32_t(key));
      const __m128i vf = _mm_set1_epi16(int16_t(f)), vnf = _mm_set1_epi16(int16_t(nf));
      for (; x + 4 <= c.W; x += 4) {
        const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + x));
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
        const __m128i lo = Div100Lanes(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(sv, zero), vnf),
                                                     _mm_mullo_epi16(_mm_unpacklo_epi8(dv, zero), vf)));
        const __m128i hi = Div100Lanes(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(sv, zero), vnf),
                                                     _mm_mullo_epi16(_mm_unpackhi_epi8(dv, zero), vf)));
        // Destination kept where the source is the key, and in every alpha byte.
        const __m128i keep = _mm_or_si128(_mm_cmpeq_epi32(sv, vk), alpha);
        const __m128i out = _mm_or_si128(_mm_and_si128(dv, keep), _mm_andnot_si128(keep, _mm_packus_epi16(lo, hi)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), out);
      }
    }
#endif
    for (; x < c.W; ++x) {
      const uint32_t sv = s[x];
      if (sv == key) continue;
      const uint32_t dv = d[x];
      // round(s - (s - d) x f / 100) == round((s x (100 - f) + d x f) / 100)
      d[x] = (dv & 0xFF000000) | Div100(Channel(sv, 0) * nf + Channel(dv, 0) * f) |
             (Div100(Channel(sv, 8) * nf + Channel(dv, 8) * f) << 8) |
             (Div100(Channel(sv, 16) * nf + Channel(dv, 16) * f) << 16);
    }
  }
}

TColor MixColors(TColor c1, TColor c2, int x1Percent) {
  const uint32_t x = uint32_t(ClampPercent(x1Percent)), nx = 100 - x;
  return (c1 & 0xFF000000) | Div100(Channel(c1, 0) * x + Channel(c2, 0) * nx) |
         (Div100(Channel(c1, 8) * x + Channel(c2, 8) * nx) << 8) |
         (Div100(Channel(c1, 16) * x + Channel(c2, 16) * nx) << 16);
}

void GrayBitmapKeyed(const TPixelView& bmp, uint32_t key) {
  ForEachPixel(
      bmp,
      [](uint32_t& p) {
        const uint32_t g = (Channel(p, 0) + Channel(p, 8) + Channel(p, 16)) / 3;
        p = (p & 0xFF000000) | g | (g << 8) | (g << 16);
      },
      key);
}

void GrayBitmap(const TPixelView& bmp) { GrayBitmapKeyed(bmp, NoKey); }

void TintBitmap(const TPixelView& bmp, TColor color, int factorPercent) {
  const uint32_t f = uint32_t(ClampPercent(factorPercent)), nf = 100 - f;
  const uint32_t k = ColorToPixel(color, 0);
  ForEachPixel(
      bmp,
      [&](uint32_t& p) {
        // round(f x (c - k) + k) == round((c x f + k x (100 - f)) / 100)
        p = (p & 0xFF000000) | Div100(Channel(p, 0) * f + Channel(k, 0) * nf) |
            (Div100(Channel(p, 8) * f + Channel(k, 8) * nf) << 8) |
            (Div100(Channel(p, 16) * f + Channel(k, 16) * nf) << 16);
      },
      KeyPixel);
}

void ColorizeByMask(const TPixelView& dst, const TPixelView& mask, TColor color) {
  if (dst.Empty() || mask.Empty()) return;
  const int w = std::min(dst.Width, mask.Width), h = std::min(dst.Height, mask.Height);
  const uint32_t k = ColorToPixel(color, 0);
  for (int y = 0; y < h; ++y) {
    uint32_t* d = dst.Row(y);
    const uint32_t* m = mask.Row(y);
    for (int x = 0; x < w; ++x) {
      uint32_t out = d[x] & 0xFF000000;
      for (int sh = 0; sh < 24; sh += 8) {
        // round(k + m x (d - k) / 256) == round((k x (256 - m) + d x m) / 256)
        const uint32_t mc = Channel(m[x], sh);
        out |= DivRoundHalfEven(Channel(k, sh) * (256 - mc) + Channel(d[x], sh) * mc, 256) << sh;
      }
      d[x] = out;
    }
  }
}

int DrawModeTable(int drawMode) {
  if (drawMode >= 0 && drawMode <= 14) return drawMode;
  switch (drawMode) {
    case 16: return 1;
    case 17: return 2;
    case 18:
    case 19: return 3;
    default: return 0;
  }
}

int ImageWidth(const TsMaskData& md) {
  const int w = std::max(0, md.R.Width());
  if (md.ImageCount <= 0) return 0;
  return md.ImageCount == 1 ? w : w / md.ImageCount;
}

int ImageHeight(const TsMaskData& md) {
  const int h = std::max(0, md.R.Height());
  if (md.MaskType < 0) return 0;
  return md.MaskType == 0 ? h : h / (md.MaskType + 1);
}

void StretchCopy(const TPixelView& dst, const TRect& dstRect, const TPixelView& src, const TRect& srcRect) {
  StretchCopy(dst, dstRect, src, srcRect, dstRect);
}

void StretchCopy(const TPixelView& dst, const TRect& dstRect, const TPixelView& src, const TRect& srcRect,
                 const TRect& clip) {
  const TRect s = ClipRectToView(srcRect, src);
  const TRect d = IntersectRect(ClipRectToView(dstRect, dst), clip);
  const int dw = dstRect.Width(), dh = dstRect.Height();
  if (s.IsEmpty() || d.IsEmpty() || dw <= 0 || dh <= 0) return;
  const int64_t sw = s.Width(), sh = s.Height();
  std::vector<int> xs(size_t(d.Width()));
  for (int x = d.Left; x < d.Right; ++x)
    xs[size_t(x - d.Left)] = s.Left + int((2 * int64_t(x - dstRect.Left) + 1) * sw / (2 * int64_t(dw)));
  int lastRow = -1;
  for (int y = d.Top; y < d.Bottom; ++y) {
    const int sy = s.Top + int((2 * int64_t(y - dstRect.Top) + 1) * sh / (2 * int64_t(dh)));
    uint32_t* dr = dst.Row(y);
    // An enlarged row repeats the one above it: copy that instead of gathering again.
    if (sy == lastRow && (dst.Bits != src.Bits)) {
      std::memcpy(dr + d.Left, dst.Row(y - 1) + d.Left, size_t(d.Width()) * 4);
      continue;
    }
    const uint32_t* sr = src.Row(sy);
    for (int x = d.Left; x < d.Right; ++x) dr[x] = sr[xs[size_t(x - d.Left)]];
    lastRow = sy;
  }
}

void TileGraphic(const TPixelView& dst, const TRect& r, const TPixelView& src) {
  if (src.Empty()) return;
  TileArea(dst, r, r.Left, r.Top, src, src.Bounds());
}

void TileTexture(const TPixelView& dst, TRect& w, const TPixelView& src, const TRect& srcRect, int tileType) {
  const TRect s = ClipRectToView(srcRect, src);
  const int tw = s.Width(), th = s.Height();
  if (s.IsEmpty() || w.IsEmpty()) return;
  const TRect W = w;
  auto rest = [&](const TRect& r) { w = r.IsEmpty() ? NoRemainder : r; };
  switch (tileType) {
    case 0:
      TileArea(dst, W, W.Left, W.Top, src, s);
      w = NoRemainder;
      break;
    case 1:
      StretchCopy(dst, W, src, s);
      w = NoRemainder;
      break;
    case 2:
      TileArea(dst, Rect(W.Left, W.Top, W.Right, std::min(W.Bottom, W.Top + th)), W.Left, W.Top, src, s);
      rest(Rect(W.Left, W.Top + th, W.Right, W.Bottom));
      break;
    case 3:
      TileArea(dst, Rect(W.Left, W.Top, std::min(W.Right, W.Left + tw), W.Bottom), W.Left, W.Top, src, s);
      rest(Rect(W.Left + tw, W.Top, W.Right, W.Bottom));
      break;
    case 4:
      StretchCopy(dst, Rect(W.Left, W.Top, W.Right, W.Top + th), src, s, W);
      rest(Rect(W.Left, W.Top + th, W.Right, W.Bottom));
      break;
    case 5:
      StretchCopy(dst, Rect(W.Left, W.Top, W.Left + tw, W.Bottom), src, s, W);
      rest(Rect(W.Left + tw, W.Top, W.Right, W.Bottom));
      break;
    case 6:
      TileArea(dst, Rect(W.Left, std::max(W.Top, W.Bottom - th), W.Right, W.Bottom), W.Left, W.Bottom - th, src, s);
      rest(Rect(W.Left, W.Top, W.Right, W.Bottom - th));
      break;
    case 7:
      TileArea(dst, W, W.Left, W.Top, src, s);
      rest(Rect(W.Left, W.Top, W.Right - tw, W.Bottom));
      break;
    case 10: {
      // Rows while y < Bottom - h: the strip below the last row keeps its pixels.
      const int rows = W.Height() > th ? (W.Height() - 1) / th : 0;
      TileArea(dst, Rect(W.Left, W.Top, W.Right, W.Top + rows * th), W.Left, W.Top, src, s);
      w = NoRemainder;
      break;
    }
    default:  // 8, 9, 11 to 14
      TileArea(dst, W, W.Left, W.Top, src, s);
      rest(Rect(std::max(W.Left, W.Right - tw), W.Top, W.Right, W.Bottom));
      break;
  }
}

TPixelView MaskSource(const TsMaskData& md) {
  if (md.Bmp) return TPixelView::ReadOnly(*md.Bmp);
  if (md.Manager) return TPixelView::ReadOnly(md.Manager->MasterBitmap);
  return TPixelView();
}

void TileTexture(const TPixelView& dst, TRect& w, const TsMaskData& mask, int tileType) {
  if (mask.Bmp && !mask.Bmp->Empty()) {
    TileGraphic(dst, w, TPixelView::ReadOnly(*mask.Bmp));
    w = NoRemainder;
    return;
  }
  if (!mask.Manager) return;
  TileTexture(dst, w, TPixelView::ReadOnly(mask.Manager->MasterBitmap), mask.R, tileType);
}

void TileMaskedTexture(const TPixelView& dst, TRect& w, const TCacheInfo& ci, int tileType, const TsMaskData& mask) {
  if (tileType != 0 && tileType != 10) return;
  const TPixelView src = MaskSource(mask);
  const int cw = ImageWidth(mask), ch = std::max(0, mask.R.Height()) / 2;
  if (src.Empty() || cw <= 0 || ch <= 0 || w.IsEmpty()) return;
  const TRect W = w;
  // Cells while x < Right - cw and y < Bottom - ch.
  const int cols = W.Width() > cw ? (W.Width() - 1) / cw : 0;
  const int rows = W.Height() > ch ? (W.Height() - 1) / ch : 0;
  const int lastW = tileType == 0 ? W.Width() - cols * cw : 0;  // cropped last column (type 0)
  const TCacheInfo none;
  // Only the cells that meet the view are composed.
  const TRect vis = ClipRectToView(W, dst);
  if (vis.IsEmpty()) return;
  const int row0 = (vis.Top - W.Top) / ch, col0 = (vis.Left - W.Left) / cw;
  for (int row = row0; row < rows && W.Top + row * ch < vis.Bottom; ++row) {
    const int y = W.Top + row * ch;
    for (int col = col0; col <= cols && W.Left + col * cw < vis.Right; ++col) {
      const int cellW = col < cols ? cw : lastW;
      if (cellW <= 0) continue;
      CopyMasked(dst, W.Left + col * cw, y, src, Rect(mask.R.Left, mask.R.Top, mask.R.Left + cellW, mask.R.Top + ch),
                 ch, false, none);
    }
  }
  if (tileType == 10) {
    const TRect right = Rect(W.Left + cols * cw, W.Top, W.Right, W.Top + rows * ch);
    const TRect below = Rect(W.Left, W.Top + rows * ch, W.Right, W.Bottom);
    for (const TRect& r : {right, below}) {
      if (r.IsEmpty()) continue;
      if (ci.Ready)
        CopyRect32(dst, r.Left, r.Top, ci.Bmp, OffsetRect(r, ci.X, ci.Y));
      else if (ci.FillColor != clFuchsia)  // no colour behind: the strips keep their pixels
        FillRect32(dst, r, ci.FillColor, 0xFF);
    }
  }
  w = NoRemainder;
}

void PaintDisabledLook(const TPixelView& bmp, unsigned disabledKind, TColor parentColor, TPoint pos,
                       const TCacheInfo& ci) {
  if (bmp.Empty()) return;
  if (disabledKind & dkGrayed) GrayBitmap(bmp);
  if (!(disabledKind & dkBlended)) return;
  if (ci.Ready) {
    const int x = ci.X + pos.X, y = ci.Y + pos.Y;
    BlendBitmapKeyed(bmp, 0, 0, KeyPixel, 40, Rect(x, y, x + bmp.Width, y + bmp.Height), ci.Bmp);
  } else {
    BlendColorRect(bmp, bmp.Bounds(), 50, ci.FillColor == clFuchsia ? parentColor : ci.FillColor);
  }
}
