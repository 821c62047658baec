#include "paint/sCommonData.h"

#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <cstring>
#include "framework/WinUtils.h"
#include "paint/sGraphUtils.h"
#include "paint/sMaskDraw.h"
#include "paint/sSkinPaintWin.h"
#include "skin/acSkinColors.h"

#include <algorithm>
#include <utility>

TPixelView PixelView(TBitmap& bmp) {
  if (bmp.Empty() || bmp.PixelFormat() != TPixelFormat::pf32bit) return TPixelView();
  // Top-down rows, one after the other.
  return TPixelView(bmp.ScanLine(0), bmp.Width(), bmp.Height(), bmp.Width());
}

std::unique_ptr<TBitmap> CreateCacheBitmap(int w, int h) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(TPixelFormat::pf32bit);
  try {
    bmp->SetSize(std::max(0, w), std::max(0, h));
  } catch (const Exception&) {
    // Past the bitmap limit or out of memory: an empty bitmap, on which painting paints nothing.
  }
  return bmp;
}

namespace {

bool InRange(int v, int lo, int hi) { return v >= lo && v <= hi; }

bool BeingDestroyed(const TControl* c) { return c->IsDestroying() || c->ControlState.Contains(csDestroyingHandle); }
bool Designing(const TComponent* c) { return (c->ComponentState() & csDesigning) != 0; }
bool Windowed(const TControl* c) { return dynamic_cast<const TWinControl*>(c) != nullptr; }

// The colour a parent gives its children: its answer to 21 when it is skinned, else its Color.
TColor ParentColorOf(TWinControl* parent) {
  if (!parent) return clFuchsia;
  if (SendSkinCommand(parent, SKC_ISSKINNED) == 1) return TColor(SendSkinCommand(parent, SKC_GETCOLOR));
  return ColorToRGB(parent->Color());
}

TColor Shifted(TColor c, int hue, int saturation) {
  if (hue) c = ChangeHue(c, hue);
  if (saturation) c = ChangeSaturation(c, saturation);
  return c;
}

// Sends a command to every child: windowed ones with a window by message, the others directly.
void SendToChildren(TWinControl* parent, int code, int arg = 0, LPARAM lParam = 0) {
  if (!parent) return;
  TMessage m = MakeSkinCommand(code, arg, lParam);
  BroadcastToControls(parent, m);
}

}  // namespace

bool IsEditKind(int coc) {
  return InRange(coc, 2, 18) || coc == 41 || InRange(coc, 76, 84) || coc == 96 || InRange(coc, 131, 140) ||
         coc == 231;
}
bool IsContainerKind(int coc) { return coc == 19 || InRange(coc, 51, 74) || coc == 110 || InRange(coc, 141, 161); }
bool IsPanelKind(int coc) {
  switch (coc) {
    case 51: case 52: case 54: case 56: case 57: case 58: case 59: case 60: case 68: case 73: case 74: case 110:
    case 141: case 143: case 151: case 161: case 226:
      return true;
    default:
      return false;
  }
}

String DefaultSectionOf(int coc, const String& className) {
  if (InRange(coc, 2, 8) || coc == 10 || coc == 41 || coc == 76 || coc == 78 || InRange(coc, 83, 85) || coc == 96 ||
      coc == 131 || coc == 140 || coc == 230)
    return "EDIT";
  if (InRange(coc, 11, 18) || coc == 81 || coc == 82) return "COMBOBOX";
  switch (coc) {
    case 19: return "BAR";
    case 20: return "BARTITLE";
    case 32: case 33: case 50: case 152: return "CHECKBOX";
    case 51: case 59: case 68: case 73: return "PANEL";
    case 52: case 58: return "PANEL_LOW";
    case 53: case 54: case 60: return "TOOLBAR";
    case 56: return "DRAGBAR";
    case 57: return "TABSHEET";
    case 74: case 226: return "GROUPBOX";
    case 75: return "SPLITTER";
    case 92: case 95: return "SPEEDBUTTON";
    case 93: case 94: return "BUTTON";
    case 98: return "TOOLBUTTON";
    case 141: case 143: return "PAGECONTROL";
    case 151: return "STATUSBAR";
    case 161: return "GAUGE";
    case 165: return "TRACKBAR";
    default: return className;
  }
}

// ---- TsCommonData

void (*acHideGlowHook)(int glowID) = nullptr;

namespace {
void DropGlow(int& glowID) {
  const int id = std::exchange(glowID, -1);
  if (id >= 0 && acHideGlowHook) acHideGlowHook(id);
}
}  // namespace

TsCommonData::TsCommonData(TObject* owner, bool createCacheBmp)
    : FOwnerControl(dynamic_cast<TControl*>(owner)), FOwnerObject(owner) {
  InstallWin32PaintPlatform();
  InvalidRectH.Right = 0;
  InvalidRectV.Bottom = 0;
  if (createCacheBmp) FCacheBmp = CreateCacheBitmap();
}

TsCommonData::~TsCommonData() {
  SkinIndex = BorderIndex = Texture = HotTexture = -1;
  FOwnerControl = nullptr;
  FOwnerObject = nullptr;
  FSkinManager = nullptr;
  DropGlow(GlowID);
}

bool TsCommonData::OwnerGone() const {
  return FOwnerControl ? BeingDestroyed(FOwnerControl) : (FOwnerObject == nullptr);
}

bool TsCommonData::OwnerReadyForPainting() const {
  TControl* c = FOwnerControl;
  if (!c || !c->Parent() || OwnerGone() || c->IsLoading()) return false;
  if (c->ControlState.Contains(csCreating) || c->ControlState.Contains(csReadingState)) return false;
  auto* w = OwnerWin();
  return !w || w->HandleAllocated();
}

void TsCommonData::SendToOwner(int code, LPARAM lParam) {
  if (FOwnerControl) SendSkinCommand(FOwnerControl, code, 0, lParam);
}

