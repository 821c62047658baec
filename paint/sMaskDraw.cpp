#include "paint/sMaskDraw.h"

#include "framework/core/SysUtils.h"
#include "paint/sGraphUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "paint/acCpuKernels.h"

namespace {

#if QN_WIDE_KERNELS

// Eight pixels of the plain masked copy: d = (d x m + s x (256 - m)) >> 8.
// d x m + s x (256 - m) = (d - s) x m + s x 256, exact modulo 2^16 as the
// result lies in 0..65280. Blue and red in the low bytes of the 16-bit
// lanes, green and alpha moved there: no byte unpacking. Gives blue and red
// in the low bytes of rb, green and alpha in the high bytes of ga.
QN_WIDE inline void MaskRuleEight(__m256i dv, __m256i sv, __m256i mv, __m256i& rb, __m256i& ga) {
  const __m256i low = _mm256_set1_epi32(0x00FF00FF), high = _mm256_set1_epi32(int32_t(0xFF00FF00));
  rb = _mm256_srli_epi16(
      _mm256_add_epi16(_mm256_mullo_epi16(_mm256_sub_epi16(_mm256_and_si256(dv, low), _mm256_and_si256(sv, low)),
                                          _mm256_and_si256(mv, low)),
                       _mm256_slli_epi16(sv, 8)), 8);
  ga = _mm256_add_epi16(
      _mm256_mullo_epi16(_mm256_sub_epi16(_mm256_srli_epi16(dv, 8), _mm256_srli_epi16(sv, 8)), _mm256_srli_epi16(mv, 8)),
      _mm256_and_si256(sv, high));
}

// A row of the plain masked copy (no composition, no background), eight
// pixels at a time; key pixels and the alpha bytes keep d. Returns how many
// pixels it did.
QN_WIDE int MaskedRowWide(uint32_t* d, const uint32_t* s, const uint32_t* m, int n) {
  const __m256i high = _mm256_set1_epi32(int32_t(0xFF00FF00));
  const __m256i alpha = _mm256_set1_epi32(int32_t(0xFF000000)), key = _mm256_set1_epi32(int32_t(KeyPixel));
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    __m256i rb, ga;
    MaskRuleEight(dv, sv, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(m + i)), rb, ga);
    const __m256i out = _mm256_or_si256(rb, _mm256_and_si256(ga, high));
    const __m256i keep = _mm256_or_si256(_mm256_cmpeq_epi32(sv, key), alpha);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_blendv_epi8(out, dv, keep));
  }
  return i;
}

// As MaskedRowWide sixteen pixels a step, key pixels left out of the store.
// The moves by a byte are shuffles, which leave the port of the multiplies
// free; the high bytes of the blue/red lanes go down by a masked shuffle
// into the green/alpha result, and the alpha lane is weighed 256 against 0
// so that it comes out as d.
struct TMaskedCopy16 {
  uint32_t* D;
  const uint32_t *S, *M;
  QN_WIDE_MASKED void operator()(int i, __mmask16 lanes) const {
    const __m512i low = _mm512_set1_epi32(0x00FF00FF), high = _mm512_set1_epi32(int32_t(0xFF00FF00));
    const __m512i down = _mm512_set4_epi32(int32_t(0x800F800D), int32_t(0x800B8009), int32_t(0x80078005),
                                           int32_t(0x80038001));  // lanes >> 8
    const __m512i dv = Load16(D + i, lanes), sv = Load16(S + i, lanes), mv = Load16(M + i, lanes);
    const __m512i rb = _mm512_add_epi16(
        _mm512_mullo_epi16(_mm512_sub_epi16(_mm512_and_si512(dv, low), _mm512_and_si512(sv, low)),
                           _mm512_and_si512(mv, low)),
        LowBytesUp(sv));
    // 0xF8: a | (b & c); the alpha lane of the mask becomes 256.
    const __m512i mo = _mm512_ternarylogic_epi32(_mm512_set1_epi32(0x01000000), _mm512_shuffle_epi8(mv, down),
                                                 _mm512_set1_epi32(0x000000FF), 0xF8);
    const __m512i ga = _mm512_add_epi16(
        _mm512_mullo_epi16(_mm512_sub_epi16(_mm512_shuffle_epi8(dv, down), _mm512_shuffle_epi8(sv, down)), mo),
        _mm512_and_si512(sv, high));
    const __m512i out = _mm512_mask_shuffle_epi8(ga, __mmask64(0x5555555555555555u), rb, down);
    const __mmask16 store = _mm512_mask_cmpneq_epi32_mask(lanes, sv, _mm512_set1_epi32(int32_t(KeyPixel)));
    _mm512_mask_storeu_epi32(D + i, store, out);
  }
};
QN_WIDE_MASKED int MaskedRowWideMasked(uint32_t* d, const uint32_t* s, const uint32_t* m, int n) {
  EachSixteen(d, n, TMaskedCopy16{d, s, m});
  return n;
}
#endif

