// A project file: the application's settings as for --settings, plus a [Package] section that says
// what goes into the application folder. Paths in [Package] are relative to the project file.
//
//   AppProject project;
//   if (!readProject("hello.vornic", project, error)) ...
//   project.package.inputs;   // the jars and folders to ship, wildcards resolved, in the order given
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "installer/installer_options.h"
#include "support/bytes.h"
#include "project/settings_split.h"
#include "support/text.h"

enum class Width { X64, X86 };

const char* widthName(Width width);  // "x64", "x86"

struct ProjectPackage {
    Text name;                  // the launcher's file name without ".exe"
    std::vector<Width> widths;  // x64 first when both
    bool console = false;       // the console stub vornicwc.exe instead of the windowed vornicw.exe
    std::vector<std::filesystem::path> inputs;
    Text jarFolder = L"lib";            // where the inputs go, relative to the application folder
    std::filesystem::path runtimes[2];  // by Width; empty: none shipped
    // By Width: the archive the launcher downloads when no runtime fits, whose SHA-256 and size the
    // packer writes into [Runtime Download]; with the line of its key.
    std::filesystem::path runtimeDownloads[2];
    std::size_t runtimeDownloadLines[2] = {0, 0};
    std::filesystem::path icon, strings, splash, outputFolder, zip;
    Text version, company, copyright, downloadPage;
    // For an application of "Application Type" service: what install-service.cmd registers.
    Text serviceName, serviceDisplayName, serviceDescription, serviceStart;
    std::size_t serviceLine = 0;  // of the first Service key; 0: none given
    std::vector<std::string> languages;  // shipped beside English; empty: all the packer has
    InstallerOptions installer;          // Installer=msi and the keys that go with it
    std::size_t line = 0;  // of the [Package] header
};

struct AppProject {
    std::filesystem::path file;
    Bytes bytes;                       // the file as read
    std::vector<IniSection> settings;  // every section but [Package]
    ProjectPackage package;
    std::vector<IniSection> signing;  // the [Signing] section when given (read by signing.h)
};

// Errors name the project file and the line.
bool readProject(const std::filesystem::path& file, AppProject& project, std::string& error);

// Parses "x64", "x86" or both, separated by commas or spaces.
bool parseWidths(const Text& text, std::vector<Width>& widths);

// The launcher's file name for `width`: "<name>.exe" for x64 and for a lone x86, "<name>-x86.exe"
// for x86 beside x64. Distinct names keep the two launchers' INI files and per-user files apart.
Text launcherFileName(const ProjectPackage& package, Width width);

// The stub the launchers are made from: "vornicwc.exe" for console launchers, else "vornicw.exe".
const char* stubFileName(const ProjectPackage& package);

// A Name leaves room for "-x86.exe" and ".vornicpack-new" within a file name's 255 characters.
constexpr std::size_t kLongestName = 240;

// The names Windows keeps for devices, in any case, before any extension and trailing blanks.
extern const char* const kDeviceNames;
bool isDeviceName(const Text& name);

// Why Windows cannot create a file named `name` (a reserved device name, a trailing dot or space, a
// character no file name may hold); empty when it can.
std::string fileNameProblem(const Text& name);

// Why `name` is too long for a file name of at most `longest` characters (UTF-16 units, and UTF-8
// bytes for the Linux packer's sake); empty when it fits.
std::string longFileNameProblem(const Text& name, std::size_t longest);

// Why `name` + ".exe" cannot be the launchers' Name: fileNameProblem, or longer than kLongestName.
std::string launcherNameProblem(const Text& name);

// The private runtime folder the launcher of `width` looks for beside itself.
const wchar_t* runtimeFolderName(Width width);
