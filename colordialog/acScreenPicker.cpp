#include "colordialog/acScreenPicker.h"

bool PickScreenColor(HWND, const TRect&, TColor, TColor&) { return false; }
