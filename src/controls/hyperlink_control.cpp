#include "controls/hyperlink_control.h"

#include <commctrl.h>

#include <cstddef>

#include "controls/link_colours.h"
#include "controls/shell_functions.h"

namespace {

constexpr wchar_t kInstanceProperty[] = L"VornicHyperlinkControl";
constexpr UINT_PTR kToolId = 1;

HINSTANCE moduleInstance() { return GetModuleHandleW(nullptr); }

DWORD systemMajorVersion() {
    // GetVersionEx answers as the manifest lets it; the manifest declares every version we run on.
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info)) return 0;
#pragma GCC diagnostic pop
    return info.dwMajorVersion;
}

bool isLoadedTextValue(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

void readColourValue(HKEY key, const wchar_t* name, std::uint32_t& colour) {
    std::uint8_t data[kMaxColourValueBytes] = {};
    DWORD type = 0;
    DWORD size = sizeof data;
    // A value that does not fit fails with ERROR_MORE_DATA and is left alone.
    if (RegQueryValueExW(key, name, nullptr, &type, data, &size) != ERROR_SUCCESS) return;
    linkColourFromRegistryData(isLoadedTextValue(type), data, size, colour);
}

}  // namespace

bool openWithShell(const Text& target) {
    const auto shellExecute = shellFunctions().shellExecute;
    if (!shellExecute) return false;
    const HINSTANCE result = shellExecute(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

UINT toolRecordSize(DWORD majorVersion) {
    return majorVersion > 5 ? sizeof(TTTOOLINFOW) : static_cast<UINT>(offsetof(TTTOOLINFOW, lpReserved));
}

HyperlinkControl::~HyperlinkControl() {
    // The dialog normally goes first; if it has not, hand the control back to its own procedure.
    if (window_ && IsWindow(window_) && original_) {
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        RemovePropW(window_, kInstanceProperty);
    }
}

bool HyperlinkControl::attach(HWND control) {
    if (!control || window_) return false;
    if (!normalFont_) normalFont_ = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (!SetPropW(control, kInstanceProperty, this)) return false;
    window_ = control;
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HyperlinkControl::windowProc)));
    if (!original_) {
        RemovePropW(control, kInstanceProperty);
        window_ = nullptr;
        return false;
    }
    initialise();
    return true;
}

void HyperlinkControl::initialise() {
    wchar_t className[8] = {};
    GetClassNameW(window_, className, 8);
    if (equalsNoCase(className, L"static")) {
        const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
        if (!(style & SS_NOTIFY)) SetWindowLongPtrW(window_, GWL_STYLE, style | SS_NOTIFY);
        const LONG_PTR type = style & 0xFF;
        // Icons, rectangles, frames, bitmaps, metafiles and owner-drawn statics keep painting themselves.
        if ((type >= SS_ICON && type <= SS_WHITEFRAME) || (type >= SS_OWNERDRAW && type <= SS_ENHMETAFILE))
            paintLabel_ = false;
    }
    cursor_ = LoadCursorW(nullptr, IDC_HAND);
    if (paintLabel_) {
        if (!normalFont_) {
            LOGFONTW logFont{};
            if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof logFont, &logFont, 0)) {
                ownedNormalFont_.reset(CreateFontIndirectW(&logFont));
                normalFont_ = static_cast<HFONT>(ownedNormalFont_.get());
            }
        }
        if (!linkFont_) createLinkFont();
    }
    // Registers the tooltip class; without it the control is a link without a tooltip.
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    if (const auto initCommonControls = shellFunctions().initCommonControls) initCommonControls(&classes);
    tooltipWindow_.reset(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                         CW_USEDEFAULT, window_, nullptr, moduleInstance(), nullptr));
    if (label_.empty()) {
        const int length = GetWindowTextLengthW(window_);
        Text text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(window_, text.data(), length + 1)));
        label_ = text;
    }
    computeLinkRect();
    if (!target_.empty()) {
        SendMessageW(tooltip(), TTM_ACTIVATE, TRUE, 0);
        addTool();
    } else if (!label_.empty()) {
        target_ = label_;
        if (tooltipWindow_) {
            SendMessageW(tooltip(), TTM_ACTIVATE, TRUE, 0);
            addTool();
        }
    }
    if (paintLabel_) readRegistryColours();
}

