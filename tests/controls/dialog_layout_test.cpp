#include "controls/dialog_layout.h"

#include <gtest/gtest.h>

#include "support/unique_handle.h"

namespace {

UniqueWindow makeWindow(DWORD style, int x, int y, int width, int height, HWND owner = nullptr) {
    return UniqueWindow(CreateWindowExW(0, L"STATIC", L"", style, x, y, width, height, owner, nullptr,
                                        GetModuleHandleW(nullptr), nullptr));
}

RECT windowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT workAreaOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

TEST(CenterWindow, CentresOnVisibleOwner) {
    UniqueWindow owner = makeWindow(WS_POPUP | WS_VISIBLE, 100, 100, 1000, 800);
    ASSERT_TRUE(owner);
    UniqueWindow dialog = makeWindow(WS_POPUP, 0, 0, 400, 300, owner.get());
    ASSERT_TRUE(dialog);

    ASSERT_TRUE(centerWindow(dialog.get()));
    const RECT placed = windowRect(dialog.get());
    EXPECT_EQ(placed.left, 400);
    EXPECT_EQ(placed.top, 350);
    EXPECT_EQ(placed.right - placed.left, 400);  // never resized
    EXPECT_EQ(placed.bottom - placed.top, 300);
}

TEST(CenterWindow, OddSizesTruncateEachHalf) {
    // (101 + 1100) / 2 - 301 / 2 = 600 - 150; (100 + 901) / 2 - 201 / 2 = 500 - 100
    UniqueWindow owner = makeWindow(WS_POPUP | WS_VISIBLE, 101, 100, 999, 801);
    UniqueWindow dialog = makeWindow(WS_POPUP, 0, 0, 301, 201, owner.get());
    ASSERT_TRUE(centerWindow(dialog.get()));
    EXPECT_EQ(windowRect(dialog.get()).left, 450);
    EXPECT_EQ(windowRect(dialog.get()).top, 400);
}

TEST(CenterWindow, LargerThanWorkAreaKeepsLeftAndTopEdges) {
    UniqueWindow probe = makeWindow(WS_POPUP, 0, 0, 10, 10);
    const RECT area = workAreaOf(probe.get());
    UniqueWindow dialog =
        makeWindow(WS_POPUP, 50, 50, area.right - area.left + 200, area.bottom - area.top + 120);
    ASSERT_TRUE(centerWindow(dialog.get()));
    EXPECT_EQ(windowRect(dialog.get()).left, area.left);
    EXPECT_EQ(windowRect(dialog.get()).top, area.top);
}

TEST(CenterWindow, NearTheEdgeIsPulledBackIntoTheWorkArea) {
    UniqueWindow probe = makeWindow(WS_POPUP, 0, 0, 10, 10);
    const RECT area = workAreaOf(probe.get());
    // An owner hanging over the bottom-right corner would centre the dialog partly off the area.
    UniqueWindow owner = makeWindow(WS_POPUP | WS_VISIBLE, area.right - 100, area.bottom - 100, 400, 400);
    UniqueWindow dialog = makeWindow(WS_POPUP, 0, 0, 400, 300, owner.get());
    ASSERT_TRUE(centerWindow(dialog.get()));
    EXPECT_EQ(windowRect(dialog.get()).right, area.right);
    EXPECT_EQ(windowRect(dialog.get()).bottom, area.bottom);
}

TEST(CenterWindow, HiddenOrMinimisedOwnerIsIgnored) {
    UniqueWindow minimised = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200);
    ShowWindow(minimised.get(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(minimised.get()));
    UniqueWindow hidden = makeWindow(WS_POPUP, 0, 0, 300, 200);

    for (HWND owner : {minimised.get(), hidden.get()}) {
        UniqueWindow dialog = makeWindow(WS_POPUP, 0, 0, 400, 300, owner);
        const RECT area = workAreaOf(dialog.get());
        ASSERT_TRUE(centerWindow(dialog.get()));
        EXPECT_EQ(windowRect(dialog.get()).left, (area.left + area.right) / 2 - 200);
        EXPECT_EQ(windowRect(dialog.get()).top, (area.top + area.bottom) / 2 - 150);
    }
}

TEST(CenterWindow, ChildIsCentredInItsParentsClientArea) {
    UniqueWindow parent = makeWindow(WS_POPUP | WS_VISIBLE, 200, 150, 400, 300);
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 50, parent.get(), nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(child);
    ASSERT_TRUE(centerWindow(child));
    RECT rect = windowRect(child);
    MapWindowPoints(HWND_DESKTOP, parent.get(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 150);
    EXPECT_EQ(rect.top, 125);
}

}  // namespace
