#include "support/filesystem.h"

#include "support/growing_buffer.h"
#include "support/path.h"

bool getModulePath(HMODULE module, Text& path) {
    return readGrowing(path, [module](wchar_t* buffer, size_t capacity) -> size_t {
        const DWORD length = GetModuleFileNameW(module, buffer, static_cast<DWORD>(capacity));
        if (length == 0) return kReadFailed;
        // A truncated path fills the whole buffer; ask again with a larger one.
        return length >= capacity ? capacity : length;
    });
}

bool fullPathName(const Text& path, Text& full) {
    return readGrowing(full, [&path](wchar_t* buffer, size_t capacity) -> size_t {
        const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(capacity), buffer, nullptr);
        return length == 0 ? kReadFailed : length;  // when too small, the size needed with the NUL
    });
}

bool fileExists(const Text& path) {
    WIN32_FIND_DATAW data;
    UniqueFind search(FindFirstFileW(withLongPathPrefix(path).c_str(), &data));
    return static_cast<bool>(search);
}

bool FileSearch::findFirst(const Text& pattern) {
    close();
    const Text searched = withLongPathPrefix(pattern.empty() ? Text(L"*.*") : pattern);
    search_.reset(FindFirstFileW(searched.c_str(), &entry_));
    if (!search_) return false;
    Text full;
    if (!fullPathName(searched, full)) {
        close();
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    const size_t cut = full.find_last_of(L"\\/");
    folder_ = cut == Text::npos ? full : full.substr(0, cut);
    return true;
}

bool FileSearch::findNext() {
    return search_ && FindNextFileW(search_.get(), &entry_);
}

void FileSearch::close() {
    search_.reset();
    folder_.clear();
}

DWORD queryFile(const Text& path, FILETIME* lastWrite, DWORD* sizeLow) {
    if (path.empty()) return ERROR_INVALID_PARAMETER;
    if (!isAbsolutePath(path)) return ERROR_PATH_NOT_FOUND;
    WIN32_FIND_DATAW data;
    UniqueFind search(FindFirstFileW(withLongPathPrefix(path).c_str(), &data));
    if (!search) return GetLastError();
    if (lastWrite) *lastWrite = data.ftLastWriteTime;
    if (sizeLow) *sizeLow = data.nFileSizeLow;
    return ERROR_SUCCESS;
}

DWORD createParentFolders(const Text& path) {
    if (queryFile(path) == ERROR_SUCCESS) return ERROR_SUCCESS;

    Text rest = path;
    Text prefix;
    if (rest.compare(0, 4, kLongPathPrefix) == 0) {
        prefix = kLongPathPrefix;
        rest.erase(0, 4);
    }
    const bool unc = isUncPath(rest);
    const size_t rootEnd = rest.find(L'\\', unc ? 2 : 0);
    if (rootEnd == Text::npos) return ERROR_SUCCESS;  // a bare file name has no folders to make

    Text folder = prefix + rest.substr(0, rootEnd);
    const TextList components = splitText(rest.substr(rootEnd + 1), L"\\");
    DWORD lastError = ERROR_SUCCESS;
    for (size_t level = 0; level + 1 < components.size(); ++level) {
        folder += L'\\';
        folder += components[level];
        if (CreateDirectoryW(withLongPathPrefix(folder).c_str(), nullptr)) continue;
        const DWORD error = GetLastError();
        lastError = error;
        if (error == ERROR_ALREADY_EXISTS || unc) continue;
        // Leave nothing half-made: the level created just above this one goes again if it is empty.
        if (level >= 1) removeFolder(stripPathComponents(folder, 1));
        break;
    }
    return lastError == ERROR_ALREADY_EXISTS ? ERROR_SUCCESS : lastError;
}

bool removeFolder(const Text& path) {
    return RemoveDirectoryW(withLongPathPrefix(path).c_str()) != 0;
}
