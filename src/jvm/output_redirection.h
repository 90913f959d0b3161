// Pointing System.out and System.err at files, right after the virtual machine exists.
//
//   redirectOutput(env, session.outputFile, session.outputAppend, session.errorFile, session.errorAppend, platform);
#pragma once

#include <jni.h>

#include "jvm/date_time_pattern.h"
#include "support/text.h"

// What the redirection needs from the system: the local time, the environment, the locale's
// formatters, full paths and folders.
class RedirectionPlatform : public FileNameSystem {
public:
    virtual LocalTime localTime() = 0;
    // `name` resolved against the current folder, as the runtime resolves a relative file name.
    // False leaves `full` empty.
    virtual bool fullPath(const Text& name, Text& full) = 0;
    // Creates the missing folders that lead to the file `fullPath`: 0, or the system's error code.
    virtual unsigned long createParentFolders(const Text& fullPath) = 0;
};

enum class JavaStream { Out, Err };

// Opens `fileName` through FileOutputStream(name, append) and installs a PrintStream over it with
// System.setOut or System.setErr (both, for `bothStreams`). False when any step failed; an exception
// raised by the runtime may then be pending.
bool redirectStream(JNIEnv* env, const Text& fileName, bool append, JavaStream target, bool bothStreams = false);

// `outputFile` and `errorFile` hold the names as the settings wrote them. Each is expanded (its
// environment variables and its date pattern, both names with one instant), resolved to a full path
// and rewritten in place to that path; then each non-empty one gets its folders and its stream. Two
// names of one file share one stream, so that neither overwrites the other, unless both append. A
// failure is described on the error stream or traced, that stream stays as it was, and the start
// goes on.
void redirectOutput(JNIEnv* env, Text& outputFile, bool outputAppend, Text& errorFile, bool errorAppend,
                    RedirectionPlatform& platform);
