#include "frames/sSkinProvider.h"

#include "frames/acSBAnimation.h"
#include "frames/sSysMenu.h"
#include "controls/acFade.h"
#include "framework/WinUtils.h"
#include "paint/sMaskDraw.h"
#include "paint/sSkinPaint.h"
#include "paint/sSkinPaintWin.h"
#include "skin/sMessages.h"

#include <algorithm>

namespace {
TRect RectOf(const RECT& r) { return Rect(r.left, r.top, r.right, r.bottom); }
}  // namespace

// ---- desktop window manager

TacDwmApi& acDwm() {
  static TacDwmApi api = [] {
    TacDwmApi a;
    if (HMODULE lib = LoadLibraryW(L"dwmapi.dll")) {
      a.IsCompositionEnabled =
          reinterpret_cast<decltype(a.IsCompositionEnabled)>(reinterpret_cast<void*>(GetProcAddress(lib, "DwmIsCompositionEnabled")));
      a.SetWindowAttribute =
          reinterpret_cast<decltype(a.SetWindowAttribute)>(reinterpret_cast<void*>(GetProcAddress(lib, "DwmSetWindowAttribute")));
    }
    return a;
  }();
  return api;
}

bool acCompositionEnabled() {
  BOOL on = FALSE;
  auto& api = acDwm();
  return api.IsCompositionEnabled && SUCCEEDED(api.IsCompositionEnabled(&on)) && on;
}

// ---- life cycle

TsSkinProvider::TsSkinProvider(TComponent* owner) : TComponent(owner) {
  Init(dynamic_cast<TCustomForm*>(owner));
}

TsSkinProvider* TsSkinProvider::CreateRT(TCustomForm* form) {
  auto* p = new TsSkinProvider(form);
  p->RTInit = !p->RTEmpty;
  p->FRunTime = true;
  for (int i = 0; i < form->ComponentCount() && !p->RTEmpty; ++i)
    if (auto* bar = dynamic_cast<TsTitleBar*>(form->Components(i))) {
      p->SetTitleBar(bar);
      break;
    }
  return p;
}

TsTitleBar::TsTitleBar(TComponent* owner) : TComponent(owner) {
  if (TsSkinProvider* p = ProviderOf(dynamic_cast<TCustomForm*>(owner)); p && !p->TitleBar()) p->SetTitleBar(this);
}

void TsSkinProvider::SetTitleBar(TsTitleBar* value) {
  if (value == FTitleBar) return;
  if (FTitleBar) RemoveFreeNotification(FTitleBar);
  FTitleBar = value;
  if (FTitleBar) FreeNotification(FTitleBar);
  UpdateTitleBar();
}

void TsSkinProvider::UpdateTitleBar() {
  FLayout.HasTitleBar = FTitleBar != nullptr;
  if (!RTEmpty && FSkinData && Form && Form->HandleAllocated() && !Form->IsDestroying()) UpdateTitle();
}

void TsSkinProvider::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == FTitleBar) {
    FTitleBar = nullptr;
    UpdateTitleBar();
  }
}

TacResizeMode TsSkinProvider::ResizeMode() const {
  return FResizeMode == TacResizeMode::rmBorder && acCompositionEnabled() ? TacResizeMode::rmStandard : FResizeMode;
}

void TsSkinProvider::Init(TCustomForm* form) {
  if (!form) throw EInvalidOperation("TsSkinProvider component may be used with forms only!");
  Form = form;
  // A second provider: a run-time one gives way, a designed one stays.
  for (int i = 0; i < form->ComponentCount(); ++i) {
    auto* other = dynamic_cast<TsSkinProvider*>(form->Components(i));
    if (!other || other == this || other->RTEmpty) continue;
    if (other->FRunTime) {
      other->Free();
      break;
    }
    RTEmpty = true;
    return;
  }
  FSkinData = std::make_unique<TsCommonData>(this, true);
  FSkinData->SetSkinSection("FORM");
  FSkinData->COC = 224;
  FLinkId = Form->AttachWindowProc([this](TMessage& m) { NewWndProc(m); });
  RegisterSkinnedForm(Form);
  FormActive = Form->HandleAllocated() && GetActiveWindow() == Form->Handle();
}

TsSkinProvider::~TsSkinProvider() = default;

