// The skinned speed button: a windowless button painted from its section.
#pragma once
#include "controls/acFade.h"
#include "controls/sSpeedButton.h"
#include "framework/Controls.h"
#include "paint/sCommonData.h"

#include <memory>
#include <vector>

// One line of a drop-down button's menu; "-" makes a separator.
struct TacMenuItem {
  String Caption;
  TNotifyEvent OnClick;
};

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
  // The menu of a tbsDropDown button, shown under it.
  std::vector<TacMenuItem> DropdownMenu;
  bool DroppedDown() const { return FDroppedDown; }
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
  // Drawn over the section and caption of the state, before a disabled look.
  virtual void PaintGlyph(int /*state*/) {}

private:
  void StateChanged(TacAnimatEvent event, bool clicked);
  void DropDown();
  void PaintArrowPart(const TRect& part, int mainState);
  std::unique_ptr<TsCommonData> FCommonData;
  bool FDown = false;
  bool FPressed = false;
  bool FPainting = false;
  bool FDroppedDown = false;
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);  // checked after the modal menu
};
