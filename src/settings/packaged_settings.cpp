#include "settings/packaged_settings.h"

#include <vector>

#include "settings/ini_file_store.h"
#include "settings/settings_cipher.h"
#include "support/code_page.h"
#include "support/resource_module.h"

namespace {

// The user's language first, unless the system only fell back to the neutral resource for it; then
// the user's primary language with its default sublanguage; then the neutral language.
HRSRC findPackagedResource(HMODULE module, int id) {
    const LANGID user = GetUserDefaultLangID();
    const HRSRC neutral = FindResourceExW(module, RT_RCDATA, MAKEINTRESOURCEW(id), 0);
    HRSRC found = FindResourceExW(module, RT_RCDATA, MAKEINTRESOURCEW(id), user);
    if (found && found != neutral) return found;
    found = FindResourceExW(module, RT_RCDATA, MAKEINTRESOURCEW(id), MAKELANGID(PRIMARYLANGID(user), SUBLANG_DEFAULT));
    return found ? found : neutral;
}

}  // namespace

std::string narrowText(const Text& text) {
    std::string narrow;
    toCodePage(CP_THREAD_ACP, text, narrow);
    return narrow;
}

Text loadEncipheredResource(int id, const std::string& passPhrase, HMODULE module) {
    if (!module) module = resourceModule();
    const HRSRC found = findPackagedResource(module, id);
    if (!found) return Text();
    const HGLOBAL loaded = LoadResource(module, found);
    const auto* data = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
    const DWORD size = SizeofResource(module, found);
    if (!data || size == 0) return Text();
    // Deciphered here rather than by the system's cryptographic provider, whose libraries would cost
    // a large share of the start-up; the tests hold both to the same bytes.
    const Bytes bytes = decipherSettings(Bytes(data, data + size), passPhrase);
    // UTF-16LE, two bytes a unit; an odd last byte has no partner and is dropped.
    Text text(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return text;
}

Text loadPackagedSettings(const Text& upgradeCode, HMODULE module) {
    const Text passPhrase = loadEncipheredResource(kPassPhraseResource, narrowText(upgradeCode), module);
    return loadEncipheredResource(kSettingsResource, narrowText(passPhrase), module);
}

LayeredIniStore openLayeredStore(const Text& iniPath, const Text& upgradeCode) {
    IniDocument document;
    document.parseIniText(loadPackagedSettings(upgradeCode));
    return LayeredIniStore(std::make_unique<IniFileStore>(iniPath), std::move(document));
}
