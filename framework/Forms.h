// Forms, the application object and the screen.
#pragma once
#include "framework/Controls.h"

#include <exception>
#include <vector>

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum class TFormStyle { fsNormal, fsStayOnTop };
enum class TPosition { poDesigned, poDefault, poDefaultPosOnly, poScreenCenter, poDesktopCenter, poMainFormCenter,
                       poOwnerFormCenter };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

// Outer-size limits of a form; 0 = no limit.
struct TSizeConstraints {
  int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;
  // Applies the limits to a size.
  void Apply(int& width, int& height) const;
};

// A top-level window. Width and Height are the outer size; the client size
// follows from the border style. Create a form with its components inside
// BeginLoading/EndLoading (the stored-description order), then let the
// application call AfterConstruction (CreateForm does), which fires OnCreate.
// A form that was never given AfterConstruction fires OnCreate before its
// window is first created.
//
// Showing order: the window becomes visible, then OnShow runs (so a dialog
// opened from OnShow appears over the visible form).
class TCustomForm : public TWinControl {
public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;
  const char* ClassName() const override { return "TForm"; }

  // Fires OnCreate once (CreateForm calls it after construction).
  virtual void AfterConstruction();
  // Fires OnDestroy once, while the whole object is still intact, then
  // destroys the window; Free and the owner call it before the destructors,
  // the destructor at the latest.
  void BeforeDestruction() override;
  // Drops every reference to a control that leaves the form.
  void ControlRemoved(TControl* control);

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons value);
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition value) { FPosition = value; }
  TWindowState WindowState() const;
  void SetWindowState(TWindowState value);
  TSizeConstraints Constraints;
  bool AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool value);
  BYTE AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(BYTE value);
  bool KeyPreview = false;

  TCanvas* Canvas() const { return FCanvas; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* control);
  bool Active() const;

  // Runs the form modally: shows it, disables the other windows of the thread,
  // and pumps messages until ModalResult is set (or the application ends).
  TModalResult ShowModal();
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }
  bool Modal() const { return FModal; }

  // Asks OnCloseQuery, then OnClose decides: hide (default), free, minimise,
  // or nothing. The main form ends the application instead of freeing itself.
  void Close();
  virtual bool CloseQuery();
  // The close query when the session ends: a failure is reported and then
  // lets the session end, so a broken handler never blocks a logoff.
  bool SessionCloseQuery();
  // Frees the form once the messages already queued are handled.
  void Release();

  void SetBounds(int left, int top, int width, int height) override;
  void WndProc(TMessage& message) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnPaint;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  bool IsTopLevel() const override { return true; }
  void PaintWindow(HDC dc) override;
  virtual void DoCreate();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoDestroy();
  virtual void DoClose(TCloseAction& action);
  virtual void Paint();
  void DefaultHandler(TMessage& message) override;

private:
  friend class TApplication;
  void FireDestroy();
  void ApplyPosition();
  void ApplyAlphaBlend();
  void FocusFirstControl();
  void CloseModal();

  TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
  TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
  TFormStyle FFormStyle = TFormStyle::fsNormal;
  TPosition FPosition = TPosition::poDesigned;
  TWindowState FWindowState = TWindowState::wsNormal;
  bool FAlphaBlend = false;
  BYTE FAlphaBlendValue = 255;
  TControlCanvas* FCanvas;
  TWinControl* FActiveControl = nullptr;
  TModalResult FModalResult = mrNone;
  bool FModal = false;
  bool FCreated = false;     // OnCreate fired
  bool FDestroyed = false;   // OnDestroy fired
  bool FPositioned = false;  // Position applied once
};

class TForm : public TCustomForm {
public:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

using TExceptionEvent = std::function<void(TObject* sender, const std::exception& e)>;
// Returns true when the message is handled and must go no further.
using TWindowHook = std::function<bool(TMessage& message)>;

class TApplication : public TComponent {
public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  void Initialize();
  bool MainFormOnTaskBar = false;
  String Title;

  // Creates a form owned by the application; the first one becomes MainForm.
  template <class T>
  void CreateForm(T*& reference) {
    reference = new T(this);
    if (!FMainForm) FMainForm = reference;
    reference->AfterConstruction();
  }
  TCustomForm* MainForm() const { return FMainForm; }
  void SetMainForm(TCustomForm* form) { FMainForm = form; }

