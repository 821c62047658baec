#include "tools/ImageWriters.h"

#include <zlib.h>

#include <cstdlib>

namespace {

void PutBE32(TBytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void PutLE16(TBytes& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

void PutLE32(TBytes& out, uint32_t v) {
  PutLE16(out, v & 0xFFFF);
  PutLE16(out, v >> 16);
}

void PutChunk(TBytes& out, const char* type, const TBytes& data) {
  PutBE32(out, uint32_t(data.size()));
  size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0L, out.data() + typeAt, uInt(4 + data.size()));
  PutBE32(out, uint32_t(crc));
}

uint8_t Paeth(int a, int b, int c) {
  int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return uint8_t(a);
  return uint8_t(pb <= pc ? b : c);
}

// Filters one row with the given type; prev is the unfiltered previous row
// (all zero for the first).
void FilterRow(int type, const uint8_t* row, const uint8_t* prev, size_t n, uint8_t* out) {
  const int bpp = 4;
  for (size_t i = 0; i < n; ++i) {
    int a = i >= bpp ? row[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
    int predictor = 0;
    switch (type) {
      case 1: predictor = a; break;
      case 2: predictor = b; break;
      case 3: predictor = (a + b) / 2; break;
      case 4: predictor = Paeth(a, b, c); break;
    }
    out[i] = uint8_t(row[i] - predictor);
  }
}

}  // namespace

TBytes ZlibCompress(const uint8_t* data, size_t size) {
  uLongf bound = compressBound(uLong(size));
  TBytes out(bound);
  if (compress2(out.data(), &bound, data, uLong(size), SkinZlibLevel) != Z_OK)
    throw EWriteError("Cannot compress data with zlib.");
  out.resize(bound);
  return out;
}

TBytes EncodePng(const TBitmap32& bmp) {
  const int w = bmp.Width(), h = bmp.Height();
  if (w <= 0 || h <= 0) throw EInvalidArgument("Cannot write an empty picture as PNG.");
  const size_t rowBytes = size_t(w) * 4;
  TBytes raw, prev(rowBytes, 0), row(rowBytes), candidate(rowBytes), best(rowBytes);
  raw.reserve((rowBytes + 1) * size_t(h));
  for (int y = 0; y < h; ++y) {
    const uint32_t* line = bmp.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      row[size_t(x) * 4 + 0] = uint8_t(line[x] >> 16);
      row[size_t(x) * 4 + 1] = uint8_t(line[x] >> 8);
      row[size_t(x) * 4 + 2] = uint8_t(line[x]);
      row[size_t(x) * 4 + 3] = uint8_t(line[x] >> 24);
    }
    // The usual heuristic: the filter whose output has the smallest sum of
    // absolute signed bytes.
    int bestType = 0;
    uint64_t bestCost = UINT64_MAX;
    for (int type = 0; type < 5; ++type) {
      FilterRow(type, row.data(), prev.data(), rowBytes, candidate.data());
      uint64_t cost = 0;
      for (uint8_t v : candidate) cost += v < 128 ? v : 256 - v;
      if (cost < bestCost) bestCost = cost, bestType = type, best = candidate;
    }
    raw.push_back(uint8_t(bestType));
    raw.insert(raw.end(), best.begin(), best.end());
    prev = row;
  }
  TBytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  TBytes header;
  PutBE32(header, uint32_t(w));
  PutBE32(header, uint32_t(h));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, adaptive filters, no interlace
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", ZlibCompress(raw.data(), raw.size()));
  PutChunk(out, "IEND", {});
  return out;
}

TBytes EncodeOs2Bmp(const TBitmap32& bmp) {
  const int w = bmp.Width(), h = bmp.Height();
  if (w <= 0 || h <= 0 || w > 0xFFFF || h > 0xFFFF) throw EInvalidArgument("Cannot write this picture as an OS/2 BMP.");
  const uint32_t stride = (uint32_t(w) * 3 + 3) & ~3u;
  const uint32_t offBits = 14 + 12;
  TBytes out;
  out.reserve(offBits + size_t(stride) * h);
  out.push_back('B');
  out.push_back('M');
  PutLE32(out, offBits + stride * uint32_t(h));
  PutLE32(out, 0);  // two reserved words
  PutLE32(out, offBits);
  PutLE32(out, 12);  // core header size
  PutLE16(out, uint32_t(w));
  PutLE16(out, uint32_t(h));
  PutLE16(out, 1);   // planes
  PutLE16(out, 24);  // bits per pixel
  for (int y = h - 1; y >= 0; --y) {
    const uint32_t* line = bmp.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      uint32_t p = (line[x] >> 24) == 0 ? 0xFF00FF : line[x];
      out.push_back(uint8_t(p));
      out.push_back(uint8_t(p >> 8));
      out.push_back(uint8_t(p >> 16));
    }
    for (uint32_t pad = uint32_t(w) * 3; pad < stride; ++pad) out.push_back(0);
  }
  return out;
}
