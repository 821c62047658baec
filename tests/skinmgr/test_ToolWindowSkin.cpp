// The tool window's skin manager: the built-in skin at start, the [SKIN]
// settings, the skin menu's choice remembered on close, the preview messages.
#include "app/MFcode.h"
#include "colordialog/sSkinHook.h"
#include "framework/IniFiles.h"
#include "framework/WinUtils.h"
#include "tests/skinmgr/SkinMgrSupport.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class ToolWindowSkin : public testing::Test {
protected:
  void SetUp() override {
    acPreviewMode = false;
    Dir = MakeTempDir("toolskin");
    SettingsFileName = (Dir / "settings.ini").string();
  }
  void TearDown() override {
    delete Form;
    MForm = nullptr;
    acPreviewMode = false;
    SettingsFileName.clear();
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
  TMForm* CreateForm() {
    Form = new TMForm(Application);
    Application->SetMainForm(Form);
    MForm = Form;
    Form->AfterConstruction();
    return Form;
  }
  String Setting(const char* section, const char* key) {
    TIniFile ini(SettingsFileName);
    return ini.ReadString(section, key, "<absent>");
  }
  fs::path Dir;
  TMForm* Form = nullptr;
};

}  // namespace

TEST_F(ToolWindowSkin, StartsWithTheBuiltInSkinAnnounced) {
  TMForm* f = CreateForm();
  EXPECT_EQ(DefaultManager, f->SM);
  EXPECT_EQ(f->SM->SkinName(), "AlterMetro (internal)");
  EXPECT_EQ(f->SM->SkinDirectory(), "c:\\Skins");
  EXPECT_EQ(f->SM->SkinInfo(), "8.12");
  EXPECT_TRUE(f->SM->GlobalHookInstalled);  // set by the announcement after loading
  EXPECT_EQ(f->SM->MenuSupport.IcoLineSkin, "ICOLINE");
  EXPECT_TRUE(DefaultSkinManagerPresent());
  delete Form;
  Form = nullptr;
  EXPECT_EQ(DefaultManager, nullptr);
  EXPECT_FALSE(DefaultSkinManagerPresent());
}

TEST_F(ToolWindowSkin, NoSkinSectionWrittenUnlessChosen) {
  CreateForm()->Close();
  EXPECT_EQ(Setting("SKIN", "NAME"), "<absent>");
  EXPECT_EQ(Setting("SYS", "AUTOCLOSE"), "0");
}

TEST_F(ToolWindowSkin, SettingsNameAndDirectoryChooseTheSkin) {
  CopyPackage(Dir / "Metro.asz");
  WriteFile(Dir / "settings.ini", "[SKIN]\r\nNAME=Metro\r\nDIR=" + Dir.string() + "\r\n");
  TMForm* f = CreateForm();
  EXPECT_EQ(f->SM->SkinName(), "Metro");
  EXPECT_TRUE(f->SM->SkinIsPacked);
  EXPECT_EQ(f->SM->SkinDirectory(), Dir.string());
}

TEST_F(ToolWindowSkin, BlankSettingsKeepTheFormsValues) {
  WriteFile(Dir / "settings.ini", "[SKIN]\r\nNAME=\r\n");
  TMForm* f = CreateForm();
  EXPECT_EQ(f->SM->SkinName(), "AlterMetro (internal)");
  EXPECT_EQ(f->SM->SkinDirectory(), "c:\\Skins");
}

TEST_F(ToolWindowSkin, MenuChoiceSwitchesLiveAndIsRememberedOnClose) {
  CopyPackage(Dir / "Metro.asz");
  TMForm* f = CreateForm();
  f->SM->SetSkinDirectory(Dir.string());
  EXPECT_EQ(f->SkinMenuItems(), (std::vector<String>{"AlterMetro (internal)", "Metro"}));
  f->ChooseSkin("Metro");
  EXPECT_EQ(f->SM->SkinName(), "Metro");
  EXPECT_TRUE(f->SM->SkinIsPacked);
  f->Close();
  EXPECT_EQ(Setting("SKIN", "NAME"), "Metro");
  EXPECT_EQ(Setting("SKIN", "DIR"), Dir.string());
}

TEST_F(ToolWindowSkin, StrayPreviewMessagesAreIgnored) {
  TMForm* f = CreateForm();
  int closeQueries = 0;
  auto original = f->OnCloseQuery;
  f->OnCloseQuery = [&](TObject* s, bool& c) {
    ++closeQueries;
    c = false;
  };
  String block = PreviewBlock("Nothing", Dir.string(), "[GLOBALINFO]\r\nVERSION=8.12\r\n");
  COPYDATASTRUCT cds{0, DWORD(block.size()), block.data()};
  for (WPARAM w = 0; w < 8; ++w) EXPECT_EQ(SendMessageW(f->Handle(), WM_ACPREVIEW_MSG, w, 0), 0) << w;
  EXPECT_EQ(SendMessageW(f->Handle(), WM_COPYDATA, 7, LPARAM(&cds)), 0);
  EXPECT_EQ(closeQueries, 0);
  EXPECT_EQ(f->SM->SkinName(), "AlterMetro (internal)");

  acPreviewMode = true;
  EXPECT_EQ(SendMessageW(f->Handle(), WM_ACPREVIEW_MSG, 4, 0), 1);
  EXPECT_EQ(SendMessageW(f->Handle(), WM_COPYDATA, 0, LPARAM(&cds)), 0);
  EXPECT_EQ(SendMessageW(f->Handle(), WM_COPYDATA, 7, 0), 0);
  SendMessageW(f->Handle(), WM_ACPREVIEW_MSG, 1, 0);
  EXPECT_EQ(closeQueries, 1);
  f->OnCloseQuery = original;
}
