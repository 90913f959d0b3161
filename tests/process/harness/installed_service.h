// A service registered with the system's service control manager through sc.exe, for tests that run
// a packaged copy as a service (under Wine: its services manager).
//
//   const InstalledService service(exe);
//   ASSERT_TRUE(service.created());
//   ASSERT_EQ(runSc(L"start " + service.name()), 0u);
//   ASSERT_TRUE(service.waitForState(SERVICE_RUNNING, status));
#pragma once

#include <windows.h>

#include "harness.h"

// sc.exe with `arguments`; its exit code, or -1 when it did not end in time.
DWORD runSc(const WText& arguments);

// A service created with "sc create" for the life of the object, under a name no other test program
// running beside this one uses. However the test ends, the service is deleted and its process, should
// it still run, is ended: a leftover would run on in the prefix that every later test shares.
class InstalledService {
public:
    explicit InstalledService(const WText& exe);
    ~InstalledService();
    InstalledService(const InstalledService&) = delete;
    InstalledService& operator=(const InstalledService&) = delete;

    bool created() const { return created_; }
    const WText& name() const { return name_; }

    bool query(SERVICE_STATUS_PROCESS& status) const;
    // Waits until the service reports `state` (`milliseconds` scaled); the last status read is left
    // in `status`.
    bool waitForState(DWORD state, SERVICE_STATUS_PROCESS& status, DWORD milliseconds = 30000) const;

private:
    WText name_;
    bool created_ = false;
};
