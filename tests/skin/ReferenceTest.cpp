// Image references: forms, fixed columns, word lists, frame geometry, corners
// and the pixel preparation of pictures.
#include "skin/sMaskData.h"

#include <gtest/gtest.h>

namespace {

TEST(ReferenceForms, ChosenByFirstCharacterThenByHash) {
  EXPECT_EQ(ReferenceForm("!GLOWEDIT.PNG!1"), TacRefForm::rfFile);
  EXPECT_EQ(ReferenceForm("@0078@0017@0126@0033@3@0"), TacRefForm::rfGlyph);
  EXPECT_EQ(ReferenceForm("^0015^0000"), TacRefForm::rfBorder);
  EXPECT_EQ(ReferenceForm("~0293~0037"), TacRefForm::rfTexture);
  EXPECT_EQ(ReferenceForm("BORDER (1,2,3,4) (3,1)#"), TacRefForm::rfSharp);
  EXPECT_EQ(ReferenceForm("#"), TacRefForm::rfNone);
  EXPECT_EQ(ReferenceForm("frame.bmp"), TacRefForm::rfBmpName);
  EXPECT_EQ(ReferenceForm("X.JPG"), TacRefForm::rfNone);
  for (const char* v : {"N/A", "16777215", "16777215;0;50;0;0", "", "-1"}) EXPECT_EQ(ReferenceForm(v), TacRefForm::rfNone) << v;
  EXPECT_TRUE(IsJpegReference("tex.jpeg"));
  EXPECT_TRUE(IsJpegReference("TEX.JPG"));
  EXPECT_FALSE(IsJpegReference("TEX.PNG"));
}

TEST(GlyphColumns, InternalSkinCheckBox) {
  TsMaskData md;
  ParseGlyphReference("@0078@0017@0126@0033@3@0", md);
  EXPECT_EQ(md.R, Rect(78, 17, 126, 33));
  EXPECT_EQ(md.ImageCount, 3);
  EXPECT_EQ(md.MaskType, 0);
  EXPECT_EQ(md.ImgType, itisaGlyph);
  EXPECT_EQ(MaskFrameWidth(md), 16);
  EXPECT_EQ(MaskFrameHeight(md), 16);
}

TEST(GlyphColumns, ColumnsAreReadByPositionNotBySeparator) {
  TsMaskData md;
  ParseGlyphReference("@0078x0017y0126z0033w3v1", md);
  EXPECT_EQ(md.R, Rect(78, 17, 126, 33));
  EXPECT_EQ(md.MaskType, 1);
}

TEST(GlyphColumns, MalformedOrMissingColumnsAreConversionErrors) {
  TsMaskData md;
  for (const char* v : {"@78@17@126@33@3@0", "@0078@0017@0126@0033@3@", "@0078@0017@0126@0033@3", "@007a@0017@0126@0033@3@0",
                        "@0078@ 017@0126@0033@3@0", "@0078@-017@0126@0033@3@0", "@"}) {
    EXPECT_THROW(ParseGlyphReference(v, md), EConvertError) << v;
  }
  try {
    ParseGlyphReference("@00x8@0017@0126@0033@3@0", md);
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'00x8' is not a valid integer value");
  }
}

TEST(BorderColumns, InternalSkinEditBorder) {
  TsMaskData md;
  ParseBorderReference("^0015^0000^0025^0005^0001^0001^0001^0001^2^0^1^1", md);
  EXPECT_EQ(md.R, Rect(15, 0, 25, 5));
  EXPECT_EQ(md.WL, 1);
  EXPECT_EQ(md.WT, 1);
  EXPECT_EQ(md.WR, 1);
  EXPECT_EQ(md.WB, 1);
  EXPECT_EQ(md.ImageCount, 2);
  EXPECT_EQ(md.MaskType, 0);
  EXPECT_EQ(md.DrawMode, 1);
  EXPECT_EQ(md.BorderWidth, 1);
  EXPECT_EQ(md.ImgType, itisaBorder);
  EXPECT_EQ(MaskFrameWidth(md), 5);
}

TEST(BorderColumns, ShortValueIsAConversionError) {
  TsMaskData md;
  EXPECT_THROW(ParseBorderReference("^0015^0000^0025^0005^0001^0001^0001^0001^2^0^1", md), EConvertError);
}

TEST(TextureColumns, ProgressPatternAndOptionalMaskType) {
  TsMaskData md;
  ParseTextureReference("~0293~0037~0323~0067~00~0", md);
  EXPECT_EQ(md.R, Rect(293, 37, 323, 67));
  EXPECT_EQ(md.DrawMode, 0);
  EXPECT_EQ(md.MaskType, 0);
  EXPECT_EQ(md.ImageCount, 1);
  EXPECT_EQ(md.ImgType, itisaTexture);
  TsMaskData md2;
  ParseTextureReference("~0001~0002~0003~0004~12", md2);  // 23 characters: no mask type
  EXPECT_EQ(md2.DrawMode, 12);
  EXPECT_EQ(md2.MaskType, 0);
  EXPECT_THROW(ParseTextureReference("~0001~0002~0003~0004~12~x", md2), EConvertError);
}

TEST(FileWords, InternalSkinExtendedBorder) {
  TacFileRef ref;
  ASSERT_TRUE(ParseFileReference("!EXTBORD.PNG!2!0!3!0022!0052!0022!0022!1", ref));
  EXPECT_EQ(ref.FileName, "EXTBORD.PNG");
  EXPECT_FALSE(ref.IsBmp);
  EXPECT_EQ(ref.WordCount, 9);
  EXPECT_EQ(ref.ImageCount, 2);
  EXPECT_EQ(ref.MaskType, 0);
  EXPECT_EQ(ref.ImgType, itisaGlow);
  EXPECT_EQ(ref.WL, 22);
  EXPECT_EQ(ref.WT, 52);
  EXPECT_EQ(ref.WR, 22);
  EXPECT_EQ(ref.WB, 22);
  EXPECT_EQ(ref.DrawMode, 1);
}

TEST(FileWords, RunsOfSeparatorsMissingAndBadNumbers) {
  TacFileRef ref;
  ASSERT_TRUE(ParseFileReference("!!BTNHUGE.BMP!!3!x!9", ref));
  EXPECT_TRUE(ref.IsBmp);
  EXPECT_EQ(ref.WordCount, 4);
  EXPECT_EQ(ref.ImageCount, 3);
  EXPECT_EQ(ref.MaskType, 0);  // "x" reads as 0
  EXPECT_EQ(ref.ImgType, itisaPngGlyph);  // above 4 counts as 4
  EXPECT_EQ(ref.DrawMode, 1);  // fewer than 9 words
  ASSERT_TRUE(ParseFileReference("!A.PNG!1!0!-3", ref));
  EXPECT_EQ(ref.ImgType, itisaBorder);  // below 0 counts as a border
}

TEST(FileWords, NameMustNameABmpOrPngInUpperCase) {
  TacFileRef ref;
  EXPECT_FALSE(ParseFileReference("!glow.png!1", ref));
  EXPECT_FALSE(ParseFileReference("!GLOW.GIF!1", ref));
  EXPECT_FALSE(ParseFileReference("!", ref));
  EXPECT_TRUE(ParseFileReference("!X.BMP.PNG", ref));
  EXPECT_TRUE(ref.IsBmp);  // ".BMP" anywhere makes it a BMP
}

TEST(SharpForm, RectangleAndParameters) {
  TsMaskData md;
  ParseSharpReference("BORDER (10, 20, 40, 80) (3, 1, 2, 5)", md);
  EXPECT_EQ(md.R, Rect(10, 20, 40, 80));
  EXPECT_EQ(md.ImageCount, 3);
  EXPECT_EQ(md.MaskType, 1);
  EXPECT_EQ(md.BorderWidth, 2);
  EXPECT_EQ(md.DrawMode, 5);
  EXPECT_EQ(md.WL + md.WT + md.WR + md.WB, 0);
  TsMaskData md2;
  ParseSharpReference("#X 1,2,3,4 0,-4", md2);
  EXPECT_EQ(md2.R, Rect(1, 2, 3, 4));
  EXPECT_EQ(md2.ImageCount, 1);
  EXPECT_EQ(md2.MaskType, 0);
  EXPECT_EQ(md2.BorderWidth, 0);
  EXPECT_EQ(md2.DrawMode, 1);
  TsMaskData md3;
  ParseSharpReference("#X (1,2,3,4) (2,1,-7)", md3);
  EXPECT_EQ(md3.BorderWidth, 0);
}

TEST(SharpForm, MalformedWidthOrModeIsAConversionError) {
  TsMaskData md;
  EXPECT_THROW(ParseSharpReference("#X (1,2,3,4) (2,1,w)", md), EConvertError);
  EXPECT_THROW(ParseSharpReference("#X (1,2,3,4) (2,1,0,m)", md), EConvertError);
  // Counts and the rectangle are lenient: a description with "#" is no error.
  EXPECT_NO_THROW(ParseSharpReference("Skin #2 by someone", md));
}

TEST(FrameGeometry, DivisionRules) {
  TsMaskData md;
  md.R = Rect(0, 0, 30, 31);
  md.ImageCount = 0;
  md.MaskType = -1;
  EXPECT_EQ(MaskFrameWidth(md), 0);
  EXPECT_EQ(MaskFrameHeight(md), 0);
  md.ImageCount = 1;
  md.MaskType = 0;
  EXPECT_EQ(MaskFrameWidth(md), 30);
  EXPECT_EQ(MaskFrameHeight(md), 31);
  md.ImageCount = 4;
  md.MaskType = 1;
  EXPECT_EQ(MaskFrameWidth(md), 7);
  EXPECT_EQ(MaskFrameHeight(md), 15);
}

TEST(FrameGeometry, ThirdWidthsAndUnsizableReferences) {
  TsMaskData md;
  md.ImageCount = 2;
  md.MaskType = 1;
  DeriveThirdWidths(md, 60, 36);
  EXPECT_EQ(md.WL, 10);
  EXPECT_EQ(md.WR, 10);
  EXPECT_EQ(md.WT, 6);
  EXPECT_EQ(md.WB, 6);
  md.ImageCount = 0;
  EXPECT_THROW(DeriveThirdWidths(md, 60, 36), ESkinError);
  md.ImageCount = 1;
  md.MaskType = -1;
  EXPECT_THROW(DeriveThirdWidths(md, 60, 36), ESkinError);
}

class CornerCheck : public ::testing::Test {
protected:
  // A 2-frame border of 10 x 10 frames with 3-pixel borders, all opaque.
  CornerCheck() : FPic(20, 10) {
    FPic.Fill(0xFF808080);
    FMd.R = Rect(0, 0, 20, 10);
    FMd.ImageCount = 2;
    FMd.MaskType = 0;
    FMd.WL = FMd.WT = FMd.WR = FMd.WB = 3;
  }
  TBitmap32 FPic;
  TsMaskData FMd;
};

TEST_F(CornerCheck, OpaqueCornersGiveZero) { EXPECT_EQ(DetectCornerType(FMd, FPic), 0); }

TEST_F(CornerCheck, TransparentPixelInAnyCornerOfTheFirstFrameGivesOne) {
  for (TPoint p : {Point(0, 0), Point(9, 0), Point(0, 9), Point(9, 9), Point(2, 2), Point(7, 8)}) {
    FPic.Fill(0xFF808080);
    FPic.SetPixel(p.X, p.Y, 0x00FF00FF);
    EXPECT_EQ(DetectCornerType(FMd, FPic), 1) << p.X << "," << p.Y;
  }
}

TEST_F(CornerCheck, OnlyFullyTransparentFuchsiaInCornersCounts) {
  FPic.SetPixel(0, 0, 0xFFFF00FF);  // opaque fuchsia
  FPic.SetPixel(5, 5, 0x00FF00FF);  // centre of the frame
  FPic.SetPixel(15, 0, 0x00FF00FF);  // second frame
  EXPECT_EQ(DetectCornerType(FMd, FPic), 0);
}

TEST_F(CornerCheck, LastColumnAndRowOfThePictureAreExamined) {
  FMd.ImageCount = 1;
  FMd.R = Rect(0, 0, 20, 10);
  FPic.SetPixel(19, 9, 0x00FF00FF);
  EXPECT_EQ(DetectCornerType(FMd, FPic), 1);
}

TEST_F(CornerCheck, ButtonHugeBorderIsTwoWithoutLooking) {
  FMd.ClassName = "BUTTON_HUGE";
  FMd.PropertyName = "BORDERSMASK";
  EXPECT_EQ(DetectCornerType(FMd, TBitmap32()), 2);
  FMd.PropertyName = "GLOW0";
  EXPECT_EQ(DetectCornerType(FMd, FPic), 0);
}

TEST_F(CornerCheck, EmptyHeightOrAreasOutsideThePictureAreSafe) {
  FMd.R = Rect(0, 5, 20, 5);
  FPic.SetPixel(0, 5, 0x00FF00FF);
  EXPECT_EQ(DetectCornerType(FMd, FPic), 0);
  FMd.R = Rect(15, 0, 40, 30);
  FMd.WL = FMd.WT = FMd.WR = FMd.WB = 200;
  EXPECT_EQ(DetectCornerType(FMd, FPic), 1);
  EXPECT_EQ(DetectCornerType(FMd, TBitmap32()), 0);
}

TEST(PixelPreparation, NonThirtyTwoBitPicturesGetAlphaFromTheKeyColour) {
  TBitmap32 bmp(3, 1);
  bmp.PixelFormat = TPixelFormat::pf24bit;
  bmp.SetPixel(0, 0, 0x00FF00FF);
  bmp.SetPixel(1, 0, 0x12FF00FF);
  bmp.SetPixel(2, 0, 0x00123456);
  MakeSkinBitmap32(bmp);
  EXPECT_EQ(bmp.PixelFormat, TPixelFormat::pf32bit);
  EXPECT_EQ(bmp.Pixel(0, 0), 0x00FF00FFu);
  EXPECT_EQ(bmp.Pixel(1, 0), 0x00FF00FFu);
  EXPECT_EQ(bmp.Pixel(2, 0), 0xFF123456u);
  TBitmap32 b32(1, 1);
  b32.SetPixel(0, 0, 0x10FF00FF);
  MakeSkinBitmap32(b32);  // 32-bit pictures keep their alpha
  EXPECT_EQ(b32.Pixel(0, 0), 0x10FF00FFu);
}

TEST(PixelPreparation, PngPremultiplicationAbove745) {
  TBitmap32 bmp(4, 1);
  bmp.SetPixel(0, 0, 0x803264C8);  // blue 200, green 100, red 50, alpha 128
  bmp.SetPixel(1, 0, 0xFFFFFFFF);
  bmp.SetPixel(2, 0, 0x00FFFFFF);
  bmp.SetPixel(3, 0, 0x00123456);
  TBitmap32 old = bmp;
  PrepareSkinPng(bmp, 8.12);
  EXPECT_EQ(bmp.Pixel(0, 0), 0x80193264u);  // (100, 50, 25, 128)
  EXPECT_EQ(bmp.Pixel(1, 0), 0xFFFEFEFEu);  // opaque 255 becomes 254
  EXPECT_EQ(bmp.Pixel(2, 0), 0u);
  EXPECT_EQ(bmp.Pixel(3, 0), 0u);
  PrepareSkinPng(old, 7.45);
  EXPECT_EQ(old.Pixel(0, 0), 0x803264C8u);
  EXPECT_EQ(old.Pixel(1, 0), 0xFFFFFFFFu);
  EXPECT_EQ(old.Pixel(2, 0), 0u);
  EXPECT_EQ(old.Pixel(3, 0), 0x00123456u);
}

TEST(PixelPreparation, PremultiplicationTouchesOnlyThirtyTwoBitPictures) {
  TBitmap32 rgb(2, 1);
  rgb.PixelFormat = TPixelFormat::pf24bit;
  rgb.SetPixel(0, 0, 0xFF3264C8);
  rgb.SetPixel(1, 0, 0xFFFF00FF);
  PrepareSkinPng(rgb, 8.12);
  EXPECT_EQ(rgb.Pixel(0, 0), 0xFF3264C8u);
  EXPECT_EQ(rgb.Pixel(1, 0), 0x00FF00FFu);
  EXPECT_EQ(rgb.PixelFormat, TPixelFormat::pf32bit);
}

}  // namespace
