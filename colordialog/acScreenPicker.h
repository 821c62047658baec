#pragma once
// The screen colour picker of the colour dialog: a frozen copy of the
// dialog's monitor fills that monitor, a cross cursor moves over it and a
// preview panel lying exactly over the dialog's selected-colour shape shows
// the colour under the cursor. Any mouse button picks; Esc cancels.
#include <windows.h>
#include "framework/core/Types.h"

// Runs the picker's nested modal loop for `dialog`. `previewScreenRect` is
// the selected-colour shape in screen coordinates, `previewColor` its colour.
// True with `picked` set when a pixel was picked; false on Esc, when the
// loop was ended otherwise, or when the screen could not be copied. The
// window, the screen copy and every device context are freed on return.
bool PickScreenColor(HWND dialog, const TRect& previewScreenRect, TColor previewColor, TColor& picked);
