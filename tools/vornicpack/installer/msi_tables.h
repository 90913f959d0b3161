// The database of a package as tables: the rows wixl writes from the packer's WiX source and those
// that Remove User Settings adds, derived here from the same input, so that the Windows packer can
// write the same database through the system's installer library. Each table renders as installer
// archive text (the columns, their types, the table's name and keys, one line a row, CRLF ended).
//
//   InstallerTables tables;
//   if (!installerTables(in, packageCode, tables, error)) ...
//   for (const MsiTable& table : tables.tables) write(table.name + ".idt", archiveText(table));
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "installer/msi_package.h"

struct MsiTable {
    std::string name;
    std::vector<std::string> columns, types, keys;  // types as the archive writes them: s72, I2, v0, ...
    std::vector<std::vector<std::string>> rows;      // an empty cell is a null
    // For a table with a stream column (v0): per row, the file whose bytes it holds.
    std::vector<std::filesystem::path> streams;
};

struct MsiSummaryProperty {
    std::uint32_t id;
    enum Kind { Short, Long, String, Time } kind;
    long long number;  // Short, Long; Time: seconds since 1970
    std::string text;  // String, UTF-8
};

struct InstallerTables {
    std::vector<MsiTable> tables;  // every table the package holds, empty ones too
    std::vector<MsiSummaryProperty> summary;
    std::vector<const InstallerFile*> cabinet;  // the files in their File table order (Sequence 1, 2, ...)
};

// The cabinet's stream name, as Media's Cabinet names it with a '#'.
inline constexpr const char* kInstallerCabinet = "app.cab";

// Reads every file for its size and hash; false, with the reason, when one cannot be read.
bool installerTables(const InstallerInput& in, const Text& packageCode, InstallerTables& tables, std::string& error);

std::string archiveText(const MsiTable& table);

// The summary as msiinfo exports it, a property a line: "1\t65001", "12\t1980/01/01 00:00:00", ...
std::string summaryArchiveText(const std::vector<MsiSummaryProperty>& summary);
