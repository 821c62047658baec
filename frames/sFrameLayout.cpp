#include "frames/sFrameLayout.h"

#include "paint/sGraphUtils.h"

#include <algorithm>

namespace {

bool BigStyle(TacBorderStyle s) { return s == TacBorderStyle::bsSingle || s == TacBorderStyle::bsSizeable; }

}  // namespace

void TacFrameLayout::UpdateIndexes() {
  FSkinIndex = FTitleSkinIndex = FCaptionSkinIndex = -1;
  if (!Skin) return;
  FSkinIndex = Skin->GetSkinIndex(SkinSection);
  FTitleSkinIndex = Skin->GetSkinIndex(TitleSkin.empty() ? String("FORMTITLE") : TitleSkin);
  FCaptionSkinIndex = Skin->GetSkinIndex("CAPTION");
}

// ---- metrics

int TacFrameLayout::BorderWidth(bool) const { return Wnd.FrameWidth + Wnd.FormBorderWidth; }
int TacFrameLayout::BorderHeight(bool) const { return Wnd.FrameWidth + Wnd.FormBorderWidth; }

int TacFrameLayout::CaptionHeight(bool) const {
  if (!Wnd.Minimized && (!HasFrame() || !Wnd.WsCaption)) return 0;
  const bool small =
      Wnd.BorderStyle == TacBorderStyle::bsToolWindow || Wnd.BorderStyle == TacBorderStyle::bsSizeToolWin;
  return small && !Wnd.Minimized ? Wnd.CySmCaption : Wnd.CyCaption;
}

int TacFrameLayout::HeaderHeight() const {
  const int outside = Wnd.Height - Wnd.ClientRect.Height();
  int h = Wnd.WsCaption ? outside - BorderHeight() : outside - (Wnd.WsBorder ? BorderHeight() : 0);
  h = std::max(h, 0);
  if (Wnd.Minimized) h += FrameWidth();
  return h;
}

int TacFrameLayout::CaptionWidth() const { return Wnd.Minimized && !Wnd.IsMainForm ? 160 : Wnd.Width; }

int TacFrameLayout::OffsetX() const { return (Wnd.Width - Wnd.ClientRect.Width()) / 2; }

int TacFrameLayout::OffsetY() const {
  return Wnd.Height - Wnd.ClientRect.Height() - (Wnd.WsBorder ? BorderWidth() : 0);
}

bool TacFrameLayout::HasFrame() const { return Wnd.BorderStyle != TacBorderStyle::bsNone || Wnd.IsChild; }

bool TacFrameLayout::IconVisible() const {
  return Wnd.TitleIconVisible && BigStyle(Wnd.BorderStyle) && Wnd.ShowAppIcon && Wnd.HasSystemMenu;
}

int TacFrameLayout::IconWidth() const {
  if (!IconVisible()) return 0;
  return Wnd.TitleIconWidth > 0 ? Wnd.TitleIconWidth : SmallIconSize(CaptionHeight());
}

int TacFrameLayout::IconHeight() const {
  if (!IconVisible()) return 0;
  return Wnd.TitleIconHeight > 0 ? Wnd.TitleIconHeight : SmallIconSize(CaptionHeight());
}

TColor TacFrameLayout::FormColor() const {
  if (Skin && Skin->IsValidSkinIndex(FSkinIndex) && !Wnd.CustomColor) {
    const TsGeneralData& gd = Skin->gd[size_t(FSkinIndex)];
    return Wnd.Active && gd.States > 1 ? gd.HotColor : gd.Color;
  }
  return Wnd.Color;
}

int TacFrameLayout::PaintState() const {
  const int states = Skin && Skin->IsValidSkinIndex(FSkinIndex) ? Skin->gd[size_t(FSkinIndex)].States : 1;
  return ClampState(Wnd.Active ? 1 : 0, states);
}

