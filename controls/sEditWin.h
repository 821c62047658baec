// The skinned edit: the skin paints frame, background and text while the
// edit is neither focused nor under the mouse; otherwise the system edit
// paints its client area in the colours the link has set.
#pragma once
#include "controls/sEdit.h"
#include "framework/StdCtrls.h"
#include "paint/sCommonData.h"

#include <memory>

class TsEdit : public TEdit {
public:
  explicit TsEdit(TComponent* owner);
  ~TsEdit() override;
  const char* ClassName() const override { return "TsEdit"; }

  TsCommonData* SkinData() const { return FCommonData.get(); }
  // dkBlended / dkGrayed bits.
  unsigned DisabledKind() const { return FDisabledKind; }
  void SetDisabledKind(unsigned value);
  const String& TextHint() const { return FTextHint; }
  void SetTextHint(const String& value);

  void Loaded() override;
  void WndProc(TMessage& message) override;

  // The cache: section (with its border when the edit has one), text and the
  // disabled look. False while the parent's background is not ready.
  bool PrepareCache();
  int BorderWidth() const;

protected:
  void CreateWnd() override;

private:
  TacEditFrame Frame() const;
  void PaintText();
  void PaintClient(HDC dc);
  void PaintBorder();
  void ExcludeChildren(HDC dc);
  bool Stale() const;
  void PrintTo(HDC dc, LPARAM flags);

  std::unique_ptr<TsCommonData> FCommonData;
  unsigned FDisabledKind;
  String FTextHint;
};
