// Sections, inheritance, global values, overrides, palette and colour
// adjustments of the model, from options texts without pictures.
#include "skin/acSkinColors.h"
#include "skin/acSkinModel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

class Sections : public ::testing::Test {
protected:
  void Load(const String& text) { FModel.LoadFromOptionsText(text, ""); }
  const TsGeneralData& S(const char* name) {
    const int i = FModel.GetSkinIndex(name);
    EXPECT_GE(i, 0) << name;
    return FModel.gd.at(size_t(i));
  }
  void Overrides(const std::vector<String>& lines) {
    TStringList l;
    for (const String& s : lines) l.Add(s);
    FModel.SetCommonSections(l);
  }
  TacSkinModel FModel;
};

TEST_F(Sections, ParentClassSuppliesMissingKeys) {
  Load("[BUTTON]\nCOLOR=255\nSTATES=4\nFONTCOLOR=7\n[MYBTN]\nPARENTCLASS=BUTTON\nFONTCOLOR=9\n[SELF]\nPARENTCLASS=SELF\n");
  EXPECT_EQ(S("MYBTN").Color, 255u);
  EXPECT_EQ(S("MYBTN").States, 4);
  EXPECT_EQ(S("MYBTN").FontColor.Color, 9u);
  EXPECT_EQ(S("MYBTN").ParentClass, "BUTTON");
  EXPECT_EQ(S("SELF").Color, 0xFFFFFFu);
  EXPECT_EQ(S("SELF").States, 3);
}

TEST_F(Sections, ParentLoopsThroughSeveralSectionsEndWithTheDefault) {
  Load("[A]\nPARENTCLASS=B\n[B]\nPARENTCLASS=C\n[C]\nPARENTCLASS=A\nGLOW=2\n");
  EXPECT_EQ(S("A").Color, 0xFFFFFFu);
  EXPECT_EQ(S("A").GlowCount, 2);  // found in C before the loop closes
  EXPECT_EQ(S("B").FadingIterations, 5);
}

TEST_F(Sections, DefaultsOfAnEmptySection) {
  Load("[EMPTY]\n");
  const TsGeneralData& g = S("EMPTY");
  EXPECT_EQ(g.States, 3);
  EXPECT_EQ(g.Color, 0xFFFFFFu);
  EXPECT_EQ(g.GlowColor, 0xFFFFFFu);
  EXPECT_EQ(g.HotGlowColor, 0xFFFFFFu);
  EXPECT_EQ(g.HotColor, 0xFFFFFFu);
  EXPECT_EQ(g.FontColor.Color, 0u);
  EXPECT_EQ(g.FontColor.Bottom, NoColor);
  EXPECT_EQ(g.HotFontColor.Top, NoColor);
  EXPECT_EQ(g.FadingIterations, 5);
  EXPECT_EQ(g.GradientData, " ");
  EXPECT_EQ(g.HotGradientData, "");
  EXPECT_TRUE(g.GradientArray.empty());
  EXPECT_TRUE(g.ShowFocus);
  EXPECT_FALSE(g.FadingEnabled);
  EXPECT_EQ(g.BorderIndex, -1);
  EXPECT_EQ(g.ImgTL, -1);
  EXPECT_EQ(g.TextureNormal, -1);
  EXPECT_EQ(g.Props[0].TextureIndex, -1);
  EXPECT_EQ(g.Props[1].TextureIndex, -1);
}

TEST_F(Sections, HotValuesAreNotReadForOneState) {
  Load("[ONE]\nSTATES=1\nCOLOR=10\nHOTCOLOR=20\nHGSIZE=4\nGSIZE=3\n[TWO]\nSTATES=2\nCOLOR=10\nHOTCOLOR=20\n");
  const TsGeneralData& one = S("ONE");
  EXPECT_EQ(one.HotColor, 0u);
  EXPECT_EQ(one.HotGlowSize, 0);
  EXPECT_EQ(one.Props[1].Color, 10u);
  EXPECT_EQ(one.Props[1].GlowSize, 3);
  EXPECT_EQ(S("TWO").Props[1].Color, 20u);
}

