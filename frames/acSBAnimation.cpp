#include "frames/acSBAnimation.h"

#include "frames/sSkinProvider.h"
#include "framework/WinUtils.h"
#include "paint/sMaskDraw.h"

#include <algorithm>

namespace {

int RunningFades = 0;

const wchar_t* LayerClass() {
  static const wchar_t* name = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TacSBAnimationWnd";
    RegisterClassW(&wc);
    return L"TacSBAnimationWnd";
  }();
  return name;
}

}  // namespace

TacSBAnimation::TacSBAnimation(TsSkinProvider* owner, TsCaptionButton* button)
    : TComponent(owner), PBtnData(button), FOwner(owner) {
  FTimer = new TTimer(this);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(12);
  FTimer->OnTimer = [this](TObject*) {
    try {
      OnAnimTimer();
    } catch (...) {
      Finish();
      throw;
    }
  };
}

TacSBAnimation::~TacSBAnimation() {
  if (FCounted) --RunningFades;
  if (PBtnData && PBtnData->Timer == this) PBtnData->Timer = nullptr;
  if (AForm) DestroyWindow(AForm);
}

void TacSBAnimation::MakeImg(int state) {
  TsSkinManager* sm = FOwner->SkinData()->SkinManager();
  const TRect r = PBtnData->Rect;
  if (!sm || r.IsEmpty()) return;
  ABmp = CreateCacheBitmap(r.Width(), r.Height());
  TBitmap& cache = *FOwner->SkinData()->FCacheBmp;
  const TPixelView dst = PixelView(*ABmp);
  // The title ground under the button, then its state picture.
  const TacFramePainter& painter = FOwner->FPainter;
  if (!painter.TempBmp.Empty())
    CopyRect32(dst, 0, 0, TPixelView::ReadOnly(painter.TempBmp),
               OffsetRect(r, -painter.TempBmpOrigin.X, -painter.TempBmpOrigin.Y));
  (void)cache;
  if (sm->IsValidImgIndex(PBtnData->ImageIndex))
    DrawMaskImage(dst, TPoint(), state, TCacheInfo(), sm->ma[size_t(PBtnData->ImageIndex)], 1);
  for (int y = 0; y < dst.Height; ++y)
    for (int x = 0; x < dst.Width; ++x) dst.Row(y)[x] |= 0xFF000000;
}

void TacSBAnimation::UpdateForm(int alpha) {
  LastAlpha = alpha;
  const HWND owner = FOwner->Form->HandleAllocated() ? FOwner->Form->Handle() : nullptr;
  if (!owner || !ABmp || ABmp->Empty()) return;
  FormHandle = owner;
  RECT wr{};
  GetWindowRect(owner, &wr);
  const TRect r = PBtnData->Rect;
  if (!AForm) {
    const bool topmost = (GetWindowLongPtrW(owner, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    AForm = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE |
                                (topmost ? WS_EX_TOPMOST : 0),
                            LayerClass(), L"", WS_POPUP, wr.left + r.Left, wr.top + r.Top, r.Width(), r.Height(),
                            owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!AForm) return;
  }
  HDC screen = GetDC(nullptr);
  POINT pos{wr.left + r.Left, wr.top + r.Top};
  SIZE size{ABmp->Width(), ABmp->Height()};
  POINT src{0, 0};
  BLENDFUNCTION bf{AC_SRC_OVER, 0, BYTE(std::clamp(alpha, 0, 255)), AC_SRC_ALPHA};
  ABmp->Canvas()->Lock();
  UpdateLayeredWindow(AForm, screen, &pos, &size, ABmp->Canvas()->Handle(), &src, 0, &bf, ULW_ALPHA);
  ABmp->Canvas()->Unlock();
  ReleaseDC(nullptr, screen);
  SetWindowPos(AForm, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TacSBAnimation::Sync() { PBtnData->Timer = CurrentState >= 0 ? this : nullptr; }

void TacSBAnimation::StartTimer() {
  if (!FCounted) ++RunningFades;
  FCounted = true;
  FTimer->SetEnabled(true);
}

void TacSBAnimation::StopTimer() {
  if (FCounted) --RunningFades;
  FCounted = false;
  FTimer->SetEnabled(false);
}

void TacSBAnimation::CheckMouseLeave() {
  POINT p{};
  GetCursorPos(&p);
  RECT wr{};
  if (!FormHandle || !GetWindowRect(FormHandle, &wr)) return;
  const TRect r = OffsetRect(PBtnData->Rect, wr.left, wr.top);
  if (r.Contains(TPoint(p.x, p.y))) return;
  StopTimer();
  SendMessageW(FormHandle, WM_MOUSELEAVE, 0, 0);
}

void TacSBAnimation::StartAnimation(int newState, bool toUp) {
  struct TSyncAtEnd {
    TacSBAnimation* A;
    ~TSyncAtEnd() { A->Sync(); }
  } sync{this};
  if (newState == CurrentState) return;
  const bool wasShown = CurrentState > 0;
  CurrentState = newState;
  if (newState != 0) {
    if (newState == 2 && AForm) {
      DestroyWindow(AForm);
      AForm = nullptr;
    }
    MakeImg(newState);
    if (MaxIterations <= 1) {
      // One step: the picture at once, no timer.
      CurrentLevel = 1;
      UpdateForm(255);
      StopTimer();
      return;
    }
    CurrentLevel = 1;
    Up = toUp;
    UpdateForm(std::min(Step() * CurrentLevel, 255));
    ++CurrentLevel;
  } else {
    Up = false;
    if (!wasShown || MaxIterations <= 1 || !ABmp) {
      Finish();
      return;
    }
    CurrentLevel = std::clamp(CurrentLevel - 1, 0, MaxIterations);
    UpdateForm(std::min(Step() * CurrentLevel, 255));
    if (CurrentLevel <= 0) {
      Finish();
      return;
    }
  }
  StartTimer();
}

void TacSBAnimation::OnAnimTimer() {
  struct TSyncAtEnd {
    TacSBAnimation* A;
    ~TSyncAtEnd() { A->Sync(); }
  } sync{this};
  if (Up) {
    if (CurrentLevel < MaxIterations) {
      UpdateForm(std::min(Step() * CurrentLevel, 255));
      ++CurrentLevel;
    } else if (FCounted) {
      // At the top: the fade is over; the timer goes on watching the pointer.
      UpdateForm(255);
      if (FCounted) --RunningFades;
      FCounted = false;
    } else {
      CheckMouseLeave();
    }
    return;
  }
  CurrentLevel = std::max(0, CurrentLevel - 1);
  if (CurrentLevel <= 0) {
    Finish();
    return;
  }
  UpdateForm(std::min(Step() * CurrentLevel, 255));
}

void TacSBAnimation::Finish() {
  StopTimer();
  CurrentState = -1;
  CurrentLevel = 0;
  LastAlpha = 0;
  if (AForm) DestroyWindow(AForm);
  AForm = nullptr;
  ABmp.reset();
  Sync();
}

void FreeAnimation(TacSBAnimation*& timer) {
  if (!timer) return;
  TacSBAnimation* t = timer;
  timer = nullptr;
  t->Free();
}

int RunningButtonFades() { return RunningFades; }

void WaitForButtonFades(unsigned maxMilliseconds) {
  const DWORD start = GetTickCount();
  while (RunningFades > 0 && GetTickCount() - start < maxMilliseconds) {
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
  }
}
