#include "skin/acSkinWin.h"

#include "skin/acJpeg.h"
#include "skin/acSkinColors.h"

void InstallWin32SkinPlatform() {
  SetSysColorSource([](int index) -> TColor { return GetSysColor(index); });
  TacSkinPlatform platform;
  platform.SizeFrameWidth = [] { return GetSystemMetrics(SM_CXSIZEFRAME); };
  platform.LayeredWindows = [] {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 && GetProcAddress(user32, "UpdateLayeredWindow") != nullptr;
  };
  SetSkinPlatform(platform);
  SetJpegDecoderFactory(CreateTinyJpgDecoder);
}

void LoadStoredSkinResource(TsStoredSkin& skin, HMODULE module, const wchar_t* resourceName) {
  HRSRC info = FindResourceW(module, resourceName, MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
  const void* data = handle ? LockResource(handle) : nullptr;
  if (!data) throw Exception("The skin resource " + WideToUtf8(resourceName) + " is missing");
  TBytesStream source(data, SizeofResource(module, info));
  skin.ReadData(source);
}