TsSkinManager* TsCommonData::SkinManager() const { return FSkinManager ? FSkinManager : DefaultManager; }

const TsGeneralData* TsCommonData::Section() const {
  TsSkinManager* sm = SkinManager();
  return sm && sm->IsValidSkinIndex(SkinIndex) ? &sm->gd[size_t(SkinIndex)] : nullptr;
}

int TsCommonData::PropsOf(int state) const {
  const TsGeneralData* gd = Section();
  return gd ? PropsIndex(state, gd->States) : 0;
}

void TsCommonData::SetSkinManager(TsSkinManager* value) {
  if (value == DefaultManager) value = nullptr;
  FSkinManager = value;
  if (FOwnerControl && FOwnerControl->IsLoading()) return;
  TsSkinManager* sm = SkinManager();
  if (sm && !sm->gd.empty())
    UpdateIndexes();
  else
    SkinIndex = -1;
  if (FOwnerControl && FOwnerControl->Parent() && !OwnerGone())
    SendToOwner(sm && !sm->gd.empty() && SkinIndex >= 0 ? SKC_REFRESH : SKC_SKINREMOVED, LPARAM(sm));
}

void TsCommonData::SetSkinSection(const String& value) {
  if (value == FSkinSection) return;
  FSkinSection = value.empty() ? String("UNKNOWN") : UpperCase(value);
  TsSkinManager* sm = SkinManager();
  if (sm && !sm->gd.empty())
    UpdateIndexes();
  else
    SkinIndex = -1;
  if (FOwnerControl) {
    TControl* c = FOwnerControl;
    if (!c->IsLoading() && !c->ControlState.Contains(csReadingState) && !OwnerGone() && c->Parent() && !FUpdating)
      SendToOwner(SkinIndex >= 0 ? SKC_REFRESH : SKC_SKINREMOVED, LPARAM(sm));
    DropGlow(GlowID);
  } else {
    BGChanged = true;
  }
}

void TsCommonData::SetCustomColor(bool value) {
  if (value == FCustomColor) return;
  FCustomColor = value;
  if (!FOwnerControl || !FOwnerControl->IsLoading()) SyncControlColors(true);
}

void TsCommonData::SetCustomFont(bool value) {
  if (value == FCustomFont) return;
  FCustomFont = value;
  if (!FOwnerControl || !FOwnerControl->IsLoading()) SyncControlColors(true);
}

void TsCommonData::SetHUEOffset(int value) {
  if (value == FHUEOffset) return;
  FHUEOffset = value;
  Loaded();
  Invalidate(false);
}

void TsCommonData::SetSaturation(int value) {
  if (value == FSaturation) return;
  FSaturation = value;
  Loaded();
  Invalidate(false);
}

void TsCommonData::Loaded() {
  AssignDefaultSection();
  TControl* c = FOwnerControl;
  if (Skinned() && c && c->Parent() && !c->IsLoading()) {
    if (Windowed(c))
      if (TCustomForm* form = GetParentForm(c)) SendSkinCommand(form, SKC_CONTROLADDED, 0, LPARAM(c));
    SyncControlColors(false);
  }
}

void TsCommonData::AssignDefaultSection() {
  if (!FSkinSection.empty()) {
    UpdateIndexes();
    return;
  }
  String className = FOwnerObject && FOwnerControl ? String(FOwnerControl->ClassName()) : String("UNKNOWN");
  SetSkinSection(DefaultSectionOf(COC, className));
}

void TsCommonData::UpdateIndexes() {
  BGChanged = true;
  TsSkinManager* sm = SkinManager();
  SkinIndex = sm && sm->Active() ? sm->GetSkinIndex(FSkinSection) : -1;
  UpdateBGType();
  CtrlSkinState = cssUncomputed;
  if (SkinIndex >= 0) {
    BorderIndex = sm->gd[size_t(SkinIndex)].BorderIndex;
    Texture = sm->GetTextureIndex(SkinIndex, FSkinSection, "PATTERN");
    HotTexture = sm->GetTextureIndex(SkinIndex, FSkinSection, "HOTPATTERN");
    UpdateCtrlSkinState(false);
  } else {
    Texture = HotTexture = -1;
  }
}

bool TsCommonData::Skinned(bool checkSkinActive) const {
  try {
    TsSkinManager* sm = SkinManager();
    if (FSkinSection.empty() || !sm || sm->IsDestroying() || !sm->IsValidSkinIndex(SkinIndex) || OwnerGone())
      return false;
    return checkSkinActive ? sm->CommonSkinData.Active : true;
  } catch (...) {
    return false;
  }
}

void TsCommonData::Invalidate(bool updateNow) {
  TControl* c = FOwnerControl;
  if (!c) {
    BGChanged = true;
    return;
  }
  if (c->IsLoading() || OwnerGone()) return;
  BGChanged = true;
  if (!OwnerReadyForPainting()) return;
  if (auto* w = OwnerWin()) {
    // A hidden window repaints whole when it shows.
    if (IsWindowVisible(w->Handle()))
      RedrawWindow(w->Handle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | (updateNow ? RDW_UPDATENOW : 0));
  } else
    c->Repaint();
}

void TsCommonData::BeginUpdate() {
  ++FUpdateCount;
  FUpdating = true;
  CtrlSkinState |= cssLocked;
  SendToOwner(SKC_BEGINUPDATE);
}

void TsCommonData::EndUpdate(bool repaint) {
  --FUpdateCount;
  FUpdating = false;
  CtrlSkinState &= uint16_t(~cssLocked);
  if (FUpdateCount <= 0) {
    SendToOwner(SKC_ENDUPDATE);
    if (repaint) Invalidate(false);
  }
}

bool TsCommonData::RepaintIfMoved() {
  if (UrgentPainting || !Skinned()) return true;
  if (FOwnerControl && !FOwnerControl->Enabled()) return true;
  const TsGeneralData* gd = Section();
  if (gd->Transparency <= 0) return false;
  TWinControl* parent = FOwnerControl ? FOwnerControl->Parent() : nullptr;
  return parent && parent->HandleAllocated() && SendSkinCommand(parent, SKC_ISPOSITIONDEPENDENT) != 0;
}

