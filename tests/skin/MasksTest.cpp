// Image records built by a load: every reference form with real pictures,
// version rules, widths, corners, patterns, image colour adjustment, shadows.
#include "SkinTestUtil.h"
#include "skin/acShadows.h"
#include "skin/acSkinModel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

namespace {

// A 100 x 50 master: grey, fuchsia at (39, 19), red in its top-left 10 x 10.
uint32_t MasterPixel(int x, int y) {
  if (x == 39 && y == 19) return 0xFFFF00FF;
  if (x < 10 && y < 10) return 0xFFFF0000;
  return 0xFF808080;
}

class Masks : public ::testing::Test {
protected:
  Masks() : FDir("masks") { FDir.Write("MASTER.BMP", MakeBmp24(100, 50, MasterPixel)); }

  // Loads an unpacked skin whose GLOBALINFO names the master.
  void Load(const String& sections, const String& version = "8.12") {
    FDir.Write("Options.dat", "[GLOBALINFO]\nMASTERBITMAP=MASTER.BMP\nVERSION=" + version + "\n" + sections);
    FModel.LoadFromFolder(FDir.Path());
  }
  const TsMaskData* M(const char* section, const char* key) {
    const int i = FModel.GetMaskIndex(section, key);
    return i >= 0 ? &FModel.ma[size_t(i)] : nullptr;
  }
  TTempDir FDir;
  TacSkinModel FModel;
};

TEST_F(Masks, MasterBitmapFromAFolder) {
  Load("");
  EXPECT_EQ(FModel.MasterBitmap.Width(), 100);
  EXPECT_EQ(FModel.MasterBitmap.Pixel(39, 19), 0x00FF00FFu);
  EXPECT_EQ(FModel.MasterBitmap.Pixel(50, 40), 0xFF808080u);
  EXPECT_FALSE(FModel.SkinIsPacked);
  EXPECT_EQ(FModel.CommonSkinData.SkinPath, FDir.Path());
}

TEST_F(Masks, MissingMasterKeepsTheMasterRecordsAsWritten) {
  FDir.Write("Options.dat", "[GLOBALINFO]\nMASTERBITMAP=NONE.BMP\n[A]\nG=@0000@0000@0010@0010@1@0\n"
                            "E=@0000@0000@0000@0000@1@0\nB=^0015^0000^0025^0005^0001^0001^0001^0001^2^0^1^1\n"
                            "T=~0293~0037~0323~0067~00~0\n");
  FModel.LoadFromFolder(FDir.Path());
  EXPECT_TRUE(FModel.MasterBitmap.Empty());
  const TsMaskData* g = M("A", "G");  // an @ record without a master bitmap is kept
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->R, Rect(0, 0, 10, 10));
  EXPECT_EQ(g->ImgType, itisaGlyph);
  EXPECT_EQ(g->ImageCount, 1);
  EXPECT_FALSE(g->Bmp);
  EXPECT_NE(M("A", "E"), nullptr);
  const TsMaskData* b = M("A", "B");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->R, Rect(15, 0, 25, 5));
  EXPECT_EQ(FModel.MaskWidthLeft(FModel.GetMaskIndex("A", "B")), 1);
  EXPECT_EQ(b->ImageCount, 2);
  EXPECT_EQ(b->CornerType, 0);  // no pixel to look at
  const TsMaskData* t = M("A", "T");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->R, Rect(293, 37, 323, 67));
  EXPECT_EQ(FModel.GetTextureIndex(FModel.GetSkinIndex("A"), "A", "T"), FModel.GetMaskIndex("A", "T"));
}

