// What the process looks like to Windows from inside the runtime: its DPI awareness and its taskbar
// identity, which the launcher settles before it creates the runtime.
#pragma once

#include <string>

namespace standin {

// "unaware", "system", "per-monitor", "per-monitor v2", or "unavailable" where the system offers no
// query. The calling thread's awareness, which a thread the launcher made takes from the process.
std::string dpiAwarenessOfThisThread();

// The awareness a top-level window of this process with the class `className` was made with, as
// dpiAwarenessOfThisThread names it; empty when the process has no such window.
std::string dpiAwarenessOfOwnWindow(const wchar_t* className);

// The process's explicit App User Model ID, "none" when it has none, or "unavailable" when the
// system does not implement the query.
std::string appUserModelIdOfProcess();

}  // namespace standin
