// Turns a hung GUI test into a prompt failure that names the test: under a
// virtual display a missed dialog would otherwise wait until CTest kills the
// whole executable, with no hint of where it stopped.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace {

class TWatchdog : public testing::EmptyTestEventListener {
public:
  explicit TWatchdog(std::chrono::seconds limit) : FLimit(limit), FThread([this] { Run(); }) {}
  ~TWatchdog() override {
    {
      std::lock_guard<std::mutex> lock(FMutex);
      FQuit = true;
    }
    FWake.notify_all();
    FThread.join();
  }

  void OnTestStart(const testing::TestInfo& info) override {
    std::lock_guard<std::mutex> lock(FMutex);
    FCurrent = std::string(info.test_suite_name()) + "." + info.name();
    FDeadline = std::chrono::steady_clock::now() + FLimit;
    FArmed = true;
    FWake.notify_all();
  }

  void OnTestEnd(const testing::TestInfo&) override {
    std::lock_guard<std::mutex> lock(FMutex);
    FArmed = false;
  }

private:
  void Run() {
    std::unique_lock<std::mutex> lock(FMutex);
    while (!FQuit) {
      if (!FArmed) {
        FWake.wait(lock);
        continue;
      }
      if (FWake.wait_until(lock, FDeadline) == std::cv_status::timeout && FArmed &&
          std::chrono::steady_clock::now() >= FDeadline) {
        std::fprintf(stderr, "\n[  HUNG    ] %s did not finish within %lld s\n", FCurrent.c_str(),
                     static_cast<long long>(FLimit.count()));
        std::fflush(stderr);
        std::fflush(stdout);
        std::_Exit(3);
      }
    }
  }

  std::chrono::seconds FLimit;
  std::mutex FMutex;
  std::condition_variable FWake;
  std::string FCurrent;
  std::chrono::steady_clock::time_point FDeadline;
  bool FArmed = false;
  bool FQuit = false;
  std::thread FThread;
};

// Installed before main runs; GoogleTest owns and frees the listener.
const bool Installed = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new TWatchdog(std::chrono::seconds(90)));
  return true;
}();

}  // namespace
