#include <algorithm>
#include <cctype>

#include "tools/SkinPreview.h"
#include "tools/SkinRaster.h"

namespace {

struct TTinyGlyph {
  char Ch;
  uint8_t Rows[7];  // bit 4 is the leftmost column
};

const TTinyGlyph TinyFont[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'.', {0, 0, 0, 0, 0, 0x0C, 0x0C}},                {'_', {0, 0, 0, 0, 0, 0, 0x1F}},
    {'-', {0, 0, 0, 0x1F, 0, 0, 0}},                   {'(', {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02}},
    {')', {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08}}, {':', {0, 0x0C, 0x0C, 0, 0x0C, 0x0C, 0}},
    {'/', {0, 0x01, 0x02, 0x04, 0x08, 0x10, 0}},       {'#', {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A}},
    {',', {0, 0, 0, 0, 0x0C, 0x04, 0x08}},             {'=', {0, 0, 0x1F, 0, 0x1F, 0, 0}},
};

const TTinyGlyph* FindGlyph(char c) {
  c = char(std::toupper(uint8_t(c)));
  for (const TTinyGlyph& g : TinyFont)
    if (g.Ch == c) return &g;
  return nullptr;  // space and unknown characters leave a gap
}

constexpr int Scale = 2;
constexpr int Margin = 16;
constexpr int Gap = 16;
constexpr int LabelHeight = 14;
constexpr uint32_t SheetBg = Rgb(246, 247, 248);
constexpr uint32_t LabelInk = Rgb(60, 66, 72);

uint32_t OutlineColor(int imgType) {
  switch (imgType) {
    case 0: return Rgb(222, 48, 48);    // border
    case 1: return Rgb(24, 150, 60);    // texture
    case 2: return Rgb(36, 92, 224);    // glyph
    case 3: return Rgb(214, 128, 0);    // glow
    default: return Rgb(150, 60, 190);  // PNG glyph
  }
}

// The picture enlarged on a checkerboard.
void PutEnlarged(TBitmap32& sheet, int x0, int y0, const TBitmap32& pic) {
  for (int y = 0; y < pic.Height() * Scale; ++y)
    for (int x = 0; x < pic.Width() * Scale; ++x) {
      bool dark = ((x / 8) + (y / 8)) & 1;
      int sx = x0 + x, sy = y0 + y;
      if (sx >= sheet.Width() || sy >= sheet.Height()) continue;
      sheet.SetPixel(sx, sy, dark ? Rgb(226, 228, 230) : Rgb(255, 255, 255));
      BlendPixel(sheet, sx, sy, pic.Pixel(x / Scale, y / Scale), 1.0);
    }
}

void Frame(TBitmap32& bmp, int l, int t, int r, int b, uint32_t color) {  // r, b inclusive
  FillRectPx(bmp, Rect(l, t, r + 1, t + 1), color);
  FillRectPx(bmp, Rect(l, b, r + 1, b + 1), color);
  FillRectPx(bmp, Rect(l, t, l + 1, b + 1), color);
  FillRectPx(bmp, Rect(r, t, r + 1, b + 1), color);
}

// Outline just outside the enlarged rectangle; light lines between frames.
void OutlineMask(TBitmap32& sheet, int x0, int y0, const TPreviewMask& m) {
  uint32_t c = OutlineColor(m.ImgType);
  int l = x0 + m.R.Left * Scale - 1, t = y0 + m.R.Top * Scale - 1;
  int r = x0 + m.R.Right * Scale, b = y0 + m.R.Bottom * Scale;
  int frames = std::max(1, m.ImageCount), rows = std::max(1, m.Rows);
  int fw = m.R.Width() / frames, fh = m.R.Height() / rows;
  // Records may reach past their picture: dashes only where the sheet is.
  auto first = [](int from) { return from < 0 ? from + (1 - from) / 2 * 2 : from; };
  const int yFrom = first(t + 1), yTo = std::min(b, sheet.Height());
  const int xFrom = first(l + 1), xTo = std::min(r, sheet.Width());
  for (int i = 1; i < frames && fw > 0; ++i) {
    const int x = x0 + (m.R.Left + i * fw) * Scale - 1;
    if (x >= sheet.Width()) break;
    for (int y = yFrom; x >= 0 && y < yTo; y += 2) BlendPixel(sheet, x, y, c, 0.5);
  }
  for (int j = 1; j < rows && fh > 0; ++j) {
    const int y = y0 + (m.R.Top + j * fh) * Scale - 1;
    if (y >= sheet.Height()) break;
    for (int x = xFrom; y >= 0 && x < xTo; x += 2) BlendPixel(sheet, x, y, c, 0.5);
  }
  Frame(sheet, l, t, r, b, c);
}

}  // namespace

