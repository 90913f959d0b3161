// The dialog in which the user points to a runtime when none fits.
#pragma once

#include <windows.h>

#include "runtime/jvm_type.h"
#include "support/text.h"

struct RuntimeChoice {
    Text jvmLibraryPath;
    Text home;  // ends with a backslash
};

// The dialog's result (IDOK when a runtime was picked); -1 when it could not be created.
INT_PTR showRuntimeSelectionDialog(HWND owner, const Text& prompt, JvmType type, RuntimeChoice& choice);
