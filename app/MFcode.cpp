#include "app/MFcode.h"

#include "colordialog/sColorUtils.h"
#include "colordialog/sSkinHook.h"
#include "framework/IniFiles.h"
#include "skin/acSkinWin.h"

TMForm* MForm = nullptr;
bool AutoClose = false;
String SettingsFileName;

String SettingsPath() { return SettingsFileName.empty() ? ExeFilePath() + "settings.ini" : SettingsFileName; }

namespace {

// The edit text from its second character on, at most 255 characters
// (UTF-16 units, so a first character of any kind is skipped whole).
String CodeDigits(const String& text) {
  std::wstring w = ToWide(text);
  return w.size() > 1 ? FromWide(std::wstring_view(w).substr(1, 255)) : String();
}

void SetStoredFont(TFont* font, TColor color) {
  font->SetName("Tahoma");
  font->SetHeight(-15);
  font->SetStyle({fsBold});
  font->SetColor(color);
}

// The end-to-end checks and timings still need the system chooser: the
// environment variable QUARNEL_SYSTEM_CHOOSER=1 asks for it.
bool SystemChooserRequested() {
  wchar_t value[4] = {};
  const DWORD n = GetEnvironmentVariableW(L"QUARNEL_SYSTEM_CHOOSER", value, 4);
  return n == 1 && value[0] == L'1';
}

}  // namespace

TMForm::TMForm(TComponent* owner) : TForm(owner) {
  BeginLoading();
  SetName("MForm");
  SetBounds(521, 333, Width(), Height());
  SetBorderStyle(TFormBorderStyle::bsToolWindow);
  SetClientSize(124, 103);
  SetColor(clWhite);
  SetStoredFont(Font(), clWindowText);
  SetFormStyle(TFormStyle::fsStayOnTop);
  SetCaption("");
  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnShow = [this](TObject* s) { FormShow(s); };
  OnCloseQuery = [this](TObject* s, bool& canClose) { FormCloseQuery(s, canClose); };

  I = new TImage(this);
  I->SetName("I");
  I->SetParent(this);
  I->SetBounds(0, 24, 129, 81);
  I->SetCursor(crHandPoint);
  I->OnClick = [this](TObject* s) { IClick(s); };
  I->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { IMouseDown(s, b, sh, x, y); };

  E = new TsEdit(this);
  E->SkinData()->SetSkinSection("EDIT");
  E->SetName("E");
  E->SetParent(this);
  E->SetBounds(0, 0, 129, 26);
  E->SetColor(clWhite);
  SetStoredFont(E->Font(), clBlack);
  E->SetTabOrder(0);
  E->SetText("#FFF");
  E->OnKeyUp = [this](TObject* s, WORD& key, TShiftState shift) { EKeyUp(s, key, shift); };

  SM = new TsSkinManager(this);
  SM->SetName("SM");
  try {
    AddInternalSkins(SM->InternalSkins(), GetModuleHandleW(nullptr));
  } catch (const Exception&) {
    // A module without the skin resource (a test program): no internal skin.
    SM->InternalSkins().Clear();
  }
  SM->SetSkinDirectory(FormSkinDirectory);
  SM->SetSkinName(FormSkinName);
  DefaultSkinManagerQuery = [] { return DefaultManager != nullptr; };

  CD = new TsColorDialog(this);
  CD->SetName("CD");
  CD->SetColor(0xFFFFFF);
  CD->SetStandardDlg(SystemChooserRequested());
  EndLoading();
  // The manager announced its skin from its Loaded, while this form was still
  // loading, and the delivery passes loading forms by: tell it again now.
  if (SM->Active()) SM->UpdateSkin(false);
}

void AddInternalSkins(TsStoredSkins& skins, HMODULE module) {
  TsStoredSkin* skin = skins.Add();
  skin->SetName("AlterMetro (internal)");
  skin->SetShadow1Color(clBlack);
  skin->SetShadow1Offset(0);
  skin->SetShadow1Transparency(0);
  LoadStoredSkinResource(*skin, module, L"ALTERMETRO");
}

void TMForm::FillSwatch(TColor color) {
  TCanvas* canvas = I->Canvas();
  canvas->Brush()->SetColor(color);
  canvas->FillRect(Rect(0, 0, I->Picture()->Width(), I->Picture()->Height()));
}

