#include "controls/sSpeedButtonWin.h"

#include "controls/acGlow.h"
#include "framework/Forms.h"
#include "paint/sGraphUtils.h"
#include "paint/sSkinPaintWin.h"
#include "framework/WinUtils.h"
#include "paint/sGlyphUtils.h"
#include "paint/sMaskDraw.h"
#include "skin/sMessages.h"

TsSpeedButton::TsSpeedButton(TComponent* owner) : TGraphicControl(owner), DisabledKind(dkBlended) {
  ControlStyle.Include(csCaptureMouse);
  ControlStyle.Include(csClickEvents);
  FCommonData = std::make_unique<TsCommonData>(this, true);
  FCommonData->COC = 92;
  SetBounds(Left(), Top(), 23, 22);
}

TsSpeedButton::~TsSpeedButton() {
  *FAlive = false;
  ReleaseHints(this);
  StopFade(FadeTimer, FCommonData.get());
  HideGlow(FCommonData->GlowID);
  FCommonData.reset();
}

void TsSpeedButton::SetParent(TWinControl* value) {
  TGraphicControl::SetParent(value);
  // Windowless: no showing change tells the link, so it takes its section here.
  if (value && FCommonData) FCommonData->Loaded();
}

void TsSpeedButton::SetDown(bool value) {
  if (value == FDown) return;
  FDown = value;
  FCommonData->BGChanged = true;
  Invalidate();
}

int TsSpeedButton::CurrentState() {
  return SpeedButtonCurrentState(FDown || FPressed, false, FCommonData->FMouseAbove && Enabled(), false);
}

bool TsSpeedButton::PrepareCache() {
  TsCommonData* link = FCommonData.get();
  const TsGeneralData* gd = link->Section();
  if (!Parent() || !gd) return false;
  link->EnsureCacheBitmap();
  if (Width() <= 0 || Height() <= 0) return false;
  const TRect r = Rect(0, 0, Width(), Height());
  const TPoint pos = Point(Left(), Top());
  if (ButtonStyle == TToolButtonStyle::tbsSeparator || ButtonStyle == TToolButtonStyle::tbsDivider) {
    TBGRequest req;
    RequestControlBG(req, Parent(), false);
    if (req.Kind == bgNotReady) {
      link->FUpdating = true;
      return false;
    }
    TCacheInfo ci;
    BGRequestToCacheInfo(req, ci);
    const TPixelView v = link->CacheView();
    for (int y = 0; y < v.Height; ++y)
      for (int x = 0; x < v.Width; ++x)
        v.At(x, y) = ci.Ready && !ci.Bmp.Empty() && x + ci.X + pos.X < ci.Bmp.Width && y + ci.Y + pos.Y < ci.Bmp.Height &&
                             x + ci.X + pos.X >= 0 && y + ci.Y + pos.Y >= 0
                         ? ci.Bmp.At(x + ci.X + pos.X, y + ci.Y + pos.Y) | 0xFF000000u
                         : ColorToPixel(ColorToRGB(ci.FillColor), 0xFF);
  } else {
    const int s = SectionPaintState(CurrentState(), gd->States);
    const bool dropDown = ButtonStyle == TToolButtonStyle::tbsDropDown && Width() > DropDownPartWidth;
    const TRect main = dropDown ? Rect(0, 0, Width() - DropDownPartWidth, Height()) : r;
    if (dropDown && !PaintSectionFromParent(link, Parent(), SectionPaintState(DropDownArrowState(FDroppedDown, FDown || FPressed, link->IsHot() != 0), gd->States),
                                            r, pos, link->FCacheBmp.get(), true)) {
      link->FUpdating = true;
      return false;
    }
    if (dropDown) PaintArrowPart(Rect(main.Right, 0, Width(), Height()), s);
    if (dropDown) {
      // The main part over the same background, then copied left of the arrow.
      auto part = std::make_unique<TBitmap>();
      part->SetSize(main.Width(), main.Height());
      if (!PaintSectionFromParent(link, Parent(), s, main, pos, part.get(), true)) {
        link->FUpdating = true;
        return false;
      }
      CopyRect32(link->CacheView(), 0, 0, PixelView(*part), main);
    } else if (!PaintSectionFromParent(link, Parent(), s, r, pos, link->FCacheBmp.get(), true)) {
      link->FUpdating = true;
      return false;
    }
    const String caption = Caption();
    if (ShowCaption && !caption.empty()) {
      TRect tr = s == 2 ? OffsetRect(main, 1, 1) : main;
      WriteText32(link->FCacheBmp.get(), caption, Enabled(), link->SkinManager(), s != 0, link->SkinIndex,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS, tr, Font());
    }
    PaintGlyph(s);
  }
  if (!Enabled()) {
    TBGRequest req;
    RequestControlBG(req, Parent(), false);
    TCacheInfo ci;
    BGRequestToCacheInfo(req, ci);
    PaintDisabledLook(link->CacheView(), DisabledKind, ColorToRGB(Parent()->Color()), pos, ci);
  }
  link->BGChanged = false;
  return true;
}

