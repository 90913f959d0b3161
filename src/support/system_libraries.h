// System libraries that the system itself loads by bare name while the launcher runs: the theming
// library of message boxes and dialogs with the libraries it loads by name. A library of the same
// name planted beside the program or in the current folder would be found first and run. Loading
// each from the system folder before the system needs it makes every later load by that name
// return the library already loaded.
#pragma once

#include <windows.h>

// `name` loaded from the system folder only (its static imports too): a library of the same name
// beside the program, in the current folder or on the path must never run. Null when it is missing.
HMODULE loadSystemLibrary(const wchar_t* name);

// Before the first message box or dialog (any thread; the work is done once). Not at the entry
// point: starting the theming library starts the display connection, which a launch without a
// window of its own never needs.
void pinWindowLibraries();
