// The skin link of a control (its SkinData): section name and indexes, hot
// and focus state, the paint cache and when it is stale, the answers to the
// skin commands and window messages every skinned control shares, and the
// background requests between a control and its parents.
//
// How a control drives its link:
//   constructor:  SkinData = std::make_unique<TsCommonData>(this, true); SkinData->COC = kind;
//   Loaded / first showing: SkinData->Loaded();
//   WndProc:      if (SM_SKINCMD) { if (HandleSkinCommand(m, link)) return; ...own codes... }
//                 else if (HandleWindowMessage(m, link)) return; then its own handling;
//   paint:        if (link->CheckUpdating(false)) return;
//                 if (link->BGChanged && !link->UrgentPainting) { rebuild the cache with
//                   PaintSectionFromParent(link, parent, link->IsHot(), ...) and the content;
//                   link->BGChanged = false; }
//                 CopyCacheToDC(...); PaintGraphicChildren(...) for windowed owners.
#pragma once
#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "paint/acPixelView.h"
#include "skin/sSkinManager.h"

#include <cstdint>
#include <memory>

#include <windows.h>

// A view of a 32-bit bitmap's pixels (empty for other formats or an empty
// bitmap). Valid until the bitmap is resized or freed.
TPixelView PixelView(TBitmap& bmp);
// A 32-bit bitmap of w x h (negative sizes become 0).
std::unique_ptr<TBitmap> CreateCacheBitmap(int w = 0, int h = 0);

// CtrlSkinState flags.
constexpr uint16_t cssFast = 0x0001;
constexpr uint16_t cssUncomputed = 0x0002;
constexpr uint16_t cssPrinting = 0x0200;
constexpr uint16_t cssLocked = 0x0800;

// Kind sets of owners (COC).
bool IsEditKind(int coc);
bool IsContainerKind(int coc);
bool IsPanelKind(int coc);
// The section a kind takes when none is set; className for unknown kinds.
String DefaultSectionOf(int coc, const String& className);

// The record of a background request (skin command 34, LParam = its address).
struct TBGRequest {
  TBitmap* Bmp = nullptr;  // answer: bitmap holding the background
  TColor Color = 0;        // answer: background colour
  TPoint Offset;           // in: the asker's origin in the answering window; answer: that point in Bmp
  TRect R;                 // in: what to draw with DrawNow
  TRect Borders;           // answer: the answering window's border band widths
  uint8_t Kind = 0;        // answer: 0 none, 1 colour only, 2 bitmap, 3 not ready
  bool DrawNow = false;    // in: draw into TargetDC
  HDC TargetDC = nullptr;
};
// The record of skin command 15 (and 26, whose answer is its first field).
struct TacSectionInfo {
  int32_t SkinIndex = -1;
  String Name;
  bool RepaintNeeded = false;
};

constexpr uint8_t bgNone = 0, bgColor = 1, bgBitmap = 2, bgNotReady = 3;

class TsCommonData : public TPersistent {
public:
  TsCommonData(TObject* owner, bool createCacheBmp);
  ~TsCommonData() override;
  TsCommonData(const TsCommonData&) = delete;
  TsCommonData& operator=(const TsCommonData&) = delete;

  // ---- properties
  const String& SkinSection() const { return FSkinSection; }
  void SetSkinSection(const String& value);
  // The chosen manager, else the default one (may be nil).
  TsSkinManager* SkinManager() const;
  void SetSkinManager(TsSkinManager* value);
  bool ManagerStored() const { return FSkinManager != nullptr; }
  bool CustomColor() const { return FCustomColor; }
  void SetCustomColor(bool value);
  bool CustomFont() const { return FCustomFont; }
  void SetCustomFont(bool value);
  void SetHUEOffset(int value);
  void SetSaturation(int value);

