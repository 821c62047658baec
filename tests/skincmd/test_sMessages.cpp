// Skin command delivery between real windows and controls: routing, the
// broadcasts' reach and skip rules, receivers that free things mid-delivery,
// and which senders a receiver may trust with pointers and addresses.
#include "framework/StdCtrls.h"
#include "skin/sMessages.h"
#include "tests/framework/TestSupport.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <type_traits>

namespace {

int ManagerA, ManagerB;  // stand-ins for two skin managers
const LPARAM MgrA = reinterpret_cast<LPARAM>(&ManagerA);
const LPARAM MgrB = reinterpret_cast<LPARAM>(&ManagerB);

struct TReceived {
  int Code;
  int Arg;
  LPARAM LParam;
  bool Trusted;
};

// A receiver on any framework class. Skin-aware ones answer code 7, apply
// 1/2/3 of their own manager, answer 26/27/61, and containers pass 1/2/3
// to their children; plain ones only record and leave everything to default handling.
template <class Base>
class TReceiver : public Base {
public:
  TReceiver(TComponent* owner, bool skinAware) : Base(owner), SkinAware(skinAware) {
    if constexpr (std::is_base_of_v<TWinControl, Base>) this->SetBounds(0, 0, 60, 40);
  }
  bool SkinAware;
  LPARAM Manager = MgrA;
  int32_t SectionIndex = 42;
  int ManagerChanges = 0;
  std::vector<TReceived> Log;
  // Runs first; true = done (the receiver may be gone: nothing of it is touched after).
  std::function<bool(TMessage&)> OnCommand;

  int Count(int code) const {
    int n = 0;
    for (const auto& r : Log) n += r.Code == code;
    return n;
  }
  void MarkDestroying() { this->Destroying(); }

