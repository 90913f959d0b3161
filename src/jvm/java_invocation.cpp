#include "jvm/java_invocation.h"

#include <string>

#include "jvm/java_strings.h"
#include "texts/resource_ids.h"

namespace {

// True (and the exception cleared) when one was pending.
bool clearPending(JNIEnv* env) {
    jthrowable pending = env->ExceptionOccurred();
    if (!pending) return false;
    env->ExceptionClear();
    env->DeleteLocalRef(pending);
    return true;
}

bool describePending(JNIEnv* env) {
    jthrowable pending = env->ExceptionOccurred();
    if (!pending) return false;
    env->DeleteLocalRef(pending);
    env->ExceptionDescribe();  // prints and clears
    return true;
}

// LauncherHelper reports a missing or broken main class itself and checks the module system; null
// when this runtime lacks it or it gave no class.
jclass loadThroughLauncherHelper(JNIEnv* env, BootClassFinder bootFinder, const Text& mainClass) {
    if (!bootFinder) return nullptr;
    jclass helper = bootFinder(env, "sun/launcher/LauncherHelper");
    if (!helper) return nullptr;
    jclass result = nullptr;
    jmethodID checkAndLoad =
        env->GetStaticMethodID(helper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    if (checkAndLoad) {
        jstring dotted = newJavaString(env, replaceChar(mainClass, L'/', L'.'));
        if (dotted) {
            // true: report problems on the error stream; 1: the name is a class name.
            result = static_cast<jclass>(
                env->CallStaticObjectMethod(helper, checkAndLoad, static_cast<jboolean>(JNI_TRUE), jint{1}, dotted));
            env->DeleteLocalRef(dotted);
        }
    }
    env->DeleteLocalRef(helper);
    return result;
}

}  // namespace

jclass findMainClass(JNIEnv* env, BootClassFinder bootFinder, const Text& mainClass, InvocationHost& host) {
    if (jclass found = loadThroughLauncherHelper(env, bootFinder, mainClass)) return found;
    clearPending(env);

    jstring name = newJavaString(env, mainClass);
    if (!name) {
        host.showMessage(kMsgMainClassNotFound, mainClass);
        return nullptr;
    }
    const char* chars = env->GetStringUTFChars(name, nullptr);
    if (!chars) {
        describePending(env);
        env->DeleteLocalRef(name);
        return nullptr;
    }
    jclass found = env->FindClass(chars);
    if (!found) {
        describePending(env);
        host.showMessage(kMsgMainInvocation, fromModifiedUtf8(chars));
    }
    env->ReleaseStringUTFChars(name, chars);
    env->DeleteLocalRef(name);
    return found;
}

bool runMain(JNIEnv* env, BootClassFinder bootFinder, const Text& mainClass, const TextList& arguments,
             InvocationHost& host) {
    jclass mainType = findMainClass(env, bootFinder, mainClass, host);
    if (!mainType) return false;

    jmethodID mainMethod = env->GetStaticMethodID(mainType, "main", "([Ljava/lang/String;)V");
    if (!mainMethod) {
        // The runtime's own NoSuchMethodError says more than our message could.
        if (!describePending(env)) host.showMessage(kMsgMainInvocationFailed, Text());
        env->DeleteLocalRef(mainType);
        return false;
    }
    jobjectArray javaArguments = newJavaStringArray(env, arguments);
    if (!javaArguments) {
        describePending(env);
        env->DeleteLocalRef(mainType);
        return false;
    }
    host.beforeMain();
    env->CallStaticVoidMethod(mainType, mainMethod, javaArguments);
    env->DeleteLocalRef(javaArguments);
    env->DeleteLocalRef(mainType);
    return true;
}

void reportUncaughtException(JNIEnv* env, jthrowable thrown) {
    jclass threadClass = env->FindClass("java/lang/Thread");
    jmethodID current =
        threadClass ? env->GetStaticMethodID(threadClass, "currentThread", "()Ljava/lang/Thread;") : nullptr;
    jobject thread = current ? env->CallStaticObjectMethod(threadClass, current) : nullptr;
    jmethodID getHandler = thread ? env->GetMethodID(threadClass, "getUncaughtExceptionHandler",
                                                     "()Ljava/lang/Thread$UncaughtExceptionHandler;")
                                  : nullptr;
    jobject handler = getHandler ? env->CallObjectMethod(thread, getHandler) : nullptr;
    jclass handlerClass = handler ? env->GetObjectClass(handler) : nullptr;
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
        jclass thrownClass = env->GetObjectClass(thrown);
        jmethodID print = thrownClass ? env->GetMethodID(thrownClass, "printStackTrace", "()V") : nullptr;
        if (print) {
            env->CallVoidMethod(thrown, print);
            describePending(env);
        } else {
            clearPending(env);
            env->Throw(thrown);
            env->ExceptionDescribe();
        }
        if (thrownClass) env->DeleteLocalRef(thrownClass);
    }
    for (jobject ref : {static_cast<jobject>(handlerClass), handler, thread, static_cast<jobject>(threadClass)}) {
        if (ref) env->DeleteLocalRef(ref);
    }
}

bool requestSystemExit(JNIEnv* env) {
    jclass system = env->FindClass("java/lang/System");
    if (!system) return false;
    jmethodID exitMethod = env->GetStaticMethodID(system, "exit", "(I)V");
    if (!exitMethod) {
        env->DeleteLocalRef(system);
        return false;
    }
    env->CallStaticVoidMethod(system, exitMethod, jint{-1});
    env->DeleteLocalRef(system);
    return !describePending(env);
}

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
    jclass found = env->FindClass(mainClass);
    if (!found) {
        describePending(env);
        return false;
    }
    bool served = false;
    const SecondaryMain secondary = findSecondaryMain(env, found);
    if (secondary.kind != SecondaryMain::Kind::Missing) {
        if (jobjectArray javaArguments = newJavaStringArray(env, arguments)) {
            if (secondary.kind == SecondaryMain::Kind::Void) reply(context, 0);
            const jint result = callSecondaryMain(env, found, secondary, javaArguments);
            const bool threw = env->ExceptionCheck() == JNI_TRUE;
            // An exception instead of a result is a failed hand-over, not a 0 the method never returned.
            if (secondary.kind == SecondaryMain::Kind::Int) reply(context, threw ? -1 : result);
            served = !describePending(env);
            env->DeleteLocalRef(javaArguments);
        } else {
            describePending(env);
        }
    }
    env->DeleteLocalRef(found);
    return served;
}
