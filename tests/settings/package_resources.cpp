#include "package_resources.h"

#include <vector>

#include "settings/packaged_settings.h"

Bytes encipheredText(const Text& text, const Text& passPhrase) {
    return encipherSettings(toUtf16Le(text), narrowText(passPhrase));
}

void PackagedResources::settings(const Text& upgradeCode, const Text& secondPass, const Text& iniText) {
    rcdata[kPassPhraseResource] = encipheredText(secondPass, upgradeCode);
    rcdata[kSettingsResource] = encipheredText(iniText, secondPass);
}

bool PackagedResources::writeInto(const std::wstring& file) const {
    HANDLE update = BeginUpdateResourceW(file.c_str(), FALSE);
    if (!update) return false;
    bool ok = true;
    const auto put = [&](LPCWSTR type, int id, LANGID language, const void* data, size_t size) {
        ok = ok && UpdateResourceW(update, type, MAKEINTRESOURCEW(id), language, const_cast<void*>(data),
                                   static_cast<DWORD>(size));
    };
    for (const auto& [id, bytes] : rcdata) put(RT_RCDATA, id, 0, bytes.data(), bytes.size());
    for (const auto& [id, languages] : localized) {
        for (const auto& [language, bytes] : languages) put(RT_RCDATA, id, language, bytes.data(), bytes.size());
    }
    for (const auto& [id, bytes] : dialogs) put(RT_DIALOG, id, 0, bytes.data(), bytes.size());
    // String blocks of 16: block id / 16 + 1, each entry a length followed by its units.
    std::map<unsigned, std::vector<WORD>> blocks;
    for (const auto& [id, text] : strings) blocks[id / 16 + 1];
    for (auto& [block, units] : blocks) {
        for (unsigned index = 0; index < 16; ++index) {
            const auto found = strings.find((block - 1) * 16 + index);
            const Text text = found == strings.end() ? Text() : found->second;
            units.push_back(static_cast<WORD>(text.size()));
            units.insert(units.end(), text.begin(), text.end());
        }
        put(RT_STRING, static_cast<int>(block), 0, units.data(), units.size() * sizeof(WORD));
    }
    return EndUpdateResourceW(update, !ok) && ok;
}
