#include "controls/sEditWin.h"

#include "controls/acFade.h"
#include "controls/acGlow.h"
#include "framework/Forms.h"
#include "paint/sGraphUtils.h"
#include "paint/sSkinPaintWin.h"
#include "skin/sMessages.h"

#include <utility>

// ---- bound label

TsEditLabel::~TsEditLabel() {
  if (BoundLabel) BoundLabel->LabelGone();
}

TsBoundLabel::TsBoundLabel(TWinControl* edit) : FEdit(edit), FFont(std::make_unique<TFont>()) {}

TsBoundLabel::~TsBoundLabel() {
  if (TsEditLabel* label = std::exchange(FTheLabel, nullptr)) {
    label->BoundLabel = nullptr;
    delete label;
  }
}

void TsBoundLabel::ApplyAlignment() {
  if (FTheLabel) FTheLabel->SetAlignment(TAlignment(BoundLabelAlignment(FLayout)));
}

void TsBoundLabel::SetActive(bool value) {
  if (value == Active()) return;
  if (!value) {
    TsEditLabel* label = std::exchange(FTheLabel, nullptr);
    label->BoundLabel = nullptr;
    delete label;
    return;
  }
  auto* label = new TsEditLabel(FEdit);
  label->BoundLabel = this;
  FTheLabel = label;
  label->Hide();
  label->SetFont(FFont.get());
  ApplyAlignment();
  label->SetName(FEdit->Name() + "Label");
  if (FText.empty()) FText = FEdit->Name();
  label->SetParent(FEdit->Parent());
  label->SetCaption(FText);
  label->SetEnabled(FEdit->Enabled());
  label->SetAutoSize(true);
  label->SetVisible(FEdit->Visible());
  AlignLabel();
}

void TsBoundLabel::SetCaption(const String& value) {
  if (value == FText) return;
  FText = value;
  if (FTheLabel) {
    FTheLabel->SetCaption(value);
    AlignLabel();
  }
}

void TsBoundLabel::SetLayout(TsCaptionLayout value) {
  if (value == FLayout) return;
  FLayout = value;
  ApplyAlignment();
  AlignLabel();
}

void TsBoundLabel::SetIndent(int value) {
  if (value == FIndent) return;
  FIndent = value;
  AlignLabel();
}

void TsBoundLabel::SetMaxWidth(int value) {
  if (value == FMaxWidth) return;
  FMaxWidth = value;
  AlignLabel();
}

void TsBoundLabel::SetFont(const TFont* value) {
  if (!FTheLabel) {
    FFont->Assign(value);
    return;
  }
  FTheLabel->SetFont(value);
  FTheLabel->SetParent(FEdit->Parent());
  AlignLabel();
}

void TsBoundLabel::SetUseSkinColor(bool value) {
  if (FTheLabel) FTheLabel->SetUseSkinColor(value);
}

void TsBoundLabel::AlignLabel() {
  if (!FTheLabel || !FTheLabel->Visible()) return;
  FTheLabel->AdjustBounds();
  const TSize size{FTheLabel->Width(), FTheLabel->Height()};
  const TPoint pos = BoundLabelPos(FLayout, FEdit->BoundsRect(), size, FIndent);
  if (FTheLabel->Parent() != FEdit->Parent()) FTheLabel->SetParent(FEdit->Parent());
  FTheLabel->SetBounds(pos.X, pos.Y, size.cx, size.cy);
  if (const auto wrap = BoundLabelWordWrap(FMaxWidth, FTheLabel->Width())) FTheLabel->SetWordWrap(*wrap);
}

void TsBoundLabel::HandleOwnerMsg(const TMessage& m, TControl* owner) {
  if (!FTheLabel || !owner) return;
  switch (m.Msg) {
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
      AlignLabel();
      break;
    case CM_VISIBLECHANGED:
      FTheLabel->SetVisible(owner->Visible());
      AlignLabel();
      break;
    case CM_ENABLEDCHANGED:
      FTheLabel->SetEnabled(owner->Enabled());
      AlignLabel();
      break;
    default:
      break;
  }
}

// ---- TsEdit

