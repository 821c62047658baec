#include "paint/acPixelView.h"

#include <algorithm>
#include <cwchar>

#include "paint/acCpuKernels.h"

void TCoverage8::SetSize(int width, int height, uint8_t value) {
  if (width <= 0 || height <= 0 || width > TBitmap32::MaxDimension || height > TBitmap32::MaxDimension)
    width = height = 0;
  FWidth = width;
  FHeight = height;
  FData.assign(size_t(width) * size_t(height), value);
}

#if QN_WIDE_KERNELS
namespace {

// Short runs (a row of a gradient or a border band) cost more in the call to
// the C library than in the stores: 32 bytes a store, the last one
// overlapping the one before.
QN_WIDE void FillWide(uint32_t* p, size_t n, uint32_t value) {
  const __m256i v = _mm256_set1_epi32(int32_t(value));
  // One unaligned store, then 32-byte boundaries: no store splits a cache line.
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
  size_t i = 8 - ((reinterpret_cast<uintptr_t>(p) >> 2) & 7);
  for (; i + 32 <= n; i += 32) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i), v);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i + 8), v);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i + 16), v);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i + 24), v);
  }
  for (; i + 8 <= n; i += 8) _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i), v);
  if (i < n) _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + n - 8), v);
}

QN_WIDE void FillRowsWide(uint32_t* p, size_t n, ptrdiff_t stride, int rows,
                                                  const uint32_t* colours) {
  for (int r = 0; r < rows; ++r, p += stride) {
    const __m256i v = _mm256_set1_epi32(int32_t(colours[r]));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
    size_t i = 8 - ((reinterpret_cast<uintptr_t>(p) >> 2) & 7);
    for (; i + 16 <= n; i += 16) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i), v);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i + 8), v);
    }
    if (i + 8 <= n) _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i), v), i += 8;
    if (i < n) _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + n - 8), v);
  }
}
// The same with 64-byte stores where the processor has them; a row shorter
// than one store is one masked store.
QN_WIDE_MASKED void FillRows512(uint32_t* p, size_t n, ptrdiff_t stride, int rows, const uint32_t* colours) {
  for (int r = 0; r < rows; ++r, p += stride) {
    const __m512i v = _mm512_set1_epi32(int32_t(colours[r]));
    if (n < 16) {
      _mm512_mask_storeu_epi32(p, __mmask16((1u << n) - 1), v);
      continue;
    }
    _mm512_storeu_si512(p, v);
    size_t i = 16 - ((reinterpret_cast<uintptr_t>(p) >> 2) & 15);
    for (; i + 16 <= n; i += 16) _mm512_storeu_si512(p + i, v);
    if (i < n) _mm512_storeu_si512(p + n - 16, v);
  }
}
// Rows of n >= 16 pixels one right after the other: every store is to one
// whole 64-byte line, the line where a row ends and the next begins a blend
// of the two colours. Every row fills the same count of lines and then the
// next one, which it covers or which the next row's blend writes again: the
// loop's count stays the same from row to row and no branch depends on
// where a row ends (a store with a mask of none costs more than a store).
QN_WIDE_MASKED void FillRunOfRows512(uint32_t* p, size_t n, int rows, const uint32_t* colours) {
  const size_t lead = (reinterpret_cast<uintptr_t>(p) >> 2) & 15;  // pixels of p's line before p
  uint32_t* const line = reinterpret_cast<uint32_t*>(reinterpret_cast<uintptr_t>(p) - 4 * lead);
  const size_t whole = n / 16 - 1;  // lines after the first that every row fills
  __m512i prev = _mm512_set1_epi32(int32_t(colours[0]));
  _mm512_mask_storeu_epi32(line, __mmask16(0xFFFFu << lead), prev);
  size_t lo = lead;  // where row r starts, from line
  for (int r = 1;; ++r) {
    // The lines after the one where the row starts.
    uint32_t* q = line + (lo & ~size_t(15)) + 16;
    // Unrolled: on rows of a few lines the count and branch of each store
    // cost as much as the store (129x26: 97 to 76 ns).
#pragma GCC unroll 4
    for (size_t k = 0; k < whole; ++k, q += 16) _mm512_store_si512(q, prev);
    lo += n;
    if (r == rows) {
      // The last row's next line only if the row covers it; the end is below.
      const unsigned covered = unsigned(std::min(int(line + lo - q), 16)) >> 4;
      _mm512_mask_store_epi32(q, __mmask16(0xFFFFu * covered), prev);
      break;
    }
    _mm512_store_si512(q, prev);
    const __m512i v = _mm512_set1_epi32(int32_t(colours[r]));
    _mm512_store_si512(line + (lo & ~size_t(15)), _mm512_mask_blend_epi32(__mmask16(0xFFFFu << (lo & 15)), prev, v));
    prev = v;
  }
  if (lo & 15) _mm512_mask_storeu_epi32(line + (lo & ~size_t(15)), FirstLanes(int(lo & 15)), prev);
}
}  // namespace
#endif

void FillRowsOfColours(uint32_t* p, size_t width, ptrdiff_t stride, int rows, const uint32_t* colours) {
  if (rows <= 0 || width == 0) return;  // the line-by-line fill writes its first line before looking
#if QN_WIDE_KERNELS
  if (width >= 16 && ptrdiff_t(width) == stride && HasMaskedWideKernels()) {
    FillRunOfRows512(p, width, rows, colours);
    return;
  }
  if (width >= 1 && width <= 4096 && HasMaskedWideKernels()) {
    FillRows512(p, width, stride, rows, colours);
    return;
  }
  if (width >= 8 && width <= 4096 && HasWideKernels()) {
    FillRowsWide(p, width, stride, rows, colours);
    return;
  }
#endif
  for (int r = 0; r < rows; ++r) FillPixels(p + r * stride, width, colours[r]);
}

void FillPixels(uint32_t* p, size_t n, uint32_t value) {
#if QN_WIDE_KERNELS
  if (n >= 1 && n <= 4096 && HasMaskedWideKernels()) {
    FillRows512(p, n, 0, 1, &value);
    return;
  }
  if (n >= 8 && n <= 4096 && HasWideKernels()) {
    FillWide(p, n, value);
    return;
  }
#endif
  if constexpr (sizeof(wchar_t) == sizeof(uint32_t)) {
    // The C library's wide fill uses the widest stores the processor has.
    std::wmemset(reinterpret_cast<wchar_t*>(p), wchar_t(value), n);
  } else {
#if defined(__x86_64__) && defined(__GNUC__)
#if defined(__SSE2__)
    // Short rows: the string store's start costs more than 16-byte stores.
    if (n >= 4 && n <= 512) {
      const __m128i v = _mm_set1_epi32(int32_t(value));
      size_t i = 0;
      for (; i + 16 <= n; i += 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i + 4), v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i + 8), v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i + 12), v);
      }
      for (; i + 4 <= n; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), v);
      if (i < n) _mm_storeu_si128(reinterpret_cast<__m128i*>(p + n - 4), v);
      return;
    }
#endif
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
