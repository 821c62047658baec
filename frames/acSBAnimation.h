// The fade of one caption button: its state picture in a layered window
// over the button, faded in or out in steps of a 12 ms timer.
#pragma once
#include "framework/ExtCtrls.h"
#include "framework/Graphics.h"

#include <memory>

#include <windows.h>

class TsSkinProvider;
struct TsCaptionButton;

class TacSBAnimation : public TComponent {
public:
  TacSBAnimation(TsSkinProvider* owner, TsCaptionButton* button);
  ~TacSBAnimation() override;

  TsCaptionButton* PBtnData;
  HWND FormHandle = nullptr;
  int CurrentLevel = 0;
  int CurrentState = -1;  // -1: nothing shown
  bool Up = false;
  int MaxIterations = 10;
  HWND AForm = nullptr;           // the layered window
  std::unique_ptr<TBitmap> ABmp;  // its picture
  int LastAlpha = 0;              // the alpha last shown

  // Alpha per level; never divides by zero (zero or one iteration: 255).
  int Step() const { return MaxIterations > 1 ? 255 / MaxIterations : 255; }
  void StartAnimation(int newState, bool toUp);
  void OnAnimTimer();
  // The picture is shown (fading or at full alpha).
  bool Running() const { return CurrentState >= 0; }
  bool TimerActive() const { return FTimer && FTimer->Enabled(); }
  // At full alpha: the pointer left the button, so the form hears WM_MOUSELEAVE.
  void CheckMouseLeave();

private:
  void MakeImg(int state);
  void UpdateForm(int alpha);
  void Finish();
  // The button names its fade only while a picture is shown.
  void Sync();
  void StartTimer();
  void StopTimer();
  TsSkinProvider* FOwner;
  TTimer* FTimer = nullptr;
  bool FCounted = false;  // counted among the running fades (not while only watching the pointer)
};

// Stops and frees a button's animation (nil stays nil).
void FreeAnimation(TacSBAnimation*& timer);
// Pumps messages until no caption-button fade is running, at most maxMilliseconds.
void WaitForButtonFades(unsigned maxMilliseconds = 1000);
// Fades running now (for tests and the bounded wait).
int RunningButtonFades();
