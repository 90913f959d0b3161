// A runtime's home folder, its jvm.dll, and whether this build can load it.
#pragma once

#include "runtime/jvm_type.h"
#include "support/text.h"

class LauncherApp;

// The jvm.dll under `home` (ending with a backslash) that `type` accepts first; empty when none.
Text findJvmLibrary(const Text& home, JvmType type);

// The runtime folder shipped beside the executable; false when there is none.
bool findPrivateRuntime(Text& home);

// Sets runPairProduct when the chosen jvm.dll was built for the other processor width.
void checkJvmMachine(LauncherApp& app);
