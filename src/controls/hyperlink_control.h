// Turns a static text control of a dialog into a web link: underlined text in link colours, a hand
// cursor and a tooltip with the target over the text, and the shell's "open" on a click or on Enter
// or Space while it has the focus. The control's text is both the label and the target.
//
//   HyperlinkControl link_;                          // lives as long as the dialog
//   link_.attach(GetDlgItem(dialog, 205));           // in WM_INITDIALOG
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "controls/link_colours.h"
#include "support/text.h"
#include "support/unique_handle.h"

// Opens `target` with the shell's "open" verb; true on success.
using LinkOpener = std::function<bool(const Text& target)>;
bool openWithShell(const Text& target);

class HyperlinkControl {
public:
    explicit HyperlinkControl(LinkOpener opener = openWithShell) : opener_(std::move(opener)) {}
    ~HyperlinkControl();
    HyperlinkControl(const HyperlinkControl&) = delete;
    HyperlinkControl& operator=(const HyperlinkControl&) = delete;

    // Subclasses `control` and initialises the link; false when the control cannot be subclassed.
    bool attach(HWND control);

    // The part of the client area that the label covers.
    const RECT& linkRect() const { return linkRect_; }
    HWND tooltip() const { return tooltipWindow_.get(); }
    const Text& target() const { return target_; }
    bool visited() const { return visited_; }
    std::uint32_t linkColour() const { return linkColour_; }
    std::uint32_t visitedColour() const { return visitedColour_; }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // One handler a message; those that return bool say whether the message was consumed.
    void relayToTooltip(UINT message, WPARAM wParam, LPARAM lParam);
    bool onPaint(HDC given);
    bool onFocusChange();
    bool onMouseMove(POINT point);
    void onLeftButtonDown(POINT point);
    void onLeftButtonUp(POINT point);
    void onChar(WPARAM unit);
    bool onSetCursor(LRESULT& result);
    void onSetFont(HFONT font, bool redraw);
    void onSize();
    void repaintNow();
    LRESULT callOriginal(UINT message, WPARAM wParam, LPARAM lParam);

    void initialise();
    void createLinkFont();
    void readRegistryColours();
    void addTool();
    void computeLinkRect();
    void paint(HDC dc);
    void open();
    bool inLink(POINT point) const;
    UINT textFormat() const;
    const Text& shownText() const { return label_.empty() ? target_ : label_; }
    HGDIOBJ shownFont() const { return linkFont_ ? linkFont_.get() : static_cast<HGDIOBJ>(normalFont_); }
    void releaseOwned();

    LinkOpener opener_;
    HWND window_ = nullptr;
    WNDPROC original_ = nullptr;
    Text label_;
    Text target_;
    HCURSOR cursor_ = nullptr;
    UniqueGdiObject linkFont_;        // always created here
    HFONT normalFont_ = nullptr;      // the control's own font, or ownedNormalFont_
    UniqueGdiObject ownedNormalFont_;
    RECT linkRect_{0, 0, 0, 0};
    UniqueWindow tooltipWindow_;
    std::uint32_t linkColour_ = kDefaultLinkColour;
    std::uint32_t visitedColour_ = kDefaultVisitedColour;
    bool paintLabel_ = true;
    bool visited_ = false;
};

// The size of the tool record given to the tooltip: the current layout from major version 6 on,
// the older one (without the trailing reserved pointer) before.
UINT toolRecordSize(DWORD majorVersion);
