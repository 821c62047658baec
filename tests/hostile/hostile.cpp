// A hostile neighbour: another program on the same desktop that throws the
// skin engine's private messages at every window of a target process, by
// send and by post, with garbage and crafted parameters, and then checks
// that the target is still alive and answering.
//
//   hostile.exe --pid N [--seed S]        attack a running process
//   hostile.exe --start PROGRAM [--seed S] start PROGRAM, attack it, end it
//
// Exit code 0: the target survived every step and passed every check;
// 1: a check failed; 2: bad arguments or the target could not be found.
//
// Steps and checks are tables: add a row to Steps (sent in order) or Checks
// (run after all steps, each names what it looks at).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr UINT SkinCommandMsg = 0xA100;
constexpr UINT PreviewMsg = 0xA400;
constexpr int LastSkinCode = 70;
constexpr int LastPreviewArg = 10;
constexpr DWORD PreviewMarker = 0x0000A400;
constexpr DWORD PreviewBlockSize = 30646;
constexpr UINT SendTimeoutMs = 1000;
constexpr int MaxTimeouts = 3;  // more than this: the target no longer answers

struct TTarget {
  DWORD Pid = 0;
  HANDLE Process = nullptr;
  std::vector<HWND> Windows;   // all its windows, top-level and child, as last enumerated
  std::vector<HWND> Initial;   // all its windows when the attack began
  std::vector<HWND> TopLevel;  // its top-level windows when the attack began
};

struct TRun {
  std::mt19937_64 Rng;
  int Sent = 0, Posted = 0, Timeouts = 0;
  bool Stopped = false;  // the target stopped answering: later steps are skipped
};

// ---- Windows of the target ------------------------------------------------

BOOL CALLBACK CollectChild(HWND wnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(wnd);
  return TRUE;
}

struct TEnum {
  DWORD Pid;
  std::vector<HWND>* TopLevel;
};

BOOL CALLBACK CollectTop(HWND wnd, LPARAM param) {
  auto* e = reinterpret_cast<TEnum*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  if (pid == e->Pid) e->TopLevel->push_back(wnd);
  return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD pid) {
  std::vector<HWND> top;
  TEnum e{pid, &top};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&e));
  return top;
}

// Every top-level window of the process and all their descendants.
std::vector<HWND> AllWindows(DWORD pid) {
  std::vector<HWND> all = TopLevelWindows(pid);
  size_t top = all.size();
  for (size_t i = 0; i < top; ++i) EnumChildWindows(all[i], CollectChild, reinterpret_cast<LPARAM>(&all));
  return all;
}

