// Skinned controls on real windows: the edit's two paint schemes, its glow
// under the pointer, and fades that always end.
#include "controls/acFade.h"
#include "controls/acGlow.h"
#include "controls/sBitBtnWin.h"
#include "controls/sCurrEditWin.h"
#include "controls/sEditWin.h"
#include "controls/sLabelWin.h"
#include "controls/sPanelWin.h"
#include "controls/sSpeedButtonWin.h"
#include "paint/sGraphUtils.h"

#include <map>
#include "skin/acSkinWin.h"
#include "tests/framework/TestSupport.h"
#include "tests/skinmgr/SkinMgrSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Pixels of a screen rectangle as 0x00RRGGBB.
std::vector<uint32_t> Grab(const TRect& r) {
  std::vector<uint32_t> px(size_t(r.Width()) * size_t(r.Height()));
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), r.Width(), -r.Height(), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, r.Width(), r.Height(), screen, r.Left, r.Top, SRCCOPY);
  GdiFlush();
  const auto* p = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < px.size(); ++i) px[i] = p[i] & 0xFFFFFF;
  SelectObject(mem, old);
  DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return px;
}

uint32_t Rgb(TColor c) { return ColorToPixel(ColorToRGB(c), 0) & 0xFFFFFF; }

// Real pointer input through the system queue.
void MoveMouse(int x, int y) {
  SendMouseInput(MOUSEEVENTF_MOVE, Point(x, y));
  Pump(60);
}

