#include "support/resource_module.h"

#include "support/unique_handle.h"

namespace {

// The executable at the path, mapped as an image but never run: what LoadLibraryEx makes of it
// with LOAD_LIBRARY_AS_IMAGE_RESOURCE, which marks such a module by the handle's second-lowest bit.
// LoadLibraryEx itself cannot be asked: given the path the running executable was started from, it
// answers with the running module. The file stays renamable, as the running executable is, for an
// undo that moves it away again.
UniqueView g_image;

}  // namespace

HMODULE resourceModule() {
    if (!g_image) return GetModuleHandleW(nullptr);
    return reinterpret_cast<HMODULE>(reinterpret_cast<ULONG_PTR>(g_image.get()) | 2);
}

bool useResourcesOf(const Text& path) {
    if (path.empty()) {
        g_image.reset();
        return true;
    }
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const UniqueHandle section(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY | SEC_IMAGE, 0, 0, nullptr));
    if (!section) return false;
    // The view holds the section and the file from here on.
    UniqueView image(MapViewOfFile(section.get(), FILE_MAP_READ, 0, 0, 0));
    if (!image) return false;
    g_image = std::move(image);
    return true;
}
