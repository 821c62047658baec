// Small anti-aliased raster for authoring skin pictures: coverage-based
// shapes painted with source-over onto straight-alpha 32-bit pixels
// (0xAARRGGBB, as in TBitmap32). Everything is deterministic so that the
// skin package comes out byte-identical on every build.
#pragma once
#include "framework/core/Bitmap32.h"

#include <cstdint>
#include <vector>

struct TPointF {
  double X = 0;
  double Y = 0;
};

// 0xAARRGGBB from channels.
constexpr uint32_t Argb(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
  return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}
constexpr uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) { return Argb(255, r, g, b); }
// The same colour with its alpha scaled by opacity (0..1).
uint32_t WithOpacity(uint32_t color, double opacity);
// Channel-wise mix: t = 0 gives a, t = 1 gives b (alpha mixed too).
uint32_t MixPixels(uint32_t a, uint32_t b, double t);

// Source-over of color at the given coverage (0..1) onto one pixel; pixels
// outside the bitmap are ignored.
void BlendPixel(TBitmap32& bmp, int x, int y, uint32_t color, double coverage);
// Replaces the pixels of r (clipped) by color.
void FillRectPx(TBitmap32& bmp, const TRect& r, uint32_t color);

// Shapes in continuous coordinates: pixel (x, y) covers [x, x+1) x [y, y+1),
// so a rectangle with integer edges is drawn without soft edges.
void FillRoundRect(TBitmap32& bmp, double left, double top, double right, double bottom, double radius, uint32_t color);
// A band of the given width just inside the rounded rectangle's edge.
void StrokeRoundRect(TBitmap32& bmp, double left, double top, double right, double bottom, double radius, double width,
                     uint32_t color);
void FillCircle(TBitmap32& bmp, double cx, double cy, double radius, uint32_t color);
// Round-capped, round-joined polyline; joints are not painted twice.
void StrokePolyline(TBitmap32& bmp, const std::vector<TPointF>& points, double width, uint32_t color);
void DrawLine(TBitmap32& bmp, double x0, double y0, double x1, double y1, double width, uint32_t color);
// Even-odd polygon, 4 x 4 samples per pixel.
void FillPolygon(TBitmap32& bmp, const std::vector<TPointF>& points, uint32_t color);

// Source-over of the whole src with its top-left at (x, y).
void DrawOver(TBitmap32& dst, int x, int y, const TBitmap32& src);
// Replaces the pixels under src's rectangle at (x, y) by src's pixels.
void CopyOver(TBitmap32& dst, int x, int y, const TBitmap32& src);

// Makes a picture fit for a keyed 24-bit image: pixels with alpha below
// minAlpha become the key (0, alpha 0), the others are composed over the
// opaque background colour and made opaque.
void FlattenKeyed(TBitmap32& bmp, uint32_t background, uint8_t minAlpha);
// Splits a straight-alpha picture into the two rows of a masked image:
// the colour part (key where alpha is 0) at (x, y) and the grey mask
// (255 - alpha: how much of the destination stays) maskOffset rows lower.
void PutMasked(TBitmap32& dst, int x, int y, int maskOffset, const TBitmap32& src);
