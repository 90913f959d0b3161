#include "jvm/java_invocation.h"

#include <string>

#include "jvm/java_strings.h"
#include "jni/local_refs.h"
#include "jni/pending_exception.h"
#include "texts/resource_ids.h"

namespace {

// LauncherHelper reports a missing or broken main class itself and checks the module system; null
// when this runtime lacks it or it gave no class.
jclass loadThroughLauncherHelper(JNIEnv* env, BootClassFinder bootFinder, const Text& mainClass) {
    if (!bootFinder) return nullptr;
    LocalRefs refs(env);
    jclass helper = refs.keep(bootFinder(env, "sun/launcher/LauncherHelper"));
    if (!helper) return nullptr;
    jmethodID checkAndLoad =
        env->GetStaticMethodID(helper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    jstring dotted = checkAndLoad ? refs.keep(newJavaString(env, replaceChar(mainClass, L'/', L'.'))) : nullptr;
    if (!dotted) return nullptr;
    // true: report problems on the error stream; 1: the name is a class name.
    return static_cast<jclass>(
        env->CallStaticObjectMethod(helper, checkAndLoad, static_cast<jboolean>(JNI_TRUE), jint{1}, dotted));
}

}  // namespace

jclass loadMainClass(JNIEnv* env, BootClassFinder bootFinder, const Text& mainClass, InvocationHost& host) {
    if (jclass found = loadThroughLauncherHelper(env, bootFinder, mainClass)) return found;
    clearPending(env);

    LocalRefs refs(env);
    jstring name = refs.keep(newJavaString(env, mainClass));
    if (!name) {
        host.showMessage(kMsgMainClassNotFound, mainClass);
        return nullptr;
    }
    const char* chars = env->GetStringUTFChars(name, nullptr);
    if (!chars) {
        describePending(env);
        return nullptr;
    }
    jclass found = env->FindClass(chars);
    if (!found) {
        describePending(env);
        host.showMessage(kMsgMainInvocation, fromModifiedUtf8(chars));
    }
    env->ReleaseStringUTFChars(name, chars);
    return found;
}

bool runMain(JNIEnv* env, BootClassFinder bootFinder, const Text& mainClass, const TextList& arguments,
             InvocationHost& host) {
    LocalRefs refs(env);
    jclass mainType = refs.keep(loadMainClass(env, bootFinder, mainClass, host));
    if (!mainType) return false;

    jmethodID mainMethod = env->GetStaticMethodID(mainType, "main", "([Ljava/lang/String;)V");
    if (!mainMethod) {
        // The runtime's own NoSuchMethodError says more than our message could.
        if (!describePending(env)) host.showMessage(kMsgMainInvocationFailed, Text());
        return false;
    }
    jobjectArray javaArguments = refs.keep(newJavaStringArray(env, arguments));
    if (!javaArguments) {
        describePending(env);
        return false;
    }
    host.beforeMain();
    env->CallStaticVoidMethod(mainType, mainMethod, javaArguments);
    return true;
}

void reportUncaughtException(JNIEnv* env, jthrowable thrown) {
    LocalRefs refs(env);
    jclass threadClass = refs.keep(env->FindClass("java/lang/Thread"));
    jmethodID current =
        threadClass ? env->GetStaticMethodID(threadClass, "currentThread", "()Ljava/lang/Thread;") : nullptr;
    jobject thread = current ? refs.keep(env->CallStaticObjectMethod(threadClass, current)) : nullptr;
    jmethodID getHandler = thread ? env->GetMethodID(threadClass, "getUncaughtExceptionHandler",
                                                     "()Ljava/lang/Thread$UncaughtExceptionHandler;")
                                  : nullptr;
    jobject handler = getHandler ? refs.keep(env->CallObjectMethod(thread, getHandler)) : nullptr;
    jclass handlerClass = handler ? refs.keep(env->GetObjectClass(handler)) : nullptr;
    jmethodID uncaught = handlerClass ? env->GetMethodID(handlerClass, "uncaughtException",
                                                         "(Ljava/lang/Thread;Ljava/lang/Throwable;)V")
                                      : nullptr;
    if (uncaught) {
        env->CallVoidMethod(handler, uncaught, thread, thrown);
        describePending(env);  // what the handler itself threw
    } else {
        // A thread the runtime put in no group: printed on System.err as its group would print it
        // (a runtime's own ExceptionDescribe may narrow the text to bytes).
        clearPending(env);
        jclass thrownClass = refs.keep(env->GetObjectClass(thrown));
        jmethodID print = thrownClass ? env->GetMethodID(thrownClass, "printStackTrace", "()V") : nullptr;
        if (print) {
            env->CallVoidMethod(thrown, print);
            describePending(env);
        } else {
            clearPending(env);
            env->Throw(thrown);
            env->ExceptionDescribe();
        }
    }
}

bool requestSystemExit(JNIEnv* env) { return callSystemExit(env, -1) == SystemExitCall::Returned; }

SecondaryMain findSecondaryMain(JNIEnv* env, jclass mainClass) {
    SecondaryMain found;
    found.method = env->GetStaticMethodID(mainClass, "secondaryMain", "([Ljava/lang/String;)V");
    clearPending(env);
    if (found.method) {
        found.kind = SecondaryMain::Kind::Void;
        return found;
    }
    found.method = env->GetStaticMethodID(mainClass, "secondaryMain", "([Ljava/lang/String;)I");
    if (found.method) {
        found.kind = SecondaryMain::Kind::Int;
    } else {
        describePending(env);
    }
    return found;
}

jint callSecondaryMain(JNIEnv* env, jclass mainClass, const SecondaryMain& secondary, jobjectArray arguments) {
    switch (secondary.kind) {
    case SecondaryMain::Kind::Void:
        env->CallStaticVoidMethod(mainClass, secondary.method, arguments);
        return 0;
    case SecondaryMain::Kind::Int:
        return env->CallStaticIntMethod(mainClass, secondary.method, arguments);
    case SecondaryMain::Kind::Missing:
        break;
    }
    return 0;
}

bool serveSecondaryRequest(JNIEnv* env, const char* mainClass, const TextList& arguments, SecondaryReply reply,
                           void* context) {
    LocalRefs refs(env);
    jclass found = refs.keep(env->FindClass(mainClass));
    if (!found) {
        describePending(env);
        return false;
    }
    bool served = false;
    const SecondaryMain secondary = findSecondaryMain(env, found);
    if (secondary.kind != SecondaryMain::Kind::Missing) {
        if (jobjectArray javaArguments = refs.keep(newJavaStringArray(env, arguments))) {
            if (secondary.kind == SecondaryMain::Kind::Void) reply(context, 0);
            const jint result = callSecondaryMain(env, found, secondary, javaArguments);
            const bool threw = env->ExceptionCheck() == JNI_TRUE;
            // An exception instead of a result is a failed hand-over, not a 0 the method never returned.
            if (secondary.kind == SecondaryMain::Kind::Int) reply(context, threw ? -1 : result);
            served = !describePending(env);
        } else {
            describePending(env);
        }
    }
    return served;
}
