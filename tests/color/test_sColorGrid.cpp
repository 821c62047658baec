// Colour grid: cells from colour words, geometry, hit testing, selection.
#include <memory>

#include <gtest/gtest.h>

#include "colordialog/sColorGrid.h"
#include "colordialog/sColorUtils.h"

namespace {

constexpr TColor Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

std::unique_ptr<TacColorGrid> Grid(int cols, int rows, std::initializer_list<const char*> words = {}) {
  auto g = std::make_unique<TacColorGrid>();
  TStringList list;
  for (const char* w : words) list.Add(w);
  g->SetColCount(cols);
  g->SetRowCount(rows);
  g->SetColors(list);
  return g;
}

TEST(ColorGrid, NewGridPadsItsWordsWithWhite) {
  TacColorGrid g;
  ASSERT_EQ(g.CellCount(), 10);
  ASSERT_EQ(g.Count(), 10);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(g.Colors().Get(i), "FFFFFF");
    EXPECT_EQ(g.ColorsArray()[size_t(i)].Color, clWhite);
    EXPECT_EQ(g.ColorsArray()[size_t(i)].Index, i);
  }
  auto threeOwner = Grid(8, 2, {"FF0000", "00FF00", "0000FF"});
  TacColorGrid& three = *threeOwner;
  EXPECT_EQ(three.Count(), 16);
  EXPECT_EQ(three.ColorsArray()[2].Color, Rgb(0, 0, 255));
  EXPECT_EQ(three.ColorsArray()[3].Color, clWhite);
  EXPECT_EQ(three.Colors().Get(15), "FFFFFF");
}

TEST(ColorGrid, WordsAreReadByTheirFirstWordOnly) {
  auto gOwner = Grid(4, 1, {"80FF00 a comment", "#80FF00", "8080FF", "12 4"});
  TacColorGrid& g = *gOwner;
  EXPECT_EQ(g.ColorsArray()[0].Color, Rgb(0x80, 0xFF, 0));
  EXPECT_EQ(g.ColorsArray()[1].Color, clBlack);
  EXPECT_EQ(g.ColorsArray()[2].Color, Rgb(0x80, 0x80, 0xFF));
  EXPECT_EQ(g.ColorsArray()[3].Color, Rgb(0, 0, 0x12));
}

TEST(ColorGrid, ItemsBeyondTheCellsStayButGetNoCell) {
  auto gOwner = Grid(2, 1, {"000001", "000002", "000003"});
  TacColorGrid& g = *gOwner;
  EXPECT_EQ(g.Count(), 3);
  EXPECT_EQ(g.CellCount(), 2);
  g.SetItemIndex(2);
  EXPECT_EQ(g.ItemIndex(), -1);
}

TEST(ColorGrid, CellGeometry) {
  auto gOwner = Grid(8, 6);
  TacColorGrid& g = *gOwner;
  struct Case { int index; TRect r; };
  const Case cases[] = {{0, Rect(6, 6, 27, 27)}, {1, Rect(33, 6, 54, 27)}, {8, Rect(6, 33, 27, 54)},
                        {47, Rect(195, 141, 216, 162)}};
  for (const Case& c : cases) EXPECT_EQ(g.ColorsArray()[size_t(c.index)].R, c.r) << c.index;
  g.SetItemMargin(2);
  g.SetItemWidth(10);
  EXPECT_EQ(g.ColorsArray()[9].R, Rect(14, 25, 24, 46));
}

TEST(ColorGrid, HitTestGivesTheGapToTheLowerCell) {
  auto gOwner = Grid(5, 2);
  TacColorGrid& g = *gOwner;
  struct Case { int x, y, item; };
  const Case cases[] = {
      {30, 10, 0},   // gap between cells 0 and 1
      {10, 30, 0},   // gap between rows
      {30, 30, 0},   // corner gap of cells 0, 1, 5, 6
      {0, 0, 0},     // margin outside the first cell
      {-1, 10, -1},
      {34, 10, 1},
      {140, 10, 4},
      {141, 10, -1},  // right of the last cell's margin
      {140, 59, 9},
      {140, 60, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(g.GetItemByCoord(Point(c.x, c.y)), c.item) << c.x << "," << c.y;
}

TEST(ColorGrid, SelectionFiresOnceAndOutOfRangeMeansNone) {
  auto gOwner = Grid(5, 2, {"FF0000"});
  TacColorGrid& g = *gOwner;
  std::vector<String> events;
  g.OnChange = [&] { events.push_back("change " + IntToStr(g.ItemIndex())); };
  g.OnInvalidate = [&] { events.push_back("invalidate"); };
  EXPECT_EQ(g.ColorValue(), clWhite);
  g.MouseDown(10, 10);
  g.MouseDown(12, 12);  // same cell: nothing
  EXPECT_EQ(events, (std::vector<String>{"change 0", "invalidate"}));
  EXPECT_EQ(g.ColorValue(), Rgb(255, 0, 0));
  EXPECT_TRUE(g.ColorsArray()[0].Selected);
  g.SetItemIndex(3);
  EXPECT_FALSE(g.ColorsArray()[0].Selected);
  EXPECT_EQ(g.OldSelected(), 0);
  events.clear();
  g.SetItemIndex(10);  // no such cell
  EXPECT_EQ(g.ItemIndex(), -1);
  EXPECT_EQ(events, (std::vector<String>{"change -1", "invalidate"}));
  g.SetItemIndex(-7);
  EXPECT_EQ(events.size(), 2u);
  g.SetItemIndex(9);
  g.SetRowCount(1);  // the selected cell is gone
  EXPECT_EQ(g.ItemIndex(), -1);
  EXPECT_EQ(g.ColorValue(), clWhite);
  events.clear();
  g.MouseDown(500, 500);
  EXPECT_TRUE(events.empty());
}

TEST(ColorGrid, SelectionFrameGrowsTheCell) {
  TacColorGrid g;
  TColorGridFrame f;
  EXPECT_FALSE(g.SelectionFrame(f));
  g.SetItemIndex(6);
  ASSERT_TRUE(g.SelectionFrame(f));
  EXPECT_EQ(f.White, Rect(32, 32, 55, 55));
  EXPECT_EQ(f.Black, Rect(31, 31, 56, 56));
  EXPECT_EQ(f.Focus, Rect(29, 29, 58, 58));
}

TEST(ColorGrid, MainPaletteWords) {
  TacColorGrid g;
  TStringList list;
  for (const char* w : MainPaletteWords) list.Add(w);
  g.SetColCount(MainPalCols);
  g.SetRowCount(MainPalRows);
  g.SetColors(list);
  ASSERT_EQ(g.CellCount(), 48);
  EXPECT_EQ(g.Count(), 48);
  EXPECT_EQ(g.ColorsArray()[0].Color, Rgb(0x80, 0x80, 0xFF));
  EXPECT_EQ(g.ColorsArray()[7].Color, Rgb(0xFF, 0x80, 0xFF));
  EXPECT_EQ(g.ColorsArray()[28].Color, Rgb(0xFF, 0, 0));
  EXPECT_EQ(g.ColorsArray()[40].Color, clBlack);
  EXPECT_EQ(g.ColorsArray()[46].Color, Rgb(0x40, 0, 0x40));
  EXPECT_EQ(g.ColorsArray()[47].Color, clWhite);
  EXPECT_EQ(g.ColorsArray()[47].R.Right, 216);
  EXPECT_EQ(g.ColorsArray()[47].R.Bottom, 162);
}

}  // namespace
