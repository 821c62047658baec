// Helpers of the Wine timing programs: queue draining and the counts that
// must come back to where they started.
#pragma once
#include "framework/WinUtils.h"

#include <windows.h>

namespace timing {

inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

inline int ThreadWindows() {
  int n = 0;
  EnumThreadWindows(GetCurrentThreadId(), [](HWND, LPARAM p) { ++*reinterpret_cast<int*>(p); return TRUE; },
                    LPARAM(&n));
  return n;
}

inline long LiveGdiObjects() { return GdiCounters().Created - GdiCounters().Deleted; }

}  // namespace timing
