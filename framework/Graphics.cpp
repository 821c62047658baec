#include "framework/Graphics.h"

#include <algorithm>
#include <cstring>

namespace {
// System colours come from the running desktop once any drawing code is linked in.
const bool SysColorsInstalled = (SetSysColorSource([](int index) -> TColor { return GetSysColor(index); }), true);
}  // namespace

int ScreenPixelsPerInch() {
  static int ppi = [] {
    TWindowDC dc(nullptr);
    int v = dc.Get() ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
    return v > 0 ? v : 96;
  }();
  return ppi;
}

void TGraphicsObject::Changed() {
  FHandleStale = true;
  if (OnChange) OnChange(this);
}

// ---- TFont ---------------------------------------------------------------

TFont::TFont() = default;
TFont::~TFont() = default;

void TFont::Assign(const TPersistent* source) {
  if (auto* f = dynamic_cast<const TFont*>(source)) {
    if (f == this) return;
    FName = f->FName;
    FHeight = f->FHeight;
    FStyle = f->FStyle;
    FColor = f->FColor;
    FCharset = f->FCharset;
    FQuality = f->FQuality;
    FOrientation = f->FOrientation;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

bool TFont::Equals(const TFont& o) const {
  return FName == o.FName && FHeight == o.FHeight && FStyle == o.FStyle && FColor == o.FColor &&
         FCharset == o.FCharset && FQuality == o.FQuality && FOrientation == o.FOrientation;
}

LOGFONTW TFont::LogFont() const {
  LOGFONTW lf{};
  lf.lfHeight = FHeight;
  lf.lfEscapement = lf.lfOrientation = FOrientation;
  lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = FStyle.Contains(fsItalic);
  lf.lfUnderline = FStyle.Contains(fsUnderline);
  lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
  lf.lfCharSet = FCharset;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  static const BYTE qualities[] = {DEFAULT_QUALITY, DRAFT_QUALITY, PROOF_QUALITY,
                                   NONANTIALIASED_QUALITY, ANTIALIASED_QUALITY, CLEARTYPE_QUALITY};
  lf.lfQuality = qualities[int(FQuality)];
  lf.lfPitchAndFamily = DEFAULT_PITCH;
  std::wstring name = ToWide(FName);
  wcsncpy(lf.lfFaceName, name.c_str(), LF_FACESIZE - 1);
  return lf;
}

HFONT TFont::Handle() {
  if (FHandleStale || !FHandle) {
    LOGFONTW lf = LogFont();
    FHandle.Reset(CreateFontIndirectW(&lf));
    FHandleStale = false;
    ++FGeneration;
  }
  return FHandle.Get();
}

void TFont::SetHandle(HFONT font) {
  LOGFONTW lf{};
  if (!font || !GetObjectW(font, sizeof(lf), &lf)) return;
  FName = FromWide(lf.lfFaceName);
  FHeight = lf.lfHeight;
  FStyle = {};
  if (lf.lfWeight >= FW_BOLD) FStyle.Include(fsBold);
  if (lf.lfItalic) FStyle.Include(fsItalic);
  if (lf.lfUnderline) FStyle.Include(fsUnderline);
  if (lf.lfStrikeOut) FStyle.Include(fsStrikeOut);
  FCharset = lf.lfCharSet;
  FOrientation = lf.lfEscapement;
  Changed();
}

void TFont::SetName(const String& value) {
  if (value.empty() || value == FName) return;
  FName = value;
  Changed();
}

void TFont::SetHeight(int value) {
  if (value == FHeight) return;
  FHeight = value;
  Changed();
}

int TFont::Size() const { return -MulDiv(FHeight, 72, ScreenPixelsPerInch()); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72)); }

void TFont::SetStyle(TFontStyles value) {
  if (value == FStyle) return;
  FStyle = value;
  Changed();
}

void TFont::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  // The colour is no part of the GDI font: keep the handle, also for the
  // listeners that ask for it while told.
  ChangedKeepingHandle();
}

void TFont::SetCharset(BYTE value) {
  if (value == FCharset) return;
  FCharset = value;
  Changed();
}

void TFont::SetQuality(TFontQuality value) {
  if (value == FQuality) return;
  FQuality = value;
  Changed();
}

void TFont::SetOrientation(int value) {
  if (value == FOrientation) return;
  FOrientation = value;
  Changed();
}

// ---- TBrush, TPen --------------------------------------------------------

