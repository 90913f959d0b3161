#include "runtime/runtime_selection_dialog.h"

INT_PTR showRuntimeSelectionDialog(HWND, const Text&, JvmType, RuntimeChoice& choice) {
    // Until the dialog exists the user cannot pick a runtime: it counts as cancelled.
    choice = RuntimeChoice();
    return IDCANCEL;
}
