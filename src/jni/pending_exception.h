// What a JNI caller does with an exception a call left pending: print it as the runtime prints one
// (ExceptionDescribe, which also clears it), or drop it.
#pragma once

#include <jni.h>

// Prints and clears a pending exception; true when one was pending.
inline bool describePending(JNIEnv* env) {
    if (!env->ExceptionCheck()) return false;
    env->ExceptionDescribe();
    return true;
}

// Clears a pending exception unseen; true when one was pending.
inline bool clearPending(JNIEnv* env) {
    if (!env->ExceptionCheck()) return false;
    env->ExceptionClear();
    return true;
}
