#include "skin/sMessages.h"

#include <algorithm>

namespace {

// A skin command our own code is delivering on this thread. Windowless
// receivers get the very record (matched by address); windows get a copy
// built by the system, matched by its fields and by the thread's
// inter-thread send state at the time of sending.
struct TInFlight {
  const TMessage* Direct;
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  DWORD SendState;
};

DWORD CurrentSendState() { return InSendMessageEx(nullptr) & (ISMEX_SEND | ISMEX_NOTIFY | ISMEX_CALLBACK); }

// Skin commands are never posted: a posted one comes from outside, so the
// thread's queue hands it out as WM_NULL.
LRESULT CALLBACK QueueGuardProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (msg->message == SM_SKINCMD) msg->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct TThreadState {
  std::vector<TInFlight> InFlight;
  HHOOK QueueGuard = nullptr;
  ~TThreadState() {
    if (QueueGuard) UnhookWindowsHookEx(QueueGuard);
  }
};

TThreadState& ThreadState() {
  thread_local TThreadState state;
  if (!state.QueueGuard) state.QueueGuard = SetWindowsHookExW(WH_GETMESSAGE, QueueGuardProc, nullptr, GetCurrentThreadId());
  return state;
}

class TInFlightScope {
public:
  TInFlightScope(const TMessage* direct, UINT msg, WPARAM wParam, LPARAM lParam) {
    ThreadState().InFlight.push_back({direct, msg, wParam, lParam, CurrentSendState()});
  }
  ~TInFlightScope() { ThreadState().InFlight.pop_back(); }
  TInFlightScope(const TInFlightScope&) = delete;
  TInFlightScope& operator=(const TInFlightScope&) = delete;
};


bool BeingDestroyed(const TControl* c) {
  return c->IsDestroying() || c->ControlState.Contains(csDestroyingHandle);
}

std::vector<TCustomForm*>& FormList() {
  static std::vector<TCustomForm*> list;
  return list;
}

std::vector<HWND>& HookedList() {
  static std::vector<HWND> list;
  return list;
}

// Our window: a framework control that is being destroyed gets nothing.
bool MayReceive(HWND wnd) {
  if (!wnd || !IsWindow(wnd)) return false;
  TWinControl* c = FindControl(wnd);
  return !c || !BeingDestroyed(c);
}

// Direct dispatch into a control's handler; a fault is reported like one in a window procedure.
void DispatchDirect(TControl* target, TMessage& message) {
  TInFlightScope scope(&message, message.Msg, message.WParam, message.LParam);
  try {
    target->Dispatch(message);
  } catch (...) {
    HandleBoundaryException(target);
  }
}

LRESULT SendToWindow(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!MayReceive(wnd)) return 0;
  // Our own control: its handler at once, as the system would call it,
  // without the trip through the window manager and the message hooks.
  if (TWinControl* c = FindDirectControl(wnd)) {
    TMessage m{msg, wParam, lParam, 0};
    DispatchDirect(c, m);
    return m.Result;
  }
  if (GetWindowThreadProcessId(wnd, nullptr) != GetCurrentThreadId()) {
    // A window of another thread or program: never wait on a hung one.
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(wnd, msg, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &result)) return 0;
    return LRESULT(result);
  }
  TInFlightScope scope(nullptr, msg, wParam, lParam);
  return SendMessageW(wnd, msg, wParam, lParam);
}

bool IsMdiChild(TCustomForm* form) {
  return form->HandleAllocated() && (GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_MDICHILD) != 0;
}

HWND MdiClientOf(TCustomForm* form) {
  if (!form->HandleAllocated()) return nullptr;
  return FindWindowExW(form->Handle(), nullptr, L"MDIClient", nullptr);
}

void DeliverToForm(TCustomForm* form, TMessage& message) {
  TFreeWatch watch(form);
  if (form->HandleAllocated()) SendToWindow(form->Handle(), message.Msg, message.WParam, message.LParam);
  if (watch.Gone()) return;
  BroadcastToControls(form, message);
  if (watch.Gone()) return;
  if (HWND client = MdiClientOf(form)) SendToWindow(client, message.Msg, message.WParam, message.LParam);
}

}  // namespace

TMessage MakeSkinCommand(int code, int arg, LPARAM lParam) {
  TMessage m;
  m.Msg = SM_SKINCMD;
  m.WParam = WPARAM(MAKELONG(WORD(arg), WORD(code)));
  m.LParam = lParam;
  return m;
}

