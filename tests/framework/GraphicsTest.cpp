#include "TestSupport.h"
#include "framework/ExtCtrls.h"

namespace {

uint32_t Rgb(const TBitmap& b, int x, int y) { return b.ScanLine(y)[x] & 0xFFFFFF; }

}  // namespace

TEST(Bitmap, NewPixelsAreZeroAndRowsRunTopDown) {
  TBitmap b(4, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(b.ScanLine(y)[x], 0u);
  b.ScanLine(0)[0] = 0x00FF0000;  // red, top-left
  b.ScanLine(2)[3] = 0x000000FF;  // blue, bottom-right
  EXPECT_EQ(b.Canvas()->Pixel(0, 0), clRed);
  EXPECT_EQ(b.Canvas()->Pixel(3, 2), clBlue);
  EXPECT_EQ(b.ScanLine(1) - b.ScanLine(0), 4);
}

TEST(Bitmap, FillRectCoversExactlyItsRectangle) {
  TBitmap b(5, 4);
  b.Canvas()->Brush()->SetColor(RGBColor(0x12, 0x34, 0x56));
  b.Canvas()->FillRect(Rect(1, 1, 4, 3));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) {
      bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
      EXPECT_EQ(Rgb(b, x, y), inside ? 0x123456u : 0u) << x << "," << y;
    }
}

TEST(Bitmap, SystemColoursAreResolved) {
  TBitmap b(1, 1);
  b.Canvas()->Brush()->SetColor(clBtnFace);
  b.Canvas()->FillRect(Rect(0, 0, 1, 1));
  TColor face = ColorToRGB(clBtnFace);
  EXPECT_EQ(Rgb(b, 0, 0), ColorToPixel(face) & 0xFFFFFF);
}

TEST(Bitmap, ResizeKeepsTheOverlap) {
  TBitmap b(2, 2);
  b.ScanLine(0)[0] = 0xFF010203;
  b.ScanLine(1)[1] = 0xFF040506;
  b.SetSize(3, 1);
  EXPECT_EQ(b.ScanLine(0)[0], 0xFF010203u);
  EXPECT_EQ(b.ScanLine(0)[1], 0u);
  EXPECT_EQ(b.ScanLine(0)[2], 0u);
  b.SetSize(0, 0);
  EXPECT_TRUE(b.Empty());
  EXPECT_FALSE(b.HandleAllocated());
}

TEST(Bitmap, BadSizesAndRowsAreRejected) {
  TBitmap b(2, 2);
  EXPECT_THROW(b.ScanLine(-1), EInvalidArgument);
  EXPECT_THROW(b.ScanLine(2), EInvalidArgument);
  EXPECT_THROW(b.SetSize(-1, 5), EInvalidArgument);
  EXPECT_THROW(b.SetSize(TBitmap32::MaxDimension + 1, 1), EInvalidArgument);
  EXPECT_EQ(b.Width(), 2);  // unchanged after a refused size
  TBitmap empty;
  EXPECT_THROW(empty.ScanLine(0), EInvalidArgument);
}

TEST(Bitmap, ExchangesPixelsWithTheWindowFreeBitmap) {
  TBitmap32 src(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) src.SetPixel(x, y, 0x80000000u | uint32_t(y * 16 + x) * 0x010203u);
  src.PixelFormat = TPixelFormat::pf24bit;
  TBitmap b;
  b.Assign(src);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.Height(), 2);
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(b.ScanLine(y)[x], src.Pixel(x, y));
  b.Canvas()->SetPixel(2, 1, RGBColor(1, 2, 3));
  TBitmap32 back;
  b.AssignTo(back);
  EXPECT_EQ(back.Width(), 3);
  EXPECT_EQ(back.Pixel(0, 0), src.Pixel(0, 0));
  EXPECT_EQ(back.Pixel(2, 1) & 0xFFFFFF, 0x010203u);
  EXPECT_EQ(back.PixelFormat, TPixelFormat::pf24bit);
}

TEST(Bitmap, AssignCopiesPixelsAndSettings) {
  TBitmap a(2, 1);
  a.ScanLine(0)[1] = 0xFF00FF00;
  a.SetTransparent(true);
  a.SetTransparentColor(clLime);
  TBitmap b;
  b.Assign(&a);
  EXPECT_EQ(b.ScanLine(0)[1], 0xFF00FF00u);
  EXPECT_TRUE(b.Transparent());
  EXPECT_EQ(b.TransparentColor(), clLime);
  a.ScanLine(0)[1] = 0;  // a copy, not a share
  EXPECT_EQ(b.ScanLine(0)[1], 0xFF00FF00u);
}

TEST(Bitmap, TransparentColourDefaultsToTheBottomLeftPixel) {
  TBitmap b(2, 2);
  b.ScanLine(1)[0] = 0x00FF00FF;
  EXPECT_EQ(b.TransparentMode(), TTransparentMode::tmAuto);
  EXPECT_EQ(b.TransparentColor(), clFuchsia);
}

