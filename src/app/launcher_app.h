// The one application object of a launcher process: every setting, the state that several
// subsystems share, and the three phases of a launch.
//
//   LauncherApp app;
//   int exitCode = app.initialize() ? app.run() : -1;   // the destructor shuts down in order
#pragma once

#include <cstdint>

#include "instance/instance_channel.h"
#include "jvm/jvm_library.h"
#include "jvm/vm_option_list.h"
#include "runtime/runtime_candidates.h"
#include "settings/settings_paths.h"
#include "splash/splash_controller.h"
#include "support/text.h"

// The runtime splash library's close function, called at most once.
using ExitHook = void (*)();

class LauncherApp {
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

    // Settings.
    Text productName;
    Text productCode;
    Text upgradeCode;
    // What a registered runtime must be; "Pair Product" decides pairProductSet at the search.
    SearchPreferences search;
    bool isService = false;
    Text jrePathSetting;
    Text mainClass;  // slash form: "com/example/Main"
    bool failureCheck = false;
    bool overrideWorkingDir = false;
    bool pairReturnCode = false;
    Text systemPathSetting;
    Text libraryPathSetting;
    Text pairProduct;
    Text appUserModelId;       // "App User Model ID": the taskbar identity; empty leaves the system's
    Text dpiAwarenessSetting;  // "DPI Awareness": unaware, system, per-monitor; else the runtime's own

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

    // The product's settings files, and those of the paired launcher.
    ProductFiles productFiles() const { return {productName, productCode, pairProduct}; }

private:
    bool findRuntime();
    bool askForRuntime();
    void rememberRuntime(const Text& home);
    int handOverToPairProduct();
    void callExitHook();
};
