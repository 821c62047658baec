#include "paint/sGraphUtils.h"

#include "paint/sMaskDraw.h"
#include "skin/acSkinModel.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "paint/acCpuKernels.h"

namespace {

// Whole rows of two views that follow each other without gaps are one run.
struct TRuns {
  int Rows, Length;
};
inline TRuns Runs(const TCopyClip& c, const TPixelView& dst, const TPixelView& src) {
  if (c.W == dst.Stride && c.W == src.Stride && int64_t(c.W) * c.H <= INT32_MAX) return {1, c.W * c.H};
  return {c.H, c.W};
}
inline TRuns Runs(const TRect& c, const TPixelView& v) {
  if (c.Width() == v.Stride && int64_t(c.Width()) * c.Height() <= INT32_MAX) return {1, c.Width() * c.Height()};
  return {c.Height(), c.Width()};
}

// A weight w of 0..100 against a value whose other side is 100 - w:
// n = a x w + b x (100 - w) = 100 b + (a - b) x w, so n mod 100 can be 50
// (a tie to settle) only when w is not a multiple of 4.
constexpr bool TiesPossible(uint32_t w) { return w % 4 != 0; }

#if defined(__SSE2__)
// floor(t / 100) of 16-bit lanes t <= 43690: (t x 41944) >> 22 is exact there.
inline __m128i Floor100Lanes(__m128i t) {
  return _mm_srli_epi16(_mm_mulhi_epu16(t, _mm_set1_epi16(int16_t(41944))), 6);
}
// Eight 16-bit lanes n <= 25500 divided by 100, rounded half to even.
inline __m128i Div100Lanes(__m128i n) {
  // With t = n + 50 = 200 a + b (0 <= b < 200) the result is 2 a + [b > 100],
  // that is t div 200 + (t + 99) div 200; x div 200 = (x x 41944) >> 23 for
  // x <= 43690.
  const __m128i m = _mm_set1_epi16(int16_t(41944));
  const __m128i a = _mm_srli_epi16(_mm_mulhi_epu16(_mm_add_epi16(n, _mm_set1_epi16(50)), m), 7);
  const __m128i b = _mm_srli_epi16(_mm_mulhi_epu16(_mm_add_epi16(n, _mm_set1_epi16(149)), m), 7);
  return _mm_add_epi16(a, b);
}
// round((a + b) / 2) per byte, ties to even: the rounded-up mean, one less
// where the sum is odd and that mean is odd. The 50 % blends are all this.
inline __m128i HalfBytes(__m128i a, __m128i b) {
  const __m128i up = _mm_avg_epu8(a, b);
  return _mm_sub_epi8(up, _mm_and_si128(_mm_and_si128(_mm_xor_si128(a, b), up), _mm_set1_epi8(1)));
}
// Lanes n with no possible tie: (n + 50) div 100.
inline __m128i Round100Lanes(__m128i n, bool ties) {
  return ties ? Div100Lanes(n) : Floor100Lanes(_mm_add_epi16(n, _mm_set1_epi16(50)));
}
#endif

#if QN_WIDE_KERNELS
QN_WIDE inline __m256i Round100Wide(__m256i n, bool ties) {
  if (!ties) {
    // (n + 50) div 100 for n <= 25500: y = (n x 41944) >> 16 is n x 0.64
    // plus less than 0.6 / 64, and (y x 512 + 2^14) >> 15 = (y + 32) >> 6.
    return _mm256_mulhrs_epi16(_mm256_mulhi_epu16(n, _mm256_set1_epi16(int16_t(41944))), _mm256_set1_epi16(512));
  }
  // As Div100Lanes: (n + 50) div 200 + (n + 149) div 200.
  const __m256i m = _mm256_set1_epi16(int16_t(41944));
  const __m256i a = _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_add_epi16(n, _mm256_set1_epi16(50)), m), 7);
  const __m256i b = _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_add_epi16(n, _mm256_set1_epi16(149)), m), 7);
  return _mm256_add_epi16(a, b);
}
QN_WIDE inline __m256i HalfBytesWide(__m256i a, __m256i b) {
  const __m256i up = _mm256_avg_epu8(a, b);
  return _mm256_sub_epi8(up, _mm256_and_si256(_mm256_and_si256(_mm256_xor_si256(a, b), up), _mm256_set1_epi8(1)));
}

