#include "tools/AlterMetroArt.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "tools/ImageWriters.h"
#include "tools/SkinRaster.h"

namespace {

// Palette of the look; the section colours of the options text match it.
constexpr uint32_t cFormBg = Rgb(232, 243, 247);         // FORM, DIALOG
constexpr uint32_t cTitleActive = Rgb(131, 195, 228);    // FORMTITLE hot
constexpr uint32_t cWhite = Rgb(255, 255, 255);
constexpr uint32_t cText = Rgb(61, 61, 61);              // global font colour
constexpr uint32_t cGlyph = Rgb(34, 42, 50);             // caption glyphs
constexpr uint32_t cLine = Rgb(183, 198, 204);           // BORDERCOLOR
constexpr uint32_t cLineSoft = Rgb(200, 210, 215);
constexpr uint32_t cAccent = Rgb(2, 125, 196);           // TCBOTTOM
constexpr uint32_t cAccentMid = Rgb(88, 169, 212);       // HGCOL of buttons
constexpr uint32_t cAccentFill = Rgb(0, 120, 200);
constexpr uint32_t cHotFill = Rgb(229, 244, 252);
constexpr uint32_t cPressedFill = Rgb(204, 232, 248);
constexpr uint32_t cTrack = Rgb(238, 242, 244);
constexpr uint32_t cCloseHot = Rgb(232, 72, 85);
constexpr uint32_t cClosePressed = Rgb(196, 43, 56);
constexpr uint32_t cGrip = Rgb(150, 164, 172);

// Alpha below which an anti-aliased edge pixel of a keyed picture is left
// transparent rather than mixed with the assumed background.
constexpr uint8_t KeyThreshold = 48;

struct TLook {
  uint32_t Border;
  uint32_t Fill;
};

TSkinArtItem Art(const char* purpose, TRect r, int frames, int rows = 1, const char* partOf = "") {
  TSkinArtItem item;
  item.Purpose = purpose;
  item.R = r;
  item.ImageCount = frames;
  item.Rows = rows;
  item.PartOf = partOf;
  return item;
}

const std::vector<TSkinArtItem> Layout = {
    // Check boxes and radio buttons (16 x 16), small boxes (12 x 12).
    Art("GLOBALINFO.RADIOUNCHECKED", {29, 0, 77, 16}, 3),
    Art("GLOBALINFO.RADIOCHECKED", {78, 0, 94, 16}, 1),
    Art("GLOBALINFO.BOXGRAYED", {95, 0, 143, 16}, 3),
    Art("GLOBALINFO.BOXUNCHECKED", {29, 17, 77, 33}, 3),
    Art("GLOBALINFO.BOXCHECKED", {78, 17, 126, 33}, 3),
    Art("GLOBALINFO.SMALLUNCHECKED", {165, 73, 177, 85}, 1),
    Art("GLOBALINFO.SMALLCHECKED", {178, 73, 190, 85}, 1),
    Art("GLOBALINFO.SMALLGRAYED", {191, 73, 203, 85}, 1),
    Art("GLOBALINFO.CHECK", {69, 98, 84, 128}, 1, 2),
    // Caption buttons: normal, hot, pressed.
    Art("GLOBALINFO.BICONMIN", {243, 68, 315, 90}, 3),
    Art("GLOBALINFO.BICONNORM", {243, 91, 315, 113}, 3),
    Art("GLOBALINFO.BICONMAX", {243, 114, 315, 136}, 3),
    Art("GLOBALINFO.BICONCLOSE", {125, 95, 221, 117}, 3),
    Art("GLOBALINFO.BICONHELP", {116, 118, 170, 136}, 3),
    Art("GLOBALINFO.SICLOSEALONE", {0, 15, 21, 22}, 3),
    Art("GLOBALINFO.SICONCLOSE", {272, 0, 326, 18}, 3),
    Art("GLOBALINFO.SICONNORM", {326, 0, 380, 18}, 3),
    Art("GLOBALINFO.SICONMAX", {292, 18, 346, 36}, 3),
    Art("GLOBALINFO.SICONMIN", {346, 18, 400, 36}, 3),
    Art("GLOBALINFO.TITLEBUTTON", {218, 0, 272, 18}, 3),
    // Grips.
    Art("GLOBALINFO.GRIPIMAGE", {225, 100, 242, 117}, 1),
    Art("GLOBALINFO.GRIPVERT", {142, 41, 146, 65}, 1),
    Art("GLOBALINFO.GRIPHORZ", {165, 86, 189, 90}, 1),
    // Borders of the sections the program's own windows use.
    Art("FORM.BORDERSMASK", {10, 6, 28, 15}, 2),
    Art("FORMTITLE.BORDERSMASK", {10, 6, 28, 8}, 2, 1, "FORM.BORDERSMASK"),
    Art("EDIT.BORDERSMASK", {15, 0, 25, 5}, 2),
    Art("BUTTON.BORDERSMASK", {206, 66, 242, 94}, 4),
    Art("SPEEDBUTTON.BORDERSMASK", {256, 19, 292, 63}, 3, 2),
    Art("MAINMENU.BORDERSMASK", {168, 1, 178, 27}, 1),
    // Textures.
    Art("PROGRESSH.PATTERN", {293, 37, 323, 67}, 1),
    Art("PROGRESSV.PATTERN", {330, 40, 360, 70}, 1),
    // Scroll bars, tabs, frames of the other sections.
    Art("SCROLLBTNTOP.GLYPHMASK", {0, 40, 27, 58}, 3, 2),
    Art("SCROLLBTNBOTTOM.GLYPHMASK", {0, 60, 27, 78}, 3, 2),
    Art("SCROLLBTNLEFT.GLYPHMASK", {0, 80, 27, 98}, 3, 2),
    Art("SCROLLBTNRIGHT.GLYPHMASK", {0, 100, 27, 118}, 3, 2),
    Art("SCROLLBTNTOP.BORDERSMASK", {30, 40, 48, 46}, 3),
    Art("SCROLLSLIDERH.BORDERSMASK", {30, 50, 66, 74}, 3, 2),
    Art("TABTOP.BORDERSMASK", {30, 80, 60, 90}, 3),
    Art("TABBOTTOM.BORDERSMASK", {30, 92, 60, 102}, 3),
    Art("TABLEFT.BORDERSMASK", {30, 104, 60, 114}, 3),
    Art("TABRIGHT.BORDERSMASK", {30, 116, 60, 126}, 3),
    Art("PANEL_LOW.BORDERSMASK", {0, 124, 5, 129}, 1),
    Art("GROUPBOX.BORDERSMASK", {8, 124, 17, 142}, 1, 2),
    Art("PROGRESSH.BORDERSMASK", {20, 124, 25, 129}, 1),
    Art("COLHEADER.BORDERSMASK", {0, 144, 15, 149}, 3),
};

const TSkinArtItem& Item(const char* purpose) {
  for (const TSkinArtItem& item : Layout)
    if (item.Purpose == purpose) return item;
  throw EInvalidArgument(Format("No picture for %s.", purpose));
}

int CellWidth(const TSkinArtItem& item) { return item.R.Width() / item.ImageCount; }
int CellHeight(const TSkinArtItem& item) { return item.R.Height() / item.Rows; }

using TCellPainter = std::function<void(TBitmap32& cell, int state)>;

// Paints every frame of a keyed picture on a transparent cell, then keys or
// flattens its soft edges against the background it is meant to sit on.
void PutKeyedItem(TBitmap32& master, const char* purpose, uint32_t background, const TCellPainter& paint) {
  const TSkinArtItem& item = Item(purpose);
  for (int s = 0; s < item.ImageCount; ++s) {
    TBitmap32 cell(CellWidth(item), CellHeight(item));
    paint(cell, s);
    FlattenKeyed(cell, background, KeyThreshold);
    CopyOver(master, item.R.Left + s * cell.Width(), item.R.Top, cell);
  }
}

// The same for pictures with a grey mask row below the colour row: soft
// edges stay soft.
void PutMaskedItem(TBitmap32& master, const char* purpose, const TCellPainter& paint) {
  const TSkinArtItem& item = Item(purpose);
  for (int s = 0; s < item.ImageCount; ++s) {
    TBitmap32 cell(CellWidth(item), CellHeight(item));
    paint(cell, s);
    PutMasked(master, item.R.Left + s * cell.Width(), item.R.Top, CellHeight(item), cell);
  }
}

// --- Check boxes and radio buttons -----------------------------------------

const TLook BoxLooks[3] = {{Rgb(128, 142, 152), cWhite}, {Rgb(40, 140, 210), Rgb(240, 248, 253)}, {cAccent, cPressedFill}};
const uint32_t CheckedFills[3] = {cAccentFill, Rgb(28, 142, 218), Rgb(0, 96, 164)};

void CheckMark(TBitmap32& bmp, double scale, double dx, double dy, double width, uint32_t color) {
  StrokePolyline(bmp, {{dx + 3.9 * scale, dy + 8.1 * scale}, {dx + 6.6 * scale, dy + 10.8 * scale},
                       {dx + 11.9 * scale, dy + 5.4 * scale}},
                 width, color);
}

void PaintBox(TBitmap32& c, int state, int kind) {  // kind 0 unchecked, 1 checked, 2 grayed
  const double size = c.Width();
  const double inset = size >= 16 ? 1 : 0.5;
  const double radius = size >= 16 ? 3 : 2;
  if (kind == 1) {
    FillRoundRect(c, inset, inset, size - inset, size - inset, radius, CheckedFills[state]);
    CheckMark(c, size / 16.0, 0, 0, size >= 16 ? 1.7 : 1.5, cWhite);
    return;
  }
  FillRoundRect(c, inset, inset, size - inset, size - inset, radius, BoxLooks[state].Fill);
  StrokeRoundRect(c, inset, inset, size - inset, size - inset, radius, 1, BoxLooks[state].Border);
  if (kind == 2) {
    double a = std::floor(size * 0.3125), b = size - a;
    FillRoundRect(c, a, a, b, b, 1, state == 2 ? Rgb(0, 96, 164) : cAccentFill);
  }
}

void PaintRadio(TBitmap32& c, int state, bool checked) {
  if (checked) {
    FillCircle(c, 8, 8, 6.5, cAccentFill);
    FillCircle(c, 8, 8, 2.9, cWhite);
    return;
  }
  FillCircle(c, 8, 8, 6.5, BoxLooks[state].Border);
  FillCircle(c, 8, 8, 5.5, BoxLooks[state].Fill);
}

// --- Caption buttons --------------------------------------------------------

void HLine(TBitmap32& bmp, int x0, int x1, int y, uint32_t color) { FillRectPx(bmp, Rect(x0, y, x1 + 1, y + 1), color); }
void VLine(TBitmap32& bmp, int x, int y0, int y1, uint32_t color) { FillRectPx(bmp, Rect(x, y0, x + 1, y1 + 1), color); }

void Outline(TBitmap32& bmp, int x0, int y0, int x1, int y1, uint32_t color) {
  HLine(bmp, x0, x1, y0, color);
  HLine(bmp, x0, x1, y1, color);
  VLine(bmp, x0, y0, y1, color);
  VLine(bmp, x1, y0, y1, color);
}

// Glyphs sized n x n with the top-left at (x, y), drawn on whole pixels.
void GlyphMin(TBitmap32& b, int x, int y, int n, uint32_t c) { HLine(b, x, x + n - 1, y + n / 2, c); }
void GlyphMax(TBitmap32& b, int x, int y, int n, uint32_t c) {
  Outline(b, x, y, x + n - 1, y + n - 1, c);
  HLine(b, x, x + n - 1, y + 1, c);  // a heavier top edge, like a title bar
}
void GlyphRestore(TBitmap32& b, int x, int y, int n, uint32_t c) {
  int front = n - 2;
  Outline(b, x, y + 2, x + front - 1, y + n - 1, c);
  HLine(b, x, x + front - 1, y + 3, c);
  HLine(b, x + 2, x + n - 1, y, c);  // the window behind
  VLine(b, x + n - 1, y, y + n - 3, c);
  VLine(b, x + 2, y, y + 1, c);
  HLine(b, x + front, x + n - 1, y + n - 3, c);
}
void GlyphClose(TBitmap32& b, int x, int y, int n, uint32_t c) {
  // Two pixel-exact diagonals, the inner pixels softened for weight.
  for (int i = 0; i < n; ++i) {
    b.SetPixel(x + i, y + i, c);
    b.SetPixel(x + n - 1 - i, y + i, c);
  }
  for (int i = 0; i + 1 < n; ++i) {
    BlendPixel(b, x + i + 1, y + i, c, 0.35);
    BlendPixel(b, x + i, y + i + 1, c, 0.35);
    BlendPixel(b, x + n - 2 - i, y + i, c, 0.35);
    BlendPixel(b, x + n - 1 - i, y + i + 1, c, 0.35);
  }
}
void GlyphHelp(TBitmap32& b, int x, int y, int n, uint32_t c) {
  double cx = x + n / 2.0, r = n * 0.27, cy = y + r + 0.6;
  std::vector<TPointF> pts;
  for (int deg = 190; deg <= 400; deg += 10) {
    double a = deg * M_PI / 180;
    pts.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  pts.push_back({cx, cy + r + 1.2});
  pts.push_back({cx, y + n * 0.72});
  StrokePolyline(b, pts, 1.35, c);
  FillCircle(b, cx, y + n - 0.9, 0.85, c);
}

using TGlyph = void (*)(TBitmap32&, int, int, int, uint32_t);

// One caption button frame: transparent when normal, a soft tile when hot,
// a deeper one when pressed. Close buttons turn red.
void PaintCaptionButton(TBitmap32& c, int state, TGlyph glyph, int glyphSize, bool isClose) {
  int w = c.Width(), h = c.Height();
  uint32_t fill = 0, ink = cGlyph;
  if (state == 1) fill = isClose ? cCloseHot : Rgb(236, 247, 253);
  if (state == 2) fill = isClose ? cClosePressed : Rgb(170, 212, 238);
  if (state > 0) {
    FillRoundRect(c, 1, 1, w - 1, h - 1, 2.5, fill);
    if (isClose) ink = cWhite;
  }
  int gx = (w - glyphSize) / 2, gy = (h - glyphSize) / 2;
  glyph(c, gx, gy, glyphSize, ink);
}

void PaintTitleButton(TBitmap32& c, int state) {
  const TLook looks[3] = {{WithOpacity(Rgb(90, 130, 160), 0.55), 0}, {cAccentMid, Rgb(236, 247, 253)}, {cAccent, Rgb(170, 212, 238)}};
  if (looks[state].Fill) FillRoundRect(c, 1, 1, c.Width() - 1, c.Height() - 1, 2.5, looks[state].Fill);
  StrokeRoundRect(c, 1, 1, c.Width() - 1, c.Height() - 1, 2.5, 1, looks[state].Border);
}

void PutCaptionButtons(TBitmap32& m) {
  auto put = [&](const char* purpose, TGlyph glyph, int size, bool isClose) {
    PutKeyedItem(m, purpose, cTitleActive, [&](TBitmap32& c, int s) { PaintCaptionButton(c, s, glyph, size, isClose); });
  };
  put("GLOBALINFO.BICONMIN", GlyphMin, 10, false);
  put("GLOBALINFO.BICONNORM", GlyphRestore, 10, false);
  put("GLOBALINFO.BICONMAX", GlyphMax, 10, false);
  put("GLOBALINFO.BICONCLOSE", GlyphClose, 10, true);
  put("GLOBALINFO.BICONHELP", GlyphHelp, 10, false);
  put("GLOBALINFO.SICONMIN", GlyphMin, 8, false);
  put("GLOBALINFO.SICONNORM", GlyphRestore, 8, false);
  put("GLOBALINFO.SICONMAX", GlyphMax, 8, false);
  put("GLOBALINFO.SICONCLOSE", GlyphClose, 8, true);
  PutKeyedItem(m, "GLOBALINFO.SICLOSEALONE", cFormBg, [&](TBitmap32& c, int s) {
    const uint32_t inks[3] = {Rgb(110, 120, 128), cCloseHot, cClosePressed};
    GlyphClose(c, 1, 1, 5, inks[s]);
  });
  PutKeyedItem(m, "GLOBALINFO.TITLEBUTTON", cTitleActive, PaintTitleButton);
}

// --- Grips -----------------------------------------------------------------

void Dot(TBitmap32& b, int x, int y) { FillRectPx(b, Rect(x, y, x + 2, y + 2), cGrip); }

void PutGrips(TBitmap32& m) {
  PutKeyedItem(m, "GLOBALINFO.GRIPIMAGE", cFormBg, [](TBitmap32& c, int) {
    for (int row = 0; row < 4; ++row)
      for (int col = 0; col < 4; ++col)
        if (row + col >= 3) Dot(c, 2 + col * 4, 2 + row * 4);
  });
  PutKeyedItem(m, "GLOBALINFO.GRIPVERT", cFormBg, [](TBitmap32& c, int) {
    for (int i = 0; i < 5; ++i) Dot(c, 1, 3 + i * 4);
  });
  PutKeyedItem(m, "GLOBALINFO.GRIPHORZ", cFormBg, [](TBitmap32& c, int) {
    for (int i = 0; i < 5; ++i) Dot(c, 3 + i * 4, 1);
  });
}

// --- Borders -----------------------------------------------------------------

// Window frame: a one-pixel line, then the form colour. The title border is
// the top two rows of this cell.
void PutFrames(TBitmap32& m) {
  PutKeyedItem(m, "FORM.BORDERSMASK", cFormBg, [](TBitmap32& c, int s) {
    c.Fill(cFormBg);
    Outline(c, 0, 0, c.Width() - 1, c.Height() - 1, s == 0 ? Rgb(172, 184, 191) : cAccentMid);
  });
  PutKeyedItem(m, "EDIT.BORDERSMASK", cWhite, [](TBitmap32& c, int s) {
    c.Fill(cWhite);
    Outline(c, 0, 0, c.Width() - 1, c.Height() - 1, s == 0 ? cLine : cAccentMid);
  });
  PutKeyedItem(m, "MAINMENU.BORDERSMASK", cWhite, [](TBitmap32& c, int) {
    c.Fill(cWhite);
    Outline(c, 0, 0, c.Width() - 1, c.Height() - 1, Rgb(170, 182, 189));
  });
  PutKeyedItem(m, "PANEL_LOW.BORDERSMASK", cWhite, [](TBitmap32& c, int) {
    c.Fill(cWhite);
    Outline(c, 0, 0, c.Width() - 1, c.Height() - 1, cLineSoft);
  });
  PutKeyedItem(m, "PROGRESSH.BORDERSMASK", cTrack, [](TBitmap32& c, int) {
    c.Fill(cTrack);
    Outline(c, 0, 0, c.Width() - 1, c.Height() - 1, Rgb(190, 201, 207));
  });
  PutMaskedItem(m, "GROUPBOX.BORDERSMASK", [](TBitmap32& c, int) {
    StrokeRoundRect(c, 0, 0, c.Width(), c.Height(), 3, 1, cLineSoft);
  });
  PutKeyedItem(m, "COLHEADER.BORDERSMASK", cWhite, [](TBitmap32& c, int s) {
    const uint32_t fills[3] = {cWhite, cHotFill, cPressedFill};
    c.Fill(fills[s]);
    HLine(c, 0, c.Width() - 1, c.Height() - 1, Rgb(215, 223, 227));
    VLine(c, c.Width() - 1, 0, c.Height() - 1, Rgb(215, 223, 227));
  });
}

// Push button: rounded corners keyed against the dialog colour. Frames:
// normal, hot, pressed, default.
void PutButton(TBitmap32& m) {
  PutKeyedItem(m, "BUTTON.BORDERSMASK", cFormBg, [](TBitmap32& c, int s) {
    const TLook looks[4] = {{Rgb(173, 187, 195), Rgb(253, 254, 254)}, {cAccentMid, cHotFill}, {cAccent, cPressedFill},
                            {cAccent, Rgb(253, 254, 254)}};
    double w = c.Width(), h = c.Height();
    FillRoundRect(c, 0, 0, w, h, 3, looks[s].Border);
    FillRoundRect(c, 1, 1, w - 1, h - 1, 2, looks[s].Fill);
    if (s == 3) StrokeRoundRect(c, 1, 1, w - 1, h - 1, 2, 1, Rgb(176, 216, 240));
  });
}

// Flat button with a mask row: barely there when normal.
void PaintFlatButton(TBitmap32& c, int s) {
  const TLook looks[3] = {{WithOpacity(Rgb(160, 174, 182), 0.7), WithOpacity(cWhite, 0.45)},
                          {cAccentMid, cHotFill},
                          {cAccent, cPressedFill}};
  double w = c.Width(), h = c.Height();
  FillRoundRect(c, 0, 0, w, h, 3, looks[s].Border);
  // The fill replaces the border inside (colour and opacity), by coverage.
  TBitmap32 inner(c.Width(), c.Height());
  FillRoundRect(inner, 1, 1, w - 1, h - 1, 2, Rgb(0, 0, 0));
  for (int y = 0; y < c.Height(); ++y)
    for (int x = 0; x < c.Width(); ++x)
      if (double k = (inner.Pixel(x, y) >> 24) / 255.0; k > 0) c.SetPixel(x, y, MixPixels(c.Pixel(x, y), looks[s].Fill, k));
}

void PutButtons(TBitmap32& m) {
  PutButton(m);
  PutMaskedItem(m, "SPEEDBUTTON.BORDERSMASK", PaintFlatButton);
}

// --- Scroll bars -------------------------------------------------------------

void PutScrollBars(TBitmap32& m) {
  const uint32_t inks[3] = {Rgb(134, 146, 154), Rgb(70, 82, 92), Rgb(28, 36, 44)};
  struct TArrow {
    const char* Purpose;
    std::vector<TPointF> Points;
  };
  const TArrow arrows[4] = {
      {"SCROLLBTNTOP.GLYPHMASK", {{1, 6.5}, {8, 6.5}, {4.5, 2.5}}},
      {"SCROLLBTNBOTTOM.GLYPHMASK", {{1, 2.5}, {8, 2.5}, {4.5, 6.5}}},
      {"SCROLLBTNLEFT.GLYPHMASK", {{6.5, 1}, {6.5, 8}, {2.5, 4.5}}},
      {"SCROLLBTNRIGHT.GLYPHMASK", {{2.5, 1}, {2.5, 8}, {6.5, 4.5}}},
  };
  for (const TArrow& a : arrows)
    PutMaskedItem(m, a.Purpose, [&](TBitmap32& c, int s) { FillPolygon(c, a.Points, inks[s]); });
  PutKeyedItem(m, "SCROLLBTNTOP.BORDERSMASK", cTrack, [](TBitmap32& c, int s) {
    const uint32_t fills[3] = {cTrack, Rgb(220, 228, 233), Rgb(196, 208, 216)};
    c.Fill(fills[s]);
  });
  PutMaskedItem(m, "SCROLLSLIDERH.BORDERSMASK", [](TBitmap32& c, int s) {
    const uint32_t fills[3] = {Rgb(192, 203, 209), Rgb(158, 172, 181), Rgb(118, 134, 145)};
    FillRoundRect(c, 2, 2, c.Width() - 2, c.Height() - 2, 3, fills[s]);
  });
}

// --- Tabs --------------------------------------------------------------------

// A top tab (normal, hot, selected) painted upright; the other sides are
// the same cell turned.
TBitmap32 TabCell(int size, int s) {
  TBitmap32 c(size, size);
  const uint32_t fills[3] = {Rgb(236, 242, 245), Rgb(246, 250, 252), cWhite};
  c.Fill(fills[s]);
  VLine(c, 0, 0, size - 1, cLineSoft);
  VLine(c, size - 1, 0, size - 1, cLineSoft);
  HLine(c, 0, size - 1, 0, cLineSoft);
  if (s == 2) {
    HLine(c, 0, size - 1, 0, cAccent);
    HLine(c, 1, size - 2, 1, cAccent);
  } else {
    HLine(c, 0, size - 1, size - 1, cLineSoft);  // the page's edge below an idle tab
  }
  return c;
}

TBitmap32 Turned(const TBitmap32& src, int side) {  // 0 top, 1 bottom, 2 left, 3 right
  const int n = src.Width();
  TBitmap32 out(n, n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      int sx = x, sy = y;
      if (side == 1) sy = n - 1 - y;
      if (side == 2) sx = y, sy = x;
      if (side == 3) sx = y, sy = n - 1 - x;
      out.SetPixel(x, y, src.Pixel(sx, sy));
    }
  return out;
}

void PutTabs(TBitmap32& m) {
  const char* purposes[4] = {"TABTOP.BORDERSMASK", "TABBOTTOM.BORDERSMASK", "TABLEFT.BORDERSMASK", "TABRIGHT.BORDERSMASK"};
  for (int side = 0; side < 4; ++side)
    PutKeyedItem(m, purposes[side], cWhite,
                 [&](TBitmap32& c, int s) { CopyOver(c, 0, 0, Turned(TabCell(c.Width(), s), side)); });
}

// --- Textures ------------------------------------------------------------------

// Accent fill with soft diagonal stripes; the 10-pixel period tiles the
// 30 x 30 square seamlessly.
void PutTextures(TBitmap32& m) {
  auto stripes = [&](const char* purpose, bool rising) {
    const TSkinArtItem& item = Item(purpose);
    for (int y = 0; y < item.R.Height(); ++y)
      for (int x = 0; x < item.R.Width(); ++x) {
        int phase = ((rising ? x + y : x - y + 30) % 10 + 10) % 10;
        double t = 0.5 + 0.5 * std::cos(phase * 2 * M_PI / 10);
        m.SetPixel(item.R.Left + x, item.R.Top + y, MixPixels(Rgb(22, 145, 214), Rgb(76, 178, 230), t * 0.8));
      }
  };
  stripes("PROGRESSH.PATTERN", true);
  stripes("PROGRESSV.PATTERN", false);
}

void PutChecks(TBitmap32& m) {
  PutKeyedItem(m, "GLOBALINFO.BOXUNCHECKED", cFormBg, [](TBitmap32& c, int s) { PaintBox(c, s, 0); });
  PutKeyedItem(m, "GLOBALINFO.BOXCHECKED", cFormBg, [](TBitmap32& c, int s) { PaintBox(c, s, 1); });
  PutKeyedItem(m, "GLOBALINFO.BOXGRAYED", cFormBg, [](TBitmap32& c, int s) { PaintBox(c, s, 2); });
  PutKeyedItem(m, "GLOBALINFO.SMALLUNCHECKED", cWhite, [](TBitmap32& c, int) { PaintBox(c, 0, 0); });
  PutKeyedItem(m, "GLOBALINFO.SMALLCHECKED", cWhite, [](TBitmap32& c, int) { PaintBox(c, 0, 1); });
  PutKeyedItem(m, "GLOBALINFO.SMALLGRAYED", cWhite, [](TBitmap32& c, int) { PaintBox(c, 0, 2); });
  PutKeyedItem(m, "GLOBALINFO.RADIOUNCHECKED", cFormBg, [](TBitmap32& c, int s) { PaintRadio(c, s, false); });
  PutKeyedItem(m, "GLOBALINFO.RADIOCHECKED", cFormBg, [](TBitmap32& c, int s) { PaintRadio(c, s, true); });
  PutMaskedItem(m, "GLOBALINFO.CHECK", [](TBitmap32& c, int) { CheckMark(c, 15.0 / 16.0, 0, 0.2, 1.8, cText); });
}

// --- File pictures -------------------------------------------------------------

// Halo around the control's rectangle (inset from the picture's edge):
// strongest at its edge, gone `reach` pixels out, rounded outside the
// corners, nothing over the control itself.
TBitmap32 Halo(int size, int inset, double reach, double peak, uint32_t color) {
  TBitmap32 bmp(size, size);
  double l = inset, t = inset, r = size - inset, b = size - inset;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double px = x + 0.5, py = y + 0.5;
      double d = std::hypot(px - std::clamp(px, l, r), py - std::clamp(py, t, b));  // outside distance
      if (d <= 0 || d >= reach) continue;
      double k = 1 - d / reach;
      bmp.SetPixel(x, y, WithOpacity(color, peak * k * k));
    }
  return bmp;
}

}  // namespace

