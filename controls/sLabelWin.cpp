#include "controls/sLabelWin.h"

#include "paint/sCommonData.h"
#include "paint/sGraphUtils.h"
#include "paint/sSkinPaintWin.h"
#include "skin/sMessages.h"
#include "skin/sSkinManager.h"

namespace {
TsSkinManager* ActiveManager() { return DefaultManager && DefaultManager->Active() ? DefaultManager : nullptr; }
}  // namespace

TsCustomLabel::TsCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 65, 17);
}

void TsCustomLabel::SetAutoSize(bool value) {
  if (value == FAutoSize) return;
  FAutoSize = value;
  AdjustBounds();
}

void TsCustomLabel::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Invalidate();
}

void TsCustomLabel::SetWordWrap(bool value) {
  if (value == FWordWrap) return;
  FWordWrap = value;
  AdjustBounds();
  Invalidate();
}

void TsCustomLabel::SetShowAccelChar(bool value) {
  if (value == FShowAccelChar) return;
  FShowAccelChar = value;
  AdjustBounds();
  Invalidate();
}

void TsCustomLabel::SetSkinSection(const String& value) {
  if (value == FSkinSection) return;
  FSkinSection = value;
  Invalidate();
}

UINT TsCustomLabel::TextFlags() const {
  UINT flags = FWordWrap ? DT_WORDBREAK : DT_SINGLELINE;
  flags |= FAlignment == taRightJustify ? DT_RIGHT : FAlignment == taCenter ? DT_CENTER : DT_LEFT;
  if (!FShowAccelChar) flags |= DT_NOPREFIX;
  return flags | DT_EXPANDTABS;
}

TColor TsCustomLabel::ParentBGColor() const {
  TWinControl* parent = Parent();
  if (!parent) return clBtnFace;
  const TColor answer = parent->HandleAllocated() ? TColor(SendSkinCommand(parent, SKC_GETCOLOR)) : 0;
  return answer != 0 ? answer : ColorToRGB(parent->Color());
}

TColor TsCustomLabel::CurrentFontColor() {
  TsSkinManager* sm = ActiveManager();
  if (!sm) return Font()->Color();
  const TColor c = FSkinIndex >= 0 ? Font()->Color() : sm->GetGlobalFontColor();
  return Enabled() ? c : MixColors(ColorToRGB(c), ColorToRGB(ParentBGColor()), int(LabelDisabledMix * 100));
}

void TsLabel::SetUseSkinColor(bool value) {
  if (value == FUseSkinColor) return;
  FUseSkinColor = value;
  Invalidate();
}

TColor TsLabel::CurrentFontColor() {
  TsSkinManager* sm = ActiveManager();
  if (!FUseSkinColor || !sm) return Font()->Color();
  TColor c;
  if (FSkinIndex >= 0) {
    c = Font()->Color();
  } else {
    const int index = FindFontSection(this, -1, sm, 0);
    c = sm->IsValidSkinIndex(index) ? sm->gd[size_t(index)].Props[0].FontColor.Color : sm->GetGlobalFontColor();
  }
  return Enabled() ? c : MixColors(ColorToRGB(c), ColorToRGB(ParentBGColor()), int(LabelDisabledMix * 100));
}

void TsCustomLabel::DoDrawText(TRect& r, UINT flags) {
  TCanvas* canvas = Canvas();
  const bool measuring = (flags & DT_CALCRECT) != 0;
  const String text = LabelDrawText(Caption(), measuring, FShowAccelChar);
  canvas->SetFont(Font());
  if (!ActiveManager()) {
    canvas->Font()->SetColor(Enabled() ? Font()->Color() : TColor(clGrayText));
  } else {
    if (!FShowAccelChar) flags |= DT_NOPREFIX;
    canvas->Font()->SetColor(CurrentFontColor());
  }
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  canvas->DrawText(text, r, flags);
}

void TsCustomLabel::AdjustBounds() {
  if (!FAutoSize || IsLoading() || !Parent()) return;
  HDC screen = GetDC(nullptr);
  TCanvas canvas;
  canvas.SetHandle(screen);
  canvas.SetFont(Font());
  TRect r = Rect(0, 0, FWordWrap ? Width() : 0, 0);
  const String text = LabelDrawText(Caption(), true, FShowAccelChar);
  canvas.DrawText(text, r, TextFlags() | DT_CALCRECT);
  canvas.SetHandle(nullptr);
  ReleaseDC(nullptr, screen);
  int left = Left();
  if (FAlignment == taRightJustify) left += Width() - r.Width();
  SetBounds(left, Top(), r.Width(), r.Height());
}

void TsCustomLabel::SetParent(TWinControl* value) {
  TGraphicControl::SetParent(value);
  AdjustBounds();
}

void TsCustomLabel::Paint() {
  FSkinIndex = -1;
  if (IsDestroying() || FPainting) return;
  FPainting = true;
  TsSkinManager* sm = ActiveManager();
  if (sm && !FSkinSection.empty()) {
    const int index = sm->GetSkinIndex(FSkinSection);
    if (sm->IsValidSkinIndex(index)) {
      FSkinIndex = index;
      Font()->SetColor(sm->gd[size_t(index)].Props[0].FontColor.Color);
    }
  }
  if (FSkinIndex > 0 && Parent()) {
    TBGRequest req;
    RequestControlBG(req, Parent(), false);
    TCacheInfo ci;
    BGRequestToCacheInfo(req, ci);
    PaintSectionToDC(FSkinIndex, FSkinSection, ci, sm, Canvas()->Handle(), Point(Left(), Top()),
                     Rect(0, 0, Width(), Height()), 0, true);
  }
  TRect r = ClientRect();
  DoDrawText(r, TextFlags());
  FSkinIndex = -1;
  FPainting = false;
}

void TsCustomLabel::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
      if (!IsLoading() && !IsDestroying() && !FPainting) {
        TGraphicControl::WndProc(m);
        AdjustBounds();
        Invalidate();
        return;
      }
      break;
    case SM_SKINCMD:
      if (SkinCommandCode(m) == SKC_SKINREMOVED || SkinCommandCode(m) == SKC_REFRESH) Invalidate();
      break;
    default:
      break;
  }
  TGraphicControl::WndProc(m);
}
