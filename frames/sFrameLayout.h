// Window-free geometry of a skinned form's frame: the metrics of the window
// being framed, which caption buttons it shows and where, and what a point
// of the window is (the non-client hit codes). The Win32 provider fills
// TacFrameWindow from the real window, then asks this object; nothing here
// touches a window.
#pragma once
#include "controls/sBitBtn.h"
#include "framework/core/Types.h"
#include "skin/acSkinModel.h"

#include <cstdint>
#include <vector>

// Same order as the framework's form border styles, so the Win32 side
// converts with a cast.
enum class TacBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TacGripMode { gmNone, gmRightBottom };

struct TacBorderIcons {
  bool SystemMenu = true;
  bool Minimize = true;
  bool Maximize = true;
  bool Help = false;
};

// The system's hit-test codes and the provider's own.
constexpr int acHTNOWHERE = 0, acHTCLIENT = 1, acHTCAPTION = 2, acHTSYSMENU = 3, acHTMENU = 5, acHTMINBUTTON = 8,
              acHTMAXBUTTON = 9, acHTLEFT = 10, acHTRIGHT = 11, acHTTOP = 12, acHTTOPLEFT = 13, acHTTOPRIGHT = 14,
              acHTBOTTOM = 15, acHTBOTTOMLEFT = 16, acHTBOTTOMRIGHT = 17, acHTCLOSE = 20, acHTHELP = 21;
constexpr int acHTUDBTN = 1000;    // user title button n answers acHTUDBTN + n
constexpr int acHTTBITEM = 2000;   // reserved for title-bar items
constexpr int DefaultButtonSize = 21;  // a button whose image is missing
// The framework's default and window-text colour values.
constexpr TColor acclDefault = 0x20000000;
constexpr TColor acclWindowText = 0x80000008;

// The window being framed, as the Win32 side measures it. Window
// coordinates throughout: (0, 0) is the window's top-left.
struct TacFrameWindow {
  int Width = 0;              // window (outer) size
  int Height = 0;
  TRect ClientRect;           // client area in window coordinates
  int FrameWidth = 0;         // SM_CXFRAME with WS_THICKFRAME, SM_CXDLGFRAME with WS_BORDER, else 0
  int CxFrame = 4;            // SM_CXFRAME (top margin of aligned buttons while maximised)
  int CyCaption = 19;         // SM_CYCAPTION
  int CySmCaption = 15;       // SM_CYSMCAPTION
  int FormBorderWidth = 0;    // the form's own BorderWidth
  TacBorderStyle BorderStyle = TacBorderStyle::bsSizeable;
  TacBorderIcons BorderIcons;
  bool WsCaption = true;      // both caption bits
  bool WsThickFrame = true;
  bool WsBorder = true;
  bool IsChild = false;       // a child window or with a parent (HasFrame, transparency source)
  bool HasSystemMenu = true;  // the window has a system menu (GetSystemMenu)
  bool ScClosePresent = true; // ... holding SC_CLOSE
  bool ScCloseDisabled = false;
  bool Minimized = false;
  bool Maximized = false;
  bool IsMainForm = false;
  bool MainFormOnTaskBar = false;
  bool Active = true;         // FormActive
  bool RightToLeft = false;   // right-to-left reading and alignment
  bool HasConstraints = false;  // any size constraint set
  // Title
  TacAlignment CaptionAlignment = TacAlignment::taLeftJustify;
  int CaptionTextWidth = 0;   // the caption measured with the caption font (DT_CALCRECT)
  int CaptionTextHeight = 0;
  int AddedTextWidth = 0;     // AddedTitle.Text measured with its font; 0 without
  TColor AddedTextColor = acclDefault;  // AddedTitle.Font.Color
  bool ShowMainCaption = true;
  bool ShowAppIcon = true;
  bool TitleIconVisible = true;
  int TitleIconWidth = 0;     // TitleIcon.Width/Height; 0 = SmallIconSize of the caption height
  int TitleIconHeight = 0;
  // Painting
  TacGripMode GripMode = TacGripMode::gmNone;
  bool DrawNonClientArea = true;
  bool CustomColor = false;   // SkinData.CustomColor
  TColor Color = 0xF0F0F0;    // Form.Color as RGB
  bool PlainColor = false;    // the skin state asks for the plain colour
};

// One caption button.
struct TsCaptionButton {
  int State = 0;        // 0 normal, 1 hot, 2 pressed
  int ImageIndex = -1;  // into the skin's image list, -1 none
  TRect Rect;           // window coordinates; Right = Left when not shown
  bool HaveAlignment = false;
  int GlowID = -1;
  void* Timer = nullptr;  // the Win32 side's running fade (TacSBAnimation), opaque here
  uint32_t HitCode = 0;
};

