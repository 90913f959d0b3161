// The launcher's own command line.
#pragma once

#include "support/text.h"

// The arguments of a whole command line, without the program path: trimmed, split, first dropped.
TextList argumentsOfCommandLine(const Text& commandLine);
