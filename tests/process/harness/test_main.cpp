// The main of every Windows test program: GoogleTest's, with a watchdog beside it. A program that
// runs past its limit (VORNIC_WATCHDOG_SECONDS, set shorter than CTest's) prints which test ran, what
// it waited for and the windows on the screen, ends the processes the harness started, and ends
// with a failure: a hang then reads as a message instead of CTest's bare "Timeout".
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "waits.h"

namespace {

std::mutex testMutex;
std::string runningTest;
// The running test's name as a line made ahead, so that the watchdog can say it without taking a lock
// or allocating: a hang inside the system may hold the heap's lock or the window manager's.
char runningLine[512] = "watchdog: running test: (none)\n";
std::atomic<std::size_t> runningLineLength{31};

void setRunningLine(const std::string& test) {
    const std::string line = "watchdog: running test: " + (test.empty() ? std::string("(none)") : test) + "\n";
    const std::size_t length = std::min(line.size(), sizeof runningLine);
    runningLineLength = 0;
    std::memcpy(runningLine, line.data(), length);
    runningLineLength = length;
}

class RunningTestListener : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo& test) override {
        std::lock_guard<std::mutex> lock(testMutex);
        runningTest = std::string(test.test_suite_name()) + "." + test.name();
        setRunningLine(runningTest);
    }
    void OnTestEnd(const testing::TestInfo&) override {
        std::lock_guard<std::mutex> lock(testMutex);
        runningTest.clear();
        setRunningLine(runningTest);
    }
};

// The exit code of a program the watchdog ended (its low 8 bits reach Linux as 2).
constexpr UINT kWatchdogExit = 0x57D02;

DWORD WINAPI watch(void* parameter) {
    const DWORD seconds = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(parameter));
    Sleep(seconds * 1000);
    // First what needs no lock: should the full report below block, this line is out.
    static const char kPast[] = "watchdog: past its limit; the full report follows\n";
    DWORD written = 0;
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    WriteFile(error, kPast, sizeof kPast - 1, &written, nullptr);
    WriteFile(error, runningLine, static_cast<DWORD>(runningLineLength.load()), &written, nullptr);
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
    // The display driver is loaded on the first window or screen DC a process asks for. Asked for here,
    // on the main thread, before any test shows a dialog on a thread of its own while this thread
    // looks for it: that is where a test program was once seen to hang with every thread waiting on
    // a lock and no window made.
    if (HDC screen = GetDC(nullptr)) ReleaseDC(nullptr, screen);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new RunningTestListener);
    const DWORD seconds = watchdogSeconds();
    if (HANDLE thread = CreateThread(nullptr, 0, watch, reinterpret_cast<void*>(static_cast<UINT_PTR>(seconds)), 0,
                                     nullptr))
        CloseHandle(thread);
    return RUN_ALL_TESTS();
}
