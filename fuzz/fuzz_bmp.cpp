// libFuzzer target for the BMP reader: any input either decodes or throws
// EBmpError; anything else (crash, other exception, sanitizer report) is a bug.
#include "skin/acBmp.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TBitmap32 bmp;
  try {
    LoadBmp(data, size, bmp);
  } catch (const EBmpError&) {
    return 0;
  }
  // Touch both ends of every row so that a wrong size shows up under the
  // sanitizers (every pixel would make huge pictures too slow).
  uint32_t sum = 0;
  for (int y = 0; y < bmp.Height(); ++y)
    sum += bmp.ScanLine(y)[0] + bmp.ScanLine(y)[bmp.Width() - 1];
  volatile uint32_t sink = sum;
  (void)sink;
  return 0;
}
