// The screen picker on a real display, driven by real input from a second
// thread while the picker's own loop runs: picks, cancels, the live preview,
// and nothing left behind.
#include "colordialog/acScreenPicker.h"
#include "colordialog/sColorDialog.h"
#include "colordialog/sSkinHook.h"
#include "skin/acSkinWin.h"
#include "tests/skinmgr/SkinMgrSupport.h"
#include "framework/WinUtils.h"
#include "tests/framework/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace {

constexpr TColor FillA = 0x2468AC;  // TColor: blue 0x24, green 0x68, red 0xAC
constexpr TColor FillB = 0x13F057;
constexpr TColor FillCorner = 0x80C0E0;
constexpr TColor Untouched = 0x01020304;
const TRect PreviewRect = Rect(420, 320, 480, 360);

LRESULT CALLBACK FillProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    RECT r;
    GetClientRect(wnd, &r);
    HBRUSH b = CreateSolidBrush(COLORREF(GetWindowLongPtrW(wnd, GWLP_USERDATA)));
    FillRect(dc, &r, b);
    DeleteObject(b);
    EndPaint(wnd, &ps);
    return 0;
  }
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

// A borderless window filled with one colour.
HWND FillWindow(const TRect& r, TColor color) {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = FillProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QnPickTestFill";
    return RegisterClassW(&wc) != 0;
  }();
  if (!registered) return nullptr;
  HWND w = CreateWindowExW(0, L"QnPickTestFill", L"", WS_POPUP, r.Left, r.Top, r.Width(), r.Height(), nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(w, GWLP_USERDATA, LONG_PTR(color));
  ShowWindow(w, SW_SHOWNOACTIVATE);
  UpdateWindow(w);
  return w;
}

uint32_t ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return c;
}

void MoveMouse(int x, int y) { SendMouseInput(MOUSEEVENTF_MOVE, Point(x, y)); }
void MouseFlags(DWORD flags, DWORD data = 0) { SendMouseInput(flags, Point(-1, -1), data); }
void Key(WORD vk) { SendKey(vk); }

HWND PickWindow() { return FindWindowW(L"TacPickWindow", nullptr); }

// Waits (off the UI thread) until the pick window is up and painted.
bool WaitForPickWindow() {
  for (int i = 0; i < 500; ++i) {
    HWND w = PickWindow();
    if (w && IsWindowVisible(w)) {
      Sleep(150);
      return true;
    }
    Sleep(10);
  }
  return false;
}

void Settle() { Sleep(120); }

// Runs an action on this thread from inside the picker's own loop, once the
// pick window is up: a thread timer's message passes a message hook.
class TInLoop {
public:
  explicit TInLoop(std::function<void()> action) {
    Action = std::move(action);
    FTimer = SetTimer(nullptr, 0, 100, nullptr);
    FHook = SetWindowsHookExW(WH_GETMESSAGE, Proc, nullptr, GetCurrentThreadId());
  }
  ~TInLoop() {
    UnhookWindowsHookEx(FHook);
    KillTimer(nullptr, FTimer);
    Action = nullptr;
  }

private:
  static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code >= 0 && wParam == PM_REMOVE && msg->message == WM_TIMER && !msg->hwnd && Action && PickWindow()) {
      auto action = std::move(Action);
      Action = nullptr;
      action();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static inline std::function<void()> Action;
  UINT_PTR FTimer;
  HHOOK FHook;
};

class ScreenPicker : public testing::Test {
protected:
  static void SetUpTestSuite() {
    Dialog = FillWindow(Rect(400, 300, 600, 500), 0xFFFFFF);
    A = FillWindow(Rect(100, 100, 300, 250), FillA);
    B = FillWindow(Rect(100, 600, 300, 700), FillB);
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    Corner = FillWindow(Rect(w - 20, h - 20, w, h), FillCorner);
    Pump(300);
  }
  static void TearDownTestSuite() {
    for (HWND wnd : {Dialog, A, B, Corner}) DestroyWindow(wnd);
  }
  void TearDown() override {
    if (Driver.joinable()) Driver.join();
    Pump(100);
  }

  // Runs the picker on this thread while `script` drives it from another.
  bool Run(const std::function<void()>& script, TColor& picked) {
    std::atomic<bool> up{false};
    Driver = std::thread([&, script] {
      up = WaitForPickWindow();
      if (up) script();
    });
    const bool result = PickScreenColor(Dialog, PreviewRect, FillB, picked);
    Driver.join();
    EXPECT_TRUE(up) << "the pick window never showed";
    return result;
  }

  static HWND Dialog, A, B, Corner;
  std::thread Driver;
};
HWND ScreenPicker::Dialog, ScreenPicker::A, ScreenPicker::B, ScreenPicker::Corner;

