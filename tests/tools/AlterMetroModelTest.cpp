// The built-in skin loaded by the skin data model: the values that follow
// from its options and pictures.
#include <gtest/gtest.h>

#include "skin/acSkinModel.h"
#include "tools/AlterMetroArt.h"
#include "tools/SkinInfo.h"
#include "tools/SkinPackage.h"

namespace {

const String PackagePath = String(QN_SOURCE_DIR) + "/skins/AlterMetro.asz";

TacSkinModel& Model() {
  static TacSkinModel* model = [] {
    auto* m = new TacSkinModel;
    TBytes bytes = ReadFileBytes(PackagePath);
    m->LoadFromPackage(bytes.data(), bytes.size());
    return m;
  }();
  return *model;
}

const TsMaskData& Mask(const String& section, const String& key) {
  TacSkinModel& m = Model();
  int index = m.GetMaskIndex(m.GetSkinIndex(section), section, key);
  if (index < 0) throw EListError(section + "." + key + " has no record");
  return m.ma[size_t(index)];
}

const TsGeneralData& Section(const String& name) {
  int index = Model().GetSkinIndex(name);
  if (index < 0) throw EListError(name + " is missing");
  return Model().gd[size_t(index)];
}

struct TBorderRow {
  const char* Section;
  TRect R;
  int Frames, Rows, FrameWidth, FrameHeight;
  int WL, WT, WR, WB, DrawMode, BorderWidth;
};

struct TGlyphRow {
  const char* Key;
  TRect R;
  int Frames, MaskType, FrameWidth, FrameHeight;
};

}  // namespace

TEST(AlterMetroModel, SectionsInFileOrder) {
  ASSERT_EQ(Model().gd.size(), 67u);
  EXPECT_EQ(Model().gd.front().ClassName, "GLOBALINFO");
  EXPECT_EQ(Model().gd.back().ClassName, "TB_BTN");
  EXPECT_EQ(Model().GetSkinIndex("FORM"), 39);
  EXPECT_EQ(Model().GetSkinIndex("CAPTION"), -1);
  EXPECT_EQ(Model().GetSkinIndex("DIALOGTITLE"), -1);
  for (const TsGeneralData& g : Model().gd) EXPECT_EQ(g.ParentClass, "") << g.ClassName;
}

TEST(AlterMetroModel, GlobalValues) {
  const TsSkinData& d = Model().CommonSkinData;
  EXPECT_DOUBLE_EQ(d.Version, 8.12);
  EXPECT_EQ(d.Author, "Quarnel developers");
  EXPECT_EQ(d.Shadow1Color, 12632256u);
  EXPECT_EQ(d.Shadow1Offset, 1);
  EXPECT_EQ(d.Shadow1Blur, 3);
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
  EXPECT_EQ(d.BISpacing, -1);
  EXPECT_EQ(d.BIRightMargin, -1);
  EXPECT_EQ(d.BILeftMargin, 1);
  EXPECT_EQ(d.BIVAlign, 1);
  EXPECT_EQ(d.BITopMargin, 0);
  EXPECT_FALSE(d.UseAeroBluring);
}

TEST(AlterMetroModel, Palette) {
  const TacPaletteArray expected = {16512753, 4013373, 12877058, 150503, 0, 16777215, 16772552, 0, 16699758, 0,
                                    0, 16777215, 16777215, 16513265, 0x008000, 0x008484, 0x0000FF, 0x8597D9,
                                    0x4AB28F, 0x6CC2A5, 0x40FFFF, 0x95A7E9, 0x8597D9, 0x4AB28F, 0, 0, 0, 13420215};
  for (int i = 0; i < PaletteSize; ++i) EXPECT_EQ(Model().Palette[size_t(i)], expected[size_t(i)]) << "slot " << i;
}

