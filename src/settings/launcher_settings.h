// Reads every launcher setting into the application object.
#pragma once

class LauncherApp;

// False ends the launch with -1 (the failing step has shown its message).
bool loadLauncherSettings(LauncherApp& app);
