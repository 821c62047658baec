// Encoders for the skin's picture files: PNG (8-bit RGBA, straight alpha)
// and the 24-bit BMP with the 12-byte OS/2 1.x core header. Both produce
// the same bytes for the same pixels on every run.
#pragma once
#include "framework/core/Bitmap32.h"
#include "framework/core/SysUtils.h"

// Non-interlaced RGBA PNG holding IHDR, IDAT and IEND only.
TBytes EncodePng(const TBitmap32& bmp);

// 24-bit rows, bottom-up, padded to 4 bytes. Pixels whose alpha is 0 are
// written as the skin's transparent colour (fuchsia); all others opaque.
TBytes EncodeOs2Bmp(const TBitmap32& bmp);

// Fixed deflate level of every stream the tool writes.
inline constexpr int SkinZlibLevel = 9;
// One complete zlib stream of data at SkinZlibLevel.
TBytes ZlibCompress(const uint8_t* data, size_t size);
