#include "framework/ExtCtrls.h"

// ---- TShape --------------------------------------------------------------

TShape::TShape(TComponent* owner) : TGraphicControl(owner), FBrush(new TBrush), FPen(new TPen) {
  FWidth = 65;
  FHeight = 65;
  ControlStyle.Include(csOpaque);
  FPen->SetStyle(TPenStyle::psInsideFrame);
  FBrush->OnChange = [this](TObject*) { Invalidate(); };
  FPen->OnChange = [this](TObject*) { Invalidate(); };
}

TShape::~TShape() {
  FBrush->OnChange = nullptr;
  FPen->OnChange = nullptr;
  delete FBrush;
  delete FPen;
}

void TShape::Paint() {
  TCanvas* c = Canvas();
  c->SetPen(FPen);
  c->SetBrush(FBrush);
  c->Rectangle(0, 0, FWidth, FHeight);
}

// ---- TImage --------------------------------------------------------------

TImage::TImage(TComponent* owner) : TGraphicControl(owner), FPicture(new TPicture) {
  FWidth = 105;
  FHeight = 105;
  ControlStyle.Include(csReplicatable);
  FPicture->OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() {
  FPicture->OnChange = nullptr;
  delete FPicture;
}

TCanvas* TImage::Canvas() {
  TBitmap* bmp = FPicture->Bitmap();
  if (bmp->Empty()) {
    bmp->SetPixelFormat(TPixelFormat::pf24bit);
    bmp->SetSize(FWidth, FHeight);
  }
  return bmp->Canvas();
}

void TImage::SetStretch(bool value) {
  if (value == FStretch) return;
  FStretch = value;
  PictureChanged();
}

void TImage::SetCenter(bool value) {
  if (value == FCenter) return;
  FCenter = value;
  PictureChanged();
}

void TImage::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  PictureChanged();
}

TRect TImage::DestRect() const {
  int w = FPicture->Width(), h = FPicture->Height();
  if (FStretch) return Rect(0, 0, FWidth, FHeight);
  if (FCenter) {
    int x = (FWidth - w) / 2, y = (FHeight - h) / 2;
    return Rect(x, y, x + w, y + h);
  }
  return Rect(0, 0, w, h);
}

void TImage::PictureChanged() {
  TRect d = DestRect();
  bool covers = !FTransparent && !FPicture->Bitmap()->Empty() && d.Left <= 0 && d.Top <= 0 && d.Right >= FWidth &&
                d.Bottom >= FHeight;
  if (covers)
    ControlStyle.Include(csOpaque);
  else
    ControlStyle.Exclude(csOpaque);
  Invalidate();
}

void TImage::Paint() {
  TBitmap* bmp = FPicture->Bitmap();
  if (bmp->Empty()) return;
  bool wasTransparent = bmp->Transparent();
  if (FTransparent != wasTransparent) {
    auto notify = std::move(bmp->OnChange);  // painting is no change of the picture
    bmp->SetTransparent(FTransparent);
    TGraphicControl::Canvas()->StretchDraw(DestRect(), bmp);
    bmp->SetTransparent(wasTransparent);
    bmp->OnChange = std::move(notify);
    return;
  }
  TGraphicControl::Canvas()->StretchDraw(DestRect(), bmp);
}

// ---- TTimer --------------------------------------------------------------

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  FWindow = AllocateHWnd([this](TMessage& m) { WndProc(m); });
  UpdateTimer();
}

TTimer::~TTimer() {
  FEnabled = false;
  if (FRunning) KillTimer(FWindow, 1);
  DeallocateHWnd(FWindow);
}

void TTimer::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  UpdateTimer();
}

void TTimer::SetInterval(UINT value) {
  if (value == FInterval) return;
  FInterval = value;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (FRunning) KillTimer(FWindow, 1);
  FRunning = false;
  if (FEnabled && FInterval != 0) {
    if (!SetTimer(FWindow, 1, FInterval, nullptr)) throw EOutOfResources("Not enough timers available");
    FRunning = true;
  }
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}

void TTimer::WndProc(TMessage& m) {
  if (m.Msg == WM_TIMER) {
    try {
      Timer();
    } catch (...) {
      HandleBoundaryException(this);
    }
    m.Result = 0;
    return;
  }
  m.Result = DefWindowProcW(FWindow, m.Msg, m.WParam, m.LParam);
}
