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

void SendMouseInput(DWORD flags, TPoint screen, DWORD data) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  in.mi.mouseData = data;
  if (screen.X >= 0) {
    in.mi.dx = LONG(screen.X * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
    in.mi.dy = LONG(screen.Y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
    in.mi.dwFlags |= MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  }
  SendInput(1, &in, sizeof(in));
}

void SendKey(WORD vk) {
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

void SendText(const wchar_t* text) {
  for (const wchar_t* p = text; *p; ++p) {
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wScan = in[1].ki.wScan = WORD(*p);
    in[0].ki.dwFlags = KEYEVENTF_UNICODE;
    in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
  }
}
