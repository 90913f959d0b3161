// The settings the Java thread runs the application with, as values; filled by
// LauncherSettings::javaRunSettings (app/launcher_settings.h).
#pragma once

#include "support/text.h"

struct JavaRunSettings {
    Text mainClass;             // slash form: "com/example/Main"
    bool failureCheck = false;  // "Failure Check": main's escaped exception is shown
    bool keepAttached = false;  // an IBM runtime: the thread stays attached after main returns
};
