#include "app/system_libraries.h"

#include <windows.h>

namespace {

// With LOAD_LIBRARY_SEARCH_SYSTEM32 the library's own imports come from the system folder too, so
// pinning the provider also pins what it imports (the trap is the same one level down).
constexpr const wchar_t* kPinned[] = {
    L"rsaenh.dll",   // "Microsoft Base Cryptographic Provider v1.0", loaded for the packaged settings
    L"uxtheme.dll",  // loaded by the window manager for every themed message box and dialog
    L"msimg32.dll",  // and the two that the theming library loads by name when it first draws
    L"ole32.dll",
};

}  // namespace

void pinSystemLibraries() {
    for (const wchar_t* name : kPinned) {
        // Never freed: they would be loaded for the rest of the process anyway.
        LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}
