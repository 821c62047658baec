#include "skin/acBmp.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr size_t FileHeaderSize = 14;
constexpr int64_t MaxFileSize = int64_t(1) << 31;

enum : uint32_t { biRGB = 0, biRLE8 = 1, biRLE4 = 2, biBitfields = 3, biJPEG = 4, biPNG = 5, biAlphaBitfields = 6 };

inline uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

[[noreturn]] void Fail(const String& what) { throw EBmpError("Cannot load bitmap. " + what); }

// One colour channel selected by a bit mask, widened or narrowed to 8 bits.
struct TChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  int Bits = 0;
  std::array<uint8_t, 256> Widen{};  // for Bits <= 8: n-bit value -> 8 bits

  void Init(uint32_t mask) {
    Mask = mask;
    if (mask == 0) return;
    Shift = std::countr_zero(mask);
    uint32_t run = mask >> Shift;
    Bits = std::popcount(run);
    if ((run & (run + 1)) != 0) Fail("Invalid colour masks.");
    if (Bits <= 8) {
      // Repeat the bits downwards, so that all ones give 255.
      for (uint32_t v = 0; v < (1u << Bits); ++v) {
        uint32_t out = 0;
        for (int pos = 8 - Bits; pos > -Bits; pos -= Bits) out |= pos >= 0 ? v << pos : v >> -pos;
        Widen[v] = uint8_t(out);
      }
    }
  }
  uint8_t Get(uint32_t pixel) const {
    if (Mask == 0) return 0;
    uint32_t v = (pixel & Mask) >> Shift;
    return Bits <= 8 ? Widen[v] : uint8_t(v >> (Bits - 8));
  }
};

class TBmpDecoder {
public:
  TBmpDecoder(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
  void Run(TBitmap32& bitmap);

private:
  void ReadHeaders();
  void ReadPalette(size_t at, size_t entrySize);
  void DecodeUncompressed(TBitmap32& bitmap);
  void DecodeRle(TBitmap32& bitmap);
  uint32_t* Row(TBitmap32& bitmap, int64_t fileRow) const {
    return bitmap.ScanLine(int(FTopDown ? fileRow : FHeight - 1 - fileRow));
  }

  const uint8_t* FData;
  size_t FSize;
  int FWidth = 0, FHeight = 0;
  bool FTopDown = false;
  int FBits = 0;
  uint32_t FCompression = biRGB;
  bool FHasMasks = false;
  bool FRawAlpha = false;  // 32-bit without masks: keep the fourth byte
  TChannel FRed, FGreen, FBlue, FAlpha;
  size_t FPixelOffset = 0;
  int FPaletteCount = 0;
  std::array<uint32_t, 256> FPalette{};
  TPixelFormat FFormat = TPixelFormat::pf32bit;
};

void TBmpDecoder::ReadPalette(size_t at, size_t entrySize) {
  FPalette.fill(0xFF000000u);  // indexes beyond the palette: opaque black
  if (FBits > 8) return;
  int count = FPaletteCount;
  // The palette may not overlap the pixels: a short palette is cut there.
  size_t room = FPixelOffset > at ? (FPixelOffset - at) / entrySize : 0;
  count = int(std::min<size_t>(size_t(count), room));
  FPaletteCount = count;
  for (int i = 0; i < count; ++i) {
    const uint8_t* p = FData + at + size_t(i) * entrySize;
    FPalette[i] = 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
  }
}

void TBmpDecoder::ReadHeaders() {
  if (FSize < FileHeaderSize + 12 || FData[0] != 'B' || FData[1] != 'M') Fail("Not a bitmap file.");
  uint32_t offBits = Le32(FData + 10);
  const uint8_t* h = FData + FileHeaderSize;
  uint32_t headerSize = Le32(h);
  bool core = headerSize == 12;
  bool windows = headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 || headerSize == 124;
  bool os2v2 = !core && !windows && headerSize >= 16 && headerSize <= 64;
  if (!core && !windows && !os2v2) Fail(Format("Unsupported header size %u.", headerSize));
  if (headerSize > FSize - FileHeaderSize) Fail("The file is truncated.");

  int64_t width, height;
  if (core) {
    width = Le16(h + 4);
    height = Le16(h + 6);
    FBits = Le16(h + 10);
  } else {
    width = int32_t(Le32(h + 4));
    height = int32_t(Le32(h + 8));
    FBits = Le16(h + 14);
    // OS/2 2.x headers may stop after any field; absent fields are zero.
    uint8_t full[64] = {};
    std::memcpy(full, h, std::min<size_t>(headerSize, 64));
    FCompression = headerSize >= 20 ? Le32(full + 16) : biRGB;
    uint32_t colorsUsed = headerSize >= 36 ? Le32(full + 32) : 0;
    FPaletteCount = int(std::min<uint32_t>(colorsUsed, 256));
    if (os2v2 && FCompression >= 3) Fail(Format("Unsupported compression %u.", FCompression));
  }
  if (height < 0 && !core) {
    FTopDown = true;
    height = -height;
  }
  if (width <= 0 || height <= 0) Fail("Invalid image size.");
  if (width > TBitmap32::MaxDimension || height > TBitmap32::MaxDimension)
    Fail(Format("The image is too large (%lld x %lld pixels; at most %d x %d).", (long long)width, (long long)height,
                TBitmap32::MaxDimension, TBitmap32::MaxDimension));
  FWidth = int(width);
  FHeight = int(height);

  switch (FBits) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 24:
      break;
    case 16:
    case 32:
      if (core) Fail(Format("Unsupported bit count %d.", FBits));
      break;
    default:
      Fail(Format("Unsupported bit count %d.", FBits));
  }

