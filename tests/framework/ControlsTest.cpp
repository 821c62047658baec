#include "TestSupport.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"

#include <memory>

namespace {

constexpr UINT WM_PROBE = WM_USER + 77;

// Records what reaches WndProc and answers WM_PROBE with WParam * 2.
class TProbe : public TCustomControl {
public:
  explicit TProbe(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 50, 40); }
  const char* ClassName() const override { return "TProbe"; }
  std::vector<UINT> Seen;
  int Throws = 0;
  void WndProc(TMessage& m) override {
    if (m.Msg >= CM_BASE && m.Msg <= CM_LAST) Seen.push_back(m.Msg);
    if (m.Msg == WM_PROBE) {
      Seen.push_back(m.Msg);
      if (m.LParam == 1) {
        ++Throws;
        throw EInvalidOperation("probe failed on purpose");
      }
      m.Result = LRESULT(m.WParam * 2);
      return;
    }
    TCustomControl::WndProc(m);
  }
  int Count(UINT msg) const { return int(std::count(Seen.begin(), Seen.end(), msg)); }
};

std::unique_ptr<TForm> ShownForm() {
  auto f = std::make_unique<TForm>(nullptr);
  f->SetBounds(40, 40, 300, 200);
  f->Show();
  Pump();
  return f;
}

}  // namespace

// ---- Ownership and notifications ------------------------------------------

TEST(Ownership, FreeingTheFormFreesItsComponentsAndWindows) {
  TWatcher watcher;
  auto* form = new TForm(nullptr);
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  auto* image = new TImage(form);
  image->SetParent(form);
  auto* timer = new TTimer(form);
  watcher.Watch(edit);
  watcher.Watch(image);
  watcher.Watch(timer);
  form->Show();
  HWND editWnd = edit->Handle();
  ASSERT_TRUE(IsWindow(editWnd));
  EXPECT_EQ(GetParent(editWnd), form->Handle());
  EXPECT_EQ(FindControl(editWnd), edit);
  EXPECT_EQ(form->ComponentCount(), 3);
  EXPECT_EQ(form->ControlCount(), 2);
  delete form;
  EXPECT_EQ(watcher.Removed.size(), 3u);
  EXPECT_FALSE(IsWindow(editWnd));
  EXPECT_EQ(FindControl(editWnd), nullptr);
}

TEST(Ownership, ParentAndOwnerAreIndependent) {
  auto form = ShownForm();
  auto* edit = new TEdit(nullptr);  // no owner: the parent frees it
  edit->SetParent(form.get());
  TWatcher watcher;
  watcher.Watch(edit);
  EXPECT_EQ(form->ComponentCount(), 0);
  EXPECT_TRUE(edit->HandleAllocated());
  form.reset();
  EXPECT_EQ(watcher.Removed.size(), 1u);
}

TEST(Ownership, ReparentingMovesTheWindow) {
  auto a = ShownForm();
  auto b = ShownForm();
  auto* edit = new TEdit(a.get());
  edit->SetParent(a.get());
  HWND wnd = edit->Handle();
  edit->SetParent(b.get());
  EXPECT_EQ(edit->Handle(), wnd);
  EXPECT_EQ(GetParent(wnd), b->Handle());
  EXPECT_EQ(a->ControlCount(), 0);
  EXPECT_EQ(b->ControlCount(), 1);
  edit->SetParent(nullptr);
  EXPECT_FALSE(edit->HandleAllocated());
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_THROW(b->SetParent(b.get()), EInvalidOperation);
}

TEST(Ownership, WindowIsCreatedOnDemand) {
  TForm form(nullptr);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  EXPECT_FALSE(form.HandleAllocated());
  EXPECT_FALSE(edit->HandleAllocated());
  edit->SetText("before");
  HWND wnd = edit->Handle();  // creates the form first
  EXPECT_TRUE(form.HandleAllocated());
  wchar_t buf[32];
  GetWindowTextW(wnd, buf, 32);
  EXPECT_STREQ(buf, L"before");
  form.DestroyHandle();
  EXPECT_FALSE(edit->HandleAllocated());
  EXPECT_EQ(edit->Text(), "before");  // the text outlives the window
}

