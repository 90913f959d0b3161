// The sentence that says which Java versions the application accepts (messages 217 to 221).
#pragma once

#include "runtime/java_version.h"
#include "support/text.h"

// An unset bound is no bound; a missing format string gives an empty text.
Text requirementText(const JavaVersion& minimum, const JavaVersion& maximum);
