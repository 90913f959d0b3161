// The last step of a build: the planned folder written beside its target (with the zip and the
// installer packages), signed and verified there, and only then moved into place. Only a folder and a
// zip the packer wrote itself are replaced (output_guard.h), one build of an output at a time
// (build_lock.h); a failure removes what was staged and leaves the previous output as it was.
//
//   if (!writeFolder({request, project, signing, where}, plan.files, upgradeCode, notes, error)) ...
#pragma once

#include <string>
#include <vector>

#include "folder/application_folder.h"
#include "folder/folder_checks.h"
#include "package/signing.h"

struct FolderJob {
    const BuildRequest& request;
    const AppProject& project;
    const SigningSettings& signing;
    const std::string& where;
};

// `upgradeCode` is the launchers', which the installer packages take as theirs.
bool writeFolder(const FolderJob& job, const std::vector<PlannedFile>& plan, const Text& upgradeCode,
                 std::vector<std::string>& notes, std::string& error);
