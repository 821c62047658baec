#include "framework/Controls.h"

#include "framework/Forms.h"

#include <algorithm>
#include <unordered_map>

// ---- Process-wide state (GUI thread only) --------------------------------

namespace {

struct TClassInfo {
  ATOM Atom = 0;
  WNDPROC DefProc = nullptr;
  bool System = false;
};

// Never freed: windows may still talk to us during static destruction.
std::unordered_map<HWND, TWinControl*>& WindowMap() {
  static auto* map = new std::unordered_map<HWND, TWinControl*>;
  return *map;
}

std::unordered_map<std::wstring, TClassInfo>& ClassRegistry() {
  static auto* reg = new std::unordered_map<std::wstring, TClassInfo>;
  return *reg;
}

std::unordered_map<ATOM, WNDPROC>& AtomProcs() {
  static auto* map = new std::unordered_map<ATOM, WNDPROC>;
  return *map;
}

std::vector<TControlCanvas*>& CanvasList() {
  static auto* list = new std::vector<TControlCanvas*>;
  return *list;
}

// Windows being created on this thread, innermost on top. The first message
// of a new window (WM_GETMINMAXINFO, WM_NCCREATE, or a hook's probe) binds it
// to the top record. A framework window created while another is being
// created (from a WH_CBT hook at HCBT_CREATEWND) pushes its own record, binds
// and pops it, and leaves the outer one waiting for its own first message.
struct TCreationRecord {
  TWinControl* Control;
  ATOM Atom;
  bool Bound;
  TCreationRecord* Outer;
};
thread_local TCreationRecord* CreationTop = nullptr;

TControl* CaptureControl = nullptr;
TControl* MouseControl = nullptr;

bool IsWindowed(const TControl* c) { return dynamic_cast<const TWinControl*>(c) != nullptr; }

}  // namespace

TWinControl* FindControl(HWND wnd) {
  if (!wnd) return nullptr;
  auto& map = WindowMap();
  auto it = map.find(wnd);
  return it == map.end() ? nullptr : it->second;
}

LRESULT CALLBACK ControlWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

TWinControl* FindDirectControl(HWND wnd) {
  TWinControl* c = FindControl(wnd);
  if (!c || GetWindowThreadProcessId(wnd, nullptr) != GetCurrentThreadId()) return nullptr;
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC)) == ControlWndProc ? c : nullptr;
}

TControl* GetCaptureControl() { return CaptureControl; }

void SetCaptureControl(TControl* control) {
  ReleaseCapture();
  CaptureControl = nullptr;
  if (!control) return;
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    SetCapture(w->Handle());
  } else if (control->Parent()) {
    SetCapture(control->Parent()->Handle());
    CaptureControl = control;
  }
}

TControl* GetMouseControl() { return MouseControl; }

