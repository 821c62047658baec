// Skinned form frames on real windows: the automatic provider of a tool
// window, hit codes, region, frame pixels, the close button's press paths,
// the system menu, a sizeable form's states, and a provider going away.
#include "frames/acSBAnimation.h"
#include "frames/sSkinProvider.h"
#include "frames/sSysMenu.h"
#include "framework/WinUtils.h"
#include "skin/acSkinWin.h"
#include "tests/framework/TestSupport.h"
#include "tests/skinmgr/SkinMgrSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

void MoveMouse(int x, int y) {
  SendMouseInput(MOUSEEVENTF_MOVE, Point(x, y));
  Pump(60);
}

void LeftButton(bool down) {
  SendMouseInput(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
  Pump(60);
}

TRect WndRect(HWND wnd) {
  RECT r{};
  GetWindowRect(wnd, &r);
  return Rect(r.left, r.top, r.right, r.bottom);
}

int HitAt(HWND wnd, int x, int y) {  // window coordinates
  const TRect r = WndRect(wnd);
  return int(SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(r.Left + x, r.Top + y)));
}

// What the window shows at a window point, as 0x00BBGGRR.
COLORREF WindowPixel(HWND wnd, int x, int y) {
  HDC dc = GetWindowDC(wnd);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(wnd, dc);
  return c;
}

COLORREF Ref(uint32_t pixel) { return RGB((pixel >> 16) & 255, (pixel >> 8) & 255, pixel & 255); }

TRect RegionBox(HWND wnd, int* kind) {
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  *kind = GetWindowRgn(wnd, rgn);
  RECT b{};
  GetRgnBox(rgn, &b);
  DeleteObject(rgn);
  return Rect(b.left, b.top, b.right, b.bottom);
}

// The menu the provider would show, as "text" or "text|gray" per item.
std::vector<String> LastMenu;
TPoint LastMenuPoint;
UINT MenuChoice = 0;
// Chosen by its text anywhere in the menu instead, when set; whether it was checked.
String MenuChoiceText;
bool MenuChoiceChecked = false;
UINT FindMenuText(HMENU menu, const String& text) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      if (const UINT id = FindMenuText(sub, text)) return id;
      continue;
    }
    wchar_t buf[128] = {};
    GetMenuStringW(menu, UINT(i), buf, 128, MF_BYPOSITION);
    if (FromWide(buf) == text) {
      MenuChoiceChecked = (GetMenuState(menu, UINT(i), MF_BYPOSITION) & MF_CHECKED) != 0;
      return GetMenuItemID(menu, i);
    }
  }
  return 0;
}
UINT CaptureMenu(HMENU menu, int x, int y, HWND) {
  if (!MenuChoiceText.empty()) return FindMenuText(menu, MenuChoiceText);
  LastMenu.clear();
  LastMenuPoint = TPoint(x, y);
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t buf[128] = {};
    GetMenuStringW(menu, UINT(i), buf, 128, MF_BYPOSITION);
    const UINT st = GetMenuState(menu, UINT(i), MF_BYPOSITION);
    String s = (st & MF_SEPARATOR) ? String("-") : FromWide(buf);
    if ((st & MF_GRAYED) && !(st & MF_SEPARATOR)) s += "|gray";
    LastMenu.push_back(s);
  }
  return MenuChoice;
}

class Frames : public testing::Test {
protected:
  static void SetUpTestSuite() {
    InstallWin32SkinPlatform();
    InstallFormSkinning();
    acTrackSysMenu = CaptureMenu;
    Manager = new TsSkinManager(nullptr);
    AddPackageAsInternalSkin(*Manager, "AlterMetro (internal)");
    Manager->SetSkinName("AlterMetro (internal)");
    Manager->SetActive(true);
    // Like the program's tool window: no designed provider.
    Tool = new TForm(nullptr);
    Tool->SetBorderStyle(TFormBorderStyle::bsToolWindow);
    Tool->SetFormStyle(TFormStyle::fsStayOnTop);
    Tool->SetBounds(300, 300, 130, 125);
    Tool->SetCaption("");
    Tool->OnClose = [](TObject*, TCloseAction& a) {
      ++Closes;
      a = TCloseAction::caNone;
    };
    Tool->Show();
    SetForegroundWindow(Tool->Handle());
    Pump(200);
    // A sizeable form with a designed provider.
    Big = new TForm(nullptr);
    Big->SetBounds(500, 200, 400, 300);
    Big->SetCaption("Sizeable");
    BigProvider = new TsSkinProvider(Big);
    Big->Show();
    Pump(200);
  }
  static void TearDownTestSuite() {
    delete Big;
    delete Tool;
    delete Manager;
  }
  void SetUp() override {
    Manager->Effects.AllowGlowing = false;
    Activate(Tool);
    Closes = 0;
  }
  static void Activate(TForm* f) {
    SetForegroundWindow(f->Handle());
    SetActiveWindow(f->Handle());
    Pump(120);
  }
  static TsSkinProvider* ToolProvider() { return ProviderOf(Tool); }
  static inline TsSkinManager* Manager = nullptr;
  static inline TForm* Tool = nullptr;
  static inline TForm* Big = nullptr;
  static inline TsSkinProvider* BigProvider = nullptr;
  static inline int Closes = 0;
};