TsEdit::TsEdit(TComponent* owner) : TEdit(owner), FDisabledKind(dkBlended) {
  FCommonData = std::make_unique<TsCommonData>(this, true);
  FCommonData->COC = 3;
  FBoundLabel = std::make_unique<TsBoundLabel>(this);
}

TsEdit::~TsEdit() {
  FBoundLabel.reset();
  if (FCommonData) HideGlow(FCommonData->GlowID);
  // The window goes while the link is still there to answer its last messages.
  DestroyHandle();
  FCommonData.reset();
}

void TsEdit::Loaded() {
  TEdit::Loaded();
  FCommonData->Loaded();
}

void TsEdit::CreateWnd() {
  TEdit::CreateWnd();
  FCommonData->Loaded();
}

void TsEdit::SetDisabledKind(unsigned value) {
  if (value == FDisabledKind) return;
  FDisabledKind = value;
  FCommonData->Invalidate(false);
}

void TsEdit::SetTextHint(const String& value) {
  if (value == FTextHint) return;
  FTextHint = value;
  FCommonData->Invalidate(false);
}

TacEditFrame TsEdit::Frame() const {
  TacEditFrame f;
  f.SingleBorder = BorderStyle() == TBorderStyle::bsSingle;
  f.Ctl3D = Ctl3D();
  return f;
}

int TsEdit::BorderWidth() const { return EditBorderWidth(Frame()); }

bool TsEdit::PrepareCache() {
  TsCommonData* link = FCommonData.get();
  if (!Parent()) return false;
  link->EnsureCacheBitmap();
  if (Width() <= 0 || Height() <= 0) return false;
  const TRect r = Rect(0, 0, Width(), Height());
  const TPoint pos = Point(Left(), Top());
  const int state = link->IsHot();
  TBGRequest req;
  if (BorderStyle() == TBorderStyle::bsSingle) {
    if (!PaintSectionFromParent(link, Parent(), state, r, pos, link->FCacheBmp.get(), false)) return false;
  } else {
    RequestControlBG(req, Parent(), false);
    if (req.Kind == bgNotReady) return false;
    TCacheInfo ci;
    BGRequestToCacheInfo(req, ci);
    PaintLinkBG(link, ci, state, r, pos, link->CacheView());
  }
  PaintText();
  if (!Enabled()) {
    RequestControlBG(req, Parent(), false);
    TCacheInfo ci;
    BGRequestToCacheInfo(req, ci);
    PaintDisabledLook(link->CacheView(), FDisabledKind, ColorToRGB(Parent()->Color()), pos, ci);
  }
  link->BGChanged = false;
  return true;
}

void TsEdit::PaintText() {
  TsCommonData* link = FCommonData.get();
  TBitmap* bmp = link->FCacheBmp.get();
  if (!bmp || bmp->Empty()) return;
  const TRect tr = EditTextRect(Frame(), Width(), Height());
  UINT flags = DT_SINGLELINE | DT_NOPREFIX | DT_TOP;
  const TAlignment align = PaintedAlignment();
  flags |= align == taRightJustify ? DT_RIGHT : align == taCenter ? DT_CENTER : DT_LEFT;
  const String text = PaintedText();
  if (!text.empty()) {
    const String shown = PasswordChar() ? PasswordDisplayText(text, char32_t(PasswordChar())) : text;
    WriteText32(bmp, shown, Enabled(), link->SkinManager(), link->IsHot() != 0, link->SkinIndex, flags, tr, Font());
  } else if (!FTextHint.empty()) {
    TCanvas* canvas = bmp->Canvas();
    canvas->SetFont(Font());
    const TColor hint = link->Skinned() ? MixColors(ColorToRGB(Font()->Color()), ColorToRGB(Color()), 65)
                                        : TColor(clGrayText);
    canvas->Font()->SetColor(hint);
    canvas->Brush()->SetStyle(TBrushStyle::bsClear);
    TRect r = tr;
    canvas->DrawText(FTextHint, r, flags);
    canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
    // GDI leaves alpha 0 under the text; the cache is opaque.
    const TPixelView v = link->CacheView();
    for (int y = 0; y < v.Height; ++y)
      for (int x = 0; x < v.Width; ++x) v.At(x, y) |= 0xFF000000u;
  }
}