void TsCommonData::EnsureCacheBitmap() {
  if (!FCacheBmp) FCacheBmp = CreateCacheBitmap();
  if (FCacheBmp->PixelFormat() != TPixelFormat::pf32bit) FCacheBmp->SetPixelFormat(TPixelFormat::pf32bit);
  const int w = FOwnerControl ? std::max(0, FOwnerControl->Width()) : FCacheBmp->Width();
  const int h = FOwnerControl ? std::max(0, FOwnerControl->Height()) : FCacheBmp->Height();
  if (FCacheBmp->Width() == w && FCacheBmp->Height() == h) return;
  try {
    FCacheBmp->SetSize(w, h);
  } catch (const Exception&) {
    FCacheBmp->SetSize(0, 0);  // too large: no cache, nothing painted, no error box
  }
}

int TsCommonData::IsHot() const {
  TControl* c = FOwnerControl;
  if (!c || OwnerGone() || !c->Enabled() || Designing(c)) return 0;
  if (FFocused) return 1;
  if (auto* w = OwnerWin(); w && w->HandleAllocated() && GetFocus() == w->Handle())
    if (!IsPanelKind(COC)) return 1;
  return FMouseAbove && !IsContainerKind(COC) ? 1 : 0;
}

bool TsCommonData::NeedsCache() const {
  if (!(CtrlSkinState & cssFast)) return true;
  return !IsPanelKind(COC) && IsHot() != 0;
}

bool TsCommonData::CheckUpdating(bool reset) {
  if (reset) FUpdating = false;
  TsSkinManager* sm = SkinManager();
  if (!sm || Designing(sm)) return false;
  bool wait = false;
  if (!NeedsCache() && FUpdating)
    wait = true;
  else if (FOwnerControl && !OwnerGone())
    wait = FUpdating || (FOwnerControl->Parent() && SendSkinCommand(FOwnerControl->Parent(), SKC_ISUPDATING) != 0);
  if (wait) FUpdating = true;
  return wait;
}

void TsCommonData::SetOwnerColors(int props) {
  const TsGeneralData* gd = Section();
  TControl* c = FOwnerControl;
  if (!gd || !c) return;
  if (!FCustomColor) c->SetColor(Shifted(props < 0 ? gd->Color : gd->Props[size_t(props)].Color, FHUEOffset, FSaturation));
  if (!FCustomFont && COC != 10)
    c->Font()->SetColor(Shifted(gd->Props[size_t(std::max(props, 0))].FontColor.Color, FHUEOffset, FSaturation));
}

void TsCommonData::SyncControlColors(bool repaint) {
  auto* w = OwnerWin();
  if (!Skinned() || !IsEditKind(COC) || !w || !w->HandleAllocated()) return;
  SetOwnerColors(-1);
  if (repaint) Invalidate(false);
}

void TsCommonData::UpdateBGType() {
  BGType = 0;
  const TsGeneralData* gd = Section();
  if (!gd) return;
  if (gd->ImagePercent != 0) BGType |= 4;
  if (gd->GradientPercent != 0 && !gd->GradientArray.empty()) {
    switch (gd->GradientArray[0].Mode1) {
      case 0: BGType |= 2; break;
      case 1: BGType |= 1; break;
      case 2: BGType |= 3; break;
      default: break;
    }
  }
}

int TsCommonData::ComputeFastState() {
  TsSkinManager* sm = SkinManager();
  const TsGeneralData* gd = Section();
  if (!gd) return 1;
  if (sm->IsValidImgIndex(BorderIndex) && (sm->ma[size_t(BorderIndex)].DrawMode & dmDrawCentre)) return 0;
  if (gd->Transparency == 100) {
    if (sm->IsValidImgIndex(gd->TextureNormal) && DrawModeTable(sm->ma[size_t(gd->TextureNormal)].DrawMode) == 10)
      return 0;
    TWinControl* parent = FOwnerControl ? FOwnerControl->Parent() : nullptr;
    if (!parent) return 0;
    if (!parent->HandleAllocated()) return 2;
    // The parent's state word: cssUncomputed alone is "cannot tell yet" (2), else bit 0 is its fast flag.
    if (SendSkinCommand(parent, SKC_ISSKINNED) == 1) return int(SendSkinCommand(parent, SKC_SKINSTATE) & 0xFFFF);
    return 1;
  }
  if (gd->Transparency != 0 || gd->ImagePercent != 0 || gd->GradientPercent != 0) return 0;
  return gd->ImgTL < 0 && gd->ImgTR < 0 && gd->ImgBL < 0 && gd->ImgBR < 0 ? 1 : 0;
}

void TsCommonData::UpdateCtrlSkinState(bool broadcast) {
  CtrlSkinState &= uint16_t(~cssFast);
  TControl* c = FOwnerControl;
  if (c && IsContainerKind(COC)) {
    const int r = ComputeFastState();
    if (r == 2) return;
    if (r & 1) CtrlSkinState |= cssFast;
    CtrlSkinState &= uint16_t(~cssUncomputed);
  }
  if (broadcast) SendToChildren(OwnerWin(), SKC_SKINSTATE, 0, 1);
}

TColor TsCommonData::GetControlColor(int state, HWND handle) const {
  const TsGeneralData* gd = Skinned() ? Section() : nullptr;
  if (gd && !FCustomColor) {
    const int s = state > 0 && gd->States > 1 ? 1 : 0;
    const int t = ClampPercent(gd->Props[size_t(s)].Transparency);
    const TColor c = gd->Props[size_t(s)].Color;
    if (t == 0) return c;
    TColor parent;
    if (FOwnerControl)
      parent = FOwnerControl->Parent() ? ParentColorOf(FOwnerControl->Parent()) : clFuchsia;
    else if (handle && GetParent(handle))
      parent = TColor(SendSkinCommand(GetParent(handle), SKC_GETCOLOR));
    else if (!handle)
      parent = 0xFF00000F;
    else
      parent = clFuchsia;
    if (t == 100) return ColorToRGB(parent);
    return MixColors(ColorToRGB(parent), c, t);
  }
  return FOwnerControl ? FOwnerControl->Color() : TColor(0xFF00000F);
}

