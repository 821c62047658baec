#pragma once
// The windowless logic of the colour grid control (TsColorsPanel): cells
// built from colour words, geometry, hit testing and the selected cell.
// The Win32 control owns one and paints what it describes.
#include <functional>
#include <vector>

#include "framework/core/Classes.h"
#include "framework/core/Types.h"

struct TsColInfo {
  int Index = 0;
  TColor Color = clWhite;
  TRect R;  // client coordinates
  bool Selected = false;
};

// The rectangles that show the selected cell.
struct TColorGridFrame {
  TRect White;  // cell grown by 1
  TRect Black;  // grown by 2
  TRect Focus;  // grown by 4, dotted, only while the control has the focus
};

class TacColorGrid {
public:
  TacColorGrid();

  // One word per item; items past ColCount x RowCount stay but get no cell.
  const TStringList& Colors() const { return FColors; }
  // Edits the list without rebuilding: call GenerateColors afterwards.
  TStringList& ColorsList() { return FColors; }
  void SetColors(const TStrings& colors);  // copies, rebuilds, invalidates

  int ItemIndex() const;  // -1 when none or when the index no longer names a cell
  // Anything but an existing cell deselects. Fires OnChange, then OnInvalidate.
  void SetItemIndex(int value);
  int OldSelected() const { return FOldSelected; }

  int ItemWidth() const { return FItemWidth; }
  int ItemHeight() const { return FItemHeight; }
  int ItemMargin() const { return FItemMargin; }
  int ColCount() const { return FColCount; }
  int RowCount() const { return FRowCount; }
  void SetItemWidth(int value) { SetGeometry(FItemWidth, value); }
  void SetItemHeight(int value) { SetGeometry(FItemHeight, value); }
  void SetItemMargin(int value) { SetGeometry(FItemMargin, value); }
  void SetColCount(int value) { SetGeometry(FColCount, value); }
  void SetRowCount(int value) { SetGeometry(FRowCount, value); }

  // Rebuilds the cells; pads Colors with "FFFFFF" up to one word per cell.
  void GenerateColors();
  const std::vector<TsColInfo>& ColorsArray() const { return FColorsArray; }
  int Count() const { return FColors.Count(); }
  int CellCount() const { return int(FColorsArray.size()); }

  TColor ColorValue() const;  // white when nothing is selected
  // The cell whose rectangle grown by ItemMargin holds p, lowest index first.
  int GetItemByCoord(TPoint p) const;
  // Any button: select the cell under the point, or deselect.
  void MouseDown(int x, int y) { SetItemIndex(GetItemByCoord(Point(x, y))); }
  // False when nothing is selected.
  bool SelectionFrame(TColorGridFrame& frame) const;

  void Invalidate() {
    if (OnInvalidate) OnInvalidate();
  }

  std::function<void()> OnChange;
  std::function<void()> OnInvalidate;

private:
  void SetGeometry(int& field, int value);

  TStringList FColors;
  int FItemIndex = -1;
  int FItemWidth = 21;
  int FItemHeight = 21;
  int FItemMargin = 6;
  int FColCount = 5;
  int FRowCount = 2;
  int FOldSelected = -1;
  std::vector<TsColInfo> FColorsArray;
};

// The dialog's main palette, row by row, red first in each word.
extern const char* const MainPaletteWords[48];
constexpr int MainPalCols = 8, MainPalRows = 6;
constexpr int AddPalCols = 8, AddPalRows = 2;
// The word of an unused custom cell.
extern const char* const EmptyCustomWord;
