// The provider's caption buttons: images, layout, hit testing, the press and
// hover protocol and the repaint of a single button.
#include "frames/acSBAnimation.h"
#include "frames/sSkinProvider.h"
#include "frames/sSysMenu.h"
#include "framework/WinUtils.h"
#include "paint/sMaskDraw.h"

#include <algorithm>

namespace {

bool PressPending = false;  // a caption button is down and not yet released

constexpr int NoImageSize = 21;

bool IsOwnButtonHT(int code) {
  return code == HTMINBUTTON || code == HTMAXBUTTON || code == HTCLOSE || code == HTHELP;
}

// Notices when a component is freed while we wait in a message loop.
class TFreeWatch : public TComponent {
public:
  explicit TFreeWatch(TComponent* watched) : TComponent(nullptr), FWatched(watched) { FreeNotification(watched); }
  ~TFreeWatch() override {
    if (!FGone) RemoveFreeNotification(FWatched);
  }
  bool Gone() const { return FGone || FWatched->IsDestroying(); }

protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FWatched) FGone = true;
  }

private:
  TComponent* FWatched;
  bool FGone = false;
};

TPoint MsgPoint(LPARAM lParam) { return TPoint(short(LOWORD(lParam)), short(HIWORD(lParam))); }

}  // namespace

// ---- which buttons

bool TsSkinProvider::VisibleMax() const {
  const auto bi = Form->BorderIcons();
  if (!bi.Contains(biSystemMenu)) return false;
  if (IsIconic(Form->Handle()) && !(Application && Application->MainForm() == Form && Application->MainFormOnTaskBar))
    return true;
  const auto bs = Form->BorderStyle();
  return (bs == TFormBorderStyle::bsSingle || bs == TFormBorderStyle::bsSizeable) && bi.Contains(biMaximize);
}

bool TsSkinProvider::VisibleMin() const {
  const auto bi = Form->BorderIcons();
  if (!bi.Contains(biSystemMenu)) return false;
  if (IsIconic(Form->Handle())) return true;
  const auto bs = Form->BorderStyle();
  return (bs == TFormBorderStyle::bsSingle || bs == TFormBorderStyle::bsSizeable) && bi.Contains(biMinimize);
}

bool TsSkinProvider::EnabledClose() const {
  HMENU menu = GetSystemMenu(Form->Handle(), FALSE);
  if (!menu) return false;
  const UINT st = GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND);
  return st != UINT(-1) && !(st & (MF_DISABLED | MF_GRAYED));
}

bool TsSkinProvider::EnabledMax() const {
  const auto bs = Form->BorderStyle();
  return (bs == TFormBorderStyle::bsSingle || bs == TFormBorderStyle::bsSizeable) &&
         Form->BorderIcons().Contains(biMaximize);
}

bool TsSkinProvider::EnabledMin() const {
  const bool mainForm = Application && Application->MainForm() == Form;
  return Form->BorderIcons().Contains(biMinimize) && !(IsIconic(Form->Handle()) && !mainForm);
}

// ---- images and layout