TCustomForm* GetParentForm(const TControl* control) {
  const TControl* c = control;
  while (c && c->Parent()) c = c->Parent();
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

TShiftState KeysToShiftState(WPARAM keys) {
  TShiftState s;
  if (keys & MK_SHIFT) s.Include(ssShift);
  if (keys & MK_CONTROL) s.Include(ssCtrl);
  if (keys & MK_LBUTTON) s.Include(ssLeft);
  if (keys & MK_RBUTTON) s.Include(ssRight);
  if (keys & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TShiftState KeyboardShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

HCURSOR CursorHandle(TCursor cursor) {
  const wchar_t* id = IDC_ARROW;
  switch (cursor) {
    case crNone: return nullptr;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass: id = IDC_WAIT; break;
    case crNo: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    default: break;
  }
  return LoadCursorW(nullptr, id);
}

// ---- TControlCanvas ------------------------------------------------------

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::CreateHandle() {
  if (!FControl) return;
  if (auto* w = dynamic_cast<TWinControl*>(FControl)) {
    FWnd = w->Handle();
    FDC = GetDC(FWnd);
  } else if (FControl->Parent()) {
    FWnd = FControl->Parent()->Handle();
    FDC = GetDC(FWnd);
    if (FDC) {
      SetViewportOrgEx(FDC, FControl->Left(), FControl->Top(), nullptr);
      IntersectClipRect(FDC, 0, 0, FControl->Width(), FControl->Height());
    }
  }
  if (!FDC) return;
  NoteDCAcquired(FDC);
  SetHandle(FDC);
  CanvasList().push_back(this);
}

void TControlCanvas::FreeHandle() {
  if (!FDC) return;
  SetHandle(nullptr);
  ReleaseDC(FWnd, FDC);
  NoteDCReleased(FDC);
  FDC = nullptr;
  FWnd = nullptr;
  auto& list = CanvasList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TControlCanvas::PaintOn(HDC dc, const std::function<void()>& paint) {
  FreeHandle();
  Lock();
  SetHandle(dc);
  SetFont(FControl->Font());
  Brush()->SetColor(FControl->Color());
  try {
    paint();
  } catch (...) {
    SetHandle(nullptr);
    Unlock();
    throw;
  }
  SetHandle(nullptr);
  Unlock();
}

void FreeDeviceContexts() {
  auto list = CanvasList();
  for (TControlCanvas* c : list)
    if (c->LockCount() == 0) c->FreeHandle();
  FreeBitmapCanvasDCs();
}

// ---- TControl ------------------------------------------------------------

struct TControl::TWndLink {
  int Id = 0;
  TControl* Control = nullptr;  // nullptr once the control is gone
  TWndMethod Method;
  int Depth = 0;          // calls in progress
  bool Detached = false;  // erased when Depth drops to 0
};

namespace {
int NextWndLinkId = 0;
}

TControl::TControl(TComponent* owner) : TComponent(owner), FFont(new TFont) {
  ControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  for (auto& link : FWndLinks) {
    link->Control = nullptr;
    link->Detached = true;
  }
  if (MouseControl == this) MouseControl = nullptr;
  if (CaptureControl == this) CaptureControl = nullptr;
  if (FParent) FParent->RemoveControl(this);
  delete FFont;
}

int TControl::AttachWindowProc(TWndMethod method) {
  if (!method) throw EInvalidArgument("A window procedure link needs a method");
  auto link = std::make_shared<TWndLink>();
  link->Id = ++NextWndLinkId;
  link->Control = this;
  link->Method = std::move(method);
  FWndLinks.push_back(std::move(link));
  return FWndLinks.back()->Id;
}

bool TControl::DetachWindowProc(int id) {
  auto it = std::find_if(FWndLinks.begin(), FWndLinks.end(),
                         [id](const auto& l) { return l->Id == id && !l->Detached; });
  if (it == FWndLinks.end()) return false;
  bool onTop = WindowProcOnTop(id);
  (*it)->Detached = true;
  // A link inside its own call stays listed (detached) so that its
  // CallPreviousWindowProc still finds the links below it.
  if ((*it)->Depth == 0) FWndLinks.erase(it);
  return onTop;
}

bool TControl::WindowProcOnTop(int id) const {
  for (auto it = FWndLinks.rbegin(); it != FWndLinks.rend(); ++it)
    if (!(*it)->Detached) return (*it)->Id == id;
  return false;
}

void TControl::CallPreviousWindowProc(int id, TMessage& m) {
  auto it = std::find_if(FWndLinks.begin(), FWndLinks.end(), [id](const auto& l) { return l->Id == id; });
  CallLinkBelow(it == FWndLinks.end() ? 0 : size_t(it - FWndLinks.begin()), m);
}

void TControl::CallLinkBelow(size_t end, TMessage& m) {
  size_t i = std::min(end, FWndLinks.size());
  while (i > 0 && FWndLinks[i - 1]->Detached) --i;
  if (i == 0) {
    WndProc(m);
    return;
  }
  std::shared_ptr<TWndLink> link = FWndLinks[i - 1];
  struct TDepth {
    TWndLink* Link;
    ~TDepth() {
      // The link outlives a control freed during its call; the list does not.
      if (--Link->Depth == 0 && Link->Detached && Link->Control) {
        auto& links = Link->Control->FWndLinks;
        links.erase(std::remove_if(links.begin(), links.end(), [this](const auto& l) { return l.get() == Link; }),
                    links.end());
      }
    }
  } depth{link.get()};
  ++link->Depth;
  link->Method(m);
}

void TControl::SetParent(TWinControl* value) {
  if (value == FParent) return;
  if (value == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (value) value->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
  bool resized = width != FWidth || height != FHeight;
  Invalidate();
  FLeft = left;
  FTop = top;
  FWidth = width;
  FHeight = height;
  Invalidate();
  if (resized) Resize();
}

void TControl::UpdateBoundsFrom(int left, int top, int width, int height) {
  FLeft = left;
  FTop = top;
  FWidth = width;
  FHeight = height;
}

void TControl::SetClientSize(int width, int height) { SetBounds(FLeft, FTop, width, height); }

TPoint TControl::ClientOrigin() const {
  if (!FParent) return Point(FLeft, FTop);
  TPoint p = FParent->ClientOrigin();
  return Point(p.X + FLeft, p.Y + FTop);
}

TPoint TControl::ClientToScreen(TPoint p) const {
  TPoint o = ClientOrigin();
  return Point(p.X + o.X, p.Y + o.Y);
}

TPoint TControl::ScreenToClient(TPoint p) const {
  TPoint o = ClientOrigin();
  return Point(p.X - o.X, p.Y - o.Y);
}

void TControl::SetVisible(bool value) {
  if (value == FVisible) return;
  if (!value) Invalidate();
  FVisible = value;
  Perform(CM_VISIBLECHANGED, value);
}

bool TControl::Showing() const { return FVisible && (!FParent || FParent->Showing()); }

void TControl::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor value) {
  if (value == FColor) {
    FParentColor = false;
    return;
  }
  FColor = value;
  FParentColor = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
  if (value == FParentColor) return;
  FParentColor = value;
  if (value && FParent) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetParentFont(bool value) {
  if (value == FParentFont) return;
  FParentFont = value;
  if (value && FParent) Perform(CM_PARENTFONTCHANGED);
}

void TControl::FontChanged() {
  if (!FUpdatingFontFromParent) FParentFont = false;
  Perform(CM_FONTCHANGED);
}

void TControl::SetCursor(TCursor value) {
  if (value == FCursor) return;
  FCursor = value;
  Perform(CM_CURSORCHANGED);
}

String TControl::Text() const {
  auto* self = const_cast<TControl*>(this);
  LRESULT len = self->Perform(WM_GETTEXTLENGTH);
  if (len <= 0) return {};
  std::wstring buf(size_t(len) + 1, L'\0');
  LRESULT n = self->Perform(WM_GETTEXT, WPARAM(len + 1), reinterpret_cast<LPARAM>(buf.data()));
  buf.resize(size_t(std::clamp<LRESULT>(n, 0, len)));
  return FromWide(buf);
}

void TControl::SetText(const String& value) {
  if (Text() == value) return;
  std::wstring w = ToWide(value);
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()));
  Perform(CM_TEXTCHANGED);
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage m{msg, wParam, lParam, 0};
  CallLinkBelow(FWndLinks.size(), m);
  return m.Result;
}

void TControl::Dispatch(TMessage& message) { CallLinkBelow(FWndLinks.size(), message); }

void TControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN: HandleMouseButton(m, mbLeft, true, false); break;
    case WM_LBUTTONDBLCLK: HandleMouseButton(m, mbLeft, true, true); break;
    case WM_LBUTTONUP: HandleMouseButton(m, mbLeft, false, false); break;
    case WM_RBUTTONDOWN: HandleMouseButton(m, mbRight, true, false); break;
    case WM_RBUTTONDBLCLK: HandleMouseButton(m, mbRight, true, true); break;
    case WM_RBUTTONUP: HandleMouseButton(m, mbRight, false, false); break;
    case WM_MBUTTONDOWN: HandleMouseButton(m, mbMiddle, true, false); break;
    case WM_MBUTTONDBLCLK: HandleMouseButton(m, mbMiddle, true, true); break;
    case WM_MBUTTONUP: HandleMouseButton(m, mbMiddle, false, false); break;
    case WM_MOUSEMOVE:
      MouseMove(KeysToShiftState(m.WParam), m.XPos(), m.YPos());
      break;
    case CM_MOUSEENTER:
      if (OnMouseEnter) OnMouseEnter(this);
      break;
    case CM_MOUSELEAVE:
      if (OnMouseLeave) OnMouseLeave(this);
      break;
    case CM_PARENTFONTCHANGED:
      if (FParentFont && FParent) {
        FUpdatingFontFromParent = true;
        try {
          FFont->Assign(FParent->Font());
        } catch (...) {
          FUpdatingFontFromParent = false;
          throw;
        }
        FUpdatingFontFromParent = false;
      }
      break;
    case CM_PARENTCOLORCHANGED:
      if (FParentColor && FParent && FColor != FParent->Color()) {
        FColor = FParent->Color();
        Perform(CM_COLORCHANGED);
      }
      break;
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
      if (!IsWindowed(this)) Invalidate();
      break;
  }
  DefaultHandler(m);
}

void TControl::HandleMouseButton(TMessage& m, TMouseButton button, bool down, bool dbl) {
  TShiftState shift = KeysToShiftState(m.WParam);
  int x = m.XPos(), y = m.YPos();
  if (down) {
    if (ControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
    if (button == mbLeft) {
      ControlState.Include(csLButtonDown);
      if (ControlStyle.Contains(csClickEvents)) ControlState.Include(csClicked);
    }
    if (dbl) {
      shift.Include(ssDouble);
      if (ControlStyle.Contains(csDoubleClicks)) DblClick();
    }
    MouseDown(button, shift, x, y);
  } else {
    if (button == mbLeft) ControlState.Exclude(csLButtonDown);
    if (ControlStyle.Contains(csCaptureMouse) && MouseCapture()) SetMouseCapture(false);
    if (button == mbLeft && ControlState.Contains(csClicked)) {
      ControlState.Exclude(csClicked);
      if (ClientRect().Contains(Point(x, y))) Click();
    }
    MouseUp(button, shift, x, y);
  }
}

void TControl::DefaultHandler(TMessage& m) {
  switch (m.Msg) {
    case WM_GETTEXTLENGTH:
      m.Result = LRESULT(ToWide(FText).size());
      break;
    case WM_GETTEXT: {
      std::wstring w = ToWide(FText);
      size_t cap = size_t(m.WParam);
      auto* buf = reinterpret_cast<wchar_t*>(m.LParam);
      if (!buf || cap == 0) {
        m.Result = 0;
        break;
      }
      size_t n = std::min(w.size(), cap - 1);
      std::copy_n(w.c_str(), n, buf);
      buf[n] = L'\0';
      m.Result = LRESULT(n);
      break;
    }
    case WM_SETTEXT:
      FText = FromWide(reinterpret_cast<const wchar_t*>(m.LParam));
      m.Result = TRUE;
      break;
    default:
      break;
  }
}

// A window not on screen is wholly invalidated when it shows; marking parts
// of it before then only costs a trip to the window manager apiece.
void TControl::Invalidate() {
  if (FParent && FParent->HandleAllocated() && FVisible && IsWindowVisible(FParent->Handle())) {
    RECT r{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
    InvalidateRect(FParent->Handle(), &r, !ControlStyle.Contains(csOpaque));
  }
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::BringToFront() {
  if (!FParent) return;
  auto& list = FParent->FControls;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  list.push_back(this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    SetWindowPos(w->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

void TControl::SendToBack() {
  if (!FParent) return;
  auto& list = FParent->FControls;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  list.insert(list.begin(), this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    SetWindowPos(w->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

bool TControl::MouseCapture() const {
  if (auto* w = dynamic_cast<const TWinControl*>(this)) return w->HandleAllocated() && GetCapture() == w->FHandle;
  return CaptureControl == this;
}

void TControl::SetMouseCapture(bool value) {
  if (value == MouseCapture()) return;
  SetCaptureControl(value ? this : nullptr);
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

// ---- Window procedure ----------------------------------------------------

LRESULT CALLBACK ControlWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* c = FindControl(wnd);
  if (!c && CreationTop && !CreationTop->Bound && ATOM(GetClassWord(wnd, GCW_ATOM)) == CreationTop->Atom) {
    CreationTop->Bound = true;
    c = CreationTop->Control;
    c->FHandle = wnd;
    WindowMap()[wnd] = c;
  }
  if (!c) {
    // A window of ours without object (its object is gone): the class default.
    auto& procs = AtomProcs();
    auto it = procs.find(ATOM(GetClassWord(wnd, GCW_ATOM)));
    WNDPROC def = it == procs.end() ? DefWindowProcW : it->second;
    return CallWindowProcW(def, wnd, msg, wParam, lParam);
  }
  TMessage m{msg, wParam, lParam, 0};
  c->MainWndProc(m);
  return m.Result;
}

void TWinControl::MainWndProc(TMessage& m) {
  HWND wnd = FHandle;
  try {
    Dispatch(m);
  } catch (...) {
    HandleBoundaryException(this);
  }
  if (m.Msg == WM_NCDESTROY) {
    WindowMap().erase(wnd);
    if (FHandle == wnd) {
      FHandle = nullptr;
      FShowing = false;
      FTrackingLeave = false;
    }
  }
}

// ---- TWinControl ---------------------------------------------------------

TWinControl::TWinControl(TComponent* owner) : TControl(owner), FBrush(new TBrush) {
  FBrush->SetColor(FColor);
}

TWinControl::~TWinControl() {
  Destroying();
  if (FParent) FParent->RemoveControl(this);
  DestroyHandle();  // only when deleted without Free: derived parts are gone by now
  while (!FControls.empty()) {
    TControl* c = FControls.back();
    RemoveControl(c);
    c->BeforeDestruction();
    delete c;
  }
  delete FBrush;
}

void TWinControl::BeforeDestruction() {
  TControl::BeforeDestruction();
  DestroyHandle();
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) FParent->HandleNeeded();
  if (!FHandle) CreateHandle();
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  CreateWnd();
}

void TWinControl::CreateParams(TCreateParams& p) {
  p.Caption = ToWide(FText);
  p.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (!FEnabled) p.Style |= WS_DISABLED;
  if (FTabStop) p.Style |= WS_TABSTOP;
  p.X = FLeft;
  p.Y = FTop;
  p.Width = FWidth;
  p.Height = FHeight;
  p.WndParent = FParent ? FParent->FHandle : FParentWindow;
  p.ClassStyle = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  p.ClassCursor = LoadCursorW(nullptr, IDC_ARROW);
  const char* name = ClassName();
  p.WinClassName = ToWide(name);
}

namespace {

const TClassInfo& RegisterControlClass(const TCreateParams& p) {
  auto& reg = ClassRegistry();
  auto it = reg.find(p.WinClassName);
  if (it != reg.end()) return it->second;
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  TClassInfo info;
  if (!p.SystemClass.empty()) {
    if (!GetClassInfoExW(nullptr, p.SystemClass.c_str(), &wc))
      throw EInvalidOperation("Unknown window class " + FromWide(p.SystemClass));
    info.DefProc = wc.lpfnWndProc;
    info.System = true;
    wc.style &= ~UINT(CS_GLOBALCLASS);
    wc.cbSize = sizeof(wc);
  } else {
    info.DefProc = DefWindowProcW;
    wc.style = p.ClassStyle;
    wc.hCursor = p.ClassCursor;
    wc.hbrBackground = p.Background;
  }
  wc.hInstance = inst;
  wc.lpfnWndProc = ControlWndProc;
  wc.lpszClassName = p.WinClassName.c_str();
  wc.lpszMenuName = nullptr;
  info.Atom = RegisterClassExW(&wc);
  if (!info.Atom) throw EOutOfResources("Cannot register window class " + FromWide(p.WinClassName));
  AtomProcs()[info.Atom] = info.DefProc;
  return reg[p.WinClassName] = info;
}

}  // namespace

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if ((p.Style & WS_CHILD) && !p.WndParent)
    throw EInvalidOperation(Format("Control '%s' has no parent window", Name().c_str()));
  const TClassInfo& info = RegisterControlClass(p);
  FDefWndProc = info.DefProc;
  ControlState.Include(csCreating);
  TCreationRecord record{this, info.Atom, false, CreationTop};
  CreationTop = &record;
  try {
    CreateWindowHandle(p);
  } catch (...) {
    CreationTop = record.Outer;
    ControlState.Exclude(csCreating);
    throw;
  }
  CreationTop = record.Outer;
  ControlState.Exclude(csCreating);
  if (!FHandle) throw EOutOfResources("Error creating window: " + SysErrorMessage(GetLastError()));
  Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), FALSE);
  FFontSent = FFont->HandleGeneration();
  for (TControl* c : std::vector<TControl*>(FControls))
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->FVisible) w->HandleNeeded();
}

void TWinControl::CreateWindowHandle(const TCreateParams& p) {
  HWND wnd = CreateWindowExW(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y, p.Width,
                             p.Height, p.WndParent, nullptr, GetModuleHandleW(nullptr), p.Param);
  if (wnd && !FHandle) {
    // The window never sent a message (unusual); bind now.
    FHandle = wnd;
    WindowMap()[wnd] = this;
  }
}

void TWinControl::DestroyWnd() {
  if (!FHandle) return;
  FText = Text();
  HWND wnd = FHandle;
  DestroyWindow(wnd);
  if (FHandle == wnd) {  // the window was subclassed away and we missed WM_NCDESTROY
    WindowMap().erase(wnd);
    FHandle = nullptr;
  }
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  ControlState.Include(csDestroyingHandle);
  for (TControl* c : std::vector<TControl*>(FControls))
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  DestroyWnd();
  FShowing = false;
  ControlState.Exclude(csDestroyingHandle);
}

void TWinControl::RecreateWnd() {
  if (!FHandle) return;
  DestroyHandle();
  UpdateShowing();
}

void TWinControl::SetParentWindow(HWND value) {
  if (FParent || value == FParentWindow) return;
  FParentWindow = value;
  if (FHandle) {
    if (value)
      ::SetParent(FHandle, value);
    else
      DestroyHandle();
  }
  UpdateShowing();
}

TControl* TWinControl::Controls(int index) const {
  if (index < 0 || index >= ControlCount()) throw EListError(Format("List index out of bounds (%d)", index));
  return FControls[size_t(index)];
}

void TWinControl::InsertControl(TControl* control) {
  if (!control || control->FParent == this) return;
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 1);
  FControls.push_back(control);
  control->FParent = this;
  if (auto* w = dynamic_cast<TWinControl*>(control)) FTabList.push_back(w);
  control->Perform(CM_PARENTCOLORCHANGED);
  control->Perform(CM_PARENTFONTCHANGED);
  if (!IsWindowed(control)) control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control) {
  auto it = std::find(FControls.begin(), FControls.end(), control);
  if (it == FControls.end()) return;
  if (!IsWindowed(control)) control->Invalidate();
  if (TCustomForm* form = GetParentForm(this)) form->ControlRemoved(control);
  if (MouseControl == control) MouseControl = nullptr;
  if (CaptureControl == control) SetCaptureControl(nullptr);
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 0);
  it = std::find(FControls.begin(), FControls.end(), control);
  if (it != FControls.end()) FControls.erase(it);
  FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), control), FTabList.end());
  control->FParent = nullptr;
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (const TControl* c = control; c; c = c->Parent())
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allowDisabled, bool allowWindowed) const {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (!c->Visible() || (!allowDisabled && !c->Enabled())) continue;
    if (!allowWindowed && IsWindowed(c)) continue;
    if (c->BoundsRect().Contains(p)) {
      TPoint local = Point(p.X - c->Left(), p.Y - c->Top());
      if (c->Perform(CM_HITTEST, 0, MAKELPARAM(local.X, local.Y)) == 0 && c->ControlStyle.Contains(csNoStdEvents))
        continue;
      return c;
    }
  }
  return nullptr;
}

