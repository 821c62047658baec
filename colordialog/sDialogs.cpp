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

bool TsColorDialog::Execute() {
  if (FStandardDlg || !DefaultSkinManagerPresent()) return TColorDialog::Execute();
  // The skinned dialog form takes over here once it exists; until then the
  // system chooser serves both paths.
  return TColorDialog::Execute();
}