void LeftButton(bool down) {
  SendMouseInput(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
  Pump(60);
}

// Characters typed through the system queue.
void TypeText(const wchar_t* text) {
  SendText(text);
  Pump(100);
}

TRect ScreenRect(HWND wnd) {
  RECT r{};
  GetWindowRect(wnd, &r);
  return Rect(r.left, r.top, r.right, r.bottom);
}

class SkinnedControls : public testing::Test {
protected:
  // One skin load for the whole suite; every case gets fresh controls.
  static void SetUpTestSuite() {
    InstallWin32SkinPlatform();
    Manager = new TsSkinManager(nullptr);
    AddPackageAsInternalSkin(*Manager, "AlterMetro (internal)");
    Manager->SetSkinName("AlterMetro (internal)");
    Manager->SetActive(true);
    // A shown top-level window takes seconds to go without a window manager: one for all cases.
    Form = new TForm(nullptr);
    Form->SetBounds(200, 200, 320, 160);
    Form->Show();
  }
  static void TearDownTestSuite() {
    delete Form;
    delete Manager;
    Form = nullptr;
    Manager = nullptr;
  }
  void SetUp() override {
    Owner = std::make_unique<TComponent>(nullptr);
    Edit = new TsEdit(Owner.get());
    Edit->SkinData()->SetSkinSection("EDIT");
    Edit->SetParent(Form);
    Edit->SetBounds(20, 20, 129, 26);
    Edit->SetText("#FFF");
    Other = new TsEdit(Owner.get());
    Other->SetParent(Form);
    Other->SetBounds(20, 80, 129, 26);
    MoveMouse(5, 5);
    Other->SetFocus();
    Pump(150);
    ASSERT_TRUE(Edit->SkinData()->Skinned());
  }
  void TearDown() override {
    Owner.reset();
    Pump(20);
  }
  TsGeneralData& Section() { return Manager->gd[size_t(Edit->SkinData()->SkinIndex)]; }
  // The edit's pixels on the screen and in its cache, compared as RGB.
  int DifferentFromCache(const TRect& part) {
    const std::vector<uint32_t> screen = Grab(ScreenRect(Edit->Handle()));
    const TPixelView cache = Edit->SkinData()->CacheView();
    if (cache.Width != Edit->Width() || cache.Height != Edit->Height()) return -1;
    int n = 0;
    for (int y = part.Top; y < part.Bottom; ++y)
      for (int x = part.Left; x < part.Right; ++x)
        n += (screen[size_t(y) * size_t(cache.Width) + size_t(x)] != (cache.At(x, y) & 0xFFFFFF));
    return n;
  }
  static inline TsSkinManager* Manager = nullptr;
  static inline TForm* Form = nullptr;
  std::unique_ptr<TComponent> Owner;  // the case's controls
  TsEdit* Edit = nullptr;
  TsEdit* Other = nullptr;
};

TEST_F(SkinnedControls, IdleEditShowsTheSkinsPicture) {
  const TRect all = Rect(0, 0, Edit->Width(), Edit->Height());
  EXPECT_EQ(0, DifferentFromCache(all));
  // A blank spot inside the frame has the section's normal colour.
  const std::vector<uint32_t> px = Grab(ScreenRect(Edit->Handle()));
  EXPECT_EQ(Rgb(Section().Props[0].Color), px[size_t(13) * 129 + 120]);
  // The skin drew the text: dark pixels in the text rectangle's first cells.
  int dark = 0;
  for (int y = 3; y < 20; ++y)
    for (int x = 3; x < 40; ++x) dark += (px[size_t(y) * 129 + size_t(x)] & 0xFF) < 0x80;
  EXPECT_GT(dark, 10);
}

TEST_F(SkinnedControls, FocusedEditPaintsWithTheSystemInHotColours) {
  Edit->SetFocus();
  Pump(150);
  EXPECT_EQ(1, Edit->SkinData()->IsHot());
  EXPECT_EQ(ColorToRGB(Section().Props[1].Color), ColorToRGB(Edit->Color()));
  const std::vector<uint32_t> px = Grab(ScreenRect(Edit->Handle()));
  EXPECT_EQ(Rgb(Section().Props[1].Color), px[size_t(13) * 129 + 120]);
  // The system edit shows the caret: the client area differs from one frame to the next.
  Edit->SetSelStart(4);
  Edit->SetSelLength(0);
  bool blink = false;
  const std::vector<uint32_t> first = Grab(ScreenRect(Edit->Handle()));
  for (int i = 0; i < 20 && !blink; ++i) {
    Pump(60);
    blink = Grab(ScreenRect(Edit->Handle())) != first;
  }
  EXPECT_TRUE(blink);
  Other->SetFocus();
  Pump(150);
  EXPECT_EQ(0, Edit->SkinData()->IsHot());
  EXPECT_EQ(0, DifferentFromCache(Rect(0, 0, Edit->Width(), Edit->Height())));
}

TEST_F(SkinnedControls, HoverShowsTheGlowAboveAndLeaveTakesItAway) {
  ASSERT_GE(Section().GlowCount, 1);
  const TRect r = ScreenRect(Edit->Handle());
  for (int cycle = 0; cycle < 3; ++cycle) {
    MoveMouse(r.Left + 60, r.Top + 12);
    EXPECT_EQ(1, Edit->SkinData()->IsHot());
    TacGlowEffect* glow = GlowOf(Edit->SkinData()->GlowID);
    ASSERT_NE(nullptr, glow);
    HWND wnd = glow->Wnd();
    ASSERT_TRUE(IsWindowVisible(wnd));
    EXPECT_EQ(GlowWindowExStyle, DWORD(GetWindowLongW(wnd, GWL_EXSTYLE)) & GlowWindowExStyle);
    EXPECT_EQ(Form->Handle(), GetWindow(wnd, GW_OWNER));
    EXPECT_NE(wnd, GetForegroundWindow());
    const TRect g = ScreenRect(wnd);
    EXPECT_LT(g.Left, r.Left);
    EXPECT_GT(g.Right, r.Right);
    // Click-through: the point under the pointer still belongs to the edit.
    EXPECT_EQ(Edit->Handle(), WindowFromPoint(POINT{r.Left + 60, r.Top + 12}));
    MoveMouse(r.Left + 60, r.Bottom + 30);
    EXPECT_EQ(-1, Edit->SkinData()->GlowID);
    Pump(30);
    EXPECT_FALSE(IsWindow(wnd));
  }
  EXPECT_EQ(0u, LiveGlowCount());
  EXPECT_LE(GlowTableCapacity(), 1u);  // freed ids are taken again
}

// Idle, a password shows black circles for "*", and an empty edit its hint in
// a colour between font and background.
TEST_F(SkinnedControls, PasswordCirclesAndTextHint) {
  auto make = [&](int top) {
    auto* e = new TsEdit(Owner.get());
    e->SetParent(Form);
    e->SetBounds(170, top, 129, 26);
    return e;
  };
  TsEdit* secret = make(20);
  secret->SetPasswordChar(L'*');
  secret->SetText("abcd");
  TsEdit* circles = make(50);
  circles->SetText("\u25CF\u25CF\u25CF\u25CF");
  TsEdit* hinted = make(80);
  hinted->Font()->SetHeight(-20);
  hinted->Font()->SetStyle(TFontStyles{fsBold});
  hinted->SetTextHint("WWW");
  Pump(100);
  ASSERT_TRUE(secret->PrepareCache());
  ASSERT_TRUE(circles->PrepareCache());
  const TPixelView a = secret->SkinData()->CacheView(), b = circles->SkinData()->CacheView();
  int differ = 0, dark = 0;
  for (int y = 0; y < a.Height; ++y)
    for (int x = 0; x < a.Width; ++x) {
      differ += a.At(x, y) != b.At(x, y);
      dark += (a.At(x, y) & 0xFF) < 0x80;
    }
  EXPECT_EQ(0, differ);
  EXPECT_GT(dark, 10);

  const TColor bg = ColorToRGB(hinted->Color());
  const uint32_t expected = Rgb(MixColors(ColorToRGB(hinted->Font()->Color()), bg, 65));
  std::map<uint32_t, int> count;
  const std::vector<uint32_t> px = Grab(ScreenRect(hinted->Handle()));
  for (int y = 4; y < 22; ++y)
    for (int x = 4; x < 100; ++x)
      if (const uint32_t p = px[size_t(y) * 129 + size_t(x)]; p != Rgb(bg)) ++count[p];
  ASSERT_FALSE(count.empty());
  auto most = std::max_element(count.begin(), count.end(), [](auto& l, auto& r) { return l.second < r.second; });
  EXPECT_EQ(expected, most->first);
}

TEST_F(SkinnedControls, GlowGoesWithMovesAndDisabling) {
  const TRect r = ScreenRect(Edit->Handle());
  MoveMouse(r.Left + 60, r.Top + 12);
  ASSERT_GE(Edit->SkinData()->GlowID, 0);
  Edit->SetLeft(24);
  EXPECT_EQ(-1, Edit->SkinData()->GlowID);
  MoveMouse(r.Left + 5, r.Bottom + 30);
  MoveMouse(r.Left + 60, r.Top + 12);
  ASSERT_GE(Edit->SkinData()->GlowID, 0);
  Edit->SetEnabled(false);
  EXPECT_EQ(-1, Edit->SkinData()->GlowID);
}

// The glow keeps its place when the form moves, and a new section takes
// the old glow's window away.
TEST_F(SkinnedControls, GlowFollowsItsFormAndGoesWithANewSection) {
  const TRect r = ScreenRect(Edit->Handle());
  MoveMouse(r.Left + 60, r.Top + 12);
  TacGlowEffect* glow = GlowOf(Edit->SkinData()->GlowID);
  ASSERT_NE(nullptr, glow);
  HWND wnd = glow->Wnd();
  const TRect before = ScreenRect(wnd);
  Form->SetBounds(Form->Left() + 7, Form->Top() + 5, Form->Width(), Form->Height());
  Pump(30);
  EXPECT_EQ(OffsetRect(before, 7, 5), ScreenRect(wnd));
  Form->SetBounds(Form->Left() - 7, Form->Top() - 5, Form->Width(), Form->Height());
  Pump(30);
  EXPECT_EQ(before, ScreenRect(wnd));
  Edit->SkinData()->SetSkinSection("PANEL");
  EXPECT_EQ(-1, Edit->SkinData()->GlowID);
  Pump(30);
  EXPECT_FALSE(IsWindow(wnd) && IsWindowVisible(wnd));
  EXPECT_EQ(0u, LiveGlowCount());
  MoveMouse(r.Left + 5, r.Bottom + 30);
}

// Fades of any length end with the final look and no timer left running.
TEST_F(SkinnedControls, FadesOfAnyLengthEnd) {
  TsGeneralData& gd = Section();
  const TsGeneralData saved = gd;
  for (int iterations : {0, 1, -3, 10}) {
    SCOPED_TRACE(iterations);
    gd.FadingEnabled = true;
    gd.FadingIterations = iterations;
    TsFadeTimer* timer = new TsFadeTimer(Edit);
    Edit->SkinData()->BGChanged = true;
    Edit->PrepareCache();
    timer->SetOwnerData(Edit->SkinData(), false, TFadeDirection::fdUp);
    for (bool clicked : {false, true}) {
      timer->SetOwnerData(Edit->SkinData(), clicked, TFadeDirection::fdUp);
      EXPECT_TRUE(WaitUntil([&] { return !timer->Enabled(); }, 1000));
      EXPECT_FALSE(timer->Steps.Running);
    }
    StopFade(timer, Edit->SkinData());
    EXPECT_EQ(nullptr, timer);
  }
  EXPECT_EQ(0, acFadeTimerCount);
  gd = saved;
}

TEST_F(SkinnedControls, TheShutdownWaitEndsFadesHeldByTheStopFlag) {
  TsGeneralData& gd = Section();
  const TsGeneralData saved = gd;
  gd.FadingEnabled = true;
  gd.FadingIterations = 1000;
  TsFadeTimer* timer = new TsFadeTimer(Edit);
  Edit->PrepareCache();
  timer->SetOwnerData(Edit->SkinData(), false, TFadeDirection::fdUp);
  ASSERT_TRUE(timer->Enabled());
  const DWORD start = GetTickCount();
  WaitForFades(3000);
  EXPECT_LT(GetTickCount() - start, 1000u);
  EXPECT_FALSE(timer->Enabled());
  acFadeStop = false;
  StopFade(timer, Edit->SkinData());
  gd = saved;
}

// A disabled label draws its text in 40 % of the skin's font colour over 60 %
// of the parent's background; an empty one still measures a line.
TEST_F(SkinnedControls, DisabledLabelMixesItsColourWithTheBackground) {
  auto* label = new TsLabel(Owner.get());
  label->Font()->SetHeight(-24);
  label->Font()->SetStyle(TFontStyles{fsBold});
  label->SetParent(Form);
  label->SetBounds(170, 20, 10, 10);
  label->SetCaption("WWW");
  label->SetEnabled(false);
  Pump(100);
  const TColor bg = ColorToRGB(Form->Color());
  const uint32_t expected = Rgb(MixColors(ColorToRGB(Manager->GetGlobalFontColor()), bg, 40));
  ASSERT_NE(Rgb(bg), expected);
  const TPoint o = Form->ClientToScreen(Point(label->Left(), label->Top()));
  std::map<uint32_t, int> count;
  for (uint32_t px : Grab(Rect(o.X, o.Y, o.X + label->Width(), o.Y + label->Height())))
    if (px != Rgb(bg)) ++count[px];
  ASSERT_FALSE(count.empty());
  auto most = std::max_element(count.begin(), count.end(), [](auto& a, auto& b) { return a.second < b.second; });
  EXPECT_EQ(expected, most->first);

  auto* empty = new TsLabel(Owner.get());
  empty->SetParent(Form);
  auto* one = new TsLabel(Owner.get());
  one->SetParent(Form);
  one->SetCaption("Wy");
  EXPECT_GT(one->Height(), 8);
  EXPECT_EQ(one->Height(), empty->Height());
}

TEST_F(SkinnedControls, ButtonPressedDraggedOffAndBack) {
  auto* b = new TsBitBtn(Owner.get());
  b->SetParent(Form);
  b->SetBounds(170, 60, 75, 25);
  b->SetCaption("OK");
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  Pump(100);
  const TRect r = ScreenRect(b->Handle());
  MoveMouse(r.Left + 30, r.Top + 12);
  Pump(250);  // the enter fade ends
  EXPECT_EQ(1, b->CurrentState());
  const std::vector<uint32_t> hot = Grab(r);
  EXPECT_TRUE(HintsAllowed());
  LeftButton(true);
  Pump(250);
  EXPECT_EQ(2, b->CurrentState());
  EXPECT_FALSE(HintsAllowed());
  const std::vector<uint32_t> pressed = Grab(r);
  EXPECT_NE(hot, pressed);
  MoveMouse(r.Left + 30, r.Bottom + 40);
  Pump(250);
  EXPECT_NE(2, b->CurrentState());
  EXPECT_NE(pressed, Grab(r));
  MoveMouse(r.Left + 30, r.Top + 12);
  Pump(250);
  EXPECT_EQ(2, b->CurrentState());
  EXPECT_EQ(pressed, Grab(r));
  MoveMouse(r.Left + 30, r.Bottom + 40);
  LeftButton(false);
  Pump(100);
  EXPECT_TRUE(HintsAllowed());
  EXPECT_EQ(0, clicks);
  MoveMouse(r.Left + 30, r.Top + 12);
  LeftButton(true);
  LeftButton(false);
  Pump(250);
  EXPECT_EQ(1, clicks);
  EXPECT_EQ(1, b->CurrentState());
  EXPECT_EQ(0, acFadeTimerCount - (b->FadeTimer ? 1 : 0));
}

// A border mask of corner type 2 shapes the window: a keyed corner pixel is cut out.
TEST_F(SkinnedControls, ButtonWithCornerTypeTwoHasItsShape) {
  auto* b = new TsBitBtn(Owner.get());
  b->SetParent(Form);
  b->SetBounds(170, 60, 75, 25);
  Pump(50);
  // A border mask of the skin with a mask part and a keyed top-left pixel.
  int border = -1;
  for (size_t i = 0; i < Manager->ma.size() && border < 0; ++i) {
    const TsMaskData& md = Manager->ma[i];
    if (md.ImgType == itisaBorder && md.MaskType > 0 && md.WL > 0 && md.WT > 0 &&
        Manager->MaskPicture(int(i)).Pixel(md.R.Left, md.R.Top) == KeyPixel)
      border = int(i);
  }
  if (border < 0) GTEST_SKIP() << "no keyed border mask in this skin";
  TsMaskData& mask = Manager->ma[size_t(border)];
  const int16_t saved = mask.CornerType;
  mask.CornerType = 2;
  b->SkinData()->BorderIndex = border;
  b->SetWidth(76);
  Pump(100);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(ERROR, GetWindowRgn(b->Handle(), rgn));
  EXPECT_FALSE(PtInRegion(rgn, 0, 0));
  EXPECT_TRUE(PtInRegion(rgn, 37, 12));
  DeleteObject(rgn);
  mask.CornerType = saved;
  SendSkinCommand(b, SKC_REFRESH, 0, LPARAM(Manager));
  HRGN none = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(ERROR, GetWindowRgn(b->Handle(), none));
  DeleteObject(none);
}

// A default button rests in the fourth state where the section has one, else looks hot.
TEST_F(SkinnedControls, DefaultButtonTakesTheFourthState) {
  auto* d = new TsBitBtn(Owner.get());
  d->SetParent(Form);
  d->SetBounds(170, 60, 75, 25);
  d->SetCaption("OK");
  d->SetDefault(true);
  auto* plain = new TsBitBtn(Owner.get());
  plain->SetParent(Form);
  plain->SetBounds(170, 100, 75, 25);
  plain->SetCaption("OK");
  Other->SetFocus();
  Pump(150);
  const int states = Manager->gd[size_t(plain->SkinData()->SkinIndex)].States;
  EXPECT_EQ(3, d->CurrentState());
  EXPECT_EQ(0, plain->CurrentState());
  const std::vector<uint32_t> idleDefault = Grab(ScreenRect(d->Handle()));
  const TRect pr = ScreenRect(plain->Handle());
  const std::vector<uint32_t> idlePlain = Grab(pr);
  EXPECT_NE(idleDefault, idlePlain);
  MoveMouse(pr.Left + 30, pr.Top + 12);
  Pump(250);
  const std::vector<uint32_t> hotPlain = Grab(pr);
  if (states >= 4)
    EXPECT_NE(idleDefault, hotPlain);
  else
    EXPECT_EQ(idleDefault, hotPlain);
  std::printf("BUTTON states: %d\n", states);
}

TEST_F(SkinnedControls, PanelSectionFollowsTheOuterBevelUntilSetOtherwise) {
  auto* p = new TsPanel(Owner.get());
  p->SetParent(Form);
  p->SetBounds(170, 20, 100, 60);
  Pump(50);
  ASSERT_EQ("PANEL", p->SkinData()->SkinSection());
  const std::pair<TacBevelCut, const char*> steps[] = {
      {TacBevelCut::bvNone, "CHECKBOX"}, {TacBevelCut::bvLowered, "PANEL_LOW"}, {TacBevelCut::bvRaised, "PANEL"}};
  for (auto [bevel, section] : steps) {
    p->SetBevelOuter(bevel);
    EXPECT_EQ(section, p->SkinData()->SkinSection());
  }
  p->SkinData()->SetSkinSection("TOOLBAR");
  p->SetBevelOuter(TacBevelCut::bvNone);
  EXPECT_EQ("TOOLBAR", p->SkinData()->SkinSection());
}

// OnPaint draws over the skinned background, cached or filled plainly.
TEST_F(SkinnedControls, PanelOnPaintDrawsOverTheSkin) {
  auto* p = new TsPanel(Owner.get());
  p->SetParent(Form);
  p->SetBounds(170, 20, 100, 60);
  p->OnPaint = [](TObject*, TCanvas* c) {
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(10, 10, 20, 20));
  };
  for (bool custom : {false, true}) {
    SCOPED_TRACE(custom);
    p->SkinData()->SetCustomColor(custom);
    p->SetColor(clLime);
    p->SkinData()->Invalidate(true);
    Pump(100);
    const std::vector<uint32_t> px = Grab(ScreenRect(p->Handle()));
    EXPECT_EQ(Rgb(clRed), px[size_t(15) * 100 + 15]);
    EXPECT_NE(Rgb(clRed), px[size_t(40) * 100 + 50]);
    if (custom) {
      EXPECT_EQ(Rgb(clLime), px[size_t(40) * 100 + 50]);
    }
  }
}

