#include "skin/acPNG.h"

#include "skin/acInflate.h"

#include <zlib.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
// Deflate cannot expand more than 1032:1; a claim above that is a lie we can
// refuse before allocating anything.
constexpr uint64_t MaxInflateRatio = 1032;
// Files beyond this cannot hold a picture within the size cap anyway.
constexpr int64_t MaxFileSize = int64_t(1) << 31;

constexpr uint32_t ChunkId(const char (&s)[5]) {
  return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) | (uint32_t(uint8_t(s[2])) << 8) |
         uint32_t(uint8_t(s[3]));
}
constexpr uint32_t cIHDR = ChunkId("IHDR"), cPLTE = ChunkId("PLTE"), cIDAT = ChunkId("IDAT"), cIEND = ChunkId("IEND"),
                   cTRNS = ChunkId("tRNS"), cBKGD = ChunkId("bKGD"), cGAMA = ChunkId("gAMA");

inline uint32_t Be32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}
inline uint16_t Be16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }

[[noreturn]] void Fail(const String& message) { throw EPNGError(message); }
[[noreturn]] void FailDetail(const String& what) { Fail("Cannot load PNG image. " + what); }

inline uint32_t Bgra(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

struct TIdatPart {
  const uint8_t* Data;
  uint32_t Length;
};

// Adam7 pass geometry: start column, start row, column step, row step.
struct TPass {
  int X0, Y0, DX, DY;
};
constexpr TPass Adam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr TPass NoInterlace = {0, 0, 1, 1};

inline int PassExtent(int size, int start, int step) { return size > start ? (size - start + step - 1) / step : 0; }

// Branch-free form of the standard predictor (nearest of a, b, c to
// a + b - c, ties in the order a, b, c); equal to it for all 2^24 inputs.
inline uint8_t Paeth(int a, int b, int c) {
  int threshold = 3 * c - (a + b);
  int lo = a < b ? a : b, hi = a < b ? b : a;
  int t0 = hi <= threshold ? lo : c;
  return uint8_t(threshold <= lo ? hi : t0);
}

// Byte-wise sum of two rows (the Up filter): 16 bytes at a time where SIMD
// exists; row and prev never overlap.
void AddRow(uint8_t* row, const uint8_t* prev, size_t len) {
  size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= len; i += 16) {
    const __m128i r = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm_add_epi8(r, p));
  }
#endif
  for (; i < len; ++i) row[i] = uint8_t(row[i] + prev[i]);
}

// Undoes one row's filter in place; prev is the unfiltered previous row of the
// same pass (all zero for the first). Both rows hold `len` bytes.
void Unfilter(int filter, uint8_t* row, const uint8_t* prev, size_t len, size_t bpp) {
  if (filter < 0 || filter > 4) FailDetail(Format("Invalid row filter type %d.", filter));
  if (filter == 0) return;
  if (filter == 2) return AddRow(row, prev, len);
  switch (filter) {
    case 1:
      for (size_t i = bpp; i < len; ++i) row[i] = uint8_t(row[i] + row[i - bpp]);
      break;
    case 3:
      for (size_t i = 0; i < bpp && i < len; ++i) row[i] = uint8_t(row[i] + (prev[i] >> 1));
      for (size_t i = bpp; i < len; ++i) row[i] = uint8_t(row[i] + ((row[i - bpp] + prev[i]) >> 1));
      break;
    case 4:
      for (size_t i = 0; i < bpp && i < len; ++i) row[i] = uint8_t(row[i] + prev[i]);
      for (size_t i = bpp; i < len; ++i) row[i] = uint8_t(row[i] + Paeth(row[i - bpp], prev[i], prev[i - bpp]));
      break;
  }
}

class TPngDecoder {
public:
  TPngDecoder(const uint8_t* data, size_t size) : FData(data), FSize(size) { PaletteAlpha.fill(255); }

  void Run(TBitmap32& bitmap);

