// The [Application] and [Display] settings that decide how the process looks to the shell and the
// screen.
#pragma once

#include "support/text.h"

struct DisplaySettings {
    Text appUserModelId;  // "App User Model ID": the taskbar identity; empty leaves the system's
    Text dpiAwareness;    // "DPI Awareness": unaware, system, per-monitor; else the runtime's own
};
