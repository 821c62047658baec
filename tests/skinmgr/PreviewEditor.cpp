// Plays the external skin editor against the real program: a window titled
// "Quarnel skin editor" that answers the program's greeting, then a live
// switch to a skin folder made here, hostile blocks that must change
// nothing, and the close request.
//
//   preview_editor.exe PROGRAM    (a path of quarnel.exe, Windows or Unix form)
//
// Exit code 0: every check passed; 1: a check failed; 2: could not start.
#include "skin/acSkinPack.h"
#include "skin/sSkinManagerRules.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

HWND Greeted = nullptr;  // the program's window, from its greeting
int Greetings = 0;

LRESULT CALLBACK EditorProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ACPREVIEW_MSG && wParam == acPreviewHello) {
    Greeted = HWND(lParam);
    ++Greetings;
    return 1;
  }
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    Sleep(10);
  } while (GetTickCount() - start < ms);
}

std::wstring WindowsPath(const std::wstring& p) {
  if (p.empty() || p[0] != L'/') return p;
  std::wstring w = L"Z:" + p;
  for (auto& c : w)
    if (c == L'/') c = L'\\';
  return w;
}

// The built-in package unpacked into folder, under another author's name.
bool MakeSkinFolder(const fs::path& folder, std::string& options) {
  std::unique_ptr<TacSkinConvertor> convertor;
  UnpackSkinFile(QN_SOURCE_DIR "/skins/AlterMetro.asz", convertor, true);
  if (!convertor || !convertor->Options) return false;
  fs::create_directories(folder);
  for (int i = 0; i < convertor->ImageCount && i < int(convertor->Files.size()); ++i) {
    TMemoryStream& s = *convertor->Files[size_t(i)].FileStream;
    std::ofstream(folder / convertor->Files[size_t(i)].FileName, std::ios::binary)
        .write(reinterpret_cast<const char*>(s.Memory()), std::streamsize(s.Size()));
  }
  options.assign(reinterpret_cast<const char*>(convertor->Options->Memory()), size_t(convertor->Options->Size()));
  return true;
}

std::string Block(const std::string& name, const std::string& dir, const std::string& options) {
  std::string b(acPreviewBlockSize, '\0');
  for (int i = 0; i < 4; ++i) b[size_t(i)] = char(acPreviewMarker >> (8 * i));
  b.replace(acPreviewNameOffset, std::min(name.size(), acPreviewNameSize), name.substr(0, acPreviewNameSize));
  b.replace(acPreviewDirOffset, std::min(dir.size(), acPreviewDirSize), dir.substr(0, acPreviewDirSize));
  b.replace(acPreviewOptionsOffset, std::min(options.size(), acPreviewOptionsSize),
            options.substr(0, acPreviewOptionsSize));
  return b;
}

LRESULT SendBlock(HWND to, WPARAM wParam, const std::string& block, size_t size, UINT timeoutMs = 10000) {
  COPYDATASTRUCT cds{0, DWORD(size), const_cast<char*>(block.data())};
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(to, WM_COPYDATA, wParam, LPARAM(&cds), SMTO_ABORTIFHUNG, timeoutMs, &result))
    return -1;
  return LRESULT(result);
}

LRESULT Ask(HWND to, WPARAM wParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(to, WM_ACPREVIEW_MSG, wParam, 0, SMTO_ABORTIFHUNG, 5000, &result)) return -1;
  return LRESULT(result);
}

struct TBoxSearch {
  DWORD Pid;
  HWND Found = nullptr;
};

BOOL CALLBACK FindBox(HWND wnd, LPARAM param) {
  auto* s = reinterpret_cast<TBoxSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  wchar_t cls[32] = {};
  GetClassNameW(wnd, cls, 32);
  // The colour chooser is a dialog too; an error box has no edit fields of the chooser's.
  if (pid == s->Pid && std::wstring(cls) == L"#32770" && IsWindowVisible(wnd) && !GetDlgItem(wnd, 0x2c2)) s->Found = wnd;
  return TRUE;
}

