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

TRect ComboButtonRect(int b, int width, int height, int glyphWidth) {
  const int w = glyphWidth > 0 ? ComboButtonWidth(glyphWidth) : 0;
  b = std::max(b, 0);
  if (w == 0 || width - 2 * b < w || height - 2 * b <= 0) return TRect{};
  return Rect(width - b - w, b, width - b, height - b);
}

bool IsShortCut(uint16_t shortCut, uint16_t key, bool shift, bool ctrl, bool alt) {
  if (shortCut == 0 || (shortCut & 0xFF) != (key & 0xFF)) return false;
  return bool(shortCut & scShift) == shift && bool(shortCut & scCtrl) == ctrl && bool(shortCut & scAlt) == alt;
}

int ComboGlyphWidth(bool currencyOwner, int imageWidth, int imageHeight) {
  if (currencyOwner || imageWidth <= 0) return 0;
  return imageWidth / GlyphImageCount(imageWidth, imageHeight);
}
