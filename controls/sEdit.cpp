#include "controls/sEdit.h"

int EditBorderWidth(const TacEditFrame& f) {
  int b = f.SingleBorder ? 1 + int(f.Ctl3D) : 0;
  if (b == 0) b = int(f.BevelInner) + int(f.BevelOuter);
  return b;
}

TRect EditTextRect(const TacEditFrame& f, int width, int height) {
  const int bevels = f.BevelKindSet ? int(f.BevelInner) + int(f.BevelOuter) : 0;
  const int t = f.SingleBorder ? int(f.Ctl3D) + bevels + 1 : 0;
  const int s = f.SingleBorder ? 1 : 0;
  return Rect(t + s, t + s, width - t - s, height - t);
}

String Utf8Of(char32_t c) {
  String s;
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c < 0x80) {
    s += char(c);
  } else if (c < 0x800) {
    s += char(0xC0 | (c >> 6));
    s += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += char(0xE0 | (c >> 12));
    s += char(0x80 | ((c >> 6) & 0x3F));
    s += char(0x80 | (c & 0x3F));
  } else {
    s += char(0xF0 | (c >> 18));
    s += char(0x80 | ((c >> 12) & 0x3F));
    s += char(0x80 | ((c >> 6) & 0x3F));
    s += char(0x80 | (c & 0x3F));
  }
  return s;
}

size_t Utf8Length(const String& s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

String PasswordDisplayText(const String& text, char32_t passwordChar, bool circleForAsterisk) {
  if (passwordChar == 0) return text;
  const String one = Utf8Of(circleForAsterisk && passwordChar == U'*' ? char32_t(0x25CF) : passwordChar);
  String out;
  const size_t n = Utf8Length(text);
  out.reserve(n * one.size());
  for (size_t i = 0; i < n; ++i) out += one;
  return out;
}

TPoint BoundLabelPos(TsCaptionLayout layout, const TRect& e, TSize l, int indent) {
  const int ew = e.Width(), eh = e.Height();
  const int above = e.Top - l.cy - indent, below = e.Top + eh + indent;
  switch (layout) {
    case sclLeft: return Point(e.Left - l.cx - indent - 4, e.Top + (eh - l.cy) / 2 - 1);
    case sclTopLeft: return Point(e.Left, above);
    case sclTopCenter: return Point(e.Left + (ew - l.cx) / 2, above);
    case sclTopRight: return Point(e.Left + ew - l.cx, above);
    case sclLeftTop: return Point(e.Left - l.cx - indent - 4, e.Top + 3);
    case sclBottomLeft: return Point(e.Left, below);
    case sclBottomCenter: return Point(e.Left + (ew - l.cx) / 2, below);
    case sclBottomRight: return Point(e.Left + ew - l.cx, below);
  }
  return Point(e.Left, above);
}

TacAlignment BoundLabelAlignment(TsCaptionLayout layout) {
  switch (layout) {
    case sclLeft: case sclTopRight: case sclBottomRight: return TacAlignment::taRightJustify;
    case sclTopCenter: case sclBottomCenter: return TacAlignment::taCenter;
    default: return TacAlignment::taLeftJustify;
  }
}

std::optional<bool> BoundLabelWordWrap(int maxWidth, int labelWidth) {
  if (maxWidth == 0) return std::nullopt;
  return labelWidth >= maxWidth - 4;
}
