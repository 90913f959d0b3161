#include "jvm/java_launch.h"

#include "app/launcher_app.h"

bool loadJvmLibrary(LauncherApp&) {
    // No runtime can be loaded yet.
    return false;
}

bool assembleVmOptions(LauncherApp&) { return true; }

int startJavaThread(LauncherApp&) { return -1; }

void destroyVm(LauncherApp&) {}
