// The options dialect: lines, sections, keys, numbers, Booleans, inheritance.
#include "skin/acSkinColors.h"
#include "skin/acSkinOptions.h"

#include <gtest/gtest.h>

namespace {

TacSkinOptions Parse(const String& text) {
  TacSkinOptions o;
  o.SetText(text);
  return o;
}

TEST(OptionsLines, TrimmingCommentsAndLinesBeforeTheFirstSection) {
  const auto o = Parse("K=before\n  ; comment\n\t[ A ]  \r\n  KEY  =  value with spaces  \n;X=1\n\nY=2");
  ASSERT_EQ(o.SectionNames(), std::vector<String>{"A"});
  EXPECT_EQ(o.ReadString("A", "KEY", "d"), "value with spaces");
  EXPECT_EQ(o.ReadString("A", "X", "d"), "d");
  EXPECT_EQ(o.ReadString("A", "Y", "d"), "2");
  EXPECT_EQ(o.ReadString("A", "K", "d"), "d");
}

TEST(OptionsLines, SectionNeedsBracketsAtBothEnds) {
  const auto o = Parse("[A]\n[B\nK=1\nC]\n[]\nE=5\n");
  EXPECT_EQ(o.SectionNames(), (std::vector<String>{"A", ""}));
  EXPECT_EQ(o.ReadString("A", "K", "d"), "1");
  EXPECT_EQ(o.ReadString("", "E", "d"), "5");
}

TEST(OptionsLines, LineEndingsOfAnyKindAndAByteOrderMark) {
  const auto o = Parse("\xEF\xBB\xBF[A]\rK=1\r\nL=2\nM=3");
  EXPECT_EQ(o.SectionNames(), std::vector<String>{"A"});
  EXPECT_EQ(o.ReadString("A", "K", ""), "1");
  EXPECT_EQ(o.ReadString("A", "L", ""), "2");
  EXPECT_EQ(o.ReadString("A", "M", ""), "3");
}

TEST(OptionsLines, NamesAreCaseSensitive) {
  const auto o = Parse("[EDIT]\nCOLOR=1\n[edit]\nCOLOR=2\n");
  EXPECT_EQ(o.ReadString("EDIT", "COLOR", ""), "1");
  EXPECT_EQ(o.ReadString("edit", "COLOR", ""), "2");
  EXPECT_EQ(o.ReadString("Edit", "COLOR", "none"), "none");
  EXPECT_EQ(o.ReadString("EDIT", "color", "none"), "none");
}

TEST(OptionsLines, FirstSectionAndFirstKeyWin) {
  const auto o = Parse("[A]\nK=1\nK=2\n[B]\nK=b\n[A]\nK=3\nL=4\n");
  EXPECT_EQ(o.ReadString("A", "K", ""), "1");
  // The repeated section is unreachable by lookups, so it adds no name.
  EXPECT_EQ(o.ReadString("A", "L", "absent"), "absent");
  EXPECT_EQ(o.SectionNames(), (std::vector<String>{"A", "B"}));
  EXPECT_EQ(o.KeyNames("A"), std::vector<String>{"K"});
}

TEST(OptionsLines, ValuesSplitAtTheFirstEqualsSign) {
  const auto o = Parse("[A]\nK=a=b\nNOEQUALS\nEMPTY=\n=nokey\n");
  EXPECT_EQ(o.ReadString("A", "K", ""), "a=b");
  EXPECT_EQ(o.ReadString("A", "NOEQUALS", "d"), "d");
  EXPECT_TRUE(o.ValueExists("A", "EMPTY"));
  EXPECT_EQ(o.ReadString("A", "EMPTY", "d"), "");
  EXPECT_EQ(o.ReadString("A", "", "d"), "nokey");
  EXPECT_EQ(o.KeyNames("A"), (std::vector<String>{"K", "EMPTY", ""}));
}

TEST(OptionsLines, UntrimmedModeKeepsBlanks) {
  TacSkinOptions o(false);
  o.SetText("[A]\n K = v \n[ B ]\n;c=1\n");
  EXPECT_EQ(o.ReadString("A", " K ", ""), " v ");
  EXPECT_EQ(o.SectionNames(), (std::vector<String>{"A", " B "}));
}

TEST(OptionsIntegers, DecimalHexAndDefaults) {
  const auto o = Parse(
      "[A]\nD=16777215\nN=-5\nP=+7\nH1=0x10\nH2=0XfF\nH3=$1F\nX1=0x\nX2=12a\nX3=\nX4=$\nX5=- 5\nX6=1.5\n"
      "BIG=2147483648\nMIN=-2147483648\nHEXWRAP=$FFFFFFFF\nHEXBIG=$100000000\nNEGHEX=-$10\nSPACE=5 \n");
  EXPECT_EQ(o.ReadInteger("A", "D", 0), 16777215);
  EXPECT_EQ(o.ReadInteger("A", "N", 0), -5);
  EXPECT_EQ(o.ReadInteger("A", "P", 0), 7);
  EXPECT_EQ(o.ReadInteger("A", "H1", 0), 16);
  EXPECT_EQ(o.ReadInteger("A", "H2", 0), 255);
  EXPECT_EQ(o.ReadInteger("A", "H3", 0), 31);
  for (const char* bad : {"X1", "X2", "X3", "X4", "X5", "X6", "BIG", "HEXBIG", "NEGHEX", "MISSING"})
    EXPECT_EQ(o.ReadInteger("A", bad, 99), 99) << bad;
  EXPECT_EQ(o.ReadInteger("A", "MIN", 0), -2147483647 - 1);
  EXPECT_EQ(o.ReadInteger("A", "HEXWRAP", 0), -1);
  EXPECT_EQ(o.ReadInteger("A", "SPACE", 0), 5);  // trimmed on reading
}

TEST(OptionsIntegers, TryReadSkinIntRejectsBlanks) {
  int v = 0;
  EXPECT_FALSE(TryReadSkinInt(" 5", v));
  EXPECT_FALSE(TryReadSkinInt("5 ", v));
  EXPECT_FALSE(TryReadSkinInt("0x", v));
  EXPECT_TRUE(TryReadSkinInt("0x0", v));
  EXPECT_EQ(v, 0);
  EXPECT_TRUE(TryReadSkinInt("00012", v));
  EXPECT_EQ(v, 12);
}

TEST(OptionsBooleans, OnlyOneAndTrueInAnyCaseAreTrue) {
  const auto o = Parse("[A]\nA=1\nB=TRUE\nC=true\nD=True\nE=0\nF=yes\nG=2\nH=\nI=01\n");
  for (const char* k : {"A", "B", "C", "D"}) EXPECT_TRUE(o.ReadBool("A", k, false)) << k;
  for (const char* k : {"E", "F", "G", "H", "I"}) EXPECT_FALSE(o.ReadBool("A", k, true)) << k;
  EXPECT_TRUE(o.ReadBool("A", "MISSING", true));
}

TEST(OptionsFloats, DotIsTheSeparatorWhateverTheLocale) {
  const auto o = Parse("[GLOBALINFO]\nVERSION=8.12\nCOMMA=8,12\nINT=7\nBAD=abc\n");
  EXPECT_DOUBLE_EQ(o.ReadFloat("GLOBALINFO", "VERSION", 0), 8.12);
  EXPECT_DOUBLE_EQ(o.ReadFloat("GLOBALINFO", "INT", 0), 7.0);
  EXPECT_DOUBLE_EQ(o.ReadFloat("GLOBALINFO", "COMMA", -1), -1);
  EXPECT_DOUBLE_EQ(o.ReadFloat("GLOBALINFO", "BAD", -1), -1);
  EXPECT_DOUBLE_EQ(o.ReadFloat("GLOBALINFO", "NONE", 3.5), 3.5);
}

TEST(OptionsInheritance, StringsFollowTheParentChain) {
  const auto o = Parse(
      "[BUTTON]\nGRADIENTDATA=g\n[MID]\nPARENTCLASS=BUTTON\n[LEAF]\nPARENTCLASS=MID\n[OWN]\nPARENTCLASS=BUTTON\n"
      "GRADIENTDATA=own\n[Q]\nGRADIENTDATA=?\nPARENTCLASS=BUTTON\n");
  EXPECT_EQ(o.ReadInheritedString("LEAF", "GRADIENTDATA", "d"), "g");
  EXPECT_EQ(o.ReadInheritedString("OWN", "GRADIENTDATA", "d"), "own");
  EXPECT_EQ(o.ReadInheritedString("LEAF", "NONE", "d"), "d");
  EXPECT_EQ(o.ReadInheritedString("MISSINGSECTION", "GRADIENTDATA", "d"), "d");
  // "?" is the sentinel: a stored "?" counts as absent.
  EXPECT_EQ(o.ReadInheritedString("Q", "GRADIENTDATA", "d"), "g");
}

TEST(OptionsInheritance, ChainsEndAtSelfEmptyMissingParentsAndLoops) {
  const auto o = Parse(
      "[SELF]\nPARENTCLASS=SELF\n[EMPTY]\nPARENTCLASS=\n[DANGLING]\nPARENTCLASS=NOWHERE\n"
      "[A]\nPARENTCLASS=B\n[B]\nPARENTCLASS=C\n[C]\nPARENTCLASS=A\n");
  for (const char* s : {"SELF", "EMPTY", "DANGLING", "A", "B", "C"}) {
    EXPECT_EQ(o.ReadInheritedString(s, "COLOR", "d"), "d") << s;
    EXPECT_EQ(o.ReadInheritedInteger(s, "COLOR", 77), 77) << s;
  }
}

TEST(OptionsInheritance, VeryLongChainsStop) {
  String text;
  for (int i = 0; i < 200; ++i) text += Format("[S%d]\nPARENTCLASS=S%d\n", i, i + 1);
  text += "[S200]\nCOLOR=5\n";
  const auto o = Parse(text);
  EXPECT_EQ(o.ReadInheritedInteger("S190", "COLOR", -7), 5);
  EXPECT_EQ(o.ReadInheritedInteger("S0", "COLOR", -7), -7);
}

TEST(OptionsInheritance, MinusOneCountsAsAbsentAndParentValuesBecomeRGB) {
  const auto o = Parse(
      "[P]\nCOLOR=-2147483633\nHOT=255\nNEG=-1\n[C]\nPARENTCLASS=P\nNEG=-1\nOWNSYS=-2147483633\nBAD=zz\n");
  // -2147483633 is 0x8000000F, the system colour 15 (button face).
  EXPECT_EQ(o.ReadInheritedInteger("C", "COLOR", 0), int(SysColor(15)));
  EXPECT_EQ(o.ReadInheritedInteger("C", "OWNSYS", 0), -2147483633);  // own values stay as they are
  EXPECT_EQ(o.ReadInheritedInteger("C", "HOT", 0), 255);
  EXPECT_EQ(o.ReadInheritedInteger("C", "NEG", 42), 42);
  EXPECT_EQ(o.ReadInheritedInteger("C", "BAD", 42), 42);
}

TEST(OptionsInheritance, BooleansUseTheTextDefault) {
  const auto o = Parse("[P]\nFADINGENABLED=1\n[C]\nPARENTCLASS=P\n");
  EXPECT_TRUE(o.ReadInheritedBool("C", "FADINGENABLED", "0"));
  EXPECT_FALSE(o.ReadInheritedBool("C", "GIVEOWNFONT", "0"));
  EXPECT_TRUE(o.ReadInheritedBool("C", "GIVEOWNFONT", "TRUE"));
}

TEST(OptionsLoading, FromStringsAndStreams) {
  TStringList lines;
  lines.Add("[X]");
  lines.Add("K = v");
  TacSkinOptions o;
  o.LoadFromStrings(lines);
  EXPECT_EQ(o.ReadString("X", "K", ""), "v");
  TMemoryStream s;
  s.LoadFromBytes("[Y]\nA=1", 7);
  s.SetPosition(5);
  o.LoadFromStream(s);  // always from the start
  EXPECT_EQ(o.ReadInteger("Y", "A", 0), 1);
  EXPECT_FALSE(o.SectionExists("X"));
}

}  // namespace
