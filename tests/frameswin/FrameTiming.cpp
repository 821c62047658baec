// Frame timing: a plain and a skinned 400 x 300 sizeable form side by side,
// 200 resize steps, 200 activation toggles and 200 non-client repaints with
// a current cache; prints median and 95th percentile per operation and the
// skinned/plain ratio. Fails only when the skinned form is not skinned.
#include "frames/sSkinProvider.h"
#include "skin/acSkinWin.h"
#include "tests/common/TimingSupport.h"
#include "tests/skinmgr/SkinMgrSupport.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <windows.h>

using namespace timing;

namespace {

struct TFigures {
  double Median = 0, P95 = 0;
};

TFigures Measure(int count, const std::function<void(int)>& step) {
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  std::vector<double> us;
  for (int i = 0; i < count; ++i) {
    QueryPerformanceCounter(&a);
    step(i);
    Pump();  // the paints the step caused count too
    QueryPerformanceCounter(&b);
    us.push_back(double(b.QuadPart - a.QuadPart) * 1e6 / double(f.QuadPart));
  }
  std::sort(us.begin(), us.end());
  return {us[us.size() / 2], us[std::min(us.size() - 1, us.size() * 95 / 100)]};
}

}  // namespace

int main() {
  InstallWin32SkinPlatform();
  InstallFormSkinning();
  auto* manager = new TsSkinManager(nullptr);
  AddPackageAsInternalSkin(*manager, "AlterMetro (internal)");
  manager->SetSkinName("AlterMetro (internal)");
  manager->SetActive(true);
  manager->Effects.AllowGlowing = false;
  auto* plain = new TForm(nullptr);
  plain->Tag = -98;  // the hook leaves it alone
  plain->SetBounds(100, 100, 400, 300);
  plain->SetCaption("Plain");
  auto* skinned = new TForm(nullptr);
  skinned->SetBounds(520, 100, 400, 300);
  skinned->SetCaption("Skinned");
  auto* provider = new TsSkinProvider(skinned);
  plain->Show();
  skinned->Show();
  Pump();
  if (!provider->Skinned() || GetWindowLongPtrW(skinned->Handle(), GWL_STYLE) & WS_SYSMENU) {
    std::printf("frame_timing: the skinned form is not skinned\n");
    return 1;
  }
  struct TRow {
    const char* Name;
    std::function<void(HWND, int)> Step;
  };
  const TRow rows[] = {
      {"resize", [](HWND w, int i) {
         SetWindowPos(w, nullptr, 0, 0, 400 + (i % 20) * 3, 300 + (i % 20) * 2,
                      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
       }},
      {"activation", [](HWND w, int i) { SendMessageW(w, WM_NCACTIVATE, i % 2, 0); }},
      {"ncpaint (current cache)", [](HWND w, int) { SendMessageW(w, WM_NCPAINT, 1, 0); }},
  };
  std::printf("%-26s %12s %12s %12s %12s %8s\n", "operation (200 each, us)", "plain med", "plain p95", "skinned med",
              "skinned p95", "ratio");
  for (const TRow& row : rows) {
    const HWND p = plain->Handle(), s = skinned->Handle();
    for (int i = 0; i < 20; ++i) row.Step(p, i), row.Step(s, i);  // warm up
    SetWindowPos(p, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(s, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    const TFigures a = Measure(200, [&](int i) { row.Step(p, i); });
    const TFigures b = Measure(200, [&](int i) { row.Step(s, i); });
    std::printf("%-26s %12.1f %12.1f %12.1f %12.1f %8.2f\n", row.Name, a.Median, a.P95, b.Median, b.P95,
                a.Median > 0 ? b.Median / a.Median : 0.0);
  }
  // The skinned form's own work: the whole-window cache painted again.
  const TFigures c = Measure(200, [&](int) {
    provider->SkinData()->BGChanged = true;
    provider->PaintFrameCache();
  });
  std::printf("%-26s %12s %12s %12.1f %12.1f\n", "cache repaint (skinned)", "-", "-", c.Median, c.P95);
  delete skinned;
  delete plain;
  delete manager;
  return 0;
}