void TsSkinProvider::BeforeDestruction() {
  if (!RTEmpty && Form) {
    SetHotHT(0, false);
    for (TacSBAnimation*& a : FAnims) FreeAnimation(a);
    if (FLinkId) Form->DetachWindowProc(FLinkId);
    FLinkId = 0;
    UnregisterSkinnedForm(Form);
    if (!Form->IsDestroying() && Form->HandleAllocated()) {
      // The form goes on with the system's frame: its style bit, no region, a fresh frame.
      UpdateSysMenuStyle(false);
      SetWindowRgn(Form->Handle(), nullptr, TRUE);
      SetWindowPos(Form->Handle(), nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  TComponent::BeforeDestruction();
}

void TsSkinProvider::Loaded() {
  TComponent::Loaded();
  if (!RTEmpty && !RTInit && FSkinData && FSkinData->SkinManager() && Skinned()) LoadInit();
}

bool TsSkinProvider::Skinned() const { return !RTEmpty && FSkinData && FSkinData->Skinned(); }

void TsSkinProvider::LoadInit() {
  if (Form->HandleAllocated() && acCompositionEnabled() && acDwm().SetWindowAttribute) {
    BOOL off = FDrawNonClientArea;
    acDwm().SetWindowAttribute(Form->Handle(), 3 /* transitions force-disabled */, &off, sizeof(off));
  }
  PrepareForm();
}

void TsSkinProvider::PrepareForm() {
  if (RTInit || RTEmpty || !Form || !Form->HandleAllocated()) return;
  TsSkinManager* sm = FSkinData->SkinManager();
  if (!sm || !sm->Active()) return;
  FSkinData->Loaded();
  if (!SystemMenu) SystemMenu = new TsSystemMenu(this);
  SystemMenu->Generate();
  UpdateSysMenuStyle(FDrawNonClientArea);
  FSkinData->UpdateIndexes();
  FillWnd();
  FLayout.UpdateIndexes();
  FLayout.InitButtonImages();
  RgnChanged = true;
  FSkinData->BGChanged = true;
  if (!Form->IsLoading() && !Form->IsDestroying() && UseGlobalColor && !FSkinData->CustomColor())
    Form->SetColor(sm->GetGlobalColor());
}

void TsSkinProvider::SetDrawNonClientArea(bool value) {
  if (value == FDrawNonClientArea) return;
  FDrawNonClientArea = value;
  if (!Form->HandleAllocated()) return;
  UpdateSysMenuStyle(value && Skinned());
  if (!value) SetWindowRgn(Form->Handle(), nullptr, TRUE), FRegionSet = false, FAppliedRgn.clear();
  RgnChanged = true;
  FSkinData->BGChanged = true;
  SetWindowPos(Form->Handle(), nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TsSkinProvider::UpdateSysMenuStyle(bool skinned) {
  if (!Form->HandleAllocated()) return;
  const HWND wnd = Form->Handle();
  const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
  if (skinned && FDrawNonClientArea) {
    if (style & WS_SYSMENU) {
      SetWindowLongPtrW(wnd, GWL_STYLE, style & ~LONG_PTR(WS_SYSMENU));
      FSysMenuRemoved = true;
    }
  } else if (FSysMenuRemoved || (!(style & WS_SYSMENU) && Form->BorderIcons().Contains(biSystemMenu))) {
    FSysMenuRemoved = false;
    SetWindowLongPtrW(wnd, GWL_STYLE, style | WS_SYSMENU);
    if (HICON icon = HICON(SendMessageW(wnd, WM_GETICON, ICON_SMALL, 0)))
      SendMessageW(wnd, WM_SETICON, ICON_SMALL, LPARAM(icon));
  }
}

HMENU TsSkinProvider::SystemMenuHandle() {
  if (!Form->HandleAllocated()) return nullptr;
  const HWND wnd = Form->Handle();
  if (HMENU menu = GetSystemMenu(wnd, FALSE)) return menu;
  const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
  if (!FSysMenuRemoved || (style & WS_SYSMENU)) return nullptr;
  // Lent without notifications: only the system's menu bookkeeping looks at it.
  SetWindowLongPtrW(wnd, GWL_STYLE, style | WS_SYSMENU);
  HMENU menu = GetSystemMenu(wnd, FALSE);
  SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) & ~LONG_PTR(WS_SYSMENU));
  return menu;
}

// ---- metrics

TRect TsSkinProvider::WindowRectNow() const {
  RECT r{};
  GetWindowRect(Form->Handle(), &r);
  return RectOf(r);
}

// Offsets come from the real window and client rectangles (WM_NCCALCSIZE is the system's).
int TsSkinProvider::OffsetX() const {
  if (!Form->HandleAllocated()) return 0;
  POINT p{0, 0};
  ClientToScreen(Form->Handle(), &p);
  return p.x - WindowRectNow().Left;
}

int TsSkinProvider::OffsetY() const {
  if (!Form->HandleAllocated()) return 0;
  POINT p{0, 0};
  ClientToScreen(Form->Handle(), &p);
  return p.y - WindowRectNow().Top;
}

void TsSkinProvider::FillWnd() {
  TacFrameWindow& w = FLayout.Wnd;
  TsSkinManager* sm = FSkinData->SkinManager();
  FLayout.Skin = sm;
  FLayout.SkinSection = FSkinData->SkinSection();
  FLayout.TitleSkin = TitleSkin;
  FLayout.HasTitleBar = FTitleBar != nullptr;
  w.BorderStyle = TacBorderStyle(int(Form->BorderStyle()));
  const auto bi = Form->BorderIcons();
  w.BorderIcons = {bi.Contains(biSystemMenu), bi.Contains(biMinimize), bi.Contains(biMaximize), bi.Contains(biHelp)};
  w.DrawNonClientArea = FDrawNonClientArea;
  w.ShowAppIcon = ShowAppIcon;
  w.ShowMainCaption = AddedTitle.ShowMainCaption;
  w.AddedTextColor = AddedTitle.Text.empty() ? acclDefault : AddedTitle.Font.Color();
  w.TitleIconVisible = TitleIcon.Visible;
  w.TitleIconWidth = std::max(TitleIcon.Width, 0);
  w.TitleIconHeight = std::max(TitleIcon.Height, 0);
  w.GripMode = GripMode;
  w.CaptionAlignment = TacAlignment(int(CaptionAlignment));
  w.Active = FormActive;
  w.CustomColor = FSkinData->CustomColor();
  w.Color = ColorToRGB(Form->Color());
  w.IsMainForm = Application && Application->MainForm() == Form;
  w.MainFormOnTaskBar = Application && Application->MainFormOnTaskBar;
  w.HasConstraints = Form->Constraints.MinWidth || Form->Constraints.MinHeight || Form->Constraints.MaxWidth ||
                     Form->Constraints.MaxHeight;
  w.CxFrame = GetSystemMetrics(SM_CXFRAME);
  w.CyCaption = GetSystemMetrics(SM_CYCAPTION);
  w.CySmCaption = GetSystemMetrics(SM_CYSMCAPTION);
  // The title buttons as the layout sees them; their records stay with the layout.
  FLayout.UserButtons.resize(size_t(TitleButtons.Count()));
  for (int i = 0; i < TitleButtons.Count(); ++i) {
    TsTitleButton* t = TitleButtons.Items(i);
    TacUserButton& u = FLayout.UserButtons[size_t(i)];
    u.Enabled = t->Enabled;
    u.Visible = t->Visible();
    u.UseSkinData = t->UseSkinData;
    u.GlyphWidth = t->Glyph()->Empty() ? 0 : t->Glyph()->Width();
  }
  if (!Form->HandleAllocated()) return;
  const HWND wnd = Form->Handle();
  const TRect wr = WindowRectNow();
  w.Width = wr.Width();
  w.Height = wr.Height();
  POINT origin{0, 0};
  ClientToScreen(wnd, &origin);
  const int ox = origin.x - wr.Left, oy = origin.y - wr.Top;
  RECT cr{};
  GetClientRect(wnd, &cr);
  w.ClientRect = Rect(ox, oy, ox + cr.right, oy + cr.bottom);
  const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
  w.WsCaption = (style & WS_CAPTION) == WS_CAPTION;
  w.WsThickFrame = (style & WS_THICKFRAME) != 0;
  w.WsBorder = (style & WS_BORDER) != 0;
  w.FrameWidth = w.WsThickFrame ? GetSystemMetrics(SM_CXFRAME) : w.WsBorder ? GetSystemMetrics(SM_CXDLGFRAME) : 0;
  w.IsChild = (style & WS_CHILD) != 0 || Form->Parent();
  HMENU menu = SystemMenuHandle();
  w.HasSystemMenu = menu != nullptr;
  const UINT st = menu ? GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) : UINT(-1);
  w.ScClosePresent = st != UINT(-1);
  w.ScCloseDisabled = w.ScClosePresent && (st & (MF_DISABLED | MF_GRAYED));
  w.Minimized = IsIconic(wnd);
  w.Maximized = IsZoomed(wnd);
  w.RightToLeft = (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_RTLREADING) != 0;
  // The caption measured with the caption font.
  if (!FCaptionFontSet) {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
    // The font only describes the caption font; the handle made for it goes.
    if (HFONT font = CreateFontIndirectW(&ncm.lfCaptionFont)) {
      FCaptionFont.SetHandle(font);
      DeleteObject(font);
    }
    FCaptionFontSet = true;
  }
  // The added title, measured in its own font each time (its font may change).
  w.AddedTextWidth = int(SingleLineTextSize(AddedTitle.Font.Handle(), ToWide(AddedTitle.Text)).cx);
  const String caption = Form->Caption();
  if (caption == FMeasuredCaption) return;
  FMeasuredCaption = caption;
  const SIZE size = SingleLineTextSize(FCaptionFont.Handle(), ToWide(caption));
  w.CaptionTextWidth = int(size.cx);
  w.CaptionTextHeight = int(size.cy);
}

void TsSkinProvider::UpdateTitle() {
  if (RTEmpty || !FSkinData) return;
  FSkinData->BGChanged = true;
  if (Form && Form->HandleAllocated() && !Form->IsDestroying()) SendMessageW(Form->Handle(), WM_NCPAINT, 1, 0);
}

// ---- title buttons

void TsTitleButton::SetVisible(bool value) {
  if (FVisible == value) return;
  FVisible = value;
  FCollection->Changed();
}

int TsTitleButton::Index() const {
  for (int i = 0; i < FCollection->Count(); ++i)
    if (FCollection->Items(i) == this) return i;
  return -1;
}

TsCaptionButton* TsTitleButton::Data() {
  const int i = Index();
  auto& list = FCollection->Owner()->FLayout.UserButtons;
  return i >= 0 && size_t(i) < list.size() ? &list[size_t(i)].Data : nullptr;
}

TsTitleButton* TsTitleButtons::Add() {
  FItems.push_back(std::make_unique<TsTitleButton>(this));
  Changed();
  return FItems.back().get();
}

TsTitleButton* TsTitleButtons::Items(int index) const {
  return index >= 0 && index < Count() ? FItems[size_t(index)].get() : nullptr;
}

void TsTitleButtons::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  FItems.erase(FItems.begin() + index);
  Changed();
}

void TsTitleButtons::Clear() {
  if (FItems.empty()) return;
  FItems.clear();
  Changed();
}

void TsTitleButtons::Changed() {
  TsSkinProvider* p = FOwner;
  if (!p || p->RTEmpty || !p->SkinData()) return;
  // The records behind the hover and the press may have moved.
  p->FLayout.UserButtons.resize(size_t(Count()));
  if (p->FLayout.CurrentHT >= acHTUDBTN) p->FLayout.CurrentHT = 0;
  for (TacUserButton& u : p->FLayout.UserButtons) u.Data.State = 0;
  p->SkinData()->BGChanged = true;
  if (p->Form && p->Form->HandleAllocated() && !p->Form->IsDestroying())
    SendMessageW(p->Form->Handle(), WM_NCPAINT, 1, 0);
}

namespace {

// A title button's glyph centred on r, one pixel right and down while pressed.
void DrawTitleGlyph(const TPixelView& cache, const TRect& r, TBitmap& glyph, bool pressed) {
  const int w = glyph.Width(), h = glyph.Height();
  const int x0 = r.Left + (r.Width() - w) / 2 + (pressed ? 1 : 0);
  const int y0 = r.Top + (r.Height() - h) / 2 + (pressed ? 1 : 0);
  // A 32-bit glyph without any alpha was drawn by GDI: keyed like the others.
  bool alpha = false;
  if (glyph.PixelFormat() == TPixelFormat::pf32bit)
    for (int y = 0; y < h && !alpha; ++y)
      for (int x = 0; x < w && !alpha; ++x) alpha = (glyph.ScanLine(y)[x] >> 24) != 0;
  const uint32_t key = glyph.ScanLine(h - 1)[0] & 0xFFFFFF;
  for (int y = 0; y < h; ++y) {
    const int cy = y0 + y;
    if (cy < 0 || cy >= cache.Height) continue;
    const uint32_t* src = glyph.ScanLine(y);
    uint32_t* dst = cache.Bits + size_t(cy) * size_t(cache.Stride);
    for (int x = 0; x < w; ++x) {
      const int cx = x0 + x;
      if (cx < 0 || cx >= cache.Width) continue;
      const uint32_t sp = src[x];
      if (!alpha) {
        if ((sp & 0xFFFFFF) != key) dst[cx] = sp | 0xFF000000u;
        continue;
      }
      const uint32_t a = sp >> 24;
      if (a == 0) continue;
      const uint32_t dp = dst[cx];
      uint32_t out = 0xFF000000u;
      for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t sc = (sp >> shift) & 255, dc = (dp >> shift) & 255;
        out |= ((sc * a + dc * (255 - a) + 127) / 255) << shift;
      }
      dst[cx] = out;
    }
  }
}

}  // namespace

