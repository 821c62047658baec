// The provider's caption buttons: images, layout, hit testing, the press and
// hover protocol and the repaint of a single button.
#include "frames/acSBAnimation.h"
#include "frames/sSkinProvider.h"
#include "frames/sSysMenu.h"
#include "framework/WinUtils.h"
#include "paint/sMaskDraw.h"

#include <algorithm>
#include <cstdio>

namespace {

bool PressPending = false;  // a caption button is down and not yet released

constexpr int NoImageSize = 21;

bool IsOwnButtonHT(int code) {
  return code == HTMINBUTTON || code == HTMAXBUTTON || code == HTCLOSE || code == HTHELP;
}

bool IsUserButtonHT(int code) { return code >= acHTUDBTN && code <= acHTUDBTN + 100; }

TPoint MsgPoint(LPARAM lParam) { return TPoint(short(LOWORD(lParam)), short(HIWORD(lParam))); }

}  // namespace

// ---- hit testing

TsCaptionButton* TsSkinProvider::ButtonByHT(int code) { return FLayout.ButtonByHitCode(code); }

int TsSkinProvider::HitTest(TPoint screenPoint) {
  if (!SystemMenu) PrepareForm();
  // The layout must be current: the buttons are hit where they were drawn.
  if (FSkinData->BGChanged || FSkinData->FCacheBmp->Empty()) PaintFrameCache();
  FillWnd();
  const TRect wr = WindowRectNow();
  return FLayout.CaptionHitTest(TPoint(screenPoint.X - wr.Left, screenPoint.Y - wr.Top));
}

// ---- hover and press

void TsSkinProvider::SetHotHT(int code, bool repaint) {
  if (code == FLayout.CurrentHT || !FDrawNonClientArea) return;
  if (FLayout.CurrentHT > 0) {
    HideTitleHint();
    if (TsCaptionButton* old = ButtonByHT(FLayout.CurrentHT); old && old->State != 0) {
      old->State = 0;
      if (repaint) RepaintCaptionButton(FLayout.CurrentHT);
    }
  }
  FLayout.CurrentHT = code;
  if (!PressPending && code >= 1)
    if (TsCaptionButton* b = ButtonByHT(code); b && b->State != 1) {
      b->State = 1;
      if (repaint) RepaintCaptionButton(code);
      if (TsTitleButton* t = TitleButtons.Items(code - acHTUDBTN); t && !t->Hint.empty()) {
        POINT p{};
        GetCursorPos(&p);
        t->HintWnd.ActivateHint(Point(p.x, p.y + 20), t->Hint);  // below the cursor
      }
    }
}

// A user button's hint goes when it stops being hot or is pressed.
void TsSkinProvider::HideTitleHint() {
  if (TsTitleButton* t = TitleButtons.Items(FLayout.CurrentHT - acHTUDBTN)) t->HintWnd.ReleaseHandle();
}

void TsSkinProvider::SetPressedHT(int code) {
  HideTitleHint();
  if (FLayout.CurrentHT != code && FLayout.CurrentHT > 0)
    if (TsCaptionButton* old = ButtonByHT(FLayout.CurrentHT)) {
      old->State = 0;
      RepaintCaptionButton(FLayout.CurrentHT);
    }
  FLayout.CurrentHT = code;
  TsCaptionButton* b = ButtonByHT(code);
  const bool allowed = b && (code != HTMAXBUTTON || FLayout.EnabledMax() ||
                             (IsZoomed(Form->Handle()) && FLayout.EnabledRestore())) &&
                       (code != HTCLOSE || FLayout.EnabledClose());
  if (!allowed) {
    FLayout.CurrentHT = 0;
    return;
  }
  b->State = 2;
  PressPending = true;
  RepaintCaptionButton(code);
}

bool TsSkinProvider::PendingPress() const { return PressPending; }

void TsSkinProvider::RepaintCaptionButton(int code) {
  TsCaptionButton* b = ButtonByHT(code);
  if (!b || !Form->HandleAllocated() || FSkinData->FCacheBmp->Empty() || b->Rect.IsEmpty()) return;
  TsSkinManager* sm = FSkinData->SkinManager();
  // User buttons are not faded.
  if (TacSBAnimation* t = sm && sm->Effects.AllowGlowing && !Form->Parent() ? Animation(code, true) : nullptr) {
    t->MaxIterations = b->State == 2 ? 1 : 10;
    t->StartAnimation(b->State, b->State != 0);
  }
  if (b->Rect.Left < FLayout.FIconRect.Right) return;
  FPainter.RepaintCaptionButton(FLayout, *b, FSkinData->CacheView(), Hooks(),
                                IsUserButtonHT(code) ? code - acHTUDBTN : -1);
  HDC dc = GetWindowDC(Form->Handle());
  if (!dc) return;
  TBitmap& cache = *FSkinData->FCacheBmp;
  cache.Canvas()->Lock();
  BitBlt(dc, b->Rect.Left, b->Rect.Top, b->Rect.Width(), b->Rect.Height(), cache.Canvas()->Handle(), b->Rect.Left,
         b->Rect.Top, SRCCOPY);
  cache.Canvas()->Unlock();
  ReleaseDC(Form->Handle(), dc);
}

TacSBAnimation* TsSkinProvider::Animation(int code, bool create) {
  const int i = code == HTCLOSE ? 0 : code == HTMAXBUTTON ? 1 : code == HTMINBUTTON ? 2 : code == HTHELP ? 3 : -1;
  if (i < 0) return nullptr;
  if (!FAnims[i] && create) FAnims[i] = new TacSBAnimation(this, ButtonByHT(code));
  return FAnims[i];
}

