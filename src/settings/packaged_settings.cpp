#include "settings/packaged_settings.h"

#include <wincrypt.h>

#include <mutex>
#include <vector>

#include "settings/ini_file_store.h"
#include "support/unique_handle.h"

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

// Acquiring the provider loads and starts its library, which costs more than the deciphering itself;
// one verify-only context serves the whole process.
HCRYPTPROV baseProvider() {
    static const UniqueCryptProvider provider = [] {
        HCRYPTPROV raw = 0;
        const bool acquired = CryptAcquireContextW(&raw, nullptr, L"Microsoft Base Cryptographic Provider v1.0",
                                                   PROV_RSA_FULL, CRYPT_VERIFYCONTEXT);
        return acquired ? UniqueCryptProvider(raw) : UniqueCryptProvider();
    }();
    return provider.get();
}

}  // namespace

void decipherWithProvider(std::vector<unsigned char>& bytes, const std::string& passPhrase) {
    const HCRYPTPROV provider = baseProvider();
    if (!provider) return;
    UniqueCryptKey key;
    {
        HCRYPTHASH rawHash = 0;
        if (!CryptCreateHash(provider, CALG_MD5, 0, 0, &rawHash)) return;
        UniqueCryptHash hash(rawHash);
        if (!CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(passPhrase.data()),
                           static_cast<DWORD>(passPhrase.size()), 0)) {
            return;
        }
        HCRYPTKEY rawKey = 0;
        // Flags 0: the provider's default key length (40 bits for the Base provider).
        if (!CryptDeriveKey(provider, CALG_RC4, hash.get(), 0, &rawKey)) return;
        key.reset(rawKey);
    }
    if (bytes.empty()) return;
    DWORD length = static_cast<DWORD>(bytes.size());
    if (CryptDecrypt(key.get(), 0, TRUE, 0, bytes.data(), &length) && length <= bytes.size()) bytes.resize(length);
}

std::string narrowText(const Text& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size, nullptr,
                        nullptr);
    return narrow;
}

Text loadEncipheredResource(int id, const std::string& passPhrase, HMODULE module) {
    if (!module) module = GetModuleHandleW(nullptr);
    const HRSRC found = findPackagedResource(module, id);
    if (!found) return Text();
    const HGLOBAL loaded = LoadResource(module, found);
    const auto* data = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
    const DWORD size = SizeofResource(module, found);
    if (!data || size == 0) return Text();
    std::vector<BYTE> bytes(data, data + size);
    decipherWithProvider(bytes, passPhrase);
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

Text executablePackagedSettings(const Text& upgradeCode) {
    // The executable's resources cannot change while it runs, so every reader after the first gets
    // the text deciphered once. Other modules are not remembered: a test may load another file at
    // the same address.
    static std::mutex mutex;
    static bool known = false;
    static Text knownCode;
    static Text knownSettings;
    std::lock_guard<std::mutex> lock(mutex);
    if (!known || knownCode != upgradeCode) {
        knownSettings = loadPackagedSettings(upgradeCode);
        knownCode = upgradeCode;
        known = true;
    }
    return knownSettings;
}

LayeredIniStore openLayeredStore(const Text& iniPath, const Text& upgradeCode) {
    IniDocument document;
    document.parseIniText(executablePackagedSettings(upgradeCode));
    return LayeredIniStore(std::make_unique<IniFileStore>(iniPath), std::move(document));
}