int TsCommonData::MaxBorderWidth() const {
  TsSkinManager* sm = SkinManager();
  if (!sm || !sm->IsValidImgIndex(BorderIndex)) return 0;
  const TsMaskData& md = sm->ma[size_t(BorderIndex)];
  if (md.DrawMode & dmHotOnly) return 0;
  return std::max({md.WL, md.WT, md.WR, md.WB});
}

void TsCommonData::GetParentCacheInfo(TCacheInfo& ci) {
  ci = TCacheInfo();
  TControl* c = FOwnerControl;
  if (Skinned() && c) {
    TBGRequest req;
    if (c->Parent())
      RequestControlBG(req, c->Parent(), false);
    else if (auto* w = OwnerWin(); w && w->HandleAllocated() && GetParent(w->Handle()))
      RequestWindowBG(req, GetParent(w->Handle()), false);
    else {
      ci.FillColor = GetControlColor(0);
      return;
    }
    BGRequestToCacheInfo(req, ci);
    if (req.Kind == bgNotReady) {
      ci.FillColor = clFuchsia;
      ci.Ready = false;
    }
    return;
  }
  ci.FillColor = GetControlColor(0);
}

void TsCommonData::FillBGRequest(TBGRequest& req, int state, HWND handle) {
  req.Bmp = nullptr;
  TControl* c = FOwnerControl;
  if (!Skinned() || FCustomColor) {
    req.Kind = bgColor;
    req.Color = c ? ColorToRGB(c->Color()) : TColor(0xFF00000F);
    return;
  }
  TsSkinManager* sm = SkinManager();
  const TsGeneralData& gd = *Section();
  const int s = PropsIndex(state, gd.States);
  const int t = ClampPercent(gd.Props[size_t(s)].Transparency);
  const int g = gd.Props[size_t(s)].GradientPercent, i = gd.Props[size_t(s)].ImagePercent;
  const bool corners = gd.ImgTL >= 0 || gd.ImgTR >= 0 || gd.ImgBL >= 0 || gd.ImgBR >= 0;
  const bool haveCache = FCacheBmp && !FCacheBmp->Empty();
  auto answerBitmap = [&] {
    req.Kind = bgBitmap;
    if (req.DrawNow) {
      if (req.TargetDC) {
        FCacheBmp->Canvas()->Lock();
        BitBlt(req.TargetDC, req.R.Left, req.R.Top, req.R.Width(), req.R.Height(), FCacheBmp->Canvas()->Handle(),
               req.Offset.X, req.Offset.Y, SRCCOPY);
        FCacheBmp->Canvas()->Unlock();
      }
    } else {
      // Offset stays: the asker's origin is the same point in our cache.
      req.Bmp = FCacheBmp.get();
    }
  };
  if (t == 0 && g <= 0 && i <= 0 && !corners) {
    req.Kind = bgColor;
    req.Color = GetControlColor(state);
    if (sm->IsValidImgIndex(BorderIndex) && !(sm->ma[size_t(BorderIndex)].DrawMode & dmHotOnly)) {
      // The border band comes from the cache; Offset stays the asker's origin in it.
      const TsMaskData& md = sm->ma[size_t(BorderIndex)];
      req.Borders = Rect(md.WL, md.WT, md.WR, md.WB);
      req.Bmp = FCacheBmp.get();
    }
    if (req.DrawNow && req.TargetDC) FillDC(req.TargetDC, req.R, req.Color);
    return;
  }
  if (t == 0) {
    req.Color = sm->GetGlobalColor();
    if (!haveCache || (c && (FCacheBmp->Width() != c->Width() || FCacheBmp->Height() != c->Height()))) {
      req.Kind = bgNotReady;
      return;
    }
    answerBitmap();
    return;
  }
  if (t == 100) {
    if ((CtrlSkinState & cssFast) || !FCacheBmp) {
      if (c && c->Parent()) {
        req.Offset.X += c->Left();
        req.Offset.Y += c->Top();
        RequestControlBG(req, c->Parent(), req.DrawNow);
      } else if (!handle) {
        req.Kind = bgColor;
        req.Color = DefaultManager ? DefaultManager->GetGlobalColor() : TColor(0xFF00000F);
      } else if (HWND parent = GetParent(handle)) {
        RECT wr{};
        GetWindowRect(handle, &wr);
        POINT p{wr.left, wr.top};
        ScreenToClient(parent, &p);
        const TPoint before = req.Offset;
        req.Offset.X += p.x;
        req.Offset.Y += p.y;
        if (!RequestWindowBG(req, parent, req.DrawNow) || req.Kind != bgBitmap) req.Offset = before;
      }
      return;
    }
    if (BGChanged && c) SendToOwner(SKC_PREPARECACHE);
    if (!FCacheBmp || FCacheBmp->Empty()) {
      req.Kind = bgNotReady;
      return;
    }
    answerBitmap();
    return;
  }
  if (!FCacheBmp) {
    req.Kind = bgColor;
    req.Color = clFuchsia;
    return;
  }
  if (FCacheBmp->Empty()) {
    FUpdating = true;
    req.Kind = bgNotReady;
    return;
  }
  answerBitmap();
}

TsCommonData* SkinLinkOf(TControl* control) {
  return control ? reinterpret_cast<TsCommonData*>(SendSkinCommand(control, SKC_GETSKINLINK)) : nullptr;
}

// ---- the shared window procedure

