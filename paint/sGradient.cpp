#include "paint/sGradient.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "paint/acCpuKernels.h"

TacTriangleGradientFunc acTriangleGradient = nullptr;

namespace {

inline uint32_t Channel(uint32_t p, int shift) { return (p >> shift) & 0xFF; }

#if !defined(__SSE2__)
// Nearest integer, ties to even, of 0 <= v < 2^22: adding 1.5 x 2^23 leaves
// no fraction bits, and the default rounding mode rounds ties to even.
inline float RoundHalfEven(float v) {
  constexpr float big = 12582912.0f;
  return (v + big) - big;
}
#endif

// The colours of lines 0..n of one piece, emitted in order. The running value
// is single precision and the step double, as the worked rows of skins expect.
template <typename Emit>
void Interpolate(TColor c1, TColor c2, int n, Emit&& emit) {
  const uint32_t a = ColorToPixel(c1), b = ColorToPixel(c2);
  if (a == b || n == 0) {
    for (int i = 0; i <= n; ++i) emit(i, a);
    return;
  }
#if defined(__SSE2__)
  // The three channels side by side: the running values form one chain of
  // conversions and adds instead of three interleaved scalar ones.
  __m128 run = _mm_setr_ps(float(Channel(a, 0)), float(Channel(a, 8)), float(Channel(a, 16)), 0.0f);
  double step[3];
  for (int c = 0; c < 3; ++c) step[c] = (double(Channel(b, c * 8)) - double(Channel(a, c * 8))) / n;
  const __m128d stepLo = _mm_setr_pd(step[0], step[1]), stepHi = _mm_setr_pd(step[2], 0.0);
  const __m128 zero = _mm_setzero_ps(), top = _mm_set1_ps(255.0f), big = _mm_set1_ps(12582912.0f);
  for (int i = 0; i <= n; ++i) {
    const __m128 v = _mm_sub_ps(_mm_add_ps(_mm_min_ps(_mm_max_ps(run, zero), top), big), big);
    __m128i q = _mm_cvttps_epi32(v);
    q = _mm_packus_epi16(_mm_packs_epi32(q, q), q);
    emit(i, uint32_t(_mm_cvtsi128_si32(q)) | 0xFF000000);
    const __m128d lo = _mm_add_pd(_mm_cvtps_pd(run), stepLo);
    const __m128d hi = _mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(run, run)), stepHi);
    run = _mm_movelh_ps(_mm_cvtpd_ps(lo), _mm_cvtpd_ps(hi));
  }
#else
  float run[3];
  double step[3];
  for (int c = 0; c < 3; ++c) {
    run[c] = float(Channel(a, c * 8));
    step[c] = (double(Channel(b, c * 8)) - double(Channel(a, c * 8))) / n;
  }
  for (int i = 0; i <= n; ++i) {
    uint32_t p = 0xFF000000;
    for (int c = 0; c < 3; ++c) {
      p |= uint32_t(RoundHalfEven(std::clamp(run[c], 0.0f, 255.0f))) << (c * 8);
      run[c] = float(double(run[c]) + step[c]);
    }
    emit(i, p);
  }
#endif
}

// Repaints step the same pieces again and again (every control of a kind at
// its height, every state change), so the last pieces' colours are kept.
struct TPieceRows {
  uint32_t A = 0, B = 0;
  int N = -1;
  uint32_t Rows[257];
};
constexpr int PieceMemoSize = 8;
thread_local TPieceRows pieceMemo[PieceMemoSize];
thread_local unsigned pieceMemoNext = 0;

// The colours of lines 0..n of one piece of n <= 256 lines, kept in the memo
// until PieceMemoSize other pieces have come.
const uint32_t* PieceRows(TColor c1, TColor c2, int n) {
  const uint32_t a = ColorToPixel(c1), b = ColorToPixel(c2);
  for (TPieceRows& k : pieceMemo)
    if (k.N == n && k.A == a && k.B == b) return k.Rows;
  TPieceRows* m = &pieceMemo[pieceMemoNext++ % PieceMemoSize];
  m->N = -1;
  Interpolate(c1, c2, n, [m](int i, uint32_t p) { m->Rows[i] = p; });
  m->A = a, m->B = b, m->N = n;
  return m->Rows;
}

