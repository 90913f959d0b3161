// The per-user folder of the application's class-data-sharing archive and what the launcher does
// there: choose the archive, remove old ones, and finish one that the runtime wrote at exit.
//
//   addClassDataSharing(app, settings, classPath);   // with the other VM options
//   finishClassDataSharing();                        // once the machine has ended, any way it ended
#pragma once

#include "support/text.h"

class IniStore;
class LauncherApp;

// With "Class Data Sharing" "Yes" and a runtime that supports it, appends the options to
// app.vmOptions. Anything in the way (no writable folder, an old runtime) leaves sharing off, shown
// only in the trace.
void addClassDataSharing(LauncherApp& app, const IniStore& settings, const Text& classPath);

// Gives an archive written at exit its final name; does nothing when none is being written. Called
// from the runtime's exit hook and after the machine is destroyed, so it may run twice.
void finishClassDataSharing();
