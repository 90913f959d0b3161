// java.lang.System.exit called through JNI: by the Java thread when the user asks to end, and by a
// service's stop when the application names no stop method.
#pragma once

#include <jni.h>

// How a call of java.lang.System.exit came back, when it did: not made because a look-up failed, or
// made and raising an exception (both described), or made and returning.
enum class SystemExitCall { NotCalled, Threw, Returned };

// Calls java.lang.System.exit(code). Normally it does not return.
SystemExitCall callSystemExit(JNIEnv* env, jint code);