TEST_F(Masks, RectanglesOutsideTheirPictureAreKeptAsWritten) {
  Load("[A]\nIN=@0090@0040@0100@0050@1@0\nRIGHT=@0090@0040@0101@0050@1@0\nLOW=@0000@0000@0010@0051@1@0\n"
       "INV=@0010@0000@0005@0010@1@0\nB=^0095^0000^0105^0010^0001^0001^0001^0001^1^0^1^1\n"
       "T=~0000~0045~0010~0055~03~0\nS=#X (-1,0,5,5) (1,0)\nFAR=#X (-2000000000,0,2000000000,5) (1,0,2)\n");
  const struct {
    const char* Key;
    TRect R;
  } cases[] = {{"IN", Rect(90, 40, 100, 50)},   {"RIGHT", Rect(90, 40, 101, 50)}, {"LOW", Rect(0, 0, 10, 51)},
               {"INV", Rect(10, 0, 5, 10)},     {"B", Rect(95, 0, 105, 10)},      {"T", Rect(0, 45, 10, 55)},
               {"S", Rect(-1, 0, 5, 5)},        {"FAR", Rect(-MaxMaskCoord, 0, MaxMaskCoord, 5)}};
  for (const auto& c : cases) {
    const TsMaskData* m = M("A", c.Key);
    ASSERT_NE(m, nullptr) << c.Key;
    EXPECT_EQ(m->R, c.R) << c.Key;
  }
  EXPECT_EQ(M("A", "T")->DrawMode, 3);
  const TsMaskData* s = M("A", "S");
  EXPECT_EQ(s->WL, 6);  // one frame's width
  EXPECT_EQ(s->WT, 5);
  EXPECT_EQ(M("A", "FAR")->WL, 2);
  EXPECT_EQ(M("A", "B")->WL, 1);
}

TEST_F(Masks, BorderMaskOnePixelTooWideStillHasItsWidths) {
  // Frame (90..101, 40..50) in a 100 x 50 master, fuchsia moved to (98, 48).
  FDir.Write("MASTER.BMP", MakeBmp24(100, 50, [](int x, int y) { return x == 98 && y == 48 ? 0xFFFF00FFu : 0xFF808080u; }));
  Load("[A]\nB=^0090^0040^0101^0050^0003^0002^0003^0002^1^0^1^0\n"
       "D=^0090^0040^0101^0050^0000^0000^0000^0000^1^0^1^0\nW=^0090^0040^0101^0050^0000^0000^0000^0000^1^0^1^4\n"
       "S=#X (90,40,101,50) (1,0)\n");
  const TsMaskData* b = M("A", "B");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->R, Rect(90, 40, 101, 50));
  EXPECT_EQ(b->WL, 3);
  EXPECT_EQ(b->WT, 2);
  EXPECT_EQ(b->WR, 3);
  EXPECT_EQ(b->WB, 2);
  EXPECT_EQ(b->CornerType, 1);  // bottom-right area 98..101 x 48..50, clipped to the picture
  const int d = FModel.GetMaskIndex("A", "D");
  EXPECT_EQ(FModel.MaskWidthLeft(d), 3);    // 11 / 3
  EXPECT_EQ(FModel.MaskWidthBottom(d), 3);  // 10 / 3
  EXPECT_EQ(M("A", "W")->WR, 4);
  EXPECT_EQ(M("A", "S")->WL, 11);
  EXPECT_EQ(M("A", "S")->CornerType, 1);
}

TEST_F(Masks, BorderWidthsFromBorderWidthOrThirds) {
  Load("[A]\nBW=^0000^0000^0060^0030^0000^0000^0000^0000^2^1^1^3\nTH=^0000^0000^0060^0030^0000^0000^0000^0000^2^1^1^0\n");
  const TsMaskData* bw = M("A", "BW");
  ASSERT_NE(bw, nullptr);
  EXPECT_EQ(bw->WL, 3);
  EXPECT_EQ(bw->WB, 3);
  const TsMaskData* th = M("A", "TH");
  ASSERT_NE(th, nullptr);
  EXPECT_EQ(th->WL, 10);  // 60 / (2 * 3)
  EXPECT_EQ(th->WR, 10);
  EXPECT_EQ(th->WT, 5);   // 30 / (2 * 3)
}

