#include "update/restart.h"

#include <windows.h>

#include "support/environment.h"
#include "support/trace.h"
#include "texts/messages.h"
#include "update/restart_guard.h"
#include "update/successor.h"

namespace {

const wchar_t kHistoryVariable[] = L"VORNIC_RESTARTS";

struct Armed {
    int code = 0;
    Text folder;
    EnvironmentCopy environment;
    Text history;
};

// Written once in initialize, before the Java thread exists; read by the exit hook.
Armed g_armed;

long long millisecondsNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const unsigned long long ticks = static_cast<unsigned long long>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
    return static_cast<long long>(ticks / 10000);
}

}  // namespace

void armRestart(int restartExitCode) {
    Text history;
    readEnvironment(kHistoryVariable, history);
    // The application and the programs it starts are no restart.
    SetEnvironmentVariableW(kHistoryVariable, nullptr);
    if (restartExitCode == 0) return;
    g_armed.code = restartExitCode;
    g_armed.folder = currentFolder();
    g_armed.environment = currentEnvironment();
    g_armed.history = history;
    VORNIC_TRACE(L"Restart Exit Code " + decimalText(restartExitCode) + L": an end with it starts the application again");
}

bool restartIfAsked(int exitCode, bool asService) {
    const Armed* armed = &g_armed;
    if (armed->code == 0 || exitCode != armed->code) return false;
    if (asService) {
        VORNIC_TRACE(L"exit code " + decimalText(exitCode) + L" asks for a restart, which for a service is the service manager's");
        return false;
    }
    Text next;
    if (!allowRestart(armed->history, millisecondsNow(), next)) {
        VORNIC_TRACE(L"restart refused: " + decimalText(kMostRestarts) + L" restarts within " +
                     decimalText(kRestartWindowMilliseconds / 1000) + L" seconds already");
        showMessageId(kMsgRestartLoop, {kMostRestarts, static_cast<int>(kRestartWindowMilliseconds / 1000)});
        return false;
    }
    DWORD error = 0;
    return startSuccessor(armed->folder, armed->environment, {Text(kHistoryVariable) + L"=" + next}, error);
}
