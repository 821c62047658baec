// Reading "ASzf" packages: entries, back-to-back zlib streams, bad input.
#include "SkinTestUtil.h"
#include "skin/acSkinPack.h"
#include "skin/sSkinData.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace {

std::unique_ptr<TacSkinConvertor> Read(const TBlob& data) {
  auto conv = std::make_unique<TacSkinConvertor>();
  auto stream = std::make_unique<TMemoryStream>();
  stream->LoadFromBytes(data.data(), data.size());
  conv->SetPackedData(std::move(stream));
  ExtractPackedData(conv);
  return conv;
}

TBlob StreamText(TMemoryStream& s) { return TBlob(reinterpret_cast<const char*>(s.Memory()), size_t(s.Size())); }

// Bytes that do not compress, so that streams span several input blocks.
TBlob Noise(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  TBlob b(n, '\0');
  for (char& c : b) c = char(gen());
  return b;
}

// Reads data and returns the message of the error it raises ("" when none).
template <typename E = Exception>
String ErrorOf(const TBlob& data, std::unique_ptr<TacSkinConvertor>* left = nullptr) {
  auto conv = std::make_unique<TacSkinConvertor>();
  auto stream = std::make_unique<TMemoryStream>();
  stream->LoadFromBytes(data.data(), data.size());
  conv->SetPackedData(std::move(stream));
  try {
    ExtractPackedData(conv);
  } catch (const E& e) {
    if (left) *left = std::move(conv);
    return e.Message();
  }
  return "";
}

TEST(PackageEntries, BuiltInShapedPackageGivesOptionsAndFiveImagesInOrder) {
  const auto files = BuiltInLikeFiles();
  auto conv = Read(MakePackage(files));
  ASSERT_TRUE(conv);
  EXPECT_EQ(conv->ImageCount, 5);
  ASSERT_TRUE(conv->Options);
  EXPECT_EQ(StreamText(*conv->Options), files[0].second);
  ASSERT_EQ(conv->Files.size(), 5u);
  const char* names[] = {"BtnHuge.bmp", "Master copy.bmp", "ExtBord.png", "GlowEdit.png", "GlowH.png"};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(conv->Files[i].FileName, names[i]);
    EXPECT_EQ(StreamText(*conv->Files[i].FileStream), files[i + 1].second);
    // Left at the end: consumers seek to 0 themselves.
    EXPECT_EQ(conv->Files[i].FileStream->Position(), conv->Files[i].FileStream->Size());
  }
  EXPECT_TRUE(conv->Files[0].IsBitmap);
  EXPECT_TRUE(conv->Files[1].IsBitmap);
  EXPECT_FALSE(conv->Files[2].IsBitmap);
}

TEST(PackageEntries, OptionsNameMatchesInAnyCase) {
  for (const char* name : {"Options.dat", "OPTIONS.DAT", "options.dat", "oPtIoNs.DaT"}) {
    auto conv = Read(MakePackage({{"a.bmp", "xx"}, {name, "[A]\nK=1\n"}}));
    ASSERT_TRUE(conv->Options) << name;
    EXPECT_EQ(StreamText(*conv->Options), "[A]\nK=1\n");
    ASSERT_EQ(conv->Files.size(), 1u);
    EXPECT_EQ(conv->ImageCount, 1);
  }
}

TEST(PackageEntries, ExtensionTestForBitmapIgnoresCase) {
  auto conv = Read(MakePackage({{"Options.dat", ""}, {"x.Bmp", "1"}, {"y.bmpx", "2"}, {"z.png", "3"}}));
  ASSERT_EQ(conv->Files.size(), 3u);
  EXPECT_TRUE(conv->Files[0].IsBitmap);
  EXPECT_FALSE(conv->Files[1].IsBitmap);
  EXPECT_FALSE(conv->Files[2].IsBitmap);
}

