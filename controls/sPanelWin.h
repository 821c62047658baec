// The skinned panel: a container painted from its section, cached or as a
// plain fill, with its caption and an OnPaint picture over the background;
// and the drag bar that moves a window.
#pragma once
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
