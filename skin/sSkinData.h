// Records of the skin data model: global values, sections with their two
// paint states, gradients, palette and the cached indexes of well-known
// sections and masks. The model that holds them is TacSkinModel.
#pragma once
#include "framework/core/SysUtils.h"
#include "framework/core/Types.h"

#include <array>
#include <cstdint>
#include <vector>

// Errors of the skin layer that are neither conversions nor stream errors.
QN_DECLARE_EXCEPTION(ESkinError, Exception);

// One gradient piece: Color1 to Color2 over Percent of the item, Mode1 the fill mode.
struct TsGradPie {
  TColor Color1 = 0;
  TColor Color2 = 0;
  uint8_t Percent = 0;  // 0..100
  int32_t Mode1 = 0;
  int32_t Mode2 = 0;    // not in the text; always 0
};
using TsGradArray = std::vector<TsGradPie>;

// Fills pieces from a "GRADIENTDATA" text: ";"-separated integers in groups
// of five (start colour, end colour, percent, mode, unused); an incomplete
// last group is ignored. A field that is not an integer raises EConvertError.
void ParseGradientData(const String& text, TsGradArray& pieces);

// Text colour and the four outline colours; -1 (0xFFFFFFFF) means none.
struct TsFontColor {
  TColor Color = 0;
  TColor Left = 0;
  TColor Top = 0;
  TColor Right = 0;
  TColor Bottom = 0;
};

constexpr TColor NoColor = TColor(-1);

// One paint state of a section.
struct TsGenState {
  TColor Color = 0;
  TsFontColor FontColor;
  int32_t GradientPercent = 0;
  String GradientData;
  TsGradArray GradientArray;  // same content as the section's array of that state
  int32_t ImagePercent = 0;
  int32_t TextureIndex = -1;  // texture mask record, -1 for none
  TColor GlowColor = 0;
  uint8_t GlowSize = 0;
  int32_t Transparency = 0;
};

// Props[0] normal, Props[1] hot.
using TsProps = std::array<TsGenState, 2>;

// One section of the options file (or of CommonSections).
struct TsGeneralData {
  String ParentClass;
  String ClassName;
  int32_t States = 0;
  TsProps Props;
  bool GiveOwnFont = false;
  bool ReservedBoolean = false;
  bool ShowFocus = false;
  int32_t GlowCount = 0;
  int32_t GlowMargin = 0;
  int32_t BorderIndex = -1;
  int32_t ImgTL = -1;
  int32_t ImgTR = -1;
  int32_t ImgBL = -1;
  int32_t ImgBR = -1;
  int32_t TextureNormal = -1;
  TColor Color = 0;
  int32_t Transparency = 0;
  int32_t GradientPercent = 0;
  String GradientData;
  TsGradArray GradientArray;
  int32_t ImagePercent = 0;
  TsFontColor FontColor;
  TColor HotColor = 0;
  int32_t HotTransparency = 0;
  int32_t HotGradientPercent = 0;
  String HotGradientData;
  TsGradArray HotGradientArray;
  int32_t HotImagePercent = 0;
  TsFontColor HotFontColor;
  bool FadingEnabled = false;
  int32_t FadingIterations = 0;
  TColor HotGlowColor = 0;
  TColor GlowColor = 0;
  uint8_t HotGlowSize = 0;
  uint8_t GlowSize = 0;
};
using TsSkinGeneralArray = std::vector<TsGeneralData>;

// Global values of "GLOBALINFO".
class TsSkinData {
public:
  String SkinPath;      // folder of the skin's files with a final separator
  bool Active = false;  // a loaded skin is announced and in use
  double Version = 0;
  String Author;
  String Description;
  TColor Shadow1Color = 0;
  int16_t Shadow1Offset = 0;
  int16_t Shadow1Blur = -1;
  int16_t Shadow1Transparency = 0;
  int16_t ExBorderWidth = 4;
  int16_t ExTitleHeight = 30;
  int16_t ExMaxHeight = 30;
  int16_t ExContentOffs = 0;
  int16_t ExCenterOffs = 0;
  int16_t ExDrawMode = 0;
  int16_t ExShadowOffs = 0;
  int16_t ExShadowOffsR = 0;
  int16_t ExShadowOffsT = 0;
  int16_t ExShadowOffsB = 0;
  TColor FXColor = 0;
  int16_t BISpacing = 0;
  int16_t BIVAlign = 0;
  int16_t BIRightMargin = 0;
  int16_t BILeftMargin = 0;
  int16_t BITopMargin = 0;
  int16_t BIKeepHUE = 0;
  int16_t BICloseGlow = 0;
  int16_t BICloseGlowMargin = 0;
  int16_t BIMaxGlow = 0;
  int16_t BIMaxGlowMargin = 0;
  int16_t BIMinGlow = 0;
  int16_t BIMinGlowMargin = 0;
  bool UseAeroBluring = false;
};

