// Process entry of the launcher.
#include <windows.h>

#include "app/launcher_app.h"
#include "support/trace.h"
#include "support/trace_file.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    startTraceFromEnvironment();
    int exitCode = -1;
    {
        LauncherApp app;
        // Every conversion to narrow text uses the thread's ANSI code page, which follows this locale.
        SetThreadLocale(GetSystemDefaultLCID());
        exitCode = app.initialize() ? app.run() : -1;
    }
    VORNIC_TRACE(L"exit code " + decimalText(exitCode));
    return exitCode;
}
