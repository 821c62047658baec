// The tool window in-process: settings, session end, key release, the pick
// flow through the real system chooser, auto-close and the write error on close.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

#include "app/MFcode.h"
#include "framework/WinUtils.h"
#include "tests/color/ChooserDriver.h"

namespace {

namespace fs = std::filesystem;

constexpr TColor Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

// WM_QUIT messages seen by Pump: closing the main form ends the program by
// posting one (the application's own Terminated flag never resets).
int QuitMessages = 0;

void Pump() {
  MSG msg;
  for (int i = 0; i < 5; ++i) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        ++QuitMessages;
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
}

// Sends the message through the framework's loop, as the program's own loop would.
void PumpApplication() {
  Application->ProcessMessages();
  Pump();
}

void SetClipboardText(const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  memcpy(GlobalLock(mem), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(mem);
  SetClipboardData(CF_UNICODETEXT, mem);
  CloseClipboard();
}

std::wstring ClipboardText() {
  std::wstring result = L"<no text>";
  if (!OpenClipboard(nullptr)) return L"<cannot open>";
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    result = static_cast<const wchar_t*>(GlobalLock(h));
    GlobalUnlock(h);
  }
  CloseClipboard();
  return result;
}

// Reads a key's value straight from the file, not through the program.
String ProfileValue(const String& file, const char* section, const char* key) {
  wchar_t buf[256] = {};
  GetPrivateProfileStringW(ToWide(section).c_str(), ToWide(key).c_str(), L"<absent>", buf, 256,
                           ToWide(file).c_str());
  return FromWide(buf);
}

// Non-blank lines of a text file without their line ends.
std::vector<String> FileLines(const String& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<String> lines;
  String line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

void WriteFile(const String& file, const String& text) {
  std::ofstream out(file, std::ios::binary);
  out << text;
}

// Presses and releases keys as hardware input. The right Shift needs the
// extended flag for Wine to tell it from the left one; Windows takes it too.
void KeyDown(BYTE vk) {
  keybd_event(vk, BYTE(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), vk == VK_RSHIFT ? KEYEVENTF_EXTENDEDKEY : 0, 0);
}
void KeyUp(BYTE vk) {
  keybd_event(vk, BYTE(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)),
              KEYEVENTF_KEYUP | (vk == VK_RSHIFT ? KEYEVENTF_EXTENDEDKEY : 0), 0);
}
bool AsyncDown(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

class ToolWindow : public ::testing::Test {
protected:
  void SetUp() override {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    static int counter = 0;
    FDir = FromWide(tmp) + "qn-app-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + "\\";
    fs::create_directories(fs::path(ToWide(FDir)));
    SettingsFileName = FDir + "settings.ini";
    AutoClose = false;
    QuitMessages = 0;
  }

  void TearDown() override {
    KeyUp(VK_LSHIFT);
    KeyUp(VK_RSHIFT);
    delete FForm;
    FForm = nullptr;
    MForm = nullptr;
    Application->OnException = nullptr;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    SettingsFileName.clear();
    std::error_code ec;
    fs::remove_all(fs::path(ToWide(FDir)), ec);
  }

  // Creates the tool window as the program does (OnCreate loads the settings)
  // and counts the close queries.
  TMForm* CreateForm() {
    FForm = new TMForm(Application);
    Application->SetMainForm(FForm);
    MForm = FForm;
    FForm->AfterConstruction();
    auto original = FForm->OnCloseQuery;
    FForm->OnCloseQuery = [this, original](TObject* sender, bool& canClose) {
      ++FCloseQueries;
      original(sender, canClose);
    };
    return FForm;
  }

  // Shows the window; its OnShow opens the chooser, which the script answers.
  void ShowForm(TChooserScript& script) {
    {
      TChooserDriver driver(script);
      FForm->Show();
    }
    Pump();
  }

  void ShowCancelled() {
    TChooserScript script;
    script.Action = TChooserScript::Cancel;
    ShowForm(script);
    ASSERT_EQ(script.Runs, 1);
  }

  // A click on the swatch, delivered as mouse messages to the form.
  void ClickSwatch(TChooserScript& script) {
    HWND wnd = FForm->Handle();
    LPARAM at = MAKELPARAM(FForm->I->Left() + 20, FForm->I->Top() + 30);
    TChooserDriver driver(script);
    PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(wnd, WM_LBUTTONUP, 0, at);
    Pump();
  }

  TColor SwatchPixel(int x, int y) {
    uint32_t p = FForm->I->Picture()->Bitmap()->ScanLine(y)[x];
    return RGBColor(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p));
  }

  // Every pixel of the swatch bitmap has the colour.
  void ExpectSwatch(TColor color) {
    TBitmap* bmp = FForm->I->Picture()->Bitmap();
    ASSERT_EQ(bmp->Width(), 129);
    ASSERT_EQ(bmp->Height(), 81);
    EXPECT_EQ(SwatchPixel(0, 0), color);
    EXPECT_EQ(SwatchPixel(64, 40), color);
    EXPECT_EQ(SwatchPixel(128, 80), color);
    EXPECT_EQ(SwatchPixel(128, 0), color);
    EXPECT_EQ(SwatchPixel(0, 80), color);
  }

  void TypeCode(const String& text) {
    FForm->E->SetText(text);
    PostMessageW(FForm->E->Handle(), WM_KEYUP, VK_END, 0xC0000001);
    PumpApplication();
  }

  String FDir;
  TMForm* FForm = nullptr;
  int FCloseQueries = 0;
};

// ------------------------------------------------------------ settings file

TEST_F(ToolWindow, FirstRunPlacesTheWindowAtTheRightEdgeAboveTheTaskBar) {
  CreateForm();
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(FForm->Left(), GetSystemMetrics(SM_CXSCREEN) - FForm->Width());
  EXPECT_EQ(FForm->Top(), work.bottom - work.top - FForm->Height());
  EXPECT_FALSE(AutoClose);
  ShowCancelled();
  RECT r{};
  GetWindowRect(FForm->Handle(), &r);
  EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(r.bottom, work.bottom - work.top);
  EXPECT_EQ(r.right - r.left, FForm->Width());
  EXPECT_EQ(r.bottom - r.top, FForm->Height());
}

TEST_F(ToolWindow, OuterSizeIsTheClientAreaPlusTheToolWindowFrame) {
  CreateForm();
  ShowCancelled();
  RECT client{};
  GetClientRect(FForm->Handle(), &client);
  EXPECT_EQ(client.right, 124);
  EXPECT_EQ(client.bottom, 103);
  EXPECT_NE(GetWindowLongPtrW(FForm->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
  EXPECT_NE(GetWindowLongPtrW(FForm->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

TEST_F(ToolWindow, FirstRunWritesAllThreeKeysInOrderOnClose) {
  CreateForm();
  ShowCancelled();
  ASSERT_FALSE(fs::exists(fs::path(ToWide(SettingsFileName))));
  FForm->Close();
  EXPECT_EQ(FCloseQueries, 1);
  ASSERT_TRUE(fs::exists(fs::path(ToWide(SettingsFileName))));
  std::vector<String> expected{"[POS]", "X=" + IntToStr(FForm->Left()), "Y=" + IntToStr(FForm->Top()), "[SYS]",
                               "AUTOCLOSE=0"};
  EXPECT_EQ(FileLines(SettingsFileName), expected);
}

TEST_F(ToolWindow, StoredSettingsAreReadAndWrittenBack) {
  WriteFile(SettingsFileName, "[POS]\r\nX=100\r\nY=200\r\n[SYS]\r\nAUTOCLOSE=1\r\n");
  CreateForm();
  EXPECT_EQ(FForm->Left(), 100);
  EXPECT_EQ(FForm->Top(), 200);
  EXPECT_TRUE(AutoClose);
  FForm->SetLeft(300);
  FForm->SetTop(310);
  FForm->Close();
  EXPECT_EQ(ProfileValue(SettingsFileName, "POS", "X"), "300");
  EXPECT_EQ(ProfileValue(SettingsFileName, "POS", "Y"), "310");
  EXPECT_EQ(ProfileValue(SettingsFileName, "SYS", "AUTOCLOSE"), "1");
}

TEST_F(ToolWindow, HexadecimalSettingsAreReadAndBadOnesGiveTheDefaults) {
  WriteFile(SettingsFileName, "[POS]\r\nX=0x20\r\nY=$30\r\n[SYS]\r\nAUTOCLOSE=0x1\r\n");
  CreateForm();
  EXPECT_EQ(FForm->Left(), 32);
  EXPECT_EQ(FForm->Top(), 48);
  EXPECT_TRUE(AutoClose);
  delete FForm;
  FForm = nullptr;

  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  WriteFile(SettingsFileName, "[POS]\r\nX=12abc\r\nY=\r\n[SYS]\r\nAUTOCLOSE=yes\r\n");
  AutoClose = true;
  CreateForm();
  EXPECT_EQ(FForm->Left(), GetSystemMetrics(SM_CXSCREEN) - FForm->Width());
  EXPECT_EQ(FForm->Top(), work.bottom - work.top - FForm->Height());
  EXPECT_FALSE(AutoClose);
}

TEST_F(ToolWindow, AnyNonZeroAutoCloseIsOn) {
  WriteFile(SettingsFileName, "[SYS]\r\nAUTOCLOSE=7\r\n");
  CreateForm();
  EXPECT_TRUE(AutoClose);
}

TEST_F(ToolWindow, OffScreenPositionIsAppliedUnchanged) {
  WriteFile(SettingsFileName, "[POS]\r\nX=-3000\r\nY=5000\r\n");
  CreateForm();
  EXPECT_EQ(FForm->Left(), -3000);
  EXPECT_EQ(FForm->Top(), 5000);
  ShowCancelled();
  RECT r{};
  GetWindowRect(FForm->Handle(), &r);
  EXPECT_EQ(r.left, -3000);
  EXPECT_EQ(r.top, 5000);
  FForm->Close();
  EXPECT_EQ(ProfileValue(SettingsFileName, "POS", "X"), "-3000");
  EXPECT_EQ(ProfileValue(SettingsFileName, "POS", "Y"), "5000");
}

// Ending the Windows session saves as closing does: the system asks every
// top-level window, the tool window's close query runs once and the
// program ends.
TEST_F(ToolWindow, SessionEndWritesTheSettingsWithThePosition) {
  for (bool formFirst : {true, false}) {
    SCOPED_TRACE(formFirst ? "tool window asked first" : "application window asked first");
    std::error_code ec;
    fs::remove(fs::path(ToWide(SettingsFileName)), ec);
    FCloseQueries = 0;
    QuitMessages = 0;
    CreateForm();
    ShowCancelled();
    FForm->SetBounds(formFirst ? 210 : 220, 230, FForm->Width(), FForm->Height());
    HWND first = formFirst ? FForm->Handle() : Application->Handle();
    HWND second = formFirst ? Application->Handle() : FForm->Handle();
    EXPECT_EQ(SendMessageW(first, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    EXPECT_EQ(SendMessageW(second, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    SendMessageW(first, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    SendMessageW(second, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    Pump();
    EXPECT_EQ(FCloseQueries, 1);
    EXPECT_EQ(ProfileValue(SettingsFileName, "POS", "X"), formFirst ? "210" : "220");
    EXPECT_EQ(ProfileValue(SettingsFileName, "POS", "Y"), "230");
    EXPECT_EQ(ProfileValue(SettingsFileName, "SYS", "AUTOCLOSE"), "0");
    EXPECT_GE(QuitMessages, 1);
    delete FForm;
    FForm = nullptr;
  }
}

// ------------------------------------------------------------- first showing

TEST_F(ToolWindow, ShowingOpensTheChooserWithWhiteAndAWhiteSwatch) {
  CreateForm();
  TChooserScript script;
  script.Action = TChooserScript::Cancel;
  ShowForm(script);
  EXPECT_EQ(script.Runs, 1);
  EXPECT_TRUE(script.FullOpen);
  EXPECT_EQ(script.ShownR, 255);  // "#FFF" is malformed: the dialog keeps white
  EXPECT_EQ(script.ShownG, 255);
  EXPECT_EQ(script.ShownB, 255);
  EXPECT_EQ(FForm->E->Text(), "#FFF");
  ExpectSwatch(clWhite);
}

// ---------------------------------------------------------------- key release

TEST_F(ToolWindow, KeyReleaseFillsTheSwatchFromLowerCaseCode) {
  CreateForm();
  ShowCancelled();
  TypeCode("#00ff80");
  ExpectSwatch(Rgb(0, 255, 128));
}

TEST_F(ToolWindow, KeyReleaseWithFiveDigitsTakesASingleDigitBlue) {
  CreateForm();
  ShowCancelled();
  TypeCode("#12345");
  ExpectSwatch(Rgb(0x12, 0x34, 0x05));
}

TEST_F(ToolWindow, KeyReleaseWithAnEmptyPairKeepsTheSwatch) {
  CreateForm();
  ShowCancelled();
  TypeCode("#102030");
  ExpectSwatch(Rgb(0x10, 0x20, 0x30));
  TypeCode("#1234");
  ExpectSwatch(Rgb(0x10, 0x20, 0x30));
  TypeCode("#GG0000");
  ExpectSwatch(Rgb(0x10, 0x20, 0x30));
  TypeCode("");
  ExpectSwatch(Rgb(0x10, 0x20, 0x30));
}

TEST_F(ToolWindow, KeyReleaseSkipsTheFirstCharacterWhateverItIs) {
  CreateForm();
  ShowCancelled();
  TypeCode("1234567");
  ExpectSwatch(Rgb(0x23, 0x45, 0x67));
  TypeCode("\xC3\xA9" "ABCDEF");  // a two-byte first character is skipped whole
  ExpectSwatch(Rgb(0xAB, 0xCD, 0xEF));
}

TEST_F(ToolWindow, KeyReleaseIgnoresCharactersAfterTheSixthDigit) {
  CreateForm();
  ShowCancelled();
  TypeCode("#FF00001234");
  ExpectSwatch(Rgb(255, 0, 0));
}

TEST_F(ToolWindow, RealKeyboardInputRepaintsTheSwatch) {
  CreateForm();
  ShowCancelled();
  SetForegroundWindow(FForm->Handle());
  FForm->E->SetFocus();
  PumpApplication();
  ASSERT_EQ(GetFocus(), FForm->E->Handle());
  FForm->E->SetText("#0000FF");
  // A Shift release alone triggers the handler too.
  KeyDown(VK_LSHIFT);
  PumpApplication();
  KeyUp(VK_LSHIFT);
  PumpApplication();
  ExpectSwatch(Rgb(0, 0, 255));
  // Typing: the edit receives the characters, every release repaints.
  FForm->E->SetText("#00000");
  FForm->E->SetSelStart(6);
  KeyDown('8');
  KeyUp('8');
  PumpApplication();
  EXPECT_EQ(FForm->E->Text(), "#000008");
  ExpectSwatch(Rgb(0, 0, 8));
}

TEST_F(ToolWindow, SwatchIsPaintedOnScreen) {
  CreateForm();
  ShowCancelled();
  TypeCode("#123456");
  RedrawWindow(FForm->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpApplication();
  HDC dc = GetDC(FForm->Handle());
  COLORREF c = GetPixel(dc, 60, 70);
  ReleaseDC(FForm->Handle(), dc);
  EXPECT_EQ(c, RGB(0x12, 0x34, 0x56));
}

// ------------------------------------------------------------------ pick flow

TEST_F(ToolWindow, ConfirmedColourGoesToSwatchEditAndClipboard) {
  CreateForm();
  ShowCancelled();
  SetClipboardText(L"before");
  TChooserScript script;
  script.SetRgb = true;
  script.R = 60, script.G = 61, script.B = 61;
  ClickSwatch(script);
  ASSERT_EQ(script.Runs, 1);
  EXPECT_FALSE(script.TimedOut);
  EXPECT_EQ(FForm->E->Text(), "#3C3D3D");
  EXPECT_EQ(FForm->E->SelStart(), 0);
  EXPECT_EQ(FForm->E->SelLength(), 7);
  EXPECT_EQ(ClipboardText(), L"#3C3D3D");
  ExpectSwatch(Rgb(60, 61, 61));
  EXPECT_EQ(FForm->CD->Color(), Rgb(60, 61, 61));
  EXPECT_EQ(FCloseQueries, 0) << "auto-close is off";
}

TEST_F(ToolWindow, ConfirmingTheFirstChooserFillsEverything) {
  CreateForm();
  TChooserScript script;
  script.SetRgb = true;
  script.R = 255, script.G = 0, script.B = 128;
  ShowForm(script);
  EXPECT_EQ(FForm->E->Text(), "#FF0080");
  EXPECT_EQ(ClipboardText(), L"#FF0080");
  ExpectSwatch(Rgb(255, 0, 128));
}

TEST_F(ToolWindow, EditCodeSeedsTheChooser) {
  CreateForm();
  ShowCancelled();
  FForm->E->SetText("#12345");
  TChooserScript script;
  script.Action = TChooserScript::Cancel;
  ClickSwatch(script);
  ASSERT_EQ(script.Runs, 1);
  EXPECT_EQ(script.ShownR, 0x12);
  EXPECT_EQ(script.ShownG, 0x34);
  EXPECT_EQ(script.ShownB, 0x05);
}

TEST_F(ToolWindow, MalformedCodeSeedsTheLastConfirmedColour) {
  CreateForm();
  ShowCancelled();
  TChooserScript pick;
  pick.SetRgb = true;
  pick.R = 1, pick.G = 2, pick.B = 3;
  ClickSwatch(pick);
  ASSERT_EQ(FForm->E->Text(), "#010203");
  FForm->E->SetText("#zz");
  TChooserScript again;
  again.Action = TChooserScript::Cancel;
  ClickSwatch(again);
  ASSERT_EQ(again.Runs, 1);
  EXPECT_EQ(again.ShownR, 1);
  EXPECT_EQ(again.ShownG, 2);
  EXPECT_EQ(again.ShownB, 3);
}

TEST_F(ToolWindow, CancelChangesNothing) {
  CreateForm();
  ShowCancelled();
  TypeCode("#102030");
  SetClipboardText(L"keep me");
  TChooserScript script;
  script.SetRgb = true;
  script.R = 200, script.G = 201, script.B = 202;
  script.Action = TChooserScript::Cancel;
  ClickSwatch(script);
  ASSERT_EQ(script.Runs, 1);
  EXPECT_EQ(FForm->E->Text(), "#102030");
  EXPECT_EQ(ClipboardText(), L"keep me");
  ExpectSwatch(Rgb(0x10, 0x20, 0x30));
  EXPECT_EQ(FForm->CD->Color(), Rgb(0x10, 0x20, 0x30));  // only seeded
}

// ----------------------------------------------------------------- auto-close

TEST_F(ToolWindow, AutoCloseOnClosesAfterConfirming) {
  WriteFile(SettingsFileName, "[POS]\r\nX=40\r\nY=50\r\n[SYS]\r\nAUTOCLOSE=1\r\n");
  CreateForm();
  TChooserScript script;
  script.SetRgb = true;
  script.R = 9, script.G = 9, script.B = 9;
  ShowForm(script);
  EXPECT_EQ(FCloseQueries, 1);
  EXPECT_EQ(QuitMessages, 1);
  EXPECT_EQ(ClipboardText(), L"#090909");
  EXPECT_EQ(ProfileValue(SettingsFileName, "SYS", "AUTOCLOSE"), "1");
  EXPECT_EQ(ProfileValue(SettingsFileName, "POS", "X"), "40");
}

TEST_F(ToolWindow, AutoCloseOnCancelDoesNotClose) {
  WriteFile(SettingsFileName, "[SYS]\r\nAUTOCLOSE=1\r\n");
  CreateForm();
  ShowCancelled();
  EXPECT_EQ(FCloseQueries, 0);
  EXPECT_EQ(QuitMessages, 0);
}

TEST_F(ToolWindow, AutoCloseOffStaysOpen) {
  WriteFile(SettingsFileName, "[SYS]\r\nAUTOCLOSE=0\r\n");
  CreateForm();
  TChooserScript script;
  script.SetRgb = true;
  ShowForm(script);
  EXPECT_EQ(FCloseQueries, 0);
  EXPECT_EQ(QuitMessages, 0);
  EXPECT_TRUE(IsWindowVisible(FForm->Handle()));
}

TEST_F(ToolWindow, LeftShiftHeldKeepsTheWindowOpen) {
  WriteFile(SettingsFileName, "[SYS]\r\nAUTOCLOSE=1\r\n");
  CreateForm();
  TChooserScript script;
  script.SetRgb = true;
  script.R = 0x3C, script.G = 0x3D, script.B = 0x3D;
  bool leftSeen = false;
  script.BeforeClose = [&] {
    KeyDown(VK_LSHIFT);
    leftSeen = AsyncDown(VK_LSHIFT);
  };
  ShowForm(script);
  KeyUp(VK_LSHIFT);
  ASSERT_TRUE(leftSeen);
  EXPECT_EQ(FCloseQueries, 0);
  EXPECT_EQ(QuitMessages, 0);
  EXPECT_TRUE(IsWindowVisible(FForm->Handle()));
  EXPECT_EQ(ClipboardText(), L"#3C3D3D");
}

TEST_F(ToolWindow, RightShiftHeldStillCloses) {
  WriteFile(SettingsFileName, "[SYS]\r\nAUTOCLOSE=1\r\n");
  CreateForm();
  TChooserScript script;
  script.SetRgb = true;
  bool rightSeen = false, leftSeen = true;
  script.BeforeClose = [&] {
    KeyDown(VK_RSHIFT);
    rightSeen = AsyncDown(VK_RSHIFT);
    leftSeen = AsyncDown(VK_LSHIFT);
  };
  ShowForm(script);
  KeyUp(VK_RSHIFT);
  ASSERT_TRUE(rightSeen);
  ASSERT_FALSE(leftSeen);
  EXPECT_EQ(FCloseQueries, 1);
  EXPECT_EQ(QuitMessages, 1);
}

// ---------------------------------------------------------------- write error

class UnwritableSettings : public ToolWindow {
protected:
  void SetUp() override {
    ToolWindow::SetUp();
    // A folder where the file should be: reading gives defaults, writing fails.
    fs::create_directories(fs::path(ToWide(SettingsFileName)));
    Application->OnException = [this](TObject*, const std::exception& e) { FReports.push_back(e.what()); };
  }
  std::vector<String> FReports;
};

TEST_F(UnwritableSettings, CloseReportsTheWriteErrorAndTheWindowStays) {
  CreateForm();
  ShowCancelled();
  PostMessageW(FForm->Handle(), WM_CLOSE, 0, 0);
  Pump();
  ASSERT_EQ(FReports.size(), 1u);
  EXPECT_EQ(FReports[0], "Unable to write to " + SettingsFileName);
  EXPECT_EQ(FCloseQueries, 1);
  EXPECT_EQ(QuitMessages, 0);
  EXPECT_TRUE(IsWindowVisible(FForm->Handle()));
}

TEST_F(UnwritableSettings, AutoCloseAfterConfirmReportsAndStays) {
  CreateForm();
  ShowCancelled();
  AutoClose = true;
  TChooserScript script;
  script.SetRgb = true;
  script.R = 5, script.G = 6, script.B = 7;
  ClickSwatch(script);
  ASSERT_EQ(script.Runs, 1);
  EXPECT_EQ(FForm->E->Text(), "#050607");
  EXPECT_EQ(ClipboardText(), L"#050607");
  ASSERT_EQ(FReports.size(), 1u);
  EXPECT_EQ(FReports[0], "Unable to write to " + SettingsFileName);
  EXPECT_EQ(QuitMessages, 0);
  EXPECT_TRUE(IsWindowVisible(FForm->Handle()));
}

TEST_F(UnwritableSettings, SessionEndReportsTheWriteErrorAndLetsTheSessionEnd) {
  CreateForm();
  ShowCancelled();
  EXPECT_EQ(SendMessageW(FForm->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
  ASSERT_EQ(FReports.size(), 1u);
  EXPECT_EQ(FReports[0], "Unable to write to " + SettingsFileName);
  EXPECT_EQ(FCloseQueries, 1);
  SendMessageW(FForm->Handle(), WM_ENDSESSION, FALSE, 0);  // someone else refused: the next query asks again
  EXPECT_EQ(SendMessageW(Application->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_EQ(FCloseQueries, 2);
  EXPECT_EQ(FReports.size(), 2u);
}

// Without an OnException handler the report is a message box with the text.
TEST_F(ToolWindow, WriteErrorWithoutHandlerShowsAMessageBox) {
  fs::create_directories(fs::path(ToWide(SettingsFileName)));
  CreateForm();
  ShowCancelled();
  static std::wstring boxText;
  static int boxes;
  boxText.clear();
  boxes = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM) -> BOOL {
          wchar_t cls[32] = {};
          GetClassNameW(w, cls, 32);
          if (wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(w) || GetDlgItem(w, TChooserDriver::RedField))
            return TRUE;
          wchar_t text[512] = {};
          GetDlgItemTextW(w, 0xFFFF, text, 512);  // the message box's text field
          boxText = text;
          ++boxes;
          PostMessageW(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
          return FALSE;
        },
        0);
  });
  PostMessageW(FForm->Handle(), WM_CLOSE, 0, 0);
  for (int i = 0; i < 100 && boxes == 0; ++i) Pump();
  KillTimer(nullptr, timer);
  EXPECT_EQ(boxes, 1);
  EXPECT_EQ(FromWide(boxText), "Unable to write to " + SettingsFileName);
  EXPECT_EQ(QuitMessages, 0);
  EXPECT_TRUE(IsWindowVisible(FForm->Handle()));
}

}  // namespace
