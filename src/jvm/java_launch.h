// Loading the runtime, assembling its options, and the Java thread.
#pragma once

class LauncherApp;

// Loads jvm.dll from jvmLibraryPath; false after the failure was shown.
bool loadJvmLibrary(LauncherApp& app);

// Builds the VM options from the settings; false after a problem was shown (the launch goes on).
bool assembleVmOptions(LauncherApp& app);

// Runs the Java side on its own thread and waits for it; 0 when main returned.
int startJavaThread(LauncherApp& app);

// Destroys the virtual machine if one exists.
void destroyVm(LauncherApp& app);