inline uint32_t Channel(uint32_t p, int shift) { return (p >> shift) & 0xFF; }

// The mask rule on the three colour bytes with one mask pixel per channel.
inline uint32_t MaskRulePixel(uint32_t d, uint32_t s, uint32_t m) {
  return MaskRule(Channel(d, 0), Channel(s, 0), Channel(m, 0)) |
         (MaskRule(Channel(d, 8), Channel(s, 8), Channel(m, 8)) << 8) |
         (MaskRule(Channel(d, 16), Channel(s, 16), Channel(m, 16)) << 16);
}

// The background pixel under destination (x, y), when there is one.
inline bool BackgroundPixel(const TCacheInfo& ci, int x, int y, uint32_t& out) {
  const int bx = x + ci.X, by = y + ci.Y;
  if (ci.Bmp.Empty() || bx < 0 || by < 0 || bx >= ci.Bmp.Width || by >= ci.Bmp.Height) return false;
  out = ci.Bmp.At(bx, by);
  return true;
}

// Composition without a ready background uses the fill colour unless none;
// a composed pixel is opaque whichever way the background came.
inline bool FillPixel(const TCacheInfo& ci, uint32_t& out) {
  if (ci.FillColor == clFuchsia) return false;
  out = ColorToPixel(ci.FillColor);
  return true;
}

// Source rectangle limited so that its mask rows (maskOffset lower) exist too.
TCopyClip ClipMaskedCopy(const TPixelView& dst, int x, int y, const TPixelView& src, const TRect& srcRect,
                         int maskOffset) {
  if (dst.Empty() || src.Empty() || maskOffset < 0 || maskOffset >= src.Height) return TCopyClip();
  return ClipCopy(dst.Width, dst.Height, x, y, src.Width, src.Height - maskOffset, srcRect);
}

// Tiles `piece` over `area` from its top-left, the last row and column cut.
// Only the copies that meet `clip` are made, so a huge area costs nothing.
template <typename Draw>
void TilePiece(const TRect& area, const TRect& piece, const TRect& clip, Draw&& draw) {
  const int pw = piece.Width(), ph = piece.Height();
  const TRect vis = IntersectRect(area, clip);
  if (vis.IsEmpty() || pw <= 0 || ph <= 0) return;
  const int x0 = area.Left + (vis.Left - area.Left) / pw * pw, y0 = area.Top + (vis.Top - area.Top) / ph * ph;
  for (int y = y0; y < vis.Bottom; y += ph)
    for (int x = x0; x < vis.Right; x += pw)
      draw(x, y,
           Rect(piece.Left, piece.Top, piece.Left + std::min(pw, area.Right - x),
                piece.Top + std::min(ph, area.Bottom - y)));
}

// ---- resampling filters

constexpr double Pi = 3.14159265358979323846;

double FilterValue(int filter, double x) {
  x = std::fabs(x);
  switch (filter) {
    case 0: return x <= 0.5 ? 1.0 : 0.0;
    case 1: return x < 1 ? 1 - x : 0.0;
    case 2: return x < 1 ? (2 * x - 3) * x * x + 1 : 0.0;
    case 3:
      if (x < 0.5) return 0.75 - x * x;
      if (x < 1.5) return 0.5 * (x - 1.5) * (x - 1.5);
      return 0.0;
    case 4:
      if (x < 1) return 0.5 * x * x * x - x * x + 2.0 / 3;
      if (x < 2) return (2 - x) * (2 - x) * (2 - x) / 6;
      return 0.0;
    case 5: {
      if (x >= 3) return 0.0;
      if (x == 0) return 1.0;
      const double a = Pi * x, b = a / 3;
      return std::sin(a) / a * std::sin(b) / b;
    }
    default: {
      const double B = 1.0 / 3, C = 1.0 / 3;
      if (x < 1) return ((12 - 9 * B - 6 * C) * x * x * x + (-18 + 12 * B + 6 * C) * x * x + (6 - 2 * B)) / 6;
      if (x < 2) return ((-B - 6 * C) * x * x * x + (6 * B + 30 * C) * x * x + (-12 * B - 48 * C) * x + (8 * B + 24 * C)) / 6;
      return 0.0;
    }
  }
}

