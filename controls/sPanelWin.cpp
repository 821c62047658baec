#include "controls/sPanelWin.h"

#include "controls/acFade.h"
#include "framework/Forms.h"
#include "paint/sGraphUtils.h"
#include "paint/sSkinPaintWin.h"
#include "skin/sMessages.h"

namespace {
void TellChildren(TWinControl* w, int code, LPARAM lParam = 0) {
  for (int i = 0; i < w->ControlCount(); ++i) SendSkinCommand(w->Controls(i), code, 0, lParam);
}
}  // namespace

TsPanel::TsPanel(TComponent* owner) : TCustomControl(owner) {
  ControlStyle.Include(csAcceptsControls);
  FCommonData = std::make_unique<TsCommonData>(this, true);
  FCommonData->COC = 51;
  SetBounds(Left(), Top(), 185, 41);
}

TsPanel::~TsPanel() {
  DestroyHandle();
  FCommonData.reset();
}

void TsPanel::CreateWnd() {
  TCustomControl::CreateWnd();
  FCommonData->Loaded();
}

void TsPanel::Loaded() {
  TCustomControl::Loaded();
  FCommonData->Loaded();
  FOldBevel = FBevelOuter;
}

void TsPanel::SetBevelOuter(TacBevelCut value) {
  if (value == FBevelOuter) return;
  FBevelOuter = value;
  const String section = PanelSectionAfterBevelChange(FCommonData->SkinSection(), FOldBevel, value);
  FOldBevel = value;
  if (section != FCommonData->SkinSection()) FCommonData->SetSkinSection(section);
  FCommonData->Invalidate(false);
}

void TsPanel::SetBevelInner(TacBevelCut value) {
  if (value == FBevelInner) return;
  FBevelInner = value;
  FCommonData->Invalidate(false);
}

bool TsPanel::UsesCache() const {
  return (FCommonData->NeedsCache() && !FCommonData->CustomColor()) || acFormAnimating ||
         FCommonData->MaxBorderWidth() > 0;
}

bool TsPanel::PrepareCache() {
  TsCommonData* link = FCommonData.get();
  if (!Parent() || !link->Skinned()) return false;
  link->EnsureCacheBitmap();
  if (Width() <= 0 || Height() <= 0) return false;
  const TRect r = Rect(0, 0, Width(), Height());
  if (!PaintSectionFromParent(link, Parent(), 0, r, Point(Left(), Top()), link->FCacheBmp.get(), true)) {
    link->FUpdating = true;
    return false;
  }
  const int inset = PanelClientInset(BevelWidth, FBevelInner, FBevelOuter, BorderWidth);
  const TRect client = Rect(inset, inset, Width() - inset, Height() - inset);
  TCanvas* canvas = link->FCacheBmp->Canvas();
  WriteText(client, canvas, nullptr);
  PaintPicture(canvas);
  link->BGChanged = false;
  return true;
}

void TsPanel::WriteText(const TRect& r, TCanvas* canvas, HDC dc) {
  const String caption = Caption();
  if (!ShowCaption || caption.empty() || (!canvas && !dc)) return;
  TsCommonData* link = FCommonData.get();
  UINT flags = Alignment == taRightJustify ? DT_RIGHT : Alignment == taCenter ? DT_CENTER : DT_LEFT;
  TRect tr = r;
  TCanvas temp;
  if (!canvas) {
    temp.SetHandle(dc);
    canvas = &temp;
  }
  canvas->SetFont(Font());
  if (VerticalAlignment == TacVerticalAlignment::taVerticalCenter) {
    TRect m = r;
    canvas->DrawText(caption, m, flags | DT_WORDBREAK | DT_CALCRECT);
    tr.Top = r.Top + PanelCaptionTop(r.Height(), m.Height(), BorderWidth) - BorderWidth;
    tr.Top = std::max(tr.Top, r.Top);
    flags |= DT_WORDBREAK;
  } else {
    flags |= DT_SINGLELINE | (VerticalAlignment == TacVerticalAlignment::taAlignBottom ? DT_BOTTOM : DT_TOP);
  }
  TBitmap* bmp = link->FCacheBmp.get();
  if (bmp && canvas == bmp->Canvas()) {
    WriteText32(bmp, caption, true, link->SkinManager(), false, link->SkinIndex, flags, tr, Font());
  } else {
    canvas->Brush()->SetStyle(TBrushStyle::bsClear);
    const TsGeneralData* gd = link->Section();
    canvas->Font()->SetColor(gd ? gd->Props[0].FontColor.Color : Font()->Color());
    canvas->DrawText(caption, tr, flags);
  }
  if (canvas == &temp) temp.SetHandle(nullptr);
}

