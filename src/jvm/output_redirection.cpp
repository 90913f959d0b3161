#include "jvm/output_redirection.h"

#include "jvm/java_strings.h"
#include "jni/local_refs.h"
#include "jni/pending_exception.h"
#include "settings/setting_names.h"
#include "support/trace.h"

namespace {

const wchar_t* settingOf(JavaStream stream) { return settingKey(stream == JavaStream::Out ? Setting::OutputFile : Setting::ErrorFile); }

// The name expanded and made full, its folders made. False (traced) when the folders cannot be made:
// the runtime could not open the file, and the stream is better left where a console shows it.
bool prepareFile(Text& name, JavaStream stream, RedirectionPlatform& platform) {
    Text full;
    if (platform.fullPath(name, full)) name = full;
    VORNIC_TRACE(Text(settingOf(stream)) + L": " + name);
    const unsigned long error = platform.createParentFolders(name);
    if (error != 0) {
        VORNIC_TRACE(Text(settingOf(stream)) + L" " + name + L": its folder cannot be created (error " +
                     decimalText(error) + L"); the stream is not redirected");
        return false;
    }
    return true;
}

}  // namespace

bool redirectStream(JNIEnv* env, const Text& fileName, bool append, JavaStream target, bool bothStreams) {
    LocalRefs refs(env);
    jstring name = refs.keep(newJavaString(env, fileName));
    if (!name) return false;

    bool done = false;
    jclass fileClass = refs.keep(env->FindClass("java/io/FileOutputStream"));
    jmethodID fileInit = fileClass ? env->GetMethodID(fileClass, "<init>", "(Ljava/lang/String;Z)V") : nullptr;
    jobject file = fileInit ? refs.keep(env->NewObject(fileClass, fileInit, name, static_cast<jboolean>(append))) : nullptr;
    jclass printClass = file ? refs.keep(env->FindClass("java/io/PrintStream")) : nullptr;
    jmethodID printInit = printClass ? env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V") : nullptr;
    jobject printer = printInit ? refs.keep(env->NewObject(printClass, printInit, file)) : nullptr;
    jclass system = printer ? refs.keep(env->FindClass("java/lang/System")) : nullptr;
    const char* setter = target == JavaStream::Out ? "setOut" : "setErr";
    jmethodID set = system ? env->GetStaticMethodID(system, setter, "(Ljava/io/PrintStream;)V") : nullptr;
    jmethodID setOther =
        set && bothStreams ? env->GetStaticMethodID(system, target == JavaStream::Out ? "setErr" : "setOut",
                                                    "(Ljava/io/PrintStream;)V")
                           : nullptr;
    if (set && (!bothStreams || setOther)) {
        env->CallStaticVoidMethod(system, set, printer);
        done = !describePending(env);
        if (done && bothStreams) {
            // One PrintStream for both: every line lands in the order the program wrote it.
            env->CallStaticVoidMethod(system, setOther, printer);
            done = !describePending(env);
        }
    }
    return done;
}

void redirectOutput(JNIEnv* env, Text& outputFile, bool outputAppend, Text& errorFile, bool errorAppend,
                    RedirectionPlatform& platform) {
    if (outputFile.find(L'%') != Text::npos || errorFile.find(L'%') != Text::npos) {
        const LocalTime now = platform.localTime();  // one instant for both names
        if (!outputFile.empty()) outputFile = expandFileName(outputFile, now, platform);
        if (!errorFile.empty()) errorFile = expandFileName(errorFile, now, platform);
    }
    const bool outputReady = !outputFile.empty() && prepareFile(outputFile, JavaStream::Out, platform);
    const bool errorReady = !errorFile.empty() && prepareFile(errorFile, JavaStream::Err, platform);

    // Two streams that each truncate the file and write from their own position overwrite each
    // other; two that append do not, since every write goes to the end.
    if (outputReady && errorReady && equalsNoCase(outputFile, errorFile) && !(outputAppend && errorAppend)) {
        VORNIC_TRACE(L"Output File and Error File are one file: " + outputFile + L", one stream for both");
        if (!redirectStream(env, outputFile, false, JavaStream::Out, true)) describePending(env);
        return;
    }
    if (outputReady && !redirectStream(env, outputFile, outputAppend, JavaStream::Out)) describePending(env);
    if (errorReady && !redirectStream(env, errorFile, errorAppend, JavaStream::Err)) describePending(env);
}
