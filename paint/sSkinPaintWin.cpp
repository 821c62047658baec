#include "paint/sSkinPaintWin.h"

#include "framework/WinUtils.h"
#include "paint/sGlyphUtils.h"
#include "paint/sGradient.h"
#include "paint/sGraphUtils.h"
#include "paint/sMaskDraw.h"
#include "paint/sSkinPaint.h"
#include "skin/acSkinColors.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// A DIB section with its own memory DC, for the platform's drawing calls.
class TDibDC {
public:
  TDibDC(int w, int h) : FW(w), FH(h) {
    if (w <= 0 || h <= 0) return;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    FBmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!FBmp) return;
    FDC = CreateCompatibleDC(nullptr);
    FOld = SelectObject(FDC, FBmp);
    FBits = static_cast<uint32_t*>(bits);
  }
  ~TDibDC() {
    if (FDC) {
      SelectObject(FDC, FOld);
      DeleteDC(FDC);
    }
    if (FBmp) DeleteObject(FBmp);
  }
  TDibDC(const TDibDC&) = delete;
  TDibDC& operator=(const TDibDC&) = delete;
  bool Ok() const { return FBits != nullptr; }
  HDC DC() const { return FDC; }
  TPixelView View() const {
    GdiFlush();
    return TPixelView(FBits, FW, FH, FW);
  }
  // The top-left w x h of the picture.
  TPixelView View(int w, int h) const {
    GdiFlush();
    return w <= FW && h <= FH ? TPixelView(FBits, w, h, FW) : TPixelView();
  }
  int Width() const { return FW; }
  int Height() const { return FH; }

private:
  int FW, FH;
  HBITMAP FBmp = nullptr;
  HDC FDC = nullptr;
  HGDIOBJ FOld = nullptr;
  uint32_t* FBits = nullptr;
};

// Strings are drawn again and again at the sizes of a few controls: one
// picture kept per thread, grown when needed, spares a bitmap and a DC per
// string. Large requests get their own and leave it.
class TTextScratch {
public:
  TDibDC* Get(int w, int h) {
    if (w <= 0 || h <= 0) return nullptr;
    if (int64_t(w) * h > MaxKept) {
      FLarge = std::make_unique<TDibDC>(w, h);
      return FLarge->Ok() ? FLarge.get() : nullptr;
    }
    if (!FKept || FKept->Width() < w || FKept->Height() < h) {
      const int kw = std::max(w, FKept ? FKept->Width() : 0), kh = std::max(h, FKept ? FKept->Height() : 0);
      FKept.reset();
      FKept = std::make_unique<TDibDC>(kw, kh);
    }
    return FKept->Ok() ? FKept.get() : nullptr;
  }
  void Release() { FLarge.reset(); }

private:
  static constexpr int64_t MaxKept = 1024 * 128;
  std::unique_ptr<TDibDC> FKept, FLarge;
};

using TGradientFillFunc = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

TGradientFillFunc GradientFillFunc() {
  static TGradientFillFunc func = [] {
    HMODULE lib = LoadLibraryW(L"msimg32.dll");
    return lib ? reinterpret_cast<TGradientFillFunc>(reinterpret_cast<void*>(GetProcAddress(lib, "GradientFill")))
               : nullptr;
  }();
  return func;
}

inline uint32_t RgbOf(uint32_t p) { return p & 0xFFFFFF; }

// A pixel's colour as a TColor and back, alpha kept.
inline TColor PixelColor(uint32_t p) { return TColor(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16)); }

void ShiftPixels(const TPixelView& view, int hue, int saturation) {
  if (!hue && !saturation) return;
  ForEachPixel(view, [&](uint32_t& p) {
    if (RgbOf(p) == 0xFF00FF) return;
    TColor c = PixelColor(p);
    if (hue) c = ChangeHue(c, hue);
    if (saturation) c = ChangeSaturation(c, saturation);
    p = (p & 0xFF000000u) | (ColorToPixel(c) & 0xFFFFFF);
  });
}

