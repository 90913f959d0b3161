#include "package/identity_codes.h"

#include "settings/settings_cipher.h"
#include "system/platform.h"
#include "texts/text_codec.h"

namespace {

std::string hexDigits(const std::uint8_t* bytes, std::size_t size, const char* digits) {
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

std::string lowerHex(const std::uint8_t* bytes, std::size_t size) { return hexDigits(bytes, size, "0123456789abcdef"); }

// Sixteen bytes as {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, with the version in the high nibble of
// byte 6 and the RFC 4122 variant in byte 8.
Text guidText(std::uint8_t bytes[16], unsigned version) {
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | version << 4);
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
    const char* digits = "0123456789ABCDEF";
    const std::string text = "{" + hexDigits(bytes, 4, digits) + "-" + hexDigits(bytes + 4, 2, digits) + "-" +
                             hexDigits(bytes + 6, 2, digits) + "-" + hexDigits(bytes + 8, 2, digits) + "-" +
                             hexDigits(bytes + 10, 6, digits) + "}";
    return widenAscii(text.c_str());
}

}  // namespace

bool newPassPhrase(std::string& passPhrase) {
    std::uint8_t random[24];
    if (!secureRandom(random, sizeof random)) return false;
    passPhrase = lowerHex(random, sizeof random);
    return true;
}

std::string derivePassPhrase(const SplitSettings& settings) {
    // Derived rather than random, so that the same inputs give the same executable. Nothing is lost: the
    // phrase is stored beside the settings, enciphered under the Upgrade Code that the INI file beside
    // the executable holds in plain text, so it never kept the settings from anyone who has the folder.
    const std::string seed = "vornicpack pass phrase\n" + encodeUtf8(settings.upgradeCode) + "\n" +
                             encodeUtf8(settings.packagedText);
    const Md5Digest first = md5(seed);
    const Md5Digest second = md5(std::string(first.begin(), first.end()) + seed);
    return lowerHex(first.data(), first.size()) + lowerHex(second.data(), 8);
}

Text guidFromSeed(const std::string& seed) {
    Md5Digest bytes = md5(seed);
    return guidText(bytes.data(), 3);  // version 3: name-based, MD5
}

bool newGuid(Text& guid) {
    std::uint8_t random[16];
    if (!secureRandom(random, sizeof random)) return false;
    guid = guidText(random, 4);  // version 4: random
    return true;
}
