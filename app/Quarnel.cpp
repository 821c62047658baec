// Program start: the application object, the tool window, the message loop.
#include "app/MFcode.h"
#include "skin/acSkinWin.h"
#include "skin/sSkinManager.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    InstallWin32SkinPlatform();
    InitSkinEngine();
    Application->Initialize();
    Application->MainFormOnTaskBar = true;
    Application->CreateForm(MForm);
    Application->Run();
  } catch (...) {
    Application->HandleException(Application);
    return 1;
  }
  return 0;
}
