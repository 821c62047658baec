// Hover enter/leave cycles over a skinned edit with its glow: prints the
// median and 95th percentile per cycle, and the thread's windows and the
// process's resident memory and the framework's live GDI objects and device
// contexts before and after (never fails on the timings, only when windows,
// glows, GDI objects or device contexts are left behind).
#include "controls/acGlow.h"
#include "controls/sEditWin.h"
#include "framework/Forms.h"
#include "framework/WinUtils.h"
#include "skin/acSkinWin.h"
#include "tests/common/TimingSupport.h"
#include "tests/skinmgr/SkinMgrSupport.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include <psapi.h>
#include <windows.h>

using namespace timing;

namespace {
size_t Resident() {
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof(pmc);
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
  return pmc.WorkingSetSize;
}
}  // namespace

int main() {
  InstallWin32SkinPlatform();
  auto* manager = new TsSkinManager(nullptr);
  AddPackageAsInternalSkin(*manager, "AlterMetro (internal)");
  manager->SetSkinName("AlterMetro (internal)");
  manager->SetActive(true);
  auto* form = new TForm(nullptr);
  form->SetBounds(200, 200, 320, 160);
  auto* edit = new TsEdit(form);
  edit->SetParent(form);
  edit->SetBounds(20, 20, 129, 26);
  edit->SetText("#3C3D3D");
  form->Show();
  Pump();
  RECT r{};
  GetWindowRect(edit->Handle(), &r);
  auto cycle = [&] {
    SetCursorPos(r.left + 40, r.top + 10);
    edit->Perform(CM_MOUSEENTER, 0, LPARAM(edit));
    Pump();
    SetCursorPos(r.left + 40, r.bottom + 40);
    edit->Perform(CM_MOUSELEAVE, 0, LPARAM(edit));
    Pump();
  };
  for (int i = 0; i < 20; ++i) cycle();  // warm up
  const int windowsBefore = ThreadWindows();
  const size_t memBefore = Resident();
  const long gdiBefore = LiveGdiObjects(), dcsBefore = LiveDeviceContexts();
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  std::vector<double> us;
  int glows = 0;
  for (int i = 0; i < 1000; ++i) {
    QueryPerformanceCounter(&a);
    SetCursorPos(r.left + 40, r.top + 10);
    edit->Perform(CM_MOUSEENTER, 0, LPARAM(edit));
    Pump();
    glows += edit->SkinData()->GlowID >= 0;
    SetCursorPos(r.left + 40, r.bottom + 40);
    edit->Perform(CM_MOUSELEAVE, 0, LPARAM(edit));
    Pump();
    QueryPerformanceCounter(&b);
    us.push_back(double(b.QuadPart - a.QuadPart) * 1e6 / double(f.QuadPart));
  }
  Pump();
  const int windowsAfter = ThreadWindows();
  const size_t memAfter = Resident();
  const long gdiAfter = LiveGdiObjects(), dcsAfter = LiveDeviceContexts();
  std::sort(us.begin(), us.end());
  std::printf("hover cycles: 1000, glows shown: %d\n", glows);
  std::printf("per cycle: median %.0f us, p95 %.0f us\n", us[500], us[950]);
  std::printf("thread windows: %d before, %d after\n", windowsBefore, windowsAfter);
  std::printf("resident memory: %zu KiB before, %zu KiB after\n", memBefore / 1024, memAfter / 1024);
  std::printf("live GDI objects: %ld before, %ld after; device contexts: %ld before, %ld after\n", gdiBefore,
              gdiAfter, dcsBefore, dcsAfter);
  std::printf("glow table: %zu slot(s), %zu live\n", GlowTableCapacity(), LiveGlowCount());
  const bool ok = glows == 1000 && windowsAfter <= windowsBefore && LiveGlowCount() == 0 && GlowTableCapacity() <= 1 &&
                  gdiAfter <= gdiBefore && dcsAfter <= dcsBefore;
  delete form;
  delete manager;
  return ok ? 0 : 1;
}
