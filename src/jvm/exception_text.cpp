#include "jvm/exception_text.h"

#include "jvm/java_strings.h"
#include "jni/local_refs.h"
#include "jni/pending_exception.h"

Text exceptionText(JNIEnv* env, jthrowable throwable) {
    if (!throwable) return Text();
    LocalRefs refs(env);

    // Printed and read back in UTF-8: the platform's default charset (the ANSI code page up to Java
    // 17) would make every character outside it a "?".
    jstring encoding = refs.keep(newJavaString(env, L"UTF-8"));
    jclass bytesClass = encoding ? refs.keep(env->FindClass("java/io/ByteArrayOutputStream")) : nullptr;
    jmethodID bytesInit = bytesClass ? env->GetMethodID(bytesClass, "<init>", "()V") : nullptr;
    jobject bytes = bytesInit ? refs.keep(env->NewObject(bytesClass, bytesInit)) : nullptr;
    jclass printClass = bytes ? refs.keep(env->FindClass("java/io/PrintStream")) : nullptr;
    jmethodID printInit =
        printClass ? env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;ZLjava/lang/String;)V") : nullptr;
    jobject printer =
        printInit ? refs.keep(env->NewObject(printClass, printInit, bytes, static_cast<jboolean>(JNI_FALSE), encoding))
                  : nullptr;
    jclass throwableClass = printer ? refs.keep(env->GetObjectClass(throwable)) : nullptr;
    jmethodID printStackTrace =
        throwableClass ? env->GetMethodID(throwableClass, "printStackTrace", "(Ljava/io/PrintStream;)V") : nullptr;
    if (!printStackTrace) {
        describePending(env);
        return Text();
    }

    env->CallVoidMethod(throwable, printStackTrace, printer);
    // A printStackTrace that throws still leaves what it printed so far in the buffer.
    describePending(env);

    jclass bufferClass = refs.keep(env->GetObjectClass(bytes));
    jmethodID toString =
        bufferClass ? env->GetMethodID(bufferClass, "toString", "(Ljava/lang/String;)Ljava/lang/String;") : nullptr;
    if (!toString) {
        describePending(env);
        return Text();
    }
    auto printed = static_cast<jstring>(refs.keep(env->CallObjectMethod(bytes, toString, encoding)));
    describePending(env);
    if (!printed) return Text();

    const char* chars = env->GetStringUTFChars(printed, nullptr);
    if (!chars) {
        describePending(env);
        return Text();
    }
    Text text = fromModifiedUtf8(chars);
    env->ReleaseStringUTFChars(printed, chars);
    return text;
}
