// Java strings from launcher text and back. Every call needs a pending-exception-free JNIEnv of
// the calling thread.
//
//   jobjectArray args = newJavaStringArray(env, session.mainArguments);   // null on failure
#pragma once

#include <jni.h>

#include <string>

#include "support/text.h"

// A java.lang.String with the UTF-16 code units of `text`, built through new String(char[]); null
// when a look-up or allocation fails (an exception is then pending).
jstring newJavaString(JNIEnv* env, const Text& text);

// A String[] with one element per entry, in order; null on failure.
jobjectArray newJavaStringArray(JNIEnv* env, const TextList& list);

// The UTF-16 code units of `text`; wchar_t is 32 bits wide outside Windows.
std::u16string toUtf16Units(const Text& text);
Text fromUtf16Units(const std::u16string& units);

// Decodes the (modified) UTF-8 that GetStringUTFChars gives; a malformed byte becomes U+FFFD.
Text fromModifiedUtf8(const char* bytes);
