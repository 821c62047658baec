// A package shaped like the program's built-in skin, loaded end to end: the
// values a loaded model must show.
#include "SkinTestUtil.h"
#include "skin/acSkinModel.h"

#include <gtest/gtest.h>

namespace {

class BuiltInShaped : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    FPackage = new TBlob(BuiltInLikePackage());
  }
  static void TearDownTestSuite() {
    delete FPackage;
    FPackage = nullptr;
  }
  void SetUp() override { FModel.LoadFromPackage(reinterpret_cast<const uint8_t*>(FPackage->data()), FPackage->size()); }
  const TsGeneralData& Section(const char* name) {
    const int i = FModel.GetSkinIndex(name);
    EXPECT_GE(i, 0) << name;
    return FModel.gd.at(size_t(i));
  }
  const TsMaskData& Mask(const char* section, const char* key) {
    const int i = FModel.GetMaskIndex(FModel.GetSkinIndex(section), section, key);
    EXPECT_GE(i, 0) << section << " " << key;
    return FModel.ma.at(size_t(i));
  }
  static TBlob* FPackage;
  TacSkinModel FModel;
};

TBlob* BuiltInShaped::FPackage = nullptr;

TEST_F(BuiltInShaped, SectionsInFileOrder) {
  const std::vector<String> names = {"GLOBALINFO", "CHECKBOX",  "EDIT",   "FORMTITLE",   "FORM",        "DIALOG",   "SELECTION",
                                     "MENUITEM",   "PROGRESSH", "BUTTON", "BUTTON_HUGE", "SPEEDBUTTON", "MAINMENU", "ICOLINE"};
  ASSERT_EQ(FModel.gd.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(FModel.gd[i].ClassName, names[i]);
  EXPECT_EQ(FModel.GetSkinIndex("FORM"), 4);
  EXPECT_EQ(FModel.GetSkinIndex("CAPTION"), -1);
  EXPECT_EQ(FModel.GetSkinIndex("DIALOGTITLE"), -1);
  EXPECT_EQ(FModel.GetSkinIndex("form"), -1);
  EXPECT_EQ(FModel.GetSkinIndex(""), -1);
  EXPECT_TRUE(FModel.SkinIsPacked);
}

TEST_F(BuiltInShaped, GlobalValues) {
  const TsSkinData& d = FModel.CommonSkinData;
  EXPECT_DOUBLE_EQ(d.Version, 8.12);
  EXPECT_EQ(d.Author, "Test Author");
  EXPECT_EQ(d.ExTitleHeight, 32);
  EXPECT_EQ(d.ExMaxHeight, 28);
  EXPECT_EQ(d.ExBorderWidth, 6);
  EXPECT_EQ(d.ExContentOffs, 15);
  EXPECT_EQ(d.ExCenterOffs, -2);
  EXPECT_EQ(d.ExDrawMode, 1);
  EXPECT_EQ(d.ExShadowOffs, 1);
  EXPECT_EQ(d.ExShadowOffsR, 1);
  EXPECT_EQ(d.ExShadowOffsT, 1);
  EXPECT_EQ(d.ExShadowOffsB, 1);
  EXPECT_EQ(d.Shadow1Color, 12632256u);
  EXPECT_EQ(d.Shadow1Offset, 1);
  EXPECT_EQ(d.Shadow1Blur, 3);
  EXPECT_EQ(d.Shadow1Transparency, 0);
  EXPECT_EQ(d.BISpacing, -1);
  EXPECT_EQ(d.BIRightMargin, -1);
  EXPECT_EQ(d.BILeftMargin, 1);
  EXPECT_EQ(d.BIVAlign, 1);
  EXPECT_EQ(d.BITopMargin, 0);
  EXPECT_FALSE(d.UseAeroBluring);
  EXPECT_EQ(d.SkinPath, "");
}

TEST_F(BuiltInShaped, EditAndCheckBoxSections) {
  const TsGeneralData& edit = Section("EDIT");
  EXPECT_EQ(edit.States, 2);
  EXPECT_EQ(edit.Color, 16777215u);
  EXPECT_EQ(edit.HotColor, 16777215u);
  EXPECT_EQ(edit.GlowCount, 1);
  EXPECT_EQ(edit.GlowMargin, 6);
  EXPECT_TRUE(edit.ShowFocus);
  EXPECT_EQ(edit.FadingIterations, 5);
  EXPECT_EQ(edit.GradientData, " ");
  const TsGeneralData& cb = Section("CHECKBOX");
  EXPECT_EQ(cb.States, 3);
  EXPECT_TRUE(cb.FadingEnabled);
  EXPECT_EQ(cb.FadingIterations, 10);
  EXPECT_EQ(cb.HotGlowSize, 1);
  EXPECT_EQ(cb.GlowSize, 0);
  EXPECT_EQ(cb.Transparency, 100);
  EXPECT_EQ(cb.FontColor.Color, 4013373u);
  EXPECT_EQ(cb.FontColor.Left, NoColor);
}

TEST_F(BuiltInShaped, StatesOfOneStateAndFourStateSections) {
  for (const char* name : {"ICOLINE", "MAINMENU"}) {
    const TsGeneralData& g = Section(name);
    EXPECT_EQ(g.States, 1);
    EXPECT_EQ(g.Props[1].Color, g.Props[0].Color);
    EXPECT_EQ(g.Props[1].GradientData, g.Props[0].GradientData);
    EXPECT_EQ(g.Props[1].GradientArray.size(), g.Props[0].GradientArray.size());
    EXPECT_EQ(g.HotColor, 0u);  // not read for one state
  }
  EXPECT_EQ(Section("MAINMENU").GradientArray.size(), 5u);
  EXPECT_EQ(Section("MAINMENU").GradientPercent, 100);
  const TsGeneralData& b = Section("BUTTON");
  EXPECT_EQ(b.States, 4);
  EXPECT_EQ(b.Props[0].Color, 16777215u);
  EXPECT_EQ(b.Props[1].Color, 16765037u);
  EXPECT_EQ(b.Props[1].GlowSize, 2);
  EXPECT_EQ(b.Props[1].GlowColor, 13936728u);
  EXPECT_EQ(b.Props[1].Transparency, 100);
  EXPECT_EQ(b.Props[0].FontColor.Color, 4013373u);
  EXPECT_EQ(b.Props[1].FontColor.Color, 0u);
  const TsGeneralData& sel = Section("SELECTION");
  ASSERT_EQ(sel.HotGradientArray.size(), 2u);
  EXPECT_EQ(sel.Props[1].GradientArray.size(), 2u);
  EXPECT_EQ(sel.Props[1].GradientPercent, 100);
}

TEST_F(BuiltInShaped, Palette) {
  const TacPaletteArray& p = FModel.Palette;
  const TColor expected[14] = {16512753, 4013373, 12877058, 150503, 0, 16777215, 16772552,
                               0,        16699758, 0,      0,       16777215, 16777215, 16513265};
  for (int i = 0; i < 14; ++i) EXPECT_EQ(p[size_t(i)], expected[i]) << "slot " << i;
  const TColor defaults[] = {0x008000, 0x008484, 0x0000FF, 0x8597D9, 0x4AB28F, 0x6CC2A5, 0x40FFFF,
                             0x95A7E9, 0x8597D9, 0x4AB28F, 0,        0,        0};
  for (int i = 14; i <= 26; ++i) EXPECT_EQ(p[size_t(i)], defaults[i - 14]) << "slot " << i;
  EXPECT_EQ(p[27], 13420215u);
  EXPECT_EQ(FModel.GetGlobalColor(), 16512753u);
  EXPECT_EQ(FModel.GetGlobalFontColor(), 4013373u);
  EXPECT_EQ(FModel.GetActiveEditColor(), 16777215u);
  EXPECT_EQ(FModel.GetActiveEditFontColor(), 0u);
  EXPECT_EQ(FModel.GetHighLightColor(false), 16772552u);
  EXPECT_EQ(FModel.GetHighLightColor(true), 16699758u);
  EXPECT_EQ(FModel.GetHighLightFontColor(true), 0u);
}

TEST_F(BuiltInShaped, GlyphAndBorderRecords) {
  const TsMaskData& box = Mask("GLOBALINFO", "BOXCHECKED");
  EXPECT_EQ(box.R, Rect(78, 17, 126, 33));
  EXPECT_EQ(box.ImageCount, 3);
  EXPECT_EQ(MaskFrameWidth(box), 16);
  EXPECT_EQ(box.MaskType, 0);
  EXPECT_EQ(box.ImgType, itisaGlyph);
  EXPECT_FALSE(box.Bmp);
  EXPECT_EQ(box.Manager, &FModel);
  EXPECT_EQ(MaskFrameWidth(Mask("GLOBALINFO", "SICONCLOSE")), 18);

  const TsMaskData& edit = Mask("EDIT", "BORDERSMASK");
  EXPECT_EQ(edit.R, Rect(15, 0, 25, 5));
  EXPECT_EQ(edit.WL + edit.WT + edit.WR + edit.WB, 4);
  EXPECT_EQ(edit.ImageCount, 2);
  EXPECT_EQ(MaskFrameWidth(edit), 5);
  EXPECT_EQ(edit.DrawMode, 1);
  EXPECT_EQ(edit.BorderWidth, 1);
  EXPECT_EQ(edit.CornerType, 0);
  EXPECT_EQ(Section("EDIT").BorderIndex, FModel.GetMaskIndex(2, "EDIT", "BORDERSMASK"));

  const TsMaskData& sb = Mask("SPEEDBUTTON", "BORDERSMASK");
  EXPECT_EQ(MaskFrameWidth(sb), 12);
  EXPECT_EQ(MaskFrameHeight(sb), 22);
}

TEST_F(BuiltInShaped, FileRecords) {
  const TsMaskData& huge = Mask("BUTTON_HUGE", "BORDERSMASK");
  ASSERT_TRUE(huge.Bmp);
  EXPECT_EQ(huge.R, Rect(0, 0, 192, 128));
  EXPECT_EQ(MaskFrameWidth(huge), 64);
  EXPECT_EQ(MaskFrameHeight(huge), 64);
  EXPECT_EQ(huge.WL, 31);
  EXPECT_EQ(huge.WT, 31);
  EXPECT_EQ(huge.WR, 32);
  EXPECT_EQ(huge.WB, 32);
  EXPECT_EQ(huge.DrawMode, 5);
  EXPECT_EQ(huge.CornerType, 2);
  EXPECT_EQ(huge.Bmp->Pixel(0, 0), 0xFFC0C0C0u);

  const TsMaskData& ex = Mask("GLOBALINFO", "EXBORDER");
  ASSERT_TRUE(ex.Bmp);
  EXPECT_EQ(ex.Bmp->Width(), 100);
  EXPECT_EQ(MaskFrameWidth(ex), 50);
  EXPECT_EQ(MaskFrameHeight(ex), 80);
  EXPECT_EQ(ex.ImgType, itisaGlow);

  // Version 8.12: PNG pixels are premultiplied (50, 100, 150 at alpha 128).
  const TsMaskData& glow = Mask("EDIT", "GLOW0");
  ASSERT_TRUE(glow.Bmp);
  EXPECT_EQ(glow.Bmp->Width(), 22);
  EXPECT_EQ(glow.WL, 10);
  EXPECT_EQ(glow.Bmp->Pixel(0, 0), 0x8019324Bu);
  EXPECT_EQ(FModel.MaskPicture(FModel.GetMaskIndex(2, "EDIT", "GLOW0")).Width(), 22);
}

TEST_F(BuiltInShaped, TexturesAndNonImages) {
  const int prog = FModel.GetSkinIndex("PROGRESSH");
  const int tex = FModel.GetTextureIndex(prog, "PROGRESSH", "PATTERN");
  ASSERT_GE(tex, 0);
  EXPECT_EQ(FModel.ma[size_t(tex)].R, Rect(293, 37, 323, 67));
  EXPECT_EQ(FModel.ma[size_t(tex)].DrawMode, 0);
  EXPECT_EQ(FModel.gd[size_t(prog)].TextureNormal, tex);
  EXPECT_EQ(FModel.gd[size_t(prog)].Props[0].TextureIndex, tex);
  EXPECT_EQ(FModel.gd[size_t(prog)].Props[1].TextureIndex, tex);  // one state shows it in both
  // "PATTERN=N/A" and colours make no record.
  EXPECT_EQ(FModel.GetMaskIndex("FORM", "PATTERN"), -1);
  EXPECT_EQ(FModel.GetMaskIndex("FORM", "COLOR"), -1);
  EXPECT_EQ(Section("FORM").TextureNormal, -1);
  EXPECT_EQ(FModel.GetTextureIndex(FModel.GetSkinIndex("EDIT"), "EDIT", "BORDERSMASK"), -1);
}

TEST_F(BuiltInShaped, MasterBitmapIsThirtyTwoBitWithTransparentKey) {
  EXPECT_EQ(FModel.MasterBitmap.Width(), 400);
  EXPECT_EQ(FModel.MasterBitmap.Height(), 152);
  EXPECT_EQ(FModel.MasterBitmap.PixelFormat, TPixelFormat::pf32bit);
  EXPECT_EQ(FModel.MasterBitmap.Pixel(3, 0), 0xFF808083u);
  EXPECT_EQ(FModel.MasterBitmap.Pixel(0, 151), 0x00FF00FFu);
}

TEST_F(BuiltInShaped, CachedIndexes) {
  const TConstantSkinData& c = FModel.ConstData;
  EXPECT_EQ(c.IndexGLobalInfo, 0);
  EXPECT_EQ(c.ExBorder, FModel.GetMaskIndex(0, "GLOBALINFO", "EXBORDER"));
  EXPECT_GE(c.ExBorder, 0);
  EXPECT_EQ(c.CheckBoxChecked, FModel.GetMaskIndex(0, "GLOBALINFO", "BOXCHECKED"));
  EXPECT_GE(c.RadioButtonUnChecked, 0);
  EXPECT_EQ(c.RadioButtonGrayed, -1);
  EXPECT_GE(c.MaskCloseBtn, 0);
  EXPECT_GE(c.MaskCloseAloneBtn, 0);
  EXPECT_GE(c.MaskHelpSmall, 0);
  EXPECT_GE(c.GripRightBottom, 0);
  EXPECT_GE(c.GripVertical, 0);
  for (int v : {int(c.IndexTabTop), int(c.MaskTabTop), int(c.IndexScrollTop), int(c.MaskArrowTop), int(c.IndexSliderVert),
                int(c.IndexScrollBar1H), c.ComboBtnIndex, c.ComboBtnBorder, c.ComboGlyph, c.IndexWebBtn})
    EXPECT_EQ(v, -1);
}

TEST_F(BuiltInShaped, ShadowsFollowTheExtendedBorder) {
  EXPECT_EQ(FModel.FormShadowSize, TRect());
  FModel.SetExtendedBorders(true);
  FModel.CheckShadows();
  // "BORDERMODE" is not 0: every margin is the content offset.
  EXPECT_EQ(FModel.FormShadowSize, Rect(15, 15, 15, 15));
  ASSERT_EQ(FModel.ShdiTemplate.Width(), 50);
  ASSERT_EQ(FModel.ShdiTemplate.Height(), 80);
  EXPECT_EQ(FModel.ShdiTemplate.Pixel(0, 0), FModel.ma[size_t(FModel.ConstData.ExBorder)].Bmp->Pixel(0, 0));
  EXPECT_EQ(FModel.ShdaTemplate.Pixel(0, 0), FModel.ma[size_t(FModel.ConstData.ExBorder)].Bmp->Pixel(50, 0));
  EXPECT_NE(FModel.ShdaTemplate.Pixel(0, 0), FModel.ShdiTemplate.Pixel(0, 0));
}

TEST_F(BuiltInShaped, SectionListOnlyWhileActive) {
  TStringList list;
  list.Add("stale");
  FModel.GetSkinSections(list);
  EXPECT_EQ(list.Count(), 0);
  FModel.CommonSkinData.Active = true;
  FModel.GetSkinSections(list);
  ASSERT_EQ(list.Count(), 14);
  EXPECT_EQ(list[0], "GLOBALINFO");
  EXPECT_EQ(list[13], "ICOLINE");
}

}  // namespace
