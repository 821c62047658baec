// The tool's package writer and reader and the folder form with its
// recorded entry order.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "tools/ImageWriters.h"
#include "tools/SkinPackage.h"

namespace {

TBytes Text(const char* s) { return TBytes(s, s + std::strlen(s)); }

TSkinFileEntries ThreeEntries() {
  TBytes big(70000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = uint8_t((i * 7919) >> 3);
  return {{"Options.dat", Text("[GLOBALINFO]\r\nVERSION=8.12\r\n\r\n")}, {"b.bmp", big}, {"a.png", {}}};
}

void PutLE32(TBytes& out, int32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(uint32_t(value) >> shift));
}

// A package assembled by hand so that single fields can be wrong.
TBytes Handmade(int32_t count, const String& name, int32_t statedSize, const TBytes& payload) {
  TBytes out = {'A', 'S', 'z', 'f'};
  PutLE32(out, count);
  PutLE32(out, int32_t(name.size()));
  out.insert(out.end(), name.begin(), name.end());
  PutLE32(out, statedSize);
  TBytes z = ZlibCompress(payload.data(), payload.size());
  out.insert(out.end(), z.begin(), z.end());
  return out;
}

String ErrorOf(const TBytes& package) {
  try {
    UnpackSkinEntries(package);
  } catch (const EReadError& e) {
    return e.Message();
  }
  return "no error";
}

class TempDir {
public:
  TempDir() {
    Path = (std::filesystem::temp_directory_path() /
            ("skintool-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name()))
               .string();
    std::filesystem::remove_all(Path);
  }
  ~TempDir() { std::filesystem::remove_all(Path); }
  String Path;
};

}  // namespace

TEST(SkinPackage, RoundTripKeepsOrderNamesAndBytes) {
  TSkinFileEntries in = ThreeEntries();
  TSkinFileEntries out = UnpackSkinEntries(PackSkinEntries(in));
  ASSERT_EQ(out.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(out[i].Name, in[i].Name);
    EXPECT_EQ(out[i].Data, in[i].Data);
  }
}

TEST(SkinPackage, LayoutIsMagicCountThenEntries) {
  TBytes p = PackSkinEntries({{"Options.dat", Text("x")}});
  EXPECT_EQ(String(p.begin(), p.begin() + 4), "ASzf");
  EXPECT_EQ(p[4], 1);
  EXPECT_EQ(p[8], 11);  // name length
  EXPECT_EQ(String(p.begin() + 12, p.begin() + 23), "Options.dat");
  EXPECT_EQ(p[23], 1);  // unpacked size
  EXPECT_EQ(p[27], 0x78);  // zlib header
  EXPECT_EQ(p[28], 0xDA);  // level 9
}

TEST(SkinPackage, WritingIsReproducible) { EXPECT_EQ(PackSkinEntries(ThreeEntries()), PackSkinEntries(ThreeEntries())); }

TEST(SkinPackage, OptionsNameIsFoundInAnyCase) {
  TSkinFileEntries out = UnpackSkinEntries(PackSkinEntries({{"OPTIONS.DAT", Text("x")}}));
  EXPECT_EQ(out[0].Name, "OPTIONS.DAT");
}

TEST(SkinPackage, WrongMagicIsNotAPackedSkin) {
  TBytes p = PackSkinEntries(ThreeEntries());
  p[3] = 'F';
  EXPECT_EQ(ErrorOf(p), "The loaded data is not a packed skin file.");
  EXPECT_EQ(ErrorOf({}), "The loaded data is not a packed skin file.");
}

TEST(SkinPackage, EveryTruncationIsAnError) {
  TBytes p = PackSkinEntries(ThreeEntries());
  for (size_t n = 0; n < p.size(); ++n)
    EXPECT_THROW(UnpackSkinEntries(TBytes(p.begin(), p.begin() + n)), EReadError) << n;
}

TEST(SkinPackage, CorruptStreamIsAnError) {
  const TBytes good = PackSkinEntries({{"Options.dat", TBytes(1000, 'x')}});
  TBytes p = good;
  p.back() ^= 0x55;  // checksum
  EXPECT_EQ(ErrorOf(p), "Entry \"Options.dat\" of the packed skin is corrupt (incorrect data check).");
  p = good;
  p[27] = 0x79;  // zlib header
  EXPECT_THROW(UnpackSkinEntries(p), EReadError);
  p = good;
  p[29] = 0xFF;  // first deflate block header: reserved block type
  EXPECT_THROW(UnpackSkinEntries(p), EReadError);
}

TEST(SkinPackage, StatedSizeMustMatchTheStream) {
  TBytes payload = Text("hello world");
  EXPECT_EQ(ErrorOf(Handmade(1, "Options.dat", 11, payload)), "no error");
  EXPECT_EQ(ErrorOf(Handmade(1, "Options.dat", 10, payload)),
            "Entry \"Options.dat\" of the packed skin holds more than its stated 10 bytes.");
  EXPECT_EQ(ErrorOf(Handmade(1, "Options.dat", 12, payload)),
            "Entry \"Options.dat\" of the packed skin inflates to 11 bytes instead of 12.");
}

TEST(SkinPackage, FieldsOutOfRangeAreRefusedBeforeAllocating) {
  TBytes payload = Text("x");
  EXPECT_EQ(ErrorOf(Handmade(0, "Options.dat", 1, payload)), "Packed skin has an invalid entry count (0).");
  EXPECT_EQ(ErrorOf(Handmade(-1, "Options.dat", 1, payload)), "Packed skin has an invalid entry count (-1).");
  EXPECT_EQ(ErrorOf(Handmade(1, "Options.dat", -5, payload)),
            "Entry \"Options.dat\" of the packed skin has an invalid size (-5).");
  EXPECT_EQ(ErrorOf(Handmade(1, "Options.dat", 0x7FFFFFFF, payload)),
            "Entry \"Options.dat\" of the packed skin has an invalid size (2147483647).");
  TBytes longName = Handmade(1, "Options.dat", 1, payload);
  longName[8] = 0xFF, longName[9] = 0xFF, longName[10] = 0xFF, longName[11] = 0x7F;
  EXPECT_EQ(ErrorOf(longName), "Entry 1 of the packed skin has an invalid name length (2147483647).");
}

TEST(SkinPackage, MissingOrRepeatedEntriesAreRefused) {
  EXPECT_EQ(ErrorOf(PackSkinEntries({{"a.png", Text("x")}})), "Packed skin has no \"Options.dat\" entry.");
  EXPECT_EQ(ErrorOf(PackSkinEntries({{"Options.dat", Text("x")}, {"options.DAT", Text("y")}})),
            "Packed skin holds the entry \"options.DAT\" twice.");
}

TEST(SkinPackage, BytesAfterTheLastEntryAreIgnored) {
  TBytes p = PackSkinEntries(ThreeEntries());
  p.insert(p.end(), {1, 2, 3});
  EXPECT_EQ(UnpackSkinEntries(p).size(), 3u);
}

TEST(SkinFolder, UnpackThenReadRestoresTheOrder) {
  TempDir dir;
  TSkinFileEntries in = {{"Z.bmp", Text("z")}, {"Options.dat", Text("o")}, {"A.png", Text("a")}};
  UnpackSkinFolder(in, dir.Path);
  EXPECT_TRUE(FileExists(dir.Path + "/" + SkinOrderFileName));
  TSkinFileEntries out = ReadSkinFolder(dir.Path);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].Name, "Z.bmp");
  EXPECT_EQ(out[1].Name, "Options.dat");
  EXPECT_EQ(out[2].Name, "A.png");
  EXPECT_EQ(out[1].Data, Text("o"));
}

