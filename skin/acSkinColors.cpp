#include "skin/acSkinColors.h"

#include <algorithm>
#include <cmath>

namespace {

TacSkinPlatform& Platform() {
  static TacSkinPlatform platform = [] {
    TacSkinPlatform p;
    p.SizeFrameWidth = [] { return 4; };
    p.LayeredWindows = [] { return true; };
    return p;
  }();
  return platform;
}

// Reals become integers half to even, as everywhere in the skin data.
int RoundEven(double v) { return int(std::nearbyint(v)); }
uint8_t ClampByte(int v) { return uint8_t(std::clamp(v, 0, 255)); }

}  // namespace

const TacSkinPlatform& SkinPlatform() { return Platform(); }

void SetSkinPlatform(const TacSkinPlatform& platform) {
  TacSkinPlatform& p = Platform();
  if (platform.SizeFrameWidth) p.SizeFrameWidth = platform.SizeFrameWidth;
  if (platform.LayeredWindows) p.LayeredWindows = platform.LayeredWindows;
}

TColor ChangeHue(TColor color, int offset) {
  if (offset == 0) return color;
  // Any int is allowed. Reduced, h + offset cannot overflow; 360 is even, so
  // round(h + offset) keeps its half-to-even result modulo 360.
  offset %= 360;
  const int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
  if (mx == mn) return color;  // grey, black included: no hue
  const double d = mx - mn;
  const double v = mx;
  const double s = d / mx;
  double h;
  if (mx == r)
    h = 60.0 * (g - b) / d;
  else if (mx == g)
    h = 60.0 * (2.0 + (b - r) / d);
  else
    h = 60.0 * (4.0 + (r - g) / d);
  if (h < 0) h += 360.0;
  int nh = RoundEven(h + double(offset)) % 360;  // h + offset in (-360, 720)
  if (nh < 0) nh += 360;
  const int sector = nh / 60;
  const double f = nh / 60.0 - sector;
  const double p = v * (1.0 - s), q = v * (1.0 - s * f), t = v * (1.0 - s * (1.0 - f));
  double nr, ng, nb;
  switch (sector) {
    case 0: nr = v; ng = t; nb = p; break;
    case 1: nr = q; ng = v; nb = p; break;
    case 2: nr = p; ng = v; nb = t; break;
    case 3: nr = p; ng = q; nb = v; break;
    case 4: nr = t; ng = p; nb = v; break;
    default: nr = v; ng = p; nb = q; break;
  }
  return (color & 0xFF000000) | RGBColor(ClampByte(RoundEven(nr)), ClampByte(RoundEven(ng)), ClampByte(RoundEven(nb)));
}

int NormalizeSaturation(int amount) { return amount % 101; }

TColor ChangeSaturation(TColor color, int amount) {
  amount = NormalizeSaturation(amount);
  if (amount == 0) return color;
  const int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  const double m = (r + g + b) / 3.0;
  auto adjust = [&](int c) { return ClampByte(RoundEven(c - (m - c) * amount / 100.0)); };
  return (color & 0xFF000000) | RGBColor(adjust(r), adjust(g), adjust(b));
}

namespace {

template <typename F>
void ForEachKeyedPixel(TBitmap32& bmp, F change) {
  const size_t n = bmp.PixelCount();
  uint32_t* p = bmp.Bits();
  // Pictures hold few distinct colours: remember the last one converted.
  uint32_t lastIn = 0, lastOut = 0;
  bool haveLast = false;
  for (size_t i = 0; i < n; ++i) {
    const uint32_t px = p[i];
    if (px == 0x00FF00FF) continue;
    const uint32_t rgb = px & 0x00FFFFFF;
    if (!haveLast || rgb != lastIn) {
      lastIn = rgb;
      lastOut = ColorToPixel(change(PixelToColor(px)), 0) & 0x00FFFFFF;
      haveLast = true;
    }
    p[i] = (px & 0xFF000000) | lastOut;
  }
}

}  // namespace

void ChangeBitmapHue(TBitmap32& bmp, int offset) {
  if (offset == 0) return;
  ForEachKeyedPixel(bmp, [offset](TColor c) { return ChangeHue(c, offset); });
}

void ChangeBitmapSaturation(TBitmap32& bmp, int amount) {
  if (NormalizeSaturation(amount) == 0) return;
  ForEachKeyedPixel(bmp, [amount](TColor c) { return ChangeSaturation(c, amount); });
}
