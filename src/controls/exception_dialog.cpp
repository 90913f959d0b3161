#include "controls/exception_dialog.h"

#include "support/system_libraries.h"
#include "texts/localized_resource.h"
#include "texts/resource_ids.h"

namespace {

constexpr LayoutEntry kLayout[] = {
    {ExceptionDialog::kFrame, kAnchorSizeX | kAnchorSizeY},
    {ExceptionDialog::kHeading, kAnchorSizeX},
    {ExceptionDialog::kHint, kAnchorSizeX | kAnchorMoveY},
    {ExceptionDialog::kFootnote, kAnchorSizeX | kAnchorMoveY},
    {ExceptionDialog::kTraceText, kAnchorSizeX | kAnchorSizeY},
    {IDOK, kAnchorMoveX | kAnchorMoveY},
    {IDCANCEL, kAnchorMoveX | kAnchorMoveY},
};

}  // namespace

Text withCrLfLineEnds(const Text& text) {
    Text result;
    result.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) result += L'\r';
        result += text[i];
    }
    return result;
}

INT_PTR ExceptionDialog::show(HWND owner, const Text& text, HINSTANCE module) {
    ExceptionDialog dialog(text);
    pinWindowLibraries();
    if (!module) module = GetModuleHandleW(nullptr);
    const LPCDLGTEMPLATEW layout = findLocalizedDialog(module, kDialogException);
    if (!layout) return -1;
    return DialogBoxIndirectParamW(module, layout, owner, dialogProc, reinterpret_cast<LPARAM>(&dialog));
}

INT_PTR CALLBACK ExceptionDialog::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* self = reinterpret_cast<ExceptionDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) return FALSE;
    return self->handle(dialog, message, wParam, lParam) ? TRUE : FALSE;
}

// True when the message was consumed; WM_INITDIALOG is consumed with the result 0 (no initial focus).
bool ExceptionDialog::handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextW(dialog, kTraceText, withCrLfLineEnds(text_).c_str());
        SendDlgItemMessageW(dialog, kTraceText, EM_SETREADONLY, TRUE, 0);
        centerWindow(dialog);
        resizer_.init(dialog, kLayout);
        return false;
    case WM_SIZE:
        resizer_.onSize(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)),
                        static_cast<short>(HIWORD(lParam)));
        return true;
    case WM_GETMINMAXINFO:
        resizer_.onGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return true;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return true;
        }
        return false;
    case WM_CLOSE:
        EndDialog(dialog, IDCANCEL);
        return true;
    default:
        return false;
    }
}
