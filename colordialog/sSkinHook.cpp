#include "colordialog/sSkinHook.h"

TDefaultManagerQuery DefaultSkinManagerQuery = nullptr;

bool DefaultSkinManagerPresent() { return DefaultSkinManagerQuery != nullptr && DefaultSkinManagerQuery(); }