void HyperlinkControl::createLinkFont() {
    linkFont_.reset();
    HGDIOBJ base = normalFont_ ? static_cast<HGDIOBJ>(normalFont_) : GetStockObject(SYSTEM_FONT);
    LOGFONTW logFont{};
    if (!GetObjectW(base, sizeof logFont, &logFont)) return;
    logFont.lfUnderline = TRUE;
    linkFont_.reset(CreateFontIndirectW(&logFont));
}

void HyperlinkControl::readRegistryColours() {
    // Reading needs no more than read access; asking for write access fails where the key is locked.
    const UniqueKey key =
        openRegistryKey(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Settings", KEY_READ);
    if (!key) return;
    readColourValue(key.get(), L"Anchor Color", linkColour_);
    readColourValue(key.get(), L"Anchor Color Visited", visitedColour_);
}

void HyperlinkControl::addTool() {
    TTTOOLINFOW tool{};
    tool.cbSize = toolRecordSize(systemMajorVersion());
    tool.uFlags = 0;
    tool.hwnd = window_;
    tool.uId = kToolId;
    tool.rect = linkRect_;
    tool.hinst = moduleInstance();
    tool.lpszText = const_cast<wchar_t*>(target_.c_str());
    SendMessageW(tooltip(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

UINT HyperlinkControl::textFormat() const {
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE) & 0xFF;
    UINT format = DT_WORDBREAK;
    if (style == SS_CENTER) format |= DT_CENTER;
    else if (style == SS_RIGHT) format |= DT_RIGHT;
    return format;
}

void HyperlinkControl::computeLinkRect() {
    if (!IsWindow(window_) || (label_.empty() && target_.empty())) return;
    RECT client{};
    GetClientRect(window_, &client);
    if (!paintLabel_) {
        linkRect_ = client;
        return;
    }
    RECT measured = client;
    {
        const UniqueWindowDc dc = windowDc(window_);
        if (!dc) return;
        const UniqueSelection font = selectInto(dc.get().dc, shownFont());
        const Text& text = shownText();
        DrawTextW(dc.get().dc, text.c_str(), static_cast<int>(text.size()), &measured, textFormat() | DT_CALCRECT);
    }
    OffsetRect(&measured, client.left - measured.left, client.top - measured.top);
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE) & 0xFF;
    if (style == SS_CENTER) OffsetRect(&measured, (client.right - measured.right) / 2, 0);
    else if (style == SS_RIGHT) OffsetRect(&measured, client.right - measured.right, 0);
    linkRect_ = measured;
}

void HyperlinkControl::paint(HDC dc) {
    RECT client{};
    GetClientRect(window_, &client);
    HWND parent = GetParent(window_);
    if (parent) {
        auto brush = reinterpret_cast<HBRUSH>(
            SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window_)));
        if (brush) FillRect(dc, &client, brush);
    }
    SetBkMode(dc, TRANSPARENT);
    COLORREF colour = IsWindowEnabled(window_) ? (visited_ ? visitedColour_ : linkColour_) : GetSysColor(COLOR_GRAYTEXT);
    const COLORREF previousColour = SetTextColor(dc, colour);
    {
        const UniqueSelection font = selectInto(dc, shownFont());
        const Text& text = shownText();
        RECT area = linkRect_;
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, textFormat());
        if (GetFocus() == window_) DrawFocusRect(dc, &linkRect_);
    }
    SetTextColor(dc, previousColour);
}

void HyperlinkControl::open() {
    if (target_.empty() || !opener_ || !opener_(target_)) return;
    visited_ = true;
    InvalidateRect(window_, nullptr, TRUE);
}

bool HyperlinkControl::inLink(POINT point) const { return PtInRect(&linkRect_, point) != FALSE; }

void HyperlinkControl::releaseOwned() {
    tooltipWindow_.reset();
    linkFont_.reset();
    if (ownedNormalFont_) {
        ownedNormalFont_.reset();
        normalFont_ = nullptr;
    }
}

LRESULT HyperlinkControl::callOriginal(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(original_, window_, message, wParam, lParam);
}