TEST(AlterMetroModel, SectionsOfTheProgramsOwnWindows) {
  const TsGeneralData& edit = Section("EDIT");
  EXPECT_EQ(edit.States, 2);
  EXPECT_EQ(edit.Color, 16777215u);
  EXPECT_EQ(edit.HotColor, 16777215u);
  EXPECT_EQ(edit.GlowCount, 1);
  EXPECT_EQ(edit.GlowMargin, 6);
  const TsGeneralData& check = Section("CHECKBOX");
  EXPECT_EQ(check.States, 3);
  EXPECT_TRUE(check.FadingEnabled);
  EXPECT_EQ(check.FadingIterations, 10);
  EXPECT_EQ(check.HotGlowSize, 1);
  EXPECT_EQ(check.GlowSize, 0);
  const TsGeneralData& button = Section("BUTTON");
  EXPECT_EQ(button.States, 4);
  EXPECT_EQ(button.Props[1].Color, 16765037u);  // hot values read
  EXPECT_EQ(button.Props[1].GlowColor, 13936728u);
  EXPECT_EQ(button.Props[1].GlowSize, 2);
  EXPECT_EQ(button.Props[0].Transparency, 100);
  for (const char* oneState : {"ICOLINE", "MAINMENU"}) {
    const TsGeneralData& g = Section(oneState);
    EXPECT_EQ(g.States, 1) << oneState;
    EXPECT_EQ(g.Props[1].Color, g.Props[0].Color) << oneState;
    EXPECT_EQ(g.Props[1].GradientData, g.Props[0].GradientData) << oneState;
    EXPECT_EQ(g.Props[1].GradientPercent, g.Props[0].GradientPercent) << oneState;
  }
  EXPECT_EQ(Section("ICOLINE").Props[0].Color, 16774885u);
  EXPECT_EQ(Section("MAINMENU").Props[0].GradientArray.size(), 5u);
  EXPECT_EQ(Section("FORMTITLE").Props[1].Color, 14992515u);
  EXPECT_EQ(Section("FORMTITLE").Props[0].Color, 14341838u);
  EXPECT_EQ(Section("SELECTION").Props[1].GradientArray.size(), 2u);
}

TEST(AlterMetroModel, BorderRecordsOfTheOwnWindows) {
  const TBorderRow rows[] = {
      {"FORM", {10, 6, 28, 15}, 2, 1, 9, 9, 4, 4, 4, 4, 1, 1},
      {"DIALOG", {10, 6, 28, 15}, 2, 1, 9, 9, 4, 4, 4, 4, 1, 1},
      {"FORMTITLE", {10, 6, 28, 8}, 2, 1, 9, 2, 1, 1, 1, 0, 1, 1},
      {"EDIT", {15, 0, 25, 5}, 2, 1, 5, 5, 1, 1, 1, 1, 1, 1},
      {"BUTTON", {206, 66, 242, 94}, 4, 1, 9, 28, 4, 5, 4, 3, 5, 1},
      {"SPEEDBUTTON", {256, 19, 292, 63}, 3, 2, 12, 22, 4, 5, 4, 3, 5, 1},
      {"MAINMENU", {168, 1, 178, 27}, 1, 1, 10, 26, 3, 3, 3, 3, 1, 1},
  };
  for (const TBorderRow& row : rows) {
    const TsMaskData& m = Mask(row.Section, "BORDERSMASK");
    EXPECT_EQ(Model().GetMaskIndex(Model().GetSkinIndex(row.Section), row.Section, "BORDERSMASK"),
              Section(row.Section).BorderIndex)
        << row.Section;
    EXPECT_EQ(m.ImgType, itisaBorder) << row.Section;
    EXPECT_EQ(m.Bmp, nullptr) << row.Section;
    EXPECT_EQ(m.R, row.R) << row.Section;
    EXPECT_EQ(m.ImageCount, row.Frames) << row.Section;
    EXPECT_EQ(m.MaskType + 1, row.Rows) << row.Section;
    EXPECT_EQ(MaskFrameWidth(m), row.FrameWidth) << row.Section;
    EXPECT_EQ(MaskFrameHeight(m), row.FrameHeight) << row.Section;
    EXPECT_EQ(m.WL, row.WL) << row.Section;
    EXPECT_EQ(m.WT, row.WT) << row.Section;
    EXPECT_EQ(m.WR, row.WR) << row.Section;
    EXPECT_EQ(m.WB, row.WB) << row.Section;
    EXPECT_EQ(m.DrawMode, row.DrawMode) << row.Section;
    EXPECT_EQ(m.BorderWidth, row.BorderWidth) << row.Section;
  }
  EXPECT_EQ(Mask("BUTTON", "BORDERSMASK").CornerType, 1);  // rounded corners
  EXPECT_EQ(Mask("FORM", "BORDERSMASK").CornerType, 0);    // square window
}

