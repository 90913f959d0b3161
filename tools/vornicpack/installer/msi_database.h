// The Windows packer's writer of a package: the tables of msi_tables.h through the system's msi.dll,
// the folder's files in a cabinet (cabinet_writer.h) stored in the database as the stream Media
// names, and the summary. Everything it stages lies in a folder of its own beside the package,
// removed on every path.
//
//   if (!writeMsiDatabase(tables, "out/Demo-1.0-x64.msi.vornicpack-new", epoch, error)) ...
#pragma once

#include <filesystem>
#include <string>

#include "installer/msi_tables.h"

// `package` is left absent on failure; its summary is written as `tables` says, not yet normalised.
bool writeMsiDatabase(const InstallerTables& tables, const std::filesystem::path& package, long long epoch,
                      std::string& error);