double FilterRadius(int filter) {
  static constexpr double radius[] = {0.51, 1, 1, 1.5, 2, 3, 2};
  return radius[filter];
}

struct TTaps {
  std::vector<int> First;   // per output: index into Index/Weight
  std::vector<int> Count;
  std::vector<int> Index;   // source positions (mirrored into range)
  std::vector<int32_t> Weight;
};

// Taps of outputs first..first + count - 1 of one axis scaled from oldSize
// to newSize; weights sum to exactly 65536.
TTaps MakeTaps(int oldSize, int newSize, int filter, int first0, int count0) {
  TTaps t;
  const double ratio = double(newSize) / oldSize;
  const double scale = ratio < 1 ? ratio : 1;
  const double support = FilterRadius(filter) / scale;
  std::vector<double> w;
  for (int i = first0; i < first0 + count0; ++i) {
    const double centre = (i + 0.5) / ratio - 0.5;
    const int lo = int(std::ceil(centre - support)), hi = int(std::floor(centre + support));
    w.clear();
    double sum = 0;
    for (int j = lo; j <= hi; ++j) {
      w.push_back(FilterValue(filter, (centre - j) * scale) * scale);
      sum += w.back();
    }
    t.First.push_back(int(t.Index.size()));
    int32_t total = 0, best = 0;
    const int first = int(t.Index.size());
    for (int j = lo; j <= hi; ++j) {
      int k = j < 0 ? -j - 1 : j >= oldSize ? 2 * oldSize - j - 1 : j;
      k = std::clamp(k, 0, oldSize - 1);
      const int32_t fw = sum != 0 ? int32_t(std::lround(w[size_t(j - lo)] / sum * 65536)) : 0;
      t.Index.push_back(k);
      t.Weight.push_back(fw);
      total += fw;
      if (std::abs(fw) > std::abs(t.Weight[size_t(first + best)])) best = int(t.Index.size()) - 1 - first;
    }
    if (t.Index.size() == size_t(first)) {  // no tap: take the nearest pixel
      t.Index.push_back(std::clamp(int(std::lround(centre)), 0, oldSize - 1));
      t.Weight.push_back(0);
      total = 0;
      best = 0;
    }
    t.Weight[size_t(first + best)] += 65536 - total;
    t.Count.push_back(int(t.Index.size()) - first);
  }
  return t;
}

inline uint32_t ApplyTaps(const TTaps& t, int i, const uint32_t* line, ptrdiff_t step) {
  int64_t acc[4] = {0, 0, 0, 0};
  const int f = t.First[size_t(i)], n = t.Count[size_t(i)];
  for (int k = 0; k < n; ++k) {
    const uint32_t p = line[t.Index[size_t(f + k)] * step];
    const int64_t w = t.Weight[size_t(f + k)];
    for (int c = 0; c < 4; ++c) acc[c] += w * int64_t(Channel(p, c * 8));
  }
  uint32_t out = 0;
  for (int c = 0; c < 4; ++c) out |= uint32_t(std::clamp<int64_t>((acc[c] + 32768) >> 16, 0, 255)) << (c * 8);
  return out;
}

}  // namespace

void CopyRect32(const TPixelView& dst, int x, int y, const TPixelView& src, const TRect& srcRect) {
  const TCopyClip c = ClipCopy(dst, x, y, src, srcRect);
  for (int row = 0; row < c.H; ++row)
    std::memmove(dst.Row(c.DstY + row) + c.DstX, src.Row(c.SrcY + row) + c.SrcX, size_t(c.W) * 4);
}

void CopyKeyed(const TPixelView& dst, int x, int y, const TPixelView& src, const TRect& srcRect, bool compose,
               const TCacheInfo& ci) {
  const TCopyClip c = ClipCopy(dst, x, y, src, srcRect);
  for (int row = 0; row < c.H; ++row) {
    uint32_t* d = dst.Row(c.DstY + row) + c.DstX;
    const uint32_t* s = src.Row(c.SrcY + row) + c.SrcX;
    for (int i = 0; i < c.W; ++i) {
      if (s[i] != KeyPixel) {
        d[i] = s[i];
      } else if (compose) {
        uint32_t bg;
        if (ci.Ready) {
          if (BackgroundPixel(ci, c.DstX + i, c.DstY + row, bg)) d[i] = bg | 0xFF000000;
        } else if (FillPixel(ci, bg)) {
          d[i] = bg;
        }
      }
    }
  }
}

