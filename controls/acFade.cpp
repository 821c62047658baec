#include "controls/acFade.h"

#include "controls/acGlow.h"
#include "framework/Forms.h"
#include "paint/sCommonData.h"
#include "skin/sMessages.h"
#include "skin/sSkinManager.h"

#include <algorithm>
#include <utility>
#include <vector>

bool acFadeStop = false;
int acFadeTimerCount = 0;
bool acFormAnimating = false;
HWND acAnimatedWnd = nullptr;

namespace {

std::vector<TTimer*>& LiveTimers() {
  static std::vector<TTimer*> timers;
  return timers;
}
void Forget(TTimer* t) {
  auto& v = LiveTimers();
  v.erase(std::remove(v.begin(), v.end(), t), v.end());
}
bool AnyFadeRunning() {
  for (TTimer* t : LiveTimers())
    if (t->Enabled()) return true;
  return false;
}

bool OwnerAlive(const TsCommonData* link) {
  const TControl* c = link ? link->FOwnerControl : nullptr;
  return c && !c->IsDestroying() && !c->ControlState.Contains(csDestroyingHandle) &&
         !(Application && Application->Terminated());
}

// The new picture (the link's cache) over the old one at weight b, into tmp.
void BlendInto(TBitmap& tmp, const TBitmap32& from, TsCommonData* link, int b) {
  const TPixelView to = link->CacheView();
  if (to.Empty()) return;
  tmp.SetPixelFormat(TPixelFormat::pf32bit);
  tmp.SetSize(to.Width, to.Height);
  const int w = std::min(from.Width(), to.Width), h = std::min(from.Height(), to.Height);
  for (int y = 0; y < to.Height; ++y) {
    uint32_t* dst = tmp.ScanLine(y);
    if (y < h && w > 0) {
      FadeBlendRow(dst, from.ScanLine(y), to.Row(y), size_t(w), b);
      std::copy(to.Row(y) + w, to.Row(y) + to.Width, dst + w);
    } else {
      std::copy(to.Row(y), to.Row(y) + to.Width, dst);
    }
  }
}

void CopyCacheOf(TsCommonData* link, TBitmap32& dst) {
  const TPixelView v = link->CacheView();
  if (v.Empty()) {
    dst.SetSize(0, 0);
    return;
  }
  dst.SetSize(v.Width, v.Height);
  for (int y = 0; y < v.Height; ++y) std::copy(v.Row(y), v.Row(y) + v.Width, dst.ScanLine(y));
}

}  // namespace

// ---- TsFadeTimer

TsFadeTimer::TsFadeTimer(TComponent* owner) : TTimer(owner) {
  SetEnabled(false);
  SetInterval(10);
  ++acFadeTimerCount;
  LiveTimers().push_back(this);
}

TsFadeTimer::~TsFadeTimer() {
  FDestroying = true;
  SetEnabled(false);
  --acFadeTimerCount;
  Forget(this);
}

void TsFadeTimer::SetOwnerData(TsCommonData* link, bool clicked, TFadeDirection direction) {
  const TsGeneralData* gd = link ? link->Section() : nullptr;
  if (!gd || !gd->FadingEnabled) return;
  FOwnerData = link;
  TControl* c = link->FOwnerControl;
  if (link->BGChanged && link->CacheView().Empty() && c) SendSkinCommand(c, SKC_PREPARECACHE);
  CopyCacheOf(link, BmpFrom);
  SetInterval(10);
  if (!Steps.Prepare(true, gd->FadingIterations, clicked, direction)) return;
  if (c) SendSkinCommand(c, SKC_PREPARECACHE);
  SetEnabled(Steps.Running);
}

void TsFadeTimer::Timer() {
  if (!FOwnerData || FDestroying) return;
  TControl* c = FOwnerData->FOwnerControl;
  const bool alive = OwnerAlive(FOwnerData);
  switch (Steps.Tick(alive, c && c->Enabled(), acFadeStop)) {
    case TacFadeSteps::TTick::tkNothing:
      SetEnabled(false);
      return;
    case TacFadeSteps::TTick::tkFinished:
      ToEnd(true);
      return;
    case TacFadeSteps::TTick::tkDisabled:
      SetEnabled(false);
      c->Invalidate();
      return;
    case TacFadeSteps::TTick::tkFrame:
      Change();
      return;
  }
}

void TsFadeTimer::ToEnd(bool finished) {
  SetEnabled(false);
  Steps.Running = Steps.Exists = false;
  Steps.Direction = TFadeDirection::fdNone;
  if (finished && FOwnerData && OwnerAlive(FOwnerData)) SendSkinCommand(FOwnerData->FOwnerControl, SKC_STOPANIMATION);
}