TEST(PackageEntries, EmptyFilesAndEmptyNamesAreRead) {
  auto conv = Read(MakePackage({{"Options.dat", ""}, {"", ""}}));
  ASSERT_TRUE(conv->Options);
  EXPECT_EQ(conv->Options->Size(), 0);
  ASSERT_EQ(conv->Files.size(), 1u);
  EXPECT_EQ(conv->Files[0].FileName, "");
}

TEST(PackageEntries, NonAsciiNamesAreReadAsLatin1) {
  auto conv = Read(MakePackage({{"Options.dat", ""}, {"\xE9t\xE9.png", "x"}}));
  EXPECT_EQ(conv->Files[0].FileName, "\xC3\xA9t\xC3\xA9.png");
}

TEST(PackageEntries, CountOfZeroOrLessGivesNothing) {
  for (int32_t n : {0, -1, -1000, INT32_MIN}) {
    auto conv = Read(TPackageWriter().Magic().Int(n).Data());
    ASSERT_TRUE(conv);
    EXPECT_EQ(conv->ImageCount, n == INT32_MIN ? INT32_MIN : n - 1);
    EXPECT_FALSE(conv->Options);
    EXPECT_TRUE(conv->Files.empty());
  }
}

TEST(PackageEntries, BytesAfterTheLastEntryAreNeverRead) {
  TBlob data = MakePackage({{"Options.dat", "o"}, {"a.png", "p"}});
  data += "trailing garbage that is not a zlib stream";
  auto conv = Read(data);
  EXPECT_EQ(conv->Files.size(), 1u);
}

TEST(PackageStreams, ConsecutiveStreamsDecodeWithoutStoredLengths) {
  auto conv = Read(MakePackage({{"Options.dat", "first"}, {"b.png", "second"}, {"c.png", "third"}}));
  ASSERT_EQ(conv->Files.size(), 2u);
  EXPECT_EQ(StreamText(*conv->Options), "first");
  EXPECT_EQ(StreamText(*conv->Files[0].FileStream), "second");
  EXPECT_EQ(StreamText(*conv->Files[1].FileStream), "third");
}

TEST(PackageStreams, StreamsLongerThanOneInputBlockRepositionTheSource) {
  // 300 KB of noise compresses to more than two 128 KiB blocks; the entry
  // after it starts in the middle of a block already pulled in.
  const TBlob big = Noise(300000, 1), small = Noise(1000, 2), tail = "tail";
  auto conv = Read(MakePackage({{"big.png", big}, {"Options.dat", small}, {"t.png", tail}}));
  ASSERT_EQ(conv->Files.size(), 2u);
  EXPECT_EQ(StreamText(*conv->Files[0].FileStream), big);
  EXPECT_EQ(StreamText(*conv->Options), small);
  EXPECT_EQ(StreamText(*conv->Files[1].FileStream), tail);
}

TEST(PackageStreams, EveryCompressionLevelReads) {
  const TBlob content = Noise(5000, 3) + TBlob(5000, 'a');
  for (int level : {0, 1, 9}) {
    auto conv = Read(TPackageWriter().Magic().Int(2).Entry("Options.dat", content, level).Entry("x.png", "y", level).Data());
    EXPECT_EQ(StreamText(*conv->Options), content) << level;
    EXPECT_EQ(StreamText(*conv->Files[0].FileStream), "y");
  }
}

TEST(PackageLookup, FindFileComparesUpperCasedNamesWithinImageCount) {
  auto conv = Read(MakePackage({{"Options.dat", ""}, {"Master copy.bmp", "m"}, {"MASTER COPY.BMP", "second"}}));
  TMemoryStream* s = conv->FindFile("MASTER COPY.BMP");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Position(), 0);
  EXPECT_EQ(StreamText(*s), "m");
  // References are written upper case; a lower-case one finds nothing.
  EXPECT_EQ(conv->FindFile("master copy.bmp"), nullptr);
  EXPECT_EQ(conv->FindFile("NONE.BMP"), nullptr);
}

