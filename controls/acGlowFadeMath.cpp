#include "controls/acGlowFadeMath.h"

#include <algorithm>
#include <cstring>

#include "paint/acCpuKernels.h"

bool CanAnimate(TacAnimatEvent event, TacAnimatEvents events, TacAnimatEvents globalEvents) {
  if (events & AnimatEvent(event)) return true;
  if (events & AnimatEvent(aeGlobalDef)) return (globalEvents & AnimatEvent(event)) != 0;
  return false;
}

int FadeWeight(int fadeLevel, int iterations) {
  if (iterations <= 0) return 255;
  const long long b = (long long)fadeLevel * 255 / iterations;
  return int(std::clamp<long long>(b, 0, 255));
}

// (255 - b) * (old - new) + new * 256 == old * 256 + (b + 1) * (new - old):
// the true sum lies in 0..65280, so it comes out exact in 16-bit lanes even
// though the product alone wraps. Even bytes are taken in the low half of
// each 16-bit lane, odd bytes in the high half: no byte shuffles.
namespace {

inline uint32_t BlendPixel(uint32_t o, uint32_t n, uint32_t wNew) {
  const uint32_t oe = o & 0x00FF00FFu, ne = n & 0x00FF00FFu;
  const uint32_t oo = (o >> 8) & 0x00FF00FFu, no = (n >> 8) & 0x00FF00FFu;
  const uint32_t even = ((oe * 256 + ne * wNew - oe * wNew) >> 8) & 0x00FF00FFu;
  const uint32_t odd = (oo * 256 + no * wNew - oo * wNew) & 0xFF00FF00u;
  return even | odd;
}

#if defined(__SSE2__)
inline __m128i Blend4(__m128i o, __m128i n, __m128i w, __m128i lowMask, __m128i highMask) {
  const __m128i oe = _mm_and_si128(o, lowMask), ne = _mm_and_si128(n, lowMask);
  const __m128i oo = _mm_srli_epi16(o, 8), no = _mm_srli_epi16(n, 8);
  const __m128i te = _mm_add_epi16(_mm_mullo_epi16(_mm_sub_epi16(ne, oe), w), _mm_slli_epi16(o, 8));
  const __m128i to = _mm_add_epi16(_mm_mullo_epi16(_mm_sub_epi16(no, oo), w), _mm_and_si128(o, highMask));
  return _mm_or_si128(_mm_srli_epi16(te, 8), _mm_and_si128(to, highMask));
}
#endif

#if QN_WIDE_KERNELS
// Bytes of both pictures interleaved as (old, new) pairs and moved to signed
// by x - 128; one multiply-add with the weights (256 - wNew, wNew) gives
// old * 256 + wNew * (new - old) - 32768, which fits a signed 16-bit lane.
// The arithmetic shift floors exactly (32768 is a multiple of 256) and the
// signed pack cannot saturate; in-lane unpacks and pack keep the byte order.
__attribute__((target("avx2"), always_inline)) inline void Blend8(uint32_t* dst, const uint32_t* from,
                                                                 const uint32_t* to, __m256i weights) {
  const __m256i bias = _mm256_set1_epi8(char(0x80));
  const __m256i o = _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(from)), bias);
  const __m256i n = _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(to)), bias);
  const __m256i lo = _mm256_srai_epi16(_mm256_maddubs_epi16(weights, _mm256_unpacklo_epi8(o, n)), 8);
  const __m256i hi = _mm256_srai_epi16(_mm256_maddubs_epi16(weights, _mm256_unpackhi_epi8(o, n)), 8);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), _mm256_xor_si256(_mm256_packs_epi16(lo, hi), bias));
}

__attribute__((target("avx2"))) size_t BlendAvx2(uint32_t* dst, const uint32_t* from, const uint32_t* to,
                                                 size_t count, uint32_t wNew) {
  // wNew is 1..255, so both weights fit the unsigned bytes of the multiply-add.
  const __m256i weights = _mm256_set1_epi16(short(((wNew & 0xFF) << 8) | ((256 - wNew) & 0xFF)));
  size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    Blend8(dst + i, from + i, to + i, weights);
    Blend8(dst + i + 8, from + i + 8, to + i + 8, weights);
  }
  for (; i + 8 <= count; i += 8) Blend8(dst + i, from + i, to + i, weights);
  return i;
}