TEST_F(Masks, BorderWithoutFramesOrWidthsCannotBeSized) {
  EXPECT_THROW(Load("[A]\nZ=^0000^0000^0060^0030^0000^0000^0000^0000^0^0^1^0\n"), ESkinError);
  EXPECT_TRUE(FModel.gd.empty());
}

TEST_F(Masks, OldSkinsDeriveTheSinglePixelCentreBit) {
  // Frame 12 x 12 with borders 5 + 6: centre 1 x 1 sets bit 0 below version 7.4.
  const String refs = "[A]\nONE=^0000^0000^0012^0024^0005^0005^0006^0006^1^1^2^0\n"
                      "ODD=^0000^0000^0012^0024^0004^0005^0006^0006^1^1^3^0\n"
                      "FLAT=^0000^0000^0012^0012^0005^0005^0006^0006^1^0^2^0\n";
  Load(refs, "7.3");
  EXPECT_EQ(M("A", "ONE")->DrawMode, 3);
  EXPECT_EQ(M("A", "ODD")->DrawMode, 2);
  EXPECT_EQ(M("A", "FLAT")->DrawMode, 2);  // MaskType 0: untouched
  Load(refs, "7.4");
  EXPECT_EQ(M("A", "ONE")->DrawMode, 2);
  EXPECT_EQ(M("A", "ODD")->DrawMode, 3);
}

TEST_F(Masks, CornerTypeFromTransparentPixelsOfTheMaster) {
  // Frame (30..40, 10..20): the fuchsia pixel (39, 19) is in its bottom-right corner.
  Load("[A]\nC=^0030^0010^0040^0020^0002^0002^0002^0002^1^0^1^1\nN=^0030^0010^0040^0020^0002^0002^0000^0000^1^0^1^1\n");
  EXPECT_EQ(M("A", "C")->CornerType, 1);
  EXPECT_EQ(M("A", "N")->CornerType, 0);
}

TEST_F(Masks, SharpFormRecordsWithUpperCasedNames) {
  Load("[sec]\nkey=#x (10,0,40,20) (3,1)\nbw=#x (10,0,40,20) (3,1,4,7)\nhash=#\n");
  const TsMaskData* m = M("SEC", "KEY");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->R, Rect(10, 0, 40, 20));
  EXPECT_EQ(m->WL, 10);  // one frame's width
  EXPECT_EQ(m->WT, 10);  // one frame's height
  EXPECT_EQ(m->DrawMode, 1);
  const TsMaskData* bw = M("SEC", "BW");
  ASSERT_NE(bw, nullptr);
  EXPECT_EQ(bw->WR, 4);
  EXPECT_EQ(bw->DrawMode, 7);
  EXPECT_EQ(M("SEC", "HASH"), nullptr);
  EXPECT_EQ(M("sec", "key"), nullptr);
}

TEST_F(Masks, PlainBmpNameRecords) {
  FDir.Write("FRAME.BMP", MakeBmp24(90, 60, SolidFn(0xFF102030)));
  Load("[sec]\nborder=frame.bmp\nmissing=none.bmp\n");
  const TsMaskData* m = M("SEC", "BORDER");
  ASSERT_NE(m, nullptr);
  ASSERT_TRUE(m->Bmp);
  EXPECT_EQ(m->ImageCount, 3);
  EXPECT_EQ(m->MaskType, 1);
  EXPECT_EQ(m->R, Rect(0, 0, 90, 60));
  EXPECT_EQ(m->WL, 10);
  EXPECT_EQ(m->WT, 10);
  EXPECT_EQ(m->Bmp->Pixel(0, 0), 0xFF102030u);
  EXPECT_EQ(M("SEC", "MISSING"), nullptr);
}

