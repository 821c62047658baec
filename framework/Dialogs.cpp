#include "framework/Dialogs.h"

#include "framework/Forms.h"
#include "framework/WinUtils.h"

#include <commdlg.h>

// ---- TCommonDialog -------------------------------------------------------

TCommonDialog::TCommonDialog(TComponent* owner) : TComponent(owner) {}
TCommonDialog::~TCommonDialog() = default;

bool TCommonDialog::Execute() { return false; }

void TCommonDialog::DoShow() {
  if (OnShow) OnShow(this);
}

void TCommonDialog::DoClose() {
  if (OnClose) OnClose(this);
}

HWND TCommonDialog::OwnerWindow() {
  if (Screen) {
    if (TCustomForm* f = Screen->ActiveForm(); f && f->HandleAllocated()) return f->Handle();
  }
  if (Application) {
    if (TCustomForm* f = Application->MainForm(); f && f->HandleAllocated()) return f->Handle();
  }
  return GetActiveWindow();
}

// ---- TColorDialog --------------------------------------------------------

namespace {

const wchar_t DialogProp[] = L"QnColorDialog";

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// A colour word "RRGGBB" (or "Name=RRGGBB") to a COLORREF; white when unreadable.
COLORREF WordToColorRef(const String& item) {
  size_t eq = item.find('=');
  String word = Trim(eq == String::npos ? item : item.substr(eq + 1));
  if (word.size() != 6) return RGB(255, 255, 255);
  for (char c : word)
    if (!IsHexDigit(c)) return RGB(255, 255, 255);
  unsigned v = unsigned(std::stoul(word, nullptr, 16));
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

String ColorRefToWord(COLORREF c) {
  return IntToHex((uint64_t(GetRValue(c)) << 16) | (uint64_t(GetGValue(c)) << 8) | GetBValue(c), 6);
}

}  // namespace

TColorDialog::TColorDialog(TComponent* owner) : TCommonDialog(owner), FCustomColors(new TStringList) {}

TColorDialog::~TColorDialog() { delete FCustomColors; }

void TColorDialog::SetCustomColors(const TStrings* value) { FCustomColors->Assign(value); }

UINT_PTR CALLBACK TColorDialog::HookProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  try {
    if (msg == WM_INITDIALOG) {
      auto* cc = reinterpret_cast<CHOOSECOLORW*>(lParam);
      auto* self = reinterpret_cast<TColorDialog*>(cc->lCustData);
      SetPropW(wnd, DialogProp, self);
      self->FHandle = wnd;
      self->DoShow();
    } else if (msg == WM_DESTROY) {
      if (auto* self = static_cast<TColorDialog*>(GetPropW(wnd, DialogProp))) {
        RemovePropW(wnd, DialogProp);
        self->DoClose();
        self->FHandle = nullptr;
      }
    }
  } catch (...) {
    HandleBoundaryException(nullptr);
  }
  return 0;  // the dialog's own handling goes on
}

bool TColorDialog::Execute() {
  COLORREF custom[CustomColorCount];
  for (int i = 0; i < CustomColorCount; ++i)
    custom[i] = i < FCustomColors->Count() ? WordToColorRef(FCustomColors->Get(i)) : RGB(255, 255, 255);

  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof(cc);
  cc.hwndOwner = OwnerWindow();
  cc.rgbResult = ColorToRGB(FColor);
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT | CC_ENABLEHOOK;
  if (FOptions.Contains(cdFullOpen)) cc.Flags |= CC_FULLOPEN;
  if (FOptions.Contains(cdPreventFullOpen)) cc.Flags |= CC_PREVENTFULLOPEN;
  if (FOptions.Contains(cdShowHelp)) cc.Flags |= CC_SHOWHELP;
  if (FOptions.Contains(cdSolidColor)) cc.Flags |= CC_SOLIDCOLOR;
  if (FOptions.Contains(cdAnyColor)) cc.Flags |= CC_ANYCOLOR;
  cc.lCustData = reinterpret_cast<LPARAM>(this);
  cc.lpfnHook = &HookProc;

  bool ok = ChooseColorW(&cc) != FALSE;
  FHandle = nullptr;
  FCustomColors->BeginUpdate();
  FCustomColors->Clear();
  for (COLORREF c : custom) FCustomColors->Add(ColorRefToWord(c));
  FCustomColors->EndUpdate();
  if (ok) FColor = TColor(cc.rgbResult) & 0xFFFFFF;
  return ok;
}