TPoint TacFrameLayout::CacheSize() const {
  const int w = CaptionWidth();
  const int h = Wnd.Minimized && !Wnd.IsMainForm ? FrameWidth() + CaptionHeight() + 2 : Wnd.Height;
  if (w <= 0 || h <= 0) return Point(0, 0);
  return Point(w, h);
}

// ---- button and menu rules

bool TacFrameLayout::VisibleClose() const {
  return Wnd.BorderIcons.SystemMenu && Wnd.HasSystemMenu && Wnd.ScClosePresent;
}
bool TacFrameLayout::EnabledClose() const { return Wnd.HasSystemMenu && Wnd.ScClosePresent && !Wnd.ScCloseDisabled; }

bool TacFrameLayout::VisibleMax() const {
  if (!Wnd.BorderIcons.SystemMenu) return false;
  if (Wnd.Minimized && !(Wnd.IsMainForm && Wnd.MainFormOnTaskBar)) return true;
  return BigStyle(Wnd.BorderStyle) && Wnd.BorderIcons.Maximize;
}
bool TacFrameLayout::EnabledMax() const { return BigStyle(Wnd.BorderStyle) && Wnd.BorderIcons.Maximize; }

bool TacFrameLayout::VisibleMin() const {
  if (!Wnd.BorderIcons.SystemMenu) return false;
  return Wnd.Minimized || (BigStyle(Wnd.BorderStyle) && Wnd.BorderIcons.Minimize);
}
bool TacFrameLayout::EnabledMin() const { return Wnd.BorderIcons.Minimize && !(Wnd.Minimized && !Wnd.IsMainForm); }

bool TacFrameLayout::VisibleRestore() const { return Wnd.BorderIcons.SystemMenu && BigStyle(Wnd.BorderStyle); }
bool TacFrameLayout::EnabledRestore() const {
  return (Wnd.BorderIcons.Maximize && (Wnd.Maximized || Wnd.Minimized)) || Wnd.Minimized;
}

bool TacFrameLayout::VisibleSize() const {
  return Wnd.BorderStyle != TacBorderStyle::bsNone && Wnd.BorderStyle != TacBorderStyle::bsDialog &&
         Wnd.BorderStyle != TacBorderStyle::bsToolWindow;
}
bool TacFrameLayout::EnabledSize() const { return Wnd.BorderStyle != TacBorderStyle::bsSingle && !Wnd.Minimized; }
bool TacFrameLayout::EnabledMove() const { return !Wnd.Maximized; }

bool TacFrameLayout::CloseShown() const { return Wnd.HasSystemMenu && Wnd.BorderIcons.SystemMenu; }

bool TacFrameLayout::Sizeable() const { return Wnd.WsThickFrame; }

// ---- images and layout

int TacFrameLayout::ImageW(int index) const {
  return Skin && Skin->IsValidImgIndex(index) ? ImageWidth(Skin->ma[size_t(index)]) : 0;
}
int TacFrameLayout::ImageH(int index) const {
  return Skin && Skin->IsValidImgIndex(index) ? ImageHeight(Skin->ma[size_t(index)]) : 0;
}