namespace {

// Logs what its own WndProc sees of the window's end; the destructor clears
// FState, so "alive" in the log proves the whole object was still there.
template <class TBase>
class TEndProbe : public TBase {
public:
  TEndProbe(TComponent* owner, std::vector<String>* log) : TBase(owner), FLog(log) {}
  ~TEndProbe() override { FState.clear(); }
  void WndProc(TMessage& m) override {
    if (m.Msg == WM_DESTROY) FLog->push_back("destroy " + FState);
    if (m.Msg == WM_NCDESTROY) FLog->push_back("ncdestroy " + FState);
    TBase::WndProc(m);
  }

private:
  std::vector<String>* FLog;
  String FState = "alive";
};

}  // namespace

TEST(Ownership, DerivedControlSeesItsWindowEndWhileWhole) {
  enum TWho { Form, Holder };
  struct TCase {
    const char* Name;
    TWho Owner;
    bool FreeOwner;  // else the control itself
  } cases[] = {{"its own Free", Form, false}, {"owner component's Free", Holder, true}, {"form's Free", Form, true}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<String> log;
    auto* form = new TForm(nullptr);
    auto* holder = new TComponent(nullptr);
    auto* probe = new TEndProbe<TCustomControl>(c.Owner == Form ? static_cast<TComponent*>(form) : holder, &log);
    probe->SetParent(form);
    ASSERT_TRUE(IsWindow(probe->Handle()));
    TComponent* first = c.FreeOwner ? (c.Owner == Form ? static_cast<TComponent*>(form) : holder) : probe;
    first->Free();
    EXPECT_EQ(log, (std::vector<String>{"destroy alive", "ncdestroy alive"}));
    if (first != form) form->Free();
    if (first != holder) holder->Free();
  }
}

TEST(Ownership, DerivedFormSeesItsWindowEndWhileWhole) {
  std::vector<String> log;
  auto* form = new TEndProbe<TForm>(nullptr, &log);
  form->HandleNeeded();
  form->Free();
  EXPECT_EQ(log, (std::vector<String>{"destroy alive", "ncdestroy alive"}));
}

// ---- Creation --------------------------------------------------------------

namespace {

class TFirstMessages : public TForm {
public:
  using TForm::TForm;
  std::vector<UINT> Seen;
  void WndProc(TMessage& m) override {
    if (m.Msg == WM_NCCREATE || m.Msg == WM_NCCALCSIZE || m.Msg == WM_CREATE) Seen.push_back(m.Msg);
    TForm::WndProc(m);
  }
};

HHOOK CbtHook = nullptr;
TFirstMessages* InnerForm = nullptr;

// Creates a framework window while the system creates another, as a skin's
// window-creation hook does.
LRESULT CALLBACK CreateFormAtCreation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && !InnerForm) {
    InnerForm = new TFirstMessages(nullptr);
    InnerForm->HandleNeeded();
  }
  return CallNextHookEx(CbtHook, code, wParam, lParam);
}

}  // namespace

TEST(Creation, WindowCreatedUnderAHookThatCreatesAnotherGetsItsFirstMessages) {
  TFirstMessages outer(nullptr);
  InnerForm = nullptr;
  CbtHook = SetWindowsHookExW(WH_CBT, CreateFormAtCreation, nullptr, GetCurrentThreadId());
  ASSERT_NE(CbtHook, nullptr);
  outer.HandleNeeded();
  UnhookWindowsHookEx(CbtHook);
  ASSERT_NE(InnerForm, nullptr);
  const std::vector<UINT> first{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE};
  EXPECT_EQ(outer.Seen, first);
  EXPECT_EQ(InnerForm->Seen, first);
  EXPECT_EQ(FindControl(outer.Handle()), &outer);
  EXPECT_EQ(FindControl(InnerForm->Handle()), InnerForm);
  EXPECT_NE(outer.Handle(), InnerForm->Handle());
  InnerForm->Free();
  InnerForm = nullptr;
}

// ---- Dispatch --------------------------------------------------------------

