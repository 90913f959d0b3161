// How the launcher reaches its user: the one thing in which the windowed launcher (vornicw.exe) and
// the console launcher (vornicwc.exe) differ. Each executable links one implementation:
// windowed_frontend.cpp shows message boxes and dialogs; console_frontend.cpp writes the same texts to
// standard error and opens no window (a splash that the settings ask for still shows).
//
//   presentMessage(messageOwner(), text, nullptr);   // a box, or a line on standard error
#pragma once

#include <windows.h>

#include "runtime/jvm_type.h"
#include "support/text.h"

struct RuntimeChoice;

// A message with the error icon; `caption` null: the system's default caption. What MessageBox
// answers (IDOK), 0 when nothing could be shown.
int presentMessage(HWND owner, const Text& text, const Text* caption);

// No runtime fits: asks the user for one. `prompt` is message 206 or 207 with the requirement.
// IDOK when `choice` holds the runtime picked; any other value ends the launch with -1.
INT_PTR askForRuntimeFolder(const Text& prompt, JvmType type, RuntimeChoice& choice);

// The text of an exception that escaped main ("Failure Check"). True when the program is to end
// now, false when it goes on.
bool presentException(const Text& text);
