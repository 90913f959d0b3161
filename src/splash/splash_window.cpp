#include "splash/splash_window.h"

#include "splash/splash_image.h"
#include "splash/splash_rules.h"

namespace {

constexpr UINT kClassStyle = CS_DBLCLKS | CS_SAVEBITS | CS_DROPSHADOW;

// One registration per process; the splash thread is the only one that registers.
bool registerSplashClass(WNDPROC procedure, bool shadow) {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = shadow ? kClassStyle : kClassStyle & ~CS_DROPSHADOW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = SplashWindow::kClassName;
    registered = RegisterClassExW(&windowClass) != 0;
    if (!registered && shadow) {
        // Systems without drop shadows refuse the style; the picture matters more than its shadow.
        windowClass.style &= ~CS_DROPSHADOW;
        registered = RegisterClassExW(&windowClass) != 0;
    }
    return registered;
}

}  // namespace

HWND SplashWindow::create(const Text& picturePath, bool shadow) {
    if (!registerSplashClass(windowProcedure, shadow)) return nullptr;
    SplashImage image(picturePath);
    picture_ = image.render();
    // A picture that cannot be shown gets no window at all rather than an empty one.
    if (!picture_) return nullptr;
    const int width = static_cast<int>(image.width());
    const int height = static_cast<int>(image.height());
    const SplashPoint at = splashPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), width, height);
    window_.reset(CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, at.x, at.y, width, height, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), this));
    return window_.get();
}

LRESULT CALLBACK SplashWindow::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<SplashWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<SplashWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    LRESULT result = 0;
    if (self && self->handleMessage(window, message, result)) return result;
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return DefWindowProcW(window, message, wParam, lParam);
}

bool SplashWindow::handleMessage(HWND window, UINT message, LRESULT& result) {
    switch (message) {
        case WM_PAINT:
            paint(window);
            result = 0;
            return true;
        case WM_ERASEBKGND:
            // The picture covers the whole window; erasing first would only flicker.
            result = 1;
            return true;
        default:
            return false;
    }
}

void SplashWindow::paint(HWND window) {
    PAINTSTRUCT paint{};
    HDC target = BeginPaint(window, &paint);
    if (target && picture_) {
        UniqueDc memory(CreateCompatibleDC(target));
        BITMAP size{};
        if (memory && GetObjectW(picture_.get(), sizeof(size), &size)) {
            const UniqueSelection selected = selectInto(memory.get(), picture_.get());
            BitBlt(target, 0, 0, size.bmWidth, size.bmHeight, memory.get(), 0, 0, SRCCOPY);
        }
    }
    EndPaint(window, &paint);
}