void TBrush::Assign(const TPersistent* source) {
  if (auto* b = dynamic_cast<const TBrush*>(source)) {
    if (b == this) return;
    FColor = b->FColor;
    FStyle = b->FStyle;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

HBRUSH TBrush::Handle() {
  if (FStyle == TBrushStyle::bsClear) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  if (FHandleStale || !FHandle) {
    LOGBRUSH lb{};
    lb.lbColor = ColorToRGB(FColor);
    if (FStyle == TBrushStyle::bsSolid) {
      lb.lbStyle = BS_SOLID;
    } else {
      static const int hatches[] = {0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
      lb.lbStyle = BS_HATCHED;
      lb.lbHatch = ULONG_PTR(hatches[int(FStyle)]);
    }
    FHandle.Reset(CreateBrushIndirect(&lb));
    FHandleStale = false;
  }
  return FHandle.Get();
}

void TBrush::SetColor(TColor value) {
  if (value == FColor && FStyle != TBrushStyle::bsClear) return;
  FColor = value;
  if (FStyle == TBrushStyle::bsClear) FStyle = TBrushStyle::bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  Changed();
}

void TPen::Assign(const TPersistent* source) {
  if (auto* p = dynamic_cast<const TPen*>(source)) {
    if (p == this) return;
    FColor = p->FColor;
    FWidth = p->FWidth;
    FStyle = p->FStyle;
    FMode = p->FMode;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

HPEN TPen::Handle() {
  if (FHandleStale || !FHandle) {
    static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    FHandle.Reset(CreatePen(styles[int(FStyle)], FWidth, ColorToRGB(FColor)));
    FHandleStale = false;
  }
  return FHandle.Get();
}

void TPen::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  Changed();
}

void TPen::SetWidth(int value) {
  if (value < 0) value = 0;
  if (value == FWidth) return;
  FWidth = value;
  Changed();
}

void TPen::SetStyle(TPenStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  Changed();
}

void TPen::SetMode(TPenMode value) {
  if (value == FMode) return;
  FMode = value;
  bool stale = FHandleStale;
  Changed();
  FHandleStale = stale;
}

// ---- TCanvas -------------------------------------------------------------

TCanvas::TCanvas() : FFont(new TFont), FBrush(new TBrush), FPen(new TPen) {
  // A changed object is deselected now; its new handle is selected on next use.
  FFont->OnChange = [this](TObject*) {
    if (FFontSelected && FHandle) SelectObject(FHandle, FOldFont);
    FFontSelected = false;
  };
  FBrush->OnChange = [this](TObject*) {
    if (FBrushSelected && FHandle) SelectObject(FHandle, FOldBrush);
    FBrushSelected = false;
  };
  FPen->OnChange = [this](TObject*) {
    if (FPenSelected && FHandle) SelectObject(FHandle, FOldPen);
    FPenSelected = false;
  };
}

TCanvas::~TCanvas() {
  DeselectHandles();
  delete FFont;
  delete FBrush;
  delete FPen;
}

HDC TCanvas::Handle() {
  if (!FHandle) CreateHandle();
  if (!FHandle) throw EInvalidOperation("Canvas does not allow drawing");
  return FHandle;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == FHandle) return;
  DeselectHandles();
  FHandle = dc;
}

void TCanvas::DeselectHandles() {
  if (FHandle) {
    if (FFontSelected) SelectObject(FHandle, FOldFont);
    if (FBrushSelected) SelectObject(FHandle, FOldBrush);
    if (FPenSelected) SelectObject(FHandle, FOldPen);
  }
  FFontSelected = FBrushSelected = FPenSelected = false;
}

void TCanvas::RequireObjects(bool font, bool brush, bool pen) {
  HDC dc = Handle();
  if (font) {
    if (!FFontSelected) {
      FOldFont = SelectObject(dc, FFont->Handle());
      FFontSelected = true;
    }
    SetTextColor(dc, ColorToRGB(FFont->Color()));
  }
  if (brush) {
    if (!FBrushSelected) {
      FOldBrush = SelectObject(dc, FBrush->Handle());
      FBrushSelected = true;
    }
    SetBkColor(dc, ColorToRGB(FBrush->Color()));
    SetBkMode(dc, FBrush->Style() == TBrushStyle::bsClear ? TRANSPARENT : OPAQUE);
  }
  if (pen) {
    if (!FPenSelected) {
      FOldPen = SelectObject(dc, FPen->Handle());
      FPenSelected = true;
    }
    static const int rops[] = {R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN, R2_XORPEN, R2_MERGEPEN, R2_MASKPEN};
    SetROP2(dc, rops[int(FPen->Mode())]);
  }
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

void TCanvas::FillRect(const TRect& r) {
  Changing();
  RequireObjects(false, true, false);
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  if (FBrush->Style() != TBrushStyle::bsClear) ::FillRect(FHandle, &rc, FBrush->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& r) {
  Changing();
  RequireObjects(false, true, false);
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  if (FBrush->Style() != TBrushStyle::bsClear) ::FrameRect(FHandle, &rc, FBrush->Handle());
  Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Changing();
  RequireObjects(false, true, true);
  ::Rectangle(FHandle, x1, y1, x2, y2);
  Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int w, int h) {
  Changing();
  RequireObjects(false, true, true);
  ::RoundRect(FHandle, x1, y1, x2, y2, w, h);
  Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Changing();
  RequireObjects(false, true, true);
  ::Ellipse(FHandle, x1, y1, x2, y2);
  Changed();
}

void TCanvas::MoveTo(int x, int y) { MoveToEx(Handle(), x, y, nullptr); }

void TCanvas::LineTo(int x, int y) {
  Changing();
  RequireObjects(false, true, true);
  ::LineTo(FHandle, x, y);
  Changed();
}

TPoint TCanvas::PenPos() {
  POINT p{};
  GetCurrentPositionEx(Handle(), &p);
  return {p.x, p.y};
}

static std::vector<POINT> ToPoints(const std::vector<TPoint>& pts) {
  std::vector<POINT> r(pts.size());
  for (size_t i = 0; i < pts.size(); ++i) r[i] = {pts[i].X, pts[i].Y};
  return r;
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
  if (points.empty()) return;
  Changing();
  RequireObjects(false, true, true);
  auto p = ToPoints(points);
  ::Polygon(FHandle, p.data(), int(p.size()));
  Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
  if (points.empty()) return;
  Changing();
  RequireObjects(false, true, true);
  auto p = ToPoints(points);
  ::Polyline(FHandle, p.data(), int(p.size()));
  Changed();
}

TColor TCanvas::Pixel(int x, int y) {
  COLORREF c = GetPixel(Handle(), x, y);
  return c == CLR_INVALID ? clNone : TColor(c);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  Changing();
  ::SetPixel(Handle(), x, y, ColorToRGB(color));
  Changed();
}

void TCanvas::TextOut(int x, int y, const String& text) {
  Changing();
  RequireObjects(true, true, false);
  std::wstring w = ToWide(text);
  ExtTextOutW(FHandle, x, y, 0, nullptr, w.c_str(), UINT(w.size()), nullptr);
  MoveToEx(FHandle, x + TextWidth(text), y, nullptr);
  Changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, const String& text) {
  Changing();
  RequireObjects(true, true, false);
  std::wstring w = ToWide(text);
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  UINT opts = ETO_CLIPPED | (FBrush->Style() != TBrushStyle::bsClear ? ETO_OPAQUE : 0);
  ExtTextOutW(FHandle, x, y, opts, &rc, w.c_str(), UINT(w.size()), nullptr);
  Changed();
}

int TCanvas::DrawText(const String& text, TRect& r, UINT format) {
  bool calc = (format & DT_CALCRECT) != 0;
  if (!calc) Changing();
  RequireObjects(true, true, false);
  std::wstring w = ToWide(text);
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  int h = ::DrawTextW(FHandle, w.c_str(), int(w.size()), &rc, format);
  if (calc) r = {rc.left, rc.top, rc.right, rc.bottom};
  if (!calc) Changed();
  return h;
}

TSize TCanvas::TextExtent(const String& text) {
  RequireObjects(true, false, false);
  std::wstring w = ToWide(text);
  SIZE s{};
  GetTextExtentPoint32W(FHandle, w.c_str(), int(w.size()), &s);
  return {s.cx, s.cy};
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& srcRect) {
  if (!source) return;
  Changing();
  RequireObjects(false, true, false);
  Lock();  // taking the source DC must not take ours away
  HDC src;
  try {
    src = source->Handle();
  } catch (...) {
    Unlock();
    throw;
  }
  Unlock();
  if (dest.Width() == srcRect.Width() && dest.Height() == srcRect.Height())
    BitBlt(FHandle, dest.Left, dest.Top, dest.Width(), dest.Height(), src, srcRect.Left, srcRect.Top, FCopyMode);
  else
    StretchBlt(FHandle, dest.Left, dest.Top, dest.Width(), dest.Height(), src, srcRect.Left, srcRect.Top,
               srcRect.Width(), srcRect.Height(), FCopyMode);
  Changed();
}

void TCanvas::Draw(int x, int y, TBitmap* bitmap) {
  if (!bitmap || bitmap->Empty()) return;
  StretchDraw(Rect(x, y, x + bitmap->Width(), y + bitmap->Height()), bitmap);
}

void TCanvas::StretchDraw(const TRect& dest, TBitmap* bitmap) {
  if (!bitmap || bitmap->Empty() || dest.IsEmpty()) return;
  Changing();
  HDC dc = Handle();
  Lock();  // taking the source DC must not take ours away
  HDC src;
  try {
    src = bitmap->Canvas()->Handle();
  } catch (...) {
    Unlock();
    throw;
  }
  Unlock();
  int w = bitmap->Width(), h = bitmap->Height();
  if (bitmap->Transparent()) {
    TransparentBlt(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), src, 0, 0, w, h,
                   ColorToRGB(bitmap->TransparentColor()));
  } else if (dest.Width() == w && dest.Height() == h) {
    BitBlt(dc, dest.Left, dest.Top, w, h, src, 0, 0, FCopyMode);
  } else {
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), src, 0, 0, w, h, FCopyMode);
  }
  Changed();
}

TRect TCanvas::ClipRect() {
  RECT rc{};
  GetClipBox(Handle(), &rc);
  return {rc.left, rc.top, rc.right, rc.bottom};
}

// ---- TBitmap -------------------------------------------------------------

class TBitmapCanvas;

namespace {
// Bitmap canvases holding a DC, in the order they took it.
std::vector<TBitmapCanvas*>& BitmapCanvasList() {
  static auto* list = new std::vector<TBitmapCanvas*>;
  return *list;
}
}  // namespace

class TBitmapCanvas : public TCanvas {
public:
  explicit TBitmapCanvas(TBitmap* bitmap) : FBitmap(bitmap) {}
  ~TBitmapCanvas() override { FreeHandle(); }

  // Gives the DC back; the bitmap leaves it and may be selected elsewhere.
  void FreeHandle() {
    if (!FDC) return;
    SetHandle(nullptr);  // font, brush and pen out first
    if (FBitmap->FOldBitmap) SelectObject(FDC->Get(), FBitmap->FOldBitmap);
    FBitmap->FCanvasDC = nullptr;
    FBitmap->FOldBitmap = nullptr;
    FDC.reset();
    Font()->ReleaseHandle();
    Brush()->ReleaseHandle();
    Pen()->ReleaseHandle();
    auto& list = BitmapCanvasList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }

protected:
  void CreateHandle() override {
    auto& list = BitmapCanvasList();
    for (size_t i = 0; list.size() >= size_t(MaxBitmapCanvasDCs) && i < list.size();) {
      if (list[i]->LockCount() == 0)
        list[i]->FreeHandle();
      else
        ++i;
    }
    auto dc = std::make_unique<TMemoryDC>();
    if (!dc->Get()) throw EOutOfResources("Out of system resources");
    FBitmap->FOldBitmap = nullptr;
    if (FBitmap->FHandle) {
      HGDIOBJ prev = SelectObject(dc->Get(), FBitmap->FHandle.Get());
      if (!prev) throw EInvalidOperation("Cannot draw on a bitmap that is selected into another device context");
      FBitmap->FOldBitmap = prev;
    }
    FBitmap->FCanvasDC = dc->Get();
    FDC = std::move(dc);
    SetHandle(FDC->Get());
    list.push_back(this);
  }

private:
  TBitmap* FBitmap;
  std::unique_ptr<TMemoryDC> FDC;
};

int BitmapCanvasDCCount() { return int(BitmapCanvasList().size()); }

void FreeBitmapCanvasDCs() {
  auto list = BitmapCanvasList();
  for (TBitmapCanvas* c : list)
    if (c->LockCount() == 0) c->FreeHandle();
}

HBITMAP TBitmap::Handle() const {
  if (FCanvasDC && FCanvas->LockCount() == 0) static_cast<TBitmapCanvas*>(FCanvas)->FreeHandle();
  return FHandle.Get();
}

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) { SetSize(width, height); }

TBitmap::~TBitmap() {
  delete FCanvas;  // deselects this bitmap from the canvas DC before the handle goes
}

void TBitmap::SelectInto(HDC dc) {
  if (!dc || !FHandle) return;
  HGDIOBJ prev = SelectObject(dc, FHandle.Get());
  if (!FOldBitmap) FOldBitmap = prev;
}

void TBitmap::SetSize(int width, int height) {
  if (width < 0 || height < 0 || width > TBitmap32::MaxDimension || height > TBitmap32::MaxDimension)
    throw EInvalidArgument(Format("Invalid bitmap size %d x %d", width, height));
  if (width == FWidth && height == FHeight) return;
  TBitmapHandle newHandle;
  uint32_t* newBits = nullptr;
  if (width > 0 && height > 0) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    newHandle.Reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!newHandle) throw EOutOfResources(Format("Out of system resources for a %d x %d bitmap", width, height));
    newBits = static_cast<uint32_t*>(bits);
    GdiFlush();
    std::memset(newBits, 0, size_t(width) * size_t(height) * 4);
    if (FBits) {
      int w = std::min(width, FWidth), h = std::min(height, FHeight);
      for (int y = 0; y < h; ++y) std::memcpy(newBits + size_t(y) * width, FBits + size_t(y) * FWidth, size_t(w) * 4);
    }
  }
  // Take the old bitmap out of the canvas DC before it is deleted.
  if (FCanvasDC && FOldBitmap) {
    SelectObject(FCanvasDC, FOldBitmap);
    FOldBitmap = nullptr;
  }
  FHandle = std::move(newHandle);
  FBits = newBits;
  FWidth = width;
  FHeight = height;
  SelectInto(FCanvasDC);
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  if (value == FPixelFormat) return;
  FPixelFormat = value;
  Changed();
}

