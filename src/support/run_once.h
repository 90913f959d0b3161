// One-time initialisation shared by threads: the first caller runs `initialise`, the others wait
// until it has finished. The language's guarded local statics would do the same, but in this
// toolchain they bring in the POSIX thread library, about a tenth of the launcher's size.
//
//   INIT_ONCE once = INIT_ONCE_STATIC_INIT;   // at namespace scope
//   runOnce(once, &loadTheLibraries);
#pragma once

#include <windows.h>

void runOnce(INIT_ONCE& once, void (*initialise)());