bool HandleWindowMessage(TMessage& m, TsCommonData* link) {
  if (!link) return false;
  TControl* c = link->FOwnerControl;
  auto* w = dynamic_cast<TWinControl*>(c);
  switch (m.Msg) {
    case SM_SKINCMD:
      return HandleSkinCommand(m, link);
    case WM_MOVE:
      if (link->RepaintIfMoved()) {
        link->BGChanged = true;
        if (c) SendSkinCommand(c, SKC_MOVED, 1);
      }
      return false;
    case WM_SIZE:
      if (link->Skinned()) {
        link->BGChanged = true;
        const TsGeneralData* gd = link->Section();
        if (w && gd && gd->GradientPercent > 0) SendToChildren(w, SKC_MOVED, 1);
      }
      return false;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      if (!w || !w->CanFocus() || !w->Showing()) return false;
      const bool focus = m.Msg == WM_SETFOCUS;
      link->BGChanged = true;
      link->FFocused = focus;
      const TsGeneralData* gd = link->Section();
      if (link->Skinned() && IsEditKind(link->COC) && gd && gd->States >= 2) {
        if (focus) {
          if (!link->FCustomColor) c->SetColor(gd->Props[1].Color);
          w->Invalidate();
        } else if (w->Enabled()) {
          if (!link->FCustomColor && !link->IsHot()) c->SetColor(gd->Props[0].Color);
          w->Invalidate();
        }
      }
      return false;
    }
    case WM_FONTCHANGE:
    case CM_ENABLEDCHANGED:
      link->FMouseAbove = link->FFocused = false;
      return false;
    case WM_UPDATEUISTATE:
      if (link->Skinned()) {
        m.Result = 1;
        return true;
      }
      return false;
    case WM_PARENTNOTIFY:
      if (w && LOWORD(m.WParam) == WM_CREATE && !(w->ComponentState() & (csDesigning | csLoading)))
        if (TCustomForm* form = GetParentForm(w)) SendSkinCommand(form, SKC_CONTROLADDED, 0, LPARAM(w));
      return false;
    case CM_VISIBLECHANGED:
      if (link->FCacheBmp) {
        if (m.WParam)
          link->FUpdating = false;
        else {
          link->FCacheBmp->SetSize(0, 0);
          SendToChildren(w, SKC_CLEARCACHE);
          link->BGChanged = true;
        }
      }
      return false;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: {
      if (!c || !link->Skinned() || Designing(c)) return false;
      // Only the owner's own enter and leave (children report theirs too).
      if (m.LParam && m.LParam != LPARAM(c)) return false;
      const bool enter = m.Msg == CM_MOUSEENTER;
      if (!IsContainerKind(link->COC)) link->FMouseAbove = enter;
      TsSkinManager* sm = link->SkinManager();
      if (enter && sm && w && w->HandleAllocated()) sm->SetActiveControl(w->Handle());
      const TsGeneralData* gd = link->Section();
      if (IsEditKind(link->COC) && link->COC != 10 && gd && gd->States >= 2) {
        const TColor before = c->Color();
        if (enter || !link->IsHot()) {
          if (!link->FCustomColor) c->SetColor(gd->Props[enter ? 1 : 0].Color);
          if (!link->FCustomFont) c->Font()->SetColor(gd->Props[enter ? 1 : 0].FontColor.Color);
        }
        if (enter || c->Visible()) link->BGChanged = true;
        if (w && w->HandleAllocated()) {
          if (c->Color() != before || link->BGChanged) w->Invalidate();
          RedrawWindow(w->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
        }
      }
      return false;
    }
    case CM_SHOWINGCHANGED:
      if (c && c->Visible()) link->Loaded();
      return false;
    default:
      return false;
  }
}

// ---- skin commands

