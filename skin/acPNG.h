// PNG reader of the skin engine: every colour type and bit depth, Adam7,
// palettes, tRNS, bKGD and gAMA; pixels come out as a TBitmap32.
#pragma once
#include "framework/core/Bitmap32.h"
#include "framework/core/Classes.h"
#include "framework/core/SysUtils.h"

#include <cstddef>
#include <cstdint>

// Every failure to read a PNG; Message() is meant for the user.
QN_DECLARE_EXCEPTION(EPNGError, Exception);

// Texts of the errors the skin loader shows.
inline constexpr const char* SPNGCriticalChunk = "Cannot load PNG image. Unexpected but critical chunk detected.";
inline constexpr const char* SPNGInvalidColorFormat = "Invalid color format in PNG file.";
inline constexpr const char* SPNGInvalidFormat = "Cannot load image. Invalid or unexpected PNG image format.";

// Decoded result. Pixels always hold the full picture: straight alpha from
// the alpha channel or tRNS (255 where the file has no transparency); 16-bit
// samples reduced to their high byte; with a gAMA chunk, colour corrected
// from the file's gamma to a display gamma of 2.2 (computed on the full
// sample, rounded to 8 bits; alpha is never corrected).
//
// Bitmap().PixelFormat tells what the file was, so that callers can treat
// non-RGBA pictures as opaque: pf32bit for RGBA, pf24bit for RGB, and for
// palette and grey pictures (grey with alpha included) pf1bit, pf4bit or
// pf8bit by bit depth (pf8bit for grey deeper than 4 bits).
class TPNGGraphic {
public:
  enum TColorType : uint8_t { ctGrey = 0, ctRGB = 2, ctPalette = 3, ctGreyAlpha = 4, ctRGBA = 6 };

  // The loaders throw EPNGError and leave the previous picture untouched.
  // LoadFromStream reads from the stream's position to its end.
  void LoadFromStream(TStream& stream);
  void LoadFromBytes(const uint8_t* data, size_t size);
  void LoadFromFile(const String& fileName);

  const TBitmap32& Bitmap() const { return FBitmap; }
  TBitmap32& Bitmap() { return FBitmap; }
  int Width() const { return FBitmap.Width(); }
  int Height() const { return FBitmap.Height(); }
  bool Empty() const { return FBitmap.Empty(); }

  // Header facts of the last successful load.
  TColorType ColorType() const { return FColorType; }
  int BitDepth() const { return FBitDepth; }
  bool Interlaced() const { return FInterlaced; }
  // True when some pixel may have alpha below 255 (alpha channel or tRNS).
  bool HasTransparency() const { return FHasTransparency; }
  // The file's gAMA value (gamma x 100000), 0 when there is none.
  uint32_t FileGamma() const { return FFileGamma; }
  // bKGD as a colour, reduced to 8 bits and gamma-corrected like the pixels;
  // clNone when the file has none.
  TColor BackgroundColor() const { return FBackgroundColor; }

private:
  TBitmap32 FBitmap;
  TColorType FColorType = ctRGBA;
  int FBitDepth = 8;
  bool FInterlaced = false;
  bool FHasTransparency = false;
  uint32_t FFileGamma = 0;
  TColor FBackgroundColor = clNone;
};
