// The masked and numeric skinned edits: the edit-mask and value models of
// sMaskEdit.h and sCurrEdit.h behind the skinned edit's window.
#pragma once
#include "controls/sCurrEdit.h"
#include "controls/sCustomComboEdit.h"
#include "controls/sEditWin.h"
#include "controls/sMaskEdit.h"
#include "controls/sSpeedButtonWin.h"

#include <functional>

// Typed, deleted and pasted characters go through the mask; the field
// never holds more than the mask has positions.
class TsMaskEdit : public TsEdit {
public:
  explicit TsMaskEdit(TComponent* owner);
  const char* ClassName() const override { return "TsMaskEdit"; }
  const String& EditMask() const { return FMaskText; }
  void SetEditMask(const String& value);
  // The field's text as the mask gives it (blank positions as spaces).
  String MaskedText() const { return FModel.Text(); }
  TacMaskEditModel& Model() { return FModel; }
  void WndProc(TMessage& message) override;

protected:
  void CreateWnd() override;

private:
  void ShowModel(size_t cursor);
  String FMaskText;
  TacMaskEditModel FModel;
};

class TsCustomComboEdit;

// The button inside a combo edit: a flat speed button of the small section,
// kept at the edit's right edge, showing a drop-down arrow.
class TsEditButton : public TsSpeedButton {
public:
  explicit TsEditButton(TsCustomComboEdit* owner);
  const char* ClassName() const override { return "TsEditButton"; }
  TsCustomComboEdit* const FOwner;

protected:
  void PaintGlyph(int state) override;
};

// A masked edit with a small button inside its right edge: a click on it or
// the click key runs DoClick (the button's handler, then the drop-down).
class TsCustomComboEdit : public TsMaskEdit {
public:
  explicit TsCustomComboEdit(TComponent* owner);
  const char* ClassName() const override { return "TsCustomComboEdit"; }

  bool ShowButton() const { return FShowButton; }
  void SetShowButton(bool value);
  // Width of the button's glyph (the drop-down arrow's by default); 0 hides it.
  int GlyphWidth() const { return FShowButton ? FGlyphWidth : 0; }
  void SetGlyphWidth(int value);
  uint16_t ClickKey = DefaultClickKey;
  TNotifyEvent OnButtonClick;
  // Asked to drop the popup down; there is no popup window yet.
  std::function<void()> OnDropDown;
  bool DroppedDown() const { return false; }
  // In window coordinates; empty while the button does not show.
  TRect ButtonRect() const { return ComboButtonRect(BorderWidth(), Width(), Height(), GlyphWidth()); }
  TsEditButton* Button() const { return FButton; }
  void DoClick();
  void SetBounds(int left, int top, int width, int height) override;
  void WndProc(TMessage& message) override;

protected:
  void CreateWnd() override;

private:
  void ApplyMargin();
  int ClientShift() const;
  void PlaceButton();
  void PaintButton();
  TsEditButton* FButton = nullptr;
  bool FShowButton = true;
  int FGlyphWidth = 16;
};

// A real number with limits, formatted by DisplayFormat while not focused.
// Operator keys ask for the calculator popup through its own hook, which
// takes the key; the combo edit's button and click key stay as they are.
class TsCustomNumEdit : public TsCustomComboEdit {
public:
  explicit TsCustomNumEdit(TComponent* owner);
  const char* ClassName() const override { return "TsCustomNumEdit"; }

  double Value();
  void SetValue(double value);
  int32_t AsInteger() { return SaturatingTrunc(Value()); }
  TacNumEditModel& NumModel() { return FNum; }
  // Called when an operator key asks for the calculator popup (none yet).
  std::function<void(const String& key)> OnOperatorDropDown;
  void WndProc(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  String PaintedText() override;
  TAlignment PaintedAlignment() override;

private:
  void SyncFromWindow();
  void ShowEditText();
  TacNumEditModel FNum;
  bool FFocusedNow = false;
};

class TsCurrencyEdit : public TsCustomNumEdit {
public:
  explicit TsCurrencyEdit(TComponent* owner);
  const char* ClassName() const override { return "TsCurrencyEdit"; }
};

// The user's locale separators.
TacNumberSeparators LocaleSeparators();
