// The two built-in window-shadow pictures used when a skin has no extended
// border of its own: "acSHDA" (active window) and "acSHDI" (inactive).
#pragma once
#include "framework/core/Bitmap32.h"

constexpr int BuiltInShadowSize = 33;    // pictures are 33 x 33
constexpr int BuiltInShadowMargin = 9;   // shadow band around the window part

// A soft grey shadow fading out over the outer 9 pixels, premultiplied alpha,
// generated once and already prepared (no pixel is 0x00FFFFFF).
const TBitmap32& BuiltInShadow(bool active);
