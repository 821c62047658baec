// The skinned colour dialog form on real windows, opened through Execute and
// driven by real mouse and keyboard input from inside its modal run.
#include <gtest/gtest.h>

#include "colordialog/sColorDialog.h"
#include "colordialog/sSkinHook.h"
#include "skin/acSkinWin.h"
#include "tests/framework/TestSupport.h"
#include "tests/skinmgr/SkinMgrSupport.h"

#include <functional>
#include <memory>

namespace {

constexpr TColor Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

void SendMouse(DWORD flags, TPoint screen = Point(-1, -1)) {
  SendMouseInput(flags, screen);
  Pump(80);
}

TPoint OnScreen(TControl* c, int x, int y) { return c->ClientToScreen(Point(x, y)); }

// A pixel of the screen at a control's client point, as TColor.
TColor ScreenPixel(TControl* c, int x, int y) {
  const TPoint p = c->ClientToScreen(Point(x, y));
  HDC screen = GetDC(nullptr);
  const COLORREF color = GetPixel(screen, p.X, p.Y);
  ReleaseDC(nullptr, screen);
  return TColor(color);
}

void Click(TControl* c, int x, int y) {
  SendMouse(MOUSEEVENTF_MOVE, OnScreen(c, x, y));
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  SendMouse(MOUSEEVENTF_LEFTUP);
}

void Key(WORD vk) {
  SendKey(vk);
  Pump(100);
}

void Type(const wchar_t* text) {
  SendText(text);
  Pump(150);
}

void SetClipboardText(const wchar_t* text) {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
  if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    memcpy(GlobalLock(mem), text, bytes);
    GlobalUnlock(mem);
    SetClipboardData(CF_UNICODETEXT, mem);
  }
  CloseClipboard();
}

bool CursorConfined() {
  RECT clip{};
  GetClipCursor(&clip);
  return clip.left > 0 || clip.top > 0 || clip.right < GetSystemMetrics(SM_CXSCREEN) ||
         clip.bottom < GetSystemMetrics(SM_CYSCREEN);
}

