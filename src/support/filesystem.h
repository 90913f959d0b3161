// File-system operations shared by settings, runtime discovery and output redirection.
#pragma once

#include <windows.h>

#include "support/text.h"
#include "support/unique_handle.h"

// The whole path of `module` (null: the running executable), however long it is.
bool getModulePath(HMODULE module, Text& path);

// getExePath and the reporting variants, which show a message, are in settings/executable_path.h.

// True when a file or folder of that exact path exists.
bool fileExists(const Text& path);

// GetFullPathNameW of `path`: made absolute against the current folder (or its drive's), "." and
// ".." resolved; the file need not exist. False when the system refuses the name.
bool fullPathName(const Text& path, Text& full);

// A directory search that stays open until the next findFirst, close or destruction.
class FileSearch {
public:
    // Starts a search on `pattern` (long paths get the "\\?\" prefix). On success `folder()` is the
    // full path of the pattern's folder. On failure the system's last-error code says why.
    bool findFirst(const Text& pattern = L"*.*");
    bool findNext();
    void close();

    const WIN32_FIND_DATAW& entry() const { return entry_; }
    const Text& folder() const { return folder_; }

private:
    UniqueFind search_;
    WIN32_FIND_DATAW entry_{};
    Text folder_;
};

// 0 with the last-write time and the low 32 bits of the size, or a system error code: 87 for an
// empty path, 3 for a path that is not absolute.
DWORD queryFile(const Text& path, FILETIME* lastWrite = nullptr, DWORD* sizeLow = nullptr);

// Creates the missing folders that lead to the file `path`; 0 on success, else the error code of
// the creation that failed.
DWORD createParentFolders(const Text& path);

// Removes an empty folder.
bool removeFolder(const Text& path);