TEST(PackageLookup, FilesBeyondImageCountAreNotVisited) {
  // Without "Options.dat" ImageCount (N - 1) leaves the last file out.
  auto conv = Read(MakePackage({{"A.PNG", "a"}, {"B.PNG", "b"}}));
  EXPECT_EQ(conv->ImageCount, 1);
  EXPECT_NE(conv->FindFile("A.PNG"), nullptr);
  EXPECT_EQ(conv->FindFile("B.PNG"), nullptr);
  conv->ImageCount = 100;  // never beyond the files that exist
  EXPECT_NE(conv->FindFile("B.PNG"), nullptr);
}

TEST(PackageErrors, BadMagicLeavesNilAndNamesThePackedSkin) {
  for (const TBlob& data : {TBlob("ASZF\1\0\0\0"), TBlob("PK\3\4abcd"), TBlob("ASz"), TBlob()}) {
    std::unique_ptr<TacSkinConvertor> left;
    EXPECT_EQ(ErrorOf<ESkinError>(data, &left), "Loaded data is not a packed skin file.");
    EXPECT_FALSE(left);
  }
}

TEST(PackageErrors, MissingPackedDataIsABadPackage) {
  auto conv = std::make_unique<TacSkinConvertor>();
  EXPECT_THROW(ExtractPackedData(conv), ESkinError);
  EXPECT_FALSE(conv);
}

TEST(PackageErrors, CorruptDeflateDataGivesZlibsText) {
  TBlob stream = Zlib("hello hello hello");
  stream[2] = char(0xFF);  // an invalid block type
  const TBlob data = TPackageWriter().Magic().Int(1).Int(11).Raw("Options.dat").Int(17).Raw(stream).Data();
  std::unique_ptr<TacSkinConvertor> left;
  EXPECT_EQ(ErrorOf<ESkinError>(data, &left), "Packed file \"Options.dat\": invalid block type");
  EXPECT_FALSE(left);
}

TEST(PackageErrors, BadZlibHeaderOrChecksumIsAnError) {
  TBlob header = Zlib("abc");
  header[0] = 0x12;
  EXPECT_THAT(ErrorOf<ESkinError>(TPackageWriter().Magic().Int(1).Int(1).Raw("o").Int(3).Raw(header).Data()),
              ::testing::HasSubstr("incorrect header check"));
  TBlob sum = Zlib("abc");
  sum.back() ^= 1;
  EXPECT_THAT(ErrorOf<ESkinError>(TPackageWriter().Magic().Int(1).Int(1).Raw("o").Int(3).Raw(sum).Data()),
              ::testing::HasSubstr("incorrect data check"));
}

TEST(PackageErrors, StreamEndingBeforeItsSizeIsAReadError) {
  const TBlob data = TPackageWriter().Magic().Int(1).EntryWithSize("Options.dat", "abc", 10).Data();
  EXPECT_THAT(ErrorOf<EReadError>(data), ::testing::StartsWith("Stream read error"));
}

TEST(PackageErrors, StreamHoldingMoreThanItsSizeIsRejected) {
  const TBlob data = TPackageWriter().Magic().Int(2).EntryWithSize("Options.dat", "abcdef", 3).Entry("a.png", "x").Data();
  EXPECT_EQ(ErrorOf<ESkinError>(data), "Packed skin is damaged: \"Options.dat\" holds more than its 3 bytes.");
}

TEST(PackageErrors, TruncationAnywhereIsAReadError) {
  const TBlob whole = MakePackage({{"Options.dat", Noise(2000, 4)}, {"a.png", "pixels"}});
  // Every proper prefix that still holds the magic fails with a clear error.
  for (size_t n = 4; n < whole.size(); ++n) {
    std::unique_ptr<TacSkinConvertor> left;
    const String msg = ErrorOf<Exception>(whole.substr(0, n), &left);
    EXPECT_FALSE(msg.empty()) << "prefix " << n << " read without error";
    EXPECT_FALSE(left);
  }
}