// ---- painting

TacFrameHooks TsSkinProvider::Hooks() {
  TacFrameHooks h;
  h.DrawCaptionText = [this](const TPixelView& picture, const TRect& rect, uint32_t flags, bool added) {
    if (added)
      RenderTextBlack(picture, rect, AddedTitle.Text, &AddedTitle.Font, flags);
    else if (AddedTitle.ShowMainCaption)
      RenderTextBlack(picture, rect, Form->Caption(), &FCaptionFont, flags);
  };
  h.DrawTitleIcon = [this](const TPixelView& picture, const TRect& r) {
    if (!TitleIcon.Glyph.Empty()) {
      DrawTitleGlyph(picture, r, TitleIcon.Glyph, false);
      return;
    }
    HICON icon = HICON(SendMessageW(Form->Handle(), WM_GETICON, ICON_SMALL, 0));
    if (!icon) icon = HICON(SendMessageW(Form->Handle(), WM_GETICON, ICON_BIG, 0));
    if (!icon && Application) icon = HICON(SendMessageW(Application->Handle(), WM_GETICON, 2 /* ICON_SMALL2 */, 0));
    if (!icon) icon = LoadIconW(nullptr, IDI_APPLICATION);
    TBitmap& cache = *FSkinData->FCacheBmp;
    cache.Canvas()->Lock();
    DrawIconEx(cache.Canvas()->Handle(), r.Left, r.Top, icon, r.Width(), r.Height(), 0, nullptr, DI_NORMAL);
    cache.Canvas()->Unlock();
    GdiFlush();
  };
  h.DrawUserGlyph = [this](const TPixelView& cache, const TRect& r, int index, bool pressed) {
    TsTitleButton* t = TitleButtons.Items(index);
    if (!t || t->Glyph()->Empty()) return;
    DrawTitleGlyph(cache, r, *t->Glyph(), pressed);
  };
  h.PaintClient = [this](const TPixelView&, TPoint origin) {
    if (!Form->OnPaint) return;
    TBitmap& cache = *FSkinData->FCacheBmp;
    cache.Canvas()->Lock();
    PaintFormOnPaint(cache.Canvas()->Handle(), origin);
    cache.Canvas()->Unlock();
    GdiFlush();
  };
  return h;
}

