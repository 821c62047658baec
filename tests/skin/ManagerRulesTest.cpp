// The skin manager's portable rules: names, folders, listing, version check,
// fade schedule, preview block and the tool window's skin settings.
#include "skin/sSkinManagerRules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

namespace fs = std::filesystem;

TEST(SkinNameRule, DropsAszInAnyCaseOnlyWhenLongerThanFourChars) {
  const std::pair<const char*, const char*> cases[] = {
      {"Metro.asz", "Metro"}, {"Metro.ASZ", "Metro"}, {"Metro.aSz", "Metro"}, {"x.asz", "x"},
      {".asz", ".asz"},       {"asz", "asz"},         {"Metro", "Metro"},    {"Metro.asz.asz", "Metro.asz"},
      {"Metro.az", "Metro.az"}, {"", ""},
  };
  for (auto [in, out] : cases) EXPECT_EQ(DropSkinExtension(in), out) << in;
}

TEST(SkinDirectoryRule, ResolvesAgainstProgramFolder) {
  const String a = "C:\\Prog\\Bin\\";
  const std::pair<const char*, const char*> cases[] = {
      {"..\\Skins", "C:\\Prog\\Skins"}, {"../Skins", "C:\\Prog\\Skins"}, {"..", "C:\\Prog\\"},
      {".\\Skins", "C:\\Prog\\Bin\\Skins"}, {"./Skins", "C:\\Prog\\Bin\\Skins"}, {".", "C:\\Prog\\Bin\\"},
      {"Skins", "C:\\Prog\\Bin\\Skins"}, {"Skins\\Dark", "C:\\Prog\\Bin\\Skins\\Dark"},
      {"c:\\Skins", "c:\\Skins"}, {"\\\\server\\share", "\\\\server\\share"}, {"", "C:\\Prog\\Bin\\"},
  };
  for (auto [in, out] : cases) EXPECT_EQ(FullSkinDirectory(in, a), out) << in;
}

TEST(SkinLocationRule, PackageWinsExceptForAPreviewFolder) {
  std::set<String> files{"c:\\Skins\\Both.asz", "c:\\Skins\\Pack.asz"};
  std::set<String> dirs{"c:\\Skins\\Both", "c:\\Skins\\Dir"};
  auto isFile = [&](const String& p) { return files.count(p) > 0; };
  auto isDir = [&](const String& p) { return dirs.count(p) > 0; };
  struct Case { const char* name; bool preview, packed; } cases[] = {
      {"Pack", false, true}, {"Pack", true, true}, {"Both", false, true},
      {"Both", true, false}, {"Dir", false, false}, {"Nothing", true, false},
  };
  for (auto c : cases) {
    TacSkinLocation loc = LocateSkin("c:\\Skins", c.name, c.preview, isFile, isDir);
    EXPECT_EQ(loc.Packed, c.packed) << c.name << c.preview;
    EXPECT_EQ(loc.PackageFile, String("c:\\Skins\\") + c.name + ".asz");
  }
  EXPECT_EQ(LocateSkin("c:\\Skins\\", "A", false, isFile, isDir).PackageFile, "c:\\Skins\\A.asz");
}

class SkinListing : public ::testing::Test {
protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("qn_skinlist_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(dir);
    fs::create_directories(dir / "Folder Skin");
    fs::create_directories(dir / "EmptyFolder");
    fs::create_directories(dir / ".hidden");
    Touch(dir / "Folder Skin" / "Options.dat");
    Touch(dir / ".hidden" / "Options.dat");
    Touch(dir / "Packed.asz");
    Touch(dir / "two.dots.asz");
    Touch(dir / "Upper.ASZ");
    Touch(dir / ".dot.asz");
    Touch(dir / "notes.txt");
  }
  void TearDown() override { fs::remove_all(dir); }
  static void Touch(const fs::path& p) { std::ofstream(p) << "x"; }
  std::vector<String> Names(TacSkinTypes type, String* first = nullptr) {
    TStringList list;
    list.Add("stale");
    String f = ListSkinNames(dir.string(), type, {"Zeta (internal)", "Alpha (internal)"}, list);
    if (first) *first = f;
    std::vector<String> v;
    for (int i = 0; i < list.Count(); ++i) v.push_back(list[i]);
    return v;
  }
  fs::path dir;
};

TEST_F(SkinListing, UnpackedPackedAndAll) {
  String first;
  EXPECT_EQ(Names(TacSkinTypes::stUnpacked, &first),
            (std::vector<String>{"Alpha (internal)", "Folder Skin", "Zeta (internal)"}));
  EXPECT_EQ(first, "Zeta (internal)");
  EXPECT_EQ(Names(TacSkinTypes::stPacked), (std::vector<String>{"Alpha (internal)", "Packed", "two", "Zeta (internal)"}));
  EXPECT_EQ(Names(TacSkinTypes::stAllSkins),
            (std::vector<String>{"Alpha (internal)", "Folder Skin", "Packed", "two", "Zeta (internal)"}));
}

