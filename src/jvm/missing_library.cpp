#include "jvm/missing_library.h"

#include <windows.h>

#include <string>
#include <vector>

#include "jvm/pe_imports.h"
#include "jvm/runtime_paths.h"
#include "support/environment.h"
#include "support/filesystem.h"
#include "support/unique_handle.h"

namespace {

bool readWholeFile(const Text& path, std::string& bytes) {
    bytes.clear();
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    // A runtime's largest library is tens of megabytes; anything far beyond is no library.
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 512ll * 1024 * 1024) return false;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
                           got != bytes.size())) {
        return false;
    }
    return true;
}

Text systemFolder(UINT (WINAPI* query)(LPWSTR, UINT)) {
    wchar_t buffer[MAX_PATH];
    const UINT length = query(buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? ensureTrailingBackslash(Text(buffer, length)) : Text();
}

Text programFolder() {
    wchar_t buffer[32768];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
    return length > 0 && length < 32768 ? folderOf(Text(buffer, length)) : Text();
}

// Where the loader looks for what a library loaded by its full path imports, and jvm.dll's own folder,
// which a runtime's other libraries may expect.
TextList searchFolders(const Text& jvmLibraryPath) {
    TextList folders = {programFolder(), folderOf(jvmLibraryPath), runtimeHome(jvmLibraryPath) + L"bin\\",
                        systemFolder(GetSystemDirectoryW), systemFolder(GetWindowsDirectoryW)};
    Text path;
    readEnvironment(L"Path", path);
    for (const Text& folder : splitText(path, L";")) {
        if (!folder.empty()) folders.push_back(ensureTrailingBackslash(folder));
    }
    return folders;
}

bool startsWithNoCase(const Text& text, const Text& start) {
    return text.size() >= start.size() && equalsNoCase(text.substr(0, start.size()), start);
}

// Where the loader would find `name`: empty when nowhere. A library already in the process is found
// by its name alone; API set names are the loader's own, resolved without a file.
Text locate(const Text& name, const TextList& folders, bool& loaded) {
    loaded = GetModuleHandleW(name.c_str()) != nullptr;
    if (loaded || startsWithNoCase(name, L"api-ms-") || startsWithNoCase(name, L"ext-ms-")) return name;
    for (const Text& folder : folders) {
        if (!folder.empty() && fileExists(folder + name)) return folder + name;
    }
    return Text();
}

TextList importsOf(const Text& path) {
    std::string image;
    std::vector<std::string> names;
    if (readWholeFile(path, image)) importedLibraryNames(image, names);
    TextList wide;
    for (const std::string& name : names) wide.emplace_back(name.begin(), name.end());  // ASCII names
    return wide;
}

}  // namespace

Text missingRuntimeLibrary(const Text& jvmLibraryPath) {
    const TextList folders = searchFolders(jvmLibraryPath);
    const Text home = runtimeHome(jvmLibraryPath);
    TextList ownLibraries;
    for (const Text& name : importsOf(jvmLibraryPath)) {
        bool loaded = false;
        const Text found = locate(name, folders, loaded);
        if (found.empty()) return name;
        if (!loaded && startsWithNoCase(found, home)) ownLibraries.push_back(found);
    }
    // One level down, only the runtime's own libraries: the system's are taken as complete.
    for (const Text& library : ownLibraries) {
        for (const Text& name : importsOf(library)) {
            bool loaded = false;
            if (locate(name, folders, loaded).empty()) return name;
        }
    }
    return Text();
}