void TsPanel::PaintFast(HDC dc) {
  TsCommonData* link = FCommonData.get();
  link->FUpdating = false;
  const TsGeneralData* gd = link->Section();
  if (!gd) return;
  TColor color;
  if (link->CustomColor()) {
    color = ColorToRGB(Color());
  } else {
    TBGRequest req;
    RequestControlBG(req, Parent(), false);
    if (req.Kind == bgNotReady) {
      link->FUpdating = true;
      return;
    }
    const TColor parent = ColorToRGB(req.Color);
    const TacPanelFill fill = PanelFill(gd->Props[0].Transparency);
    color = fill.Kind == TacPanelFill::pfSection ? gd->Props[0].Color
            : fill.Kind == TacPanelFill::pfParent ? parent
                                                  : MixColors(parent, gd->Props[0].Color, int(fill.ParentWeight * 100));
  }
  FillDC(dc, Rect(0, 0, Width(), Height()), color);
  const int inset = PanelClientInset(BevelWidth, FBevelInner, FBevelOuter, BorderWidth);
  WriteText(Rect(inset, inset, Width() - inset, Height() - inset), nullptr, dc);
  TCanvas c;
  c.SetHandle(dc);
  PaintPicture(&c);
  c.SetHandle(nullptr);
  link->BGChanged = false;
}

void TsPanel::OurPaint(HDC dc, bool sendUpdated) {
  TsCommonData* link = FCommonData.get();
  if (!dc || !Showing() || !link->Skinned()) return;
  if (UsesCache()) {
    RECT clip{};
    if (GetClipBox(dc, &clip) == NULLREGION || link->CheckUpdating(false)) return;
    const bool half = link->RepaintIfMoved() && (clip.right - clip.left < Width() || clip.bottom - clip.top < Height());
    if ((half || link->BGChanged || link->CacheView().Width != Width() || link->CacheView().Height != Height()) &&
        !link->UrgentPainting && !PrepareCache())
      return;
    const TRect all = Rect(0, 0, Width(), Height());
    CopyCacheToDC(this, link, all, all, dc, false);
    PaintGraphicChildren(dc, this, false, 0, Point(0, 0));
  } else {
    PaintFast(dc);
    PaintGraphicChildren(dc, this, false, 0, Point(0, 0));
  }
  if (sendUpdated) TellChildren(this, SKC_PARENTREADY);
}

void TsPanel::PaintWindow(HDC dc) {
  if (!FCommonData->Skinned()) {
    TCustomControl::PaintWindow(dc);
    TCanvas c;
    c.SetHandle(dc);
    PaintPicture(&c);
    c.SetHandle(nullptr);
    return;
  }
  OurPaint(dc, true);
}

void TsPanel::PaintPicture(TCanvas* canvas) {
  if (OnPaint) OnPaint(this, canvas);
}

void TsPanel::WndProc(TMessage& m) {
  TsCommonData* link = FCommonData.get();
  if (!link) {
    TCustomControl::WndProc(m);
    return;
  }
  if (m.Msg == SM_SKINCMD) {
    const int code = SkinCommandCode(m);
    const bool ours = m.LParam == LPARAM(link->SkinManager());
    switch (code) {
      case SKC_SKINLOADED:
        ControlStyle.Exclude(csOpaque);
        if (ours) HandleSkinCommand(m, link);
        TellChildren(this, code, m.LParam);
        return;
      case SKC_SKINREMOVED:
        ControlStyle.Exclude(csOpaque);
        if (ours) {
          HandleSkinCommand(m, link);
          Invalidate();
        }
        TellChildren(this, code, m.LParam);
        return;
      case SKC_REFRESH:
        if (ours) {
          HandleSkinCommand(m, link);
          if (HandleAllocated() && !IsLoading() && IsWindowVisible(Handle()))
            RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
        }
        TellChildren(this, code, m.LParam);
        return;
      case SKC_PARENTREADY:
        if (link->FUpdating && !link->CheckUpdating(true) && HandleAllocated())
          RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
        TellChildren(this, code);
        return;
      case SKC_ISSKINNED:
        m.Result = 1;
        return;
      case SKC_GETAPPLICATION:
        m.Result = IsTrustedSkinCommand(m) ? LRESULT(Application) : 0;
        return;
      case SKC_ISUPDATING:
        if (link->CheckUpdating(false))
          m.Result = 1;
        else if (!UsesCache() || link->CustomColor())
          m.Result = 0;
        else {
          link->EnsureCacheBitmap();
          m.Result = link->BGChanged ? 1 : 0;
        }
        return;
      case SKC_PREPARECACHE:
        if (!link->FUpdating && !PrepareCache()) link->FUpdating = true;
        m.Result = link->FUpdating ? 1 : 0;
        return;
      case SKC_GETBACKGROUND: {
        const LPARAM p = TrustedSkinPointer(m);
        if (!p) {
          m.Result = 0;
          return;
        }
        auto& req = *reinterpret_cast<TBGRequest*>(p);
        if (UsesCache() && (link->BGChanged || link->CacheView().Width != Width() ||
                            link->CacheView().Height != Height()))
          if (!link->FUpdating && !PrepareCache()) {
            req.Kind = bgNotReady;
            m.Result = 0;
            return;
          }
        HandleSkinCommand(m, link);
        // A border between window and client moves the asker's origin in our cache.
        if (req.Kind == bgBitmap && !req.DrawNow && ClientWidth() != Width()) {
          const int b = (Width() - ClientWidth()) / 2;
          req.Offset.X += b;
          req.Offset.Y += b;
        }
        return;
      }
      default:
        break;
    }
    if (!HandleSkinCommand(m, link)) TCustomControl::WndProc(m);
    return;
  }
  if (!link->Skinned() || !HandleAllocated()) {
    if (m.Msg == WM_ERASEBKGND && OnPaint) {
      m.Result = 1;
      return;
    }
    TCustomControl::WndProc(m);
    return;
  }
  switch (m.Msg) {
    case WM_ERASEBKGND:
      m.Result = 1;
      return;
    case WM_SIZE:
      link->BGChanged = true;
      break;
    case WM_PRINT:
      link->FUpdating = false;
      link->EnsureCacheBitmap();
      PrepareCache();
      OurPaint(reinterpret_cast<HDC>(m.WParam), false);
      m.Result = 0;
      return;
    case CM_VISIBLECHANGED:
      link->BGChanged = true;
      link->FUpdating = false;
      break;
    case CM_COLORCHANGED:
      if (link->CustomColor()) link->BGChanged = true;
      break;
    case CM_TEXTCHANGED:
      if (Parent()) link->Invalidate(false);
      m.Result = 0;
      return;
    default:
      break;
  }
  if (HandleWindowMessage(m, link)) return;
  TCustomControl::WndProc(m);
  switch (m.Msg) {
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
      if (link->BGChanged) Invalidate();
      break;
    case WM_SETFONT:
      if (!Caption().empty()) link->Invalidate(false);
      break;
    case CM_ENABLEDCHANGED:
      link->Invalidate(false);
      break;
    default:
      break;
  }
}

