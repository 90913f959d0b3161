// The application's own taskbar identity: with "App User Model ID" the taskbar groups, pins and
// names the application as itself rather than as the launcher's executable.
//
//   applyAppUserModelId(settings.display);   // after the settings, before any window
#pragma once

#include "display/display_settings.h"

// Nothing without the setting. Shell32 is loaded from the system folder only then, so a launch
// without it never loads the shell.
void applyAppUserModelId(const DisplaySettings& display);
