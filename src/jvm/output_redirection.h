// Pointing System.out and System.err at files, right after the virtual machine exists.
//
//   redirectOutput(env, app.outputFile, app.outputAppend, app.errorFile, app.errorAppend, platform);
#pragma once

#include <jni.h>

#include "jvm/date_time_pattern.h"
#include "support/text.h"

// What the redirection needs from the system: the local time, the locale's formatters and folders.
class RedirectionPlatform : public DateTimeFormatter {
public:
    virtual LocalTime localTime() = 0;
    // Creates the missing folders that lead to the file; failures show up when the file is opened.
    virtual void createParentFolders(const Text& file) = 0;
};

enum class JavaStream { Out, Err };

// Creates the file's folders, opens it through FileOutputStream(name, append) and installs a
// PrintStream over it with System.setOut or System.setErr. False when any step failed; an
// exception raised by the runtime may then be pending.
bool redirectStream(JNIEnv* env, const Text& fileName, bool append, JavaStream target, RedirectionPlatform& platform);

// Expands the date patterns of both names with one instant (the names are rewritten in place) and
// redirects each non-empty one. A failure is described on the error stream and the start goes on.
void redirectOutput(JNIEnv* env, Text& outputFile, bool outputAppend, Text& errorFile, bool errorAppend,
                    RedirectionPlatform& platform);
