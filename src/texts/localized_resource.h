// A resource in the user's language: the thread's UI language, then that language's default
// sublanguage, then the neutral language, then English. Picked by hand because the system's own
// search (FindResource) may take the neutral resource before the user's language.
#pragma once

#include <windows.h>

// The resource `name` of `type`, or null when the module has it in no language.
HRSRC findLocalizedResource(HMODULE module, LPCWSTR type, LPCWSTR name);

// The neutral language's one (for a string the user's language lacks), or null.
HRSRC findNeutralResource(HMODULE module, LPCWSTR type, LPCWSTR name);

// Dialog template `id` in the user's language (as findLocalizedResource picks it), for
// DialogBoxIndirectParam; null when the module has none.
LPCDLGTEMPLATEW findLocalizedDialog(HMODULE module, int id);
