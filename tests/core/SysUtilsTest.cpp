#include "framework/core/SysUtils.h"

#include <gtest/gtest.h>

TEST(IntegerText, AcceptsDecimalWithSignAndLeadingBlanks) {
  int v = 0;
  EXPECT_TRUE(TryStrToInt("42", v));
  EXPECT_EQ(42, v);
  EXPECT_TRUE(TryStrToInt("  -17", v));
  EXPECT_EQ(-17, v);
  EXPECT_TRUE(TryStrToInt("+5", v));
  EXPECT_EQ(5, v);
}

TEST(IntegerText, DollarAndZeroXIntroduceHexadecimal) {
  int v = 0;
  EXPECT_TRUE(TryStrToInt("$ff", v));
  EXPECT_EQ(255, v);
  EXPECT_TRUE(TryStrToInt("0x1A", v));
  EXPECT_EQ(26, v);
  EXPECT_TRUE(TryStrToInt("0X10", v));
  EXPECT_EQ(16, v);
  // All 32 bits of a hexadecimal value are kept as a pattern.
  EXPECT_TRUE(TryStrToInt("$FFFFFFFF", v));
  EXPECT_EQ(-1, v);
}

TEST(IntegerText, RejectsEverythingElse) {
  int v = 99;
  for (const char* bad : {"", " ", "12a", "1.5", "abc", "$", "0x", "--1", "1 2", "$G0", "2147483648", "-2147483649",
                          "$100000000", "99999999999999999999999"})
    EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
  EXPECT_EQ(99, v);
  EXPECT_EQ(7, StrToIntDef("seven", 7));
  EXPECT_EQ(-2147483647 - 1, StrToIntDef("-2147483648", 0));
  EXPECT_THROW(StrToInt("x"), EConvertError);
}

TEST(IntegerText, SixtyFourBitLimits) {
  int64_t v = 0;
  EXPECT_TRUE(TryStrToInt64("9223372036854775807", v));
  EXPECT_EQ(INT64_MAX, v);
  EXPECT_TRUE(TryStrToInt64("-9223372036854775808", v));
  EXPECT_EQ(INT64_MIN, v);
  EXPECT_FALSE(TryStrToInt64("9223372036854775808", v));
}

TEST(RealText, DotIsTheSeparatorWhateverTheLocale) {
  double d = 0;
  EXPECT_TRUE(TryStrToFloatDot("8.12", d));
  EXPECT_DOUBLE_EQ(8.12, d);
  EXPECT_TRUE(TryStrToFloatDot(" 7 ", d));
  EXPECT_DOUBLE_EQ(7.0, d);
  EXPECT_FALSE(TryStrToFloatDot("8,12", d));
  EXPECT_FALSE(TryStrToFloatDot("", d));
}

TEST(Text, HexCaseAndTrim) {
  EXPECT_EQ("00FF", IntToHex(255, 4));
  EXPECT_EQ("ABCDEF12", IntToHex(0xABCDEF12, 2));
  EXPECT_EQ("0", IntToHex(0, 0));
  EXPECT_EQ("MASTER COPY.BMP", UpperCase("Master copy.bmp"));
  EXPECT_EQ("options.dat", LowerCase("OPTIONS.DAT"));
  EXPECT_TRUE(SameText("Options.dat", "OPTIONS.DAT"));
  EXPECT_FALSE(SameText("Options.dat", "Options.da"));
  EXPECT_EQ("a b", Trim("\t a b \r\n"));
  EXPECT_EQ("a ", TrimLeft("  a "));
  EXPECT_EQ("  a", TrimRight("  a \x01"));
  EXPECT_EQ("x=5", Format("%s=%d", "x", 5));
}

TEST(Paths, SplitOnBothSeparators) {
  EXPECT_EQ("settings.ini", ExtractFileName("C:\\Tools\\settings.ini"));
  EXPECT_EQ("C:\\Tools\\", ExtractFilePath("C:\\Tools\\settings.ini"));
  EXPECT_EQ("/tmp/a/", ExtractFilePath("/tmp/a/b.png"));
  EXPECT_EQ(".png", ExtractFileExt("/tmp/a.b/c.png"));
  EXPECT_EQ("", ExtractFileExt("/tmp/a.b/c"));
  EXPECT_EQ("skin.zip", ChangeFileExt("skin.asz", ".zip"));
  EXPECT_EQ("x", ExtractFileName("C:x"));
}

TEST(Utf, RoundTripsAndReplacesInvalidBytes) {
  const String text = "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xA8";
  std::u16string u = Utf8ToUtf16(text);
  EXPECT_EQ(size_t(9), u.size());
  EXPECT_EQ(text, Utf16ToUtf8(u));
  EXPECT_EQ(u"a\uFFFDb", Utf8ToUtf16("a\xFF" "b"));
  EXPECT_EQ(u"\uFFFD\uFFFD", Utf8ToUtf16("\xC0\x80"));  // overlong NUL: two bad bytes
  EXPECT_EQ("\xEF\xBF\xBD", Utf16ToUtf8(std::u16string(1, char16_t(0xD800))));
}