TEST_F(ScreenPicker, AnyButtonPicksThePixelOfAnotherWindow) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  struct Case {
    const char* Name;
    int X, Y;
    DWORD Down, Up, Data;
    TColor Expected;
  } cases[] = {
      {"left", 150, 150, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 0, FillA},
      {"right", 120, 650, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, 0, FillB},
      {"middle", 290, 240, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP, 0, FillA},
      {"last pixel of the monitor", w - 1, h - 1, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 0, FillCorner},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TColor picked = Untouched;
    const bool ok = Run([&] {
      MoveMouse(c.X, c.Y);
      Settle();
      MouseFlags(c.Down, c.Data);
      MouseFlags(c.Up, c.Data);
    }, picked);
    EXPECT_TRUE(ok);
    EXPECT_EQ(picked, c.Expected);
    EXPECT_EQ(PickWindow(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(Dialog));
    Pump(150);
  }
}

TEST_F(ScreenPicker, EndsWithoutPickLeavingTheColourAlone) {
  const DWORD uiThread = GetCurrentThreadId();
  struct Case {
    const char* Name;
    std::function<void()> End;
  } cases[] = {
      {"Esc", [] { Key(VK_ESCAPE); }},
      {"cancel mode", [] { SendMessageW(PickWindow(), WM_CANCELMODE, 0, 0); }},
      {"quit", [uiThread] { PostThreadMessageW(uiThread, WM_QUIT, 7, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TColor picked = Untouched;
    EXPECT_FALSE(Run([&] {
      MoveMouse(150, 150);
      Settle();
      c.End();
    }, picked));
    EXPECT_EQ(picked, Untouched);
    EXPECT_EQ(PickWindow(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(Dialog));
    MSG m;
    const bool quitLeft = PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
    EXPECT_EQ(quitLeft, std::string(c.Name) == "quit") << "a quit is handed on to the outer loop";
    if (quitLeft) {
      EXPECT_EQ(m.wParam, 7u);
    }
    Pump(150);
  }
}

TEST_F(ScreenPicker, LosingActivationCancels) {
  // Should the cancel never come, Esc ends the pick and the case fails.
  std::atomic<bool> done{false}, fallback{false};
  std::thread backstop([&] {
    for (int i = 0; i < 300 && !done; ++i) Sleep(10);
    if (!done) {
      fallback = true;
      Key(VK_ESCAPE);
    }
  });
  HWND other = nullptr;
  TColor picked = Untouched;
  {
    TInLoop takeActivation([&] {
      other = FillWindow(Rect(700, 100, 800, 200), 0x00FF00);
      SetActiveWindow(other);
    });
    EXPECT_FALSE(PickScreenColor(Dialog, PreviewRect, FillB, picked));
  }
  done = true;
  backstop.join();
  EXPECT_FALSE(fallback) << "losing the activation did not end the pick";
  EXPECT_NE(other, nullptr);
  EXPECT_EQ(picked, Untouched);
  EXPECT_EQ(PickWindow(), nullptr);
  if (other) DestroyWindow(other);
}

TEST_F(ScreenPicker, MouseMovesChangeOnlyThePreview) {
  const int px = (PreviewRect.Left + PreviewRect.Right) / 2, py = (PreviewRect.Top + PreviewRect.Bottom) / 2;
  struct Seen {
    uint32_t Preview, Border, FrozenA, FrozenDialog;
    bool DialogEnabled;
  };
  std::vector<Seen> seen;
  TColor picked = Untouched;
  EXPECT_FALSE(Run([&] {
    for (POINT p : {POINT{150, 150}, POINT{150, 650}, POINT{500, 450}}) {
      MoveMouse(p.x, p.y);
      Settle();
      seen.push_back({ScreenPixel(px, py), ScreenPixel(PreviewRect.Left, py), ScreenPixel(110, 110),
                      ScreenPixel(410, 310), IsWindowEnabled(Dialog) != 0});
    }
    Key(VK_ESCAPE);
  }, picked));
  EXPECT_EQ(picked, Untouched);
  ASSERT_EQ(seen.size(), 3u);
  const TColor expectedPreview[] = {FillA, FillB, 0xFFFFFF};
  for (size_t i = 0; i < seen.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(seen[i].Preview, expectedPreview[i]);
    EXPECT_EQ(seen[i].Border, 0u) << "single black border";
    EXPECT_EQ(seen[i].FrozenA, FillA);
    EXPECT_EQ(seen[i].FrozenDialog, 0xFFFFFFu);
    EXPECT_FALSE(seen[i].DialogEnabled) << "the dialog waits while the picker runs";
  }
}

TEST_F(ScreenPicker, OnePickAtATime) {
  TColor inner = Untouched, picked = Untouched;
  bool innerResult = true;
  {
    TInLoop nested([&] {
      innerResult = PickScreenColor(Dialog, PreviewRect, 0, inner);
      Key(VK_ESCAPE);
    });
    EXPECT_FALSE(PickScreenColor(Dialog, PreviewRect, FillB, picked));
  }
  EXPECT_FALSE(innerResult);
  EXPECT_EQ(inner, Untouched);
  EXPECT_EQ(picked, Untouched);
}

TEST_F(ScreenPicker, LeavesNoWindowsObjectsOrDeviceContexts) {
  auto count = [] {
    int windows = 0;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND, LPARAM p) { ++*reinterpret_cast<int*>(p); return TRUE; },
                      LPARAM(&windows));
    return std::vector<long>{windows, long(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)),
                             long(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)),
                             GdiCounters().Created - GdiCounters().Deleted, LiveDeviceContexts()};
  };
  TColor picked = Untouched;
  Run([] { MoveMouse(150, 150); Settle(); Key(VK_ESCAPE); }, picked);  // first use registers the class
  Pump(100);
  const auto before = count();
  // A pick after moves, then a cancel (each pick costs seconds under Wine).
  Run([] {
    MoveMouse(130, 130);
    Settle();
    MoveMouse(500, 450);
    Settle();
    MouseFlags(MOUSEEVENTF_LEFTDOWN);
    MouseFlags(MOUSEEVENTF_LEFTUP);
  }, picked);
  Pump(100);
  TColor unchanged = picked;
  Run([] { Key(VK_ESCAPE); }, unchanged);
  Pump(100);
  EXPECT_EQ(picked, 0xFFFFFFu);
  EXPECT_EQ(count(), before);
  EXPECT_EQ(GdiCounters().FailedDeletes, 0);
}

