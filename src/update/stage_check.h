// Whether a staged version is whole: its manifest, and every file it names, as the manifest says.
#pragma once

#include "support/text.h"
#include "update/update_files.h"
#include "update/update_manifest.h"

// Reads the manifest and checks the staged folder against it: every file listed is there with its
// size and SHA-256, no other file is there, and nothing in it is a link or junction. False with
// `why` (for the trace) on the first fault.
bool checkStage(const UpdatePlace& place, UpdateManifest& manifest, Text& why);

// False with `why` when an entry would write through a link or junction of the application folder,
// or where a folder stands in a file's place.
bool checkInstalledPaths(const UpdatePlace& place, const UpdateManifest& manifest, Text& why);
