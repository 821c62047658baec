// Controls: windowless and windowed, their messages, mouse, keys and painting.
#pragma once
#include <functional>
#include "framework/Graphics.h"
#include "framework/Messages.h"
#include "framework/Sets.h"
#include "framework/WinUtils.h"
#include "framework/core/Classes.h"

#include <memory>
#include <string>
#include <vector>

#include <windows.h>

class TWinControl;
class TCustomForm;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

// From the MK_xxx flags of a mouse message.
TShiftState KeysToShiftState(WPARAM keys);
// From the current keyboard state (Shift, Ctrl, Alt).
TShiftState KeyboardShiftState();

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, wchar_t& key)>;

enum TCursor {
  crDefault, crNone, crArrow, crCross, crIBeam, crSizeAll, crSizeNESW, crSizeNS, crSizeNWSE, crSizeWE,
  crUpArrow, crHourGlass, crNo, crAppStart, crHelp, crHandPoint
};
// The system cursor of a framework cursor (nullptr for crNone).
HCURSOR CursorHandle(TCursor cursor);

enum TControlStyleItem {
  csAcceptsControls, csCaptureMouse, csClickEvents, csFramed, csSetCaption, csOpaque, csDoubleClicks,
  csFixedWidth, csFixedHeight, csNoStdEvents, csReplicatable, csParentBackground
};
using TControlStyle = TSet<TControlStyleItem>;

enum TControlStateItem {
  csLButtonDown, csClicked, csPalette, csReadingState, csFocusing, csCreating, csPaintCopy, csCustomPaint,
  csDestroyingHandle
};
using TControlState = TSet<TControlStateItem>;

enum class TBorderStyle { bsNone, bsSingle };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;
constexpr TModalResult mrClose = 8;

// A canvas on a control: on a windowed control its window DC, on a windowless
// one its parent's DC moved and clipped to the control. The DC is taken on
// first use and given back by FreeHandle (also done after every paint and when
// the application goes idle).
class TControlCanvas : public TCanvas {
public:
  explicit TControlCanvas(class TControl* control) : FControl(control) {}
  ~TControlCanvas() override;
  void FreeHandle();
  TControl* Control() const { return FControl; }
  // Lends dc to the canvas, set up with the control's font and colour, while
  // paint runs; the canvas lets go of dc however paint ends.
  void PaintOn(HDC dc, const std::function<void()>& paint);

protected:
  void CreateHandle() override;

private:
  TControl* FControl;
  HWND FWnd = nullptr;
  HDC FDC = nullptr;
};

// Releases every control and bitmap canvas DC that is not locked.
void FreeDeviceContexts();

// The base of every control. Messages reach a control through its chain of
// window-procedure links and then WndProc; Perform sends one directly,
// without the system.
class TControl : public TComponent {
public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  virtual const char* ClassName() const { return "TControl"; }

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* value);

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
  void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
  void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
  void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return Rect(FLeft, FTop, FLeft + FWidth, FTop + FHeight); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }

  virtual TRect ClientRect() const { return Rect(0, 0, FWidth, FHeight); }
  int ClientWidth() const { return ClientRect().Width(); }
  int ClientHeight() const { return ClientRect().Height(); }
  virtual void SetClientSize(int width, int height);
  void SetClientWidth(int v) { SetClientSize(v, ClientHeight()); }
  void SetClientHeight(int v) { SetClientSize(ClientWidth(), v); }
  // Screen position of the client area's top-left corner.
  virtual TPoint ClientOrigin() const;
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;

  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, and so are all parents (a windowed control: its window is shown).
  virtual bool Showing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool value);

  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool value);
  TFont* Font() const { return FFont; }
  void SetFont(const TFont* value) { FFont->Assign(value); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor value);

  String Text() const;
  void SetText(const String& value);
  String Caption() const { return Text(); }
  void SetCaption(const String& value) { SetText(value); }

  TControlStyle ControlStyle;
  TControlState ControlState;

  // Direct dispatch through the link chain; returns the message's Result.
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  void Dispatch(TMessage& message);

  // The window-procedure chain. A link sees every message of the control,
  // sent by the system or by Perform, before the links attached earlier and
  // before WndProc; it passes a message on with CallPreviousWindowProc.
  // AttachWindowProc returns the link's id (> 0). DetachWindowProc unlinks
  // the link wherever it sits, also from inside its own call, and returns
  // true when it was the one on top.
  int AttachWindowProc(TWndMethod method);
  bool DetachWindowProc(int id);
  void CallPreviousWindowProc(int id, TMessage& message);
  bool WindowProcOnTop(int id) const;
  virtual void WndProc(TMessage& message);
  virtual void DefaultHandler(TMessage& message);

  virtual void Invalidate();
  void Repaint();
  virtual void Update();
  void Refresh() { Repaint(); }
  void BringToFront();
  void SendToBack();

  bool MouseCapture() const;
  void SetMouseCapture(bool value);
  virtual void Click();
  virtual void DblClick();

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnResize;

