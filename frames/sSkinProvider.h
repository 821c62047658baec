// The form skin provider: paints a top-level form's frame, title and caption
// buttons from one whole-window cache, answers the non-client messages and
// the skin commands of the form, and shows the skinned system menu.
#pragma once
#include "frames/sSysMenu.h"
#include "frames/sFramePaint.h"
#include "framework/Forms.h"
#include "paint/sCommonData.h"
#include "skin/sSkinManager.h"

#include <functional>
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



class TsSkinProvider;
class TsTitleButtons;

// A user caption button; its hit code is 1000 + its index.
class TsTitleButton : public TPersistent {
public:
  explicit TsTitleButton(TsTitleButtons* collection) : FCollection(collection) {}
  bool Enabled = true;
  // 32-bit glyphs are alpha-blended, others keyed on their bottom-left pixel.
  TBitmap* Glyph() { return &FGlyph; }
  String Hint;
  String Name = "TsTitleButton";
  bool UseSkinData = true;  // the skin's "TITLEBUTTON" image behind the glyph
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  int Index() const;
  // The button's caption-button record in the provider's layout; nil before the first layout.
  TsCaptionButton* Data();
  THintWindow HintWnd;  // shows Hint while the button is hot

private:
  TsTitleButtons* FCollection;
  bool FVisible = true;
  TBitmap FGlyph;
};

class TsTitleButtons {
public:
  explicit TsTitleButtons(TsSkinProvider* owner) : FOwner(owner) {}
  TsTitleButton* Add();
  int Count() const { return int(FItems.size()); }
  TsTitleButton* Items(int index) const;  // nil outside 0..Count-1
  void Delete(int index);
  void Clear();
  TsSkinProvider* Owner() const { return FOwner; }
  // The frame is laid out and painted again.
  void Changed();

private:
  TsSkinProvider* FOwner;
  std::vector<std::unique_ptr<TsTitleButton>> FItems;
};

// Text drawn after the caption in its own font; the caption itself may go.
struct TacAddedTitle {
  String Text;
  TFont Font;
  bool ShowMainCaption = true;
};

// A picture shown in place of the window's icon, and the icon's size
// (0 takes the caption's small-icon size).
struct TacTitleIcon {
  TBitmap Glyph;
  int Width = 0;
  int Height = 0;
  bool Visible = true;
};

enum class TacResizeMode { rmStandard, rmBorder };
using TacAnimEventHandler = std::function<void(TObject* sender, TacAnimEvent animType)>;
using TacHitTestEvent = std::function<void(TMessage& msg)>;
// Starts with canBeAdded true; may veto or choose the section.
using TacSkinItemEvent = std::function<void(TObject* item, bool& canBeAdded, String& skinSection)>;

// A component on the form that lays out extra items in the middle of the
// title. This program shows none; the bar only narrows the caption text.
class TsTitleBar : public TComponent {
public:
  // Joins the form's provider when it has no title bar yet.
  explicit TsTitleBar(TComponent* owner);
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
  TacGripMode GripMode = TacGripMode::gmNone;
  bool MakeSkinMenu = false;
  String MenuLineSkin;  // empty means "MENULINE"
  String MenuLineSection() const { return MenuLineSkin.empty() ? String("MENULINE") : MenuLineSkin; }
  // rmBorder gives way to rmStandard while desktop composition is on.
  TacResizeMode ResizeMode() const;
  void SetResizeMode(TacResizeMode value) { FResizeMode = value; }
  TacSysSubMenu SysSubMenu;
  bool ScreenSnap = false;
  int SnapBuffer = 10;
  bool ShowAppIcon = true;
  bool UseGlobalColor = true;
  String TitleSkin;
  TsTitleButtons TitleButtons{this};
  // Read whenever the frame is painted again: call UpdateTitle after a change.
  TacAddedTitle AddedTitle;
  TacTitleIcon TitleIcon;
  void UpdateTitle();
  TsTitleBar* TitleBar() const { return FTitleBar; }
  void SetTitleBar(TsTitleBar* value);
  // Lays the title out again around the title bar (or without one).
  void UpdateTitleBar();
  // After a show, hide or skin-change animation of the form.
  TacAnimEventHandler OnAfterAnimation;
  // Asked first by the hit test of an extended-border window; a non-zero
  // Result is used. This program makes no such window.
  TacHitTestEvent OnExtHitTest;
  // Asked for each child control before an adapter skins it.
  TacSkinItemEvent OnSkinItem;
  TsCommonData* SkinData() const { return FSkinData.get(); }

