#include "splash/native_splash.h"

#include <windows.h>

#include "splash/splash_rules.h"
#include "support/filesystem.h"
#include "support/procedure.h"
#include "support/system_text.h"

namespace {

// The runtime's splash library exports plain C functions with the default calling convention.
using InitFunction = void (*)();
using LoadFileFunction = int (*)(const char*);
using SetFileJarNameFunction = void (*)(const char*, const char*);

}  // namespace

Text NativeSplash::locate(const Text& jvmLibraryPath) {
    const Text candidate = nativeSplashCandidate(jvmLibraryPath);
    if (candidate.empty() || !fileExists(candidate)) return Text();
    return candidate;
}

bool NativeSplash::start(const Text& libraryPath, const Text& picturePath, CloseFunction& close) {
    // The full path, and the library's own folder for what it needs in turn. It stays loaded for
    // the life of the process: the runtime takes the splash over from it.
    const HMODULE library = LoadLibraryExW(libraryPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library) return false;
    const auto init = procedureOf<InitFunction>(library, "SplashInit");
    const auto loadFile = procedureOf<LoadFileFunction>(library, "SplashLoadFile");
    const auto setFileJarName = procedureOf<SetFileJarNameFunction>(library, "SplashSetFileJarName");
    const auto closeFunction = procedureOf<CloseFunction>(library, "SplashClose");
    if (!init || !loadFile || !setFileJarName) return false;

    // The library takes narrow text only: a path the code page cannot carry goes in its short form,
    // which names the same file, rather than as question marks that name none.
    const std::string narrowPicture = toAnsiText(narrowSafePath(picturePath));
    init();
    loadFile(narrowPicture.c_str());
    setFileJarName(narrowPicture.c_str(), "");
    close = closeFunction;
    return true;
}
