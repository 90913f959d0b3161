// Centring and resizing for the launcher's dialogs.
//
//   centerWindow(dialog);                                 // in WM_INITDIALOG
//   resizer.init(dialog, kLayout);                        // then forward WM_SIZE and WM_GETMINMAXINFO
#pragma once

#include <windows.h>

#include <span>
#include <vector>

// Places the window in the middle of its owner (or parent), else of its monitor's work area,
// without resizing it. False when no monitor information is available; the window then stays.
bool centerWindow(HWND window);

// How a control follows the dialog's client area when it changes by (dx, dy).
enum AnchorFlags : unsigned {
    kAnchorSizeX = 1u << 0,    // right edge moves by dx
    kAnchorSizeY = 1u << 1,    // bottom edge moves by dy
    kAnchorMoveX = 1u << 2,    // right edge moves by dx, width kept
    kAnchorMoveY = 1u << 3,    // bottom edge moves by dy, height kept
    kAnchorRepaint = 1u << 4,  // invalidated at every layout
};

struct LayoutEntry {
    int controlId;
    unsigned flags;
};

// The size grip's control identifier.
constexpr int kSizeGripId = 0xE801;

// Makes a dialog resizable: size grip, minimum size = initial size, anchored controls.
class DialogResizer {
public:
    // From WM_INITDIALOG, once the dialog has its initial size and position.
    void init(HWND dialog, std::span<const LayoutEntry> table);
    // WM_SIZE: wParam, then the low and high words of lParam as signed 16-bit values.
    void onSize(UINT sizeType, int width, int height);
    void onGetMinMaxInfo(MINMAXINFO* info) const;

    bool hasGrip() const { return grip_; }

private:
    struct Entry {
        int controlId;
        unsigned flags;
        RECT initial;
    };

    void layout(int width, int height);
    bool isChild() const;

    HWND dialog_ = nullptr;
    std::vector<Entry> entries_;
    SIZE initialClient_{0, 0};
    SIZE minimumTrack_{-1, -1};
    bool grip_ = false;
};
