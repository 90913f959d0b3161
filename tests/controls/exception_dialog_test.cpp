#include "controls/exception_dialog.h"

#include <gtest/gtest.h>

#include <map>

#include "modal_dialog_thread.h"

namespace {

struct Case {
    const wchar_t* input;
    const wchar_t* expected;
};

TEST(ExceptionDialogText, LineEndsBecomeCrLf) {
    const Case cases[] = {
        {L"", L""},
        {L"a\nb", L"a\r\nb"},
        {L"a\r\nb\n", L"a\r\nb\r\n"},
        {L"\n\n", L"\r\n\r\n"},
        {L"a\rb", L"a\rb"},
    };
    for (const Case& c : cases) EXPECT_EQ(withCrLfLineEnds(c.input), c.expected) << c.input;
}

// The exception dialog on a thread of its own, as the Java thread shows it.
class RunningDialog : public ModalDialogThread {
public:
    explicit RunningDialog(const Text& text, HINSTANCE module = nullptr)
        : ModalDialogThread([text, module] { return ExceptionDialog::show(nullptr, text, module); }) {}
};

RECT clientRectOf(HWND dialog, int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE outerSize(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

Text controlText(HWND dialog, int id) {
    wchar_t buffer[256] = {};
    GetDlgItemTextW(dialog, id, buffer, 256);
    return buffer;
}

TEST(ExceptionDialog, ShowsTheTraceReadOnlyInControl208) {
    RunningDialog dialog(L"java.lang.Error: boom\n\tat Main.main(Main.java:3)\n");
    ASSERT_TRUE(dialog.window());
    EXPECT_EQ(controlText(dialog.window(), 208), L"java.lang.Error: boom\r\n\tat Main.main(Main.java:3)\r\n");
    EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(dialog.window(), 208), GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(GetDlgItem(dialog.window(), kSizeGripId));
    EXPECT_TRUE(GetWindowLongPtrW(dialog.window(), GWL_STYLE) & WS_CLIPCHILDREN);
    // The group box must not be clipped out of the dialog's painting, or its inside stays unpainted.
    EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(dialog.window(), 209), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
}

TEST(ExceptionDialog, IsCentredOnTheWorkArea) {
    RunningDialog dialog(L"x");
    ASSERT_TRUE(dialog.window());
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromWindow(dialog.window(), MONITOR_DEFAULTTONEAREST), &info);
    RECT rect{};
    GetWindowRect(dialog.window(), &rect);
    EXPECT_EQ(rect.left, (info.rcWork.left + info.rcWork.right) / 2 - (rect.right - rect.left) / 2);
    EXPECT_EQ(rect.top, (info.rcWork.top + info.rcWork.bottom) / 2 - (rect.bottom - rect.top) / 2);
}

TEST(ExceptionDialog, ResultsOfTheWaysToCloseIt) {
    struct Way {
        UINT message;
        WPARAM wParam;
        INT_PTR expected;
    };
    const Way ways[] = {
        {WM_COMMAND, IDOK, 1},
        {WM_COMMAND, IDCANCEL, 2},
        {WM_SYSCOMMAND, SC_CLOSE, 2},
        {WM_CLOSE, 0, 2},
    };
    for (const Way& way : ways) {
        RunningDialog dialog(L"trace");
        ASSERT_TRUE(dialog.window());
        PostMessageW(dialog.window(), way.message, way.wParam, 0);
        EXPECT_EQ(dialog.finish(), way.expected) << way.message << " " << way.wParam;
    }
}

TEST(ExceptionDialog, MissingTemplateFails) {
    // A module without dialog 231: the caller treats -1 as "end the program".
    EXPECT_EQ(ExceptionDialog::show(nullptr, L"trace", GetModuleHandleW(L"kernel32.dll")), -1);
}

TEST(DialogResizer, CannotShrinkBelowTheInitialSize) {
    RunningDialog dialog(L"trace");
    HWND window = dialog.window();
    ASSERT_TRUE(window);
    const SIZE initial = outerSize(window);

    MINMAXINFO info{};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, initial.cx);
    EXPECT_EQ(info.ptMinTrackSize.y, initial.cy);

    SetWindowPos(window, nullptr, 0, 0, initial.cx - 120, initial.cy - 80, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(outerSize(window).cx, initial.cx);
    EXPECT_EQ(outerSize(window).cy, initial.cy);
}

TEST(DialogResizer, ControlsFollowTheirAnchorsWhenTheDialogGrows) {
    RunningDialog dialog(L"trace");
    HWND window = dialog.window();
    ASSERT_TRUE(window);
    const int ids[] = {208, 209, 210, 211, 212, IDOK, IDCANCEL, kSizeGripId};
    std::map<int, RECT> before;
    for (int id : ids) before[id] = clientRectOf(window, id);

    const SIZE initial = outerSize(window);
    SetWindowPos(window, nullptr, 0, 0, initial.cx + 100, initial.cy + 50, SWP_NOMOVE | SWP_NOZORDER);

    struct Expected {
        int id;
        int dLeft, dTop, dRight, dBottom;
    };
    const Expected expected[] = {
        {208, 0, 0, 100, 50},        {209, 0, 0, 100, 50},         {210, 0, 0, 100, 0},
        {211, 0, 50, 100, 50},       {212, 0, 50, 100, 50},        {IDOK, 100, 50, 100, 50},
        {IDCANCEL, 100, 50, 100, 50}, {kSizeGripId, 100, 50, 100, 50},
    };
    for (const Expected& e : expected) {
        const RECT now = clientRectOf(window, e.id);
        const RECT& was = before[e.id];
        EXPECT_EQ(now.left - was.left, e.dLeft) << "control " << e.id;
        EXPECT_EQ(now.top - was.top, e.dTop) << "control " << e.id;
        EXPECT_EQ(now.right - was.right, e.dRight) << "control " << e.id;
        EXPECT_EQ(now.bottom - was.bottom, e.dBottom) << "control " << e.id;
    }

    // Back to the initial size: everything returns to where it started.
    SetWindowPos(window, nullptr, 0, 0, initial.cx, initial.cy, SWP_NOMOVE | SWP_NOZORDER);
    for (int id : ids) {
        const RECT now = clientRectOf(window, id);
        EXPECT_TRUE(EqualRect(&before[id], &now)) << "control " << id;
    }
}

TEST(DialogResizer, GripHidesWhenMaximisedAndMinimisingKeepsTheLayout) {
    RunningDialog dialog(L"trace");
    HWND window = dialog.window();
    ASSERT_TRUE(window);
    HWND grip = GetDlgItem(window, kSizeGripId);
    ASSERT_TRUE(grip);
    const RECT okBefore = clientRectOf(window, IDOK);

    // Under a loaded display the window's new size may come a while after the command: each step
    // waits for the state it checks (the layout follows the size), then reads the layout.
    const DWORD bound = scaledMilliseconds(10000);
    SendMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    const auto maximised = [&] {
        return IsZoomed(window) && !IsWindowVisible(grip) && clientRectOf(window, IDOK).left > okBefore.left;
    };
    EXPECT_TRUE(waitUntil(maximised, bound));
    EXPECT_TRUE(IsZoomed(window));
    EXPECT_FALSE(IsWindowVisible(grip));
    EXPECT_GT(clientRectOf(window, IDOK).left, okBefore.left);

    SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    const auto restored = [&] {
        return !IsZoomed(window) && IsWindowVisible(grip) && clientRectOf(window, IDOK).left == okBefore.left;
    };
    EXPECT_TRUE(waitUntil(restored, bound));
    EXPECT_TRUE(IsWindowVisible(grip));
    const RECT okRestored = clientRectOf(window, IDOK);
    EXPECT_TRUE(EqualRect(&okRestored, &okBefore));

    // A minimised dialog has an empty client area; laying out for it would pile the controls up.
    SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(waitUntil([&] { return IsIconic(window) != FALSE; }, bound));
    EXPECT_TRUE(IsIconic(window));
    RECT okMinimised{};
    GetWindowRect(GetDlgItem(window, IDOK), &okMinimised);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    EXPECT_EQ(okMinimised.left - origin.x, okBefore.left);
    EXPECT_EQ(okMinimised.top - origin.y, okBefore.top);
}

}  // namespace