void CopyMasked(const TPixelView& dst, int x, int y, const TPixelView& src, const TRect& srcRect, int maskOffset,
                bool compose, const TCacheInfo& ci) {
  const TCopyClip c = ClipMaskedCopy(dst, x, y, src, srcRect, maskOffset);
  const bool plain = !compose && !ci.Ready;  // the common case of sides, centres and textures
#if QN_WIDE_KERNELS
  const bool wide = plain && HasWideKernels(), masks = plain && HasMaskedWideKernels();
#endif
  // Without background lookups, whole rows that follow each other in both
  // views are one run (the mask rows then follow each other too).
  int rows = c.H, run = c.W;
  if (plain && c.W == dst.Stride && c.W == src.Stride && int64_t(c.W) * c.H <= INT32_MAX) rows = 1, run = c.W * c.H;
  for (int row = 0; row < rows; ++row) {
    uint32_t* d = dst.Row(c.DstY + row) + c.DstX;
    const uint32_t* s = src.Row(c.SrcY + row) + c.SrcX;
    const uint32_t* m = src.Row(c.SrcY + row + maskOffset) + c.SrcX;
    int i = 0;
#if QN_WIDE_KERNELS
    if (masks)
      i = MaskedRowWideMasked(d, s, m, run);
    else if (wide)
      i = MaskedRowWide(d, s, m, run);
#endif
#if defined(__SSE2__)
    if (plain) {
      // As the wide row: (d - s) x m + s x 256 modulo 2^16 in the 16-bit
      // lanes of blue/red and of green/alpha.
      const __m128i low = _mm_set1_epi32(0x00FF00FF), high = _mm_set1_epi32(int32_t(0xFF00FF00));
      const __m128i alpha = _mm_set1_epi32(int32_t(0xFF000000)), key = _mm_set1_epi32(int32_t(KeyPixel));
      for (; i + 4 <= run; i += 4) {
        const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i mv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m + i));
        const __m128i rb = _mm_srli_epi16(
            _mm_add_epi16(_mm_mullo_epi16(_mm_sub_epi16(_mm_and_si128(dv, low), _mm_and_si128(sv, low)),
                                          _mm_and_si128(mv, low)),
                          _mm_slli_epi16(sv, 8)), 8);
        const __m128i ga = _mm_add_epi16(
            _mm_mullo_epi16(_mm_sub_epi16(_mm_srli_epi16(dv, 8), _mm_srli_epi16(sv, 8)), _mm_srli_epi16(mv, 8)),
            _mm_and_si128(sv, high));
        const __m128i out = _mm_or_si128(rb, _mm_and_si128(ga, high));
        const __m128i keep = _mm_or_si128(_mm_cmpeq_epi32(sv, key), alpha);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_or_si128(_mm_and_si128(dv, keep), _mm_andnot_si128(keep, out)));
      }
    }
#endif
    for (; i < run; ++i) {
      const uint32_t sv = s[i];
      if (compose && ci.Ready) {
        uint32_t bg;
        if (sv != KeyPixel)
          d[i] = MaskRulePixel(d[i], sv, m[i]) | 0xFF000000;
        else if (BackgroundPixel(ci, c.DstX + i, c.DstY + row, bg))
          d[i] = bg | 0xFF000000;
        else
          d[i] |= 0xFF000000;
      } else if (compose) {
        uint32_t bg;
        if (sv != KeyPixel)
          d[i] = MaskRulePixel(d[i], sv, m[i]) | 0xFF000000;
        else if (FillPixel(ci, bg))
          d[i] = bg;
        else
          d[i] |= 0xFF000000;
      } else if (ci.Ready) {
        d[i] = MaskRulePixel(d[i], sv, m[i]) | 0xFF000000;
      } else if (sv != KeyPixel) {
        d[i] = (d[i] & 0xFF000000) | MaskRulePixel(d[i], sv, m[i]);
      }
    }
  }
}

void FillBorder32(const TPixelView& bmp, const TRect& r, int wl, TColor color, int wb, int wr, int wt) {
  wl = std::max(wl, 0), wb = std::max(wb, 0), wr = std::max(wr, 0), wt = std::max(wt, 0);
  FillRect32(bmp, Rect(r.Left, r.Top, r.Right, std::min(r.Bottom, r.Top + wt)), color, 0xFF);
  FillRect32(bmp, Rect(r.Left, r.Top + wt, std::min(r.Right, r.Left + wl), r.Bottom), color, 0xFF);
  FillRect32(bmp, Rect(r.Left + wl, std::max(r.Top + wt, r.Bottom - wb), r.Right, r.Bottom), color, 0xFF);
  FillRect32(bmp, Rect(std::max(r.Left + wl, r.Right - wr), r.Top + wt, r.Right, r.Bottom - wb), color, 0xFF);
}

