// The [Package] keys of a Windows Installer package: read one at a time beside the other keys, and
// checked together once the project is read.
//
//   if (isInstallerKey(key)) return readInstallerKey(key, value, line, package.installer, at, error);
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "support/text.h"

struct InstallerFileType {
    Text extension;    // ".demo", as written
    Text description;  // "Demo Document"
    Text icon;         // a file of the application folder, "/" separated; empty: the launcher's icon
};

struct InstallerOptions {
    bool msi = false;         // Installer=msi
    bool perMachine = false;  // Install Scope=machine
    Text shortcut;            // the Start-menu entry; empty: the Product Name
    bool desktopShortcut = false;
    std::vector<InstallerFileType> fileTypes;
    std::vector<Text> linkSchemes;  // "demo", lower case
    bool removeUserSettings = false;  // Remove User Settings=Yes: removal also takes the per-user settings file
    std::size_t line = 0;           // of the first installer key; 0: none given
};

bool isInstallerKey(const Text& key);

// `at` begins each message with the file and the line.
bool readInstallerKey(const Text& key, const Text& value, std::size_t line, InstallerOptions& options,
                      const std::string& at, std::string& error);

// The installer keys need Installer=msi; a service is installed for the whole machine and keeps its
// settings beside the launcher, so it has no per-user settings file to remove.
bool checkInstallerOptions(const InstallerOptions& options, bool service, const std::string& where,
                           std::string& error);