uint32_t* TBitmap::ScanLine(int y) {
  if (y < 0 || y >= FHeight || !FBits) throw EInvalidArgument(Format("Scan line %d out of range", y));
  GdiFlush();
  return FBits + size_t(y) * size_t(FWidth);
}

const uint32_t* TBitmap::ScanLine(int y) const { return const_cast<TBitmap*>(this)->ScanLine(y); }

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) {
    auto* c = new TBitmapCanvas(this);
    c->OnChange = [this](TObject*) { Changed(); };
    FCanvas = c;
  }
  return FCanvas;
}

void TBitmap::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Changed();
}

TColor TBitmap::TransparentColor() const {
  if (FTransparentMode == TTransparentMode::tmFixed && FTransparentColor != clDefault) return FTransparentColor;
  if (Empty()) return clDefault;
  return PixelToColor(ScanLine(FHeight - 1)[0]);
}

void TBitmap::SetTransparentColor(TColor value) {
  FTransparentColor = value;
  FTransparentMode = value == clDefault ? TTransparentMode::tmAuto : TTransparentMode::tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  if (value == FTransparentMode) return;
  FTransparentMode = value;
  Changed();
}

void TBitmap::Changed() {
  Modified = true;
  if (OnChange) OnChange(this);
}

void TBitmap::Assign(const TPersistent* source) {
  if (auto* b = dynamic_cast<const TBitmap*>(source)) {
    if (b == this) return;
    auto notify = std::move(OnChange);  // one change notification for the whole copy
    SetSize(0, 0);
    SetSize(b->FWidth, b->FHeight);
    if (FBits && b->FBits) {
      GdiFlush();
      std::memcpy(FBits, b->FBits, size_t(FWidth) * size_t(FHeight) * 4);
    }
    FPixelFormat = b->FPixelFormat;
    FTransparent = b->FTransparent;
    FTransparentMode = b->FTransparentMode;
    FTransparentColor = b->FTransparentColor;
    OnChange = std::move(notify);
    Changed();
    return;
  }
  if (source == nullptr) {
    SetSize(0, 0);
    return;
  }
  TPersistent::Assign(source);
}

