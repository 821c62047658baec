#include "controls/sSpeedButton.h"

int SpeedButtonCurrentState(bool downOrExclusive, bool menuOwnerMode, bool isHot, bool hotState) {
  if (downOrExclusive && !menuOwnerMode) return 2;
  if (isHot || hotState || menuOwnerMode) return 1;
  return 0;
}

bool DropDownPressOpensMenu(int x, int width, bool hasMenu, bool hasOnClick) {
  if (!hasMenu) return false;
  return !hasOnClick || (x >= width - DropDownPartWidth && x < width);
}

int DropDownArrowState(bool droppedDown, bool downOrPressed, bool isHot) {
  return droppedDown || downOrPressed ? 2 : int(isHot);
}