void TacFrameLayout::InitButtonImages() {
  BigButtons = BigStyle(Wnd.BorderStyle) ? 1 : 0;
  ButtonMin.HitCode = acHTMINBUTTON;
  ButtonMax.HitCode = acHTMAXBUTTON;
  ButtonClose.HitCode = acHTCLOSE;
  ButtonHelp.HitCode = acHTHELP;
  for (size_t i = 0; i < UserButtons.size(); ++i) UserButtons[i].Data.HitCode = uint32_t(acHTUDBTN + int(i));
  ButtonMin.ImageIndex = ButtonMax.ImageIndex = ButtonClose.ImageIndex = ButtonHelp.ImageIndex = UserBtnIndex = -1;
  if (!Skin) return;
  const TConstantSkinData& c = Skin->ConstData;
  auto large = [&] {
    ButtonMin.ImageIndex = c.MaskMinBtn;
    ButtonMax.ImageIndex = c.MaskMaxBtn;
    ButtonClose.ImageIndex =
        !VisibleMax() && !VisibleMin() && Skin->IsValidImgIndex(c.MaskCloseAloneBtn) ? c.MaskCloseAloneBtn : c.MaskCloseBtn;
    ButtonHelp.ImageIndex = c.MaskHelpBtn;
  };
  if (BigButtons) {
    large();
    ButtonClose.HaveAlignment = ButtonMax.HaveAlignment = ButtonMin.HaveAlignment = true;
    ButtonHelp.HaveAlignment = false;
  } else {
    ButtonClose.ImageIndex = c.MaskCloseSmall;
    ButtonMin.ImageIndex = c.MaskMinSmall;
    ButtonMax.ImageIndex = c.MaskMaxSmall;
    ButtonHelp.ImageIndex = Skin->IsValidImgIndex(c.MaskHelpSmall) ? c.MaskHelpSmall : c.MaskHelpBtn;
    ButtonClose.HaveAlignment = ButtonMax.HaveAlignment = ButtonMin.HaveAlignment = ButtonHelp.HaveAlignment = false;
  }
  if (!Skin->IsValidImgIndex(ButtonClose.ImageIndex)) {
    large();
    ButtonClose.HaveAlignment = ButtonMax.HaveAlignment = ButtonMin.HaveAlignment = ButtonHelp.HaveAlignment = true;
  }
  if (Skin->IsValidSkinIndex(Skin->ConstData.IndexGLobalInfo))
    UserBtnIndex = Skin->GetMaskIndex(Skin->ConstData.IndexGLobalInfo, "GLOBALINFO", "TITLEBUTTON");
  if (!Skin->IsValidImgIndex(UserBtnIndex)) UserBtnIndex = -1;
}

int TacFrameLayout::ButtonImage(const TsCaptionButton& button) const {
  if (!Skin) return -1;
  const TConstantSkinData& c = Skin->ConstData;
  const bool small = button.ImageIndex >= 0 && (button.ImageIndex == c.MaskMaxSmall || button.ImageIndex == c.MaskMinSmall);
  const int norm = small && Skin->IsValidImgIndex(c.MaskNormSmall) ? c.MaskNormSmall : c.MaskNormBtn;
  if (&button == &ButtonMax && Wnd.Maximized && !Wnd.Minimized && Skin->IsValidImgIndex(norm)) return norm;
  if (&button == &ButtonMin && Wnd.Minimized && !Wnd.IsMainForm && Skin->IsValidImgIndex(norm)) return norm;
  if (&button == &ButtonMax && Wnd.Minimized) {
    const int max = small ? c.MaskMaxSmall : c.MaskMaxBtn;
    if (Skin->IsValidImgIndex(max)) return max;
  }
  for (const TacUserButton& u : UserButtons)
    if (&button == &u.Data) return u.UseSkinData ? UserBtnIndex : -1;
  return Skin->IsValidImgIndex(button.ImageIndex) ? button.ImageIndex : -1;
}

bool TacFrameLayout::ButtonEnabled(const TsCaptionButton& button) const {
  if (&button == &ButtonClose) return VisibleClose() && EnabledClose();
  if (&button == &ButtonMax) return EnabledMax() || (Wnd.Maximized && EnabledRestore());
  if (&button == &ButtonMin) return EnabledMin() || Wnd.Minimized;
  if (&button == &ButtonHelp) return true;
  for (const TacUserButton& u : UserButtons)
    if (&button == &u.Data) return u.Enabled;
  return false;
}

TsCaptionButton* TacFrameLayout::ButtonByHitCode(int code) {
  switch (code) {
    case acHTCLOSE: return &ButtonClose;
    case acHTMAXBUTTON: return &ButtonMax;
    case acHTMINBUTTON: return &ButtonMin;
    case acHTHELP: return &ButtonHelp;
    default: break;
  }
  if (code >= acHTUDBTN && code - acHTUDBTN < int(UserButtons.size())) return &UserButtons[size_t(code - acHTUDBTN)].Data;
  return nullptr;
}

