// The skinned panel: a container painted from its section, cached or as a
// plain fill, with its caption and an OnPaint picture over the background;
// and the drag bar that moves a window.
#pragma once
#include "colordialog/sColorGrid.h"
#include "controls/sPanel.h"
#include "framework/Controls.h"
#include "paint/sCommonData.h"

#include <functional>
#include <memory>

using TacPaintEvent = std::function<void(TObject* sender, TCanvas* canvas)>;
enum class TacVerticalAlignment { taAlignTop, taAlignBottom, taVerticalCenter };

class TsPanel : public TCustomControl {
public:
  explicit TsPanel(TComponent* owner);
  ~TsPanel() override;
  const char* ClassName() const override { return "TsPanel"; }

  TsCommonData* SkinData() const { return FCommonData.get(); }
  TacBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TacBevelCut value);
  TacBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TacBevelCut value);
  int BevelWidth = 1;
  int BorderWidth = 0;
  bool ShowCaption = true;
  TAlignment Alignment = taCenter;
  TacVerticalAlignment VerticalAlignment = TacVerticalAlignment::taVerticalCenter;
  TacPaintEvent OnPaint;

  void Loaded() override;
  bool PrepareCache();
  void OurPaint(HDC dc, bool sendUpdated);
  void WriteText(const TRect& r, TCanvas* canvas, HDC dc);
  void WndProc(TMessage& message) override;

protected:
  void CreateWnd() override;
  void PaintWindow(HDC dc) override;
  // The picture over the background and caption: OnPaint by default.
  virtual void PaintPicture(TCanvas* canvas);

  std::unique_ptr<TsCommonData> FCommonData;

private:
  bool UsesCache() const;
  void PaintFast(HDC dc);
  TacBevelCut FBevelOuter = TacBevelCut::bvRaised;
  TacBevelCut FBevelInner = TacBevelCut::bvNone;
  TacBevelCut FOldBevel = TacBevelCut::bvRaised;
};

class TsDragBar : public TsPanel {
public:
  explicit TsDragBar(TComponent* owner);
  const char* ClassName() const override { return "TsDragBar"; }
  TWinControl* DraggedControl = nullptr;
  void WndProc(TMessage& message) override;
};

// A skinned panel showing a grid of colour cells; a click selects a cell.
// The cells, geometry and selection live in Grid (the windowless logic).
class TsColorsPanel : public TsPanel {
public:
  explicit TsColorsPanel(TComponent* owner);
  const char* ClassName() const override { return "TsColorsPanel"; }

  TacColorGrid& Grid() { return FGrid; }
  const TStringList& Colors() const { return FGrid.Colors(); }
  void SetColors(const TStrings& value) { FGrid.SetColors(value); }
  int ItemIndex() const { return FGrid.ItemIndex(); }
  void SetItemIndex(int value) { FGrid.SetItemIndex(value); }
  int Count() const { return FGrid.Count(); }
  TColor ColorValue() const { return FGrid.ColorValue(); }
  int GetItemByCoord(TPoint p) const { return FGrid.GetItemByCoord(p); }
  void GenerateColors() { FGrid.GenerateColors(); }
  // Fills each cell with its colour.
  void PaintColors(HDC dc);

  TNotifyEvent OnChange;

  void Loaded() override;
  void WndProc(TMessage& message) override;

protected:
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void PaintWindow(HDC dc) override;
  void PaintPicture(TCanvas* canvas) override;

private:
  void PaintSelection(HDC dc);
  TacColorGrid FGrid;
};
