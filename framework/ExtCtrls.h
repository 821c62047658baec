// Image control and timer.
#pragma once
#include "framework/Controls.h"

// Shows a bitmap. Canvas() draws on that bitmap; an empty picture first
// becomes a bitmap of the control's size, so the image can be painted on
// directly. Every change of the bitmap repaints the control.
class TImage : public TGraphicControl {
public:
  explicit TImage(TComponent* owner);
  ~TImage() override;
  const char* ClassName() const override { return "TImage"; }

  TPicture* Picture() const { return FPicture; }
  void SetPicture(const TPicture* value) { FPicture->Assign(value); }
  TCanvas* Canvas();

  bool Stretch() const { return FStretch; }
  void SetStretch(bool value);
  bool Center() const { return FCenter; }
  void SetCenter(bool value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);

protected:
  void Paint() override;

private:
  void PictureChanged();
  TRect DestRect() const;
  TPicture* FPicture;
  bool FStretch = false;
  bool FCenter = false;
  bool FTransparent = false;
};

// A filled rectangle: Brush fills it, Pen frames it inside its bounds.
class TShape : public TGraphicControl {
public:
  explicit TShape(TComponent* owner);
  ~TShape() override;
  const char* ClassName() const override { return "TShape"; }
  TBrush* Brush() const { return FBrush; }
  TPen* Pen() const { return FPen; }

protected:
  void Paint() override;

private:
  TBrush* FBrush;
  TPen* FPen;
};

// Calls OnTimer every Interval milliseconds while Enabled (window timer on a
// utility window; exceptions from OnTimer are reported, the timer goes on).
class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  UINT Interval() const { return FInterval; }
  void SetInterval(UINT value);
  TNotifyEvent OnTimer;

protected:
  virtual void Timer();

private:
  void UpdateTimer();
  void WndProc(TMessage& m);
  HWND FWindow = nullptr;
  bool FEnabled = true;
  UINT FInterval = 1000;
  bool FRunning = false;
};