void CopyBorderBands(const TPixelView& dst, int x, int y, int width, int srcY, int srcX, const TPixelView& src, int h,
                     int w) {
  if (width <= 0 || w <= 0 || h <= 0) return;
  const TRect bands[] = {Rect(0, 0, width, h), Rect(0, 0, w, width), Rect(w - width, 0, w, h),
                         Rect(0, h - width, w, h)};
  for (const TRect& b : bands)
    CopyRect32(dst, x + b.Left, y + b.Top, src, OffsetRect(b, srcX, srcY));
}

namespace {

// The window part (in output coordinates) of src scaled to newWidth x
// newHeight, into out of the window's size. Rows first, then columns.
void ResampleWindow(const TPixelView& src, int newWidth, int newHeight, int filter, const TRect& window,
                    TBitmap32& out) {
  const int ww = window.Width(), wh = window.Height();
  out.SetSize(ww, wh);
  TBitmap32 mid(ww, src.Height);
  const TTaps tx = MakeTaps(src.Width, newWidth, filter, window.Left, ww);
  for (int y = 0; y < src.Height; ++y) {
    uint32_t* row = mid.ScanLine(y);
    for (int x = 0; x < ww; ++x) row[x] = ApplyTaps(tx, x, src.Row(y), 1);
  }
  const TTaps ty = MakeTaps(src.Height, newHeight, filter, window.Top, wh);
  for (int y = 0; y < wh; ++y) {
    uint32_t* row = out.ScanLine(y);
    for (int x = 0; x < ww; ++x) row[x] = ApplyTaps(ty, y, mid.ScanLine(0) + x, ww);
  }
}

}  // namespace

void ResampleBitmap(const TPixelView& src, TBitmap32& dst, int newWidth, int filter, int newHeight) {
  if (src.Width < 2 || src.Height < 2) throw EInvalidArgument("Source bitmap is too small");
  if (newHeight <= 0 || newWidth <= 0 || newWidth > TBitmap32::MaxDimension || newHeight > TBitmap32::MaxDimension)
    return;
  filter = std::clamp(filter, 0, 6);
  if (newWidth == src.Width && newHeight == src.Height) {
    dst.SetSize(newWidth, newHeight);
    for (int y = 0; y < newHeight; ++y) std::memcpy(dst.ScanLine(y), src.Row(y), size_t(newWidth) * 4);
    return;
  }
  ResampleWindow(src, newWidth, newHeight, filter, Rect(0, 0, newWidth, newHeight), dst);
}

