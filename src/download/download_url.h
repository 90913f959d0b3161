// The address of a runtime archive, taken apart as the HTTP client needs it, and the rule of which
// addresses a launcher fetches from: https only, plain http only to this machine itself (a test or
// a local mirror), never with a user name or password in the address.
//
//   DownloadUrl url;
//   if (parseDownloadUrl(L"https://example.com/jre.zip", url)) connect(url.host, url.port);
#pragma once

#include "support/text.h"

struct DownloadUrl {
    bool secure = false;  // https
    Text host;            // as written; an IPv6 address keeps its brackets
    unsigned port = 0;    // 443 or 80 unless given
    Text path;            // from the first "/" on, with the query; "/" when none is given
};

enum class UrlProblem {
    None,
    NotHttps,        // another scheme, or http to another machine
    Malformed,       // no host, a bad port, blanks or control characters
    HasCredentials,  // user:password@host
};

// Checks and splits `text`; the fragment ("#...") is dropped, as a browser drops it.
UrlProblem checkDownloadUrl(const Text& text, DownloadUrl& url);
inline bool parseDownloadUrl(const Text& text, DownloadUrl& url) {
    return checkDownloadUrl(text, url) == UrlProblem::None;
}

// localhost, 127.0.0.0/8 and [::1].
bool isLoopbackHost(const Text& host);
