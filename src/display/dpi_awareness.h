// Which DPI awareness the process takes: the one the chosen runtime's own launcher declares, unless
// "DPI Awareness" forces one. Portable; display/process_dpi.h applies the result.
//
//   const DpiPlan plan = dpiPlanFor(runtimeVersion, display.dpiAwareness);
//   for (DpiContext context : plan.attempts) if (trySetting(context)) break;
#pragma once

#include <vector>

#include "runtime/java_version.h"
#include "support/text.h"

// The process awareness contexts, best first where several are tried.
enum class DpiContext { Unaware, System, PerMonitor, PerMonitorV2 };

struct DpiPlan {
    // Tried in order until the system accepts one; older Windows lack the later contexts.
    std::vector<DpiContext> attempts;
    bool forced = false;  // by the setting, not by the runtime's version
};

// "unaware", "system" or "per-monitor" in any case; false for anything else (empty included).
bool dpiSettingContext(const Text& setting, DpiContext& context);

// A runtime from Java 9 on scales per monitor; Java 8 and older only know system awareness and would
// draw at 96 DPI, tiny, on a per-monitor process. A version the search could not tell (count 0)
// counts as new. An unrecognised setting is no override.
DpiPlan dpiPlanFor(const JavaVersion& runtimeVersion, const Text& setting);

// "per-monitor v2", ...: how the trace names a context.
const wchar_t* dpiContextName(DpiContext context);
