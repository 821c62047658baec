#include "skin/acSkinColors.h"

#include <algorithm>
#include <cmath>

namespace {

// Stock desktop colours by system colour index (TColor, red low).
constexpr TColor StockSysColors[31] = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0x7A7A7A, 0xD77800, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xD77800, 0xF0F0F0};

TacSkinPlatform& Platform() {
  static TacSkinPlatform platform = [] {
    TacSkinPlatform p;
    p.SysColor = [](int index) { return index >= 0 && index < 31 ? StockSysColors[index] : clBlack; };
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
  if (platform.SysColor) p.SysColor = platform.SysColor;
  if (platform.SizeFrameWidth) p.SizeFrameWidth = platform.SizeFrameWidth;
  if (platform.LayeredWindows) p.LayeredWindows = platform.LayeredWindows;
}

TColor SysColor(int index) { return Platform().SysColor(index) & 0xFFFFFF; }

TColor ColorToRGB(TColor color) { return int32_t(color) < 0 ? SysColor(int(color & 0xFF)) : color; }

TColor ChangeHue(TColor color, int offset) {
  if (offset == 0) return color;
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
  int nh = RoundEven(h + double(offset)) % 360;
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
