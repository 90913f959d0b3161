// The launcher's own command line and the hand-over to its paired build.
#pragma once

#include "support/text.h"

// The arguments of a whole command line, without the program path: trimmed, split, first dropped.
TextList argumentsOfCommandLine(const Text& commandLine);

// Starts `pairProduct` with this process's command line unchanged and, with `waitForExitCode`,
// passes its exit code on. Any failure gives 0.
int relaunchPairProduct(const Text& pairProduct, bool waitForExitCode);
