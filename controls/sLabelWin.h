// The skinned label: transparent text whose colour follows the skin, over an
// optional section background.
#pragma once
#include "controls/sLabel.h"
#include "framework/Controls.h"

class TsCustomLabel : public TGraphicControl {
public:
  explicit TsCustomLabel(TComponent* owner);
  const char* ClassName() const override { return "TsCustomLabel"; }

  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool value);
  const String& SkinSection() const { return FSkinSection; }
  void SetSkinSection(const String& value);

  // The colour the text is drawn in.
  virtual TColor CurrentFontColor();
  // The parent's background colour under the label.
  TColor ParentBGColor() const;
  void AdjustBounds();
  void SetParent(TWinControl* value) override;
  void WndProc(TMessage& message) override;

protected:
  void Paint() override;
  virtual void DoDrawText(TRect& r, UINT flags);
  UINT TextFlags() const;

  String FSkinSection;
  int FSkinIndex = -1;

private:
  bool FAutoSize = true;
  TAlignment FAlignment = taLeftJustify;
  bool FWordWrap = false;
  bool FShowAccelChar = true;
  bool FPainting = false;
};

class TsLabel : public TsCustomLabel {
public:
  explicit TsLabel(TComponent* owner) : TsCustomLabel(owner) {}
  const char* ClassName() const override { return "TsLabel"; }
  bool UseSkinColor() const { return FUseSkinColor; }
  void SetUseSkinColor(bool value);
  TColor CurrentFontColor() override;

private:
  bool FUseSkinColor = true;
};
