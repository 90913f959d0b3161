#include "jvm/jvm_environment.h"

#include <windows.h>

#include "app/launcher_app.h"
#include "jvm/runtime_paths.h"
#include "jvm/system_text.h"
#include "runtime/runtime_folder.h"
#include "support/filesystem.h"

void prepareJvmEnvironment(LauncherApp& app) {
    publishJvmEnvironment(app.jvmLibraryPath);
    if (!app.libraryPathSetting.empty()) {
        Text exeFolder;
        getExeFolder(exeFolder);  // a failure was shown; the folder is then left out
        // The two folders of the launcher's own are made list-safe before they join the list.
        const Text expanded = libraryPathText(expandEnvironment(app.libraryPathSetting), narrowSafePath(exeFolder),
                                              expandEnvironment(L"%Path%"), narrowSafePath(app.jvmLibraryPath));
        const Text libraryPath = mapPathList(expanded, [](const Text& folder) { return narrowSafePath(folder); });
        app.vmOptions.push_back(toAnsiText(L"-Djava.library.path=" + libraryPath));
    }
    const Text searchPath =
        searchPathText(expandEnvironment(app.systemPathSetting), expandEnvironment(L"%Path%"),
                       narrowSafePath(app.jvmLibraryPath));
    SetEnvironmentVariableW(L"Path", searchPath.c_str());
}