const std::vector<TSkinArtItem>& AlterMetroMasterLayout() { return Layout; }

TBitmap32 DrawAlterMetroMaster() {
  TBitmap32 m(MasterWidth, MasterHeight);
  PutChecks(m);
  PutCaptionButtons(m);
  PutGrips(m);
  PutFrames(m);
  PutButtons(m);
  PutScrollBars(m);
  PutTabs(m);
  PutTextures(m);
  return m;
}

TBitmap32 DrawAlterMetroBtnHuge() {
  TBitmap32 bmp(192, 128);
  const TLook looks[3] = {{Rgb(190, 201, 208), cWhite}, {cAccentMid, Rgb(235, 246, 253)}, {cAccent, cPressedFill}};
  for (int s = 0; s < 3; ++s) {
    TBitmap32 cell(64, 64);
    FillRoundRect(cell, 1, 1, 63, 63, 7, looks[s].Border);
    TBitmap32 fill(64, 64);
    FillRoundRect(fill, 2, 2, 62, 62, 6, looks[s].Fill);
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x)
        if (uint32_t p = fill.Pixel(x, y); p >> 24) cell.SetPixel(x, y, MixPixels(cell.Pixel(x, y), looks[s].Fill, (p >> 24) / 255.0));
    PutMasked(bmp, s * 64, 0, 64, cell);
  }
  return bmp;
}

