#include "app/relaunch.h"

#include <windows.h>

#include "settings/executable_path.h"
#include "support/environment.h"
#include "support/filesystem.h"
#include "support/growing_buffer.h"
#include "support/path.h"
#include "support/standard_handles_for_child.h"
#include "support/unique_handle.h"

namespace {

// Set for the paired launcher only; a launcher that finds it was handed the launch and must never
// hand it on again: two launchers naming each other, each with a runtime of the other's width, would
// otherwise start each other without end.
const wchar_t kHandOverVariable[] = L"VORNIC_HANDED_OVER_FROM";

// The full form of `path`: "." and ".." removed, and short (8.3) components made long when the file
// exists, so that two spellings of one file compare equal.
Text fullPathOf(const Text& path) {
    Text full;
    if (!fullPathName(path, full)) return path;
    Text longForm;
    const bool haveLong = readGrowing(longForm, [&full](wchar_t* buffer, std::size_t capacity) -> std::size_t {
        const DWORD length = GetLongPathNameW(full.c_str(), buffer, static_cast<DWORD>(capacity));
        return length == 0 ? kReadFailed : length;
    });
    return haveLong ? longForm : full;
}

}  // namespace

bool takeHandOverMark(Text& handedOverBy) {
    if (!readEnvironment(kHandOverVariable, handedOverBy)) return false;
    // The Java application and the programs it starts are no hand-over.
    SetEnvironmentVariableW(kHandOverVariable, nullptr);
    return true;
}

Text resolvePairProduct(const Text& pairProduct) {
    if (pairProduct.empty()) return pairProduct;
    Text exeFolder;
    if (isAbsolutePath(pairProduct) || !getExeFolder(exeFolder)) return fullPathOf(pairProduct);
    // A shortcut or a file association may set any current folder; the pair lies beside this
    // executable. "\x" is rooted on this executable's drive.
    if (pairProduct[0] == L'\\' || pairProduct[0] == L'/') {
        const std::size_t root = exeFolder.size() >= 2 && exeFolder[1] == L':' ? 2 : exeFolder.size() - 1;
        return fullPathOf(exeFolder.substr(0, root) + pairProduct);
    }
    return fullPathOf(exeFolder + pairProduct);
}

bool namesThisExecutable(const Text& path) {
    Text exe;
    if (!getModulePath(nullptr, exe)) return false;
    return equalsNoCase(fullPathOf(path), fullPathOf(exe));
}

bool relaunchPairProduct(const Text& pairProduct, bool waitForExitCode, int& exitCode, DWORD& error) {
    exitCode = 0;
    error = 0;
    Text exe;
    getModulePath(nullptr, exe);
    // This process ends after the hand-over, so its own environment can carry the mark.
    SetEnvironmentVariableW(kHandOverVariable, exe.empty() ? L"?" : exe.c_str());
    // CreateProcessW may write into the command line it is given, so it gets a copy.
    Text commandLine = GetCommandLineW();
    StandardHandlesForChild handles;
    PROCESS_INFORMATION started{};
    const BOOL ok = CreateProcessW(pairProduct.c_str(), commandLine.data(), nullptr, nullptr, handles.inherit(),
                                   handles.creationFlags(), nullptr, nullptr, handles.startupInfo(), &started);
    error = ok ? 0 : GetLastError();
    SetEnvironmentVariableW(kHandOverVariable, nullptr);
    if (!ok) return false;
    UniqueHandle process(started.hProcess);
    UniqueHandle thread(started.hThread);
    if (!waitForExitCode) return true;
    DWORD code = 0;
    if (WaitForSingleObject(process.get(), INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(process.get(), &code)) {
        exitCode = static_cast<int>(code);
    }
    return true;
}
