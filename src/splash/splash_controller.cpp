#include "splash/splash_controller.h"

#include "app/launcher_app.h"

bool startSplash(LauncherApp&) {
    // No splash picture is configured yet; starting "succeeds" with nothing to show.
    return true;
}

void closeSplashWindow(LauncherApp&) {}