bool ProcessAlive(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

// ---- Delivery ----------------------------------------------------------------

void Send(TRun& run, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (run.Stopped) return;
  DWORD_PTR result = 0;
  SetLastError(0);
  if (!SendMessageTimeoutW(wnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, SendTimeoutMs, &result) &&
      GetLastError() == ERROR_TIMEOUT && IsWindow(wnd)) {
    if (++run.Timeouts > MaxTimeouts) run.Stopped = true;
  }
  ++run.Sent;
}

void Post(TRun& run, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (run.Stopped) return;
  if (PostMessageW(wnd, msg, wParam, lParam)) ++run.Posted;
}

// Lets the target drain what was posted before the next batch (its queue is finite).
void Drain(TRun& run, const TTarget& target) {
  for (HWND w : target.TopLevel)
    if (IsWindow(w)) Send(run, w, WM_NULL, 0, 0);
  Sleep(5);
}

// ---- Parameters ----------------------------------------------------------------

int OwnStatic = 0x5A5A5A5A;

// Values a careless receiver would read or write through: small integers, all
// ones, addresses that are valid only in this program, the usual image base of
// a 64-bit program (valid but read-only in the target), and high addresses.
std::vector<LPARAM> CraftedLParams(TRun& run) {
  static std::vector<char> heap(256, 'x');
  int onStack = 0;
  std::vector<LPARAM> v = {
      0, 1, 2, 3, 4, 16, 255, 0xFFFF, 0x10000, 0x7FFFFFFF, LPARAM(0xFFFFFFFFu), LPARAM(-1),
      reinterpret_cast<LPARAM>(&onStack), reinterpret_cast<LPARAM>(heap.data()),
      reinterpret_cast<LPARAM>(&OwnStatic), reinterpret_cast<LPARAM>(&CraftedLParams),
      LPARAM(0x140000000ull), LPARAM(0x140001000ull), LPARAM(0x00007FFFFFFF0000ull),
      LPARAM(0xFFFF800000000000ull), LPARAM(0x8000000000000000ull)};
  v.push_back(LPARAM(run.Rng()));
  v.push_back(LPARAM(run.Rng() & 0xFFFFFFFFu));
  return v;
}

WPARAM Command(TRun& run, int code) { return WPARAM(DWORD(code) << 16 | DWORD(run.Rng() & 0xFFFF)); }

// ---- Steps ------------------------------------------------------------------------

// Codes whose LParam a receiver reads or writes through, that hand out
// addresses, or that compare LParam with a manager: every crafted LParam.
bool Dangerous(int code) {
  switch (code) {
    case 1: case 2: case 3: case 4: case 15: case 24: case 26: case 27: case 29: case 30:
    case 34: case 35: case 37: case 38: case 60:
      return true;
    default:
      return false;
  }
}

// Every skin command code to every window by send and by post: the dangerous
// ones with every crafted LParam, the others with a rotating few of them.
void SkinCommandsEverywhere(TTarget& target, TRun& run) {
  constexpr size_t fewSent = 4, fewPosted = 2;
  size_t rotation = 0;
  for (HWND w : target.Windows) {
    for (int code = 0; code <= LastSkinCode; ++code) {
      auto crafted = CraftedLParams(run);
      size_t n = crafted.size();
      size_t count = Dangerous(code) ? n : fewSent;
      for (size_t i = 0; i < count; ++i) Send(run, w, SkinCommandMsg, Command(run, code), crafted[(rotation++) % n]);
      for (size_t i = 0; i < fewPosted; ++i) Post(run, w, SkinCommandMsg, Command(run, code), crafted[run.Rng() % n]);
    }
    Drain(run, target);
  }
}

// The preview message with every argument, sent and posted, with a rotating few LParams.
void PreviewMessagesEverywhere(TTarget& target, TRun& run) {
  constexpr size_t few = 4;
  size_t rotation = 0;
  for (HWND w : target.Windows) {
    for (int arg = 0; arg <= LastPreviewArg; ++arg) {
      auto crafted = CraftedLParams(run);
      for (size_t i = 0; i < few; ++i) {
        LPARAM lp = crafted[(rotation++) % crafted.size()];
        Send(run, w, PreviewMsg, WPARAM(arg), lp);
        Post(run, w, PreviewMsg, WPARAM(arg), lp);
      }
    }
    Drain(run, target);
  }
}

// Data-copy blocks of wrong sizes and markers, no terminators, and one of the
// exact size and marker filled with garbage.
void DataBlocksEverywhere(TTarget& target, TRun& run) {
  const DWORD sizes[] = {0, 1, 3, 4, 8, 100, PreviewBlockSize - 1, PreviewBlockSize, PreviewBlockSize + 1, 65536};
  const DWORD markers[] = {PreviewMarker, 0, 0xA401, 0xFFFFFFFF, 0x00A40000};
  const ULONG_PTR dataKinds[] = {7, 0, PreviewMarker, 0xFFFFFFFF};
  std::vector<BYTE> buffer(65536 + 16);
  for (auto& b : buffer) b = BYTE(run.Rng() | 1);  // never a zero: no terminator anywhere
  for (HWND w : target.Windows) {
    for (DWORD size : sizes)
      for (DWORD marker : markers) {
        if (size >= 4) std::memcpy(buffer.data(), &marker, 4);
        buffer[run.Rng() % buffer.size()] = BYTE(run.Rng() | 1);
        COPYDATASTRUCT cds{dataKinds[run.Rng() % 4], size, size ? buffer.data() : nullptr};
        Send(run, w, WM_COPYDATA, WPARAM(run.Rng() & 1 ? 7 : 0), reinterpret_cast<LPARAM>(&cds));
      }
    Drain(run, target);
  }
}

struct TStep {
  const char* Name;
  void (*Run)(TTarget&, TRun&);
};

const TStep Steps[] = {
    {"skin commands 0..70 with crafted parameters", SkinCommandsEverywhere},
    {"preview message with arguments 0..10", PreviewMessagesEverywhere},
    {"data-copy blocks of wrong sizes and markers", DataBlocksEverywhere},
};

// ---- Checks ------------------------------------------------------------------------

// Each check returns an empty string when it passes, else what went wrong.
std::string AliveCheck(TTarget& target, TRun&) {
  return ProcessAlive(target.Process) ? "" : "the target process ended";
}

std::string AnswersCheck(TTarget& target, TRun&) {
  for (HWND w : target.TopLevel) {
    DWORD_PTR result = 0;
    if (!IsWindow(w)) return "a top-level window is gone";
    if (!SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result))
      return "a top-level window does not answer";
  }
  return "";
}

