// The packaged-settings decipher on arbitrary resource bytes and pass phrases (the portable MD5 and
// RC4 that the packer and the tests share with the launcher's provider). Deciphering keeps the
// length and undoes itself; RC4 agrees with a plain textbook one over the derived key; the digest
// agrees with an independent MD5 where the host has one; the bytes read as UTF-16 write back the
// same; and whatever the text holds, the INI parser keeps only what it can find again.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "fuzz_text.h"
#include "settings/ini_document.h"
#include "settings/settings_cipher.h"
#include "support/utf16.h"

#ifdef VORNIC_REFERENCE_MD5
#include <openssl/evp.h>
#endif

namespace {

Bytes textbookRc4(const SettingsKey& key, Bytes data) {
    std::uint8_t s[256];
    for (int i = 0; i < 256; ++i) s[i] = static_cast<std::uint8_t>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % key.size()]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    int i = 0, j = 0;
    for (std::uint8_t& byte : data) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        byte ^= s[(s[i] + s[j]) & 0xFF];
    }
    return data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t phraseLength = std::min<std::size_t>(data[0], size - 1);
    const std::string passPhrase(reinterpret_cast<const char*>(data + 1), phraseLength);
    const Bytes resource(data + 1 + phraseLength, data + size);

    const Bytes deciphered = decipherSettings(resource, passPhrase);
    if (deciphered.size() != resource.size()) std::abort();
    if (encipherSettings(deciphered, passPhrase) != resource) std::abort();
    const SettingsKey key = deriveSettingsKey(passPhrase);
    if (textbookRc4(key, resource) != deciphered) std::abort();
    // The Base provider's 40-bit key: five digest bytes, the rest zero.
    const Md5Digest digest = md5(passPhrase);
    if (std::memcmp(key.data(), digest.data(), 5) != 0) std::abort();
    for (std::size_t i = 5; i < key.size(); ++i) {
        if (key[i] != 0) std::abort();
    }
#ifdef VORNIC_REFERENCE_MD5
    unsigned char reference[EVP_MAX_MD_SIZE];
    unsigned int referenceLength = 0;
    static EVP_MD* const referenceMd5 = EVP_MD_fetch(nullptr, "MD5", nullptr);  // fetched once, not per run
    if (!referenceMd5 ||
        !EVP_Digest(passPhrase.data(), passPhrase.size(), reference, &referenceLength, referenceMd5, nullptr) ||
        referenceLength != digest.size() || std::memcmp(reference, digest.data(), digest.size()) != 0) {
        std::abort();
    }
#endif

    // UTF-16LE: an odd last byte is dropped, everything else comes back byte for byte.
    const Text text = fromUtf16Le(deciphered);
    const Bytes again = toUtf16Le(text);
    if (again.size() != deciphered.size() / 2 * 2 || !std::equal(again.begin(), again.end(), deciphered.begin())) {
        std::abort();
    }

    IniDocument document;
    document.parseIniText(text);
    for (const IniDocument::Section& section : document.sections()) {
        if (text.find(L"[" + section.name + L"]") == Text::npos) std::abort();
    }
    return 0;
}
