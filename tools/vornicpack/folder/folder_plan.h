// The steps that plan an application folder before anything is written: what is shipped from the
// project's inputs, and the settings the packer completes from them (Main Class, Minimum Version,
// Class Path, Splash Screen). Each step adds to the plan or the project's settings, or refuses with
// `error` set; refusals about the project start with `where` (its name and ": ").
//
//   FolderPlan plan;
//   if (!planInputs(project.package, plan, error)) ...
//   MainClassFound found;
//   if (!settleMainClass(project, plan, where, found, notes, error)) ...
#pragma once

#include <string>
#include <vector>

#include "folder/folder_checks.h"
#include "project/project_file.h"

struct FolderPlan {
    std::vector<PlannedFile> files;
    std::vector<std::string> inputTargets;  // where each of the project's inputs goes, in their order
};

// The shipped jars and folders, under Jar Folder.
bool planInputs(const ProjectPackage& package, FolderPlan& plan, std::string& error);

// The main class: given, or the first jar's Main-Class; it must be shipped, and it says which Java
// the program needs at least (written as Minimum Version when none is given).
bool settleMainClass(AppProject& project, const FolderPlan& plan, const std::string& where, MainClassFound& found,
                     std::vector<std::string>& notes, std::string& error);

// The runtimes beside their launchers, each checked against the launcher and the version bounds.
bool planRuntimes(const AppProject& project, FolderPlan& plan, std::string& error);

// The splash picture of [Package], copied in and named in [Display].
bool planSplash(AppProject& project, const std::string& where, FolderPlan& plan, std::string& error);

// The class path: given, or every shipped jar and folder; each entry must resolve in the folder.
bool settleClassPath(AppProject& project, const FolderPlan& plan, const std::string& mainClassTarget,
                     const std::string& where, std::vector<std::string>& notes, std::string& error);

// A service gets the scripts that register it and remove it again; Service keys for an application
// that is not one are a slip.
bool planServiceScripts(const AppProject& project, const std::string& where, FolderPlan& plan,
                        std::vector<std::string>& notes, std::string& error);
