#include "controls/sBitBtn.h"

#include <algorithm>

void ButtonLayout(const TRect& client, TPoint glyphSize, TPoint textSize, uint32_t biDiFlags, TRect& textBounds,
                  TPoint& glyphPos, int spacing, int margin, TacAlignment alignment, TacButtonLayout layout) {
  using L = TacButtonLayout;
  if (biDiFlags & acDT_RTLREADING) {
    if (layout == L::blGlyphLeft)
      layout = L::blGlyphRight;
    else if (layout == L::blGlyphRight)
      layout = L::blGlyphLeft;
  }
  const int cw = client.Width(), ch = client.Height();
  const bool horizontal = layout == L::blGlyphLeft || layout == L::blGlyphRight;
  textBounds = Rect(0, 0, textSize.X, textSize.Y);
  TPoint textPos;
  glyphPos = TPoint{};
  if (horizontal) {
    glyphPos.Y = (ch - glyphSize.Y + 1) / 2;
    textPos.Y = (ch - textSize.Y + 1) / 2;
  } else {
    glyphPos.X = (cw - glyphSize.X + 1) / 2;
    textPos.X = (cw - textSize.X + 1) / 2;
  }
  if (textSize.X == 0 || glyphSize.X == 0) spacing = 0;

  const int axis = horizontal ? cw : ch;
  const int glyphAxis = horizontal ? glyphSize.X : glyphSize.Y, textAxis = horizontal ? textSize.X : textSize.Y;
  if (margin == -1 && spacing < 0) {
    margin = (axis - (glyphAxis + textAxis)) / 3;
    spacing = margin;
  } else if (margin == -1) {
    margin = alignment == TacAlignment::taCenter ? (axis - (glyphAxis + spacing + textAxis) + 1) / 2 : 2;
  } else if (spacing < 0) {
    spacing = (axis - margin - glyphAxis - textAxis) / 2;
  }

  switch (layout) {
    case L::blGlyphLeft:
      if (alignment == TacAlignment::taLeftJustify) {
        glyphPos.X = margin;
        textPos.X = margin + glyphSize.X + spacing;
        textBounds.Right = std::min(textSize.X, client.Right - margin - textPos.X);
      } else if (alignment == TacAlignment::taRightJustify) {
        textPos.X = cw - margin - textSize.X;
        glyphPos.X = textPos.X - spacing - glyphSize.X;
      } else {
        glyphPos.X = std::max((cw - textSize.X - spacing - glyphSize.X) / 2, margin);
        textPos.X = glyphPos.X + spacing + glyphSize.X;
      }
      break;
    case L::blGlyphRight:
      if (alignment == TacAlignment::taLeftJustify) {
        glyphPos.X = margin + textSize.X + spacing;
        textPos.X = margin;
      } else if (alignment == TacAlignment::taRightJustify) {
        glyphPos.X = cw - margin - glyphSize.X;
        textPos.X = glyphPos.X - spacing - textSize.X;
      } else {
        textPos.X = (cw - textSize.X - spacing - glyphSize.X) / 2;
        glyphPos.X = textPos.X + spacing + textSize.X;
      }
      break;
    case L::blGlyphTop:
      glyphPos.Y = (ch - glyphSize.Y - spacing - textSize.Y) / 2;
      textPos.Y = glyphPos.Y + glyphSize.Y + spacing;
      break;
    case L::blGlyphBottom:
      glyphPos.Y = ch - glyphSize.Y - (ch - glyphSize.Y - spacing - textSize.Y) / 2;
      textPos.Y = glyphPos.Y - spacing - textSize.Y;
      break;
  }
  glyphPos.X += client.Left;
  glyphPos.Y += client.Top;
  textBounds = OffsetRect(textBounds, textPos.X + client.Left, textPos.Y + client.Top);
}

int BitBtnCurrentState(const TacBitBtnStateInput& s) {
  if ((s.Pushed || s.ForcedPressed) && (s.MouseAbove || !s.LeftButtonHeld)) return 2;
  if (s.Down) return 2;
  if (!s.Designing && s.IsHot) return 1;
  if (s.IsDefault) return 3;
  return 0;
}

int SectionPaintState(int currentState, int stateCount) {
  if (currentState == 3 && stateCount < 4) currentState = 1;
  return std::clamp(currentState, 0, std::max(stateCount - 1, 0));
}

TPoint GlyphSizeOf(int imageWidth, int imageHeight, int numGlyphs) {
  if (imageWidth <= 0 || imageHeight <= 0) return TPoint{};
  return Point(imageWidth / std::max(numGlyphs, 1), imageHeight);
}

TRect ButtonImgRect(TPoint glyphPos, TPoint glyphSize, bool pressed, bool reflected) {
  TRect r = Rect(glyphPos.X, glyphPos.Y, glyphPos.X + glyphSize.X, glyphPos.Y + glyphSize.Y);
  if (pressed) r = OffsetRect(r, 1, 1);
  if (reflected) r = OffsetRect(r, 0, -(glyphSize.X / 6));
  return r;
}

int CaptionMeasureWidth(int buttonWidth, int margin, int glyphWidth, int spacing, TacButtonLayout layout) {
  int w = buttonWidth - 2 * margin;
  if (glyphWidth > 0 && (layout == TacButtonLayout::blGlyphLeft || layout == TacButtonLayout::blGlyphRight))
    w -= glyphWidth + spacing;
  return std::max(w, 0);
}

namespace {
const void* hintHolder = nullptr;
}

void HoldHints(const void* holder) { hintHolder = holder; }

void ReleaseHints(const void* holder) {
  if (holder && hintHolder == holder) hintHolder = nullptr;
}

bool HintsAllowed() { return hintHolder == nullptr; }

TRect FocusFrameRect(const TRect& r, int focusMargin) {
  return Rect(r.Left - focusMargin - 1, r.Top - focusMargin, r.Right + focusMargin + 1, r.Bottom + focusMargin);
}
