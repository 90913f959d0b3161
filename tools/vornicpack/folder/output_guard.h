// What a build may replace: a folder or a zip that the packer wrote itself, or a name where nothing
// is yet; never the project, an input, or something that holds one. A folder the packer writes
// holds the marker file; a zip it writes carries the marker comment. Checked before anything is
// written, and again under the build's lock.
//
//   OutputTargets targets{project, "out/Demo", "out/Demo.zip", "Demo"};
//   if (!checkOutputs(targets, {{"the Jars entry", "build/app.jar"}}, error)) ...
#pragma once

#include <filesystem>
#include <string>
#include <vector>

inline constexpr const char* kOutputMarker = ".vornicpack";       // in each folder the packer writes
inline constexpr const char* kZipMarkerComment = "vornicpack";    // the comment of each zip it writes
inline constexpr const char* kStagedSuffix = ".vornicpack-new";   // built beside the target
inline constexpr const char* kAsideSuffix = ".vornicpack-old";    // the previous folder while it is replaced
inline constexpr const char* kLockSuffix = ".vornicpack-lock";    // the lock of one output

// The marker file's bytes: the same on every build, so that the folder's bytes stay the same too.
std::string outputMarkerText();

struct OutputTargets {
    std::filesystem::path project;  // the project file
    std::filesystem::path folder;
    std::filesystem::path zip;            // empty: none
    std::filesystem::path defaultFolder;  // what to suggest instead
};

struct BuildInput {
    std::string kind;  // "the Jars entry", "Runtime x64", ...
    std::filesystem::path path;
};

// One line naming the target, the input or the file in the way, and what to write instead.
bool checkOutputs(const OutputTargets& targets, const std::vector<BuildInput>& inputs, std::string& error);

std::filesystem::path besideTarget(const std::filesystem::path& target, const char* suffix);

// True for a file whose last bytes are the packer's zip comment.
bool isPackerZip(const std::filesystem::path& file);

// Removes what an earlier build that ended early left under one of the packer's own names beside
// its target (a staged folder with the marker, or empty; a staged zip); false when something else
// is there.
bool clearLeftover(const std::filesystem::path& path, std::string& error);
