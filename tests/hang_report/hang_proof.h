// What both hanging programs do before they wait for good: say so on standard output, show a window
// and start a child that waits too, so that the report of wine-run has something of each kind to show.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

inline void say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

inline void showProofWindow(const wchar_t* title) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VornicHangProof";
    RegisterClassW(&windowClass);
    CreateWindowExW(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                    nullptr, windowClass.hInstance, nullptr);
}

// hang_child.exe lies beside the program.
inline void startWaitingChild() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring child = self;
    child.erase(child.find_last_of(L'\\') + 1);
    child += L"hang_child.exe";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(child.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        say("hang proof: the child did not start");
        return;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
}

// Dispatches messages (the window stays answerable and mapped) and never returns.
[[noreturn]] inline void waitForever() {
    for (;;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
}
