#include "settings/launcher_settings.h"

#include "app/launcher_app.h"

bool loadLauncherSettings(LauncherApp&) {
    // The settings stores are not read yet: every field keeps its construction default.
    return true;
}
