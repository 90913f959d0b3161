// The runtimes registered in the Windows registry: the Win32 side of the walk in
// runtime/registry_walk.h.
#pragma once

#include "runtime/runtime_candidates.h"
#include "support/text.h"

class LauncherApp;

enum class RegistryView { Own, Other };

// Picks the best registered runtime in `view`; false when none fits. A runtime found in the other
// width's view sets runPairProduct (only searched when "Pair Product" is set).
bool searchRegistry(LauncherApp& app, RegistryView view, Text& home);

// The settings that judge registered runtimes.
SearchPreferences searchPreferencesOf(const LauncherApp& app);
