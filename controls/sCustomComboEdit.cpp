#include "controls/sCustomComboEdit.h"

#include <algorithm>

int MaskEditBorderWidth(bool borderPresent, bool ctl3D) { return borderPresent ? int(ctl3D) + 2 : 0; }

TRect MaskEditTextRect(int b, int width, int textHeight) { return Rect(b, b, width - b, b + textHeight + 2); }

TRect NumEditTextRect(int b, int width, int height, bool showButton, int buttonWidth) {
  return Rect(b, b, width - b - (showButton ? std::max(buttonWidth, 0) : 0), height - b);
}

int GlyphImageCount(int imageWidth, int imageHeight) {
  if (imageWidth <= 0 || imageHeight <= 0 || imageWidth % imageHeight != 0) return 1;
  return imageWidth / imageHeight;
}

int ComboGlyphWidth(bool currencyOwner, int imageWidth, int imageHeight) {
  if (currencyOwner || imageWidth <= 0) return 0;
  return imageWidth / GlyphImageCount(imageWidth, imageHeight);
}