TEST(Dispatch, PerformCallsWndProcDirectlyWithoutAWindow) {
  TForm form(nullptr);
  auto* p = new TProbe(&form);
  p->SetParent(&form);
  EXPECT_EQ(p->Perform(WM_PROBE, 21), 42);
  EXPECT_FALSE(p->HandleAllocated());
}

TEST(Dispatch, SystemMessagesReachTheObject) {
  auto form = ShownForm();
  auto* p = new TProbe(form.get());
  p->SetParent(form.get());
  EXPECT_EQ(SendMessageW(p->Handle(), WM_PROBE, 5, 0), 10);
}

TEST(Dispatch, WindowProcLinkAnswersOrPassesOn) {
  auto form = ShownForm();
  auto* p = new TProbe(form.get());
  p->SetParent(form.get());
  std::vector<UINT> hook;
  int id = 0;
  id = p->AttachWindowProc([&](TMessage& m) {
    hook.push_back(m.Msg);
    if (m.Msg == WM_PROBE && m.WParam == 100) {
      m.Result = 7;  // answered here, never reaches WndProc
      return;
    }
    p->CallPreviousWindowProc(id, m);
  });
  EXPECT_EQ(SendMessageW(p->Handle(), WM_PROBE, 3, 0), 6);
  EXPECT_EQ(p->Perform(WM_PROBE, 100), 7);
  EXPECT_EQ(std::count(hook.begin(), hook.end(), UINT(WM_PROBE)), 2);
  EXPECT_EQ(p->Count(WM_PROBE), 1);
  EXPECT_TRUE(p->DetachWindowProc(id));
  EXPECT_FALSE(p->DetachWindowProc(id));
  hook.clear();
  EXPECT_EQ(p->Perform(WM_PROBE, 100), 200);
  EXPECT_TRUE(hook.empty());
}

// Two links on one control, detached in either order: each sees system and
// Perform messages while attached, and only its own detach can report "on top".
TEST(Dispatch, TwoLinksDetachInEitherOrder) {
  for (bool lowerFirst : {true, false}) {
    SCOPED_TRACE(lowerFirst ? "lower link detached first" : "upper link detached first");
    TForm form(nullptr);
    auto* p = new TProbe(&form);
    p->SetParent(&form);
    std::vector<String> log;
    int ids[2] = {0, 0};
    for (int i = 0; i < 2; ++i)
      ids[i] = p->AttachWindowProc([&, i](TMessage& m) {
        if (m.Msg == WM_PROBE || m.Msg == CM_TEXTCHANGED) log.push_back(IntToStr(i) + ":" + IntToStr(int(m.Msg)));
        p->CallPreviousWindowProc(ids[i], m);
      });
    const String probe = IntToStr(WM_PROBE), text = IntToStr(CM_TEXTCHANGED);
    EXPECT_EQ(SendMessageW(p->Handle(), WM_PROBE, 4, 0), 8);
    p->SetText("x");  // CM_TEXTCHANGED travels by Perform
    EXPECT_EQ(log, (std::vector<String>{"1:" + probe, "0:" + probe, "1:" + text, "0:" + text}));
    int first = lowerFirst ? 0 : 1, second = 1 - first;
    EXPECT_EQ(p->DetachWindowProc(ids[first]), first == 1);
    log.clear();
    EXPECT_EQ(p->Perform(WM_PROBE, 5), 10);
    EXPECT_EQ(log, (std::vector<String>{IntToStr(second) + ":" + probe}));
    EXPECT_TRUE(p->DetachWindowProc(ids[second]));
    log.clear();
    EXPECT_EQ(SendMessageW(p->Handle(), WM_PROBE, 6, 0), 12);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(p->Count(WM_PROBE), 3);
  }
}

