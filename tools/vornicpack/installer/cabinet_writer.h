// The Windows packer's cabinet of a package's files, through the system's cabinet.dll (FCI): one
// MSZIP folder, each file under its File table key, every file's time the build's.
//
//   std::vector<CabinetEntry> entries{{"f0c1...", "staged/Demo.exe"}, ...};   // in Sequence order
//   if (!writeCabinet(entries, "out/Demo.msi.tables/app.cab", epoch, error)) ...
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct CabinetEntry {
    std::string name;              // in the cabinet
    std::filesystem::path source;  // the bytes
};

// `cabinet` is left absent on failure. `epoch`: seconds since 1970; below 0, 1980-01-01 00:00.
bool writeCabinet(const std::vector<CabinetEntry>& entries, const std::filesystem::path& cabinet, long long epoch,
                  std::string& error);