  // Shows the main form and pumps messages until Terminate (or the main form closes).
  void Run();
  // Frees every form and component the application owns (OnDestroy first,
  // last created first) and its window. The program calls it at the end of
  // its start function, before any static object goes; failures are reported.
  void Shutdown();
  void Terminate();
  bool Terminated() const { return FTerminated; }
  void ProcessMessages();
  // Handles one message, or waits for one when idle.
  void HandleMessage();

  // The hidden application window; created by Initialize or on first use.
  HWND Handle();
  bool Active() const { return FActive; }
  // Hooks see the application window's messages first.
  int HookMainWindow(TWindowHook hook);
  void UnhookMainWindow(int id);

  // The framework's error report: OnException when set, else ShowException.
  void HandleException(TObject* sender);
  void ShowException(const std::exception& e);
  TExceptionEvent OnException;
  TNotifyEvent OnIdle;

  String ExeName() const { return ExeFileName(); }
  int ModalLevel() const { return FModalLevel; }

private:
  friend class TCustomForm;
  bool ProcessMessage(MSG& msg);
  bool IsKeyMsg(MSG& msg);
  void Idle();
  void WndProc(TMessage& m);
  void SetActive(bool active);
  // The main form answers the system's session-end query once per query,
  // whichever of the program's windows the system asks first.
  bool QueryEndSession();
  void EndSession(bool ending);

  TCustomForm* FMainForm = nullptr;
  HWND FHandle = nullptr;
  bool FTerminated = false;
  bool FActive = false;
  int FModalLevel = 0;
  int FNextHookId = 1;
  int FSessionAnswer = -1;  // -1: not asked in this query
  std::vector<std::pair<int, TWindowHook>> FHooks;
};

// A small popup with one line of text in the system's tooltip colours,
// never activated and transparent to the mouse.
class THintWindow {
public:
  THintWindow() = default;
  THintWindow(const THintWindow&) = delete;
  THintWindow& operator=(const THintWindow&) = delete;
  ~THintWindow() { ReleaseHandle(); }
  // Shows the text with its top-left corner at a screen point, kept on the
  // point's monitor; an empty text hides it.
  void ActivateHint(TPoint at, const String& text);
  void ReleaseHandle();
  bool Showing() const;
  const String& Text() const { return FText; }

private:
  HWND FHandle = nullptr;
  String FText;
};

class TMonitor {
public:
  HMONITOR Handle = nullptr;
  int MonitorNum = 0;
  bool Primary = false;
  TRect BoundsRect;
  TRect WorkareaRect;
  int Left() const { return BoundsRect.Left; }
  int Top() const { return BoundsRect.Top; }
  int Width() const { return BoundsRect.Width(); }
  int Height() const { return BoundsRect.Height(); }
};

class TScreen : public TComponent {
public:
  explicit TScreen(TComponent* owner);
  ~TScreen() override;

  int FormCount() const { return int(FForms.size()); }
  TCustomForm* Forms(int index) const;
  TCustomForm* ActiveForm() const;
  TWinControl* ActiveControl() const;

  int Width() const;   // primary monitor
  int Height() const;
  TRect DesktopRect() const;  // all monitors
  TRect WorkAreaRect() const;  // primary monitor without the task bar
  int WorkAreaLeft() const { return WorkAreaRect().Left; }
  int WorkAreaTop() const { return WorkAreaRect().Top; }
  int WorkAreaWidth() const { return WorkAreaRect().Width(); }
  int WorkAreaHeight() const { return WorkAreaRect().Height(); }
  int PixelsPerInch() const { return ScreenPixelsPerInch(); }

  // Monitors, read fresh from the system on each call.
  std::vector<TMonitor> Monitors() const;
  int MonitorCount() const { return int(Monitors().size()); }
  TMonitor MonitorFromWindow(HWND wnd) const;
  TMonitor MonitorFromPoint(TPoint p) const;
  TMonitor MonitorFromRect(const TRect& r) const;

  // Overrides every control's cursor while not crDefault.
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor value);

private:
  friend class TCustomForm;
  friend class TApplication;
  std::vector<TCustomForm*> FForms;
  TCursor FCursor = crDefault;
};

extern TApplication* Application;
extern TScreen* Screen;
