#include "paint/sGlyphUtils.h"

#include "paint/sGraphUtils.h"
#include "skin/acSkinModel.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

inline uint32_t Channel(uint32_t p, int shift) { return (p >> shift) & 0xFF; }

// Taps of the glow blur: weights x 65536, summing to exactly 65536.
std::vector<int32_t> BlurKernel(int radius) {
  float k[201];
  float sum = 0;
  for (int i = 0; i <= 200; ++i) {
    const float d = float(i - 100) / float(radius);
    k[i] = std::exp(-d * d / 2);
    sum += k[i];
  }
  for (float& v : k) v /= sum;
  // Cut the tails while what they hold stays under 1/510.
  int j = 100;
  float t = 0;
  while (t < 1.0f / 510 && j > 1) {
    t += 2 * k[100 + j];
    --j;
  }
  float cut = 0;
  for (int i = 100 - j; i <= 100 + j; ++i) cut += k[i];
  std::vector<int32_t> taps(size_t(2 * j + 1));
  int32_t total = 0;
  for (int i = 0; i <= 2 * j; ++i) {
    taps[size_t(i)] = int32_t(std::lround(double(k[100 - j + i]) / cut * 65536));
    total += taps[size_t(i)];
  }
  taps[size_t(j)] += 65536 - total;
  return taps;
}

// One line of n samples `step` apart, convolved in place. `line` holds the
// samples with j edge copies on each side, so the taps need no bounds test.
void BlurLine(uint8_t* p, ptrdiff_t step, int n, const std::vector<int32_t>& taps, std::vector<int32_t>& line) {
  const int j = int(taps.size() / 2);
  line.resize(size_t(n + 2 * j));
  for (int i = 0; i < j; ++i) line[size_t(i)] = p[0], line[size_t(n + j + i)] = p[(n - 1) * step];
  for (int i = 0; i < n; ++i) line[size_t(j + i)] = p[i * step];
  const int32_t* t = taps.data();
  for (int i = 0; i < n; ++i) {
    const int32_t* l = line.data() + i;
    int32_t acc = 0;  // at most 255 x 65536
    for (int k = 0; k <= 2 * j; ++k) acc += t[k] * l[k];
    p[i * step] = uint8_t(std::clamp(acc >> 16, 0, 255));
  }
}

inline uint32_t BlendByAlpha(uint32_t d, uint32_t s, uint32_t a) {
  // ((s - d) x a + d x 256) >> 8 == (s x a + d x (256 - a)) >> 8
  const uint32_t na = 256 - a;
  return ((((s & 0xFF00FF) * a + (d & 0xFF00FF) * na) >> 8) & 0xFF00FF) |
         ((((s & 0xFF00) * a + (d & 0xFF00) * na) >> 8) & 0xFF00);
}

// Source and destination rectangles of an image copy, cut to both views.
TCopyClip ClipImage(const TRect& dstRect, const TRect& srcRect, const TPixelView& dst, const TPixelView& src) {
  const int w = std::min(dstRect.Width(), srcRect.Width()), h = std::min(dstRect.Height(), srcRect.Height());
  if (w <= 0 || h <= 0) return TCopyClip();
  return ClipCopy(dst, dstRect.Left, dstRect.Top, src, Rect(srcRect.Left, srcRect.Top, srcRect.Left + w, srcRect.Top + h));
}

inline bool Background(const TCacheInfo& ci, int x, int y, uint32_t& out) {
  const int bx = x + ci.X, by = y + ci.Y;
  if (ci.Bmp.Empty() || bx < 0 || by < 0 || bx >= ci.Bmp.Width || by >= ci.Bmp.Height) return false;
  out = ci.Bmp.At(bx, by);
  return true;
}

}  // namespace

void BlurMask8(TCoverage8& mask, int radius) {
  if (radius <= 0 || mask.Empty()) return;
  const std::vector<int32_t> taps = BlurKernel(radius);
  std::vector<int32_t> line;
  for (int y = 0; y < mask.Height(); ++y) BlurLine(mask.Row(y), 1, mask.Width(), taps, line);
  for (int x = 0; x < mask.Width(); ++x) BlurLine(mask.Row(0) + x, mask.Width(), mask.Height(), taps, line);
}