TEST(AlterMetroModel, GlyphRecordsOfTheGlobalSection) {
  const TGlyphRow rows[] = {
      {"BOXCHECKED", {78, 17, 126, 33}, 3, 0, 16, 16},     {"SMALLCHECKED", {178, 73, 190, 85}, 1, 0, 12, 12},
      {"BOXUNCHECKED", {29, 17, 77, 33}, 3, 0, 16, 16},    {"SMALLUNCHECKED", {165, 73, 177, 85}, 1, 0, 12, 12},
      {"BOXGRAYED", {95, 0, 143, 16}, 3, 0, 16, 16},       {"SMALLGRAYED", {191, 73, 203, 85}, 1, 0, 12, 12},
      {"RADIOCHECKED", {78, 0, 94, 16}, 1, 0, 16, 16},     {"RADIOUNCHECKED", {29, 0, 77, 16}, 3, 0, 16, 16},
      {"CHECK", {69, 98, 84, 128}, 1, 1, 15, 15},          {"BICONMIN", {243, 68, 315, 90}, 3, 0, 24, 22},
      {"BICONCLOSE", {125, 95, 221, 117}, 3, 0, 32, 22},   {"BICONMAX", {243, 114, 315, 136}, 3, 0, 24, 22},
      {"SICLOSEALONE", {0, 15, 21, 22}, 3, 0, 7, 7},       {"GRIPIMAGE", {225, 100, 242, 117}, 1, 0, 17, 17},
      {"BICONNORM", {243, 91, 315, 113}, 3, 0, 24, 22},    {"GRIPVERT", {142, 41, 146, 65}, 1, 0, 4, 24},
      {"GRIPHORZ", {165, 86, 189, 90}, 1, 0, 24, 4},       {"SICONCLOSE", {272, 0, 326, 18}, 3, 0, 18, 18},
      {"SICONMIN", {346, 18, 400, 36}, 3, 0, 18, 18},      {"SICONNORM", {326, 0, 380, 18}, 3, 0, 18, 18},
      {"SICONMAX", {292, 18, 346, 36}, 3, 0, 18, 18},      {"TITLEBUTTON", {218, 0, 272, 18}, 3, 0, 18, 18},
      {"BICONHELP", {116, 118, 170, 136}, 3, 0, 18, 18},   {"BICLOSEALONE", {125, 95, 221, 117}, 3, 0, 32, 22},
      {"SICONHELP", {116, 118, 170, 136}, 3, 0, 18, 18},
  };
  for (const TGlyphRow& row : rows) {
    const TsMaskData& m = Mask("GLOBALINFO", row.Key);
    EXPECT_EQ(m.ImgType, itisaGlyph) << row.Key;
    EXPECT_EQ(m.R, row.R) << row.Key;
    EXPECT_EQ(m.ImageCount, row.Frames) << row.Key;
    EXPECT_EQ(m.MaskType, row.MaskType) << row.Key;
    EXPECT_EQ(MaskFrameWidth(m), row.FrameWidth) << row.Key;
    EXPECT_EQ(MaskFrameHeight(m), row.FrameHeight) << row.Key;
  }
  const TConstantSkinData& c = Model().ConstData;
  EXPECT_EQ(Model().ma[size_t(c.MaskCloseSmall)].PropertyName, "SICONCLOSE");
  EXPECT_EQ(MaskFrameWidth(Model().ma[size_t(c.MaskCloseSmall)]), 18);
  EXPECT_EQ(Model().ma[size_t(c.MaskCloseAloneBtn)].R, Model().ma[size_t(c.MaskCloseBtn)].R);
  EXPECT_EQ(c.RadioButtonGrayed, -1);  // the skin has no grey radio button
  EXPECT_GE(c.CheckBoxGrayed, 0);
  EXPECT_GE(c.GripRightBottom, 0);
}