bool HandleSkinCommand(TMessage& m, TsCommonData* link) {
  if (!link || m.Msg != SM_SKINCMD) return false;
  TControl* c = link->FOwnerControl;
  auto* w = dynamic_cast<TWinControl*>(c);
  TsSkinManager* sm = link->SkinManager();
  const int code = SkinCommandCode(m);
  // The manager a command names is compared by value only, never used.
  const bool ourManager = sm && m.LParam == LPARAM(sm);
  switch (code) {
    case SKC_SKINLOADED:
      if (ourManager) {
        link->UpdateIndexes();
        link->UpdateCtrlSkinState(false);
      }
      return false;
    case SKC_SKINREMOVED:
      if (!ourManager) return false;
      link->SkinIndex = link->BorderIndex = link->Texture = link->HotTexture = -1;
      if (sm && sm->IsDestroying()) link->FSkinManager = nullptr;
      link->FUpdating = true;
      if (link->FCacheBmp) link->FCacheBmp->SetSize(0, 0);
      if (dynamic_cast<TCustomEdit*>(c)) {
        if (!link->FCustomColor) c->SetColor(clWindow);
        if (!link->FCustomFont) c->Font()->SetColor(clWindowText);
        if (w->HandleAllocated())
          RedrawWindow(w->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
      } else if (w) {
        for (int i = 0; i < w->ControlCount(); ++i)
          if (std::strstr(w->Controls(i)->ClassName(), "Label")) w->Controls(i)->Font()->SetColor(clWindowText);
      }
      return false;
    case SKC_REFRESH:
      if (ourManager) {
        link->BGChanged = true;
        link->FUpdating = false;
        link->SyncControlColors(true);
        link->UpdateCtrlSkinState(false);
      }
      return false;
    case SKC_PARENTREADY:
      if (w && link->FUpdating && !link->CheckUpdating(true) && w->HandleAllocated())
        RedrawWindow(w->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
      if (w && !Designing(w)) SendToChildren(w, SKC_PARENTREADY);
      return false;
    case SKC_ISSKINNED:
      m.Result = link->Skinned() ? 1 : 0;
      return true;
    case SKC_SETUPDATING:
      link->FUpdating = m.WParamLo() == 1;
      return false;
    case SKC_SETURGENT:
      link->UrgentPainting = m.WParamLo() == 1;
      return false;
    case SKC_ISUPDATING:
      m.Result = link->BGChanged || link->FUpdating ? 1 : 0;
      return true;
    case SKC_ISHALFVISIBLE:
      m.Result = link->HalfVisible ? 1 : 0;
      return true;
    case SKC_SECTIONCHANGED:
      if (!link->SkinSection().empty() && UpperCase(link->SkinSection()) == acChangedSection) link->Invalidate(false);
      return false;
    case SKC_SETSECTION:
      if (const LPARAM p = TrustedSkinPointer(m)) link->SetSkinSection(reinterpret_cast<const TacSectionInfo*>(p)->Name);
      return false;
    case SKC_BGCHANGED:
      link->BGChanged = true;
      return false;
    case SKC_ISPOSITIONDEPENDENT: {
      const TsGeneralData* gd = link->Section();
      if (!gd || link->SkinIndex < 0) return false;
      TWinControl* parent = c ? c->Parent() : nullptr;
      if (gd->Transparency > 0 && parent)
        m.Result = SendSkinCommand(parent, SKC_ISPOSITIONDEPENDENT);
      else if (gd->GradientPercent + gd->ImagePercent > 0 || link->RepaintIfMoved())
        m.Result = 1;
      else
        m.Result = sm->IsValidImgIndex(link->BorderIndex) && (sm->ma[size_t(link->BorderIndex)].DrawMode & dmDrawCentre)
                       ? 1 : 0;
      return true;
    }
    case SKC_MOVED: {
      const bool moved = link->RepaintIfMoved();
      link->BGChanged = link->BGChanged || moved;
      if (w && w->HandleAllocated()) {
        if (m.WParamLo() == 1) RedrawWindow(w->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_NOERASE | RDW_NOINTERNALPAINT);
        if (moved) SendToChildren(w, SKC_MOVED, 0);
      }
      return false;
    }
    case SKC_GETCOLOR: {
      if (!c) return false;
      const TsGeneralData* gd = link->Skinned() ? link->Section() : nullptr;
      if (!gd) {
        m.Result = LRESULT(ColorToRGB(c->Color()));
        return true;
      }
      const int t = ClampPercent(gd->Transparency);
      TWinControl* parent = c->Parent();
      TColor color;
      if (t == 0)
        color = gd->Color;
      else if (!parent)
        color = ColorToRGB(c->Color());
      else if (t == 100)
        color = ParentColorOf(parent);
      else
        color = MixColors(ParentColorOf(parent), gd->Color, t);
      m.Result = LRESULT(color);
      return true;
    }
    case SKC_SETHALFVISIBLE:
      link->HalfVisible = true;
      return false;
    case SKC_PREPARECACHE:
      link->BGChanged = false;
      return false;
    case SKC_GETSKININDEX:
      if (const LPARAM p = TrustedSkinPointer(m)) *reinterpret_cast<int32_t*>(p) = link->SkinIndex;
      return true;
    case SKC_CLEARCACHE:
      if (link->FCacheBmp) link->FCacheBmp->SetSize(0, 0);
      SendToChildren(w, SKC_CLEARCACHE);
      link->BGChanged = true;
      return false;
    case SKC_GETBACKGROUND:
      if (const LPARAM p = TrustedSkinPointer(m))
        link->FillBGRequest(*reinterpret_cast<TBGRequest*>(p), link->FFocused || link->FMouseAbove ? 1 : 0,
                            w && w->HandleAllocated() ? w->Handle() : nullptr);
      return true;
    case SKC_SKINSTATE:
      if (m.LParam == 1)
        link->UpdateCtrlSkinState(true);
      else if (link->CtrlSkinState == cssUncomputed)
        link->UpdateCtrlSkinState(false);
      m.Result = link->CtrlSkinState;
      return true;
    case SKC_GETSKINLINK:
      m.Result = IsTrustedSkinCommand(m) ? LRESULT(link) : 0;
      return true;
    case SKC_SETPRINTDC:
      if (IsTrustedSkinCommand(m)) {
        link->PrintDC = reinterpret_cast<HDC>(m.LParam);
        if (link->PrintDC)
          link->CtrlSkinState |= cssPrinting;
        else
          link->CtrlSkinState &= uint16_t(~cssPrinting);
      }
      return true;
    case SKC_GETAPPLICATION:
      m.Result = IsTrustedSkinCommand(m) ? LRESULT(Application) : 0;
      return false;
    default:
      return false;
  }
}

// ---- background requests

namespace {
// A parent that keeps no picture paints itself (background, then content)
// into the requester's DC, moved to the request's offset and clipped to it.
template <class Send>
void PaintParentIntoRequest(const TBGRequest& req, Send send) {
  if (!req.TargetDC) return;
  const int saved = SaveDC(req.TargetDC);
  POINT org{};
  GetViewportOrgEx(req.TargetDC, &org);
  SetViewportOrgEx(req.TargetDC, org.x - req.Offset.X, org.y - req.Offset.Y, nullptr);
  const TRect r = OffsetRect(req.R, req.Offset.X, req.Offset.Y);
  IntersectClipRect(req.TargetDC, r.Left, r.Top, r.Right, r.Bottom);
  send(WM_ERASEBKGND, WPARAM(req.TargetDC));
  send(WM_PAINT, WPARAM(req.TargetDC));
  RestoreDC(req.TargetDC, saved);
}
}  // namespace

bool RequestControlBG(TBGRequest& req, TWinControl* parent, bool drawNow) {
  req.Bmp = nullptr;
  req.Kind = bgNone;
  req.DrawNow = drawNow;
  req.Borders = TRect();
  if (!parent) {
    req.Kind = bgColor;
    req.Color = DefaultManager ? DefaultManager->GetGlobalColor() : TColor(0xFF00000F);
    return true;
  }
  SendSkinCommand(parent, SKC_GETBACKGROUND, 0, LPARAM(&req));
  if (req.Kind != bgNone) return true;
  if (drawNow) {
    PaintParentIntoRequest(req, [parent](UINT msg, WPARAM dc) { parent->Perform(msg, dc, 0); });
  } else {
    req.Kind = bgColor;
    const TColor answer = TColor(SendSkinCommand(parent, SKC_GETCOLOR));
    req.Color = answer != 0 ? answer : ColorToRGB(parent->Color());
  }
  return true;
}

bool RequestWindowBG(TBGRequest& req, HWND wnd, bool drawNow) {
  req.Bmp = nullptr;
  req.Kind = bgNone;
  req.DrawNow = drawNow;
  req.Borders = TRect();
  if (!wnd || !IsWindow(wnd)) return false;
  SendSkinCommand(wnd, SKC_GETBACKGROUND, 0, LPARAM(&req));
  if (req.Kind != bgNone) return true;
  if (drawNow) {
    PaintParentIntoRequest(req, [wnd](UINT msg, WPARAM dc) { SendMessageW(wnd, msg, dc, 0); });
  } else {
    req.Color = DefaultManager ? DefaultManager->GetGlobalColor() : TColor(0xFF00000F);
  }
  return false;
}

void BGRequestToCacheInfo(const TBGRequest& req, TCacheInfo& ci) {
  ci = TCacheInfo();
  ci.Bmp = req.Bmp ? PixelView(*req.Bmp) : TPixelView();
  ci.X = req.Offset.X;
  ci.Y = req.Offset.Y;
  if (req.Kind == bgBitmap && !ci.Bmp.Empty()) {
    ci.Ready = true;
    ci.FillColor = clFuchsia;
  } else {
    ci.Ready = false;
    ci.FillColor = req.Color == clFuchsia ? clFuchsia : ColorToRGB(req.Color);
    ci.FillRect = req.Borders;
  }
}

void GetWindowCacheInfo(HWND wnd, TCacheInfo& ci) {
  ci = TCacheInfo();
  HWND parent = wnd ? GetParent(wnd) : nullptr;
  if (!parent) return;
  TBGRequest req;
  RequestWindowBG(req, parent, false);
  BGRequestToCacheInfo(req, ci);
}

// ---- to the screen

void CopyCacheToDC(TControl* control, TsCommonData* link, const TRect& srcRect, const TRect& dstRect, HDC dc,
                   bool updateCorners, int offsetX, int offsetY) {
  if (!link || !link->FCacheBmp || link->FCacheBmp->Empty() || !dc || dstRect.IsEmpty()) return;
  TsSkinManager* sm = link->SkinManager();
  if (updateCorners && sm && sm->IsValidImgIndex(link->BorderIndex)) {
    TCacheInfo ci;
    link->GetParentCacheInfo(ci);
    if (control) ci.X += control->Left(), ci.Y += control->Top();
    UpdateCornerPixels(link->CacheView(), sm->ma[size_t(link->BorderIndex)], link->IsHot(), crAll, ci);
  }
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, dstRect.Left, dstRect.Top, dstRect.Right, dstRect.Bottom);
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    for (int i = 0; i < w->ControlCount(); ++i) {
      TControl* child = w->Controls(i);
      if (!child->Visible()) continue;
      const bool graphic = dynamic_cast<TWinControl*>(child) == nullptr;
      if (!graphic && !child->ControlStyle.Contains(csOpaque) && !Designing(child)) continue;
      const TRect r = OffsetRect(child->BoundsRect(), offsetX, offsetY);
      if (IntersectRect(r, dstRect).IsEmpty()) continue;
      ExcludeClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
    }
  }
  TCanvas* canvas = link->FCacheBmp->Canvas();
  canvas->Lock();
  BitBlt(dc, dstRect.Left, dstRect.Top, dstRect.Width(), dstRect.Height(), canvas->Handle(), srcRect.Left,
         srcRect.Top, SRCCOPY);
  canvas->Unlock();
  RestoreDC(dc, saved);
}

