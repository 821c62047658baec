// The built-in skin travels inside quarnel.exe and loads from there.
#include "app/MFcode.h"
#include "skin/acSkinModel.h"
#include "skin/acSkinWin.h"

#include <gtest/gtest.h>

namespace {

class InternalSkin : public testing::Test {
protected:
  void SetUp() override {
    FModule = LoadLibraryExW(Utf8ToWide(QN_QUARNEL_EXE).c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(nullptr, FModule) << "cannot open " << QN_QUARNEL_EXE;
  }
  void TearDown() override {
    if (FModule) FreeLibrary(FModule);
  }
  HMODULE FModule = nullptr;
};

}  // namespace

TEST_F(InternalSkin, TheProgramCarriesTheCommittedPackage) {
  TsStoredSkins skins(nullptr);
  AddInternalSkins(skins, FModule);
  ASSERT_EQ(1, skins.Count());
  TsStoredSkin* skin = skins.Items(0);
  EXPECT_EQ("AlterMetro (internal)", skin->Name());
  EXPECT_EQ(clBlack, skin->Shadow1Color());
  EXPECT_EQ(0, skin->Shadow1Offset());
  EXPECT_EQ(0, skin->Shadow1Transparency());
  EXPECT_EQ(0, skins.IndexOf("AlterMetro (internal)"));
  EXPECT_EQ(-1, skins.IndexOf("altermetro (internal)"));

  TMemoryStream committed;
  committed.LoadFromFile(QN_SOURCE_DIR "/skins/AlterMetro.asz");
  EXPECT_EQ(committed.Bytes(), skin->PackedData().Bytes());
}

TEST_F(InternalSkin, LoadsIntoTheSkinModel) {
  InstallWin32SkinPlatform();
  TsStoredSkins skins(nullptr);
  AddInternalSkins(skins, FModule);
  TacSkinModel model;
  model.LoadFromStoredSkin(*skins.Items(0));
  ASSERT_EQ(67u, model.gd.size());
  EXPECT_EQ("GLOBALINFO", model.gd.front().ClassName);
  EXPECT_EQ("TB_BTN", model.gd.back().ClassName);
  EXPECT_EQ(39, model.GetSkinIndex("FORM"));
  EXPECT_EQ(-1, model.GetSkinIndex("CAPTION"));
  EXPECT_EQ(400, model.MasterBitmap.Width());
  EXPECT_EQ(152, model.MasterBitmap.Height());
}

TEST_F(InternalSkin, AMissingResourceIsAnError) {
  TsStoredSkins skins(nullptr);
  TsStoredSkin* skin = skins.Add();
  skin->PackedData().WriteBuffer("keep", 4);
  try {
    LoadStoredSkinResource(*skin, FModule, L"NOSUCHSKIN");
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_NE(String::npos, e.Message().find("NOSUCHSKIN"));
  }
  EXPECT_EQ(4, skin->PackedData().Size());  // nothing lost
}
