// The Java thread: creates the virtual machine, points its streams at files, runs main, shows an
// escaped exception, and takes the machine down.
#pragma once

#include <windows.h>

#include <jni.h>

#include "jvm/java_run_settings.h"
#include "jvm/java_session.h"
#include "jvm/java_thread_observer.h"
#include "jvm/output_redirection.h"

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

// The body of the Java thread: how main ended, after the machine was destroyed; Failed when it
// could not run.
JavaEnd javaThreadMain(JavaSession& session, const JavaRunSettings& settings, JavaThreadObserver& observer);

// JNI_CreateJavaVM with the assembled options and the two hooks; message 203 on failure. Then the
// stream redirection, whose failures do not count.
bool createVm(JavaSession& session);

// The main class, main(String[]) and what follows it: an exception main threw is shown ("Failure
// Check") or reported on the error stream. Failed after a failure was shown or described.
JavaEnd invokeMain(JavaSession& session, const JavaRunSettings& settings, JavaThreadObserver& observer);

// The runtime's default Java stack size (JNI_GetDefaultJavaVMInitArgs), 0 when it names none.
unsigned long long defaultStackSize(const JvmLibrary& library);

// The stack trace in ExceptionDialog; true when the user asked to end the program (also when the
// dialog cannot be shown), false to go on or when there is no text to show.
bool showExceptionDialog(JNIEnv* env, jthrowable throwable);

// Hooks handed to the runtime as the options "exit" and "abort". They touch no launcher state; the
// exit hook tells the listener (listenForVmExit), the last chance before the process ends.
void JNICALL vmExitHook(jint code);
void JNICALL vmAbortHook();
