// The manifest of a staged version: what the application writes last into its update folder, so
// that the launcher knows the version is whole. UTF-8 text, lines ending with LF or CR LF:
//
//   vornicw update 1
//   file <SHA-256, 64 hex digits> <size in bytes> lib\app.jar
//   remove lib\old.jar
//
// "file" lines name every file of the new version, relative to the application folder; "remove"
// lines name installed files the new version no longer has. Blank lines are ignored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/text.h"

// The first top-level name of the update folder that belongs to the launcher: the manifest, the
// journal, the backup and the trace all start with it, and no staged file may.
extern const wchar_t kUpdateReservedPrefix[];

struct ManifestFile {
    Text path;  // normalised: backslashes, no leading or trailing separator
    std::uint64_t size = 0;
    std::string sha256;  // lower case
};

struct UpdateManifest {
    std::vector<ManifestFile> files;
    TextList removed;
};

// True with `normalized` (backslashes) when `path` stays inside the application folder and names a
// plain file the system stores under exactly that name: no absolute or rooted path, no drive, no
// stream (":"), no "." or ".." part, no empty part, no part ending in a dot or blank (the system
// would drop them), no device name, no character a file name may not hold, nothing the launcher
// reserves (kUpdateReservedPrefix, and the update folder `updateFolderName` itself). `why` says which
// rule it breaks.
bool checkUpdatePath(const Text& path, const Text& updateFolderName, Text& normalized, Text& why);

// Parses the manifest text; false with `why` on the first line that does not hold, on a path that
// checkUpdatePath refuses and on a path given twice (in any letter case).
bool parseManifest(const std::string& bytes, const Text& updateFolderName, UpdateManifest& manifest, Text& why);

// The manifest text for `manifest`, as an updater writes it.
std::string manifestText(const UpdateManifest& manifest);

// The key under which a path is compared: Windows names differ in letter case only within ASCII
// for the purpose here (the file system folds more, which only makes more paths collide).
Text pathKey(const Text& path);