LRESULT CALLBACK HyperlinkControl::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<HyperlinkControl*>(GetPropW(window, kInstanceProperty));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = 0;
    if (self->handle(message, wParam, lParam, result)) return result;
    const WNDPROC original = self->original_;
    if (message == WM_NCDESTROY) {
        // Last message: unhook so that nothing reaches this object once the window is gone.
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropW(window, kInstanceProperty);
        self->window_ = nullptr;
        self->original_ = nullptr;
    }
    return CallWindowProcW(original, window, message, wParam, lParam);
}

// True when the message was consumed, with its result in `result`.
bool HyperlinkControl::handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message >= WM_MOUSEFIRST && message <= WM_XBUTTONDBLCLK && tooltipWindow_) {
        relayToTooltip(message, wParam, lParam);
    }
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    result = 0;
    switch (message) {
    case WM_DESTROY: releaseOwned(); return false;
    case WM_ERASEBKGND: result = 1; return true;
    case WM_PAINT:
    case WM_PRINTCLIENT: return onPaint(reinterpret_cast<HDC>(wParam));
    case WM_SETFOCUS:
    case WM_KILLFOCUS: return onFocusChange();
    case WM_MOUSEMOVE: return onMouseMove(point);
    case WM_LBUTTONDOWN: onLeftButtonDown(point); return true;
    case WM_LBUTTONUP: onLeftButtonUp(point); return true;
    case WM_CHAR: onChar(wParam); return true;
    case WM_GETDLGCODE: result = DLGC_WANTCHARS; return true;
    case WM_SETCURSOR: return onSetCursor(result);
    case WM_ENABLE: repaintNow(); return true;
    case WM_GETFONT: result = reinterpret_cast<LRESULT>(normalFont_); return true;
    case WM_SETFONT: onSetFont(reinterpret_cast<HFONT>(wParam), lParam != 0); return true;
    case WM_UPDATEUISTATE: return true;
    case WM_SIZE: onSize(); return true;
    default: return false;
    }
}

// The tooltip shows only when it sees the mouse messages of its tool.
void HyperlinkControl::relayToTooltip(UINT message, WPARAM wParam, LPARAM lParam) {
    MSG record{window_, message, wParam, lParam, 0, {0, 0}};
    SendMessageW(tooltip(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&record));
}

void HyperlinkControl::repaintNow() {
    InvalidateRect(window_, nullptr, TRUE);
    UpdateWindow(window_);
}

// WM_PRINTCLIENT (and a WM_PAINT that names one) paints into the given context.
bool HyperlinkControl::onPaint(HDC given) {
    if (!paintLabel_) return false;
    if (given) {
        paint(given);
        return true;
    }
    PAINTSTRUCT ps;
    if (HDC dc = BeginPaint(window_, &ps)) {
        paint(dc);
        EndPaint(window_, &ps);
    }
    return true;
}

// The focus rectangle comes and goes.
bool HyperlinkControl::onFocusChange() {
    if (!paintLabel_) return false;
    InvalidateRect(window_, nullptr, TRUE);
    return true;
}

bool HyperlinkControl::onMouseMove(POINT point) {
    if (target_.empty() || !inLink(point)) return false;
    SetCursor(cursor_);
    return true;
}

void HyperlinkControl::onLeftButtonDown(POINT point) {
    if (!inLink(point)) return;
    SetFocus(window_);
    SetCapture(window_);
}

void HyperlinkControl::onLeftButtonUp(POINT point) {
    if (GetCapture() == window_) ReleaseCapture();
    if (inLink(point)) open();
}

// Enter and the space bar follow the link, as a click does.
void HyperlinkControl::onChar(WPARAM unit) {
    if (unit == 13 || unit == 32) open();
}

bool HyperlinkControl::onSetCursor(LRESULT& result) {
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(window_, &cursor);
    if (target_.empty() || !inLink(cursor)) return false;
    SetCursor(cursor_);  // else the class's arrow would flash before the next WM_MOUSEMOVE
    result = TRUE;
    return true;
}

void HyperlinkControl::onSetFont(HFONT font, bool redraw) {
    ownedNormalFont_.reset();
    normalFont_ = font;
    if (linkFont_) createLinkFont();
    computeLinkRect();
    if (redraw) repaintNow();
}

void HyperlinkControl::onSize() {
    computeLinkRect();
    InvalidateRect(window_, nullptr, TRUE);
}