// Centre of cell i of a palette, in the palette's client coordinates.
TPoint CellCentre(TsColorsPanel* p, int i) {
  const TRect r = p->Grid().ColorsArray()[size_t(i)].R;
  return Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

class ColorDialogForm : public testing::Test {
protected:
  static void SetUpTestSuite() {
    InstallWin32SkinPlatform();
    Manager = new TsSkinManager(nullptr);
    AddPackageAsInternalSkin(*Manager, "AlterMetro (internal)");
    Manager->SetSkinName("AlterMetro (internal)");
    Manager->SetActive(true);
    DefaultSkinManagerQuery = [] { return DefaultManager != nullptr; };
    InstallSkinnedColorDialog();
  }
  static void TearDownTestSuite() {
    SkinnedColorDialogRunner = RunSystemColorChooser;
    DefaultSkinManagerQuery = nullptr;
    delete Manager;
    Manager = nullptr;
  }

  // Executes the dialog; the script runs once the form is shown and must
  // close it (a form left open is cancelled).
  bool Run(const std::function<void(TsColorDialogForm&)>& script) {
    TCapturedErrors errors;
    Dialog->OnShow = [&](TObject*) {
      TsColorDialogForm& f = *acColorDialogForm;
      SetForegroundWindow(f.Handle());
      Pump(150);
      script(f);
      if (f.ModalResult() == mrNone) f.SetModalResult(mrCancel);
    };
    const bool ok = Dialog->Execute();
    EXPECT_EQ(acColorDialogForm, nullptr);
    EXPECT_FALSE(CursorConfined());
    EXPECT_TRUE(errors.Messages().empty()) << (errors.Messages().empty() ? "" : errors.Messages()[0]);
    return ok;
  }
  static String Field(TsColorDialogForm& f, TColorEditField field) { return f.FieldEdit(field)->Text(); }

  void SetUp() override {
    Dialog = std::make_unique<TsColorDialog>(nullptr);
    SendMouse(MOUSEEVENTF_MOVE, Point(2, 2));
  }
  static inline TsSkinManager* Manager = nullptr;
  std::unique_ptr<TsColorDialog> Dialog;
};

TEST_F(ColorDialogForm, ControlsSitAtTheirDesignedPlacesWithTheirCaptions) {
  struct TPlace {
    const char* Name;
    int L, T, W, H;
  };
  Run([](TsColorDialogForm& f) {
    const std::pair<TControl*, TPlace> places[] = {
        {f.sSpeedButton1, {"picker", 20, 308, 37, 33}},  {f.sBitBtn1, {"OK", 7, 352, 69, 25}},
        {f.sBitBtn2, {"Cancel", 77, 352, 69, 25}},       {f.ColorPanel, {"field", 234, 8, 260, 260}},
        {f.GradPanel, {"bar", 502, 8, 20, 260}},         {f.SelectedPanel, {"selected", 234, 276, 131, 69}},
        {f.sHEdit, {"H", 394, 276, 33, 19}},             {f.sBEdit, {"Blue", 494, 324, 33, 19}},
        {f.sBitBtn3, {"Add", 236, 352, 291, 25}},        {f.sBitBtn4, {"Define", 8, 268, 209, 25}},
        {f.MainPal, {"MainPal", 1, 21, 223, 167}},       {f.AddPal, {"AddPal", 1, 205, 223, 59}},
        {f.sEditHex, {"hex", 142, 302, 70, 21}},         {f.sEditDecimal, {"decimal", 142, 323, 70, 19}},
        {f.sBitBtn5, {"Help", 147, 352, 69, 25}},
    };
    for (const auto& [c, p] : places)
      EXPECT_EQ(c->BoundsRect(), Rect(p.L, p.T, p.L + p.W, p.T + p.H)) << p.Name;
    EXPECT_EQ(f.Caption(), "Color");
    EXPECT_EQ(f.sBitBtn1->Caption(), "OK");
    EXPECT_EQ(f.sBitBtn2->Caption(), "Cancel");
    EXPECT_EQ(f.sBitBtn3->Caption(), "Add to custom colors set");
    EXPECT_EQ(f.sBitBtn4->Caption(), "Define colors");
    EXPECT_EQ(f.sBitBtn5->Caption(), "&Help");
    EXPECT_EQ(f.sLabel1->Caption(), "Main palette :");
    EXPECT_EQ(f.sLabel2->Caption(), "Additional colors :");
    EXPECT_EQ(f.sEditHex->BoundLabel()->Caption(), "Hex - ");
    EXPECT_EQ(f.sEditDecimal->BoundLabel()->Caption(), "Decimal - ");
    EXPECT_EQ(f.sREdit->BoundLabel()->Caption(), "Red :");
    EXPECT_EQ(f.sGEdit->BoundLabel()->Caption(), "Green :");
    EXPECT_EQ(f.sBEdit->BoundLabel()->Caption(), "Blue :");
    EXPECT_EQ(f.sHEdit->BoundLabel()->Caption(), "H :");
    EXPECT_EQ(f.Height(), TsColorDialogForm::FixedHeight);
    // Tab order from the hex field on.
    std::vector<TWinControl*> tabs;
    f.GetTabOrderList(tabs);
    const std::vector<TWinControl*> expected = {f.sEditHex, f.sEditDecimal, f.sHEdit,  f.sSEdit,    f.sVEdit,   f.sREdit,
                                                f.sGEdit,   f.sBEdit,       f.sBitBtn1, f.sBitBtn2, f.sBitBtn5, f.sBitBtn3,
                                                f.sBitBtn4, f.MainPal,      f.AddPal,   f.ColorPanel, f.GradPanel};
    EXPECT_EQ(tabs, expected);
  });
}

TEST_F(ColorDialogForm, OptionsChooseTheWidthAndTheButtons) {
  struct TCase {
    TColorDialogOptions Options;
    int Width;
    bool DefineEnabled, HelpVisible;
  } cases[] = {
      {{}, TsColorDialogForm::NarrowWidth, true, false},
      {{cdFullOpen}, TsColorDialogForm::FullWidth, false, false},
      {{cdFullOpen, cdPreventFullOpen}, TsColorDialogForm::FullWidth, false, false},
      {{cdPreventFullOpen, cdShowHelp}, TsColorDialogForm::NarrowWidth, false, true},
  };
  for (const TCase& c : cases) {
    Dialog->SetOptions(c.Options);
    Run([&](TsColorDialogForm& f) {
      EXPECT_EQ(f.Width(), c.Width);
      EXPECT_EQ(f.sBitBtn4->Enabled(), c.DefineEnabled);
      EXPECT_EQ(f.sBitBtn5->Visible(), c.HelpVisible);
      if (c.DefineEnabled) {
        Click(f.sBitBtn4, 20, 12);
        EXPECT_EQ(f.Width(), TsColorDialogForm::FullWidth);
        EXPECT_FALSE(f.sBitBtn4->Enabled());
      }
    });
  }
}

TEST_F(ColorDialogForm, OpensWithTheOwnersColourInEveryFieldAndEnterConfirms) {
  Dialog->SetColor(Rgb(60, 61, 61));
  int shows = 0, closes = 0;
  Dialog->OnClose = [&](TObject*) { ++closes; };
  // The fields are filled before the window shows, so its first paint has the colour.
  String hexWhenShown = "not shown";
  OnColorDialogFormShowing = [&](TsColorDialogForm& form) {
    auto id = std::make_shared<int>(0);
    *id = form.AttachWindowProc([&form, &hexWhenShown, id](TMessage& m) {
      if (m.Msg == WM_SHOWWINDOW && m.WParam) hexWhenShown = Field(form, TColorEditField::Hex);
      form.CallPreviousWindowProc(*id, m);
    });
  };
  EXPECT_TRUE(Run([&](TsColorDialogForm& f) {
    ++shows;
    EXPECT_EQ(hexWhenShown, "3C3D3D");
    using F = TColorEditField;
    const std::pair<F, const char*> expected[] = {{F::Hex, "3C3D3D"}, {F::Decimal, "4013372"}, {F::H, "180"},
                                                  {F::S, "2"},        {F::V, "24"},            {F::R, "60"},
                                                  {F::G, "61"},       {F::B, "61"}};
    for (const auto& [field, text] : expected) EXPECT_EQ(Field(f, field), text) << int(field);
    EXPECT_EQ(f.SelectedPanel->Brush()->Color(), Rgb(60, 61, 61));
    Key(VK_RETURN);
    EXPECT_EQ(f.ModalResult(), mrOk);
  }));
  OnColorDialogFormShowing = nullptr;
  EXPECT_EQ(Dialog->Color(), Rgb(60, 61, 61));
  EXPECT_EQ(closes, 1);
  // After a close the custom colours are the grid's 16 words.
  ASSERT_EQ(Dialog->CustomColors()->Count(), 16);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(Dialog->CustomColors()->Strings(i), "FFFFFF");
}

TEST_F(ColorDialogForm, PaletteClickSelectsAndADoubleClickConfirms) {
  Dialog->SetColor(clWhite);
  EXPECT_TRUE(Run([](TsColorDialogForm& f) {
    const TPoint red = CellCentre(f.MainPal, 28);  // "FF0000"
    Click(f.MainPal, red.X, red.Y);
    EXPECT_EQ(f.MainPal->ItemIndex(), 28);
    EXPECT_EQ(Field(f, TColorEditField::Hex), "FF0000");
    EXPECT_EQ(Field(f, TColorEditField::Decimal), "255");
    EXPECT_EQ(Field(f, TColorEditField::H), "0");
    EXPECT_EQ(Field(f, TColorEditField::S), "100");
    EXPECT_EQ(Field(f, TColorEditField::V), "100");
    EXPECT_TRUE(f.MainPal->Focused());
    // The selected cell is framed white, then black, then the dotted focus.
    const TRect cell = f.MainPal->Grid().ColorsArray()[28].R;
    EXPECT_EQ(ScreenPixel(f.MainPal, cell.Left, red.Y), clRed);
    EXPECT_EQ(ScreenPixel(f.MainPal, cell.Left - 1, red.Y), clWhite);
    EXPECT_EQ(ScreenPixel(f.MainPal, cell.Left - 2, red.Y), clBlack);
    const TColor background = ScreenPixel(f.MainPal, cell.Left - 3, red.Y);
    // A click in the gap right of cell 0 belongs to cell 0; the old frame goes.
    int changes = 0;
    f.MainPal->OnChange = [&, old = f.MainPal->OnChange](TObject* s) {
      ++changes;
      old(s);
    };
    Click(f.MainPal, 30, 10);
    EXPECT_EQ(f.MainPal->ItemIndex(), 0);
    EXPECT_EQ(Field(f, TColorEditField::Hex), "8080FF");
    EXPECT_EQ(ScreenPixel(f.MainPal, cell.Left - 1, red.Y), background);
    Click(f.MainPal, 30, 10);  // the selected cell again: no change
    EXPECT_EQ(changes, 1);
    // The cell under a double click is taken and confirmed.
    const TPoint blue = CellCentre(f.MainPal, 8);  // "0000FF"
    SendMouse(MOUSEEVENTF_MOVE, OnScreen(f.MainPal, blue.X, blue.Y));
    for (int i = 0; i < 2; ++i) {
      SendMouse(MOUSEEVENTF_LEFTDOWN);
      SendMouse(MOUSEEVENTF_LEFTUP);
    }
    EXPECT_EQ(f.ModalResult(), mrOk);
  }));
  EXPECT_EQ(Dialog->Color(), Rgb(0, 0, 255));
}

TEST_F(ColorDialogForm, TypedCodesStayAsTypedAndMoveEveryOtherField) {
  Dialog->SetColor(clWhite);
  EXPECT_FALSE(Run([](TsColorDialogForm& f) {
    using F = TColorEditField;
    f.sEditHex->SetFocus();
    f.sEditHex->SelectAll();
    Key(VK_DELETE);
    EXPECT_EQ(f.SelectedColor(), clBlack);  // all blanks read as black
    f.sEditHex->SetSelStart(0);
    Type(L"fg-f");  // the filter drops g and -, letters become upper case
    EXPECT_EQ(Field(f, F::Hex), "FF    ");
    EXPECT_EQ(f.SelectedColor(), Rgb(0, 0, 255));
    EXPECT_EQ(Field(f, F::Decimal), "16711680");
    EXPECT_EQ(Field(f, F::B), "255");
    Type(L"0000");
    EXPECT_EQ(Field(f, F::Hex), "FF0000");
    EXPECT_EQ(f.SelectedColor(), Rgb(255, 0, 0));
    EXPECT_EQ(Field(f, F::R), "255");
    // The red field wraps to its low 8 bits and keeps its text.
    f.sREdit->SetFocus();
    f.sREdit->SelectAll();
    Type(L"300");
    EXPECT_EQ(Field(f, F::R), "300");
    EXPECT_EQ(f.SelectedColor(), Rgb(44, 0, 0));
    EXPECT_EQ(Field(f, F::Hex), "2C0000");
    // The decimal field saturates and never sets the top byte.
    struct TDec {
      const char* Text;
      TColor Color;
      const char* Hex;
    } decimals[] = {{"1E30", 0xFFFFFF, "FFFFFF"}, {"-5", 0xFFFFFB, "FBFFFF"}, {"16777217", 1, "010000"}};
    for (const TDec& d : decimals) {
      f.sEditDecimal->SetText(d.Text);
      EXPECT_EQ(f.SelectedColor(), d.Color) << d.Text;
      EXPECT_EQ(Field(f, F::Hex), d.Hex) << d.Text;
      EXPECT_EQ(Field(f, F::Decimal), d.Text);
    }
    // Pasted letters are shown upper case as well.
    f.sEditHex->SetFocus();
    f.sEditHex->SelectAll();
    f.sEditHex->Perform(WM_CLEAR);
    f.sEditHex->SetSelStart(0);
    SetClipboardText(L"c0ffee");
    f.sEditHex->Perform(WM_PASTE);
    EXPECT_EQ(Field(f, F::Hex), "C0FFEE");
    EXPECT_EQ(f.SelectedColor(), Rgb(0xC0, 0xFF, 0xEE));
    Key(VK_ESCAPE);
    EXPECT_EQ(f.ModalResult(), mrCancel);
  }));
  EXPECT_EQ(Dialog->Color(), clWhite);
}

TEST_F(ColorDialogForm, CustomColoursComeBackAfterCancelAndAreOfferedAgain) {
  Dialog->SetColor(Rgb(0x12, 0x34, 0x56));
  TStringList main;
  main.Add("FF0000");
  main.Add("00FF00 green");
  Dialog->SetMainColors(&main);
  EXPECT_FALSE(Run([](TsColorDialogForm& f) {
    // Given main colours replace the stored ones; the rest of the grid is white.
    ASSERT_EQ(f.MainPal->Count(), 48);
    EXPECT_EQ(f.MainPal->Grid().ColorsArray()[1].Color, Rgb(0, 255, 0));
    EXPECT_EQ(f.MainPal->Colors().Strings(2), "FFFFFF");
    Click(f.sBitBtn3, 40, 12);
    EXPECT_EQ(f.AddPal->Colors().Strings(0), "123456");
    EXPECT_EQ(f.Model().NextCustomSlot(), 1);
    Key(VK_ESCAPE);
  }));
  ASSERT_EQ(Dialog->CustomColors()->Count(), 16);
  EXPECT_EQ(Dialog->CustomColors()->Strings(0), "123456");
  EXPECT_EQ(Dialog->CustomColors()->Strings(1), "FFFFFF");
  EXPECT_TRUE(Run([](TsColorDialogForm& f) {
    EXPECT_EQ(f.AddPal->Colors().Strings(0), "123456");
    const TPoint cell = CellCentre(f.AddPal, 0);
    Click(f.AddPal, cell.X, cell.Y);
    EXPECT_EQ(f.SelectedColor(), Rgb(0x12, 0x34, 0x56));
    // A white (empty) slot selects but keeps the colour.
    const TPoint empty = CellCentre(f.AddPal, 15);
    Click(f.AddPal, empty.X, empty.Y);
    EXPECT_EQ(f.AddPal->ItemIndex(), 15);
    EXPECT_EQ(f.SelectedColor(), Rgb(0x12, 0x34, 0x56));
    f.sBitBtn1->Click();
  }));
  EXPECT_EQ(Dialog->Color(), Rgb(0x12, 0x34, 0x56));
}

TEST_F(ColorDialogForm, FieldAndBarDragsClampAndReleaseTheCursorOnEveryExit) {
  Dialog->SetColor(Rgb(128, 128, 128));
  EXPECT_FALSE(Run([](TsColorDialogForm& f) {
    using F = TColorEditField;
    // Field: press at the top, cyan column; the cursor is held in the field.
    SendMouse(MOUSEEVENTF_MOVE, OnScreen(f.ColorPanel, 130, 0));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(f.Model().FieldDragging());
    EXPECT_TRUE(CursorConfined());
    EXPECT_EQ(Field(f, F::H), "180");
    EXPECT_EQ(Field(f, F::S), "100");
    // Messages from past the edges clamp into the field.
    f.ColorPanel->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(400, 65535 - 50));
    EXPECT_EQ(Field(f, F::H), "359");
    EXPECT_EQ(Field(f, F::S), "100");
    SendMouse(MOUSEEVENTF_LEFTUP);
    EXPECT_FALSE(f.Model().FieldDragging());
    EXPECT_FALSE(CursorConfined());
    // Losing the capture ends the drag as a release does.
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(CursorConfined());
    ReleaseCapture();
    Pump(50);
    EXPECT_FALSE(f.Model().FieldDragging());
    EXPECT_FALSE(CursorConfined());
    SendMouse(MOUSEEVENTF_LEFTUP);
    // Bar: the bottom row is black; a drag past the top stays in the bar.
    SendMouse(MOUSEEVENTF_MOVE, OnScreen(f.GradPanel, 10, 259));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(Field(f, F::Hex), "000000");
    EXPECT_EQ(Field(f, F::V), "1");  // (1 - 129 / 130) x 100 rounded
    SendMouse(MOUSEEVENTF_MOVE, OnScreen(f.GradPanel, 10, -40));
    EXPECT_EQ(f.Model().BarRow(), 0);
    SendMouse(MOUSEEVENTF_LEFTUP);
    // Esc in the middle of a field drag cancels and frees the cursor.
    SendMouse(MOUSEEVENTF_MOVE, OnScreen(f.ColorPanel, 20, 20));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(CursorConfined());
    Key(VK_ESCAPE);
    EXPECT_EQ(f.ModalResult(), mrCancel);
    EXPECT_FALSE(CursorConfined());
    EXPECT_FALSE(f.Model().FieldDragging());
    SendMouse(MOUSEEVENTF_LEFTUP);
  }));
}