bool TsSkinProvider::PaintFrameCache(bool* measured) {
  TsSkinManager* sm = FSkinData->SkinManager();
  if (!sm || !Skinned() || !Form->HandleAllocated()) return false;
  TBitmap& current = *FSkinData->FCacheBmp;
  if (!FSkinData->BGChanged && !FPainter.BGChanged && !current.Empty()) {
    // Every child's background request lands here: a current cache of an
    // unchanged window needs no new look at the window.
    RECT wr{}, cr{};
    GetWindowRect(Form->Handle(), &wr);
    GetClientRect(Form->Handle(), &cr);
    const TacFrameWindow& w = FLayout.Wnd;
    const TPoint size = FLayout.CacheSize();
    if (wr.right - wr.left == w.Width && wr.bottom - wr.top == w.Height && cr.right == w.ClientRect.Width() &&
        cr.bottom == w.ClientRect.Height() && current.Width() == size.X && current.Height() == size.Y)
      return true;
  }
  FillWnd();
  if (measured) *measured = true;
  const TPoint size = FLayout.CacheSize();
  if (size.X <= 0 || size.Y <= 0) return false;
  TBitmap& cache = *FSkinData->FCacheBmp;
  if (!FSkinData->BGChanged && !FPainter.BGChanged && cache.Width() == size.X && cache.Height() == size.Y) return true;
  if (cache.Width() != size.X || cache.Height() != size.Y) cache.SetSize(size.X, size.Y);
  FPainter.BGChanged = true;
  if (!FPainter.PaintFrameCache(FLayout, FSkinData->CacheView(), Hooks())) return false;
  FSkinData->BGChanged = false;
  RgnChanged = true;
  FirstInitialized = true;
  return true;
}

