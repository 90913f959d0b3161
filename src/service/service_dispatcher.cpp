#include "service/service_dispatcher.h"

#include <windows.h>
#include <tlhelp32.h>

#include "service/service_session.h"
#include "settings/ini_file_store.h"
#include "settings/packaged_settings.h"
#include "support/filesystem.h"
#include "support/trace.h"
#include "support/unique_handle.h"

namespace {

// The service's main function has no context argument: the one session of the process is here.
ServiceSession* g_serving = nullptr;

void WINAPI serviceMain(DWORD argc, wchar_t** argv) {
    // An own-process service is given its name as the first argument; "" is what the table holds.
    const wchar_t* name = argc > 0 && argv[0] ? argv[0] : L"";
    traceFormatted(L"started by the service control manager as service \"%s\"", {name});
    g_serving->serve(name);
}

bool readSettings(ServiceSettings& settings) {
    // Quietly: when the executable's path cannot be had, the launch itself says so, once.
    Text iniPath;
    if (!getModulePath(nullptr, iniPath) || !replaceExtension(iniPath, L"ini")) return false;
    const IniFileStore exeFile(iniPath);
    const Text upgradeCode = iniValue(exeFile, Setting::UpgradeCode);
    settings = readServiceSettings(openLayeredStore(iniPath, upgradeCode), exeFile);
    return true;
}

DWORD parentProcessId() {
    // A failed snapshot is INVALID_HANDLE_VALUE, as a failed CreateFile is.
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 0;
    const DWORD self = GetCurrentProcessId();
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == self) return entry.th32ParentProcessID;
    }
    return 0;
}

}  // namespace

bool startedByServiceManager() {
    const DWORD parent = parentProcessId();
    UniqueHandle process(parent ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parent) : nullptr);
    wchar_t image[MAX_PATH * 2];
    DWORD length = static_cast<DWORD>(std::size(image));
    if (!process || !QueryFullProcessImageNameW(process.get(), 0, image, &length)) return false;
    wchar_t system[MAX_PATH];
    const UINT systemLength = GetSystemDirectoryW(system, static_cast<UINT>(std::size(system)));
    if (systemLength == 0 || systemLength >= std::size(system)) return false;
    return equalsNoCase(Text(image, length), Text(system, systemLength) + L"\\services.exe");
}

int runLaunch(Launch launch, FileNaming errorFileNaming) {
    ServiceSettings settings;
    if (!readSettings(settings) || !settings.isService) return launch();

    ServiceSession session(settings, launch, errorFileNaming);
    g_serving = &session;
    wchar_t noName[] = L"";
    const SERVICE_TABLE_ENTRYW table[] = {{noName, serviceMain}, {nullptr, nullptr}};
    // Blocks until the service has reported STOPPED; the launch runs on the manager's thread meanwhile.
    if (StartServiceCtrlDispatcherW(table)) return session.waitForTheEnd();
    const DWORD error = GetLastError();
    g_serving = nullptr;
    // Started from a console, Explorer or a script: the same copy runs as any program.
    traceFormatted(error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT
                       ? L"Application Type service, not started by the service control manager: running as a program"
                       : L"service dispatcher not started (error %u): running as a program",
                   {error});
    return launch();
}
