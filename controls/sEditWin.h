// The skinned edit: the skin paints frame, background and text while the
// edit is neither focused nor under the mouse; otherwise the system edit
// paints its client area in the colours the link has set.
#pragma once
#include "controls/sEdit.h"
#include "controls/sLabelWin.h"
#include "framework/StdCtrls.h"
#include "paint/sCommonData.h"

#include <memory>

class TsBoundLabel;

// The label a bound label places beside its edit.
class TsEditLabel : public TsLabel {
public:
  explicit TsEditLabel(TComponent* owner) : TsLabel(owner) {}
  ~TsEditLabel() override;
  const char* ClassName() const override { return "TsEditLabel"; }
  TsBoundLabel* BoundLabel = nullptr;
};

// The caption an edit carries beside it, kept in step with the edit.
class TsBoundLabel : public TPersistent {
public:
  explicit TsBoundLabel(TWinControl* edit);
  ~TsBoundLabel() override;
  TsBoundLabel(const TsBoundLabel&) = delete;
  TsBoundLabel& operator=(const TsBoundLabel&) = delete;

  bool Active() const { return FTheLabel != nullptr; }
  void SetActive(bool value);
  const String& Caption() const { return FText; }
  void SetCaption(const String& value);
  TsCaptionLayout Layout() const { return FLayout; }
  void SetLayout(TsCaptionLayout value);
  int Indent() const { return FIndent; }
  void SetIndent(int value);
  int MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(int value);
  TFont* Font() const { return FTheLabel ? FTheLabel->Font() : FFont.get(); }
  void SetFont(const TFont* value);
  bool UseSkinColor() const { return FTheLabel ? FTheLabel->UseSkinColor() : true; }
  void SetUseSkinColor(bool value);
  TsEditLabel* TheLabel() const { return FTheLabel; }

  void AlignLabel();
  void HandleOwnerMsg(const TMessage& message, TControl* ownerControl);
  void LabelGone() { FTheLabel = nullptr; }

private:
  void ApplyAlignment();
  TWinControl* FEdit;
  int FMaxWidth = 0;
  String FText;
  TsCaptionLayout FLayout = sclLeft;
  std::unique_ptr<TFont> FFont;
  int FIndent = 0;
  TsEditLabel* FTheLabel = nullptr;
};

class TsEdit : public TEdit {
public:
  explicit TsEdit(TComponent* owner);
  ~TsEdit() override;
  const char* ClassName() const override { return "TsEdit"; }

  TsCommonData* SkinData() const { return FCommonData.get(); }
  // dkBlended / dkGrayed bits.
  unsigned DisabledKind() const { return FDisabledKind; }
  void SetDisabledKind(unsigned value);
  TsBoundLabel* BoundLabel() const { return FBoundLabel.get(); }
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
  // What the skin draws while the edit is idle, and how it is aligned.
  virtual String PaintedText() { return Text(); }
  virtual TAlignment PaintedAlignment() { return Alignment(); }

private:
  TacEditFrame Frame() const;
  void PaintText();
  void PaintClient(HDC dc);
  void PaintBorder();
  bool ClientPaintDrawsEdge();
  void ExcludeChildren(HDC dc);
  bool Stale() const;
  void PrintTo(HDC dc, LPARAM flags);
  void SkinnedWndProc(TMessage& message);

  std::unique_ptr<TsCommonData> FCommonData;
  std::unique_ptr<TsBoundLabel> FBoundLabel;
  unsigned FDisabledKind;
  String FTextHint;
};
