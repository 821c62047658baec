// Hue and saturation adjustments, system colours and gradient texts.
#include "skin/acSkinColors.h"
#include "skin/sSkinData.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(HueOffset, HalfTurnMakesRedCyanAndKeepsTheTopByte) {
  EXPECT_EQ(ChangeHue(0x0000FF, 180), 0xFFFF00u);
  EXPECT_EQ(ChangeHue(0x0000FF, -180), 0xFFFF00u);
  EXPECT_EQ(ChangeHue(0x0000FF, 120), 0x00FF00u);  // red -> green
  EXPECT_EQ(ChangeHue(0x0000FF, 240), 0xFF0000u);  // red -> blue
  EXPECT_EQ(ChangeHue(0x0000FF, 360), 0x0000FFu);
  EXPECT_EQ(ChangeHue(0x120000FF, 180), 0x12FFFF00u);
}

TEST(HueOffset, GreysAndZeroOffsetAreUnchanged) {
  for (TColor c : {0x000000u, 0xFFFFFFu, 0x808080u, 0x7F7F7Fu}) EXPECT_EQ(ChangeHue(c, 97), c);
  EXPECT_EQ(ChangeHue(0x123456, 0), 0x123456u);
}

TEST(HueOffset, KeepsSaturationAndValue) {
  // (R 200, G 100, B 50): hue 20, S 0.75, V 200; +100 -> hue 120: (50, 200, 50).
  EXPECT_EQ(ChangeHue(RGBColor(200, 100, 50), 100), RGBColor(50, 200, 50));
  // Fractional hues round half to even: (R 255, G 1, B 0) has hue 0.235.
  EXPECT_EQ(ChangeHue(RGBColor(255, 1, 0), 60), RGBColor(255, 255, 0));
}

// Any int is an offset: INT_MAX is 127 mod 360, INT_MIN 232, -1 is 359.
TEST(HueOffset, ExtremeOffsetsWrapByWholeTurns) {
  struct {
    int Offset;
    TColor Red, Half;  // from red, and from (240, 2, 0) whose hue 0.5 rounds half to even
  } cases[] = {
      {INT_MAX, RGBColor(0, 255, 30), RGBColor(0, 240, 32)},    // 127, 127.5 -> 128
      {INT_MIN, RGBColor(0, 34, 255), RGBColor(0, 32, 240)},    // 232, 232.5 -> 232
      {-1, RGBColor(255, 0, 4), RGBColor(240, 0, 0)},           // 359, 359.5 -> 0
      {INT_MAX - 7, RGBColor(0, 255, 0), RGBColor(0, 240, 0)},  // 120, 120.5 -> 120
      {INT_MIN + 8, RGBColor(0, 0, 255), RGBColor(0, 0, 240)},  // 240
      {360, RGBColor(255, 0, 0), RGBColor(240, 0, 0)},          // not 0, so 0.5 rounds to 0
      {720 + 120, RGBColor(0, 255, 0), RGBColor(0, 240, 0)},
      {-720 - 120, RGBColor(0, 0, 255), RGBColor(0, 0, 240)},   // 240
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChangeHue(RGBColor(255, 0, 0), c.Offset), c.Red) << c.Offset;
    EXPECT_EQ(ChangeHue(0xAB000000 | RGBColor(240, 2, 0), c.Offset), 0xAB000000 | c.Half) << c.Offset;
  }
}

TEST(Saturation, MinusHundredGivesTheRoundedMean) {
  EXPECT_EQ(ChangeSaturation(RGBColor(10, 20, 31), -100), RGBColor(20, 20, 20));    // mean 20.33
  EXPECT_EQ(ChangeSaturation(RGBColor(255, 0, 1), -100), RGBColor(85, 85, 85));     // mean 85.33
  EXPECT_EQ(ChangeSaturation(RGBColor(200, 100, 51), -100), RGBColor(117, 117, 117));
}

TEST(Saturation, PositiveMovesAwayFromTheMeanWithClamping) {
  // mean 100: 150 -> 150 + 50 * 0.5 = 175; 50 -> 25; 100 stays.
  EXPECT_EQ(ChangeSaturation(RGBColor(150, 100, 50), 50), RGBColor(175, 100, 25));
  EXPECT_EQ(ChangeSaturation(RGBColor(250, 100, 0), 100), RGBColor(255, 83, 0));  // mean 116.67
}

TEST(Saturation, TakenModulo101) {
  EXPECT_EQ(NormalizeSaturation(101), 0);
  EXPECT_EQ(NormalizeSaturation(-101), 0);
  EXPECT_EQ(NormalizeSaturation(150), 49);
  EXPECT_EQ(NormalizeSaturation(-150), -49);
  EXPECT_EQ(ChangeSaturation(RGBColor(150, 100, 50), 101), RGBColor(150, 100, 50));
  EXPECT_EQ(ChangeSaturation(0xAB000000 | RGBColor(10, 20, 31), -100), 0xAB000000 | RGBColor(20, 20, 20));
}

TEST(Saturation, ExtremeAmounts) {
  struct {
    int Amount;
    TColor Out;
  } cases[] = {
      {INT_MAX, RGBColor(166, 100, 34)},      // 33: 166.5 and 33.5 round half to even
      {INT_MIN, RGBColor(133, 100, 67)},      // -34
      {INT_MAX - 33, RGBColor(150, 100, 50)},  // 0
      {100, RGBColor(200, 100, 0)},
      {-100, RGBColor(100, 100, 100)},
      {-INT_MAX, RGBColor(134, 100, 66)},     // -33: 133.5 and 66.5
  };
  for (const auto& c : cases) EXPECT_EQ(ChangeSaturation(RGBColor(150, 100, 50), c.Amount), c.Out) << c.Amount;
  EXPECT_EQ(ChangeSaturation(RGBColor(255, 255, 0), 100), RGBColor(255, 255, 0));  // clamped at both ends
  EXPECT_EQ(ChangeSaturation(RGBColor(0, 0, 255), 100), RGBColor(0, 0, 255));
}