// 50 %: the colour blend and the keyed blend as rounded byte means.
QN_WIDE int HalfColorRowWide(uint32_t* px, int n, uint32_t k) {
  const __m256i alpha = _mm256_set1_epi32(int32_t(0xFF000000)), kv = _mm256_set1_epi32(int32_t(k));
  int x = 0;
  for (; x + 8 <= n; x += 8) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(px + x));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(px + x), _mm256_blendv_epi8(HalfBytesWide(v, kv), v, alpha));
  }
  return x;
}
QN_WIDE int HalfKeyedRowWide(uint32_t* d, const uint32_t* s, int n, uint32_t key) {
  const __m256i alpha = _mm256_set1_epi32(int32_t(0xFF000000)), vk = _mm256_set1_epi32(int32_t(key));
  int x = 0;
  for (; x + 8 <= n; x += 8) {
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + x));
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + x));
    const __m256i keep = _mm256_or_si256(_mm256_cmpeq_epi32(sv, vk), alpha);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + x), _mm256_blendv_epi8(HalfBytesWide(sv, dv), dv, keep));
  }
  return x;
}

// The rows of BlendColorRect, BlendBitmapRect and BlendBitmapKeyed eight
// pixels at a time; each returns how many pixels it did.
// The alpha lanes are weighed 100 against nothing, so they come out as they
// went in without a blend.
QN_WIDE int BlendColorRowWide(uint32_t* px, int n, uint32_t p, uint32_t k, bool ties) {
  // Byte pairs (pixel, colour) against (p, 100 - p): one multiply-add gives
  // v x p + k x (100 - p); the alpha pair against (100, 0) keeps the alpha.
  const __m256i kv = _mm256_set1_epi32(int32_t(k));
  const int16_t wc = int16_t(((100 - p) << 8) | p), wa = 100;
  const __m256i w = _mm256_setr_epi16(wc, wc, wc, wa, wc, wc, wc, wa, wc, wc, wc, wa, wc, wc, wc, wa);
  int x = 0;
  if (ties) {
    for (; x + 8 <= n; x += 8) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(px + x));
      const __m256i lo = Round100Wide(_mm256_maddubs_epi16(_mm256_unpacklo_epi8(v, kv), w), true);
      const __m256i hi = Round100Wide(_mm256_maddubs_epi16(_mm256_unpackhi_epi8(v, kv), w), true);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(px + x), _mm256_packus_epi16(lo, hi));
    }
    return x;
  }
  for (; x + 8 <= n; x += 8) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(px + x));
    const __m256i lo = Round100Wide(_mm256_maddubs_epi16(_mm256_unpacklo_epi8(v, kv), w), false);
    const __m256i hi = Round100Wide(_mm256_maddubs_epi16(_mm256_unpackhi_epi8(v, kv), w), false);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(px + x), _mm256_packus_epi16(lo, hi));
  }
  return x;
}

