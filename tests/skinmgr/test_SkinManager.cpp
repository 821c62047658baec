// The skin manager in-process: loading by name, announcing, failed loads,
// listing, the default manager's life cycle and the preview answers.
#include "skin/sSkinManager.h"

#include "framework/WinUtils.h"
#include "tests/skinmgr/SkinMgrSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class SkinManager : public testing::Test {
protected:
  void SetUp() override {
    SetSkinEngineParams({});
    acPreviewMode = false;
    Boxes.clear();
    FSavedBox = acMessageBox;
    acMessageBox = [](const String& text, const String&, UINT) {
      Boxes.push_back(text);
      return IDOK;
    };
    Dir = MakeTempDir("mgr");
    Receiver = new TCountingForm(Application);
    Receiver->Handle();
  }
  void TearDown() override {
    delete Manager;
    Manager = nullptr;
    delete Receiver;
    acMessageBox = FSavedBox;
    acPreviewMode = false;
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
  // A manager holding the built-in skin, pointed at the test's folder.
  TsSkinManager* NewManager() {
    Manager = new TsSkinManager(nullptr);
    AddPackageAsInternalSkin(*Manager, "AlterMetro (internal)");
    Manager->SetSkinDirectory(Dir.string());
    return Manager;
  }

  static inline std::vector<String> Boxes;
  fs::path Dir;
  TsSkinManager* Manager = nullptr;
  TCountingForm* Receiver = nullptr;

private:
  TacMessageBoxFunc FSavedBox = nullptr;
};

}  // namespace

TEST_F(SkinManager, DefaultsOfANewManager) {
  TsSkinManager* m = NewManager();
  EXPECT_EQ(DefaultManager, m);
  EXPECT_TRUE(m->IsDefault());
  EXPECT_TRUE(m->Active());
  EXPECT_EQ(m->Version(), "8.46");
  EXPECT_EQ(m->SkinInfo(), "N/A");
  EXPECT_EQ(m->ScrollsOptions.ScrollSize(), -1);
  EXPECT_EQ(m->AnimEffects.SkinChanging.Time, 100);
  EXPECT_EQ(m->AnimEffects.SkinChanging.Mode, TacAnimType::atFading);
  EXPECT_EQ(m->AnimEffects.Minimizing.Time, 200);
  EXPECT_EQ(m->AnimEffects.BlendOnMoving.BlendValue, 170);
  EXPECT_FALSE(m->AnimEffects.BlendOnMoving.Active);
  EXPECT_EQ(m->MenuSupport.ExtraLineWidth, 32);
  EXPECT_EQ(m->SkinningRules(), (TacSkinningRules{srStdForms, srStdDialogs, srThirdParty}));
  ASSERT_EQ(m->ThirdLists[1].Count(), 1);
  EXPECT_EQ(m->ThirdLists[1][0], "TButton");
  EXPECT_EQ(m->ThirdParty.Get(0), " ");
}

TEST_F(SkinManager, InternalSkinLoadsAndAnnounces) {
  TsSkinManager* m = NewManager();
  m->SetSkinName("AlterMetro (internal)");
  EXPECT_EQ(m->SkinInfo(), "8.12");
  EXPECT_FALSE(m->gd.empty());
  EXPECT_EQ(Receiver->Count(SKC_SKINLOADED, m), 1);
  EXPECT_EQ(Receiver->Count(SKC_REFRESH, m), 1);
  EXPECT_EQ(Receiver->Order(), (std::vector<int>{SKC_SKINLOADED, SKC_STOPANIMATION, SKC_REFRESH}));
  EXPECT_TRUE(m->GlobalHookInstalled);
  EXPECT_TRUE(Boxes.empty());
}