// ---- mouse messages

bool TsSkinProvider::HandleMouse(TMessage& m) {
  const HWND wnd = Form->Handle();
  switch (m.Msg) {
    case WM_NCHITTEST: {
      if (FLayout.CaptionHeight() == 0 || !FDrawNonClientArea) return false;
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
      {
        // Armed on every move: a capture in between cancels the tracking silently.
        TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE | TME_NONCLIENT, wnd, 0};
        FTrackingLeave = TrackMouseEvent(&t) != FALSE;
      }
      const int code = HitTest(MsgPoint(m.LParam));
      if (IsOwnButtonHT(code) || IsUserButtonHT(code)) {
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
        DropSysMenu(wr.Left + FLayout.FrameWidth(), wr.Top + FLayout.BorderHeight() + FLayout.IconHeight() + FLayout.FrameWidth());
        return true;
      }
      if (IsOwnButtonHT(code) || IsUserButtonHT(code)) {
        SetPressedHT(code);
        if (PressPending) SetCapture(wnd);
        if (IsUserButtonHT(code) && PressPending) UserButtonMouse(code, true, MsgPoint(m.LParam));
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
      const int pressed = FLayout.CurrentHT;
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
          if (FLayout.EnabledClose()) SendMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
          break;
        case HTHELP:
          SendMessageW(wnd, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
          break;
        default:
          if (IsUserButtonHT(pressed)) UserButtonMouse(pressed, false, TPoint(pt.x, pt.y));
          break;
      }
      if (!watch.Gone() && !self.Gone() && Form->HandleAllocated()) {
        FLayout.CurrentHT = 0;
        FSkinData->BGChanged = true;
        RgnChanged = true;
        SendFrameRepaint();
      }
      m.Result = 0;
      return true;
    }
    case WM_NCLBUTTONDBLCLK: {
      const int code = int(m.WParam);
      if (IsOwnButtonHT(code) || IsUserButtonHT(code)) {
        // A quick second click on a button is a press of its own.
        SetPressedHT(code);
        if (PressPending) SetCapture(wnd);
        if (IsUserButtonHT(code) && PressPending) UserButtonMouse(code, true, MsgPoint(m.LParam));
        m.Result = 0;
        return true;
      }
      if (code == HTCAPTION) {
        if (Form->BorderIcons().Contains(biSystemMenu) && (FLayout.EnabledMax() || FLayout.EnabledRestore()))
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
        if (PressPending && GetCapture() != wnd) PressPending = false;
      }
      return false;
    case WM_MOUSEMOVE:
      if (PressPending && GetCapture() == wnd) {
        // Pressed look only while the pointer stays over the pressed button.
        POINT pt{short(LOWORD(m.LParam)), short(HIWORD(m.LParam))};
        ClientToScreen(wnd, &pt);
        if (TsCaptionButton* b = ButtonByHT(FLayout.CurrentHT)) {
          const int want = HitTest(TPoint(pt.x, pt.y)) == FLayout.CurrentHT ? 2 : 0;
          if (b->State != want) {
            b->State = want;
            RepaintCaptionButton(FLayout.CurrentHT);
          }
        }
        m.Result = 0;
        return true;
      }
      if (FLayout.CurrentHT > 0) SetHotHT(0);
      return false;
    case WM_SYSCOMMAND: {
      const UINT cmd = UINT(m.WParam & 0xFFF0);
      if (cmd == SC_KEYMENU && m.LParam == VK_SPACE && Form->BorderIcons().Contains(biSystemMenu)) {
        const TRect wr = WindowRectNow();
        DropSysMenu(wr.Left + FLayout.FrameWidth(),
                    wr.Top + FLayout.BorderHeight() + FLayout.IconHeight() + FLayout.FrameWidth() - (IsIconic(wnd) ? 16 : 0));
        m.Result = 0;
        return true;
      }
      {
        // The system carries out window commands only for a window with a system menu.
        const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
        const bool lend = FSysMenuRemoved && !(style & WS_SYSMENU);
        if (lend) SetWindowLongPtrW(wnd, GWL_STYLE, style | WS_SYSMENU);
        TFreeWatch self(this);
        try {
          CallOld(m);
        } catch (...) {
          if (lend && !self.Gone() && IsWindow(wnd))
            SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) & ~LONG_PTR(WS_SYSMENU));
          throw;
        }
        if (self.Gone()) return true;
        if (lend && IsWindow(wnd) && FSysMenuRemoved)
          SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) & ~LONG_PTR(WS_SYSMENU));
      }
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

void TsSkinProvider::UserButtonMouse(int code, bool down, TPoint p) {
  TsTitleButton* t = TitleButtons.Items(code - acHTUDBTN);
  if (!t) return;
  const TMouseEvent& handler = down ? t->OnMouseDown : t->OnMouseUp;
  if (handler) handler(t, mbLeft, TShiftState(), p.X, p.Y);
}

void TsSkinProvider::DropSysMenu(int x, int y) {
  if (!SystemMenu || !Form->HandleAllocated()) return;
  // A menu of a form in the background would act on the wrong window.
  if (!(Screen && Screen->ActiveForm() == Form) && GetActiveWindow() != Form->Handle()) return;
  SystemMenu->UpdateItems(SystemMenu->ItemsMayBeStale());
  SystemMenu->Popup(x, y);
}
