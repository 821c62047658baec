// Common dialogs: the system colour chooser as a component.
#pragma once
#include "framework/core/Classes.h"
#include "framework/core/Types.h"
#include "framework/Sets.h"

#include <windows.h>

// Base of the dialog components: an event pair around a modal run.
class TCommonDialog : public TComponent {
public:
  explicit TCommonDialog(TComponent* owner);
  ~TCommonDialog() override;

  // Runs the dialog modally; true when the user confirmed, and the dialog's
  // properties then hold the result. The base runs nothing and returns false.
  virtual bool Execute();

  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int value) { FHelpContext = value; }
  // The dialog's window while it is open, else nullptr.
  HWND Handle() const { return FHandle; }

  TNotifyEvent OnShow;
  TNotifyEvent OnClose;

protected:
  virtual void DoShow();
  virtual void DoClose();
  // Owner window for a run: the active form, else the main form, else nullptr.
  static HWND OwnerWindow();
  HWND FHandle = nullptr;

private:
  int FHelpContext = 0;
};

enum TColorDialogOption { cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor };
using TColorDialogOptions = TSet<TColorDialogOption>;

// The system colour chooser (ChooseColorW).
//
// CustomColors holds up to 16 colour words, one per item, each six hexadecimal
// digits red first ("FF8000"); an item "Name=Value" is read by its value. Missing
// or unreadable items give white. After a run the list holds all 16 words.
class TColorDialog : public TCommonDialog {
public:
  explicit TColorDialog(TComponent* owner);
  ~TColorDialog() override;

  bool Execute() override;

  TColor Color() const { return FColor; }
  void SetColor(TColor value) { FColor = value; }
  TStrings* CustomColors() const { return FCustomColors; }
  void SetCustomColors(const TStrings* value);
  TColorDialogOptions Options() const { return FOptions; }
  void SetOptions(TColorDialogOptions value) { FOptions = value; }

  static constexpr int CustomColorCount = 16;

private:
  static UINT_PTR CALLBACK HookProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  TColor FColor = clBlack;
  TStringList* FCustomColors;
  TColorDialogOptions FOptions;
};
