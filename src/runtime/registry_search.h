// The runtimes registered in the Windows registry.
#pragma once

#include "support/text.h"

class LauncherApp;

enum class RegistryView { Own, Other };

// Picks the best registered runtime in `view`; false when none fits.
bool searchRegistry(LauncherApp& app, RegistryView view, Text& home);