TEST_F(SkinManager, NameEndingInAszLosesItAndLoadsThePackage) {
  CopyPackage(Dir / "Metro.asz");
  TsSkinManager* m = NewManager();
  for (const char* name : {"Metro.asz", "Metro.ASZ", "Metro.aSz"}) {
    m->SetSkinName(name);
    EXPECT_EQ(m->SkinName(), "Metro") << name;
    EXPECT_TRUE(m->SkinIsPacked);
  }
  m->SetSkinName(".asz");  // four characters: kept, matches nothing, first internal skin
  EXPECT_EQ(m->SkinName(), "AlterMetro (internal)");
  EXPECT_TRUE(Boxes.empty());
}

TEST_F(SkinManager, UnknownNameSwitchesToTheFirstInternalSkin) {
  TsSkinManager* m = NewManager();
  m->SetSkinName("No such skin");
  EXPECT_EQ(m->SkinName(), "AlterMetro (internal)");
  EXPECT_EQ(m->SkinInfo(), "8.12");
  EXPECT_TRUE(m->Active());
}

TEST_F(SkinManager, NoInternalSkinsAndNoMatchMakesTheManagerInactive) {
  Manager = new TsSkinManager(nullptr);
  Manager->SetSkinDirectory(Dir.string());
  Manager->SetSkinName("Nothing");
  EXPECT_FALSE(Manager->Active());
  EXPECT_EQ(Manager->SkinInfo(), "N/A");
  EXPECT_EQ(Receiver->Count(SKC_SKINREMOVED, Manager), 1);
}

TEST_F(SkinManager, FailedLoadsKeepThePreviousSkinAndName) {
  CopyPackage(Dir / "Good.asz");
  String bytes = ReadFile(PackagePath());
  WriteFile(Dir / "Truncated.asz", bytes.substr(0, bytes.size() / 3));
  WriteFile(Dir / "Garbage.asz", "ASzf not a package at all");
  UnpackPackage(Dir / "BadNumber", "SHADOW1OFFSET=1", "SHADOW1OFFSET=1x");
  TsSkinManager* m = NewManager();
  TsStoredSkin* empty = m->InternalSkins().Add();
  empty->SetName("Empty");
  m->SetSkinName("Good");
  ASSERT_EQ(m->SkinName(), "Good");
  const size_t sections = m->gd.size(), masks = m->ma.size();
  const int loaded = Receiver->Count(SKC_SKINLOADED, m);
  for (const char* bad : {"Truncated", "Garbage", "BadNumber", "Empty"}) {
    Boxes.clear();
    m->SetSkinName(bad);
    EXPECT_EQ(Boxes.size(), 1u) << bad;
    EXPECT_EQ(m->SkinName(), "Good") << bad;
    EXPECT_EQ(m->SkinInfo(), "8.12") << bad;
    EXPECT_EQ(m->gd.size(), sections) << bad;
    EXPECT_EQ(m->ma.size(), masks) << bad;
    EXPECT_TRUE(m->SkinIsPacked) << bad;
    EXPECT_TRUE(m->CommonSkinData.Active) << bad;
    EXPECT_FALSE(acSkinLoading);
  }
  m->SetSkinName("AlterMetro (internal)");
  EXPECT_EQ(m->SkinName(), "AlterMetro (internal)");
  EXPECT_GT(Receiver->Count(SKC_SKINLOADED, m), loaded);
}

TEST_F(SkinManager, AFailedFirstLoadLeavesTheManagerInactive) {
  Manager = new TsSkinManager(nullptr);
  Manager->SetSkinDirectory(Dir.string());
  Manager->InternalSkins().Add()->SetName("Empty");
  Manager->SetSkinName("Empty");
  EXPECT_EQ(Boxes.size(), 1u);
  EXPECT_FALSE(Manager->Active());
  EXPECT_EQ(Manager->SkinInfo(), "N/A");
  EXPECT_EQ(Receiver->Count(SKC_SKINLOADED, Manager), 0);
  EXPECT_EQ(Receiver->Count(SKC_SKINREMOVED, Manager), 1);
}

