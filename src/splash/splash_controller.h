// The splash picture shown while the runtime starts.
#pragma once

class LauncherApp;

// False when the splash cannot be started; the launch then ends with 0.
bool startSplash(LauncherApp& app);

void closeSplashWindow(LauncherApp& app);
