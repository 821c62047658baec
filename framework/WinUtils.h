// Win32 helpers of the framework: UTF-16 at the boundary, GDI handle owners,
// window-procedure thunks, and the exception boundary.
#pragma once
// The core types go first: the system headers define macros over some of their names.
#include "framework/core/SysUtils.h"
#include "framework/core/Types.h"
#include "framework/Messages.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include <windows.h>

class TObject;

std::wstring ToWide(std::string_view s);
String FromWide(std::wstring_view s);
String FromWide(const wchar_t* s);

// The running program file and its folder (with trailing separator).
String ExeFileName();
String ExeFilePath();

// The message of the last Win32 error, for exception texts.
String SysErrorMessage(DWORD code);

// Width and height of one line of text in a font, measured on the screen.
SIZE SingleLineTextSize(HFONT font, std::wstring_view text);

// GDI objects that went through TGdiHandle: created, deleted, and deletes the
// system refused (it refuses to delete an object still selected into a DC).
struct TGdiCounters {
  long Created = 0;
  long Deleted = 0;
  long FailedDeletes = 0;
};
const TGdiCounters& GdiCounters();
void NoteGdiCreated(const void* handle);
void NoteGdiDeleted(bool ok);

// Device contexts the framework holds right now (memory DCs, window DCs of
// canvases); the system's own count is not available everywhere.
long LiveDeviceContexts();
void NoteDCAcquired(HDC dc);
void NoteDCReleased(HDC dc);

// Owns one GDI object (font, brush, pen, bitmap, region) and deletes it. Move-only.
template <class H>
class TGdiHandle {
public:
  TGdiHandle() = default;
  explicit TGdiHandle(H h) : FHandle(h) { NoteGdiCreated(h); }
  ~TGdiHandle() { Reset(); }
  TGdiHandle(TGdiHandle&& o) noexcept : FHandle(std::exchange(o.FHandle, nullptr)) {}
  TGdiHandle& operator=(TGdiHandle&& o) noexcept {
    if (this != &o) Replace(std::exchange(o.FHandle, nullptr), false);
    return *this;
  }
  TGdiHandle(const TGdiHandle&) = delete;
  TGdiHandle& operator=(const TGdiHandle&) = delete;

  H Get() const { return FHandle; }
  explicit operator bool() const { return FHandle != nullptr; }
  // Deletes the owned object and takes h, a newly created one.
  void Reset(H h = nullptr) { Replace(h, true); }
  H Release() { return std::exchange(FHandle, nullptr); }

private:
  void Replace(H h, bool fresh) {
    if (FHandle) NoteGdiDeleted(DeleteObject(FHandle) != 0);
    FHandle = h;
    if (fresh) NoteGdiCreated(h);
  }
  H FHandle = nullptr;
};

using TFontHandle = TGdiHandle<HFONT>;
using TBrushHandle = TGdiHandle<HBRUSH>;
using TPenHandle = TGdiHandle<HPEN>;
using TBitmapHandle = TGdiHandle<HBITMAP>;
using TRegionHandle = TGdiHandle<HRGN>;

// A memory DC, deleted with its owner. Objects selected into it must be
// deselected by whoever selected them before the owner goes.
class TMemoryDC {
public:
  explicit TMemoryDC(HDC compatible = nullptr) : FDC(CreateCompatibleDC(compatible)) { NoteDCAcquired(FDC); }
  ~TMemoryDC() {
    if (FDC) {
      DeleteDC(FDC);
      NoteDCReleased(FDC);
    }
  }
  TMemoryDC(TMemoryDC&& o) noexcept : FDC(std::exchange(o.FDC, nullptr)) {}
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC Get() const { return FDC; }

private:
  HDC FDC;
};

// GetDC/ReleaseDC pair (nullptr window = the screen).
class TWindowDC {
public:
  explicit TWindowDC(HWND wnd) : FWnd(wnd), FDC(GetDC(wnd)) { NoteDCAcquired(FDC); }
  ~TWindowDC() {
    if (FDC) {
      ReleaseDC(FWnd, FDC);
      NoteDCReleased(FDC);
    }
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC Get() const { return FDC; }

private:
  HWND FWnd;
  HDC FDC;
};

// A window procedure that calls a bound object: an executable stub that puts
// `self` in the first argument and jumps to `target`. Move-only; the stub is
// freed with its owner.
class TWndProcThunk {
public:
  using TTarget = LRESULT (*)(void* self, UINT msg, WPARAM wParam, LPARAM lParam);
  TWndProcThunk() = default;
  TWndProcThunk(void* self, TTarget target);
  ~TWndProcThunk();
  TWndProcThunk(TWndProcThunk&& o) noexcept : FCode(std::exchange(o.FCode, nullptr)) {}
  TWndProcThunk& operator=(TWndProcThunk&& o) noexcept;
  TWndProcThunk(const TWndProcThunk&) = delete;
  TWndProcThunk& operator=(const TWndProcThunk&) = delete;
  WNDPROC Proc() const { return reinterpret_cast<WNDPROC>(FCode); }

private:
  void* FCode = nullptr;
};

// A hidden top-level window of class "TPUtilWindow" whose messages go to
// method (timers and other framework services). Exceptions are reported at
// the boundary. Free with DeallocateHWnd.
HWND AllocateHWnd(TWndMethod method);
void DeallocateHWnd(HWND wnd);

// Body of a window procedure whose window keeps a TWndMethod* in
// GWLP_USERDATA: hands it the message, reporting exceptions for sender.
LRESULT DispatchToWndMethod(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, TObject* sender);

// Call only inside a catch block at a boundary into the system (window
// procedure, hook, timer or dialog callback): hands the current exception to
// the application's error report (Application->HandleException) and returns.
void HandleBoundaryException(TObject* sender) noexcept;