TEST(AlterMetroModel, FilePictures) {
  const TsMaskData& huge = Mask("BUTTON_HUGE", "BORDERSMASK");
  ASSERT_NE(huge.Bmp, nullptr);
  EXPECT_EQ(huge.CornerType, 2);
  EXPECT_EQ(huge.R, (TRect{0, 0, 192, 128}));
  EXPECT_EQ(huge.ImageCount, 3);
  EXPECT_EQ(huge.MaskType, 1);
  EXPECT_EQ(MaskFrameWidth(huge), 64);
  EXPECT_EQ(MaskFrameHeight(huge), 64);
  EXPECT_EQ(huge.WL, 31);
  EXPECT_EQ(huge.WT, 31);
  EXPECT_EQ(huge.WR, 32);
  EXPECT_EQ(huge.WB, 32);
  EXPECT_EQ(huge.DrawMode, 5);

  for (const char* section : {"EDIT", "BUTTON", "SPEEDBUTTON"}) {
    const TsMaskData& glow = Mask(section, "GLOW0");
    ASSERT_NE(glow.Bmp, nullptr) << section;
    EXPECT_EQ(glow.ImgType, itisaGlow) << section;
    EXPECT_EQ(glow.R, (TRect{0, 0, 22, 22})) << section;
    EXPECT_EQ(glow.ImageCount, 1) << section;
    EXPECT_EQ(glow.WL + glow.WT + glow.WR + glow.WB, 40) << section;
    EXPECT_EQ(glow.DrawMode, 1) << section;
  }
  const TsMaskData& glowH = Mask("BUTTON_HUGE", "GLOW0");
  EXPECT_EQ(glowH.R, (TRect{0, 0, 108, 108}));
  EXPECT_EQ(glowH.WL, 53);

  const TsMaskData& ex = Model().ma[size_t(Model().ConstData.ExBorder)];
  EXPECT_EQ(ex.PropertyName, "EXBORDER");
  EXPECT_EQ(ex.ImgType, itisaGlow);
  EXPECT_EQ(ex.R, (TRect{0, 0, 100, 80}));
  EXPECT_EQ(ex.ImageCount, 2);
  EXPECT_EQ(ex.WL, 22);
  EXPECT_EQ(ex.WT, 52);
  EXPECT_EQ(ex.WR, 22);
  EXPECT_EQ(ex.WB, 22);
}

TEST(AlterMetroModel, ProgressTextureAndAbsentImages) {
  int progress = Model().GetSkinIndex("PROGRESSH");
  int texture = Model().GetTextureIndex(progress, "PROGRESSH", "PATTERN");
  ASSERT_GE(texture, 0);
  const TsMaskData& t = Model().ma[size_t(texture)];
  EXPECT_EQ(t.R, (TRect{293, 37, 323, 67}));
  EXPECT_EQ(t.ImgType, itisaTexture);
  EXPECT_EQ(t.DrawMode, 0);
  EXPECT_EQ(t.MaskType, 0);
  EXPECT_EQ(t.Bmp, nullptr);
  EXPECT_EQ(Model().gd[size_t(progress)].TextureNormal, texture);
  EXPECT_EQ(Model().GetMaskIndex("FORM", "PATTERN"), -1);  // "N/A"
}

TEST(AlterMetroModel, CachedIndexesOfScrollBarsAndTabs) {
  const TConstantSkinData& c = Model().ConstData;
  for (int16_t mask : {c.MaskArrowTop, c.MaskArrowBottom, c.MaskArrowLeft, c.MaskArrowRight, c.MaskScrollTop,
                       c.MaskSliderVert, c.MaskSliderHorz, c.MaskTabTop, c.MaskTabBottom, c.MaskTabLeft,
                       c.MaskTabRight})
    EXPECT_TRUE(Model().IsValidImgIndex(mask)) << mask;
  EXPECT_EQ(Model().ma[size_t(c.MaskArrowTop)].MaskType, 1);
  EXPECT_EQ(c.ComboBtnIndex, -1);  // no "COMBOBTN" section
  EXPECT_GE(c.ComboGlyph, 0);
  EXPECT_GE(c.IndexWebBtn, 0);
}

TEST(AlterMetroModel, MasterBitmapKeysFuchsia) {
  const TBitmap32& m = Model().MasterBitmap;
  ASSERT_EQ(m.Width(), 400);
  ASSERT_EQ(m.Height(), 152);
  EXPECT_EQ(m.Pixel(399, 151), 0x00FF00FFu);
  EXPECT_EQ(m.Pixel(20, 2) >> 24, 255u);  // EDIT border
}

TEST(AlterMetroModel, ExtendedBordersUseTheTwoShadowFrames) {
  EXPECT_EQ(Model().FormShadowSize, TRect());  // off by default
  TacSkinModel m;
  m.SetExtendedBorders(true);
  m.LoadFromPackageFile(PackagePath);
  EXPECT_EQ(m.FormShadowSize, (TRect{15, 15, 15, 15}));
  ASSERT_EQ(m.ShdiTemplate.Width(), 50);
  ASSERT_EQ(m.ShdiTemplate.Height(), 80);
  ASSERT_EQ(m.ShdaTemplate.Width(), 50);
  // Independently: the drawn picture, premultiplied as the loader does.
  TBitmap32 drawn = DrawAlterMetroExtBord();
  auto premultiplied = [](uint32_t p) {
    uint32_t a = p >> 24, out = p & 0xFF000000u;
    if ((p & 0xFFFFFFFF) == 0x00FFFFFF) return 0u;
    for (int shift = 0; shift < 24; shift += 8) out |= (((p >> shift) & 0xFF) * a / 256) << shift;
    return out;
  };
  for (int y = 0; y < 80; y += 7)
    for (int x = 0; x < 50; x += 3) {
      EXPECT_EQ(m.ShdiTemplate.Pixel(x, y), premultiplied(drawn.Pixel(x, y))) << x << "," << y;
      EXPECT_EQ(m.ShdaTemplate.Pixel(x, y), premultiplied(drawn.Pixel(50 + x, y))) << x << "," << y;
    }
  EXPECT_FALSE(m.ShdaTemplate == m.ShdiTemplate);
}