void TBitmap::Assign(const TBitmap32& source) {
  auto notify = std::move(OnChange);
  SetSize(0, 0);
  SetSize(source.Width(), source.Height());
  if (FBits && !source.Empty()) {
    GdiFlush();
    std::memcpy(FBits, source.Bits(), source.PixelCount() * 4);
  }
  FPixelFormat = source.PixelFormat;
  OnChange = std::move(notify);
  Changed();
}

void TBitmap::AssignTo(TBitmap32& dest) const {
  dest.SetSize(FWidth, FHeight);
  if (FBits && !dest.Empty()) {
    GdiFlush();
    std::memcpy(dest.Bits(), FBits, dest.PixelCount() * 4);
  }
  dest.PixelFormat = FPixelFormat;
}

// ---- TPicture ------------------------------------------------------------

TPicture::TPicture() : FBitmap(new TBitmap) {
  FBitmap->OnChange = [this](TObject*) {
    if (OnChange) OnChange(this);
  };
}

TPicture::~TPicture() { delete FBitmap; }

void TPicture::Assign(const TPersistent* source) {
  if (auto* p = dynamic_cast<const TPicture*>(source)) {
    FBitmap->Assign(p->FBitmap);
    return;
  }
  if (dynamic_cast<const TBitmap*>(source) || !source) {
    FBitmap->Assign(source);
    return;
  }
  TPersistent::Assign(source);
}
