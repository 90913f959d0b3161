// The module whose packaged settings and strings this launch reads.
// It is the running executable, unless an update replaced that executable in a process that cannot
// hand its start on to the new one (a service): the process then goes on with the resources of the
// executable now at its path, mapped as an image that never runs, and runs that executable's code
// from its next start.
// Such a process shows no window, so the dialogs take their templates from the running executable.
#pragma once

#include <windows.h>

#include "support/text.h"

HMODULE resourceModule();

// From now on, resources come from the executable file at `path`; the running executable's own
// when `path` is empty. False, with the module unchanged, when the file cannot be loaded.
bool useResourcesOf(const Text& path);
