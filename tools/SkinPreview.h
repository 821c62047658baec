// Contact sheet of a skin for people to look at: every picture enlarged
// two times on a checkerboard with the mask rectangles outlined, and the
// normal and hot colours of every section.
#pragma once
#include "framework/core/Bitmap32.h"
#include "framework/core/SysUtils.h"

#include <vector>

struct TPreviewPicture {
  String Name;
  TBitmap32 Bitmap;  // straight alpha; transparent pixels have alpha 0
};

struct TPreviewMask {
  String Picture;  // name of the picture the rectangle lies in
  TRect R;
  int ImageCount = 1;
  int Rows = 1;
  int ImgType = 0;  // TacImgType
};

struct TPreviewSwatch {
  String Name;
  TColor Normal = 0;
  TColor Hot = 0;
};

struct TPreviewSheet {
  String Title;
  std::vector<TPreviewPicture> Pictures;  // the first is shown on its own row
  std::vector<TPreviewMask> Masks;
  std::vector<TPreviewSwatch> Swatches;
};

TBitmap32 DrawContactSheet(const TPreviewSheet& sheet);

// Loads a packed skin through the skin data code and draws its sheet as PNG.
TBytes DrawSkinPreview(const String& fileName);

// Text in a 5 x 7 pixel font (upper case; other letters are folded),
// one pixel apart; returns the width used.
int DrawTinyText(TBitmap32& bmp, int x, int y, const String& text, uint32_t color);
int TinyTextWidth(const String& text);
