// A launcher process that hands its start on to a new process of the executable at its own path:
// after a restart request, after its own executable was replaced, and after a failed trial. The
// new process waits until this one has ended, so that it is the only one that runs.
//
//   const EnvironmentCopy environment = currentEnvironment();     // before the launch changes it
//   startSuccessor(folder, environment, {L"VORNIC_RESTARTS=..."}, error);
//   awaitPredecessor();                                           // first thing in the new process
#pragma once

#include <windows.h>

#include <vector>

#include "support/text.h"

// "NAME=value" entries.
using EnvironmentCopy = std::vector<Text>;

// This process's environment without the marks that pass between launcher processes.
EnvironmentCopy currentEnvironment();

// The current folder, empty when it cannot be had.
Text currentFolder();

// Starts the executable at this process's own path with this process's command line, in `folder`,
// with `environment` and then `extra`; its standard handles are this process's. False with the
// system's `error` when it cannot start.
bool startSuccessor(const Text& folder, const EnvironmentCopy& environment, const TextList& extra, DWORD& error);

// In a process that startSuccessor started, waits (a minute at most) until the process that
// started it has ended. Nothing else happens in a process that was started any other way.
void awaitPredecessor();
