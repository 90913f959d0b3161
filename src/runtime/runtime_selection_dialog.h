// The dialog in which the user points to a runtime when none fits: it explains which Java is needed,
// offers the folder browser and a download link, and accepts only a folder that holds a JVM library
// of the kind the application wants.
//
//   RuntimeChoice choice;
//   if (showRuntimeSelectionDialog(GetActiveWindow(), prompt, type, choice) == IDOK) use(choice.jvmLibraryPath);
#pragma once

#include <windows.h>

#include <functional>

#include "controls/hyperlink_control.h"
#include "runtime/jvm_type.h"
#include "runtime/runtime_selection_prompt.h"
#include "support/text.h"
#include "texts/resource_ids.h"

// Lets the user pick a folder; false when the user cancels. `folder` is the file-system path.
using FolderBrowser = std::function<bool(HWND owner, const Text& title, Text& folder)>;
bool browseWithShell(HWND owner, const Text& title, Text& folder);

class RuntimeDialog {
public:
    enum ControlId : int {
        kPath = kRuntimeDialogPath,
        kBrowse = kRuntimeDialogBrowse,
        kMessage = kRuntimeDialogMessage,
        kLink = kRuntimeDialogLink,
    };

    RuntimeDialog(const Text& message, JvmType type, FolderBrowser browser = browseWithShell,
                  LinkOpener opener = openWithShell);

    // Template 201 of `module` (null: the executable), modal to `owner`. IDOK or IDCANCEL; any other
    // value when the dialog could not be created.
    INT_PTR show(HWND owner, HINSTANCE module = nullptr);

    // The folder picked last (with a trailing backslash) and the JVM library under it, or empty.
    const Text& home() const { return home_; }
    const Text& jvmLibraryPath() const { return libraryPath_; }

private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    bool handle(HWND dialog, UINT message, WPARAM wParam);
    void browse(HWND dialog);

    Text message_;
    JvmType type_;
    FolderBrowser browser_;
    HyperlinkControl link_;
    Text home_;
    Text libraryPath_;
};

// The dialog's result (IDOK when a runtime was picked); other values mean nothing was picked.
INT_PTR showRuntimeSelectionDialog(HWND owner, const Text& prompt, JvmType type, RuntimeChoice& choice);
