#include "runtime/runtime_selection_dialog.h"

#include "controls/dialog_layout.h"
#include "controls/shell_functions.h"
#include "runtime/runtime_folder.h"
#include "support/system_libraries.h"
#include "texts/localized_resource.h"
#include "texts/messages.h"

namespace {

// Only file-system folders, the resizable browser, and no "Make New Folder" button: the user points
// to a runtime that exists.
constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
static_assert(kBrowseFlags == 0x0241);

struct CoTaskMemory {
    CoTaskMemory(void* memory, const ShellFunctions& shell) : memory(memory), shell(shell) {}
    ~CoTaskMemory() {
        if (memory) shell.coTaskMemFree(memory);
    }
    CoTaskMemory(const CoTaskMemory&) = delete;
    CoTaskMemory& operator=(const CoTaskMemory&) = delete;
    void* memory;
    const ShellFunctions& shell;
};

}  // namespace

bool browseWithShell(HWND owner, const Text& title, Text& folder) {
    folder.clear();
    const ShellFunctions& shell = shellFunctions();
    // Without any of these the browser cannot be shown; the user sees it as cancelled.
    if (!shell.coInitializeEx || !shell.coUninitialize || !shell.coTaskMemFree || !shell.shBrowseForFolder ||
        !shell.shGetPathFromIdList)
        return false;
    // The resizable browser hosts COM objects and needs a single-threaded apartment on this thread.
    const HRESULT com = shell.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = kBrowseFlags;
    const CoTaskMemory picked(shell.shBrowseForFolder(&info), shell);
    bool found = false;
    if (picked.memory) {
        Text path(32768, L'\0');
        if (shell.shGetPathFromIdList(static_cast<PCIDLIST_ABSOLUTE>(picked.memory), path.data(),
                                      static_cast<DWORD>(path.size()), GPFIDL_DEFAULT)) {
            path.resize(wcslen(path.c_str()));
            folder = path;
            found = !folder.empty();
        }
    }
    if (SUCCEEDED(com)) shell.coUninitialize();
    return found;
}

RuntimeDialog::RuntimeDialog(const Text& message, JvmType type, FolderBrowser browser, LinkOpener opener)
    : message_(message), type_(type), browser_(std::move(browser)), link_(std::move(opener)) {}

INT_PTR RuntimeDialog::show(HWND owner, HINSTANCE module) {
    pinWindowLibraries();  // the dialog's theming loads libraries by name: have the system's ones first
    if (!module) module = GetModuleHandleW(nullptr);
    const LPCDLGTEMPLATEW layout = findLocalizedDialog(module, kDialogRuntimeSelection);
    if (!layout) return -1;
    return DialogBoxIndirectParamW(module, layout, owner, dialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK RuntimeDialog::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* self = reinterpret_cast<RuntimeDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) return FALSE;
    return self->handle(dialog, message, wParam) ? TRUE : FALSE;
}

// True when the message was consumed; WM_INITDIALOG answers false because it sets the focus itself.
bool RuntimeDialog::handle(HWND dialog, UINT message, WPARAM wParam) {
    switch (message) {
    case WM_INITDIALOG:
        link_.attach(GetDlgItem(dialog, kLink));
        SetDlgItemTextW(dialog, kMessage, message_.c_str());
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
        centerWindow(dialog);
        // OK cannot be pressed yet: the first useful step is Browse.
        if (HWND browseButton = GetDlgItem(dialog, kBrowse)) SetFocus(browseButton);
        return false;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kBrowse:
            if (HIWORD(wParam) == BN_CLICKED) browse(dialog);
            return true;
        case IDOK:
            // Enter or a stray command must not accept a folder without a JVM library.
            if (!libraryPath_.empty()) EndDialog(dialog, IDOK);
            return true;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return true;
        default:
            return false;
        }
    case WM_CLOSE:
        EndDialog(dialog, IDCANCEL);
        return true;
    default:
        return false;
    }
}

void RuntimeDialog::browse(HWND dialog) {
    Text folder;
    if (!browser_ || !browser_(dialog, stringOf(kMsgBrowseTitle), folder) || folder.empty()) return;
    SetDlgItemTextW(dialog, kPath, folder.c_str());
    home_ = ensureTrailingBackslash(folder);
    libraryPath_ = findJvmLibrary(home_, type_);
    EnableWindow(GetDlgItem(dialog, IDOK), !libraryPath_.empty());
}

INT_PTR showRuntimeSelectionDialog(HWND owner, const Text& prompt, JvmType type, RuntimeChoice& choice) {
    choice = RuntimeChoice();
    RuntimeDialog dialog(prompt, type);
    const INT_PTR result = dialog.show(owner);
    if (result == IDOK) choice = RuntimeChoice{dialog.jvmLibraryPath(), dialog.home()};
    return result;
}
