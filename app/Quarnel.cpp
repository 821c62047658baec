// Program start: the application object, the tool window, the message loop.
#include "app/MFcode.h"
#include "colordialog/sColorDialog.h"
#include "skin/acSkinWin.h"
#include "skin/sSkinManager.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int exitCode = 0;
  try {
    InstallWin32SkinPlatform();
    InitSkinEngine();
    InstallSkinnedColorDialog();
    Application->Initialize();
    Application->MainFormOnTaskBar = true;
    Application->CreateForm(MForm);
    Application->Run();
  } catch (...) {
    Application->HandleException(Application);
    exitCode = 1;
  }
  // The forms go now, while the function-local statics they use still exist.
  Application->Shutdown();
  MForm = nullptr;
  return exitCode;
}
