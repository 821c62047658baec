#include "TestSupport.h"

#include <atomic>

bool WaitUntil(const std::function<bool()>& pred, int timeoutMs) {
  DWORD start = GetTickCount();
  while (!pred()) {
    if (int(GetTickCount() - start) > timeoutMs) return pred();
    Application->ProcessMessages();
    Sleep(2);
  }
  return true;
}

void Pump(int ms) {
  DWORD start = GetTickCount();
  do {
    Application->ProcessMessages();
    if (ms) Sleep(2);
  } while (int(GetTickCount() - start) < ms);
}

TCapturedErrors::TCapturedErrors() : FSaved(Application->OnException) {
  Application->OnException = [this](TObject*, const std::exception& e) { FMessages.push_back(e.what()); };
}

TCapturedErrors::~TCapturedErrors() { Application->OnException = FSaved; }

String TempPath(const String& name) {
  static std::atomic<int> counter{0};
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  return FromWide(dir) + "qnfw_" + IntToStr(GetCurrentProcessId()) + "_" + IntToStr(counter++) + "_" + name;
}

namespace {

// Outside a test that captures them, a reported error fails the running test
// instead of opening a message box nobody would close.
class TNoMessageBoxes : public ::testing::Environment {
public:
  void SetUp() override {
    Application->Initialize();
    Application->OnException = [](TObject*, const std::exception& e) {
      ADD_FAILURE() << "Unexpected error report: " << e.what();
    };
  }
};

const auto* Env = ::testing::AddGlobalTestEnvironment(new TNoMessageBoxes);

}  // namespace