TEST_F(Frames, ToolWindowGetsAutomaticProviderOnActivation) {
  TsSkinProvider* p = ToolProvider();
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(p->RTInit);
  EXPECT_TRUE(p->Skinned());
  EXPECT_EQ(p->SkinData()->SkinSection(), "FORM");
  EXPECT_EQ(GetWindowLongPtrW(Tool->Handle(), GWL_STYLE) & WS_SYSMENU, 0);
  EXPECT_EQ(p->FLayout.CaptionHeight(), GetSystemMetrics(SM_CYSMCAPTION));
  EXPECT_FALSE(p->FLayout.IconVisible());
  EXPECT_EQ(p->FLayout.BigButtons, 0);
  EXPECT_GT(p->ButtonClose.Rect.Width(), 0);
  EXPECT_EQ(p->ButtonMax.Rect.Width(), 0);
  EXPECT_EQ(p->ButtonMin.Rect.Width(), 0);
  EXPECT_EQ(SendSkinCommand(Tool->Handle(), SKC_ISSKINNED), 1);
  // A second activation does not add a second provider.
  Activate(Big);
  Activate(Tool);
  int providers = 0;
  for (int i = 0; i < Tool->ComponentCount(); ++i) providers += dynamic_cast<TsSkinProvider*>(Tool->Components(i)) != nullptr;
  EXPECT_EQ(providers, 1);
}

TEST_F(Frames, ToolWindowHitCodes) {
  TsSkinProvider* p = ToolProvider();
  ASSERT_NE(p, nullptr);
  const HWND wnd = Tool->Handle();
  const TRect c = p->ButtonClose.Rect;
  const int oy = p->OffsetY(), ox = p->OffsetX();
  const struct { int x, y, code; } table[] = {
      {20, oy / 2, HTCAPTION},
      {(c.Left + c.Right) / 2, (c.Top + c.Bottom) / 2, HTCLOSE},
      {c.Left, c.Top, HTCLOSE},
      {c.Left - 1, (c.Top + c.Bottom) / 2, HTCAPTION},
      {ox + 20, oy + 20, HTCLIENT},
      {0, 60, HTBORDER},
      {Tool->Width() - 1, 60, HTBORDER},
      {60, Tool->Height() - 1, HTBORDER},
  };
  for (const auto& t : table) EXPECT_EQ(HitAt(wnd, t.x, t.y), t.code) << t.x << "," << t.y;
  // A sizeable form: the sizing border and corners.
  const HWND big = Big->Handle();
  const int w = Big->Width(), h = Big->Height();
  const struct { int x, y, code; } edges[] = {
      {0, 100, HTLEFT},       {w - 1, 100, HTRIGHT},        {100, 0, HTTOP},  {100, h - 1, HTBOTTOM},
      {0, 0, HTTOPLEFT},      {w - 1, h - 1, HTBOTTOMRIGHT}, {0, h - 1, HTBOTTOMLEFT},
      {w / 2, BigProvider->OffsetY() + 30, HTCLIENT},
  };
  for (const auto& t : edges) EXPECT_EQ(HitAt(big, t.x, t.y), t.code) << t.x << "," << t.y;
  const TRect mx = BigProvider->ButtonMax.Rect, mn = BigProvider->ButtonMin.Rect;
  EXPECT_EQ(HitAt(big, (mx.Left + mx.Right) / 2, (mx.Top + mx.Bottom) / 2), HTMAXBUTTON);
  EXPECT_EQ(HitAt(big, (mn.Left + mn.Right) / 2, (mn.Top + mn.Bottom) / 2), HTMINBUTTON);
}

TEST_F(Frames, RegionCutsCornersAndIsAppliedOnlyOnChange) {
  TsSkinProvider* p = ToolProvider();
  int kind = 0;
  const TRect box = RegionBox(Tool->Handle(), &kind);
  // Without cut corners the whole window is the region: none is set.
  EXPECT_EQ(kind, p->ArOR().empty() ? ERROR : COMPLEXREGION);
  if (kind != ERROR) { EXPECT_EQ(box, Rect(0, 0, Tool->Width(), Tool->Height())); }
  for (const TRect& r : p->ArOR()) {
    EXPECT_EQ(r.Height(), 1);
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    GetWindowRgn(Tool->Handle(), rgn);
    EXPECT_FALSE(PtInRegion(rgn, r.Left, r.Top)) << r.Left << "," << r.Top;
    DeleteObject(rgn);
  }
  const int applied = p->RegionApplyCount();
  p->SkinData()->BGChanged = true;
  SendMessageW(Tool->Handle(), WM_NCPAINT, 1, 0);
  SendMessageW(Tool->Handle(), WM_NCPAINT, 1, 0);
  EXPECT_EQ(p->RegionApplyCount(), applied);
}

TEST_F(Frames, TitleAndFramePixelsActiveAndInactive) {
  TsSkinProvider* p = ToolProvider();
  const HWND wnd = Tool->Handle();
  const int ti = p->FLayout.TitleSkinIndex(), fi = p->SkinData()->SkinIndex;
  ASSERT_GE(ti, 0);
  const auto& title = Manager->gd[size_t(ti)];
  const auto& frame = Manager->gd[size_t(fi)];
  const int y = p->OffsetY() / 2;
  EXPECT_TRUE(p->FormActive);
  EXPECT_EQ(WindowPixel(wnd, 40, y), COLORREF(title.Props[1].Color));
  EXPECT_EQ(WindowPixel(wnd, 1, Tool->Height() / 2), Ref(p->SkinData()->CacheView().At(1, Tool->Height() / 2)));
  EXPECT_EQ(WindowPixel(wnd, p->OffsetX() + 5, p->OffsetY() + 90), COLORREF(ColorToRGB(frame.Props[1].Color)));
  Activate(Big);
  EXPECT_FALSE(p->FormActive);
  EXPECT_EQ(WindowPixel(wnd, 40, y), COLORREF(title.Props[0].Color));
  // Every frame strip pixel on screen is the cache's.
  const TPixelView cache = p->SkinData()->CacheView();
  int wrong = 0;
  for (int x = 0; x < cache.Width; x += 3)
    for (int yy = 0; yy < p->OffsetY(); ++yy)
      if (WindowPixel(wnd, x, yy) != Ref(cache.At(x, yy))) {
        HRGN rgn = CreateRectRgn(0, 0, 0, 0);
        GetWindowRgn(wnd, rgn);
        wrong += PtInRegion(rgn, x, yy) ? 1 : 0;
        DeleteObject(rgn);
      }
  EXPECT_EQ(wrong, 0);
}

