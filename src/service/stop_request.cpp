#include "service/stop_request.h"

#include "jni/local_refs.h"
#include "jni/pending_exception.h"
#include "jni/system_exit.h"

StopOutcome requestApplicationStop(JNIEnv* env, const std::string& mainClass, const std::string& stopMethod) {
    if (!stopMethod.empty()) {
        LocalRefs refs(env);
        jclass owner = refs.keep(env->FindClass(mainClass.c_str()));
        jmethodID method = owner ? env->GetStaticMethodID(owner, stopMethod.c_str(), "()V") : nullptr;
        if (method) {
            env->CallStaticVoidMethod(owner, method);
            describePending(env);
            return StopOutcome::StopMethodReturned;
        }
        // A stop that never reaches the application would leave only the time limit: exit instead.
        describePending(env);
    }
    return callSystemExit(env, 0) == SystemExitCall::NotCalled ? StopOutcome::Failed : StopOutcome::SystemExitReturned;
}
