#include "controls/hyperlink_control.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr wchar_t kColourKey[] = L"Software\\Microsoft\\Internet Explorer\\Settings";
constexpr wchar_t kLink[] = L"https://example.com/java";

// A visible top-level window with one static control on it, and the link attached to that control.
class LinkOnWindow {
public:
    LinkOnWindow(const Text& text, DWORD staticStyle, int width, int height, bool opens = true)
        : link_([this, opens](const Text& target) {
              opened.push_back(target);
              return opens;
          }) {
        parent_.reset(CreateWindowExW(0, L"#32770", L"links", WS_POPUP | WS_VISIBLE, 20, 20, width + 40, height + 40,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
        control_ = CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | staticStyle, 10, 10, width,
                                   height, parent_.get(), nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(control_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        attached = link_.attach(control_);
        UpdateWindow(parent_.get());
    }

    HWND control() const { return control_; }
    HyperlinkControl& link() { return link_; }

    void click(POINT down, POINT up) {
        SendMessageW(control_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
        SendMessageW(control_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(up.x, up.y));
        SendMessageW(control_, WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
    }

    // How many pixels of the control, as drawn on its window, have exactly `colour`.
    int pixelsOf(COLORREF colour) {
        InvalidateRect(control_, nullptr, TRUE);
        UpdateWindow(control_);
        RECT client{};
        GetClientRect(control_, &client);
        HDC screen = GetDC(control_);
        HDC memory = CreateCompatibleDC(screen);
        const UniqueGdiObject bitmap(CreateCompatibleBitmap(screen, client.right, client.bottom));
        HGDIOBJ previous = SelectObject(memory, bitmap.get());
        BitBlt(memory, 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
        int count = 0;
        for (int y = 0; y < client.bottom; ++y) {
            for (int x = 0; x < client.right; ++x) count += GetPixel(memory, x, y) == colour;
        }
        SelectObject(memory, previous);
        DeleteDC(memory);
        ReleaseDC(control_, screen);
        return count;
    }

    bool attached = false;
    std::vector<Text> opened;

private:
    HyperlinkControl link_;
    UniqueWindow parent_;
    HWND control_ = nullptr;
};

POINT centreOf(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

TEST(HyperlinkControl, LinkRectangleFollowsAlignmentAndWrapping) {
    // The label's width, as the left-aligned control measures it, decides the other cases.
    LinkOnWindow left(kLink, SS_LEFT, 400, 20);
    ASSERT_TRUE(left.attached);
    const RECT measured = left.link().linkRect();
    const int width = measured.right - measured.left;
    ASSERT_GT(width, 20);
    EXPECT_EQ(measured.left, 0);
    EXPECT_EQ(measured.top, 0);

    // 51 pixels to spare: centred gives 25 on the left (integer halving), right-aligned all 51.
    LinkOnWindow centred(kLink, SS_CENTER, width + 51, 20);
    EXPECT_EQ(centred.link().linkRect().left, 25);
    EXPECT_EQ(centred.link().linkRect().right, 25 + width);
    LinkOnWindow right(kLink, SS_RIGHT, width + 51, 20);
    EXPECT_EQ(right.link().linkRect().left, 51);
    EXPECT_EQ(right.link().linkRect().right, 51 + width);

    // A label wider than its control wraps; the rectangle covers the lines, not the empty rest.
    LinkOnWindow wrapped(L"download a java runtime from the web page of your choice", SS_LEFT, 120, 200);
    const RECT lines = wrapped.link().linkRect();
    EXPECT_GT(lines.bottom - lines.top, measured.bottom - measured.top);
    EXPECT_LE(lines.right, 120);
    EXPECT_LT(lines.bottom, 200);
    wrapped.click({5, lines.bottom + 20}, {5, lines.bottom + 20});
    EXPECT_TRUE(wrapped.opened.empty());
    wrapped.click(centreOf(lines), centreOf(lines));
    EXPECT_EQ(wrapped.opened.size(), 1u);
}

TEST(HyperlinkControl, OpensOnClickEnterAndSpaceOnly) {
    LinkOnWindow link(kLink, SS_LEFT, 300, 20);
    ASSERT_TRUE(link.attached);
    const RECT rect = link.link().linkRect();
    const POINT inside = centreOf(rect);
    const POINT outside{rect.right + 30, inside.y};

    link.click(inside, outside);  // pressed on the link, moved off, released beside it
    link.click(outside, outside);
    SendMessageW(link.control(), WM_CHAR, L'a', 0);
    EXPECT_TRUE(link.opened.empty());
    EXPECT_FALSE(link.link().visited());
    EXPECT_EQ(GetCapture(), nullptr);  // the press did not leave the mouse captured

    link.click(inside, inside);
    SendMessageW(link.control(), WM_CHAR, 13, 0);
    SendMessageW(link.control(), WM_CHAR, 32, 0);
    ASSERT_EQ(link.opened.size(), 3u);
    for (const Text& target : link.opened) EXPECT_EQ(target, kLink);
    EXPECT_TRUE(link.link().visited());
    EXPECT_EQ(SendMessageW(link.control(), WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS);

    // A target the shell cannot open leaves the link unvisited.
    LinkOnWindow failing(kLink, SS_LEFT, 300, 20, false);
    SendMessageW(failing.control(), WM_CHAR, 13, 0);
    EXPECT_EQ(failing.opened.size(), 1u);
    EXPECT_FALSE(failing.link().visited());
}

TEST(HyperlinkControl, TooltipNamesTheTargetAndAControlWithoutTextHasNone) {
    EXPECT_EQ(toolRecordSize(6), sizeof(void*) == 8 ? 72u : 48u);
    EXPECT_EQ(toolRecordSize(5), sizeof(void*) == 8 ? 64u : 44u);

    LinkOnWindow link(kLink, SS_LEFT, 300, 20);
    HWND tooltip = link.link().tooltip();
    ASSERT_TRUE(tooltip);
    ASSERT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
    wchar_t text[80] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.lpszText = text;
    ASSERT_TRUE(SendMessageW(tooltip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(Text(text), kLink);
    EXPECT_EQ(tool.uId, 1u);
    // Destroying the control releases its tooltip with it.
    DestroyWindow(link.control());
    EXPECT_FALSE(IsWindow(tooltip));

    LinkOnWindow empty(L"", SS_LEFT, 300, 20);
    ASSERT_TRUE(empty.attached);
    ASSERT_TRUE(empty.link().tooltip());
    EXPECT_EQ(SendMessageW(empty.link().tooltip(), TTM_GETTOOLCOUNT, 0, 0), 0);
    EXPECT_TRUE(empty.link().target().empty());
    EXPECT_TRUE(IsRectEmpty(&empty.link().linkRect()));
    empty.click({5, 5}, {5, 5});
    SendMessageW(empty.control(), WM_CHAR, 13, 0);
    EXPECT_TRUE(empty.opened.empty());
}

class ColourValues {
public:
    ColourValues() { RegCreateKeyExW(HKEY_CURRENT_USER, kColourKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr); }
    ~ColourValues() {
        clear();
        RegCloseKey(key_);
    }
    void set(const wchar_t* name, const Text& value) {
        RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    void clear() {
        RegDeleteValueW(key_, L"Anchor Color");
        RegDeleteValueW(key_, L"Anchor Color Visited");
    }

private:
    HKEY key_ = nullptr;
};

TEST(HyperlinkControl, PaintsInTheUsersColoursVisitedAndGreyWhenDisabled) {
    struct Case {
        const wchar_t* anchor;  // "Anchor Color", or null for none
        const wchar_t* visited;
        bool open;
        bool disable;
        COLORREF expected;
    };
    const COLORREF blue = RGB(0, 0, 255);
    const Case cases[] = {
        {nullptr, nullptr, false, false, blue},
        {L"255,0,0", nullptr, false, false, RGB(255, 0, 0)},
        {L"-1,0,0", nullptr, false, false, blue},
        {L"12,34", nullptr, false, false, blue},
        {L"300,0,0", nullptr, false, false, RGB(44, 0, 0)},
        {L"100,100,1000", nullptr, false, false, blue},  // too long for a colour value
        {nullptr, nullptr, true, false, RGB(128, 0, 128)},
        {L"255,0,0", L"0,128,0", true, false, RGB(0, 128, 0)},
        {L"255,0,0", nullptr, false, true, GetSysColor(COLOR_GRAYTEXT)},
    };
    ColourValues values;
    for (const Case& c : cases) {
        const std::string what = testing::PrintToString(Text(c.anchor ? c.anchor : L"(none)"));
        values.clear();
        if (c.anchor) values.set(L"Anchor Color", c.anchor);
        if (c.visited) values.set(L"Anchor Color Visited", c.visited);
        LinkOnWindow link(L"Download", SS_LEFT, 200, 24);
        ASSERT_TRUE(link.attached) << what;
        if (c.open) SendMessageW(link.control(), WM_CHAR, 32, 0);
        if (c.disable) EnableWindow(link.control(), FALSE);
        EXPECT_GT(link.pixelsOf(c.expected), 10) << what;
        if (c.expected != blue) {
            EXPECT_EQ(link.pixelsOf(blue), 0) << what;
        }
    }
}

}  // namespace