  size_t afterHeader = FileHeaderSize + headerSize;
  switch (FCompression) {
    case biRGB:
      break;
    case biRLE8:
      if (FBits != 8) Fail("RLE8 compression needs 8 bits per pixel.");
      break;
    case biRLE4:
      if (FBits != 4) Fail("RLE4 compression needs 4 bits per pixel.");
      break;
    case biBitfields:
    case biAlphaBitfields: {
      if (FBits != 16 && FBits != 32) Fail("Colour masks need 16 or 32 bits per pixel.");
      size_t maskCount = FCompression == biAlphaBitfields ? 4 : 3;
      const uint8_t* masks;
      if (headerSize >= 40 + maskCount * 4) {
        masks = h + 40;
      } else {
        // With a plain info header the masks follow it.
        if (FSize - afterHeader < maskCount * 4) Fail("The file is truncated.");
        masks = FData + afterHeader;
        afterHeader += maskCount * 4;
      }
      uint32_t alphaMask = maskCount == 4 || headerSize >= 56 ? Le32(masks + 12) : 0;
      uint32_t limit = FBits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
      for (uint32_t m : {Le32(masks), Le32(masks + 4), Le32(masks + 8), alphaMask})
        if (m > limit) Fail("Invalid colour masks.");
      FRed.Init(Le32(masks));
      FGreen.Init(Le32(masks + 4));
      FBlue.Init(Le32(masks + 8));
      FAlpha.Init(alphaMask);
      FHasMasks = true;
      break;
    }
    case biJPEG:
    case biPNG:
      Fail("Embedded JPEG or PNG pictures are not supported.");
    default:
      Fail(Format("Unsupported compression %u.", FCompression));
  }
  if (!FHasMasks && FBits == 16) {
    FRed.Init(0x7C00);
    FGreen.Init(0x03E0);
    FBlue.Init(0x001F);
    FHasMasks = true;
  }
  FRawAlpha = FBits == 32 && !FHasMasks;

  if (offBits < afterHeader || offBits >= FSize) Fail("Invalid pixel data offset.");
  FPixelOffset = offBits;
  if (FBits <= 8) {
    int maxColors = 1 << FBits;
    if (FPaletteCount == 0 || FPaletteCount > maxColors) FPaletteCount = maxColors;
    ReadPalette(afterHeader, core ? 3 : 4);
  }

