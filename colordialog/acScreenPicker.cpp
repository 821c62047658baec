#include "colordialog/acScreenPicker.h"

#include "framework/Forms.h"
#include "framework/WinUtils.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// The pick window is a plain system window of a private class, not a
// framework form: no form skin provider attaches to it and no window adapter
// knows its class, so the skin engine leaves it and its painting alone.
static const wchar_t* const PickWindowClass = L"TacPickWindow";

namespace {

// The frozen monitor picture: a top-down 32-bit DIB section selected into
// its own memory DC while the picker runs, deselected before either goes.
class TScreenCopy {
public:
  TScreenCopy(const TRect& monitor) : FBounds(monitor) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = monitor.Width();
    bi.bmiHeader.biHeight = -monitor.Height();
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    FBitmap.Reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!FBitmap || !FDC.Get() || !bits) return;
    FBits = static_cast<const uint32_t*>(bits);
    FOld = SelectObject(FDC.Get(), FBitmap.Get());
  }
  ~TScreenCopy() {
    if (FOld) SelectObject(FDC.Get(), FOld);
  }
  TScreenCopy(const TScreenCopy&) = delete;
  TScreenCopy& operator=(const TScreenCopy&) = delete;

  bool Valid() const { return FBits && FOld; }
  HDC DC() const { return FDC.Get(); }
  int Width() const { return FBounds.Width(); }
  int Height() const { return FBounds.Height(); }

  // Copies the monitor's pixels; the screen DC is held only for this copy.
  bool Capture() {
    TWindowDC screen(nullptr);
    if (!screen.Get()) return false;
    const int saved = SaveDC(screen.Get());
    const bool ok = BitBlt(FDC.Get(), 0, 0, Width(), Height(), screen.Get(), FBounds.Left, FBounds.Top,
                           SRCCOPY | CAPTUREBLT) != 0;
    if (saved) RestoreDC(screen.Get(), saved);
    GdiFlush();
    return ok;
  }

  // The pixel at a client point of the full-monitor window; points outside
  // the copy read its nearest edge pixel, never memory beyond it.
  TColor PixelAt(int x, int y) const {
    x = std::clamp(x, 0, Width() - 1);
    y = std::clamp(y, 0, Height() - 1);
    const uint32_t p = FBits[size_t(y) * size_t(Width()) + size_t(x)];
    return TColor(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16));
  }

private:
  TRect FBounds;
  TMemoryDC FDC;
  TBitmapHandle FBitmap;
  HGDIOBJ FOld = nullptr;
  const uint32_t* FBits = nullptr;
};

struct TPickState {
  TScreenCopy* Copy = nullptr;
  HWND Wnd = nullptr;
  TRect Preview;  // client coordinates, border included
  TColor PreviewColor = 0;
  bool Done = false;
  bool Picked = false;
  TColor Result = 0;
  bool Shown = false;  // activation changes before the window is up are not a cancel
};

// One picker per thread at a time; the window procedure reaches its state
// only through this pointer, never through a message parameter.
thread_local TPickState* ActivePick = nullptr;

void InvalidatePreview(TPickState& s) {
  if (s.Preview.IsEmpty()) return;
  RECT r{s.Preview.Left, s.Preview.Top, s.Preview.Right, s.Preview.Bottom};
  InvalidateRect(s.Wnd, &r, FALSE);
}

void Paint(TPickState& s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(s.Wnd, &ps);
  if (!dc) return;
  const RECT& u = ps.rcPaint;
  BitBlt(dc, u.left, u.top, u.right - u.left, u.bottom - u.top, s.Copy->DC(), u.left, u.top, SRCCOPY);
  if (!s.Preview.IsEmpty()) {
    // Single border, no bevel: a frame of one pixel around the colour.
    RECT r{s.Preview.Left, s.Preview.Top, s.Preview.Right, s.Preview.Bottom};
    TBrushHandle frame(CreateSolidBrush(RGB(0, 0, 0)));
    TBrushHandle fill(CreateSolidBrush(COLORREF(s.PreviewColor & 0xFFFFFF)));
    FrameRect(dc, &r, frame.Get());
    InflateRect(&r, -1, -1);
    FillRect(dc, &r, fill.Get());
  }
  EndPaint(s.Wnd, &ps);
}

void Finish(TPickState& s, bool picked, TColor color) {
  if (s.Done) return;
  s.Done = true;
  s.Picked = picked;
  s.Result = color;
  // A message sent from another thread is handled inside GetMessage, which
  // then goes on waiting: a posted message wakes the loop to see the end.
  if (s.Wnd) PostMessageW(s.Wnd, WM_NULL, 0, 0);
}