TEST_F(SkinListing, MissingFolderListsInternalSkinsOnly) {
  TStringList list;
  EXPECT_EQ(ListSkinNames((dir / "absent").string(), TacSkinTypes::stAllSkins, {"B", "a"}, list), "B");
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0], "a");
  EXPECT_EQ(ListSkinNames((dir / "absent").string(), TacSkinTypes::stAllSkins, {}, list), "");
  EXPECT_EQ(list.Count(), 0);
}

TEST(ThirdPartyLists, DefaultsKindsAndSplitting) {
  EXPECT_STREQ(acThirdPartyNames[1], "ThirdButtons");
  EXPECT_STREQ(acThirdKinds[19], "UpDownBtn");
  EXPECT_STREQ(acThirdKinds[21], "StaticText");
  EXPECT_EQ(ThirdPartyDefault(1), "TButton");
  EXPECT_EQ(ThirdPartyDefault(0), " ");
  EXPECT_EQ(ThirdPartyDefault(21), " ");
  TStringList list(true);
  SplitThirdList("TButton", list);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list[0], "TButton");
  SplitThirdList("TEdit\r\nTMemo\nTRichEdit", list);
  EXPECT_EQ(list.Count(), 3);
}

TEST(SkinSwitches, PreviewOnlyAsFirstExactParameter) {
  EXPECT_TRUE(IsPreviewSwitch({"/acpreview"}));
  EXPECT_TRUE(IsPreviewSwitch({"/acpreview", "x"}));
  EXPECT_FALSE(IsPreviewSwitch({"/ACPREVIEW"}));
  EXPECT_FALSE(IsPreviewSwitch({"x", "/acpreview"}));
  EXPECT_FALSE(IsPreviewSwitch({}));
  EXPECT_TRUE(HasSwitch({"a", "/AcTest"}, "/actest"));
  EXPECT_FALSE(HasSwitch({"/actest2"}, "/actest"));
}

TEST(SkinVersionCheck, Outcomes) {
  const std::pair<double, TacVersionCheck> cases[] = {
      {7.0, TacVersionCheck::vcSupported}, {8.12, TacVersionCheck::vcSupported}, {8.99, TacVersionCheck::vcSupported},
      {9.0, TacVersionCheck::vcTooNew},    {8.991, TacVersionCheck::vcTooNew},   {6.5, TacVersionCheck::vcTooOld},
      {6.99, TacVersionCheck::vcTooOld},   {0, TacVersionCheck::vcTooOld},
  };
  for (auto [v, r] : cases) EXPECT_EQ(ClassifySkinVersion(v), r) << v;
  EXPECT_NE(SkinTooOldText("Dark").find("\"Dark\""), String::npos);
}

TEST(SkinInfo, NotAvailableOrVersionWithDot) {
  EXPECT_EQ(SkinInfoText(false, 8.12), "N/A");
  EXPECT_EQ(SkinInfoText(true, 8.12), "8.12");
  EXPECT_EQ(SkinInfoText(true, 9), "9");
  EXPECT_EQ(SkinInfoText(true, 7.5), "7.5");
}

TEST(SkinFade, StepsAndOpacities) {
  EXPECT_EQ(FadeSteps(100), 8);
  EXPECT_EQ(FadeSteps(11), 0);
  EXPECT_EQ(FadeSteps(12), 1);
  EXPECT_EQ(FadeSteps(0), 0);
  // T = 100, B = 255: k * 255 / 8 = 31.875, 63.75, 95.625, 127.5 (to even: 128), ...
  const uint8_t expected[] = {32, 64, 96, 128, 159, 191, 223, 255, 255};
  for (int k = 1; k <= 9; ++k) EXPECT_EQ(FadeOpacity(k, 8, 255), expected[k - 1]) << k;
  // 5 * 170 / 4 = 212.5 is capped at B; 1 * 170 / 4 = 42.5 to even 42; 3 * 170 / 4 = 127.5 to 128.
  EXPECT_EQ(FadeOpacity(1, 4, 170), 42);
  EXPECT_EQ(FadeOpacity(3, 4, 170), 128);
  EXPECT_EQ(FadeOpacity(5, 4, 170), 170);
  EXPECT_EQ(FadeOpacity(1, 0, 200), 200);
}

TEST(SkinFade, AeroRectangleGrowsToTheFullPicture) {
  EXPECT_EQ(FadeAeroRect(1, 8, 160, 80), Rect(20, 10, 140, 70));
  EXPECT_EQ(FadeAeroRect(2, 8, 160, 80), Rect(17, 8, 143, 72));  // 160*7/64 = 17.5, 80*7/64 = 8.75
  EXPECT_EQ(FadeAeroRect(5, 8, 160, 80), Rect(10, 5, 150, 75));
  EXPECT_EQ(FadeAeroRect(9, 8, 160, 80), Rect(0, 0, 160, 80));
  EXPECT_EQ(FadeAeroRect(1, 0, 160, 80), Rect(0, 0, 160, 80));
  EXPECT_EQ(FadeAeroRect(1, 1, 7, 7), Rect(0, 0, 7, 7));
}

