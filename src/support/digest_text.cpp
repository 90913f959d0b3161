// The digest's text apart from the hash itself: the launcher reads and names digests, and lets the
// system compute them.
#include "support/sha256.h"

namespace {

int hexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

std::string Sha256::finishHex() {
    const std::wstring hex = hexOfDigest(finish());
    return std::string(hex.begin(), hex.end());
}

std::wstring hexOfDigest(const Sha256::Digest& digest) {
    static const wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text;
    for (const std::uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

bool parseDigestHex(const std::wstring& text, Sha256::Digest& digest) {
    if (text.size() != 64) return false;
    Sha256::Digest parsed{};
    for (std::size_t i = 0; i < 64; ++i) {
        const int value = hexValue(text[i]);
        if (value < 0) return false;
        parsed[i / 2] = static_cast<std::uint8_t>(parsed[i / 2] * 16 + value);
    }
    digest = parsed;
    return true;
}