TEST_F(Masks, FileReferencesWithFewWordsDeriveThirds) {
  FDir.Write("G.PNG", MakePngRgba(30, 18, SolidFn(0xFF000000)));
  Load("[A]\nG=!G.PNG!2!1\nNOFILE=!NONE.PNG!1\nLOWER=!g.png!1\n", "8.12");
  const TsMaskData* g = M("A", "G");
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->WL, 5);   // 30 / (2 * 3)
  EXPECT_EQ(g->WT, 3);   // 18 / (2 * 3)
  EXPECT_EQ(g->DrawMode, 1);
  EXPECT_EQ(g->ImgType, itisaBorder);
  EXPECT_EQ(M("A", "NOFILE"), nullptr);
  EXPECT_EQ(M("A", "LOWER"), nullptr);
}

TEST_F(Masks, FileReferenceWithoutFramesCannotBeSized) {
  FDir.Write("G.PNG", MakePngRgba(30, 18, SolidFn(0xFF000000)));
  try {
    Load("[A]\nZ=!G.PNG!0\n");
    FAIL();
  } catch (const ESkinError& e) {
    EXPECT_THAT(e.Message(), ::testing::HasSubstr("\"Z\" of section \"A\" cannot be sized"));
  }
}

TEST_F(Masks, PngPremultiplicationDependsOnTheVersion) {
  FDir.Write("P.PNG", MakePngRgba(1, 1, SolidFn(0x803264C8)));
  FDir.Write("W.PNG", MakePngRgba(1, 1, SolidFn(0x00FFFFFF)));
  const String refs = "[A]\nP=!P.PNG!1!0!4!0!0!0!0!0\nW=!W.PNG!1!0!4!0!0!0!0!0\n";
  Load(refs, "8.12");
  EXPECT_EQ(M("A", "P")->Bmp->Pixel(0, 0), 0x80193264u);
  EXPECT_EQ(M("A", "W")->Bmp->Pixel(0, 0), 0u);
  Load(refs, "7.45");
  EXPECT_EQ(M("A", "P")->Bmp->Pixel(0, 0), 0x803264C8u);
  EXPECT_EQ(M("A", "W")->Bmp->Pixel(0, 0), 0u);
}

// The block-wise pixel passes against the per-pixel rules, over odd widths
// and random pixels mixed with the special values.
TEST(PixelPreparation, MatchesThePerPixelRules) {
  std::mt19937 rng(7);
  for (int w : {1, 3, 4, 5, 37}) {
    TBitmap32 src(w, 3);
    for (size_t i = 0; i < src.PixelCount(); ++i) {
      const uint32_t special[] = {0x00FFFFFFu, 0xFFFF00FFu, 0x00FF00FFu, 0xFFFFFFFFu, 0u};
      src.Bits()[i] = rng() % 3 == 0 ? special[rng() % 5] : uint32_t(rng());
    }
    for (double version : {8.12, 7.45}) {
      TBitmap32 png = src;
      PrepareSkinPng(png, version);
      for (size_t i = 0; i < src.PixelCount(); ++i) {
        const uint32_t px = src.Bits()[i], a = px >> 24;
        uint32_t want = px;
        if (version > 7.45)
          want = a << 24 | (((px >> 16) & 0xFF) * a >> 8) << 16 | (((px >> 8) & 0xFF) * a >> 8) << 8 | ((px & 0xFF) * a >> 8);
        if (px == 0x00FFFFFF) want = 0;
        ASSERT_EQ(png.Bits()[i], want) << w << " " << i;
      }
    }
    TBitmap32 bmp = src;
    bmp.PixelFormat = TPixelFormat::pf24bit;
    MakeSkinBitmap32(bmp);
    EXPECT_EQ(bmp.PixelFormat, TPixelFormat::pf32bit);
    for (size_t i = 0; i < src.PixelCount(); ++i) {
      const uint32_t rgb = src.Bits()[i] & 0x00FFFFFF;
      ASSERT_EQ(bmp.Bits()[i], rgb == 0x00FF00FF ? rgb : 0xFF000000 | rgb) << w << " " << i;
    }
  }
}

