#include "tools/SkinRaster.h"

#include <algorithm>
#include <cmath>

namespace {

uint8_t ChannelOf(uint32_t p, int shift) { return uint8_t(p >> shift); }

uint8_t RoundByte(double v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

// Signed distance from p to a rounded rectangle (negative inside).
double RoundRectDistance(double px, double py, double left, double top, double right, double bottom, double radius) {
  double cx = (left + right) / 2, cy = (top + bottom) / 2;
  double hx = (right - left) / 2, hy = (bottom - top) / 2;
  radius = std::clamp(radius, 0.0, std::min(hx, hy));
  double qx = std::fabs(px - cx) - (hx - radius);
  double qy = std::fabs(py - cy) - (hy - radius);
  double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
  return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

double SegmentDistance(double px, double py, const TPointF& a, const TPointF& b) {
  double dx = b.X - a.X, dy = b.Y - a.Y;
  double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? Clamp01(((px - a.X) * dx + (py - a.Y) * dy) / len2) : 0;
  return std::hypot(px - (a.X + t * dx), py - (a.Y + t * dy));
}

// Calls paint(x, y, coverage) for every pixel of the clipped box.
template <typename F>
void ForBox(TBitmap32& bmp, double left, double top, double right, double bottom, F coverageAt, uint32_t color) {
  int x0 = std::max(0, int(std::floor(left)) - 1), y0 = std::max(0, int(std::floor(top)) - 1);
  int x1 = std::min(bmp.Width(), int(std::ceil(right)) + 1), y1 = std::min(bmp.Height(), int(std::ceil(bottom)) + 1);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      double c = coverageAt(x + 0.5, y + 0.5);
      if (c > 0) BlendPixel(bmp, x, y, color, c);
    }
}

}  // namespace

uint32_t WithOpacity(uint32_t color, double opacity) {
  return (uint32_t(RoundByte(ChannelOf(color, 24) * Clamp01(opacity))) << 24) | (color & 0xFFFFFF);
}

uint32_t MixPixels(uint32_t a, uint32_t b, double t) {
  uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8)
    result |= uint32_t(RoundByte(ChannelOf(a, shift) + (ChannelOf(b, shift) - ChannelOf(a, shift)) * t)) << shift;
  return result;
}

void BlendPixel(TBitmap32& bmp, int x, int y, uint32_t color, double coverage) {
  if (x < 0 || y < 0 || x >= bmp.Width() || y >= bmp.Height()) return;
  double sa = ChannelOf(color, 24) / 255.0 * Clamp01(coverage);
  if (sa <= 0) return;
  uint32_t dst = bmp.Pixel(x, y);
  double da = ChannelOf(dst, 24) / 255.0;
  double oa = sa + da * (1 - sa);
  uint32_t out = uint32_t(RoundByte(oa * 255)) << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    double c = (ChannelOf(color, shift) * sa + ChannelOf(dst, shift) * da * (1 - sa)) / oa;
    out |= uint32_t(RoundByte(c)) << shift;
  }
  bmp.SetPixel(x, y, out);
}

void FillRectPx(TBitmap32& bmp, const TRect& r, uint32_t color) {
  TRect c = IntersectRect(r, Rect(0, 0, bmp.Width(), bmp.Height()));
  for (int y = c.Top; y < c.Bottom; ++y)
    for (int x = c.Left; x < c.Right; ++x) bmp.SetPixel(x, y, color);
}

void FillRoundRect(TBitmap32& bmp, double left, double top, double right, double bottom, double radius, uint32_t color) {
  ForBox(
      bmp, left, top, right, bottom,
      [&](double px, double py) { return Clamp01(0.5 - RoundRectDistance(px, py, left, top, right, bottom, radius)); },
      color);
}

void StrokeRoundRect(TBitmap32& bmp, double left, double top, double right, double bottom, double radius, double width,
                     uint32_t color) {
  ForBox(
      bmp, left, top, right, bottom,
      [&](double px, double py) {
        double outer = Clamp01(0.5 - RoundRectDistance(px, py, left, top, right, bottom, radius));
        double inner = Clamp01(0.5 - RoundRectDistance(px, py, left + width, top + width, right - width,
                                                       bottom - width, std::max(0.0, radius - width)));
        return outer - inner;
      },
      color);
}