bool TsEdit::Stale() const {
  TsCommonData* link = FCommonData.get();
  if (link->BGChanged || !link->HalfVisible) return true;
  if (Parent() && Parent()->HandleAllocated() && SendSkinCommand(Parent(), SKC_ISHALFVISIBLE) != 0) return true;
  return false;
}

void TsEdit::ExcludeChildren(HDC dc) {
  const int shift = (BorderStyle() == TBorderStyle::bsSingle ? (Ctl3D() ? 1 : 0) + 2 : 0) - 1;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* child = Controls(i);
    if (!child->Visible()) continue;
    const TRect r = OffsetRect(child->BoundsRect(), shift, shift);
    ExcludeClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
  }
}

void TsEdit::PaintClient(HDC dc) {
  TsCommonData* link = FCommonData.get();
  PAINTSTRUCT ps{};
  const bool begin = !acFormAnimating && !dc;
  if (begin) BeginPaint(Handle(), &ps);
  HDC target = dc;
  int saved = 0;
  if (!target) {
    target = GetWindowDC(Handle());
    saved = SaveDC(target);
  }
  if (!link->CheckUpdating(false)) {
    bool ok = true;
    if (Stale() && !link->UrgentPainting) ok = PrepareCache();
    if (!ok) {
      link->FUpdating = true;
    } else if (!link->CacheView().Empty()) {
      const TRect all = Rect(0, 0, Width(), Height());
      const int saved2 = SaveDC(target);
      ExcludeChildren(target);
      CopyCacheToDC(this, link, all, all, target, true);
      RestoreDC(target, saved2);
    }
  }
  if (!dc) {
    RestoreDC(target, saved);
    ReleaseDC(Handle(), target);
  }
  if (begin) EndPaint(Handle(), &ps);
}

// A client paint on its way copies the whole cache, edge included (except
// while the system edit paints a hot one): painting the edge before it as
// well would take a second window DC and copy for nothing.
bool TsEdit::ClientPaintDrawsEdge() {
  if (acFormAnimating || (Enabled() && FCommonData->IsHot())) return false;
  return GetUpdateRect(Handle(), nullptr, FALSE) != 0;
}

void TsEdit::PaintBorder() {
  TsCommonData* link = FCommonData.get();
  if (link->CheckUpdating(false)) return;
  if (Stale() && !PrepareCache()) {
    link->FUpdating = true;
    return;
  }
  const int b = BorderWidth();
  if (b <= 0 || link->CacheView().Empty()) return;
  HDC dc = GetWindowDC(Handle());
  const int w = Width(), h = Height();
  const int saved = SaveDC(dc);
  ExcludeClipRect(dc, b, b, w - b, h - b);
  const TRect all = Rect(0, 0, w, h);
  CopyCacheToDC(this, link, all, all, dc, true);
  RestoreDC(dc, saved);
  ReleaseDC(Handle(), dc);
}

void TsEdit::PrintTo(HDC dc, LPARAM flags) {
  TsCommonData* link = FCommonData.get();
  link->FUpdating = false;
  if (!PrepareCache() || !dc) return;
  const int b = BorderWidth();
  const int saved = SaveDC(dc);
  if (flags & PRF_CLIENT) {
    POINT org{};
    GetViewportOrgEx(dc, &org);
    SetViewportOrgEx(dc, org.x - b, org.y - b, nullptr);
    IntersectClipRect(dc, b, b, Width() - b, Height() - b);
  } else {
    ExcludeClipRect(dc, b, b, Width() - b, Height() - b);
  }
  const TRect all = Rect(0, 0, Width(), Height());
  CopyCacheToDC(this, link, all, all, dc, true);
  RestoreDC(dc, saved);
}

void TsEdit::WndProc(TMessage& m) {
  SkinnedWndProc(m);
  if (FBoundLabel) FBoundLabel->HandleOwnerMsg(m, this);
}