// The colours of lines 0..n of one piece into out[0..n].
void PieceColours(TColor c1, TColor c2, int n, uint32_t* out) {
  if (n > 256) {
    Interpolate(c1, c2, n, [out](int i, uint32_t p) { out[i] = p; });
    return;
  }
  const uint32_t* rows = PieceRows(c1, c2, n);
  // Fixed-size blocks: a copy of unknown length becomes a string move, which
  // starts slowly on runs this short.
  int i = 0;
  for (; i + 8 <= n + 1; i += 8) std::memcpy(out + i, rows + i, 8 * sizeof(uint32_t));
  for (; i <= n; ++i) out[i] = rows[i];
}

void FillRow(const TPixelView& bmp, int y, int left, int right, uint32_t p) {
  FillPixels(bmp.Row(y) + left, size_t(right - left), p);
}

// The row colours of whole gradients of a few pieces, kept as the pieces'
// are: a control repaints the same gradient at the same height again and
// again, and at its size looking up and copying the pieces costs as much as
// a fifth of the fill.
constexpr size_t GradientMemoPieces = 4;
struct TGradientRows {
  int H = -1, Count = 0;
  struct {
    TColor C1, C2;
    int Percent;
  } Key[GradientMemoPieces];
  bool Painted = false;
  uint32_t Rows[256];
};
constexpr int GradientMemoSize = 4;
thread_local TGradientRows gradientMemo[GradientMemoSize];
thread_local unsigned gradientMemoNext = 0;

// piece(k, y, n) for each piece k that covers rows y..y + n of a gradient of
// h rows, in order; false where none does.
template <typename Piece>
bool EachPieceOfRows(int h, const TsGradArray& pieces, Piece&& piece) {
  const int last = h - 1;
  int y = 0;
  bool painted = false;
  for (size_t k = 0; k < pieces.size(); ++k) {
    const int e = k + 1 == pieces.size() ? last : std::min(last, y + h * std::min<int>(pieces[k].Percent, 100) / 100);
    if (e <= y) continue;  // a piece that covers no row
    piece(k, y, e - y);
    painted = true;
    y = e;  // the next piece starts on this piece's last row
  }
  return painted;
}

// The colours of rows 0..h - 1 into colour; false where no piece covers a row.
bool RowColours(int h, const TsGradArray& pieces, uint32_t* colour) {
  return EachPieceOfRows(h, pieces, [&](size_t k, int y, int n) {
    PieceColours(pieces[k].Color1, pieces[k].Color2, n, colour + y);
  });
}

// Wide rows whose colours are not kept: each row is filled while the next
// row's colour is worked out, so that the pieces' running values, one step
// after the other, wait on nothing and hide behind the stores.
bool VerticalAsComputed(const TPixelView& bmp, const TRect& c, const TsGradArray& pieces) {
  int pending = -1;
  uint32_t pendingColour = 0;
  const auto row = [&](int y, uint32_t p) {
    // A piece's first row is the last of the one before: that one is not filled.
    if (y != pending && pending >= 0) FillRow(bmp, c.Top + pending, c.Left, c.Right, pendingColour);
    pending = y, pendingColour = p;
  };
  const bool painted = EachPieceOfRows(c.Height(), pieces, [&](size_t k, int y, int n) {
    Interpolate(pieces[k].Color1, pieces[k].Color2, n, [&row, y](int i, uint32_t p) { row(y + i, p); });
  });
  if (pending >= 0) FillRow(bmp, c.Top + pending, c.Left, c.Right, pendingColour);
  return painted;
}

