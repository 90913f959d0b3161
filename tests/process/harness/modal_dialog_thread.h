// A modal dialog shown on a thread of its own, as the launcher shows its dialogs from the Java
// thread, with its window found once the dialog manager has made it visible.
//
//   ModalDialogThread running([&] { return ExceptionDialog::show(nullptr, text, module); });
//   pressButton(running.window(), IDOK);
//   EXPECT_EQ(running.finish(), IDOK);
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

class ModalDialogThread {
public:
    explicit ModalDialogThread(std::function<INT_PTR()> show) {
        thread_ = std::thread([this, show = std::move(show)] {
            threadId_ = GetCurrentThreadId();
            result_ = show();
            done_ = true;
        });
        for (int i = 0; i < 500 && !window_ && !done_; ++i) {
            HWND found = nullptr;
            if (threadId_) EnumThreadWindows(threadId_, collect, reinterpret_cast<LPARAM>(&found));
            window_ = found;
            if (!found) Sleep(10);
        }
    }
    // A dialog still open is cancelled, so that a failed test does not hang.
    ~ModalDialogThread() {
        if (!done_ && window_) PostMessageW(window_, WM_COMMAND, IDCANCEL, 0);
        if (thread_.joinable()) thread_.join();
    }
    ModalDialogThread(const ModalDialogThread&) = delete;
    ModalDialogThread& operator=(const ModalDialogThread&) = delete;

    // Null when no dialog showed within five seconds.
    HWND window() const { return window_; }
    bool done() const { return done_; }
    // Waits until the dialog has ended; what it returned.
    INT_PTR finish() {
        if (thread_.joinable()) thread_.join();
        return result_;
    }

private:
    static BOOL CALLBACK collect(HWND window, LPARAM found) {
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        // The dialog manager shows the dialog only after WM_INITDIALOG has run.
        if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }

    std::thread thread_;
    std::atomic<DWORD> threadId_{0};
    std::atomic<HWND> window_{nullptr};
    std::atomic<bool> done_{false};
    INT_PTR result_ = 0;
};
