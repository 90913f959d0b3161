#include "support/path.h"

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