void DrawCorners(const TPixelView& view, const TacSkinModel* sm, const TsGeneralData& gd, const TRect& r, int state) {
  TCacheInfo self;
  self.Ready = true;
  self.Bmp = view;
  const int corners[4] = {gd.ImgTL, gd.ImgTR, gd.ImgBL, gd.ImgBR};
  for (int k = 0; k < 4; ++k) {
    if (!sm->IsValidImgIndex(corners[k])) continue;
    const TsMaskData& md = sm->ma[size_t(corners[k])];
    const int x = (k == 1 || k == 3) ? r.Right - ImageWidth(md) : r.Left;
    const int y = k >= 2 ? r.Bottom - ImageHeight(md) : r.Top;
    DrawMaskImage(view, Point(x, y), state, self, md, 1);
  }
}

bool FitsBitmap(const TRect& r, const TPixelView& v) {
  return !r.IsEmpty() && r.Left >= 0 && r.Top >= 0 && r.Right <= v.Width && r.Bottom <= v.Height;
}

}  // namespace

void InstallWin32PaintPlatform() {
  acTriangleGradient = PaintGradientTriangles;
  // The manager asks through code 37, answered only to our own senders with a live link.
  acSkinLinkMouseAbove = [](LRESULT link) { return link && reinterpret_cast<TsCommonData*>(link)->FMouseAbove; };
}

void PaintLinkBG(TsCommonData* link, const TCacheInfo& ci, int state, const TRect& r, TPoint pos,
                 const TPixelView& bmp) {
  if (!link) return;
  const TsGeneralData* gd = link->Section();
  if (!gd) return;
  TColor custom = clFuchsia;
  if (link->FCustomColor) custom = link->FOwnerControl ? ColorToRGB(link->FOwnerControl->Color()) : clFuchsia;
  PaintSectionBG(link->SkinIndex, link->SkinSection(), ci, ClampState(state, gd->States), r, pos, bmp,
                 link->SkinManager(), link->Texture, link->HotTexture, custom);
}

void PaintSection(TsCommonData* link, TCacheInfo ci, bool, int state, const TRect& r, TPoint pos, TBitmap* bmp,
                  bool updateCorners) {
  if (!link || !bmp) return;
  TsSkinManager* sm = link->SkinManager();
  const TsGeneralData* gd = link->Section();
  const TPixelView view = PixelView(*bmp);
  if (!gd || !FitsBitmap(r, view)) return;
  state = ClampState(state, gd->States);
  PaintLinkBG(link, ci, state, r, pos, view);
  ci.X += pos.X, ci.Y += pos.Y;
  DrawCorners(view, sm, *gd, r, state);
  if (sm->IsValidImgIndex(link->BorderIndex) &&
      !(state == 0 && (sm->ma[size_t(link->BorderIndex)].DrawMode & dmHotOnly)))
    DrawBorder(view, r, updateCorners, state, sm->ma[size_t(link->BorderIndex)], ci);
  else if (gd->Props[size_t(PropsIndex(state, gd->States))].Transparency != 0)
    return;
  ShiftPixels(view, link->FHUEOffset, link->FSaturation);
}

bool PaintSectionFromParent(TsCommonData* link, TWinControl* parent, int state, const TRect& r, TPoint pos,
                            TBitmap* bmp, bool updateCorners) {
  if (!link || !bmp) return true;
  TBGRequest req;
  RequestControlBG(req, parent, false);
  if (req.Kind == bgNotReady) {
    link->FUpdating = false;
    return false;
  }
  TCacheInfo ci;
  BGRequestToCacheInfo(req, ci);
  TsSkinManager* sm = link->SkinManager();
  const TsGeneralData* gd = link->Section();
  const TPixelView view = PixelView(*bmp);
  if (!gd || !FitsBitmap(r, view)) return true;
  state = ClampState(state, gd->States);
  PaintLinkBG(link, ci, state, r, pos, view);
  ci.X += pos.X, ci.Y += pos.Y;
  if (sm->IsValidImgIndex(link->BorderIndex) &&
      (state > 0 || !(sm->ma[size_t(link->BorderIndex)].DrawMode & dmHotOnly)))
    DrawBorder(view, r, updateCorners, state, sm->ma[size_t(link->BorderIndex)], ci);
  DrawCorners(view, sm, *gd, r, state);
  return true;
}