// From the skinned dialog's eyedropper: Esc leaves every field as it was; a
// pick moves every field to the pixel and leaves the dialog open.
TEST_F(ScreenPicker, TheDialogTakesAPickAndIgnoresACancel) {
  InstallWin32SkinPlatform();
  auto manager = std::make_unique<TsSkinManager>(nullptr);
  AddPackageAsInternalSkin(*manager, "AlterMetro (internal)");
  manager->SetSkinName("AlterMetro (internal)");
  manager->SetActive(true);
  DefaultSkinManagerQuery = [] { return DefaultManager != nullptr; };
  InstallSkinnedColorDialog();
  TsColorDialog dialog(nullptr);
  dialog.SetColor(0x3D3D3C);
  auto fields = [](TsColorDialogForm& f) {
    std::vector<String> texts;
    for (int i = 0; i < ColorEditFieldCount; ++i) texts.push_back(f.FieldEdit(TColorEditField(i))->Text());
    return texts;
  };
  std::vector<String> before, afterEsc, afterPick;
  TColor picked = Untouched;
  bool stayedOpen = false;
  dialog.OnShow = [&](TObject*) {
    TsColorDialogForm& f = *acColorDialogForm;
    Pump(150);
    before = fields(f);
    Driver = std::thread([] {
      if (!WaitForPickWindow()) return;
      MoveMouse(150, 150);
      Settle();
      Key(VK_ESCAPE);
    });
    f.sSpeedButton1->Click();
    Driver.join();
    afterEsc = fields(f);
    Driver = std::thread([] {
      if (!WaitForPickWindow()) return;
      MoveMouse(150, 150);
      Settle();
      MouseFlags(MOUSEEVENTF_LEFTDOWN);
      MouseFlags(MOUSEEVENTF_LEFTUP);
    });
    f.sSpeedButton1->Click();
    Driver.join();
    Pump(100);
    afterPick = fields(f);
    picked = f.SelectedColor();
    stayedOpen = f.ModalResult() == mrNone;
    f.SetModalResult(mrCancel);
  };
  EXPECT_FALSE(dialog.Execute());
  SkinnedColorDialogRunner = RunSystemColorChooser;
  DefaultSkinManagerQuery = nullptr;
  manager.reset();
  ASSERT_EQ(before.size(), size_t(ColorEditFieldCount));
  EXPECT_EQ(before[int(TColorEditField::Hex)], "3C3D3D");
  EXPECT_EQ(afterEsc, before);
  EXPECT_EQ(picked, FillA);
  ASSERT_EQ(afterPick.size(), size_t(ColorEditFieldCount));
  EXPECT_EQ(afterPick[int(TColorEditField::Hex)], "AC6824");
  EXPECT_EQ(afterPick[int(TColorEditField::R)], "172");
  EXPECT_EQ(afterPick[int(TColorEditField::Decimal)], "2386092");
  EXPECT_TRUE(stayedOpen) << "a pick does not confirm the dialog";
}

}  // namespace
