// The main of every Windows test program: GoogleTest's, with a watchdog beside it. A program that
// runs past its limit (VORNIC_WATCHDOG_SECONDS, set shorter than CTest's) prints which test ran, what
// it waited for and the windows on the screen, ends the processes the harness started, and ends
// with a failure: a hang then reads as a message instead of CTest's bare "Timeout".
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "waits.h"

namespace {

std::mutex testMutex;
std::string runningTest;

class RunningTestListener : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo& test) override {
        std::lock_guard<std::mutex> lock(testMutex);
        runningTest = std::string(test.test_suite_name()) + "." + test.name();
    }
    void OnTestEnd(const testing::TestInfo&) override {
        std::lock_guard<std::mutex> lock(testMutex);
        runningTest.clear();
    }
};

// The exit code of a program the watchdog ended (its low 8 bits reach Linux as 2).
constexpr UINT kWatchdogExit = 0x57D02;

DWORD WINAPI watch(void* parameter) {
    const DWORD seconds = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(parameter));
    Sleep(seconds * 1000);
    std::string test;
    {
        std::lock_guard<std::mutex> lock(testMutex);
        test = runningTest;
    }
    const std::string report = watchdogReport(test, seconds, pendingWaits(), screenWindows());
    std::fputs(report.c_str(), stderr);
    std::fflush(stdout);
    std::fflush(stderr);
    terminateRegisteredChildren();
    // Not ExitProcess: the hung thread may hold a lock that the program's teardown needs.
    TerminateProcess(GetCurrentProcess(), kWatchdogExit);
    return 0;
}

DWORD watchdogSeconds() {
    if (const char* text = std::getenv("VORNIC_WATCHDOG_SECONDS")) {
        const long seconds = std::atol(text);
        if (seconds > 0) return static_cast<DWORD>(seconds);
    }
    // Run by hand, outside CTest: below CTest's usual limit of 300 s.
    return 270 * timeFactor();
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new RunningTestListener);
    const DWORD seconds = watchdogSeconds();
    if (HANDLE thread = CreateThread(nullptr, 0, watch, reinterpret_cast<void*>(static_cast<UINT_PTR>(seconds)), 0,
                                     nullptr))
        CloseHandle(thread);
    return RUN_ALL_TESTS();
}
