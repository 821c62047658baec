#include "controls/sBitBtnWin.h"

#include "controls/acGlow.h"
#include "framework/Forms.h"
#include "paint/sGraphUtils.h"
#include "paint/sMaskDraw.h"
#include "paint/sSkinPaintWin.h"
#include "skin/sMessages.h"

TsBitBtn::TsBitBtn(TComponent* owner) : TButton(owner), DisabledKind(dkBlended) {
  FCommonData = std::make_unique<TsCommonData>(this, true);
  FCommonData->COC = 94;
  SetBounds(Left(), Top(), 75, 25);
}

TsBitBtn::~TsBitBtn() {
  ReleaseHints(this);
  StopFade(FadeTimer, FCommonData.get());
  HideGlow(FCommonData->GlowID);
  DestroyHandle();
  FCommonData.reset();
}

void TsBitBtn::CreateParams(TCreateParams& p) {
  TButton::CreateParams(p);
  // The system button keeps press, capture and click; the picture is ours.
  p.Style = (p.Style & ~DWORD(0xF)) | BS_OWNERDRAW;
}

void TsBitBtn::CreateWnd() {
  TButton::CreateWnd();
  FIsDefault = Default();
  FCommonData->Loaded();
}

void TsBitBtn::SetDown(bool value) {
  if (value == FDown) return;
  FDown = value;
  FCommonData->Invalidate(false);
}

bool TsBitBtn::Animate(TacAnimatEvent event) const {
  return CanAnimate(event, AnimatEvents, ButtonAnimatEvents(FCommonData->SkinManager()));
}