TBitmap32 DrawAlterMetroExtBord() {
  // Two frames (inactive, active) of 50 x 80: a soft shadow around the
  // window, which starts 15 pixels in, one pixel lower than centred.
  TBitmap32 bmp(100, 80);
  for (int f = 0; f < 2; ++f) {
    double peak = f == 0 ? 0.16 : 0.28;
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 50; ++x) {
        double px = x + 0.5, py = y + 0.5;
        double cx = std::clamp(px, 15.0 + 4, 35.0 - 4), cy = std::clamp(py, 16.0 + 4, 66.0 - 4);
        double d = std::hypot(px - cx, py - cy) - 4;
        if (d <= 0) continue;
        double k = std::max(0.0, 1 - d / 15);
        uint8_t a = uint8_t(std::lround(255 * peak * k * k * k));
        if (a) bmp.SetPixel(f * 50 + x, y, Argb(a, 16, 32, 44));
      }
    // Hairline just outside the window edge.
    StrokeRoundRect(bmp, f * 50 + 14, 14, f * 50 + 36, 66, 0, 1,
                    WithOpacity(f == 0 ? Rgb(120, 132, 140) : cAccentMid, f == 0 ? 0.35 : 0.6));
  }
  return bmp;
}

TBitmap32 DrawAlterMetroGlowEdit() { return Halo(22, 4, 4.2, 0.55, Rgb(72, 168, 226)); }

TBitmap32 DrawAlterMetroGlowH() { return Halo(108, 8, 8.5, 0.5, Rgb(72, 168, 226)); }

TSkinFileEntries BuildAlterMetroEntries(const TBytes& options) {
  return {
      {"Options.dat", options},
      {"BtnHuge.bmp", EncodeOs2Bmp(DrawAlterMetroBtnHuge())},
      {"Master copy.bmp", EncodeOs2Bmp(DrawAlterMetroMaster())},
      {"ExtBord.png", EncodePng(DrawAlterMetroExtBord())},
      {"GlowEdit.png", EncodePng(DrawAlterMetroGlowEdit())},
      {"GlowH.png", EncodePng(DrawAlterMetroGlowH())},
  };
}
