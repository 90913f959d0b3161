// The runtime a launcher may download when no runtime fits: section [Runtime Download], one archive
// per processor width, and whether the user is asked first.
//
//   [Runtime Download]
//   Runtime Download=Ask                       ; Yes: no question; No: never download
//   x64 URL=https://example.com/jre-17-x64.zip
//   x64 SHA-256=9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08
//   x64 Size=45678901
//
//   RuntimeDownload download;
//   if (takeRuntimeDownload(settings.download, download)) ...   // a complete, sound entry
#pragma once

#include <cstdint>

#include "download/download_url.h"
#include "support/sha256.h"
#include "support/text.h"

class IniStore;

enum class DownloadConsent { Ask, Yes, No };

// The keys of one width, as written.
struct RuntimeDownloadSettings {
    DownloadConsent consent = DownloadConsent::Ask;
    Text url;
    Text sha256;
    Text size;
};

// What the launcher fetches and checks.
struct RuntimeDownload {
    DownloadConsent consent = DownloadConsent::Ask;
    Text urlText;
    DownloadUrl url;
    Sha256::Digest digest{};
    std::uint64_t size = 0;
};

// "Ask", "Yes" or "No" in any case; false for any other word (an empty one is Ask).
bool parseDownloadConsent(const Text& value, DownloadConsent& consent);

// Decimal digits only, 1 byte to 4 GiB - 1 (an archive the launcher maps in one view).
bool parseDownloadSize(const Text& value, std::uint64_t& size);

// The keys of `width` ("x64" or "x86"). A consent word the launcher does not know means Ask: the user
// decides rather than a typing mistake.
RuntimeDownloadSettings readRuntimeDownload(const IniStore& store, const wchar_t* width);

// False, with the reason in the trace, when the URL is missing or unusable, or the SHA-256 or the
// size are not sound: then nothing is downloaded.
bool takeRuntimeDownload(const RuntimeDownloadSettings& settings, RuntimeDownload& download);

// The folder name under runtimes\: the first 16 hexadecimal digits of the archive's SHA-256.
Text runtimeFolderNameOf(const Sha256::Digest& digest);
