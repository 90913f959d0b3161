#include "download/download_settings.h"

#include "settings/ini_store.h"
#include "support/trace.h"

const wchar_t kDownloadSection[] = L"Runtime Download";
const wchar_t kDownloadConsentKey[] = L"Runtime Download";

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
    const Text prefix = Text(width) + L" ";
    if (!parseDownloadConsent(iniValue(store, kDownloadSection, kDownloadConsentKey), settings.consent))
        settings.consent = DownloadConsent::Ask;
    settings.url = iniValue(store, kDownloadSection, prefix + L"URL");
    settings.sha256 = iniValue(store, kDownloadSection, prefix + L"SHA-256");
    settings.size = iniValue(store, kDownloadSection, prefix + L"Size");
    return settings;
}

bool takeRuntimeDownload(const RuntimeDownloadSettings& settings, RuntimeDownload& download) {
    RuntimeDownload taken;
    taken.consent = settings.consent;
    taken.urlText = settings.url;
    const wchar_t* problem = nullptr;
    if (settings.url.empty()) problem = L"no URL for this width";
    else if (settings.consent == DownloadConsent::No) problem = L"Runtime Download is No";
    else if (!parseDownloadUrl(settings.url, taken.url)) problem = L"the URL is not https (or http to this machine)";
    else if (!parseDigestHex(settings.sha256, taken.digest)) problem = L"the SHA-256 is not 64 hexadecimal digits";
    else if (!parseDownloadSize(settings.size, taken.size)) problem = L"the size is not a number of bytes";
    if (problem) {
        VORNIC_TRACE(Text(L"runtime download: off (") + problem + L")");
        return false;
    }
    download = taken;
    return true;
}

Text runtimeFolderNameOf(const Sha256::Digest& digest) { return hexOfDigest(digest).substr(0, 16); }