  void WndProc(TMessage& m) override {
    if (m.Msg == SM_SKINCMD) {
      Log.push_back({SkinCommandCode(m), m.WParamLo(), m.LParam, IsTrustedSkinCommand(m)});
      if (OnCommand && OnCommand(m)) return;
      if (SkinAware && Answer(m)) return;
    }
    Base::WndProc(m);
  }

private:
  bool Answer(TMessage& m) {
    switch (SkinCommandCode(m)) {
      case SKC_ISSKINNED: m.Result = 1; return true;
      case SKC_SKINLOADED: case SKC_SKINREMOVED: case SKC_REFRESH:
        if (m.LParam == Manager) ++ManagerChanges;
        // Forms leave their controls to the broadcast, which reaches them itself.
        if constexpr (std::is_base_of_v<TWinControl, Base> && !std::is_base_of_v<TCustomForm, Base>)
          BroadcastToControls(this, m);
        return true;
      case SKC_GETSKININDEX:
        if (auto* p = reinterpret_cast<int32_t*>(TrustedSkinPointer(m))) *p = SectionIndex;
        return true;
      case SKC_GETMANAGER: m.Result = IsTrustedSkinCommand(m) ? Manager : 0; return true;
      case SKC_GETOFFSET: m.Result = MAKELONG(6, 32); return true;
      default: return false;
    }
  }
};

using TWinReceiver = TReceiver<TCustomControl>;
using TGraphicReceiver = TReceiver<TGraphicControl>;
using TFormReceiver = TReceiver<TForm>;

// A child with its window when the parent has one.
template <class T>
T* Child(TWinControl* parent, bool skinAware) {
  auto* c = new T(parent, skinAware);
  c->SetParent(parent);
  if constexpr (std::is_base_of_v<TWinControl, T>)
    if (parent->HandleAllocated()) c->HandleNeeded();
  return c;
}

// A form with its window, not shown (showing and hiding an active window costs
// seconds under a virtual display).
TFormReceiver* FormWithWindow(bool skinAware, TComponent* owner = Application) {
  auto* f = new TFormReceiver(owner, skinAware);
  f->SetBounds(30, 30, 240, 160);
  f->HandleNeeded();
  return f;
}

// A window of another thread, as another program's window would be.
class TForeignWindow {
public:
  TForeignWindow() {
    FThread = std::thread([this] {
      HWND w = CreateWindowExW(0, L"STATIC", L"foreign", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
      FThreadId = GetCurrentThreadId();
      FWnd = w;
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
      DestroyWindow(w);
    });
    while (!FWnd) Sleep(1);
  }
  ~TForeignWindow() {
    PostThreadMessageW(FThreadId, WM_QUIT, 0, 0);
    FThread.join();
  }
  HWND Wnd() const { return FWnd; }

private:
  std::thread FThread;
  std::atomic<HWND> FWnd{nullptr};
  std::atomic<DWORD> FThreadId{0};
};

// Runs fn on another thread while this one keeps handling messages (its sends arrive here).
void OnOtherThread(const std::function<void()>& fn) {
  std::atomic<bool> done{false};
  std::thread other([&] {
    fn();
    done = true;
  });
  MSG msg;
  while (!done) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(1);
  }
  other.join();
}

// ---- The message -----------------------------------------------------------

TEST(MakeSkinCommand, CodeInTheHighWordArgumentInTheLow) {
  struct {
    int Code, Arg;
    LPARAM LParam;
    WPARAM WParam;
  } cases[] = {{1, 0, MgrA, 0x10000}, {8, 1, 0, 0x80001}, {26, 5, 0x1234, 0x1A0005}, {62, 0xFFFF, 1, 0x3EFFFF}};
  for (const auto& c : cases) {
    TMessage m = MakeSkinCommand(c.Code, c.Arg, c.LParam);
    EXPECT_EQ(m.Msg, 0xA100u);
    EXPECT_EQ(m.WParam, c.WParam) << c.Code;
    EXPECT_EQ(m.LParam, c.LParam);
    EXPECT_EQ(m.Result, 0);
    EXPECT_EQ(SkinCommandCode(m), c.Code);
  }
}

TEST(SkinCommandRules, PointerAndAddressCodes) {
  for (int code = 0; code <= 70; ++code) {
    bool pointer = code == 15 || code == 24 || code == 26 || code == 34 || code == 35 || code == 38;
    bool address = code == 4 || code == 27 || code == 37 || code == 60;
    EXPECT_EQ(SkinCommandCarriesPointer(code), pointer) << code;
    EXPECT_EQ(SkinCommandAnswersAddress(code), address) << code;
  }
}

// ---- One receiver ----------------------------------------------------------

TEST(SendSkinCommand, WindowlessControlGetsADirectDispatch) {
  TWinReceiver parent(nullptr, false);  // no window needed
  auto* g = Child<TGraphicReceiver>(&parent, true);
  EXPECT_EQ(SendSkinCommand(g, SKC_ISSKINNED), 1);
  EXPECT_FALSE(parent.HandleAllocated());
  ASSERT_EQ(g->Log.size(), 1u);
  EXPECT_TRUE(g->Log[0].Trusted);
}

TEST(SendSkinCommand, WindowedControlWithoutWindowOrBeingDestroyedGetsNothing) {
  std::unique_ptr<TFormReceiver> form(FormWithWindow(false, nullptr));
  auto* noWindow = new TWinReceiver(nullptr, true);
  EXPECT_EQ(SendSkinCommand(noWindow, SKC_ISSKINNED), 0);
  EXPECT_FALSE(noWindow->HandleAllocated());
  delete noWindow;

  auto* c = Child<TWinReceiver>(form.get(), true);
  HWND wnd = c->Handle();
  EXPECT_EQ(SendSkinCommand(c, SKC_ISSKINNED), 1);
  c->ControlState.Include(csDestroyingHandle);
  EXPECT_EQ(SendSkinCommand(c, SKC_ISSKINNED), 0);
  EXPECT_EQ(SendSkinCommand(wnd, SKC_ISSKINNED), 0);
  c->ControlState.Exclude(csDestroyingHandle);
  c->MarkDestroying();
  EXPECT_EQ(SendSkinCommand(c, SKC_ISSKINNED), 0);
  EXPECT_EQ(SendSkinCommand(wnd, SKC_ISSKINNED), 0);
  EXPECT_EQ(c->Log.size(), 1u) << "only the first send arrived";
  EXPECT_EQ(SendSkinCommand(static_cast<TControl*>(nullptr), SKC_ISSKINNED), 0);
  EXPECT_EQ(SendSkinCommand(HWND(nullptr), SKC_ISSKINNED), 0);
}

TEST(IsSkinAware, OnlyReceiversThatAnswerSeven) {
  std::unique_ptr<TFormReceiver> form(FormWithWindow(false, nullptr));
  auto* skinned = Child<TWinReceiver>(form.get(), true);
  auto* plain = Child<TWinReceiver>(form.get(), false);
  auto* edit = new TEdit(form.get());
  edit->SetParent(form.get());
  TForeignWindow foreign;
  EXPECT_TRUE(IsSkinAware(skinned->Handle()));
  EXPECT_FALSE(IsSkinAware(plain->Handle()));
  EXPECT_FALSE(IsSkinAware(edit->Handle()));
  EXPECT_FALSE(IsSkinAware(form->Handle()));
  EXPECT_FALSE(IsSkinAware(foreign.Wnd()));
  EXPECT_FALSE(IsSkinAware(GetDesktopWindow()));
  EXPECT_EQ(plain->Count(SKC_ISSKINNED), 1) << "the plain control was asked and passed it on";
}

TEST(SendSkinCommand, UnhandledCodesAnswerZero) {
  std::unique_ptr<TFormReceiver> form(FormWithWindow(false, nullptr));
  auto* skinned = Child<TWinReceiver>(form.get(), true);
  auto* g = Child<TGraphicReceiver>(form.get(), true);
  for (int code : {0, 5, 12, 28, 50, 63, 70, 0xFFFF}) {
    EXPECT_EQ(SendSkinCommand(skinned, code, 1, MgrA), 0) << code;
    EXPECT_EQ(SendSkinCommand(g, code, 1, MgrA), 0) << code;
  }
}

TEST(SendSkinCommand, OffsetAnswerHasXLowYHigh) {
  std::unique_ptr<TFormReceiver> form(FormWithWindow(true, nullptr));
  LRESULT r = SendSkinCommand(form.get(), SKC_GETOFFSET);
  EXPECT_EQ(LOWORD(r), 6);
  EXPECT_EQ(HIWORD(r), 32);
}

TEST(SendSkinCommand, ReceiverFaultIsReportedAndAnswersZero) {
  TCapturedErrors errors;
  TWinReceiver parent(nullptr, false);
  auto* g = Child<TGraphicReceiver>(&parent, true);
  g->OnCommand = [](TMessage&) -> bool { throw EInvalidOperation("receiver failed"); };
  EXPECT_EQ(SendSkinCommand(g, SKC_ISSKINNED), 0);
  ASSERT_EQ(errors.Messages().size(), 1u);
  EXPECT_EQ(errors.Messages()[0], "receiver failed");
}

// ---- Broadcasts ------------------------------------------------------------

TEST(BroadcastToForms, PlainFormAndSkinnedControlsInsidePlainContainersAreReached) {
  auto* form = FormWithWindow(false);
  auto* panel = Child<TWinReceiver>(form, false);
  auto* inner = Child<TWinReceiver>(panel, true);
  auto* innerGraphic = Child<TGraphicReceiver>(panel, true);
  auto* container = Child<TWinReceiver>(form, true);  // passes the command on itself
  auto* containerGraphic = Child<TGraphicReceiver>(container, true);
  Pump();
  TMessage m = MakeSkinCommand(SKC_SKINLOADED, 0, MgrA);
  BroadcastToForms(m);
  EXPECT_EQ(form->Count(SKC_SKINLOADED), 1);
  EXPECT_EQ(panel->Count(SKC_SKINLOADED), 0) << "a plain container is not told";
  for (auto* r : {inner, container}) {
    EXPECT_EQ(r->Count(SKC_SKINLOADED), 1);
    EXPECT_EQ(r->ManagerChanges, 1);
  }
  for (auto* r : {innerGraphic, containerGraphic}) {
    EXPECT_EQ(r->Count(SKC_SKINLOADED), 1);
    EXPECT_EQ(r->ManagerChanges, 1);
  }
  for (auto* r : {inner, container}) EXPECT_TRUE(r->Log.back().Trusted);
  EXPECT_TRUE(innerGraphic->Log.back().Trusted);
  EXPECT_TRUE(containerGraphic->Log.back().Trusted) << "passed on by its container with BroadcastToControls";
  delete form;
}

TEST(BroadcastToForms, OtherManagersCommandsChangeNothing) {
  auto* form = FormWithWindow(false);
  auto* c = Child<TWinReceiver>(form, true);
  auto* g = Child<TGraphicReceiver>(form, true);
  Pump();
  for (int code : {SKC_SKINLOADED, SKC_SKINREMOVED, SKC_REFRESH}) {
    TMessage m = MakeSkinCommand(code, 0, MgrB);
    BroadcastToForms(m);
  }
  EXPECT_EQ(c->Count(SKC_SKINLOADED) + c->Count(SKC_SKINREMOVED) + c->Count(SKC_REFRESH), 3);
  EXPECT_EQ(c->ManagerChanges, 0);
  EXPECT_EQ(g->ManagerChanges, 0);
  TMessage own = MakeSkinCommand(SKC_REFRESH, 0, MgrA);
  BroadcastToForms(own);
  EXPECT_EQ(c->ManagerChanges, 1);
  EXPECT_EQ(g->ManagerChanges, 1);
  delete form;
}

TEST(BroadcastToForms, SkipRulesAndTheSkinnedFormList) {
  auto* plain = FormWithWindow(false);
  auto* skinned = FormWithWindow(true);        // reached through the list only
  auto* unregistered = FormWithWindow(true);   // skin-aware and not listed: not reached
  auto* loading = FormWithWindow(false);
  auto* notOwned = FormWithWindow(true, nullptr);  // a provider's form not owned by the application
  auto* onListedForm = Child<TWinReceiver>(notOwned, true);
  loading->BeginLoading();
  RegisterSkinnedForm(skinned);
  RegisterSkinnedForm(notOwned);
  RegisterSkinnedForm(notOwned);  // listed once
  EXPECT_EQ(std::count(SkinnedForms().begin(), SkinnedForms().end(), notOwned), 1);
  TMessage m = MakeSkinCommand(SKC_REFRESH, 0, MgrA);
  BroadcastToForms(m);
  EXPECT_EQ(plain->Count(SKC_REFRESH), 1);
  EXPECT_EQ(skinned->Count(SKC_REFRESH), 1);
  EXPECT_EQ(unregistered->Count(SKC_REFRESH), 0);
  EXPECT_EQ(loading->Count(SKC_REFRESH), 0);
  EXPECT_EQ(notOwned->Count(SKC_REFRESH), 1);
  EXPECT_EQ(onListedForm->Count(SKC_REFRESH), 1);
  UnregisterSkinnedForm(skinned);
  UnregisterSkinnedForm(notOwned);
  EXPECT_TRUE(SkinnedForms().empty());
  BroadcastToForms(m);
  EXPECT_EQ(skinned->Count(SKC_REFRESH), 1);
  EXPECT_EQ(notOwned->Count(SKC_REFRESH), 1);
  loading->EndLoading();
  for (TComponent* f : std::initializer_list<TComponent*>{plain, skinned, unregistered, loading, notOwned}) delete f;
}

TEST(BroadcastToForms, VisibleHookedWindowsGetIt) {
  // Adapted windows outside the framework's forms, here two forms nobody owns.
  std::unique_ptr<TFormReceiver> visible(FormWithWindow(false, nullptr));
  std::unique_ptr<TFormReceiver> invisible(FormWithWindow(false, nullptr));
  ShowWindow(visible->Handle(), SW_SHOWNOACTIVATE);
  RegisterHookedWindow(visible->Handle());
  RegisterHookedWindow(invisible->Handle());
  TMessage m = MakeSkinCommand(SKC_REPAINTNOW);
  BroadcastToForms(m);
  EXPECT_EQ(visible->Count(SKC_REPAINTNOW), 1);
  EXPECT_EQ(invisible->Count(SKC_REPAINTNOW), 0);
  UnregisterHookedWindow(visible->Handle());
  UnregisterHookedWindow(invisible->Handle());
  BroadcastToForms(m);
  EXPECT_EQ(visible->Count(SKC_REPAINTNOW), 1);
  SetWindowPos(visible->Handle(), nullptr, 0, 0, 0, 0,
               SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
}

TEST(BroadcastToForms, ReceiverFreeingFormsEndsTheDeliveryCleanly) {
  int base = Application->ComponentCount();
  auto* first = FormWithWindow(false);
  auto* second = FormWithWindow(false);
  auto* last = FormWithWindow(false);
  auto* listed = FormWithWindow(true, nullptr);
  RegisterSkinnedForm(listed);
  // Delivery runs last to first: freeing two forms leaves the next index past the count.
  last->OnCommand = [&](TMessage& m) {
    if (SkinCommandCode(m) != SKC_REFRESH) return false;
    delete second;
    delete first;
    return false;
  };
  TMessage m = MakeSkinCommand(SKC_REFRESH, 0, MgrA);
  BroadcastToForms(m);
  EXPECT_EQ(last->Count(SKC_REFRESH), 1);
  EXPECT_EQ(listed->Count(SKC_REFRESH), 0) << "the whole delivery ended";
  EXPECT_EQ(Application->ComponentCount(), base + 1);
  UnregisterSkinnedForm(listed);
  delete listed;
  delete last;
}

TEST(BroadcastToControls, ChildFreeingItsFormDuringDeliveryStopsThere) {
  auto* keep = FormWithWindow(false);
  auto* doomed = FormWithWindow(false);  // reached first (last created)
  auto* killer = Child<TGraphicReceiver>(doomed, true);
  Child<TGraphicReceiver>(doomed, true);
  killer->OnCommand = [&](TMessage&) {
    delete doomed;  // frees the killer too
    return true;
  };
  TMessage m = MakeSkinCommand(SKC_REFRESH, 0, MgrA);
  BroadcastToForms(m);  // must not touch the freed form or its children
  EXPECT_EQ(keep->Count(SKC_REFRESH), 1) << "the earlier form is still reached";
  delete keep;
}

TEST(BroadcastToControls, StopsAtTheFirstChildBeingDestroyed) {
  std::unique_ptr<TFormReceiver> form(FormWithWindow(false, nullptr));
  auto* a = Child<TGraphicReceiver>(form.get(), true);
  auto* b = Child<TWinReceiver>(form.get(), true);
  auto* c = Child<TGraphicReceiver>(form.get(), true);
  Pump();
  b->MarkDestroying();
  TMessage m = MakeSkinCommand(SKC_BGCHANGED);
  BroadcastToControls(form.get(), m);
  EXPECT_EQ(a->Count(SKC_BGCHANGED), 1);
  EXPECT_EQ(b->Log.size(), 0u);
  EXPECT_EQ(c->Count(SKC_BGCHANGED), 0);
}

TEST(BroadcastToControls, WindowedChildWithoutWindowGetsADirectDispatch) {
  TWinReceiver parent(nullptr, false);
  auto* w = Child<TWinReceiver>(&parent, true);
  TMessage m = MakeSkinCommand(SKC_CLEARCACHE);
  BroadcastToControls(&parent, m);
  EXPECT_FALSE(w->HandleAllocated());
  ASSERT_EQ(w->Count(SKC_CLEARCACHE), 1);
  EXPECT_TRUE(w->Log[0].Trusted);
}

TEST(SendToChildWindows, DirectChildrenOnly) {
  std::unique_ptr<TFormReceiver> form(FormWithWindow(false, nullptr));
  auto* a = Child<TWinReceiver>(form.get(), false);
  auto* b = Child<TWinReceiver>(form.get(), true);
  auto* grandChild = Child<TWinReceiver>(a, true);
  Pump();
  TMessage m = MakeSkinCommand(SKC_STOPANIMATION);
  SendToChildWindows(form->Handle(), m);
  EXPECT_EQ(a->Count(SKC_STOPANIMATION), 1);
  EXPECT_EQ(b->Count(SKC_STOPANIMATION), 1);
  EXPECT_EQ(grandChild->Count(SKC_STOPANIMATION), 0);
  EXPECT_EQ(form->Count(SKC_STOPANIMATION), 0);
}

TEST(SendToChildWindows, ReceiverDestroyingASiblingsWindow) {
  std::unique_ptr<TFormReceiver> form(FormWithWindow(false, nullptr));
  auto* a = Child<TWinReceiver>(form.get(), true);
  auto* b = Child<TWinReceiver>(form.get(), true);
  auto* c = Child<TWinReceiver>(form.get(), true);
  a->OnCommand = [&](TMessage&) {
    b->DestroyHandle();
    return false;
  };
  TMessage m = MakeSkinCommand(SKC_STOPANIMATION);
  SendToChildWindows(form->Handle(), m);
  EXPECT_EQ(a->Count(SKC_STOPANIMATION), 1);
  EXPECT_EQ(b->Count(SKC_STOPANIMATION), 0);
  EXPECT_EQ(c->Count(SKC_STOPANIMATION), 1);
}

// ---- Trust -------------------------------------------------------------------

class SkinCommandTrust : public ::testing::Test {
protected:
  void SetUp() override {
    FForm.reset(FormWithWindow(false, nullptr));
    FTarget = Child<TWinReceiver>(FForm.get(), true);
    FWnd = FTarget->Handle();
    Pump();
  }
  WPARAM Wp(int code) const { return MakeSkinCommand(code).WParam; }
  std::unique_ptr<TFormReceiver> FForm;
  TWinReceiver* FTarget = nullptr;
  HWND FWnd = nullptr;
};

TEST_F(SkinCommandTrust, OurSendWritesThroughThePointer) {
  int32_t index = -1;
  EXPECT_EQ(SendSkinCommand(FTarget, SKC_GETSKININDEX, 0, reinterpret_cast<LPARAM>(&index)), 0) << "not in Result";
  EXPECT_EQ(index, 42);
  index = -1;
  SendSkinCommand(FWnd, SKC_GETSKININDEX, 0, reinterpret_cast<LPARAM>(&index));
  EXPECT_EQ(index, 42);
  EXPECT_EQ(SendSkinCommand(FTarget, SKC_GETMANAGER), MgrA);
}

// Our own windows get commands straight to their handler, but one whose
// procedure someone replaced gets them through that procedure, still trusted.
TEST_F(SkinCommandTrust, ASubclassedWindowGetsThemThroughItsProcedure) {
  static int seen;
  static WNDPROC previous;
  seen = 0;
  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      FWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        seen += msg == SM_SKINCMD;
        return CallWindowProcW(previous, w, msg, wp, lp);
      })));
  int32_t index = -1;
  SendSkinCommand(FTarget, SKC_GETSKININDEX, 0, reinterpret_cast<LPARAM>(&index));
  SetWindowLongPtrW(FWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  EXPECT_EQ(seen, 1);
  EXPECT_EQ(index, 42);
  SendSkinCommand(FTarget, SKC_GETSKININDEX, 0, reinterpret_cast<LPARAM>(&index));
  EXPECT_EQ(seen, 1) << "its own procedure back: straight to the handler";
}

