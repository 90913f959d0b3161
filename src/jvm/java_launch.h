// Loading the runtime, assembling its options, and the Java thread.
#pragma once

class LauncherApp;

// Builds the VM options from the layered settings; false when the settings file path cannot be
// formed or the class path is empty (message 209): the launch then ends without creating the
// runtime. An option the runtime may refuse is no failure here (vm_options.cpp).
bool assembleVmOptions(LauncherApp& app);

// Runs the Java side on its own thread and waits for it; 0 when main returned.
int startJavaThread(LauncherApp& app);

// Destroys the virtual machine if one exists.
void destroyVm(LauncherApp& app);