  // ---- state
  TCustomForm* Form = nullptr;
  bool FormActive = true;
  bool RTInit = false;
  bool RTEmpty = false;
  bool FirstInitialized = false;
  bool RgnChanged = true;
  TsSystemMenu* SystemMenu = nullptr;
  int LockCount = 0;
  // Frame geometry and button state (window-free half) and the cache painter.
  TacFrameLayout FLayout;
  TacFramePainter FPainter;
  TsCaptionButton& ButtonClose = FLayout.ButtonClose;
  TsCaptionButton& ButtonMax = FLayout.ButtonMax;
  TsCaptionButton& ButtonMin = FLayout.ButtonMin;
  TsCaptionButton& ButtonHelp = FLayout.ButtonHelp;
  int CurrentHT() const { return FLayout.CurrentHT; }

  // ---- operations
  void PrepareForm();
  void LoadInit();
  bool Skinned() const;
  // Client offsets in the window, from the real window and client rectangles.
  int OffsetX() const;
  int OffsetY() const;
  // Repaints the cache when stale; true when it holds the whole window.
  // *measured tells whether it measured the window anew for that.
  bool PaintFrameCache(bool* measured = nullptr);
  void PaintNonClient(HDC dc = nullptr);
  void CopyFrameToWindow(HDC dc);
  // The window's region (nil: none).
  HRGN MakeFrameRegion();
  // measured: the window's measure is current (a cache repaint just made it).
  void UpdateRegion(bool measured = false);
  int HitTest(TPoint screenPoint);
  void SetHotHT(int code, bool repaint = true);
  void SetPressedHT(int code);
  void HideTitleHint();
  void RepaintCaptionButton(int code);
  TsCaptionButton* ButtonByHT(int code);
  virtual void DropSysMenu(int x, int y);
  // A title button's OnMouseDown or OnMouseUp (p: the message's point).
  void UserButtonMouse(int code, bool down, TPoint p);
  void UpdateSysMenuStyle(bool skinned);
  // The window's system menu; made with the style bit lent when the system
  // has not made it yet (it makes one only for a window with that bit).
  HMENU SystemMenuHandle();
  // The window-procedure link; passes what it leaves on to OldWndProc.
  void NewWndProc(TMessage& m);

  // Measures the real window into FLayout.Wnd.
  void FillWnd();

  // Region rows currently cut out (window coordinates), for tests.
  const std::vector<TRect>& ArOR() const { return FArOR; }
  int RegionApplyCount() const { return FRegionApplies; }
  bool PendingPress() const;
  // The fade of a button (created on first use); nil for other codes.
  TacSBAnimation* Animation(int code, bool create);

protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

private:
  void Init(TCustomForm* form);
  void CallOld(TMessage& m);
  bool HandleSkinCommand(TMessage& m);
  bool HandleMouse(TMessage& m);
  void Activate(TMessage& m);
  void CopyClientBackground(HDC dc);
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
  TacFrameHooks Hooks();

  std::unique_ptr<TsCommonData> FSkinData;
  bool FDrawNonClientArea = true;
  TacResizeMode FResizeMode = TacResizeMode::rmStandard;
  TsTitleBar* FTitleBar = nullptr;
  bool FRunTime = false;
  int FLinkId = 0;
  bool FSysMenuRemoved = false;
  bool FInBeginPaint = false;
  std::vector<TRect> FArOR;
  std::vector<TRect> FAppliedRgn;
  bool FRegionSet = false;
  int FRegionApplies = 0;
  bool FTrackingLeave = false;
  TacSBAnimation* FAnims[4] = {};  // close, maximise, minimise, help
  TFont FCaptionFont;
  bool FCaptionFontSet = false;
  String FMeasuredCaption = "\x01";  // the caption last measured (none yet)
  TRect FLastClientRect;
};

// Lets the skin manager's hook give plain forms their automatic provider.
void InstallFormSkinning();

// The working provider among the form's components; nil when none.
TsSkinProvider* ProviderOf(TCustomForm* form);