TEST_F(SkinManager, BeginUpdateTwoChangesEndUpdateAnnounceOnce) {
  CopyPackage(Dir / "Metro.asz");
  TsSkinManager* m = NewManager();
  m->SetSkinName("AlterMetro (internal)");
  Receiver->Clear();
  m->BeginUpdate();
  m->SetSkinName("Metro");
  m->SetHueOffset(30);
  EXPECT_EQ(Receiver->Count(SKC_SKINLOADED, m), 0);
  EXPECT_EQ(Receiver->Count(SKC_REFRESH, m), 0);
  m->EndUpdate(true, false);
  EXPECT_EQ(Receiver->Count(SKC_SKINLOADED, m), 1);
  EXPECT_EQ(Receiver->Count(SKC_REFRESH, m), 1);
  EXPECT_TRUE(m->AnimEffects.SkinChanging.Active);
  EXPECT_FALSE(m->NonAutoUpdate);
}

TEST_F(SkinManager, CommandsOfAnotherManagerAreTheirs) {
  TsSkinManager* m = NewManager();
  TsSkinManager second(nullptr);
  EXPECT_FALSE(second.IsDefault());
  m->SetSkinName("AlterMetro (internal)");
  EXPECT_EQ(Receiver->Count(SKC_SKINLOADED, &second), 0);
  EXPECT_EQ(Receiver->Count(SKC_SKINLOADED, m), 1);
}

TEST_F(SkinManager, DestroyingTheDefaultManagerLeavesNone) {
  TsSkinManager* m = NewManager();
  m->SetSkinName("AlterMetro (internal)");
  Receiver->Clear();
  delete m;
  Manager = nullptr;
  EXPECT_EQ(DefaultManager, nullptr);
  EXPECT_EQ(Receiver->Count(SKC_SKINREMOVED, m), 1);
  TsSkinManager next(nullptr);
  EXPECT_EQ(DefaultManager, &next);
}

TEST_F(SkinManager, ActiveFalseRemovesTrueReloads) {
  TsSkinManager* m = NewManager();
  m->SetSkinName("AlterMetro (internal)");
  m->SetActive(false);
  EXPECT_EQ(m->SkinInfo(), "N/A");
  EXPECT_TRUE(m->gd.empty());
  EXPECT_EQ(Receiver->Count(SKC_SKINREMOVED, m), 1);
  EXPECT_FALSE(acSkinStdDialogs);
  EXPECT_FALSE(m->GlobalHookInstalled);
  m->SetActive(true);
  EXPECT_EQ(m->SkinInfo(), "8.12");
  EXPECT_TRUE(acSkinStdDialogs);
}

TEST_F(SkinManager, SectionUpdateStoresTheUpperCasedName) {
  TsSkinManager* m = NewManager();
  m->SetSkinName("AlterMetro (internal)");
  m->UpdateSkinSection("Edit");
  EXPECT_EQ(acChangedSection, "EDIT");
  EXPECT_EQ(Receiver->Count(SKC_SECTIONCHANGED, nullptr), 1);
}

TEST_F(SkinManager, ListsPackagesFoldersAndInternalSkins) {
  CopyPackage(Dir / "Packed.asz");
  UnpackPackage(Dir / "Unpacked");
  TsSkinManager* m = NewManager();
  TStringList list;
  auto names = [&](TacSkinTypes t) {
    m->GetSkinNames(list, t);
    std::vector<String> v;
    for (int i = 0; i < list.Count(); ++i) v.push_back(list[i]);
    return v;
  };
  EXPECT_EQ(names(TacSkinTypes::stUnpacked), (std::vector<String>{"AlterMetro (internal)", "Unpacked"}));
  EXPECT_EQ(names(TacSkinTypes::stPacked), (std::vector<String>{"AlterMetro (internal)", "Packed"}));
  EXPECT_EQ(names(TacSkinTypes::stAllSkins), (std::vector<String>{"AlterMetro (internal)", "Packed", "Unpacked"}));
  EXPECT_EQ(m->GetExternalSkinNames(list, TacSkinTypes::stAllSkins), "Packed");
  const String random = m->GetRandomSkin();
  EXPECT_TRUE(random == "AlterMetro (internal)" || random == "Packed" || random == "Unpacked") << random;
  m->SetSkinName("Unpacked");
  EXPECT_EQ(m->SkinName(), "Unpacked");
  EXPECT_FALSE(m->SkinIsPacked);
  EXPECT_TRUE(Boxes.empty());
}