  uint32_t Width = 0, Height = 0;
  uint8_t BitDepth = 0, ColorType = 0, Interlace = 0;
  bool HasTrns = false;
  uint16_t TrnsGrey = 0, TrnsRed = 0, TrnsGreen = 0, TrnsBlue = 0;
  bool HasBkgd = false;
  uint16_t BkgdGrey = 0, BkgdRed = 0, BkgdGreen = 0, BkgdBlue = 0;
  uint8_t BkgdIndex = 0;
  uint32_t Gamma = 0;
  int PaletteCount = 0;
  std::array<uint8_t, 256 * 3> PaletteRgb{};
  // tRNS lists the first entries only; the rest stay opaque.
  std::array<uint8_t, 256> PaletteAlpha{};
  TColor BkgdColor = clNone;

private:
  void ReadChunks();
  void ReadHeader(const uint8_t* p, uint32_t len);
  void ReadTrns(const uint8_t* p, uint32_t len);
  void ReadBkgd(const uint8_t* p, uint32_t len);
  void BuildTables();
  void Decode(TBitmap32& bitmap);
  // Inflates up to count bytes; on a short or corrupt stream, error says why.
  size_t InflateUpTo(uint8_t* out, size_t count, String& error, bool last);
  void CheckNoExcess();
  void ConvertRow(const uint8_t* src, uint32_t* dst, int count) const;
  TColor Background() const;

  const uint8_t* FData;
  size_t FSize;
  std::vector<TIdatPart> FIdat;
  uint64_t FIdatBytes = 0;
  size_t FIdatIndex = 0;
  TacZlibInflater FInflater;
  z_stream& FZ = FInflater.Z;
  bool FStreamEnded = false;
  // Gamma-corrected 8-bit sample lookup; identity without gAMA.
  std::array<uint8_t, 256> FGamma8{};
  // 16-bit sample to corrected 8-bit, so that gamma works on the full
  // precision; nil without gAMA (the high byte is used then). Points into
  // the thread's gamma tables, unchanged while this decoder runs.
  const uint8_t* FGamma16 = nullptr;
  // Indexed and grey pictures of 8 bits or less map samples through this.
  std::array<uint32_t, 256> FLut{};
};

void TPngDecoder::ReadHeader(const uint8_t* p, uint32_t len) {
  if (len != 13) Fail(SPNGInvalidFormat);
  Width = Be32(p);
  Height = Be32(p + 4);
  BitDepth = p[8];
  ColorType = p[9];
  Interlace = p[12];
  if (Width == 0 || Height == 0 || Width > 0x7FFFFFFFu || Height > 0x7FFFFFFFu) Fail(SPNGInvalidFormat);
  if (p[10] != 0 || p[11] != 0 || Interlace > 1) Fail(SPNGInvalidFormat);
  bool depthOk;
  switch (ColorType) {
    case 0:
      depthOk = BitDepth == 1 || BitDepth == 2 || BitDepth == 4 || BitDepth == 8 || BitDepth == 16;
      break;
    case 3:
      depthOk = BitDepth == 1 || BitDepth == 2 || BitDepth == 4 || BitDepth == 8;
      break;
    case 2:
    case 4:
    case 6:
      depthOk = BitDepth == 8 || BitDepth == 16;
      break;
    default:
      depthOk = false;
  }
  if (!depthOk) Fail(SPNGInvalidColorFormat);
  if (Width > uint32_t(TBitmap32::MaxDimension) || Height > uint32_t(TBitmap32::MaxDimension))
    FailDetail(Format("The image is too large (%u x %u pixels; at most %d x %d).", Width, Height,
                      TBitmap32::MaxDimension, TBitmap32::MaxDimension));
}

// Malformed or misplaced tRNS is ignored, as for any ancillary chunk.
void TPngDecoder::ReadTrns(const uint8_t* p, uint32_t len) {
  switch (ColorType) {
    case 0:
      if (len != 2) return;
      TrnsGrey = Be16(p);
      break;
    case 2:
      if (len != 6) return;
      TrnsRed = Be16(p);
      TrnsGreen = Be16(p + 2);
      TrnsBlue = Be16(p + 4);
      break;
    case 3:
      if (PaletteCount == 0 || len == 0 || len > uint32_t(PaletteCount)) return;
      std::memcpy(PaletteAlpha.data(), p, len);
      break;
    default:
      return;
  }
  HasTrns = true;
}

