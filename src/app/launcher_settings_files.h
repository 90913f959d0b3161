// Opens this executable's settings stores and reads them into values (app/launcher_settings.h).
#pragma once

#include "app/launcher_settings.h"

// False ends the launch with -1 (the failing step has shown its message: 202 for the executable's
// path, 210 for a missing "Main Class").
bool loadLauncherSettings(LauncherSettings& settings);

// readLayeredSettings, showing message 210 when there is no "Main Class".
bool loadLayeredSettings(LauncherSettings& settings, const IniStore& layered, const IniStore* userFile);

// The splash settings, read when the splash is about to start. False only when the settings file
// path cannot be formed.
bool loadSplashSettings(SplashSettings& splash);