LRESULT TWinControl::Broadcast(TMessage& message) {
  for (TControl* c : std::vector<TControl*>(FControls)) {
    c->Dispatch(message);
    if (message.Result != 0) return message.Result;
  }
  return 0;
}

void TWinControl::NotifyControls(UINT msg) {
  for (TControl* c : std::vector<TControl*>(FControls)) c->Perform(msg);
}

int TWinControl::TabOrder() const {
  if (!FParent) return -1;
  auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : int(it - list.begin());
}

void TWinControl::SetTabOrder(int value) {
  if (!FParent) return;
  auto& list = FParent->FTabList;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  value = std::clamp(value, 0, int(list.size()));
  list.insert(list.begin() + value, this);
}

void TWinControl::SetTabStop(bool value) {
  if (value == FTabStop) return;
  FTabStop = value;
  if (FHandle) {
    LONG_PTR style = GetWindowLongPtrW(FHandle, GWL_STYLE);
    SetWindowLongPtrW(FHandle, GWL_STYLE, value ? (style | WS_TABSTOP) : (style & ~LONG_PTR(WS_TABSTOP)));
  }
  Perform(CM_TABSTOPCHANGED);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* c : FTabList) {
    list.push_back(c);
    c->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int n = int(list.size());
  auto it = std::find(list.begin(), list.end(), current);
  int start = it == list.end() ? (goForward ? n - 1 : 0) : int(it - list.begin());
  int i = start;
  do {
    i = goForward ? (i + 1) % n : (i == 0 ? n - 1 : i - 1);
    TWinControl* c = list[size_t(i)];
    if (c != current && (!checkTabStop || c->TabStop()) && (!checkParent || c->Parent() == this) && c->CanFocus())
      return c;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
  if (TWinControl* c = FindNextControl(current, goForward, checkTabStop, false)) c->SetFocus();
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  ::SetFocus(Handle());
}

bool TWinControl::Focused() const { return FHandle && GetFocus() == FHandle; }

TRect TWinControl::ClientRect() const {
  if (FHandle) {
    RECT r{};
    GetClientRect(FHandle, &r);
    return Rect(r.left, r.top, r.right, r.bottom);
  }
  TCreateParams p;
  const_cast<TWinControl*>(this)->CreateParams(p);
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, p.Style, FALSE, p.ExStyle);
  return Rect(0, 0, std::max(0, FWidth - int(r.right - r.left)), std::max(0, FHeight - int(r.bottom - r.top)));
}

