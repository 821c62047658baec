#pragma once
// The colour dialog component: the framework's colour dialog plus a main
// palette and the choice between the system chooser and the skinned dialog.
#include "framework/Dialogs.h"

class TsColorDialog : public TColorDialog {
public:
  explicit TsColorDialog(TComponent* owner);
  ~TsColorDialog() override;

  // True when the user confirmed; Color then holds the choice, else it is unchanged.
  bool Execute() override;

  // Palette words ("8080FF", red first) for the main palette; owned.
  TStrings* MainColors() const { return FMainColors; }
  // Copies the given list; nullptr empties it.
  void SetMainColors(const TStrings* value);
  bool StandardDlg() const { return FStandardDlg; }
  void SetStandardDlg(bool value) { FStandardDlg = value; }

protected:
  void DoShow() override;
  void DoClose() override;

private:
  TStringList* FMainColors;
  bool FStandardDlg = false;
};