// Palette slots (read back by the manager's palette getters).
enum TacPaletteSlot : int {
  psGlobalColor = 0,
  psGlobalFontColor = 1,
  psBottomOutline = 2,  // "TCBOTTOM"
  psTopOutline = 3,     // "TCTOP"
  psEditFont = 4,
  psEditColor = 5,
  psHighlight = 6,
  psHighlightFont = 7,
  psHighlightFocused = 8,
  psHighlightFontFocused = 9,
  psEditInvertedBG = 10,
  psEditInvertedText = 11,
  psEditOddBG = 12,
  psEditEvenBG = 13,
  psEditOkText = 14,
  psEditWarnText = 15,
  psEditAlertText1 = 16,
  psEditAlertText2 = 17,
  psEditAlertText3 = 18,
  psEditOkBG = 19,
  psEditWarnBG = 20,
  psEditAlertBG1 = 21,
  psEditAlertBG2 = 22,
  psEditAlertBG3 = 23,
  psEditH1Text = 24,
  psEditH2Text = 25,
  psEditH3Text = 26,
  psBorderColor = 27,
};
constexpr int PaletteSize = 28;
using TacPaletteArray = std::array<TColor, PaletteSize>;

// Cached indexes of well-known sections and masks; -1 when absent.
struct TConstantSkinData {
  int16_t IndexGLobalInfo = -1;
  int16_t ExBorder = -1;
  int16_t IndexTabTop = -1, IndexTabBottom = -1, IndexTabLeft = -1, IndexTabRight = -1;
  int16_t MaskTabTop = -1, MaskTabBottom = -1, MaskTabLeft = -1, MaskTabRight = -1;
  int16_t IndexScrollTop = -1, IndexScrollBottom = -1, IndexScrollLeft = -1, IndexScrollRight = -1;
  int16_t MaskScrollTop = -1, MaskScrollBottom = -1, MaskScrollLeft = -1, MaskScrollRight = -1;
  int16_t IndexBGScrollTop = -1, IndexBGScrollBottom = -1, IndexBGScrollLeft = -1, IndexBGScrollRight = -1;
  int16_t IndexBGHotScrollTop = -1, IndexBGHotScrollBottom = -1, IndexBGHotScrollLeft = -1, IndexBGHotScrollRight = -1;
  int16_t MaskCloseBtn = -1, MaskCloseAloneBtn = -1, MaskMaxBtn = -1, MaskNormBtn = -1, MaskMinBtn = -1, MaskHelpBtn = -1;
  int16_t MaskCloseSmall = -1, MaskMaxSmall = -1, MaskNormSmall = -1, MaskMinSmall = -1, MaskHelpSmall = -1;
  int16_t MaskArrowTop = -1, MaskArrowBottom = -1, MaskArrowLeft = -1, MaskArrowRight = -1;
  int16_t IndexSliderVert = -1, IndexSliderHorz = -1;
  int16_t MaskSliderVert = -1, MaskSliderHorz = -1;
  int16_t MaskSliderGlyphVert = -1, MaskSliderGlyphHorz = -1;
  int16_t ScrollSliderBGHorz = -1, ScrollSliderBGHotHorz = -1, ScrollSliderBGVert = -1, ScrollSliderBGHotVert = -1;
  int16_t IndexScrollBar1H = -1, IndexScrollBar1V = -1, IndexScrollBar2H = -1, IndexScrollBar2V = -1;
  int16_t MaskScrollBar1H = -1, MaskScrollBar1V = -1, MaskScrollBar2H = -1, MaskScrollBar2V = -1;
  int16_t BGScrollBar1H = -1, BGScrollBar1V = -1, BGScrollBar2H = -1, BGScrollBar2V = -1;
  int16_t BGHotScrollBar1H = -1, BGHotScrollBar1V = -1, BGHotScrollBar2H = -1, BGHotScrollBar2V = -1;
  int16_t CheckBoxChecked = -1, CheckBoxUnChecked = -1, CheckBoxGrayed = -1;
  int16_t RadioButtonChecked = -1, RadioButtonUnChecked = -1, RadioButtonGrayed = -1;
  int16_t SmallCheckBoxChecked = -1, SmallCheckBoxUnChecked = -1, SmallCheckBoxGrayed = -1;
  int32_t ComboBtnIndex = -1;
  int32_t ComboBtnBorder = -1;
  int32_t ComboBtnBG = -1, ComboBtnBGHot = -1;
  int32_t ComboGlyph = -1;
  int32_t GripRightBottom = -1, GripHorizontal = -1, GripVertical = -1;
  int32_t IndexWebBtn = -1;
};
