// The report of `vornicpack --show`: what a launcher packaged as `executable` will read, as text.
//
//   std::string report;
//   if (!describePackage(exeBytes, &iniBytes, report, error)) ...
#pragma once

#include <string>

#include "support/bytes.h"

// Its image and resources, the INI file beside it (when given), the deciphered settings and the
// string table.
bool describePackage(const Bytes& executable, const Bytes* besideIni, std::string& report, std::string& error);