TEST_F(Masks, APictureNamedTwiceGivesEachRecordItsOwnCopy) {
  FDir.Write("G.PNG", MakePngRgba(2, 1, SolidFn(0xFF0000FF)));
  Load("[A]\nG=!G.PNG!1!0!2!0!0!0!0!0\n[B]\nG=!G.PNG!1!0!2!0!0!0!0!0\n");
  const TsMaskData *a = M("A", "G"), *b = M("B", "G");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a->Bmp.get(), b->Bmp.get());
  EXPECT_EQ(*a->Bmp, *b->Bmp);
  EXPECT_EQ(b->Bmp->Pixel(1, 0), 0xFF0000FEu);  // premultiplied once, not twice
}

TEST_F(Masks, RgbPngsBecomeOpaqueWithTheKeyColourTransparent) {
  FDir.Write("RGB.PNG", MakePngRgb(2, 1, [](int x, int) { return x == 0 ? 0xFFFF00FFu : 0xFF3264C8u; }));
  Load("[A]\nR=!RGB.PNG!1!0!2!0!0!0!0!0\n");
  EXPECT_EQ(M("A", "R")->Bmp->Pixel(0, 0), 0x00FF00FFu);
  EXPECT_EQ(M("A", "R")->Bmp->Pixel(1, 0), 0xFF3264C8u);
}

TEST_F(Masks, UndecodablePictureAbortsWithTheDecodersText) {
  FDir.Write("BAD.PNG", "\x89PNG\r\n\x1A\nnot really");
  try {
    Load("[A]\nX=!BAD.PNG!1\n");
    FAIL();
  } catch (const ESkinError& e) {
    EXPECT_THAT(e.Message(), ::testing::EndsWith("(file \"BAD.PNG\")"));
    EXPECT_THAT(e.Message(), ::testing::StartsWith("Cannot load"));
  }
  FDir.Write("BAD.BMP", "BMxxxx");
  EXPECT_THROW(Load("[A]\nX=bad.bmp\n"), ESkinError);
}

TEST_F(Masks, OversizedPicturesAreRefusedBeforeDecoding) {
  // A PNG header claiming 5000 x 5000 pixels with no data behind it.
  TBlob png = MakePngRgba(1, 1, SolidFn(0));
  png[16] = 0; png[17] = 0; png[18] = 0x13; png[19] = 0x88;
  png[20] = 0; png[21] = 0; png[22] = 0x13; png[23] = 0x88;
  FDir.Write("HUGE.PNG", png);
  try {
    Load("[A]\nX=!HUGE.PNG!1!0!0!1!1!1!1\n");
    FAIL();
  } catch (const ESkinError& e) {
    EXPECT_EQ(e.Message(), "The picture \"HUGE.PNG\" is too large (5000 x 5000 pixels).");
  }
}

TEST_F(Masks, AllPicturesTogetherHaveABudget) {
  FDir.Write("BIG.PNG", MakePngBlack1(4096, 4096));
  String refs = "[A]\n";
  for (int i = 0; i < 5; ++i) refs += Format("K%d=!BIG.PNG!1!0!0!1!1!1!1\n", i);
  try {
    Load(refs);
    FAIL();
  } catch (const ESkinError& e) {
    EXPECT_EQ(e.Message(), "The pictures of the skin are too large in all (at \"BIG.PNG\").");
  }
}

TEST_F(Masks, MalformedFixedColumnAbortsTheLoadAndKeepsThePreviousModel) {
  Load("[KEEP]\nG=@0000@0000@0010@0010@1@0\n");
  ASSERT_EQ(FModel.ma.size(), 1u);
  try {
    Load("[A]\nG=@00z0@0000@0010@0010@1@0\n");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Section \"A\", key \"G\": '00z0' is not a valid integer value");
  }
  EXPECT_EQ(FModel.GetSkinIndex("KEEP"), 1);
  EXPECT_NE(M("KEEP", "G"), nullptr);
  EXPECT_EQ(FModel.MasterBitmap.Width(), 100);
  EXPECT_EQ(FModel.ma[0].Manager, &FModel);
}

