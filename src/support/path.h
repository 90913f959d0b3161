// Windows path rules that need no system call.
#pragma once

#include "support/text.h"

// "\\?\": lifts the classic 260-unit limit of file-search and folder calls.
extern const wchar_t kLongPathPrefix[];

// Full paths of 260 units or more get the long-path prefix unless they already have it: "C:\x..."
// becomes "\\?\C:\x...", "\\server\share..." becomes "\\?\UNC\server\share...". Relative paths and
// device paths stay as they are.
Text withLongPathPrefix(const Text& path);

// At least two units, and either two leading backslashes or ":" as the second unit.
bool isAbsolutePath(const Text& path);

// More than two units, two leading backslashes, and a third unit other than "?".
bool isUncPath(const Text& path);
