#pragma once
// The skinned colour dialog form and the skinned path of TsColorDialog::Execute.
// The form shows what its windowless model (TacColorDialogModel) describes and
// forwards every click, drag and typed change to it.
#include "colordialog/sColorDialogModel.h"
#include "colordialog/sDialogs.h"
#include "controls/sBitBtnWin.h"
#include "controls/sCurrEditWin.h"
#include "controls/sLabelWin.h"
#include "controls/sPanelWin.h"
#include "controls/sSpeedButtonWin.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"

#include <memory>

// The screen picker's button: a flat speed button with the eyedropper glyph
// (16 x 15, magenta transparent) drawn over its skinned face.
class TacEyedropperButton : public TsSpeedButton {
public:
  explicit TacEyedropperButton(TComponent* owner) : TsSpeedButton(owner) {}
  const char* ClassName() const override { return "TsSpeedButton"; }
  static constexpr int GlyphWidth = 16, GlyphHeight = 15;
  // The glyph's pixels as TColor, magenta where transparent.
  static TColor GlyphPixel(int x, int y);

protected:
  void Paint() override;
};

// String table entries of the dialog's captions.
enum TacColorDialogString {
  sHexLabel = 58951, sDecimalLabel, sBlueLabel, sGreenLabel, sRedLabel, sDialogCaption, sAdditionalColors,
  sMainPalette, sDefineColors, sAddToCustom,
  sHelpButton = 58990, sCancelButton, sOkButton
};
// The entry from the program's string table, or `fallback` when it has none.
String LoadLngString(int id, const char* fallback);

class TsColorDialogForm : public TForm, public TColorDialogView {
public:
  explicit TsColorDialogForm(TComponent* owner);
  ~TsColorDialogForm() override;
  const char* ClassName() const override { return "TsColorDialogForm"; }

  static constexpr int DesignClientWidth = 532, DesignClientHeight = 385;
  static constexpr int NarrowWidth = 235, FullWidth = 541, FixedHeight = 416;

  TsLabel *sLabel1, *sLabel2, *sLabel4, *sLabel5, *sLabel6;
  TacEyedropperButton* sSpeedButton1;
  TsBitBtn *sBitBtn1, *sBitBtn2, *sBitBtn3, *sBitBtn4, *sBitBtn5;
  TsPanel *ColorPanel, *GradPanel;
  TShape* SelectedPanel;
  TsCurrencyEdit *sHEdit, *sSEdit, *sVEdit, *sREdit, *sGEdit, *sBEdit, *sEditDecimal;
  TsMaskEdit* sEditHex;
  TsColorsPanel *MainPal, *AddPal;
  TBitmap32 ExtBmp;  // the rendered colour field

  // The dialog that opened the form (its Color, HelpContext, OnShow).
  TsColorDialog* OwnerDialog() const { return FOwnerDialog; }
  void SetOwnerDialog(TsColorDialog* dialog) { FOwnerDialog = dialog; }
  TacColorDialogModel& Model() { return *FModel; }
  TColor SelectedColor() const { return FModel->SelectedColor(); }
  // The text field that shows `field`.
  TsEdit* FieldEdit(TColorEditField field) const { return FEdits[int(field)]; }

  void SetCurrentColor(TColor c) { FModel->SetCurrentColor(c); }
  void InitLngCaptions();
  // Ends any drag on the field or bar: cursor confinement and capture go.
  void ReleaseDrag();

  // Event handlers.
  void FormCreate(TObject* sender);
  void FormShow(TObject* sender);
  void FormDestroy(TObject* sender);
  void FormPaint(TObject* sender);
  void FormMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void FormMouseMove(TObject* sender, TShiftState shift, int x, int y);
  void FormMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void ColorPanelPaint(TObject* sender, TCanvas* canvas);
  void ColorPanelMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void ColorPanelMouseMove(TObject* sender, TShiftState shift, int x, int y);
  void ColorPanelMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void GradPanelPaint(TObject* sender, TCanvas* canvas);
  void GradPanelMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void GradPanelMouseMove(TObject* sender, TShiftState shift, int x, int y);
  void GradPanelMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void sHEditChange(TObject* sender);
  void sREditChange(TObject* sender);
  void sEditHexChange(TObject* sender);
  void sEditDecimalChange(TObject* sender);
  void sEditHexKeyPress(TObject* sender, wchar_t& key);
  void MainPalChange(TObject* sender);
  void MainPalDblClick(TObject* sender);
  void AddPalDblClick(TObject* sender);
  void sSpeedButton1Click(TObject* sender);
  void sBitBtn1Click(TObject* sender);
  void sBitBtn2Click(TObject* sender);
  void sBitBtn3Click(TObject* sender);
  void sBitBtn4Click(TObject* sender);
  void sBitBtn5Click(TObject* sender);

  void WndProc(TMessage& message) override;

  // TColorDialogView
  void ShowFieldText(TColorEditField field, const String& text) override;
  void ShowSelectedColor(TColor c) override;
  void RepaintBar() override;
  void EraseBarArrow() override;
  void RedrawMarkerArea() override;
  void RepaintField() override;

private:
  TsCurrencyEdit* NumberEdit(int left, int top, const char* label, int tabOrder);
  TsBitBtn* Button(int left, int top, int width, const String& caption, int tabOrder);
  TsLabel* Label(int left, int top, int width, int height, const String& caption);
  TsPanel* PickPanel(int left, int top, int width, int tabOrder);
  TsColorsPanel* Palette(int top, int height, int cols, int rows, int tabOrder);
  void FieldChange(TColorEditField field);
  void FitLabels();
  void ConfineCursorTo(TControl* control);
  // Watches a window for the loss of the mouse capture during a drag.
  void WatchCapture(TControl* control);

  std::unique_ptr<TacColorDialogModel> FModel;
  TsEdit* FEdits[ColorEditFieldCount] = {};
  TsColorDialog* FOwnerDialog = nullptr;
  bool FCursorClipped = false;
  bool FReleasing = false;
  int FHexKeyLink = 0;
};

// The form of the skinned dialog that is open, or nullptr (one at a time).
extern TsColorDialogForm* acColorDialogForm;
// Called with the form right before it is shown modally: tests and the
// skinned-forms layer use it. Empty by default.
extern std::function<void(TsColorDialogForm&)> OnColorDialogFormShowing;

// Execute's skinned path: runs the form modally and carries Color,
// CustomColors and MainColors in and out; true when the user confirmed.
bool RunSkinnedColorDialog(TsColorDialog& dialog);
// Makes TsColorDialog::Execute take the skinned path when a default skin
// manager exists (the program calls it once at start).
void InstallSkinnedColorDialog();