TPoint TWinControl::ClientOrigin() const {
  if (FHandle) {
    POINT p{0, 0};
    ::ClientToScreen(FHandle, &p);
    return Point(p.x, p.y);
  }
  return TControl::ClientOrigin();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
  if (FHandle && !IsIconic(FHandle)) {
    SetWindowPos(FHandle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // The system may refuse parts of it (constraints); UpdateBounds took what it did.
    return;
  }
  bool resized = width != FWidth || height != FHeight;
  FLeft = left;
  FTop = top;
  FWidth = width;
  FHeight = height;
  if (resized) Resize();
}

void TWinControl::SetClientSize(int width, int height) {
  TRect c = ClientRect();
  SetBounds(FLeft, FTop, FWidth - c.Width() + width, FHeight - c.Height() + height);
}

void TWinControl::UpdateBounds() {
  if (!FHandle || IsIconic(FHandle)) return;
  RECT r{};
  GetWindowRect(FHandle, &r);
  if (GetWindowLongPtrW(FHandle, GWL_STYLE) & WS_CHILD) {
    if (HWND parent = GetParent(FHandle)) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  }
  UpdateBoundsFrom(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TWinControl::SetParent(TWinControl* value) {
  if (value == FParent) return;
  TControl::SetParent(value);
  if (FHandle) {
    if (value && value->FHandle)
      ::SetParent(FHandle, value->FHandle);
    else if (!FParentWindow)
      DestroyHandle();
  }
  UpdateShowing();
}

void TWinControl::Invalidate() {
  if (FHandle && IsWindowVisible(FHandle)) InvalidateRect(FHandle, nullptr, !ControlStyle.Contains(csOpaque));
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::SetEnabled(bool value) { TControl::SetEnabled(value); }

void TWinControl::UpdateShowing() {
  bool show = FVisible && (FParent ? FParent->FShowing : (FParentWindow || IsTopLevel()));
  auto updateChildren = [this] {
    for (TControl* c : std::vector<TControl*>(FControls))
      if (auto* w = dynamic_cast<TWinControl*>(c)) w->UpdateShowing();
  };
  try {
    if (show && !FHandle) {
      if (FParent && !FParent->FHandle) return;  // the parent creates us with itself
      CreateHandle();
    }
    bool changed = FHandle && show != FShowing;
    if (!changed) {
      updateChildren();
      return;
    }
    // Children appear inside the still hidden window before it shows, and go
    // after it hid.
    FShowing = show;
    if (show) updateChildren();
    Perform(CM_SHOWINGCHANGED);
  } catch (...) {
    // A failure anywhere in showing or hiding (window creation, OnShow,
    // OnHide) leaves Showing, and Visible when it was this control's own
    // change, as the window actually is, so that the next Show or Hide works.
    bool actual = FHandle && (GetWindowLongPtrW(FHandle, GWL_STYLE) & WS_VISIBLE) != 0;
    FShowing = actual;
    if (FVisible == show) FVisible = actual;
    throw;
  }
  if (!show) updateChildren();
}

void TWinControl::PaintWindow(HDC dc) {
  if (FDefWndProc != DefWindowProcW) {
    TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    DefaultHandler(m);
  }
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
  auto it = FControls.begin();
  if (first) it = std::find(FControls.begin(), FControls.end(), first);
  for (; it != FControls.end(); ++it) {
    TControl* c = *it;
    if (IsWindowed(c) || !c->Visible()) continue;
    RECT r{c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height()};
    if (!RectVisible(dc, &r)) continue;
    int saved = SaveDC(dc);
    POINT org{};
    GetViewportOrgEx(dc, &org);
    SetViewportOrgEx(dc, org.x + c->Left(), org.y + c->Top(), nullptr);
    IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
    try {
      c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    } catch (...) {
      RestoreDC(dc, saved);
      throw;
    }
    RestoreDC(dc, saved);
  }
}

void TWinControl::PaintHandler(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  PAINTSTRUCT ps{};
  bool own = dc == nullptr;
  if (own) dc = BeginPaint(FHandle, &ps);
  try {
    PaintWindow(dc);
    PaintControls(dc, nullptr);
  } catch (...) {
    if (own) EndPaint(FHandle, &ps);
    throw;
  }
  if (own) EndPaint(FHandle, &ps);
  m.Result = 0;
}

void TWinControl::TrackMouse(TControl* target) {
  if (MouseControl != target) {
    TControl* old = MouseControl;
    MouseControl = target;
    if (old) old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
    if (MouseControl == target && target) target->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(target));
  }
  if (!FTrackingLeave && FHandle) {
    TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, FHandle, 0};
    FTrackingLeave = TrackMouseEvent(&tme) != 0;
  }
}

bool TWinControl::RouteMouse(TMessage& m) {
  TControl* target = nullptr;
  if (CaptureControl && CaptureControl->Parent() == this)
    target = CaptureControl;
  else
    target = ControlAtPos(Point(m.XPos(), m.YPos()));
  if (m.Msg == WM_MOUSEMOVE) TrackMouse(target ? target : this);
  if (!target) return false;
  TMessage cm = m;
  cm.LParam = MAKELPARAM(m.XPos() - target->Left(), m.YPos() - target->Top());
  target->Dispatch(cm);
  m.Result = cm.Result;
  return true;
}

bool TWinControl::WantsKey(WORD key) {
  if (Perform(CM_WANTSPECIALKEY, key) != 0) return true;
  LRESULT code = Perform(WM_GETDLGCODE);
  if (code & DLGC_WANTALLKEYS) return key != VK_TAB || (code & DLGC_WANTTAB);
  if (key == VK_TAB) return (code & DLGC_WANTTAB) != 0;
  return false;
}

// A form with KeyPreview sees its controls' keys first.
static TCustomForm* PreviewForm(TWinControl* c) {
  TCustomForm* form = GetParentForm(c);
  return form && form != static_cast<TControl*>(c) && form->KeyPreview ? form : nullptr;
}

void TWinControl::DoKeyDown(WORD& key, TShiftState shift) {
  if (TCustomForm* f = PreviewForm(this); f && f->OnKeyDown) f->OnKeyDown(f, key, shift);
  if (key != 0 && OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::DoKeyUp(WORD& key, TShiftState shift) {
  if (TCustomForm* f = PreviewForm(this); f && f->OnKeyUp) f->OnKeyUp(f, key, shift);
  if (key != 0 && OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::DoKeyPress(wchar_t& key) {
  if (TCustomForm* f = PreviewForm(this); f && f->OnKeyPress) f->OnKeyPress(f, key);
  if (key != 0 && OnKeyPress) OnKeyPress(this, key);
}

namespace {

// Notifications a child window sends its parent go back to the child's own
// object as CN_BASE + message, so each control handles its own.
bool ReflectToChild(const TWinControl* parent, HWND child, TMessage& m) {
  TWinControl* c = child ? FindControl(child) : nullptr;
  if (!c || c == parent) return false;
  m.Result = c->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
  return true;
}

}  // namespace

void TWinControl::WndProc(TMessage& m) {
  if ((m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MOUSELAST) && m.Msg != WM_MOUSEWHEEL && m.Msg != WM_MOUSEHWHEEL) {
    if (RouteMouse(m)) return;
  }
  switch (m.Msg) {
    case WM_PAINT: {
      bool graphicChildren = std::any_of(FControls.begin(), FControls.end(),
                                         [](TControl* c) { return !IsWindowed(c) && c->Visible(); });
      if (FDefWndProc != DefWindowProcW && !graphicChildren && !ControlState.Contains(csCustomPaint))
        DefaultHandler(m);
      else
        PaintHandler(m);
      return;
    }
    case WM_ERASEBKGND:
      if (FDefWndProc != DefWindowProcW) break;
      if (!ControlStyle.Contains(csOpaque)) {
        RECT r{};
        GetClientRect(FHandle, &r);
        ::FillRect(reinterpret_cast<HDC>(m.WParam), &r, FBrush->Handle());
      }
      m.Result = 1;
      return;
    case WM_MOUSELEAVE:
      FTrackingLeave = false;
      if (MouseControl && (MouseControl == this || (MouseControl->Parent() == this && !IsWindowed(MouseControl)))) {
        TControl* old = MouseControl;
        MouseControl = nullptr;
        old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
      }
      break;
    case WM_CAPTURECHANGED:
      if (CaptureControl && CaptureControl->Parent() == this) CaptureControl = nullptr;
      break;
    case WM_SETCURSOR:
      if (LOWORD(m.LParam) == HTCLIENT && reinterpret_cast<HWND>(m.WParam) == FHandle) {
        TCursor cursor = Screen ? Screen->Cursor() : crDefault;
        if (cursor == crDefault) {
          POINT p{};
          GetCursorPos(&p);
          ::ScreenToClient(FHandle, &p);
          TControl* c = ControlAtPos(Point(p.x, p.y), true);
          cursor = (c ? c : this)->Cursor();
        }
        if (cursor != crDefault) {
          ::SetCursor(CursorHandle(cursor));
          m.Result = TRUE;
          return;
        }
      }
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      WORD key = WORD(m.WParam);
      DoKeyDown(key, KeyboardShiftState());
      if (key == 0) return;
      m.WParam = key;
      break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      WORD key = WORD(m.WParam);
      DoKeyUp(key, KeyboardShiftState());
      if (key == 0) return;
      m.WParam = key;
      break;
    }
    case WM_CHAR: {
      wchar_t ch = wchar_t(m.WParam);
      DoKeyPress(ch);
      if (ch == 0) return;
      m.WParam = ch;
      break;
    }
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: {
      WORD key = WORD(m.WParam);
      bool dialogKey = key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_CANCEL;
      if (dialogKey && !WantsKey(key)) {
        if (TCustomForm* form = GetParentForm(this)) {
          if (form->Perform(CM_DIALOGKEY, key, m.LParam) != 0) {
            m.Result = 1;
            return;
          }
        }
      }
      m.Result = 0;
      return;
    }
    case CN_SYSCHAR:
      if (TCustomForm* form = GetParentForm(this)) m.Result = form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam);
      return;
    case CN_CHAR:
    case CN_KEYUP:
      m.Result = 0;
      return;
    case WM_SETFOCUS:
      DefaultHandler(m);
      if (TCustomForm* form = GetParentForm(this); form && form != static_cast<TControl*>(this))
        form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(this));
      return;
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (ReflectToChild(this, reinterpret_cast<HWND>(m.LParam), m)) return;
      break;
    case WM_NOTIFY:
      if (auto* hdr = reinterpret_cast<NMHDR*>(m.LParam); hdr && ReflectToChild(this, hdr->hwndFrom, m)) return;
      break;
    case WM_DRAWITEM:
      if (auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam); dis && ReflectToChild(this, dis->hwndItem, m)) return;
      break;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORLISTBOX: {
      HDC dc = reinterpret_cast<HDC>(m.WParam);
      SetTextColor(dc, ColorToRGB(FFont->Color()));
      SetBkColor(dc, ColorToRGB(FBrush->Color()));
      m.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
      return;
    }
    case WM_WINDOWPOSCHANGED:
      UpdateBounds();
      break;
    case WM_SIZE:
      DefaultHandler(m);
      Resize();
      return;
    case CM_SHOWINGCHANGED:
      if (FHandle)
        SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                         (FShowing ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
      return;
    case CM_VISIBLECHANGED:
      UpdateShowing();
      break;
    case CM_ENABLEDCHANGED:
      if (FHandle) EnableWindow(FHandle, FEnabled);
      break;
    case CM_COLORCHANGED:
      FBrush->SetColor(FColor);
      NotifyControls(CM_PARENTCOLORCHANGED);
      Invalidate();
      break;
    case CM_FONTCHANGED:
      if (FHandle) {
        // A colour change keeps the font: the window needs a repaint, not the
        // font again (a system edit lays its text out anew for each one).
        // Handle() first: it makes a stale font anew and counts it.
        const HFONT font = FFont->Handle();
        if (FFont->HandleGeneration() != FFontSent) {
          FFontSent = FFont->HandleGeneration();
          Perform(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        } else {
          Invalidate();
        }
      }
      NotifyControls(CM_PARENTFONTCHANGED);
      break;
    case CM_ENTER:
      if (OnEnter) OnEnter(this);
      break;
    case CM_EXIT:
      if (OnExit) OnExit(this);
      break;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
      // Children with a default or cancel role answer these.
      Broadcast(m);
      return;
    default:
      break;
  }
  TControl::WndProc(m);
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (FHandle && FDefWndProc) {
    m.Result = CallWindowProcW(FDefWndProc, FHandle, m.Msg, m.WParam, m.LParam);
    return;
  }
  TControl::DefaultHandler(m);
}

// ---- Subclassing ---------------------------------------------------------

struct TWindowSubclass::TRecord {
  HWND Wnd = nullptr;
  WNDPROC Prev = nullptr;
  TWindowSubclass* Owner = nullptr;  // nullptr: pass-through
  TWndProcThunk Thunk;
  int Depth = 0;                      // nesting of calls in progress
  bool Dead = false;                  // free when Depth drops to 0

  static LRESULT Target(void* self, UINT msg, WPARAM wParam, LPARAM lParam);
  void Finish() {
    if (Dead && Depth == 0) delete this;
  }
};

struct TWindowSubclass::TLinkRecord {
  TWindowSubclass* Owner = nullptr;  // nullptr: pass-through
  TWinControl* Control = nullptr;
  HWND Wnd = nullptr;
  int Id = 0;
};

namespace {

// The stubs of each foreign window, so that one of them can find the stub
// directly above it and unlink itself.
std::unordered_map<HWND, std::vector<TWindowSubclass::TRecord*>>& SubclassStubs() {
  static auto* map = new std::unordered_map<HWND, std::vector<TWindowSubclass::TRecord*>>;
  return *map;
}

void ForgetStub(TWindowSubclass::TRecord* rec) {
  auto& map = SubclassStubs();
  auto it = map.find(rec->Wnd);
  if (it == map.end()) return;
  auto& list = it->second;
  list.erase(std::remove(list.begin(), list.end(), rec), list.end());
  if (list.empty()) map.erase(it);
}

}  // namespace

LRESULT TWindowSubclass::TRecord::Target(void* self, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* rec = static_cast<TRecord*>(self);
  TMessage m{msg, wParam, lParam, 0};
  ++rec->Depth;
  if (rec->Owner && !rec->Dead) {
    try {
      rec->Owner->FMethod(m);
    } catch (...) {
      HandleBoundaryException(nullptr);
    }
  } else {
    m.Result = CallWindowProcW(rec->Prev, rec->Wnd, msg, wParam, lParam);
  }
  if (msg == WM_NCDESTROY && !rec->Dead) {
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(rec->Wnd, GWLP_WNDPROC)) == rec->Thunk.Proc())
      SetWindowLongPtrW(rec->Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(rec->Prev));
    if (rec->Owner) rec->Owner->FRecord = nullptr;
    rec->Owner = nullptr;
    rec->Dead = true;
    ForgetStub(rec);
  }
  --rec->Depth;
  rec->Finish();
  return m.Result;
}

TWindowSubclass::TWindowSubclass(TWndMethod method) : FMethod(std::move(method)) {}

TWindowSubclass::~TWindowSubclass() { Detach(); }

bool TWindowSubclass::Attach(HWND wnd) {
  if (Attached() || !IsWindow(wnd)) return false;
  if (TWinControl* control = FindControl(wnd)) {
    auto link = std::make_shared<TLinkRecord>();
    link->Owner = this;
    link->Control = control;
    link->Wnd = wnd;
    link->Id = control->AttachWindowProc([link](TMessage& m) {
      if (link->Owner)
        link->Owner->FMethod(m);
      else
        link->Control->CallPreviousWindowProc(link->Id, m);
      if (m.Msg == WM_NCDESTROY && link->Owner) {
        link->Owner->FLink.reset();
        link->Owner = nullptr;
        link->Control->DetachWindowProc(link->Id);
      }
    });
    FLink = std::move(link);
    return true;
  }
  auto* rec = new TRecord;
  rec->Wnd = wnd;
  rec->Owner = this;
  rec->Thunk = TWndProcThunk(rec, &TRecord::Target);
  rec->Prev = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC));
  SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(rec->Thunk.Proc()));
  SubclassStubs()[wnd].push_back(rec);
  FRecord = rec;
  return true;
}

