// Gradient fills of section backgrounds (vertical and horizontal pieces),
// alone or mixed with a tiled texture in the same pass. The four-triangle
// mode needs the platform's triangle fill and is painted by the Win32 side.
#pragma once
#include "paint/acPixelView.h"
#include "skin/sSkinData.h"

// Gradient modes, by Mode1 of the first piece.
constexpr int gmVertical = 0;
constexpr int gmHorizontal = 1;
constexpr int gmTriangles = 2;

// Paints a mode 0 or mode 1 gradient into r (clipped), every pixel alpha 255.
// Each piece interpolates with a running single-precision value per channel
// stepped by a double-precision step, each line rounded half to even, so its
// last line gets Color2. Pieces that cover no line are skipped; a gradient
// one line long is painted in the first piece's Color1. Returns false (and
// paints nothing) for an empty r or array and for other modes.
bool PaintGradient(const TPixelView& bmp, const TRect& r, const TsGradArray& pieces);

// The four-triangle mode is the platform's triangle fill: the Win32 side
// installs it at start; while none is installed mode 2 paints nothing.
// Gets the clipped rectangle; returns whether it painted.
using TacTriangleGradientFunc = bool (*)(const TPixelView& bmp, const TRect& r, const TsGradArray& pieces);
extern TacTriangleGradientFunc acTriangleGradient;

// A mode 0 or 1 gradient with a texture mixed in at weight textureWeight
// (0..255): c = (w x (texture - gradient) + gradient x 256) >> 8, the texture
// tiled from r's top-left. An empty textureRect means the whole texture; it
// is cut to the texture. Without texture pixels only the gradient is painted.
bool PaintGradientTexture(const TPixelView& bmp, const TRect& r, const TsGradArray& pieces, int textureWeight,
                          const TRect& textureRect, const TPixelView& texture);
