#include "display/dpi_awareness.h"

namespace {

// Java 1.8 and older number themselves 1.x; from 9 on the first part is the feature release.
bool scalesPerMonitor(const JavaVersion& version) {
    if (version.count == 0) return true;
    return version.parts[0] >= 9;
}

// Per-monitor v2 also scales the non-client area and system dialogs; where the system lacks it,
// per-monitor, then system awareness are the nearest it offers.
const std::vector<DpiContext> kPerMonitorChain = {DpiContext::PerMonitorV2, DpiContext::PerMonitor,
                                                  DpiContext::System};

}  // namespace

bool dpiSettingContext(const Text& setting, DpiContext& context) {
    if (equalsNoCase(setting, L"unaware")) context = DpiContext::Unaware;
    else if (equalsNoCase(setting, L"system")) context = DpiContext::System;
    else if (equalsNoCase(setting, L"per-monitor")) context = DpiContext::PerMonitor;
    else return false;
    return true;
}

DpiPlan dpiPlanFor(const JavaVersion& runtimeVersion, const Text& setting) {
    DpiContext forced = DpiContext::System;
    if (dpiSettingContext(setting, forced)) {
        if (forced == DpiContext::PerMonitor) return {kPerMonitorChain, true};
        return {{forced}, true};
    }
    if (scalesPerMonitor(runtimeVersion)) return {kPerMonitorChain, false};
    return {{DpiContext::System}, false};
}

const wchar_t* dpiContextName(DpiContext context) {
    switch (context) {
        case DpiContext::Unaware:
            return L"unaware";
        case DpiContext::System:
            return L"system";
        case DpiContext::PerMonitor:
            return L"per-monitor";
        case DpiContext::PerMonitorV2:
            return L"per-monitor v2";
    }
    return L"?";
}