void TPngDecoder::ReadBkgd(const uint8_t* p, uint32_t len) {
  switch (ColorType) {
    case 3:
      if (len != 1 || PaletteCount == 0 || p[0] >= PaletteCount) return;
      BkgdIndex = p[0];
      break;
    case 0:
    case 4:
      if (len != 2) return;
      BkgdGrey = Be16(p);
      break;
    default:
      if (len != 6) return;
      BkgdRed = Be16(p);
      BkgdGreen = Be16(p + 2);
      BkgdBlue = Be16(p + 4);
      break;
  }
  HasBkgd = true;
}

void TPngDecoder::ReadChunks() {
  if (FSize < 8 || std::memcmp(FData, PngSignature, 8) != 0) Fail(SPNGInvalidFormat);
  size_t pos = 8;
  bool haveHeader = false, haveEnd = false, idatClosed = false;
  uint32_t lastType = 0;
  while (!haveEnd) {
    if (FSize - pos < 12) FailDetail("The file is truncated.");
    const uint8_t* chunk = FData + pos;
    uint32_t len = Be32(chunk);
    uint32_t type = Be32(chunk + 4);
    if (len > 0x7FFFFFFFu) FailDetail("Invalid chunk length.");
    if (FSize - pos - 12 < len) FailDetail("The file is truncated.");
    for (int i = 4; i < 8; ++i) {
      uint8_t c = chunk[i];
      if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
        if (!haveHeader) Fail(SPNGInvalidFormat);
        FailDetail("Invalid chunk type.");
      }
    }
    const uint8_t* body = chunk + 8;
    char name[5] = {char(chunk[4]), char(chunk[5]), char(chunk[6]), char(chunk[7]), 0};
    if (uint32_t(crc32(0, chunk + 4, len + 4)) != Be32(body + len))
      FailDetail(Format("CRC error in chunk %s.", name));
    pos += size_t(len) + 12;

    if (!haveHeader) {
      if (type != cIHDR) Fail(SPNGInvalidFormat);
      ReadHeader(body, len);
      haveHeader = true;
      lastType = type;
      continue;
    }
    if (type == cIDAT) {
      if (idatClosed) FailDetail("The image data chunks (IDAT) are not consecutive.");
      if (ColorType == 3 && PaletteCount == 0) FailDetail("The palette (PLTE) is missing.");
      if (len > 0) FIdat.push_back({body, len});
      FIdatBytes += len;
    } else {
      if (lastType == cIDAT) idatClosed = true;
      bool afterData = idatClosed;
      switch (type) {
        case cIHDR:
          Fail(SPNGInvalidFormat);
        case cIEND:
          haveEnd = true;
          break;
        case cPLTE:
          if (PaletteCount != 0) FailDetail("Duplicate palette (PLTE).");
          if (afterData) FailDetail("The palette (PLTE) follows the image data.");
          if (len == 0 || len % 3 != 0 || len > 256 * 3) FailDetail("Invalid palette (PLTE) length.");
          if (ColorType == 3) {
            // Entries beyond what the bit depth can index are never used.
            PaletteCount = std::min<int>(int(len / 3), 1 << BitDepth);
            std::memcpy(PaletteRgb.data(), body, size_t(PaletteCount) * 3);
          } else if (ColorType == 2 || ColorType == 6) {
            PaletteCount = int(len / 3);  // only a suggestion for such pictures
          }
          break;
        case cTRNS:
          if (!afterData && !HasTrns) ReadTrns(body, len);
          break;
        case cBKGD:
          if (!afterData && !HasBkgd) ReadBkgd(body, len);
          break;
        case cGAMA:
          // Only in its place, before PLTE and the image data.
          if (!afterData && PaletteCount == 0 && Gamma == 0 && len == 4) Gamma = Be32(body);
          if (Gamma > 0x7FFFFFFFu) Gamma = 0;
          break;
        default:
          if ((type & 0x20000000u) == 0) Fail(SPNGCriticalChunk);
          break;
      }
    }
    lastType = type;
  }
  if (FIdatBytes == 0) FailDetail("The image has no data (IDAT).");
}

