// JNI_CreateJavaVM with the launcher's options and its two hooks: the one way every caller, the Java
// thread and the tests on a real runtime alike, creates the virtual machine.
#pragma once

#include <jni.h>

#include <string>
#include <vector>

#include "jvm/jni_types.h"

// Calls `create` with `options` in their order, then the options "abort" and "exit" carrying the
// hooks; unrecognized options are refused. The runtime's result code; `vm` and `env` are set on JNI_OK.
jint createJavaVm(CreateJavaVmFunction create, const std::vector<std::string>& options, VmExitHook exitHook,
                  VmAbortHook abortHook, JavaVM*& vm, JNIEnv*& env);
