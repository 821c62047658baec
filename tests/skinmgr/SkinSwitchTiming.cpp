// Times a full SkinName switch, announcement included, to a form holding 200
// skin-aware child windows: the median of 20 switches between a packed skin
// and the built-in one. Prints the figure; never fails on it.
#include "skin/sSkinManager.h"
#include "tests/skinmgr/SkinMgrSupport.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A child that handles skin commands itself and re-resolves its section on code 1.
class TAwareChild : public TCustomControl {
public:
  explicit TAwareChild(TComponent* owner) : TCustomControl(owner) {}
  void WndProc(TMessage& m) override {
    if (m.Msg == SM_SKINCMD) {
      switch (SkinCommandCode(m)) {
        case SKC_ISSKINNED:
          m.Result = 1;
          return;
        case SKC_SKINLOADED:
          if (DefaultManager && m.LParam == LPARAM(DefaultManager)) SkinIndex = DefaultManager->GetSkinIndex("EDIT");
          ++Loaded;
          return;
        case SKC_REFRESH:
          Invalidate();
          return;
        default:
          m.Result = 0;
          return;
      }
    }
    TCustomControl::WndProc(m);
  }
  int SkinIndex = -1;
  int Loaded = 0;
};

double Milliseconds(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER f) {
  return double(b.QuadPart - a.QuadPart) * 1000.0 / double(f.QuadPart);
}

}  // namespace

int main() {
  acMessageBox = [](const String& text, const String&, UINT) {
    std::printf("box: %s\n", text.c_str());
    return IDOK;
  };
  const auto dir = MakeTempDir("switch");
  CopyPackage(dir / "Metro.asz");

  auto* form = new TForm(Application);
  form->SetBounds(0, 0, 800, 600);
  std::vector<TAwareChild*> children;
  for (int i = 0; i < 200; ++i) {
    auto* c = new TAwareChild(form);
    c->SetParent(form);
    c->SetBounds((i % 20) * 40, (i / 20) * 30, 38, 28);
    children.push_back(c);
  }
  form->Show();
  for (TAwareChild* c : children) c->Handle();

  TsSkinManager manager(nullptr);
  AddPackageAsInternalSkin(manager, "AlterMetro (internal)");
  manager.SetSkinDirectory(dir.string());
  manager.SetSkinName("AlterMetro (internal)");

  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  std::vector<double> times;
  const char* names[] = {"Metro", "AlterMetro (internal)"};
  for (int i = 0; i < 21; ++i) {
    QueryPerformanceCounter(&t0);
    manager.SetSkinName(names[i % 2]);
    QueryPerformanceCounter(&t1);
    if (i > 0) times.push_back(Milliseconds(t0, t1, freq));  // the first one warms up
  }
  std::sort(times.begin(), times.end());
  const double median = (times[9] + times[10]) / 2;
  int reached = 0;
  for (TAwareChild* c : children) reached += c->Loaded >= 21 && c->SkinIndex >= 0;
  std::printf("skin switch with announcement to 200 skin-aware windows: median %.2f ms of 20 (min %.2f, max %.2f); "
              "%d of 200 windows re-resolved their section each time\n",
              median, times.front(), times.back(), reached);
  delete form;
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
