#include "download/download_url.h"

namespace {

bool startsWithNoCase(const Text& text, const wchar_t* prefix) {
    const Text head(prefix);
    return text.size() >= head.size() && equalsNoCase(text.substr(0, head.size()), head);
}

bool parsePort(const Text& digits, unsigned& port) {
    if (digits.empty() || digits.size() > 5) return false;
    unsigned value = 0;
    for (const wchar_t c : digits) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + static_cast<unsigned>(c - L'0');
    }
    if (value == 0 || value > 65535) return false;
    port = value;
    return true;
}

// A host name of letters, digits, "-" and "."; an IPv4 address is one of those too.
bool isPlainHost(const Text& host) {
    if (host.empty()) return false;
    for (const wchar_t c : host)
        if (!((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' ||
              c == L'.'))
            return false;
    return true;
}

bool isBracketedAddress(const Text& host) {
    if (host.size() < 3 || host.front() != L'[' || host.back() != L']') return false;
    for (std::size_t i = 1; i + 1 < host.size(); ++i) {
        const wchar_t c = host[i];
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F') || c == L':' ||
              c == L'.'))
            return false;
    }
    return true;
}

// Splits "host[:port]" of the authority.
bool splitAuthority(const Text& authority, DownloadUrl& url) {
    Text host = authority;
    const std::size_t bracket = authority.rfind(L']');
    const std::size_t colon = authority.rfind(L':');
    if (colon != Text::npos && (bracket == Text::npos || colon > bracket)) {
        if (!parsePort(authority.substr(colon + 1), url.port)) return false;
        host = authority.substr(0, colon);
    }
    if (!isPlainHost(host) && !isBracketedAddress(host)) return false;
    url.host = host;
    return true;
}

}  // namespace

bool isLoopbackHost(const Text& host) {
    if (equalsNoCase(host, L"localhost") || host == L"[::1]") return true;
    // 127.a.b.c, each part a number up to 255.
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
        } else if (c >= L'0' && c <= L'9' && digits < 3) {
            value = value * 10 + static_cast<unsigned>(c - L'0');
            ++digits;
        } else {
            return false;
        }
    }
    return parts == 4;
}

UrlProblem checkDownloadUrl(const Text& text, DownloadUrl& url) {
    DownloadUrl parsed;
    std::size_t at = 0;
    if (startsWithNoCase(text, L"https://")) {
        parsed.secure = true;
        parsed.port = 443;
        at = 8;
    } else if (startsWithNoCase(text, L"http://")) {
        parsed.port = 80;
        at = 7;
    } else {
        return text.find(L"://") == Text::npos ? UrlProblem::Malformed : UrlProblem::NotHttps;
    }
    for (const wchar_t c : text)
        if (c <= L' ' || c == 0x7F) return UrlProblem::Malformed;
    const std::size_t end = text.find_first_of(L"/?#", at);
    const Text authority = text.substr(at, end == Text::npos ? Text::npos : end - at);
    if (authority.find(L'@') != Text::npos) return UrlProblem::HasCredentials;
    if (!splitAuthority(authority, parsed)) return UrlProblem::Malformed;
    Text rest = end == Text::npos ? Text() : text.substr(end);
    rest = rest.substr(0, rest.find(L'#'));
    parsed.path = rest.empty() || rest[0] != L'/' ? L"/" + rest : rest;
    if (!parsed.secure && !isLoopbackHost(parsed.host)) return UrlProblem::NotHttps;
    url = parsed;
    return UrlProblem::None;
}