TEST(BitmapAdjustments, KeepAlphaAndSkipTransparentFuchsia) {
  TBitmap32 bmp(3, 1);
  bmp.SetPixel(0, 0, 0x80FF0000);  // red, half alpha
  bmp.SetPixel(1, 0, 0x00FF00FF);  // transparent key
  bmp.SetPixel(2, 0, 0xFFFF00FF);  // opaque fuchsia is a colour like any other
  ChangeBitmapHue(bmp, 180);
  EXPECT_EQ(bmp.Pixel(0, 0), 0x8000FFFFu);
  EXPECT_EQ(bmp.Pixel(1, 0), 0x00FF00FFu);
  EXPECT_EQ(bmp.Pixel(2, 0), 0xFF00FF00u);
  ChangeBitmapSaturation(bmp, -100);
  EXPECT_EQ(bmp.Pixel(0, 0), 0x80AAAAAAu);
  EXPECT_EQ(bmp.Pixel(1, 0), 0x00FF00FFu);
}

TEST(BitmapAdjustments, ExtremeOffsetsAndAmountsOnPixels) {
  TBitmap32 bmp(2, 1);
  bmp.SetPixel(0, 0, 0x80FF0000);  // red, half alpha
  bmp.SetPixel(1, 0, 0x00FF00FF);
  ChangeBitmapHue(bmp, INT_MAX);
  EXPECT_EQ(bmp.Pixel(0, 0), 0x8000FF1Eu);
  ChangeBitmapHue(bmp, INT_MIN);  // 127 + 232 = 359
  EXPECT_EQ(bmp.Pixel(0, 0), 0x80FF0004u);
  ChangeBitmapHue(bmp, 360 * 5965232);  // a whole number of turns changes nothing
  EXPECT_EQ(bmp.Pixel(0, 0), 0x80FF0004u);
  ChangeBitmapSaturation(bmp, INT_MIN);  // -34: mean 86.33
  EXPECT_EQ(bmp.Pixel(0, 0), 0x80C61D20u);
  EXPECT_EQ(bmp.Pixel(1, 0), 0x00FF00FFu);
}

TEST(SystemColours, NegativeValuesNameSystemColours) {
  EXPECT_EQ(ColorToRGB(0x12345), 0x12345u);
  EXPECT_EQ(ColorToRGB(0x8000000F), SysColor(15));
  EXPECT_EQ(ColorToRGB(0xFF000005), SysColor(5));
  EXPECT_EQ(ColorToRGB(clNone), clNone);  // top byte set but not negative
}

TEST(SystemColours, PlatformCanReplaceTheStockValues) {
  const TacSkinPlatform saved = SkinPlatform();
  SetSysColorSource([](int index) { return TColor(0x010101 * index) | 0xAB000000; });
  EXPECT_EQ(SysColor(3), 0x030303u);  // top byte dropped
  EXPECT_EQ(ColorToRGB(0xFF000004), 0x040404u);
  EXPECT_EQ(SysColor(31), clBlack);
  SetSysColorSource(nullptr);
  EXPECT_NE(SysColor(3), 0x030303u);
  TacSkinPlatform p;
  p.LayeredWindows = [] { return false; };
  SetSkinPlatform(p);
  EXPECT_FALSE(SkinPlatform().LayeredWindows());
  EXPECT_EQ(SkinPlatform().SizeFrameWidth(), saved.SizeFrameWidth());  // untouched member
  SetSkinPlatform(saved);
}

TEST(GradientText, GroupsOfFiveWithClamping) {
  TsGradArray a;
  ParseGradientData("16777215;16579058;97;0;0;16579058;16579058;0;0;0", a);
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].Color1, 16777215u);
  EXPECT_EQ(a[0].Color2, 16579058u);
  EXPECT_EQ(a[0].Percent, 97);
  EXPECT_EQ(a[0].Mode1, 0);
  EXPECT_EQ(a[0].Mode2, 0);
  EXPECT_EQ(a[1].Percent, 0);
  ParseGradientData("-5;7;150;2;x", a);  // the fifth field is never read
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0].Color1, 0u);
  EXPECT_EQ(a[0].Percent, 100);
  EXPECT_EQ(a[0].Mode1, 2);
  ParseGradientData("1;2;-3;4;5", a);
  EXPECT_EQ(a[0].Percent, 0);
}

TEST(GradientText, IncompleteGroupsAndNonGradientsGiveNothing) {
  TsGradArray a{TsGradPie{}};
  ParseGradientData("N/A", a);
  EXPECT_TRUE(a.empty());
  ParseGradientData("", a);
  EXPECT_TRUE(a.empty());
  ParseGradientData("1;2;3;4;5;6;7;8", a);
  EXPECT_EQ(a.size(), 1u);
  ParseGradientData("1;2;3;4;", a);  // five fields, the last empty
  EXPECT_EQ(a.size(), 1u);
}

TEST(GradientText, MalformedNumberIsAConversionError) {
  TsGradArray a;
  EXPECT_THROW(ParseGradientData("1;2;x;4;5", a), EConvertError);
  EXPECT_THROW(ParseGradientData("1;;3;4;5", a), EConvertError);
}

}  // namespace