void StretchMasked(int dstX, int dstY, int dstW, int dstH, bool isCentre, int maskOffset, const TPixelView& src,
                   int srcX, int srcY, int srcW, int srcH, const TPixelView& dst) {
  if (dstX < 0 || dstY < 0 || dstW <= 0 || dstH <= 0 || dst.Width < 2 || dst.Height < 2 || src.Empty()) return;
  // Pieces beyond the largest bitmap (their scaled copies could not be made) paint nothing.
  if (dstW > TBitmap32::MaxDimension || dstH > TBitmap32::MaxDimension) return;
  const TRect dr = Rect(dstX, dstY, dstX + dstW, dstY + dstH);
  const TRect sr = Rect(srcX, srcY, srcX + srcW, srcY + srcH);
  if (maskOffset == 0) {
    StretchCopy(dst, dr, src, sr);
    return;
  }
  if (srcW <= 0 || srcH <= 0 || maskOffset < 0 || maskOffset >= src.Height) return;
  // A piece reaching past the picture paints the part whose image and mask
  // pixels exist, at the place and scale of the whole piece.
  const TRect avail = IntersectRect(sr, Rect(0, 0, src.Width, src.Height - maskOffset));
  if (avail.IsEmpty()) return;
  int x0, x1, y0, y1;
  StretchSpan(dstW, srcX, srcW, avail.Left, avail.Right, x0, x1);
  StretchSpan(dstH, srcY, srcH, avail.Top, avail.Bottom, y0, y1);
  const TRect clip = IntersectRect(ClipRectToView(dr, dst), Rect(dstX + x0, dstY + y0, dstX + x1, dstY + y1));
  if (clip.IsEmpty()) return;
  if (isCentre && srcW == 1 && srcH == 1) {
    const uint32_t e = Channel(src.At(srcX, srcY + maskOffset), 16);
    const uint32_t s = src.At(srcX, srcY);
    if (e == 255) return;
    if (e == 0) {
      FillRect32(dst, clip, PixelToColor(s), 0xFF);
      return;
    }
    const uint32_t m = e | (e << 8) | (e << 16);
    for (int y = clip.Top; y < clip.Bottom; ++y) {
      uint32_t* d = dst.Row(y);
      for (int x = clip.Left; x < clip.Right; ++x) d[x] = (d[x] & 0xFF000000) | MaskRulePixel(d[x], s, m);
    }
    return;
  }
  // Image and mask pieces scaled to the destination size; only the part
  // that lands inside the target is computed.
  const bool smooth = ((dstW < srcW && dstH == srcH) || (dstW == srcW && dstH < srcH) || isCentre) && dstW > 1 &&
                      dstH > 1;
  const TRect window = OffsetRect(clip, -dstX, -dstY);
  TBitmap32 image, mask;
  for (int part = 0; part < 2; ++part) {
    TBitmap32& out = part == 0 ? image : mask;
    const int top = srcY + (part == 0 ? 0 : maskOffset);
    if (smooth) {
      // A piece 1 pixel wide or high is widened to 2 by repeating it; its
      // missing pixels repeat the nearest existing ones.
      if (int64_t(srcW) * srcH > (int64_t(1) << 22)) return;
      TBitmap32 piece(std::max(srcW, 2), std::max(srcH, 2));
      const int dy = top - srcY;
      for (int y = 0; y < piece.Height(); ++y) {
        const int sy = std::clamp(srcY + std::min(y, srcH - 1), avail.Top, avail.Bottom - 1) + dy;
        for (int x = 0; x < piece.Width(); ++x)
          piece.SetPixel(x, y, src.At(std::clamp(srcX + std::min(x, srcW - 1), avail.Left, avail.Right - 1), sy));
      }
      ResampleWindow(TPixelView(piece), dstW, dstH, 6, window, out);
    } else {
      out.SetSize(window.Width(), window.Height());
      StretchCopy(TPixelView(out), OffsetRect(Rect(0, 0, dstW, dstH), -window.Left, -window.Top), src,
                  Rect(srcX, top, srcX + srcW, top + srcH));
    }
  }
  for (int y = clip.Top; y < clip.Bottom; ++y) {
    uint32_t* d = dst.Row(y);
    const uint32_t* s = image.ScanLine(y - clip.Top) - clip.Left;
    const uint32_t* m = mask.ScanLine(y - clip.Top) - clip.Left;
    for (int x = clip.Left; x < clip.Right; ++x) d[x] = MaskRulePixel(d[x], s[x], m[x]) | 0xFF000000;
  }
}

namespace {

// The nine pieces of a border mask around r: corners through `corner`
// (x, y, piece, source, mask offset, masked), sides and centre tiled or
// stretched here. imageCount is the count of state cells used.
template <typename Corner>
void DrawBorderPieces(const TPixelView& bmp, const TRect& r, int state, const TsMaskData& mask, int imageCount,
                      bool withCentre, Corner&& corner) {
  if (r.Width() < 2 || r.Height() < 2 || !mask.Manager || bmp.Empty()) return;
  const TPixelView src = MaskSource(mask);
  const int rw = std::max(0, mask.R.Width());
  const int w = imageCount <= 0 ? 0 : imageCount == 1 ? rw : rw / imageCount, h = ImageHeight(mask);
  if (src.Empty() || w <= 0 || h <= 0) return;
  // Pieces that do not fit give up half the excess each, the right and
  // bottom one pixel more when it is odd.
  int l = std::max<int>(mask.WL, 0), rr = std::max<int>(mask.WR, 0);
  int t = std::max<int>(mask.WT, 0), b = std::max<int>(mask.WB, 0);
  if (r.Width() < l + rr) {
    const int d = l + rr - r.Width();
    l = std::max(0, l - d / 2);
    rr = std::max(0, rr - d / 2 - (d & 1));
  }
  if (r.Height() < t + b) {
    const int d = t + b - r.Height();
    t = std::max(0, t - d / 2);
    b = std::max(0, b - d / 2 - (d & 1));
  }
  const int s = ClampState(state, imageCount);
  const int cw = w - l - rr, ch = h - t - b;
  if (cw < 0 || ch < 0) return;
  const int ox = mask.R.Left + s * w, oy = mask.R.Top;
  const bool masked = mask.MaskType != 0;
  const int maskOffset = masked ? h : 0;
  const bool stretch = (mask.DrawMode & dmStretchSides) != 0;
  const TCacheInfo none;

  auto cornerPiece = [&](int x, int y, const TRect& piece) {
    if (!piece.IsEmpty()) corner(x, y, piece, src, maskOffset, masked);
  };
  auto middle = [&](const TRect& area, const TRect& piece, bool isCentre) {
    if (area.IsEmpty() || piece.IsEmpty()) return;
    if (stretch) {
      if (masked)
        StretchMasked(area.Left, area.Top, area.Width(), area.Height(), isCentre, maskOffset, src, piece.Left,
                      piece.Top, piece.Width(), piece.Height(), bmp);
      else
        StretchCopy(bmp, area, src, piece);
      return;
    }
    TilePiece(area, piece, bmp.Bounds(), [&](int x, int y, const TRect& p) {
      if (masked)
        CopyMasked(bmp, x, y, src, p, maskOffset, false, none);
      else
        CopyRect32(bmp, x, y, src, p);
    });
  };

  cornerPiece(r.Left, r.Top, Rect(ox, oy, ox + l, oy + t));
  middle(Rect(r.Left, r.Top + t, r.Left + l, r.Bottom - b), Rect(ox, oy + t, ox + l, oy + t + ch), false);
  middle(Rect(r.Left + l, r.Top, r.Right - rr, r.Top + t), Rect(ox + l, oy, ox + l + cw, oy + t), false);
  cornerPiece(r.Left, r.Bottom - b, Rect(ox, oy + h - b, ox + l, oy + h));
  middle(Rect(r.Left + l, r.Bottom - b, r.Right - rr, r.Bottom), Rect(ox + l, oy + h - b, ox + l + cw, oy + h), false);
  cornerPiece(r.Right - rr, r.Bottom - b, Rect(ox + w - rr, oy + h - b, ox + w, oy + h));
  cornerPiece(r.Right - rr, r.Top, Rect(ox + w - rr, oy, ox + w, oy + t));
  middle(Rect(r.Right - rr, r.Top + t, r.Right, r.Bottom - b), Rect(ox + w - rr, oy + t, ox + w, oy + t + ch), false);
  if (withCentre)
    middle(Rect(r.Left + l, r.Top + t, r.Right - rr, r.Bottom - b), Rect(ox + l, oy + t, ox + l + cw, oy + t + ch),
           true);
}

}  // namespace

