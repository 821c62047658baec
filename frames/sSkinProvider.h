// The form skin provider: paints a top-level form's frame, title and caption
// buttons from one whole-window cache, answers the non-client messages and
// the skin commands of the form, and shows the skinned system menu.
#pragma once
#include "framework/Forms.h"
#include "paint/sCommonData.h"
#include "skin/sSkinManager.h"

#include <memory>
#include <vector>

#include <windows.h>

class TsSystemMenu;
class TacSBAnimation;

// The desktop window manager calls, looked up at run time; tests replace
// them to run both branches (composition on and off).
struct TacDwmApi {
  HRESULT(WINAPI* IsCompositionEnabled)(BOOL* enabled) = nullptr;
  HRESULT(WINAPI* SetWindowAttribute)(HWND wnd, DWORD attribute, LPCVOID value, DWORD size) = nullptr;
};
// The functions in use (looked up in dwmapi.dll on first use unless set).
TacDwmApi& acDwm();
bool acCompositionEnabled();


enum TacGripMode { gmNone, gmRightBottom };

// One caption button.
struct TsCaptionButton {
  int State = 0;  // 0 normal, 1 hot, 2 pressed
  int ImageIndex = -1;
  TRect Rect;
  bool HaveAlignment = false;
  int GlowID = -1;
  TacSBAnimation* Timer = nullptr;
  unsigned HitCode = 0;
};

class TsSkinProvider : public TComponent {
public:
  // owner must be a form.
  explicit TsSkinProvider(TComponent* owner);
  // The automatic provider of the manager's hook.
  static TsSkinProvider* CreateRT(TCustomForm* form);
  ~TsSkinProvider() override;
  void BeforeDestruction() override;

  // ---- published properties
  TAlignment CaptionAlignment = taLeftJustify;
  bool AllowAnimation = true;
  bool AllowExtBorders = true;
  bool AllowBlendOnMoving = true;
  bool DrawClientArea = true;
  bool DrawNonClientArea() const { return FDrawNonClientArea; }
  void SetDrawNonClientArea(bool value);
  TacGripMode GripMode = gmNone;
  bool MakeSkinMenu = false;
  bool ScreenSnap = false;
  int SnapBuffer = 10;
  bool ShowAppIcon = true;
  bool UseGlobalColor = true;
  String TitleSkin;
  TsCommonData* SkinData() const { return FSkinData.get(); }

  // ---- state
  TCustomForm* Form = nullptr;
  bool FormActive = true;
  bool RTInit = false;
  bool RTEmpty = false;
  bool FirstInitialized = false;
  bool RgnChanged = true;
  int FTitleSkinIndex = -1;
  int FCaptionSkinIndex = -1;
  int CurrentHT = 0;
  int BigButtons = 0;
  TsCaptionButton ButtonMin, ButtonMax, ButtonClose, ButtonHelp;
  std::unique_ptr<TBitmap> TempBmp;
  TsSystemMenu* SystemMenu = nullptr;
  TRect FIconRect;
  int VCenter = 0;
  int LockCount = 0;

  // ---- operations
  void PrepareForm();
  void LoadInit();
  bool Skinned() const;
  // The system frame width of the window and the caption height.
  int SysBorderWidth() const;
  int BorderWidth() const;
  int BorderHeight() const;
  int CaptionHeight() const;
  int HeaderHeight() const;
  int CaptionWidth() const;
  int OffsetX() const;
  int OffsetY() const;
  TColor FormColor() const;
  int TitleSkinIndex();
  bool IconVisible() const;
  // Repaints the cache when stale; true when it holds the whole window.
  bool PaintFrameCache();
  void PaintNonClient(HDC dc = nullptr);
  void CopyFrameToWindow(HDC dc);
  // The window's region from the cut-out rows; nil for a plain rectangle.
  HRGN MakeFrameRegion() const;
  void UpdateRegion();
  int HitTest(TPoint screenPoint);
  void SetHotHT(int code, bool repaint = true);
  void SetPressedHT(int code);
  void RepaintCaptionButton(int code);
  TsCaptionButton* ButtonByHT(int code);
  virtual void DropSysMenu(int x, int y);
  void UpdateSysMenuStyle(bool skinned);
  // The window-procedure link; passes what it leaves on to OldWndProc.
  void NewWndProc(TMessage& m);

  // The button rules (also the system menu's).
  bool VisibleMax() const;
  bool VisibleMin() const;
  bool EnabledClose() const;
  bool EnabledMax() const;
  bool EnabledMin() const;
  bool HasSysMenuIcon() const;
  int ButtonsAreaWidth() const;
  void CalcItems();

  // Region rows currently cut out (window coordinates), for tests.
  const std::vector<TRect>& ArOR() const { return FArOR; }
  int RegionApplyCount() const { return FRegionApplies; }
  bool PendingPress() const;

protected:
  void Loaded() override;

private:
  void Init(TCustomForm* form);
  void CallOld(TMessage& m);
  bool HandleSkinCommand(TMessage& m);
  bool HandleMouse(TMessage& m);
  void Activate(TMessage& m);
  void PaintClient(HDC dc);
  void EraseClient(TMessage& m);
  void Resized(TMessage& m);
  void WindowPosChanging(TMessage& m);
  void MinMaxInfo(TMessage& m);
  void PaintFormOnPaint(HDC dc, TPoint origin);
  // Default handling with the window invisible to the system painter.
  void CallOldHidden(TMessage& m);
  void SendFrameRepaint();
  void SnapTo(WINDOWPOS& pos);
  TRect WindowRectNow() const;
  void InitButtonImages();
  void DrawButton(TsCaptionButton& b, TBitmap& bmp, bool fromTemp);
  void DrawCaption(TBitmap& bmp);
  void CalcCornerRects();

  std::unique_ptr<TsCommonData> FSkinData;
  bool FDrawNonClientArea = true;
  bool FRunTime = false;
  int FLinkId = 0;
  bool FSysMenuRemoved = false;
  std::vector<TRect> FArOR;
  std::vector<TRect> FAppliedRgn;
  bool FRegionSet = false;
  int FRegionApplies = 0;
  bool FTrackingLeave = false;
  TRect FLastClientRect;
  HWND FWnd = nullptr;
};

// Lets the skin manager's hook give plain forms their automatic provider.
void InstallFormSkinning();

// The provider of a form, asked with our own skin command; nil when none.
TsSkinProvider* ProviderOf(TCustomForm* form);