void TacFrameLayout::LayoutButton(TsCaptionButton& b, bool shown, int& right, int width, int height,
                                  int topMargin) const {
  if (!shown) {
    b.Rect = Rect(right, 0, right, 0);
    return;
  }
  const int bivalign = Skin ? Skin->CommonSkinData.BIVAlign : 0;
  const int spacing = Skin ? Skin->CommonSkinData.BISpacing : 0;
  const int top = b.HaveAlignment && bivalign == 1 ? topMargin : VCenter - height / 2;
  b.Rect = Rect(right - width, top, right, top + height);
  right = b.Rect.Left - spacing * BigButtons;
}

void TacFrameLayout::CalcItems() {
  const int frame = FrameWidth();
  const TsSkinData* sd = Skin ? &Skin->CommonSkinData : nullptr;
  VCenter = CaptionHeight() / 2 + frame / 2 + (Wnd.Maximized ? 2 : 0);
  const int left = frame + (sd ? sd->BILeftMargin : 0);
  if (IconVisible()) {
    const int top = VCenter - IconHeight() / 2;
    FIconRect = Rect(left, top, left + IconWidth(), top + IconHeight());
  } else {
    FIconRect = Rect(left, VCenter, left, VCenter);
  }
  FHeaderHeight = frame + CaptionHeight();

  auto widthOf = [&](const TsCaptionButton& b) {
    const int w = ImageW(ButtonImage(b));
    return w > 0 ? w : DefaultButtonSize;
  };
  int height = ImageH(ButtonImage(ButtonClose));
  if (height <= 0) height = DefaultButtonSize;
  const int topMargin = Wnd.Maximized ? Wnd.CxFrame - 1 : 0;
  int right = CaptionWidth() - (sd ? sd->BIRightMargin : 0) - frame;
  LayoutButton(ButtonClose, CloseShown(), right, widthOf(ButtonClose), height, topMargin);
  LayoutButton(ButtonMax, VisibleMax(), right, widthOf(ButtonMax), height, topMargin);
  LayoutButton(ButtonMin, VisibleMin(), right, widthOf(ButtonMin), height, topMargin);
  if (HelpShown()) right -= 6;
  LayoutButton(ButtonHelp, HelpShown(), right, widthOf(ButtonHelp), height, topMargin);
  bool first = true;
  for (size_t i = 0; i < UserButtons.size(); ++i) {
    TacUserButton& u = UserButtons[i];
    u.Data.HitCode = uint32_t(acHTUDBTN + int(i));
    if (u.Visible && first) {
      right -= 6;
      first = false;
    }
    int w = ImageW(UserBtnIndex);
    if (w <= 0) w = DefaultButtonSize;
    LayoutButton(u.Data, u.Visible, right, std::max(u.GlyphWidth + 2, w), height, topMargin);
  }
  TitleBarRect = TRect();
  if (HasTitleBar) {
    int leftmost = CaptionWidth() - (sd ? sd->BIRightMargin : 0) - frame;
    auto take = [&](const TsCaptionButton& b) {
      if (!b.Rect.IsEmpty()) leftmost = std::min(leftmost, b.Rect.Left);
    };
    for (const TsCaptionButton* b : {&ButtonClose, &ButtonMax, &ButtonMin, &ButtonHelp}) take(*b);
    for (const TacUserButton& u : UserButtons) take(u.Data);
    const int barLeft = FIconRect.Right + (IconVisible() ? 6 : 0);
    if (leftmost - 6 > barLeft) TitleBarRect = Rect(barLeft, frame, leftmost - 6, frame + CaptionHeight());
  }
}