TsDragBar::TsDragBar(TComponent* owner) : TsPanel(owner) {
  FCommonData->COC = 56;
  SetCaption(" ");
  SetBounds(Left(), Top(), Width(), 20);
  SetColor(clActiveCaption);
  SetCursor(crHandPoint);
  Alignment = taCenter;
}

void TsDragBar::WndProc(TMessage& m) {
  if (m.Msg == WM_LBUTTONDOWN && DraggedControl && DraggedControl->HandleAllocated()) {
    ReleaseCapture();
    SendMessageW(DraggedControl->Handle(), WM_SYSCOMMAND, 0xF012, 0);
    if (OnClick) OnClick(this);
    if (OnMouseUp) OnMouseUp(this, mbLeft, TShiftState(), 0, 0);
    m.Result = 0;
    return;
  }
  if (m.Msg == SM_SKINCMD && SkinCommandCode(m) == SKC_SKINREMOVED) SetColor(clActiveCaption);
  TsPanel::WndProc(m);
}

// ---- TsColorsPanel

TsColorsPanel::TsColorsPanel(TComponent* owner) : TsPanel(owner) {
  SetCaption(" ");
  SetBounds(Left(), Top(), 140, 60);
  FGrid.OnChange = [this] {
    if (OnChange) OnChange(this);
  };
  FGrid.OnInvalidate = [this] {
    FCommonData->BGChanged = true;
    if (HandleAllocated()) Repaint();
  };
  FGrid.GenerateColors();
}

void TsColorsPanel::Loaded() {
  TsPanel::Loaded();
  FGrid.GenerateColors();
}

void TsColorsPanel::PaintColors(HDC dc) {
  for (const TsColInfo& cell : FGrid.ColorsArray()) FillDC(dc, cell.R, cell.Color);
}

void TsColorsPanel::PaintPicture(TCanvas* canvas) {
  if (OnPaint)
    OnPaint(this, canvas);
  else
    PaintColors(canvas->Handle());
}

void TsColorsPanel::PaintSelection(HDC dc) {
  TColorGridFrame frame;
  if (OnPaint || !FGrid.SelectionFrame(frame)) return;
  auto outline = [dc](const TRect& r, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    RECT rr{r.Left, r.Top, r.Right, r.Bottom};
    FrameRect(dc, &rr, brush);
    DeleteObject(brush);
  };
  outline(frame.White, RGB(255, 255, 255));
  outline(frame.Black, RGB(0, 0, 0));
  if (Focused()) {
    RECT rr{frame.Focus.Left, frame.Focus.Top, frame.Focus.Right, frame.Focus.Bottom};
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &rr);
  }
}

void TsColorsPanel::PaintWindow(HDC dc) {
  TsPanel::PaintWindow(dc);
  PaintSelection(dc);
}

void TsColorsPanel::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TsPanel::MouseDown(button, shift, x, y);
  if (CanFocus()) SetFocus();
  FGrid.MouseDown(x, y);
}

void TsColorsPanel::WndProc(TMessage& m) {
  TsPanel::WndProc(m);
  // The focus rectangle follows the focus.
  if ((m.Msg == WM_SETFOCUS || m.Msg == WM_KILLFOCUS) && FGrid.ItemIndex() >= 0 && HandleAllocated()) Invalidate();
}
