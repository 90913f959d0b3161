// The launchers of an application folder: the stubs they are made from, checked for width and kind,
// and one packaged launcher with the INI file beside it per width, planned with the other files.
//
//   LauncherStubs stubs;
//   if (!readStubs(request, project.package, where, stubs, error)) ...
//   Text upgradeCode;   // the launchers', for the installer
//   if (!planLaunchers({request, project, stubs, where}, plan.files, upgradeCode, notes, error)) ...
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "folder/application_folder.h"
#include "folder/folder_checks.h"

struct LauncherStubs {
    Bytes bytes[2];  // by Width
};

// Where the stub of `width` lies in the build's stubs folder.
std::filesystem::path stubPath(const BuildRequest& request, const ProjectPackage& package, Width width);

// The stubs, each of its own width and of the kind Console asks for: a windowed stub given as the
// console one would ship launchers that lose the program's output and exit code.
bool readStubs(const BuildRequest& request, const ProjectPackage& package, const std::string& where,
               LauncherStubs& stubs, std::string& error);

struct LauncherJob {
    const BuildRequest& request;
    const AppProject& project;
    const LauncherStubs& stubs;
    const std::string& where;
};

// Packages one launcher per width into `plan`, which then is sorted by target; refuses two files of
// one name, in any letter case. `upgradeCode` receives the launchers' Upgrade Code.
bool planLaunchers(const LauncherJob& job, std::vector<PlannedFile>& plan, Text& upgradeCode,
                   std::vector<std::string>& notes, std::string& error);
