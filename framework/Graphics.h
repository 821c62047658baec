// Fonts, brushes, pens, canvases and 32-bit bitmaps over GDI.
#pragma once
#include "framework/Sets.h"
#include "framework/WinUtils.h"
#include "framework/core/Bitmap32.h"
#include "framework/core/Classes.h"
#include "framework/core/Types.h"

#include <vector>

#include <windows.h>

// System colours: top byte 0xFF, low byte the COLOR_xxx index.
constexpr TColor clSystemColor = 0xFF000000;
constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR;
constexpr TColor clBackground = clSystemColor | COLOR_BACKGROUND;
constexpr TColor clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION;
constexpr TColor clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION;
constexpr TColor clMenu = clSystemColor | COLOR_MENU;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowFrame = clSystemColor | COLOR_WINDOWFRAME;
constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clCaptionText = clSystemColor | COLOR_CAPTIONTEXT;
constexpr TColor clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER;
constexpr TColor clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER;
constexpr TColor clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = clSystemColor | COLOR_3DLIGHT;
constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;
constexpr TColor clHotLight = clSystemColor | COLOR_HOTLIGHT;
constexpr TColor clGradientActiveCaption = clSystemColor | COLOR_GRADIENTACTIVECAPTION;
constexpr TColor clGradientInactiveCaption = clSystemColor | COLOR_GRADIENTINACTIVECAPTION;
constexpr TColor clMenuHighlight = clSystemColor | COLOR_MENUHILIGHT;
constexpr TColor clMenuBar = clSystemColor | COLOR_MENUBAR;

// A system colour becomes its current value; other colours keep their RGB bytes.

// Screen resolution the framework scales point sizes with.
int ScreenPixelsPerInch();

// Base of fonts, brushes and pens: owns its GDI handle, created on first use
// and recreated after a change; OnChange fires after every change.
class TGraphicsObject : public TPersistent {
public:
  TNotifyEvent OnChange;

protected:
  // Fires OnChange; the handle is recreated on the next Handle() call, after
  // every listener had the chance to deselect the old one.
  void Changed();
  // Fires OnChange and keeps the handle (a change outside the GDI object).
  void ChangedKeepingHandle() {
    if (OnChange) OnChange(this);
  }
  bool FHandleStale = true;
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum class TFontQuality { fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType };

class TFont : public TGraphicsObject {
public:
  TFont();
  ~TFont() override;
  void Assign(const TPersistent* source) override;
  bool Equals(const TFont& other) const;

  HFONT Handle();
  // Changes whenever Handle() makes a new font (0 before the first), so a
  // window can tell a new font from a colour change.
  uint32_t HandleGeneration() const { return FGeneration; }
  // Deletes the handle (it must not be selected anywhere); the next Handle() makes a new one.
  void ReleaseHandle() { FHandle.Reset(); }
  // Takes the description of an existing font; the handle itself stays the caller's.
  void SetHandle(HFONT font);

  const String& Name() const { return FName; }
  void SetName(const String& value);
  // Negative: character height in pixels; positive: cell height.
  int Height() const { return FHeight; }
  void SetHeight(int value);
  // Points at ScreenPixelsPerInch.
  int Size() const;
  void SetSize(int points);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  BYTE Charset() const { return FCharset; }
  void SetCharset(BYTE value);
  TFontQuality Quality() const { return FQuality; }
  void SetQuality(TFontQuality value);
  int Orientation() const { return FOrientation; }  // tenths of a degree
  void SetOrientation(int value);
  LOGFONTW LogFont() const;

private:
  String FName = "Tahoma";
  int FHeight = -11;
  TFontStyles FStyle;
  TColor FColor = clWindowText;
  BYTE FCharset = DEFAULT_CHARSET;
  TFontQuality FQuality = TFontQuality::fqDefault;
  int FOrientation = 0;
  TFontHandle FHandle;
  uint32_t FGeneration = 0;
};

enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
public:
  void Assign(const TPersistent* source) override;
  HBRUSH Handle();
  void ReleaseHandle() { FHandle.Reset(); }
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle value);

private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = TBrushStyle::bsSolid;
  TBrushHandle FHandle;
};

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmXor, pmMerge, pmMask };

class TPen : public TGraphicsObject {
public:
  void Assign(const TPersistent* source) override;
  HPEN Handle();
  void ReleaseHandle() { FHandle.Reset(); }
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  int Width() const { return FWidth; }
  void SetWidth(int value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle value);
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode value);

private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = TPenStyle::psSolid;
  TPenMode FMode = TPenMode::pmCopy;
  TPenHandle FHandle;
};

class TBitmap;