int TsBitBtn::CurrentState() {
  TacBitBtnStateInput s;
  s.Pushed = HandleAllocated() && (SendMessageW(Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED);
  s.ForcedPressed = FForcedPressed;
  if (HandleAllocated()) {
    POINT p{};
    GetCursorPos(&p);
    RECT r{};
    GetWindowRect(Handle(), &r);
    s.MouseAbove = PtInRect(&r, p) != 0;
  }
  s.LeftButtonHeld = GetKeyState(VK_LBUTTON) < 0;
  s.Down = FDown;
  s.IsHot = FCommonData->IsHot() != 0;
  s.IsDefault = FIsDefault;
  return BitBtnCurrentState(s);
}

bool TsBitBtn::PrepareCache() {
  TsCommonData* link = FCommonData.get();
  const TsGeneralData* gd = link->Section();
  if (!Parent() || !gd) return false;
  link->EnsureCacheBitmap();
  if (Width() <= 0 || Height() <= 0) return false;
  const int s = SectionPaintState(CurrentState(), gd->States);
  const TRect r = Rect(0, 0, Width(), Height());
  if (!PaintSectionFromParent(link, Parent(), s, r, Point(Left(), Top()), link->FCacheBmp.get(), true)) {
    link->FUpdating = true;
    return false;
  }
  TBitmap* bmp = link->FCacheBmp.get();
  const String caption = Caption();
  TPoint textSize{};
  const UINT align = DT_CENTER;
  if (ShowCaption && !caption.empty()) {
    TCanvas* canvas = bmp->Canvas();
    canvas->SetFont(Font());
    TRect m = Rect(0, 0, CaptionMeasureWidth(Width(), std::max(Margin, 0), 0, Spacing, TacButtonLayout::blGlyphLeft), 0);
    canvas->DrawText(caption, m, DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK | align);
    textSize = Point(m.Width(), m.Height());
  }
  TPoint glyphPos;
  ButtonLayout(r, TPoint{}, textSize, 0, CaptionRect, glyphPos, Spacing, Margin, TacAlignment::taCenter,
               TacButtonLayout::blGlyphLeft);
  if (ShowCaption && !caption.empty()) {
    TRect tr = s == 2 ? OffsetRect(CaptionRect, 1, 1) : CaptionRect;
    WriteText32(bmp, caption, Enabled(), link->SkinManager(), s != 0, link->SkinIndex,
                align | DT_END_ELLIPSIS | DT_EXPANDTABS | DT_WORDBREAK, tr, Font());
    TsSkinManager* sm = link->SkinManager();
    if (Enabled() && sm && sm->ButtonsOptions.ShowFocusRect && HandleAllocated() && GetFocus() == Handle() &&
        gd->ShowFocus && ShowFocus) {
      const TRect f = FocusFrameRect(tr, FocusMargin);
      TCanvas* canvas = bmp->Canvas();
      canvas->Font()->SetColor(gd->Props[size_t(std::min(1, std::max(gd->States - 1, 0)))].FontColor.Color);
      RECT fr{f.Left, f.Top, f.Right, f.Bottom};
      ::DrawFocusRect(canvas->Handle(), &fr);
    }
  }
  if (!Enabled()) {
    TBGRequest req;
    RequestControlBG(req, Parent(), false);
    TCacheInfo ci;
    BGRequestToCacheInfo(req, ci);
    PaintDisabledLook(link->CacheView(), DisabledKind, ColorToRGB(Parent()->Color()), Point(Left(), Top()), ci);
  }
  link->BGChanged = false;
  return true;
}

void TsBitBtn::DropRegion() {
  if (FHasRegion && HandleAllocated()) SetWindowRgn(Handle(), nullptr, TRUE);
  FHasRegion = false;
  FRegionChanged = true;
}

void TsBitBtn::UpdateRegion() {
  TsCommonData* link = FCommonData.get();
  TsSkinManager* sm = link->SkinManager();
  const TsGeneralData* gd = link->Section();
  if (!FRegionChanged || !gd || !sm || !sm->IsValidImgIndex(link->BorderIndex) || acFormAnimating) return;
  if (FadeTimer && FadeTimer->Enabled()) return;
  const TsMaskData& mask = sm->ma[size_t(link->BorderIndex)];
  FRegionChanged = false;
  if (mask.CornerType != 2 || Width() <= 0 || Height() <= 0) return;
  TBitmap32 scratch(Width(), Height());
  std::vector<TRegionCut> cuts;
  DrawBorderCutRegion(TPixelView(scratch), cuts, false, SectionPaintState(CurrentState(), gd->States), mask);
  HRGN rgn = CreateRectRgn(0, 0, Width(), Height());
  for (const TRegionCut& cut : cuts) {
    HRGN part = CreateRectRgn(cut.R.Left, cut.R.Top, cut.R.Right, cut.R.Bottom);
    CombineRgn(rgn, rgn, part, cut.Xor ? RGN_XOR : RGN_DIFF);
    DeleteObject(part);
  }
  // The system owns the region from here on; redrawn only the first time.
  SetWindowRgn(Handle(), rgn, !FHasRegion);
  FHasRegion = true;
}

void TsBitBtn::PaintTo(HDC dc) {
  TsCommonData* link = FCommonData.get();
  if (!dc || acFormAnimating || link->CheckUpdating(false)) return;
  UpdateRegion();
  const bool animating = FadeTimer && FadeTimer->Enabled();
  if (!animating && !PrepareCache()) return;
  if (animating && link->CacheView().Empty()) return;
  const TRect all = Rect(0, 0, Width(), Height());
  CopyCacheToDC(this, link, all, all, dc, false);
}

void TsBitBtn::StateChanged(TacAnimatEvent event, bool clicked) {
  TsCommonData* link = FCommonData.get();
  link->BGChanged = true;
  StartStateChange(FadeTimer, link, clicked, Animate(event));
}

void TsBitBtn::WndProc(TMessage& m) {
  TsCommonData* link = FCommonData.get();
  if (!link) {
    TButton::WndProc(m);
    return;
  }
  if (m.Msg == SM_SKINCMD) {
    switch (SkinCommandCode(m)) {
      case SKC_SKINLOADED:
      case SKC_SKINREMOVED:
      case SKC_REFRESH:
        StopFade(FadeTimer, link);
        DropRegion();
        HandleSkinCommand(m, link);
        LinkGlowMessage(m, link);
        if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
        return;
      case SKC_ISSKINNED:
        m.Result = 1;
        return;
      case SKC_GETAPPLICATION:
        m.Result = IsTrustedSkinCommand(m) ? LRESULT(Application) : 0;
        return;
      case SKC_STOPANIMATION:
        // The fade is over: the cache already holds the final look.
        if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
        return;
      case SKC_PREPARECACHE:
        m.Result = PrepareCache() ? 0 : 1;
        return;
      case SKC_FADEFRAME:
        m.Result = 0;
        return;
      case SKC_PARENTREADY:
        if (link->FUpdating && !link->CheckUpdating(true) && HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
        return;
      default:
        break;
    }
    if (!HandleSkinCommand(m, link)) TButton::WndProc(m);
    return;
  }
  if (!link->Skinned() || !HandleAllocated()) {
    TButton::WndProc(m);
    return;
  }
  switch (m.Msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      HDC dc = m.WParam ? reinterpret_cast<HDC>(m.WParam) : BeginPaint(Handle(), &ps);
      PaintTo(dc);
      if (!m.WParam) EndPaint(Handle(), &ps);
      m.Result = 0;
      return;
    }
    case WM_PRINT:
    case WM_PRINTCLIENT:
      link->FUpdating = false;
      PaintTo(reinterpret_cast<HDC>(m.WParam));
      m.Result = 0;
      return;
    case CN_DRAWITEM: {
      // Any program can send this value: its LParam is never read; the
      // button draws on its own window DC.
      HDC dc = GetDC(Handle());
      PaintTo(dc);
      ReleaseDC(Handle(), dc);
      m.Result = 1;
      return;
    }
    case WM_ERASEBKGND:
      m.Result = 1;
      return;
    case WM_ENABLE:
      return;
    case WM_UPDATEUISTATE:
      m.Result = 0;
      return;
    case BM_SETSTYLE:
      // The default-button switch: keep drawing ourselves, remember the default look.
      FIsDefault = (m.WParam & 0xF) == BS_DEFPUSHBUTTON;
      m.WParam = (m.WParam & ~WPARAM(0xF)) | BS_OWNERDRAW;
      TButton::WndProc(m);
      link->BGChanged = true;
      InvalidateRect(Handle(), nullptr, FALSE);
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      HandleWindowMessage(m, link);
      TButton::WndProc(m);
      link->BGChanged = true;
      InvalidateRect(Handle(), nullptr, FALSE);
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: {
      if (m.LParam && m.LParam != LPARAM(this)) break;
      const bool enter = m.Msg == CM_MOUSEENTER;
      HandleWindowMessage(m, link);
      TButton::WndProc(m);
      if (Enabled()) {
        if (enter && OnMouseEnter) OnMouseEnter(this);
        if (!enter && OnMouseLeave) OnMouseLeave(this);
        StateChanged(enter ? aeMouseEnter : aeMouseLeave, false);
      }
      if (!enter) HideGlow(link->GlowID);
      return;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      HoldHints(this);
      link->FUpdating = false;
      FMouseClicked = true;
      TButton::WndProc(m);
      if (!FDown && Enabled()) StateChanged(aeMouseDown, true);
      return;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      ReleaseHints(this);
      break;
    case WM_LBUTTONUP:
      ReleaseHints(this);
      if (FMouseClicked) {
        FMouseClicked = false;
        if (FadeTimer && FadeTimer->Enabled()) {
          // A quick click still shows the pressed look for a moment.
          StopFade(FadeTimer, link);
          FForcedPressed = true;
          link->BGChanged = true;
          RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
          Sleep(30);
          FForcedPressed = false;
        }
        TButton::WndProc(m);
        if (HandleAllocated()) StateChanged(aeMouseUp, true);
        return;
      }
      StopFade(FadeTimer, link);
      break;
    case WM_MOUSEMOVE:
      TButton::WndProc(m);
      // Dragging a press off and back changes the look.
      if (FMouseClicked && HandleAllocated()) {
        // Held capture hides the leave: the pointer's place decides.
        POINT p{};
        GetCursorPos(&p);
        RECT r{};
        GetWindowRect(Handle(), &r);
        link->FMouseAbove = PtInRect(&r, p) != 0;
        link->BGChanged = true;
        InvalidateRect(Handle(), nullptr, FALSE);
      }
      return;
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
      FRegionChanged = true;
      link->BGChanged = true;
      break;
    case CM_ENABLEDCHANGED:
      if (!Enabled()) StopFade(FadeTimer, link);
      link->FUpdating = false;
      link->BGChanged = true;
      break;
    case CM_TEXTCHANGED:
    case WM_SETFONT:
    case CM_VISIBLECHANGED:
      link->FUpdating = false;
      link->BGChanged = true;
      break;
    default:
      break;
  }
  if (HandleWindowMessage(m, link)) return;
  TButton::WndProc(m);
  LinkGlowMessage(m, link);
  if (m.Msg == CM_TEXTCHANGED || m.Msg == CM_ENABLEDCHANGED || m.Msg == WM_SETFONT) InvalidateRect(Handle(), nullptr, FALSE);
}
