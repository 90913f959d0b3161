// Bounded waits for the Windows test programs, and what the watchdog reports when one runs too long.
//
//   WaitingFor marker(L"the runtime dialog of " + exe);       // named in the watchdog's report
//   ASSERT_TRUE(waitUntil([&] { return found(); }, scaledMilliseconds(kWindowWait)));
//
// Every wait a test enters ends within a bound scaled by VORNIC_TIME_FACTOR (the x86 build runs
// under emulation). Should a program still not end, the watchdog of its own main prints which test
// ran, the waits then entered and the windows on the screen, ends the processes the harness started
// and ends the program with a failure, well before CTest's own limit.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// How much slower than a native x64 run this build runs (4 under emulation); at least 1.
DWORD timeFactor();
DWORD scaledMilliseconds(DWORD milliseconds);

// The longest a test waits for a window to show: the first window of a new Wine prefix (which
// starts the prefix's desktop process) showed after 0.15 s with two test programs running beside it
// on a loaded machine, later ones in well under that. The bound is far above it, so that only a
// window that never comes reaches it: a wait that may find nothing also ends when the program it
// watches has ended. Scaled by timeFactor().
constexpr DWORD kWindowWaitMilliseconds = 30000;

// Polls `done` every `interval` milliseconds until it holds or `milliseconds` have passed (not
// scaled: the caller scales). True when it held. A look at another process's files or windows
// costs a few calls to the Wine server, many times more under the x86 emulation: a test that
// looks at a hundred a second spends a core's tenth on looking.
bool waitUntil(const std::function<bool()>& done, DWORD milliseconds, DWORD interval = 50);
// As waitUntil, and dispatches this thread's messages between looks: for waits on windows that this
// thread owns or that send it messages.
bool waitPumping(const std::function<bool()>& done, DWORD milliseconds, DWORD interval = 10);

// Marks what the thread is waiting for while it is in scope; the watchdog's report lists them.
class WaitingFor {
public:
    explicit WaitingFor(std::wstring what);
    ~WaitingFor();
    WaitingFor(const WaitingFor&) = delete;
    WaitingFor& operator=(const WaitingFor&) = delete;

private:
    unsigned id_;
};

struct PendingWait {
    std::wstring what;
    DWORD threadId = 0;
    DWORD milliseconds = 0;  // for how long it has waited
};
std::vector<PendingWait> pendingWaits();

struct ScreenWindow {
    std::wstring className;
    std::wstring title;
    DWORD threadId = 0;
    DWORD processId = 0;
};
// The visible top-level windows of every process.
std::vector<ScreenWindow> screenWindows();

// What the watchdog prints: the test, the waits and the windows, one to a line.
std::string watchdogReport(const std::string& test, DWORD limitSeconds, const std::vector<PendingWait>& waits,
                           const std::vector<ScreenWindow>& windows);

// Processes the harness started and has not yet seen end: the watchdog ends them with the program.
void registerChild(HANDLE process);
void unregisterChild(HANDLE process);
void terminateRegisteredChildren();

// UTF-8, to compare wide texts with what records and logs hold, and for the watchdog's report.
std::string utf8Of(const std::wstring& text);
