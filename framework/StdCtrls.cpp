#include "framework/StdCtrls.h"

#include "framework/Forms.h"

// ---- TCustomEdit ---------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  FWidth = 121;
  FHeight = 21;
  FTabStop = true;
  FParentColor = false;
  // The system edit captures the mouse itself.
  ControlStyle = {csClickEvents, csSetCaption, csDoubleClicks};
}

void TCustomEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClass = L"EDIT";
  p.Style |= ES_AUTOHSCROLL;
  static const DWORD aligns[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
  p.Style |= aligns[FAlignment];
  if (FBorderStyle == TBorderStyle::bsSingle) {
    if (FCtl3D)
      p.ExStyle |= WS_EX_CLIENTEDGE;
    else
      p.Style |= WS_BORDER;
  }
  if (FReadOnly) p.Style |= ES_READONLY;
  if (FPasswordChar) p.Style |= ES_PASSWORD;
  if (FCharCase == TEditCharCase::ecUpperCase) p.Style |= ES_UPPERCASE;
  if (FCharCase == TEditCharCase::ecLowerCase) p.Style |= ES_LOWERCASE;
  if (!FHideSelection) p.Style |= ES_NOHIDESEL;
  // The text goes in after the font: the system edit lays its text out at
  // creation and again for each font.
  p.Caption.clear();
}

void TCustomEdit::CreateWnd() {
  TWinControl::CreateWnd();
  if (!FText.empty()) {
    // As if created with it: no change notification, no handler of ours.
    const std::wstring text = ToWide(FText);
    FSettingInitialText = true;
    TMessage m{WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), 0};
    TWinControl::DefaultHandler(m);
    FSettingInitialText = false;
  }
  Perform(EM_LIMITTEXT, WPARAM(FMaxLength), 0);
  if (FPasswordChar) Perform(EM_SETPASSWORDCHAR, FPasswordChar, 0);
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) Perform(EM_SETSEL, 0, -1);
}

void TCustomEdit::CopyToClipboard() { Perform(WM_COPY); }
void TCustomEdit::CutToClipboard() { Perform(WM_CUT); }
void TCustomEdit::PasteFromClipboard() { Perform(WM_PASTE); }
void TCustomEdit::ClearSelection() { Perform(WM_CLEAR); }
void TCustomEdit::Undo() { Perform(WM_UNDO); }

int TCustomEdit::SelStart() {
  DWORD start = 0, end = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return int(start);
}

void TCustomEdit::SetSelStart(int value) { Perform(EM_SETSEL, WPARAM(value), LPARAM(value)); }

int TCustomEdit::SelLength() {
  DWORD start = 0, end = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return int(end - start);
}

void TCustomEdit::SetSelLength(int value) {
  int start = SelStart();
  Perform(EM_SETSEL, WPARAM(start), LPARAM(start + value));
}

String TCustomEdit::SelText() {
  std::wstring text = ToWide(Text());
  DWORD start = 0, end = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (start > text.size()) return {};
  return FromWide(std::wstring_view(text).substr(start, end - start));
}

void TCustomEdit::SetSelText(const String& value) {
  std::wstring w = ToWide(value);
  Perform(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(w.c_str()));
}

bool TCustomEdit::Modified() { return HandleAllocated() && Perform(EM_GETMODIFY) != 0; }
void TCustomEdit::SetModified(bool value) {
  if (HandleAllocated()) Perform(EM_SETMODIFY, value);
}

void TCustomEdit::SetMaxLength(int value) {
  FMaxLength = value < 0 ? 0 : value;
  if (HandleAllocated()) Perform(EM_LIMITTEXT, WPARAM(FMaxLength), 0);
}

void TCustomEdit::SetReadOnly(bool value) {
  FReadOnly = value;
  if (HandleAllocated()) Perform(EM_SETREADONLY, value, 0);
}

void TCustomEdit::SetPasswordChar(wchar_t value) {
  if (value == FPasswordChar) return;
  FPasswordChar = value;
  RecreateWnd();
}

void TCustomEdit::SetBorderStyle(TBorderStyle value) {
  if (value == FBorderStyle) return;
  FBorderStyle = value;
  RecreateWnd();
  Perform(CM_BORDERCHANGED);
}

void TCustomEdit::SetCtl3D(bool value) {
  if (value == FCtl3D) return;
  FCtl3D = value;
  RecreateWnd();
}

void TCustomEdit::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  RecreateWnd();
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
  if (value == FCharCase) return;
  FCharCase = value;
  RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool value) {
  if (value == FHideSelection) return;
  FHideSelection = value;
  RecreateWnd();
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == EN_CHANGE && !FSettingInitialText) Change();
    m.Result = 0;
    return;
  }
  TWinControl::WndProc(m);
}

// ---- TButton -------------------------------------------------------------

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  FWidth = 75;
  FHeight = 25;
  FTabStop = true;
  FColor = clBtnFace;
  ControlStyle = {csSetCaption, csDoubleClicks};
}

void TButton::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClass = L"BUTTON";
  p.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool value) {
  if (value == FDefault) return;
  FDefault = value;
  if (HandleAllocated()) Perform(BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (FModalResult != mrNone)
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  TWinControl::Click();
}

void TButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (HIWORD(m.WParam) == BN_CLICKED) Click();
      m.Result = 0;
      return;
    case CM_DIALOGKEY: {
      WORD key = WORD(m.WParam);
      if (((key == VK_RETURN && FDefault) || (key == VK_ESCAPE && FCancel)) && CanFocus()) {
        Click();
        m.Result = 1;
      }
      return;
    }
    default:
      break;
  }
  TWinControl::WndProc(m);
}
