#include "colordialog/sColorGrid.h"

#include <algorithm>

#include "colordialog/sColorUtils.h"

const char* const EmptyCustomWord = "FFFFFF";

const char* const MainPaletteWords[48] = {
    "8080FF", "80FFFF", "80FF80", "80FF00", "FFFF80", "FF8000", "C080FF", "FF80FF",  //
    "0000FF", "00FFFF", "00FF80", "40FF00", "FFFF00", "C08000", "C08080", "FF00FF",  //
    "404080", "4080FF", "00FF00", "808000", "804000", "FF8080", "400080", "8000FF",  //
    "000080", "0080FF", "008000", "408000", "FF0000", "A00000", "800080", "FF0080",  //
    "000040", "004080", "004000", "004040", "800000", "400000", "400040", "800040",  //
    "000000", "008080", "408080", "808080", "808040", "C0C0C0", "400040", "FFFFFF",
};

namespace {
TRect Grow(const TRect& r, int d) { return Rect(r.Left - d, r.Top - d, r.Right + d, r.Bottom + d); }
}  // namespace

TacColorGrid::TacColorGrid() { GenerateColors(); }

void TacColorGrid::SetColors(const TStrings& colors) {
  if (&colors != &FColors) {
    FColors.Clear();
    FColors.AddStrings(colors);
  }
  GenerateColors();
  Invalidate();
}

int TacColorGrid::ItemIndex() const { return FItemIndex >= 0 && FItemIndex < CellCount() ? FItemIndex : -1; }

void TacColorGrid::SetItemIndex(int value) {
  if (value < 0 || value >= CellCount()) value = -1;
  int old = ItemIndex();
  FItemIndex = old;
  if (value == old) return;
  if (old >= 0) FColorsArray[size_t(old)].Selected = false;
  FOldSelected = old;
  FItemIndex = value;
  if (value >= 0) FColorsArray[size_t(value)].Selected = true;
  if (OnChange) OnChange();
  Invalidate();
}

void TacColorGrid::SetGeometry(int& field, int value) {
  if (field == value) return;
  field = value;
  GenerateColors();
  Invalidate();
}

void TacColorGrid::GenerateColors() {
  FColorsArray.clear();
  int cells = std::max(FColCount, 0) * std::max(FRowCount, 0);
  FColorsArray.reserve(size_t(cells));
  for (int r = 0; r < FRowCount; ++r) {
    for (int c = 0; c < FColCount; ++c) {
      int i = r * FColCount + c;
      TsColInfo cell;
      if (i < FColors.Count()) {
        cell.Color = PaletteWordToColor(FColors.Get(i));
      } else {
        cell.Color = clWhite;
        FColors.Add(EmptyCustomWord);
      }
      cell.Index = i;
      cell.Selected = i == FItemIndex;
      cell.R.Left = FItemMargin + (FItemWidth + FItemMargin) * c;
      cell.R.Top = FItemMargin + (FItemHeight + FItemMargin) * r;
      cell.R.Right = cell.R.Left + FItemWidth;
      cell.R.Bottom = cell.R.Top + FItemHeight;
      FColorsArray.push_back(cell);
    }
  }
}

TColor TacColorGrid::ColorValue() const {
  int i = ItemIndex();
  return i < 0 ? clWhite : FColorsArray[size_t(i)].Color;
}

int TacColorGrid::GetItemByCoord(TPoint p) const {
  for (const TsColInfo& cell : FColorsArray)
    if (Grow(cell.R, FItemMargin).Contains(p)) return cell.Index;
  return -1;
}

bool TacColorGrid::SelectionFrame(TColorGridFrame& frame) const {
  int i = ItemIndex();
  if (i < 0) return false;
  const TRect& r = FColorsArray[size_t(i)].R;
  frame.White = Grow(r, 1);
  frame.Black = Grow(r, 2);
  frame.Focus = Grow(r, 4);
  return true;
}