TEST_F(Masks, MaskWidthsFallBackToBorderWidthThenFrame) {
  Load("[A]\nM=#x (0,0,40,30) (2,1)\n");
  const int i = FModel.GetMaskIndex("A", "M");
  ASSERT_GE(i, 0);
  TsMaskData& md = FModel.ma[size_t(i)];
  md.WL = md.WT = md.WR = md.WB = 0;
  EXPECT_EQ(FModel.MaskWidthTop(i), 15);
  EXPECT_EQ(FModel.MaskWidthLeft(i), 20);
  md.BorderWidth = 6;
  EXPECT_EQ(FModel.MaskWidthBottom(i), 6);
  md.WR = 2;
  EXPECT_EQ(FModel.MaskWidthRight(i), 2);
  md.BorderWidth = 0;
  md.ImageCount = 0;
  EXPECT_EQ(FModel.MaskWidthLeft(i), 40);  // an ImageCount of 0 becomes 1 first
  EXPECT_EQ(md.ImageCount, 1);
  EXPECT_EQ(FModel.MaskWidthLeft(-1), 0);
  EXPECT_EQ(FModel.MaskWidthTop(99), 0);
  EXPECT_FALSE(FModel.IsValidImgIndex(int(FModel.ma.size())));
}

TEST_F(Masks, CornerImagesAndBorderIndexesOfSections) {
  Load("[A]\nBORDERSMASK=^0000^0000^0010^0010^0001^0001^0001^0001^1^0^1^1\nIMGTOPLEFT=@0000@0000@0005@0005@1@0\n"
       "[GLOBALINFO2]\n");
  const int a = FModel.GetSkinIndex("A");
  EXPECT_EQ(FModel.gd[size_t(a)].BorderIndex, FModel.GetMaskIndex("A", "BORDERSMASK"));
  EXPECT_EQ(FModel.gd[size_t(a)].ImgTL, FModel.GetMaskIndex("A", "IMGTOPLEFT"));
  EXPECT_EQ(FModel.gd[size_t(a)].ImgBR, -1);
  EXPECT_EQ(FModel.gd[0].BorderIndex, -1);  // GLOBALINFO is never indexed
}

TEST_F(Masks, HotPatternOnlyForTwoStatesOrMore) {
  Load("[A]\nSTATES=2\nPATTERN=~0000~0000~0010~0010~00~0\nHOTPATTERN=~0010~0000~0020~0010~00~0\n"
       "[B]\nSTATES=1\nPATTERN=~0000~0000~0010~0010~00~0\nHOTPATTERN=~0010~0000~0020~0010~00~0\n");
  const TsGeneralData& a = FModel.gd[size_t(FModel.GetSkinIndex("A"))];
  const TsGeneralData& b = FModel.gd[size_t(FModel.GetSkinIndex("B"))];
  EXPECT_EQ(a.Props[1].TextureIndex, FModel.GetMaskIndex("A", "HOTPATTERN"));
  EXPECT_EQ(b.Props[1].TextureIndex, b.Props[0].TextureIndex);
  EXPECT_NE(b.Props[0].TextureIndex, -1);
}