TEST_F(Sections, ShortGradientDataForcesPercentToZero) {
  Load("[A]\nGRADIENTPERCENT=100\nGRADIENTDATA=x\nSTATES=2\nHOTGRADIENTPERCENT=50\n[B]\nGRADIENTPERCENT=100\n"
       "GRADIENTDATA=1;2;3;0;0\n");
  EXPECT_EQ(S("A").GradientPercent, 0);
  EXPECT_EQ(S("A").Props[0].GradientPercent, 0);
  EXPECT_EQ(S("A").HotGradientPercent, 0);  // no hot gradient text at all
  EXPECT_EQ(S("B").GradientPercent, 100);
  ASSERT_EQ(S("B").Props[0].GradientArray.size(), 1u);
  EXPECT_EQ(S("B").Props[0].GradientArray[0].Color2, 2u);
}

TEST_F(Sections, MalformedGradientAbortsTheLoadNamingTheKey) {
  try {
    Load("[A]\nGRADIENTDATA=1;2;x;4;5\n");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Section \"A\", key \"GRADIENTDATA\": 'x' is not a valid integer value");
  }
}

TEST_F(Sections, ColoursConvertSystemValuesButHotColourOnlyThroughAParent) {
  Load("[P]\nHOTCOLOR=-2147483647\n[A]\nSTATES=2\nCOLOR=-2147483643\nHOTCOLOR=-2147483643\n[B]\nSTATES=2\nPARENTCLASS=P\n");
  EXPECT_EQ(S("A").Color, SysColor(5));
  EXPECT_EQ(S("A").HotColor, 0x80000005u);
  EXPECT_EQ(S("B").HotColor, SysColor(1));
}

TEST_F(Sections, ByteFieldsKeepTheLowByte) {
  Load("[A]\nGSIZE=257\n");
  EXPECT_EQ(S("A").GlowSize, 1);
}

TEST_F(Sections, RepeatedSectionHeadersMakeOneRecord) {
  Load("[A]\nCOLOR=1\n[B]\n[A]\nCOLOR=2\n");
  ASSERT_EQ(FModel.gd.size(), 2u);
  EXPECT_EQ(S("A").Color, 1u);
}

TEST_F(Sections, TitleAndAlignRules) {
  Load("[GLOBALINFO]\nTITLEHEIGHT=0\nALIGNOFFSET=4\nALIGNOFFSETT=2\nBORDERWIDTH=65537\nCENTEROFFSET=-70000\n");
  const TsSkinData& d = FModel.CommonSkinData;
  EXPECT_EQ(d.ExTitleHeight, 30);
  EXPECT_EQ(d.ExMaxHeight, 30);
  EXPECT_EQ(d.ExShadowOffsR, 4);
  EXPECT_EQ(d.ExShadowOffsT, 2);
  EXPECT_EQ(d.ExShadowOffsB, 4);
  EXPECT_EQ(d.ExBorderWidth, 1);  // low 16 bits of 65537
  EXPECT_EQ(d.ExCenterOffs, int16_t(uint16_t(uint32_t(-70000))));
  Load("[GLOBALINFO]\nTITLEHEIGHT=25\n");
  EXPECT_EQ(FModel.CommonSkinData.ExMaxHeight, 25);
}

TEST_F(Sections, MissingGlobalInfoGivesTheDefaults) {
  Load("[A]\n");
  const TsSkinData& d = FModel.CommonSkinData;
  EXPECT_EQ(d.Version, 0.0);
  EXPECT_EQ(d.ExBorderWidth, 4);
  EXPECT_EQ(d.ExTitleHeight, 30);
  EXPECT_EQ(d.ExContentOffs, SkinPlatform().SizeFrameWidth());
  EXPECT_EQ(d.Shadow1Blur, -1);
  EXPECT_EQ(d.ExShadowOffsR, 0);
  EXPECT_EQ(FModel.ConstData.IndexGLobalInfo, -1);
  EXPECT_EQ(FModel.ConstData.ExBorder, -1);
  EXPECT_EQ(FModel.ConstData.CheckBoxChecked, -1);
  EXPECT_EQ(FModel.ConstData.GripVertical, -1);
}

