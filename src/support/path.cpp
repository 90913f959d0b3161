#include "support/path.h"

#include <algorithm>
#include <cwchar>

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
    std::size_t start = path.find_last_of(L"\\/");
    start = start == Text::npos ? 0 : start + 1;
    std::size_t end = std::min(path.size(), path.find(L'.', start));
    while (end > start && path[end - 1] == L' ') --end;
    if (end - start != 3 && end - start != 4) return false;
    wchar_t name[4] = {};
    for (std::size_t i = 0; i < 3; ++i) name[i] = static_cast<wchar_t>(path[start + i] & ~0x20);  // ASCII upper case
    if (end - start == 3) return !wcscmp(name, L"CON") || !wcscmp(name, L"PRN") || !wcscmp(name, L"AUX") || !wcscmp(name, L"NUL");
    const wchar_t number = path[start + 3];
    const bool numbered = (number >= L'1' && number <= L'9') || number == 0xB9 || number == 0xB2 || number == 0xB3;
    return numbered && (!wcscmp(name, L"COM") || !wcscmp(name, L"LPT"));
}