protected:
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void Resize();
  virtual void FontChanged();
  // Bounds changed by the window itself (moves and sizes by the system).
  void UpdateBoundsFrom(int left, int top, int width, int height);

  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor = clWindow;
  bool FParentColor = false;
  bool FParentFont = true;
  TFont* FFont;
  TCursor FCursor = crDefault;
  String FText;

private:
  friend class TWinControl;
  struct TWndLink;
  void HandleMouseButton(TMessage& m, TMouseButton button, bool down, bool dbl);
  // Calls the live link below position `end` of FWndLinks, or WndProc.
  void CallLinkBelow(size_t end, TMessage& m);
  std::vector<std::shared_ptr<TWndLink>> FWndLinks;  // bottom first
  bool FUpdatingFontFromParent = false;
};

// Window-creation parameters filled by CreateParams.
struct TCreateParams {
  std::wstring Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  UINT ClassStyle = CS_DBLCLKS;
  HBRUSH Background = nullptr;
  HCURSOR ClassCursor = nullptr;
  std::wstring WinClassName;  // the framework registers this class
  std::wstring SystemClass;   // when set, WinClassName superclasses it (e.g. L"EDIT")
};

// A control with a window. The window is created on demand (Handle) or when
// the control starts showing; its procedure routes messages to WindowProc,
// and unhandled ones reach the system class procedure (DefaultHandler).
class TWinControl : public TControl {
public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  const char* ClassName() const override { return "TWinControl"; }

  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  void DestroyHandle();
  // Destroys the window while the whole object is still alive.
  void BeforeDestruction() override;
  void RecreateWnd();
  // Parent window for a control without Parent (embedding in foreign windows).
  HWND ParentWindow() const { return FParentWindow; }
  void SetParentWindow(HWND value);

  int ControlCount() const { return int(FControls.size()); }
  TControl* Controls(int index) const;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  bool ContainsControl(const TControl* control) const;
  // Topmost visible child at a client point; windowless children only unless allowWindowed.
  TControl* ControlAtPos(TPoint p, bool allowDisabled = false, bool allowWindowed = false) const;
  // Sends a message to every child (direct dispatch); stops at the first non-zero result.
  LRESULT Broadcast(TMessage& message);
  void NotifyControls(UINT msg);

  int TabOrder() const;
  void SetTabOrder(int value);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool value);
  // Windowed descendants in tab order (depth first).
  void GetTabOrderList(std::vector<TWinControl*>& list) const;
  TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent) const;
  void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);

  virtual bool CanFocus() const;
  virtual void SetFocus();
  bool Focused() const;

  bool Showing() const override { return FShowing; }
  TRect ClientRect() const override;
  TPoint ClientOrigin() const override;
  void SetBounds(int left, int top, int width, int height) override;
  void SetClientSize(int width, int height) override;
  void SetParent(TWinControl* value) override;
  void Invalidate() override;
  void Update() override;
  void SetEnabled(bool value) override;
  // Paints the windowless children into dc (client coordinates), from `first` on.
  void PaintControls(HDC dc, TControl* first);
  TBrush* Brush() const { return FBrush; }

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  void WndProc(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;

protected:
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& params);
  virtual void DestroyWnd();
  virtual void CreateHandle();
  // Paints the control itself; the default fills nothing (WM_ERASEBKGND did).
  virtual void PaintWindow(HDC dc);
  virtual void DoKeyDown(WORD& key, TShiftState shift);
  virtual void DoKeyUp(WORD& key, TShiftState shift);
  virtual void DoKeyPress(wchar_t& key);
  // Whether the control takes a key the form would otherwise treat as a dialog key.
  virtual bool WantsKey(WORD key);
  void UpdateShowing();
  void UpdateBounds();
  // A window of its own on the desktop (forms); others need a parent window.
  virtual bool IsTopLevel() const { return false; }

  HWND FHandle = nullptr;
  WNDPROC FDefWndProc = nullptr;
  TBrush* FBrush;
  uint32_t FFontSent = 0;  // the font generation the window was last given
  bool FTabStop = false;

