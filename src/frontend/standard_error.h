// Text on the process's standard error that arrives intact whatever the console's code page.
#pragma once

#include "support/text.h"

// Writes `text` with CR LF line ends: as UTF-16 through the console when standard error is one, as
// UTF-8 to a pipe or a file. False when there is no standard error or a write failed.
bool writeStandardError(const Text& text);
