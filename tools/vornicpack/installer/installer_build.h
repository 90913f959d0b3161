// The installer step of `vornicpack build`: one package per width beside the zip (else beside the
// folder), checked with the other outputs before anything is written, built from the staged folder
// beside its target, and moved into place with the folder and the zip. Only a package the packer
// wrote (its summary keywords carry the mark) is replaced.
//
//   InstallerOutputs installers;
//   if (!installers.plan(project, folder, zip, inputs, error)) ...   // before anything is written
//   if (!installers.stage(built, files, upgradeCode, epoch, error)) ...
//   if (!installers.signStaged(sign, error)) ...                     // where signing is asked for
//   if (!installers.swapIn(error)) ...  then the folder and zip; on their failure installers.swapBack()
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "folder/folder_checks.h"
#include "project/project_file.h"
#include "installer/msi_package.h"
#include "folder/output_guard.h"

class InstallerOutputs {
public:
    bool wanted() const { return project && project->package.installer.msi; }

    // The targets, and why one cannot be written; nothing when Installer is not msi.
    bool plan(const AppProject& project, const std::filesystem::path& folder, const std::filesystem::path& zip,
              const std::vector<BuildInput>& inputs, std::string& error);

    // Each package from the staged folder `built`, which holds `files`.
    bool stage(const std::filesystem::path& built, const std::vector<PlannedFile>& files, const Text& upgradeCode,
               long long sourceDateEpoch, std::string& error);

    // Each staged package through `sign` (which changes the file in place), after the launchers inside
    // were signed; nothing when there are no packages.
    bool signStaged(const std::function<bool(const std::filesystem::path&, std::string&)>& sign, std::string& error);

    // Into place, previous packages aside; swapBack() undoes it, finish() drops what was set aside.
    bool swapIn(std::string& error);
    void swapBack();
    void finish(std::vector<std::string>& notes);
    void abandon();  // removes the staged packages

private:
    struct Target {
        Width width;
        std::filesystem::path path, staged, aside;
        bool changed = false, hadPrevious = false, moved = false;
    };
    // What the package of `target` holds: the files of the staged folder `built` that belong to its width.
    InstallerInput inputFor(const Target& target, const std::filesystem::path& built,
                            const std::vector<PlannedFile>& files) const;

    const AppProject* project = nullptr;
    std::vector<Target> targets;
};
