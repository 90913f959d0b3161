// The windowed launcher's frontend: message boxes, the two dialogs and the download's progress window.
#include "texts/frontend.h"

#include "controls/exception_dialog.h"
#include "display/process_dpi.h"
#include "download/download_window.h"
#include "runtime/runtime_selection_dialog.h"
#include "support/system_libraries.h"

namespace own_frontend {

int presentMessage(HWND owner, const Text& text, const Text* caption) {
    const SystemAwareThread sharp;
    pinWindowLibraries();
    return MessageBoxW(owner, text.c_str(), caption ? caption->c_str() : nullptr, MB_OK | MB_ICONERROR);
}

INT_PTR askForRuntimeFolder(const Text& prompt, JvmType type, RuntimeChoice& choice) {
    return showRuntimeSelectionDialog(GetActiveWindow(), prompt, type, choice);
}

bool presentException(const Text& text) { return ExceptionDialog::show(GetActiveWindow(), text) != IDOK; }

bool agreesToDownload(const Text& question, const Text& caption) {
    pinWindowLibraries();
    const SystemAwareThread sharp;
    return MessageBoxW(nullptr, question.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) == IDYES;
}

void followDownload(HttpDownload& download, const Text& title, std::uint64_t total) {
    pinWindowLibraries();
    const SystemAwareThread sharp;
    followDownloadInWindow(download, title, total);
}

}  // namespace own_frontend