// Without ties and below 100 %: the result is floor(q) for
// q = (v x p + k x (100 - p) + 50) / 100, whose fraction is at most 0.99.
// With v the high byte of a 16-bit lane, (v x 256 x A) >> 16 for
// A = ceil(p x 65536 / 100) plus C = ceil(256 x (k x (100 - p) + 50) / 100)
// has floor(q) as its high byte (checked for every such p, k and v). The
// alpha goes through as ((a x 256 x 65535) >> 16) + 1.
struct TColorBlend16 {
  __m512i AE, CE, AO, CO;
};
QN_WIDE_MASKED inline __m512i BlendColor16(__m512i v, const TColorBlend16& w) {
  // Byte moves as shuffles, which leave the port of the multiplies free.
  const __m512i down = _mm512_set4_epi32(0x0F0F0D0D, 0x0B0B0909, 0x07070505, 0x03030101);
  const __m512i e = _mm512_add_epi16(_mm512_mulhi_epu16(LowBytesUp(v), w.AE), w.CE);  // blue, red
  const __m512i o = _mm512_add_epi16(_mm512_mulhi_epu16(_mm512_and_si512(v, _mm512_set1_epi16(int16_t(0xFF00))), w.AO),
                                     w.CO);  // green, alpha
  // The even bytes from the high bytes of e.
  return _mm512_mask_shuffle_epi8(o, __mmask64(0x5555555555555555u), e, down);
}
QN_WIDE_MASKED int BlendColorRowWideMasked(uint32_t* px, int n, uint32_t p, uint32_t k) {
  const uint16_t a = uint16_t((p * 65536 + 99) / 100);
  auto bias = [&](int shift) { return uint16_t((256 * (((k >> shift) & 0xFF) * (100 - p) + 50) + 99) / 100); };
  const uint32_t cb = bias(0), cg = bias(8), cr = bias(16);
  struct {
    TColorBlend16 W;
    uint32_t* Px;
    QN_WIDE_MASKED void operator()(int i, __mmask16 m) const {
      Store16(Px + i, m, BlendColor16(Load16(Px + i, m), W));
    }
  } step{{_mm512_set1_epi16(int16_t(a)), _mm512_set1_epi32(int32_t(cb | cr << 16)),
          _mm512_set1_epi32(int32_t(0xFFFF0000u | a)), _mm512_set1_epi32(int32_t(0x00010000u | cg))},
         px};
  EachSixteen(px, n, step);
  return n;
}

QN_WIDE int BlendRectRowWide(uint32_t* d, const uint32_t* s, int n, uint32_t a) {
  const __m256i zero = _mm256_setzero_si256(), alpha = _mm256_set1_epi32(int32_t(0xFF000000));
  int x = 0;
  if (a >= 2 && a <= 254) {
    // a x d + (256 - a) x s as two byte multiply-adds of the pairs (d, s),
    // a = a1 + a2 with 1 <= a1, a2 <= 127: (a1, 128 - a1) and (a2, 128 - a2)
    // fit signed bytes and each sum stays below 2^15. An even a needs one.
    const uint32_t a1 = a / 2, a2 = a - a1;
    const __m256i w1 = _mm256_set1_epi16(int16_t(((128 - a1) << 8) | a1));
    const __m256i w2 = _mm256_set1_epi16(int16_t(((128 - a2) << 8) | a2));
    if (a1 == a2) {
      for (; x + 8 <= n; x += 8) {
        const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + x));
        const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + x));
        const __m256i lo = _mm256_srli_epi16(_mm256_maddubs_epi16(_mm256_unpacklo_epi8(dv, sv), w1), 7);
        const __m256i hi = _mm256_srli_epi16(_mm256_maddubs_epi16(_mm256_unpackhi_epi8(dv, sv), w1), 7);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + x), _mm256_blendv_epi8(_mm256_packus_epi16(lo, hi), dv, alpha));
      }
      return x;
    }
    for (; x + 8 <= n; x += 8) {
      const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + x));
      const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + x));
      const __m256i pl = _mm256_unpacklo_epi8(dv, sv), ph = _mm256_unpackhi_epi8(dv, sv);
      const __m256i lo = _mm256_srli_epi16(_mm256_add_epi16(_mm256_maddubs_epi16(pl, w1), _mm256_maddubs_epi16(pl, w2)), 8);
      const __m256i hi = _mm256_srli_epi16(_mm256_add_epi16(_mm256_maddubs_epi16(ph, w1), _mm256_maddubs_epi16(ph, w2)), 8);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + x), _mm256_blendv_epi8(_mm256_packus_epi16(lo, hi), dv, alpha));
    }
    return x;
  }
  const __m256i va = _mm256_set1_epi16(int16_t(a)), vna = _mm256_set1_epi16(int16_t(256 - a));
  for (; x + 8 <= n; x += 8) {
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + x));
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + x));
    const __m256i lo = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(dv, zero), va),
                                                          _mm256_mullo_epi16(_mm256_unpacklo_epi8(sv, zero), vna)), 8);
    const __m256i hi = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(dv, zero), va),
                                                          _mm256_mullo_epi16(_mm256_unpackhi_epi8(sv, zero), vna)), 8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + x), _mm256_blendv_epi8(_mm256_packus_epi16(lo, hi), dv, alpha));
  }
  return x;
}

