#include "jvm/output_redirection.h"

#include "jvm/java_strings.h"

namespace {

bool describePending(JNIEnv* env) {
    jthrowable pending = env->ExceptionOccurred();
    if (!pending) return false;
    env->DeleteLocalRef(pending);
    env->ExceptionDescribe();
    return true;
}

bool hasPattern(const Text& name) { return !name.empty() && name.find(L'%') != Text::npos; }

}  // namespace

bool redirectStream(JNIEnv* env, const Text& fileName, bool append, JavaStream target, RedirectionPlatform& platform) {
    platform.createParentFolders(fileName);
    jstring name = newJavaString(env, fileName);
    if (!name) return false;

    bool done = false;
    jclass fileClass = env->FindClass("java/io/FileOutputStream");
    jmethodID fileInit = fileClass ? env->GetMethodID(fileClass, "<init>", "(Ljava/lang/String;Z)V") : nullptr;
    jobject file = fileInit ? env->NewObject(fileClass, fileInit, name, static_cast<jboolean>(append)) : nullptr;
    jclass printClass = file ? env->FindClass("java/io/PrintStream") : nullptr;
    jmethodID printInit = printClass ? env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V") : nullptr;
    jobject printer = printInit ? env->NewObject(printClass, printInit, file) : nullptr;
    jclass system = printer ? env->FindClass("java/lang/System") : nullptr;
    const char* setter = target == JavaStream::Out ? "setOut" : "setErr";
    jmethodID set = system ? env->GetStaticMethodID(system, setter, "(Ljava/io/PrintStream;)V") : nullptr;
    if (set) {
        env->CallStaticVoidMethod(system, set, printer);
        done = !describePending(env);
    }

    for (jobject ref : {static_cast<jobject>(system), printer, static_cast<jobject>(printClass), file,
                        static_cast<jobject>(fileClass), static_cast<jobject>(name)}) {
        if (ref) env->DeleteLocalRef(ref);
    }
    return done;
}

void redirectOutput(JNIEnv* env, Text& outputFile, bool outputAppend, Text& errorFile, bool errorAppend,
                    RedirectionPlatform& platform) {
    if (hasPattern(outputFile) || hasPattern(errorFile)) {
        const LocalTime now = platform.localTime();  // one instant for both names
        if (hasPattern(outputFile)) expandDateTimePattern(outputFile, now, platform);
        if (hasPattern(errorFile)) expandDateTimePattern(errorFile, now, platform);
    }
    if (!outputFile.empty() && !redirectStream(env, outputFile, outputAppend, JavaStream::Out, platform)) {
        describePending(env);
    }
    if (!errorFile.empty() && !redirectStream(env, errorFile, errorAppend, JavaStream::Err, platform)) {
        describePending(env);
    }
}
