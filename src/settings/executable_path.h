// The running executable's own path, from which every settings file and bundled runtime is found.
// A failure is shown to the user, which the file-system layer below cannot do.
#pragma once

#include <windows.h>

#include "support/text.h"

// As getModulePath, but a failure is shown: message 202 with the text of 208 and the error code.
bool getModulePathReporting(HMODULE module, Text& path);

// The running executable's path (getModulePathReporting of the executable).
bool getExePath(Text& path);

// The executable's folder, ending with a backslash.
bool getExeFolder(Text& folder);
