#include "colordialog/sColorField.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Round half to even, then clamp to a channel; NaN reads as 0.
int RoundClamp(double value) {
  if (!(value > 0.0)) return 0;
  double r = std::nearbyint(value);
  return r > 255.0 ? 255 : int(r);
}

TColor RoundedColor(double r, double g, double b) {
  return RGBColor(uint8_t(RoundClamp(r)), uint8_t(RoundClamp(g)), uint8_t(RoundClamp(b)));
}

// A pick near the top of the bar lands exactly on white-ish or pure values.
int Snap(int channel) { return channel < 3 ? 0 : channel > 253 ? 255 : channel; }

// Running values of the ramp: start at white, step down row by row.
struct TRamp {
  double R = 255.0, G = 255.0, B = 255.0;
  double StepR = 0.0, StepG = 0.0, StepB = 0.0;
  void SetSteps(TColor c, double half) {
    StepR = GetRValue(c) / half;
    StepG = GetGValue(c) / half;
    StepB = GetBValue(c) / half;
  }
  void Next() {
    R -= StepR;
    G -= StepG;
    B -= StepB;
  }
  TColor Color() const { return RoundedColor(R, G, B); }
};

// Phase one walks from white to the base colour: steps are its distance to white.
void SetWhiteSteps(TRamp& ramp, TColor base, double half) {
  ramp.StepR = (255 - GetRValue(base)) / half;
  ramp.StepG = (255 - GetGValue(base)) / half;
  ramp.StepB = (255 - GetBValue(base)) / half;
}

int FirstHalfRows(int height) { return (height - 1) / 2; }
int HalfDiv(int height) { return std::max(height / 2, 1); }

}  // namespace

TFieldPick FieldPointToHs(int x, int y, int width, int height) {
  TFieldPick pick;
  if (width <= 0 || height <= 0) return pick;
  x = std::clamp(x, 0, width - 1);
  y = std::clamp(y, 0, height - 1);
  // x * 360 is an integer product, the division real.
  pick.H = std::min(int(std::nearbyint(double(x * 360) / width)), 359);
  pick.S = 1.0 - double(y) / height;
  return pick;
}

TPoint FieldMarkerPos(int h, double s, int width, int height) {
  return Point(width * h / 360, int(std::nearbyint((1.0 - s) * height)));
}

void CreateExtBmp(TBitmap32& bmp, int width, int height) {
  if (width <= 0 || height <= 0) return;
  bmp.SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    double s = 1.0 - double(y) / height;
    double v = 1.0 - double(y) / (3.0 * height);
    uint32_t* row = bmp.ScanLine(y);
    for (int x = 0; x < width; ++x) row[x] = ColorToPixel(HsvToColor(x * 360.0 / width, s, v));
  }
}

void BarRampColors(TColor baseColor, int height, TColor* rows) {
  if (height <= 0) return;
  double half = HalfDiv(height);
  int firstRows = FirstHalfRows(height);
  TRamp ramp;
  SetWhiteSteps(ramp, baseColor, half);
  TColor last = baseColor;
  int y = 0;
  for (; y < firstRows; ++y) {
    ramp.Next();
    rows[y] = last = ramp.Color();
  }
  // Phase two darkens from the last painted colour down to black.
  ramp.SetSteps(last, half);
  for (; y < height; ++y) {
    ramp.Next();
    rows[y] = ramp.Color();
  }
}

void PaintBarRamp(TBitmap32& bmp, TColor baseColor) {
  int height = bmp.Height();
  if (bmp.Empty()) return;
  std::vector<TColor> rows(size_t(height), 0);
  BarRampColors(baseColor, height, rows.data());
  for (int y = 0; y < height; ++y) {
    uint32_t pixel = ColorToPixel(rows[size_t(y)]);
    std::fill_n(bmp.ScanLine(y), bmp.Width(), pixel);
  }
}

TColor GradToColor(TColor baseColor, int coord, int height) {
  if (coord < 0 || coord >= height) return clWhite;
  double half = height / 2.0;
  int firstRows = FirstHalfRows(height);
  TRamp ramp;
  SetWhiteSteps(ramp, baseColor, half);
  TColor last = baseColor;
  for (int y = 0; y < firstRows; ++y) {
    ramp.Next();
    last = ramp.Color();
    if (y == coord)
      return RGBColor(uint8_t(Snap(GetRValue(last))), uint8_t(Snap(GetGValue(last))), uint8_t(Snap(GetBValue(last))));
  }
  ramp.SetSteps(last, half);
  for (int y = firstRows; y <= coord; ++y) ramp.Next();
  return ramp.Color();
}

int GetColorCoord(TColor baseColor, TColor color, int height) {
  double half = HalfDiv(height);
  int firstRows = FirstHalfRows(height);
  double r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  TRamp ramp;
  SetWhiteSteps(ramp, baseColor, half);
  for (int y = 0; y < height; ++y) {
    // Phase two steps come from the base colour itself, not the last row.
    if (y == firstRows) ramp.SetSteps(baseColor, half);
    ramp.Next();
    if (std::fabs(r - ramp.R) < 2 && std::fabs(g - ramp.G) < 2 && std::fabs(b - ramp.B) < 2) return y;
  }
  return 0;
}

int ClampBarRow(int y, int height) { return std::clamp(y, 0, std::max(height - 1, 0)); }

void DrawMarkerArrow(TBitmap32& bmp, TPoint at, uint32_t pixel) {
  for (int dy = -4; dy <= 4; ++dy) {
    int y = at.Y + dy;
    if (y < 0 || y >= bmp.Height()) continue;
    uint32_t* row = bmp.ScanLine(y);
    for (int x = at.X + 1 + std::abs(dy); x <= at.X + 5; ++x)
      if (x >= 0 && x < bmp.Width()) row[x] = pixel;
  }
}

TRect MarkerRect(int formWidth) { return Rect(BarRight, 0, formWidth, BarTop + BarHeight + 4); }

bool MarkerColumnToBar(TPoint formPoint, int formWidth, TPoint& barPoint) {
  if (!Rect(BarRight, BarTop, formWidth, BarTop + BarHeight).Contains(formPoint)) return false;
  barPoint = Point(formPoint.X - BarRight, formPoint.Y - BarTop);
  return true;
}
