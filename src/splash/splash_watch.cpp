#include "splash/splash_watch.h"

namespace {

struct WindowSearch {
    DWORD process;
    HWND splash;
    bool found;
};

BOOL CALLBACK findApplicationWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || !isApplicationWindow(window, search->splash)) return TRUE;
    search->found = true;
    return FALSE;
}

}  // namespace

bool isApplicationWindow(HWND window, HWND splash) {
    if (!window || window == splash || !IsWindowVisible(window)) return false;
    if (GetAncestor(window, GA_PARENT) != GetDesktopWindow()) return false;  // a child, not a top-level window
    return !splash || GetWindow(window, GW_OWNER) != splash;
}

bool applicationShowsWindow(DWORD processId, HWND splash) {
    WindowSearch search{processId, splash, false};
    EnumWindows(findApplicationWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
