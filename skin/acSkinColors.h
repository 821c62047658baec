// Colour services of the skin data: system colours behind the platform
// boundary, and the hue and saturation adjustments of colours and pictures.
#pragma once
#include "framework/core/Bitmap32.h"
#include "framework/core/Types.h"

#include <functional>

// What the skin data needs from the windowing system. The portable defaults
// are the stock desktop values; the Win32 layer installs the live ones.
struct TacSkinPlatform {
  std::function<int()> SizeFrameWidth;        // width of a sizing frame
  std::function<bool()> LayeredWindows;       // per-pixel alpha windows exist
};

// The platform services in use (never empty: missing members use the defaults).
const TacSkinPlatform& SkinPlatform();
// Replaces the services; members left empty keep the defaults.
void SetSkinPlatform(const TacSkinPlatform& platform);

// System colour indexes used by the skin data.
enum TacSysColorIndex : int {
  scWindow = 5,
  scWindowText = 8,
  scHighlight = 13,
  scHighlightText = 14,
  scBtnFace = 15,
};


// Hue offset: HSV with V = largest channel, S = (largest - smallest) / largest;
// the new hue is round(hue + offset) mod 360; greys are unchanged. The top
// byte of a TColor stays.
TColor ChangeHue(TColor color, int offset);
// Saturation amount (taken modulo 101): channel c becomes
// clamp(round(c - (mean - c) * amount / 100)). The top byte stays.
TColor ChangeSaturation(TColor color, int amount);
// amount modulo 101 with the sign of the amount, so -100..100.
int NormalizeSaturation(int amount);

// Per pixel of a picture (0xAARRGGBB); alpha is kept and pixels equal to
// 0x00FF00FF (transparent fuchsia) are skipped.
void ChangeBitmapHue(TBitmap32& bmp, int offset);
void ChangeBitmapSaturation(TBitmap32& bmp, int amount);
