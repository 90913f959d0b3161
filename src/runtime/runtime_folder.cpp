#include "runtime/runtime_folder.h"

#include "app/launcher_app.h"

Text findJvmLibrary(const Text&, JvmType) {
    // Runtime folders are not inspected yet: no folder holds a usable jvm.dll.
    return Text();
}

bool findPrivateRuntime(Text& home) {
    home.clear();
    return false;
}

void checkJvmMachine(LauncherApp&) {}