// Image names in the options are upper case while the unpacked files keep
// their own spelling: the folder load must still find every picture.
TEST(AlterMetroModel, FolderAndPackageGiveTheSameModel) {
  String dir = testing::TempDir() + "altermetro-folder";
  UnpackSkinFolder(UnpackSkinEntries(ReadFileBytes(PackagePath)), dir);
  TacSkinModel m;
  m.LoadFromFolder(dir);
  ASSERT_EQ(m.gd.size(), Model().gd.size());
  for (size_t i = 0; i < m.gd.size(); ++i) {
    EXPECT_EQ(m.gd[i].ClassName, Model().gd[i].ClassName);
    EXPECT_EQ(m.gd[i].Props[0].Color, Model().gd[i].Props[0].Color);
    EXPECT_EQ(m.gd[i].Props[1].Color, Model().gd[i].Props[1].Color);
  }
  EXPECT_EQ(m.Palette, Model().Palette);
  ASSERT_EQ(m.ma.size(), Model().ma.size());
  for (size_t i = 0; i < m.ma.size(); ++i) {
    EXPECT_EQ(m.ma[i].PropertyName, Model().ma[i].PropertyName);
    EXPECT_EQ(m.ma[i].R, Model().ma[i].R);
  }
  EXPECT_EQ(m.MasterBitmap, Model().MasterBitmap);
}

TEST(AlterMetroModel, ABrokenPackageLeavesTheLoadedSkin) {
  TacSkinModel m;
  m.LoadFromPackageFile(PackagePath);
  TBytes bytes = ReadFileBytes(PackagePath);
  bytes.resize(bytes.size() / 2);
  EXPECT_ANY_THROW(m.LoadFromPackage(bytes.data(), bytes.size()));
  EXPECT_EQ(m.gd.size(), 67u);
  EXPECT_EQ(m.MasterBitmap.Width(), 400);
}

TEST(AlterMetroModel, SectionListOnlyWhileActive) {
  TacSkinModel model;
  TBytes bytes = ReadFileBytes(PackagePath);
  model.LoadFromPackage(bytes.data(), bytes.size());
  TStringList list;
  list.Add("stale");
  model.GetSkinSections(list);
  EXPECT_EQ(list.Count(), 0);
  model.CommonSkinData.Active = true;
  model.GetSkinSections(list);
  ASSERT_EQ(list.Count(), 67);
  EXPECT_EQ(list[0], "GLOBALINFO");
  EXPECT_EQ(list[66], "TB_BTN");
}

TEST(SkinInfo, JsonUsesTheModelsFieldNames) {
  String json = SkinModelJson(Model());
  for (const char* key : {"\"CommonSkinData\":{", "\"Sections\":[", "\"Palette\":[16512753,4013373,", "\"Masks\":[",
                          "\"ConstData\":{", "\"ExTitleHeight\":32", "\"Version\":8.12",
                          "\"ClassName\":\"GLOBALINFO\"", "\"GlowMargin\":6", "\"FadingIterations\":10",
                          "\"HotGlowSize\":1", "\"BorderIndex\":", "\"Props\":[{\"Color\":",
                          "\"PropertyName\":\"BORDERSMASK\"", "\"R\":[15,0,25,5]", "\"CornerType\":2",
                          "\"IndexGLobalInfo\":0", "\"ComboBtnIndex\":-1"})
    EXPECT_NE(json.find(key), String::npos) << key;
  EXPECT_EQ(json.find("\"Author\":\"Quarnel developers\""), json.find("\"Author\""));
}

TEST(SkinInfo, TextSummary) {
  String text = SkinModelText(Model());
  EXPECT_NE(text.find("67 sections"), String::npos);
  EXPECT_NE(text.find("GLOBALINFO.SICONCLOSE"), String::npos);
}

TEST(SkinInfo, MissingPathIsAClearError) {
  try {
    LoadSkinModel("/nonexistent/skin.asz");
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "No skin file or folder \"/nonexistent/skin.asz\".");
  }
}
