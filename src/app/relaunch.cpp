#include <windows.h>

#include "app/command_line.h"
#include "support/unique_handle.h"

int relaunchPairProduct(const Text& pairProduct, bool waitForExitCode) {
    // CreateProcessW may write into the command line it is given, so it gets a copy.
    Text commandLine = GetCommandLineW();
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(pairProduct.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
        return 0;
    }
    UniqueHandle process(started.hProcess);
    UniqueHandle thread(started.hThread);
    if (!waitForExitCode) return 0;
    DWORD exitCode = 0;
    if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.get(), &exitCode)) {
        return 0;
    }
    return static_cast<int>(exitCode);
}
