// A Windows Installer package of an application folder: the WiX source that describes it (portable,
// every id derived), written into a database by wixl (msitools) and given the rows wixl cannot write
// (settings_removal.h) on Linux, or the same tables (msi_tables.h) written through the system's
// msi.dll on Windows (msi_database.h); its summary is then made the same on every build (msi_summary.h).
//
//   InstallerInput in;  ...  in.files = the folder's files;  in.launcher = "Demo.exe";
//   if (!writeInstaller(in, "out/Demo-1.0.0-x64.msi.vornicpack-new", error)) ...
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "project/project_file.h"
#include "installer/installer_options.h"
#include "installer/settings_removal.h"
#include "project/service_scripts.h"

struct InstallerFile {
    std::string target;             // in the application folder, "/" separated
    std::filesystem::path source;  // where its bytes are now
};

struct InstallerInput {
    Text folderName;    // the installed folder's name: the package's Name
    Text productName;   // the uninstall entry's name
    Text manufacturer;  // the uninstall entry's publisher; empty: the product name
    Text version;       // as the project gives it, up to four numbers
    Text upgradeCode;
    Width width = Width::X64;
    InstallerOptions options;
    std::string launcher;  // the target of the launcher that shortcuts, file types and links start
    std::vector<InstallerFile> files;
    std::filesystem::path icon;  // the uninstall entry's icon (.ico); empty: none
    bool service = false;
    ServiceDefinition serviceDefinition;
    UserSettingsPlace userSettings;  // the file that Remove User Settings=Yes deletes on removal
    long long sourceDateEpoch = -1;
    std::filesystem::path sourceFolder;  // where the WiX source is written: beside the package
};

// "<Name>-<Version>-<width>.msi".
Text installerFileName(const Text& name, const Text& version, Width width);

// Why `version` cannot be a package's ProductVersion (at most 255.255.65535, a fourth number is
// ignored by the installer); empty when it can.
std::string installerVersionProblem(const Text& version);

// The codes of one package: the product's from the Upgrade Code, version, width and scope; each
// component's from the Upgrade Code, width, scope and the file's path in the folder.
Text installerProductCode(const InstallerInput& in);
Text installerComponentCode(const InstallerInput& in, const std::string& target);

// The WiX source of the package (UTF-8).
bool installerSource(const InstallerInput& in, std::string& source, std::string& error);

// The package written to `package`; `package` is left absent on failure. The package code is
// derived from the source and every file's bytes.
bool writeInstaller(const InstallerInput& in, const std::filesystem::path& package, std::string& error);
