// Fades of a control's state change: the old picture blended into the new
// one every 10 ms, and the process-wide animation flags.
#pragma once
#include "controls/acGlowFadeMath.h"
#include "framework/ExtCtrls.h"
#include "framework/Graphics.h"

#include <memory>

#include <windows.h>

class TsCommonData;

// While set no fade starts or advances (a fade held by it ends at its next tick).
extern bool acFadeStop;
// Live fade and animation timers.
extern int acFadeTimerCount;
// A form show/hide animation or the skin-change fade is running.
extern bool acFormAnimating;
// The window a fade tick refreshes after each step (nil: none).
extern HWND acAnimatedWnd;

class TsFadeTimer : public TTimer {
public:
  explicit TsFadeTimer(TComponent* owner);
  ~TsFadeTimer() override;

  // Sets up a fade from the link's present cache to the one the control
  // builds now (skin command 23).
  void SetOwnerData(TsCommonData* link, bool clicked, TFadeDirection direction);
  void Change();
  // Ends the fade: with finished, the control is told (skin command 16).
  void ToEnd(bool finished);

  TacFadeSteps Steps;
  TsCommonData* FOwnerData = nullptr;
  TBitmap32 BmpFrom;

protected:
  void Timer() override;

private:
  bool FDestroying = false;
};

// Same stepping for controls that keep their own state pictures: each step
// goes to TmpBmp and the control repaints (commands 8 and 18).
class TsAnimTimer : public TTimer {
public:
  explicit TsAnimTimer(TComponent* owner);
  ~TsAnimTimer() override;
  void SetOwnerData(TsCommonData* link);
  void DoFade();
  void Repaint();
  void ToEnd();

  bool FadeInProcess = false;
  TBitmap32 BmpFrom, TmpBmp;
  TsCommonData* FOwnerData = nullptr;
  int Iterations = 0;
  int FadeLevel = 1;

protected:
  void Timer() override;
};

// Mouse enter/leave (clicked false) and down/up (clicked true): fades when
// allowed, else repaints at once; the glow follows in both cases.
void StartStateChange(TsFadeTimer*& timer, TsCommonData* link, bool clicked, bool allowed,
                      TFadeDirection direction = TFadeDirection::fdUp);
void StopFade(TsFadeTimer*& timer, TsCommonData* link);
// Sets the fade-stop flag and pumps messages until no fade runs; bounded
// (a fade held by the flag ends at its next tick).
void WaitForFades(unsigned maxMilliseconds = 2000);
// The button events the manager lets fade (none without a manager).
TacAnimatEvents ButtonAnimatEvents(const class TsSkinManager* sm);