int failures = 0;
void Check(bool ok, const char* what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAIL", what);
  failures += !ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return std::fprintf(stderr, "usage: preview_editor PROGRAM\n"), 2;
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  const fs::path work = fs::path(tmp) / ("qn_preview_" + std::to_string(GetCurrentProcessId()));
  fs::create_directories(work);
  const fs::path exe = work / "quarnel.exe";
  if (!CopyFileW(WindowsPath(argv[1]).c_str(), exe.wstring().c_str(), FALSE))
    return std::fprintf(stderr, "preview_editor: cannot copy %ls\n", argv[1]), 2;
  std::string options;
  if (!MakeSkinFolder(work / "skins" / "Preview Skin", options)) return std::fprintf(stderr, "cannot unpack\n"), 2;

  WNDCLASSW wc{};
  wc.lpfnWndProc = EditorProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"QuarnelPreviewEditorTest";
  RegisterClassW(&wc);
  const std::wstring title(PreviewEditorTitle, PreviewEditorTitle + std::strlen(PreviewEditorTitle));
  HWND editor = CreateWindowW(wc.lpszClassName, title.c_str(), WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                              wc.hInstance, nullptr);

  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  std::wstring cmd = L"\"" + exe.wstring() + L"\" /acpreview";
  if (!CreateProcessW(exe.wstring().c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, work.wstring().c_str(), &si,
                      &pi))
    return std::fprintf(stderr, "preview_editor: cannot start the program\n"), 2;

  for (int i = 0; i < 300 && !Greeted; ++i) Pump(100);
  Check(Greeted != nullptr && IsWindow(Greeted), "the program greets the editor with its window");
  Check(Greetings == 1, "one greeting once answered");
  if (Greeted) {
    const std::string dir = (work / "skins").string();
    const std::string good = Block("Preview Skin", dir, options);
    Check(Ask(Greeted, acPreviewAlive) == 1, "answers alive (4) with 1");
    Check(SendBlock(Greeted, 6, good, good.size()) == 0, "a block with wParam 6 is refused");
    Check(SendBlock(Greeted, 7, good, good.size() - 1) == 0, "a short block is refused");
    std::string wrong = good;
    wrong[0] = 1;
    Check(SendBlock(Greeted, 7, wrong, wrong.size()) == 0, "a wrong marker is refused");
    // Broken options in the block: the program reports them in an error box.
    std::string brokenOptions = options;
    const size_t at = brokenOptions.find("SHADOW1OFFSET=1");
    if (at != std::string::npos) brokenOptions.insert(at + 15, "x");
    const std::string broken = Block("Preview Skin", dir, brokenOptions);
    SendBlock(Greeted, 7, broken, broken.size(), 1500);
    Pump(300);
    TBoxSearch box{pi.dwProcessId};
    EnumWindows(FindBox, LPARAM(&box));
    Check(box.Found != nullptr, "broken options show an error box");
    if (box.Found) PostMessageW(box.Found, WM_COMMAND, IDOK, 0);
    Pump(500);
    Check(SendBlock(Greeted, 7, good, good.size()) == 1, "the preview block switches the skin");
    Pump(300);
    TBoxSearch search{pi.dwProcessId};
    EnumWindows(FindBox, LPARAM(&search));
    Check(!search.Found, "no error box after the switch");
    Check(Ask(Greeted, acPreviewAlive) == 1, "still alive after the switch");
    Ask(Greeted, acPreviewClose);
    for (int i = 0; i < 50 && IsWindow(Greeted); ++i) Pump(100);
    Check(!IsWindow(Greeted), "close (1) closes the program's window");
  }
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  DestroyWindow(editor);
  std::error_code ec;
  fs::remove_all(work, ec);
  std::printf("preview_editor: %d failure(s)\n", failures);
  return failures ? 1 : 0;
}
