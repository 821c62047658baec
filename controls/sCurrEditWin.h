// The masked and numeric skinned edits: the edit-mask and value models of
// sMaskEdit.h and sCurrEdit.h behind the skinned edit's window.
#pragma once
#include "controls/sCurrEdit.h"
#include "controls/sEditWin.h"
#include "controls/sMaskEdit.h"

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

// A real number with limits, formatted by DisplayFormat while not focused.
class TsCustomNumEdit : public TsMaskEdit {
public:
  explicit TsCustomNumEdit(TComponent* owner);
  const char* ClassName() const override { return "TsCustomNumEdit"; }

  double Value();
  void SetValue(double value);
  int32_t AsInteger() { return SaturatingTrunc(Value()); }
  TacNumEditModel& NumModel() { return FNum; }
  // Called when an operator key asks for the calculator popup (none yet).
  std::function<void(const String& key)> OnDropDown;
  void WndProc(TMessage& message) override;

protected:
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
