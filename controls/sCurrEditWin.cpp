#include "controls/sCurrEditWin.h"

#include "paint/sGlyphUtils.h"
#include "paint/sMaskDraw.h"

#include <algorithm>

namespace {

String WindowText(HWND wnd) {
  const int n = GetWindowTextLengthW(wnd);
  std::wstring w(size_t(std::max(n, 0)) + 1, L'\0');
  GetWindowTextW(wnd, w.data(), n + 1);
  w.resize(size_t(std::max(n, 0)));
  return WideToUtf8(w);
}

void Selection(HWND wnd, size_t& start, size_t& length) {
  DWORD s = 0, e = 0;
  SendMessageW(wnd, EM_GETSEL, WPARAM(&s), LPARAM(&e));
  start = s;
  length = e > s ? e - s : 0;
}

String ClipboardText(HWND wnd) {
  String text;
  if (!OpenClipboard(wnd)) return text;
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT))
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
      text = WideToUtf8(p);
      GlobalUnlock(h);
    }
  CloseClipboard();
  return text;
}

}  // namespace

TacNumberSeparators LocaleSeparators() {
  TacNumberSeparators seps;
  wchar_t buf[8]{};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, 8) > 1) seps.Decimal = WideToUtf8(buf);
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buf, 8) > 1) seps.Thousand = WideToUtf8(buf);
  return seps;
}

// ---- TsMaskEdit

TsMaskEdit::TsMaskEdit(TComponent* owner) : TsEdit(owner) {}

void TsMaskEdit::SetEditMask(const String& value) {
  FMaskText = value;
  FModel.SetMask(ParseEditMask(value));
  if (HandleAllocated()) ShowModel(0);
}

TsEditButton::TsEditButton(TsCustomComboEdit* owner) : TsSpeedButton(owner), FOwner(owner) {
  SkinData()->SetSkinSection("SPEEDBUTTON_SMALL");
  ShowCaption = false;
  SetCursor(crArrow);  // the edit's own would be the text cursor
  AnimatEvents = AnimatEvent(aeMouseEnter) | AnimatEvent(aeMouseLeave);
  SetBounds(0, 0, ComboButtonWidth(16), 15);
  OnClick = [owner](TObject*) { owner->DoClick(); };
}

// The drop-down arrow in the font colour of the state, nudged when pressed.
void TsEditButton::PaintGlyph(int state) {
  const TsGeneralData* gd = SkinData()->Section();
  if (!gd || gd->Props.empty()) return;
  const size_t s = size_t(std::clamp(state, 0, int(gd->Props.size()) - 1));
  TRect a = Rect(0, 0, Width(), Height());
  if (state == 2) a = OffsetRect(a, 1, 1);
  DrawArrow(SkinData()->CacheView(), gd->Props[s].FontColor.Color, a, adDown);
}

TsCustomComboEdit::TsCustomComboEdit(TComponent* owner) : TsMaskEdit(owner) {
  SetBounds(Left(), Top(), Width(), 21);
  FButton = new TsEditButton(this);
  FButton->SetParent(this);
  PlaceButton();
}

void TsCustomComboEdit::SetShowButton(bool value) {
  if (value == FShowButton) return;
  FShowButton = value;
  ApplyMargin();
}

void TsCustomComboEdit::SetGlyphWidth(int value) {
  value = std::clamp(value, 0, 256);
  if (value == FGlyphWidth) return;
  FGlyphWidth = value;
  ApplyMargin();
}

void TsCustomComboEdit::CreateWnd() {
  TsMaskEdit::CreateWnd();
  ApplyMargin();
}

// The client starts a pixel inside the border band.
int TsCustomComboEdit::ClientShift() const { return std::max(BorderWidth() - 1, 0); }

// The button's rectangle is in window space; the button lives in the client.
void TsCustomComboEdit::PlaceButton() {
  if (!FButton) return;
  const TRect b = ButtonRect();
  FButton->SetVisible(!b.IsEmpty());
  if (b.IsEmpty()) return;
  FButton->SetBounds(b.Left - ClientShift(), b.Top - ClientShift(), b.Width(), b.Height());
}

void TsCustomComboEdit::SetBounds(int left, int top, int width, int height) {
  TsMaskEdit::SetBounds(left, top, width, height);
  PlaceButton();
}

