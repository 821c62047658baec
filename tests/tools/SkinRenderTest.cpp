// Sections painted without a window: the render command gives the cache a
// control of that size and state paints over a plain parent colour, and the
// sheet shows exactly those caches.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "paint/sSkinPaint.h"
#include "skin/acPNG.h"
#include "tools/SkinInfo.h"
#include "tools/SkinRender.h"

namespace {

const String SkinPath = String(QN_SOURCE_DIR) + "/skins/AlterMetro.asz";
constexpr TColor DialogColor = 16249576;  // "DIALOG" COLOR of the built-in skin

const TacSkinModel& Model() {
  static const std::unique_ptr<TacSkinModel> model = LoadSkinModel(SkinPath);
  return *model;
}

TBitmap32 DirectPaint(const String& section, int w, int h, int state, TColor parent) {
  TBitmap32 cache(w, h);
  cache.Fill(0x00FFFFFF);
  TCacheInfo ci;
  ci.FillColor = parent;
  PaintSectionByIndex(Model().GetSkinIndex(section), section, ci, state, Rect(0, 0, w, h), Point(0, 0),
                      TPixelView(cache), &Model());
  return cache;
}

TBitmap32 Render(const std::vector<String>& args) { return RenderSection(Model(), ParseRenderArgs(args).Request); }

TEST(SkinRender, CommandWritesTheCacheOfADirectPaint) {
  const String out = (std::filesystem::temp_directory_path() / "quarnel-render-edit.png").string();
  std::remove(out.c_str());
  const String command = String(QN_SKINTOOL) + " render " + SkinPath + " --section EDIT --size 129x26 " + out;
  ASSERT_EQ(std::system(command.c_str()), 0);
  TPNGGraphic png;
  png.LoadFromFile(out);
  const TBitmap32 expected = DirectPaint("EDIT", 129, 26, 0, DialogColor);
  EXPECT_NE(expected.Pixel(0, 13), expected.Pixel(64, 13));  // a border was painted
  EXPECT_TRUE(png.Bitmap() == expected);
  std::remove(out.c_str());
}

TEST(SkinRender, StatePastTheLastPaintsTheLast) {
  EXPECT_TRUE(Render({"s", "--section", "EDIT", "--size", "40x20", "--state", "7", "o"}) ==
              DirectPaint("EDIT", 40, 20, 1, DialogColor));
  EXPECT_FALSE(DirectPaint("EDIT", 40, 20, 1, DialogColor) == DirectPaint("EDIT", 40, 20, 0, DialogColor));
}

TEST(SkinRender, BackgroundIsRedGreenBlue) {
  // A fully transparent section shows only its parent.
  const TBitmap32 bmp = Render({"s", "--section", "checkbox", "--size", "3x2", "--background", "0x102030", "o"});
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(bmp.Pixel(x, y), 0xFF102030u);
}

TEST(SkinRender, DefaultBackground) {
  EXPECT_EQ(DefaultRenderBackground(Model()), DialogColor);
  TacSkinModel noDialog;
  noDialog.LoadFromOptionsText("[GLOBALINFO]\nCOLOR=4210816\n[EDIT]\nSTATES=1\n", "");
  EXPECT_EQ(DefaultRenderBackground(noDialog), TColor(4210816));
}

TEST(SkinRender, BadRequestsAreRefused) {
  struct TCase {
    std::vector<String> Args;
    const char* Message;
  };
  const TCase cases[] = {
      {{"s", "--section", "EDIT", "--size", "0x26", "o"}, "bad size '0x26'"},
      {{"s", "--section", "EDIT", "--size", "129x-1", "o"}, "bad size '129x-1'"},
      {{"s", "--section", "EDIT", "--size", "4097x1", "o"}, "bad size '4097x1'"},
      {{"s", "--section", "EDIT", "--size", "99999999999x1", "o"}, "bad size '99999999999x1'"},
      {{"s", "--section", "EDIT", "--size", "12", "o"}, "bad size '12': expected WxH"},
      {{"s", "--section", "EDIT", "--size", "1.5x2", "o"}, "bad size '1.5x2': expected WxH"},
      {{"s", "--section", "EDIT", "--size", "4x4", "--state", "-1", "o"}, "bad state '-1'"},
      {{"s", "--section", "EDIT", "--size", "4x4", "--state", "1a", "o"}, "bad state '1a'"},
      {{"s", "--section", "EDIT", "--size", "4x4", "--background", "102030", "o"}, "bad background '102030'"},
      {{"s", "--section", "EDIT", "--size", "4x4", "--background", "0x1020", "o"}, "bad background '0x1020'"},
      {{"s", "--section", "EDIT", "--size"}, "--size needs a value"},
      {{"s", "--size", "4x4", "o"}, "render needs --section NAME"},
      {{"s", "--section", "EDIT", "o"}, "render needs --size WxH"},
      {{"s", "--section", "EDIT", "--size", "4x4"}, "render needs a skin and an output file"},
      {{"s", "--section", "NOSUCH", "--size", "4x4", "o"}, "unknown section 'NOSUCH'"},
  };
  for (const TCase& c : cases) {
    try {
      Render(c.Args);
      ADD_FAILURE() << c.Message << ": accepted";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message().rfind(c.Message, 0), 0u) << e.Message();
    }
  }
}

TEST(SkinSheet, EverySectionInEachStateAtBothSizes) {
  const TBitmap32 sheet = DrawSectionSheet(Model(), "T");
  // 67 sections in two columns of blocks four states wide.
  EXPECT_EQ(sheet.Width(), 1420);
  EXPECT_EQ(sheet.Height(), 4476);
  struct TCell {
    const char* Section;
    int State;
    bool Large;
  };
  for (const TCell c : {TCell{"GLOBALINFO", 0, false}, TCell{"BUTTON", 3, true}, TCell{"TB_BTN", 2, true}}) {
    const int index = Model().GetSkinIndex(c.Section);
    const TRect r = SheetCell(Model(), index, c.State, c.Large);
    EXPECT_EQ(r.Width(), c.Large ? SheetLargeWidth : SheetSmallWidth);
    const TBitmap32 cell = DirectPaint(c.Section, r.Width(), r.Height(), c.State, SheetBackground & 0xFFFFFF);
    int wrong = 0;
    for (int y = 0; y < r.Height(); ++y)
      for (int x = 0; x < r.Width(); ++x)
        wrong += sheet.Pixel(r.Left + x, r.Top + y) != (cell.Pixel(x, y) | 0xFF000000);
    EXPECT_EQ(wrong, 0) << c.Section << " state " << c.State;
  }
  // A section claiming a million states shows eight.
  TacSkinModel many;
  many.LoadFromOptionsText("[A]\nSTATES=1000000\n", "");
  EXPECT_EQ(DrawSectionSheet(many, "").Width(), 16 + 8 * (SheetLargeWidth + 12) + 16);
  // The cells of the last section end inside the sheet.
  const int last = int(Model().gd.size()) - 1;
  EXPECT_LE(SheetCell(Model(), last, 2, true).Bottom, sheet.Height());
}

}  // namespace
