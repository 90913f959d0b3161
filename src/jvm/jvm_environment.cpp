#include "jvm/jvm_environment.h"

#include <windows.h>

#include "jvm/runtime_paths.h"
#include "runtime/runtime_folder.h"
#include "settings/executable_path.h"
#include "support/filesystem.h"
#include "support/growing_buffer.h"
#include "support/system_text.h"
#include "support/trace.h"

namespace {

Text windowsFolder() {
    Text folder;
    readGrowing(folder, [](wchar_t* buffer, std::size_t capacity) -> std::size_t {
        const UINT length = GetWindowsDirectoryW(buffer, static_cast<UINT>(capacity));
        if (length == 0) return kReadFailed;
        return length;  // the length when it fit, else the size needed with the NUL (above capacity)
    });
    return folder;
}

Text joined(const TextList& entries) {
    Text text;
    for (const Text& entry : entries) text += (text.empty() ? L"" : L";") + entry;
    return text;
}

}  // namespace

void prepareJvmEnvironment(const VmOptionSettings& settings, JavaSession& session) {
    publishJvmEnvironment(session.jvmLibraryPath);
    if (!settings.libraryPath.empty()) {
        Text exeFolder;
        getExeFolder(exeFolder);  // a failure was shown; the folder is then left out
        // The two folders of the launcher's own are made list-safe before they join the list.
        const Text expanded = libraryPathText(expandEnvironment(settings.libraryPath), narrowSafePath(exeFolder),
                                              expandEnvironment(L"%Path%"), narrowSafePath(session.jvmLibraryPath));
        const Text libraryPath = mapPathList(expanded, [](const Text& folder) { return narrowSafePath(folder); });
        session.vmOptions.push_back(toAnsiText(L"-Djava.library.path=" + libraryPath));
    }
    // Folder by folder: the system's expansion takes no more than 32K units at once, and a "System
    // Path" that long is the very case that must still leave the runtime's bin folder on "Path".
    const Text systemPath = mapPathList(settings.systemPath, [](const Text& folder) { return expandEnvironment(folder); });
    const FittedSearchPath searchPath = fitSearchPath(systemPath, expandEnvironment(L"%Path%"),
                                                      narrowSafePath(session.jvmLibraryPath), windowsFolder());
    if (!searchPath.dropped.empty()) {
        VORNIC_TRACE(L"Path would pass " + decimalText(kEnvironmentValueLimit) + L" characters: " +
                     decimalText(searchPath.dropped.size()) + L" folders left out: " + joined(searchPath.dropped));
    }
    if (!SetEnvironmentVariableW(L"Path", searchPath.text.c_str())) {
        VORNIC_TRACE(L"Path could not be set (error " + decimalText(GetLastError()) + L"), " +
                     decimalText(searchPath.text.size()) + L" characters; the runtime's bin folder may not be found");
    }
}
