// The per-user folder of the application's class-data-sharing archive and what the launcher does
// there: choose the archive, remove old ones, and finish one that the runtime wrote at exit.
//
//   addClassDataSharing(productName, store, classPath, session);   // with the other VM options
//   finishClassDataSharing();   // once the machine has ended, any way it ended
//   if (creation failed && dropClassDataSharing(session)) { create again; if it worked rememberSharingRefused(); }
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

// A runtime may refuse the options its version should take: a `release` file that names a newer Java
// than the runtime is (Java 17 refuses -XX:+AutoCreateSharedArchive), or a runtime that was built
// without sharing. Removes the sharing options from session.vmOptions, so that the machine can be
// created once more without them; false when there were none, and the failure is the runtime's own.
// The second creation happens in this process: a runtime refuses options while it parses them, before
// anything of the machine exists, and HotSpot lets the caller try again exactly then; where it went
// further it answers the second call with an error at once, and the launch ends as without the retry.
// A new launcher process would lose what this one holds: the single-instance channel, the service's
// registration and the splash.
bool dropClassDataSharing(JavaSession& session);

// The machine started without the options: the runtime refused them, not anything else. Leaves a
// marker in the archive folder, so that later starts with this runtime do not try sharing again.
void rememberSharingRefused();
