// Where the Java side tells a running service what happened; without a service both do nothing.
#pragma once

#include <jni.h>

#include "support/text.h"

// True while this process runs as a service: it shows no window, not even a splash.
bool runningAsService();

// main of `mainClass` (slash form) is about to be called on `vm`: the service reports RUNNING and
// can be stopped from now on.
void serviceMainEntered(JavaVM* vm, const Text& mainClass);

// The runtime ends the process with `exitCode` (System.exit) and nothing of the launcher runs after
// this: the service reports STOPPED with that code now.
void serviceExiting(int exitCode);
