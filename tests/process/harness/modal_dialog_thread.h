// A modal dialog shown on a thread of its own, as the launcher shows its dialogs from the Java
// thread, with its window found once the dialog manager has made it visible.
//
//   ModalDialogThread running([&] { return ExceptionDialog::show(nullptr, text, module); });
//   pressButton(running.window(), IDOK);
//   EXPECT_EQ(running.finish(), IDOK);
//
// Every wait is bounded. A dialog that shows only after the wait for it gave up, or that does not
// end when asked, is ended through its thread at destruction, so that a failed test cannot hang.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "waits.h"

class ModalDialogThread {
public:
    // What finish() returns for a dialog that did not end within its bound (and was then ended).
    static constexpr INT_PTR kNotEnded = -2;

    explicit ModalDialogThread(std::function<INT_PTR()> show)
        : ModalDialogThread(std::move(show), scaledMilliseconds(kWindowWaitMilliseconds)) {}
    // Waits at most `milliseconds` for the dialog to show.
    ModalDialogThread(std::function<INT_PTR()> show, DWORD milliseconds) : state_(std::make_shared<State>()) {
        thread_ = std::thread([state = state_, show = std::move(show)] {
            state->threadId = GetCurrentThreadId();
            state->result = show();
            state->done = true;
        });
        const DWORD start = GetTickCount();
        WaitingFor marker(L"a dialog of a ModalDialogThread to show (bound " + std::to_wstring(milliseconds) + L" ms)");
        waitUntil(
            [this] {
                const DWORD id = state_->threadId;
                HWND found = nullptr;
                if (id) EnumThreadWindows(id, collect, reinterpret_cast<LPARAM>(&found));
                window_ = found;
                return found || state_->done;
            },
            milliseconds);
        waited_ = GetTickCount() - start;
    }
    ~ModalDialogThread() { close(scaledMilliseconds(kEndMilliseconds)); }
    ModalDialogThread(const ModalDialogThread&) = delete;
    ModalDialogThread& operator=(const ModalDialogThread&) = delete;

    // Null when no dialog showed within the bound.
    HWND window() const { return window_; }
    bool done() const { return state_->done; }
    // How long the dialog took to show (or the wait for it, when it did not).
    DWORD waitedMilliseconds() const { return waited_; }

    // Waits until the dialog has ended; what it returned. One that does not end within the bound is
    // ended, and the result is kNotEnded.
    INT_PTR finish() {
        {
            WaitingFor marker(L"the dialog of a ModalDialogThread to end");
            if (!waitUntil([this] { return state_->done.load(); }, scaledMilliseconds(kWindowWaitMilliseconds))) {
                std::fprintf(stderr, "ModalDialogThread: the dialog did not end in time; it is ended\n");
                close(scaledMilliseconds(kEndMilliseconds));
                return kNotEnded;
            }
        }
        if (thread_.joinable()) thread_.join();
        return state_->result;
    }

    // Ends every window the dialog's thread owns, asking first (Cancel), then insisting (EndDialog,
    // WM_CLOSE and a quit message that ends any modal loop), until the thread has ended or
    // `milliseconds` have passed. True when the thread ended; otherwise it is left to the end of
    // the program, and said so.
    bool close(DWORD milliseconds) {
        if (!thread_.joinable()) return true;
        WaitingFor marker(L"the thread of a ModalDialogThread to end after its windows were closed");
        const DWORD start = GetTickCount();
        const bool ended = waitUntil(
            [this, start] {
                if (state_->done) return true;
                const DWORD id = state_->threadId;
                if (!id) return false;
                const bool insist = GetTickCount() - start >= kAskMilliseconds;
                EnumThreadWindows(id, insist ? insistOnEnd : askToEnd, 0);
                if (insist) PostThreadMessageW(id, WM_QUIT, 0, 0);
                return false;
            },
            milliseconds, 20);
        if (ended) {
            thread_.join();
            return true;
        }
        std::fprintf(stderr, "ModalDialogThread: the dialog's thread did not end within %lu ms; left running\n",
                     static_cast<unsigned long>(milliseconds));
        thread_.detach();  // it holds the state it shares; the program's end takes it down
        return false;
    }

private:
    // How long to ask a dialog to end before insisting, and how long to try in all.
    static constexpr DWORD kAskMilliseconds = 500;
    static constexpr DWORD kEndMilliseconds = 10000;

    struct State {
        std::atomic<DWORD> threadId{0};
        std::atomic<bool> done{false};
        INT_PTR result = 0;
    };

    static BOOL CALLBACK collect(HWND window, LPARAM found) {
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        // The dialog manager shows the dialog only after WM_INITDIALOG has run.
        if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    static BOOL CALLBACK askToEnd(HWND window, LPARAM) {
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
    static BOOL CALLBACK insistOnEnd(HWND window, LPARAM) {
        EndDialog(window, IDCANCEL);
        PostMessageW(window, WM_CLOSE, 0, 0);
        return TRUE;
    }

    std::shared_ptr<State> state_;  // shared with the thread, which may outlive this object
    std::thread thread_;
    std::atomic<HWND> window_{nullptr};
    DWORD waited_ = 0;
};