TEST(Dispatch, LinkCanDetachItselfDuringItsCall) {
  auto form = ShownForm();
  auto* p = new TProbe(form.get());
  p->SetParent(form.get());
  int lowerCalls = 0, id = 0, lower = 0;
  lower = p->AttachWindowProc([&](TMessage& m) {
    if (m.Msg == WM_PROBE) ++lowerCalls;
    p->CallPreviousWindowProc(lower, m);
  });
  id = p->AttachWindowProc([&](TMessage& m) {
    EXPECT_TRUE(p->DetachWindowProc(id));
    p->CallPreviousWindowProc(id, m);  // still reaches the lower link
  });
  EXPECT_EQ(p->Perform(WM_PROBE, 1), 2);
  EXPECT_EQ(p->Perform(WM_PROBE, 2), 4);
  EXPECT_EQ(lowerCalls, 2);
}

// A framework window subclassed by handle joins the control's chain, so
// Perform messages reach the subclass too.
TEST(Dispatch, SubclassOfAFrameworkWindowSeesPerformMessages) {
  auto form = ShownForm();
  auto* p = new TProbe(form.get());
  p->SetParent(form.get());
  HWND wnd = p->Handle();
  auto original = GetWindowLongPtrW(wnd, GWLP_WNDPROC);
  int probes = 0;
  TWindowSubclass* sub = nullptr;
  TWindowSubclass s([&](TMessage& m) {
    if (m.Msg == WM_PROBE) ++probes;
    sub->CallPrevious(m);
  });
  sub = &s;
  ASSERT_TRUE(s.Attach(wnd));
  EXPECT_EQ(GetWindowLongPtrW(wnd, GWLP_WNDPROC), original);
  EXPECT_EQ(p->Perform(WM_PROBE, 2), 4);
  EXPECT_EQ(SendMessageW(wnd, WM_PROBE, 3, 0), 6);
  EXPECT_EQ(probes, 2);
  EXPECT_TRUE(s.Detach());
  EXPECT_EQ(p->Perform(WM_PROBE, 2), 4);
  EXPECT_EQ(probes, 2);
}

namespace {
WNDPROC ForeignPrev = nullptr;
int ForeignCalls = 0;
LRESULT CALLBACK ForeignProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_PROBE) ++ForeignCalls;
  return CallWindowProcW(ForeignPrev, wnd, msg, w, l);
}
}  // namespace

TEST(Dispatch, SurvivesForeignSubclassing) {
  auto form = ShownForm();
  auto* edit = new TEdit(form.get());
  edit->SetParent(form.get());
  HWND wnd = edit->Handle();
  ForeignCalls = 0;
  ForeignPrev = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(wnd, GWLP_WNDPROC, LONG_PTR(&ForeignProc)));
  SendMessageW(wnd, WM_SETTEXT, 0, LPARAM(L"through the chain"));
  EXPECT_EQ(edit->Text(), "through the chain");
  SendMessageW(wnd, WM_PROBE, 0, 0);
  EXPECT_EQ(ForeignCalls, 1);
  // The object goes while the foreign procedure is still on top.
  delete edit;
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(FindControl(wnd), nullptr);
}

