// The process environment the Java runtime starts in.
#pragma once

#include "jvm/java_session.h"
#include "jvm/vm_option_settings.h"

// Publishes the location of session.jvmLibraryPath (VORNIC_JVM_PATH, VORNIC_JVM_HOME), adds the
// library-path option to session.vmOptions when "Library Path" is set, and puts "System Path" before
// and the runtime's bin folder after the process "Path".
void prepareJvmEnvironment(const VmOptionSettings& settings, JavaSession& session);
