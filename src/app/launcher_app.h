// The one application object of a launcher process: the settings as values, the state that the
// phases hand on, and the three phases of a launch.
//
//   LauncherApp app;
//   int exitCode = app.initialize() ? app.run() : -1;   // the destructor shuts down in order
#pragma once

#include <cstdint>

#include "instance/instance_channel.h"
#include "jvm/jvm_library.h"
#include "jvm/vm_option_list.h"
#include "settings/launcher_settings.h"
#include "splash/splash_controller.h"
#include "support/text.h"

// The settings are a base rather than a member while the JVM phase still reads its fields by name.
class LauncherApp : public LauncherSettings {
public:
    LauncherApp() = default;
    ~LauncherApp();
    LauncherApp(const LauncherApp&) = delete;
    LauncherApp& operator=(const LauncherApp&) = delete;

    // Command line, settings, single-instance decision, working folder, runtime. False ends the
    // launch with -1.
    bool initialize();

    // Paired build, second-instance reply, or the Java application itself. The exit code.
    int run();

    // Command line.
    TextList commandArguments;

    // Runtime.
    Text jvmLibraryPath;
    bool runPairProduct = false;
    // Started by the paired launcher's hand-over: this process never hands over again.
    bool startedByHandOver = false;

    // JVM hosting.
    JvmLibrary jvmLibrary;
    VmOptionList vmOptions;
    std::uint64_t javaThreadStackSize = 0;  // bytes; 0 asks the runtime for its default
    JavaVM* vm = nullptr;    // null before creation and after destroyVm
    JNIEnv* env = nullptr;   // the Java thread's, valid on that thread only
    Text outputFile;
    bool outputAppend = false;
    Text errorFile;
    bool errorAppend = false;

    // Instance.
    InstanceChannel instanceChannel;

    // Splash.
    SplashController splash;

    // Exit.
    ExitHook exitHook = nullptr;

private:
    bool findRuntime();
    bool startSplash();
    bool askForRuntime();
    void rememberRuntime(const Text& home);
    int handOverToPairProduct();
    void callExitHook();
};

// The Java thread's call: main's exception takes the splash away before its dialog shows.
void closeSplashWindow(LauncherApp& app);
