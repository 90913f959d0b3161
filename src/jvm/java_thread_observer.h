// What the Java thread tells the rest of the launcher, from the Java thread itself.
#pragma once

#include <jni.h>

class JavaThreadObserver {
public:
    virtual ~JavaThreadObserver() = default;

    // main is about to be called on `vm`.
    virtual void mainStarting(JavaVM* vm) = 0;

    // main ended with an exception, before its dialog shows.
    virtual void mainThrew() = 0;
};

// The runtime ends the process with `exitCode` (System.exit), from its exit hook: nothing of the
// launcher runs after this. A plain function, as the hook is one: a thread the application left
// behind may call System.exit after the observer's launch has returned.
using VmExitListener = void (*)(int exitCode);

// Called by the exit hook from now on; set before the runtime is created.
void listenForVmExit(VmExitListener listener);