// Both weights 128: (old + new) >> 1.
struct TFadeMean16 {
  uint32_t* Dst;
  const uint32_t *From, *To;
  QN_WIDE_MASKED void operator()(int i, __mmask16 lanes) const {
    Store16(Dst + i, lanes, FloorMeanBytes(Load16(From + i, lanes), Load16(To + i, lanes), ~__mmask64(0)));
  }
};

// Any other weights: the lighter picture weighs w < 128, a signed byte:
// 256 x base + w x (other - base) is the blend's sum, and one multiply-add
// of the unbiased (old, new) pairs with (-w, w) gives the second term in
// -32385..32385. Its high byte, the floor of the term over 256, added to
// base modulo 256 is the blend's byte: no biasing of either picture.
template <bool NewIsBase>
struct TFadeToward16 {
  uint32_t* Dst;
  const uint32_t *From, *To;
  __m512i Weights;
  QN_WIDE_MASKED void operator()(int i, __mmask16 lanes) const {
    const __m512i o = Load16(From + i, lanes), n = Load16(To + i, lanes);
    const __m512i lo = _mm512_maddubs_epi16(_mm512_unpacklo_epi8(o, n), Weights);
    const __m512i hi = _mm512_maddubs_epi16(_mm512_unpackhi_epi8(o, n), Weights);
    Store16(Dst + i, lanes, _mm512_add_epi8(NewIsBase ? n : o, HighBytesInOrder(lo, hi)));
  }
};

template <typename Step>
QN_WIDE_MASKED void EachSixteenOfCount(size_t count, Step step) {
  for (size_t done = 0; done < count;) {
    const int n = int(std::min<size_t>(count - done, size_t(1) << 30));
    EachSixteen(step.Dst, n, step);
    step.Dst += n, step.From += n, step.To += n;
    done += size_t(n);
  }
}

QN_WIDE_MASKED size_t Blend512(uint32_t* dst, const uint32_t* from, const uint32_t* to, size_t count, uint32_t wNew) {
  // (low byte, high byte) of each 16-bit weight, against the (old, new) pair
  const auto pair = [](int onOld, int onNew) { return short((onNew & 0xFF) << 8 | (onOld & 0xFF)); };
  const int w = int(wNew);
  if (w < 128)
    EachSixteenOfCount(count, TFadeToward16<false>{dst, from, to, _mm512_set1_epi16(pair(-w, w))});
  else if (w > 128)
    EachSixteenOfCount(count, TFadeToward16<true>{dst, from, to, _mm512_set1_epi16(pair(256 - w, w - 256))});
  else
    EachSixteenOfCount(count, TFadeMean16{dst, from, to});
  return count;
}
#endif

}  // namespace

void FadeBlendRow(uint32_t* dst, const uint32_t* from, const uint32_t* to, size_t count, int b) {
  b = std::clamp(b, 0, 255);
  if (b == 255) {
    if (dst != to) std::memmove(dst, to, count * sizeof(uint32_t));
    return;
  }
  const uint32_t wNew = uint32_t(b + 1);
  size_t i = 0;
#if QN_WIDE_KERNELS
  if (HasMaskedWideKernels())
    i = Blend512(dst, from, to, count, wNew);
  else if (HasWideKernels())
    i = BlendAvx2(dst, from, to, count, wNew);
#endif
#if defined(__SSE2__)
  const __m128i w = _mm_set1_epi16(short(wNew));
  const __m128i lowMask = _mm_set1_epi16(0x00FF), highMask = _mm_set1_epi16(short(0xFF00));
  for (; i + 4 <= count; i += 4) {
    const __m128i o = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
    const __m128i n = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), Blend4(o, n, w, lowMask, highMask));
  }
#endif
  for (; i < count; ++i) dst[i] = BlendPixel(from[i], to[i], wNew);
}

void FadeBlend(TBitmap32& dst, const TBitmap32& from, const TBitmap32& to, int b) {
  if (from.Empty() || to.Empty()) {
    dst.SetSize(0, 0);
    return;
  }
  if (&dst == &from) {
    TBitmap32 result;
    FadeBlend(result, from, to, b);
    dst = std::move(result);
    return;
  }
  const bool sameSize = from.Width() == to.Width() && from.Height() == to.Height();
  if (&dst != &to) {
    if (!sameSize)
      dst = to;
    else if (dst.Width() != to.Width() || dst.Height() != to.Height())
      dst.SetSize(to.Width(), to.Height());
  }
  if (sameSize) {  // rows are packed: one run over the whole picture
    FadeBlendRow(dst.Bits(), from.Bits(), to.Bits(), to.PixelCount(), b);
    return;
  }
  const int w = std::min(from.Width(), to.Width()), h = std::min(from.Height(), to.Height());
  for (int y = 0; y < h; ++y) FadeBlendRow(dst.ScanLine(y), from.ScanLine(y), to.ScanLine(y), size_t(w), b);
}