void CopyCacheToWindowDC(HWND wnd, TsCommonData* link, const TRect& srcRect, const TRect& dstRect, HDC dc,
                         bool updateCorners, int offsetX, int offsetY) {
  if (!link || !link->FCacheBmp || link->FCacheBmp->Empty() || !dc || dstRect.IsEmpty()) return;
  TsSkinManager* sm = link->SkinManager();
  if (updateCorners && sm && sm->IsValidImgIndex(link->BorderIndex)) {
    TCacheInfo ci;
    GetWindowCacheInfo(wnd, ci);
    UpdateCornerPixels(link->CacheView(), sm->ma[size_t(link->BorderIndex)], link->IsHot(), crAll, ci);
  }
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, dstRect.Left, dstRect.Top, dstRect.Right, dstRect.Bottom);
  if (wnd) {
    int bandL = 0, bandR = 0, bandB = 0;
    if (sm) {
      const int box = sm->GetSkinIndex("GROUPBOX");
      const int mask = box >= 0 ? sm->GetMaskIndex(box, "GROUPBOX", "BORDERSMASK") : -1;
      if (mask >= 0) bandL = sm->MaskWidthLeft(mask), bandR = sm->MaskWidthRight(mask), bandB = sm->MaskWidthBottom(mask);
    }
    for (HWND child = GetWindow(wnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (!IsWindowVisible(child)) continue;
      RECT wr{};
      GetWindowRect(child, &wr);
      MapWindowPoints(nullptr, wnd, reinterpret_cast<POINT*>(&wr), 2);
      const TRect r = OffsetRect(Rect(wr.left, wr.top, wr.right, wr.bottom), offsetX, offsetY);
      if (IntersectRect(r, dstRect).IsEmpty()) continue;
      const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
      const LONG_PTR exStyle = GetWindowLongPtrW(child, GWL_EXSTYLE);
      if ((style & 7) == 7 && !(exStyle & WS_EX_CLIENTEDGE)) {
        // A group box: only its frame covers the parent.
        // Its caption is as high as its font (code 27 answers a manager, not a height).
        int caption = 0;
        if (HDC cdc = GetDC(child)) {
          HGDIOBJ old = SelectObject(cdc, HGDIOBJ(SendMessageW(child, WM_GETFONT, 0, 0)) ?: GetStockObject(DEFAULT_GUI_FONT));
          TEXTMETRICW tm{};
          if (GetTextMetricsW(cdc, &tm)) caption = tm.tmHeight;
          SelectObject(cdc, old);
          ReleaseDC(child, cdc);
        }
        ExcludeClipRect(dc, r.Left, r.Top, r.Right, r.Top + caption);
        ExcludeClipRect(dc, r.Left, r.Top, r.Left + bandL, r.Bottom);
        ExcludeClipRect(dc, r.Right - bandR, r.Top, r.Right, r.Bottom);
        ExcludeClipRect(dc, r.Left, r.Bottom - bandB, r.Right, r.Bottom);
      } else {
        ExcludeClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
      }
    }
  }
  TCanvas* canvas = link->FCacheBmp->Canvas();
  canvas->Lock();
  BitBlt(dc, dstRect.Left, dstRect.Top, dstRect.Width(), dstRect.Height(), canvas->Handle(), srcRect.Left,
         srcRect.Top, SRCCOPY);
  canvas->Unlock();
  RestoreDC(dc, saved);
}