  // ---- operations
  void Loaded();
  void UpdateIndexes();
  bool Skinned(bool checkSkinActive = false) const;
  void Invalidate(bool updateNow = false);
  void BeginUpdate();
  void EndUpdate(bool repaint = false);
  bool RepaintIfMoved();
  void EnsureCacheBitmap();
  // State index for the painting routines: 0 normal, 1 hot.
  int IsHot() const;
  bool NeedsCache() const;
  bool CheckUpdating(bool reset);
  void SyncControlColors(bool repaint);
  void UpdateBGType();
  int ComputeFastState();
  void UpdateCtrlSkinState(bool broadcast);
  TColor GetControlColor(int state, HWND handle = nullptr) const;
  int MaxBorderWidth() const;
  void GetParentCacheInfo(TCacheInfo& ci);
  void AssignDefaultSection();
  // Answers a background request from this link (skin command 34).
  void FillBGRequest(TBGRequest& req, int state, HWND handle = nullptr);
  // The section record (nil when not skinned) and its Props index for a state.
  const TsGeneralData* Section() const;
  int PropsOf(int state) const;
  TPixelView CacheView() const { return FCacheBmp ? PixelView(*FCacheBmp) : TPixelView(); }

  // ---- fields (read and set by the owner's paint code)
  bool FCustomFont = false;
  bool FCustomColor = false;
  int FUpdateCount = 0;
  int FHUEOffset = 0;
  int FSaturation = 0;
  int GlowID = -1;
  bool FUpdating = false;
  int BorderIndex = -1;
  int SkinIndex = -1;
  int Texture = -1;
  int HotTexture = -1;
  void* GraphControl = nullptr;
  bool UrgentPainting = false;
  bool BGChanged = true;
  bool HalfVisible = true;
  TControl* FOwnerControl = nullptr;
  TObject* FOwnerObject = nullptr;
  std::unique_ptr<TBitmap> FCacheBmp;
  HRGN FRegion = nullptr;
  int COC = 0;
  bool FFocused = false;
  bool FMouseAbove = false;
  uint16_t CtrlSkinState = cssUncomputed;
  uint16_t BGType = 0;
  HDC PrintDC = nullptr;
  TRect InvalidRectH, InvalidRectV;

private:
  friend bool HandleSkinCommand(TMessage& message, TsCommonData* link);
  TWinControl* OwnerWin() const { return dynamic_cast<TWinControl*>(FOwnerControl); }
  bool OwnerGone() const;
  bool OwnerReadyForPainting() const;
  void SendToOwner(int code, LPARAM lParam = 0);
  void SetOwnerColors(int props);
  String FSkinSection;
  TsSkinManager* FSkinManager = nullptr;
};

// A link that publishes per-control colour shifts.
class TsCtrlSkinData : public TsCommonData {
public:
  using TsCommonData::TsCommonData;
  int HUEOffset() const { return FHUEOffset; }
  int Saturation() const { return FSaturation; }
};

// The link of a control (skin command 37 through our own sender), or nil.
TsCommonData* SkinLinkOf(TControl* control);

// The shared reactions. True: answered, Result set, the owner skips its own
// handling. A nil link answers nothing.
// Set by the glow layer: hides the glow of an id (the painting layer knows
// nothing of glow windows, but must not leave one behind when it drops an id).
extern void (*acHideGlowHook)(int glowID);

bool HandleWindowMessage(TMessage& message, TsCommonData* link);
bool HandleSkinCommand(TMessage& message, TsCommonData* link);

// Background requests. The asker's own position is not in Offset: painters
// add it (Pos); every parent that passes a request on adds its own.
bool RequestControlBG(TBGRequest& req, TWinControl* parent, bool drawNow);
bool RequestWindowBG(TBGRequest& req, HWND wnd, bool drawNow);
void BGRequestToCacheInfo(const TBGRequest& req, TCacheInfo& ci);
void GetWindowCacheInfo(HWND wnd, TCacheInfo& ci);

// The one road from a cache to the screen: srcRect's top-left of the cache to
// dstRect of dc, leaving out graphic and opaque children (moved by offset).
void CopyCacheToDC(TControl* control, TsCommonData* link, const TRect& srcRect, const TRect& dstRect, HDC dc,
                   bool updateCorners, int offsetX = 0, int offsetY = 0);
// The same for a foreign window: its visible child windows are left out, a
// group box child only by its frame (caption height from code 27, the side
// bands as wide as the "GROUPBOX" section's border margins).
void CopyCacheToWindowDC(HWND wnd, TsCommonData* link, const TRect& srcRect, const TRect& dstRect, HDC dc,
                         bool updateCorners, int offsetX = 0, int offsetY = 0);
// Paints the windowless children of a skinned windowed parent onto dc,
// which shows the parent at offset, each over the background under it.
void PaintGraphicChildren(HDC dc, TWinControl* parent, bool checkState, int reserved, TPoint offset);