int TacFrameLayout::ButtonsAreaWidth() const {
  const int spacing = Skin ? Skin->CommonSkinData.BISpacing : 0;
  int w = Skin ? Skin->CommonSkinData.BIRightMargin : 0;
  if (CloseShown()) w += ButtonClose.Rect.Width();
  if (VisibleMax()) w += ButtonMax.Rect.Width() + BigButtons * spacing;
  if (VisibleMin()) w += ButtonMin.Rect.Width() + BigButtons * spacing;
  if (HelpShown()) w += ButtonHelp.Rect.Width() + BigButtons * spacing;
  bool any = false;
  for (const TacUserButton& u : UserButtons) {
    if (!u.Visible) continue;
    if (!any) w += 6;
    any = true;
    w += u.Data.Rect.Width() + BigButtons * spacing;
  }
  return w;
}

TRect TacFrameLayout::GripRect() const {
  if (Wnd.GripMode != TacGripMode::gmRightBottom || Wnd.Maximized || !Sizeable() || !Skin) return TRect();
  const int index = Skin->ConstData.GripRightBottom;
  const int w = ImageW(index), h = ImageH(index);
  if (w <= 0 || h <= 0) return TRect();
  const int frame = FrameWidth();
  return Rect(Wnd.Width - frame - w, Wnd.Height - frame - h, Wnd.Width - frame, Wnd.Height - frame);
}

int TacFrameLayout::CaptionHitTest(TPoint p) const {
  if (p.X < 0 || p.Y < 0 || p.X >= Wnd.Width || p.Y >= Wnd.Height) return acHTNOWHERE;
  // 1-2. Buttons, each by its own rule (a disabled one answers as the caption).
  if (CloseShown() && ButtonClose.Rect.Contains(p)) return EnabledClose() ? acHTCLOSE : acHTCAPTION;
  if (VisibleMax() && ButtonMax.Rect.Contains(p))
    return EnabledMax() || (EnabledRestore() && !Wnd.Minimized) ? acHTMAXBUTTON : acHTCAPTION;
  if (VisibleMin() && ButtonMin.Rect.Contains(p)) return Wnd.Minimized || EnabledMin() ? acHTMINBUTTON : acHTCAPTION;
  if (HelpShown() && ButtonHelp.Rect.Contains(p)) return acHTHELP;
  for (size_t i = 0; i < UserButtons.size(); ++i) {
    const TacUserButton& u = UserButtons[i];
    if (u.Visible && u.Data.Rect.Contains(p)) {
      // A disabled user button is no button; the provider passes the client code on.
      return u.Enabled ? acHTUDBTN + int(i) : acHTCLIENT;
    }
  }
  // 3. Sizing border.
  if (!Wnd.Maximized && Wnd.WsThickFrame) {
    const int b = BorderWidth(), c = BorderHeight();
    int v = acHTCLIENT;
    if (p.Y >= Wnd.Height - b) v = acHTBOTTOM;
    else if (p.Y < c) v = acHTTOP;
    if (p.X < b) return v == acHTTOP ? acHTTOPLEFT : v == acHTBOTTOM ? acHTBOTTOMLEFT : acHTLEFT;
    if (p.X >= Wnd.Width - b) return v == acHTTOP ? acHTTOPRIGHT : v == acHTBOTTOM ? acHTBOTTOMRIGHT : acHTRIGHT;
    if (v != acHTCLIENT) return v;
  }
  // 4. Caption band, then the menu rows below it.
  const int captionBottom = FrameWidth() + CaptionHeight();
  if (p.Y < captionBottom) return FIconRect.Contains(p) ? acHTSYSMENU : acHTCAPTION;
  if (p.Y < captionBottom + MenuHeight()) return acHTMENU;
  // 5. Size grip.
  const TRect grip = GripRect();
  if (!grip.IsEmpty() && p.X >= grip.Left && p.Y >= grip.Top) return acHTBOTTOMRIGHT;
  return acHTCLIENT;
}