namespace {

// Gamma tables of the last gAMA value seen on this thread: the pictures of a
// skin usually share one, and the 16-bit table costs hundreds of pow calls.
struct TGammaTables {
  uint32_t Gamma8 = 0, Gamma16 = 0;  // 0: not built
  std::array<uint8_t, 256> Table8{};
  std::unique_ptr<uint8_t[]> Table16;
};

TGammaTables& GammaTables() {
  static thread_local TGammaTables tables;
  return tables;
}

// 16-bit sample v to round(255 * (v / 65535)^exponent), for every v.
void BuildGamma16(double exponent, uint8_t* table) {
  // The mapping is monotonic: find where each output value starts instead of
  // evaluating all 65536 samples.
  auto out = [exponent](int v) { return int(std::lround(255.0 * std::pow(v / 65535.0, exponent))); };
  int start = 0;
  for (int k = 1; k <= 255; ++k) {
    // The inverse function gives the start; when it falls well between two
    // samples no rounding can disagree, otherwise confirm with the forward one.
    const double inverse = 65535.0 * std::pow((k - 0.5) / 255.0, 1.0 / exponent);
    const int guess = inverse >= 65536.0 ? 65536 : std::max(start, int(std::ceil(inverse)));
    const bool clear = inverse < 65535.0 && guess > start && std::abs(inverse - std::nearbyint(inverse)) > 1e-3;
    if (clear || ((guess == start || out(guess - 1) < k) && (guess == 65536 || out(guess) >= k))) {
      std::fill(table + start, table + guess, uint8_t(k - 1));
      start = guess;
      continue;
    }
    int lo = start, hi = 65536;  // first v in [lo, hi) with out(v) >= k, or hi
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (out(mid) >= k)
        hi = mid;
      else
        lo = mid + 1;
    }
    std::fill(table + start, table + lo, uint8_t(k - 1));
    start = lo;
  }
  std::fill(table + start, table + 65536, uint8_t(255));
}

}  // namespace

void TPngDecoder::BuildTables() {
  for (int i = 0; i < 256; ++i) FGamma8[i] = uint8_t(i);
  if (Gamma != 0) {
    // Correct from the file's gamma to a display gamma of 2.2.
    const double exponent = 1.0 / (double(Gamma) / 100000.0 * 2.2);
    TGammaTables& cache = GammaTables();
    if (BitDepth < 16) {
      if (cache.Gamma8 != Gamma) {
        for (int i = 0; i < 256; ++i) cache.Table8[i] = uint8_t(std::lround(255.0 * std::pow(i / 255.0, exponent)));
        cache.Gamma8 = Gamma;
      }
      FGamma8 = cache.Table8;
    } else {
      if (cache.Gamma16 != Gamma) {
        cache.Gamma16 = 0;
        if (!cache.Table16) cache.Table16.reset(new uint8_t[65536]);
        BuildGamma16(exponent, cache.Table16.get());
        cache.Gamma16 = Gamma;
      }
      FGamma16 = cache.Table16.get();
    }
  }
  if (ColorType == 3) {
    for (int i = 0; i < 256; ++i) {
      if (i < PaletteCount) {
        const uint8_t* c = &PaletteRgb[size_t(i) * 3];
        FLut[i] = Bgra(FGamma8[c[0]], FGamma8[c[1]], FGamma8[c[2]], PaletteAlpha[i]);
      } else {
        FLut[i] = 0xFF000000u;  // index outside the palette: opaque black
      }
    }
  } else if (ColorType == 0 && BitDepth <= 8) {
    int maxSample = (1 << BitDepth) - 1;
    for (int i = 0; i <= maxSample; ++i) {
      uint8_t v = FGamma8[i * 255 / maxSample];
      uint8_t a = (HasTrns && TrnsGrey == i) ? 0 : 255;
      FLut[i] = Bgra(v, v, v, a);
    }
  }
}

TColor TPngDecoder::Background() const {
  if (!HasBkgd) return clNone;
  auto s16 = [&](uint16_t v) -> uint8_t {
    if (BitDepth != 16) return FGamma8[uint8_t(v)];
    return FGamma16 ? FGamma16[v] : uint8_t(v >> 8);
  };
  switch (ColorType) {
    case 3:
      return PixelToColor(FLut[BkgdIndex]);
    case 0:
    case 4:
      if (BitDepth < 8) {
        int maxSample = (1 << BitDepth) - 1;
        uint8_t v = FGamma8[(BkgdGrey & maxSample) * 255 / maxSample];
        return RGBColor(v, v, v);
      } else {
        uint8_t v = s16(BkgdGrey);
        return RGBColor(v, v, v);
      }
    default:
      return RGBColor(s16(BkgdRed), s16(BkgdGreen), s16(BkgdBlue));
  }
}

