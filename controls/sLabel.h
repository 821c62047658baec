// Window-free logic of the skinned label.
#pragma once
#include "framework/core/SysUtils.h"

// A disabled label's text: MixColors(font colour, parent background, this).
constexpr double LabelDisabledMix = 0.4;

// The text a label measures and draws: when only measuring, an empty
// caption, or "&" alone shown as an accelerator, gets a space so the label
// keeps one line's height.
String LabelDrawText(const String& caption, bool measuringOnly, bool showAccelChar);
