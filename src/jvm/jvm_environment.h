// The process environment the Java runtime starts in.
#pragma once

class LauncherApp;

// Publishes the runtime's location (VORNIC_JVM_PATH, VORNIC_JVM_HOME), adds the library-path option
// when "Library Path" is set, and puts "System Path" before and the runtime's bin folder after the
// process "Path".
void prepareJvmEnvironment(LauncherApp& app);
