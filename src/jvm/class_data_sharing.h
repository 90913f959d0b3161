// The class-data-sharing archive the launcher keeps per user for the application: its name, keyed by
// everything the archive depends on, and the options that write or use it for the chosen runtime.
//
//   const Text stem = sharingArchiveStem(inputs);               // "Hello-cds-0123456789abcdef"
//   const SharingPlan plan = planClassDataSharing(version, folder, stem, completeName, uniqueTag);
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/java_version.h"
#include "support/text.h"

// A file the archive depends on: a change of its size or modification time starts a new archive.
struct FileStamp {
    Text path;
    std::uint64_t size = 0;
    std::uint64_t modified = 0;  // in the system's own units; only equality matters
};

struct SharingInputs {
    Text productName;
    JavaVersion runtimeVersion;
    FileStamp jvmLibrary;
    std::vector<FileStamp> classPath;  // in the order the class path passes them
};

// "<product>-cds-<16 hex digits>": the product part lets old archives of the same product be found and
// removed; the hash (FNV-1a over the version, the jvm.dll stamp and each class-path stamp, paths in
// lower case as Windows compares them) changes with any of them.
Text sharingArchiveStem(const SharingInputs& inputs);

// What every archive of the product begins with, for the removal of old ones.
Text sharingProductPrefix(const Text& productName);

// True for the names the launcher gives the product's archives, whatever their hash: the complete
// archive (`<stem>.<size>.jsa`), the one being written at exit (`<stem>.<tag>.tmp`, the tag digits) and
// the one Java 19 and later keep (`<stem>.jsa`). Only these are ever removed: anything else that begins
// with the prefix (a user's notes, another program's file) is not the launcher's.
bool isLauncherArchiveName(const Text& fileName, const Text& productPrefix);

// The name of the marker that says a runtime refused the sharing options: the product's prefix, "off-"
// and a hash of the runtime's version and jvm.dll stamp, so that an update of the runtime tries again.
// It matches no archive name, so the removal of old archives leaves it.
Text sharingRefusedMarkerName(const Text& productName, const JavaVersion& runtimeVersion, const FileStamp& jvmLibrary);

// Java 13 to 18 write the archive themselves only at exit, straight into the named file: a crash or a
// full disk leaves a short file, and a short archive can bring Java 17 down (SIGBUS) rather than be
// ignored. So the runtime writes under a temporary name, the launcher renames the file once the machine
// has ended, and the final name carries the size the file had then: a file whose size no longer matches
// its name is never passed to the runtime.
Text completeArchiveName(const Text& stem, std::uint64_t size);

// True when `fileName` is a complete archive of `stem` and `actualSize` is the size its name records.
bool isCompleteArchive(const Text& fileName, const Text& stem, std::uint64_t actualSize);

// True when the first bytes are those every dynamic archive from Java 13 to 25 begins with. Java 19 and
// later replace an archive that is stale or cut short, but print a warning they cannot be kept from and
// keep a file of other content: such a file is removed before the start.
bool startsAsDynamicArchive(const unsigned char* bytes, std::size_t count);

enum class SharingMode {
    none,       // too old or unknown a runtime
    writeAtExit,  // Java 13-18 without a complete archive yet: written to `writing`, renamed after the end
    use,        // Java 13-18 with a complete archive
    automatic,  // Java 19 and later: the runtime checks, writes and replaces the archive itself
};

struct SharingPlan {
    SharingMode mode = SharingMode::none;
    Text archive;  // the file the options name
    Text writing;  // writeAtExit only: the temporary file, to rename to completeArchiveName after the end
    TextList options;
};

// The runtime's feature release: 8 for 1.8.0, 17 for 17.0.2; 0 when unknown.
int featureRelease(const JavaVersion& version);

// `folder` ends with a backslash; `completeName` is the file name of the complete archive found there
// (empty when none); `uniqueTag` tells this process's temporary file from a concurrent launch's.
SharingPlan planClassDataSharing(const JavaVersion& version, const Text& folder, const Text& stem,
                                 const Text& completeName, const Text& uniqueTag);