TEST_F(Frames, CloseButtonActsOnlyWhenReleasedOnIt) {
  TsSkinProvider* p = ToolProvider();
  const TRect wr = WndRect(Tool->Handle());
  const TRect c = OffsetRect(p->ButtonClose.Rect, wr.Left, wr.Top);
  const int cx = (c.Left + c.Right) / 2, cy = (c.Top + c.Bottom) / 2;
  MoveMouse(cx, cy);
  EXPECT_EQ(p->ButtonClose.State, 1);
  EXPECT_EQ(p->CurrentHT(), HTCLOSE);
  LeftButton(true);
  EXPECT_EQ(p->ButtonClose.State, 2);
  EXPECT_TRUE(p->PendingPress());
  MoveMouse(wr.Left + 20, cy);  // onto the caption
  EXPECT_EQ(p->ButtonClose.State, 0);
  LeftButton(false);
  EXPECT_EQ(Closes, 0);
  EXPECT_FALSE(p->PendingPress());
  // Press and release inside: the form is asked to close.
  MoveMouse(cx, cy);
  LeftButton(true);
  LeftButton(false);
  Pump(60);
  EXPECT_EQ(Closes, 1);
  EXPECT_EQ(p->ButtonClose.State, 0);
  // Leaving through the non-client area clears the hot button.
  MoveMouse(wr.Left + 20, cy);
  MoveMouse(cx, cy);
  EXPECT_EQ(p->ButtonClose.State, 1);
  MoveMouse(wr.Left - 40, wr.Top - 40);
  // The leave is noticed by the system's tracking timer (the hover time here).
  WaitUntil([&] { return p->ButtonClose.State == 0; }, 2000);
  EXPECT_EQ(p->ButtonClose.State, 0);
  EXPECT_LE(p->CurrentHT(), 0);
}

TEST_F(Frames, HotCloseButtonFadesInAndOutWithGlowingOn) {
  TsSkinProvider* p = ToolProvider();
  Manager->Effects.AllowGlowing = true;
  const TRect wr = WndRect(Tool->Handle());
  const TRect c = OffsetRect(p->ButtonClose.Rect, wr.Left, wr.Top);
  MoveMouse(wr.Left + 20, wr.Top + 5);
  MoveMouse((c.Left + c.Right) / 2, (c.Top + c.Bottom) / 2);
  WaitForButtonFades(1000);
  TacSBAnimation* a = p->Animation(HTCLOSE, false);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->LastAlpha, 255);
  EXPECT_NE(a->AForm, nullptr);
  EXPECT_EQ(p->ButtonClose.Timer, a);
  MoveMouse(wr.Left - 40, wr.Top - 40);
  EXPECT_TRUE(WaitUntil([&] { return p->ButtonClose.Timer == nullptr; }, 2000));
  EXPECT_EQ(a->AForm, nullptr);
  EXPECT_EQ(p->ButtonClose.State, 0);
  EXPECT_EQ(RunningButtonFades(), 0);
}