void TsSpeedButton::Paint() {
  TsCommonData* link = FCommonData.get();
  if (Width() <= 0 || Height() <= 0 || FPainting) return;
  if (!link->Skinned()) {
    if (DefaultManager && DefaultManager->Active() && link->SkinIndex <= 0) link->UpdateIndexes();
    if (!link->Skinned()) {
      TCanvas* c = Canvas();
      c->Brush()->SetColor(clBtnFace);
      c->FillRect(ClientRect());
      RECT rr{0, 0, Width(), Height()};
      DrawEdge(c->Handle(), &rr, FDown || FPressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
      TRect tr = ClientRect();
      c->Brush()->SetStyle(TBrushStyle::bsClear);
      c->DrawText(Caption(), tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      return;
    }
  }
  FPainting = true;
  const bool animating = FadeTimer && FadeTimer->Enabled();
  const bool stale = CurrentState() > 0 || link->BGChanged || !link->HalfVisible ||
                     link->CacheView().Width != Width() || link->CacheView().Height != Height();
  if (animating || !stale || link->UrgentPainting || PrepareCache()) {
    const TRect all = Rect(0, 0, Width(), Height());
    CopyCacheToDC(this, link, all, all, Canvas()->Handle(), false);
  }
  FPainting = false;
}

void TsSpeedButton::StateChanged(TacAnimatEvent event, bool clicked) {
  TsCommonData* link = FCommonData.get();
  link->BGChanged = true;
  StartStateChange(FadeTimer, link, clicked,
                   CanAnimate(event, AnimatEvents, ButtonAnimatEvents(link->SkinManager())));
}

// The arrow in the font colour of the part's state, moved by (1, 1) when pressed.
void TsSpeedButton::PaintArrowPart(const TRect& part, int mainState) {
  TsCommonData* link = FCommonData.get();
  const TsGeneralData* gd = link->Section();
  if (!gd) return;
  const int s = DropDownArrowState(FDroppedDown, FDown || FPressed, link->IsHot() != 0);
  const TColor color = gd->Props[size_t(std::min(SectionPaintState(s, gd->States), 1))].FontColor.Color;
  TRect a = Rect(part.Left + (part.Width() - DropDownArrowSize) / 2, part.Top, part.Left + (part.Width() + DropDownArrowSize) / 2,
                 part.Bottom);
  if (s == 2 || mainState == 2) a = OffsetRect(a, 1, 1);
  DrawArrow(link->CacheView(), color, a, adDown);
}

void TsSpeedButton::DropDown() {
  TsCommonData* link = FCommonData.get();
  const std::weak_ptr<bool> alive = FAlive;
  const bool owned = !OnClick, oldDown = FDown;
  FDroppedDown = true;
  link->BGChanged = true;
  if (owned) FDown = true;
  Invalidate();
  if (Parent() && Parent()->HandleAllocated()) UpdateWindow(Parent()->Handle());

  HMENU menu = CreatePopupMenu();
  for (size_t i = 0; i < DropdownMenu.size(); ++i) {
    if (DropdownMenu[i].Caption == "-")
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    else
      AppendMenuW(menu, MF_STRING, UINT_PTR(i + 1), ToWide(DropdownMenu[i].Caption).c_str());
  }
  const TPoint at = ClientToScreen(Point(0, Height() + 1));
  HWND owner = Parent() && Parent()->HandleAllocated() ? GetAncestor(Parent()->Handle(), GA_ROOT) : nullptr;
  // The menu takes the press: no click and no capture are left behind.
  ControlState.Exclude(csClicked);
  ControlState.Exclude(csLButtonDown);
  if (MouseCapture()) SetMouseCapture(false);
  const int cmd = menu && owner ? int(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON,
                                                     at.X, at.Y, 0, owner, nullptr))
                                : 0;
  if (menu) DestroyMenu(menu);
  if (alive.expired() || !*alive.lock()) return;  // freed while the menu was open

  FDroppedDown = false;
  FPressed = false;
  ReleaseHints(this);
  if (owned) FDown = oldDown;
  link->BGChanged = true;
  POINT p{};
  GetCursorPos(&p);
  const TPoint local = ScreenToClient(Point(p.x, p.y));
  if (!ClientRect().Contains(local)) Perform(CM_MOUSELEAVE, 0, LPARAM(this));
  Invalidate();
  if (cmd > 0 && size_t(cmd) <= DropdownMenu.size()) {
    const TNotifyEvent handler = DropdownMenu[size_t(cmd - 1)].OnClick;  // may change the menu
    if (handler) handler(this);
  }
}

void TsSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  HoldHints(this);
  if (button == mbLeft && Enabled() && ButtonStyle == TToolButtonStyle::tbsDropDown &&
      DropDownPressOpensMenu(x, Width(), !DropdownMenu.empty(), bool(OnClick))) {
    DropDown();
    return;
  }
  if (button == mbLeft && Enabled()) FPressed = true;
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button == mbLeft && Enabled()) StateChanged(aeMouseDown, true);
}

void TsSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const bool was = FPressed;
  ReleaseHints(this);
  if (button == mbLeft) FPressed = false;
  if (was && ButtonStyle == TToolButtonStyle::tbsCheck && ClientRect().Contains(Point(x, y))) FDown = !FDown;
  TGraphicControl::MouseUp(button, shift, x, y);
  if (was) {
    if (FadeTimer && FadeTimer->Enabled()) StopFade(FadeTimer, FCommonData.get());
    StateChanged(aeMouseUp, true);
  }
}

void TsSpeedButton::WndProc(TMessage& m) {
  TsCommonData* link = FCommonData.get();
  if (!link) {
    TGraphicControl::WndProc(m);
    return;
  }
  if (m.Msg == SM_SKINCMD) {
    switch (SkinCommandCode(m)) {
      case SKC_ISSKINNED:
        m.Result = 1;
        return;
      case SKC_ISUPDATING:
        m.Result = link->CheckUpdating(false) ? 1 : 0;
        return;
      case SKC_SECTIONCHANGED:
        Invalidate();
        return;
      case SKC_STOPANIMATION:
        Invalidate();
        return;
      case SKC_PREPARECACHE:
        m.Result = PrepareCache() ? 0 : 1;
        return;
      case SKC_FADEFRAME:
        // A windowless button shows a fade frame on its parent's DC.
        if (const LPARAM p = TrustedSkinPointer(m); p && Parent() && Parent()->HandleAllocated()) {
          auto* frame = reinterpret_cast<TBitmap*>(p);
          HDC dc = GetDC(Parent()->Handle());
          TCanvas* fc = frame->Canvas();
          fc->Lock();
          BitBlt(dc, Left(), Top(), frame->Width(), frame->Height(), fc->Handle(), 0, 0, SRCCOPY);
          fc->Unlock();
          ReleaseDC(Parent()->Handle(), dc);
          m.Result = 1;
        }
        return;
      case SKC_SKINREMOVED:
        StopFade(FadeTimer, link);
        HideGlow(link->GlowID);
        break;
      default:
        break;
    }
    if (!HandleSkinCommand(m, link)) TGraphicControl::WndProc(m);
    if (SkinCommandCode(m) == SKC_REFRESH || SkinCommandCode(m) == SKC_SKINLOADED) Invalidate();
    return;
  }
  switch (m.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: {
      if (m.LParam && m.LParam != LPARAM(this)) break;
      const bool enter = m.Msg == CM_MOUSEENTER;
      HandleWindowMessage(m, link);
      TGraphicControl::WndProc(m);
      if (!link->Skinned()) {
        if (!enter && FDown && ButtonStyle == TToolButtonStyle::tbsButton) FDown = false;
        return;
      }
      if (Enabled()) StateChanged(enter ? aeMouseEnter : aeMouseLeave, false);
      if (!enter) HideGlow(link->GlowID);
      return;
    }
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
      ReleaseHints(this);
      if (m.Msg == CM_VISIBLECHANGED) {
        link->BGChanged = true;
        break;
      }
      [[fallthrough]];
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      link->BGChanged = true;
      TGraphicControl::WndProc(m);
      Invalidate();
      return;
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
      link->BGChanged = true;
      break;
    default:
      break;
  }
  if (HandleWindowMessage(m, link)) return;
  TGraphicControl::WndProc(m);
}
