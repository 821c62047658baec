// Small deterministic skin pictures for fuzzers and benchmarks: a colour
// gradient whose border pixels are transparent (fuchsia in BMPs).
#pragma once
#include "tools/ImageWriters.h"

inline TBitmap32 SamplePicture(int w, int h) {
  TBitmap32 bmp(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1;
      bmp.SetPixel(x, y, edge ? 0u : 0xFF000000u | uint32_t((x * 7) & 0xFF) << 16 | uint32_t((y * 5) & 0xFF) << 8 | 0x90u);
    }
  return bmp;
}

inline TBytes SampleBmp(int w, int h) { return EncodeOs2Bmp(SamplePicture(w, h)); }
inline TBytes SamplePng(int w, int h) { return EncodePng(SamplePicture(w, h)); }
