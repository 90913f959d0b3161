#include "process_identity.h"

#include <windows.h>

#include "record.h"

namespace standin {

namespace {

// Resolved at run time: these calls exist only on newer Windows, and the stand-in must load everywhere
// a runtime would.
using GetThreadContextFunction = HANDLE(WINAPI*)();
using GetWindowContextFunction = HANDLE(WINAPI*)(HWND);
using AwarenessFromContextFunction = int(WINAPI*)(HANDLE);
using ContextsEqualFunction = BOOL(WINAPI*)(HANDLE, HANDLE);
using GetProcessAwarenessFunction = HRESULT(WINAPI*)(HANDLE, int*);
using GetAppIdFunction = HRESULT(WINAPI*)(PWSTR*);
using FreeFunction = void(WINAPI*)(void*);

const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));

template <typename Function>
Function procedure(const wchar_t* library, const char* name) {
    const HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

std::string awarenessName(int awareness) {
    switch (awareness) {
        case 0:
            return "unaware";
        case 1:
            return "system";
        case 2:
            return "per-monitor";
    }
    return "invalid " + std::to_string(awareness);
}

// The name of a DPI awareness context, as the calls that name one are found on this system.
std::string contextName(HANDLE context, AwarenessFromContextFunction awarenessOf) {
    const auto equal = procedure<ContextsEqualFunction>(L"user32.dll", "AreDpiAwarenessContextsEqual");
    if (equal && equal(context, kPerMonitorAwareV2)) return "per-monitor v2";
    return awarenessName(awarenessOf(context));
}

struct WindowSearch {
    const wchar_t* className;
    HWND found = nullptr;
};

BOOL CALLBACK findOwnWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[256] = {};
    if (process != GetCurrentProcessId() || !GetClassNameW(window, className, 256) ||
        lstrcmpW(className, search->className) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

std::string dpiAwarenessOfOwnWindow(const wchar_t* className) {
    WindowSearch search{className};
    EnumWindows(findOwnWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found) return "";
    const auto windowContext = procedure<GetWindowContextFunction>(L"user32.dll", "GetWindowDpiAwarenessContext");
    const auto awarenessOf = procedure<AwarenessFromContextFunction>(L"user32.dll", "GetAwarenessFromDpiAwarenessContext");
    if (!windowContext || !awarenessOf) return "unavailable";
    return contextName(windowContext(search.found), awarenessOf);
}

std::string dpiAwarenessOfThisThread() {
    const auto threadContext = procedure<GetThreadContextFunction>(L"user32.dll", "GetThreadDpiAwarenessContext");
    const auto awarenessOf = procedure<AwarenessFromContextFunction>(L"user32.dll", "GetAwarenessFromDpiAwarenessContext");
    if (threadContext && awarenessOf) {
        return contextName(threadContext(), awarenessOf);
    }
    // Windows 8.1: the process's awareness, which is every thread's there.
    const auto processAwareness = procedure<GetProcessAwarenessFunction>(L"shcore.dll", "GetProcessDpiAwareness");
    int awareness = -1;
    if (processAwareness && processAwareness(nullptr, &awareness) == S_OK) return awarenessName(awareness);
    return "unavailable";
}

std::string appUserModelIdOfProcess() {
    const auto get = procedure<GetAppIdFunction>(L"shell32.dll", "GetCurrentProcessExplicitAppUserModelID");
    if (!get) return "unavailable";
    PWSTR id = nullptr;
    const HRESULT result = get(&id);
    if (result == E_NOTIMPL) return "unavailable";
    if (result != S_OK || !id) return "none";
    const std::string text = toUtf8(std::wstring(id));
    if (const auto free = procedure<FreeFunction>(L"ole32.dll", "CoTaskMemFree")) free(id);
    return text;
}

}  // namespace standin