namespace {
bool PaintingGraphicChildren = false;

// dc shows the parent at offset.
bool CountingChild(TControl* child, HDC dc, TPoint offset) {
  if (dynamic_cast<TWinControl*>(child) || BeingDestroyed(child)) return false;
  if (!child->Visible() && !Designing(child)) return false;
  if (child->Width() <= 0 || child->Height() <= 0) return false;
  const TRect b = OffsetRect(child->BoundsRect(), offset.X, offset.Y);
  RECT r{b.Left, b.Top, b.Right, b.Bottom};
  return RectVisible(dc, &r) != 0;
}
}  // namespace

void PaintGraphicChildren(HDC dc, TWinControl* parent, bool checkState, int, TPoint offset) {
  if (!dc || !parent || PaintingGraphicChildren) return;
  if (checkState && !parent->Visible() && !Designing(parent)) return;
  RECT clip{};
  if (GetClipBox(dc, &clip) == NULLREGION || IsRectEmpty(&clip)) {
    SendSkinCommand(parent, SKC_SETHALFVISIBLE);
    return;
  }
  PaintingGraphicChildren = true;
  try {
    TBGRequest req;
    std::unique_ptr<TBitmap> off;
    TsCommonData* parentLink = SkinLinkOf(parent);
    std::vector<TControl*> painted;
    for (int i = 0; i < parent->ControlCount(); ++i) {
      TControl* child = parent->Controls(i);
      if (!CountingChild(child, dc, offset)) continue;
      if (!off) {
        RequestControlBG(req, parent, false);
        off = CreateCacheBitmap(parent->Width(), parent->Height());
      }
      const TPixelView view = PixelView(*off);
      const TRect b = child->BoundsRect();
      if (child->ControlStyle.Contains(csOpaque)) {
        FillRect32(view, b, TColor(SendSkinCommand(child, SKC_GETCOLOR)), 0xFF);
      } else if (req.Kind == bgBitmap && req.Bmp) {
        CopyRect32(view, b.Left, b.Top, PixelView(*req.Bmp),
                   Rect(b.Left + req.Offset.X, b.Top + req.Offset.Y, b.Right + req.Offset.X, b.Bottom + req.Offset.Y));
      } else {
        FillRect32(view, b, ColorToRGB(req.Color), 0xFF);
        // The parent's border band still shows where the child overlaps it.
        if (parentLink && parentLink->FCacheBmp && !parentLink->FCacheBmp->Empty() && !req.Borders.IsEmpty()) {
          const TPixelView cache = parentLink->CacheView();
          const TRect inner = Rect(req.Borders.Left, req.Borders.Top, cache.Width - req.Borders.Right,
                                   cache.Height - req.Borders.Bottom);
          for (int y = std::max(b.Top, 0); y < std::min(b.Bottom, cache.Height); ++y)
            for (int x = std::max(b.Left, 0); x < std::min(b.Right, cache.Width); ++x)
              if (!inner.Contains(Point(x, y)) && x < view.Width && y < view.Height) view.At(x, y) = cache.At(x, y);
        }
      }
      HDC odc = off->Canvas()->Handle();
      off->Canvas()->Lock();
      const int s = SaveDC(odc);
      SetViewportOrgEx(odc, b.Left, b.Top, nullptr);
      IntersectClipRect(odc, 0, 0, b.Width(), b.Height());
      RECT vis{b.Left + offset.X, b.Top + offset.Y, b.Right + offset.X, b.Bottom + offset.Y};
      if (!(clip.left <= vis.left && clip.top <= vis.top && clip.right >= vis.right && clip.bottom >= vis.bottom))
        SendSkinCommand(child, SKC_SETHALFVISIBLE);
      child->Perform(WM_PAINT, WPARAM(odc), 0);
      RestoreDC(odc, s);
      off->Canvas()->Unlock();
      painted.push_back(child);
    }
    if (off) {
      HDC odc = off->Canvas()->Handle();
      off->Canvas()->Lock();
      GdiFlush();
      const TPixelView view = PixelView(*off);
      for (TControl* child : painted) {
        const TRect b = child->BoundsRect();
        if (b.Left >= 0 && b.Top >= 0 && b.Left < view.Width && b.Top < view.Height &&
            (view.At(b.Left, b.Top) & 0xFFFFFF) == 0xFF00FF)
          continue;
        BitBlt(dc, b.Left + offset.X, b.Top + offset.Y, b.Width(), b.Height(), odc, b.Left, b.Top, SRCCOPY);
      }
      off->Canvas()->Unlock();
    }
  } catch (...) {
    PaintingGraphicChildren = false;
    throw;
  }
  PaintingGraphicChildren = false;
}