void TsSkinProvider::InitButtonImages() {
  TsSkinManager* sm = FSkinData->SkinManager();
  const auto bs = Form->BorderStyle();
  BigButtons = (bs == TFormBorderStyle::bsSingle || bs == TFormBorderStyle::bsSizeable) ? 1 : 0;
  ButtonMin.HitCode = HTMINBUTTON;
  ButtonMax.HitCode = HTMAXBUTTON;
  ButtonClose.HitCode = HTCLOSE;
  ButtonHelp.HitCode = HTHELP;
  auto img = [sm](const char* name) { return sm ? sm->GetMaskIndex("GLOBALINFO", name) : -1; };
  if (BigButtons) {
    ButtonMin.ImageIndex = img("BICONMIN");
    ButtonMax.ImageIndex = img("BICONMAX");
    const int alone = img("BICLOSEALONE");
    ButtonClose.ImageIndex = !VisibleMax() && !VisibleMin() && alone >= 0 ? alone : img("BICONCLOSE");
    ButtonHelp.ImageIndex = img("BICONHELP");
    ButtonClose.HaveAlignment = ButtonMax.HaveAlignment = ButtonMin.HaveAlignment = true;
  } else {
    ButtonClose.ImageIndex = img("SICONCLOSE");
    ButtonMin.ImageIndex = img("SICONMIN");
    ButtonMax.ImageIndex = img("SICONMAX");
    ButtonHelp.ImageIndex = img("SICONHELP");
    if (ButtonHelp.ImageIndex < 0) ButtonHelp.ImageIndex = img("BICONHELP");
    ButtonClose.HaveAlignment = ButtonMax.HaveAlignment = ButtonMin.HaveAlignment = false;
  }
  ButtonHelp.HaveAlignment = false;
  if (ButtonClose.ImageIndex < 0) {
    ButtonMin.ImageIndex = img("BICONMIN");
    ButtonMax.ImageIndex = img("BICONMAX");
    ButtonClose.ImageIndex = img("BICONCLOSE");
    ButtonHelp.ImageIndex = img("BICONHELP");
    ButtonClose.HaveAlignment = ButtonMax.HaveAlignment = ButtonMin.HaveAlignment = ButtonHelp.HaveAlignment = true;
  }
}

namespace {
int ImageWidth(TsSkinManager* sm, int index) {
  if (!sm || !sm->IsValidImgIndex(index)) return NoImageSize;
  return std::max(1, MaskFrameWidth(sm->ma[size_t(index)]));
}
int ImageHeight(TsSkinManager* sm, int index) {
  if (!sm || !sm->IsValidImgIndex(index)) return NoImageSize;
  return std::max(1, MaskFrameHeight(sm->ma[size_t(index)]));
}
}  // namespace

int TsSkinProvider::ButtonsAreaWidth() const {
  TsSkinManager* sm = FSkinData->SkinManager();
  if (!sm) return 0;
  const int spacing = sm->CommonSkinData.BISpacing;
  int w = sm->CommonSkinData.BIRightMargin;
  if (Form->BorderIcons().Contains(biSystemMenu)) w += ImageWidth(sm, ButtonClose.ImageIndex);
  if (VisibleMax()) w += ImageWidth(sm, ButtonMax.ImageIndex) + BigButtons * spacing;
  if (VisibleMin()) w += ImageWidth(sm, ButtonMin.ImageIndex) + BigButtons * spacing;
  if (Form->BorderIcons().Contains(biHelp)) w += ImageWidth(sm, ButtonHelp.ImageIndex) + BigButtons * spacing;
  return std::max(0, w);
}

void TsSkinProvider::CalcItems() {
  TsSkinManager* sm = FSkinData->SkinManager();
  if (!sm || !Form->HandleAllocated()) return;
  const HWND wnd = Form->Handle();
  const int frame = SysBorderWidth(), cap = CaptionHeight();
  const bool zoomed = IsZoomed(wnd), iconic = IsIconic(wnd);
  VCenter = cap / 2 + frame / 2 + (zoomed ? 2 : 0);
  const int left = frame + sm->CommonSkinData.BILeftMargin;
  if (IconVisible()) {
    const int s = cap <= 8 ? 1 : cap <= 16 ? 8 : 16;
    FIconRect = Rect(left, VCenter - s / 2, left + s, VCenter - s / 2 + s);
  } else {
    FIconRect = Rect(left, VCenter, left, VCenter);
  }
  // The maximise and minimise images follow the window state.
  const bool mainForm = Application && Application->MainForm() == Form;
  auto img = [sm](const char* name) { return sm->GetMaskIndex("GLOBALINFO", name); };
  if (BigButtons || ButtonMax.ImageIndex >= 0) {
    const int norm = img("BICONNORM");
    if ((zoomed || iconic) && norm >= 0)
      ButtonMax.ImageIndex = zoomed ? norm : img(BigButtons ? "BICONMAX" : "SICONMAX");
    else if (BigButtons)
      ButtonMax.ImageIndex = img("BICONMAX");
    if (iconic && !mainForm && norm >= 0)
      ButtonMin.ImageIndex = norm;
    else if (BigButtons)
      ButtonMin.ImageIndex = img("BICONMIN");
  }
  const int h = ImageHeight(sm, ButtonClose.ImageIndex);
  int right = CaptionWidth() - sm->CommonSkinData.BIRightMargin - frame;
  auto place = [&](TsCaptionButton& b, bool shown) {
    const int w = ImageWidth(sm, b.ImageIndex);
    const int top = b.HaveAlignment && sm->CommonSkinData.BIVAlign == 1
                        ? (zoomed ? GetSystemMetrics(SM_CXFRAME) - 1 : 0)
                        : VCenter - h / 2;
    if (!shown) {
      b.Rect = Rect(right, top, right, top + h);
      return;
    }
    b.Rect = Rect(right - w, top, right, top + h);
    right = b.Rect.Left - sm->CommonSkinData.BISpacing * BigButtons;
  };
  place(ButtonClose, Form->BorderIcons().Contains(biSystemMenu) && HasSysMenuIcon());
  place(ButtonMax, VisibleMax());
  place(ButtonMin, VisibleMin());
  if (Form->BorderIcons().Contains(biHelp)) right -= 6;
  place(ButtonHelp, Form->BorderIcons().Contains(biHelp));
}