  switch (FBits) {
    case 1:
      FFormat = TPixelFormat::pf1bit;
      break;
    case 2:
    case 4:
      FFormat = TPixelFormat::pf4bit;
      break;
    case 8:
      FFormat = TPixelFormat::pf8bit;
      break;
    case 16:
      FFormat = FRed.Mask == 0x7C00 && FGreen.Mask == 0x03E0 && FBlue.Mask == 0x001F ? TPixelFormat::pf15bit
                                                                                       : TPixelFormat::pf16bit;
      break;
    case 24:
      FFormat = TPixelFormat::pf24bit;
      break;
    default:
      FFormat = TPixelFormat::pf32bit;
  }
}

void TBmpDecoder::DecodeUncompressed(TBitmap32& bitmap) {
  const uint64_t rowBits = uint64_t(FWidth) * FBits;
  const uint64_t stride = (rowBits + 31) / 32 * 4;
  const uint64_t lastRow = (rowBits + 7) / 8;  // the final row may lack its padding
  if (FSize - FPixelOffset < stride * uint64_t(FHeight - 1) + lastRow) Fail("The file is truncated.");
  bitmap.SetSize(FWidth, FHeight);
  const int w = FWidth;
  for (int r = 0; r < FHeight; ++r) {
    const uint8_t* s = FData + FPixelOffset + size_t(stride) * size_t(r);
    uint32_t* d = Row(bitmap, r);
    switch (FBits) {
      case 1:
      case 2:
      case 4: {
        const int bits = FBits;
        const unsigned mask = (1u << bits) - 1;
        int x = 0;
        while (x < w) {
          unsigned byte = *s++;
          for (int shift = 8 - bits; shift >= 0 && x < w; shift -= bits) d[x++] = FPalette[(byte >> shift) & mask];
        }
        break;
      }
      case 8:
        for (int x = 0; x < w; ++x) d[x] = FPalette[s[x]];
        break;
      case 16:
        for (int x = 0; x < w; ++x, s += 2) {
          uint32_t v = Le16(s);
          uint8_t a = FAlpha.Mask ? FAlpha.Get(v) : 255;
          d[x] = (uint32_t(a) << 24) | (uint32_t(FRed.Get(v)) << 16) | (uint32_t(FGreen.Get(v)) << 8) | FBlue.Get(v);
        }
        break;
      case 24: {
        int x = 0;
        if constexpr (std::endian::native == std::endian::little) {
#if defined(__SSE2__)
          // Four pixels from one 16-byte read (which stays inside the row
          // while two more pixels follow): each shifted to the low lane.
          const __m128i alpha = _mm_set1_epi32(int32_t(0xFF000000u));
          for (; x + 6 <= w; x += 4, s += 12) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
            const __m128i p01 = _mm_unpacklo_epi32(v, _mm_srli_si128(v, 3));
            const __m128i p23 = _mm_unpacklo_epi32(_mm_srli_si128(v, 6), _mm_srli_si128(v, 9));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), _mm_or_si128(_mm_unpacklo_epi64(p01, p23), alpha));
          }
#endif
          // Four bytes read per pixel; the fourth, the next pixel's blue, is
          // replaced by the alpha. The last pixel of the row is read alone.
          for (; x + 1 < w; ++x, s += 3) {
            uint32_t v;
            std::memcpy(&v, s, 4);
            d[x] = v | 0xFF000000u;
          }
        }
        for (; x < w; ++x, s += 3) d[x] = 0xFF000000u | (uint32_t(s[2]) << 16) | (uint32_t(s[1]) << 8) | s[0];
        break;
      }
      case 32:
        if (FRawAlpha) {
          std::memcpy(d, s, size_t(w) * 4);  // already blue, green, red, alpha
          if constexpr (std::endian::native != std::endian::little)
            for (int x = 0; x < w; ++x) d[x] = Le32(s + size_t(x) * 4);
        } else {
          for (int x = 0; x < w; ++x, s += 4) {
            uint32_t v = Le32(s);
            uint8_t a = FAlpha.Mask ? FAlpha.Get(v) : 255;
            d[x] = (uint32_t(a) << 24) | (uint32_t(FRed.Get(v)) << 16) | (uint32_t(FGreen.Get(v)) << 8) | FBlue.Get(v);
          }
        }
        break;
    }
  }
}

