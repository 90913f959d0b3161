// Text as the system handles it for the runtime: environment references expanded, and the narrow
// form in the thread's ANSI code page that VM options travel in.
#pragma once

#include <string>

#include "support/text.h"

// "%NAME%" references replaced through the system's expansion (undefined ones stay); `text`
// unchanged when the expansion fails.
Text expandEnvironment(const Text& text);

// The thread's ANSI code page without best-fit substitution: a character without a mapping becomes
// the default character, never a look-alike (a full-width quote must not become a quote).
std::string toAnsiText(const Text& text);

// Back from the thread's ANSI code page (for the trace).
Text fromAnsiText(const std::string& text);

// True when every character of `text` has a mapping in the thread's ANSI code page.
bool ansiCanCarry(const Text& text);

// `path` itself when the code page can carry it and it holds no ";" (the separator of the lists it
// joins); otherwise its short (8.3) form when the file system has one without either fault, so the
// runtime can still open it; else `path`.
Text narrowSafePath(const Text& path);
