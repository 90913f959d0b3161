// The process environment the Java runtime starts in.
#pragma once

class LauncherApp;

// Environment variables, the process "Path" and the library-path option.
void prepareJvmEnvironment(LauncherApp& app);
