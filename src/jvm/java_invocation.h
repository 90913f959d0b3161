// Finding the main class and calling into it: the JNI side of running the application, free of
// any platform call so that it runs on a real virtual machine in the host build.
//
//   if (!runMain(env, library.findClassFromBootLoader, settings.mainClass, arguments, host)) { detach; fail }
//   if (jthrowable thrown = env->ExceptionOccurred()) { ... }   // main threw
#pragma once

#include <jni.h>

#include "jni/system_exit.h"
#include "support/text.h"

// The runtime's optional JVM_FindClassFromBootLoader.
using BootClassFinder = jclass(JNICALL*)(JNIEnv* env, const char* name);

// What the invocation needs from the platform.
class InvocationHost {
public:
    virtual ~InvocationHost() = default;
    // Messages 211 and 215 with the class name in slash form; 216 with an empty argument.
    virtual void showMessage(unsigned id, const Text& argument) = 0;
    // Just before main is called (the single-instance ready signal).
    virtual void beforeMain() = 0;
};

// The main class through LauncherHelper.checkAndLoadMain when `bootFinder` is given and the runtime
// has it, else through FindClass. `mainClass` is in slash form. Null after the failure was shown
// (211, 215) or described.
jclass loadMainClass(JNIEnv* env, BootClassFinder bootFinder, const Text& mainClass, InvocationHost& host);

// Finds the main class and its main(String[]), builds the arguments and calls main. False, after
// the failure was shown or described, when main could not be called; true when it ran, with any
// exception it threw left pending.
bool runMain(JNIEnv* env, BootClassFinder bootFinder, const Text& mainClass, const TextList& arguments,
             InvocationHost& host);

// An exception that escaped main, told as the runtime tells one that ends any other thread: to the
// thread's uncaught-exception handler (the program's own, else its thread group, which prints it on
// System.err). Without a handler its printStackTrace() prints it, and ExceptionDescribe only when
// that cannot be called. Call with nothing pending; nothing is left pending.
void reportUncaughtException(JNIEnv* env, jthrowable thrown);

// System.exit(-1), the end the user asked for; false when it was not made or threw.
bool requestSystemExit(JNIEnv* env);

// The optional static "secondaryMain" of a main class: the void variant first, then the int one.
struct SecondaryMain {
    enum class Kind { Missing, Void, Int };
    Kind kind = Kind::Missing;
    jmethodID method = nullptr;
};

// Describes a pending exception when neither variant exists.
SecondaryMain findSecondaryMain(JNIEnv* env, jclass mainClass);

// Calls a found "secondaryMain" with `arguments`: its result for the int variant, 0 for the void one.
// An exception it throws is left pending.
jint callSecondaryMain(JNIEnv* env, jclass mainClass, const SecondaryMain& secondary, jobjectArray arguments);

// Where a later start's exit code goes: the single-instance channel posts it back to the start.
using SecondaryReply = void (*)(void* context, jint code);

// Serves one later start on an attached thread: finds the main class (`mainClass` in slash form, in
// the code page FindClass takes) and its "secondaryMain", and calls it with `arguments`. `reply` is
// called once: with 0 before the call of the void variant, with the result after the call of the int
// one, or with -1 when that one threw instead of returning. Nothing is replied when it cannot be
// called. False when it was not called or threw; the exception is described.
bool serveSecondaryRequest(JNIEnv* env, const char* mainClass, const TextList& arguments, SecondaryReply reply,
                           void* context);