void PaintSectionToDC(int skinIndex, const String& skinSection, const TCacheInfo& ci, TsSkinManager* sm, HDC dc,
                      TPoint pos, const TRect& r, int state, bool) {
  if (!sm) sm = DefaultManager;
  if (!dc || !sm || !sm->IsValidSkinIndex(skinIndex) || r.IsEmpty() || r.Left < 0 || r.Top < 0) return;
  TDibDC temp(r.Width(), r.Height());
  if (!temp.Ok()) return;
  const TPixelView view = temp.View();
  PaintSectionByIndex(skinIndex, skinSection, ci, state, view.Bounds(), pos, view, sm, -1, -1);
  const int saved = SaveDC(dc);
  BitBlt(dc, r.Left, r.Top, r.Width(), r.Height(), temp.DC(), 0, 0, SRCCOPY);
  RestoreDC(dc, saved);
}

void FillDC(HDC dc, const TRect& r, TColor color) {
  if (!dc || r.IsEmpty()) return;
  const int saved = SaveDC(dc);
  HBRUSH brush = CreateSolidBrush(ColorToRGB(color) & 0xFFFFFF);
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  FillRect(dc, &rc, brush);
  DeleteObject(brush);
  RestoreDC(dc, saved);
}

void FillDCBorder(HDC dc, const TRect& r, int wl, TColor color, int wb, int wr, int wt) {
  wl = std::max(wl, 0), wb = std::max(wb, 0), wr = std::max(wr, 0), wt = std::max(wt, 0);
  FillDC(dc, Rect(r.Left, r.Top, r.Right, std::min(r.Top + wt, r.Bottom)), color);
  FillDC(dc, Rect(r.Left, r.Top + wt, std::min(r.Left + wl, r.Right), r.Bottom), color);
  FillDC(dc, Rect(r.Left + wl, std::max(r.Bottom - wb, r.Top + wt), r.Right, r.Bottom), color);
  FillDC(dc, Rect(std::max(r.Right - wr, r.Left + wl), r.Top + wt, r.Right, r.Bottom - wb), color);
}

bool PaintGradientTriangles(const TPixelView& bmp, const TRect& r, const TsGradArray& pieces) {
  const TRect c = ClipRectToView(r, bmp);
  TGradientFillFunc fill = GradientFillFunc();
  if (c.IsEmpty() || pieces.empty() || !fill) return false;
  // Vertices in r's own coordinates; the clipped part is copied out.
  const int w = r.Width(), h = r.Height();
  TDibDC temp(w, h);
  if (!temp.Ok()) return false;
  const TPoint at[5] = {{0, 0}, {w / 2, h / 2}, {w, 0}, {w, h}, {0, h}};
  TRIVERTEX v[5];
  TColor color = 0;
  for (int k = 0; k < 5; ++k) {
    if (k < int(pieces.size())) color = ColorToRGB(pieces[size_t(k)].Color1);
    v[k].x = at[k].X;
    v[k].y = at[k].Y;
    v[k].Red = COLOR16((color & 0xFF) << 8);
    v[k].Green = COLOR16(color & 0xFF00);
    v[k].Blue = COLOR16(((color >> 16) & 0xFF) << 8);
    v[k].Alpha = 0xFF00;
  }
  GRADIENT_TRIANGLE mesh[4] = {{0, 1, 2}, {1, 2, 3}, {0, 1, 4}, {4, 1, 3}};
  if (!fill(temp.DC(), v, 5, mesh, 4, GRADIENT_FILL_TRIANGLE)) return false;
  const TPixelView src = temp.View();
  for (int y = c.Top; y < c.Bottom; ++y) {
    const uint32_t* s = src.Row(y - r.Top) + (c.Left - r.Left);
    uint32_t* d = bmp.Row(y) + c.Left;
    for (int x = 0; x < c.Width(); ++x) d[x] = s[x] | 0xFF000000u;
  }
  return true;
}

