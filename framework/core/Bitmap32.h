// A window-free 32-bit bitmap: decoders write it, painting reads it.
#pragma once
#include "framework/core/Types.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// What the pixels came from; decoders set it, the skin code converts by it.
enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// Rows run top-down; a pixel is 0xAARRGGBB, i.e. bytes blue, green, red, alpha.
class TBitmap32 {
public:
  static constexpr int MaxDimension = 16384;

  TBitmap32() = default;
  TBitmap32(int width, int height) { SetSize(width, height); }

  // Zero-filled; EInvalidArgument for negative or oversized dimensions.
  void SetSize(int width, int height);
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Empty() const { return FWidth == 0 || FHeight == 0; }

  uint32_t* ScanLine(int y) { return FPixels.data() + size_t(y) * size_t(FWidth); }
  const uint32_t* ScanLine(int y) const { return FPixels.data() + size_t(y) * size_t(FWidth); }
  uint32_t Pixel(int x, int y) const { return FPixels[size_t(y) * size_t(FWidth) + size_t(x)]; }
  void SetPixel(int x, int y, uint32_t value) { FPixels[size_t(y) * size_t(FWidth) + size_t(x)] = value; }
  uint32_t* Bits() { return FPixels.data(); }
  const uint32_t* Bits() const { return FPixels.data(); }
  size_t PixelCount() const { return FPixels.size(); }

  void Fill(uint32_t value);
  // Copies the part of src inside srcRect to (x, y), clipped to both bitmaps.
  void CopyRect(int x, int y, const TBitmap32& src, const TRect& srcRect);

  TPixelFormat PixelFormat = TPixelFormat::pf32bit;

  friend bool operator==(const TBitmap32& a, const TBitmap32& b) {
    return a.FWidth == b.FWidth && a.FHeight == b.FHeight && a.FPixels == b.FPixels;
  }

private:
  int FWidth = 0;
  int FHeight = 0;
  std::vector<uint32_t> FPixels;
};

// TColor (red low) to and from a pixel value (red in bits 16-23).
constexpr uint32_t ColorToPixel(TColor c, uint8_t alpha = 0xFF) {
  return (uint32_t(alpha) << 24) | (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}
constexpr TColor PixelToColor(uint32_t p) { return RGBColor(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)); }
