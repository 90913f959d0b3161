#include "jni/system_exit.h"

#include "jni/local_refs.h"
#include "jni/pending_exception.h"

SystemExitCall callSystemExit(JNIEnv* env, jint code) {
    LocalRefs refs(env);
    jclass system = refs.keep(env->FindClass("java/lang/System"));
    jmethodID exitMethod = system ? env->GetStaticMethodID(system, "exit", "(I)V") : nullptr;
    if (!exitMethod) {
        describePending(env);
        return SystemExitCall::NotCalled;
    }
    env->CallStaticVoidMethod(system, exitMethod, code);
    return describePending(env) ? SystemExitCall::Threw : SystemExitCall::Returned;
}
