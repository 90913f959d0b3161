#include "settings/executable_path.h"

#include "support/filesystem.h"
#include "support/path.h"
#include "texts/messages.h"

bool getModulePathReporting(HMODULE module, Text& path) {
    if (getModulePath(module, path)) return true;
    const DWORD error = GetLastError();
    showMessageId(kMsgEntryPointOrPathFailed, {stringOf(kMsgExePathText), error});
    SetLastError(error);
    return false;
}

bool getExePath(Text& path) { return getModulePathReporting(nullptr, path); }

bool getExeFolder(Text& folder) {
    Text path;
    if (!getExePath(path)) {
        folder.clear();
        return false;
    }
    folder = folderOf(path);
    return true;
}