void TsSkinProvider::DrawButton(TsCaptionButton& b, TBitmap& bmp, bool fromTemp) {
  TsSkinManager* sm = FSkinData->SkinManager();
  if (!sm || b.Rect.IsEmpty()) return;
  const TPixelView view = PixelView(bmp);
  if (fromTemp && !TempBmp->Empty()) {
    // Clean title ground from the strip saved before the buttons were drawn.
    const int tx = bmp.Width() - TempBmp->Width();
    CopyRect32(view, b.Rect.Left, b.Rect.Top, PixelView(*TempBmp),
               OffsetRect(b.Rect, -tx, 0));
  }
  if (!sm->IsValidImgIndex(b.ImageIndex)) return;
  bool enabled = true;
  switch (b.HitCode) {
    case HTCLOSE: enabled = EnabledClose(); break;
    case HTMAXBUTTON: enabled = EnabledMax(); break;
    case HTMINBUTTON: enabled = EnabledMin(); break;
    default: break;
  }
  const bool animating = b.Timer && b.Timer->Running();
  const int state = animating ? 0 : b.State;
  const bool dim = (state == 0) && (!FormActive || !enabled);
  TCacheInfo ci;
  DrawMaskImage(view, TPoint(b.Rect.Left, b.Rect.Top), state, ci, sm->ma[size_t(b.ImageIndex)], dim ? 0 : 1);
}

// ---- hit testing

TsCaptionButton* TsSkinProvider::ButtonByHT(int code) {
  switch (code) {
    case HTCLOSE: return &ButtonClose;
    case HTMAXBUTTON: return &ButtonMax;
    case HTMINBUTTON: return &ButtonMin;
    case HTHELP: return &ButtonHelp;
    default: return nullptr;
  }
}