void DrawBorder(const TPixelView& bmp, const TRect& r, bool updateCorners, int state, const TsMaskData& mask,
                const TCacheInfo& ci) {
  if (state == 0 && (mask.DrawMode & dmHotOnly)) return;
  const bool compose = updateCorners && mask.CornerType > 0;
  DrawBorderPieces(bmp, r, state, mask, mask.ImageCount, (mask.DrawMode & dmDrawCentre) != 0,
                   [&](int x, int y, const TRect& piece, const TPixelView& src, int maskOffset, bool masked) {
                     if (masked)
                       CopyMasked(bmp, x, y, src, piece, maskOffset, compose, ci);
                     else
                       CopyKeyed(bmp, x, y, src, piece, compose, ci);
                   });
}

void DrawBorderCutRegion(const TPixelView& bmp, std::vector<TRegionCut>& cuts, bool filling, int state,
                         const TsMaskData& mask) {
  if (mask.MaskType == 0) return;  // the mask rule needs a mask part
  const bool centre = filling && (mask.DrawMode & dmDrawCentre);
  DrawBorderPieces(bmp, bmp.Bounds(), state, mask, std::max<int>(mask.ImageCount, 1), centre,
                   [&](int x, int y, const TRect& piece, const TPixelView& src, int maskOffset, bool) {
                     CopyMasked(bmp, x, y, src, piece, maskOffset, false, TCacheInfo());
                     // Runs of key pixels leave the window's shape.
                     const TCopyClip c = ClipCopy(bmp, x, y, src, piece);
                     for (int row = 0; row < c.H; ++row) {
                       const uint32_t* s = src.Row(c.SrcY + row) + c.SrcX;
                       const int rowEnd = x + piece.Width();
                       for (int i = 0; i < c.W;) {
                         if (s[i] != KeyPixel) {
                           ++i;
                           continue;
                         }
                         int j = i;
                         while (j < c.W && s[j] == KeyPixel) ++j;
                         const int x0 = c.DstX + i, x1 = c.DstX + j;
                         cuts.push_back({Rect(x0, c.DstY + row, x1, c.DstY + row + 1), x1 != rowEnd});
                         i = j;
                       }
                     }
                   });
}

