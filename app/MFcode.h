// The tool window: colour code edit, swatch and the colour dialog.
#pragma once
#include "colordialog/sDialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "controls/sEditWin.h"
#include "framework/StdCtrls.h"
#include "skin/acSkinPack.h"
#include "skin/sSkinManager.h"

#include <windows.h>

class TMForm : public TForm {
public:
  explicit TMForm(TComponent* owner);
  const char* ClassName() const override { return "TMForm"; }

  TImage* I;
  TsEdit* E;
  TsSkinManager* SM;
  TsColorDialog* CD;

  void FormCreate(TObject* sender);
  void FormShow(TObject* sender);
  void IClick(TObject* sender);
  void EKeyUp(TObject* sender, WORD& key, TShiftState shift);
  void FormCloseQuery(TObject* sender, bool& canClose);
  // Right click on the swatch: the skin menu.
  void IMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  // The skins the menu offers (GetSkinNames, all kinds) and a choice from it.
  std::vector<String> SkinMenuItems() const;
  void ChooseSkin(const String& name);

  void WndProc(TMessage& message) override;

protected:
  void CreateWnd() override;

private:
  bool FRememberSkin = false;  // settings.ini names the skin, or the user chose one
  void FillSwatch(TColor color);
};

extern TMForm* MForm;
// Close the program after a confirmed colour; read at start, written back on close.
extern bool AutoClose;
// The settings file; empty means "settings.ini" beside the program file.
extern String SettingsFileName;
String SettingsPath();

// The form's own skin values, used when settings.ini has no [SKIN] section.
inline constexpr const char* FormSkinName = "AlterMetro (internal)";
inline constexpr const char* FormSkinDirectory = "c:\\Skins";

// The skins the tool window carries inside the program, as its skin manager
// holds them: the built-in skin from module's resources.
void AddInternalSkins(TsStoredSkins& skins, HMODULE module);
