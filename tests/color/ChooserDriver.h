// Drives the system colour chooser from inside its own modal loop: a thread
// timer finds the chooser (a #32770 dialog of this thread with the red field),
// reads its fields, types a colour into them and confirms or cancels.
#pragma once
#include <functional>
#include <string>

#include <windows.h>

struct TChooserScript {
  enum TAction { Confirm, Cancel };
  TAction Action = Confirm;
  bool SetRgb = false;
  int R = 0, G = 0, B = 0;
  // Runs right before the confirming or cancelling command is posted.
  std::function<void()> BeforeClose;

  // What the driver saw.
  int Runs = 0;  // choosers handled
  std::wstring Title;
  int ShownR = -1, ShownG = -1, ShownB = -1;  // field values when first seen
  bool FullOpen = false;                      // the red field was visible
  bool TimedOut = false;                      // had to cancel a stuck chooser
};

class TChooserDriver {
public:
  static constexpr int RedField = 706, GreenField = 707, BlueField = 708;

  explicit TChooserDriver(TChooserScript& script) {
    FActive = &script;
    FStep = 0;
    FTicks = 0;
    FTimer = SetTimer(nullptr, 0, 40, &TChooserDriver::Tick);
  }
  ~TChooserDriver() {
    KillTimer(nullptr, FTimer);
    FActive = nullptr;
  }
  TChooserDriver(const TChooserDriver&) = delete;
  TChooserDriver& operator=(const TChooserDriver&) = delete;

  static HWND FindChooser() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
          wchar_t cls[32] = {};
          GetClassNameW(w, cls, 32);
          if (wcscmp(cls, L"#32770") == 0 && IsWindowVisible(w) && GetDlgItem(w, RedField)) {
            *reinterpret_cast<HWND*>(p) = w;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
  }

private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    TChooserScript* s = FActive;
    if (!s) return;
    HWND dlg = FindChooser();
    if (!dlg) {
      FStep = 0;  // ready for the next run
      FTicks = 0;
      return;
    }
    ++FTicks;
    if (FStep == 0) {
      ++s->Runs;
      wchar_t title[128] = {};
      GetWindowTextW(dlg, title, 128);
      s->Title = title;
      s->ShownR = int(GetDlgItemInt(dlg, RedField, nullptr, FALSE));
      s->ShownG = int(GetDlgItemInt(dlg, GreenField, nullptr, FALSE));
      s->ShownB = int(GetDlgItemInt(dlg, BlueField, nullptr, FALSE));
      s->FullOpen = IsWindowVisible(GetDlgItem(dlg, RedField)) != FALSE;
      if (s->SetRgb) {
        // Setting the text notifies the chooser, which takes the value over.
        SetDlgItemInt(dlg, RedField, UINT(s->R), FALSE);
        SetDlgItemInt(dlg, GreenField, UINT(s->G), FALSE);
        SetDlgItemInt(dlg, BlueField, UINT(s->B), FALSE);
      }
      FStep = 1;
    } else if (FStep == 1) {
      if (s->BeforeClose) s->BeforeClose();
      int id = s->Action == TChooserScript::Confirm ? IDOK : IDCANCEL;
      PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dlg, id)));
      FStep = 2;
    } else if (FTicks > 250) {  // about 10 s: never leave a test hanging
      s->TimedOut = true;
      PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      FTicks = 0;
    }
  }

  static inline TChooserScript* FActive = nullptr;
  static inline int FStep = 0;
  static inline int FTicks = 0;
  UINT_PTR FTimer = 0;
};
