// The windowed launcher's frontend: message boxes and the two dialogs.
#include "frontend/frontend.h"

#include "controls/exception_dialog.h"
#include "runtime/runtime_selection_dialog.h"
#include "support/system_libraries.h"

namespace own_frontend {

int presentMessage(HWND owner, const Text& text, const Text* caption) {
    pinWindowLibraries();
    return MessageBoxW(owner, text.c_str(), caption ? caption->c_str() : nullptr, MB_OK | MB_ICONERROR);
}

INT_PTR askForRuntimeFolder(const Text& prompt, JvmType type, RuntimeChoice& choice) {
    return showRuntimeSelectionDialog(GetActiveWindow(), prompt, type, choice);
}

bool presentException(const Text& text) { return ExceptionDialog::show(GetActiveWindow(), text) != IDOK; }

}  // namespace own_frontend
