#include "support/system_libraries.h"

#include <windows.h>

#include "support/run_once.h"

HMODULE loadSystemLibrary(const wchar_t* name) { return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32); }

namespace {

// A library's static imports come from the system folder too, so pinning a library also pins what
// it imports; only what it loads by name later needs its own line.
void pin(const wchar_t* name) {
    // Never freed: the process would keep them loaded anyway once they were used.
    loadSystemLibrary(name);
}

void pinAll() {
    pin(L"uxtheme.dll");
    pin(L"msimg32.dll");  // the two that the theming library loads by name when it first draws
    pin(L"ole32.dll");
}

INIT_ONCE pinned = INIT_ONCE_STATIC_INIT;

}  // namespace

void pinWindowLibraries() { runOnce(pinned, pinAll); }
