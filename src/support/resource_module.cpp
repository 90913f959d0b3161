#include "support/resource_module.h"

#include "support/unique_handle.h"

namespace {

// Loaded as an image resource and data only: nothing of it runs, and it stays renamable, as the
// running executable is, for an undo that moves it away again.
UniqueModule g_resources;

}  // namespace

HMODULE resourceModule() { return g_resources ? g_resources.get() : GetModuleHandleW(nullptr); }

bool useResourcesOf(const Text& path) {
    if (path.empty()) {
        g_resources.reset();
        return true;
    }
    UniqueModule loaded(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!loaded) return false;
    g_resources = std::move(loaded);
    return true;
}