private:
  friend class TControl;
  friend LRESULT CALLBACK ControlWndProc(HWND, UINT, WPARAM, LPARAM);
  void MainWndProc(TMessage& m);
  void PaintHandler(TMessage& m);
  bool RouteMouse(TMessage& m);
  void TrackMouse(TControl* target);

  std::vector<TControl*> FControls;        // z-order, bottom first
  std::vector<TWinControl*> FTabList;      // windowed children in tab order
  HWND FParentWindow = nullptr;
  bool FShowing = false;
  bool FTrackingLeave = false;
};

// A windowless control painted by its parent; Canvas draws on the parent's DC.
class TGraphicControl : public TControl {
public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  const char* ClassName() const override { return "TGraphicControl"; }
  TCanvas* Canvas() const { return FCanvas; }
  void WndProc(TMessage& message) override;

protected:
  virtual void Paint() {}

private:
  TControlCanvas* FCanvas;
};

// A windowed control that paints itself on Canvas.
class TCustomControl : public TWinControl {
public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;
  const char* ClassName() const override { return "TCustomControl"; }
  TCanvas* Canvas() const { return FCanvas; }

protected:
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;

private:
  TControlCanvas* FCanvas;
};

// Subclasses one window with an identity of its own. On a framework window
// (one FindControl knows) Attach adds a link to the control's chain, so
// Method also sees the messages sent with Perform; on a foreign window it
// installs a stub as the window procedure and saves the previous one.
// Detach takes out only its own link: on top, the previous procedure is in
// place again (true); below another link of the framework it is unlinked
// from the middle; below a foreign procedure the stub stays as a pure
// pass-through until the window is destroyed, so the foreign chain stays
// intact. On WM_NCDESTROY the subclass detaches by itself after Method ran.
//
// Method receives every message; it passes a message on with CallPrevious.
// On a foreign window exceptions from Method are reported at the boundary.
class TWindowSubclass {
public:
  explicit TWindowSubclass(TWndMethod method);
  ~TWindowSubclass();
  TWindowSubclass(const TWindowSubclass&) = delete;
  TWindowSubclass& operator=(const TWindowSubclass&) = delete;

  bool Attach(HWND wnd);
  // True when its own link was on top, so the previous procedure is restored.
  bool Detach();
  bool Attached() const;
  HWND Handle() const;
  // The stub and the procedure it saved (nullptr on a framework window).
  WNDPROC PreviousProc() const;
  WNDPROC Proc() const;
  // Passes m on down the chain and stores the result in m.Result.
  void CallPrevious(TMessage& m) const;

  struct TRecord;
  struct TLinkRecord;

private:
  TWndMethod FMethod;
  TRecord* FRecord = nullptr;
  std::shared_ptr<TLinkRecord> FLink;
};

// The framework object of a window, or nullptr.
TWinControl* FindControl(HWND wnd);
// The framework object of a window of this thread whose procedure nobody has
// replaced: a message of ours may go straight to its handler. Otherwise nullptr.
TWinControl* FindDirectControl(HWND wnd);
// The control that has the mouse captured within the framework (or nullptr).
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);
// The control the mouse is over, as last reported by mouse enter/leave.
TControl* GetMouseControl();
// The form a control sits on (top-level form), or nullptr.
TCustomForm* GetParentForm(const TControl* control);
