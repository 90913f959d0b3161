// The one virtual machine of the process: its hooks, its non-daemon threads, its JNIEnv and JavaVM.
#pragma once

#include <jni.h>

#include <functional>
#include <string>

namespace standin {

JNIEnv* theEnv();
JavaVM* theVm();

// System.exit: records, calls the launcher's exit hook, ends the process with `code`.
[[noreturn]] void systemExit(jint code);
// The abort hook, then abort().
[[noreturn]] void systemAbort();

// True from the moment the machine shuts down (the last non-daemon thread has ended in DestroyJavaVM,
// or System.exit was called): Runtime.addShutdownHook refuses from then on, as a runtime's does.
bool shuttingDown();

// A non-daemon Java thread: DestroyJavaVM waits until `work` has returned.
void startNonDaemonThread(std::function<void()> work);

// The value of a "-Dname=value" option the machine was created with; empty when there was none.
std::string systemProperty(const std::string& name);

}  // namespace standin
