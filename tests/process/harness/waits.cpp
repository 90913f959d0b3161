#include "waits.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>

#ifndef VORNIC_TIME_FACTOR
#define VORNIC_TIME_FACTOR 1
#endif

namespace {

struct Registry {
    std::mutex mutex;
    unsigned next = 1;
    std::map<unsigned, PendingWait> waits;  // started: milliseconds holds the tick count of the start
    std::vector<HANDLE> children;
};

// Never destroyed: the watchdog may read it while the program's statics are being torn down.
Registry& registry() {
    static Registry* instance = new Registry;
    return *instance;
}


BOOL CALLBACK collectScreenWindow(HWND window, LPARAM context) {
    if (!IsWindowVisible(window)) return TRUE;
    ScreenWindow seen;
    wchar_t text[256] = {};
    // SendMessageTimeout: the window's thread may be the hung one, and GetWindowText would wait on it.
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 500, &copied))
        seen.title.assign(text, std::min<size_t>(copied, 255));
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, 256);
    seen.className.assign(name, length > 0 ? static_cast<size_t>(length) : 0);
    seen.threadId = GetWindowThreadProcessId(window, &seen.processId);
    reinterpret_cast<std::vector<ScreenWindow>*>(context)->push_back(seen);
    return TRUE;
}

}  // namespace

DWORD timeFactor() {
    // The environment may raise the build's own factor, as on a machine slower than the usual.
    static const DWORD factor = [] {
        DWORD value = VORNIC_TIME_FACTOR;
        if (const char* text = std::getenv("VORNIC_TIME_FACTOR")) {
            const long given = std::atol(text);
            if (given > static_cast<long>(value)) value = static_cast<DWORD>(given);
        }
        return value < 1 ? 1 : value;
    }();
    return factor;
}

DWORD scaledMilliseconds(DWORD milliseconds) { return milliseconds * timeFactor(); }

bool waitUntil(const std::function<bool()>& done, DWORD milliseconds, DWORD interval) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= milliseconds) return false;
        Sleep(interval);
    }
}

bool waitPumping(const std::function<bool()>& done, DWORD milliseconds, DWORD interval) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) return true;
        const DWORD waited = GetTickCount() - start;
        if (waited >= milliseconds) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min(interval, milliseconds - waited), QS_ALLINPUT);
    }
}

WaitingFor::WaitingFor(std::wstring what) {
    Registry& all = registry();
    std::lock_guard<std::mutex> lock(all.mutex);
    id_ = all.next++;
    all.waits[id_] = PendingWait{std::move(what), GetCurrentThreadId(), GetTickCount()};
}

WaitingFor::~WaitingFor() {
    Registry& all = registry();
    std::lock_guard<std::mutex> lock(all.mutex);
    all.waits.erase(id_);
}

std::vector<PendingWait> pendingWaits() {
    Registry& all = registry();
    std::lock_guard<std::mutex> lock(all.mutex);
    std::vector<PendingWait> waits;
    const DWORD now = GetTickCount();
    for (const auto& entry : all.waits) {
        PendingWait wait = entry.second;
        wait.milliseconds = now - wait.milliseconds;
        waits.push_back(wait);
    }
    return waits;
}

std::vector<ScreenWindow> screenWindows() {
    std::vector<ScreenWindow> windows;
    EnumWindows(collectScreenWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::string watchdogReport(const std::string& test, DWORD limitSeconds, const std::vector<PendingWait>& waits,
                           const std::vector<ScreenWindow>& windows) {
    std::string report = "watchdog: the program ran past its limit of " + std::to_string(limitSeconds) + " s\n";
    report += "watchdog: running test: " + (test.empty() ? std::string("(none)") : test) + "\n";
    if (waits.empty()) report += "watchdog: waiting for nothing the harness knows of\n";
    for (const PendingWait& wait : waits) {
        report += "watchdog: waiting for " + utf8Of(wait.what) + " (thread " + std::to_string(wait.threadId) + ", for " +
                  std::to_string(wait.milliseconds) + " ms)\n";
    }
    report += "watchdog: " + std::to_string(windows.size()) + " visible top-level windows\n";
    for (const ScreenWindow& window : windows) {
        report += "watchdog:   class \"" + utf8Of(window.className) + "\" title \"" + utf8Of(window.title) + "\" thread " +
                  std::to_string(window.threadId) + " process " + std::to_string(window.processId) + "\n";
    }
    return report;
}

void registerChild(HANDLE process) {
    Registry& all = registry();
    std::lock_guard<std::mutex> lock(all.mutex);
    all.children.push_back(process);
}

void unregisterChild(HANDLE process) {
    Registry& all = registry();
    std::lock_guard<std::mutex> lock(all.mutex);
    all.children.erase(std::remove(all.children.begin(), all.children.end(), process), all.children.end());
}

void terminateRegisteredChildren() {
    Registry& all = registry();
    std::lock_guard<std::mutex> lock(all.mutex);
    for (HANDLE process : all.children) TerminateProcess(process, 0xDEAD);
}

std::string utf8Of(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}
