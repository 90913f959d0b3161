// The harness's waits cannot hang a test: a dialog that shows only after the wait for it gave up is
// ended through its thread, and the watchdog's report names the test, the waits and the windows.
#include <gtest/gtest.h>

#include <cstdio>

#include "harness.h"
#include "modal_dialog_thread.h"
#include "waits.h"

namespace {

bool hasVisibleDialog(const WText& title) {
    HWND found = FindWindowW(L"#32770", title.c_str());
    return found && IsWindowVisible(found);
}

// A dialog that ignores Cancel and its close box, as a dialog procedure with a fault would.
INT_PTR CALLBACK stubbornProcedure(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG || message == WM_COMMAND || message == WM_CLOSE;
}

INT_PTR showStubbornDialog(const WText& title) {
    // DLGTEMPLATE, then no menu, the standard class, and the title.
    alignas(4) WORD buffer[128] = {};
    auto* dialog = reinterpret_cast<DLGTEMPLATE*>(buffer);
    dialog->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;
    dialog->cx = 160;
    dialog->cy = 60;
    WORD* next = reinterpret_cast<WORD*>(dialog + 1);
    *next++ = 0;
    *next++ = 0;
    for (wchar_t unit : title) *next++ = unit;
    *next = 0;
    return DialogBoxIndirectParamW(nullptr, dialog, nullptr, stubbornProcedure, 0);
}

TEST(ModalDialogThread, FindsTheDialogAndReturnsWhatItEndedWith) {
    ModalDialogThread running([] { return MessageBoxW(nullptr, L"question", L"harness box", MB_OKCANCEL); });
    ASSERT_TRUE(running.window());
    // How long a first window takes (for the first test of a program, a new prefix's desktop too).
    std::printf("the box showed after %lu ms\n", static_cast<unsigned long>(running.waitedMilliseconds()));
    EXPECT_EQ(windowTextOf(running.window()), L"harness box");
    pressButton(running.window(), IDOK);
    EXPECT_EQ(running.finish(), IDOK);
    EXPECT_TRUE(running.done());
}

// The dialog shows only once the wait for it has given up; the helper returns within its bound,
// and the late dialog is ended through its thread, whether it asks nicely or not, whether it is
// already up or still coming when the test ends.
TEST(ModalDialogThread, EndsADialogThatShowsAfterTheWaitGaveUp) {
    struct Case {
        const wchar_t* title;
        bool stubborn;        // ignores Cancel and WM_CLOSE
        bool seenBeforeEnd;   // the test waits until it shows, else ends while it is coming
    };
    const Case cases[] = {
        {L"late box", false, true},
        {L"late stubborn dialog", true, true},
        {L"coming box", false, false},
        {L"coming stubborn dialog", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf8Of(c.title));
        const WText title = c.title;
        UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        ASSERT_TRUE(release);
        auto returned = std::make_shared<std::atomic<bool>>(false);
        {
            const HANDLE event = release.get();
            const bool stubborn = c.stubborn;
            ModalDialogThread running(
                [event, title, stubborn, returned] {
                    WaitForSingleObject(event, scaledMilliseconds(kWindowWaitMilliseconds));
                    const INT_PTR result = stubborn ? showStubbornDialog(title)
                                                    : MessageBoxW(nullptr, L"late", title.c_str(), MB_OK);
                    *returned = true;
                    return result;
                },
                200);
            EXPECT_EQ(running.window(), nullptr);
            EXPECT_FALSE(running.done());
            SetEvent(release.get());
            if (c.seenBeforeEnd) {
                ASSERT_TRUE(waitUntil([&] { return hasVisibleDialog(title); },
                                      scaledMilliseconds(kWindowWaitMilliseconds)));
                EXPECT_TRUE(running.close(scaledMilliseconds(10000)));
                EXPECT_TRUE(running.done());
            }
        }
        EXPECT_TRUE(*returned) << "the dialog's thread was left behind";
        EXPECT_FALSE(hasVisibleDialog(title));
    }
}

TEST(ChildProcess, OneLeftRunningIsEndedWithItsOwner) {
    const WText cmd = L"C:\\windows\\system32\\cmd.exe";
    HANDLE process = nullptr;
    {
        ChildProcess child = ChildProcess::start(cmd, L"cmd /c pause", L"", {});
        ASSERT_TRUE(child.started());
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), child.handle(), GetCurrentProcess(), &process,
                                    SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, 0));
        EXPECT_EQ(WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    }
    UniqueHandle owned(process);
    EXPECT_EQ(WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    EXPECT_EQ(code, 0xDEADu);
}

TEST(Watchdog, ReportNamesTheTestTheWaitsAndTheWindows) {
    ModalDialogThread running([] { return MessageBoxW(nullptr, L"x", L"watchdog proof", MB_OK); });
    ASSERT_TRUE(running.window());
    DWORD processId = 0;
    const DWORD threadId = GetWindowThreadProcessId(running.window(), &processId);
    std::string report;
    {
        WaitingFor marker(L"the proof's own window");
        report = watchdogReport("Watchdog.Report", 7, pendingWaits(), screenWindows());
    }
    EXPECT_TRUE(contains(report, "past its limit of 7 s\n")) << report;
    EXPECT_TRUE(contains(report, "running test: Watchdog.Report\n")) << report;
    EXPECT_TRUE(contains(report, "waiting for the proof's own window (thread " + std::to_string(GetCurrentThreadId()) +
                                     ", for "))
        << report;
    EXPECT_TRUE(contains(report, "class \"#32770\" title \"watchdog proof\" thread " + std::to_string(threadId) +
                                     " process " + std::to_string(processId) + "\n"))
        << report;
    // Out of scope, a wait is no longer reported.
    for (const PendingWait& wait : pendingWaits()) EXPECT_NE(wait.what, L"the proof's own window");
    EXPECT_TRUE(contains(watchdogReport("", 7, {}, {}), "running test: (none)\n"));
    pressButton(running.window(), IDOK);
    EXPECT_EQ(running.finish(), IDOK);
}

// Run only by the watchdog_reports_a_hang test, with a watchdog of a few seconds: hangs in a wait so
// that the watchdog ends the program and reports it.
TEST(Watchdog, DISABLED_HangsInAWait) {
    UniqueHandle never(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ModalDialogThread running([] { return MessageBoxW(nullptr, L"left open", L"hung test's box", MB_OK); });
    WaitingFor marker(L"the release that never comes");
    WaitForSingleObject(never.get(), scaledMilliseconds(100000));
    FAIL() << "the watchdog did not end the program";
}

}  // namespace