TEST_F(SkinManager, NewerSkinWarnsTwiceAndKeepsTheRules) {
  UnpackPackage(Dir / "Future", "VERSION=8.12", "VERSION=9.0");
  UnpackPackage(Dir / "Old", "VERSION=8.12", "VERSION=6.5");
  TsSkinManager* m = NewManager();
  m->SetSkinName("Future");
  EXPECT_EQ(Boxes.size(), 2u);
  EXPECT_EQ(m->SkinInfo(), "9");
  EXPECT_TRUE(m->SkinningRules().Contains(srStdDialogs));
  Boxes.clear();
  m->SetSkinName("Old");
  EXPECT_TRUE(Boxes.empty());
  SetSkinEngineParams({"/ACTEST"});
  m->SetSkinName("Future");
  Boxes.clear();
  m->SetSkinName("Old");
  EXPECT_EQ(Boxes.size(), 2u);
  EXPECT_NE(Boxes[0].find("\"Old\""), String::npos);
}

TEST_F(SkinManager, PreviewMessagesAreIgnoredOutsidePreviewMode) {
  TsSkinManager* m = NewManager();
  m->SetSkinName("AlterMetro (internal)");
  UnpackPackage(Dir / "Preview");
  String block = PreviewBlock("Preview", Dir.string(), ReadFile(Dir / "Preview" / "Options.dat"));
  EXPECT_EQ(m->HandlePreviewMessage(Receiver, acPreviewAlive), 0);
  EXPECT_EQ(m->HandlePreviewMessage(Receiver, acPreviewClose), 0);
  EXPECT_EQ(Receiver->CloseQueries, 0);
  EXPECT_EQ(m->HandlePreviewData(7, block.data(), block.size()), 0);
  EXPECT_EQ(m->SkinName(), "AlterMetro (internal)");

  acPreviewMode = true;
  EXPECT_EQ(m->HandlePreviewMessage(Receiver, acPreviewAlive), 1);
  EXPECT_EQ(m->HandlePreviewMessage(Receiver, acPreviewHello), 0);
  EXPECT_EQ(m->HandlePreviewMessage(Receiver, acPreviewClose), 0);
  EXPECT_EQ(Receiver->CloseQueries, 1);
  EXPECT_EQ(m->HandlePreviewData(6, block.data(), block.size()), 0);
  EXPECT_EQ(m->HandlePreviewData(7, block.data(), block.size() - 1), 0);
  String wrong = block;
  wrong[1] = 0;
  EXPECT_EQ(m->HandlePreviewData(7, wrong.data(), wrong.size()), 0);
  EXPECT_EQ(m->SkinName(), "AlterMetro (internal)");
  Receiver->Clear();
  EXPECT_EQ(m->HandlePreviewData(7, block.data(), block.size()), 1);
  EXPECT_EQ(m->SkinName(), "Preview");
  EXPECT_EQ(m->SkinDirectory(), Dir.string());
  EXPECT_EQ(Receiver->Count(SKC_SKINLOADED, m), 1);
  EXPECT_FALSE(m->NonAutoUpdate);
}