bool TWindowSubclass::Detach() {
  if (std::shared_ptr<TLinkRecord> link = std::move(FLink)) {
    link->Owner = nullptr;
    // A window gone without WM_NCDESTROY reaching us: the link, if still
    // listed, passes everything on.
    if (FindControl(link->Wnd) != link->Control) return false;
    return link->Control->DetachWindowProc(link->Id);
  }
  TRecord* rec = std::exchange(FRecord, nullptr);
  if (!rec) return false;
  rec->Owner = nullptr;
  if (!IsWindow(rec->Wnd)) {
    ForgetStub(rec);
    rec->Dead = true;
    rec->Finish();
    return false;
  }
  WNDPROC top = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(rec->Wnd, GWLP_WNDPROC));
  if (top == rec->Thunk.Proc()) {
    SetWindowLongPtrW(rec->Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(rec->Prev));
    ForgetStub(rec);
    rec->Dead = true;
    rec->Finish();
    return true;
  }
  // Directly below another stub of ours: that one calls our previous
  // procedure from now on.
  for (TRecord* above : SubclassStubs()[rec->Wnd])
    if (above != rec && !above->Dead && above->Prev == rec->Thunk.Proc()) {
      above->Prev = rec->Prev;
      ForgetStub(rec);
      rec->Dead = true;
      rec->Finish();
      return false;
    }
  // Below a foreign procedure that saved our stub: it stays as a pass-through.
  return false;
}