void TextGlow(const TPixelView& bmp, const TRect& r, TCoverage8& glowMask, TColor color, int size, int sides,
              const TMaskTextRenderer& render) {
  if (bmp.Empty() || r.IsEmpty()) return;
  size = std::max(size, 0);
  const TRect r1 = OffsetRect(r, 1, 1);
  const int m = size + 4;
  const int w2 = r1.Width() + 2 * m, h2 = r1.Height() + 2 * m;
  // A glow box wholly outside the bitmap shows nothing: no mask is made for it.
  if (IntersectRect(Rect(r1.Left - m, r1.Top - m, r1.Right + m, r1.Bottom + m), bmp.Bounds()).IsEmpty()) return;
  if (glowMask.Width() != w2 || glowMask.Height() != h2) {
    glowMask.SetSize(w2, h2, 255);
    if (glowMask.Empty()) return;
    const TRect at = Rect(m, m, m + r1.Width(), m + r1.Height());
    if (render) {
      if (sides & gsLeft) render(glowMask, OffsetRect(at, -1, 0));
      if (sides & gsTop) render(glowMask, OffsetRect(at, 0, -1));
      if (sides & gsRight) render(glowMask, OffsetRect(at, 1, 0));
      if (sides & gsBottom) render(glowMask, OffsetRect(at, 0, 1));
      render(glowMask, at);
    }
    BlurMask8(glowMask, size);
  }
  const int glow[3] = {int(Channel(ColorToPixel(color), 0)), int(Channel(ColorToPixel(color), 8)),
                       int(Channel(ColorToPixel(color), 16))};
  for (int y = 0; y < glowMask.Height(); ++y) {
    const int ty = r1.Top + y - m;
    if (ty < 0 || ty >= bmp.Height) continue;
    const uint8_t* mv = glowMask.Row(y);
    uint32_t* d = bmp.Row(ty);
    for (int x = 0; x < glowMask.Width(); ++x) {
      const int tx = r1.Left + x - m, v = mv[x];
      if (v == 255 || tx < 0 || tx >= bmp.Width) continue;
      const uint32_t p = d[tx];
      uint32_t out = 0;
      for (int c = 0; c < 3; ++c) {
        // glow + (c - glow) x v div 255, truncating toward zero
        const int ch = int(Channel(p, c * 8));
        out |= uint32_t(glow[c] + (ch - glow[c]) * v / 255) << (c * 8);
      }
      const uint32_t a = p >> 24;
      d[tx] = out | ((a + (255 - a) * uint32_t(255 - v) / 255) << 24);
    }
  }
}

void WriteTextPass(const TPixelView& bmp, const TRect& r, TColor color, const TTextRenderer& render) {
  if (bmp.Empty() || r.IsEmpty() || !render) return;
  TBitmap32 temp = CreateBmp32(r.Width(), r.Height());
  if (temp.Empty()) return;
  render(TPixelView(temp), temp.Width() ? Rect(0, 0, temp.Width(), temp.Height()) : TRect());
  const uint32_t k = ColorToPixel(color);
  for (int y = 0; y < temp.Height(); ++y) {
    const int ty = r.Top + y;
    if (ty < 0 || ty >= bmp.Height) continue;
    const uint32_t* t = temp.ScanLine(y);
    uint32_t* d = bmp.Row(ty);
    for (int x = 0; x < temp.Width(); ++x) {
      const int tx = r.Left + x;
      if ((t[x] & 0xFFFFFF) == 0xFFFFFF || tx < 0 || tx >= bmp.Width) continue;
      uint32_t out = 0xFF000000;
      for (int c = 0; c < 24; c += 8) {
        // ((target - colour) x t + colour x 256) >> 8
        const uint32_t tc = Channel(t[x], c);
        out |= ((Channel(d[tx], c) * tc + Channel(k, c) * (256 - tc)) >> 8) << c;
      }
      d[tx] = out;
    }
  }
}

void WriteText32(const TPixelView& bmp, bool enabled, const TacSkinModel* model, bool state, int skinIndex,
                 const TRect& r, TColor fontColor, const TTextRenderer& render) {
  if (!model || !model->IsValidSkinIndex(skinIndex)) {
    WriteTextPass(bmp, r, fontColor, render);
    return;
  }
  const TsGeneralData& gd = model->gd[size_t(skinIndex)];
  const TsFontColor& fc = gd.Props[state && gd.States > 1 ? 1 : 0].FontColor;
  if (enabled) {
    const struct {
      TColor Color;
      int Dx, Dy;
    } outlines[] = {{fc.Left, -1, 0}, {fc.Top, 0, -1}, {fc.Right, 1, 0}, {fc.Bottom, 0, 1}};
    for (const auto& o : outlines)
      if (o.Color != NoColor) WriteTextPass(bmp, OffsetRect(r, o.Dx, o.Dy), o.Color, render);
  }
  WriteTextPass(bmp, r, fc.Color, render);
}

