#include "splash/splash_controller.h"

#include "app/launcher_app.h"
#include "settings/ini_file_store.h"
#include "settings/messages.h"
#include "settings/settings_paths.h"
#include "splash/native_splash.h"
#include "splash/splash_window.h"

namespace {

// How often the splash thread looks for the application's first window. EnumWindows over a
// desktop's few hundred windows costs microseconds, so this is cheap, and well inside the tenth of
// a second in which the splash should give way.
constexpr UINT kWatchPeriodMs = 15;

struct WindowSearch {
    DWORD process;
    HWND splash;
    bool found;
};

// A visible top-level window of this process other than the splash and the message boxes it owns.
BOOL CALLBACK findApplicationWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || window == search->splash || !IsWindowVisible(window)) return TRUE;
    if (GetWindow(window, GW_OWNER) == search->splash) return TRUE;
    search->found = true;
    return FALSE;
}

bool applicationShowsWindow(HWND splash) {
    WindowSearch search{GetCurrentProcessId(), splash, false};
    EnumWindows(findApplicationWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

SplashController::SplashController() = default;

SplashController::~SplashController() { closeWindow(); }

bool SplashController::start(LauncherApp& app) {
    Text settingsPath;
    if (!settingsFilePath(settingsPath)) return false;
    // Only the file beside the executable: the packaged settings do not carry the splash.
    const IniFileStore settings(settingsPath);
    Text closeOnWindow;
    Text timeLimit;
    settings.getValue(L"Display", L"Splash Screen", picturePath_);
    settings.getValue(L"Display", L"Splash Screen Shadow", shadowSetting_);
    settings.getValue(L"Display", L"Preffer Native Splash Screen", nativeSetting_);
    settings.getValue(L"Display", L"Splash Screen Close On Window", closeOnWindow);
    settings.getValue(L"Display", L"Splash Screen Time Limit", timeLimit);
    closing_ = splashClosingOf(closeOnWindow, timeLimit);
    if (picturePath_.empty()) return true;

    const Text library = NativeSplash::locate(app.jvmLibraryPath);
    if (prefersNativeSplash(nativeSetting_) && !library.empty() &&
        NativeSplash::start(library, picturePath_, app.exitHook)) {
        return true;
    }

    window_ = std::make_unique<SplashWindow>();
    thread_.reset(CreateThread(nullptr, 0, threadEntry, this, 0, &threadId_));
    // Without a thread there is no splash, and nothing for closeWindow to wait for.
    if (!thread_) window_.reset();
    return true;
}

DWORD WINAPI SplashController::threadEntry(void* controller) {
    static_cast<SplashController*>(controller)->runSplashThread();
    return 0;
}

void SplashController::runSplashThread() {
    MSG message;
    // The queue exists from here on, so closeWindow's WM_QUIT is kept even while the picture loads.
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);

    SplashWindow& window = *window_;
    if (HWND shown = window.create(picturePath_, wantsShadow(shadowSetting_))) {
        ownerWindow_.store(shown);
        setMessageOwner(shown);
        ShowWindow(shown, SW_SHOWNORMAL);
        UpdateWindow(shown);
    }

    const bool watching = window.handle() && (closing_.onFirstWindow || closing_.timeLimitMs > 0);
    UINT_PTR timer = watching ? SetTimer(nullptr, 0, kWatchPeriodMs, nullptr) : 0;
    const ULONGLONG shownAt = GetTickCount64();
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (timer != 0 && message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == timer) {
            const HWND splash = window.handle();
            const bool due = (closing_.onFirstWindow && applicationShowsWindow(splash)) ||
                             (closing_.timeLimitMs > 0 && GetTickCount64() - shownAt >= closing_.timeLimitMs);
            // A message box of the launcher owns the splash and disables it while it shows: the
            // splash stays behind it until it is answered.
            if (due && IsWindowEnabled(splash)) {
                KillTimer(nullptr, timer);
                timer = 0;
                setMessageOwner(nullptr);
                window.destroy();
            }
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (timer != 0) KillTimer(nullptr, timer);
    // Message boxes after this have no owner rather than one that no longer exists.
    if (window.handle()) setMessageOwner(nullptr);
    window.destroy();
}

void SplashController::closeWindow() {
    std::lock_guard<std::mutex> lock(closeMutex_);
    if (!window_) return;
    if (thread_) {
        // A post fails until the thread has its queue; once one is accepted the thread ends.
        while (!PostThreadMessageW(threadId_, WM_QUIT, 0, 0)) {
            if (WaitForSingleObject(thread_.get(), 1) == WAIT_OBJECT_0) break;
        }
        WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
    }
    window_.reset();
}

bool startSplash(LauncherApp& app) { return app.splash.start(app); }

void closeSplashWindow(LauncherApp& app) { app.splash.closeWindow(); }
