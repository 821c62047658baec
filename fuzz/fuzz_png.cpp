// libFuzzer target for the PNG reader: any input either decodes or throws
// EPNGError; anything else (crash, other exception, sanitizer report) is a bug.
// Mutations nearly always break a chunk CRC, which would stop the reader at
// the first chunk; so an input with bad CRCs is tried again with them fixed.
#include "skin/acPNG.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void Decode(const uint8_t* data, size_t size) {
  TPNGGraphic png;
  try {
    png.LoadFromBytes(data, size);
  } catch (const EPNGError&) {
    return;
  }
  // Touch both ends of every row so that a wrong size shows up under the
  // sanitizers (every pixel would make huge pictures too slow).
  const TBitmap32& bmp = png.Bitmap();
  uint32_t sum = 0;
  for (int y = 0; y < bmp.Height(); ++y)
    sum += bmp.ScanLine(y)[0] + bmp.ScanLine(y)[bmp.Width() - 1];
  volatile uint32_t sink = sum;
  (void)sink;
}

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// Rewrites every complete chunk's CRC; returns whether any changed.
bool FixCrcs(std::vector<uint8_t>& file) {
  bool changed = false;
  size_t pos = 8;
  while (file.size() >= 12 && pos <= file.size() - 12) {
    uint32_t len = Be32(&file[pos]);
    if (len > file.size() - pos - 12) break;
    uint32_t crc = uint32_t(crc32(0, &file[pos + 4], len + 4));
    uint8_t* stored = &file[pos + 8 + len];
    if (Be32(stored) != crc) {
      for (int i = 0; i < 4; ++i) stored[i] = uint8_t(crc >> (24 - 8 * i));
      changed = true;
    }
    pos += size_t(len) + 12;
  }
  return changed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Decode(data, size);
  std::vector<uint8_t> fixed(data, data + size);
  if (FixCrcs(fixed)) Decode(fixed.data(), fixed.size());
  return 0;
}