size_t TPngDecoder::InflateUpTo(uint8_t* out, size_t count, String& error, bool last) {
  FZ.next_out = out;
  FZ.avail_out = uInt(count);
  while (FZ.avail_out > 0) {
    if (FZ.avail_in == 0) {
      if (FIdatIndex >= FIdat.size() || FStreamEnded) {
        error = "The image data is too short.";
        break;
      }
      FZ.next_in = const_cast<Bytef*>(FIdat[FIdatIndex].Data);
      FZ.avail_in = FIdat[FIdatIndex].Length;
      ++FIdatIndex;
    }
    int rc = FInflater.Inflate(last ? Z_FINISH : Z_NO_FLUSH);
    if (rc == Z_STREAM_END) {
      FStreamEnded = true;
      if (FZ.avail_out > 0) {
        error = "The image data is too short.";
        break;
      }
    } else if (rc == Z_BUF_ERROR) {
      if (FZ.avail_in != 0) {
        error = "Corrupt compressed image data.";
        break;
      }
    } else if (rc != Z_OK) {
      error = String("Corrupt compressed image data") + (FZ.msg ? String(" (") + FZ.msg + ")." : String("."));
      break;
    }
  }
  return count - FZ.avail_out;
}

// Decompressed bytes beyond the last row mean the header and the data disagree.
void TPngDecoder::CheckNoExcess() {
  uint8_t scratch[64];
  while (!FStreamEnded) {
    if (FZ.avail_in == 0) {
      if (FIdatIndex >= FIdat.size()) return;  // stream not closed: tolerated
      FZ.next_in = const_cast<Bytef*>(FIdat[FIdatIndex].Data);
      FZ.avail_in = FIdat[FIdatIndex].Length;
      ++FIdatIndex;
    }
    FZ.next_out = scratch;
    FZ.avail_out = sizeof scratch;
    int rc = FInflater.Inflate();
    if (FZ.avail_out != sizeof scratch) FailDetail("The image data is too long.");
    if (rc == Z_STREAM_END) {
      FStreamEnded = true;
    } else if (rc == Z_BUF_ERROR) {
      if (FZ.avail_in != 0) FailDetail("Corrupt compressed image data.");
    } else if (rc != Z_OK) {
      FailDetail(String("Corrupt compressed image data") + (FZ.msg ? String(" (") + FZ.msg + ")." : String(".")));
    }
  }
}

