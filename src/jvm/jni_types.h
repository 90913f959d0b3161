// The runtime's entry points and hooks as this launcher calls them, declared once for everyone.
// JNICALL is part of each type: on x86 it is __stdcall, and a pointer of the wrong convention
// corrupts the stack only there.
#pragma once

#include <jni.h>

#include <cstdarg>
#include <cstdio>

// The JDK 1.1 init arguments, which the JDK 17 jni.h no longer declares. Only `version` and
// `javaStackSize` are used: JNI_GetDefaultJavaVMInitArgs fills the default Java stack size into it.
struct JDK1_1InitArgs {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
    jint minHeapSize;
    jint maxHeapSize;
    jint verifyMode;
    char* classpath;
    jint(JNICALL* vfprintf)(FILE* stream, const char* format, va_list args);
    void(JNICALL* exit)(jint code);
    void(JNICALL* abort)(void);
    jint enableClassGC;
    jint enableVerboseGC;
    jint disableAsyncGC;
    jint verbose;
    jboolean debugging;
    jint debugPort;
};

// Exports of jvm.dll.
using CreateJavaVmFunction = jint(JNICALL*)(JavaVM** vm, void** env, void* initArgs);
using GetDefaultInitArgsFunction = jint(JNICALL*)(void* initArgs);
using FindClassFromBootLoaderFunction = jclass(JNICALL*)(JNIEnv* env, const char* name);

// The hooks passed as the extraInfo of the VM options "exit" and "abort".
using VmExitHook = void(JNICALL*)(jint code);
using VmAbortHook = void(JNICALL*)(void);
