// A staged version of the application, applied whole at start, tried, and undone when it cannot
// reach main. The application writes it into the update folder beside the launcher (the system
// property vornicw.update.folder) with its manifest last; see update_manifest.h.
//
//   if (!updateAtStart(exitCode, startedByServiceManager)) return exitCode;  // before the folder is read
//   ... updateReachedMain() when main is about to run ...
//   exitCode = endOfLaunch(exitCode);                 // after the launch
#pragma once

// Completes or undoes an interrupted apply, removes the backup of a version that reached main,
// and applies a staged version; only when no other program of the application folder runs. Costs
// one attribute query when there is no update folder. False when this process is to end now with
// `exitCode`: the start goes on in a new process of the executable that is now in place. A process
// that `startedByServiceManager` (asked only when there is an update) never ends for that: it goes
// on with that executable's settings (support/resource_module.h).
bool updateAtStart(int& exitCode, bool (*startedByServiceManager)());

// The trial of a version just applied has reached main: the next start removes the backup.
void updateReachedMain();

// After a launch: a trial that never reached main hands the start to a new process, which puts the
// previous version back and runs it; a service puts it back itself, for its next start. Returns
// `exitCode`.
int endOfLaunch(int exitCode);

// Message 253, once, when this start put back the previous version after a failed update.
void reportUndoneUpdate();
