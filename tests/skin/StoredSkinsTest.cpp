// Stored (internal) skins, directory normalisation and writing a stored skin out.
#include "SkinTestUtil.h"
#include "skin/acSkinPack.h"
#include "skin/sSkinData.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(StoredSkin, DefaultsOfANewItem) {
  TsStoredSkins skins(nullptr);
  TsStoredSkin* s = skins.Add();
  EXPECT_EQ(s->Name(), "");
  EXPECT_TRUE(s->MasterBitmap().Empty());
  EXPECT_EQ(s->Shadow1Color(), 0u);
  EXPECT_EQ(s->Shadow1Offset(), 0);
  EXPECT_EQ(s->Shadow1Blur(), -1);
  EXPECT_EQ(s->Shadow1Transparency(), 0);
  EXPECT_EQ(s->BorderColor(), 0xFF00FFu);
  EXPECT_EQ(s->Version(), 0.0);
  EXPECT_EQ(s->Author(), "");
  EXPECT_EQ(s->Description(), "");
  EXPECT_EQ(s->PackedData().Size(), 0);
}

TEST(StoredSkin, DataIsReadAndWrittenWhole) {
  TsStoredSkins skins(nullptr);
  TsStoredSkin* s = skins.Add();
  const TBlob package = BuiltInLikePackage();
  TBytesStream in(package.data(), package.size());
  s->ReadData(in);
  EXPECT_EQ(s->PackedData().Size(), int64_t(package.size()));
  TMemoryStream out;
  s->WriteData(out);
  EXPECT_EQ(TBlob(reinterpret_cast<const char*>(out.Memory()), size_t(out.Size())), package);
  // Reading again replaces, never appends.
  TBytesStream small("ab", 2);
  s->ReadData(small);
  EXPECT_EQ(s->PackedData().Size(), 2);
}

TEST(StoredSkins, IndexOfIsExactAndFindsTheFirst) {
  TsStoredSkins skins(nullptr);
  skins.Add()->SetName("AlterMetro (internal)");
  skins.Add()->SetName("Other");
  skins.Add()->SetName("Other");
  EXPECT_EQ(skins.IndexOf("AlterMetro (internal)"), 0);
  EXPECT_EQ(skins.IndexOf("Other"), 1);
  EXPECT_EQ(skins.IndexOf("other"), -1);
  EXPECT_EQ(skins.IndexOf("AlterMetro"), -1);
  EXPECT_EQ(skins.IndexOf(""), -1);
}

TEST(StoredSkins, ItemChangesReachTheOwnersHandlerWithTheOwnerAsSender) {
  TComponent owner(nullptr);
  TNotifyEvent handler;  // assigned after the collection exists, as a stored form does
  TsStoredSkins skins(&owner, &handler);
  std::vector<TObject*> senders;
  handler = [&](TObject* sender) { senders.push_back(sender); };
  TsStoredSkin* s = skins.Add();
  const size_t afterAdd = senders.size();
  EXPECT_GE(afterAdd, 1u);
  s->SetName("x");
  s->SetVersion(8.12);
  EXPECT_EQ(senders.size(), afterAdd + 2);
  for (TObject* o : senders) EXPECT_EQ(o, &owner);
  EXPECT_EQ(skins.Owner(), &owner);
}

TEST(StoredSkins, AssignOfTheCollectionDoesNothing) {
  TsStoredSkins a(nullptr), b(nullptr);
  a.Add()->SetName("one");
  b.Assign(&a);
  EXPECT_EQ(b.Count(), 0);
}

TEST(StoredSkins, ItemAssignCopiesEveryValueAndTheData) {
  TsStoredSkins skins(nullptr);
  TsStoredSkin* a = skins.Add();
  a->SetName("n");
  a->SetShadow1Color(5);
  a->SetShadow1Offset(2);
  a->SetShadow1Blur(3);
  a->SetShadow1Transparency(40);
  a->SetBorderColor(7);
  a->SetVersion(7.5);
  a->SetAuthor("au");
  a->SetDescription("de");
  a->MasterBitmap().SetSize(2, 3);
  a->PackedData().LoadFromBytes("xyz", 3);
  TsStoredSkin* b = skins.Add();
  b->Assign(a);
  EXPECT_EQ(b->Name(), "n");
  EXPECT_EQ(b->Shadow1Color(), 5u);
  EXPECT_EQ(b->Shadow1Offset(), 2);
  EXPECT_EQ(b->Shadow1Blur(), 3);
  EXPECT_EQ(b->Shadow1Transparency(), 40);
  EXPECT_EQ(b->BorderColor(), 7u);
  EXPECT_EQ(b->Version(), 7.5);
  EXPECT_EQ(b->Author(), "au");
  EXPECT_EQ(b->Description(), "de");
  EXPECT_EQ(b->MasterBitmap().Width(), 2);
  EXPECT_EQ(b->PackedData().Size(), 3);
}

