// What the launcher tells the user when no runtime fits, and what the user's answer names. Both
// launchers need the text; only the windowed one shows the dialog (runtime_selection_dialog.h), so
// the text lives apart from the dialog and the console launcher links no dialog code.
//
//   const Text prompt = runtimeSelectionPrompt(JvmType::Any, minimum, maximum);
#pragma once

#include "runtime/java_version.h"
#include "runtime/jvm_type.h"
#include "support/text.h"

struct RuntimeChoice {
    Text jvmLibraryPath;
    Text home;  // ends with a backslash
};

// The explanation: message 206 for a server-only application, 207 otherwise, quoting the acceptable
// versions.
Text runtimeSelectionPrompt(JvmType type, const JavaVersion& minimum, const JavaVersion& maximum);

// The prompt for a launcher that shows no dialog (the console launcher, a service): its first
// paragraph, which says which runtime is needed (the rest tells how to choose one in the dialog), then
// message 235, which names "JRE Path" in the INI beside the executable (when the copy has that text).
Text promptWithoutDialog(const Text& prompt);
