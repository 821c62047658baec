// The colour dialog component: defaults, the main palette list, the choice
// between the skinned dialog and the system chooser, and Execute on the system
// chooser path, driven through the real chooser.
#include <gtest/gtest.h>

#include "colordialog/sDialogs.h"
#include "colordialog/sSkinHook.h"
#include "tests/color/ChooserDriver.h"

namespace {

constexpr TColor Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

// Restores "no default skin manager" whatever a test registered.
class TManagerScope {
public:
  explicit TManagerScope(TDefaultManagerQuery query) { DefaultSkinManagerQuery = query; }
  ~TManagerScope() { DefaultSkinManagerQuery = nullptr; }
};

// Installs a runner for the skinned dialog that counts its runs and answers
// with a fixed colour; restores the default runner afterwards.
class TRunnerScope {
public:
  explicit TRunnerScope(TColor answer) {
    SkinnedColorDialogRunner = [this, answer](TsColorDialog& dialog) {
      ++Runs;
      dialog.SetColor(answer);
      return true;
    };
  }
  ~TRunnerScope() { SkinnedColorDialogRunner = RunSystemColorChooser; }
  int Runs = 0;
};

bool ManagerPresent() { return true; }
bool ManagerAbsent() { return false; }

TEST(DefaultSkinManagerHook, AbsentUntilAManagerAnswersYes) {
  DefaultSkinManagerQuery = nullptr;
  EXPECT_FALSE(DefaultSkinManagerPresent());
  {
    TManagerScope scope(&ManagerAbsent);
    EXPECT_FALSE(DefaultSkinManagerPresent());
  }
  {
    TManagerScope scope(&ManagerPresent);
    EXPECT_TRUE(DefaultSkinManagerPresent());
  }
  EXPECT_FALSE(DefaultSkinManagerPresent());
}

TEST(TsColorDialogDefaults, FullOpenOnlyStandardOffEmptyPalette) {
  TsColorDialog cd(nullptr);
  EXPECT_EQ(cd.Options(), TColorDialogOptions{cdFullOpen});
  EXPECT_FALSE(cd.StandardDlg());
  ASSERT_NE(cd.MainColors(), nullptr);
  EXPECT_EQ(cd.MainColors()->Count(), 0);
  EXPECT_EQ(cd.HelpContext(), 0);
}

TEST(TsColorDialogDefaults, IsFreedWithItsOwner) {
  auto* owner = new TComponent(nullptr);
  auto* cd = new TsColorDialog(owner);
  EXPECT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(owner->Components(0), cd);
  delete owner;  // must free cd and its list without a double free
}

TEST(TsColorDialogMainColors, SetterCopiesTheList) {
  TsColorDialog cd(nullptr);
  TStringList source;
  source.Add("8080FF");
  source.Add("FF0000");
  cd.SetMainColors(&source);
  EXPECT_NE(cd.MainColors(), &source);
  ASSERT_EQ(cd.MainColors()->Count(), 2);
  EXPECT_EQ(cd.MainColors()->Strings(0), "8080FF");
  EXPECT_EQ(cd.MainColors()->Strings(1), "FF0000");
  source.Clear();
  source.Add("000000");
  EXPECT_EQ(cd.MainColors()->Count(), 2) << "the component keeps its own copy";
}

TEST(TsColorDialogMainColors, SetterReplacesNotAppends) {
  TsColorDialog cd(nullptr);
  cd.MainColors()->Add("111111");
  TStringList source;
  source.Add("222222");
  cd.SetMainColors(&source);
  ASSERT_EQ(cd.MainColors()->Count(), 1);
  EXPECT_EQ(cd.MainColors()->Strings(0), "222222");
}

TEST(TsColorDialogMainColors, SelfAssignmentAndNullAreSafe) {
  TsColorDialog cd(nullptr);
  cd.MainColors()->Add("ABCDEF");
  cd.SetMainColors(cd.MainColors());
  ASSERT_EQ(cd.MainColors()->Count(), 1);
  EXPECT_EQ(cd.MainColors()->Strings(0), "ABCDEF");
  cd.SetMainColors(nullptr);
  EXPECT_EQ(cd.MainColors()->Count(), 0);
}

TEST(TsColorDialogProperties, StandardDlgAndColorRoundTrip) {
  TsColorDialog cd(nullptr);
  cd.SetStandardDlg(true);
  EXPECT_TRUE(cd.StandardDlg());
  cd.SetColor(Rgb(1, 2, 3));
  EXPECT_EQ(cd.Color(), Rgb(1, 2, 3));
  cd.SetOptions({cdFullOpen, cdShowHelp});
  EXPECT_EQ(cd.Options(), (TColorDialogOptions{cdFullOpen, cdShowHelp}));
}

// ---------------------------------------------------------- system chooser

TEST(TsColorDialogExecute, WithoutManagerConfirmedColourComesBack) {
  DefaultSkinManagerQuery = nullptr;
  TsColorDialog cd(nullptr);
  cd.SetColor(clWhite);
  TChooserScript script;
  script.SetRgb = true;
  script.R = 60, script.G = 61, script.B = 61;
  bool result;
  {
    TChooserDriver driver(script);
    result = cd.Execute();
  }
  EXPECT_EQ(script.Runs, 1);
  EXPECT_FALSE(script.TimedOut);
  EXPECT_TRUE(result);
  EXPECT_EQ(cd.Color(), Rgb(60, 61, 61));
}

TEST(TsColorDialogExecute, SeedsTheChooserWithColorAndOpensFull) {
  TsColorDialog cd(nullptr);
  cd.SetColor(Rgb(10, 20, 30));
  TChooserScript script;
  script.Action = TChooserScript::Cancel;
  {
    TChooserDriver driver(script);
    cd.Execute();
  }
  ASSERT_EQ(script.Runs, 1);
  EXPECT_TRUE(script.FullOpen);
  EXPECT_EQ(script.ShownR, 10);
  EXPECT_EQ(script.ShownG, 20);
  EXPECT_EQ(script.ShownB, 30);
}

TEST(TsColorDialogExecute, CancelReturnsFalseAndKeepsColor) {
  TsColorDialog cd(nullptr);
  cd.SetColor(Rgb(9, 8, 7));
  TChooserScript script;
  script.SetRgb = true;
  script.R = 200, script.G = 100, script.B = 0;
  script.Action = TChooserScript::Cancel;
  bool result;
  {
    TChooserDriver driver(script);
    result = cd.Execute();
  }
  EXPECT_EQ(script.Runs, 1);
  EXPECT_FALSE(result);
  EXPECT_EQ(cd.Color(), Rgb(9, 8, 7));
}

// Which way Execute goes: the skinned runner only with a manager and StandardDlg off.
TEST(TsColorDialogExecute, ChoosesBetweenTheSkinnedRunnerAndTheSystemChooser) {
  struct {
    bool Manager, StandardDlg, Skinned;
  } cases[] = {{true, false, true}, {true, true, false}, {false, false, false}, {false, true, false}};
  for (const auto& c : cases) {
    TManagerScope manager(c.Manager ? &ManagerPresent : &ManagerAbsent);
    TRunnerScope runner(Rgb(7, 7, 7));
    TsColorDialog cd(nullptr);
    cd.SetStandardDlg(c.StandardDlg);
    TChooserScript script;
    script.SetRgb = true;
    script.R = 0, script.G = 255, script.B = 128;
    bool result;
    {
      TChooserDriver driver(script);
      result = cd.Execute();
    }
    SCOPED_TRACE(testing::Message() << "manager " << c.Manager << ", StandardDlg " << c.StandardDlg);
    EXPECT_EQ(runner.Runs, c.Skinned ? 1 : 0);
    EXPECT_EQ(script.Runs, c.Skinned ? 0 : 1);
    EXPECT_TRUE(result);
    EXPECT_EQ(cd.Color(), c.Skinned ? Rgb(7, 7, 7) : Rgb(0, 255, 128));
  }
}

TEST(TsColorDialogExecute, WithAManagerTheDefaultRunnerIsTheSystemChooser) {
  TManagerScope scope(&ManagerPresent);
  TsColorDialog cd(nullptr);
  TChooserScript script;
  script.SetRgb = true;
  script.R = 1, script.G = 2, script.B = 3;
  bool result;
  {
    TChooserDriver driver(script);
    result = cd.Execute();
  }
  EXPECT_EQ(script.Runs, 1);
  EXPECT_TRUE(result);
  EXPECT_EQ(cd.Color(), Rgb(1, 2, 3));
}

TEST(TsColorDialogExecute, ColourPersistsBetweenRuns) {
  TsColorDialog cd(nullptr);
  TChooserScript first;
  first.SetRgb = true;
  first.R = 12, first.G = 34, first.B = 56;
  {
    TChooserDriver driver(first);
    ASSERT_TRUE(cd.Execute());
  }
  TChooserScript second;
  second.Action = TChooserScript::Cancel;
  {
    TChooserDriver driver(second);
    EXPECT_FALSE(cd.Execute());
  }
  EXPECT_EQ(second.ShownR, 12);
  EXPECT_EQ(second.ShownG, 34);
  EXPECT_EQ(second.ShownB, 56);
  EXPECT_EQ(cd.Color(), Rgb(12, 34, 56));
}

TEST(TsColorDialogExecute, FiresOnShowAndOnClose) {
  TsColorDialog cd(nullptr);
  int shows = 0, closes = 0;
  bool chooserOpenAtShow = false;
  cd.OnShow = [&](TObject* sender) {
    EXPECT_EQ(sender, &cd);
    ++shows;
    chooserOpenAtShow = cd.Handle() != nullptr;
  };
  cd.OnClose = [&](TObject* sender) {
    EXPECT_EQ(sender, &cd);
    ++closes;
  };
  TChooserScript script;
  {
    TChooserDriver driver(script);
    cd.Execute();
  }
  EXPECT_EQ(shows, 1);
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(chooserOpenAtShow);
}

}  // namespace
