// The skin data's Win32 side: live platform services and skins carried as
// resources of a module.
#pragma once
#include "skin/acSkinPack.h"

#include <windows.h>

// Installs the system colours, frame metrics, layered-window check and the
// platform JPEG loader into the portable skin data.
void InstallWin32SkinPlatform();

// Replaces the stored skin's package bytes with the RCDATA resource
// resourceName of module; an Exception naming the resource when it is absent.
void LoadStoredSkinResource(TsStoredSkin& skin, HMODULE module, const wchar_t* resourceName);
