// The splash picture shown while the runtime starts: read from the [Display] settings of the INI
// file beside the executable, shown by the runtime's splash library when preferred and present,
// else by the launcher's own window on a thread of its own.
//
//   splash.start(settings, jvmLibraryPath, exitHook);   // app/launcher_settings_files.h reads them
//   ...
//   splash.closeWindow();                // Java thread or main thread; safe when there is none
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "splash/splash_rules.h"
#include "splash/splash_settings.h"
#include "support/exclusive_lock.h"
#include "support/text.h"
#include "support/unique_handle.h"

class SplashWindow;

// The runtime splash library's close function, called at most once.
using ExitHook = void (*)();

class SplashController {
public:
    SplashController();
    ~SplashController();
    SplashController(const SplashController&) = delete;
    SplashController& operator=(const SplashController&) = delete;

    // Starts the splash of either kind; does not wait for the window. The runtime's splash library
    // (beside `jvmLibraryPath`) sets `exitHook` when it shows the picture.
    void start(const SplashSettings& settings, const Text& jvmLibraryPath, ExitHook& exitHook);

    // Ends the splash thread (which destroys the window) and forgets the window object.
    void closeWindow();

    // The own window once the splash thread has made it; null before, and when there is none.
    HWND ownerWindow() const { return ownerWindow_.load(); }

private:
    static DWORD WINAPI threadEntry(void* controller);
    void runSplashThread();
    void runClosingLoop(SplashWindow& window);

    Text picturePath_;
    Text shadowSetting_;
    Text nativeSetting_;
    SplashClosing closing_;
    ExclusiveLock closeLock_;
    std::unique_ptr<SplashWindow> window_;
    UniqueHandle thread_;
    DWORD threadId_ = 0;
    std::atomic<HWND> ownerWindow_{nullptr};
};
