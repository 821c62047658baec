// Window-free logic of the skinned speed button; layout and glyph rules are
// the push button's (sBitBtn.h).
#pragma once
#include "controls/sBitBtn.h"

// 0 normal, 1 hot, 2 pressed; a button that owns an open menu looks hot.
int SpeedButtonCurrentState(bool downOrExclusive, bool menuOwnerMode, bool isHot, bool hotState);

// Width of the arrow part of a drop-down button, and of the arrow in it.
constexpr int DropDownPartWidth = 16;
constexpr int DropDownArrowSize = 8;
// A left press at x opens the menu: on the arrow part, or anywhere on a
// button without a click handler. Never without a menu.
bool DropDownPressOpensMenu(int x, int width, bool hasMenu, bool hasOnClick);
// The state the arrow part is painted in: pressed while the menu is open or
// the button is down or pressed, else hot or normal.
int DropDownArrowState(bool droppedDown, bool downOrPressed, bool isHot);
