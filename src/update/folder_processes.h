// Whether any other process runs a program of the application folder: the launcher of either width,
// or a program the application started from there (its runtime's java.exe).
#pragma once

#include "support/text.h"

// True when a process other than this one has its image under `folder` (a full path with a
// closing backslash). A process this user may not query counts when its file name is `exeName`,
// so that doubt never lets an apply run beside a running copy. `found` names the first one.
bool otherProcessInFolder(const Text& folder, const Text& exeName, Text& found);