TEST(PackageErrors, TruncatedFieldsNameWhatIsMissing) {
  EXPECT_EQ(ErrorOf<EReadError>(TBlob("ASzf\1\0")), "Stream read error: the packed skin ends inside the file count.");
  const TBlob cut = TPackageWriter().Magic().Int(1).Int(11).Raw("Options").Data();
  EXPECT_EQ(ErrorOf<ESkinError>(cut), "Packed skin is damaged: it cannot hold the 1 files it announces.");
}

TEST(PackageErrors, HugeOrNegativeCountsAreRejectedBeforeReading) {
  EXPECT_EQ(ErrorOf<ESkinError>(TPackageWriter().Magic().Int(0x7FFFFFFF).Data()),
            "Packed skin is damaged: it cannot hold the 2147483647 files it announces.");
  const TBlob two = TPackageWriter().Magic().Int(3).Entry("Options.dat", "x").Entry("a", "b").Data();
  EXPECT_THAT(ErrorOf<ESkinError>(two), ::testing::HasSubstr("cannot hold the 3 files"));
}

TEST(PackageErrors, NameLengthOutOfRangeIsRejected) {
  for (int32_t len : {-1, -2147483647 - 1, 1000000, 0x7FFFFFFF}) {
    const TBlob data = TPackageWriter().Magic().Int(1).Int(len).Raw(TBlob(40, 'x')).Data();
    EXPECT_EQ(ErrorOf<ESkinError>(data), Format("Packed skin is damaged: entry 1 has a name length of %d bytes.", len));
  }
}

TEST(PackageErrors, NegativeOrOversizedUnpackedSizesAreRejected) {
  const TBlob neg = TPackageWriter().Magic().Int(1).EntryWithSize("Options.dat", "abc", -5).Data();
  EXPECT_THAT(ErrorOf<ESkinError>(neg), ::testing::HasSubstr("announces -5 unpacked bytes"));
  const TBlob huge = TPackageWriter().Magic().Int(1).EntryWithSize("Options.dat", "abc", 0x7FFFFFFF).Data();
  EXPECT_THAT(ErrorOf<ESkinError>(huge), ::testing::HasSubstr("too large"));
}

TEST(PackageErrors, TotalUnpackedSizeIsCapped) {
  // Each entry alone is allowed; together they pass 64 MiB.
  const int32_t part = int32_t(MaxUnpackedSkinSize / 2);
  const TBlob data = TPackageWriter()
                         .Magic()
                         .Int(3)
                         .Entry("a.png", TBlob(size_t(part), 'a'), 9)
                         .Entry("b.png", TBlob(size_t(part), 'b'), 9)
                         .EntryWithSize("Options.dat", "c", 1)
                         .Data();
  EXPECT_THAT(ErrorOf<ESkinError>(data), ::testing::HasSubstr("\"Options.dat\" announces 1 unpacked bytes"));
}

TEST(PackageErrors, SecondOptionsFileIsRejected) {
  EXPECT_EQ(ErrorOf<ESkinError>(MakePackage({{"Options.dat", "a"}, {"OPTIONS.DAT", "b"}})),
            "Packed skin is damaged: it holds more than one \"Options.dat\".");
}

TEST(PackageErrors, PresetDictionaryStreamsAreRejected) {
  // FDICT set in the zlib header: the package format has no dictionaries.
  const TBlob stream("\x78\xBB\x00\x00\x00\x01\x03\x00", 8);
  EXPECT_THAT(ErrorOf<ESkinError>(TPackageWriter().Magic().Int(1).Int(1).Raw("o").Int(0).Raw(stream).Data()),
              ::testing::HasSubstr("Packed file \"o\""));
}

TEST(ConvertorLifecycle, ClearFreesEverythingButKeepsImageCount) {
  auto conv = Read(MakePackage({{"Options.dat", "o"}, {"a.png", "a"}}));
  conv->Clear();
  EXPECT_TRUE(conv->Files.empty());
  EXPECT_FALSE(conv->Options);
  EXPECT_EQ(conv->PackedData, nullptr);
  EXPECT_EQ(conv->ImageCount, 1);
}

