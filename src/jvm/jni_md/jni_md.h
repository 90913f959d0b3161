// The machine-dependent part of the JNI header for the Windows builds, placed before the JDK's include
// folder so that the JDK's jni.h picks it up. On x86 the calling convention is part of every JNI
// function pointer's type: a wrong one corrupts the stack only there.
#pragma once
#ifndef _JAVASOFT_JNI_MD_H_
#define _JAVASOFT_JNI_MD_H_

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;  // 32 bits on both Windows widths (LLP64)
typedef long long jlong;
typedef signed char jbyte;

#endif
