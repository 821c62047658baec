#include "controls/acGlow.h"

#include "framework/Forms.h"
#include "paint/sCommonData.h"
#include "paint/sMaskDraw.h"
#include "skin/sMessages.h"
#include "skin/acSkinColors.h"

#include <utility>

bool acGlowDestroying = false;
bool acHotSuppressed = false;

namespace {

TacGlowTable<TacGlowEffect>& Glows() {
  static TacGlowTable<TacGlowEffect> table;
  return table;
}

constexpr wchar_t GlowClassName[] = L"TacGlowWnd";

// Click-through and never activated; the window forgets its glow when it goes.
LRESULT CALLBACK GlowWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NCDESTROY:
      SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

bool RegisterGlowClass() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = GlowWndProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = GlowClassName;
  registered = RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return registered;
}

bool ManagerGoing(TsSkinManager* sm) {
  return (sm && sm->IsDestroying()) || (Application && Application->Terminated());
}

// Ids dropped by the painting layer (a new section, a link going away).
void HideGlowById(int id) noexcept {
  try {
    HideGlow(id);
  } catch (...) {
  }
}
[[maybe_unused]] const bool hookSet = (acHideGlowHook = HideGlowById, true);

// A form's WM_MOVE reaches only the form, not the controls on it: watch the
// thread's sent messages while glows live so their windows go with the form.
HHOOK moveHook = nullptr;

LRESULT CALLBACK MoveHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    // The record is the system's own, not the message's payload.
    const auto* cwp = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (cwp && cwp->message == WM_MOVE) {
      try {
        auto& table = Glows();
        for (size_t i = 0; i < table.Capacity(); ++i)
          if (TacGlowEffect* g = table.Get(int(i)); g && g->OwnerWnd() == cwp->hwnd) g->FollowOwner();
      } catch (...) {
      }
    }
  }
  return CallNextHookEx(moveHook, code, wParam, lParam);
}

void WatchOwnerMoves() {
  if (!moveHook) moveHook = SetWindowsHookExW(WH_CALLWNDPROCRET, MoveHookProc, nullptr, GetCurrentThreadId());
}

void StopWatchingOwnerMoves() {
  if (moveHook) UnhookWindowsHookEx(std::exchange(moveHook, nullptr));
}

}  // namespace