namespace {
HWND MakeStatic() {
  return CreateWindowExW(0, L"STATIC", L"plain", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}
}  // namespace

TEST(Subclass, AttachRoutesAndDetachRestores) {
  HWND wnd = MakeStatic();
  auto original = GetWindowLongPtrW(wnd, GWLP_WNDPROC);
  int probes = 0;
  TWindowSubclass* sub = nullptr;
  TWindowSubclass s([&](TMessage& m) {
    if (m.Msg == WM_PROBE) {
      ++probes;
      m.Result = 99;
      return;
    }
    sub->CallPrevious(m);
  });
  sub = &s;
  ASSERT_TRUE(s.Attach(wnd));
  EXPECT_FALSE(s.Attach(wnd));  // one window at a time
  EXPECT_EQ(SendMessageW(wnd, WM_PROBE, 0, 0), 99);
  SendMessageW(wnd, WM_SETTEXT, 0, LPARAM(L"passed on"));
  wchar_t buf[32];
  GetWindowTextW(wnd, buf, 32);
  EXPECT_STREQ(buf, L"passed on");
  EXPECT_EQ(probes, 1);
  EXPECT_TRUE(s.Detach());
  EXPECT_EQ(GetWindowLongPtrW(wnd, GWLP_WNDPROC), original);
  EXPECT_EQ(SendMessageW(wnd, WM_PROBE, 0, 0), 0);
  DestroyWindow(wnd);
}

TEST(Subclass, DetachUnderAForeignSubclassLeavesTheChainIntact) {
  HWND wnd = MakeStatic();
  auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC));
  int probes = 0;
  TWindowSubclass* raw = nullptr;
  auto s = std::make_unique<TWindowSubclass>([&probes, &raw](TMessage& m) {
    if (m.Msg == WM_PROBE) ++probes;
    raw->CallPrevious(m);
  });
  raw = s.get();
  ASSERT_TRUE(s->Attach(wnd));
  WNDPROC ours = s->Proc();
  ForeignCalls = 0;
  ForeignPrev = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(wnd, GWLP_WNDPROC, LONG_PTR(&ForeignProc)));
  EXPECT_EQ(ForeignPrev, ours);
  EXPECT_FALSE(s->Detach());  // not ours on top: nothing is restored
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC)), &ForeignProc);
  s.reset();
  // The foreign procedure still chains through our stub to the original.
  SendMessageW(wnd, WM_PROBE, 0, 0);
  SendMessageW(wnd, WM_SETTEXT, 0, LPARAM(L"still works"));
  wchar_t buf[32];
  GetWindowTextW(wnd, buf, 32);
  EXPECT_STREQ(buf, L"still works");
  EXPECT_EQ(ForeignCalls, 1);
  EXPECT_EQ(probes, 0);
  (void)original;
  DestroyWindow(wnd);
}

// Two stubs on a foreign window: whichever detaches first, the chain ends
// with the original procedure installed and nothing of ours left.
TEST(Subclass, TwoSubclassesDetachInEitherOrder) {
  for (bool lowerFirst : {true, false}) {
    SCOPED_TRACE(lowerFirst ? "lower detached first" : "upper detached first");
    HWND wnd = MakeStatic();
    auto original = GetWindowLongPtrW(wnd, GWLP_WNDPROC);
    std::vector<int> log;
    std::unique_ptr<TWindowSubclass> subs[2];
    for (int i = 0; i < 2; ++i) {
      subs[i] = std::make_unique<TWindowSubclass>([&log, &subs, i](TMessage& m) {
        if (m.Msg == WM_PROBE) log.push_back(i);
        subs[i]->CallPrevious(m);
      });
      ASSERT_TRUE(subs[i]->Attach(wnd));
    }
    SendMessageW(wnd, WM_PROBE, 0, 0);
    EXPECT_EQ(log, (std::vector<int>{1, 0}));
    int first = lowerFirst ? 0 : 1, second = 1 - first;
    EXPECT_EQ(subs[first]->Detach(), first == 1);
    log.clear();
    SendMessageW(wnd, WM_PROBE, 0, 0);
    EXPECT_EQ(log, (std::vector<int>{second}));
    EXPECT_TRUE(subs[second]->Detach());
    EXPECT_EQ(GetWindowLongPtrW(wnd, GWLP_WNDPROC), original);
    DestroyWindow(wnd);
  }
}

TEST(Subclass, WindowDestructionDetaches) {
  HWND wnd = MakeStatic();
  bool sawNcDestroy = false;
  TWindowSubclass* sub = nullptr;
  TWindowSubclass s([&](TMessage& m) {
    if (m.Msg == WM_NCDESTROY) sawNcDestroy = true;
    sub->CallPrevious(m);
  });
  sub = &s;
  ASSERT_TRUE(s.Attach(wnd));
  DestroyWindow(wnd);
  EXPECT_TRUE(sawNcDestroy);
  EXPECT_FALSE(s.Attached());
  EXPECT_FALSE(s.Detach());
}

// ---- Private notifications -------------------------------------------------

