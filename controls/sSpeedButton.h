// Window-free logic of the skinned speed button; layout and glyph rules are
// the push button's (sBitBtn.h).
#pragma once
#include "controls/sBitBtn.h"

// 0 normal, 1 hot, 2 pressed; a button that owns an open menu looks hot.
int SpeedButtonCurrentState(bool downOrExclusive, bool menuOwnerMode, bool isHot, bool hotState);