TEST_F(Sections, StrictGlobalTextKeysAbortTheLoadAndKeepThePreviousModel) {
  Load("[GLOBALINFO]\nSHADOW1OFFSET=$10\nBICONMAXGLOW=0x7\n[KEEP]\nCOLOR=5\n");
  EXPECT_EQ(FModel.CommonSkinData.Shadow1Offset, 16);
  EXPECT_EQ(FModel.CommonSkinData.BIMaxGlow, 7);
  for (const char* key : {"SHADOW1OFFSET", "SHADOW1BLUR", "SHADOW1TRANSPARENCY", "BICONCLOSEGLOW", "BICONMINGLOWMARGIN"}) {
    try {
      Load(Format("[GLOBALINFO]\n%s=abc\n[NEW]\n", key));
      FAIL() << key;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), Format("Section \"GLOBALINFO\", key \"%s\": 'abc' is not a valid integer value", key));
    }
    EXPECT_EQ(FModel.GetSkinIndex("NEW"), -1);
    EXPECT_EQ(S("KEEP").Color, 5u);
    EXPECT_EQ(FModel.CommonSkinData.Shadow1Offset, 16);
  }
  // Present but empty is malformed too; absent uses the default text.
  EXPECT_THROW(Load("[GLOBALINFO]\nSHADOW1BLUR=\n"), EConvertError);
}

TEST_F(Sections, PaletteWithoutSelectionUsesMenuItemHotValues) {
  Load("[MENUITEM]\nSTATES=2\nHOTCOLOR=123\nHOTFONTCOLOR=456\n");
  const TacPaletteArray& p = FModel.Palette;
  EXPECT_EQ(p[6], 123u);
  EXPECT_EQ(p[8], 123u);
  EXPECT_EQ(p[7], 456u);
  EXPECT_EQ(p[9], 456u);
}

TEST_F(Sections, PaletteFuchsiaSelectionTextFallsBackAndSystemColoursLast) {
  Load("[SELECTION]\nSTATES=1\nCOLOR=7\nFONTCOLOR=16711935\n[MENUITEM]\nSTATES=2\nHOTCOLOR=9\nHOTFONTCOLOR=16711935\n");
  EXPECT_EQ(FModel.Palette[6], 9u);
  EXPECT_EQ(FModel.Palette[7], SysColor(scHighlightText));
  EXPECT_EQ(FModel.Palette[9], SysColor(scHighlightText));
  Load("[OTHER]\n");
  const TacPaletteArray& p = FModel.Palette;
  EXPECT_EQ(p[0], SysColor(scBtnFace));
  EXPECT_EQ(p[4], SysColor(scWindowText));
  EXPECT_EQ(p[5], SysColor(scWindow));
  EXPECT_EQ(p[6], SysColor(scHighlight));
  EXPECT_EQ(p[8], SysColor(scHighlight));
  EXPECT_EQ(p[7], SysColor(scHighlightText));
  EXPECT_EQ(p[10], p[4]);
  EXPECT_EQ(p[11], p[5]);
  EXPECT_EQ(p[12], p[5]);
}

TEST_F(Sections, PaletteSelectionHotSlotsUseStateZeroForOneState) {
  Load("[SELECTION]\nSTATES=1\nCOLOR=7\nFONTCOLOR=8\nHOTCOLOR=99\n");
  EXPECT_EQ(FModel.Palette[6], 7u);
  EXPECT_EQ(FModel.Palette[8], 7u);
  EXPECT_EQ(FModel.Palette[7], 8u);
  EXPECT_EQ(FModel.Palette[9], 8u);
}

TEST_F(Sections, PaletteAlertKeysFillThreeSlotsAndEvenRowsMix) {
  Load("[GLOBALINFO]\nEDITTEXT_ALERT=1\nEDITBG_ALERT=2\n[EDIT]\nCOLOR=16777215\nFONTCOLOR=0\n");
  const TacPaletteArray& p = FModel.Palette;
  EXPECT_EQ(p[16], 1u);
  EXPECT_EQ(p[17], 1u);
  EXPECT_EQ(p[18], 1u);
  EXPECT_EQ(p[21], 2u);
  EXPECT_EQ(p[23], 2u);
  EXPECT_EQ(p[13], RGBColor(242, 242, 242));  // round(0.95 * 255) = 242
  Load("[EDIT]\nCOLOR=200\nFONTCOLOR=100\n");
  EXPECT_EQ(FModel.Palette[13], RGBColor(195, 0, 0));  // 0.05 * 100 + 0.95 * 200
}

