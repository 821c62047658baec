#include "colordialog/sDialogs.h"

#include "colordialog/sSkinHook.h"

TsColorDialog::TsColorDialog(TComponent* owner) : TColorDialog(owner), FMainColors(new TStringList) {
  SetOptions({cdFullOpen});
}

TsColorDialog::~TsColorDialog() { delete FMainColors; }

void TsColorDialog::SetMainColors(const TStrings* value) {
  if (value == FMainColors) return;
  if (value)
    FMainColors->Assign(value);
  else
    FMainColors->Clear();
}

void TsColorDialog::DoShow() { TColorDialog::DoShow(); }

void TsColorDialog::DoClose() { TColorDialog::DoClose(); }

bool RunSystemColorChooser(TsColorDialog& dialog) { return dialog.TColorDialog::Execute(); }

TSkinnedColorDialogRunner SkinnedColorDialogRunner = RunSystemColorChooser;

bool TsColorDialog::Execute() {
  if (FStandardDlg || !DefaultSkinManagerPresent() || !SkinnedColorDialogRunner) return TColorDialog::Execute();
  TSkinnedColorDialogRunner runner = SkinnedColorDialogRunner;  // may be replaced while it runs
  return runner(*this);
}