void TPngDecoder::ConvertRow(const uint8_t* s, uint32_t* d, int count) const {
  const bool gamma = Gamma != 0;
  const uint8_t* g8 = FGamma8.data();
  const uint8_t* g16 = FGamma16;
  switch (ColorType) {
    case 3:
    case 0:
      if (BitDepth == 8) {
        for (int x = 0; x < count; ++x) d[x] = FLut[s[x]];
      } else if (BitDepth == 16) {
        // Grey 16.
        for (int x = 0; x < count; ++x, s += 2) {
          uint16_t v = Be16(s);
          uint8_t c = g16 ? g16[v] : s[0];
          d[x] = Bgra(c, c, c, (HasTrns && v == TrnsGrey) ? 0 : 255);
        }
      } else {
        const int depth = BitDepth;
        const int perByte = 8 / depth;
        const unsigned mask = (1u << depth) - 1;
        int x = 0;
        while (x < count) {
          unsigned byte = *s++;
          int n = std::min(perByte, count - x);
          for (int k = 0; k < n; ++k) {
            d[x++] = FLut[(byte >> (8 - depth)) & mask];
            byte <<= depth;
          }
        }
      }
      break;
    case 2:
      if (BitDepth == 8) {
        if (HasTrns) {
          for (int x = 0; x < count; ++x, s += 3) {
            uint8_t a = (s[0] == TrnsRed && s[1] == TrnsGreen && s[2] == TrnsBlue) ? 0 : 255;
            d[x] = Bgra(g8[s[0]], g8[s[1]], g8[s[2]], a);
          }
        } else if (gamma) {
          for (int x = 0; x < count; ++x, s += 3) d[x] = Bgra(g8[s[0]], g8[s[1]], g8[s[2]], 255);
        } else {
          for (int x = 0; x < count; ++x, s += 3) d[x] = Bgra(s[0], s[1], s[2], 255);
        }
      } else {
        for (int x = 0; x < count; ++x, s += 6) {
          uint16_t r = Be16(s), g = Be16(s + 2), b = Be16(s + 4);
          uint8_t a = (HasTrns && r == TrnsRed && g == TrnsGreen && b == TrnsBlue) ? 0 : 255;
          if (g16)
            d[x] = Bgra(g16[r], g16[g], g16[b], a);
          else
            d[x] = Bgra(s[0], s[2], s[4], a);
        }
      }
      break;
    case 4:
      if (BitDepth == 8) {
        for (int x = 0; x < count; ++x, s += 2) {
          uint8_t c = g8[s[0]];
          d[x] = Bgra(c, c, c, s[1]);
        }
      } else {
        for (int x = 0; x < count; ++x, s += 4) {
          uint8_t c = g16 ? g16[Be16(s)] : s[0];
          d[x] = Bgra(c, c, c, s[2]);
        }
      }
      break;
    case 6:
      if (BitDepth == 8) {
        if (gamma) {
          for (int x = 0; x < count; ++x, s += 4) d[x] = Bgra(g8[s[0]], g8[s[1]], g8[s[2]], s[3]);
        } else {
          int x = 0;
#if defined(__SSE2__)
          // Bytes R G B A to B G R A, four pixels at a time: swap the red and blue bytes.
          const __m128i keep = _mm_set1_epi32(int32_t(0xFF00FF00u)), low = _mm_set1_epi32(0xFF);
          for (; x + 4 <= count; x += 4, s += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
            const __m128i swapped = _mm_or_si128(_mm_and_si128(_mm_srli_epi32(v, 16), low),
                                                 _mm_slli_epi32(_mm_and_si128(v, low), 16));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), _mm_or_si128(_mm_and_si128(v, keep), swapped));
          }
#endif
          for (; x < count; ++x, s += 4) d[x] = Bgra(s[0], s[1], s[2], s[3]);
        }
      } else {
        for (int x = 0; x < count; ++x, s += 8) {
          if (g16)
            d[x] = Bgra(g16[Be16(s)], g16[Be16(s + 2)], g16[Be16(s + 4)], s[6]);
          else
            d[x] = Bgra(s[0], s[2], s[4], s[6]);
        }
      }
      break;
  }
}

