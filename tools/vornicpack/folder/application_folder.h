// From a project file to a ready-to-ship application folder (and a zip of it): every check first, then
// everything built in a temporary folder beside the target and moved into place at the end, so that a
// failure leaves the previous output as it was. The same project and inputs give the same bytes. Only
// a folder and a zip the packer wrote itself are replaced (output_guard.h), one build of an output at
// a time (build_lock.h).
//
//   BuildRequest request;  request.project = "hello.vornic";  request.stubs = "dist";
//   std::vector<std::string> notes;
//   if (!buildApplication(request, notes, error)) ...
//
// The steps: folder_plan.h (the files and the settings the packer completes), launcher_plan.h (the
// stubs and the launchers), folder_writer.h (staging, checking and moving into place).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "project/project_file.h"

struct BuildRequest {
    std::filesystem::path project;
    std::filesystem::path stubs;         // holds x64/ and x86/, each with vornicw.exe and vornicwc.exe
    std::filesystem::path outputFolder;  // empty: the project's Output Folder
    std::filesystem::path zip;           // empty: the project's Zip, if any
    std::vector<Width> launchers;        // empty: the project's Launchers
    long long sourceDateEpoch = -1;      // the zip's timestamps; below 0: 1980-01-01 00:00
    int lockWaitMilliseconds = 300000;   // while another build of the same output runs
};

// `notes` receives what the packer decided for the user (a Main Class taken from a manifest, a
// Minimum Version written, the files written).
bool buildApplication(const BuildRequest& request, std::vector<std::string>& notes, std::string& error);