void TsEdit::SkinnedWndProc(TMessage& m) {
  TsCommonData* link = FCommonData.get();
  if (!link) {
    TEdit::WndProc(m);
    return;
  }
  if (m.Msg == SM_SKINCMD) {
    const int code = SkinCommandCode(m);
    switch (code) {
      case SKC_SKINLOADED:
      case SKC_SKINREMOVED:
      case SKC_REFRESH:
        if (m.LParam == LPARAM(link->SkinManager())) {
          HandleSkinCommand(m, link);
          LinkGlowMessage(m, link);
          if (code == SKC_REFRESH && !acFormAnimating && HandleAllocated() && IsWindowVisible(Handle()))
            RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_ERASE | RDW_INVALIDATE);
          return;
        }
        break;
      case SKC_ISSKINNED:
        m.Result = 1;
        return;
      case SKC_ISPOSITIONDEPENDENT:
        m.Result = 0;
        return;
      case SKC_GETCOLOR:
        if (!link->Skinned()) {
          m.Result = LRESULT(ColorToRGB(Color()));
          return;
        }
        break;
      case SKC_GETAPPLICATION:
        m.Result = IsTrustedSkinCommand(m) ? LRESULT(Application) : 0;
        return;
      default:
        break;
    }
    if (!HandleSkinCommand(m, link)) TEdit::WndProc(m);
    if (code == SKC_PARENTREADY && link->FUpdating && !link->CheckUpdating(true) && HandleAllocated()) {
      Invalidate();
      SendMessageW(Handle(), WM_NCPAINT, 0, 0);
    }
    return;
  }

  const bool ready = HandleAllocated() && Parent() && !IsLoading() && !IsDestroying() && link->Skinned();
  if (!ready) {
    TEdit::WndProc(m);
    LinkGlowMessage(m, link);
    return;
  }
  switch (m.Msg) {
    case WM_PAINT:
      link->CheckUpdating(false);
      if (acFormAnimating || link->FUpdating) {
        PAINTSTRUCT ps{};
        BeginPaint(Handle(), &ps);
        EndPaint(Handle(), &ps);
        m.Result = 0;
        return;
      }
      if (Enabled() && link->IsHot()) {
        TEdit::WndProc(m);
        return;
      }
      PaintClient(reinterpret_cast<HDC>(m.WParam));
      m.Result = 0;
      return;
    case WM_ERASEBKGND:
      if (acFormAnimating || link->FUpdating || !Enabled() || !link->IsHot()) {
        m.Result = 1;
        return;
      }
      break;
    case WM_NCPAINT:
      // A window not on screen has nothing to show; its next paint rebuilds.
      if (IsWindowVisible(Handle()) && !ClientPaintDrawsEdge()) PaintBorder();
      m.Result = 0;
      return;
    case WM_PRINT:
      PrintTo(reinterpret_cast<HDC>(m.WParam), m.LParam);
      if (link->IsHot() && (m.LParam & PRF_CLIENT) && m.WParam) {
        // The system edit draws the focused client area itself.
        const int b = BorderWidth();
        HDC dc = reinterpret_cast<HDC>(m.WParam);
        POINT org{};
        GetViewportOrgEx(dc, &org);
        SetViewportOrgEx(dc, org.x + b, org.y + b, nullptr);
        TMessage pc{WM_PRINTCLIENT, m.WParam, PRF_CLIENT, 0};
        TEdit::WndProc(pc);
        SetViewportOrgEx(dc, org.x, org.y, nullptr);
      }
      m.Result = 0;
      return;
    case CM_COLORCHANGED:
      if (link->CustomColor()) link->BGChanged = true;
      break;
    default:
      break;
  }
  if (HandleWindowMessage(m, link)) return;
  TEdit::WndProc(m);
  switch (m.Msg) {
    case WM_SETTEXT:
    case WM_SETFONT:
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
      if (!IsLoading() && !acFormAnimating && HandleAllocated()) {
        link->BGChanged = true;
        if (IsWindowVisible(Handle())) {
          RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
          SendMessageW(Handle(), WM_NCPAINT, 0, 0);
        }
      }
      break;
    case WM_SIZE:
      if (HandleAllocated() && IsWindowVisible(Handle())) SendMessageW(Handle(), WM_NCPAINT, 0, 0);
      break;
    default:
      break;
  }
  LinkGlowMessage(m, link);
}
