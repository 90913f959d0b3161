// The one application object of a launcher process: the settings as values, the state that the
// phases hand on, and the three phases of a launch.
//
//   LauncherApp app;
//   int exitCode = app.initialize() ? app.run() : -1;   // the destructor shuts down in order
#pragma once

#include "app/launcher_settings.h"
#include "instance/instance_channel.h"
#include "jvm/java_session.h"
#include "splash/splash_controller.h"
#include "support/text.h"

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

    // Settings, read by initialize.
    LauncherSettings settings;

    // Command line.
    TextList commandArguments;

    // Runtime.
    bool runPairProduct = false;
    // Started by the paired launcher's hand-over: this process never hands over again.
    bool startedByHandOver = false;

    // JVM hosting, from the runtime's path on.
    JavaSession java;

    // Instance.
    InstanceChannel instanceChannel;

    // Splash.
    SplashController splash;

    // Exit.
    ExitHook exitHook = nullptr;

private:
    // Working folder and runtime: what a launch needs once it runs the application itself.
    bool prepareRuntime();
    bool findRuntime();
    bool startSplash();
    bool downloadRuntime();
    bool askForRuntime();
    // `alsoPair`: the paired launcher's files too (a runtime the user picked; a downloaded one has
    // this build's width, and the pair fetches its own).
    void rememberRuntime(const Text& home, bool alsoPair);
    int handOverToPairProduct();
    void callExitHook();
};
