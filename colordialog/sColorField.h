#pragma once
// Maths and pictures of the dialog's hue/saturation field and brightness bar.
// Portable: plain values and 32-bit bitmaps, no window.
#include "colordialog/sColorUtils.h"
#include "framework/core/Bitmap32.h"
#include "framework/core/Types.h"

// Design sizes of the field (ColorPanel) and the bar (GradPanel).
constexpr int FieldWidth = 260;
constexpr int FieldHeight = 260;
constexpr int BarWidth = 20;
constexpr int BarHeight = 260;
constexpr int BarLeft = 502;
constexpr int BarTop = 8;
constexpr int BarRight = BarLeft + BarWidth;

// A point on the field turned into hue and saturation. The point is clamped
// into the field first, so a drag past its edges never leaves 0..359 / 0..1.
struct TFieldPick {
  int H = 0;
  double S = 0.0;
};
TFieldPick FieldPointToHs(int x, int y, int width = FieldWidth, int height = FieldHeight);

// Centre of the field's circle for a hue and saturation.
TPoint FieldMarkerPos(int h, double s, int width = FieldWidth, int height = FieldHeight);

// The field picture: hue across, saturation down, darkening to 2/3 at the
// bottom. Sized to width x height; an empty size leaves the bitmap empty.
void CreateExtBmp(TBitmap32& bmp, int width = FieldWidth, int height = FieldHeight);

// The bar's colour per row as painted: white through baseColor to black.
// rows[0..height-1] receive plain TColor values.
void BarRampColors(TColor baseColor, int height, TColor* rows);
// The painted ramp, every row filled across the bitmap's width.
void PaintBarRamp(TBitmap32& bmp, TColor baseColor);

// The colour a pick on bar row `coord` takes: the painted ramp, with its
// first half snapped to 0/255 near the ends. Rows outside the bar give white.
TColor GradToColor(TColor baseColor, int coord, int height = BarHeight);
// First bar row whose running ramp value lies within 2 of `color` in every
// channel; 0 when no row matches.
int GetColorCoord(TColor baseColor, TColor color, int height = BarHeight);

// The bar row a mouse position maps to while pressing or dragging: clamped
// into the bar so that saturation and brightness stay within 0..100.
int ClampBarRow(int y, int height = BarHeight);

// The left-pointing arrow beside the bar: its tip one pixel right of `at`,
// rows at.Y-4..at.Y+4. Pixels outside the bitmap are skipped.
void DrawMarkerArrow(TBitmap32& bmp, TPoint at, uint32_t pixel);

// The column right of the bar where the arrow is drawn, in form client
// coordinates: (bar right, 0)-(form width, bar bottom + 4).
TRect MarkerRect(int formWidth);
// A form mouse event inside the arrow column beside the bar goes to the bar:
// true with the point in bar coordinates; false above or below the bar.
bool MarkerColumnToBar(TPoint formPoint, int formWidth, TPoint& barPoint);
