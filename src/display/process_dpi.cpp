#include "display/process_dpi.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "runtime/runtime_candidates.h"
#include "runtime/system_registry.h"
#include "support/procedure.h"
#include "support/system_libraries.h"
#include "support/trace.h"

namespace {

// The contexts as Windows 10 defines them; the headers declare them only for that target.
using AwarenessContext = HANDLE;
const AwarenessContext kUnaware = reinterpret_cast<AwarenessContext>(static_cast<INT_PTR>(-1));
const AwarenessContext kSystemAware = reinterpret_cast<AwarenessContext>(static_cast<INT_PTR>(-2));
const AwarenessContext kPerMonitorAware = reinterpret_cast<AwarenessContext>(static_cast<INT_PTR>(-3));
const AwarenessContext kPerMonitorAwareV2 = reinterpret_cast<AwarenessContext>(static_cast<INT_PTR>(-4));

using SetProcessContextFunction = BOOL(WINAPI*)(AwarenessContext);
using SetThreadContextFunction = AwarenessContext(WINAPI*)(AwarenessContext);
using SetProcessAwarenessFunction = HRESULT(WINAPI*)(int);  // PROCESS_DPI_AWARENESS
using SetProcessAwareFunction = BOOL(WINAPI*)();

// After the process has taken its awareness, threads keep the process default.
std::atomic<bool> processDecided{false};

// USER32 is imported, so it is loaded; looking it up by name loads nothing new.
HMODULE user32() { return GetModuleHandleW(L"user32.dll"); }

AwarenessContext contextOf(DpiContext context) {
    switch (context) {
        case DpiContext::Unaware:
            return kUnaware;
        case DpiContext::System:
            return kSystemAware;
        case DpiContext::PerMonitor:
            return kPerMonitorAware;
        case DpiContext::PerMonitorV2:
            return kPerMonitorAwareV2;
    }
    return kSystemAware;
}

// Windows 10 1607 and later.
bool setByContext(DpiContext context, DWORD& error) {
    const auto set = procedureOf<SetProcessContextFunction>(user32(), "SetProcessDpiAwarenessContext");
    if (!set) return false;
    if (set(contextOf(context))) return true;
    error = GetLastError();
    return false;
}

// Windows 8.1: no v2. From the system folder only, like every library loaded by name.
bool setThroughShcore(DpiContext context, DWORD& error) {
    if (context == DpiContext::PerMonitorV2) return false;
    const HMODULE shcore = loadSystemLibrary(L"shcore.dll");
    const auto set = procedureOf<SetProcessAwarenessFunction>(shcore, "SetProcessDpiAwareness");
    if (!set) return false;
    const int awareness = context == DpiContext::Unaware ? 0 : context == DpiContext::System ? 1 : 2;
    const HRESULT result = set(awareness);
    if (result == S_OK) return true;
    error = static_cast<DWORD>(result);
    return false;
}

// Vista to 8: system awareness is all there is; unaware is the default anyway.
bool setOldStyle(DpiContext context) {
    if (context == DpiContext::Unaware) return true;
    if (context != DpiContext::System) return false;
    const auto set = procedureOf<SetProcessAwareFunction>(user32(), "SetProcessDPIAware");
    return set && set();
}

bool applyContext(DpiContext context, Text& how) {
    DWORD error = 0;
    if (setByContext(context, error)) {
        how = L"SetProcessDpiAwarenessContext";
        return true;
    }
    if (setThroughShcore(context, error)) {
        how = L"SetProcessDpiAwareness";
        return true;
    }
    if (setOldStyle(context)) {
        how = context == DpiContext::Unaware ? L"left as the default" : L"SetProcessDPIAware";
        return true;
    }
    how = L"refused, error " + decimalText(error);
    return false;
}


}  // namespace

void applyRuntimeDpiAwareness(const DisplaySettings& display, const Text& jvmLibraryPath) {
    const JavaVersion version = runtimeVersionOf(jvmLibraryPath);
    const DpiPlan plan = dpiPlanFor(version, display.dpiAwareness);
    processDecided = true;
    for (DpiContext context : plan.attempts) {
        Text how;
        const bool applied = applyContext(context, how);
        VORNIC_TRACE(L"DPI awareness " + Text(dpiContextName(context)) +
                     (plan.forced ? L" (DPI Awareness \"" + display.dpiAwareness + L"\")"
                      : version.count == 0 ? Text(L" (runtime version unknown)")
                                           : L" (runtime " + decimalText(version.parts[0]) + L"." +
                                                 decimalText(version.parts[1]) + L")") +
                     L": " + how);
        if (applied) return;
    }
}

SystemAwareThread::SystemAwareThread() {
    if (processDecided) return;
    const auto set = procedureOf<SetThreadContextFunction>(user32(), "SetThreadDpiAwarenessContext");
    if (set) previous_ = set(kSystemAware);
}

SystemAwareThread::~SystemAwareThread() {
    if (!previous_) return;
    if (const auto set = procedureOf<SetThreadContextFunction>(user32(), "SetThreadDpiAwarenessContext")) {
        set(static_cast<AwarenessContext>(previous_));
    }
}