// BlendRectRowWide with sixteen pixels a step for a of 2..254. The pairs
// (d, s) give a x d + (256 - a) x s as there; the result is the high byte
// of that sum (doubled first when it is made of one half, a even), so one
// byte permute stands for two shifts and a pack. Alpha bytes keep d.
template <bool Even>
struct TRectBlend16 {
  uint32_t* D;
  const uint32_t* S;
  __m512i W1, W2;
  QN_WIDE_MASKED void operator()(int i, __mmask16 m) const {
    const __m512i dv = Load16(D + i, m), sv = Load16(S + i, m);
    const __m512i pl = _mm512_unpacklo_epi8(dv, sv), ph = _mm512_unpackhi_epi8(dv, sv);
    __m512i lo, hi;
    if (Even) {
      lo = _mm512_maddubs_epi16(pl, W1), hi = _mm512_maddubs_epi16(ph, W1);
      lo = _mm512_add_epi16(lo, lo), hi = _mm512_add_epi16(hi, hi);
    } else {
      lo = _mm512_add_epi16(_mm512_maddubs_epi16(pl, W1), _mm512_maddubs_epi16(pl, W2));
      hi = _mm512_add_epi16(_mm512_maddubs_epi16(ph, W1), _mm512_maddubs_epi16(ph, W2));
    }
    const __m512i out = _mm512_mask_blend_epi8(__mmask64(0x8888888888888888u), HighBytesInOrder(lo, hi), dv);
    Store16(D + i, m, out);
  }
};
// a = 128: (d + s) >> 1; alpha bytes keep d.
struct TRectMean16 {
  uint32_t* D;
  const uint32_t* S;
  QN_WIDE_MASKED void operator()(int i, __mmask16 m) const {
    const __m512i dv = Load16(D + i, m);
    Store16(D + i, m, FloorMeanBytes(dv, Load16(S + i, m), __mmask64(0x7777777777777777u)));
  }
};
QN_WIDE_MASKED int BlendRectRowWideMasked(uint32_t* d, const uint32_t* s, int n, uint32_t a) {
  if (a == 128) {
    EachSixteen(d, n, TRectMean16{d, s});
    return n;
  }
  const uint32_t a1 = a / 2, a2 = a - a1;
  const __m512i w1 = _mm512_set1_epi16(int16_t(((128 - a1) << 8) | a1));
  const __m512i w2 = _mm512_set1_epi16(int16_t(((128 - a2) << 8) | a2));
  if (a1 == a2)
    EachSixteen(d, n, TRectBlend16<true>{d, s, w1, w2});
  else
    EachSixteen(d, n, TRectBlend16<false>{d, s, w1, w2});
  return n;
}

// Byte pairs (src, dst) against (100 - f, f): one multiply-add gives
// s x (100 - f) + d x f; the alpha pair against (0, 100) keeps d.
QN_WIDE inline __m256i KeyedWeights(uint32_t f) {
  const int16_t wc = int16_t((f << 8) | (100 - f)), wa = int16_t(100 << 8);
  return _mm256_setr_epi16(wc, wc, wc, wa, wc, wc, wc, wa, wc, wc, wc, wa, wc, wc, wc, wa);
}
QN_WIDE inline __m256i KeyedEight(__m256i dv, __m256i sv, __m256i w, bool ties) {
  const __m256i lo = Round100Wide(_mm256_maddubs_epi16(_mm256_unpacklo_epi8(sv, dv), w), ties);
  const __m256i hi = Round100Wide(_mm256_maddubs_epi16(_mm256_unpackhi_epi8(sv, dv), w), ties);
  return _mm256_packus_epi16(lo, hi);
}

QN_WIDE int BlendKeyedRowWide(uint32_t* d, const uint32_t* s, int n, uint32_t key, uint32_t f, bool ties) {
  const __m256i vk = _mm256_set1_epi32(int32_t(key)), w = KeyedWeights(f);
  int x = 0;
  for (; x + 8 <= n; x += 8) {
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + x));
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + x));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + x),
                        _mm256_blendv_epi8(KeyedEight(dv, sv, w, ties), dv, _mm256_cmpeq_epi32(sv, vk)));
  }
  return x;
}

