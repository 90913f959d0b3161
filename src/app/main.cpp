// Process entry of the launcher.
#include <windows.h>

#include "app/launcher_app.h"
#include "jvm/system_redirection_platform.h"
#include "service/service_dispatcher.h"
#include "support/trace.h"
#include "support/trace_file.h"
#include "update/staged_update.h"
#include "update/successor.h"

namespace {

// Every conversion to narrow text uses the thread's ANSI code page, which follows this locale; a
// service launches on a thread of the service control manager's, not on this one.
void useSystemLocale() { SetThreadLocale(GetSystemDefaultLCID()); }

int launch() {
    int exitCode = -1;
    {
        LauncherApp app;
        useSystemLocale();
        reportUndoneUpdate();
        exitCode = app.initialize() ? app.run() : -1;
    }
    return endOfLaunch(exitCode);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    startTraceFromEnvironment();
    // A restart or an update hands on to a new process, which starts once this one has ended.
    awaitPredecessor();
    int exitCode = 0;
    if (!updateAtStart(exitCode, startedByServiceManager)) {
        VORNIC_TRACE(L"exit code " + decimalText(exitCode) + L": the start goes on in a new process");
        return exitCode;
    }
    useSystemLocale();
    exitCode = runLaunch(launch, expandedRedirectionFile);
    VORNIC_TRACE(L"exit code " + decimalText(exitCode));
    return exitCode;
}
