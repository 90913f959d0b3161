// The per-user folder of the application's class-data-sharing archive and what the launcher does
// there: choose the archive, remove old ones, and finish one that the runtime wrote at exit.
//
//   addClassDataSharing(productName, store, classPath, session);   // with the other VM options
//   finishClassDataSharing();   // once the machine has ended, any way it ended
#pragma once

#include "jvm/java_session.h"
#include "support/text.h"

class IniStore;

// With "Class Data Sharing" "Yes" in `store` and a runtime at session.jvmLibraryPath that supports
// it, appends the options to session.vmOptions; the folder is named after `productName`. Anything in
// the way (no writable folder, an old runtime) leaves sharing off, shown only in the trace.
void addClassDataSharing(const Text& productName, const IniStore& store, const Text& classPath, JavaSession& session);

// Gives an archive written at exit its final name; does nothing when none is being written. Called
// from the runtime's exit hook and after the machine is destroyed, so it may run twice.
void finishClassDataSharing();