void TsSkinProvider::PaintFormOnPaint(HDC dc, TPoint origin) {
  auto* canvas = dynamic_cast<TControlCanvas*>(Form->Canvas());
  if (!canvas || !Form->OnPaint) return;
  const int saved = SaveDC(dc);
  SetViewportOrgEx(dc, origin.X, origin.Y, nullptr);
  const TRect cr = Form->ClientRect();
  IntersectClipRect(dc, 0, 0, cr.Width(), cr.Height());
  canvas->PaintOn(dc, [this] { Form->OnPaint(Form); });
  RestoreDC(dc, saved);
}

void TsSkinProvider::PaintNonClient(HDC dc) {
  if (!FDrawNonClientArea || !Form->HandleAllocated()) return;
  bool measured = false;
  if (!PaintFrameCache(&measured)) return;
  if (RgnChanged) UpdateRegion(measured);
  if (dc) {
    CopyFrameToWindow(dc);
    return;
  }
  HDC wdc = GetWindowDC(Form->Handle());
  if (!wdc) return;
  CopyFrameToWindow(wdc);
  ReleaseDC(Form->Handle(), wdc);
}

// Four strips: the client area is never touched.
void TsSkinProvider::CopyFrameToWindow(HDC dc) {
  TBitmap& cache = *FSkinData->FCacheBmp;
  if (cache.Empty()) return;
  const int w = cache.Width(), h = cache.Height();
  const TRect c = FLayout.Wnd.ClientRect;
  const int top = std::clamp(int(c.Top), 0, h), left = std::clamp(int(c.Left), 0, w);
  const int right = std::clamp(w - int(c.Right), 0, w), bottom = std::clamp(h - int(c.Bottom), 0, h);
  HDC src = cache.Canvas()->Handle();
  cache.Canvas()->Lock();
  BitBlt(dc, 0, 0, w, top, src, 0, 0, SRCCOPY);
  BitBlt(dc, 0, top, left, h - top, src, 0, top, SRCCOPY);
  BitBlt(dc, left, h - bottom, w - left - right, bottom, src, left, h - bottom, SRCCOPY);
  BitBlt(dc, w - right, top, right, h - top, src, w - right, top, SRCCOPY);
  cache.Canvas()->Unlock();
}

// ---- region

namespace {
HRGN RegionOf(const TacFrameRegion& r) {
  HRGN rgn = CreateRectRgn(r.Bounds.Left, r.Bounds.Top, r.Bounds.Right, r.Bounds.Bottom);
  for (const TRect& c : r.Cuts) {
    HRGN cut = CreateRectRgn(c.Left, c.Top, c.Right, c.Bottom);
    CombineRgn(rgn, rgn, cut, RGN_DIFF);
    DeleteObject(cut);
  }
  return rgn;
}
}  // namespace

HRGN TsSkinProvider::MakeFrameRegion() {
  FillWnd();
  const TacFrameRegion r = ::MakeFrameRegion(FLayout);
  FArOR = r.Cuts;
  return r.Remove || r.Keep ? nullptr : RegionOf(r);
}

void TsSkinProvider::UpdateRegion(bool measured) {
  RgnChanged = false;
  FPainter.RgnChanged = false;
  const HWND wnd = Form->Handle();
  if (!measured) FillWnd();
  TacFrameRegion r = ::MakeFrameRegion(FLayout);
  if (r.Keep) return;
  FArOR = r.Cuts;
  // A region of the whole window is no region: it need not follow every resize.
  if (r.Cuts.empty() && r.Bounds == Rect(0, 0, FLayout.Wnd.Width, FLayout.Wnd.Height)) r.Remove = true;
  if (r.Remove) {
    if (FRegionSet) SetWindowRgn(wnd, nullptr, TRUE), ++FRegionApplies;
    FRegionSet = false;
    FAppliedRgn.clear();
    return;
  }
  std::vector<TRect> key = r.Cuts;
  key.push_back(r.Bounds);
  // Applied only when it changes: a new region repaints the whole window.
  if (FRegionSet && key == FAppliedRgn) return;
  FAppliedRgn = key;
  FRegionSet = true;
  ++FRegionApplies;
  SetWindowRgn(wnd, RegionOf(r), FALSE);
}

// ---- window procedure

void TsSkinProvider::CallOld(TMessage& m) {
  if (FLinkId) Form->CallPreviousWindowProc(FLinkId, m);
}

void TsSkinProvider::CallOldHidden(TMessage& m) {
  const HWND wnd = Form->Handle();
  // With redraw off the system's default handling paints no caption of its own.
  const bool hide = FDrawNonClientArea && IsWindowVisible(wnd);
  if (hide) SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
  try {
    CallOld(m);
  } catch (...) {
    if (hide && IsWindow(wnd)) SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
    throw;
  }
  if (hide && IsWindow(wnd)) SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
}

void TsSkinProvider::SendFrameRepaint() {
  if (Form->HandleAllocated()) SendMessageW(Form->Handle(), WM_NCPAINT, 1, 0);
}