void CopyTransparent(const TPixelView& dst, const TPixelView& src, int x, uint32_t transparent, int y) {
  const TCopyClip c = ClipCopy(dst, x, y, src, src.Bounds());
  const uint32_t key = transparent & 0xFFFFFF;
  for (int row = 0; row < c.H; ++row) {
    uint32_t* d = dst.Row(c.DstY + row) + c.DstX;
    const uint32_t* s = src.Row(c.SrcY + row) + c.SrcX;
    for (int i = 0; i < c.W; ++i)
      if ((s[i] & 0xFFFFFF) != key) d[i] = s[i] | 0xFF000000;
  }
}

void DrawGlyph(const TPixelView& glyph, bool fourBit, const TPixelView& dst, const TRect& r, int index, int blend,
               int glyphState, unsigned disabledKind, bool enabled, int numGlyphs) {
  if (glyph.Empty() || dst.Empty() || numGlyphs < 1) return;
  const int cw = glyph.Width / numGlyphs, ch = glyph.Height;
  if (cw <= 0) return;
  auto cellView = [&](int i) { return TPixelView(glyph.Row(0) + i * cw, cw, ch, glyph.Stride); };
  if (numGlyphs == 1) {
    // A private copy: greying must not change the caller's glyph.
    TBitmap32 copy(cw, ch);
    for (int y = 0; y < ch; ++y) std::copy_n(glyph.Row(y), cw, copy.ScanLine(y));
    const TPixelView cv(copy);
    const uint32_t transparent = copy.Pixel(0, ch - 1);
    if (enabled) {
      if (glyphState != 0 || blend < 1)
        CopyTransparent(dst, cv, r.Left, transparent, r.Top);
      else
        BlendBitmapKeyed(dst, r.Left, r.Top, KeyPixel, blend, cv.Bounds(), cv);
      return;
    }
    if (disabledKind & dgGrayed) GrayBitmapKeyed(cv, transparent);
    if (disabledKind & dgBlended)
      BlendBitmapKeyed(dst, r.Left, r.Top, transparent, 50, cv.Bounds(), cv);
    else
      CopyTransparent(dst, cv, r.Left, transparent, r.Top);
    return;
  }
  int cell = 0;
  if (enabled) {
    switch (glyphState) {
      case 1: cell = fourBit ? 0 : 1; break;
      case 2:
        cell = index + 2;
        if (index < 0 || cell >= numGlyphs) cell = fourBit ? 0 : std::min(1, numGlyphs - 1);
        break;
      case 3: cell = numGlyphs >= 3 ? std::min(3, numGlyphs - 1) : 0; break;
      default: cell = 0; break;
    }
  }
  if (!enabled && glyphState == 0 && blend > 0) {
    const TPixelView first = cellView(0);
    BlendBitmapKeyed(dst, r.Left, r.Top, KeyPixel, blend, first.Bounds(), first);
    return;
  }
  const TPixelView cv = cellView(cell);
  const uint32_t transparent = (enabled ? cv : cellView(0)).At(0, ch - 1);
  CopyTransparent(dst, cv, r.Left, transparent, r.Top);
}

