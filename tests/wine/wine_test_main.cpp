// Entry of the tests that run under Wine: GoogleTest plus a watchdog that
// gives every test a time limit, so a test that waits for ever fails instead.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "wine/support.h"

namespace wine_test {

namespace {

constexpr DWORD kDefaultLimitMs = 60000;

volatile LONG g_testRunning = 0;
volatile DWORD g_testStart = 0;
volatile DWORD g_limitMs = kDefaultLimitMs;
char g_testName[512] = {};

class Watchdog : public testing::EmptyTestEventListener {
 public:
  void OnTestStart(const testing::TestInfo& info) override {
    std::snprintf(g_testName, sizeof(g_testName), "%s.%s", info.test_suite_name(), info.name());
    g_limitMs = kDefaultLimitMs;
    g_testStart = ::GetTickCount();
    ::InterlockedExchange(&g_testRunning, 1);
  }
  void OnTestEnd(const testing::TestInfo&) override {
    ::InterlockedExchange(&g_testRunning, 0);
    // Nothing a test started outlives it.
    KillStartedProcesses();
  }
};

DWORD WINAPI WatchdogThread(void*) {
  while (true) {
    ::Sleep(250);
    if (!g_testRunning || ::GetTickCount() - g_testStart <= g_limitMs) continue;
    // Out of time: end what the test waits for, give it a moment to fail on
    // its own, then end the run. The runner counts the test as failed and
    // runs the remaining tests again.
    std::printf("\n[  TIMEOUT ] %s ran longer than %lu ms\n", g_testName,
                static_cast<unsigned long>(g_limitMs));
    std::fflush(stdout);
    KillStartedProcesses();
    const DWORD grace = ::GetTickCount();
    while (g_testRunning && ::GetTickCount() - grace < 5000) ::Sleep(100);
    if (g_testRunning) {
      std::printf("[  FAILED  ] %s (timeout)\n", g_testName);
      std::fflush(stdout);
      ::TerminateProcess(::GetCurrentProcess(), 3);
    }
  }
  return 0;
}

}  // namespace

void SetTestTimeLimit(DWORD ms) { g_limitMs = ms; }

}  // namespace wine_test

int main(int argc, char** argv) {
  // A crash must end the test, not open a dialog.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new wine_test::Watchdog);
  ::CreateThread(nullptr, 0, wine_test::WatchdogThread, nullptr, 0, nullptr);
  const int result = RUN_ALL_TESTS();
  std::fflush(stdout);
  return result;
}