// RLE: (count, index) runs and escapes 0-0 end of line, 0-1 end of bitmap,
// 0-2-dx-dy move, 0-n n literal indexes padded to a 16-bit boundary. Pixels
// outside the picture are dropped; running past the last row ends decoding.
void TBmpDecoder::DecodeRle(TBitmap32& bitmap) {
  const bool rle4 = FCompression == biRLE4;
  bitmap.SetSize(FWidth, FHeight);
  const uint32_t background = FPalette[0];
  for (int y = 0; y < FHeight; ++y) std::fill_n(bitmap.ScanLine(y), FWidth, background);

  const uint8_t* p = FData + FPixelOffset;
  const uint8_t* end = FData + FSize;
  int64_t x = 0, y = 0;
  uint32_t* row = Row(bitmap, 0);
  auto put = [&](unsigned index) {
    if (x < FWidth) row[x] = FPalette[index];
    ++x;
  };
  while (y < FHeight) {
    if (end - p < 2) {
      if (p == end) break;  // no end-of-bitmap mark: what came is the picture
      Fail("The compressed pixel data is truncated.");
    }
    unsigned count = p[0], value = p[1];
    p += 2;
    if (count > 0) {
      if (x >= FWidth) continue;
      if (rle4) {
        for (unsigned i = 0; i < count && x < FWidth; ++i) put((i & 1) ? (value & 0x0F) : (value >> 4));
      } else {
        unsigned n = unsigned(std::min<int64_t>(count, FWidth - x));
        std::fill_n(row + x, n, FPalette[value]);
        x += count;
      }
      continue;
    }
    switch (value) {
      case 0:
        x = 0;
        if (++y < FHeight) row = Row(bitmap, y);
        break;
      case 1:
        return;
      case 2:
        if (end - p < 2) Fail("The compressed pixel data is truncated.");
        x += p[0];
        y += p[1];
        p += 2;
        if (y < FHeight) row = Row(bitmap, y);
        break;
      default: {
        size_t bytes = rle4 ? (value + 1) / 2 : value;
        size_t padded = (bytes + 1) & ~size_t(1);
        if (size_t(end - p) < bytes) Fail("The compressed pixel data is truncated.");
        for (unsigned i = 0; i < value && x < FWidth; ++i)
          put(rle4 ? ((i & 1) ? (p[i / 2] & 0x0F) : (p[i / 2] >> 4)) : p[i]);
        p += std::min(padded, size_t(end - p));
        break;
      }
    }
  }
}

void TBmpDecoder::Run(TBitmap32& bitmap) {
  ReadHeaders();
  if (FCompression == biRLE4 || FCompression == biRLE8)
    DecodeRle(bitmap);
  else
    DecodeUncompressed(bitmap);
  bitmap.PixelFormat = FFormat;
}

}  // namespace

void LoadBmp(const uint8_t* data, size_t size, TBitmap32& bitmap) {
  if (data == nullptr) size = 0;
  TBmpDecoder decoder(data, size);
  TBitmap32 result;
  decoder.Run(result);
  bitmap = std::move(result);
}

void LoadBmp(TStream& stream, TBitmap32& bitmap) {
  int64_t remaining = stream.Size() - stream.Position();
  if (remaining < 0) remaining = 0;
  if (remaining > MaxFileSize) Fail("The file is too large.");
  std::vector<uint8_t> bytes(static_cast<size_t>(remaining));
  stream.ReadBuffer(bytes.data(), remaining);
  LoadBmp(bytes.data(), bytes.size(), bitmap);
}

void LoadBmpFile(const String& fileName, TBitmap32& bitmap) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
  LoadBmp(stream, bitmap);
}
