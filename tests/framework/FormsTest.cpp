#include "TestSupport.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"

#include <memory>

namespace {

// A form with an edit, an OK (default) and a Cancel (cancel) button.
struct TDialogForm {
  std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
  TEdit* Edit;
  TButton* Ok;
  TButton* Cancel;
  TDialogForm() {
    Form->SetBounds(100, 100, 300, 200);
    Edit = new TEdit(Form.get());
    Edit->SetParent(Form.get());
    Ok = new TButton(Form.get());
    Ok->SetParent(Form.get());
    Ok->SetBounds(10, 100, 75, 25);
    Ok->SetDefault(true);
    Ok->SetModalResult(mrOk);
    Cancel = new TButton(Form.get());
    Cancel->SetParent(Form.get());
    Cancel->SetBounds(100, 100, 75, 25);
    Cancel->SetCancel(true);
    Cancel->SetModalResult(mrCancel);
  }
};

// Runs action once, a little after the modal loop has started.
class TLater {
public:
  explicit TLater(std::function<void()> action) : FTimer(nullptr) {
    FTimer.SetInterval(20);
    FTimer.OnTimer = [this, action](TObject*) {
      FTimer.SetEnabled(false);
      action();
    };
  }

private:
  TTimer FTimer;
};

}  // namespace

// ---- Modal forms -----------------------------------------------------------

