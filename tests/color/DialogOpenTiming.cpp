// Time from Execute to the first paint of the colour dialog's window, the
// skinned dialog against the system chooser (StandardDlg), median of 10 runs
// each after one warm-up run. Prints both and their ratio; fails only when a
// dialog never painted or a run left windows, GDI objects or device contexts.
#include "colordialog/sColorDialog.h"
#include "colordialog/sSkinHook.h"
#include "framework/Forms.h"
#include "framework/WinUtils.h"
#include "skin/acSkinWin.h"
#include "tests/common/TimingSupport.h"
#include "tests/skinmgr/SkinMgrSupport.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include <windows.h>

using namespace timing;

namespace {

LARGE_INTEGER Started, Painted, Showing;
bool SeenPaint = false;

bool IsDialogWindow(HWND wnd) {
  if (GetAncestor(wnd, GA_ROOT) != wnd) return false;
  wchar_t title[16] = {};
  GetWindowTextW(wnd, title, 16);
  return wcscmp(title, L"Color") == 0;
}

// The clock stops when the dialog's own window has handled its first
// WM_PAINT, and the dialog is asked to close (as Esc would).
void Stop(HWND dialog) {
  QueryPerformanceCounter(&Painted);
  SeenPaint = true;
  PostMessageW(dialog, WM_CLOSE, 0, 0);
}

// A WM_PAINT sent by UpdateWindow: seen when its handler returns.
LRESULT CALLBACK AfterWndProc(int code, WPARAM wParam, LPARAM lParam) {
  const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && !SeenPaint && m->message == WM_PAINT && IsDialogWindow(m->hwnd)) Stop(m->hwnd);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A WM_PAINT taken from the queue: a thread message posted when it is taken
// is the next one the loop takes, right after the paint was handled.
constexpr UINT MarkerMessage = WM_APP + 77;
HWND MarkerFor = nullptr;
LRESULT CALLBACK OnGetMessage(int code, WPARAM wParam, LPARAM lParam) {
  const auto* m = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && !SeenPaint) {
    if (m->message == WM_PAINT && !MarkerFor && IsDialogWindow(m->hwnd)) {
      MarkerFor = m->hwnd;
      PostThreadMessageW(GetCurrentThreadId(), MarkerMessage, 0, 0);
    } else if (m->message == MarkerMessage && !m->hwnd && MarkerFor) {
      Stop(MarkerFor);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A dialog that never paints is closed after 10 s and the run counts as lost.
void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) {
  if (HWND w = FindWindowW(nullptr, L"Color")) PostMessageW(w, WM_CLOSE, 0, 0);
}

double Ms(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return double(to.QuadPart - from.QuadPart) * 1000.0 / double(f.QuadPart);
}

// Milliseconds from Execute to the first paint, or -1 when it never painted.
double TimeOneOpen(TsColorDialog& dialog) {
  SeenPaint = false;
  MarkerFor = nullptr;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10000, GiveUp);
  QueryPerformanceCounter(&Started);
  dialog.Execute();
  KillTimer(nullptr, timer);
  Pump();
  if (!SeenPaint) return -1;
  return Ms(Started, Painted);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main() {
  Application->Initialize();
  InstallWin32SkinPlatform();
  auto* manager = new TsSkinManager(nullptr);
  AddPackageAsInternalSkin(*manager, "AlterMetro (internal)");
  manager->SetSkinName("AlterMetro (internal)");
  manager->SetActive(true);
  DefaultSkinManagerQuery = [] { return DefaultManager != nullptr; };
  InstallSkinnedColorDialog();
  // Splits the skinned time: building the form, then showing it up to the paint.
  OnColorDialogFormShowing = [](TsColorDialogForm&) { QueryPerformanceCounter(&Showing); };
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, AfterWndProc, nullptr, GetCurrentThreadId());
  HHOOK queueHook = SetWindowsHookExW(WH_GETMESSAGE, OnGetMessage, nullptr, GetCurrentThreadId());

  TsColorDialog skinned(nullptr), system(nullptr);
  system.SetStandardDlg(true);
  constexpr int Runs = 10;
  int lost = 0;
  // Warm-up: class registration, the skin's first cache builds, the system dialog's template.
  lost += TimeOneOpen(skinned) < 0;
  lost += TimeOneOpen(system) < 0;
  const int windowsBefore = ThreadWindows();
  const long gdiBefore = LiveGdiObjects(), dcsBefore = LiveDeviceContexts();
  std::vector<double> ours, theirs, building;
  for (int i = 0; i < Runs; ++i) {  // interleaved, so drifts of the machine hit both alike
    const double a = TimeOneOpen(skinned);
    const LARGE_INTEGER skinnedStart = Started;
    const double b = TimeOneOpen(system);
    std::printf("  run %d: skinned %.2f ms, system chooser %.2f ms\n", i + 1, a, b);
    if (a >= 0) ours.push_back(a), building.push_back(Ms(skinnedStart, Showing));
    if (b >= 0) theirs.push_back(b);
    lost += (a < 0) + (b < 0);
  }
  const int windowsAfter = ThreadWindows();
  const long gdiAfter = LiveGdiObjects(), dcsAfter = LiveDeviceContexts();
  UnhookWindowsHookEx(hook);
  UnhookWindowsHookEx(queueHook);

  int failures = lost;
  if (!ours.empty() && !theirs.empty()) {
    const double mo = Median(ours), mt = Median(theirs);
    std::printf("dialog open to first paint, median of %d runs: skinned %.2f ms, system chooser %.2f ms, "
                "ratio %.2f (target <= 1.20)\n",
                Runs, mo, mt, mt > 0 ? mo / mt : 0.0);
    std::printf("  skinned min %.2f max %.2f ms; system min %.2f max %.2f ms\n",
                *std::min_element(ours.begin(), ours.end()), *std::max_element(ours.begin(), ours.end()),
                *std::min_element(theirs.begin(), theirs.end()), *std::max_element(theirs.begin(), theirs.end()));
    std::printf("  skinned: building the form %.2f ms of it (median)\n", Median(building));
  } else {
    failures += 1;
  }
  std::printf("thread windows %d -> %d, framework GDI objects %ld -> %ld, device contexts %ld -> %ld, lost runs %d\n",
              windowsBefore, windowsAfter, gdiBefore, gdiAfter, dcsBefore, dcsAfter, lost);
  if (windowsAfter > windowsBefore || gdiAfter > gdiBefore || dcsAfter > dcsBefore) ++failures;
  delete manager;
  Application->Shutdown();
  return failures ? 1 : 0;
}
