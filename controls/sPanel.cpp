#include "controls/sPanel.h"

#include <algorithm>
#include <cctype>

namespace {
bool SameName(const String& a, const String& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}
}  // namespace

String PanelAutoSection(TacBevelCut outerBevel) {
  switch (outerBevel) {
    case TacBevelCut::bvNone: return "CHECKBOX";
    case TacBevelCut::bvLowered: return "PANEL_LOW";
    case TacBevelCut::bvRaised: return "PANEL";
    default: return "";
  }
}

String PanelSectionAfterBevelChange(const String& section, TacBevelCut oldBevel, TacBevelCut newBevel) {
  const String oldAuto = PanelAutoSection(oldBevel), newAuto = PanelAutoSection(newBevel);
  if (oldBevel == newBevel || oldAuto.empty() || newAuto.empty() || !SameName(section, oldAuto)) return section;
  return newAuto;
}

int PanelClientInset(int bevelWidth, TacBevelCut inner, TacBevelCut outer, int borderWidth) {
  const int bevels = int(inner != TacBevelCut::bvNone) + int(outer != TacBevelCut::bvNone);
  return bevelWidth * bevels + borderWidth;
}

TacPanelFill PanelFill(int transparency) {
  transparency = std::clamp(transparency, 0, 100);
  if (transparency == 0) return {TacPanelFill::pfSection, 0};
  if (transparency == 100) return {TacPanelFill::pfParent, 1};
  return {TacPanelFill::pfMix, transparency / 100.0};
}

int PanelCaptionTop(int rectHeight, int textHeight, int borderWidth) {
  return (rectHeight - textHeight) / 2 + borderWidth;
}