TEST(Bitmap, CanvasChangesMarkTheBitmapChanged) {
  TBitmap b(2, 2);
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->FillRect(Rect(0, 0, 2, 2));
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(b.Modified);
}

TEST(Canvas, CopyRectAndDrawAreExact) {
  TBitmap src(3, 3), dst(5, 5);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) src.ScanLine(y)[x] = uint32_t(0x100000 * (y + 1) + 0x10 * (x + 1));
  dst.Canvas()->CopyRect(Rect(1, 2, 3, 4), src.Canvas(), Rect(1, 1, 3, 3));
  EXPECT_EQ(Rgb(dst, 1, 2), Rgb(src, 1, 1));
  EXPECT_EQ(Rgb(dst, 2, 3), Rgb(src, 2, 2));
  EXPECT_EQ(Rgb(dst, 0, 2), 0u);
  EXPECT_EQ(Rgb(dst, 3, 2), 0u);
  dst.Canvas()->Draw(2, 0, &src);
  EXPECT_EQ(Rgb(dst, 4, 2), Rgb(src, 2, 2));
}

TEST(Canvas, TransparentDrawLeavesTheKeyColourOut) {
  TBitmap glyph(2, 1), target(2, 1);
  glyph.ScanLine(0)[0] = 0x00FF00FF;  // magenta key
  glyph.ScanLine(0)[1] = 0x00112233;
  glyph.SetTransparent(true);
  glyph.SetTransparentColor(clFuchsia);
  target.Canvas()->Brush()->SetColor(clWhite);
  target.Canvas()->FillRect(Rect(0, 0, 2, 1));
  target.Canvas()->Draw(0, 0, &glyph);
  EXPECT_EQ(Rgb(target, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(Rgb(target, 1, 0), 0x112233u);
}

TEST(Canvas, EllipseFillsTheMiddleNotTheCorners) {
  TBitmap b(21, 11);
  b.Canvas()->Pen()->SetStyle(TPenStyle::psClear);
  b.Canvas()->Brush()->SetColor(clBlue);
  b.Canvas()->Ellipse(0, 0, 21, 11);
  EXPECT_EQ(Rgb(b, 10, 5), 0x0000FFu);
  EXPECT_EQ(Rgb(b, 0, 0), 0u);
  EXPECT_EQ(Rgb(b, 20, 10), 0u);
}

TEST(Canvas, TextUsesTheFontAndColour) {
  TBitmap b(60, 30);
  b.Canvas()->Brush()->SetColor(clWhite);
  b.Canvas()->FillRect(Rect(0, 0, 60, 30));
  b.Canvas()->Font()->SetHeight(-15);
  b.Canvas()->Font()->SetColor(clRed);
  b.Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
  TSize ext = b.Canvas()->TextExtent("#FF");
  EXPECT_GT(ext.cx, 10);
  EXPECT_GE(ext.cy, 15);
  b.Canvas()->TextOut(2, 2, "#FF");
  int red = 0, other = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 60; ++x) {
      uint32_t p = Rgb(b, x, y);
      if (p == 0xFF0000u)
        ++red;
      else if (p != 0xFFFFFFu)
        ++other;
      if (p != 0xFFFFFFu) {
        EXPECT_GE(x, 2);
        EXPECT_LT(x, 2 + ext.cx);
      }
    }
  EXPECT_GT(red + other, 20);
  TRect r = Rect(0, 0, 100, 0);
  EXPECT_EQ(b.Canvas()->DrawText("#FF", r, DT_CALCRECT | DT_SINGLELINE), ext.cy);
  EXPECT_EQ(r.Width(), ext.cx);
}

TEST(Image, CanvasIsABitmapOfTheControlsSize) {
  TForm f(nullptr);
  auto* image = new TImage(&f);
  image->SetParent(&f);
  image->SetBounds(0, 24, 129, 81);
  TCanvas* c = image->Canvas();
  EXPECT_EQ(image->Picture()->Width(), 129);
  EXPECT_EQ(image->Picture()->Height(), 81);
  c->Brush()->SetColor(RGBColor(0, 255, 128));
  c->FillRect(Rect(0, 0, 129, 81));
  EXPECT_EQ(image->Picture()->Bitmap()->ScanLine(80)[128] & 0xFFFFFF, 0x00FF80u);
}

TEST(Image, PaintsItsPictureIntoTheParent) {
  TForm f(nullptr);
  f.SetBounds(0, 0, 200, 150);
  f.SetColor(clWhite);
  auto* image = new TImage(&f);
  image->SetParent(&f);
  image->SetBounds(10, 20, 30, 30);
  image->Canvas()->Brush()->SetColor(RGBColor(0, 255, 128));
  image->Canvas()->FillRect(Rect(0, 0, 30, 30));
  f.Show();
  // Render the form's client area into a bitmap through its own paint path.
  TBitmap shot(100, 100);
  HDC dc = shot.Canvas()->Handle();
  SendMessageW(f.Handle(), WM_ERASEBKGND, WPARAM(dc), 0);
  SendMessageW(f.Handle(), WM_PAINT, WPARAM(dc), 0);
  EXPECT_EQ(Rgb(shot, 5, 5), 0xFFFFFFu);
  EXPECT_EQ(Rgb(shot, 10, 20), 0x00FF80u);
  EXPECT_EQ(Rgb(shot, 39, 49), 0x00FF80u);
  EXPECT_EQ(Rgb(shot, 40, 50), 0xFFFFFFu);
}

// ---- Handles ---------------------------------------------------------------

namespace {
void Churn() {
  for (int i = 0; i < 300; ++i) {
    TBitmap b(16 + i % 7, 8);
    b.Canvas()->Font()->SetHeight(-10 - i % 5);
    b.Canvas()->Font()->SetStyle({fsBold});
    b.Canvas()->TextOut(0, 0, "x");
    b.Canvas()->Font()->SetName("Arial");  // replaced while selected
    b.Canvas()->TextOut(0, 0, "y");
    b.Canvas()->Brush()->SetColor(TColor(i));
    b.Canvas()->FillRect(Rect(0, 0, 4, 4));
    b.Canvas()->Pen()->SetColor(TColor(i * 3));
    b.Canvas()->LineTo(5, 5);
    b.SetSize(20, 20);  // replaced while selected
    TFont f;
    f.Handle();
  }
}
}  // namespace

TEST(Handles, EveryCreatedGdiObjectIsDeleted) {
  Churn();  // warm up caches of the system
  TGdiCounters before = GdiCounters();
  Churn();
  TGdiCounters after = GdiCounters();
  EXPECT_GT(after.Created - before.Created, 1500);
  EXPECT_EQ(after.Created - before.Created, after.Deleted - before.Deleted);
  EXPECT_EQ(after.FailedDeletes, 0);
}

TEST(Handles, SystemObjectCountIsUnchanged) {
  DWORD first = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (first == 0) GTEST_SKIP() << "GetGuiResources reports no GDI objects on this platform";
  Churn();
  DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  Churn();
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before);
}

