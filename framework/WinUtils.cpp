#include "framework/WinUtils.h"

#include <cstring>
#include <mutex>
#include <vector>

std::wstring ToWide(std::string_view s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
  std::wstring w(size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), n);
  return w;
}

String FromWide(std::wstring_view s) {
  if (s.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0, nullptr, nullptr);
  String r(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), r.data(), n, nullptr, nullptr);
  return r;
}

String FromWide(const wchar_t* s) { return s ? FromWide(std::wstring_view(s)) : String(); }

String ExeFileName() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), DWORD(buf.size()));
    if (n < buf.size()) {
      buf.resize(n);
      return FromWide(buf);
    }
    if (buf.size() >= 32768) return FromWide(buf);
    buf.resize(buf.size() * 2);
  }
}

String ExeFilePath() { return ExtractFilePath(ExeFileName()); }

SIZE SingleLineTextSize(HFONT font, std::wstring_view text) {
  if (text.empty()) return SIZE{0, 0};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, text.data(), int(text.size()), &r, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return SIZE{r.right, r.bottom};
}

String SysErrorMessage(DWORD code) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  String r = n ? TrimRight(FromWide(std::wstring_view(text, n))) : "System error " + IntToStr(code);
  if (text) LocalFree(text);
  return r;
}

// ---- Thunks --------------------------------------------------------------
// Stubs live in executable pages carved into fixed slots; a free list keeps
// them reusable. Everything runs on the GUI thread, but a mutex keeps a stray
// worker-thread window from corrupting the list.

namespace {

constexpr size_t ThunkSlot = 32;

struct TThunkPool {
  std::mutex Lock;
  std::vector<void*> Free;

  void* Allocate() {
    std::lock_guard<std::mutex> g(Lock);
    if (Free.empty()) {
      SYSTEM_INFO si;
      GetSystemInfo(&si);
      size_t size = si.dwPageSize;
      auto* page = static_cast<uint8_t*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
      if (!page) throw EOutOfResources("Out of memory for window procedure stubs");
      for (size_t off = size; off >= ThunkSlot; off -= ThunkSlot) Free.push_back(page + off - ThunkSlot);
    }
    void* p = Free.back();
    Free.pop_back();
    return p;
  }
  void Release(void* p) {
    std::lock_guard<std::mutex> g(Lock);
    std::memset(p, 0xCC, ThunkSlot);
    Free.push_back(p);
  }
};

TThunkPool& ThunkPool() {
  static TThunkPool* pool = new TThunkPool;  // never freed: stubs may be called during shutdown
  return *pool;
}

}  // namespace

TWndProcThunk::TWndProcThunk(void* self, TTarget target) {
  auto* code = static_cast<uint8_t*>(ThunkPool().Allocate());
  uint64_t s = reinterpret_cast<uint64_t>(self), t = reinterpret_cast<uint64_t>(target);
  // mov rcx, self ; mov rax, target ; jmp rax
  code[0] = 0x48; code[1] = 0xB9; std::memcpy(code + 2, &s, 8);
  code[10] = 0x48; code[11] = 0xB8; std::memcpy(code + 12, &t, 8);
  code[20] = 0xFF; code[21] = 0xE0;
  FlushInstructionCache(GetCurrentProcess(), code, ThunkSlot);
  FCode = code;
}

TWndProcThunk::~TWndProcThunk() {
  if (FCode) ThunkPool().Release(FCode);
}

TWndProcThunk& TWndProcThunk::operator=(TWndProcThunk&& o) noexcept {
  if (this != &o) {
    if (FCode) ThunkPool().Release(FCode);
    FCode = std::exchange(o.FCode, nullptr);
  }
  return *this;
}

// ---- GDI bookkeeping -----------------------------------------------------

namespace {
TGdiCounters GdiCount;
}

const TGdiCounters& GdiCounters() { return GdiCount; }

namespace {
long LiveDCs = 0;
}

long LiveDeviceContexts() { return LiveDCs; }

void NoteDCAcquired(HDC dc) {
  if (dc) ++LiveDCs;
}

void NoteDCReleased(HDC dc) {
  if (dc) --LiveDCs;
}

void NoteGdiCreated(const void* handle) {
  if (handle) ++GdiCount.Created;
}

void NoteGdiDeleted(bool ok) {
  if (ok)
    ++GdiCount.Deleted;
  else
    ++GdiCount.FailedDeletes;
}

// ---- Utility windows -----------------------------------------------------

namespace {

const wchar_t UtilWindowClass[] = L"TPUtilWindow";

LRESULT CALLBACK UtilWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DispatchToWndMethod(wnd, msg, wParam, lParam, nullptr);
}

void RegisterUtilClass() {
  static bool done = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = UtilWindowClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)done;
}

}  // namespace

LRESULT DispatchToWndMethod(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, TObject* sender) {
  auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (!method) return DefWindowProcW(wnd, msg, wParam, lParam);
  TMessage m{msg, wParam, lParam, 0};
  try {
    (*method)(m);
  } catch (...) {
    HandleBoundaryException(sender);
  }
  return m.Result;
}

HWND AllocateHWnd(TWndMethod method) {
  RegisterUtilClass();
  HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, UtilWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  if (!wnd) throw EOutOfResources("Cannot create a utility window: " + SysErrorMessage(GetLastError()));
  if (method) {
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new TWndMethod(std::move(method))));
    SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&UtilWndProc));
  }
  return wnd;
}

void DeallocateHWnd(HWND wnd) {
  if (!wnd || !IsWindow(wnd)) return;
  auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcW));
  SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
  DestroyWindow(wnd);
  delete method;
}
