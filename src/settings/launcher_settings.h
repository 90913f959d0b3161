// Reads every launcher setting into the application object.
#pragma once

#include "support/text.h"

class IniStore;
class LauncherApp;

// False ends the launch with -1 (the failing step has shown its message: 202 for the executable's
// path, 210 for a missing "Main Class").
bool loadLauncherSettings(LauncherApp& app);

// The settings after "Product Information", from the layered store. "JRE Path" comes from
// `userFile` when it is given (a non-service application whose per-user file exists).
bool readLayeredSettings(LauncherApp& app, const IniStore& layered, const IniStore* userFile);

// "JVM Source" and "VM Provider" words into their flags.
void readJvmSource(LauncherApp& app, const Text& value);
void readVmProvider(LauncherApp& app, const Text& value);
