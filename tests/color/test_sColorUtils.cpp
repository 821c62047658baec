// Colour code, hexadecimal text and hue/saturation/brightness conversions.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "colordialog/sColorUtils.h"

namespace {

constexpr TColor Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

// ---------------------------------------------------------------- colour code

TEST(HtmlCodeToColor, ReadsRedGreenBluePairs) {
  EXPECT_EQ(HtmlCodeToColor("3C3D3D"), Rgb(60, 61, 61));
  EXPECT_EQ(HtmlCodeToColor("000000"), Rgb(0, 0, 0));
  EXPECT_EQ(HtmlCodeToColor("FFFFFF"), Rgb(255, 255, 255));
  EXPECT_EQ(HtmlCodeToColor("FF0000"), Rgb(255, 0, 0));
  EXPECT_EQ(HtmlCodeToColor("0000FF"), Rgb(0, 0, 255));
}

TEST(HtmlCodeToColor, AcceptsLowerAndMixedCase) {
  EXPECT_EQ(HtmlCodeToColor("00ff80"), Rgb(0, 255, 128));
  EXPECT_EQ(HtmlCodeToColor("aBcDeF"), Rgb(0xAB, 0xCD, 0xEF));
}

TEST(HtmlCodeToColor, SingleDigitLastPairIsItsOwnValue) {
  EXPECT_EQ(HtmlCodeToColor("12345"), Rgb(0x12, 0x34, 0x05));
  EXPECT_EQ(HtmlCodeToColor("00000F"), Rgb(0, 0, 0x0F));
}

TEST(HtmlCodeToColor, IgnoresEverythingAfterTheSixthCharacter) {
  EXPECT_EQ(HtmlCodeToColor("FF00001234"), Rgb(255, 0, 0));
  EXPECT_EQ(HtmlCodeToColor("234567"), Rgb(0x23, 0x45, 0x67));  // "1234567" minus its first char
  EXPECT_EQ(HtmlCodeToColor("123456 trailing junk !"), Rgb(0x12, 0x34, 0x56));
}

TEST(HtmlCodeToColor, FailsOnEmptyOrShortPairs) {
  EXPECT_THROW(HtmlCodeToColor(""), EConvertError);
  EXPECT_THROW(HtmlCodeToColor("F"), EConvertError);
  EXPECT_THROW(HtmlCodeToColor("FF"), EConvertError);
  EXPECT_THROW(HtmlCodeToColor("FFF"), EConvertError);  // CSS short form is not accepted
  EXPECT_THROW(HtmlCodeToColor("1234"), EConvertError);
}

TEST(HtmlCodeToColor, FailsOnNonHexCharactersInAnyPair) {
  EXPECT_THROW(HtmlCodeToColor("GG0000"), EConvertError);
  EXPECT_THROW(HtmlCodeToColor("00GG00"), EConvertError);
  EXPECT_THROW(HtmlCodeToColor("0000GG"), EConvertError);
  EXPECT_THROW(HtmlCodeToColor("0000F "), EConvertError);
  EXPECT_THROW(HtmlCodeToColor(" 00000"), EConvertError);
  EXPECT_THROW(HtmlCodeToColor("+10000"), EConvertError);
  EXPECT_THROW(HtmlCodeToColor("-10000"), EConvertError);
  EXPECT_THROW(HtmlCodeToColor("0x0000"), EConvertError);
  EXPECT_THROW(HtmlCodeToColor("$F0000"), EConvertError);
  EXPECT_THROW(HtmlCodeToColor("00\xC3\xA9" "00"), EConvertError);  // UTF-8 e-acute
  EXPECT_THROW(HtmlCodeToColor(String("00\0" "000", 6)), EConvertError);
}

TEST(HtmlCodeToColor, ErrorMessageNamesTheBadPair) {
  try {
    HtmlCodeToColor("00GG00");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_NE(e.Message().find("GG"), String::npos) << e.Message();
  }
}

TEST(ColorToHtmlCode, WritesSixUpperCaseDigitsRedFirst) {
  EXPECT_EQ(ColorToHtmlCode(Rgb(60, 61, 61)), "3C3D3D");
  EXPECT_EQ(ColorToHtmlCode(Rgb(0, 255, 128)), "00FF80");
  EXPECT_EQ(ColorToHtmlCode(0), "000000");
  EXPECT_EQ(ColorToHtmlCode(Rgb(255, 255, 255)), "FFFFFF");
  EXPECT_EQ(ColorToHtmlCode(Rgb(0xAB, 0x0C, 0xD0)), "AB0CD0");
}

TEST(ColorToHtmlCode, IgnoresTheTopByte) {
  EXPECT_EQ(ColorToHtmlCode(0xFF3D3D3Cu), "3C3D3D");
  EXPECT_EQ(ColorToHtmlCode(0x1FFFFFFFu), "FFFFFF");
}

TEST(ColorToHtmlCode, RoundTripsThroughHtmlCodeToColor) {
  for (uint32_t c = 0; c < 0x1000000; c += 0x010307)
    ASSERT_EQ(HtmlCodeToColor(ColorToHtmlCode(c)), c) << std::hex << c;
  ASSERT_EQ(HtmlCodeToColor(ColorToHtmlCode(0xFFFFFF)), 0xFFFFFFu);
}

// --------------------------------------------------------- hexadecimal reader

TEST(HexTextToInt, ReadsDigitsInEitherCase) {
  EXPECT_EQ(HexTextToInt("80ff"), 0x80FF);
  EXPECT_EQ(HexTextToInt("80FF"), 0x80FF);
  EXPECT_EQ(HexTextToInt("0"), 0);
  EXPECT_EQ(HexTextToInt("00000A"), 10);
  EXPECT_EQ(HexTextToInt("123456789abcdef"), 0x123456789ABCDEFll);
}

TEST(HexTextToInt, DropsOneTrailingH) {
  EXPECT_EQ(HexTextToInt("FFh"), 255);
  EXPECT_EQ(HexTextToInt("FFH"), 255);
  EXPECT_EQ(HexTextToInt("12h"), 0x12);
  EXPECT_EQ(HexTextToInt("H"), 0);
  EXPECT_EQ(HexTextToInt("h"), 0);
  EXPECT_EQ(HexTextToInt("FFHH"), 0);  // only the last H goes; the other is not a digit
}

TEST(HexTextToInt, EmptyTextIsZero) { EXPECT_EQ(HexTextToInt(""), 0); }

TEST(HexTextToInt, AnyOtherCharacterGivesZero) {
  EXPECT_EQ(HexTextToInt("12 4"), 0);
  EXPECT_EQ(HexTextToInt(" 12"), 0);
  EXPECT_EQ(HexTextToInt("12 "), 0);
  EXPECT_EQ(HexTextToInt("-1"), 0);
  EXPECT_EQ(HexTextToInt("$FF"), 0);
  EXPECT_EQ(HexTextToInt("0xFF"), 0);
  EXPECT_EQ(HexTextToInt("FG"), 0);
  EXPECT_EQ(HexTextToInt("\xC3\xA9"), 0);
}

TEST(HexTextToInt, LongInputWrapsAtSixtyFourBits) {
  EXPECT_EQ(HexTextToInt("FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(HexTextToInt("8000000000000000"), std::numeric_limits<int64_t>::min());
  // The seventeenth digit shifts the first one out.
  EXPECT_EQ(HexTextToInt("10000000000000001"), 1);
  EXPECT_EQ(HexTextToInt(String(1000, 'F')), -1);
}

TEST(SwapRedBlue, ExchangesBytesZeroAndTwo) {
  EXPECT_EQ(SwapRedBlue(0x123456u), 0x563412u);
  EXPECT_EQ(SwapRedBlue(0xFFu), 0xFF0000u);
  EXPECT_EQ(SwapRedBlue(0xFF0000u), 0xFFu);
  EXPECT_EQ(SwapRedBlue(0x00FF00u), 0x00FF00u);
  EXPECT_EQ(SwapRedBlue(0u), 0u);
}

TEST(SwapRedBlue, IsItsOwnInverseAndKeepsTheTopByte) {
  for (uint32_t x = 0; x < 0x1000000; x += 0x010101 * 7 + 3) ASSERT_EQ(SwapRedBlue(SwapRedBlue(x)), x);
  EXPECT_EQ(SwapRedBlue(0xAB123456u), 0xAB563412u);
}

// ------------------------------------------------------ dialog text and words

TEST(ColorToHexText, WritesRedFirstWithAtLeastSixDigits) {
  EXPECT_EQ(ColorToHexText(Rgb(255, 0, 0)), "FF0000");
  EXPECT_EQ(ColorToHexText(Rgb(0, 0, 255)), "0000FF");
  EXPECT_EQ(ColorToHexText(Rgb(0x12, 0x34, 0x56)), "123456");
  EXPECT_EQ(ColorToHexText(0), "000000");
  EXPECT_EQ(ColorToHexText(Rgb(0, 0, 1)), "000001");
  EXPECT_EQ(ColorToHexText(0x01000000u), "1000000");
}

TEST(HexTextToColor, ReadsAPartlyTypedValueRightAligned) {
  EXPECT_EQ(HexTextToColor("FF"), Rgb(0, 0, 255));
  EXPECT_EQ(HexTextToColor("FF00"), Rgb(0, 255, 0));
  EXPECT_EQ(HexTextToColor("FF0000"), Rgb(255, 0, 0));
  EXPECT_EQ(HexTextToColor("ffh"), Rgb(0, 0, 255));
}

TEST(HexTextToColor, UsesOnlyTheFirstSpaceSeparatedWord) {
  EXPECT_EQ(HexTextToColor("FF0000 00FF00"), Rgb(255, 0, 0));
  EXPECT_EQ(HexTextToColor("  00FF00 junk"), Rgb(0, 255, 0));
  EXPECT_EQ(HexTextToColor("FF00 00"), Rgb(0, 255, 0));
}

TEST(HexTextToColor, EmptyOrUnreadableTextIsBlack) {
  EXPECT_EQ(HexTextToColor(""), 0u);
  EXPECT_EQ(HexTextToColor("   "), 0u);
  EXPECT_EQ(HexTextToColor("ZZ"), 0u);
  EXPECT_EQ(HexTextToColor("FF\t00"), 0u);  // tab is no word separator here
}

TEST(HexTextToColor, DropsDigitsBeyondSixSoTheResultIsPlainRgb) {
  EXPECT_EQ(HexTextToColor("1FFFFFF"), Rgb(255, 255, 255));
  EXPECT_EQ(HexTextToColor("AB123456"), Rgb(0x12, 0x34, 0x56));
  EXPECT_EQ(HexTextToColor(String(40, 'F')) & 0xFF000000u, 0u);
}

TEST(HexTextToColor, RoundTripsWithColorToHexText) {
  for (uint32_t c = 0; c < 0x1000000; c += 0x020305) ASSERT_EQ(HexTextToColor(ColorToHexText(c)), c);
}

TEST(PaletteWordToColor, ReadsRedFirstWords) {
  EXPECT_EQ(PaletteWordToColor("8080FF"), Rgb(0x80, 0x80, 0xFF));
  EXPECT_EQ(PaletteWordToColor("FF0000"), Rgb(255, 0, 0));
  EXPECT_EQ(PaletteWordToColor("FFFFFF"), Rgb(255, 255, 255));
}

TEST(PaletteWordToColor, SeparatesWordsBySpaceCarriageReturnOrLineFeed) {
  EXPECT_EQ(PaletteWordToColor("FF0000\r\n00FF00"), Rgb(255, 0, 0));
  EXPECT_EQ(PaletteWordToColor("\n00FF00"), Rgb(0, 255, 0));
  EXPECT_EQ(PaletteWordToColor("0000FF\rFF0000"), Rgb(0, 0, 255));
  EXPECT_EQ(PaletteWordToColor("00FF00 comment"), Rgb(0, 255, 0));
}

TEST(PaletteWordToColor, UnreadableWordIsBlack) {
  EXPECT_EQ(PaletteWordToColor(""), 0u);
  EXPECT_EQ(PaletteWordToColor("red"), 0u);
  EXPECT_EQ(PaletteWordToColor("FF0000\t"), 0u);
  EXPECT_EQ(PaletteWordToColor("#FF0000"), 0u);
}

TEST(ColorToDecText, WritesThePlainDecimalValue) {
  EXPECT_EQ(ColorToDecText(Rgb(255, 255, 255)), "16777215");
  EXPECT_EQ(ColorToDecText(0), "0");
  EXPECT_EQ(ColorToDecText(Rgb(0, 0, 255)), "16711680");
}

// ------------------------------------------------------- colour to HSV model

TEST(ColorToHsv, PrimariesAndGreys) {
  THsv red = ColorToHsv(Rgb(255, 0, 0));
  EXPECT_EQ(red.H, 0);
  EXPECT_EQ(red.S, 1.0);
  EXPECT_EQ(red.V, 1.0);
  EXPECT_EQ(ColorToHsv(Rgb(0, 255, 0)).H, 120);
  EXPECT_EQ(ColorToHsv(Rgb(0, 0, 255)).H, 240);
  THsv white = ColorToHsv(Rgb(255, 255, 255));
  EXPECT_EQ(white.H, 0);
  EXPECT_EQ(white.S, 0.0);
  EXPECT_EQ(white.V, 1.0);
  THsv black = ColorToHsv(0);
  EXPECT_EQ(black.H, 0);
  EXPECT_EQ(black.S, 0.0);
  EXPECT_EQ(black.V, 0.0);
  THsv grey = ColorToHsv(Rgb(128, 128, 128));
  EXPECT_EQ(grey.H, 0);
  EXPECT_EQ(grey.S, 0.0);
  EXPECT_DOUBLE_EQ(grey.V, 128.0 / 255.0);
}

TEST(ColorToHsv, SaturationAndValueAreExactRatios) {
  THsv hsv = ColorToHsv(Rgb(128, 64, 0));
  EXPECT_EQ(hsv.H, 30);
  EXPECT_EQ(hsv.S, 1.0);
  EXPECT_EQ(hsv.V, 128.0 / 255.0);
  hsv = ColorToHsv(Rgb(200, 100, 100));
  EXPECT_EQ(hsv.H, 0);
  EXPECT_EQ(hsv.S, 0.5);
  hsv = ColorToHsv(Rgb(10, 30, 20));
  EXPECT_EQ(hsv.H, 150);
  EXPECT_EQ(hsv.S, 20.0 / 30.0);
}

TEST(ColorToHsv, NegativeHueWrapsAndMayRoundTo360) {
  EXPECT_EQ(ColorToHsv(Rgb(255, 0, 1)).H, 360);  // -0.235 -> 359.76
  EXPECT_EQ(ColorToHsv(Rgb(255, 0, 255)).H, 300);
  EXPECT_EQ(ColorToHsv(Rgb(255, 0, 128)).H, 330);  // 329.88
}

TEST(ColorToHsv, TiesForTheLargestChannelTakeTheEarlierBranch) {
  EXPECT_EQ(ColorToHsv(Rgb(255, 255, 0)).H, 60);   // red branch, not 120 - 60
  EXPECT_EQ(ColorToHsv(Rgb(0, 255, 255)).H, 180);  // green branch
  EXPECT_EQ(ColorToHsv(Rgb(255, 0, 255)).H, 300);  // red branch: -60 + 360
}

TEST(ColorToHsv, HueRoundsHalfToEven) {
  // delta 120: h = 60 * g / 120 = g / 2
  EXPECT_EQ(ColorToHsv(Rgb(120, 1, 0)).H, 0);  // 0.5
  EXPECT_EQ(ColorToHsv(Rgb(120, 3, 0)).H, 2);  // 1.5
  EXPECT_EQ(ColorToHsv(Rgb(120, 5, 0)).H, 2);  // 2.5
  EXPECT_EQ(ColorToHsv(Rgb(120, 7, 0)).H, 4);  // 3.5
}

TEST(ColorToHsv, IgnoresTheTopByte) {
  THsv hsv = ColorToHsv(0xFF0000FFu);
  EXPECT_EQ(hsv.H, 0);
  EXPECT_EQ(hsv.S, 1.0);
  EXPECT_EQ(hsv.V, 1.0);
  EXPECT_EQ(ColorToHsv(0x1FFFFFFFu).S, 0.0);
}

// ------------------------------------------------------- HSV model to colour

TEST(HsvToColor, PureHuesAtTheSectorStarts) {
  EXPECT_EQ(HsvToColor(0, 1, 1), Rgb(255, 0, 0));
  EXPECT_EQ(HsvToColor(60, 1, 1), Rgb(255, 255, 0));
  EXPECT_EQ(HsvToColor(120, 1, 1), Rgb(0, 255, 0));
  EXPECT_EQ(HsvToColor(180, 1, 1), Rgb(0, 255, 255));
  EXPECT_EQ(HsvToColor(240, 1, 1), Rgb(0, 0, 255));
  EXPECT_EQ(HsvToColor(300, 1, 1), Rgb(255, 0, 255));
}

TEST(HsvToColor, Hue360IsTheSameAsZero) {
  EXPECT_EQ(HsvToColor(360, 1, 1), Rgb(255, 0, 0));
  EXPECT_EQ(HsvToColor(360, 1, 1), HsvToColor(0, 1, 1));
  EXPECT_EQ(HsvToColor(360, 0.5, 0.5), HsvToColor(0, 0.5, 0.5));
}

TEST(HsvToColor, ZeroSaturationIsGrey) {
  EXPECT_EQ(HsvToColor(0, 0, 0), Rgb(0, 0, 0));
  EXPECT_EQ(HsvToColor(0, 0, 1), Rgb(255, 255, 255));
  EXPECT_EQ(HsvToColor(200, 0, 0.5), Rgb(128, 128, 128));  // hue is irrelevant
}

TEST(HsvToColor, RoundsHalfToEven) {
  EXPECT_EQ(HsvToColor(0, 0, 0.5), Rgb(128, 128, 128));           // 127.5
  ASSERT_EQ(5.0 / 510.0 * 255.0, 2.5);
  EXPECT_EQ(HsvToColor(0, 0, 5.0 / 510.0), Rgb(2, 2, 2));         // 2.5 -> 2
  EXPECT_EQ(HsvToColor(120, 0.5, 1), Rgb(128, 255, 128));         // p = 127.5
  EXPECT_EQ(HsvToColor(8, 0.5, 1), Rgb(255, 144, 128));           // t = 144.5, p = 127.5
  EXPECT_EQ(HsvToColor(30, 1, 1), Rgb(255, 128, 0));              // t = 127.5
  EXPECT_EQ(HsvToColor(330, 1, 1), Rgb(255, 0, 128));             // q = 127.5
}

TEST(HsvToColor, BrightnessAboveOneClampsNeverWraps) {
  EXPECT_EQ(HsvToColor(0, 0, 1.2), Rgb(255, 255, 255));
  EXPECT_EQ(HsvToColor(0, 1, 1.2), Rgb(255, 0, 0));
  EXPECT_EQ(HsvToColor(120, 1, 1.2), Rgb(0, 255, 0));
  EXPECT_EQ(HsvToColor(0, 0, 1e9), Rgb(255, 255, 255));
}

TEST(HsvToColor, SecondaryValuesUseTheUnclampedBrightness) {
  // v = 306: p and t are 153 from it; only v itself is clamped to 255.
  EXPECT_EQ(HsvToColor(0, 0.5, 1.2), Rgb(255, 153, 153));
  EXPECT_EQ(HsvToColor(240, 0.5, 1.2), Rgb(153, 153, 255));
}

TEST(HsvToColor, OutOfRangeSaturationAndBrightnessClampToZero) {
  EXPECT_EQ(HsvToColor(0, 2, 1), Rgb(255, 0, 0));      // p, t negative
  EXPECT_EQ(HsvToColor(120, -1, 1), Rgb(255, 255, 255));  // p = 510
  EXPECT_EQ(HsvToColor(0, 1, -0.5), Rgb(0, 0, 0));
  EXPECT_EQ(HsvToColor(0, 0, -0.5), Rgb(0, 0, 0));
}

TEST(HsvToColor, HueBeyond360FallsIntoTheLastSector) {
  // 400 / 60 = 6.67: sector 6 takes (v, p, q) with q = 255 * (1 - 0.67)
  EXPECT_EQ(HsvToColor(400, 1, 1), Rgb(255, 0, 85));
  EXPECT_EQ(HsvToColor(420, 1, 1), Rgb(255, 0, 255));
  // Truncation goes toward zero: -30 is sector 0 (t clamps to 0), -90 sector -1.
  EXPECT_EQ(HsvToColor(-30, 1, 1), Rgb(255, 0, 0));
  EXPECT_EQ(HsvToColor(-90, 1, 1), Rgb(255, 0, 255));
}

TEST(HsvToColor, NonFiniteInputGivesADefinedColour) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(HsvToColor(nan, 1, 1), Rgb(255, 0, 0));
  EXPECT_EQ(HsvToColor(0, nan, 1), Rgb(255, 255, 255));
  EXPECT_EQ(HsvToColor(0, 0, nan), Rgb(0, 0, 0));
  EXPECT_EQ(HsvToColor(1e300, 1, 1), Rgb(255, 0, 255));
  EXPECT_EQ(HsvToColor(inf, 1, 1) & 0xFF000000u, 0u);
  EXPECT_EQ(HsvToColor(0, 0, inf), Rgb(255, 255, 255));
  EXPECT_EQ(HsvToColor(0, 0, -inf), Rgb(0, 0, 0));
}

TEST(HsvToColor, TopByteIsAlwaysZero) {
  for (int h = -60; h <= 420; h += 7)
    for (double s = -0.5; s <= 1.5; s += 0.25)
      for (double v = -0.5; v <= 1.5; v += 0.25) ASSERT_EQ(HsvToColor(h, s, v) & 0xFF000000u, 0u);
}

TEST(HsvToColor, ColorToHsvRoundTripIsWithinHueRounding) {
  // H is whole degrees, so a channel may move by up to 255 * 0.5 / 60.
  for (uint32_t c = 0; c < 0x1000000; c += 0x030507) {
    THsv hsv = ColorToHsv(c);
    TColor back = HsvToColor(hsv.H, hsv.S, hsv.V);
    for (int shift = 0; shift < 24; shift += 8) {
      int a = static_cast<int>((c >> shift) & 0xFF), b = static_cast<int>((back >> shift) & 0xFF);
      ASSERT_LE(std::abs(a - b), 3) << std::hex << c << " -> " << back;
    }
  }
}

TEST(HsvToColor, GreysAndPrimariesRoundTripExactly) {
  for (uint32_t g = 0; g < 256; ++g) {
    TColor grey = Rgb(g, g, g);
    THsv hsv = ColorToHsv(grey);
    ASSERT_EQ(HsvToColor(hsv.H, hsv.S, hsv.V), grey);
    TColor red = Rgb(g, 0, 0);
    hsv = ColorToHsv(red);
    ASSERT_EQ(HsvToColor(hsv.H, hsv.S, hsv.V), red);
  }
}

}  // namespace