bool TWindowSubclass::Attached() const { return FRecord != nullptr || FLink != nullptr; }
HWND TWindowSubclass::Handle() const { return FLink ? FLink->Wnd : FRecord ? FRecord->Wnd : nullptr; }
WNDPROC TWindowSubclass::PreviousProc() const { return FRecord ? FRecord->Prev : nullptr; }
WNDPROC TWindowSubclass::Proc() const { return FRecord ? FRecord->Thunk.Proc() : nullptr; }

void TWindowSubclass::CallPrevious(TMessage& m) const {
  if (FLink)
    FLink->Control->CallPreviousWindowProc(FLink->Id, m);
  else if (FRecord && FRecord->Prev)
    m.Result = CallWindowProcW(FRecord->Prev, FRecord->Wnd, m.Msg, m.WParam, m.LParam);
  else
    m.Result = 0;
}

// ---- TGraphicControl, TCustomControl ---------------------------------------

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner), FCanvas(new TControlCanvas(this)) {}

TGraphicControl::~TGraphicControl() { delete FCanvas; }

void TGraphicControl::WndProc(TMessage& m) {
  if (m.Msg == WM_PAINT && m.WParam) {
    FCanvas->PaintOn(reinterpret_cast<HDC>(m.WParam), [this] { Paint(); });
    m.Result = 0;
    return;
  }
  TControl::WndProc(m);
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), FCanvas(new TControlCanvas(this)) {
  ControlState.Include(csCustomPaint);
}

TCustomControl::~TCustomControl() {
  delete FCanvas;
  FCanvas = nullptr;
}

void TCustomControl::PaintWindow(HDC dc) {
  FCanvas->PaintOn(dc, [this] { Paint(); });
}