TEST(ShowModal, ButtonWithModalResultEndsTheLoop) {
  TDialogForm d;
  TForm other(nullptr);
  other.SetBounds(0, 0, 100, 100);
  other.Show();
  bool otherDisabled = false;
  TLater later([&] {
    otherDisabled = !IsWindowEnabled(other.Handle());
    SendMessageW(d.Ok->Handle(), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(d.Form->ShowModal(), mrOk);
  EXPECT_EQ(d.Form->ModalResult(), mrOk);
  EXPECT_TRUE(otherDisabled);
  EXPECT_TRUE(IsWindowEnabled(other.Handle()));
  EXPECT_FALSE(d.Form->Visible());
  EXPECT_FALSE(IsWindowVisible(d.Form->Handle()));
  EXPECT_FALSE(d.Form->Modal());
}

TEST(ShowModal, EscapeClicksTheCancelButtonAndReturnTheDefault) {
  TDialogForm d;
  TLater esc([&] { PostMessageW(d.Edit->Handle(), WM_KEYDOWN, VK_ESCAPE, 0x00010001); });
  EXPECT_EQ(d.Form->ShowModal(), mrCancel);
  TLater ret([&] { PostMessageW(d.Edit->Handle(), WM_KEYDOWN, VK_RETURN, 0x001C0001); });
  EXPECT_EQ(d.Form->ShowModal(), mrOk);
}

TEST(ShowModal, SettingModalResultInCodeEndsItAndCloseCancels) {
  TDialogForm d;
  TLater set([&] { d.Form->SetModalResult(mrYes); });
  EXPECT_EQ(d.Form->ShowModal(), mrYes);
  TLater close([&] { d.Form->Close(); });
  EXPECT_EQ(d.Form->ShowModal(), mrCancel);
}

TEST(ShowModal, CloseQueryCanRefuseTheEnd) {
  TDialogForm d;
  int asked = 0;
  d.Form->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++asked > 1; };
  TLater first([&] {
    d.Form->SetModalResult(mrOk);  // refused: the loop goes on
    PostMessageW(d.Ok->Handle(), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(d.Form->ShowModal(), mrOk);
  EXPECT_EQ(asked, 2);
}

TEST(ShowModal, AVisibleFormCannotBecomeModal) {
  TForm f(nullptr);
  f.Show();
  EXPECT_THROW(f.ShowModal(), EInvalidOperation);
}

// ---- Close -----------------------------------------------------------------

TEST(Close, CloseQueryDecidesAndOnCloseChoosesTheAction) {
  TForm f(nullptr);
  f.Show();
  bool allow = false;
  std::vector<TCloseAction> actions;
  TCloseAction next = TCloseAction::caHide;
  f.OnCloseQuery = [&](TObject*, bool& canClose) { canClose = allow; };
  f.OnClose = [&](TObject*, TCloseAction& action) {
    actions.push_back(action);
    action = next;
  };
  f.Close();
  EXPECT_TRUE(f.Visible());
  EXPECT_TRUE(actions.empty());
  allow = true;
  next = TCloseAction::caNone;
  f.Close();
  EXPECT_TRUE(f.Visible());
  next = TCloseAction::caHide;
  SendMessageW(f.Handle(), WM_CLOSE, 0, 0);  // the close button's way
  EXPECT_FALSE(f.Visible());
  EXPECT_EQ(actions, (std::vector<TCloseAction>{TCloseAction::caHide, TCloseAction::caHide}));
}

TEST(Close, AnErrorInCloseQueryIsReportedAndTheFormStays) {
  TCapturedErrors errors;
  TForm f(nullptr);
  f.Show();
  f.OnCloseQuery = [&](TObject*, bool&) { throw Exception("Unable to write to x"); };
  SendMessageW(f.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(errors.Messages(), std::vector<String>{"Unable to write to x"});
  EXPECT_TRUE(f.Visible());
  EXPECT_TRUE(IsWindowVisible(f.Handle()));
}

TEST(Close, CaFreeReleasesTheFormAfterPendingMessages) {
  TWatcher watcher;
  auto* f = new TForm(nullptr);
  watcher.Watch(f);
  f->Show();
  f->OnClose = [](TObject*, TCloseAction& action) { action = TCloseAction::caFree; };
  int before = Screen->FormCount();
  f->Close();
  EXPECT_TRUE(watcher.Removed.empty());
  EXPECT_TRUE(WaitUntil([&] { return !watcher.Removed.empty(); }));
  EXPECT_EQ(Screen->FormCount(), before - 1);
}

TEST(Close, TheMainFormEndsTheApplication) {
  TForm f(nullptr);
  Application->SetMainForm(&f);
  f.Show();
  f.Close();
  EXPECT_TRUE(Application->Terminated());
  Application->SetMainForm(nullptr);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

// ---- Events, styles, geometry ---------------------------------------------

namespace {
class TEventForm : public TForm {
public:
  explicit TEventForm(TComponent* owner) : TForm(owner) {
    OnCreate = [this](TObject*) { Log.push_back("create"); };
    OnShow = [this](TObject*) { Log.push_back(IsWindowVisible(Handle()) ? "show visible" : "show hidden"); };
    OnHide = [this](TObject*) { Log.push_back("hide"); };
  }
  std::vector<String> Log;
};
}  // namespace

TEST(FormEvents, CreateShowHideDestroyInOrder) {
  TEventForm* f = nullptr;
  std::vector<String> destroyed;
  Application->CreateForm(f);
  Application->SetMainForm(nullptr);
  f->OnDestroy = [&](TObject*) { destroyed.push_back("destroy"); };
  EXPECT_EQ(f->Owner(), Application);
  f->Show();
  f->Hide();
  EXPECT_EQ(f->Log, (std::vector<String>{"create", "show visible", "hide"}));
  delete f;
  EXPECT_EQ(destroyed, std::vector<String>{"destroy"});
}

// After OnShow or OnHide fails, Visible agrees with the window, and the
// next Hide or Show works.
TEST(FormEvents, FailedShowOrHideLeavesVisibleAsTheWindowIs) {
  for (bool failShow : {true, false}) {
    SCOPED_TRACE(failShow ? "OnShow throws" : "OnHide throws");
    TForm f(nullptr);
    auto fail = [](TObject*) { throw EInvalidOperation("event failed on purpose"); };
    if (failShow) {
      f.OnShow = fail;
      EXPECT_THROW(f.Show(), EInvalidOperation);
    } else {
      f.Show();
      f.OnHide = fail;
      EXPECT_THROW(f.Hide(), EInvalidOperation);
    }
    bool visible = IsWindowVisible(f.Handle()) != 0;
    EXPECT_EQ(f.Visible(), visible);
    EXPECT_EQ(f.Showing(), visible);
    f.OnShow = nullptr;
    f.OnHide = nullptr;
    f.SetVisible(!visible);
    EXPECT_EQ(f.Visible(), !visible);
    EXPECT_EQ(IsWindowVisible(f.Handle()) != 0, !visible);
    f.Hide();
    EXPECT_FALSE(IsWindowVisible(f.Handle()));
  }
}

TEST(FormEvents, OnCreateFiresBeforeTheFirstWindowWithoutCreateForm) {
  TEventForm f(nullptr);
  EXPECT_TRUE(f.Log.empty());
  f.HandleNeeded();
  EXPECT_EQ(f.Log, std::vector<String>{"create"});
}

TEST(FormStyles, ToolWindowStayOnTopWithExactClientSize) {
  TForm f(nullptr);
  f.SetBorderStyle(TFormBorderStyle::bsToolWindow);
  f.SetFormStyle(TFormStyle::fsStayOnTop);
  f.SetClientSize(124, 103);
  f.Show();
  RECT r{};
  GetClientRect(f.Handle(), &r);
  EXPECT_EQ(r.right, 124);
  EXPECT_EQ(r.bottom, 103);
  EXPECT_EQ(f.ClientWidth(), 124);
  LONG_PTR style = GetWindowLongPtrW(f.Handle(), GWL_STYLE);
  LONG_PTR ex = GetWindowLongPtrW(f.Handle(), GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(ex & WS_EX_TOPMOST);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  GetWindowRect(f.Handle(), &r);
  EXPECT_EQ(f.Width(), r.right - r.left);
  EXPECT_EQ(f.Height(), r.bottom - r.top);
}

TEST(FormStyles, MainFormOnTaskBarGetsItsOwnButton) {
  TForm f(nullptr);
  Application->SetMainForm(&f);
  bool saved = Application->MainFormOnTaskBar;
  Application->MainFormOnTaskBar = true;
  f.HandleNeeded();
  EXPECT_TRUE(GetWindowLongPtrW(f.Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_EQ(GetWindow(f.Handle(), GW_OWNER), nullptr);
  Application->MainFormOnTaskBar = saved;
  Application->SetMainForm(nullptr);
  TForm second(nullptr);
  second.HandleNeeded();
  EXPECT_EQ(GetWindow(second.Handle(), GW_OWNER), Application->Handle());
}

TEST(FormStyles, ConstraintsLimitTheSize) {
  TForm f(nullptr);
  f.Constraints.MinWidth = 235;
  f.Constraints.MaxWidth = 541;
  f.Constraints.MinHeight = f.Constraints.MaxHeight = 416;
  f.SetBounds(0, 0, 900, 100);
  EXPECT_EQ(f.Width(), 541);
  EXPECT_EQ(f.Height(), 416);
  f.Show();
  f.SetWidth(100);
  EXPECT_EQ(f.Width(), 235);
  RECT r{};
  GetWindowRect(f.Handle(), &r);
  EXPECT_EQ(r.right - r.left, 235);
}

TEST(FormStyles, AlphaBlendMakesTheWindowLayered) {
  TForm f(nullptr);
  f.SetAlphaBlend(true);
  f.SetAlphaBlendValue(128);
  f.Show();
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(f.Handle(), nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 128);
  EXPECT_TRUE(flags & LWA_ALPHA);
  f.SetAlphaBlend(false);
  EXPECT_FALSE(GetWindowLongPtrW(f.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
}

TEST(FormStyles, ScreenCenter) {
  TForm f(nullptr);
  f.SetBounds(0, 0, 200, 100);
  f.SetPosition(TPosition::poScreenCenter);
  f.Show();
  TRect area = Screen->WorkAreaRect();
  EXPECT_EQ(f.Left(), area.Left + (area.Width() - 200) / 2);
  EXPECT_EQ(f.Top(), area.Top + (area.Height() - 100) / 2);
}

// ---- Focus and Tab ---------------------------------------------------------

TEST(Focus, TabFollowsTabOrderAndFiresEnterExit) {
  TForm f(nullptr);
  f.SetBounds(50, 50, 300, 200);
  TEdit* edits[3];
  for (int i = 0; i < 3; ++i) {
    edits[i] = new TEdit(&f);
    edits[i]->SetParent(&f);
    edits[i]->SetTop(i * 30);
  }
  edits[2]->SetTabOrder(0);  // order: 2, 0, 1
  std::vector<String> log;
  for (int i = 0; i < 3; ++i) {
    edits[i]->OnEnter = [&, i](TObject*) { log.push_back("enter " + IntToStr(i)); };
    edits[i]->OnExit = [&, i](TObject*) { log.push_back("exit " + IntToStr(i)); };
  }
  f.Show();
  ASSERT_TRUE(WaitUntil([&] { return f.ActiveControl() == edits[2]; }));
  PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001);
  ASSERT_TRUE(WaitUntil([&] { return f.ActiveControl() == edits[0]; }));
  EXPECT_EQ(GetFocus(), edits[0]->Handle());
  edits[1]->SetEnabled(false);
  PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001);
  ASSERT_TRUE(WaitUntil([&] { return f.ActiveControl() == edits[2]; }));  // skips the disabled one
  EXPECT_EQ(log, (std::vector<String>{"enter 2", "exit 2", "enter 0", "exit 0", "enter 2"}));
}

TEST(Focus, KeyEventsReachTheFocusedEdit) {
  TForm f(nullptr);
  auto* e = new TEdit(&f);
  e->SetParent(&f);
  std::vector<WORD> ups;
  e->OnKeyUp = [&](TObject*, WORD& key, TShiftState) { ups.push_back(key); };
  f.Show();
  ASSERT_TRUE(WaitUntil([&] { return GetFocus() == e->Handle(); }));
  PostMessageW(e->Handle(), WM_CHAR, 'a', 0x001E0001);
  PostMessageW(e->Handle(), WM_KEYUP, 'A', 0xC01E0001);
  PostMessageW(e->Handle(), WM_KEYUP, VK_LEFT, 0xC14B0001);
  Pump();
  EXPECT_EQ(e->Text(), "a");
  EXPECT_EQ(ups, (std::vector<WORD>{'A', VK_LEFT}));
}

TEST(Edit, SelectAllAndCopyPutTheTextOnTheClipboard) {
  TForm f(nullptr);
  auto* e = new TEdit(&f);
  e->SetParent(&f);
  f.Show();
  int changes = 0;
  e->OnChange = [&](TObject*) { ++changes; };
  e->SetText("#3C3D3D");
  EXPECT_EQ(changes, 1);
  e->SelectAll();
  EXPECT_EQ(e->SelStart(), 0);
  EXPECT_EQ(e->SelLength(), 7);
  e->CopyToClipboard();
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE h = GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(h, nullptr);
  String text = FromWide(static_cast<const wchar_t*>(GlobalLock(h)));
  GlobalUnlock(h);
  CloseClipboard();
  EXPECT_EQ(text, "#3C3D3D");
}

// ---- Timer -----------------------------------------------------------------

TEST(Timer, TicksWhileEnabledAndStopsWhenDisabled) {
  TTimer t(nullptr);
  int ticks = 0;
  t.SetInterval(10);
  t.OnTimer = [&](TObject*) { ++ticks; };
  EXPECT_TRUE(WaitUntil([&] { return ticks >= 3; }));
  t.SetEnabled(false);
  Pump();
  int stopped = ticks;
  Pump(100);
  EXPECT_EQ(ticks, stopped);
  t.SetEnabled(true);
  t.SetInterval(0);  // no interval: no ticks
  Pump(100);
  EXPECT_EQ(ticks, stopped);
}

TEST(Timer, AnErrorInOnTimerIsReportedAndTheTimerGoesOn) {
  TCapturedErrors errors;
  TTimer t(nullptr);
  int ticks = 0;
  t.SetInterval(10);
  t.OnTimer = [&](TObject*) {
    if (++ticks == 1) throw Exception("tick failed");
  };
  EXPECT_TRUE(WaitUntil([&] { return ticks >= 3; }));
  EXPECT_EQ(errors.Messages(), std::vector<String>{"tick failed"});
}

// ---- Application and screen ------------------------------------------------

TEST(ApplicationObject, HooksSeeTheApplicationWindowFirst) {
  std::vector<UINT> seen;
  int id = Application->HookMainWindow([&](TMessage& m) {
    if (m.Msg == CM_ACTIVATE || m.Msg == WM_USER + 9) seen.push_back(m.Msg);
    if (m.Msg == WM_USER + 9) {
      m.Result = 1234;
      return true;
    }
    return false;
  });
  EXPECT_EQ(SendMessageW(Application->Handle(), WM_USER + 9, 0, 0), 1234);
  SendMessageW(Application->Handle(), CM_ACTIVATE, 0, 0);
  Application->UnhookMainWindow(id);
  EXPECT_EQ(SendMessageW(Application->Handle(), WM_USER + 9, 0, 0), 0);
  EXPECT_EQ(seen, (std::vector<UINT>{WM_USER + 9, CM_ACTIVATE}));
}

TEST(ApplicationObject, ActivationChangesAnnounceThemselves) {
  std::vector<UINT> seen;
  int id = Application->HookMainWindow([&](TMessage& m) {
    if (m.Msg == CM_ACTIVATE || m.Msg == CM_DEACTIVATE) seen.push_back(m.Msg);
    return false;
  });
  bool was = Application->Active();
  SendMessageW(Application->Handle(), WM_ACTIVATEAPP, !was, 0);
  SendMessageW(Application->Handle(), WM_ACTIVATEAPP, !was, 0);  // no change, no notice
  SendMessageW(Application->Handle(), WM_ACTIVATEAPP, was, 0);
  Application->UnhookMainWindow(id);
  EXPECT_EQ(seen, was ? (std::vector<UINT>{CM_DEACTIVATE, CM_ACTIVATE}) : (std::vector<UINT>{CM_ACTIVATE, CM_DEACTIVATE}));
}

TEST(ScreenObject, SizesMonitorsAndForms) {
  EXPECT_EQ(Screen->Width(), GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(Screen->Height(), GetSystemMetrics(SM_CYSCREEN));
  TRect wa = Screen->WorkAreaRect();
  EXPECT_GT(wa.Width(), 0);
  EXPECT_LE(wa.Height(), Screen->Height());
  auto monitors = Screen->Monitors();
  ASSERT_GE(monitors.size(), 1u);
  EXPECT_TRUE(std::any_of(monitors.begin(), monitors.end(), [](const TMonitor& m) { return m.Primary; }));
  int before = Screen->FormCount();
  {
    TForm f(nullptr);
    EXPECT_EQ(Screen->FormCount(), before + 1);
    EXPECT_EQ(Screen->Forms(before), &f);
    f.Show();
    EXPECT_EQ(Screen->MonitorFromWindow(f.Handle()).Handle, monitors[0].Handle);
  }
  EXPECT_EQ(Screen->FormCount(), before);
  EXPECT_THROW(Screen->Forms(before), EListError);
}

// ---- Colour dialog ---------------------------------------------------------

namespace {
void PressLater(TCommonDialog& d, WPARAM id) {
  d.OnShow = [&d, id](TObject*) { PostMessageW(d.Handle(), WM_COMMAND, id, 0); };
}
}  // namespace

TEST(ColorDialog, ConfirmReturnsTheColourAndCancelKeepsIt) {
  TColorDialog d(nullptr);
  int closes = 0;
  d.OnClose = [&](TObject*) { ++closes; };
  d.SetColor(RGBColor(60, 61, 61));
  PressLater(d, IDOK);
  EXPECT_TRUE(d.Execute());
  EXPECT_EQ(d.Color(), RGBColor(60, 61, 61));
  EXPECT_EQ(d.Handle(), nullptr);
  d.SetColor(clRed);
  PressLater(d, IDCANCEL);
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(d.Color(), clRed);
  EXPECT_EQ(closes, 2);
}

TEST(ColorDialog, CustomColoursAreColourWords) {
  TColorDialog d(nullptr);
  d.CustomColors()->Add("FF8000");
  d.CustomColors()->Add("ColorB=00FF80");
  d.CustomColors()->Add("nonsense");
  d.CustomColors()->Add("12345");
  PressLater(d, IDOK);
  EXPECT_TRUE(d.Execute());
  ASSERT_EQ(d.CustomColors()->Count(), 16);
  EXPECT_EQ(d.CustomColors()->Get(0), "FF8000");
  EXPECT_EQ(d.CustomColors()->Get(1), "00FF80");
  EXPECT_EQ(d.CustomColors()->Get(2), "FFFFFF");
  EXPECT_EQ(d.CustomColors()->Get(3), "FFFFFF");
  EXPECT_EQ(d.CustomColors()->Get(15), "FFFFFF");
}

TEST(ColorDialog, SystemColourIsResolvedBeforeTheRun) {
  TColorDialog d(nullptr);
  d.SetColor(clBtnFace);
  PressLater(d, IDOK);
  EXPECT_TRUE(d.Execute());
  EXPECT_EQ(d.Color(), ColorToRGB(clBtnFace));
}

TEST(ColorDialog, AnErrorInOnShowIsReportedAndTheDialogStillRuns) {
  TCapturedErrors errors;
  TColorDialog d(nullptr);
  d.OnShow = [&](TObject*) {
    PostMessageW(d.Handle(), WM_COMMAND, IDCANCEL, 0);
    throw Exception("show failed");
  };
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(errors.Messages(), std::vector<String>{"show failed"});
}