const TGradientRows& MemoRowColours(int h, const TsGradArray& pieces) {
  const int count = int(pieces.size());
  for (const TGradientRows& g : gradientMemo) {
    if (g.H != h || g.Count != count) continue;
    int k = 0;
    while (k < count && g.Key[k].C1 == pieces[size_t(k)].Color1 && g.Key[k].C2 == pieces[size_t(k)].Color2 &&
           g.Key[k].Percent == pieces[size_t(k)].Percent)
      ++k;
    if (k == count) return g;
  }
  TGradientRows& g = gradientMemo[gradientMemoNext++ % GradientMemoSize];
  g.H = -1;
  g.Painted = RowColours(h, pieces, g.Rows);
  for (int k = 0; k < count; ++k)
    g.Key[k] = {pieces[size_t(k)].Color1, pieces[size_t(k)].Color2, pieces[size_t(k)].Percent};
  g.H = h, g.Count = count;
  return g;
}

// Mode 0 into the clipped rectangle c. Kept or narrow rows have their
// colours first, so that the pieces' running values do not wait on the
// stores; rows of one colour that follow each other in memory are one fill.
void Vertical(const TPixelView& bmp, const TRect& c, const TsGradArray& pieces) {
  const int h = c.Height();
  uint32_t local[256];
  std::vector<uint32_t> heap;
  const uint32_t* colour = local;
  bool painted;
  if (h <= 256 && pieces.size() <= GradientMemoPieces) {
    const TGradientRows& g = MemoRowColours(h, pieces);
    colour = g.Rows;
    painted = g.Painted;
  } else if (c.Width() >= 64) {
    if (VerticalAsComputed(bmp, c, pieces)) return;
    painted = false;
  } else {
    if (h > 256) heap.resize(size_t(h));
    uint32_t* out = h > 256 ? heap.data() : local;
    painted = RowColours(h, pieces, out);
    colour = out;
  }
  if (!painted) {
    FillRow(bmp, c.Top, c.Left, c.Right, ColorToPixel(pieces[0].Color1));
    return;
  }
  const size_t w = size_t(c.Width());
#if QN_WIDE_KERNELS
  // The 512-bit fill of rows that follow each other stores every 64-byte
  // line once whatever the colours: runs of one colour gain nothing there.
  const bool oneRun = HasMaskedWideKernels();
#else
  const bool oneRun = false;
#endif
  if (bmp.Stride != c.Width() || oneRun) {
    FillRowsOfColours(bmp.Row(c.Top) + c.Left, w, bmp.Stride, h, colour);
    return;
  }
  // Whole rows follow each other: a run of one colour is one fill.
  for (int r = 0; r < h;) {
    int n = 1;
    while (r + n < h && colour[r + n] == colour[r]) ++n;
    if (n == 1) {
      int k = 1;  // rows that differ from the next go together
      while (r + k < h && (r + k + 1 == h || colour[r + k + 1] != colour[r + k])) ++k;
      FillRowsOfColours(bmp.Row(c.Top + r) + c.Left, w, bmp.Stride, k, colour + r);
      r += k;
      continue;
    }
    FillPixels(bmp.Row(c.Top + r) + c.Left, w * size_t(n), colour[r]);
    r += n;
  }
}

// Mode 1 into the first row of c.
void HorizontalRow(const TPixelView& bmp, const TRect& c, const TsGradArray& pieces) {
  const int w = c.Width(), right = c.Right - 1;
  uint32_t* row = bmp.Row(c.Top);
  int x = c.Left;
  bool painted = false;
  for (size_t k = 0; k < pieces.size(); ++k) {
    // round(Percent x W / 100 + x)
    const int p = std::min<int>(pieces[k].Percent, 100);
    const int e = k + 1 == pieces.size() ? right
                                         : std::min<int>(right, int(DivRoundHalfEven(uint32_t(p * w + 100 * x), 100)));
    if (e <= x) continue;
    PieceColours(pieces[k].Color1, pieces[k].Color2, e - x, row + x);
    painted = true;
    x = e;
  }
  if (!painted) row[c.Left] = ColorToPixel(pieces[0].Color1);
}

