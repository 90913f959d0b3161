// The wildcards of jar lists and class paths: "*" stands for any run of characters, "?" for one.
#pragma once

#include "support/text.h"

// Windows compares file names without case (`ignoreCase`); a name on the build machine's own file
// system is compared exactly.
bool wildcardMatches(const Text& name, const Text& pattern, bool ignoreCase = false);