TEST_F(Sections, HueOffsetAdjustsColoursOnceAndLeavesMinusOneAlone) {
  FModel.SetHueOffset(180);
  Load("[GLOBALINFO]\nCOLOR=255\nTCTOP=255\nEDITTEXT_OK=255\nSHADOW1COLOR=255\n"
       "[A]\nSTATES=2\nCOLOR=255\nHOTCOLOR=255\nFONTCOLOR=255\nTCLEFT=-1\nGRADIENTDATA=255;255;50;0;0\n"
       "HOTGRADIENTDATA=65280;65280;50;0;0\n[ONE]\nSTATES=1\nGRADIENTDATA=255;255;50;0;0\n");
  const TsGeneralData& a = S("A");
  EXPECT_EQ(a.Color, 0xFFFF00u);
  EXPECT_EQ(a.HotColor, 0xFFFF00u);
  EXPECT_EQ(a.Props[0].Color, 0xFFFF00u);
  EXPECT_EQ(a.Props[1].Color, 0xFFFF00u);
  EXPECT_EQ(a.FontColor.Color, 0xFFFF00u);
  EXPECT_EQ(a.FontColor.Left, NoColor);
  EXPECT_EQ(a.Props[0].FontColor.Left, NoColor);
  EXPECT_EQ(a.GradientArray[0].Color1, 0xFFFF00u);
  EXPECT_EQ(a.Props[0].GradientArray[0].Color1, 0xFFFF00u);  // adjusted once, not twice
  EXPECT_EQ(a.Props[1].GradientArray[0].Color1, 0xFF00FFu);  // green -> magenta
  EXPECT_EQ(S("ONE").Props[1].GradientArray[0].Color1, 0xFFFF00u);
  EXPECT_EQ(FModel.CommonSkinData.Shadow1Color, 0xFFFF00u);
  EXPECT_EQ(FModel.Palette[0], 0xFFFF00u);
  EXPECT_EQ(FModel.Palette[3], 255u);   // slot 3 is not adjusted
  EXPECT_EQ(FModel.Palette[14], 255u);  // nor 14 to 26
}

TEST_F(Sections, SaturationGreysOrLeavesAlone) {
  FModel.SetSaturation(-100);
  Load("[A]\nCOLOR=1977650\n");  // (50, 45, 30): mean 41.67
  EXPECT_EQ(S("A").Color, RGBColor(42, 42, 42));
  FModel.SetSaturation(101);
  Load("[A]\nCOLOR=1977650\n");
  EXPECT_EQ(S("A").Color, 1977650u);
}

TEST_F(Sections, OverrideOfAnExistingSectionChangesOnlyItsKeys) {
  Overrides({"[EDIT]", "COLOR = 255"});
  Load("[EDIT]\nSTATES=2\nCOLOR=1\nHOTCOLOR=2\nFONTCOLOR=3\n");
  const TsGeneralData& e = S("EDIT");
  EXPECT_EQ(e.Color, 255u);
  EXPECT_EQ(e.Props[0].Color, 255u);
  EXPECT_EQ(e.HotColor, 2u);
  EXPECT_EQ(e.FontColor.Color, 3u);
  EXPECT_EQ(FModel.gd.size(), 1u);
}

TEST_F(Sections, NewOverrideSectionTakesItsParentsValuesWhateverTheCase) {
  Overrides({"[MYPANEL]", "PARENTCLASS=panel", "FONTCOLOR=9", "STATES=1"});
  Load("[PANEL]\nSTATES=2\nCOLOR=77\nHOTCOLOR=88\nGLOW=2\n");
  const TsGeneralData& p = S("MYPANEL");
  EXPECT_EQ(p.ParentClass, "PANEL");
  EXPECT_EQ(p.Color, 77u);
  EXPECT_EQ(p.GlowCount, 2);
  EXPECT_EQ(p.FontColor.Color, 9u);
  // States comes from the skin's own file (default 3); the override's has no effect.
  EXPECT_EQ(p.States, 3);
  EXPECT_EQ(p.Props[1].Color, 88u);
}