void CopyFirstRow(const TPixelView& bmp, const TRect& c, int from) {
  for (int y = from; y < c.Bottom; ++y)
    std::memcpy(bmp.Row(y) + c.Left, bmp.Row(c.Top) + c.Left, size_t(c.Width()) * 4);
}

// c = (w x (t - g) + g x 256) >> 8 == (t x w + g x (256 - w)) >> 8 per colour byte.
void MixTextureRow(uint32_t* row, int left, int right, int phaseX, const uint32_t* tex, int tw, uint32_t w) {
  const uint32_t nw = 256 - w;
  int tx = phaseX;
  for (int x = left; x < right; ++x) {
    const uint32_t g = row[x], t = tex[tx];
    const uint32_t rb = (((t & 0xFF00FF) * w + (g & 0xFF00FF) * nw) >> 8) & 0xFF00FF;
    const uint32_t gg = (((t & 0xFF00) * w + (g & 0xFF00) * nw) >> 8) & 0xFF00;
    row[x] = (g & 0xFF000000) | rb | gg;
    if (++tx == tw) tx = 0;
  }
}

}  // namespace

bool PaintGradient(const TPixelView& bmp, const TRect& r, const TsGradArray& pieces) {
  const TRect c = ClipRectToView(r, bmp);
  if (c.IsEmpty() || pieces.empty()) return false;
  switch (pieces[0].Mode1) {
    case gmVertical:
      Vertical(bmp, c, pieces);
      return true;
    case gmHorizontal:
      HorizontalRow(bmp, c, pieces);
      CopyFirstRow(bmp, c, c.Top + 1);
      return true;
    case gmTriangles:
      return acTriangleGradient && acTriangleGradient(bmp, c, pieces);
    default:
      return false;
  }
}

bool PaintGradientTexture(const TPixelView& bmp, const TRect& r, const TsGradArray& pieces, int textureWeight,
                          const TRect& textureRect, const TPixelView& texture) {
  const TRect c = ClipRectToView(r, bmp);
  if (c.IsEmpty() || pieces.empty()) return false;
  const int mode = pieces[0].Mode1;
  if (mode != gmVertical && mode != gmHorizontal) return false;
  const TRect t = ClipRectToView(textureRect.IsEmpty() ? texture.Bounds() : textureRect, texture);
  if (t.IsEmpty()) return PaintGradient(bmp, r, pieces);
  const int tw = t.Width(), th = t.Height();
  const uint32_t w = uint32_t(std::clamp(textureWeight, 0, 255));
  auto phase = [](int v, int m) { v %= m; return v < 0 ? v + m : v; };
  const int phaseX = phase(c.Left - r.Left, tw);
  auto texRow = [&](int y) { return texture.Row(t.Top + phase(y - r.Top, th)) + t.Left; };
  if (mode == gmVertical) {
    Vertical(bmp, c, pieces);
    for (int y = c.Top; y < c.Bottom; ++y) MixTextureRow(bmp.Row(y), c.Left, c.Right, phaseX, texRow(y), tw, w);
    return true;
  }
  // One gradient row, mixed into a band of texture height, the band repeated down.
  HorizontalRow(bmp, c, pieces);
  const int band = std::min(th, c.Height());
  CopyFirstRow(bmp, Rect(c.Left, c.Top, c.Right, c.Top + band), c.Top + 1);
  for (int y = c.Top + 1; y < c.Top + band; ++y) MixTextureRow(bmp.Row(y), c.Left, c.Right, phaseX, texRow(y), tw, w);
  MixTextureRow(bmp.Row(c.Top), c.Left, c.Right, phaseX, texRow(c.Top), tw, w);
  for (int y = c.Top + band; y < c.Bottom; ++y)
    std::memcpy(bmp.Row(y) + c.Left, bmp.Row(y - band) + c.Left, size_t(c.Width()) * 4);
  return true;
}
