// The console launcher's frontend: every message is one text on standard error, and nothing waits
// for an answer that nobody at a console or in a script could give.
#include "texts/frontend.h"

#include "frontend/standard_error.h"
#include "runtime/runtime_selection_prompt.h"

namespace own_frontend {

int presentMessage(HWND, const Text& text, const Text* caption) {
    const Text line = caption && !caption->empty() ? *caption + L": " + text : text;
    return writeStandardError(line + L"\n") ? IDOK : 0;
}

INT_PTR askForRuntimeFolder(const Text& prompt, JvmType, RuntimeChoice&) {
    writeStandardError(promptWithoutDialog(prompt) + L"\n");
    return IDCANCEL;
}

bool presentException(const Text& text) {
    // As after OK in the dialog: the application goes on, its threads may still finish their work.
    writeStandardError(text.empty() || text.back() == L'\n' ? text : text + L"\n");
    return false;
}

}  // namespace own_frontend