TEST_F(SkinCommandTrust, RawSendPostAndOtherThreadsAreNotTrusted) {
  SendSkinCommand(FTarget, SKC_ISSKINNED);  // the thread has sent before
  int32_t index = -1;
  LPARAM p = reinterpret_cast<LPARAM>(&index);
  EXPECT_EQ(SendMessageW(FWnd, SM_SKINCMD, Wp(SKC_GETSKININDEX), p), 0);
  EXPECT_EQ(SendMessageW(FWnd, SM_SKINCMD, Wp(SKC_GETMANAGER), 0), 0);
  PostMessageW(FWnd, SM_SKINCMD, Wp(SKC_GETSKININDEX), p);
  Pump(50);
  LRESULT managerAnswer = -1;
  OnOtherThread([&] {
    SendMessageW(FWnd, SM_SKINCMD, Wp(SKC_GETSKININDEX), p);
    managerAnswer = SendMessageW(FWnd, SM_SKINCMD, Wp(SKC_GETMANAGER), 0);
  });
  EXPECT_EQ(managerAnswer, 0);
  EXPECT_EQ(index, -1);
  for (const auto& r : FTarget->Log) EXPECT_FALSE(r.Code != SKC_ISSKINNED && r.Trusted) << r.Code;
}

TEST_F(SkinCommandTrust, DuplicatesArrivingDuringATrustedSendAreNotTrusted) {
  int32_t index = -1;
  LPARAM p = reinterpret_cast<LPARAM>(&index);
  bool once = false;
  FTarget->OnCommand = [&](TMessage& m) {
    if (once || SkinCommandCode(m) != SKC_GETSKININDEX) return false;
    once = true;
    // The same command posted and sent from another thread while ours is in flight.
    PostMessageW(FWnd, SM_SKINCMD, m.WParam, m.LParam);
    OnOtherThread([&] { SendMessageW(FWnd, SM_SKINCMD, m.WParam, m.LParam); });
    return false;
  };
  FTarget->SectionIndex = 42;
  SendSkinCommand(FTarget, SKC_GETSKININDEX, 0, p);
  EXPECT_EQ(index, 42);
  ASSERT_EQ(FTarget->Count(SKC_GETSKININDEX), 2) << "the posted copy never arrives, the other thread's does";
  EXPECT_TRUE(FTarget->Log[0].Trusted);
  EXPECT_FALSE(FTarget->Log[1].Trusted);
}

}  // namespace