// The text stays clear of the button.
void TsCustomComboEdit::ApplyMargin() {
  PlaceButton();
  if (!HandleAllocated()) return;
  const TRect b = ButtonRect();
  SendMessageW(Handle(), EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, b.IsEmpty() ? 0 : b.Width()));
  SkinData()->BGChanged = true;
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TsCustomComboEdit::DoClick() {
  if (GlyphWidth() <= 0 || ReadOnly()) return;
  if (OnButtonClick) OnButtonClick(this);
  if (OnDropDown) OnDropDown();
}

// The edit's own paint leaves its windowless children out.
void TsCustomComboEdit::PaintButton() {
  if (!FButton || !FButton->Visible() || !HandleAllocated()) return;
  HDC dc = GetDC(Handle());
  PaintGraphicChildren(dc, this, true, 0, Point(0, 0));
  ReleaseDC(Handle(), dc);
}

void TsCustomComboEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_SYSKEYDOWN:
    case WM_KEYDOWN:
      if (IsShortCut(ClickKey, uint16_t(m.WParam), GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0,
                     m.Msg == WM_SYSKEYDOWN || GetKeyState(VK_MENU) < 0) &&
          GlyphWidth() > 0) {
        DoClick();
        m.Result = 0;
        return;
      }
      break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      // Onto our own button and back: the mouse never left the edit.
      if ((m.LParam == 0 || m.LParam == LPARAM(this)) && FButton &&
          (m.Msg == CM_MOUSELEAVE ? GetMouseControl() == FButton : SkinData()->FMouseAbove)) {
        m.Result = 0;
        return;
      }
      break;
    case WM_MOUSELEAVE:
      // Out of the window from the button: the edit leaves too.
      TsMaskEdit::WndProc(m);
      if (SkinData()->FMouseAbove && GetMouseControl() != this) Perform(CM_MOUSELEAVE, 0, LPARAM(this));
      return;
    case SM_SKINCMD:
      if (SkinCommandCode(m) == SKC_GETBACKGROUND) {
        TsMaskEdit::WndProc(m);
        // The cache covers the window; the asker's origin is in the client.
        if (const LPARAM p = TrustedSkinPointer(m)) {
          auto& req = *reinterpret_cast<TBGRequest*>(p);
          if (req.Kind == bgBitmap && !req.DrawNow) {
            req.Offset.X += ClientShift();
            req.Offset.Y += ClientShift();
          }
        }
        return;
      }
      break;
    default:
      break;
  }
  TsMaskEdit::WndProc(m);
  switch (m.Msg) {
    case WM_PAINT:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      if (HandleAllocated() && IsWindowVisible(Handle())) PaintButton();
      break;
    default:
      break;
  }
}

void TsMaskEdit::CreateWnd() {
  TsEdit::CreateWnd();
  if (!FModel.Mask().Empty()) {
    FModel.SetText(Text());
    ShowModel(0);
  }
}

void TsMaskEdit::ShowModel(size_t cursor) {
  SetText(FModel.EditText());
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, cursor, cursor);
}

void TsMaskEdit::WndProc(TMessage& m) {
  if (FModel.Mask().Empty() || !HandleAllocated()) {
    TsEdit::WndProc(m);
    return;
  }
  size_t start = 0, length = 0;
  switch (m.Msg) {
    case WM_CHAR: {
      const auto c = char32_t(m.WParam);
      if (c < 32 && c != 8) break;  // control keys: copy, cut, paste
      if (ReadOnly()) return;
      Selection(Handle(), start, length);
      if (c == 8) {
        ShowModel(length ? FModel.ClearRange(start, length) : FModel.Backspace(start));
        return;
      }
      if (length) FModel.ClearRange(start, length);
      const size_t pos = FModel.TypeChar(start, c, true);
      if (pos == TacMaskEditModel::npos)
        MessageBeep(MB_OK);
      else
        ShowModel(pos);
      m.Result = 0;
      return;
    }
    case WM_KEYDOWN:
      if (m.WParam == VK_DELETE && !ReadOnly()) {
        Selection(Handle(), start, length);
        ShowModel(length ? FModel.ClearRange(start, length) : FModel.DeleteChar(start));
        m.Result = 0;
        return;
      }
      break;
    case WM_PASTE: {
      if (ReadOnly()) return;
      Selection(Handle(), start, length);
      if (length) FModel.ClearRange(start, length);
      bool dropped = false;
      const size_t pos = FModel.Paste(start, ClipboardText(Handle()), dropped);
      if (dropped) MessageBeep(MB_OK);
      ShowModel(pos);
      m.Result = 0;
      return;
    }
    case WM_CUT:
    case WM_CLEAR:
      if (ReadOnly()) return;
      if (m.Msg == WM_CUT) SendMessageW(Handle(), WM_COPY, 0, 0);
      Selection(Handle(), start, length);
      ShowModel(FModel.ClearRange(start, length));
      m.Result = 0;
      return;
    default:
      break;
  }
  TsEdit::WndProc(m);
}

