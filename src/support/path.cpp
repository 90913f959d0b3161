#include "support/path.h"

const wchar_t kLongPathPrefix[] = L"\\\\?\\";

Text withLongPathPrefix(const Text& path) {
    if (path.size() < 260 || path.compare(0, 4, kLongPathPrefix) == 0) return path;
    return kLongPathPrefix + path;
}

bool isAbsolutePath(const Text& path) {
    if (path.size() < 2) return false;
    return (path[0] == L'\\' && path[1] == L'\\') || path[1] == L':';
}

bool isUncPath(const Text& path) {
    return path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?';
}