std::string WindowsKeptCheck(TTarget& target, TRun&) {
  int lost = 0;
  for (HWND w : target.Initial) lost += !IsWindow(w);
  return lost ? std::to_string(lost) + " of its windows were destroyed" : "";
}

struct TCheck {
  const char* Name;
  std::string (*Run)(TTarget&, TRun&);
};

const TCheck Checks[] = {
    {"target process alive", AliveCheck},
    {"top-level windows answer", AnswersCheck},
    {"windows still exist", WindowsKeptCheck},
};

// ---- Start ------------------------------------------------------------------------

// Waits until the process shows a visible top-level window and its window set
// stops changing for half a second.
bool WaitForWindows(const TTarget& target, DWORD timeoutMs) {
  DWORD start = GetTickCount(), stableSince = 0;
  size_t lastCount = 0;
  while (GetTickCount() - start < timeoutMs) {
    if (!ProcessAlive(target.Process)) return false;
    auto all = AllWindows(target.Pid);
    bool visible = false;
    for (HWND w : TopLevelWindows(target.Pid)) visible |= IsWindowVisible(w) != 0;
    if (!visible || all.size() != lastCount) {
      lastCount = all.size();
      stableSince = GetTickCount();
    } else if (GetTickCount() - stableSince >= 500) {
      return true;
    }
    Sleep(50);
  }
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  TTarget target;
  std::wstring program;
  uint64_t seed = GetTickCount64();
  for (int i = 1; i + 1 < argc; i += 2) {
    std::wstring opt = argv[i];
    if (opt == L"--pid") target.Pid = DWORD(wcstoul(argv[i + 1], nullptr, 10));
    else if (opt == L"--start") program = argv[i + 1];
    else if (opt == L"--seed") seed = wcstoull(argv[i + 1], nullptr, 10);
    else return std::fprintf(stderr, "hostile: unknown option %ls\n", opt.c_str()), 2;
  }
  bool byPid = target.Pid != 0, byStart = !program.empty();
  if (byPid == byStart) {
    std::fprintf(stderr, "usage: hostile --pid N | --start PROGRAM [--seed S]\n");
    return 2;
  }
  PROCESS_INFORMATION pi{};
  if (!program.empty()) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring cmd = L"\"" + program + L"\"";
    std::wstring dir = program.substr(0, program.find_last_of(L"\\/") + 1);
    if (!CreateProcessW(program.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.empty() ? nullptr : dir.c_str(), &si, &pi)) {
      std::fprintf(stderr, "hostile: cannot start %ls (error %lu)\n", program.c_str(), GetLastError());
      return 2;
    }
    target.Pid = pi.dwProcessId;
    target.Process = pi.hProcess;
  } else {
    target.Process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, target.Pid);
    if (!target.Process) return std::fprintf(stderr, "hostile: no process %lu\n", target.Pid), 2;
  }
  auto finish = [&](int code) {
    if (pi.hProcess) TerminateProcess(pi.hProcess, 0), WaitForSingleObject(pi.hProcess, 5000);
    if (pi.hThread) CloseHandle(pi.hThread);
    CloseHandle(target.Process);
    return code;
  };
  if (!WaitForWindows(target, 30000)) {
    std::fprintf(stderr, "hostile: process %lu shows no window\n", target.Pid);
    return finish(2);
  }
  target.TopLevel = TopLevelWindows(target.Pid);
  target.Initial = AllWindows(target.Pid);
  std::printf("hostile: target %lu, %zu windows (%zu top-level), seed %llu\n", target.Pid, target.Initial.size(),
              target.TopLevel.size(),
              (unsigned long long)seed);

  TRun run;
  run.Rng.seed(seed);
  for (const TStep& step : Steps) {
    target.Windows = AllWindows(target.Pid);
    DWORD start = GetTickCount();
    step.Run(target, run);
    std::printf("step: %s: %zu windows, %lu ms%s\n", step.Name, target.Windows.size(), GetTickCount() - start,
                run.Stopped ? " (target stopped answering)" : "");
    std::fflush(stdout);
  }
  int failures = 0;
  if (run.Stopped) {
    std::printf("FAIL: the target stopped answering during the attack\n");
    ++failures;
  }
  for (const TCheck& check : Checks) {
    std::string problem = check.Run(target, run);
    std::printf("%s: %s%s\n", problem.empty() ? "ok" : "FAIL", check.Name, problem.empty() ? "" : (": " + problem).c_str());
    failures += !problem.empty();
  }
  std::printf("hostile: %d sent, %d posted, %d timeouts, %d failure(s)\n", run.Sent, run.Posted, run.Timeouts, failures);
  return finish(failures ? 1 : 0);
}