TEST_F(ColorDialogForm, TheSystemChooserStaysBehindStandardDlg) {
  Dialog->SetStandardDlg(true);
  int skinned = 0;
  OnColorDialogFormShowing = [&](TsColorDialogForm&) { ++skinned; };
  // The system chooser is cancelled by a timer as soon as it shows.
  UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM) -> BOOL {
          wchar_t cls[32] = {};
          GetClassNameW(w, cls, 32);
          if (wcscmp(cls, L"#32770") == 0 && IsWindowVisible(w)) PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
          return TRUE;
        },
        0);
  });
  EXPECT_FALSE(Dialog->Execute());
  KillTimer(nullptr, timer);
  OnColorDialogFormShowing = nullptr;
  EXPECT_EQ(skinned, 0);
}

}  // namespace

TEST_F(ColorDialogForm, WearsTheSkinsFrameWithCloseAndMinimiseButtons) {
  EXPECT_FALSE(Run([&](TsColorDialogForm& f) {
    TsSkinProvider* sp = f.sSkinProvider1;
    ASSERT_NE(sp, nullptr);
    EXPECT_TRUE(sp->Skinned());
    EXPECT_EQ(sp->SkinData()->SkinSection(), "DIALOG");
    RECT wr{};
    GetWindowRect(f.Handle(), &wr);
    auto hit = [&](const TRect& r) {
      return int(SendMessageW(f.Handle(), WM_NCHITTEST, 0,
                              MAKELPARAM(wr.left + (r.Left + r.Right) / 2, wr.top + (r.Top + r.Bottom) / 2)));
    };
    EXPECT_EQ(hit(sp->ButtonClose.Rect), HTCLOSE);
    EXPECT_EQ(hit(sp->ButtonMin.Rect), HTMINBUTTON);
    EXPECT_EQ(sp->ButtonMax.Rect.Width(), 0);
    // The system draws no caption buttons of its own over the skinned ones.
    EXPECT_EQ(GetWindowLongW(f.Handle(), GWL_STYLE) & WS_SYSMENU, 0);
    Key(VK_ESCAPE);
  }));
}