void RenderTextBlack(const TPixelView& bmp, const TRect& rect, const String& text, TFont* font, UINT flags) {
  const TRect c = ClipRectToView(rect, bmp);
  if (c.IsEmpty() || text.empty()) return;
  static thread_local TTextScratch scratch;
  TDibDC* temp = scratch.Get(rect.Width(), rect.Height());
  if (!temp) return;
  TPixelView t = temp->View(rect.Width(), rect.Height());
  for (int y = 0; y < t.Height; ++y) FillPixels(t.Row(y), size_t(t.Width), 0x00FFFFFF);
  const HDC dc = temp->DC();
  HGDIOBJ oldFont = SelectObject(dc, font ? HGDIOBJ(font->Handle()) : GetStockObject(DEFAULT_GUI_FONT));
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  const std::wstring wide = ToWide(text);
  // Ink past the rectangle lands outside the part read back.
  RECT rc{0, 0, rect.Width(), rect.Height()};
  DrawTextW(dc, wide.c_str(), int(wide.size()), &rc, flags);
  SelectObject(dc, oldFont);
  t = temp->View(rect.Width(), rect.Height());
  for (int y = c.Top; y < c.Bottom; ++y) {
    const uint32_t* s = t.Row(y - rect.Top) + (c.Left - rect.Left);
    uint32_t* d = bmp.Row(y) + c.Left;
    for (int x = 0; x < c.Width(); ++x) d[x] = (d[x] & 0xFF000000u) | RgbOf(s[x]);
  }
  scratch.Release();
}

void WriteText32(TBitmap* bmp, const String& text, bool enabled, TsSkinManager* sm, bool state, int skinIndex,
                 UINT flags, const TRect& r, TFont* font) {
  if (!bmp || text.empty()) return;
  const TColor fontColor = font ? font->Color() : clBlack;
  WriteText32(PixelView(*bmp), enabled, sm, state, skinIndex, r, fontColor,
              [&](const TPixelView& view, const TRect& rect) { RenderTextBlack(view, rect, text, font, flags); });
}

void TextGlow(TBitmap* bmp, const String& text, const TRect& r, TCoverage8& glowMask, TColor color, int size,
              int sides, UINT flags, TFont* font) {
  if (!bmp || text.empty()) return;
  TextGlow(PixelView(*bmp), r, glowMask, color, size, sides, [&](TCoverage8& mask, const TRect& rect) {
    TDibDC temp(rect.Width(), rect.Height());
    if (!temp.Ok()) return;
    TPixelView t = temp.View();
    FillPixels(t.Bits, size_t(t.Width) * size_t(t.Height), 0x00FFFFFF);
    RenderTextBlack(t, t.Bounds(), text, font, flags);
    // Each pass darkens what an earlier one left.
    for (int y = std::max(rect.Top, 0); y < std::min(rect.Bottom, mask.Height()); ++y)
      for (int x = std::max(rect.Left, 0); x < std::min(rect.Right, mask.Width()); ++x) {
        const uint8_t v = uint8_t((t.At(x - rect.Left, y - rect.Top) >> 8) & 0xFF);
        if (v < mask.At(x, y)) mask.At(x, y) = v;
      }
  });
}

int FindFontSection(TControl* control, int defaultIndex, TsSkinManager* sm, int state) {
  if (!sm) sm = DefaultManager;
  if (!control || !sm) return defaultIndex;
  for (TWinControl* parent = control->Parent(); parent; parent = parent->Parent()) {
    int index = -1;
    bool ownLink = false;
    if (TsCommonData* link = SkinLinkOf(parent)) {
      index = link->SkinIndex;
      ownLink = true;
    } else if (parent->HandleAllocated()) {
      TacSectionInfo info;
      SendSkinCommand(parent, SKC_GETSKININDEX, 0, LPARAM(&info));
      index = info.SkinIndex;
    } else {
      return defaultIndex;
    }
    if (!sm->IsValidSkinIndex(index)) {
      if (ownLink) return defaultIndex;
      continue;
    }
    const TsGeneralData& gd = sm->gd[size_t(index)];
    const int b = ClampState(state > 0 ? 1 : 0, gd.States);
    bool qualifies = gd.Props[size_t(b)].Transparency <= 50;
    if (ownLink)
      qualifies = qualifies || !parent->Parent() ||
                  (sm->IsValidImgIndex(gd.BorderIndex) && (sm->ma[size_t(gd.BorderIndex)].DrawMode & dmDrawCentre));
    if (qualifies) return gd.GiveOwnFont ? index : defaultIndex;
  }
  return defaultIndex;
}
