#include "controls/sSpeedButton.h"

int SpeedButtonCurrentState(bool downOrExclusive, bool menuOwnerMode, bool isHot, bool hotState) {
  if (downOrExclusive && !menuOwnerMode) return 2;
  if (isHot || hotState || menuOwnerMode) return 1;
  return 0;
}