// ---- TsCustomNumEdit

TsCustomNumEdit::TsCustomNumEdit(TComponent* owner) : TsCustomComboEdit(owner) {
  FNum.Separators = LocaleSeparators();
  FNum.FormatEditText();
  SetAlignment(taRightJustify);
}

// Alignment is that of the unfocused display; the number is always typed
// left-aligned.
void TsCustomNumEdit::CreateParams(TCreateParams& params) {
  TsCustomComboEdit::CreateParams(params);
  params.Style &= ~DWORD(ES_RIGHT | ES_CENTER);
}

void TsCustomNumEdit::CreateWnd() {
  TsCustomComboEdit::CreateWnd();
  ShowEditText();
}

void TsCustomNumEdit::SyncFromWindow() {
  if (HandleAllocated()) FNum.EditText = WindowText(Handle());
}

void TsCustomNumEdit::ShowEditText() {
  if (HandleAllocated() && WindowText(Handle()) != FNum.EditText) SetText(FNum.EditText);
}

double TsCustomNumEdit::Value() {
  SyncFromWindow();
  return FNum.Value();
}

void TsCustomNumEdit::SetValue(double value) {
  SyncFromWindow();
  if (!FNum.SetValue(value)) return;
  ShowEditText();
  SkinData()->Invalidate(false);
}

String TsCustomNumEdit::PaintedText() {
  if (FFocusedNow) return Text();
  SyncFromWindow();
  return FNum.DisplayText();
}

TAlignment TsCustomNumEdit::PaintedAlignment() { return FFocusedNow ? taLeftJustify : Alignment(); }

void TsCustomNumEdit::WndProc(TMessage& m) {
  if (!HandleAllocated()) {
    TsCustomComboEdit::WndProc(m);
    return;
  }
  switch (m.Msg) {
    case WM_CHAR: {
      SyncFromWindow();
      size_t start = 0, length = 0;
      Selection(Handle(), start, length);
      const TacNumKeyResult r = FNum.KeyPress(char32_t(m.WParam), start, length, false);
      switch (r.Action) {
        case TacNumKeyAction::nkPass: {
          const std::wstring key = Utf8ToWide(r.Key);
          if (key.size() == 1) m.WParam = key[0];
          break;
        }
        case TacNumKeyAction::nkReset:
          SetText(FNum.EditText);
          SendMessageW(Handle(), EM_SETSEL, 0, -1);
          m.Result = 0;
          return;
        case TacNumKeyAction::nkDropDown:
        case TacNumKeyAction::nkToPopup:
          if (OnOperatorDropDown) OnOperatorDropDown(r.Key);
          m.Result = 0;
          return;
        case TacNumKeyAction::nkDrop:
          if (r.Beep) MessageBeep(MB_OK);
          m.Result = 0;
          return;
      }
      break;
    }
    case WM_PASTE: {
      SyncFromWindow();
      const String previous = FNum.EditText;
      TsCustomComboEdit::WndProc(m);
      SyncFromWindow();
      const TacPasteResult r = FNum.AfterPaste(previous);
      if (!r.Accepted) {
        SetText(previous);
        SendMessageW(Handle(), EM_SETSEL, 0, -1);
        if (CanFocus()) SetFocus();
        if (r.Beep) MessageBeep(MB_OK);
      }
      return;
    }
    case WM_SETFOCUS:
      FFocusedNow = true;
      SyncFromWindow();
      FNum.FocusGained();
      ShowEditText();
      SkinData()->BGChanged = true;
      break;
    case WM_KILLFOCUS:
      SyncFromWindow();
      if (!FNum.FocusLost()) {
        MessageBeep(MB_OK);
        SendMessageW(Handle(), EM_SETSEL, 0, -1);
      }
      FFocusedNow = false;
      SendMessageW(Handle(), EM_SETSEL, 0, 0);
      SkinData()->BGChanged = true;
      break;
    default:
      break;
  }
  TsCustomComboEdit::WndProc(m);
}

TsCurrencyEdit::TsCurrencyEdit(TComponent* owner) : TsCustomNumEdit(owner) {
  SkinData()->COC = 41;
  SetGlyphWidth(0);  // no button: its click key does nothing either
  SetWidth(80);
}
