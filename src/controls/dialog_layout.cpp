#include "controls/dialog_layout.h"

namespace {

bool hasStyle(HWND window, LONG_PTR style) { return (GetWindowLongPtrW(window, GWL_STYLE) & style) == style; }

bool isGroupBox(HWND window) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    return lstrcmpiW(name, L"Button") == 0 && (GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// The control's window rectangle in the client coordinates of its dialog.
bool controlRect(HWND dialog, HWND control, RECT& rect) {
    if (!control || !GetWindowRect(control, &rect)) return false;
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return true;
}

// The integer halves truncate toward zero, as the placement rule says; C++ division already does.
LONG centred(LONG low, LONG high, LONG size) { return (low + high) / 2 - size / 2; }

LONG clampInto(LONG position, LONG size, LONG areaLow, LONG areaHigh) {
    if (position + size > areaHigh) position = areaHigh - size;
    if (position < areaLow) position = areaLow;  // the left/top edge wins over the right/bottom one
    return position;
}

}  // namespace

bool centerWindow(HWND window) {
    const bool child = hasStyle(window, WS_CHILD);
    HWND reference = child ? GetParent(window) : GetWindow(window, GW_OWNER);

    RECT area{};
    RECT centre{};
    if (child) {
        if (!reference) return false;
        GetClientRect(reference, &area);
        centre = area;  // the parent's client rectangle in its own client coordinates
    } else {
        if (reference && (!hasStyle(reference, WS_VISIBLE) || hasStyle(reference, WS_MINIMIZE))) reference = nullptr;
        HMONITOR monitor = MonitorFromWindow(reference ? reference : window, MONITOR_DEFAULTTONEAREST);
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        if (!monitor || !GetMonitorInfoW(monitor, &info)) return false;
        area = info.rcWork;
        if (reference) {
            GetWindowRect(reference, &centre);
        } else {
            centre = area;
        }
    }

    RECT own{};
    GetWindowRect(window, &own);
    const LONG width = own.right - own.left;
    const LONG height = own.bottom - own.top;
    const LONG left = clampInto(centred(centre.left, centre.right, width), width, area.left, area.right);
    const LONG top = clampInto(centred(centre.top, centre.bottom, height), height, area.top, area.bottom);
    return SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

bool DialogResizer::isChild() const { return hasStyle(dialog_, WS_CHILD); }

void DialogResizer::init(HWND dialog, std::span<const LayoutEntry> table) {
    dialog_ = dialog;
    const LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
    if (!(style & WS_CLIPCHILDREN)) SetWindowLongPtrW(dialog, GWL_STYLE, style | WS_CLIPCHILDREN);
    // A group box paints only its frame and caption; clipped out of its dialog, its inside would
    // never be painted. Transparent children stay inside the dialog's own painting.
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (isGroupBox(child)) {
            SetWindowLongPtrW(child, GWL_EXSTYLE, GetWindowLongPtrW(child, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
        }
    }
    if (!isChild()) {
        const LONG_PTR exStyle = GetWindowLongPtrW(dialog, GWL_EXSTYLE);
        if (!(exStyle & WS_EX_DLGMODALFRAME)) SetWindowLongPtrW(dialog, GWL_EXSTYLE, exStyle | WS_EX_DLGMODALFRAME);
        // Without an explicit "none" the frame would show the class's default icon.
        if (!SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0)) SendMessageW(dialog, WM_SETICON, ICON_SMALL, 0);
    }

    entries_.clear();
    RECT client{};
    GetClientRect(dialog, &client);
    initialClient_ = {client.right, client.bottom};

    grip_ = false;
    if (!GetDlgItem(dialog, kSizeGripId)) {
        // SBS_SIZEBOXBOTTOMRIGHTALIGN puts the grip into the corner of the rectangle it is given.
        HWND grip = CreateWindowExW(0, L"SCROLLBAR", nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBS_SIZEBOX | SBS_SIZEGRIP |
                                        SBS_SIZEBOXBOTTOMRIGHTALIGN,
                                    client.left, client.top, client.right, client.bottom, dialog,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSizeGripId)),
                                    GetModuleHandleW(nullptr), nullptr);
        RECT rect{};
        if (grip && controlRect(dialog, grip, rect)) {
            grip_ = true;
            entries_.push_back({kSizeGripId, kAnchorMoveX | kAnchorMoveY | kAnchorRepaint, rect});
        }
    }

    if (isChild()) {
        minimumTrack_ = {client.right, client.bottom};
    } else {
        RECT outer{};
        GetWindowRect(dialog, &outer);
        minimumTrack_ = {outer.right - outer.left, outer.bottom - outer.top};
    }

    for (const LayoutEntry& item : table) {
        RECT rect{};
        controlRect(dialog, GetDlgItem(dialog, item.controlId), rect);  // a missing control is skipped later
        entries_.push_back({item.controlId, item.flags, rect});
    }
}

void DialogResizer::onSize(UINT sizeType, int width, int height) {
    if (!dialog_) return;
    if (grip_) {
        if (HWND grip = GetDlgItem(dialog_, kSizeGripId)) {
            if (sizeType == SIZE_MAXIMIZED) ShowWindow(grip, SW_HIDE);
            if (sizeType == SIZE_RESTORED) ShowWindow(grip, SW_SHOW);
        }
    }
    if (sizeType == SIZE_MINIMIZED) return;
    layout(width, height);
}

void DialogResizer::onGetMinMaxInfo(MINMAXINFO* info) const {
    if (minimumTrack_.cx < 0 || minimumTrack_.cy < 0) return;
    info->ptMinTrackSize.x = minimumTrack_.cx;
    info->ptMinTrackSize.y = minimumTrack_.cy;
}

void DialogResizer::layout(int width, int height) {
    if (isChild() && minimumTrack_.cx >= 0 && minimumTrack_.cy >= 0) {
        if (width < minimumTrack_.cx) width = minimumTrack_.cx;
        if (height < minimumTrack_.cy) height = minimumTrack_.cy;
    }
    const bool redrawOff = hasStyle(dialog_, WS_VISIBLE);
    if (redrawOff) SendMessageW(dialog_, WM_SETREDRAW, FALSE, 0);

    const LONG dx = width - initialClient_.cx;
    const LONG dy = height - initialClient_.cy;
    for (const Entry& entry : entries_) {
        HWND control = GetDlgItem(dialog_, entry.controlId);
        RECT rect{};
        if (!controlRect(dialog_, control, rect)) continue;
        if (entry.flags & (kAnchorSizeX | kAnchorMoveX)) {
            rect.right = entry.initial.right + dx;
            if (entry.flags & kAnchorMoveX) rect.left = rect.right - (entry.initial.right - entry.initial.left);
        }
        if (entry.flags & (kAnchorSizeY | kAnchorMoveY)) {
            rect.bottom = entry.initial.bottom + dy;
            if (entry.flags & kAnchorMoveY) rect.top = rect.bottom - (entry.initial.bottom - entry.initial.top);
        }
        if (entry.flags & kAnchorRepaint) InvalidateRect(control, nullptr, TRUE);
        if (entry.flags) {
            SetWindowPos(control, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }

    if (redrawOff) SendMessageW(dialog_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}
