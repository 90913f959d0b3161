// msitools' programs run by the Linux packer: wixl writes a database from WiX source, msibuild adds
// tables to it, msiinfo reads a table back. Each runs with no input and its output captured, so that
// a failure is one line naming the program's own reason.
//
//   if (!runMsiTool({"wixl", "-a", "x64", "-o", out, wxs}, log, error)) ...
//   std::string rows;  if (!exportMsiTable(package, "RemoveFile", rows, error)) ...
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Runs arguments[0] from PATH with its messages in `log` (removed afterwards) and its standard output
// there too, or in `output` when one is given; false, with the program's last words or why it could not
// start, unless it ended with 0.
bool runMsiTool(const std::vector<std::string>& arguments, const std::filesystem::path& log, std::string& error,
                const std::filesystem::path& output = {});

// The table as msiinfo exports it: the three header lines and one line per row, CRLF ended.
bool exportMsiTable(const std::filesystem::path& package, const std::string& table, std::string& rows,
                    std::string& error);