// ---- Canvas DCs of bitmaps -------------------------------------------------

TEST(BitmapCanvasDC, DrawnBitmapCanBeSelectedIntoAnotherDC) {
  TBitmap b(3, 2);
  b.Canvas()->Brush()->SetColor(RGBColor(0x10, 0x20, 0x30));
  b.Canvas()->FillRect(Rect(0, 0, 3, 2));
  TMemoryDC other;
  HGDIOBJ old = SelectObject(other.Get(), b.Handle());
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(GetPixel(other.Get(), 2, 1), RGB(0x10, 0x20, 0x30));
  // While the other DC has it, drawing on the bitmap is a clear error.
  EXPECT_THROW(b.Canvas()->FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
  SelectObject(other.Get(), old);
  b.Canvas()->Brush()->SetColor(RGBColor(1, 2, 3));
  b.Canvas()->FillRect(Rect(0, 0, 1, 1));
  EXPECT_EQ(Rgb(b, 0, 0), 0x010203u);
  EXPECT_EQ(Rgb(b, 2, 1), 0x102030u);
}

// Many cached bitmaps drawn on hold a bounded number of DCs, and the idle
// release gives back all of them with their font, brush and pen.
TEST(BitmapCanvasDC, AThousandDrawnBitmapsHoldFewDCs) {
  FreeDeviceContexts();
  long dcs = LiveDeviceContexts();
  long gdi = GdiCounters().Created - GdiCounters().Deleted;
  std::vector<std::unique_ptr<TBitmap>> bitmaps;
  for (int i = 0; i < 1000; ++i) {
    auto b = std::make_unique<TBitmap>(8, 8);
    b->Canvas()->Brush()->SetColor(TColor(i));
    b->Canvas()->FillRect(Rect(0, 0, 8, 8));
    b->Canvas()->TextOut(0, 0, "x");
    bitmaps.push_back(std::move(b));
  }
  EXPECT_EQ(LiveDeviceContexts() - dcs, MaxBitmapCanvasDCs);
  EXPECT_EQ(Rgb(*bitmaps[999], 7, 7), ColorToPixel(TColor(999)) & 0xFFFFFF);
  FreeDeviceContexts();
  EXPECT_EQ(LiveDeviceContexts(), dcs);
  // What stays is the DIB sections themselves.
  EXPECT_EQ(GdiCounters().Created - GdiCounters().Deleted - gdi, 1000);
}
