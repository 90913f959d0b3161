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

// True when the last component of `path` names a device rather than a file: CON, PRN, AUX, NUL,
// COM1 to COM9 and LPT1 to LPT9 (also with superscript 1 to 3), in any case, with or without an
// extension and blanks before it. "CON.ini" beside a launcher named "CON.exe" is the console.
bool namesDevice(const Text& path);