void FillCircle(TBitmap32& bmp, double cx, double cy, double radius, uint32_t color) {
  ForBox(
      bmp, cx - radius, cy - radius, cx + radius, cy + radius,
      [&](double px, double py) { return Clamp01(0.5 - (std::hypot(px - cx, py - cy) - radius)); }, color);
}

void StrokePolyline(TBitmap32& bmp, const std::vector<TPointF>& points, double width, uint32_t color) {
  if (points.empty()) return;
  double left = points[0].X, right = left, top = points[0].Y, bottom = top;
  for (const TPointF& p : points) {
    left = std::min(left, p.X), right = std::max(right, p.X);
    top = std::min(top, p.Y), bottom = std::max(bottom, p.Y);
  }
  double h = width / 2;
  ForBox(
      bmp, left - h, top - h, right + h, bottom + h,
      [&](double px, double py) {
        double d = SegmentDistance(px, py, points[0], points[0]);
        for (size_t i = 1; i < points.size(); ++i) d = std::min(d, SegmentDistance(px, py, points[i - 1], points[i]));
        return Clamp01(0.5 - (d - h));
      },
      color);
}

void DrawLine(TBitmap32& bmp, double x0, double y0, double x1, double y1, double width, uint32_t color) {
  StrokePolyline(bmp, {{x0, y0}, {x1, y1}}, width, color);
}

void FillPolygon(TBitmap32& bmp, const std::vector<TPointF>& points, uint32_t color) {
  if (points.size() < 3) return;
  double left = points[0].X, right = left, top = points[0].Y, bottom = top;
  for (const TPointF& p : points) {
    left = std::min(left, p.X), right = std::max(right, p.X);
    top = std::min(top, p.Y), bottom = std::max(bottom, p.Y);
  }
  auto inside = [&](double px, double py) {
    bool in = false;
    for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
      const TPointF &a = points[i], &b = points[j];
      if ((a.Y > py) != (b.Y > py) && px < (b.X - a.X) * (py - a.Y) / (b.Y - a.Y) + a.X) in = !in;
    }
    return in;
  };
  ForBox(
      bmp, left, top, right, bottom,
      [&](double px, double py) {
        int hits = 0;
        for (int sy = 0; sy < 4; ++sy)
          for (int sx = 0; sx < 4; ++sx) hits += inside(px - 0.5 + (sx + 0.5) / 4, py - 0.5 + (sy + 0.5) / 4);
        return hits / 16.0;
      },
      color);
}

void DrawOver(TBitmap32& dst, int x, int y, const TBitmap32& src) {
  for (int sy = 0; sy < src.Height(); ++sy)
    for (int sx = 0; sx < src.Width(); ++sx) BlendPixel(dst, x + sx, y + sy, src.Pixel(sx, sy), 1.0);
}

void CopyOver(TBitmap32& dst, int x, int y, const TBitmap32& src) {
  dst.CopyRect(x, y, src, Rect(0, 0, src.Width(), src.Height()));
}

void FlattenKeyed(TBitmap32& bmp, uint32_t background, uint8_t minAlpha) {
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x) {
      uint32_t p = bmp.Pixel(x, y);
      uint8_t a = ChannelOf(p, 24);
      if (a < minAlpha) {
        bmp.SetPixel(x, y, 0);
        continue;
      }
      uint32_t out = 0xFF000000u;
      for (int shift = 0; shift < 24; shift += 8)
        out |= uint32_t(RoundByte(ChannelOf(background, shift) +
                                  (ChannelOf(p, shift) - ChannelOf(background, shift)) * (a / 255.0)))
               << shift;
      bmp.SetPixel(x, y, out);
    }
}

void PutMasked(TBitmap32& dst, int x, int y, int maskOffset, const TBitmap32& src) {
  for (int sy = 0; sy < src.Height(); ++sy)
    for (int sx = 0; sx < src.Width(); ++sx) {
      int dx = x + sx, dy = y + sy;
      if (dx < 0 || dx >= dst.Width() || dy < 0 || dy + maskOffset >= dst.Height()) continue;
      uint32_t p = src.Pixel(sx, sy);
      uint8_t a = ChannelOf(p, 24);
      dst.SetPixel(dx, dy, a == 0 ? 0 : (p | 0xFF000000u));
      uint8_t m = uint8_t(255 - a);
      dst.SetPixel(dx, dy + maskOffset, Argb(255, m, m, m));
    }
}
