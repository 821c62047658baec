// The skinned push button: every state painted from the skin through its
// link's cache, with fades between states.
#pragma once
#include "controls/acFade.h"
#include "controls/sBitBtn.h"
#include "framework/StdCtrls.h"
#include "paint/sCommonData.h"

#include <memory>

class TsBitBtn : public TButton {
public:
  explicit TsBitBtn(TComponent* owner);
  ~TsBitBtn() override;
  const char* ClassName() const override { return "TsBitBtn"; }

  TsCommonData* SkinData() const { return FCommonData.get(); }
  TacAnimatEvents AnimatEvents = AnimatEvent(aeGlobalDef);
  bool Down() const { return FDown; }
  void SetDown(bool value);
  int Spacing = 4;
  int Margin = -1;
  bool ShowCaption = true;
  bool ShowFocus = true;
  int FocusMargin = 1;
  unsigned DisabledKind;
  TsFadeTimer* FadeTimer = nullptr;

  // 0 normal, 1 hot, 2 pressed, 3 default.
  int CurrentState();
  bool PrepareCache();
  TRect CaptionRect;
  void WndProc(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

private:
  bool Animate(TacAnimatEvent event) const;
  void PaintTo(HDC dc);
  void StateChanged(TacAnimatEvent event, bool clicked);
  // Shapes the window like its border mask (corner type 2).
  void UpdateRegion();
  void DropRegion();
  bool FRegionChanged = true;
  bool FHasRegion = false;
  std::unique_ptr<TsCommonData> FCommonData;
  bool FDown = false;
  bool FIsDefault = false;
  bool FForcedPressed = false;
  bool FMouseClicked = false;
};
