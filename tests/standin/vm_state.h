// The one virtual machine of the process: its hooks, its non-daemon threads, its JNIEnv and JavaVM.
#pragma once

#include <jni.h>

#include <functional>

namespace standin {

JNIEnv* theEnv();
JavaVM* theVm();

// System.exit: records, calls the launcher's exit hook, ends the process with `code`.
[[noreturn]] void systemExit(jint code);
// The abort hook, then abort().
[[noreturn]] void systemAbort();

// A non-daemon Java thread: DestroyJavaVM waits until `work` has returned.
void startNonDaemonThread(std::function<void()> work);

}  // namespace standin