void DrawAlphaImage(const TRect& dstRect, const TRect& srcRect, const TPixelView& dst, bool reflection, int blend,
                    TColor color, bool fillKey, const TCacheInfo& ci, const TPixelView& src) {
  const TCopyClip c = ClipImage(dstRect, srcRect, dst, src);
  if (c.Empty()) return;
  const uint32_t keep = uint32_t(100 - ClampPercent(blend));
  const bool tint = color != NoTint;
  const uint32_t k = ColorToPixel(color);
  // The source pixel as drawn: greyed and coloured when a colour is given.
  auto shade = [&](uint32_t s) {
    if (!tint) return s;
    // round((r + g + b) / 3 x colour / 255)
    const uint32_t sum = Channel(s, 0) + Channel(s, 8) + Channel(s, 16);
    uint32_t out = s & 0xFF000000;
    for (int sh = 0; sh < 24; sh += 8) out |= std::min<uint32_t>(DivRoundHalfEven(sum * Channel(k, sh), 765), 255) << sh;
    return out;
  };
  auto put = [&](uint32_t& d, uint32_t s, uint32_t a) {
    d = BlendByAlpha(d, s, a) | (std::max(d >> 24, a) << 24);
  };
  for (int row = 0; row < c.H; ++row) {
    uint32_t* d = dst.Row(c.DstY + row) + c.DstX;
    const uint32_t* s = src.Row(c.SrcY + row) + c.SrcX;
    for (int i = 0; i < c.W; ++i) {
      uint32_t bg;
      if (s[i] == KeyPixel) {
        if (fillKey && ci.Ready && Background(ci, c.DstX + i, c.DstY + row, bg)) d[i] = bg;
        continue;
      }
      put(d[i], shade(s[i]), (s[i] >> 24) * keep / 100);
    }
  }
  if (!reflection) return;
  // The lower rows mirrored below, from half opacity fading to nothing.
  const int rh = std::min(c.H / 2, dst.Height - (c.DstY + c.H));
  for (int k2 = 0; k2 < rh; ++k2) {
    uint32_t* d = dst.Row(c.DstY + c.H + k2) + c.DstX;
    const uint32_t* s = src.Row(c.SrcY + c.H - 1 - k2) + c.SrcX;
    const uint32_t fade = uint32_t(rh - k2);
    for (int i = 0; i < c.W; ++i)
      if (s[i] != KeyPixel) put(d[i], shade(s[i]), (s[i] >> 24) * keep / 100 * fade / uint32_t(2 * rh));
  }
}

void CopyAlpha32(const TRect& dstRect, const TRect& srcRect, const TPixelView& dst, bool fillKey, const TCacheInfo& ci,
                 const TPixelView& src) {
  const TCopyClip c = ClipImage(dstRect, srcRect, dst, src);
  for (int row = 0; row < c.H; ++row) {
    uint32_t* d = dst.Row(c.DstY + row) + c.DstX;
    const uint32_t* s = src.Row(c.SrcY + row) + c.SrcX;
    for (int i = 0; i < c.W; ++i) {
      const uint32_t sv = s[i];
      if (ci.Ready && sv == KeyPixel) {
        uint32_t bg;
        if (fillKey && Background(ci, c.DstX + i, c.DstY + row, bg)) d[i] = bg | 0xFF000000;
        continue;
      }
      const uint32_t a = sv >> 24, da = d[i] >> 24;
      d[i] = BlendByAlpha(d[i], sv, a) | ((a ? da + a * (255 - da) / 255 : da) << 24);
    }
  }
}

void DrawArrow(const TPixelView& bmp, TColor color, const TRect& r, int direction) {
  const uint32_t p = ColorToPixel(color);
  auto put = [&](int x, int y) {
    if (x >= 0 && y >= 0 && x < bmp.Width && y < bmp.Height) bmp.At(x, y) = p;
  };
  const int w = r.Width(), h = r.Height();
  if (direction == adDown) {
    const int x0 = r.Left + (w - 6) / 2 - 1, y0 = r.Top + (h - 3) / 2 - 1;
    for (int k = 0; k <= 3; ++k)
      for (int j = k; j <= 3; ++j) {
        put(x0 + j, y0 + k);
        put(x0 + 7 - j, y0 + k);
      }
  } else if (direction == adRight) {
    const int x0 = r.Left + (w - 3) / 2, y0 = r.Top + (h - 6) / 2;
    for (int k = 0; k <= 3; ++k)
      for (int y = y0 + k; y <= y0 + 3; ++y) {
        put(x0 + k, y);
        put(x0 + k, y + 3 - k);
      }
  }
}

std::string CutText(const TTextWidth& width, const std::string& text, int maxWidth) {
  if (maxWidth <= 0) return std::string();
  if (!width || width(text) <= maxWidth) return text;
  std::string result = text;
  while (!result.empty()) {
    // Off the end goes one whole code point: its lead byte and continuations.
    size_t n = result.size() - 1;
    while (n > 0 && (uint8_t(result[n]) & 0xC0) == 0x80) --n;
    result.resize(n);
    if (width(result + "...") <= maxWidth) break;
  }
  return result.empty() ? result : result + "...";
}
