#include "installed_service.h"

namespace {

constexpr DWORD kScTimeout = 30000;

WText uniqueServiceName() {
    static int count = 0;
    return L"vornic-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++count);
}

}  // namespace

DWORD runSc(const WText& arguments) {
    ChildProcess sc = ChildProcess::start(systemProgram(L"sc.exe"), L"sc " + arguments);
    DWORD code = 0xFFFFFFFF;
    if (!sc.started() || !sc.waitForExit(scaledMilliseconds(kScTimeout), code)) return 0xFFFFFFFF;
    return code;
}

InstalledService::InstalledService(const WText& exe) : name_(uniqueServiceName()) {
    created_ = runSc(L"create " + name_ + L" binPath= \"" + exe + L"\"") == 0;
}

InstalledService::~InstalledService() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = manager ? OpenServiceW(manager, name_.c_str(), SERVICE_ALL_ACCESS) : nullptr;
    if (service) {
        SERVICE_STATUS_PROCESS status{};
        DWORD needed = 0;
        if (QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof(status),
                                 &needed) &&
            status.dwProcessId != 0 && status.dwCurrentState != SERVICE_STOPPED) {
            UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, status.dwProcessId));
            if (process) {
                TerminateProcess(process.get(), 1);
                WaitForSingleObject(process.get(), scaledMilliseconds(kScTimeout));
            }
        }
        DeleteService(service);
        CloseServiceHandle(service);
    }
    if (manager) CloseServiceHandle(manager);
}

bool InstalledService::query(SERVICE_STATUS_PROCESS& status) const {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = manager ? OpenServiceW(manager, name_.c_str(), SERVICE_QUERY_STATUS) : nullptr;
    DWORD needed = 0;
    const bool read = service && QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                                      sizeof(status), &needed);
    if (service) CloseServiceHandle(service);
    if (manager) CloseServiceHandle(manager);
    return read;
}

bool InstalledService::waitForState(DWORD state, SERVICE_STATUS_PROCESS& status, DWORD milliseconds) const {
    WaitingFor marker(L"service " + name_ + L" in state " + std::to_wstring(state));
    return waitUntil([&] { return query(status) && status.dwCurrentState == state; }, scaledMilliseconds(milliseconds),
                     50);
}