TEST(Notifications, MouseEnterAndLeaveFollowTheMouse) {
  auto form = ShownForm();
  auto* image = new TImage(form.get());
  image->SetParent(form.get());
  image->SetBounds(10, 10, 50, 50);
  std::vector<String> log;
  image->OnMouseEnter = [&](TObject*) { log.push_back("image enter"); };
  image->OnMouseLeave = [&](TObject*) { log.push_back("image leave"); };
  form->OnMouseEnter = [&](TObject*) { log.push_back("form enter"); };
  form->OnMouseLeave = [&](TObject*) { log.push_back("form leave"); };
  HWND wnd = form->Handle();
  SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
  EXPECT_EQ(GetMouseControl(), image);
  SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(25, 25));  // no repeat
  SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(150, 150));
  EXPECT_EQ(GetMouseControl(), form.get());
  SendMessageW(wnd, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(GetMouseControl(), nullptr);
  EXPECT_EQ(log, (std::vector<String>{"image enter", "image leave", "form enter", "form leave"}));
}

TEST(Notifications, MouseMessagesOfAWindowlessChildArriveInItsCoordinates) {
  auto form = ShownForm();
  auto* image = new TImage(form.get());
  image->SetParent(form.get());
  image->SetBounds(10, 20, 50, 50);
  int clicks = 0, downX = -1, downY = -1;
  image->OnClick = [&](TObject*) { ++clicks; };
  image->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { downX = x, downY = y; };
  HWND wnd = form->Handle();
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 27));
  EXPECT_EQ(GetCaptureControl(), image);
  SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(16, 28));
  EXPECT_EQ(downX, 5);
  EXPECT_EQ(downY, 7);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(GetCaptureControl(), nullptr);
  // Released outside: no click.
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 27));
  SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(200, 150));
  EXPECT_EQ(clicks, 1);
}

TEST(Notifications, TextChangedOnlyOnARealChange) {
  TForm form(nullptr);
  auto* p = new TProbe(&form);
  p->SetParent(&form);
  p->SetText("a");
  p->SetText("a");
  EXPECT_EQ(p->Count(CM_TEXTCHANGED), 1);
  p->Handle();
  p->SetText("b");
  EXPECT_EQ(p->Count(CM_TEXTCHANGED), 2);
  EXPECT_EQ(p->Text(), "b");
}

TEST(Notifications, ColourAndFontReachChildrenThatFollowTheirParent) {
  TForm form(nullptr);
  auto* follower = new TProbe(&form);
  follower->SetParent(&form);
  follower->SetParentColor(true);
  auto* own = new TProbe(&form);
  own->SetParent(&form);
  own->SetColor(clRed);
  own->Font()->SetName("Courier New");
  form.SetColor(0x123456);
  EXPECT_EQ(follower->Color(), TColor(0x123456));
  EXPECT_EQ(own->Color(), clRed);
  // Insertion (not yet following), SetParentColor (takes clBtnFace), the change.
  EXPECT_EQ(follower->Count(CM_PARENTCOLORCHANGED), 3);
  EXPECT_EQ(follower->Count(CM_COLORCHANGED), 2);
  form.Font()->SetName("Arial");
  EXPECT_EQ(follower->Font()->Name(), "Arial");
  EXPECT_TRUE(follower->ParentFont());
  EXPECT_EQ(own->Font()->Name(), "Courier New");
  EXPECT_FALSE(own->ParentFont());
}

// The edit gets its text once, after its font, without a change event;
// a colour change repaints it without giving it the same font again.
TEST(Notifications, EditTextAndFontReachTheWindowOnce) {
  TForm form(nullptr);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  edit->SetText("#3C3D3D");
  int changes = 0, fonts = 0, id = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  id = edit->AttachWindowProc([&](TMessage& m) {
    fonts += m.Msg == WM_SETFONT;
    edit->CallPreviousWindowProc(id, m);
  });
  wchar_t shown[16] = {};
  GetWindowTextW(edit->Handle(), shown, 16);
  EXPECT_STREQ(shown, L"#3C3D3D");
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(fonts, 1);
  edit->Font()->SetColor(clRed);
  EXPECT_EQ(fonts, 1);
  edit->Font()->SetSize(14);
  EXPECT_EQ(fonts, 2);
  EXPECT_EQ(HFONT(SendMessageW(edit->Handle(), WM_GETFONT, 0, 0)), edit->Font()->Handle());
  edit->SetText("#000000");
  EXPECT_EQ(changes, 1);
}