bool TsSkinProvider::HandleSkinCommand(TMessage& m) {
  const int code = SkinCommandCode(m);
  TsSkinManager* sm = FSkinData->SkinManager();
  const bool ours = sm && m.LParam == LPARAM(sm);
  switch (code) {
    case SKC_ISSKINNED:
      m.Result = 1;
      return true;
    case SKC_GETPROVIDER:
      m.Result = IsTrustedSkinCommand(m) ? LRESULT(this) : 0;
      return true;
    case SKC_GETMANAGER:
      m.Result = IsTrustedSkinCommand(m) ? LRESULT(sm) : 0;
      return true;
    case SKC_GETAPPLICATION:
      m.Result = IsTrustedSkinCommand(m) ? LRESULT(Application) : 0;
      return true;
    case SKC_GETOFFSET:
      m.Result = MAKELONG(WORD(OffsetX()), WORD(OffsetY()));
      return true;
    case SKC_GETSKINLINK:
      m.Result = IsTrustedSkinCommand(m) ? LRESULT(FSkinData.get()) : 0;
      return true;
    case SKC_BGCHANGED:
      FSkinData->BGChanged = true;
      return true;
    case SKC_GETCOLOR:
      m.Result = LRESULT(Skinned() ? FLayout.FormColor() : ColorToRGB(Form->Color()));
      return true;
    case SKC_MOUSELEAVE:
      SetHotHT(-1);
      return true;
    case SKC_SKINSTATE:
      return ::HandleSkinCommand(m, FSkinData.get());
    case SKC_GETBACKGROUND: {
      const LPARAM p = TrustedSkinPointer(m);
      m.Result = 0;
      if (!p) return true;
      auto& req = *reinterpret_cast<TBGRequest*>(p);
      if (!Skinned() || !FDrawNonClientArea || !PaintFrameCache()) {
        req.Kind = bgColor;
        req.Color = Skinned() ? FSkinData->GetControlColor(0) : ColorToRGB(Form->Color());
        if (req.DrawNow && req.TargetDC) FillDC(req.TargetDC, req.R, req.Color);
        return true;
      }
      // The asker's origin in the client is (OffsetX, OffsetY) further in the whole-window cache.
      req.Offset.X += OffsetX();
      req.Offset.Y += OffsetY();
      req.Kind = bgBitmap;
      TBitmap& cache = *FSkinData->FCacheBmp;
      if (req.DrawNow) {
        if (req.TargetDC) {
          cache.Canvas()->Lock();
          BitBlt(req.TargetDC, req.R.Left, req.R.Top, req.R.Width(), req.R.Height(), cache.Canvas()->Handle(),
                 req.Offset.X, req.Offset.Y, SRCCOPY);
          cache.Canvas()->Unlock();
        }
      } else {
        req.Bmp = &cache;
      }
      return true;
    }
    case SKC_SKINLOADED:
      if (!ours) return false;
      ::HandleSkinCommand(m, FSkinData.get());
      PrepareForm();
      FSkinData->BGChanged = true;
      RgnChanged = true;
      if (Form->HandleAllocated()) {
        SendFrameRepaint();
        RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      }
      return true;
    case SKC_SKINREMOVED:
      if (!ours) return false;
      ::HandleSkinCommand(m, FSkinData.get());
      UpdateSysMenuStyle(false);
      if (Form->HandleAllocated()) {
        SetWindowRgn(Form->Handle(), nullptr, TRUE);
        FRegionSet = false;
        FAppliedRgn.clear();
        if (UseGlobalColor && !FSkinData->CustomColor()) Form->SetColor(clBtnFace);
        SetWindowPos(Form->Handle(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      FSkinData->FCacheBmp->SetSize(0, 0);
      return true;
    case SKC_REFRESH:
      if (!ours) return false;
      RgnChanged = true;
      FSkinData->BGChanged = true;
      if (Form->HandleAllocated() && IsWindowVisible(Form->Handle()))
        RedrawWindow(Form->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
      return true;
    case SKC_SETUPDATING:
      FSkinData->FUpdating = LOWORD(m.WParam) == 1;
      if (FSkinData->FUpdating) FSkinData->BGChanged = true;
      return true;
    case SKC_ISUPDATING:
      m.Result = FSkinData->FUpdating ? 1 : 0;
      return true;
    case SKC_PARENTREADY:
      if (FSkinData->FUpdating) {
        FSkinData->FUpdating = false;
        SendFrameRepaint();
      }
      return true;
    case SKC_TITLECHANGED:
      if (m.LParam == 1) FSkinData->BGChanged = true;
      SendFrameRepaint();
      return true;
    default:
      return false;
  }
}

void TsSkinProvider::NewWndProc(TMessage& m) {
  if (RTEmpty || !FSkinData) {
    CallOld(m);
    return;
  }
  if (m.Msg == SM_SKINCMD) {
    if (!HandleSkinCommand(m)) CallOld(m);
    return;
  }
  if (RTInit && (m.Msg == WM_NCHITTEST || m.Msg == WM_NCPAINT || (m.Msg == CM_VISIBLECHANGED && m.WParam))) {
    RTInit = false;
    LoadInit();
  }
  if (m.Msg == WM_NCDESTROY) {
    FLinkId = 0;  // the framework drops the link with the window
  }
  if (Form->IsDestroying() || IsDestroying() || !Skinned() || !Form->HandleAllocated()) {
    CallOld(m);
    return;
  }
  switch (m.Msg) {
    case WM_NCCREATE:
      CallOld(m);
      PrepareForm();
      return;
    case WM_NCPAINT:
      if (!SystemMenu) PrepareForm();
      if (!FDrawNonClientArea) break;
      PaintNonClient();
      m.Result = 0;
      return;
    case WM_NCACTIVATE:
      if (!FDrawNonClientArea) break;
      Activate(m);
      return;
    case WM_SETTEXT:
      CallOldHidden(m);
      FPainter.DropGlows();
      FSkinData->BGChanged = true;
      SendFrameRepaint();
      return;
    case WM_SETICON:
      CallOldHidden(m);
      FSkinData->BGChanged = true;
      SendFrameRepaint();
      return;
    case WM_ACTIVATE:
      CallOld(m);
      if (LOWORD(m.WParam) != WA_INACTIVE && SystemMenu) SystemMenu->UpdateItems(false);
      return;
    case WM_SIZE:
      Resized(m);
      return;
    case WM_WINDOWPOSCHANGING:
      WindowPosChanging(m);
      CallOld(m);
      return;
    case WM_GETMINMAXINFO:
      MinMaxInfo(m);
      CallOld(m);
      return;
    case WM_ERASEBKGND:
      if (!DrawClientArea || !Form->Showing()) break;
      if (FInBeginPaint) {
        m.Result = 1;  // the paint that asked copies the same background next
        return;
      }
      EraseClient(m);
      return;
    case WM_PAINT:
      if (!DrawClientArea || !Form->Showing()) break;
      {
        PAINTSTRUCT ps;
        HDC dc = HDC(m.WParam);
        if (!dc) {
          FInBeginPaint = true;
          dc = BeginPaint(Form->Handle(), &ps);
          FInBeginPaint = false;
        }
        PaintClient(dc);
        if (!m.WParam) EndPaint(Form->Handle(), &ps);
      }
      m.Result = 0;
      return;
    case WM_SETREDRAW:
      LockCount = m.WParam ? std::max(0, LockCount - 1) : LockCount + 1;
      break;
    case CM_ENABLEDCHANGED:
      CallOld(m);
      FSkinData->BGChanged = true;
      SendFrameRepaint();
      return;
    case CM_VISIBLECHANGED:
      CallOld(m);
      if (!m.WParam) FSkinData->FCacheBmp->SetSize(0, 0);
      return;
    case WM_PRINT:
      if (!FDrawNonClientArea || Form->IsLoading() || !PaintFrameCache()) break;
      {
        // The frame from the cache, then the client as it paints itself, moved and clipped.
        HDC dc = HDC(m.WParam);
        if (m.LParam & PRF_NONCLIENT) CopyFrameToWindow(dc);
        if (m.LParam & PRF_CLIENT) {
          const int saved = SaveDC(dc);
          POINT org{};
          GetViewportOrgEx(dc, &org);
          SetViewportOrgEx(dc, org.x + OffsetX(), org.y + OffsetY(), nullptr);
          const TRect cr = Form->ClientRect();
          IntersectClipRect(dc, 0, 0, cr.Width(), cr.Height());
          PaintClient(dc);
          if (m.LParam & PRF_CHILDREN)
            for (HWND c = GetWindow(Form->Handle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
              if (!IsWindowVisible(c)) continue;
              RECT r{};
              GetWindowRect(c, &r);
              MapWindowPoints(nullptr, Form->Handle(), reinterpret_cast<POINT*>(&r), 2);
              const int inner = SaveDC(dc);
              SetViewportOrgEx(dc, org.x + OffsetX() + r.left, org.y + OffsetY() + r.top, nullptr);
              SendMessageW(c, WM_PRINT, m.WParam, m.LParam & ~LPARAM(PRF_CHECKVISIBLE));
              RestoreDC(dc, inner);
            }
          RestoreDC(dc, saved);
        }
      }
      m.Result = 0;
      return;
    case WM_PRINTCLIENT:
      m.Result = 0;
      return;
    case WM_QUERYENDSESSION:
      // Fades end before the session does; the wait is bounded.
      acFadeStop = true;
      if (!Application || !Application->Terminated()) WaitForButtonFades(500);
      CallOld(m);
      return;
    case 0xBC4D:  // the region-refusal query: a skinned form accepts region changes
    case 0xB04C:
      m.Result = 0;
      return;
    default:
      if (HandleMouse(m)) return;
      break;
  }
  CallOld(m);
}

void TsSkinProvider::Activate(TMessage& m) {
  if (!SystemMenu) PrepareForm();
  const bool active = m.WParam != 0;
  const TsGeneralData* gd = FSkinData->Section();
  if (active != FormActive || (gd && gd->States > 1)) FSkinData->BGChanged = true;
  FormActive = active;
  // The system must not draw its caption: lParam -1 asks it to leave the frame alone.
  TMessage d = m;
  d.LParam = -1;
  CallOld(d);
  m.Result = d.Result;
  if (!active) SetHotHT(0, false);
  SendFrameRepaint();
}

// The client part of the whole-window cache, or the form colour without one.
void TsSkinProvider::CopyClientBackground(HDC dc) {
  const TRect cr = Form->ClientRect();
  if (PaintFrameCache() && !FSkinData->FCacheBmp->Empty()) {
    TBitmap& cache = *FSkinData->FCacheBmp;
    cache.Canvas()->Lock();
    BitBlt(dc, 0, 0, cr.Width(), cr.Height(), cache.Canvas()->Handle(), OffsetX(), OffsetY(), SRCCOPY);
    cache.Canvas()->Unlock();
  } else {
    FillDC(dc, cr, FLayout.FormColor());
  }
}

void TsSkinProvider::PaintClient(HDC dc) {
  CopyClientBackground(dc);
  // Then what lies on the background: graphic controls and the form's own painting.
  Form->PaintControls(dc, nullptr);
  if (Form->OnPaint) {
    auto* canvas = dynamic_cast<TControlCanvas*>(Form->Canvas());
    if (canvas) canvas->PaintOn(dc, [this] { Form->OnPaint(Form); });
  }
}

void TsSkinProvider::EraseClient(TMessage& m) {
  CopyClientBackground(HDC(m.WParam));
  m.Result = 1;
}

void TsSkinProvider::Resized(TMessage& m) {
  CallOld(m);
  FPainter.DropGlows();
  const TRect wr = WindowRectNow();
  TBitmap& cache = *FSkinData->FCacheBmp;
  if (cache.Width() != wr.Width() || cache.Height() != wr.Height() || m.WParam == SIZE_MAXIMIZED ||
      m.WParam == SIZE_RESTORED) {
    FSkinData->BGChanged = true;
    RgnChanged = true;
    if (Form->Showing() && IsWindowVisible(Form->Handle())) {
      // The size change itself brings the frame paint; the client follows the new cache.
      RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
      TMessage bg = MakeSkinCommand(SKC_BGCHANGED);
      BroadcastToControls(Form, bg);
    }
  }
  FLastClientRect = Form->ClientRect();
}

void TsSkinProvider::SnapTo(WINDOWPOS& pos) {
  const HWND wnd = Form->Handle();
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  GetMonitorInfoW(MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST), &mi);
  const RECT area = Form->FormStyle() == TFormStyle::fsStayOnTop ? mi.rcMonitor : mi.rcWork;
  const TRect wr = WindowRectNow();
  const int w = wr.Width(), h = wr.Height(), b = SnapBuffer;
  auto snap = [b](int& p, int edge, int size) {
    if (std::abs(p + size - edge) < b) p = edge - size;
  };
  snap(pos.x, area.right, w);
  snap(pos.y, area.bottom, h);
  snap(pos.x, area.left, 0);
  snap(pos.y, area.top, 0);
}

void TsSkinProvider::WindowPosChanging(TMessage& m) {
  auto* pos = reinterpret_cast<WINDOWPOS*>(m.LParam);
  if (!pos || !ScreenSnap || Form->IsLoading() || IsZoomed(Form->Handle()) || (pos->flags & SWP_NOMOVE) ||
      (pos->x == 0 && pos->y == 0) || !Form->Showing())
    return;
  SnapTo(*pos);
}

void TsSkinProvider::MinMaxInfo(TMessage& m) {
  auto* mmi = reinterpret_cast<MINMAXINFO*>(m.LParam);
  if (!mmi || !FDrawNonClientArea || Form->BorderStyle() == TFormBorderStyle::bsNone || Form->Parent()) return;
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  GetMonitorInfoW(MonitorFromWindow(Form->Handle(), MONITOR_DEFAULTTONEAREST), &mi);
  const RECT area = Form->FormStyle() == TFormStyle::fsStayOnTop ? mi.rcMonitor : mi.rcWork;
  const int a = FLayout.FrameWidth();
  mmi->ptMaxPosition = {area.left - mi.rcMonitor.left - a, area.top - mi.rcMonitor.top - a};
  mmi->ptMaxSize = {area.right - area.left + 2 * a, area.bottom - area.top + 2 * a};
}

// ---- automatic provider

namespace {

bool ExcludedClass(const String& name) { return name == "TApplication" || name == "TfcPopup"; }

// A form whose window is being made and not yet bound to it.
bool FormBeingCreated() {
  for (int i = Screen->FormCount() - 1; i >= 0; --i) {
    TCustomForm* form = Screen->Forms(i);
    if (form && !form->IsDestroying() && !form->HandleAllocated() && form->ControlState.Contains(csCreating))
      return true;
  }
  return false;
}

void AutoSkinForm(TsSkinManager* manager, HWND wnd) {
  if (!manager || !Screen || !wnd || !IsWindow(wnd)) return;
  const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
  if ((style & WS_POPUP) && !(style & WS_BORDER)) return;
  // A window still being created that no form is making is not a form:
  // it is not probed before its own procedure has seen its first message.
  const bool creating = !FindControl(wnd);
  if (creating && !FormBeingCreated()) return;
  if (IsSkinAware(wnd)) return;  // also binds a form's new window to it
  for (int i = Screen->FormCount() - 1; i >= 0; --i) {
    TCustomForm* form = Screen->Forms(i);
    if (!form || form->IsDestroying() || !form->HandleAllocated() || form->Handle() != wnd) continue;
    if ((form->Tag & -98) == -98) return;
    if (creating && Application && form == Application->MainForm()) return;
    if (form->IsLoading()) return;
    if (ExcludedClass(form->ClassName())) return;
    if (!manager->SkinningRules().Contains(srStdForms)) return;
    for (int c = 0; c < form->ComponentCount(); ++c)
      if (dynamic_cast<TsSkinProvider*>(form->Components(c))) return;
    TsSkinProvider* p = TsSkinProvider::CreateRT(form);
    p->UseGlobalColor = false;
    p->MakeSkinMenu = false;
    if (creating) return;  // nothing shown yet; its first paints are skinned
    if (acCompositionEnabled()) {
      RedrawWindow(wnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
      SendMessageW(wnd, WM_NCPAINT, 1, 0);
    } else {
      UpdateWindow(wnd);
      RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
    }
    return;
  }
}

}  // namespace

void InstallFormSkinning() {
  acAutoSkinForm = AutoSkinForm;
  acAfterFormAnimation = [](HWND wnd, TacAnimEvent animType) {
    if (auto* form = dynamic_cast<TCustomForm*>(FindControl(wnd)))
      if (TsSkinProvider* p = ProviderOf(form); p && p->OnAfterAnimation) p->OnAfterAnimation(p, animType);
  };
}

TsSkinProvider* ProviderOf(TCustomForm* form) {
  if (!form) return nullptr;
  for (int c = 0; c < form->ComponentCount(); ++c)
    if (auto* p = dynamic_cast<TsSkinProvider*>(form->Components(c)); p && !p->RTEmpty) return p;
  return nullptr;
}