// How the 512-bit keyed blend divides: by 100 where ties cannot come up, by
// 100 rounding ties to even, or by 5 (a factor that is a multiple of 20 has
// weights of fifths: (s x (5 - f / 20) + d x f / 20) / 5, never a tie).
enum class TKeyedDivide { Hundred, HundredTies, Five };

// As BlendKeyedRowWide sixteen pixels a step, key pixels left out of the store.
template <TKeyedDivide Divide>
struct TKeyedBlend16 {
  uint32_t* D;
  const uint32_t* S;
  __m512i Key, W;
  QN_WIDE_MASKED static __m512i RoundedQuotient(__m512i n) {
    // n <= 1275: (n x 6554 + 2^14) >> 15 is n / 5 + 1 / 2 off by under 1 / 60.
    if constexpr (Divide == TKeyedDivide::Five) return _mm512_mulhrs_epi16(n, _mm512_set1_epi16(6554));
    const __m512i m = _mm512_set1_epi16(int16_t(41944));
    if constexpr (Divide == TKeyedDivide::Hundred) return _mm512_mulhrs_epi16(_mm512_mulhi_epu16(n, m), _mm512_set1_epi16(512));
    const __m512i a = _mm512_srli_epi16(_mm512_mulhi_epu16(_mm512_add_epi16(n, _mm512_set1_epi16(50)), m), 7);
    const __m512i b = _mm512_srli_epi16(_mm512_mulhi_epu16(_mm512_add_epi16(n, _mm512_set1_epi16(149)), m), 7);
    return _mm512_add_epi16(a, b);
  }
  QN_WIDE_MASKED void operator()(int i, __mmask16 m) const {
    const __m512i dv = Load16(D + i, m), sv = Load16(S + i, m);
    const __m512i lo = RoundedQuotient(_mm512_maddubs_epi16(_mm512_unpacklo_epi8(sv, dv), W));
    const __m512i hi = RoundedQuotient(_mm512_maddubs_epi16(_mm512_unpackhi_epi8(sv, dv), W));
    _mm512_mask_storeu_epi32(D + i, _mm512_mask_cmpneq_epi32_mask(m, sv, Key), _mm512_packus_epi16(lo, hi));
  }
};
QN_WIDE_MASKED int BlendKeyedRowWideMasked(uint32_t* d, const uint32_t* s, int n, uint32_t key, uint32_t f,
                                           bool ties) {
  const uint32_t unit = f % 20 == 0 ? 20 : 1;  // weights in fifths where they can be
  const int16_t wc = int16_t((f / unit << 8) | (100 - f) / unit), wa = int16_t(100 / unit << 8);
  const __m512i w = _mm512_set4_epi32(wa << 16 | uint16_t(wc), wc << 16 | uint16_t(wc), wa << 16 | uint16_t(wc),
                                      wc << 16 | uint16_t(wc));
  const __m512i k = _mm512_set1_epi32(int32_t(key));
  if (unit == 20)
    EachSixteen(d, n, TKeyedBlend16<TKeyedDivide::Five>{d, s, k, w});
  else if (ties)
    EachSixteen(d, n, TKeyedBlend16<TKeyedDivide::HundredTies>{d, s, k, w});
  else
    EachSixteen(d, n, TKeyedBlend16<TKeyedDivide::Hundred>{d, s, k, w});
  return n;
}
#endif

// n / 100 rounded, ties to even; n <= 25500 here.
inline uint32_t Div100(uint32_t n) { return DivRoundHalfEven(n, 100); }

inline uint32_t Channel(uint32_t p, int shift) { return (p >> shift) & 0xFF; }

#if QN_WIDE_KERNELS
// n pixels of a row from a tile row of sw pixels starting at column sx: a
// call to the C library per tile costs more than the copy itself at the
// widths of controls. The tile and the row never overlap.
QN_WIDE void TileRowWide(uint32_t* d, int n, const uint32_t* s, int sw, int sx) {
  int x = 0;
  while (x < n) {
    const int k = std::min(sw - sx, n - x);
    const uint32_t* from = s + sx;
    uint32_t* to = d + x;
    if (k >= 8) {
      // One unaligned store, then stores on 32-byte boundaries of the row.
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from)));
      int i = 8 - int((reinterpret_cast<uintptr_t>(to) >> 2) & 7);
      for (; i + 8 <= k; i += 8)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + i), _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + i)));
      if (i < k)  // the last eight again, overlapping what is done
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + k - 8),
                            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + k - 8)));
    } else {
      for (int i = 0; i < k; ++i) to[i] = from[i];
    }
    x += k;
    sx = 0;
  }
}