LRESULT HandlePickMessage(TPickState& s, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(s); return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_CROSS));
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE: {
      const TColor c = s.Copy->PixelAt(short(LOWORD(lParam)), short(HIWORD(lParam)));
      if (c != s.PreviewColor) {
        s.PreviewColor = c;
        InvalidatePreview(s);
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDBLCLK:
      Finish(s, true, s.Copy->PixelAt(short(LOWORD(lParam)), short(HIWORD(lParam))));
      return msg == WM_XBUTTONDOWN || msg == WM_XBUTTONDBLCLK ? TRUE : 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) Finish(s, false, 0);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE && s.Shown) Finish(s, false, 0);
      break;
    case WM_ACTIVATEAPP:
      if (!wParam && s.Shown) Finish(s, false, 0);
      break;
    case WM_CANCELMODE: Finish(s, false, 0); break;
    case WM_CLOSE: Finish(s, false, 0); return 0;
    default: break;
  }
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

LRESULT CALLBACK PickWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TPickState* s = ActivePick;
  if (!s || s->Wnd != wnd) return DefWindowProcW(wnd, msg, wParam, lParam);
  try {
    return HandlePickMessage(*s, wnd, msg, wParam, lParam);
  } catch (...) {
    Finish(*s, false, 0);
    HandleBoundaryException(nullptr);
    return 0;
  }
}

bool RegisterPickClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExW(instance, PickWindowClass, &wc)) return true;
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = PickWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_CROSS);
  wc.lpszClassName = PickWindowClass;
  return RegisterClassExW(&wc) != 0;
}

// Disables the thread's other visible top-level windows as a modal window
// does, and gives back their state, the active window and the focus.
class TModalScope {
public:
  TModalScope() : FActive(GetActiveWindow()), FFocus(GetFocus()) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND wnd, LPARAM lp) -> BOOL {
          auto* list = reinterpret_cast<std::vector<HWND>*>(lp);
          if (IsWindowVisible(wnd) && IsWindowEnabled(wnd)) list->push_back(wnd);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&FDisabled));
    for (HWND w : FDisabled) EnableWindow(w, FALSE);
  }
  ~TModalScope() {
    Enable();
    if (FActive && IsWindow(FActive)) SetActiveWindow(FActive);
    if (FFocus && IsWindow(FFocus)) SetFocus(FFocus);
  }
  void Enable() {
    for (HWND w : FDisabled)
      if (IsWindow(w)) EnableWindow(w, TRUE);
    FDisabled.clear();
  }
  TModalScope(const TModalScope&) = delete;
  TModalScope& operator=(const TModalScope&) = delete;

private:
  HWND FActive;
  HWND FFocus;
  std::vector<HWND> FDisabled;
};

struct TWindowOwner {
  HWND Wnd = nullptr;
  ~TWindowOwner() {
    if (Wnd && IsWindow(Wnd)) DestroyWindow(Wnd);
  }
};

struct TActiveScope {
  TPickState* Previous;
  explicit TActiveScope(TPickState* s) : Previous(ActivePick) { ActivePick = s; }
  ~TActiveScope() { ActivePick = Previous; }
};

}  // namespace

bool PickScreenColor(HWND dialog, const TRect& previewScreenRect, TColor previewColor, TColor& picked) {
  if (ActivePick) return false;  // one pick at a time

  // The monitor holding the dialog, not the primary one.
  HMONITOR monitor = MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST);
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  if (!monitor || !GetMonitorInfoW(monitor, &mi)) return false;
  const TRect bounds = Rect(mi.rcMonitor.left, mi.rcMonitor.top, mi.rcMonitor.right, mi.rcMonitor.bottom);
  if (bounds.IsEmpty()) return false;

  TScreenCopy copy(bounds);
  if (!copy.Valid() || !copy.Capture()) return false;

  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!RegisterPickClass(instance)) return false;

  TPickState state;
  state.Copy = &copy;
  state.Preview = OffsetRect(previewScreenRect, -bounds.Left, -bounds.Top);
  state.PreviewColor = previewColor & 0xFFFFFF;
  TActiveScope active(&state);

  TModalScope modal;
  TWindowOwner window;
  // The state must know the handle before the first message arrives.
  window.Wnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, PickWindowClass, L"", WS_POPUP, bounds.Left,
                               bounds.Top, bounds.Width(), bounds.Height(), dialog, nullptr, instance, nullptr);
  if (!window.Wnd) return false;
  state.Wnd = window.Wnd;
  ShowWindow(window.Wnd, SW_SHOW);
  SetForegroundWindow(window.Wnd);
  SetActiveWindow(window.Wnd);
  SetFocus(window.Wnd);
  UpdateWindow(window.Wnd);
  state.Shown = GetActiveWindow() == window.Wnd;

  MSG msg;
  while (!state.Done) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {  // quitting: end the pick and leave the quit for the outer loop
      PostQuitMessage(int(msg.wParam));
      break;
    }
    if (got < 0) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (!state.Shown && GetActiveWindow() == window.Wnd) state.Shown = true;
    if (Application && Application->Terminated()) break;
  }
  // The owners are enabled before the window goes, so the activation
  // returns to the dialog and not to some other program.
  state.Done = true;
  modal.Enable();
  DestroyWindow(window.Wnd);
  window.Wnd = nullptr;
  if (!state.Picked) return false;
  picked = state.Result;
  return true;
}
