#pragma once
// The colour dialog component: the framework's colour dialog plus a main
// palette and the choice between the system chooser and the skinned dialog.
#include "framework/Dialogs.h"

#include <functional>

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

// Runs a colour dialog's skinned form; true when the user confirmed (Color then
// holds the choice, else it is unchanged).
using TSkinnedColorDialogRunner = std::function<bool(TsColorDialog& dialog)>;
// The system chooser, as Execute runs it without a default skin manager.
bool RunSystemColorChooser(TsColorDialog& dialog);
// What Execute runs when a default skin manager is present and StandardDlg is
// off. The skinned dialog form installs itself here; until then (and when
// empty) the system chooser.
extern TSkinnedColorDialogRunner SkinnedColorDialogRunner;