// TileRowWide over the rows of an area with 64-byte copies: row y takes tile
// row ty, which goes round after sh. A piece shorter than one copy is one
// masked copy, which the rows of a narrow area or the last pixel of a row
// after the last whole tile take.
QN_WIDE_MASKED void TileRows512(uint32_t* d, ptrdiff_t dstStride, int rows, int n, const uint32_t* s,
                                ptrdiff_t srcStride, int sh, int ty, int sw, int phaseX) {
  for (int y = 0; y < rows; ++y, d += dstStride, ty = ty + 1 == sh ? 0 : ty + 1) {
    const uint32_t* tile = s + ty * srcStride;
    for (int x = 0, sx = phaseX; x < n; sx = 0) {
      const int k = std::min(sw - sx, n - x);
      const uint32_t* from = tile + sx;
      uint32_t* to = d + x;
      if (k >= 16) {
        int i = 0;
        for (; i + 16 <= k; i += 16) _mm512_storeu_si512(to + i, _mm512_loadu_si512(from + i));
        if (i < k)  // the last sixteen again, overlapping what is done
          _mm512_storeu_si512(to + k - 16, _mm512_loadu_si512(from + k - 16));
      } else {
        const __mmask16 m = FirstLanes(k);
        _mm512_mask_storeu_epi32(to, m, _mm512_maskz_loadu_epi32(m, from));
      }
      x += k;
    }
  }
}
#endif

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
#if QN_WIDE_KERNELS
  // The 64-byte copies win while the area stays in the first-level cache
  // (32 KB); past it, stores across two lines that are not there cost more
  // than twice the 32-byte stores on line boundaries of TileRowWide.
  if (int64_t(a.Width()) * a.Height() <= 8192 && HasMaskedWideKernels()) {
    TileRows512(dst.Row(a.Top) + a.Left, dst.Stride, a.Height(), a.Width(), src.Row(srcRect.Top) + srcRect.Left,
                src.Stride, sh, mod(a.Top - originY, sh), sw, phaseX);
    return;
  }
  const bool wide = HasWideKernels();
#endif
  // The tile row follows the destination row without a division per row.
  for (int y = a.Top, ty = mod(a.Top - originY, sh); y < a.Bottom; ++y, ty = ty + 1 == sh ? 0 : ty + 1) {
    const uint32_t* s = src.Row(srcRect.Top + ty) + srcRect.Left;
    uint32_t* d = dst.Row(y);
#if QN_WIDE_KERNELS
    if (wide) {
      TileRowWide(d + a.Left, a.Width(), s, sw, phaseX);
      continue;
    }
#endif
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
  const bool ties = TiesPossible(p);
  const TRuns runs = Runs(c, bmp);
  auto one = [&](uint32_t v) {
    return (v & 0xFF000000) | Div100(Channel(v, 0) * p + kb) | (Div100(Channel(v, 8) * p + kg) << 8) |
           (Div100(Channel(v, 16) * p + kr) << 16);
  };
#if QN_WIDE_KERNELS
  const bool wide = HasWideKernels(), masks = !ties && p < 100 && HasMaskedWideKernels();
#endif
  for (int y = 0; y < runs.Rows; ++y) {
    uint32_t* px = bmp.Row(c.Top + y) + c.Left;
    const int n = runs.Length;
    int x = 0;
#if QN_WIDE_KERNELS
    if (masks)
      x = BlendColorRowWideMasked(px, n, p, k);
    else if (wide)
      x = p == 50 ? HalfColorRowWide(px, n, k) : BlendColorRowWide(px, n, p, k, ties);
#endif
#if defined(__SSE2__)
    if (p == 50) {
      const __m128i alpha = _mm_set1_epi32(int32_t(0xFF000000)), kv = _mm_set1_epi32(int32_t(k));
      for (; x + 4 <= n; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px + x));
        const __m128i out = _mm_or_si128(_mm_and_si128(v, alpha), _mm_andnot_si128(alpha, HalfBytes(v, kv)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(px + x), out);
      }
    } else {
      // Alpha lanes weighed 100 against nothing come out unchanged; without
      // ties the rounding 50 goes into the colour term.
      const __m128i zero = _mm_setzero_si128();
      const int16_t m = int16_t(p), h = ties ? 0 : 50;
      const int16_t b = int16_t(kb + h), g = int16_t(kg + h), rr = int16_t(kr + h);
      const __m128i mul = _mm_setr_epi16(m, m, m, 100, m, m, m, 100);
      const __m128i add = _mm_setr_epi16(b, g, rr, h, b, g, rr, h);
      for (; x + 4 <= n; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px + x));
        const __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), mul), add);
        const __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), mul), add);
        const __m128i out = ties ? _mm_packus_epi16(Div100Lanes(lo), Div100Lanes(hi))
                                 : _mm_packus_epi16(Floor100Lanes(lo), Floor100Lanes(hi));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(px + x), out);
      }
    }
