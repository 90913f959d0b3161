// The launcher's own command line and the hand-over to its paired build.
#pragma once

#include "support/text.h"

// The arguments of a whole command line, without the program path: trimmed, split, first dropped.
TextList argumentsOfCommandLine(const Text& commandLine);

// The hand-over to the paired build (Win32 layer, relaunch.cpp).

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