TEST(SkinFade, FallbackWeightsAndMix) {
  const int w8[] = {255, 224, 193, 162, 131, 100, 69, 38, 7};
  for (int k = 1; k <= 9; ++k) EXPECT_EQ(FadeOldWeight(k, 8), w8[k - 1]) << k;
  EXPECT_EQ(FadeOldWeight(1, 1), 255);
  EXPECT_EQ(FadeOldWeight(2, 1), 0);
  EXPECT_EQ(FadeOldWeight(300, 2), 0);  // never below 0
  EXPECT_EQ(FadeMix(200, 100, 255), (255 * 200 + 1 * 100) / 256);
  EXPECT_EQ(FadeMix(200, 100, 0), 100 * 256 / 256);
  EXPECT_EQ(FadeMix(255, 255, 128), 255);
  EXPECT_EQ(FadeCoverOpacity(255, 0), 255);
  EXPECT_EQ(FadeCoverOpacity(255, 170), 255);
  EXPECT_EQ(FadeCoverOpacity(255, 200), 165);
  EXPECT_EQ(FadeCoverOpacity(255, 255), 0);
  EXPECT_EQ(FadeCoverOpacity(100, 200), 0);
}

namespace {

String Block(const String& name, const String& dir, const String& options, uint32_t marker = acPreviewMarker) {
  String b(acPreviewBlockSize, '\0');
  for (int i = 0; i < 4; ++i) b[i] = char(marker >> (8 * i));
  b.replace(acPreviewNameOffset, std::min(name.size(), acPreviewNameSize), name.substr(0, acPreviewNameSize));
  b.replace(acPreviewDirOffset, std::min(dir.size(), acPreviewDirSize), dir.substr(0, acPreviewDirSize));
  b.replace(acPreviewOptionsOffset, std::min(options.size(), acPreviewOptionsSize), options.substr(0, acPreviewOptionsSize));
  return b;
}

}  // namespace

TEST(PreviewBlock, ValidBlock) {
  EXPECT_EQ(acPreviewBlockSize, 30646u);
  TacPreviewData d;
  String b = Block("Dark", "c:\\Skins", "[GLOBALINFO]\r\nVERSION=8.1\r\n");
  ASSERT_TRUE(ParsePreviewBlock(b.data(), b.size(), d));
  EXPECT_EQ(d.SkinName, "Dark");
  EXPECT_EQ(d.SkinDirectory, "c:\\Skins");
  EXPECT_EQ(d.Options, "[GLOBALINFO]\r\nVERSION=8.1\r\n");
  b = Block("Caf\xE9", "d", "o");
  ASSERT_TRUE(ParsePreviewBlock(b.data(), b.size(), d));
  EXPECT_EQ(d.SkinName, "Caf\xC3\xA9");
}

TEST(PreviewBlock, WrongSizeOrMarkerIsRejectedAndChangesNothing) {
  TacPreviewData d{"keep", "keep", "keep"};
  const String good = Block("N", "D", "O");
  EXPECT_FALSE(ParsePreviewBlock(good.data(), good.size() - 1, d));
  EXPECT_FALSE(ParsePreviewBlock((good + "x").data(), good.size() + 1, d));
  EXPECT_FALSE(ParsePreviewBlock(nullptr, 0, d));
  EXPECT_FALSE(ParsePreviewBlock(good.data(), 3, d));
  for (uint32_t marker : {0u, 0xA401u, 0x00A40000u, 0xFFFFA400u}) {
    String b = Block("N", "D", "O", marker);
    EXPECT_FALSE(ParsePreviewBlock(b.data(), b.size(), d)) << marker;
  }
  EXPECT_EQ(d.SkinName, "keep");
  EXPECT_EQ(d.Options, "keep");
}

TEST(PreviewBlock, FieldsWithoutTerminatorEndAtTheirLength) {
  TacPreviewData d;
  String b = Block(String(200, 'n'), String(600, 'd'), String(40000, 'o'));
  ASSERT_TRUE(ParsePreviewBlock(b.data(), b.size(), d));
  EXPECT_EQ(d.SkinName, String(128, 'n'));
  EXPECT_EQ(d.SkinDirectory, String(513, 'd'));
  EXPECT_EQ(d.Options, String(30001, 'o'));
  // Empty fields and text after a zero byte.
  b = Block("", String("ab\0cd", 5), "");
  ASSERT_TRUE(ParsePreviewBlock(b.data(), b.size(), d));
  EXPECT_EQ(d.SkinName, "");
  EXPECT_EQ(d.SkinDirectory, "ab");
  EXPECT_EQ(d.Options, "");
}

TEST(SkinSettings, BlankMeansTheFormsOwnValue) {
  EXPECT_EQ(SkinSettingOrDefault("", "AlterMetro (internal)"), "AlterMetro (internal)");
  EXPECT_EQ(SkinSettingOrDefault("  ", "c:\\Skins"), "c:\\Skins");
  EXPECT_EQ(SkinSettingOrDefault("Dark", "AlterMetro (internal)"), "Dark");
}
