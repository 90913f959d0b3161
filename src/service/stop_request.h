// Asking a running Java application to stop, on a thread attached to its machine: the JNI side of a
// service's stop, free of platform calls.
//
//   const StopOutcome outcome = requestApplicationStop(env, "com/example/Main", "shutdown");
#pragma once

#include <jni.h>

#include <string>

enum class StopOutcome {
    StopMethodReturned,   // the configured method ran and returned (it may have thrown: described)
    SystemExitReturned,   // System.exit(0) came back, which the runtime does not normally do
    Failed,               // neither could be called (described on the runtime's error stream)
};

// Calls the static void `stopMethod`() of `mainClass` (slash form, in the code page FindClass takes).
// Without a stop method, or when the main class has none of that name, System.exit(0) instead, so
// that the application's shutdown hooks run.
StopOutcome requestApplicationStop(JNIEnv* env, const std::string& mainClass, const std::string& stopMethod);
