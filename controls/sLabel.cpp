#include "controls/sLabel.h"

String LabelDrawText(const String& caption, bool measuringOnly, bool showAccelChar) {
  if (measuringOnly && (caption.empty() || (showAccelChar && caption == "&"))) return caption + " ";
  return caption;
}