TEST(SkinDirectory, NormalisationRules) {
  EXPECT_EQ(NormalizeSkinDir(""), "");
  EXPECT_EQ(NormalizeSkinDir("C"), "C:\\");
  EXPECT_EQ(NormalizeSkinDir("c:\\Skins\\"), "c:\\Skins\\");
  EXPECT_EQ(NormalizeSkinDir("c:\\Skins"), "c:\\Skins\\");
  EXPECT_EQ(NormalizeSkinDir("c:/Skins/"), "c:/Skins\\");
  EXPECT_EQ(NormalizeSkinDir("/"), "\\");
  EXPECT_EQ(NormalizeSkinDir("ab"), "ab\\");
}

TEST(SkinDirectory, ExtractedFileNameFollowsTheNameRule) {
  EXPECT_EQ(ExtractedSkinFileName("c:\\Out", "AlterMetro (internal)"), "c:\\Out\\AlterMetro (internal) extracted.asz");
  EXPECT_EQ(ExtractedSkinFileName("D", "S"), "D:\\S extracted.asz");
}

class Extraction : public ::testing::Test {
protected:
  Extraction() : FDir("extract"), FSkins(nullptr) {
    FData = BuiltInLikePackage();
    TsStoredSkin* s = FSkins.Add();
    s->SetName("AlterMetro (internal)");
    s->PackedData().LoadFromBytes(FData.data(), FData.size());
    FSkins.Add()->SetName("Second");
  }
  TTempDir FDir;
  TsStoredSkins FSkins;
  TBlob FData;
};

TEST_F(Extraction, WritesTheBytesUnchangedUnderTheItemsName) {
  const std::vector<String> errors = ExtractStoredSkinsByName(FSkins, "AlterMetro (internal)", FDir.Path());
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(FDir.Read("AlterMetro (internal) extracted.asz"), FData);
}

TEST_F(Extraction, ReplacesAnExistingFile) {
  FDir.Write("AlterMetro (internal) extracted.asz", TBlob(100000, 'z'));
  ExtractStoredSkin(FSkins, 0, FDir.Path());
  EXPECT_EQ(FDir.Read("AlterMetro (internal) extracted.asz"), FData);
}

TEST_F(Extraction, UnknownNameWritesNothing) {
  EXPECT_EQ(ExtractStoredSkinsByName(FSkins, "altermetro (internal)", FDir.Path()), std::vector<String>{"Skin does not exists."});
  EXPECT_TRUE(std::filesystem::is_empty(FDir.Path()));
}

TEST_F(Extraction, MissingDirectoryIsReportedPerMatchingItem) {
  FSkins.Add()->SetName("Second");
  EXPECT_EQ(ExtractStoredSkinsByName(FSkins, "Second", FDir.Path() + "missing"),
            (std::vector<String>{"Directory does not exists.", "Directory does not exists."}));
}

TEST_F(Extraction, ByIndexCreatesTheDirectory) {
  ExtractStoredSkin(FSkins, 0, FDir.Path() + "new/deeper");
  EXPECT_EQ(ReadWholeFile(FDir.Path() + "new/deeper/AlterMetro (internal) extracted.asz"), FData);
}

TEST_F(Extraction, ByIndexReportsACreationErrorAndWritesNothing) {
  FDir.Write("blocker", "a file where a folder should go");
  try {
    ExtractStoredSkin(FSkins, 0, FDir.Path() + "blocker/sub");
    FAIL() << "no error";
  } catch (const ESkinError& e) {
    EXPECT_EQ(e.Message(), "Directory " + FDir.Path() + "blocker/sub\\ creation error.");
  }
}

TEST_F(Extraction, ByIndexRejectsABadIndex) {
  EXPECT_THROW(ExtractStoredSkin(FSkins, 5, FDir.Path()), EListError);
  EXPECT_THROW(ExtractStoredSkin(FSkins, -1, FDir.Path()), EListError);
}

}  // namespace