TEST(Notifications, VisibleAndEnabledChangesReachTheWindow) {
  auto form = ShownForm();
  auto* p = new TProbe(form.get());
  p->SetParent(form.get());
  HWND wnd = p->Handle();
  EXPECT_TRUE(IsWindowVisible(wnd));
  EXPECT_TRUE(p->Showing());
  p->Hide();
  EXPECT_FALSE(IsWindowVisible(wnd));
  EXPECT_FALSE(p->Showing());
  EXPECT_EQ(p->Count(CM_VISIBLECHANGED), 1);
  EXPECT_EQ(p->Count(CM_SHOWINGCHANGED), 2);
  p->SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(wnd));
  EXPECT_EQ(p->Count(CM_ENABLEDCHANGED), 1);
}

// ---- Exceptions at the boundary -------------------------------------------

TEST(Boundary, ExceptionInAWindowProcedureIsReportedAndTheProgramGoesOn) {
  TCapturedErrors errors;
  auto form = ShownForm();
  auto* p = new TProbe(form.get());
  p->SetParent(form.get());
  EXPECT_EQ(SendMessageW(p->Handle(), WM_PROBE, 4, 1), 0);
  ASSERT_EQ(errors.Messages().size(), 1u);
  EXPECT_EQ(errors.Messages()[0], "probe failed on purpose");
  EXPECT_EQ(SendMessageW(p->Handle(), WM_PROBE, 4, 0), 8);  // still alive
  PostMessageW(p->Handle(), WM_PROBE, 1, 1);
  Pump();
  EXPECT_EQ(errors.Messages().size(), 2u);
  EXPECT_EQ(p->Throws, 2);
}

TEST(Boundary, ExceptionInASubclassIsReported) {
  TCapturedErrors errors;
  HWND wnd = MakeStatic();
  TWindowSubclass* sub = nullptr;
  TWindowSubclass s([&](TMessage& m) {
    if (m.Msg == WM_PROBE) throw Exception("subclass failed");
    sub->CallPrevious(m);
  });
  sub = &s;
  s.Attach(wnd);
  SendMessageW(wnd, WM_PROBE, 0, 0);
  EXPECT_EQ(errors.Messages(), std::vector<String>{"subclass failed"});
  DestroyWindow(wnd);
}

TEST(Boundary, DefaultReportIsAMessageBoxWithTheText) {
  TCapturedErrors keep;  // restores the handler afterwards
  Application->OnException = nullptr;
  std::vector<String> texts;
  bool closed = false;
  TTimer closer(nullptr);
  closer.SetInterval(50);
  closer.OnTimer = [&](TObject*) {
    // Find the box among this thread's windows, read it, close it.
    struct TCtx {
      std::vector<String>* Texts;
      bool* Closed;
    } ctx{&texts, &closed};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM lp) -> BOOL {
          auto* c = reinterpret_cast<TCtx*>(lp);
          wchar_t cls[64];
          GetClassNameW(w, cls, 64);
          if (wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(w)) return TRUE;
          EnumChildWindows(
              w,
              [](HWND ch, LPARAM lp2) -> BOOL {
                wchar_t t[256];
                GetWindowTextW(ch, t, 256);
                reinterpret_cast<std::vector<String>*>(lp2)->push_back(FromWide(t));
                return TRUE;
              },
              LPARAM(c->Texts));
          PostMessageW(w, WM_COMMAND, IDOK, 0);
          *c->Closed = true;
          return FALSE;
        },
        LPARAM(&ctx));
  };
  HWND wnd = MakeStatic();
  TWindowSubclass* sub = nullptr;
  TWindowSubclass s([&](TMessage& m) {
    if (m.Msg == WM_PROBE) throw Exception("Unable to write to C:\\nowhere\\settings.ini");
    sub->CallPrevious(m);
  });
  sub = &s;
  s.Attach(wnd);
  SendMessageW(wnd, WM_PROBE, 0, 0);  // returns once the box is closed
  EXPECT_TRUE(closed);
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Unable to write to C:\\nowhere\\settings.ini"), texts.end());
  DestroyWindow(wnd);
}