TEST_F(SkinnedControls, BoundLabelFollowsItsEdit) {
  Edit->SetBounds(194, 76, 100, 19);
  TsBoundLabel* bound = Edit->BoundLabel();
  bound->SetCaption("Hue:");
  bound->SetActive(true);
  TsEditLabel* label = bound->TheLabel();
  ASSERT_NE(nullptr, label);
  EXPECT_EQ(Form, label->Parent());
  EXPECT_EQ("Hue:", label->Caption());
  const int w = label->Width(), h = label->Height();
  EXPECT_EQ(194 - w - 4, label->Left());
  EXPECT_EQ(76 + (19 - h) / 2 - 1, label->Top());
  Edit->SetTop(90);
  EXPECT_EQ(90 + (19 - h) / 2 - 1, label->Top());
  Edit->SetEnabled(false);
  EXPECT_FALSE(label->Enabled());
  Edit->SetVisible(false);
  EXPECT_FALSE(label->Visible());
  Edit->SetVisible(true);
  EXPECT_TRUE(label->Visible());
  delete label;
  EXPECT_FALSE(bound->Active());
}

TEST_F(SkinnedControls, SpeedButtonHotPressedAndClicked) {
  auto* b = new TsSpeedButton(Owner.get());
  b->SetParent(Form);
  b->SetBounds(170, 20, 40, 24);
  b->SetCaption("Go");
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  Pump(100);
  const TPoint o = Form->ClientToScreen(Point(170, 20));
  const TRect r = Rect(o.X, o.Y, o.X + 40, o.Y + 24);
  const std::vector<uint32_t> idle = Grab(r);
  MoveMouse(r.Left + 20, r.Top + 12);
  Pump(250);
  EXPECT_EQ(1, b->CurrentState());
  const std::vector<uint32_t> hot = Grab(r);
  LeftButton(true);
  Pump(250);
  EXPECT_EQ(2, b->CurrentState());
  const std::vector<uint32_t> pressed = Grab(r);
  EXPECT_FALSE(HintsAllowed());
  LeftButton(false);
  Pump(250);
  EXPECT_TRUE(HintsAllowed());
  EXPECT_EQ(1, clicks);
  EXPECT_NE(idle, hot);
  EXPECT_NE(hot, pressed);
  EXPECT_EQ(hot, Grab(r));
  MoveMouse(r.Left + 20, r.Bottom + 40);
  Pump(250);
  EXPECT_EQ(idle, Grab(r));
}