#endif
    for (; x < n; ++x) px[x] = one(px[x]);
  }
}

void BlendBitmapRect(const TPixelView& dst, const TPixelView& src, int alpha, TPoint dstPoint, const TRect& srcRect) {
  const TCopyClip c = ClipCopy(dst, dstPoint.X, dstPoint.Y, src, srcRect);
  if (c.Empty()) return;
  // a x (d - s) + s x 256 == a x d + (256 - a) x s: no negative terms, so
  // red and blue share one multiply.
  const uint32_t a = uint32_t(std::clamp(alpha, 0, 255)), na = 256 - a;
  const TRuns runs = Runs(c, dst, src);
#if QN_WIDE_KERNELS
  const bool wide = HasWideKernels(), masks = a >= 2 && a <= 254 && HasMaskedWideKernels();
#endif
  for (int y = 0; y < runs.Rows; ++y) {
    uint32_t* d = dst.Row(c.DstY + y) + c.DstX;
    const uint32_t* s = src.Row(c.SrcY + y) + c.SrcX;
    const int n = runs.Length;
    int x = 0;
#if QN_WIDE_KERNELS
    if (masks)
      x = BlendRectRowWideMasked(d, s, n, a);
    else if (wide)
      x = BlendRectRowWide(d, s, n, a);
#endif
#if defined(__SSE2__)
    {
      const __m128i zero = _mm_setzero_si128();
      // The alpha lanes weighed 256 against 0 come out unchanged.
      const int16_t wa = int16_t(a), wn = int16_t(na);
      const __m128i va = _mm_setr_epi16(wa, wa, wa, 256, wa, wa, wa, 256);
      const __m128i vna = _mm_setr_epi16(wn, wn, wn, 0, wn, wn, wn, 0);
      for (; x + 4 <= n; x += 4) {
        const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + x));
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
        const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(dv, zero), va),
                                                        _mm_mullo_epi16(_mm_unpacklo_epi8(sv, zero), vna)), 8);
        const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(dv, zero), va),
                                                        _mm_mullo_epi16(_mm_unpackhi_epi8(sv, zero), vna)), 8);
        const __m128i out = _mm_packus_epi16(lo, hi);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), out);
      }
    }
