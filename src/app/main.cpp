// Process entry of the launcher.
#include <windows.h>

#include "app/launcher_app.h"
#include "support/system_libraries.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    pinSystemLibraries();
    int exitCode = -1;
    {
        LauncherApp app;
        // Every conversion to narrow text uses the thread's ANSI code page, which follows this locale.
        SetThreadLocale(GetSystemDefaultLCID());
        exitCode = app.initialize() ? app.run() : -1;
    }
    return exitCode;
}
