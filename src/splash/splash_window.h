// The launcher's own splash window: a borderless tool window the size of the picture, centred on
// the primary screen, painted from a bitmap rendered once. Lives on the splash thread.
//
//   SplashWindow window;
//   if (HWND shown = window.create(L"splash.png", false)) { ShowWindow(shown, SW_SHOWNORMAL); ... }
//   window.destroy();                                   // on the same thread
#pragma once

#include <windows.h>

#include "support/text.h"
#include "support/unique_handle.h"

class SplashWindow {
public:
    static constexpr const wchar_t* kClassName = L"SplashScreenWindow";

    SplashWindow() = default;
    SplashWindow(const SplashWindow&) = delete;
    SplashWindow& operator=(const SplashWindow&) = delete;

    // Registers the class on first use, decodes the picture and creates the window (hidden). Null
    // when the picture does not decode, the class cannot be registered or creation fails.
    HWND create(const Text& picturePath, bool shadow);

    HWND handle() const { return window_.get(); }

    // Destroys the window; only the thread that created it may.
    void destroy() { window_.reset(); }

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // True when the message was handled here, with its result.
    bool handleMessage(HWND window, UINT message, LRESULT& result);
    void paint(HWND window);

    UniqueWindow window_;
    UniqueBitmap picture_;
};