TEST_F(Frames, SystemMenuItemsAndPlaces) {
  TsSkinProvider* p = ToolProvider();
  const HWND wnd = Tool->Handle();
  const TRect wr = WndRect(wnd);
  MenuChoice = 0;
  SendMessageW(wnd, WM_NCRBUTTONUP, HTCAPTION, MAKELPARAM(wr.Left + 30, wr.Top + 5));
  EXPECT_EQ(LastMenu, (std::vector<String>{"&Move", "-", "&Close\tAlt+F4"}));
  EXPECT_EQ(LastMenuPoint, TPoint(wr.Left + 30, wr.Top + 5));
  LastMenu.clear();
  SendMessageW(wnd, WM_SYSCOMMAND, SC_KEYMENU, VK_SPACE);
  EXPECT_EQ(LastMenu.size(), 3u);
  EXPECT_EQ(LastMenuPoint.X, wr.Left + p->FLayout.FrameWidth());
  // Foreign items: command items only, no empty ones from separators or sub-menus.
  HMENU sys = GetSystemMenu(wnd, FALSE);
  AppendMenuW(sys, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(sys, MF_POPUP, UINT_PTR(CreatePopupMenu()), L"Sub");
  AppendMenuW(sys, MF_STRING, 0x120, L"Extra\tCtrl+E");
  p->SystemMenu->UpdateItems(true);
  EXPECT_EQ(p->SystemMenu->ExtItemsCount, 1);
  p->DropSysMenu(wr.Left, wr.Top);
  EXPECT_EQ(LastMenu, (std::vector<String>{"&Move", "-", "Extra\tCtrl+E", "-", "&Close\tAlt+F4"}));
  GetSystemMenu(wnd, TRUE);  // back to the system's own
  p->SystemMenu->UpdateItems(true);
  // Only the active form drops its menu.
  LastMenu.clear();
  BigProvider->DropSysMenu(0, 0);
  EXPECT_TRUE(LastMenu.empty());
  // The sizeable form: restore greyed while normal.
  Activate(Big);
  BigProvider->SystemMenu->UpdateItems(true);
  BigProvider->DropSysMenu(0, 0);
  EXPECT_EQ(LastMenu, (std::vector<String>{"&Restore|gray", "&Move", "&Size", "Mi&nimize", "Ma&ximize", "-",
                                           "&Close\tAlt+F4"}));
  // A choice posts its command.
  Activate(Tool);
  MenuChoice = SC_CLOSE;
  p->DropSysMenu(wr.Left, wr.Top);
  MenuChoice = 0;
  Pump(50);
  EXPECT_EQ(Closes, 1);
}

// A popup menu handed to the system menu sits where its position says and its
// copies run their handlers; the skin items lead with the active skin checked.
TEST_F(Frames, SystemMenuCarriesASubMenuAndTheSkinItems) {
  TsSkinProvider* p = ToolProvider();
  const TRect wr = WndRect(Tool->Handle());
  int ones = 0;
  p->SysSubMenu.Caption = "Tools";
  p->SysSubMenu.PopupMenu = {{"One", "One", "", false, true, [&ones] { ++ones; }, {}}, {"Two", "Two", "", false, false, {}, {}}};
  const struct {
    TacItemPosition position;
    std::vector<String> menu;
  } cases[] = {
      {TacItemPosition::ipTop, {"Tools", "-", "&Move", "-", "&Close\tAlt+F4"}},
      {TacItemPosition::ipBeforeClose, {"&Move", "-", "Tools", "-", "&Close\tAlt+F4"}},
      {TacItemPosition::ipBottom, {"&Move", "-", "&Close\tAlt+F4", "-", "Tools"}},
  };
  for (const auto& c : cases) {
    p->SysSubMenu.Position = c.position;
    p->DropSysMenu(wr.Left, wr.Top);
    EXPECT_EQ(LastMenu, c.menu);
  }
  for (const char* choice : {"One", "Two"}) {  // "Two" is disabled
    MenuChoiceText = choice;
    p->DropSysMenu(wr.Left, wr.Top);
  }
  EXPECT_EQ(ones, 1);
  p->SysSubMenu = TacSysSubMenu{};
  MenuChoiceText.clear();
  p->MakeSkinMenu = true;
  p->DropSysMenu(wr.Left, wr.Top);
  EXPECT_EQ(LastMenu, (std::vector<String>{"Available skins", "-", "&Move", "-", "&Close\tAlt+F4"}));
  MenuChoiceText = Manager->SkinName();
  p->DropSysMenu(wr.Left, wr.Top);
  EXPECT_TRUE(MenuChoiceChecked);
  // Built twice over the same items: the named items are still found.
  EXPECT_EQ(p->SystemMenu->Items[size_t(p->SystemMenu->ItemClose)].Command, UINT(SC_CLOSE));
  EXPECT_EQ(Manager->SkinName(), "AlterMetro (internal)");
  MenuChoiceText.clear();
  p->MakeSkinMenu = false;
  p->DropSysMenu(wr.Left, wr.Top);
  EXPECT_EQ(LastMenu.front(), "&Move");
}

TEST_F(Frames, SizeableFormKeepsItsRegionThroughMaximiseRestoreAndResize) {
  const HWND wnd = Big->Handle();
  const int f = BigProvider->FLayout.FrameWidth();
  // Checked at once: without a window manager the display driver restores the window soon after.
  SendMessageW(wnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  ASSERT_TRUE(IsZoomed(wnd));
  int kind = 0;
  TRect box = RegionBox(wnd, &kind);
  EXPECT_EQ(box, Rect(f, f, Big->Width() - f, Big->Height() - f));
  EXPECT_EQ(kind, SIMPLEREGION);
  SendMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
  Pump(150);
  ASSERT_FALSE(IsZoomed(wnd));
  const int cut = BigProvider->ArOR().empty() ? ERROR : COMPLEXREGION;
  box = RegionBox(wnd, &kind);
  if (kind != ERROR) { EXPECT_EQ(box, Rect(0, 0, 400, 300)); }
  EXPECT_EQ(kind, cut);
  SetWindowPos(wnd, nullptr, 0, 0, 450, 330, SWP_NOMOVE | SWP_NOZORDER);
  Pump(150);
  box = RegionBox(wnd, &kind);
  EXPECT_EQ(kind, cut);
  if (kind != ERROR) { EXPECT_EQ(box, Rect(0, 0, 450, 330)); }
  EXPECT_EQ(BigProvider->SkinData()->CacheView().Width, 450);
  EXPECT_EQ(BigProvider->SkinData()->CacheView().Height, 330);
  SendMessageW(wnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(wnd));
  SendMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
  Pump(150);
  EXPECT_FALSE(IsIconic(wnd));
  box = RegionBox(wnd, &kind);
  EXPECT_EQ(kind, cut);
  if (kind != ERROR) { EXPECT_EQ(box, Rect(0, 0, 450, 330)); }
  SetWindowPos(wnd, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
  Pump(100);
}

TEST_F(Frames, ClientControlsGetTheCacheWithTheClientOffset) {
  TsSkinProvider* p = BigProvider;
  TBGRequest req;
  req.Offset = TPoint(10, 20);
  ASSERT_TRUE(RequestControlBG(req, Big, false));
  EXPECT_EQ(req.Kind, bgBitmap);
  EXPECT_EQ(req.Bmp, p->SkinData()->FCacheBmp.get());
  EXPECT_EQ(req.Offset, TPoint(10 + p->OffsetX(), 20 + p->OffsetY()));
  // From a foreign sender the pointer is never used, and no address leaves.
  TBGRequest raw;
  EXPECT_EQ(SendMessageW(Big->Handle(), SM_SKINCMD, MAKEWPARAM(0, SKC_GETBACKGROUND), LPARAM(&raw)), 0);
  EXPECT_EQ(raw.Kind, bgNone);
  EXPECT_EQ(SendMessageW(Big->Handle(), SM_SKINCMD, MAKEWPARAM(0, SKC_GETPROVIDER), 0), 0);
  EXPECT_EQ(SendSkinCommand(Big->Handle(), SKC_GETPROVIDER), LRESULT(p));
  EXPECT_EQ(SendSkinCommand(Big->Handle(), SKC_GETOFFSET), MAKELONG(p->OffsetX(), p->OffsetY()));
}

TEST_F(Frames, PaintHandlerRunsAfterTheClientBackground) {
  TColor swatch = 0x0000FF;
  Big->OnPaint = [&](TObject*) {
    Big->Canvas()->Brush()->SetColor(swatch);
    Big->Canvas()->FillRect(Rect(10, 10, 60, 60));
  };
  const int x = BigProvider->OffsetX() + 30, y = BigProvider->OffsetY() + 30;
  Big->Invalidate();
  Big->Update();
  EXPECT_EQ(WindowPixel(Big->Handle(), x, y), COLORREF(0x0000FF));
  swatch = 0x00FF00;
  Big->Invalidate();
  Big->Update();
  EXPECT_EQ(WindowPixel(Big->Handle(), x, y), COLORREF(0x00FF00));
  Big->OnPaint = nullptr;
}

TEST_F(Frames, CompositionBranchSetsTheTransitionsAttribute) {
  static int calls = 0;
  static DWORD attribute = 0;
  const TacDwmApi saved = acDwm();
  acDwm().IsCompositionEnabled = [](BOOL* on) -> HRESULT {
    *on = TRUE;
    return S_OK;
  };
  acDwm().SetWindowAttribute = [](HWND, DWORD a, LPCVOID, DWORD) -> HRESULT {
    ++calls;
    attribute = a;
    return S_OK;
  };
  EXPECT_TRUE(acCompositionEnabled());
  BigProvider->LoadInit();
  acDwm() = saved;
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(attribute, 3u);
  EXPECT_FALSE(acCompositionEnabled());  // Wine reports composition off
}

TEST_F(Frames, ButtonFadeStepsWithoutDivisionByZero) {
  TsSkinProvider* p = BigProvider;
  Activate(Big);
  TacSBAnimation* a = p->Animation(HTCLOSE, true);
  for (int iterations : {0, 1}) {
    a->MaxIterations = iterations;
    a->StartAnimation(1, true);
    EXPECT_EQ(a->LastAlpha, 255) << iterations;
    EXPECT_FALSE(a->TimerActive());
    a->StartAnimation(0, false);
    EXPECT_EQ(a->LastAlpha, 0);
    EXPECT_EQ(p->ButtonClose.Timer, nullptr);
  }
  a->MaxIterations = 10;
  a->StartAnimation(1, true);
  EXPECT_EQ(a->LastAlpha, 25);
  EXPECT_EQ(p->ButtonClose.Timer, a);
  WaitForButtonFades(1000);
  EXPECT_EQ(a->LastAlpha, 255);
  a->StartAnimation(0, false);
  WaitForButtonFades(1000);
  EXPECT_EQ(RunningButtonFades(), 0);
  EXPECT_EQ(a->LastAlpha, 0);
  EXPECT_EQ(a->AForm, nullptr);
  EXPECT_EQ(p->ButtonClose.Timer, nullptr);
}

TEST_F(Frames, ScreenSnapPullsTheFormToTheWorkAreaEdge) {
  const HWND wnd = Big->Handle();
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  GetMonitorInfoW(MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST), &mi);
  const int w = Big->Width(), right = mi.rcWork.right;
  BigProvider->ScreenSnap = true;
  const struct { int x, y, wantX, wantY; } table[] = {
      {right - w - 9, 200, right - w, 200},      // 9 pixels off: snapped
      {right - w - 10, 200, right - w - 10, 200},  // 10 pixels off: left alone
      {int(mi.rcWork.left) + 5, 200, int(mi.rcWork.left), 200},
      {0, 0, 0, 0},                              // never snapped at (0, 0)
  };
  for (const auto& t : table) {
    SetWindowPos(wnd, nullptr, t.x, t.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const TRect r = WndRect(wnd);
    EXPECT_EQ(r.Left, t.wantX) << t.x;
    EXPECT_EQ(r.Top, t.wantY) << t.x;
  }
  BigProvider->ScreenSnap = false;
  SetWindowPos(wnd, nullptr, 500, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TEST_F(Frames, NewCaptionRepaintsTheSkinnedTitle) {
  TsSkinProvider* p = ToolProvider();
  const HWND wnd = Tool->Handle();
  for (const char* caption : {"Picker", "Picker", ""}) {
    Tool->SetCaption(caption);
    Pump(50);
    // Every title pixel on screen is the cache's: the system drew no caption of its own.
    const TPixelView cache = p->SkinData()->CacheView();
    int wrong = 0, seen = 0;
    for (int x = 0; x < cache.Width; ++x)
      for (int y = 0; y < p->OffsetY(); ++y) {
        const COLORREF c = WindowPixel(wnd, x, y);
        if (c == CLR_INVALID) continue;  // outside the window region
        ++seen;
        wrong += c != Ref(cache.At(x, y));
      }
    EXPECT_GT(seen, cache.Width * p->OffsetY() / 2) << caption;
    EXPECT_EQ(wrong, 0) << caption;
  }
}

TEST_F(Frames, PrintedWindowShowsTheSkinnedFrame) {
  TsSkinProvider* p = BigProvider;
  const int w = Big->Width(), h = Big->Height();
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  ASSERT_TRUE(PrintWindow(Big->Handle(), mem, 0));
  const TPixelView cache = p->SkinData()->CacheView();
  int wrong = 0;
  for (int x = 0; x < w; x += 4)
    for (int y = 0; y < p->OffsetY(); ++y) wrong += GetPixel(mem, x, y) != Ref(cache.At(x, y));
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(GetPixel(mem, p->OffsetX() + 100, p->OffsetY() + 100), Ref(cache.At(p->OffsetX() + 100, p->OffsetY() + 100)));
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

TEST_F(Frames, SkinRemovedAndLoadedAgain) {
  const HWND wnd = Big->Handle();
  Manager->SetActive(false);
  Pump(50);
  EXPECT_NE(GetWindowLongPtrW(wnd, GWL_STYLE) & WS_SYSMENU, 0);
  int kind = 0;
  RegionBox(wnd, &kind);
  EXPECT_EQ(kind, ERROR);
  Manager->SetActive(true);
  Pump(50);
  EXPECT_TRUE(BigProvider->Skinned());
  EXPECT_EQ(GetWindowLongPtrW(wnd, GWL_STYLE) & WS_SYSMENU, 0);
  EXPECT_EQ(BigProvider->SkinData()->CacheView().Width, Big->Width());
}

TEST_F(Frames, DesignedDialogProvider) {
  // As the colour dialog's form carries it: made while the form reads its description.
  auto* dlg = new TForm(nullptr);
  dlg->BeginLoading();
  dlg->SetBorderStyle(TFormBorderStyle::bsSingle);
  dlg->SetBorderIcons({biSystemMenu, biMinimize});
  dlg->SetBounds(100, 500, 300, 200);
  dlg->SetCaption("Color");
  auto* sp = new TsSkinProvider(dlg);
  sp->SetName("sSkinProvider1");
  sp->SkinData()->SetSkinSection("DIALOG");
  sp->CaptionAlignment = taCenter;
  sp->ScreenSnap = true;
  sp->ShowAppIcon = false;
  dlg->EndLoading();
  dlg->Show();
  Activate(dlg);
  EXPECT_EQ(ProviderOf(dlg), sp);
  EXPECT_TRUE(sp->Skinned());
  EXPECT_EQ(sp->SkinData()->SkinSection(), "DIALOG");
  EXPECT_EQ(sp->FLayout.BigButtons, 1);
  EXPECT_FALSE(sp->FLayout.IconVisible());
  EXPECT_GT(sp->ButtonClose.Rect.Width(), 0);
  EXPECT_GT(sp->ButtonMin.Rect.Width(), 0);
  EXPECT_EQ(sp->ButtonMax.Rect.Width(), 0);
  EXPECT_LT(sp->ButtonMin.Rect.Left, sp->ButtonClose.Rect.Left);
  const TRect mn = sp->ButtonMin.Rect;
  EXPECT_EQ(HitAt(dlg->Handle(), (mn.Left + mn.Right) / 2, (mn.Top + mn.Bottom) / 2), HTMINBUTTON);
  // A double click on the caption neither maximises nor restores it.
  SendMessageW(dlg->Handle(), WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
  EXPECT_FALSE(IsZoomed(dlg->Handle()));
  sp->SystemMenu->UpdateItems(true);
  sp->DropSysMenu(0, 0);
  EXPECT_EQ(LastMenu, (std::vector<String>{"&Restore|gray", "&Move", "&Size|gray", "Mi&nimize", "-", "&Close\tAlt+F4"}));
  delete dlg;
  Pump(50);
}

int ForeignSkinCommands = 0;
LRESULT CALLBACK ForeignProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == SM_SKINCMD) ++ForeignSkinCommands;
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

int ProviderCount(TForm* f) {
  int n = 0;
  for (int i = 0; i < f->ComponentCount(); ++i) n += dynamic_cast<TsSkinProvider*>(f->Components(i)) != nullptr;
  return n;
}

TEST_F(Frames, TopLevelFormsGetTheirProviderWhenCreated) {
  struct Case {
    TFormBorderStyle Border;
    bool Designed;
    int Providers;  // right after the window exists
  };
  for (const Case& c : {Case{TFormBorderStyle::bsToolWindow, false, 1}, Case{TFormBorderStyle::bsSingle, false, 1},
                        Case{TFormBorderStyle::bsNone, false, 0}, Case{TFormBorderStyle::bsToolWindow, true, 1}}) {
    auto* f = new TForm(nullptr);
    f->SetBorderStyle(c.Border);
    f->SetBounds(600, 600, 200, 120);
    TsSkinProvider* designed = c.Designed ? new TsSkinProvider(f) : nullptr;
    f->HandleNeeded();
    EXPECT_EQ(ProviderCount(f), c.Providers);
    if (designed) EXPECT_EQ(ProviderOf(f), designed);
    f->Show();
    Activate(f);
    EXPECT_EQ(ProviderCount(f), c.Providers);  // a borderless popup is never skinned
    EXPECT_EQ(SendSkinCommand(f->Handle(), SKC_ISSKINNED), c.Providers);
    delete f;
    Pump(30);
  }
  // A window that is no form (the screen picker's kind) is never asked while it is being made.
  WNDCLASSW wc{};
  wc.lpfnWndProc = ForeignProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TacPickWindow";
  RegisterClassW(&wc);
  ForeignSkinCommands = 0;
  HWND w = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"TacPickWindow", L"", WS_POPUP | WS_CAPTION, 10, 10, 50,
                           50, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(ForeignSkinCommands, 0);
  DestroyWindow(w);
}

TEST_F(Frames, TitleButtonsHitPressAndDrawTheirGlyph) {
  Activate(Big);
  const HWND wnd = Big->Handle();
  TsTitleButtons& tb = BigProvider->TitleButtons;
  std::vector<String> events;
  for (int i = 0; i < 3; ++i) {
    TsTitleButton* b = tb.Add();
    b->OnMouseDown = [&events, i](TObject*, TMouseButton, TShiftState, int x, int y) {
      events.push_back("down" + std::to_string(i) + "@" + std::to_string(x) + "," + std::to_string(y));
    };
    b->OnMouseUp = [&events, i](TObject*, TMouseButton, TShiftState, int, int) { events.push_back("up" + std::to_string(i)); };
  }
  TBitmap* g = tb.Items(0)->Glyph();  // a red square on a white key
  g->SetPixelFormat(TPixelFormat::pf24bit);
  g->SetSize(10, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) g->ScanLine(y)[x] = (x > 0 && x < 9 && y > 0 && y < 9) ? 0xFF0000 : 0xFFFFFF;
  tb.Items(1)->SetVisible(false);
  tb.Items(2)->Enabled = false;
  Pump(50);
  const TRect r0 = tb.Items(0)->Data()->Rect, r2 = tb.Items(2)->Data()->Rect;
  EXPECT_GT(r0.Width(), 0);
  EXPECT_TRUE(tb.Items(1)->Data()->Rect.IsEmpty());
  EXPECT_LT(r0.Right, BigProvider->ButtonMin.Rect.Left);
  EXPECT_EQ(r2.Right, r0.Left - BigProvider->FLayout.Skin->CommonSkinData.BISpacing);  // the hidden one takes no room
  EXPECT_EQ(tb.Items(2)->Data()->HitCode, 1002u);
  const TPoint c0((r0.Left + r0.Right) / 2, (r0.Top + r0.Bottom) / 2);
  auto CachePixel = [](int x, int y) {
    const TPixelView v = BigProvider->SkinData()->CacheView();
    return v.Bits[size_t(y) * size_t(v.Stride) + size_t(x)] & 0xFFFFFFu;
  };
  EXPECT_EQ(HitAt(wnd, c0.X, c0.Y), 1000);
  // A disabled one is no button: its client answer is passed on and the
  // system's caption answer stands.
  EXPECT_EQ(HitAt(wnd, (r2.Left + r2.Right) / 2, (r2.Top + r2.Bottom) / 2), HTCAPTION);
  EXPECT_EQ(CachePixel(c0.X, c0.Y), 0xFF0000u);
  // Hot, pressed, released on it.
  const TRect wr = WndRect(wnd);
  const LPARAM at = MAKELPARAM(wr.Left + c0.X, wr.Top + c0.Y);
  tb.Items(0)->Hint = "First";
  SendMessageW(wnd, WM_NCMOUSEMOVE, 1000, at);
  EXPECT_EQ(tb.Items(0)->Data()->State, 1);
  EXPECT_TRUE(tb.Items(0)->HintWnd.Showing());
  EXPECT_EQ(tb.Items(0)->HintWnd.Text(), "First");
  EXPECT_EQ(GetForegroundWindow(), wnd);  // the hint never takes the activation
  SendMessageW(wnd, WM_NCLBUTTONDOWN, 1000, at);
  EXPECT_EQ(tb.Items(0)->Data()->State, 2);
  EXPECT_FALSE(tb.Items(0)->HintWnd.Showing());
  EXPECT_EQ(CachePixel(r0.Left + (r0.Width() - 10) / 2 + 9, r0.Top + (r0.Height() - 10) / 2 + 8), 0xFF0000u);
  SendMessageW(wnd, WM_NCLBUTTONUP, 1000, at);
  EXPECT_EQ(tb.Items(0)->Data()->State, 0);
  EXPECT_EQ(events, (std::vector<String>{"down0@" + std::to_string(wr.Left + c0.X) + "," + std::to_string(wr.Top + c0.Y),
                                         "up0"}));
  // Pressed and released elsewhere: no mouse-up.
  events.clear();
  SendMessageW(wnd, WM_NCLBUTTONDOWN, 1000, at);
  SendMessageW(wnd, WM_NCLBUTTONUP, HTCAPTION, MAKELPARAM(wr.Left + 30, wr.Top + 5));
  EXPECT_EQ(events.size(), 1u);
  SendMessageW(wnd, WM_NCMOUSEMOVE, 1000, at);
  EXPECT_TRUE(tb.Items(0)->HintWnd.Showing());
  SendMessageW(wnd, WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(wr.Left + 30, wr.Top + 5));
  EXPECT_FALSE(tb.Items(0)->HintWnd.Showing());
  tb.Clear();
  Pump(50);
  EXPECT_GT(HitAt(wnd, c0.X, c0.Y), 0);
  EXPECT_LT(HitAt(wnd, c0.X, c0.Y), 1000);
}

// The added title follows the caption in its own colour and can stand
// alone; a title icon picture of its own size takes the window icon's place.
TEST_F(Frames, AddedTitleAndTitleIconShowInTheCaption) {
  Activate(Big);
  TacTitleIcon& icon = BigProvider->TitleIcon;
  icon.Glyph.SetPixelFormat(TPixelFormat::pf24bit);  // a green square on a white key
  icon.Glyph.SetSize(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) icon.Glyph.ScanLine(y)[x] = (x > 0 && x < 7 && y > 0 && y < 7) ? 0x00FF00 : 0xFFFFFF;
  icon.Width = icon.Height = 12;
  BigProvider->AddedTitle.Text = "Extra";
  BigProvider->AddedTitle.Font.SetColor(clRed);
  for (bool mainCaption : {true, false}) {
    BigProvider->AddedTitle.ShowMainCaption = mainCaption;
    BigProvider->UpdateTitle();
    Pump(50);
    const TacCaptionTextLayout t = CalcCaptionText(BigProvider->FLayout);
    ASSERT_FALSE(t.Added.IsEmpty());
    EXPECT_EQ(t.Added.Left == t.Text.Left, !mainCaption);
    const TPixelView v = BigProvider->SkinData()->CacheView();
    int red = 0;
    for (int y = t.Added.Top; y < t.Added.Bottom; ++y)
      for (int x = t.Added.Left; x < t.Added.Right; ++x) red += (v.At(x, y) & 0xFFFFFF) == 0xFF0000;
    EXPECT_GT(red, 5) << mainCaption;
    const TRect ir = BigProvider->FLayout.FIconRect;
    EXPECT_EQ(ir.Width(), 12);
    EXPECT_EQ(v.At(ir.Left + 6, ir.Top + 6) & 0xFFFFFF, 0x00FF00u);
  }
  BigProvider->AddedTitle.Text.clear();
  BigProvider->AddedTitle.ShowMainCaption = true;
  icon.Glyph.SetSize(0, 0);
  icon.Width = icon.Height = 0;
  BigProvider->UpdateTitle();
}

TEST_F(Frames, TitleBarResizeModeAndAnimationHooks) {
  Activate(Big);
  auto* bar = new TsTitleBar(Big);
  EXPECT_EQ(BigProvider->TitleBar(), bar);
  Pump(50);
  const TacFrameLayout& l = BigProvider->FLayout;
  ASSERT_FALSE(l.TitleBarRect.IsEmpty());
  EXPECT_EQ(l.TitleBarRect.Right, l.ButtonMin.Rect.Left - 6);
  EXPECT_EQ(CalcCaptionText(l).Text.Left, l.TitleBarRect.Left + 8);
  bar->Free();
  EXPECT_EQ(BigProvider->TitleBar(), nullptr);
  EXPECT_FALSE(BigProvider->FLayout.HasTitleBar);

  BigProvider->SetResizeMode(TacResizeMode::rmBorder);
  EXPECT_EQ(BigProvider->ResizeMode(), TacResizeMode::rmBorder);
  const TacDwmApi saved = acDwm();
  acDwm().IsCompositionEnabled = [](BOOL* on) -> HRESULT {
    *on = TRUE;
    return S_OK;
  };
  EXPECT_EQ(BigProvider->ResizeMode(), TacResizeMode::rmStandard);
  acDwm() = saved;
  BigProvider->SetResizeMode(TacResizeMode::rmStandard);
  EXPECT_EQ(BigProvider->MenuLineSection(), "MENULINE");

  // A skin change with its animation ends in the provider's event.
  const TacSkinFadeFunc fade = acPlaySkinFade;
  acPlaySkinFade = [](HWND, int, TacAnimType, uint8_t) {};
  std::vector<TacAnimEvent> events;
  BigProvider->OnAfterAnimation = [&](TObject* sender, TacAnimEvent e) {
    EXPECT_EQ(sender, BigProvider);
    events.push_back(e);
  };
  const bool animated = Manager->AnimEffects.SkinChanging.Active;
  Manager->AnimEffects.SkinChanging.Active = true;
  Manager->SetSkinName("AlterMetro (internal)");
  Manager->AnimEffects.SkinChanging.Active = animated;
  acPlaySkinFade = fade;
  BigProvider->OnAfterAnimation = nullptr;
  EXPECT_EQ(events, std::vector<TacAnimEvent>{TacAnimEvent::aeSkinChanging});
}

// Last: the provider goes and the form keeps a working system frame.
TEST_F(Frames, ZDestroyedProviderLeavesAWorkingSystemFrame) {
  TsSkinProvider* p = ToolProvider();
  const HWND wnd = Tool->Handle();
  p->Free();
  Pump(50);
  EXPECT_EQ(ProviderOf(Tool), nullptr);
  EXPECT_NE(GetWindowLongPtrW(wnd, GWL_STYLE) & WS_SYSMENU, 0);
  int kind = 0;
  RegionBox(wnd, &kind);
  EXPECT_EQ(kind, ERROR);
  EXPECT_EQ(SendSkinCommand(wnd, SKC_ISSKINNED), 0);
  EXPECT_EQ(HitAt(wnd, 20, 5), HTCAPTION);
  EXPECT_NE(GetSystemMenu(wnd, FALSE), nullptr);
  SendMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  Pump(20);
  EXPECT_EQ(Closes, 1);
}

}  // namespace