TEST_F(Masks, JpegTexturesBecomeMasksOrPatternsBySize) {
  TFakeJpegScope fake;
  FDir.Write("SMALL.JPG", MakeFakeJpeg(900, 999, 0x102030));
  FDir.Write("LARGE.JPEG", MakeFakeJpeg(1000, 1000, 0x405060));
  Load("[sec]\nsmall=small.jpg\nlarge=large.jpeg\nmissing=none.jpg\n");
  const int small = FModel.GetMaskIndex("SEC", "SMALL");
  ASSERT_GE(small, 0);
  EXPECT_EQ(FModel.GetTextureIndex(FModel.GetSkinIndex("sec"), "SEC", "SMALL"), small);
  const TsMaskData& md = FModel.ma[size_t(small)];
  EXPECT_EQ(md.ImgType, itisaTexture);
  EXPECT_EQ(md.ImageCount, 1);
  EXPECT_EQ(md.R, TRect());
  ASSERT_TRUE(md.Bmp);
  EXPECT_EQ(md.Bmp->Width(), 900);
  EXPECT_EQ(md.Bmp->Pixel(0, 0), 0xFF302010u);
  ASSERT_EQ(FModel.pa.size(), 1u);
  EXPECT_EQ(FModel.pa[0].ClassName, "SEC");
  EXPECT_EQ(FModel.pa[0].PropertyName, "LARGE");
  EXPECT_EQ(FModel.pa[0].Img->Width(), 1000);
  EXPECT_EQ(FModel.GetPatternIndex(0, "SEC", "LARGE"), 0);
  EXPECT_EQ(FModel.GetPatternIndex(-1, "SEC", "LARGE"), -1);
}

TEST_F(Masks, JpegWithoutADecoderAbortsTheLoad) {
  FDir.Write("T.JPG", MakeFakeJpeg(10, 10, 0));
  EXPECT_THROW(Load("[A]\nX=T.JPG\n"), ESkinError);
}

TEST_F(Masks, OverrideSectionsAddBmpAndSharpRecords) {
  FDir.Write("OV.BMP", MakeBmp24(18, 12, SolidFn(0xFF00FF00)));
  TStringList ov;
  for (const char* l : {"[GLOBALINFO]", "X=ov.bmp", "[newsec]", "bmp=ov.bmp", "sharp=#x (0,0,60,30) (2,1)", "nothing=123",
                        "wide=#x (95,0,106,12) (1,0)"})
    ov.Add(l);
  FModel.SetCommonSections(ov);
  Load("");
  EXPECT_EQ(M("GLOBALINFO", "X"), nullptr);  // GLOBALINFO overrides carry no pictures
  const TsMaskData* b = M("NEWSEC", "BMP");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Bmp->Width(), 18);
  const TsMaskData* s = M("NEWSEC", "SHARP");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->WL, 10);  // 60 / (2 * 3)
  EXPECT_EQ(s->WT, 5);   // 30 / (2 * 3)
  EXPECT_EQ(M("NEWSEC", "NOTHING"), nullptr);
  const TsMaskData* w = M("NEWSEC", "WIDE");  // reaches past the master: kept
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->R, Rect(95, 0, 106, 12));
  EXPECT_EQ(w->WL, 3);  // 11 / 3
  EXPECT_EQ(w->WT, 4);
}

TEST_F(Masks, HueOffsetShiftsPicturesButKeepsCaptionButtons) {
  FDir.Write("G.PNG", MakePngRgba(1, 1, SolidFn(0xFFFF0000)));
  const String refs = "BICONCLOSE=@0000@0000@0005@0005@1@0\nBIKEEPHUE=2\n[A]\nG=!G.PNG!1!0!2!0!0!0!0!0\n";
  FModel.SetHueOffset(180);
  Load(refs, "7.0");
  EXPECT_EQ(FModel.MasterBitmap.Pixel(2, 2), 0xFFFF0000u);  // inside BICONCLOSE: kept
  EXPECT_EQ(FModel.MasterBitmap.Pixel(7, 7), 0xFF00FFFFu);  // red elsewhere: shifted to cyan
  EXPECT_EQ(FModel.MasterBitmap.Pixel(39, 19), 0x00FF00FFu);  // the key colour is skipped
  EXPECT_EQ(M("A", "G")->Bmp->Pixel(0, 0), 0xFF00FFFFu);
  Load("BICONCLOSE=@0000@0000@0005@0005@1@0\n", "7.0");
  EXPECT_EQ(FModel.MasterBitmap.Pixel(2, 2), 0xFF00FFFFu);  // BIKEEPHUE 0: everything shifts
}

