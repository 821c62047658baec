// Standard windowed controls over the system classes: edit and push button.
#pragma once
#include "framework/Controls.h"

enum class TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

// A single-line system edit (class "EDIT", superclassed).
class TCustomEdit : public TWinControl {
public:
  explicit TCustomEdit(TComponent* owner);
  const char* ClassName() const override { return "TCustomEdit"; }

  void SelectAll();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void ClearSelection();
  void Clear() { SetText(""); }
  void Undo();

  int SelStart();
  void SetSelStart(int value);
  int SelLength();
  void SetSelLength(int value);
  String SelText();
  void SetSelText(const String& value);
  bool Modified();
  void SetModified(bool value);

  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  wchar_t PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(wchar_t value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value);

  TNotifyEvent OnChange;

  void WndProc(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  virtual void Change();

private:
  int FMaxLength = 0;
  bool FReadOnly = false;
  wchar_t FPasswordChar = 0;
  TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
  bool FCtl3D = true;
  TAlignment FAlignment = taLeftJustify;
  TEditCharCase FCharCase = TEditCharCase::ecNormal;
  bool FHideSelection = true;
  bool FSettingInitialText = false;
};

class TEdit : public TCustomEdit {
public:
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
  const char* ClassName() const override { return "TEdit"; }
};

// A system push button (class "BUTTON"). A Default button answers Return and
// a Cancel button Escape anywhere on its form; a click with a ModalResult
// sets the form's ModalResult.
class TButton : public TWinControl {
public:
  explicit TButton(TComponent* owner);
  const char* ClassName() const override { return "TButton"; }

  bool Default() const { return FDefault; }
  void SetDefault(bool value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool value) { FCancel = value; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }

  void Click() override;
  void WndProc(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;

private:
  bool FDefault = false;
  bool FCancel = false;
  TModalResult FModalResult = mrNone;
};