LRESULT SendSkinCommand(TControl* target, int code, int arg, LPARAM lParam) {
  if (!target || BeingDestroyed(target)) return 0;
  TMessage m = MakeSkinCommand(code, arg, lParam);
  if (auto* w = dynamic_cast<TWinControl*>(target)) {
    if (!w->HandleAllocated()) return 0;
    return SendToWindow(w->Handle(), m.Msg, m.WParam, m.LParam);
  }
  DispatchDirect(target, m);
  return m.Result;
}

LRESULT SendSkinCommand(HWND wnd, int code, int arg, LPARAM lParam) {
  TMessage m = MakeSkinCommand(code, arg, lParam);
  return SendToWindow(wnd, m.Msg, m.WParam, m.LParam);
}

bool IsSkinAware(HWND wnd) { return SendSkinCommand(wnd, SKC_ISSKINNED) == 1; }

void BroadcastToForms(TMessage& message) {
  if (Application) {
    for (int i = Application->ComponentCount() - 1; i >= 0; --i) {
      // Components went away during the delivery: it ends here.
      if (i >= Application->ComponentCount()) return;
      auto* form = dynamic_cast<TCustomForm*>(Application->Components(i));
      if (!form || IsMdiChild(form) || form->IsDestroying() || form->IsLoading()) continue;
      if (form->HandleAllocated() && IsSkinAware(form->Handle())) continue;  // reached through the list below
      DeliverToForm(form, message);
    }
  }
  auto& forms = FormList();
  for (size_t i = 0; i < forms.size(); ++i)
    if (!forms[i]->IsDestroying()) DeliverToForm(forms[i], message);
  auto& hooked = HookedList();
  for (size_t i = 0; i < hooked.size(); ++i)
    if (IsWindow(hooked[i]) && IsWindowVisible(hooked[i]))
      SendToWindow(hooked[i], message.Msg, message.WParam, message.LParam);
}

void BroadcastToControls(TWinControl* parent, TMessage& message) {
  if (!parent) return;
  TFreeWatch watch(parent);
  for (int i = 0; !watch.Gone() && i < parent->ControlCount(); ++i) {
    TControl* child = parent->Controls(i);
    if (BeingDestroyed(child)) return;
    auto* w = dynamic_cast<TWinControl*>(child);
    if (!w || !w->HandleAllocated())
      DispatchDirect(child, message);
    else if (IsSkinAware(w->Handle()))
      SendToWindow(w->Handle(), message.Msg, message.WParam, message.LParam);
    else
      BroadcastToControls(w, message);  // skinned controls inside plain containers
  }
}

void SendToChildWindows(HWND wnd, TMessage& message) {
  if (!wnd || !IsWindow(wnd)) return;
  // Collected first: receivers may create or destroy windows.
  std::vector<HWND> children;
  for (HWND c = GetWindow(wnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
  for (HWND c : children)
    if (IsWindow(c) && GetParent(c) == wnd) SendToWindow(c, message.Msg, message.WParam, message.LParam);
}

void RegisterSkinnedForm(TCustomForm* form) {
  auto& list = FormList();
  if (form && std::find(list.begin(), list.end(), form) == list.end()) list.push_back(form);
}

void UnregisterSkinnedForm(TCustomForm* form) {
  auto& list = FormList();
  list.erase(std::remove(list.begin(), list.end(), form), list.end());
}

const std::vector<TCustomForm*>& SkinnedForms() { return FormList(); }

void RegisterHookedWindow(HWND wnd) {
  auto& list = HookedList();
  if (wnd && std::find(list.begin(), list.end(), wnd) == list.end()) list.push_back(wnd);
}

void UnregisterHookedWindow(HWND wnd) {
  auto& list = HookedList();
  list.erase(std::remove(list.begin(), list.end(), wnd), list.end());
}

bool IsTrustedSkinCommand(const TMessage& message) {
  if (message.Msg != SM_SKINCMD) return false;
  const auto& inFlight = ThreadState().InFlight;
  if (inFlight.empty()) return false;
  const TInFlight& top = inFlight.back();
  if (top.Direct) return top.Direct == &message;
  return top.Msg == message.Msg && top.WParam == message.WParam && top.LParam == message.LParam &&
         top.SendState == CurrentSendState();
}

LPARAM TrustedSkinPointer(const TMessage& message) {
  if (!SkinCommandCarriesPointer(SkinCommandCode(message)) || !IsTrustedSkinCommand(message)) return 0;
  return message.LParam;
}
