#include "framework/Forms.h"

#include <algorithm>

#include <commctrl.h>

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

struct TGlobals {
  TGlobals() {
    Application = new TApplication(nullptr);
    Screen = new TScreen(nullptr);
  }
  ~TGlobals() {
    delete Application;
    Application = nullptr;
    delete Screen;
    Screen = nullptr;
  }
} Globals;

}  // namespace

void HandleBoundaryException(TObject* sender) noexcept {
  try {
    if (Application) Application->HandleException(sender);
  } catch (...) {
    // The report itself failed; nothing more can be done at this boundary.
  }
}

void TSizeConstraints::Apply(int& width, int& height) const {
  if (MinWidth > 0 && width < MinWidth) width = MinWidth;
  if (MinHeight > 0 && height < MinHeight) height = MinHeight;
  if (MaxWidth > 0 && width > MaxWidth) width = MaxWidth;
  if (MaxHeight > 0 && height > MaxHeight) height = MaxHeight;
}

// ---- TCustomForm ---------------------------------------------------------

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner), FCanvas(new TControlCanvas(this)) {
  FVisible = false;
  FParentFont = false;
  FColor = clBtnFace;
  FBrush->SetColor(FColor);
  FWidth = 320;
  FHeight = 240;
  ControlStyle.Include(csAcceptsControls);
  if (Screen) Screen->FForms.push_back(this);
}

TCustomForm::~TCustomForm() {
  TCustomForm::BeforeDestruction();
  if (Application && Application->FMainForm == this) Application->FMainForm = nullptr;
  if (Screen) {
    auto& forms = Screen->FForms;
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
  }
  Destroying();
  DestroyHandle();
  delete FCanvas;
  FCanvas = nullptr;
}

void TCustomForm::AfterConstruction() {
  if (FCreated) return;
  FCreated = true;
  DoCreate();
}

void TCustomForm::BeforeDestruction() {
  FireDestroy();
  TWinControl::BeforeDestruction();
}

void TCustomForm::FireDestroy() {
  if (FDestroyed) return;
  FDestroyed = true;
  try {
    DoDestroy();
  } catch (...) {
    HandleBoundaryException(this);
  }
}

void TCustomForm::ControlRemoved(TControl* control) {
  if (FActiveControl && control && (FActiveControl == control ||
                                    (dynamic_cast<TWinControl*>(control) &&
                                     static_cast<TWinControl*>(control)->ContainsControl(FActiveControl))))
    FActiveControl = nullptr;
}

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}

void TCustomForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

void TCustomForm::PaintWindow(HDC dc) {
  FCanvas->PaintOn(dc, [this] { Paint(); });
}

namespace {

void FormStyles(TFormBorderStyle border, TBorderIcons icons, DWORD& style, DWORD& exStyle) {
  style = WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  exStyle = 0;
  switch (border) {
    case TFormBorderStyle::bsNone: break;
    case TFormBorderStyle::bsSingle: style |= WS_CAPTION; break;
    case TFormBorderStyle::bsSizeable: style |= WS_CAPTION | WS_THICKFRAME; break;
    case TFormBorderStyle::bsDialog:
      style |= WS_CAPTION;
      exStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      icons = icons * TBorderIcons{biSystemMenu, biHelp};
      break;
    case TFormBorderStyle::bsToolWindow:
      style |= WS_CAPTION;
      exStyle |= WS_EX_TOOLWINDOW;
      icons = icons * TBorderIcons{biSystemMenu};
      break;
    case TFormBorderStyle::bsSizeToolWin:
      style |= WS_CAPTION | WS_THICKFRAME;
      exStyle |= WS_EX_TOOLWINDOW;
      icons = icons * TBorderIcons{biSystemMenu};
      break;
  }
  if (border != TFormBorderStyle::bsNone && icons.Contains(biSystemMenu)) {
    style |= WS_SYSMENU;
    if (icons.Contains(biMinimize)) style |= WS_MINIMIZEBOX;
    if (icons.Contains(biMaximize)) style |= WS_MAXIMIZEBOX;
    if (icons.Contains(biHelp) && !icons.Contains(biMinimize) && !icons.Contains(biMaximize))
      exStyle |= WS_EX_CONTEXTHELP;
  }
}

}  // namespace