TEST_F(Masks, SaturationGreysEveryPicture) {
  FDir.Write("G.PNG", MakePngRgba(1, 1, SolidFn(0xFF0000FF)));
  FModel.SetSaturation(-100);
  Load("[A]\nG=!G.PNG!1!0!2!0!0!0!0!0\n", "7.0");
  EXPECT_EQ(FModel.MasterBitmap.Pixel(0, 0), 0xFF555555u);
  EXPECT_EQ(M("A", "G")->Bmp->Pixel(0, 0), 0xFF555555u);
}

TEST_F(Masks, BuiltInShadowsWithoutAnExtendedBorder) {
  FModel.SetExtendedBorders(true);
  Load("[A]\n");
  EXPECT_EQ(FModel.FormShadowSize, Rect(9, 9, 9, 9));
  EXPECT_EQ(FModel.ShdaTemplate, BuiltInShadow(true));
  EXPECT_EQ(FModel.ShdiTemplate, BuiltInShadow(false));
  EXPECT_EQ(FModel.ShdaTemplate.Width(), 33);
  FModel.SetExtendedBorders(false);
  FModel.CheckShadows();
  EXPECT_EQ(FModel.FormShadowSize, TRect());
}

TEST_F(Masks, ShadowMarginsFromTheBorderWidthsAndOldSkinsClearWhite) {
  FDir.Write("EX.PNG", MakePngRgba(40, 20, [](int x, int) { return x < 20 ? 0x00FFFFFFu : 0x80000000u; }));
  FModel.SetExtendedBorders(true);
  Load("FORMOFFSET=3\nEXBORDER=!EX.PNG!1!0!3!0010!0012!0008!0006!1\n", "7.5");
  EXPECT_EQ(FModel.FormShadowSize, Rect(7, 9, 5, 3));
  EXPECT_EQ(FModel.ShdiTemplate.Width(), 40);
  EXPECT_EQ(FModel.ShdaTemplate, FModel.ShdiTemplate);  // one frame
  EXPECT_EQ(FModel.ShdiTemplate.Pixel(0, 0), 0u);
}

TEST_F(Masks, ShadowFramePastTheMasterLeavesItsMissingPixelsClear) {
  FModel.SetExtendedBorders(true);
  Load("FORMOFFSET=0\nEXBORDER=^0090^0040^0101^0050^0004^0003^0002^0001^1^0^1^0\n");
  EXPECT_EQ(FModel.FormShadowSize, Rect(4, 3, 2, 1));
  ASSERT_EQ(FModel.ShdiTemplate.Width(), 11);
  ASSERT_EQ(FModel.ShdiTemplate.Height(), 10);
  EXPECT_EQ(FModel.ShdiTemplate.Pixel(9, 9), 0xFF808080u);
  EXPECT_EQ(FModel.ShdiTemplate.Pixel(10, 0), 0u);
  EXPECT_EQ(FModel.ShdaTemplate, FModel.ShdiTemplate);
}

TEST(BuiltInShadow, SoftGreyWithAlphaFallingOff) {
  const TBitmap32& a = BuiltInShadow(true);
  const TBitmap32& i = BuiltInShadow(false);
  ASSERT_EQ(a.Width(), 33);
  ASSERT_EQ(a.Height(), 33);
  EXPECT_EQ(a.Pixel(16, 16) >> 24, 110u);
  EXPECT_EQ(i.Pixel(16, 16) >> 24, 64u);
  EXPECT_GT(a.Pixel(8, 16) >> 24, a.Pixel(2, 16) >> 24);
  EXPECT_EQ(a.Pixel(0, 0) >> 24, 0u);
  for (int y = 0; y < 33; ++y)
    for (int x = 0; x < 33; ++x) {
      const uint32_t p = a.Pixel(x, y);
      EXPECT_NE(p, 0x00FFFFFFu);
      EXPECT_LE(p & 0xFF, p >> 24);  // premultiplied
      EXPECT_EQ(p, a.Pixel(32 - x, y));  // symmetric
    }
}

}  // namespace
