// The stack trace of a Java exception as text, rendered inside the virtual machine.
#pragma once

#include <jni.h>

#include "support/text.h"

// What throwable.printStackTrace prints, captured in UTF-8 through a ByteArrayOutputStream, so that
// every character of the message survives; empty when it cannot be produced. Call with no exception pending (the caller has cleared it).
Text exceptionText(JNIEnv* env, jthrowable throwable);
