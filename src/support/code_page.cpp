#include "support/code_page.h"

bool toCodePage(UINT codePage, const Text& text, std::string& bytes, BestFit bestFit, bool* lossy) {
    bytes.clear();
    if (lossy) *lossy = false;
    if (text.empty()) return true;
    const int length = static_cast<int>(text.size());
    DWORD flags = bestFit == BestFit::Refused ? WC_NO_BEST_FIT_CHARS : 0;
    BOOL defaulted = FALSE;
    BOOL* defaultedOut = lossy && codePage != CP_UTF8 ? &defaulted : nullptr;
    int size = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, defaultedOut);
    if (size == 0 && (flags != 0 || defaultedOut)) {
        flags = 0;
        defaultedOut = nullptr;
        size = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
    }
    if (size <= 0) return false;
    bytes.assign(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), length, bytes.data(), size, nullptr, defaultedOut);
    if (lossy) *lossy = defaulted != FALSE;
    return true;
}

Text fromCodePage(UINT codePage, const char* data, std::size_t size) {
    if (size == 0) return Text();
    const int length = MultiByteToWideChar(codePage, 0, data, static_cast<int>(size), nullptr, 0);
    if (length <= 0) return Text();
    Text text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, data, static_cast<int>(size), text.data(), length);
    return text;
}
