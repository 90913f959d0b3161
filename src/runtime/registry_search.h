// The runtimes registered in the Windows registry: the Win32 side of the walk in
// runtime/registry_walk.h.
#pragma once

#include "runtime/runtime_candidates.h"
#include "support/text.h"

enum class RegistryView { Own, Other };

// Picks the best registered runtime in `view`; false when none fits. A runtime found in the other
// width's view sets `runPairProduct` (only searched when `preferences.pairProductSet`).
bool searchRegistry(const SearchPreferences& preferences, RegistryView view, Text& home, bool& runPairProduct);
