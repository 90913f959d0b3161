// Loading the runtime, assembling its options, and the Java thread.
#pragma once

#include "jvm/java_run_settings.h"
#include "jvm/java_session.h"
#include "jvm/java_thread_observer.h"
#include "jvm/vm_option_settings.h"

// Builds the VM options from the layered settings; false when the settings file path cannot be
// formed or the class path is empty (message 209): the launch then ends without creating the
// runtime. An option the runtime may refuse is no failure here (vm_options.cpp).
bool assembleVmOptions(const VmOptionSettings& settings, JavaSession& session);

// How the Java side ended when it returned to the launcher (System.exit never does); the Java
// thread's exit code.
enum class JavaEnd : unsigned long { MainReturned = 0, Failed = 1, MainThrew = 2 };

// A launch whose main ended by an exception ends with 1, as the runtime's own launcher does: a
// script or a service manager must not take a crash for success.
constexpr int kMainThrewExitCode = 1;

// Runs the Java side on its own thread and waits for it. `observer` hears from that thread.
JavaEnd startJavaThread(JavaSession& session, const JavaRunSettings& settings, JavaThreadObserver& observer);

// Destroys the virtual machine if one exists.
void destroyVm(JavaSession& session);