TEST(SkinFolder, WithoutOrderOptionsComeFirstThenByName) {
  TempDir dir;
  ForceDirectories(dir.Path);
  WriteFileBytes(dir.Path + "/b.png", Text("b"));
  WriteFileBytes(dir.Path + "/Options.dat", Text("o"));
  WriteFileBytes(dir.Path + "/a.bmp", Text("a"));
  TSkinFileEntries out = ReadSkinFolder(dir.Path);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].Name, "Options.dat");
  EXPECT_EQ(out[1].Name, "a.bmp");
  EXPECT_EQ(out[2].Name, "b.png");
}

TEST(SkinFolder, FilesTheOrderDoesNotNameFollowByName) {
  TempDir dir;
  UnpackSkinFolder({{"Options.dat", Text("o")}, {"x.bmp", Text("x")}}, dir.Path);
  WriteFileBytes(dir.Path + "/new.png", Text("n"));
  TSkinFileEntries out = ReadSkinFolder(dir.Path);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[2].Name, "new.png");
}

TEST(SkinFolder, BadFoldersAreErrors) {
  TempDir dir;
  EXPECT_THROW(ReadSkinFolder(dir.Path), EFOpenError);  // missing
  ForceDirectories(dir.Path);
  WriteFileBytes(dir.Path + "/a.png", Text("a"));
  EXPECT_THROW(ReadSkinFolder(dir.Path), EFOpenError);  // no options
  WriteFileBytes(dir.Path + "/Options.dat", Text("o"));
  WriteFileBytes(dir.Path + "/" + SkinOrderFileName, Text("Options.dat\ngone.bmp\n"));
  EXPECT_THROW(ReadSkinFolder(dir.Path), EFOpenError);  // order names a missing file
}

TEST(SkinFolder, EntryNamesThatAreNotPlainFileNamesAreRefused) {
  TempDir dir;
  for (const char* bad : {"../evil.bmp", "sub/x.png", "c:x.png", "..", SkinOrderFileName}) {
    EXPECT_THROW(UnpackSkinFolder({{"Options.dat", Text("o")}, {bad, Text("x")}}, dir.Path), EWriteError) << bad;
    EXPECT_FALSE(DirectoryExists(dir.Path)) << bad;  // nothing written
  }
}
