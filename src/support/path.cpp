#include "support/path.h"

#include <algorithm>

const wchar_t kLongPathPrefix[] = L"\\\\?\\";

Text withLongPathPrefix(const Text& path) {
    if (path.size() < 260 || path.compare(0, 4, kLongPathPrefix) == 0) return path;
    // The prefix turns off the system's own tidying, so only full paths take it, with the forward
    // slashes the system would otherwise have turned round.
    const bool drivePath = path.size() > 2 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    if (!drivePath && !isUncPath(path)) return path;
    if (path.compare(0, 4, L"\\\\.\\") == 0) return path;  // a device path needs none
    Text full = drivePath ? kLongPathPrefix + path : kLongPathPrefix + Text(L"UNC") + path.substr(1);
    for (wchar_t& unit : full) {
        if (unit == L'/') unit = L'\\';
    }
    return full;
}

bool isAbsolutePath(const Text& path) {
    if (path.size() < 2) return false;
    return (path[0] == L'\\' && path[1] == L'\\') || path[1] == L':';
}

bool isUncPath(const Text& path) {
    return path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?';
}

bool namesDevice(const Text& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    Text stem = path.substr(slash == Text::npos ? 0 : slash + 1);
    stem.resize(std::min(stem.size(), stem.find(L'.')));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    if (stem.size() != 3 && stem.size() != 4) return false;
    for (wchar_t& c : stem) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    const Text name = stem.substr(0, 3);
    if (stem.size() == 3) return name == L"CON" || name == L"PRN" || name == L"AUX" || name == L"NUL";
    const wchar_t number = stem[3];
    const bool numbered = (number >= L'1' && number <= L'9') || number == L'\x00B9' || number == L'\x00B2' ||
                          number == L'\x00B3';
    return numbered && (name == L"COM" || name == L"LPT");
}