void TCustomForm::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  DWORD style, exStyle;
  FormStyles(FBorderStyle, FBorderIcons, style, exStyle);
  p.Style = style;
  if (!FEnabled) p.Style |= WS_DISABLED;
  p.ExStyle = exStyle;
  if (FFormStyle == TFormStyle::fsStayOnTop) p.ExStyle |= WS_EX_TOPMOST;
  if (FAlphaBlend) p.ExStyle |= WS_EX_LAYERED;
  if (FPosition == TPosition::poDefault || FPosition == TPosition::poDefaultPosOnly) p.X = p.Y = CW_USEDEFAULT;
  p.WndParent = ParentWindow();
  if (!p.WndParent && Application) {
    TCustomForm* mainForm = Application->MainForm();
    if (mainForm == this) {
      if (Application->MainFormOnTaskBar)
        p.ExStyle |= WS_EX_APPWINDOW;
      else
        p.WndParent = Application->Handle();
    } else if (mainForm && mainForm->HandleAllocated()) {
      p.WndParent = mainForm->Handle();
    } else {
      p.WndParent = Application->Handle();
    }
  }
  p.ClassStyle = CS_DBLCLKS;
  p.WinClassName = ToWide(ClassName());
}

void TCustomForm::CreateWnd() {
  if (!FCreated) AfterConstruction();
  TWinControl::CreateWnd();
  if (FAlphaBlend) ApplyAlphaBlend();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
  if (value == FBorderStyle) return;
  FBorderStyle = value;
  if (FHandle) {
    DWORD style, exStyle;
    FormStyles(FBorderStyle, FBorderIcons, style, exStyle);
    LONG_PTR keep = GetWindowLongPtrW(FHandle, GWL_STYLE) & (WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE);
    LONG_PTR exKeep = GetWindowLongPtrW(FHandle, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_APPWINDOW);
    SetWindowLongPtrW(FHandle, GWL_STYLE, LONG_PTR(style) | keep);
    SetWindowLongPtrW(FHandle, GWL_EXSTYLE, LONG_PTR(exStyle) | exKeep);
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Perform(CM_BORDERCHANGED);
}

void TCustomForm::SetBorderIcons(TBorderIcons value) {
  if (value == FBorderIcons) return;
  FBorderIcons = value;
  if (FHandle) {
    auto border = FBorderStyle;
    FBorderStyle = TFormBorderStyle(-1);  // force the style refresh
    SetBorderStyle(border);
  }
}

void TCustomForm::SetFormStyle(TFormStyle value) {
  if (value == FFormStyle) return;
  FFormStyle = value;
  if (FHandle)
    SetWindowPos(FHandle, value == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TWindowState TCustomForm::WindowState() const {
  if (FHandle) {
    if (IsIconic(FHandle)) return TWindowState::wsMinimized;
    if (IsZoomed(FHandle)) return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
  }
  return FWindowState;
}

void TCustomForm::SetWindowState(TWindowState value) {
  FWindowState = value;
  if (FHandle && Showing()) {
    static const int cmds[] = {SW_RESTORE, SW_MINIMIZE, SW_MAXIMIZE};
    ShowWindow(FHandle, cmds[int(value)]);
  }
}

void TCustomForm::SetAlphaBlend(bool value) {
  if (value == FAlphaBlend) return;
  FAlphaBlend = value;
  if (FHandle) {
    if (value) {
      ApplyAlphaBlend();
    } else {
      LONG_PTR ex = GetWindowLongPtrW(FHandle, GWL_EXSTYLE);
      SetWindowLongPtrW(FHandle, GWL_EXSTYLE, ex & ~LONG_PTR(WS_EX_LAYERED));
      RedrawWindow(FHandle, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    }
  }
}

void TCustomForm::SetAlphaBlendValue(BYTE value) {
  FAlphaBlendValue = value;
  if (FHandle && FAlphaBlend) ApplyAlphaBlend();
}

void TCustomForm::ApplyAlphaBlend() {
  LONG_PTR ex = GetWindowLongPtrW(FHandle, GWL_EXSTYLE);
  if (!(ex & WS_EX_LAYERED)) SetWindowLongPtrW(FHandle, GWL_EXSTYLE, ex | WS_EX_LAYERED);
  SetLayeredWindowAttributes(FHandle, 0, FAlphaBlendValue, LWA_ALPHA);
}

bool TCustomForm::Active() const { return FHandle && GetActiveWindow() == FHandle; }

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (control && GetParentForm(control) != this)
    throw EInvalidOperation("Invalid active control: it is not on this form");
  if (control && FHandle && Active() && control->CanFocus()) {
    control->SetFocus();
    return;
  }
  FActiveControl = control;
}

void TCustomForm::FocusFirstControl() {
  TWinControl* c = FActiveControl;
  if (!c || !c->CanFocus()) c = FindNextControl(nullptr, true, true, false);
  if (c && c->CanFocus()) ::SetFocus(c->Handle());
}

void TCustomForm::ApplyPosition() {
  int x = FLeft, y = FTop;
  TRect area = Screen ? Screen->WorkAreaRect() : Rect(0, 0, 0, 0);
  switch (FPosition) {
    case TPosition::poScreenCenter:
    case TPosition::poDesktopCenter:
      x = area.Left + (area.Width() - FWidth) / 2;
      y = area.Top + (area.Height() - FHeight) / 2;
      break;
    case TPosition::poMainFormCenter:
    case TPosition::poOwnerFormCenter: {
      TCustomForm* center = FPosition == TPosition::poMainFormCenter ? (Application ? Application->MainForm() : nullptr)
                                                                    : dynamic_cast<TCustomForm*>(Owner());
      if (center && center != this) {
        x = center->Left() + (center->Width() - FWidth) / 2;
        y = center->Top() + (center->Height() - FHeight) / 2;
      } else {
        x = area.Left + (area.Width() - FWidth) / 2;
        y = area.Top + (area.Height() - FHeight) / 2;
      }
      break;
    }
    default:
      return;
  }
  SetBounds(x, y, FWidth, FHeight);
}

void TCustomForm::SetBounds(int left, int top, int width, int height) {
  Constraints.Apply(width, height);
  TWinControl::SetBounds(left, top, width, height);
}

TModalResult TCustomForm::ShowModal() {
  if (FVisible || !FEnabled || FModal) throw EInvalidOperation("Cannot make a visible window modal");
  SetCaptureControl(nullptr);
  HWND activeWnd = GetActiveWindow();
  HandleNeeded();
  // Every other enabled, visible top-level window of the thread is disabled.
  struct TEnum {
    HWND Self;
    std::vector<HWND> Windows;
  } e{FHandle, {}};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND wnd, LPARAM lp) -> BOOL {
        auto* en = reinterpret_cast<TEnum*>(lp);
        if (wnd != en->Self && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) en->Windows.push_back(wnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&e));
  for (HWND w : e.Windows) EnableWindow(w, FALSE);
  FModal = true;
  ++Application->FModalLevel;
  auto restore = [&] {
    for (HWND w : e.Windows)
      if (IsWindow(w)) EnableWindow(w, TRUE);
    if (activeWnd && IsWindow(activeWnd)) SetActiveWindow(activeWnd);
    FModal = false;
    --Application->FModalLevel;
  };
  FModalResult = mrNone;
  try {
    Show();
    do {
      Application->HandleMessage();
      if (Application->Terminated())
        FModalResult = mrCancel;
      else if (FModalResult != mrNone)
        CloseModal();
    } while (FModalResult == mrNone);
    for (HWND w : e.Windows)
      if (IsWindow(w)) EnableWindow(w, TRUE);
    Hide();
  } catch (...) {
    restore();
    if (FVisible) Hide();
    throw;
  }
  restore();
  return FModalResult;
}

void TCustomForm::CloseModal() {
  if (!CloseQuery()) {
    FModalResult = mrNone;
    return;
  }
  TCloseAction action = TCloseAction::caHide;
  DoClose(action);
  if (action == TCloseAction::caNone)
    FModalResult = mrNone;
  else if (action == TCloseAction::caFree)
    Release();
}

void TCustomForm::Close() {
  if (FModal) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  bool isMain = Application && Application->MainForm() == this;
  TCloseAction action = isMain ? TCloseAction::caFree : TCloseAction::caHide;
  DoClose(action);
  switch (action) {
    case TCloseAction::caHide: Hide(); break;
    case TCloseAction::caMinimize: SetWindowState(TWindowState::wsMinimized); break;
    case TCloseAction::caFree:
      if (isMain)
        Application->Terminate();
      else
        Release();
      break;
    case TCloseAction::caNone: break;
  }
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

bool TCustomForm::SessionCloseQuery() {
  try {
    return CloseQuery();
  } catch (...) {
    HandleBoundaryException(this);
    return true;
  }
}

void TCustomForm::Release() {
  if (Application) PostMessageW(Application->Handle(), CM_RELEASE, 0, reinterpret_cast<LPARAM>(this));
}

void TCustomForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_SHOWINGCHANGED:
      if (Showing()) {
        if (!FPositioned || FPosition == TPosition::poScreenCenter || FPosition == TPosition::poDesktopCenter ||
            FPosition == TPosition::poMainFormCenter || FPosition == TPosition::poOwnerFormCenter) {
          FPositioned = true;
          ApplyPosition();
        }
        if (FFormStyle == TFormStyle::fsStayOnTop)
          SetWindowPos(FHandle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        static const int cmds[] = {SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
        ShowWindow(FHandle, cmds[int(FWindowState)]);
        DoShow();
      } else {
        DoHide();
        ShowWindow(FHandle, SW_HIDE);
      }
      return;
    case WM_CLOSE:
      Close();
      m.Result = 0;
      return;
    case WM_QUERYENDSESSION:
      if (Application && Application->MainForm() == this)
        m.Result = Application->QueryEndSession();
      else
        m.Result = SessionCloseQuery();
      return;
    case WM_ENDSESSION:
      if (Application && Application->MainForm() == this) Application->EndSession(m.WParam != 0);
      m.Result = 0;
      return;
    case WM_ACTIVATE:
      DefaultHandler(m);
      if (LOWORD(m.WParam) != WA_INACTIVE) {
        if (!IsIconic(FHandle)) FocusFirstControl();
        if (OnActivate) OnActivate(this);
      } else if (OnDeactivate) {
        OnDeactivate(this);
      }
      m.Result = 0;
      return;
    case WM_ACTIVATEAPP:
      if (Application) Application->SetActive(m.WParam != 0);
      break;
    case WM_GETMINMAXINFO: {
      DefaultHandler(m);
      auto* mmi = reinterpret_cast<MINMAXINFO*>(m.LParam);
      if (Constraints.MinWidth > 0) mmi->ptMinTrackSize.x = Constraints.MinWidth;
      if (Constraints.MinHeight > 0) mmi->ptMinTrackSize.y = Constraints.MinHeight;
      if (Constraints.MaxWidth > 0) mmi->ptMaxTrackSize.x = Constraints.MaxWidth;
      if (Constraints.MaxHeight > 0) mmi->ptMaxTrackSize.y = Constraints.MaxHeight;
      return;
    }
    case CM_FOCUSCHANGED: {
      auto* c = reinterpret_cast<TWinControl*>(m.LParam);
      if (c != FActiveControl) {
        TWinControl* old = FActiveControl;
        FActiveControl = c;
        if (old) old->Perform(CM_EXIT);
        if (c && FActiveControl == c) c->Perform(CM_ENTER);
      }
      return;
    }
    case CM_CONTROLLISTCHANGE:
      if (m.LParam == 0) ControlRemoved(reinterpret_cast<TControl*>(m.WParam));
      break;
    case CM_DIALOGKEY: {
      WORD key = WORD(m.WParam);
      if (key == VK_TAB && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
        SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
        m.Result = 1;
        return;
      }
      break;  // Return and Escape: the children's default and cancel buttons
    }
    default:
      break;
  }
  TWinControl::WndProc(m);
}

void TCustomForm::DefaultHandler(TMessage& m) {
  if (FHandle) {
    m.Result = DefWindowProcW(FHandle, m.Msg, m.WParam, m.LParam);
    return;
  }
  TWinControl::DefaultHandler(m);
}

// ---- TApplication --------------------------------------------------------

namespace {

const wchar_t AppWindowClass[] = L"TApplication";

LRESULT CALLBACK AppWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DispatchToWndMethod(wnd, msg, wParam, lParam, Application);
}

}  // namespace

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

TApplication::~TApplication() { Shutdown(); }

void TApplication::Shutdown() {
  FTerminated = true;
  for (int i = ComponentCount() - 1; i >= 0; --i)
    if (auto* f = dynamic_cast<TCustomForm*>(Components(i))) f->FireDestroy();  // every OnDestroy before any form goes
  // Free the forms while the application window still exists.
  while (ComponentCount() > 0) {
    TComponent* c = Components(ComponentCount() - 1);
    RemoveComponent(c);
    try {
      c->Free();
    } catch (...) {
      HandleBoundaryException(this);
    }
  }
  FMainForm = nullptr;
  if (FHandle) {
    auto* handler = reinterpret_cast<TWndMethod*>(GetWindowLongPtrW(FHandle, GWLP_USERDATA));
    SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
    DestroyWindow(FHandle);
    FHandle = nullptr;
    delete handler;
  }
}

void TApplication::Initialize() {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  Handle();
}

HWND TApplication::Handle() {
  if (FHandle) return FHandle;
  static bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = AppWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = AppWindowClass;
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
  std::wstring title = ToWide(Title.empty() ? ChangeFileExt(ExtractFileName(ExeFileName()), "") : Title);
  FHandle = CreateWindowExW(0, AppWindowClass, title.c_str(), WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU |
                            WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!FHandle) throw EOutOfResources("Cannot create the application window: " + SysErrorMessage(GetLastError()));
  SetWindowLongPtrW(FHandle, GWLP_USERDATA,
                    reinterpret_cast<LONG_PTR>(new TWndMethod([this](TMessage& m) { WndProc(m); })));
  return FHandle;
}

int TApplication::HookMainWindow(TWindowHook hook) {
  int id = FNextHookId++;
  FHooks.emplace_back(id, std::move(hook));
  return id;
}

void TApplication::UnhookMainWindow(int id) {
  FHooks.erase(std::remove_if(FHooks.begin(), FHooks.end(), [id](auto& h) { return h.first == id; }), FHooks.end());
}

void TApplication::WndProc(TMessage& m) {
  auto hooks = FHooks;  // a hook may unhook itself
  for (auto& h : hooks)
    if (h.second && h.second(m)) return;
  switch (m.Msg) {
    case WM_ACTIVATEAPP:
      SetActive(m.WParam != 0);
      break;
    case CM_ACTIVATE:
    case CM_DEACTIVATE:
      m.Result = 0;
      return;
    case CM_RELEASE: {
      auto* form = reinterpret_cast<TCustomForm*>(m.LParam);
      if (Screen && std::find(Screen->FForms.begin(), Screen->FForms.end(), form) != Screen->FForms.end())
        form->Free();
      m.Result = 0;
      return;
    }
    case WM_CLOSE:
      if (FMainForm) FMainForm->Close();
      m.Result = 0;
      return;
    case WM_QUERYENDSESSION:
      m.Result = QueryEndSession();
      return;
    case WM_ENDSESSION:
      EndSession(m.WParam != 0);
      m.Result = 0;
      return;
    default:
      break;
  }
  m.Result = DefWindowProcW(FHandle, m.Msg, m.WParam, m.LParam);
}

bool TApplication::QueryEndSession() {
  if (FSessionAnswer < 0) FSessionAnswer = !FMainForm || FMainForm->SessionCloseQuery();
  return FSessionAnswer != 0;
}

void TApplication::EndSession(bool ending) {
  FSessionAnswer = -1;
  if (ending) Terminate();
}

void TApplication::SetActive(bool active) {
  if (active == FActive) return;
  FActive = active;
  if (FHandle) SendMessageW(FHandle, active ? CM_ACTIVATE : CM_DEACTIVATE, 0, 0);
}

bool TApplication::IsKeyMsg(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  HWND wnd = msg.hwnd;
  TWinControl* c = nullptr;
  while (wnd && !(c = FindControl(wnd))) wnd = GetParent(wnd);
  if (!c) return false;
  return c->Perform(CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  bool handled = false;
  try {
    handled = IsKeyMsg(msg);
  } catch (...) {
    HandleBoundaryException(this);
    handled = true;
  }
  if (!handled) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

void TApplication::Idle() {
  FreeDeviceContexts();
  if (OnIdle) {
    try {
      OnIdle(this);
    } catch (...) {
      HandleException(this);
    }
  }
  if (!FTerminated) WaitMessage();
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle();
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::Run() {
  FTerminated = false;
  if (!FMainForm) return;
  try {
    FMainForm->Show();
  } catch (...) {
    HandleException(FMainForm);
  }
  while (!FTerminated) HandleMessage();
}

void TApplication::Terminate() {
  FTerminated = true;
  PostQuitMessage(0);
}

void TApplication::HandleException(TObject* sender) {
  std::exception_ptr p = std::current_exception();
  auto report = [&](const std::exception& e) {
    if (OnException)
      OnException(sender, e);
    else
      ShowException(e);
  };
  try {
    if (p) std::rethrow_exception(p);
  } catch (const std::exception& e) {
    report(e);
  } catch (...) {
    report(Exception("Unknown exception"));
  }
}

void TApplication::ShowException(const std::exception& e) {
  String text = e.what();
  std::wstring title = ToWide(Title.empty() ? ChangeFileExt(ExtractFileName(ExeFileName()), "") : Title);
  MessageBoxW(GetActiveWindow(), ToWide(text).c_str(), title.c_str(), MB_OK | MB_ICONSTOP);
}

// ---- TScreen -------------------------------------------------------------

TScreen::TScreen(TComponent* owner) : TComponent(owner) {}
TScreen::~TScreen() = default;

TCustomForm* TScreen::Forms(int index) const {
  if (index < 0 || index >= FormCount()) throw EListError(Format("List index out of bounds (%d)", index));
  return FForms[size_t(index)];
}

TCustomForm* TScreen::ActiveForm() const { return dynamic_cast<TCustomForm*>(FindControl(GetActiveWindow())); }

TWinControl* TScreen::ActiveControl() const {
  TCustomForm* f = ActiveForm();
  return f ? f->ActiveControl() : nullptr;
}

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

TRect TScreen::DesktopRect() const {
  int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return Rect(x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

TRect TScreen::WorkAreaRect() const {
  RECT r{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return Rect(0, 0, Width(), Height());
  return Rect(r.left, r.top, r.right, r.bottom);
}

namespace {

TMonitor MonitorOf(HMONITOR mon, int num) {
  TMonitor m;
  m.Handle = mon;
  m.MonitorNum = num;
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  if (GetMonitorInfoW(mon, &mi)) {
    m.BoundsRect = Rect(mi.rcMonitor.left, mi.rcMonitor.top, mi.rcMonitor.right, mi.rcMonitor.bottom);
    m.WorkareaRect = Rect(mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom);
    m.Primary = (mi.dwFlags & MONITORINFOF_PRIMARY) != 0;
  }
  return m;
}

}  // namespace

std::vector<TMonitor> TScreen::Monitors() const {
  std::vector<HMONITOR> handles;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR mon, HDC, LPRECT, LPARAM lp) -> BOOL {
        reinterpret_cast<std::vector<HMONITOR>*>(lp)->push_back(mon);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&handles));
  std::vector<TMonitor> result;
  for (size_t i = 0; i < handles.size(); ++i) result.push_back(MonitorOf(handles[i], int(i)));
  return result;
}

TMonitor TScreen::MonitorFromWindow(HWND wnd) const {
  HMONITOR mon = ::MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST);
  for (const TMonitor& m : Monitors())
    if (m.Handle == mon) return m;
  return MonitorOf(mon, 0);
}

TMonitor TScreen::MonitorFromPoint(TPoint p) const {
  HMONITOR mon = ::MonitorFromPoint(POINT{p.X, p.Y}, MONITOR_DEFAULTTONEAREST);
  for (const TMonitor& m : Monitors())
    if (m.Handle == mon) return m;
  return MonitorOf(mon, 0);
}

TMonitor TScreen::MonitorFromRect(const TRect& r) const {
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  HMONITOR mon = ::MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST);
  for (const TMonitor& m : Monitors())
    if (m.Handle == mon) return m;
  return MonitorOf(mon, 0);
}

void TScreen::SetCursor(TCursor value) {
  if (value == FCursor) return;
  FCursor = value;
  POINT p{};
  GetCursorPos(&p);
  if (value != crDefault)
    ::SetCursor(CursorHandle(value));
  else
    SetCursorPos(p.x, p.y);  // makes the window under the cursor set its own again
}

// ---- hint window

namespace {

constexpr wchar_t HintWindowClass[] = L"THintWindow";

HFONT HintFont() {
  static HFONT font = [] {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
    return CreateFontIndirectW(&ncm.lfStatusFont);
  }();
  return font;
}

LRESULT CALLBACK HintWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      HDC dc = BeginPaint(wnd, &ps);
      RECT r{};
      GetClientRect(wnd, &r);
      FillRect(dc, &r, GetSysColorBrush(COLOR_INFOBK));
      wchar_t text[512] = {};
      const int n = GetWindowTextW(wnd, text, 512);
      HGDIOBJ old = SelectObject(dc, HintFont());
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
      InflateRect(&r, -3, -1);
      DrawTextW(dc, text, n, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
      SelectObject(dc, old);
      EndPaint(wnd, &ps);
      return 0;
    }
    default:
      return DefWindowProcW(wnd, msg, wParam, lParam);
  }
}

}  // namespace

void THintWindow::ActivateHint(TPoint at, const String& text) {
  if (text.empty()) {
    ReleaseHandle();
    return;
  }
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_SAVEBITS | CS_DROPSHADOW;
    wc.lpfnWndProc = HintWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = HintWindowClass;
    return RegisterClassExW(&wc) != 0;
  }();
  if (!registered) return;
  const std::wstring wide = ToWide(text);
  const SIZE size = SingleLineTextSize(HintFont(), wide);
  const int w = int(size.cx) + 8, h = int(size.cy) + 4;
  // Kept inside the work area of the point's monitor.
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  int x = at.X, y = at.Y;
  if (GetMonitorInfoW(MonitorFromPoint(POINT{at.X, at.Y}, MONITOR_DEFAULTTONEAREST), &mi)) {
    x = std::max(int(mi.rcWork.left), std::min(x, int(mi.rcWork.right) - w));
    y = std::max(int(mi.rcWork.top), std::min(y, int(mi.rcWork.bottom) - h));
  }
  if (!FHandle || !IsWindow(FHandle))
    FHandle = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, HintWindowClass, wide.c_str(),
                              WS_POPUP | WS_BORDER, x, y, w, h, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  else
    SetWindowTextW(FHandle, wide.c_str());
  if (!FHandle) return;
  FText = text;
  SetWindowPos(FHandle, HWND_TOPMOST, x, y, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(FHandle, nullptr, TRUE);
}

void THintWindow::ReleaseHandle() {
  if (FHandle && IsWindow(FHandle)) DestroyWindow(FHandle);
  FHandle = nullptr;
  FText.clear();
}

bool THintWindow::Showing() const { return FHandle && IsWindowVisible(FHandle); }
