// Hover enter/leave cycles over a skinned edit with its glow: prints the
// median and 95th percentile per cycle, and the thread's windows, the bytes
// in use in the process's heaps, the process's resident memory and the
// framework's live GDI objects and device contexts before and after (never
// fails on the timings, only when windows, glows, GDI objects or device
// contexts are left behind). The first argument sets the number of cycles
// (1000).
#include "controls/acGlow.h"
#include "controls/sEditWin.h"
#include "framework/Forms.h"
#include "framework/WinUtils.h"
#include "skin/acSkinWin.h"
#include "tests/common/TimingSupport.h"
#include "tests/skinmgr/SkinMgrSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <psapi.h>
#include <windows.h>

using namespace timing;

namespace {
// Bytes in use in the process's heaps: unlike the resident size, which
// moves by whole committed blocks, this shows a leak byte by byte.
size_t HeapInUse() {
  HANDLE heaps[64];
  const DWORD n = std::min<DWORD>(GetProcessHeaps(64, heaps), 64);
  size_t used = 0;
  for (DWORD h = 0; h < n; ++h) {
    PROCESS_HEAP_ENTRY e{};
    HeapLock(heaps[h]);
    while (HeapWalk(heaps[h], &e))
      if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) used += e.cbData;
    HeapUnlock(heaps[h]);
  }
  return used;
}

size_t Resident() {
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof(pmc);
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
  return pmc.WorkingSetSize;
}
}  // namespace

int main(int argc, char** argv) {
  const int cycles = argc > 1 ? std::max(std::atoi(argv[1]), 20) : 1000;
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
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  std::vector<double> us;
  us.reserve(size_t(cycles));
  const int windowsBefore = ThreadWindows();
  const size_t memBefore = Resident(), heapBefore = HeapInUse();
  const long gdiBefore = LiveGdiObjects(), dcsBefore = LiveDeviceContexts();
  int glows = 0;
  size_t memMiddle = 0, heapMiddle = 0;
  for (int i = 0; i < cycles; ++i) {
    if (i == cycles / 2) memMiddle = Resident(), heapMiddle = HeapInUse();
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
  const size_t memAfter = Resident(), heapAfter = HeapInUse();  // before the first print allocates
  const long gdiAfter = LiveGdiObjects(), dcsAfter = LiveDeviceContexts();
  std::sort(us.begin(), us.end());
  std::printf("hover cycles: %d, glows shown: %d\n", cycles, glows);
  std::printf("per cycle: median %.0f us, p95 %.0f us\n", us[us.size() / 2], us[us.size() * 95 / 100]);
  std::printf("thread windows: %d before, %d after\n", windowsBefore, windowsAfter);
  std::printf("heap in use: %zu bytes before, %zu half-way, %zu after\n", heapBefore, heapMiddle, heapAfter);
  // A leak shows as growth in the second half too, not only as the heap settling once.
  std::printf("resident memory: %zu KiB before, %zu KiB half-way, %zu KiB after\n", memBefore / 1024,
              memMiddle / 1024, memAfter / 1024);
  std::printf("live GDI objects: %ld before, %ld after; device contexts: %ld before, %ld after\n", gdiBefore,
              gdiAfter, dcsBefore, dcsAfter);
  std::printf("glow table: %zu slot(s), %zu live\n", GlowTableCapacity(), LiveGlowCount());
  const bool ok = glows == cycles && windowsAfter <= windowsBefore && LiveGlowCount() == 0 && GlowTableCapacity() <= 1 &&
                  gdiAfter <= gdiBefore && dcsAfter <= dcsBefore;
  delete form;
  delete manager;
  return ok ? 0 : 1;
}