int TsSkinProvider::HitTest(TPoint screenPoint) {
  const HWND wnd = Form->Handle();
  if (!SystemMenu) PrepareForm();
  if (FSkinData->BGChanged || FSkinData->FCacheBmp->Empty()) PaintFrameCache();
  const TRect wr = WindowRectNow();
  const TPoint p(screenPoint.X - wr.Left, screenPoint.Y - wr.Top);
  const bool sysMenu = Form->BorderIcons().Contains(biSystemMenu);
  // The buttons are counted here exactly as they were laid out.
  if (sysMenu && !ButtonClose.Rect.IsEmpty() && ButtonClose.Rect.Contains(p)) return EnabledClose() ? HTCLOSE : HTCAPTION;
  if (VisibleMax() && ButtonMax.Rect.Contains(p))
    return EnabledMax() || (IsZoomed(wnd) && !IsIconic(wnd)) ? HTMAXBUTTON : HTCAPTION;
  if (VisibleMin() && ButtonMin.Rect.Contains(p)) return IsIconic(wnd) || EnabledMin() ? HTMINBUTTON : HTCAPTION;
  if (Form->BorderIcons().Contains(biHelp) && ButtonHelp.Rect.Contains(p)) return HTHELP;
  const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
  const int b = SysBorderWidth();
  if (!IsZoomed(wnd) && (style & WS_THICKFRAME)) {
    const int c = b;
    int v = 0;
    if (p.Y >= wr.Height() - b) v = 2;
    else if (p.Y < c) v = 1;
    if (p.X < b) return v == 1 ? HTTOPLEFT : v == 2 ? HTBOTTOMLEFT : HTLEFT;
    if (p.X >= wr.Width() - b) return v == 1 ? HTTOPRIGHT : v == 2 ? HTBOTTOMRIGHT : HTRIGHT;
    if (v) return v == 1 ? HTTOP : HTBOTTOM;
  }
  const int cap = CaptionHeight();
  if (p.Y >= 0 && p.Y < OffsetY() && cap > 0) {
    if (!FIconRect.IsEmpty() && FIconRect.Contains(p)) return HTSYSMENU;
    return HTCAPTION;
  }
  if (p.X < OffsetX() || p.X >= OffsetX() + Form->ClientWidth() || p.Y >= OffsetY() + Form->ClientHeight())
    return HTBORDER;
  return HTCLIENT;
}

// ---- hover and press

void TsSkinProvider::SetHotHT(int code, bool repaint) {
  if (code == CurrentHT || !FDrawNonClientArea) return;
  if (CurrentHT > 0)
    if (TsCaptionButton* old = ButtonByHT(CurrentHT); old && old->State != 0) {
      old->State = 0;
      if (repaint) RepaintCaptionButton(CurrentHT);
    }
  CurrentHT = code;
  if (!PressPending && code >= 1)
    if (TsCaptionButton* b = ButtonByHT(code); b && b->State != 1) {
      b->State = 1;
      if (repaint) RepaintCaptionButton(code);
    }
}

void TsSkinProvider::SetPressedHT(int code) {
  if (CurrentHT != code && CurrentHT > 0)
    if (TsCaptionButton* old = ButtonByHT(CurrentHT)) {
      old->State = 0;
      RepaintCaptionButton(CurrentHT);
    }
  CurrentHT = code;
  TsCaptionButton* b = ButtonByHT(code);
  const bool allowed = b && (code != HTMAXBUTTON || EnabledMax() || IsZoomed(Form->Handle())) &&
                       (code != HTCLOSE || EnabledClose());
  if (!allowed) {
    CurrentHT = 0;
    return;
  }
  b->State = 2;
  PressPending = true;
  RepaintCaptionButton(code);
}

bool TsSkinProvider::PendingPress() const { return PressPending; }

void TsSkinProvider::RepaintCaptionButton(int code) {
  TsCaptionButton* b = ButtonByHT(code);
  if (!b || !Form->HandleAllocated() || FSkinData->FCacheBmp->Empty()) return;
  TsSkinManager* sm = FSkinData->SkinManager();
  if (sm && sm->Effects.AllowGlowing && !Form->Parent() && b->Rect.Width() > 0) {
    if (!b->Timer) b->Timer = new TacSBAnimation(this, b);
    b->Timer->MaxIterations = b->State == 2 ? 1 : 10;
    b->Timer->StartAnimation(b->State, b->State != 0);
  }
  if (b->Rect.Left < FIconRect.Right) return;
  DrawButton(*b, *FSkinData->FCacheBmp, true);
  HDC dc = GetWindowDC(Form->Handle());
  if (!dc) return;
  TBitmap& cache = *FSkinData->FCacheBmp;
  cache.Canvas()->Lock();
  BitBlt(dc, b->Rect.Left, b->Rect.Top, b->Rect.Width(), b->Rect.Height(), cache.Canvas()->Handle(), b->Rect.Left,
         b->Rect.Top, SRCCOPY);
  cache.Canvas()->Unlock();
  ReleaseDC(Form->Handle(), dc);
}

