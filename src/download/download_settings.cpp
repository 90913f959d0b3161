#include "download/download_settings.h"

#include <utility>

#include "settings/ini_store.h"
#include "support/trace.h"

bool parseDownloadConsent(const Text& value, DownloadConsent& consent) {
    if (value.empty() || equalsNoCase(value, L"Ask")) consent = DownloadConsent::Ask;
    else if (equalsNoCase(value, L"Yes")) consent = DownloadConsent::Yes;
    else if (equalsNoCase(value, L"No")) consent = DownloadConsent::No;
    else return false;
    return true;
}

bool parseDownloadSize(const Text& value, std::uint64_t& size) {
    if (value.empty() || value.size() > 10) return false;
    std::uint64_t parsed = 0;
    for (const wchar_t c : value) {
        if (c < L'0' || c > L'9') return false;
        parsed = parsed * 10 + static_cast<std::uint64_t>(c - L'0');
    }
    if (parsed == 0 || parsed > 0xFFFFFFFFull) return false;
    size = parsed;
    return true;
}

RuntimeDownloadSettings readRuntimeDownload(const IniStore& store, const wchar_t* width) {
    RuntimeDownloadSettings settings;
    if (!parseDownloadConsent(iniValue(store, Setting::RuntimeDownload), settings.consent))
        settings.consent = DownloadConsent::Ask;
    const RuntimeDownloadKeys keys = runtimeDownloadKeys(Text(width) == L"x64");
    settings.url = iniValue(store, keys.url);
    settings.sha256 = iniValue(store, keys.sha256);
    settings.size = iniValue(store, keys.size);
    return settings;
}

bool takeRuntimeDownload(const RuntimeDownloadSettings& settings, RuntimeDownload& download) {
    RuntimeDownload taken;
    taken.consent = settings.consent;
    taken.urlText = settings.url;
    // The trace names the first key that stops it.
    const wchar_t* problem = nullptr;
    if (settings.url.empty()) problem = L"no URL";
    else if (settings.consent == DownloadConsent::No) problem = L"No";
    else if (!parseDownloadUrl(settings.url, taken.url)) problem = L"URL";
    else if (!parseDigestHex(settings.sha256, taken.digest)) problem = L"SHA-256";
    else if (!parseDownloadSize(settings.size, taken.size)) problem = L"Size";
    if (problem) {
        traceFormatted(L"runtime download: off (%s)", {problem});
        return false;
    }
    download = std::move(taken);
    return true;
}

Text runtimeFolderNameOf(const Sha256::Digest& digest) { return hexOfDigest(digest).substr(0, 16); }