// Drawing surface over an HDC. Font, brush and pen are selected on demand and
// deselected again (the DC's own objects restored) before the DC changes or the
// canvas goes, so no GDI object is ever deleted while selected.
class TCanvas : public TPersistent {
public:
  TCanvas();
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // Creates the DC on demand in descendants; EInvalidOperation "Canvas does not allow drawing" without one.
  HDC Handle();
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return FHandle != nullptr; }

  TFont* Font() const { return FFont; }
  TBrush* Brush() const { return FBrush; }
  TPen* Pen() const { return FPen; }
  void SetFont(const TFont* value) { FFont->Assign(value); }
  void SetBrush(const TBrush* value) { FBrush->Assign(value); }
  void SetPen(const TPen* value) { FPen->Assign(value); }
  DWORD CopyMode() const { return FCopyMode; }
  void SetCopyMode(DWORD rop) { FCopyMode = rop; }

  void FillRect(const TRect& r);
  void FrameRect(const TRect& r);
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void RoundRect(int x1, int y1, int x2, int y2, int w, int h);
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  TPoint PenPos();
  void Polygon(const std::vector<TPoint>& points);
  void Polyline(const std::vector<TPoint>& points);
  TColor Pixel(int x, int y);
  void SetPixel(int x, int y, TColor color);

  void TextOut(int x, int y, const String& text);
  // Text clipped to r, starting at (x, y).
  void TextRect(const TRect& r, int x, int y, const String& text);
  // DrawTextW with the canvas font; DT_CALCRECT updates r. Returns the text height.
  int DrawText(const String& text, TRect& r, UINT format);
  TSize TextExtent(const String& text);
  int TextWidth(const String& text) { return TextExtent(text).cx; }
  int TextHeight(const String& text) { return TextExtent(text).cy; }

  // Stretches source's srcRect into dest with CopyMode.
  void CopyRect(const TRect& dest, TCanvas* source, const TRect& srcRect);
  // Draws the bitmap at (x, y), leaving its transparent colour out when Transparent.
  void Draw(int x, int y, TBitmap* bitmap);
  void StretchDraw(const TRect& dest, TBitmap* bitmap);

  TRect ClipRect();
  void Lock() { ++FLockCount; }
  void Unlock() { --FLockCount; }
  int LockCount() const { return FLockCount; }

  // Fire around every drawing operation (bitmaps mark themselves modified).
  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  virtual void CreateHandle() {}
  void Changing();
  void Changed();
  // Selects whatever of font, brush and pen is not selected yet.
  void RequireObjects(bool font, bool brush, bool pen);
  void DeselectHandles();

private:
  HDC FHandle = nullptr;
  TFont* FFont;
  TBrush* FBrush;
  TPen* FPen;
  HGDIOBJ FOldFont = nullptr, FOldBrush = nullptr, FOldPen = nullptr;
  bool FFontSelected = false, FBrushSelected = false, FPenSelected = false;
  DWORD FCopyMode = SRCCOPY;
  int FLockCount = 0;
};

enum class TTransparentMode { tmAuto, tmFixed };

// A 32-bit top-down DIB section. Whatever PixelFormat says (it tags what the
// content came from), every row is Width 32-bit pixels 0xAARRGGBB, as in
// TBitmap32. Sizes are limited to TBitmap32::MaxDimension.
//
// The canvas takes a memory DC on first use and selects the bitmap into it
// only while it holds it: the DC (with the canvas's font, brush and pen
// handles) goes back when the application goes idle, when Handle() is asked
// for (so the bitmap can be selected into another DC), and when more than
// MaxBitmapCanvasDCs bitmap canvases hold one (the oldest unlocked one lets
// go). Lock the canvas while keeping its raw DC across other drawing.
class TBitmap : public TPersistent {
public:
  TBitmap();
  TBitmap(int width, int height);
  ~TBitmap() override;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  void Assign(const TPersistent* source) override;
  void Assign(const TBitmap32& source);
  void AssignTo(TBitmap32& dest) const;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Empty() const { return FWidth == 0 || FHeight == 0; }
  // Keeps the overlapping pixels; new pixels are 0. EInvalidArgument for bad sizes.
  void SetSize(int width, int height);
  void SetWidth(int value) { SetSize(value, FHeight); }
  void SetHeight(int value) { SetSize(FWidth, value); }
  TPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat value);

  // Row y (0 = top); EInvalidArgument outside 0..Height-1. Flushes pending GDI work first.
  uint32_t* ScanLine(int y);
  const uint32_t* ScanLine(int y) const;
  // Takes the bitmap out of its canvas DC (unless the canvas is locked).
  HBITMAP Handle() const;
  bool HandleAllocated() const { return bool(FHandle); }
  TCanvas* Canvas();

  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  // tmAuto: the bottom-left pixel; tmFixed: TransparentColor as set.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode value);

  bool Modified = false;
  TNotifyEvent OnChange;

protected:
  void Changed();

private:
  friend class TBitmapCanvas;
  void SelectInto(HDC dc);
  TBitmapHandle FHandle;
  uint32_t* FBits = nullptr;
  int FWidth = 0;
  int FHeight = 0;
  TPixelFormat FPixelFormat = TPixelFormat::pf32bit;
  TCanvas* FCanvas = nullptr;
  HDC FCanvasDC = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
  bool FTransparent = false;
  TTransparentMode FTransparentMode = TTransparentMode::tmAuto;
  TColor FTransparentColor = clDefault;
};

// Bitmap canvases that may hold a DC at the same time.
constexpr int MaxBitmapCanvasDCs = 16;
// Bitmap canvases holding a DC now, and releasing those not locked (idle time).
int BitmapCanvasDCCount();
void FreeBitmapCanvasDCs();

// Holds the picture of an image control; only bitmaps.
class TPicture : public TPersistent {
public:
  TPicture();
  ~TPicture() override;
  void Assign(const TPersistent* source) override;
  TBitmap* Bitmap() const { return FBitmap; }
  int Width() const { return FBitmap->Width(); }
  int Height() const { return FBitmap->Height(); }
  TNotifyEvent OnChange;

private:
  TBitmap* FBitmap;
};
