#include "download/download_url.h"

namespace {

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Letters, digits, "-" and "." (a name or an IPv4 address), or an IPv6 address in brackets.
bool isHost(const Text& host) {
    const bool bracketed = host.size() > 2 && host.front() == L'[' && host.back() == L']';
    if (host.empty()) return false;
    for (std::size_t i = bracketed; i < host.size() - bracketed; ++i) {
        const wchar_t c = host[i] | 0x20;  // ASCII letters in lower case
        const bool allowed = isDigit(host[i]) || (c >= L'a' && c <= L'z') || host[i] == L'.' ||
                             (bracketed ? host[i] == L':' : host[i] == L'-');
        if (!allowed || (bracketed && c > L'f' && !isDigit(host[i]) && host[i] != L':' && host[i] != L'.')) return false;
    }
    return true;
}

}  // namespace

bool isLoopbackHost(const Text& host) {
    if (equalsNoCase(host, L"localhost") || host == L"[::1]") return true;
    // 127.a.b.c, each part one to three digits up to 255.
    if (host.compare(0, 4, L"127.") != 0) return false;
    int parts = 1;  // "127" itself
    unsigned value = 0;
    std::size_t digits = 0;
    for (std::size_t i = 4; i <= host.size(); ++i) {
        const wchar_t c = i < host.size() ? host[i] : L'.';
        if (c == L'.') {
            if (digits == 0 || value > 255) return false;
            ++parts;
            value = 0;
            digits = 0;
        } else if (!isDigit(c) || ++digits > 3) {
            return false;
        } else {
            value = value * 10 + static_cast<unsigned>(c - L'0');
        }
    }
    return parts == 4;
}

UrlProblem checkDownloadUrl(const Text& text, DownloadUrl& url) {
    DownloadUrl parsed;
    const std::size_t scheme = text.find(L"://");
    if (scheme == Text::npos) return UrlProblem::Malformed;
    parsed.secure = equalsNoCase(text.substr(0, scheme), L"https");
    if (!parsed.secure && !equalsNoCase(text.substr(0, scheme), L"http")) return UrlProblem::NotHttps;
    for (const wchar_t c : text)
        if (c <= L' ' || c == 0x7F) return UrlProblem::Malformed;
    const std::size_t at = scheme + 3;
    const std::size_t end = std::min(text.find_first_of(L"/?#", at), text.size());
    Text host = text.substr(at, end - at);
    if (host.find(L'@') != Text::npos) return UrlProblem::HasCredentials;
    parsed.port = parsed.secure ? 443 : 80;
    const std::size_t colon = host.rfind(L':');
    if (colon != Text::npos && host.find(L']', colon) == Text::npos) {
        unsigned port = 0;
        for (std::size_t i = colon + 1; i < host.size() && port <= 65535; ++i)
            port = isDigit(host[i]) ? port * 10 + static_cast<unsigned>(host[i] - L'0') : 65536;
        if (port == 0 || port > 65535) return UrlProblem::Malformed;
        parsed.port = port;
        host.resize(colon);
    }
    if (!isHost(host)) return UrlProblem::Malformed;
    parsed.host = host;
    parsed.path = text.substr(end, text.find(L'#', end) - end);
    if (parsed.path.empty() || parsed.path[0] != L'/') parsed.path.insert(0, 1, L'/');
    if (!parsed.secure && !isLoopbackHost(parsed.host)) return UrlProblem::NotHttps;
    url = parsed;
    return UrlProblem::None;
}
