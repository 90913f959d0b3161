#include "texts/localized_resource.h"

#include <vector>

namespace {

BOOL CALLBACK collectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR into) {
    reinterpret_cast<std::vector<LANGID>*>(into)->push_back(language);
    return TRUE;
}

// Exactly `language`: FindResourceEx alone would answer with a fallback of its own choosing.
HRSRC findExactly(HMODULE module, LPCWSTR type, LPCWSTR name, const std::vector<LANGID>& present, LANGID language) {
    for (const LANGID each : present)
        if (each == language) return FindResourceExW(module, type, name, language);
    return nullptr;
}

}  // namespace

HRSRC findLocalizedResource(HMODULE module, LPCWSTR type, LPCWSTR name) {
    std::vector<LANGID> present;
    EnumResourceLanguagesW(module, type, name, collectLanguage, reinterpret_cast<LONG_PTR>(&present));
    if (present.empty()) return nullptr;
    const LANGID user = GetThreadUILanguage();
    const LANGID order[] = {user, static_cast<LANGID>(MAKELANGID(PRIMARYLANGID(user), SUBLANG_DEFAULT)),
                            MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)};
    for (const LANGID language : order)
        if (HRSRC found = findExactly(module, type, name, present, language)) return found;
    return FindResourceExW(module, type, name, present.front());
}

HRSRC findNeutralResource(HMODULE module, LPCWSTR type, LPCWSTR name) {
    std::vector<LANGID> present;
    EnumResourceLanguagesW(module, type, name, collectLanguage, reinterpret_cast<LONG_PTR>(&present));
    return findExactly(module, type, name, present, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
}

LPCDLGTEMPLATEW findLocalizedDialog(HMODULE module, int id) {
    const HRSRC found = findLocalizedResource(module, RT_DIALOG, MAKEINTRESOURCEW(id));
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    return static_cast<LPCDLGTEMPLATEW>(loaded ? LockResource(loaded) : nullptr);
}
