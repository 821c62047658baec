// Basic value types shared by every layer.
#pragma once
#include <cstdint>

// Red in bits 0-7, green 8-15, blue 16-23; a set top byte marks a system colour.
using TColor = uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
// Magenta doubles as "no colour given" in skin arguments.
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// <windows.h> defines these as macros with the same meaning.
#ifndef GetRValue
constexpr uint8_t GetRValue(TColor c) { return uint8_t(c); }
constexpr uint8_t GetGValue(TColor c) { return uint8_t(c >> 8); }
constexpr uint8_t GetBValue(TColor c) { return uint8_t(c >> 16); }
#endif
constexpr TColor RGBColor(uint8_t r, uint8_t g, uint8_t b) { return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16); }

// System colours: a colour whose top bit is set names the system colour of
// its low byte. Until the platform installs its own source, the stock
// desktop values answer.
using TSysColorSource = TColor (*)(int index);
void SetSysColorSource(TSysColorSource source);  // nil restores the stock values
TColor SysColor(int index);                       // plain RGB; black for unknown indexes
TColor ColorToRGB(TColor color);                  // plain RGB of any colour

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

constexpr TRect Rect(int left, int top, int right, int bottom) { return TRect{left, top, right, bottom}; }
constexpr TPoint Point(int x, int y) { return TPoint{x, y}; }

// Both empty when the rectangles do not meet. Inline: every pixel routine
// clips with it, at control sizes the call is a good part of the work.
inline TRect IntersectRect(const TRect& a, const TRect& b) {
  const TRect r{a.Left > b.Left ? a.Left : b.Left, a.Top > b.Top ? a.Top : b.Top,
                a.Right < b.Right ? a.Right : b.Right, a.Bottom < b.Bottom ? a.Bottom : b.Bottom};
  return r.IsEmpty() ? TRect{} : r;
}
TRect OffsetRect(const TRect& r, int dx, int dy);