TEST_F(Sections, NewOverrideSectionWithoutParentUsesOverrideDefaults) {
  Overrides({"; comment with spaces", "lines before a section", "[NEW ONE]", "GRADIENTDATA=1;2;3;0;0", "SHOWFOCUS=1"});
  Load("[A]\n");
  EXPECT_EQ(FModel.CommonSections()[0], "; comment with spaces");
  EXPECT_EQ(FModel.CommonSections()[1], "linesbeforeasection");
  const TsGeneralData& n = S("NEWONE");  // spaces are removed from the lines
  EXPECT_EQ(n.ParentClass, "-1");
  EXPECT_EQ(n.Color, 0xFFFFFFu);
  EXPECT_EQ(n.FontColor.Color, NoColor);
  EXPECT_EQ(n.HotFontColor.Right, NoColor);
  EXPECT_EQ(n.FadingIterations, -1);
  EXPECT_EQ(n.HotGradientData, " ");
  EXPECT_TRUE(n.ShowFocus);
  EXPECT_EQ(n.States, 3);
  ASSERT_EQ(n.GradientArray.size(), 1u);
  EXPECT_EQ(n.Props[0].GradientArray.size(), 1u);
}

TEST_F(Sections, SectionLimitIsEnforced) {
  String text;
  for (int i = 0; i <= MaxSkinSections; ++i) text += Format("[S%d]\n", i);
  EXPECT_THROW(Load(text), ESkinError);
  EXPECT_TRUE(FModel.gd.empty());
}

TEST_F(Sections, LookupsWithTheParentRule) {
  Load("[GLOBALINFO]\n[BASE]\nX=^0000^0000^0000^0000^0001^0001^0001^0001^1^0^1^1\n"
       "[CHILD]\nPARENTCLASS=BASE\n[LOOPA]\nPARENTCLASS=LOOPB\n[LOOPB]\nPARENTCLASS=LOOPA\n");
  const int base = FModel.GetSkinIndex("BASE"), child = FModel.GetSkinIndex("CHILD");
  const int m = FModel.GetMaskIndex(base, "BASE", "X");
  ASSERT_GE(m, 0);
  EXPECT_EQ(FModel.GetMaskIndex(child, "CHILD", "X"), m);
  EXPECT_EQ(FModel.GetMaskIndex("CHILD", "X"), -1);  // section-only form
  EXPECT_EQ(FModel.GetMaskIndex(-1, "CHILD", "X"), -1);
  EXPECT_EQ(FModel.GetMaskIndex(child, "", "X"), -1);
  EXPECT_EQ(FModel.GetMaskIndex(FModel.GetSkinIndex("LOOPA"), "LOOPA", "X"), -1);
  EXPECT_EQ(FModel.GetMaskIndex(9999, "CHILD", "X"), -1);
  EXPECT_EQ(FModel.GetTextureIndex(child, "CHILD", "X"), -1);  // a border is no texture
  EXPECT_EQ(FModel.GetPatternIndex(child, "CHILD", "X"), -1);
  EXPECT_TRUE(FModel.IsValidSkinIndex(child));
  EXPECT_FALSE(FModel.IsValidSkinIndex(int(FModel.gd.size())));
  EXPECT_FALSE(FModel.IsValidSkinIndex(-1));
}

TEST_F(Sections, RemoveSkinEmptiesTheModelAndTheCachedIndexes) {
  Load("[GLOBALINFO]\nBOXCHECKED=#X (0,0,0,0) (1,0)\n[TABTOP]\n");
  EXPECT_EQ(FModel.ConstData.IndexTabTop, 1);
  FModel.RemoveSkin();
  EXPECT_TRUE(FModel.gd.empty());
  EXPECT_TRUE(FModel.ma.empty());
  EXPECT_EQ(FModel.ConstData.IndexTabTop, -1);
  EXPECT_EQ(FModel.ConstData.IndexGLobalInfo, -1);
  EXPECT_EQ(FModel.GetSkinIndex("TABTOP"), -1);
}

}  // namespace
