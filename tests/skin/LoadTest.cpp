// Whole loads through every entry point, and what bad input does to the model.
#include "SkinTestUtil.h"
#include "skin/acSkinModel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

class CountingModel : public TacSkinModel {
public:
  int VersionChecks = 0;
  double LastVersion = -1;

protected:
  void CheckVersion() override {
    ++VersionChecks;
    LastVersion = CommonSkinData.Version;
  }
};

const uint8_t* Bytes(const TBlob& b) { return reinterpret_cast<const uint8_t*>(b.data()); }

TEST(LoadEntryPoints, PackageFileFolderAndStoredSkinGiveTheSameModel) {
  TTempDir dir("load-all");
  const TBlob package = BuiltInLikePackage();
  dir.Write("AlterMetro.asz", package);
  for (const auto& [name, content] : BuiltInLikeFiles()) dir.Write(name == "Options.dat" ? name : UpperCase(name), content);

  TacSkinModel fromFile, fromFolder, fromStored;
  fromFile.LoadFromPackageFile(dir.Path() + "AlterMetro.asz");
  fromFolder.LoadFromFolder(dir.Path());
  TsStoredSkins skins(nullptr);
  TsStoredSkin* item = skins.Add();
  item->SetName("AlterMetro (internal)");
  item->PackedData().LoadFromBytes(package.data(), package.size());
  fromStored.LoadFromStoredSkin(*item);

  for (TacSkinModel* m : {&fromFile, &fromFolder, &fromStored}) {
    EXPECT_EQ(m->gd.size(), 14u);
    EXPECT_EQ(m->ma.size(), fromFile.ma.size());
    EXPECT_EQ(m->Palette, fromFile.Palette);
    EXPECT_EQ(m->MasterBitmap, fromFile.MasterBitmap);
  }
  EXPECT_TRUE(fromFile.SkinIsPacked);
  EXPECT_FALSE(fromFolder.SkinIsPacked);
  EXPECT_TRUE(fromStored.SkinIsPacked);
  EXPECT_EQ(fromFile.CommonSkinData.SkinPath, dir.Path());
  EXPECT_EQ(fromStored.CommonSkinData.SkinPath, "");
  // The stored skin's bytes are lent, never changed.
  EXPECT_EQ(TBlob(reinterpret_cast<const char*>(item->PackedData().Memory()), size_t(item->PackedData().Size())), package);
}

TEST(LoadEntryPoints, VersionIsCheckedTwicePerLoad) {
  CountingModel m;
  m.LoadFromOptionsText("[GLOBALINFO]\nVERSION=9.5\n", "");
  EXPECT_EQ(m.VersionChecks, 2);
  EXPECT_DOUBLE_EQ(m.LastVersion, 9.5);
}

TEST(LoadEntryPoints, OptionsTextWithPicturesFromAFolder) {
  TTempDir dir("preview");
  dir.Write("M.BMP", MakeBmp24(20, 20, SolidFn(0xFF111111)));
  TacSkinModel m;
  m.LoadFromOptionsText("[GLOBALINFO]\nMASTERBITMAP=M.BMP\n[A]\nG=@0000@0000@0020@0020@1@0\n", dir.Path());
  EXPECT_EQ(m.MasterBitmap.Width(), 20);
  EXPECT_GE(m.GetMaskIndex("A", "G"), 0);
}

TEST(LoadEntryPoints, PackedSkinsReadPicturesOnlyFromThePackage) {
  TTempDir dir("packed-only");
  dir.Write("M.BMP", MakeBmp24(20, 20, SolidFn(0xFF111111)));
  const TBlob package = MakePackage({{"Options.dat", "[GLOBALINFO]\nMASTERBITMAP=M.BMP\n"}});
  TacSkinModel m;
  m.LoadFromPackage(Bytes(package), package.size(), dir.Path());
  EXPECT_TRUE(m.MasterBitmap.Empty());
}

