// What a package holds, named alike by the WiX source the Linux packer gives wixl and by the tables
// the Windows packer writes itself: every id derived from a path in the folder, the folder tree in
// the order its files are numbered, the Start-menu entry's name and the registry values of the
// launcher's file types and link schemes.
//
//   const InstallerFolder root = installerFolderTree(in);
//   for (const InstallerRegistryValue& value : installerRegistryValues(in)) ...
#pragma once

#include <map>
#include <string>
#include <vector>

#include "installer/msi_package.h"

// An identifier of the database (a letter first, at most 72 characters) from a path in the folder:
// 'd' a folder ("lib/"), 'c' a component, 'f' a file, 'r' a registry value.
std::string installerId(char kind, const std::string& path);

// The lower-case hexadecimal MD5 of `seed`.
std::string installerHex(const std::string& seed);

struct InstallerFolder {
    std::map<std::string, InstallerFolder> folders;  // by name
    std::vector<const InstallerFile*> files;          // in the input's order
};

// The folders first, by name, then the files: the order in which the package numbers the files.
InstallerFolder installerFolderTree(const InstallerInput& in);

// Shortcut= or the Product Name without what no file name holds ("Demo: Suite" -> "Demo Suite").
Text installerShortcutName(const InstallerInput& in);

// The registry values of the file types and link schemes, under HKCU or HKLM as the scope says;
// `value` is formatted text naming the launcher's file ("[#f...]").
struct InstallerRegistryValue {
    std::string id, key, name, value;
};
std::vector<InstallerRegistryValue> installerRegistryValues(const InstallerInput& in);

// The installed service's start type ("auto", "demand", "disabled") and whether it starts on install.
std::string installerServiceStart(const InstallerInput& in);
bool installerServiceStartsOnInstall(const InstallerInput& in);
