// Helpers shared by the image tests: building PNG and BMP files by hand.
#pragma once
#include "framework/core/Bitmap32.h"
#include "framework/core/SysUtils.h"

#include <zlib.h>

#include <cstring>
#include <initializer_list>
#include <string>

namespace imgtest {

inline void PutBe32(TBytes& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}
inline void PutLe16(TBytes& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
inline void PutLe32(TBytes& out, uint32_t v) {
  for (int s = 0; s < 32; s += 8) out.push_back(uint8_t(v >> s));
}
inline void SetLe32(TBytes& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
}

inline TBytes Deflate(const TBytes& raw, int level = 6) {
  uLongf len = compressBound(uLong(raw.size()));
  TBytes out(len);
  compress2(out.data(), &len, raw.data(), uLong(raw.size()), level);
  out.resize(len);
  return out;
}

// A PNG assembled chunk by chunk; CRCs are right unless asked otherwise.
class TPngWriter {
public:
  TPngWriter() { Data = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}; }
  TPngWriter& Chunk(const char* type, const TBytes& body, bool badCrc = false) {
    PutBe32(Data, uint32_t(body.size()));
    size_t start = Data.size();
    Data.insert(Data.end(), type, type + 4);
    Data.insert(Data.end(), body.begin(), body.end());
    uint32_t crc = uint32_t(crc32(0, Data.data() + start, uInt(Data.size() - start)));
    PutBe32(Data, badCrc ? crc ^ 1 : crc);
    return *this;
  }
  TPngWriter& Header(uint32_t w, uint32_t h, int depth, int colorType, int interlace = 0) {
    TBytes b;
    PutBe32(b, w);
    PutBe32(b, h);
    b.insert(b.end(), {uint8_t(depth), uint8_t(colorType), 0, 0, uint8_t(interlace)});
    return Chunk("IHDR", b);
  }
  // Raw rows, each already starting with its filter byte.
  TPngWriter& Image(const TBytes& raw) { return Chunk("IDAT", Deflate(raw)); }
  TPngWriter& End() { return Chunk("IEND", {}); }
  TBytes Data;
};

// One unfiltered row (filter byte 0) per entry.
inline TBytes Rows(std::initializer_list<TBytes> rows) {
  TBytes raw;
  for (auto& r : rows) {
    raw.push_back(0);
    raw.insert(raw.end(), r.begin(), r.end());
  }
  return raw;
}

// BMP file with a 40-byte info header; `extra` (masks, palette) goes between
// the header and the pixels, whose offset is set accordingly.
inline TBytes MakeBmp(int w, int h, int bits, uint32_t compression, const TBytes& extra, const TBytes& pixels,
                      uint32_t colorsUsed = 0) {
  TBytes out = {'B', 'M'};
  PutLe32(out, uint32_t(14 + 40 + extra.size() + pixels.size()));
  PutLe32(out, 0);
  PutLe32(out, uint32_t(14 + 40 + extra.size()));
  PutLe32(out, 40);
  PutLe32(out, uint32_t(w));
  PutLe32(out, uint32_t(h));
  PutLe16(out, 1);
  PutLe16(out, uint32_t(bits));
  PutLe32(out, compression);
  PutLe32(out, uint32_t(pixels.size()));
  PutLe32(out, 2835);
  PutLe32(out, 2835);
  PutLe32(out, colorsUsed);
  PutLe32(out, 0);
  out.insert(out.end(), extra.begin(), extra.end());
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

// Palette entries blue, green, red, reserved from 0xRRGGBB values.
inline TBytes Palette(std::initializer_list<uint32_t> colors) {
  TBytes out;
  for (uint32_t c : colors) {
    out.push_back(uint8_t(c));
    out.push_back(uint8_t(c >> 8));
    out.push_back(uint8_t(c >> 16));
    out.push_back(0);
  }
  return out;
}

inline std::string Hex(uint32_t v) { return IntToHex(v, 8); }

}  // namespace imgtest