void TsFadeTimer::Change() {
  if (Steps.Iterations <= 0 || acFadeStop || !FOwnerData) return;
  TControl* c = FOwnerData->FOwnerControl;
  TBitmap tmp;
  BlendInto(tmp, BmpFrom, FOwnerData, Steps.Weight());
  if (!tmp.Empty() && SendSkinCommand(c, SKC_FADEFRAME, 0, LPARAM(&tmp)) == 0) {
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated()) {
      HDC dc = GetWindowDC(w->Handle());
      TCanvas* canvas = tmp.Canvas();
      canvas->Lock();
      BitBlt(dc, 0, 0, tmp.Width(), tmp.Height(), canvas->Handle(), 0, 0, SRCCOPY);
      canvas->Unlock();
      ReleaseDC(w->Handle(), dc);
    }
  }
  Steps.Advance();
  if (acAnimatedWnd && IsWindow(acAnimatedWnd)) SendSkinCommand(acAnimatedWnd, SKC_REFRESH);
}

// ---- TsAnimTimer

TsAnimTimer::TsAnimTimer(TComponent* owner) : TTimer(owner) {
  SetEnabled(false);
  SetInterval(10);
  ++acFadeTimerCount;
  LiveTimers().push_back(this);
}

TsAnimTimer::~TsAnimTimer() {
  SetEnabled(false);
  --acFadeTimerCount;
  Forget(this);
}

void TsAnimTimer::SetOwnerData(TsCommonData* link) {
  const TsGeneralData* gd = link ? link->Section() : nullptr;
  FOwnerData = link;
  SetInterval(10);
  Iterations = gd ? gd->FadingIterations : 0;
  FadeLevel = 1;
}

void TsAnimTimer::Timer() {
  if (!FOwnerData) return;
  if (FadeLevel > Iterations || FadeLevel < 0 || acFadeStop || !OwnerAlive(FOwnerData)) {
    ToEnd();
    return;
  }
  DoFade();
}

void TsAnimTimer::ToEnd() {
  SetEnabled(false);
  if (FOwnerData && OwnerAlive(FOwnerData)) SendSkinCommand(FOwnerData->FOwnerControl, SKC_STOPANIMATION);
}

void TsAnimTimer::DoFade() {
  if (FadeInProcess) {
    ++FadeLevel;
    return;
  }
  FadeInProcess = true;
  const TPixelView to = FOwnerData->CacheView();
  if (!to.Empty() && !BmpFrom.Empty()) {
    TBitmap32 cur;
    CopyCacheOf(FOwnerData, cur);
    FadeBlend(TmpBmp, BmpFrom, cur, FadeWeight(FadeLevel, Iterations));
  }
  Repaint();
  ++FadeLevel;
  FadeInProcess = false;
}

void TsAnimTimer::Repaint() {
  TControl* c = FOwnerData ? FOwnerData->FOwnerControl : nullptr;
  if (!c) return;
  SendSkinCommand(c, SKC_SETUPDATING, 1);
  SendSkinCommand(c, SKC_REPAINTNOW);
}

// ---- state changes

void StartStateChange(TsFadeTimer*& timer, TsCommonData* link, bool clicked, bool allowed, TFadeDirection direction) {
  if (!link || !link->Skinned()) return;
  TControl* c = link->FOwnerControl;
  const TsGeneralData* gd = link->Section();
  TacFadeConditions fc;
  fc.Skinned = true;
  fc.Allowed = allowed;
  fc.SkinChanging = acSkinChanging || acSkinLoading || acAnimSkinChanging;
  fc.FadingEnabled = gd && gd->FadingEnabled && gd->FadingIterations > 0;
  fc.FadeStop = acFadeStop;
  fc.HasCache = !link->CacheView().Empty();
  fc.BGChanged = link->BGChanged;
  if (c && StateChangeFades(fc)) {
    link->BGChanged = true;
    if (!timer) timer = new TsFadeTimer(c);
    timer->SetOwnerData(link, clicked, direction);
    ShowLinkGlow(link, clicked, nullptr);
    return;
  }
  StopFade(timer, link);
  link->BGChanged = true;
  if (c && !c->IsDestroying()) c->Repaint();
  ShowLinkGlow(link, clicked, nullptr);
}

void StopFade(TsFadeTimer*& timer, TsCommonData*) {
  delete std::exchange(timer, nullptr);
}

void WaitForFades(unsigned maxMilliseconds) {
  acFadeStop = true;
  const DWORD start = GetTickCount();
  MSG msg;
  while (AnyFadeRunning() && GetTickCount() - start < maxMilliseconds) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(int(msg.wParam));
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
  }
}

TacAnimatEvents ButtonAnimatEvents(const TsSkinManager* sm) {
  TacAnimatEvents e = 0;
  if (!sm) return e;
  const TacBtnEvents& g = sm->AnimEffects.Buttons.Events;
  if (g.Contains(beMouseEnter)) e |= AnimatEvent(aeMouseEnter);
  if (g.Contains(beMouseLeave)) e |= AnimatEvent(aeMouseLeave);
  if (g.Contains(beMouseDown)) e |= AnimatEvent(aeMouseDown);
  if (g.Contains(beMouseUp)) e |= AnimatEvent(aeMouseUp);
  return e;
}