// What the open menu looked like, seen from a timer inside its modal loop.
struct TMenuSeen {
  TsSpeedButton* Button = nullptr;
  bool Choose = false;  // pick the first item with the keyboard, else close
  int Ticks = 0;
  bool DroppedDown = false, Down = false, Hints = true;
  TRect MenuRect;
};
TMenuSeen MenuSeen;

void CALLBACK MenuTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  ++MenuSeen.Ticks;
  MenuSeen.DroppedDown = MenuSeen.Button->DroppedDown();
  MenuSeen.Down = MenuSeen.Button->Down();
  MenuSeen.Hints = HintsAllowed();
  if (HWND menu = FindWindowW(L"#32768", nullptr)) MenuSeen.MenuRect = ScreenRect(menu);
  if (!MenuSeen.Choose) {
    EndMenu();
    return;
  }
  INPUT in[4]{};
  const WORD keys[2] = {VK_DOWN, VK_RETURN};
  for (int i = 0; i < 4; ++i) {
    in[i].type = INPUT_KEYBOARD;
    in[i].ki.wVk = keys[i / 2];
    in[i].ki.dwFlags = i % 2 ? KEYEVENTF_KEYUP : 0;
  }
  SendInput(4, in, sizeof(INPUT));
}

// A drop-down button opens its menu under itself from its arrow part (or
// anywhere without a click handler); the choice runs once the menu is gone.
TEST_F(SkinnedControls, SpeedButtonDropDownMenu) {
  auto* b = new TsSpeedButton(Owner.get());
  b->SetParent(Form);
  b->SetBounds(170, 20, 60, 24);
  b->SetCaption("Go");
  b->ButtonStyle = TToolButtonStyle::tbsDropDown;
  int clicks = 0;
  String chosen;
  b->OnClick = [&](TObject*) { ++clicks; };
  b->DropdownMenu = {{"First", [&](TObject*) { chosen = "First"; }}, {"-", nullptr}, {"Second", nullptr}};
  Pump(100);
  const TPoint o = Form->ClientToScreen(Point(170, 20));
  struct { int x; bool onClick, choose; const char* chosen; int clicks; bool down; } cases[] = {
      {10, true, false, "", 1, false},      // the main part clicks
      {52, true, false, "", 0, false},      // the arrow part opens the menu
      {52, true, true, "First", 0, false},  // and the keyboard chooses
      {10, false, false, "", 0, true},      // without a handler anywhere, shown down
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    if (!c.onClick) b->OnClick = nullptr;
    clicks = 0;
    chosen.clear();
    MenuSeen = TMenuSeen{};
    MenuSeen.Button = b, MenuSeen.Choose = c.choose;
    SetTimer(nullptr, 0, 300, MenuTimer);
    MoveMouse(o.X + c.x, o.Y + 12);
    LeftButton(true);
    LeftButton(false);
    Pump(400);
    const bool opened = c.x == 52 || !c.onClick;
    EXPECT_EQ(opened, MenuSeen.DroppedDown);
    EXPECT_EQ(c.down, MenuSeen.Down);
    if (opened) {
      EXPECT_FALSE(MenuSeen.Hints);
      EXPECT_EQ(o.X, MenuSeen.MenuRect.Left);
      EXPECT_EQ(o.Y + 25, MenuSeen.MenuRect.Top);
    }
    EXPECT_EQ(c.chosen, chosen);
    EXPECT_EQ(c.clicks, clicks);
    EXPECT_FALSE(b->DroppedDown());
    EXPECT_FALSE(b->Down());
    EXPECT_TRUE(HintsAllowed());
    EXPECT_EQ(nullptr, FindWindowW(L"#32768", nullptr) ? (IsWindowVisible(FindWindowW(L"#32768", nullptr)) ? HWND(1) : nullptr) : nullptr);
  }
  MoveMouse(o.X + 20, o.Y + 100);
}

