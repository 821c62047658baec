#include "PaintTestUtil.h"

#include <cstdlib>

namespace painttest {

TBitmap32 Bmp(int w, int h, std::initializer_list<uint32_t> pixels) {
  TBitmap32 b(w, h);
  int i = 0;
  for (uint32_t p : pixels) b.SetPixel(i % w, i / w, p), ++i;
  return b;
}

TBitmap32 Coords(int w, int h, int x0, int y0) {
  TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, CoordPixel(x + x0, y + y0));
  return b;
}

TBitmap32 Random(std::mt19937& rng, int w, int h) {
  TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, uint32_t(rng()));
  return b;
}

int64_t RoundRational(int64_t num, int64_t den) {
  int64_t lo = num / den;  // num >= 0 here
  int64_t twice = 2 * (num - lo * den);
  if (twice > den) return lo + 1;
  if (twice < den) return lo;
  return lo % 2 == 0 ? lo : lo + 1;
}

}  // namespace painttest