int TinyTextWidth(const String& text) { return text.empty() ? 0 : int(text.size()) * 6 - 1; }

int DrawTinyText(TBitmap32& bmp, int x, int y, const String& text, uint32_t color) {
  for (size_t i = 0; i < text.size(); ++i)
    if (const TTinyGlyph* g = FindGlyph(text[i]))
      for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col)
          if (g->Rows[row] & (0x10 >> col)) BlendPixel(bmp, x + int(i) * 6 + col, y + row, color, 1.0);
  return TinyTextWidth(text);
}

TBitmap32 DrawContactSheet(const TPreviewSheet& sheet) {
  // Layout: title; the first picture alone; the others side by side;
  // the section swatches in columns.
  const int swatchColumns = 4, swatchWidth = 220, swatchHeight = 18;
  int width = swatchColumns * swatchWidth, rowWidth = 0, rowHeight = 0;
  if (!sheet.Pictures.empty()) width = std::max(width, sheet.Pictures[0].Bitmap.Width() * Scale);
  for (size_t i = 1; i < sheet.Pictures.size(); ++i) {
    rowWidth += (i > 1 ? Gap : 0) + std::max(sheet.Pictures[i].Bitmap.Width() * Scale, TinyTextWidth(sheet.Pictures[i].Name));
    rowHeight = std::max(rowHeight, sheet.Pictures[i].Bitmap.Height() * Scale);
  }
  width = std::max(width, rowWidth) + 2 * Margin;
  int firstHeight = sheet.Pictures.empty() ? 0 : sheet.Pictures[0].Bitmap.Height() * Scale;
  int swatchRows = (int(sheet.Swatches.size()) + swatchColumns - 1) / swatchColumns;
  int height = Margin + LabelHeight + Gap + LabelHeight + firstHeight + Gap + LabelHeight + rowHeight + Gap +
               LabelHeight + swatchRows * swatchHeight + Margin;

  TBitmap32 out(width, height);
  out.Fill(SheetBg);
  int y = Margin;
  DrawTinyText(out, Margin, y, sheet.Title, Rgb(20, 24, 28));
  y += LabelHeight + Gap;

  std::vector<std::pair<int, int>> origins(sheet.Pictures.size());
  if (!sheet.Pictures.empty()) {
    const TPreviewPicture& p = sheet.Pictures[0];
    DrawTinyText(out, Margin, y, Format("%s  %d X %d", p.Name.c_str(), p.Bitmap.Width(), p.Bitmap.Height()), LabelInk);
    y += LabelHeight;
    origins[0] = {Margin, y};
    PutEnlarged(out, Margin, y, p.Bitmap);
    y += firstHeight + Gap;
  }
  int x = Margin;
  for (size_t i = 1; i < sheet.Pictures.size(); ++i) {
    const TPreviewPicture& p = sheet.Pictures[i];
    DrawTinyText(out, x, y, p.Name, LabelInk);
    origins[i] = {x, y + LabelHeight};
    PutEnlarged(out, x, y + LabelHeight, p.Bitmap);
    x += std::max(p.Bitmap.Width() * Scale, TinyTextWidth(p.Name)) + Gap;
  }
  y += LabelHeight + rowHeight + Gap;

  for (const TPreviewMask& m : sheet.Masks)
    for (size_t i = 0; i < sheet.Pictures.size(); ++i)
      if (SameText(sheet.Pictures[i].Name, m.Picture)) OutlineMask(out, origins[i].first, origins[i].second, m);

  DrawTinyText(out, Margin, y, "SECTIONS: NORMAL AND HOT COLOUR", LabelInk);
  y += LabelHeight;
  for (size_t i = 0; i < sheet.Swatches.size(); ++i) {
    const TPreviewSwatch& s = sheet.Swatches[i];
    int sx = Margin + int(i % swatchColumns) * swatchWidth, sy = y + int(i / swatchColumns) * swatchHeight;
    Frame(out, sx, sy, sx + 13, sy + 13, Rgb(120, 126, 132));
    FillRectPx(out, Rect(sx + 1, sy + 1, sx + 13, sy + 13), ColorToPixel(s.Normal));
    Frame(out, sx + 16, sy, sx + 29, sy + 13, Rgb(120, 126, 132));
    FillRectPx(out, Rect(sx + 17, sy + 1, sx + 29, sy + 13), ColorToPixel(s.Hot));
    DrawTinyText(out, sx + 36, sy + 4, s.Name, LabelInk);
  }
  return out;
}
