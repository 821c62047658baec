// BMP reader of the skin engine. Reads whole .bmp files: OS/2 core (12-byte)
// and OS/2 2.x (16..64-byte) headers, Windows info headers of 40, 52 and 56
// bytes, V4 (108) and V5 (124); 1, 2, 4, 8, 16, 24 and 32 bits per pixel;
// BI_BITFIELDS / BI_ALPHABITFIELDS masks for 16 and 32 bits; RLE4 and RLE8;
// bottom-up and top-down rows.
#pragma once
#include "framework/core/Bitmap32.h"
#include "framework/core/Classes.h"
#include "framework/core/SysUtils.h"

#include <cstddef>
#include <cstdint>

// Every failure to read a BMP; Message() is meant for the user.
QN_DECLARE_EXCEPTION(EBmpError, Exception);

// The picture goes into `bitmap` as 32-bit pixels; bitmap.PixelFormat tells
// the source depth (pf1bit, pf4bit for 2 and 4 bits, pf8bit, pf15bit for
// 5-5-5, pf16bit for other 16-bit layouts, pf24bit, pf32bit).
//
// Alpha: 32-bit files keep their fourth byte as it is (or what the alpha mask
// selects); files without an alpha channel give 255. Palette indexes beyond
// the palette read as opaque black, and pixels an RLE picture never sets take
// palette entry 0. RLE runs that leave the picture are clipped.
//
// Throws EBmpError for anything malformed or over 16384 x 16384 pixels and
// then leaves `bitmap` untouched.
void LoadBmp(const uint8_t* data, size_t size, TBitmap32& bitmap);
// Reads from the stream's position to its end.
void LoadBmp(TStream& stream, TBitmap32& bitmap);
void LoadBmpFile(const String& fileName, TBitmap32& bitmap);