TEST(ConvertorLifecycle, LentStreamIsReadButNeverFreedOrChanged) {
  const TBlob data = MakePackage({{"Options.dat", "o"}});
  TMemoryStream lent;
  lent.LoadFromBytes(data.data(), data.size());
  {
    auto conv = std::make_unique<TacSkinConvertor>();
    conv->LendPackedData(&lent);
    ExtractPackedData(conv);
    EXPECT_EQ(StreamText(*conv->Options), "o");
    conv->ReleasePackedData();
    EXPECT_EQ(conv->PackedData, nullptr);
  }
  EXPECT_EQ(StreamText(lent), data);
  // A failing read with a lent stream leaves it alone as well.
  TMemoryStream bad;
  bad.LoadFromBytes("XXXX", 4);
  auto conv = std::make_unique<TacSkinConvertor>();
  conv->LendPackedData(&bad);
  EXPECT_THROW(ExtractPackedData(conv), ESkinError);
  EXPECT_EQ(StreamText(bad), "XXXX");
}

TEST(UnpackFile, MissingFileLeavesConvertorAsItWas) {
  std::unique_ptr<TacSkinConvertor> none;
  UnpackSkinFile("no-such-skin.asz", none, true);
  EXPECT_FALSE(none);
  auto some = std::make_unique<TacSkinConvertor>();
  some->ImageCount = 42;
  TacSkinConvertor* before = some.get();
  UnpackSkinFile("no-such-skin.asz", some, true);
  EXPECT_EQ(some.get(), before);
  EXPECT_EQ(some->ImageCount, 42);
}

TEST(UnpackFile, ReadsTheFileAndFreesPackedDataWhenAsked) {
  TTempDir dir("unpack");
  dir.Write("s.asz", MakePackage({{"Options.dat", "opts"}, {"i.png", "img"}}));
  std::unique_ptr<TacSkinConvertor> conv;
  UnpackSkinFile(dir.Path() + "s.asz", conv, true);
  ASSERT_TRUE(conv);
  EXPECT_EQ(conv->PackedData, nullptr);
  EXPECT_EQ(StreamText(*conv->Options), "opts");

  // An existing convertor is cleared and reused; without the flag the bytes stay.
  TacSkinConvertor* before = conv.get();
  UnpackSkinFile(dir.Path() + "s.asz", conv, false);
  EXPECT_EQ(conv.get(), before);
  ASSERT_NE(conv->PackedData, nullptr);
  EXPECT_EQ(conv->PackedData->Size(), int64_t(dir.Read("s.asz").size()));
  EXPECT_EQ(conv->Files.size(), 1u);
}

TEST(UnpackFile, BadFileLeavesNilAndRaises) {
  TTempDir dir("unpack-bad");
  dir.Write("bad.asz", "not a skin");
  auto conv = std::make_unique<TacSkinConvertor>();
  EXPECT_THROW(UnpackSkinFile(dir.Path() + "bad.asz", conv, true), ESkinError);
  EXPECT_FALSE(conv);
}

}  // namespace

TEST(SkinPaths, FileNamesMatchWithoutRegardToCase) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "qn_skin_paths";
  fs::remove_all(dir);
  fs::create_directories(dir);
  { std::ofstream(dir / "Master copy.bmp") << "x"; }
  const String folder = dir.string() + "/";
  const String found = NativeSkinPath(folder + "MASTER COPY.BMP");
  EXPECT_TRUE(FileExists(found)) << found;
#ifndef _WIN32
  // Windows' file system already ignores case; elsewhere the real spelling is found.
  EXPECT_EQ(ExtractFileName(found), "Master copy.bmp");
#endif
  // Names that exist as written, or nowhere, come back unchanged.
  EXPECT_EQ(NativeSkinPath(folder + "Master copy.bmp"), folder + "Master copy.bmp");
  EXPECT_EQ(NativeSkinPath(folder + "NONE.BMP"), folder + "NONE.BMP");
  fs::remove_all(dir);
}