void DrawMaskImage(const TPixelView& bmp, TPoint pos, int state, const TCacheInfo& ci, const TsMaskData& mask,
                   int mode) {
  const int w = ImageWidth(mask), h = ImageHeight(mask);
  if (w <= 0 || h <= 0 || bmp.Empty()) return;
  const int sx = mask.R.Left + w * ClampState(state, mask.ImageCount);
  const TRect cell = Rect(sx, mask.R.Top, sx + w, mask.R.Top + h);
  const TPixelView src = MaskSource(mask);
  if (mask.Bmp) {
    const TRect in = IntersectRect(mask.R, src.Bounds());
    if (in.IsEmpty() || !(in == mask.R)) return;
  } else if (!mask.Manager || mask.ImageCount == 0) {
    return;
  }
  if (src.Empty()) return;
  if (mask.MaskType > 0) {
    // Glyph masked copy; modes other than 1 draw fainter.
    const TCopyClip c = ClipMaskedCopy(bmp, pos.X, pos.Y, src, cell, h);
    for (int row = 0; row < c.H; ++row) {
      uint32_t* d = bmp.Row(c.DstY + row) + c.DstX;
      const uint32_t* s = src.Row(c.SrcY + row) + c.SrcX;
      const uint32_t* m = src.Row(c.SrcY + row + h) + c.SrcX;
      for (int i = 0; i < c.W; ++i) {
        const uint32_t mr = Channel(m[i], 16);
        if (s[i] == KeyPixel || mr == 255) continue;
        uint32_t mm = m[i];
        if (mode != 1)
          mm = std::min<uint32_t>(Channel(mm, 0) + 100, 255) | (std::min<uint32_t>(Channel(mm, 8) + 100, 255) << 8) |
               (std::min<uint32_t>(Channel(mm, 16) + 100, 255) << 16);
        const uint32_t a = d[i] >> 24;
        d[i] = ((a + (((255 - a) * (255 - mr)) >> 8)) << 24) | MaskRulePixel(d[i], s[i], mm);
      }
    }
  } else if (mask.Bmp) {
    CopyKeyed(bmp, pos.X, pos.Y, src, cell, false, TCacheInfo());
  } else if (mode == 1) {
    CopyKeyed(bmp, pos.X, pos.Y, src, cell, true, ci);
  } else {
    BlendBitmapKeyed(bmp, pos.X, pos.Y, KeyPixel, 50, cell, src);
  }
}

void UpdateCornerPixels(const TPixelView& cache, const TsMaskData& mask, int state, int corners, const TCacheInfo& ci) {
  if (cache.Empty() || !mask.Manager) return;
  const TPixelView src = MaskSource(mask);
  if (src.Empty()) return;
  TRect r = mask.R;
  int count = mask.ImageCount, maskType = mask.MaskType;
  if (mask.Bmp && count == 0) {  // a whole picture of three cells with a mask part
    r = src.Bounds();
    count = 3;
    maskType = 1;
  }
  TsMaskData geometry;
  geometry.R = r;
  geometry.ImageCount = int16_t(count);
  geometry.MaskType = int16_t(maskType);
  const int w = ImageWidth(geometry), h = ImageHeight(geometry);
  if (w <= 0 || h <= 0) return;
  const int ox = r.Left + w * ClampState(state, count), oy = r.Top;
  const int wl = std::max<int>(mask.WL, 0), wt = std::max<int>(mask.WT, 0);
  const int wr = std::max<int>(mask.WR, 0), wb = std::max<int>(mask.WB, 0);
  const int cw = cache.Width, chh = cache.Height;
  struct TCorner {
    int Flag, W, H, ImgX, ImgY, CacheX, CacheY;
  };
  const TCorner list[] = {{crTopLeft, wl, wt, ox, oy, 0, 0},
                          {crBottomLeft, wl, wb, ox, oy + h - wb, 0, chh - wb},
                          {crBottomRight, wr, wb, ox + w - wr, oy + h - wb, cw - wr, chh - wb},
                          {crTopRight, wr, wt, ox + w - wr, oy, cw - wr, 0}};
  for (const TCorner& k : list) {
    if (!(corners & k.Flag)) continue;
    const TCopyClip c = ClipCopy(cache, k.CacheX, k.CacheY, src, Rect(k.ImgX, k.ImgY, k.ImgX + k.W, k.ImgY + k.H));
    for (int row = 0; row < c.H; ++row) {
      uint32_t* d = cache.Row(c.DstY + row) + c.DstX;
      const uint32_t* s = src.Row(c.SrcY + row) + c.SrcX;
      for (int i = 0; i < c.W; ++i) {
        if (s[i] != KeyPixel) continue;
        uint32_t bg;
        if (ci.Ready) {
          if (BackgroundPixel(ci, c.DstX + i, c.DstY + row, bg)) d[i] = bg | 0xFF000000;
        } else if (FillPixel(ci, bg)) {
          d[i] = bg;
        }
      }
    }
  }
}