#endif
    for (; x < n; ++x) {
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
  const bool ties = TiesPossible(f);
  const TRuns runs = Runs(c, dst, src);
#if QN_WIDE_KERNELS
  const bool wide = HasWideKernels(), masks = HasMaskedWideKernels();
#endif
  for (int y = 0; y < runs.Rows; ++y) {
    uint32_t* d = dst.Row(c.DstY + y) + c.DstX;
    const uint32_t* s = src.Row(c.SrcY + y) + c.SrcX;
    const int n = runs.Length;
    int x = 0;
#if QN_WIDE_KERNELS
    if (wide && f == 50)
      x = HalfKeyedRowWide(d, s, n, key);
    else if (masks)
      x = BlendKeyedRowWideMasked(d, s, n, key, f, ties);
    else if (wide)
      x = BlendKeyedRowWide(d, s, n, key, f, ties);
#endif
#if defined(__SSE2__)
    if (f == 50) {
      const __m128i alpha = _mm_set1_epi32(int32_t(0xFF000000)), vk = _mm_set1_epi32(int32_t(key));
      for (; x + 4 <= n; x += 4) {
        const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + x));
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
        const __m128i keep = _mm_or_si128(_mm_cmpeq_epi32(sv, vk), alpha);
        const __m128i out = _mm_or_si128(_mm_and_si128(dv, keep), _mm_andnot_si128(keep, HalfBytes(sv, dv)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), out);
      }
    } else {
      const __m128i zero = _mm_setzero_si128();
      const __m128i vk = _mm_set1_epi32(int32_t(key));
      // The alpha lanes weighed 100 on the destination come out unchanged.
      const int16_t wf = int16_t(f), wn = int16_t(nf);
      const __m128i vf = _mm_setr_epi16(wf, wf, wf, 100, wf, wf, wf, 100);
      const __m128i vnf = _mm_setr_epi16(wn, wn, wn, 0, wn, wn, wn, 0);
      for (; x + 4 <= n; x += 4) {
        const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + x));
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
        const __m128i lo = Round100Lanes(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(sv, zero), vnf),
                                                       _mm_mullo_epi16(_mm_unpacklo_epi8(dv, zero), vf)), ties);
        const __m128i hi = Round100Lanes(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(sv, zero), vnf),
                                                       _mm_mullo_epi16(_mm_unpackhi_epi8(dv, zero), vf)), ties);
        // Destination kept where the source is the key.
        const __m128i keep = _mm_cmpeq_epi32(sv, vk);
        const __m128i out = _mm_or_si128(_mm_and_si128(dv, keep), _mm_andnot_si128(keep, _mm_packus_epi16(lo, hi)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), out);
      }
    }
#endif
    for (; x < n; ++x) {
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

void StretchSpan(int dstLen, int srcStart, int srcLen, int availLo, int availHi, int& lo, int& hi) {
  // Destination i takes source srcStart + floor((2i + 1) x srcLen / (2 x dstLen));
  // the first i reaching source srcStart + k is ceil((2 x dstLen x k - srcLen) / (2 x srcLen)).
  auto first = [&](int64_t k) -> int {
    if (k <= 0) return 0;
    const int64_t n = 2 * int64_t(dstLen) * k - srcLen, d = 2 * int64_t(srcLen);
    return int(std::min<int64_t>((n + d - 1) / d, dstLen));
  };
  lo = hi = 0;
  if (dstLen <= 0 || srcLen <= 0 || availLo >= availHi) return;
  lo = first(int64_t(availLo) - srcStart);
  hi = first(int64_t(availHi) - srcStart);
}

void StretchCopy(const TPixelView& dst, const TRect& dstRect, const TPixelView& src, const TRect& srcRect,
                 const TRect& clip) {
  const TRect s = ClipRectToView(srcRect, src);
  const int dw = dstRect.Width(), dh = dstRect.Height(), fullW = srcRect.Width(), fullH = srcRect.Height();
  if (s.IsEmpty() || dw <= 0 || dh <= 0) return;
  // Only the destination part whose source exists: the picture keeps its place.
  int x0, x1, y0, y1;
  StretchSpan(dw, srcRect.Left, fullW, s.Left, s.Right, x0, x1);
  StretchSpan(dh, srcRect.Top, fullH, s.Top, s.Bottom, y0, y1);
  const TRect d = IntersectRect(IntersectRect(ClipRectToView(dstRect, dst), clip),
                                Rect(dstRect.Left + x0, dstRect.Top + y0, dstRect.Left + x1, dstRect.Top + y1));
  if (d.IsEmpty()) return;
  const int64_t sw = fullW, sh = fullH;
  std::vector<int> xs(size_t(d.Width()));
  for (int x = d.Left; x < d.Right; ++x)
    xs[size_t(x - d.Left)] = srcRect.Left + int((2 * int64_t(x - dstRect.Left) + 1) * sw / (2 * int64_t(dw)));
  int lastRow = -1;
  for (int y = d.Top; y < d.Bottom; ++y) {
    const int sy = srcRect.Top + int((2 * int64_t(y - dstRect.Top) + 1) * sh / (2 * int64_t(dh)));
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