void TPngDecoder::Decode(TBitmap32& bitmap) {
  const int channels = ColorType == 2 ? 3 : ColorType == 4 ? 2 : ColorType == 6 ? 4 : 1;
  const uint64_t bitsPerPixel = uint64_t(channels) * BitDepth;
  const size_t bpp = std::max<size_t>(1, size_t(bitsPerPixel / 8));
  const int w = int(Width), h = int(Height);
  const int passCount = Interlace ? 7 : 1;

  uint64_t rawSize = 0;
  size_t maxRowBytes = 0;
  for (int p = 0; p < passCount; ++p) {
    const TPass& pass = Interlace ? Adam7[p] : NoInterlace;
    int pw = PassExtent(w, pass.X0, pass.DX), ph = PassExtent(h, pass.Y0, pass.DY);
    if (pw == 0 || ph == 0) continue;
    size_t rowBytes = size_t((uint64_t(pw) * bitsPerPixel + 7) / 8);
    maxRowBytes = std::max(maxRowBytes, rowBytes);
    rawSize += uint64_t(ph) * (rowBytes + 1);
  }
  if (rawSize > FIdatBytes * MaxInflateRatio + 1024) FailDetail("The image data is too short.");

  bitmap.SetSize(w, h);
  // Rows are inflated many at a time (one zlib call per block, not per row);
  // a block of about 16 KiB stays in the first-level cache until converted,
  // while a small picture is inflated in one call (zlib then keeps no window).
  // The row before the block is kept in front of it.
  const size_t blockRows = rawSize <= (uint64_t(1) << 18)
                               ? size_t(h)
                               : std::clamp<size_t>((size_t(1) << 14) / (maxRowBytes + 1), 1, size_t(h));
  std::unique_ptr<uint8_t[]> block(new uint8_t[(blockRows + 1) * (maxRowBytes + 1)]);
  std::vector<uint32_t> passPixels(Interlace ? size_t(w) : 0);

  if (FInflater.Init() != Z_OK) FailDetail("Out of memory.");

  for (int p = 0; p < passCount; ++p) {
    const TPass& pass = Interlace ? Adam7[p] : NoInterlace;
    int pw = PassExtent(w, pass.X0, pass.DX), ph = PassExtent(h, pass.Y0, pass.DY);
    if (pw == 0 || ph == 0) continue;
    const size_t rowBytes = size_t((uint64_t(pw) * bitsPerPixel + 7) / 8), stride = rowBytes + 1;
    uint8_t* const first = block.get() + stride;  // block rows follow the kept row
    std::memset(block.get(), 0, stride);
    for (int r0 = 0; r0 < ph;) {
      const size_t want = std::min<size_t>(blockRows, size_t(ph - r0));
      String error;
      const bool last = p == passCount - 1 && r0 + int(want) == ph;  // the rest of the image data
      const size_t rows = InflateUpTo(first, want * stride, error, last) / stride;
      for (size_t k = 0; k < rows; ++k) {
        uint8_t* cur = first + k * stride;
        Unfilter(cur[0], cur + 1, cur - stride + 1, rowBytes, bpp);
        const int y = pass.Y0 + (r0 + int(k)) * pass.DY;
        if (!Interlace) {
          ConvertRow(cur + 1, bitmap.ScanLine(y), pw);
        } else {
          ConvertRow(cur + 1, passPixels.data(), pw);
          uint32_t* dst = bitmap.ScanLine(y) + pass.X0;
          for (int i = 0; i < pw; ++i) dst[size_t(i) * pass.DX] = passPixels[i];
        }
      }
      if (!error.empty()) FailDetail(error);
      std::memcpy(block.get(), first + (rows - 1) * stride, stride);
      r0 += int(rows);
    }
  }
  CheckNoExcess();
}

void TPngDecoder::Run(TBitmap32& bitmap) {
  ReadChunks();
  if (ColorType == 3 && PaletteCount == 0) FailDetail("The palette (PLTE) is missing.");
  BuildTables();
  BkgdColor = Background();
  Decode(bitmap);
}

}  // namespace

void TPNGGraphic::LoadFromBytes(const uint8_t* data, size_t size) {
  if (data == nullptr) size = 0;
  TPngDecoder decoder(data, size);
  TBitmap32 bitmap;
  decoder.Run(bitmap);
  // Publish only after the whole picture decoded.
  switch (decoder.ColorType) {
    case 6:
      bitmap.PixelFormat = TPixelFormat::pf32bit;
      break;
    case 2:
      bitmap.PixelFormat = TPixelFormat::pf24bit;
      break;
    default:
      bitmap.PixelFormat = decoder.BitDepth == 1   ? TPixelFormat::pf1bit
                           : decoder.BitDepth <= 4 ? TPixelFormat::pf4bit
                                                   : TPixelFormat::pf8bit;
      break;
  }
  FBitmap = std::move(bitmap);
  FColorType = TColorType(decoder.ColorType);
  FBitDepth = decoder.BitDepth;
  FInterlaced = decoder.Interlace != 0;
  FHasTransparency = decoder.ColorType == 4 || decoder.ColorType == 6 || decoder.HasTrns;
  FFileGamma = decoder.Gamma;
  FBackgroundColor = decoder.BkgdColor;
}

void TPNGGraphic::LoadFromStream(TStream& stream) {
  int64_t remaining = stream.Size() - stream.Position();
  if (remaining < 0) remaining = 0;
  if (remaining > MaxFileSize) FailDetail("The file is too large.");
  std::vector<uint8_t> bytes(static_cast<size_t>(remaining));
  stream.ReadBuffer(bytes.data(), remaining);
  LoadFromBytes(bytes.data(), bytes.size());
}

void TPNGGraphic::LoadFromFile(const String& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
  LoadFromStream(stream);
}
