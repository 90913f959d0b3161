// Process entry of the launcher.
#include <windows.h>

#include "app/launcher_app.h"
#include "service/service_dispatcher.h"
#include "support/trace.h"
#include "support/trace_file.h"

namespace {

// Every conversion to narrow text uses the thread's ANSI code page, which follows this locale; a
// service launches on a thread of the service control manager's, not on this one.
void useSystemLocale() { SetThreadLocale(GetSystemDefaultLCID()); }

int launch() {
    LauncherApp app;
    useSystemLocale();
    return app.initialize() ? app.run() : -1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    startTraceFromEnvironment();
    useSystemLocale();
    const int exitCode = runLaunch(launch);
    VORNIC_TRACE(L"exit code " + decimalText(exitCode));
    return exitCode;
}
