// Applies the DPI awareness of display/dpi_awareness.h to the process, and lets the windows shown
// before that (the runtime selection dialog, early message boxes) be sharp without fixing the
// process default. Every entry point is resolved at run time: older Windows lack them.
//
//   applyRuntimeDpiAwareness(display, jvmLibraryPath);   // once the runtime is known, before the splash
//   { SystemAwareThread sharp; MessageBoxW(...); }
#pragma once

#include "display/display_settings.h"
#include "display/dpi_awareness.h"
#include "support/text.h"

// The runtime's version from the `release` file of its home (`jvmLibraryPath`'s folder three levels
// up), the "DPI Awareness" setting, then the first context of the plan that the system accepts.
void applyRuntimeDpiAwareness(const DisplaySettings& display, const Text& jvmLibraryPath);

// Makes the calling thread system-aware while the process awareness is still undecided, and
// restores the thread's own at destruction. Does nothing where a thread cannot choose (before
// Windows 10 1607) or once the process has taken its awareness.
class SystemAwareThread {
public:
    SystemAwareThread();
    ~SystemAwareThread();
    SystemAwareThread(const SystemAwareThread&) = delete;
    SystemAwareThread& operator=(const SystemAwareThread&) = delete;

private:
    void* previous_ = nullptr;  // DPI_AWARENESS_CONTEXT
};
