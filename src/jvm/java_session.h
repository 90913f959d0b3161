// What the JVM phase hands from step to step: the runtime, the options it is created with, the
// streams it writes to, and the machine once it runs.
//
//   JavaSession session;
//   session.jvmLibraryPath = ...;                          // the runtime phase's choice
//   if (!session.jvmLibrary.load(session.jvmLibraryPath)) return -1;
//   if (!assembleVmOptions(settings, session)) return -1;
//   startJavaThread(session, runSettings, observer);        // java_thread.h
#pragma once

#include <cstdint>

#include "jvm/jvm_library.h"
#include "jvm/vm_option_list.h"
#include "support/text.h"

struct JavaSession {
    Text jvmLibraryPath;
    JvmLibrary jvmLibrary;
    VmOptionList vmOptions;
    std::uint64_t javaThreadStackSize = 0;  // bytes; 0 asks the runtime for its default
    TextList mainArguments;                 // the command line's, then the "Cmd" words
    Text outputFile;
    bool outputAppend = false;
    Text errorFile;
    bool errorAppend = false;
    JavaVM* vm = nullptr;   // null before creation and after destroyVm
    JNIEnv* env = nullptr;  // the Java thread's, valid on that thread only
};
