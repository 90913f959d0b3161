// Why the loader refused a runtime's jvm.dll with "module not found" (error 126): the first library
// that it, or one of the runtime's own libraries it imports, needs and that is nowhere the loader looks.
#pragma once

#include "support/text.h"

// The missing library's name as the import table writes it, or empty when every one is found (then
// jvm.dll itself is missing, or the fault lies deeper than the runtime's own libraries). Looks where
// a load of jvm.dll by its full path searches: its own folder, the runtime's bin folder, the system
// folders and the process "Path", which holds the folders that "System Path" and the launcher add.
Text missingRuntimeLibrary(const Text& jvmLibraryPath);
