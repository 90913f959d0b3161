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