TEST_F(SkinManager, FailedHueReloadRaisesAndKeepsTheOldOffsetAndSkin) {
  UnpackPackage(Dir / "Folder");
  TsSkinManager* m = NewManager();
  m->SetSkinName("Folder");
  const size_t sections = m->gd.size();
  UnpackPackage(Dir / "Folder", "SHADOW1OFFSET=1", "SHADOW1OFFSET=1x");
  Receiver->Clear();
  EXPECT_THROW(m->SetHueOffset(30), EConvertError);
  EXPECT_EQ(m->HueOffset(), 0);
  EXPECT_EQ(m->gd.size(), sections);
  EXPECT_EQ(m->SkinName(), "Folder");
  EXPECT_FALSE(acSkinLoading);
  EXPECT_EQ(Receiver->Count(SKC_REFRESH, m), 0);
  UnpackPackage(Dir / "Folder");
  m->SetSaturation(-20);
  EXPECT_EQ(m->Saturation(), -20);
  EXPECT_EQ(Receiver->Count(SKC_REFRESH, m), 1);
}

TEST_F(SkinManager, ApplicationHookRecordsRestore) {
  TsSkinManager* m = NewManager();
  EXPECT_EQ(m->ShowState, TShowAction::saIgnore);
  SendMessageW(Application->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_EQ(m->ShowState, TShowAction::saRestore);
  TsSkinManager second(nullptr);
  SendMessageW(Application->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_EQ(second.ShowState, TShowAction::saIgnore);  // only the default manager hooks the application
}

TEST_F(SkinManager, EngineSwitchesAtStart) {
  SetSkinEngineParams({"/ACVER"});
  InitSkinEngine();
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_NE(Boxes[0].find("8.46"), String::npos);
  EXPECT_FALSE(acPreviewMode);
  SetSkinEngineParams({"/acpreview"});
  InitSkinEngine();
  EXPECT_TRUE(acPreviewMode);
  EXPECT_EQ(Boxes.size(), 1u);
}

TEST_F(SkinManager, FullSkinDirectoryUsesTheProgramFolder) {
  TsSkinManager* m = NewManager();
  m->SetSkinDirectory("Skins");
  EXPECT_EQ(m->GetFullSkinDirectory(), ExeFilePath() + "Skins");
  m->SetSkinDirectory("c:\\Skins");
  EXPECT_EQ(m->GetFullSkinDirectory(), "c:\\Skins");
}

TEST_F(SkinManager, MouseTrackingSendsLeaveThenEnter) {
  TsSkinManager* m = NewManager();
  TCountingForm second(Application);
  m->SetActiveControl(Receiver->Handle());
  EXPECT_EQ(Receiver->Count(SKC_MOUSEENTER, m), 1);
  m->SetActiveControl(Receiver->Handle());
  EXPECT_EQ(Receiver->Count(SKC_MOUSEENTER, m), 1);
  m->SetActiveControl(second.Handle());
  EXPECT_EQ(Receiver->Count(SKC_MOUSELEAVE, m), 1);
  EXPECT_EQ(second.Count(SKC_MOUSEENTER, m), 1);
  m->SetActiveControl(nullptr);
}

namespace {

struct TFadeCall {
  HWND Form;
  int Time;
  TacAnimType Mode;
  uint8_t Blend;
};
std::vector<TFadeCall> Fades;

class FreezeAndFade : public SkinManager {
protected:
  void SetUp() override {
    SkinManager::SetUp();
    Fades.clear();
    FSavedFade = acPlaySkinFade;
    acPlaySkinFade = [](HWND form, int time, TacAnimType mode, uint8_t blend) {
      Fades.push_back({form, time, mode, blend});
      EXPECT_TRUE(acAnimSkinChanging);
    };
    NewManager();
    Skinned = new TSkinnedForm(Application, Manager);
    Skinned->SetBounds(10, 10, 200, 120);
    // Shown without activation: hiding an active window costs seconds on a bare X server.
    ShowWindow(Skinned->Handle(), SW_SHOWNOACTIVATE);
    Application->ProcessMessages();
    Skinned->Clear();
    Receiver->Clear();

  }
  void TearDown() override {
    delete Skinned;
    acPlaySkinFade = FSavedFade;
    SkinManager::TearDown();
  }
  TSkinnedForm* Skinned = nullptr;

private:
  TacSkinFadeFunc FSavedFade = nullptr;
};

constexpr int RedrawOff = TCountingForm::RedrawCode, RedrawOn = TCountingForm::RedrawCode + 1;

}  // namespace

TEST_F(FreezeAndFade, ActivationIsForwardedAsRepaintNow) {
  SendMessageW(Application->Handle(), CM_ACTIVATE, 0, 0);
  EXPECT_EQ(Skinned->Order(), (std::vector<int>{SKC_REPAINTNOW}));
  EXPECT_EQ(Receiver->Count(SKC_REPAINTNOW, nullptr), 1);
}

TEST_F(FreezeAndFade, SkinnedFormIsFrozenDuringTheAnnouncementThenFadedIn) {
  Manager->SetSkinName("AlterMetro (internal)");
  EXPECT_EQ(Skinned->Order(), (std::vector<int>{RedrawOff, SKC_SKINLOADED, SKC_STOPANIMATION, SKC_REFRESH, RedrawOn}));
  ASSERT_EQ(Fades.size(), 1u);
  EXPECT_EQ(Fades[0].Form, Skinned->Handle());
  EXPECT_EQ(Fades[0].Time, 100);
  EXPECT_EQ(Fades[0].Mode, TacAnimType::atFading);
  EXPECT_EQ(Fades[0].Blend, 255);
  EXPECT_FALSE(acAnimSkinChanging);
  // The plain receiver is no skinned form of this manager: never frozen.
  EXPECT_EQ(Receiver->Count(RedrawOff, nullptr), 0);
}

TEST_F(FreezeAndFade, EndUpdateWithoutAnimationFreezesButDoesNotFade) {
  Manager->SetSkinName("AlterMetro (internal)");
  Fades.clear();
  Skinned->Clear();
  Manager->BeginUpdate();
  Manager->SetSkinName("AlterMetro (internal)");
  Manager->EndUpdate(true, false);
  EXPECT_EQ(Skinned->Order(), (std::vector<int>{RedrawOff, SKC_SKINLOADED, SKC_STOPANIMATION, SKC_REFRESH, RedrawOn}));
  EXPECT_TRUE(Fades.empty());
}

TEST_F(FreezeAndFade, FormsOfAnotherManagerOrMinimisedAreLeftAlone) {
  TsSkinManager other(nullptr);
  Skinned->Manager = &other;
  Manager->SetSkinName("AlterMetro (internal)");
  EXPECT_EQ(Skinned->Count(RedrawOff, nullptr), 0);
  Skinned->Manager = Manager;
  ShowWindow(Skinned->Handle(), SW_MINIMIZE);
  Skinned->Clear();
  Manager->RepaintForms(true);
  EXPECT_EQ(Skinned->Count(RedrawOff, nullptr), 0);
  EXPECT_TRUE(Fades.empty());
}

namespace {

BOOL CALLBACK CountOwnTopLevel(HWND wnd, LPARAM param) {
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  if (pid == GetCurrentProcessId()) ++*reinterpret_cast<int*>(param);
  return TRUE;
}

int OwnTopLevelWindows() {
  int n = 0;
  EnumWindows(CountOwnTopLevel, LPARAM(&n));
  return n;
}

}  // namespace

TEST_F(FreezeAndFade, TheFadeCoversTheFormOnlyWhileItPlays) {
  const int before = OwnTopLevelWindows();
  for (TacAnimType mode : {TacAnimType::atFading, TacAnimType::atAero}) {
    acDefaultSkinFade(Skinned->Handle(), 100, mode, 255);
    EXPECT_EQ(OwnTopLevelWindows(), before);
  }
  acDefaultSkinFade(Skinned->Handle(), 11, TacAnimType::atFading, 255);  // no steps: nothing shown
  EXPECT_EQ(OwnTopLevelWindows(), before);
}
