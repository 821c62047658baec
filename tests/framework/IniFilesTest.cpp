#include "TestSupport.h"
#include "framework/IniFiles.h"

#include <fstream>

namespace {

class IniFile : public ::testing::Test {
protected:
  void SetUp() override {
    FPath = TempPath("settings.ini");
    std::ofstream out(FPath, std::ios::binary);
    out << "[POS]\r\nX=12\r\nY=0x1F\r\nZ=$20\r\nW=12abc\r\nV=\r\nU=-5\r\nT=0X10\r\nS=99999999999\r\n"
           "R= 7\r\n[SYS]\r\nAUTOCLOSE=1\r\nOFF=0\r\nTWO=2\r\nWORD=yes\r\n";
  }
  void TearDown() override { DeleteFileW(ToWide(FPath).c_str()); }
  String FPath;
};

}  // namespace

TEST_F(IniFile, IntegersAreDecimalOrHexAfterPrefixElseTheDefault) {
  TIniFile ini(FPath);
  EXPECT_EQ(ini.ReadInteger("POS", "X", -1), 12);
  EXPECT_EQ(ini.ReadInteger("POS", "Y", -1), 0x1F);
  EXPECT_EQ(ini.ReadInteger("POS", "Z", -1), 0x20);
  EXPECT_EQ(ini.ReadInteger("POS", "W", -1), -1);
  EXPECT_EQ(ini.ReadInteger("POS", "V", -1), -1);
  EXPECT_EQ(ini.ReadInteger("POS", "U", -1), -5);
  EXPECT_EQ(ini.ReadInteger("POS", "T", -1), 16);
  EXPECT_EQ(ini.ReadInteger("POS", "S", -1), -1);  // out of range
  EXPECT_EQ(ini.ReadInteger("POS", "R", -1), 7);   // the profile reader trims blanks
  EXPECT_EQ(ini.ReadInteger("POS", "missing", 77), 77);
  EXPECT_EQ(ini.ReadInteger("nosection", "X", 78), 78);
}

TEST_F(IniFile, BooleansAreIntegers) {
  TIniFile ini(FPath);
  EXPECT_TRUE(ini.ReadBool("SYS", "AUTOCLOSE", false));
  EXPECT_FALSE(ini.ReadBool("SYS", "OFF", true));
  EXPECT_TRUE(ini.ReadBool("SYS", "TWO", false));
  EXPECT_FALSE(ini.ReadBool("SYS", "WORD", false));
  EXPECT_TRUE(ini.ReadBool("SYS", "WORD", true));
  EXPECT_FALSE(ini.ReadBool("SYS", "missing", false));
}

TEST_F(IniFile, WritesReadBackInTheirTextForm) {
  TIniFile ini(FPath);
  ini.WriteInteger("POS", "X", -42);
  ini.WriteBool("SYS", "AUTOCLOSE", false);
  ini.WriteBool("SYS", "NEW", true);
  ini.WriteString("Names", "Key", "Grün #3C3D3D");
  EXPECT_EQ(ini.ReadString("POS", "X", ""), "-42");
  EXPECT_EQ(ini.ReadString("SYS", "AUTOCLOSE", ""), "0");
  EXPECT_EQ(ini.ReadString("SYS", "NEW", ""), "1");
  EXPECT_EQ(ini.ReadString("Names", "Key", ""), "Grün #3C3D3D");
  EXPECT_EQ(ini.ReadString("Names", "none", "dflt"), "dflt");
}

TEST_F(IniFile, FirstWriteCreatesTheFile) {
  String path = TempPath("fresh.ini");
  {
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("POS", "X", 5), 5);
    EXPECT_FALSE(FileExists(path));
    ini.WriteInteger("POS", "X", 1150);
    ini.WriteInteger("POS", "Y", 899);
    ini.WriteBool("SYS", "AUTOCLOSE", false);
  }
  TStringList lines;
  lines.LoadFromFile(path);
  EXPECT_EQ(lines.Text(), "[POS]\r\nX=1150\r\nY=899\r\n[SYS]\r\nAUTOCLOSE=0\r\n");
  DeleteFileW(ToWide(path).c_str());
}

TEST_F(IniFile, SectionsAndKeys) {
  TIniFile ini(FPath);
  TStringList list;
  ini.ReadSections(&list);
  EXPECT_EQ(list.Text(), "POS\r\nSYS\r\n");
  ini.ReadSection("SYS", &list);
  EXPECT_EQ(list.Text(), "AUTOCLOSE\r\nOFF\r\nTWO\r\nWORD\r\n");
  EXPECT_TRUE(ini.SectionExists("POS"));
  EXPECT_FALSE(ini.SectionExists("NONE"));
  EXPECT_TRUE(ini.ValueExists("SYS", "OFF"));
  ini.DeleteKey("SYS", "OFF");
  EXPECT_FALSE(ini.ValueExists("SYS", "OFF"));
  ini.EraseSection("POS");
  EXPECT_FALSE(ini.SectionExists("POS"));
}

TEST(IniFileErrors, AnUnwritableFileRaisesTheWriteError) {
  String path = TempPath("no_such_dir") + "\\settings.ini";
  TIniFile ini(path);
  try {
    ini.WriteInteger("POS", "X", 1);
    FAIL() << "no exception";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + path);
  }
  EXPECT_THROW(ini.WriteBool("SYS", "AUTOCLOSE", true), EIniFileException);
  EXPECT_THROW(ini.WriteString("A", "B", "C"), EIniFileException);
  // Reading from it is no error: every key has its default.
  EXPECT_EQ(ini.ReadInteger("POS", "X", 3), 3);
}
