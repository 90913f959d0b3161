// The hand-over to the paired build: a launcher whose runtime has the other width starts the build
// of its own width with the same command line.
#pragma once

#include "support/text.h"

// True when this process was started by a launcher handing its launch over; `handedOverBy` is that
// launcher's path. Clears the mark, so that the Java process and its children never carry it.
bool takeHandOverMark(Text& handedOverBy);

// "Pair Product" as a full path: a relative path is taken from the executable's folder, not from the
// current folder.
Text resolvePairProduct(const Text& pairProduct);

// True when `path` names this running executable (full paths, any letter case).
bool namesThisExecutable(const Text& path);

// Starts `pairProduct`, marked as handed over, with this process's command line unchanged; with
// `waitForExitCode` waits and passes its exit code on. False with the system's error code when it
// could not be started.
bool relaunchPairProduct(const Text& pairProduct, bool waitForExitCode, int& exitCode, unsigned long& error);