TEST(LoadErrors, MissingPiecesAreReported) {
  TacSkinModel m;
  TTempDir dir("missing");
  EXPECT_THROW(m.LoadFromFolder(dir.Path()), ESkinError);
  EXPECT_THROW(m.LoadFromPackageFile(dir.Path() + "none.asz"), ESkinError);
  const TBlob noOptions = MakePackage({{"a.png", "x"}});
  try {
    m.LoadFromPackage(Bytes(noOptions), noOptions.size());
    FAIL();
  } catch (const ESkinError& e) {
    EXPECT_EQ(e.Message(), "The packed skin holds no \"Options.dat\".");
  }
  const TBlob empty = TPackageWriter().Magic().Int(0).Data();
  EXPECT_THROW(m.LoadFromPackage(Bytes(empty), empty.size()), ESkinError);
  TsStoredSkins skins(nullptr);
  TsStoredSkin* item = skins.Add();
  item->SetName("Empty");
  try {
    m.LoadFromStoredSkin(*item);
    FAIL();
  } catch (const ESkinError& e) {
    EXPECT_EQ(e.Message(), "The internal skin \"Empty\" holds no data.");
  }
}

TEST(LoadErrors, AFailedLoadLeavesThePreviousSkinWhole) {
  const TBlob good = BuiltInLikePackage();
  TacSkinModel m;
  m.LoadFromPackage(Bytes(good), good.size());
  const size_t masks = m.ma.size(), sections = m.gd.size();
  const TacPaletteArray palette = m.Palette;
  const TConstantSkinData constData = m.ConstData;

  std::vector<TBlob> bad = {"garbage", TBlob(good.begin(), good.begin() + long(good.size() / 2)),
                            MakePackage({{"Options.dat", "[GLOBALINFO]\nSHADOW1BLUR=x\n"}}),
                            MakePackage({{"Options.dat", "[A]\nB=^0001\n"}}),
                            MakePackage({{"Options.dat", "[A]\nB=!X.PNG!1\n"}, {"X.png", "not a png"}})};
  for (const TBlob& b : bad) {
    EXPECT_THROW(m.LoadFromPackage(Bytes(b), b.size()), Exception);
    EXPECT_EQ(m.ma.size(), masks);
    EXPECT_EQ(m.gd.size(), sections);
    EXPECT_EQ(m.Palette, palette);
    EXPECT_EQ(m.ConstData.CheckBoxChecked, constData.CheckBoxChecked);
    EXPECT_EQ(m.GetSkinIndex("FORM"), 4);
    EXPECT_EQ(m.MasterBitmap.Width(), 400);
    for (const TsMaskData& md : m.ma) EXPECT_EQ(md.Manager, &m);
  }
}

TEST(LoadErrors, ImageRecordLimit) {
  String text = "[A]\n";
  for (int i = 0; i <= MaxSkinImages; ++i) text += Format("K%d=@0000@0000@0000@0000@1@0\n", i);
  TacSkinModel m;
  try {
    m.LoadFromOptionsText(text, "");
    FAIL();
  } catch (const ESkinError& e) {
    EXPECT_EQ(e.Message(), "The skin has more than 32767 images.");
  }
  EXPECT_TRUE(m.ma.empty());
}

// The package fuzz target's input: a mode byte, then raw package bytes ('R')
// or name/content pairs separated by 00 7C 00 that are packed validly ('B').
TBlob PackageFromFuzzInput(const TBlob& input) {
  if (input.empty()) return TBlob();
  if (input[0] != 'B') return input.substr(1);
  std::vector<TBlob> parts(1);
  for (size_t i = 1; i < input.size(); ++i) {
    if (i + 2 < input.size() && input[i] == 0 && input[i + 1] == '|' && input[i + 2] == 0) {
      parts.emplace_back();
      i += 2;
    } else {
      parts.back() += input[i];
    }
  }
  if (parts.size() % 2) parts.emplace_back();
  TPackageWriter w;
  w.Magic().Int(int32_t(parts.size() / 2));
  for (size_t i = 0; i + 1 < parts.size(); i += 2) w.Entry(i == 0 && parts[i].empty() ? "Options.dat" : parts[i], parts[i + 1], 1);
  return w.Data();
}

TEST(LoadErrors, RegressionInputsFailCleanly) {
  // Inputs that once broke a fuzz target (named after it): each must fail
  // with an error, never crash.
  const String dir = String(QN_SOURCE_DIR) + "/tests/skin/regress";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const TBlob data = ReadWholeFile(entry.path().string());
    const String name = entry.path().filename().string();
    TacSkinModel m;
    m.SetExtendedBorders(true);
    if (name.rfind("package-", 0) == 0) {
      const TBlob package = PackageFromFuzzInput(data);
      EXPECT_THROW(m.LoadFromPackage(Bytes(package), package.size()), Exception) << name;
    } else {
      EXPECT_THROW(m.LoadFromOptionsText(data, ""), Exception) << name;
    }
    ++count;
  }
  EXPECT_GE(count, 3);
}

}  // namespace
