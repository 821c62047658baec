// The skinned speed button: a windowless button painted from its section.
#pragma once
#include "controls/acFade.h"
#include "controls/sSpeedButton.h"
#include "framework/Controls.h"
#include "paint/sCommonData.h"

#include <memory>

enum class TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider, tbsTextButton };

class TsSpeedButton : public TGraphicControl {
public:
  explicit TsSpeedButton(TComponent* owner);
  ~TsSpeedButton() override;
  const char* ClassName() const override { return "TsSpeedButton"; }

  TsCommonData* SkinData() const { return FCommonData.get(); }
  TacAnimatEvents AnimatEvents = AnimatEvent(aeGlobalDef);
  TToolButtonStyle ButtonStyle = TToolButtonStyle::tbsButton;
  bool Down() const { return FDown; }
  void SetDown(bool value);
  bool ShowCaption = true;
  unsigned DisabledKind;
  TsFadeTimer* FadeTimer = nullptr;

  int CurrentState();
  bool PrepareCache();
  void SetParent(TWinControl* value) override;
  void WndProc(TMessage& message) override;

protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
  void StateChanged(TacAnimatEvent event, bool clicked);
  std::unique_ptr<TsCommonData> FCommonData;
  bool FDown = false;
  bool FPressed = false;
  bool FPainting = false;
};
