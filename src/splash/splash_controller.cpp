#include "splash/splash_controller.h"

#include "settings/executable_path.h"
#include "splash/native_splash.h"
#include "splash/splash_watch.h"
#include "splash/splash_window.h"
#include "support/filesystem.h"
#include "texts/messages.h"

namespace {

// How often the splash thread looks for the application's first window: well inside the tenth of
// a second in which the splash should give way. One look walks the desktop's top-level windows and
// costs microseconds per window (splash_benchmark measures it).
constexpr UINT kPollPeriodMs = 15;

}  // namespace

SplashController::SplashController() = default;

SplashController::~SplashController() { closeWindow(); }

void SplashController::start(const SplashSettings& settings, const Text& jvmLibraryPath, ExitHook& exitHook) {
    picturePath_ = settings.picture;
    shadowSetting_ = settings.shadow;
    nativeSetting_ = settings.native;
    closing_ = settings.closing;
    if (picturePath_.empty()) return;
    Text exeFolder;
    if (getExeFolder(exeFolder)) picturePath_ = splashPicturePath(picturePath_, exeFolder, fileExists);

    const Text library = NativeSplash::locate(jvmLibraryPath);
    if (prefersNativeSplash(nativeSetting_) && !library.empty() &&
        NativeSplash::start(library, picturePath_, exitHook)) {
        return;
    }

    window_ = std::make_unique<SplashWindow>();
    thread_.reset(CreateThread(nullptr, 0, threadEntry, this, 0, &threadId_));
    // Without a thread there is no splash, and nothing for closeWindow to wait for.
    if (!thread_) window_.reset();
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

    if (window.handle() && (closing_.onFirstWindow || closing_.timeLimitMs > 0)) {
        runClosingLoop(window);
    } else {
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    // Message boxes after this have no owner rather than one that no longer exists.
    if (window.handle()) setMessageOwner(nullptr);
    window.destroy();
}

// The message loop when the splash may close before the launcher ends. A timer looks for the
// application's first window every few milliseconds; a second one marks the time limit. Once due,
// the splash closes as soon as no message box of the launcher stands in front of it: such a box
// owns the splash and disables it while it shows.
void SplashController::runClosingLoop(SplashWindow& window) {
    const HWND splash = window.handle();
    // Also when only the limit is set: a limit that falls while a message box shows is acted on
    // once the box is answered.
    UINT_PTR pollTimer = SetTimer(nullptr, 0, kPollPeriodMs, nullptr);
    UINT_PTR limitTimer = closing_.timeLimitMs > 0 ? SetTimer(nullptr, 0, closing_.timeLimitMs, nullptr) : 0;
    bool due = false;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        const bool timer = message.hwnd == nullptr && message.message == WM_TIMER && message.wParam != 0;
        if (timer && message.wParam == limitTimer) {
            due = true;
        } else if (timer && message.wParam == pollTimer) {
            due = due || (closing_.onFirstWindow && applicationShowsWindow(GetCurrentProcessId(), splash));
        } else {
            TranslateMessage(&message);
            DispatchMessageW(&message);
            continue;
        }
        if (!due || !window.handle() || !IsWindowEnabled(splash)) continue;
        if (pollTimer != 0) KillTimer(nullptr, pollTimer);
        if (limitTimer != 0) KillTimer(nullptr, limitTimer);
        pollTimer = 0;
        limitTimer = 0;
        setMessageOwner(nullptr);
        window.destroy();
    }
    if (pollTimer != 0) KillTimer(nullptr, pollTimer);
    if (limitTimer != 0) KillTimer(nullptr, limitTimer);
}

void SplashController::closeWindow() {
    const ExclusiveLock::Held held(closeLock_);
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
