#include "support/system_text.h"

#include <windows.h>

#include "support/code_page.h"
#include "support/growing_buffer.h"

namespace {

bool isAscii(const Text& text) {
    for (wchar_t c : text) {
        if (c >= 0x80) return false;
    }
    return true;
}

// Converts `text`; `usedDefault` says whether a character had no mapping.
std::string convert(const Text& text, bool& usedDefault) {
    std::string narrow;
    toCodePage(CP_THREAD_ACP, text, narrow, BestFit::Refused, &usedDefault);
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

Text fromAnsiText(const std::string& text) { return fromCodePage(CP_ACP, text.data(), text.size()); }

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
