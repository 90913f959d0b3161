// What the splash thread looks for when it is to give way to the application's first window.
//
//   if (applicationShowsWindow(GetCurrentProcessId(), splash)) ...   // close the splash
#pragma once

#include <windows.h>

// A visible top-level window other than `splash` and the windows `splash` owns (the launcher's own
// message boxes).
bool isApplicationWindow(HWND window, HWND splash);

// True when process `processId` shows such a window: one walk over the desktop's top-level windows.
bool applicationShowsWindow(DWORD processId, HWND splash);
