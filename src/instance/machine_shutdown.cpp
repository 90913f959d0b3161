#include "instance/machine_shutdown.h"

#include "jni/local_refs.h"

// Only while it shuts down does the runtime refuse a new shutdown hook, with IllegalStateException.
bool machineShuttingDown(JNIEnv* env) {
    LocalRefs refs(env);
    jclass runtimeClass = refs.keep(env->FindClass("java/lang/Runtime"));
    jclass threadClass = runtimeClass ? refs.keep(env->FindClass("java/lang/Thread")) : nullptr;
    jclass refusal = threadClass ? refs.keep(env->FindClass("java/lang/IllegalStateException")) : nullptr;
    jmethodID getRuntime =
        refusal ? env->GetStaticMethodID(runtimeClass, "getRuntime", "()Ljava/lang/Runtime;") : nullptr;
    jmethodID add = getRuntime ? env->GetMethodID(runtimeClass, "addShutdownHook", "(Ljava/lang/Thread;)V") : nullptr;
    jmethodID remove =
        add ? env->GetMethodID(runtimeClass, "removeShutdownHook", "(Ljava/lang/Thread;)Z") : nullptr;
    jmethodID newThread = remove ? env->GetMethodID(threadClass, "<init>", "()V") : nullptr;
    jobject runtime = newThread ? refs.keep(env->CallStaticObjectMethod(runtimeClass, getRuntime)) : nullptr;
    jobject hook = runtime ? refs.keep(env->NewObject(threadClass, newThread)) : nullptr;
    bool refused = false;
    if (hook) {
        env->CallVoidMethod(runtime, add, hook);
        jthrowable thrown = refs.keep(env->ExceptionOccurred());
        env->ExceptionClear();
        refused = thrown && env->IsInstanceOf(thrown, refusal);
        if (!thrown) env->CallBooleanMethod(runtime, remove, hook);
    }
    // A runtime without these classes cannot tell: the request is served as always.
    env->ExceptionClear();
    return refused;
}
