#include "service/stop_request.h"

namespace {

void describePending(JNIEnv* env) {
    if (env->ExceptionCheck()) env->ExceptionDescribe();
}

bool callSystemExit(JNIEnv* env) {
    jclass system = env->FindClass("java/lang/System");
    jmethodID exit = system ? env->GetStaticMethodID(system, "exit", "(I)V") : nullptr;
    if (!exit) {
        describePending(env);
        if (system) env->DeleteLocalRef(system);
        return false;
    }
    env->CallStaticVoidMethod(system, exit, 0);
    describePending(env);
    env->DeleteLocalRef(system);
    return true;
}

}  // namespace

StopOutcome requestApplicationStop(JNIEnv* env, const std::string& mainClass, const std::string& stopMethod) {
    if (!stopMethod.empty()) {
        jclass owner = env->FindClass(mainClass.c_str());
        jmethodID method = owner ? env->GetStaticMethodID(owner, stopMethod.c_str(), "()V") : nullptr;
        if (method) {
            env->CallStaticVoidMethod(owner, method);
            describePending(env);
            env->DeleteLocalRef(owner);
            return StopOutcome::StopMethodReturned;
        }
        // A stop that never reaches the application would leave only the time limit: exit instead.
        describePending(env);
        if (owner) env->DeleteLocalRef(owner);
    }
    return callSystemExit(env) ? StopOutcome::SystemExitReturned : StopOutcome::Failed;
}
