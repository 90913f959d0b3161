#include "runtime/registry_search.h"

#include <windows.h>

#include "runtime/system_registry.h"

bool searchRegistry(const SearchPreferences& preferences, RegistryView view, Text& home, bool& runPairProduct) {
    // The x64 build's other view is the 32-bit one; the x86 build's is the 64-bit one.
    const REGSAM otherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    SystemRegistryReader registry(view == RegistryView::Own ? 0 : otherView);
    SystemRuntimeFiles files;
    const SearchPass pass{registry, files, preferences, view == RegistryView::Other};
    if (!chooseRegisteredRuntime(pass, home)) return false;
    if (view == RegistryView::Other) runPairProduct = true;
    return true;
}
