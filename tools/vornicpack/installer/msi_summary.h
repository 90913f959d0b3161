// The summary information of a Windows Installer package (the "\005SummaryInformation" stream of its
// compound file), read and rewritten in place. The tool that writes the database puts a random
// revision number (the package code) and the clock's time there; the packer puts the derived package
// code and the build's time instead, so that the same inputs give the same bytes.
//
//   if (!normaliseSummary(bytes, L"{...}", epoch, error)) ...
//   std::string keywords;  summaryText(bytes, kSummaryKeywords, keywords);
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "support/bytes.h"
#include "support/text.h"

inline constexpr std::uint32_t kSummaryKeywords = 5;
inline constexpr std::uint32_t kSummaryRevision = 9;  // the package code
inline constexpr std::uint32_t kSummaryPrinted = 11;
inline constexpr std::uint32_t kSummaryCreated = 12;
inline constexpr std::uint32_t kSummarySaved = 13;

// The package code in place of the revision number, the time `epoch` (seconds since 1970; below 0:
// 1980-01-01 00:00, the zip's) in place of every time, and the directory entries' times cleared.
bool normaliseSummary(Bytes& package, const Text& packageCode, long long epoch, std::string& error);

// A text property (VT_LPSTR) of the summary; false when the package or the property is not there.
bool summaryText(const Bytes& package, std::uint32_t id, std::string& value);

// A time property (VT_FILETIME), in 100-nanosecond units since 1601.
bool summaryTime(const Bytes& package, std::uint32_t id, std::uint64_t& value);

// True for a package whose summary keywords carry the packer's mark (kInstallerMark).
inline constexpr const char* kInstallerMark = "vornicpack";
bool isPackerInstaller(const std::filesystem::path& file);
