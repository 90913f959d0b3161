// Whether the virtual machine is going away, asked from a thread attached to it.
#pragma once

#include <jni.h>

// Whether the machine has begun to shut down: its last non-daemon thread has ended, or System.exit
// was called. A command line delivered now would reach an application that is going away (and a void
// secondaryMain is answered before it runs), so it is left to its own start. False when the runtime
// cannot tell; nothing is left pending.
bool machineShuttingDown(JNIEnv* env);