// ---- mouse messages

bool TsSkinProvider::HandleMouse(TMessage& m) {
  const HWND wnd = Form->Handle();
  switch (m.Msg) {
    case WM_NCHITTEST: {
      if (CaptionHeight() == 0 || !FDrawNonClientArea) return false;
      const int code = HitTest(MsgPoint(m.LParam));
      if (code == HTCLIENT || code == HTCAPTION || code == HTMENU || (code >= HTLEFT && code <= HTBOTTOMRIGHT)) {
        CallOld(m);
        // The system's answer stands unless it points at buttons it no longer draws.
        if (IsOwnButtonHT(int(m.Result)) || m.Result == HTSYSMENU) m.Result = code;
        return true;
      }
      m.Result = code;
      return true;
    }
    case WM_NCMOUSEMOVE: {
      if (!Form->Enabled()) return false;
      if (TsSkinManager* sm = FSkinData->SkinManager()) sm->SetActiveControl(wnd);
      if (!FTrackingLeave) {
        TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE | TME_NONCLIENT, wnd, 0};
        FTrackingLeave = TrackMouseEvent(&t) != FALSE;
      }
      const int code = HitTest(MsgPoint(m.LParam));
      if (IsOwnButtonHT(code)) {
        SetHotHT(code);
        m.Result = 0;
        return true;
      }
      SetHotHT(0);
      return false;
    }
    case WM_NCLBUTTONDOWN: {
      const int code = int(m.WParam);
      if (code == HTSYSMENU) {
        SetHotHT(0);
        PressPending = false;
        // Wait for a double click on the icon (which closes the form).
        TFreeWatch watch(Form), self(this);
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 200) {
          MSG msg;
          if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
          } else {
            Sleep(5);
          }
          if (watch.Gone() || self.Gone()) return true;
        }
        if ( Form->IsDestroying() || !Form->HandleAllocated() || !IsWindowVisible(wnd)) return true;
        const TRect wr = WindowRectNow();
        DropSysMenu(wr.Left + SysBorderWidth(), wr.Top + FIconRect.Bottom);
        return true;
      }
      if (IsOwnButtonHT(code)) {
        SetPressedHT(code);
        if (PressPending) SetCapture(wnd);
        m.Result = 0;
        return true;
      }
      SetHotHT(0);
      return false;
    }
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP: {
      if (!PressPending) {
        if (m.Msg == WM_NCLBUTTONUP) SetHotHT(0);
        return false;
      }
      // WM_LBUTTONUP carries key flags: the release point decides.
      POINT pt{short(LOWORD(m.LParam)), short(HIWORD(m.LParam))};
      if (m.Msg == WM_LBUTTONUP) ClientToScreen(wnd, &pt);
      const int code = HitTest(TPoint(pt.x, pt.y));
      const int pressed = CurrentHT;
      PressPending = false;
      if (GetCapture() == wnd) ReleaseCapture();
      TsCaptionButton* b = ButtonByHT(pressed);
      if (b) b->State = 0;
      if (code != pressed || !b) {
        SetHotHT(code == pressed ? code : 0);
        if (b) RepaintCaptionButton(pressed);
        m.Result = 0;
        return true;
      }
      TFreeWatch watch(Form), self(this);
      switch (pressed) {
        case HTMINBUTTON:
          SetHotHT(0, false);
          RepaintCaptionButton(pressed);
          SendMessageW(wnd, WM_SYSCOMMAND, IsIconic(wnd) ? SC_RESTORE : SC_MINIMIZE, 0);
          break;
        case HTMAXBUTTON:
          SetHotHT(0, false);
          RepaintCaptionButton(pressed);
          SendMessageW(wnd, WM_SYSCOMMAND, IsZoomed(wnd) ? SC_RESTORE : SC_MAXIMIZE, 0);
          break;
        case HTCLOSE:
          if (EnabledClose()) SendMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
          break;
        case HTHELP:
          SendMessageW(wnd, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
          break;
        default:
          break;
      }
      if (!watch.Gone() && !self.Gone() && Form->HandleAllocated()) {
        CurrentHT = 0;
        FSkinData->BGChanged = true;
        RgnChanged = true;
        SendFrameRepaint();
      }
      m.Result = 0;
      return true;
    }
    case WM_NCLBUTTONDBLCLK: {
      const int code = int(m.WParam);
      if (code == HTCAPTION) {
        if (Form->BorderIcons().Contains(biSystemMenu) && (EnabledMax() || IsZoomed(wnd)))
          SendMessageW(wnd, WM_SYSCOMMAND, IsZoomed(wnd) || IsIconic(wnd) ? SC_RESTORE : SC_MAXIMIZE, 0);
        else if (IsIconic(wnd))
          SendMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
        m.Result = 0;
        return true;
      }
      if (code == HTSYSMENU) {
        Form->Close();
        m.Result = 0;
        return true;
      }
      return false;
    }
    case WM_NCRBUTTONDOWN:
      if (m.WParam == HTCAPTION || m.WParam == HTSYSMENU) {
        m.Result = 0;
        return true;
      }
      return false;
    case WM_NCRBUTTONUP: {
      const int code = HitTest(MsgPoint(m.LParam));
      if (code == HTCAPTION || code == HTSYSMENU) {
        SetHotHT(0);
        PressPending = false;
        DropSysMenu(short(LOWORD(m.LParam)), short(HIWORD(m.LParam)));
      }
      m.Result = 0;
      return true;
    }
    case WM_NCMOUSELEAVE:
    case WM_MOUSELEAVE:
    case CM_MOUSELEAVE:
      if (m.Msg == WM_NCMOUSELEAVE) FTrackingLeave = false;
      if (!PressPending || m.Msg != WM_MOUSELEAVE || GetCapture() != wnd) {
        SetHotHT(-1);
        if (PressPending && GetCapture() != wnd) {
          PressPending = false;
          if (TsCaptionButton* b = ButtonByHT(CurrentHT)) b->State = 0;
        }
      }
      return false;
    case WM_MOUSEMOVE:
      if (PressPending && GetCapture() == wnd) {
        // Pressed look only while the pointer stays over the pressed button.
        POINT pt{short(LOWORD(m.LParam)), short(HIWORD(m.LParam))};
        ClientToScreen(wnd, &pt);
        if (TsCaptionButton* b = ButtonByHT(CurrentHT)) {
          const int want = HitTest(TPoint(pt.x, pt.y)) == CurrentHT ? 2 : 0;
          if (b->State != want) {
            b->State = want;
            RepaintCaptionButton(CurrentHT);
          }
        }
        m.Result = 0;
        return true;
      }
      if (CurrentHT > 0) SetHotHT(0);
      return false;
    case WM_SYSCOMMAND: {
      const UINT cmd = UINT(m.WParam & 0xFFF0);
      if (cmd == SC_KEYMENU && m.LParam == VK_SPACE && Form->BorderIcons().Contains(biSystemMenu)) {
        const TRect wr = WindowRectNow();
        DropSysMenu(wr.Left + SysBorderWidth(), wr.Top + FIconRect.Bottom - (IsIconic(wnd) ? 16 : 0));
        m.Result = 0;
        return true;
      }
      CallOld(m);
      if (cmd == SC_MAXIMIZE || cmd == SC_RESTORE) {
        if (!Form->HandleAllocated()) return true;
        SetHotHT(0, false);
        FSkinData->BGChanged = true;
        RgnChanged = true;
        SendFrameRepaint();
        if (SystemMenu) SystemMenu->UpdateItems(false);
      }
      return true;
    }
    case 0x0313:  // WM_POPUPSYSTEMMENU
      DropSysMenu(short(LOWORD(m.LParam)), short(HIWORD(m.LParam)));
      m.Result = 0;
      return true;
    default:
      return false;
  }
}

void TsSkinProvider::DropSysMenu(int x, int y) {
  if (!SystemMenu || !Form->HandleAllocated()) return;
  SystemMenu->UpdateItems(SystemMenu->ExtItemsCount > 0);
  SystemMenu->Popup(x, y);
}
