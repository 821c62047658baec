// Small bitmaps and slow reference arithmetic for the painting tests.
#pragma once
#include "paint/acPixelView.h"

#include <cstdint>
#include <initializer_list>
#include <random>
#include <vector>

namespace painttest {

// A bitmap from rows of pixels.
TBitmap32 Bmp(int w, int h, std::initializer_list<uint32_t> pixels);
// A w x h bitmap whose pixel (x, y) is 0xFF000000 | (x << 8) | y: every pixel tells where it came from.
TBitmap32 Coords(int w, int h, int x0 = 0, int y0 = 0);
constexpr uint32_t CoordPixel(int x, int y) { return 0xFF000000u | (uint32_t(x) << 8) | uint32_t(y); }
// A bitmap of random pixels.
TBitmap32 Random(std::mt19937& rng, int w, int h);

// num / den rounded to nearest, ties to the even neighbour, by the definition.
int64_t RoundRational(int64_t num, int64_t den);
inline int Ch(uint32_t p, int c) { return int((p >> (8 * c)) & 0xFF); }

}  // namespace painttest
