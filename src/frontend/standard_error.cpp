#include "frontend/standard_error.h"

#include <windows.h>

#include <string>

#include "support/utf8.h"

namespace {

// Bare LFs become CR LF, as a Windows program's text lines end (and as println writes them).
Text withCrLf(const Text& text) {
    Text lines;
    lines.reserve(text.size() + 8);
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == L'\n' && (at == 0 || text[at - 1] != L'\r')) lines += L'\r';
        lines += text[at];
    }
    return lines;
}

// WriteConsoleW takes at most 64 KB per call on older systems; smaller pieces always pass.
bool writeConsole(HANDLE console, const Text& text) {
    constexpr std::size_t kPiece = 8192;
    for (std::size_t at = 0; at < text.size();) {
        const DWORD count = static_cast<DWORD>(text.size() - at < kPiece ? text.size() - at : kPiece);
        DWORD written = 0;
        if (!WriteConsoleW(console, text.data() + at, count, &written, nullptr) || written == 0) return false;
        at += written;
    }
    return true;
}

bool writeUtf8(HANDLE file, const Text& text) {
    if (text.empty()) return true;
    const std::string bytes = encodeUtf8(text);
    for (std::size_t at = 0; at < bytes.size();) {
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &written, nullptr) ||
            written == 0)
            return false;
        at += written;
    }
    return true;
}

}  // namespace

bool writeStandardError(const Text& text) {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (!error || error == INVALID_HANDLE_VALUE) return false;
    const Text lines = withCrLf(text);
    DWORD mode = 0;
    return GetConsoleMode(error, &mode) ? writeConsole(error, lines) : writeUtf8(error, lines);
}
