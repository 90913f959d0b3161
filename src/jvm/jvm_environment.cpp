#include "jvm/jvm_environment.h"

#include "app/launcher_app.h"

void prepareJvmEnvironment(LauncherApp&) {}
