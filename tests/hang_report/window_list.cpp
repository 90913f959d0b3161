// Lists the visible top-level windows of the Wine session it runs in, as Windows sees them: class,
// title, process (id and program) and thread, and whether the window answers. wine-run runs it when a
// program passes its limit; the display's own list cannot tell a window's class.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

std::map<DWORD, std::wstring> programs;

void print(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    std::fputs(out.c_str(), stdout);
}

BOOL CALLBACK listWindow(HWND window, LPARAM) {
    if (!IsWindowVisible(window)) return TRUE;
    wchar_t title[256] = {};
    DWORD_PTR copied = 0;
    // The window's thread may be the hung one: ask with a bound.
    const bool answers =
        SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(title), SMTO_ABORTIFHUNG, 500, &copied);
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(window, &process);
    print(L"window class \"" + std::wstring(name) + L"\" title \"" + std::wstring(title) + L"\" process " +
          std::to_wstring(process) + L" " + programs[process] + L" thread " + std::to_wstring(thread) +
          (answers ? L"" : L" (does not answer)") + L"\n");
    return TRUE;
}

}  // namespace

int main() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
            programs[entry.th32ProcessID] = entry.szExeFile;
        CloseHandle(snapshot);
    }
    EnumWindows(listWindow, 0);
    return 0;
}