// A user title button as far as the layout needs it.
struct TacUserButton {
  bool Enabled = true;
  bool Visible = true;
  bool UseSkinData = true;
  int GlyphWidth = 0;  // 0 without a glyph
  TsCaptionButton Data;
};

// 1 for h <= 8, 8 for 9..16, 16 for 17 and more.
constexpr int SmallIconSize(int h) { return h <= 8 ? 1 : h <= 16 ? 8 : 16; }

class TacFrameLayout {
public:
  // ---- inputs, refreshed by the owner before CalcItems and painting
  TacFrameWindow Wnd;
  const TacSkinModel* Skin = nullptr;
  String SkinSection = "FORM";  // SkinData.SkinSection
  String TitleSkin;             // empty means "FORMTITLE"
  std::vector<TacUserButton> UserButtons;
  bool HasTitleBar = false;     // a title-bar component lays out the middle of the title

  // Section indexes; call after a skin (re)load or a section change.
  void UpdateIndexes();
  int SkinIndex() const { return FSkinIndex; }
  int TitleSkinIndex() const { return FTitleSkinIndex; }
  int CaptionSkinIndex() const { return FCaptionSkinIndex; }  // "CAPTION", -1 none

  // ---- metrics (checkSkin selects extended-border values; none here)
  int FrameWidth() const { return Wnd.FrameWidth; }
  int BorderWidth(bool checkSkin = true) const;
  int BorderHeight(bool checkSkin = true) const;
  int CaptionHeight(bool checkSkin = true) const;
  int HeaderHeight() const;
  int CaptionWidth() const;
  int MenuHeight() const { return 0; }
  int OffsetX() const;
  int OffsetY() const;
  bool HasFrame() const;
  bool IconVisible() const;
  int IconWidth() const;
  int IconHeight() const;
  TColor FormColor() const;
  // 1 while active, 0 inactive; never above the section's state count - 1.
  int PaintState() const;
  // The cache size: CaptionWidth x Form.Height (frame + caption + 2 high for
  // a minimised form that is not the main form). Negative sizes become 0.
  TPoint CacheSize() const;

  // ---- which buttons and system-menu items apply
  bool VisibleClose() const;
  bool EnabledClose() const;
  bool VisibleMax() const;
  bool EnabledMax() const;
  bool VisibleMin() const;
  bool EnabledMin() const;
  bool VisibleRestore() const;
  bool EnabledRestore() const;
  bool VisibleSize() const;
  bool EnabledSize() const;
  bool EnabledMove() const;
  // The close button is laid out, drawn and hit: the window has a system
  // menu and biSystemMenu. One rule for layout and hit testing.
  bool CloseShown() const;
  bool HelpShown() const { return Wnd.BorderIcons.Help; }

  // ---- caption buttons
  TsCaptionButton ButtonClose, ButtonMax, ButtonMin, ButtonHelp;
  int UserBtnIndex = -1;  // "TITLEBUTTON"
  int BigButtons = 0;     // 1 for bsSingle and bsSizeable
  int CurrentHT = 0;      // hot or pressed button's hit code; 0 none, -1 after the mouse left

  // Image indexes, hit codes and alignment flags from the skin.
  void InitButtonImages();
  // Title layout (VCenter, FIconRect, FHeaderHeight) and button layout.
  void CalcItems();
  int ButtonsAreaWidth() const;
  // The records below are told apart by address: pass this layout's own
  // ButtonClose, ButtonMax, ButtonMin, ButtonHelp or UserButtons[n].Data.
  // The button answering a hit code (8, 9, 20, 21, 1000 + n); nil for others.
  TsCaptionButton* ButtonByHitCode(int code);
  // The image a shown button draws now (restore image for the maximise
  // button of a maximised form, for the minimise button of a minimised
  // secondary form); -1 none.
  int ButtonImage(const TsCaptionButton& button) const;
  // Whether the button's action is enabled (drawn undimmed when normal).
  bool ButtonEnabled(const TsCaptionButton& button) const;

  // The hit code of p (window coordinates) for a form with a caption:
  // buttons, sizing border, caption band, size grip.
  int CaptionHitTest(TPoint p) const;

  // Title layout results.
  int VCenter = 0;
  TRect FIconRect;
  int FHeaderHeight = 0;
  // The title bar's rectangle: from the icon to 6 pixels short of the
  // leftmost caption button, over the caption; empty without a title bar.
  TRect TitleBarRect;

  // The grip image's rectangle at the bottom-right inside the frame when a
  // grip is drawn (gmRightBottom, sizeable, not maximised); empty otherwise.
  TRect GripRect() const;

private:
  int ImageW(int index) const;
  int ImageH(int index) const;
  void LayoutButton(TsCaptionButton& b, bool shown, int& right, int width, int height, int topMargin) const;
  bool Sizeable() const;
  int FSkinIndex = -1;
  int FTitleSkinIndex = -1;
  int FCaptionSkinIndex = -1;
};