bool TacFadeSteps::Prepare(bool fadingEnabled, int fadingIterations, bool clicked, TFadeDirection direction) {
  if (!fadingEnabled) return false;
  FadeLevel = Exists ? fadingIterations : 1;
  Exists = true;
  Iterations = fadingIterations;
  if (Direction == TFadeDirection::fdUp)
    Iterations = FadeLevel;
  else if (Direction == TFadeDirection::fdDown)
    Iterations = fadingIterations - FadeLevel;
  if (clicked) Iterations /= 2;
  if (FadeLevel >= Iterations || FadeLevel <= 0) FadeLevel = 1;
  Direction = direction;
  Running = direction != TFadeDirection::fdNone;
  return true;
}

TacFadeSteps::TTick TacFadeSteps::Tick(bool ownerAlive, bool ownerEnabled, bool fadeStop) {
  if (!Running) return TTick::tkNothing;
  if (!ownerAlive) {
    Direction = TFadeDirection::fdNone;
    Running = Exists = false;
    return TTick::tkNothing;
  }
  // Iterations of 0 or less always land here on the first tick: no step
  // divides by them.
  if (FadeLevel > Iterations || FadeLevel < 0 || fadeStop || Direction == TFadeDirection::fdNone) {
    Running = Exists = false;
    return TTick::tkFinished;
  }
  if (!ownerEnabled) {
    Iterations = 0;
    Running = Exists = false;
    return TTick::tkDisabled;
  }
  return TTick::tkFrame;
}

TacGlowPlacement GlowPlacement(const TRect& r, const TRect& clip, const TacGlowMaskWidths& w, int margin) {
  TacGlowPlacement p;
  const int rw = r.Width(), rh = r.Height();
  if (rw <= 0 || rh <= 0 || clip.IsEmpty()) return p;
  int width = rw + w.Left + w.Right - 2 * margin;
  int height = rh + w.Top + w.Bottom - 2 * margin;
  if (width <= 0 || height <= 0) return p;
  p.FullWidth = width;
  p.FullHeight = height;
  int leftCut = 0, topCut = 0;
  if (clip.Width() != rw || clip.Height() != rh) {
    leftCut = clip.Left == 0 ? 0 : w.Left + clip.Left - margin;
    topCut = clip.Top == 0 ? 0 : w.Top + clip.Top - margin;
    const int rightCut = clip.Right == rw ? 0
                         : leftCut != 0   ? width - leftCut - clip.Width()
                                          : rw + w.Right - clip.Width() - margin;
    const int bottomCut = clip.Bottom == rh ? 0
                          : topCut != 0     ? height - topCut - clip.Height()
                                            : rh + w.Bottom - clip.Height() - margin;
    width -= leftCut + rightCut;
    height -= topCut + bottomCut;
  }
  // A cut beyond the picture (margins wider than the mask bands) shows nothing.
  if (width <= 0 || height <= 0 || leftCut < 0 || topCut < 0 || leftCut + width > p.FullWidth ||
      topCut + height > p.FullHeight)
    return TacGlowPlacement{};
  p.Source = Rect(leftCut, topCut, leftCut + width, topCut + height);
  p.Pos = Point(r.Left + margin + leftCut - w.Left, r.Top + margin + topCut - w.Top);
  return p;
}

bool StateChangeFades(const TacFadeConditions& c) {
  return c.Skinned && c.Allowed && !c.SkinChanging && c.FadingEnabled && !c.FadeStop && c.HasCache && !c.BGChanged;
}

TacGlowAction LinkGlowAction(const TacGlowConditions& c) {
  if (!c.EffectsAllowGlow || !c.SectionValid || c.HotSuppressed || c.GlowCount < 1) return TacGlowAction::gaNone;
  if (!c.MouseAbove || c.LeftButtonDown || (c.Repeat && c.GlowExists))
    return c.GlowExists ? TacGlowAction::gaHide : TacGlowAction::gaNone;
  if (!c.HasOwnerForm || c.GlowExists) return TacGlowAction::gaNone;
  return TacGlowAction::gaShow;
}
