// The modal dialog that shows an exception which escaped the Java main method and lets the user
// continue (OK, result 1) or end the program (Cancel or the close box, result 2).
//
//   INT_PTR result = ExceptionDialog::show(GetActiveWindow(), stackTrace);  // -1: no template 231
#pragma once

#include <windows.h>

#include "controls/dialog_layout.h"
#include "support/text.h"
#include "texts/resource_ids.h"

class ExceptionDialog {
public:
    enum ControlId : int {
        kTraceText = kExceptionDialogTrace,
        kFrame = kExceptionDialogFrame,
        kHeading = kExceptionDialogHeading,
        kFootnote = kExceptionDialogFootnote,
        kHint = kExceptionDialogHint,
    };

    // Shows the dialog from template 231 of `module` (null: the executable) and waits for the user.
    static INT_PTR show(HWND owner, const Text& text, HINSTANCE module = nullptr);

private:
    explicit ExceptionDialog(const Text& text) : text_(text) {}
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    bool handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    const Text& text_;
    DialogResizer resizer_;
};

// A multi-line edit control breaks lines only at CR LF; a stack trace may come with bare LFs.
Text withCrLfLineEnds(const Text& text);
