#include "skin/acShadows.h"

#include <algorithm>
#include <cmath>

namespace {

TBitmap32 MakeShadow(int peakAlpha) {
  TBitmap32 bmp(BuiltInShadowSize, BuiltInShadowSize);
  const int inner0 = BuiltInShadowMargin, inner1 = BuiltInShadowSize - BuiltInShadowMargin;  // [9, 24)
  for (int y = 0; y < BuiltInShadowSize; ++y) {
    for (int x = 0; x < BuiltInShadowSize; ++x) {
      // Distance from the window part; inside it the shadow is at its peak.
      const int dx = x < inner0 ? inner0 - x : (x >= inner1 ? x - inner1 + 1 : 0);
      const int dy = y < inner0 ? inner0 - y : (y >= inner1 ? y - inner1 + 1 : 0);
      const double d = std::sqrt(double(dx * dx + dy * dy));
      const double fall = std::max(0.0, 1.0 - d / (BuiltInShadowMargin + 1));
      const uint32_t a = uint32_t(std::lround(peakAlpha * fall * fall));
      const uint32_t c = a * 40 / 255;  // grey 40, premultiplied
      bmp.SetPixel(x, y, (a << 24) | (c << 16) | (c << 8) | c);
    }
  }
  return bmp;
}

}  // namespace

const TBitmap32& BuiltInShadow(bool active) {
  static const TBitmap32 shda = MakeShadow(110);
  static const TBitmap32 shdi = MakeShadow(64);
  return active ? shda : shdi;
}