// The combo edit's button: a click on it or Alt+Down raises the drop-down;
// a click on the text, a read-only field or a hidden button does not.
TEST_F(SkinnedControls, ComboEditButtonRaisesTheDropDown) {
  auto* e = new TsCustomComboEdit(Owner.get());
  e->SetParent(Form);
  e->SetBounds(170, 20, 100, 21);
  int drops = 0, clicks = 0;
  e->OnDropDown = [&] { ++drops; };
  e->OnButtonClick = [&](TObject*) { ++clicks; };
  Pump(100);
  EXPECT_EQ(21, e->Height());
  const int b = e->BorderWidth();
  EXPECT_EQ(Rect(100 - b - 18, b, 100 - b, 21 - b), e->ButtonRect());
  const TRect w = ScreenRect(e->Handle());
  auto press = [&](int x) {
    MoveMouse(w.Left + x, w.Top + 10);
    LeftButton(true);
    LeftButton(false);
  };
  // Over the text, then over the button: the edit stays hot; out: neither is.
  MoveMouse(w.Left + 20, w.Top + 10);
  EXPECT_TRUE(e->SkinData()->FMouseAbove);
  MoveMouse(w.Left + 100 - b - 9, w.Top + 10);
  EXPECT_TRUE(e->SkinData()->FMouseAbove);
  EXPECT_TRUE(e->Button()->SkinData()->FMouseAbove);
  MoveMouse(w.Left + 100 - b - 9, w.Bottom + 40);
  EXPECT_FALSE(e->SkinData()->FMouseAbove);
  EXPECT_FALSE(e->Button()->SkinData()->FMouseAbove);
  press(100 - b - 9);
  EXPECT_EQ(1, drops);
  EXPECT_EQ(1, clicks);
  press(20);
  EXPECT_EQ(1, drops);
  e->SetFocus();
  Pump(50);
  INPUT in[4]{};
  const WORD keys[4] = {VK_MENU, VK_DOWN, VK_DOWN, VK_MENU};
  for (int i = 0; i < 4; ++i) {
    in[i].type = INPUT_KEYBOARD;
    in[i].ki.wVk = keys[i];
    in[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
  }
  SendInput(4, in, sizeof(INPUT));
  Pump(100);
  EXPECT_EQ(2, drops);
  e->SetReadOnly(true);
  press(100 - b - 9);
  EXPECT_EQ(2, drops);
  e->SetReadOnly(false);
  e->SetShowButton(false);
  EXPECT_TRUE(e->ButtonRect().IsEmpty());
  press(100 - b - 9);
  EXPECT_EQ(2, drops);
  EXPECT_EQ(2, clicks);
  MoveMouse(w.Left + 20, w.Bottom + 80);
}

TEST_F(SkinnedControls, MaskEditKeepsToItsMask) {
  auto* e = new TsMaskEdit(Owner.get());
  e->SetParent(Form);
  e->SetBounds(170, 20, 100, 21);
  e->SetEditMask("AAAAAA;1; ");
  EXPECT_EQ("      ", e->MaskedText());
  e->SetFocus();
  Pump(50);
  TypeText(L"ab1-CDEFG");
  EXPECT_EQ("ab1CDE", e->MaskedText());
  EXPECT_EQ("ab1CDE", e->Text());
}

TEST_F(SkinnedControls, CurrencyEditRoundsRefusesAndHandsOperatorsOn) {
  auto* e = new TsCurrencyEdit(Owner.get());
  e->SetParent(Form);
  e->SetBounds(170, 20, 80, 21);
  TacNumEditModel& num = e->NumModel();
  num.DisplayFormat = "0";
  num.DecimalPlaces = 0;
  String dropped;
  e->OnOperatorDropDown = [&](const String& key) { dropped += key; };
  int clicks = 0;
  e->OnButtonClick = [&](TObject*) { ++clicks; };
  EXPECT_TRUE(e->ButtonRect().IsEmpty());  // a combo edit whose button has no width
  e->DoClick();
  EXPECT_EQ(0, clicks);
  e->SetValue(45.5);
  EXPECT_EQ(46, e->Value());
  EXPECT_EQ(46, e->AsInteger());
  e->SetFocus();
  Pump(50);
  SendMessageW(e->Handle(), EM_SETSEL, 0, -1);
  TypeText(L"300");
  EXPECT_EQ(300, e->Value());
  TypeText(L".5x");  // no decimal places: the separator alone passes, the digit not
  const String typed = e->Text();
  EXPECT_EQ(String::npos, typed.find_first_of("5x"));
  EXPECT_EQ(300, e->Value());
  TypeText(L"+");
  EXPECT_EQ("+", dropped);
  EXPECT_EQ(typed, e->Text());
  SendMessageW(e->Handle(), EM_SETSEL, 0, -1);
  TypeText(L"\x1B");  // Esc: back to the value's text, all selected
  EXPECT_EQ("300", e->Text());
  e->SetText("");
  EXPECT_EQ(0, e->Value());
}

// Each control enabled and disabled builds its skinned picture. With
// QN_GALLERY_WAIT set (milliseconds) the form stays up that long for a screenshot.
TEST_F(SkinnedControls, GalleryEnabledAndDisabled) {
  Form->SetBounds(200, 200, 625, 235);
  Edit->Hide();
  Other->Hide();
  // Enabled, disabled, and enabled again over a parent whose section paints a gradient.
  auto* textured = new TsPanel(Owner.get());
  textured->SetParent(Form);
  textured->SetBounds(415, 0, 200, 205);
  textured->SkinData()->SetSkinSection("MAINMENU");
  for (int row = 0; row < 3; ++row) {
    const bool enabled = row != 1;
    TWinControl* parent = row == 2 ? static_cast<TWinControl*>(textured) : Form;
    const int x = row == 2 ? 5 : 10 + row * 205;
    auto* e = new TsEdit(Owner.get());
    e->SetParent(parent);
    e->SetBounds(x + 60, 10, 120, 21);
    e->SetText(enabled ? "#3C3D3D" : "disabled");
    e->BoundLabel()->SetCaption("Code:");
    e->BoundLabel()->SetActive(true);
    auto* b = new TsBitBtn(Owner.get());
    b->SetParent(parent);
    b->SetBounds(x, 45, 75, 25);
    b->SetCaption("OK");
    b->SetDefault(enabled);
    auto* sb = new TsSpeedButton(Owner.get());
    sb->SetParent(parent);
    sb->SetBounds(x + 85, 45, 60, 25);
    sb->SetCaption("Pick");
    auto* p = new TsPanel(Owner.get());
    p->SetParent(parent);
    p->SetBounds(x, 80, 180, 50);
    p->SetCaption("Panel");
    auto* l = new TsLabel(Owner.get());
    l->SetParent(p);
    l->SetBounds(8, 30, 10, 10);
    l->SetCaption("Label on a panel");
    auto* c = new TsCurrencyEdit(Owner.get());
    c->SetParent(parent);
    c->SetBounds(x, 140, 80, 21);
    c->SetValue(1234.5);
    auto* m = new TsMaskEdit(Owner.get());
    m->SetParent(parent);
    m->SetBounds(x + 90, 140, 80, 21);
    m->SetEditMask("AAAAAA;1; ");
    m->Model().SetText("3C3D3D");
    m->SetText(m->Model().EditText());
    auto* ce = new TsCustomComboEdit(Owner.get());
    ce->SetParent(parent);
    ce->SetBounds(x, 170, 120, 21);
    for (TControl* ctl : std::initializer_list<TControl*>{e, b, sb, p, l, c, m, ce}) ctl->SetEnabled(enabled);
  }
  Pump(200);
  for (int i = 0; i < Owner->ComponentCount(); ++i)
    if (auto* e = dynamic_cast<TsEdit*>(Owner->Components(i)); e && e != Edit && e != Other) {
      EXPECT_FALSE(e->SkinData()->CacheView().Empty()) << e->Text();
    }
  if (const char* wait = std::getenv("QN_GALLERY_WAIT")) Pump(std::atoi(wait));
  Form->SetBounds(200, 200, 320, 160);
}

}  // namespace
