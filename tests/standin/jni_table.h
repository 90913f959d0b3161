// The two function tables of the stand-in (jni_functions.cpp, invocation.cpp).
#pragma once

#include <jni.h>

namespace standin {

const JNINativeInterface_* nativeInterface();

}  // namespace standin