void TMForm::FormCreate(TObject* sender) {
  TIniFile ini(SettingsPath());
  SetLeft(ini.ReadInteger("POS", "X", Screen->Width() - Width()));
  SetTop(ini.ReadInteger("POS", "Y", Screen->WorkAreaHeight() - Height()));
  AutoClose = ini.ReadBool("SYS", "AUTOCLOSE", false);
  if (ini.SectionExists(SkinSettingsSection)) {
    FRememberSkin = true;
    const String dir = SkinSettingOrDefault(ini.ReadString(SkinSettingsSection, SkinSettingsDir, ""), FormSkinDirectory);
    const String name = SkinSettingOrDefault(ini.ReadString(SkinSettingsSection, SkinSettingsName, ""), FormSkinName);
    if (dir != SM->SkinDirectory()) SM->SetSkinDirectory(dir);
    if (name != SM->SkinName() || dir != FormSkinDirectory) SM->SetSkinName(name);
  }
}

void TMForm::FormShow(TObject* sender) {
  FillSwatch(0xFFFFFF);
  IClick(this);
}

void TMForm::IClick(TObject* sender) {
  try {
    CD->SetColor(HtmlCodeToColor(CodeDigits(E->Text())));
  } catch (const EConvertError&) {
    // A malformed code keeps the dialog's previous colour.
  }
  if (!CD->Execute()) return;
  FillSwatch(CD->Color());
  E->SetText("#" + ColorToHtmlCode(CD->Color()));
  E->SelectAll();
  E->CopyToClipboard();
  bool leftShiftDown = (GetAsyncKeyState(VK_LSHIFT) & 0x8000) != 0;
  if (!leftShiftDown && AutoClose) Application->MainForm()->Close();
}

void TMForm::EKeyUp(TObject* sender, WORD& key, TShiftState shift) {
  try {
    FillSwatch(HtmlCodeToColor(CodeDigits(E->Text())));
  } catch (const std::exception&) {
    // Typing is never reported: the swatch keeps its fill.
  }
}

void TMForm::FormCloseQuery(TObject* sender, bool& canClose) {
  TIniFile ini(SettingsPath());
  ini.WriteInteger("POS", "X", Left());
  ini.WriteInteger("POS", "Y", Top());
  ini.WriteBool("SYS", "AUTOCLOSE", AutoClose);
  if (FRememberSkin) {
    ini.WriteString(SkinSettingsSection, SkinSettingsName, SM->SkinName());
    ini.WriteString(SkinSettingsSection, SkinSettingsDir, SM->SkinDirectory());
  }
}

void TMForm::IMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
  if (button != mbRight) return;
  const std::vector<String> names = SkinMenuItems();
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  for (size_t i = 0; i < names.size(); ++i)
    AppendMenuW(menu, MF_STRING | (names[i] == SM->SkinName() ? MF_CHECKED : 0), i + 1, ToWide(names[i]).c_str());
  POINT p{I->Left() + x, I->Top() + y};
  ::ClientToScreen(Handle(), &p);
  const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, p.x, p.y, 0, Handle(), nullptr);
  DestroyMenu(menu);
  if (chosen > 0 && size_t(chosen) <= names.size()) ChooseSkin(names[size_t(chosen) - 1]);
}

std::vector<String> TMForm::SkinMenuItems() const {
  TStringList list;
  SM->GetSkinNames(list, TacSkinTypes::stAllSkins);
  std::vector<String> names;
  for (int i = 0; i < list.Count(); ++i) names.push_back(list[i]);
  return names;
}

void TMForm::ChooseSkin(const String& name) {
  SM->SetSkinName(name);
  FRememberSkin = true;
}

void TMForm::CreateWnd() {
  TForm::CreateWnd();
  if (acPreviewMode) TsSkinManager::GreetPreviewEditor(Handle());
}

void TMForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_ACPREVIEW_MSG:
      // Only an editor driving a preview may talk to us; otherwise ignored.
      m.Result = SM ? SM->HandlePreviewMessage(this, m.WParam) : 0;
      return;
    case WM_COPYDATA:
      if (acPreviewMode && SM) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(m.LParam);
        m.Result = data ? SM->HandlePreviewData(m.WParam, data->lpData, data->cbData) : 0;
        return;
      }
      break;
  }
  TForm::WndProc(m);
}
