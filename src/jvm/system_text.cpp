#include "jvm/system_text.h"

#include <windows.h>

#include "support/growing_buffer.h"

namespace {

bool isAscii(const Text& text) {
    for (wchar_t c : text) {
        if (c >= 0x80) return false;
    }
    return true;
}

// Converts `text`; `usedDefault` says whether a character had no mapping. UTF-8 and the other
// code pages that reject WC_NO_BEST_FIT_CHARS can carry every character anyway.
std::string convert(const Text& text, bool& usedDefault) {
    usedDefault = false;
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    BOOL defaulted = FALSE;
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    BOOL* defaultedOut = &defaulted;
    int size = WideCharToMultiByte(CP_THREAD_ACP, flags, text.data(), length, nullptr, 0, nullptr, defaultedOut);
    if (size == 0) {
        flags = 0;
        defaultedOut = nullptr;
        size = WideCharToMultiByte(CP_THREAD_ACP, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
        if (size == 0) return std::string();
    }
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, flags, text.data(), length, narrow.data(), size, nullptr, defaultedOut);
    usedDefault = defaulted != FALSE;
    return narrow;
}

}  // namespace

Text expandEnvironment(const Text& text) {
    if (text.find(L'%') == Text::npos) return text;
    Text expanded;
    const bool ok = readGrowing(expanded, [&text](wchar_t* buffer, std::size_t capacity) -> std::size_t {
        const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), buffer, static_cast<DWORD>(capacity));
        if (needed == 0) return kReadFailed;
        return needed > capacity ? needed : needed - 1;  // `needed` counts the terminating NUL
    });
    return ok ? expanded : text;
}

std::string toAnsiText(const Text& text) {
    bool usedDefault = false;
    return convert(text, usedDefault);
}

Text fromAnsiText(const std::string& text) {
    if (text.empty()) return Text();
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (units <= 0) return Text();
    Text wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
    return wide;
}

bool ansiCanCarry(const Text& text) {
    if (isAscii(text)) return true;
    bool usedDefault = false;
    convert(text, usedDefault);
    return !usedDefault;
}

Text narrowSafePath(const Text& path) {
    // A ";" inside a name would cut it in two wherever the path joins a class or library path list.
    if (ansiCanCarry(path) && path.find(L';') == Text::npos) return path;
    Text shortPath;
    const bool ok = readGrowing(shortPath, [&path](wchar_t* buffer, std::size_t capacity) -> std::size_t {
        const DWORD needed = GetShortPathNameW(path.c_str(), buffer, static_cast<DWORD>(capacity));
        if (needed == 0) return kReadFailed;
        return needed;  // the length when it fit, else the size needed with the NUL (above capacity)
    });
    return ok && ansiCanCarry(shortPath) && shortPath.find(L';') == Text::npos ? shortPath : path;
}
