// Window-free logic of the skinned panel: the section that follows the
// outer bevel, the client inset and the fast path's fill.
#pragma once
#include "framework/core/SysUtils.h"

// Same order as the framework's bevel cuts.
enum class TacBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// "CHECKBOX", "PANEL_LOW" or "PANEL"; empty for a bevel without one.
String PanelAutoSection(TacBevelCut outerBevel);
// The section after the outer bevel changed: the automatic one of the new
// bevel while the section is still the old bevel's automatic one, else
// the section as set.
String PanelSectionAfterBevelChange(const String& section, TacBevelCut oldBevel, TacBevelCut newBevel);

// Room the bevels and the border take from each side of the client area.
int PanelClientInset(int bevelWidth, TacBevelCut inner, TacBevelCut outer, int borderWidth);

// The fast path's fill: the section colour at transparency 0, the parent's
// at 100, in between MixColors(parent, section, ParentWeight). Transparency
// is clamped to 0..100.
struct TacPanelFill {
  enum TKind { pfSection, pfParent, pfMix } Kind = pfSection;
  double ParentWeight = 0;
};
TacPanelFill PanelFill(int transparency);

// Top of a vertically centred caption of textHeight in a rectangle of rectHeight.
int PanelCaptionTop(int rectHeight, int textHeight, int borderWidth);