void TacGlowEffect::FollowOwner() {
  if (!FWnd || !FOwner || !IsWindow(FOwner)) return;
  if (IsIconic(FOwner)) {
    ShowWindow(FWnd, SW_HIDE);
    return;
  }
  RECT o{};
  GetWindowRect(FOwner, &o);
  SetWindowPos(FWnd, nullptr, o.left + FOffset.x, o.top + FOffset.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

TacGlowEffect::TacGlowEffect(TsSkinManager* skinManager, int maskIndex, int margin)
    : SkinManager(skinManager ? skinManager : DefaultManager), MaskIndex(maskIndex), Margin(margin) {}

TacGlowEffect::~TacGlowEffect() { CloseWindow(true); }

void TacGlowEffect::CloseWindow(bool now) {
  HWND wnd = std::exchange(FWnd, nullptr);
  if (!wnd || !IsWindow(wnd)) return;
  const bool was = acGlowDestroying;
  acGlowDestroying = true;
  ShowWindow(wnd, SW_HIDE);
  if (now)
    DestroyWindow(wnd);
  else
    PostMessageW(wnd, WM_CLOSE, 0, 0);
  acGlowDestroying = was;
}

bool TacGlowEffect::CreateAlphaBmp(TBitmap32& bmp, int w, int h) const {
  if (w <= 0 || h <= 0 || w > TBitmap32::MaxDimension || h > TBitmap32::MaxDimension) return false;
  if (!SkinManager || !SkinManager->IsValidImgIndex(MaskIndex)) return false;
  bmp.SetSize(w, h);  // transparent black
  TCacheInfo ci;
  DrawBorder(TPixelView(bmp), Rect(0, 0, w, h), false, 0, SkinManager->ma[size_t(MaskIndex)], ci);
  return true;
}

void TacGlowEffect::Show(const TRect& r, const TRect& clipRect, HWND ownerWnd, int /*alpha*/) {
  if (FWnd || !SkinManager || !SkinManager->IsValidImgIndex(MaskIndex)) return;
  TacGlowMaskWidths w;
  w.Left = SkinManager->MaskWidthLeft(MaskIndex);
  w.Top = SkinManager->MaskWidthTop(MaskIndex);
  w.Right = SkinManager->MaskWidthRight(MaskIndex);
  w.Bottom = SkinManager->MaskWidthBottom(MaskIndex);
  const TacGlowPlacement p = GlowPlacement(r, clipRect, w, Margin);
  if (p.Empty() || !RegisterGlowClass()) return;
  TBitmap32 full;
  if (!CreateAlphaBmp(full, p.FullWidth, p.FullHeight)) return;
  const int cw = p.Source.Width(), ch = p.Source.Height();

  // Owned by the owner window: above it in z-order and destroyed with it.
  if (ownerWnd && !IsWindow(ownerWnd)) ownerWnd = nullptr;
  FWnd = CreateWindowExW(GlowWindowExStyle, GlowClassName, L"", WS_POPUP, p.Pos.X, p.Pos.Y, cw, ch, ownerWnd,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!FWnd) return;
  FOwner = ownerWnd;
  if (ownerWnd) {
    RECT o{};
    GetWindowRect(ownerWnd, &o);
    FOffset = POINT{p.Pos.X - o.left, p.Pos.Y - o.top};
    WatchOwnerMoves();
  }
  HWND after = HWND_TOP;
  if (ownerWnd && (GetWindowLongW(ownerWnd, GWL_EXSTYLE) & WS_EX_TOPMOST))
    after = HWND_TOPMOST;
  else if (ownerWnd) {
    HWND prev = GetWindow(ownerWnd, GW_HWNDPREV);
    after = prev && prev != FWnd ? prev : HWND_TOP;
  }
  SetWindowPos(FWnd, after, p.Pos.X, p.Pos.Y, cw, ch, SWP_NOACTIVATE | SWP_NOOWNERZORDER);

  // Premultiplied top-down DIB of the shown part.
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = cw;
  bi.bmiHeader.biHeight = -ch;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib && bits) {
    auto* dst = static_cast<uint32_t*>(bits);
    for (int y = 0; y < ch; ++y) {
      const uint32_t* src = full.ScanLine(p.Source.Top + y) + p.Source.Left;
      for (int x = 0; x < cw; ++x) {
        const uint32_t c = src[x], a = c >> 24;
        const uint32_t rr = ((c >> 16) & 0xFF) * a / 255, gg = ((c >> 8) & 0xFF) * a / 255, bb = (c & 0xFF) * a / 255;
        dst[size_t(y) * size_t(cw) + size_t(x)] = (a << 24) | (rr << 16) | (gg << 8) | bb;
      }
    }
    HGDIOBJ old = SelectObject(mem, dib);
    POINT srcPt{0, 0}, dstPt{p.Pos.X, p.Pos.Y};
    SIZE size{cw, ch};
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(FWnd, screen, &dstPt, &size, mem, &srcPt, 0, &bf, ULW_ALPHA);
    SelectObject(mem, old);
    DeleteObject(dib);
  }
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  ShowWindow(FWnd, SW_SHOWNOACTIVATE);
}

int ShowGlow(const TRect& r, const TRect& clipRect, const String& skinSection, TsSkinManager* skinManager,
             HWND ownerWnd, int alpha, int margin, const String& maskName) {
  if (!SkinPlatform().LayeredWindows()) return -1;
  TsSkinManager* sm = skinManager ? skinManager : DefaultManager;
  if (!sm) return -1;
  acHideGlowHook = HideGlowById;
  const int mask = sm->GetMaskIndex(skinSection, maskName + "0");
  if (!sm->IsValidImgIndex(mask)) return -1;
  auto* glow = new TacGlowEffect(sm, mask, margin);
  const int id = Glows().Add(glow);
  try {
    glow->Show(r, clipRect, ownerWnd, alpha);
  } catch (...) {
    int dead = id;
    delete Glows().Take(dead);
    throw;
  }
  return id;
}

void HideGlow(int& glowID) {
  TacGlowEffect* glow = Glows().Take(glowID);
  if (!glow) return;
  glow->CloseWindow(ManagerGoing(glow->SkinManager));
  delete glow;
}

void FreeAllGlows(bool destroyWindows) {
  StopWatchingOwnerMoves();
  for (TacGlowEffect* glow : Glows().TakeAll()) {
    if (!glow) continue;
    glow->CloseWindow(destroyWindows);
    delete glow;
  }
}

TacGlowEffect* GlowOf(int glowID) { return Glows().Get(glowID); }
size_t GlowTableCapacity() { return Glows().Capacity(); }
size_t LiveGlowCount() {
  size_t n = 0;
  for (size_t i = 0; i < Glows().Capacity(); ++i) n += Glows().Get(int(i)) != nullptr;
  return n;
}

void ShowLinkGlow(TsCommonData* link, bool repeat, HWND handle) {
  if (!link) return;
  TsSkinManager* sm = link->SkinManager();
  const TsGeneralData* gd = link->Section();
  TControl* c = link->FOwnerControl;
  auto* w = dynamic_cast<TWinControl*>(c);
  HWND wnd = w ? (w->HandleAllocated() ? w->Handle() : nullptr) : (c ? nullptr : handle);
  if (c && !w && c->Parent() && c->Parent()->HandleAllocated()) wnd = nullptr;

  TacGlowConditions gc;
  gc.EffectsAllowGlow = sm && sm->Effects.AllowGlowing;
  gc.SectionValid = gd != nullptr;
  gc.HotSuppressed = acHotSuppressed;
  gc.GlowCount = gd ? gd->GlowCount : 0;
  gc.GlowExists = GlowOf(link->GlowID) != nullptr;
  gc.Repeat = repeat;

  // Where the owner sits on the screen, and which part of it can be seen.
  TRect r, clip;
  if (w && wnd) {
    RECT wr{};
    GetWindowRect(wnd, &wr);
    r = Rect(wr.left, wr.top, wr.right, wr.bottom);
    HDC dc = GetWindowDC(wnd);
    RECT cb{};
    GetClipBox(dc, &cb);
    ReleaseDC(wnd, dc);
    clip = IntersectRect(Rect(cb.left, cb.top, cb.right, cb.bottom), Rect(0, 0, r.Width(), r.Height()));
  } else if (c && c->Parent()) {
    const TPoint o = c->ClientToScreen(Point(0, 0));
    r = Rect(o.X, o.Y, o.X + c->Width(), o.Y + c->Height());
    const TRect pc = c->Parent()->ClientRect();
    clip = OffsetRect(IntersectRect(c->BoundsRect(), pc), -c->Left(), -c->Top());
  } else if (handle && IsWindow(handle)) {
    RECT wr{};
    GetWindowRect(handle, &wr);
    r = Rect(wr.left, wr.top, wr.right, wr.bottom);
    clip = Rect(0, 0, r.Width(), r.Height());
  }
  POINT cur{};
  GetCursorPos(&cur);
  gc.MouseAbove = !r.IsEmpty() && cur.x >= r.Left && cur.x < r.Right && cur.y >= r.Top && cur.y < r.Bottom;
  gc.LeftButtonDown = gc.MouseAbove && (GetKeyState(VK_LBUTTON) < 0);

  HWND ownerWnd = nullptr;
  if (c) {
    if (TCustomForm* form = GetParentForm(c)) {
      TCustomForm* host = form->Parent() ? GetParentForm(form->Parent()) : nullptr;
      TWinControl* ow = host ? static_cast<TWinControl*>(host) : static_cast<TWinControl*>(form);
      if (ow->HandleAllocated()) ownerWnd = ow->Handle();
    }
  } else if (handle) {
    ownerWnd = GetAncestor(handle, GA_ROOT);
  }
  gc.HasOwnerForm = ownerWnd != nullptr;

  switch (LinkGlowAction(gc)) {
    case TacGlowAction::gaHide:
      HideGlow(link->GlowID);
      return;
    case TacGlowAction::gaShow:
      link->GlowID = ShowGlow(r, clip, link->SkinSection(), sm, ownerWnd, 255, gd->GlowMargin, "GLOW");
      return;
    case TacGlowAction::gaNone:
      return;
  }
}

void LinkGlowMessage(const TMessage& m, TsCommonData* link) {
  if (!link) return;
  TControl* c = link->FOwnerControl;
  switch (m.Msg) {
    case CM_MOUSEENTER:
      if (!m.LParam || m.LParam == LPARAM(c)) ShowLinkGlow(link, false);
      return;
    case CM_MOUSELEAVE:
      if (!m.LParam || m.LParam == LPARAM(c)) HideGlow(link->GlowID);
      return;
    case WM_MOVE:
    case WM_SIZE:
    case CM_ENABLEDCHANGED:
    case WM_DESTROY:
      HideGlow(link->GlowID);
      return;
    case CM_VISIBLECHANGED:
      if (!m.WParam) HideGlow(link->GlowID);
      return;
    case WM_WINDOWPOSCHANGED: {
      const auto* wp = reinterpret_cast<const WINDOWPOS*>(m.LParam);
      if (wp && (!(wp->flags & SWP_NOMOVE) || !(wp->flags & SWP_NOSIZE) || (wp->flags & SWP_HIDEWINDOW)))
        HideGlow(link->GlowID);
      return;
    }
    case SM_SKINCMD:
      if (SkinCommandCode(m) == SKC_SKINREMOVED) HideGlow(link->GlowID);
      return;
    default:
      return;
  }
}
