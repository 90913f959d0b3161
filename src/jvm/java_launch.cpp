#include "jvm/java_launch.h"

#include "app/launcher_app.h"

int startJavaThread(LauncherApp&) { return -1; }

void destroyVm(LauncherApp&) {}
